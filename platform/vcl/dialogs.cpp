// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/dialogs.h"

#include <mutex>

#include "platform/gdi/printer.h"
#include "platform/vcl/properties.h"

namespace quillon {

std::optional<PrintDialogChoice> HeadlessPrintDialog::Run(const std::vector<std::string>& printers,
                                                          const PrintDialogChoice& initial) {
    showings.push_back(Showing{printers, initial});
    if (answers.empty()) return std::nullopt;
    Script script = std::move(answers.front());
    answers.pop_front();
    return script ? script(printers, initial) : std::nullopt;
}

HeadlessPrintDialog::Script HeadlessPrintDialog::Confirm() {
    return [](const std::vector<std::string>&, const PrintDialogChoice& initial) {
        return std::optional<PrintDialogChoice>(initial);
    };
}

HeadlessPrintDialog::Script HeadlessPrintDialog::Cancel() {
    return [](const std::vector<std::string>&, const PrintDialogChoice&) {
        return std::optional<PrintDialogChoice>();
    };
}

namespace {

std::mutex backendMutex;
PrintDialogBackend* installed = nullptr;

}  // namespace

HeadlessPrintDialog& HeadlessPrintDialogs() {
    static HeadlessPrintDialog headless;
    return headless;
}

void SetPrintDialogBackend(PrintDialogBackend* backend) {
    std::lock_guard lock(backendMutex);
    installed = backend;
}

PrintDialogBackend& PrintDialogs() {
    std::lock_guard lock(backendMutex);
    return installed ? *installed : static_cast<PrintDialogBackend&>(HeadlessPrintDialogs());
}

const TClassInfo& TPrintDialog::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TPrintDialog>("TPrintDialog", &TComponent::StaticClassInfo())
            .Int("Copies", &TPrintDialog::Copies, &TPrintDialog::SetCopies, 0, 0, 9999)
            .Event("OnClose", &TPrintDialog::OnClose)
            .Event("OnShow", &TPrintDialog::OnShow)
            .Factory();
    return info;
}

TPrintDialog::TPrintDialog(TComponent* owner) : TComponent(owner) {}

bool TPrintDialog::Execute() {
    TPrinter& printer = Printer();
    PrintDialogChoice initial;
    initial.printerIndex = printer.PrinterIndex();
    initial.orientation = printer.Orientation();
    initial.copies = copies_ > 0 ? copies_ : 1;
    const std::vector<std::string> printers = printer.Printers();
    if (OnShow) OnShow(this);
    const std::optional<PrintDialogChoice> choice = PrintDialogs().Run(printers, initial);
    if (OnClose) OnClose(this);
    if (!choice) return false;
    // An index the list does not have keeps the current printer.
    if (choice->printerIndex >= 0 && choice->printerIndex < static_cast<int>(printers.size()))
        printer.SetPrinterIndex(choice->printerIndex);
    printer.SetOrientation(choice->orientation);
    copies_ = choice->copies > 0 ? choice->copies : 1;
    return true;
}

}  // namespace quillon
