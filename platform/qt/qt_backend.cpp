// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_rich_text.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPrinterInfo>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillon {

QtGraphicsBackend::QtGraphicsBackend() : QtGraphicsBackend(Options{}) {}

QtGraphicsBackend::QtGraphicsBackend(const Options& options)
    : options_(options), pdf_(std::make_shared<PdfPrinterDevice>(options.pdfPaper)) {}

QtGraphicsBackend::~QtGraphicsBackend() = default;

Result<TBitmap> QtGraphicsBackend::DecodeImage(std::span<const std::uint8_t> data) {
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return Error{"image file too large"};
    }
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                               static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() &&
        static_cast<std::int64_t>(size.width()) * size.height() > TBitmap::kMaxBitmapPixels) {
        return Error{"image too large"};
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return Error{"not an image: " + reader.errorString().toStdString()};
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    TBitmap out;
    if (!out.SetSize(image.width(), image.height())) return Error{"image too large"};
    const auto pixels = out.Pixels();
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * image.width(),
                    image.constScanLine(y), static_cast<std::size_t>(image.width()) * 4);
    }
    return out;
}

std::vector<std::shared_ptr<PrinterDevice>> QtGraphicsBackend::Printers() {
    std::vector<std::shared_ptr<PrinterDevice>> list;
    if (options_.systemPrinters) {
        std::map<std::string, std::shared_ptr<SystemPrinterDevice>> seen;
        for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
            const std::string name = info.printerName().toStdString();
            if (name == PdfPrinterDevice::kName || seen.count(name)) continue;
            auto it = system_.find(name);
            auto device =
                it != system_.end() ? it->second : std::make_shared<SystemPrinterDevice>(info);
            seen.emplace(name, device);
            list.push_back(device);
        }
        system_ = std::move(seen);
    }
    list.push_back(pdf_);
    return list;
}

int QtGraphicsBackend::DefaultPrinterIndex() {
    const auto list = Printers();
    if (options_.systemPrinters) {
        const std::string name = QPrinterInfo::defaultPrinterName().toStdString();
        for (std::size_t i = 0; !name.empty() && i < list.size(); ++i)
            if (list[i]->Name() == name) return static_cast<int>(i);
    }
    return static_cast<int>(list.size()) - 1;  // the PDF printer
}

ScreenInfo QtGraphicsBackend::Screen() {
    ScreenInfo info;
    info.pixelsPerInch = 96;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QSize size = screen->size();
            if (size.width() > 0 && size.height() > 0) {
                info.width = size.width();
                info.height = size.height();
            }
        }
    }
    return info;
}

// ---------------------------------------------------------------------------------------------

void QuietQtMessages() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtCriticalMsg && type != QtFatalMsg) return;
        // Qt ends the program when it cannot reach the window system; say so in our words
        // and fail as any other command does instead of aborting.
        if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
            std::fputs("quillon: no display (the window system cannot be reached)\n", stderr);
            std::_Exit(1);
        }
        const QByteArray text = message.toLocal8Bit();
        std::fprintf(stderr, "%s\n", text.constData());
    });
}

QtGraphicsSession::QtGraphicsSession(bool widgets, const QtGraphicsBackend::Options& options) {
    if (!QCoreApplication::instance()) {
        // Qt keeps references to these for the application's lifetime.
        static int argc = 1;
        static char name[] = "quillon";
        static char* argv[] = {name, nullptr};
        if (widgets)
            app_ = std::make_unique<QApplication>(argc, argv);
        else
            app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    backend_ = std::make_unique<QtGraphicsBackend>(options);
    previous_ = InstalledGraphicsBackend();
    SetGraphicsBackend(backend_.get());
    richText_ = MakeQtRichTextEngine();
    previousRichText_ = SetRichTextEngine(richText_.get());
}

QtGraphicsSession::~QtGraphicsSession() {
    SetRichTextEngine(previousRichText_);
    richText_.reset();
    SetGraphicsBackend(previous_);
    backend_.reset();
    if (app_) ReleaseRawFonts();  // font engines must not outlive the application
    app_.reset();
}

}  // namespace quillon
