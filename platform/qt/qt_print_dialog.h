// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The print dialog of the Qt host: Qt's own dialog, with the system's
// printers and printing to a PDF file, which stands for the built-in "Print to
// PDF" printer (the file chosen there is where that printer's next document
// goes).

#include "platform/vcl/dialogs.h"
#include "platform/qt/qt_desktop.h"

class QWidget;

namespace quillon {

// Shows the toolkit's PDF entry of a print dialog under the program's name, "Print to PDF".
void NameThePdfPrinter(QWidget& dialog);

class QtPrintDialog final : public PrintDialogBackend {
  public:
    // Screenshots of the dialog follow the desktop's settings.
    explicit QtPrintDialog(const ScreenshotOptions& screenshots = {}) : screenshots_(screenshots) {}

    std::optional<PrintDialogChoice> Run(const std::vector<std::string>& printers,
                                         const PrintDialogChoice& initial) override;

  private:
    ScreenshotOptions screenshots_;
};

}  // namespace quillon
