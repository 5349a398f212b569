// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Printers of the Qt backend: the system's printers (through Qt PrintSupport, which asks
// CUPS) and the built-in "Print to PDF" printer, which is always there so printing works on
// a machine without printers.

#include <QPageSize>
#include <QPainter>
#include <QPrinterInfo>
#include <memory>
#include <string>
#include <utility>

#include "platform/gdi/printer_device.h"
#include "platform/qt/qt_painter_dc.h"

class QPdfWriter;
class QPrinter;

namespace quillon {

class QtOutputFile;

enum class PaperKind { Letter, A4 };

// Letter for the locale's paper of 216 x 279 mm, A4 for anything else.
PaperKind PaperFromDimensions(int widthMillimeters, int heightMillimeters);
// Width and height of the user's locale's paper (LC_PAPER) in millimetres; 0 x 0 when the
// locale cannot be read.
std::pair<int, int> LocalePaperMillimeters();
// The paper of the user's locale, A4 when the locale does not say.
PaperKind LocalePaper();
QPageSize ToQPageSize(PaperKind paper);

// The built-in PDF printer: 600 pixels per inch, the whole sheet printable.
//
// Each document is written to a PDF file when it ends (an aborted document writes nothing,
// and an existing file is only replaced once the new one is complete). The documents of one
// job are numbered so that none overwrites another: the first goes to the output file
// itself, the second to "<name>-2.pdf", the third to "<name>-3.pdf" and so on. A job starts
// when the output file is set; without one, each document goes to "<title>.pdf" ("document.pdf"
// for an empty title) in the documents folder, or to the first "<title>-<n>.pdf" there that
// does not exist yet.
class PdfPrinterDevice final : public PrinterDevice {
  public:
    static constexpr const char* kName = "Print to PDF";
    static constexpr int kPixelsPerInch = 600;

    explicit PdfPrinterDevice(PaperKind paper);
    ~PdfPrinterDevice() override;

    std::string Name() const override { return kName; }
    DeviceCaps Caps(TPrinterOrientation orientation) const override;
    Result<DeviceContext*> BeginDoc(const std::string& title,
                                    TPrinterOrientation orientation) override;
    Result<DeviceContext*> NewPage(TPrinterOrientation orientation) override;
    Result<void> EndDoc() override;
    void Abort() override;

    PaperKind Paper() const { return paper_; }
    // Starts a new job whose documents go to `path` (and its numbered siblings).
    bool SetOutputFile(const std::string& path) override;
    // The file the next document will be written to.
    std::string NextFile(const std::string& title) const;
    // The file the last finished document went to (empty before the first, and from the
    // start of a document until it is written).
    const std::string& LastFile() const { return lastFile_; }
    std::string LastDocumentFile() const override { return lastFile_; }

    // "<stem>-<n><ext>" for n > 1, `path` itself for n = 1.
    static std::string NumberedFile(const std::string& path, int n);

    // Where documents without a chosen file go: the documents folder (made when missing),
    // else the home folder.
    static std::string OutputFolder();
    // "<folder>/<title>.pdf", or the first of "<title>-2.pdf", "<title>-3.pdf" ... that does
    // not exist yet.
    static std::string FreeFileFor(const std::string& title);

  private:
    void Discard();

    PaperKind paper_;
    std::string outputFile_;  // set by SetOutputFile; empty: derived from the title
    std::string jobBase_;     // the base path of the current job
    int documentsInJob_ = 0;  // documents finished in the current job
    std::string lastFile_;

    // The open document.
    std::string docFile_;
    std::unique_ptr<QtOutputFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtPainterDC> dc_;
    TPrinterOrientation pageOrientation_ = poPortrait;
};

// A printer of the system.
class SystemPrinterDevice final : public PrinterDevice {
  public:
    explicit SystemPrinterDevice(const QPrinterInfo& info);
    ~SystemPrinterDevice() override;

    std::string Name() const override;
    DeviceCaps Caps(TPrinterOrientation orientation) const override;
    Result<DeviceContext*> BeginDoc(const std::string& title,
                                    TPrinterOrientation orientation) override;
    Result<DeviceContext*> NewPage(TPrinterOrientation orientation) override;
    Result<void> EndDoc() override;
    void Abort() override;

  private:
    void Discard();

    QPrinterInfo info_;
    mutable std::unique_ptr<DeviceCaps> portraitCaps_;  // read on first use
    // The caps of the open document's page as the printer lays it out now.
    DeviceCaps PageCaps() const;

    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtPainterDC> dc_;
    TPrinterOrientation pageOrientation_ = poPortrait;
};

}  // namespace quillon
