// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The platform's print dialog: the user picks one of the printers of
// Printer() (with the Qt backend the system's printers and "Print to PDF"),
// its orientation and the number of copies. The dialog itself comes from a
// backend hook; without one, a headless stand-in answers from a script so that
// tests run without a display.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/vcl/components.h"
#include "platform/gdi/printer_device.h"

namespace quillon {

// What the user chose.
struct PrintDialogChoice {
    int printerIndex = -1;  // into the printer list; -1: the default printer
    TPrinterOrientation orientation = poPortrait;
    int copies = 1;
};

class PrintDialogBackend {
  public:
    virtual ~PrintDialogBackend() = default;
    // Shows the dialog modally over `printers` with `initial` chosen; the
    // choice on OK, nullopt on Cancel.
    virtual std::optional<PrintDialogChoice> Run(const std::vector<std::string>& printers,
                                                 const PrintDialogChoice& initial) = 0;
};

// Used when no backend is installed: records every showing and answers from
// `answers` (each showing takes the next one; none left: Cancel).
class HeadlessPrintDialog final : public PrintDialogBackend {
  public:
    std::optional<PrintDialogChoice> Run(const std::vector<std::string>& printers,
                                         const PrintDialogChoice& initial) override;

    // A script returns the answer, given the printers and the initial choice.
    using Script = std::function<std::optional<PrintDialogChoice>(const std::vector<std::string>&,
                                                                  const PrintDialogChoice&)>;
    std::deque<Script> answers;
    struct Showing {
        std::vector<std::string> printers;
        PrintDialogChoice initial;
    };
    std::vector<Showing> showings;

    void Reset() { *this = HeadlessPrintDialog(); }
    // Scripts for the common answers.
    static Script Confirm();  // OK with the initial choice
    static Script Cancel();
};

// Installs a backend (not owned; nullptr goes back to the headless one).
void SetPrintDialogBackend(PrintDialogBackend* backend);
PrintDialogBackend& PrintDialogs();
HeadlessPrintDialog& HeadlessPrintDialogs();

class TPrintDialog : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TPrintDialog(TComponent* owner);

    // Copies asked for in the last confirmed dialog (shown as the start value
    // next time; 0 stands for one).
    int Copies() const { return copies_; }
    void SetCopies(int copies) { copies_ = copies < 0 ? 0 : copies; }

    // Shows the dialog over the printers of Printer(), starting at the current
    // printer and orientation. On OK the chosen printer and orientation become
    // Printer()'s current ones and Execute returns true; Cancel changes
    // nothing and returns false.
    bool Execute();

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

  private:
    int copies_ = 0;
};

}  // namespace quillon
