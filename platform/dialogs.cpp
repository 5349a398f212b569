#include "platform/dialogs.h"

#include <algorithm>

#include "platform/desktop.h"
#include "platform/printer.h"
#include "platform/properties.h"

namespace quillon {

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

namespace {

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

}  // namespace

bool TPrintDialog::Execute() {
    TPrinter& printer = Printer();
    PrintDialogChoice choice;
    choice.printers = printer.Printers();
    choice.printer = printer.PrinterName();
    choice.orientation = printer.Orientation();
    choice.copies = std::max(copies_, 1);
    if (OnShow) OnShow(this);
    const bool confirmed = Desktop().ExecutePrintDialog(choice);
    if (OnClose) OnClose(this);
    if (!confirmed) return false;
    int index = IndexOf(printer.Printers(), choice.printer);
    if (index < 0) {
        // A printer that came up while the dialog was open.
        printer.Refresh();
        index = IndexOf(printer.Printers(), choice.printer);
    }
    if (index >= 0) printer.SetPrinterIndex(index);
    printer.SetOrientation(choice.orientation);
    copies_ = std::max(choice.copies, 1);
    return true;
}

}  // namespace quillon
