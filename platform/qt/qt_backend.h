// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Qt graphics backend: real fonts, image decoding, the system's printers plus the
// built-in PDF printer, and the screen. QtGraphicsSession starts Qt (if it is not running)
// and installs the backend for its lifetime; only commands that draw or show windows
// create one.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/graphics_backend.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_printers.h"

class QGuiApplication;

#include "platform/vcl/rich_text.h"

namespace quillon {

class QtGraphicsBackend final : public GraphicsBackend {
  public:
    struct Options {
        bool systemPrinters = true;  // false: only the built-in PDF printer (tests)
        PaperKind pdfPaper = LocalePaper();
    };

    QtGraphicsBackend();
    explicit QtGraphicsBackend(const Options& options);
    ~QtGraphicsBackend() override;

    TextMeasurer& Measurer() override { return measurer_; }
    Result<TBitmap> DecodeImage(std::span<const std::uint8_t> data) override;
    Result<TBitmap> DecodeImageWithin(std::span<const std::uint8_t> data,
                                      std::int64_t maxPixels) override;
    // The system's printers in the order Qt lists them, then "Print to PDF".
    std::vector<std::shared_ptr<PrinterDevice>> Printers() override;
    // The system's default printer, else the PDF printer.
    int DefaultPrinterIndex() override;
    // 96 pixels per inch whatever the display says (forms are not scaled), and the primary
    // screen's size.
    ScreenInfo Screen() override;

    PdfPrinterDevice& PdfPrinter() { return *pdf_; }

  private:
    Options options_;
    QtTextMeasurer measurer_;
    std::shared_ptr<PdfPrinterDevice> pdf_;
    // Devices by printer name, so that a printer keeps its object across list readings.
    std::map<std::string, std::shared_ptr<SystemPrinterDevice>> system_;
};

// Keeps Qt's debug, information and warning messages off standard error (a command's
// error output is its own); critical and fatal messages still show.
void QuietQtMessages();

// Starts Qt for drawing (a QGuiApplication, or a QApplication when `widgets` is set) unless
// an application object exists already, and installs a QtGraphicsBackend; both are undone
// at destruction. Without a display, set QT_QPA_PLATFORM=offscreen before.
class QtGraphicsSession {
  public:
    explicit QtGraphicsSession(bool widgets = false, const QtGraphicsBackend::Options& options =
                                                         QtGraphicsBackend::Options{});
    ~QtGraphicsSession();
    QtGraphicsSession(const QtGraphicsSession&) = delete;
    QtGraphicsSession& operator=(const QtGraphicsSession&) = delete;

    QtGraphicsBackend& Backend() { return *backend_; }

  private:
    std::unique_ptr<QGuiApplication> app_;  // only when this session created it
    std::unique_ptr<QtGraphicsBackend> backend_;
    GraphicsBackend* previous_ = nullptr;
    std::unique_ptr<RichTextEngine> richText_;
    RichTextEngine* previousRichText_ = nullptr;
};

}  // namespace quillon
