// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_print_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <algorithm>

#include "platform/gdi/graphics_backend.h"
#include "platform/gdi/printer.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_convert.h"
#include "platform/vcl/forms.h"

namespace quillon {

void NameThePdfPrinter(QWidget& dialog) {
    // The toolkit's dialog lists its own PDF output under a name of its own; the program calls
    // that printer "Print to PDF" everywhere else. Only the shown text changes: the dialog
    // tells its entries apart by position.
    const QString own = QStringLiteral("Print to File (PDF)");
    const QString translated = QCoreApplication::translate("QPrintDialog", "Print to File (PDF)");
    for (QComboBox* box : dialog.findChildren<QComboBox*>()) {
        for (int i = 0; i < box->count(); ++i) {
            const QString text = box->itemText(i);
            if (text == own || text == translated)
                box->setItemText(i, QString::fromUtf8(PdfPrinterDevice::kName));
        }
    }
}

namespace {

class PdfEntryNamer final : public QObject {
  public:
    explicit PdfEntryNamer(QWidget& dialog) : dialog_(dialog) { dialog.installEventFilter(this); }
    ~PdfEntryNamer() override { dialog_.removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &dialog_ && event->type() == QEvent::Show) NameThePdfPrinter(dialog_);
        return false;
    }

  private:
    QWidget& dialog_;
};

}  // namespace

std::optional<PrintDialogChoice> QtPrintDialog::Run(const std::vector<std::string>& printers,
                                                    const PrintDialogChoice& initial) {
    auto* graphics = dynamic_cast<QtGraphicsBackend*>(InstalledGraphicsBackend());
    const bool valid =
        initial.printerIndex >= 0 && initial.printerIndex < static_cast<int>(printers.size());
    const std::string current =
        valid ? printers[static_cast<std::size_t>(initial.printerIndex)] : std::string();
    QPrinter printer;
    if (current.empty() || current == PdfPrinterDevice::kName) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        // Each document is proposed under its own title, in a folder that can be written,
        // beside no file it would replace (not under the file chosen for the last one).
        printer.setOutputFileName(ToQString(PdfPrinterDevice::FreeFileFor(Printer().Title())));
    } else {
        printer.setPrinterName(ToQString(current));
    }
    printer.setPageOrientation(initial.orientation == poLandscape ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
    printer.setCopyCount(std::max(initial.copies, 1));

    QPrintDialog dialog(&printer, QApplication::activeWindow());
    // The whole document is printed: no page range or selection to offer.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    // The dialog adds its PDF entry while it is being shown.
    PdfEntryNamer namer(dialog);
    if (screenshots_.Active()) {
        QTimer::singleShot(screenshots_.delayMilliseconds, &dialog, [this, &dialog] {
            if (!screenshots_.directory.empty()) {
                QDir().mkpath(ToQString(screenshots_.directory));
                dialog.grab().save(QDir(ToQString(screenshots_.directory))
                                       .filePath(QStringLiteral("PrintDialog.png")));
            }
            if (screenshots_.quit) {
                Application().Terminate();
                dialog.reject();
            }
        });
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;

    std::string chosen;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        chosen = PdfPrinterDevice::kName;
        if (graphics && !printer.outputFileName().isEmpty())
            graphics->PdfPrinter().SetOutputFile(FromQString(printer.outputFileName()));
    } else {
        chosen = FromQString(printer.printerName());
    }
    PrintDialogChoice choice;
    choice.printerIndex = initial.printerIndex;
    // The list may have changed while the dialog was open: look the name up
    // in the printer's current list.
    const std::vector<std::string>& now = Printer().Printers();
    const auto it = std::find(now.begin(), now.end(), chosen);
    if (it != now.end()) choice.printerIndex = static_cast<int>(it - now.begin());
    choice.orientation =
        printer.pageLayout().orientation() == QPageLayout::Landscape ? poLandscape : poPortrait;
    choice.copies = std::max(printer.copyCount(), 1);
    return choice;
}

}  // namespace quillon
