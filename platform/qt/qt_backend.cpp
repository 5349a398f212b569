// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_rich_text.h"

#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPrinterInfo>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/qt/print_server.h"
#include "platform/sys/temp_dir.h"

namespace quillon {

QtGraphicsBackend::QtGraphicsBackend() : QtGraphicsBackend(Options{}) {}

QtGraphicsBackend::QtGraphicsBackend(const Options& options)
    : options_(options), pdf_(std::make_shared<PdfPrinterDevice>(options.pdfPaper)) {}

QtGraphicsBackend::~QtGraphicsBackend() = default;

namespace {

// While an image is decoded, the image libraries' own complaints are held back: a broken image
// is reported once, in our words, by the caller. Qt's go through its message handler; the PNG
// library writes its errors straight to the standard error, which points at nothing meanwhile.
class QuietImageLibrary {
  public:
    QuietImageLibrary()
        : previous_(
              qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {
        std::fflush(stderr);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
            if (saved_ >= 0) dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~QuietImageLibrary() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
        qInstallMessageHandler(previous_);
    }
    QuietImageLibrary(const QuietImageLibrary&) = delete;
    QuietImageLibrary& operator=(const QuietImageLibrary&) = delete;

  private:
    QtMessageHandler previous_;
    int saved_ = -1;
};

}  // namespace

Result<TBitmap> QtGraphicsBackend::DecodeImage(std::span<const std::uint8_t> data) {
    return DecodeImageWithin(data, TBitmap::kMaxBitmapPixels);
}

Result<TBitmap> QtGraphicsBackend::DecodeImageWithin(std::span<const std::uint8_t> data,
                                                     std::int64_t maxPixels) {
    const QuietImageLibrary quiet;
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return Error{"image file too large"};
    }
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                               static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && static_cast<std::int64_t>(size.width()) * size.height() > maxPixels) {
        return Error{"image too large"};
    }
    // A file whose size cannot be read ahead is held to the same budget while it decodes.
    reader.setAllocationLimit(static_cast<int>(
        std::min<std::int64_t>(maxPixels * 4 / (1 << 20) + 1, std::numeric_limits<int>::max())));
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

namespace {

// Whether the system's printers can be asked for; a server that holds connections without
// answering would hold the program with them, so its printers are left out (said once).
bool PrintServerUsable() {
    const std::optional<std::string> silent = SilentPrintServer();
    if (!silent) return true;
    static const bool told = [&] {
        std::fprintf(stderr, "quillon: %s; its printers are left out\n", silent->c_str());
        return true;
    }();
    (void)told;
    return false;
}

}  // namespace

std::vector<std::shared_ptr<PrinterDevice>> QtGraphicsBackend::Printers() {
    std::vector<std::shared_ptr<PrinterDevice>> list;
    if (options_.systemPrinters && PrintServerUsable()) {
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
    if (options_.systemPrinters && PrintServerUsable()) {
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
        // Qt's complaints about its own runtime folder (a temporary folder that cannot be
        // used, which the job itself reports in its words) are not the user's business.
        if (message.startsWith(QLatin1String("QStandardPaths: "))) return;
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
        // Without a runtime folder Qt makes "runtime-<user>" in the temporary folder and leaves
        // it there; the process's private folder serves instead and goes when the program ends.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            if (const Result<std::string> dir = ProcessTempDir(); dir)
                qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(*dir));
        }
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
