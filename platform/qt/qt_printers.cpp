// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_printers.h"

#include <langinfo.h>
#include <locale.h>

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QStandardPaths>
#include <cstdint>

#include "platform/qt/print_server.h"
#include "platform/qt/qt_output_file.h"

namespace quillon {

namespace {

QPageLayout::Orientation ToQOrientation(TPrinterOrientation o) {
    return o == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// A title made safe as a file name: no directory separators or control characters.
std::string FileNameFromTitle(const std::string& title) {
    std::string name;
    for (char c : title) {
        const auto u = static_cast<unsigned char>(c);
        name.push_back(u < 0x20 || c == '/' || c == '\\' || u == 0x7F ? '_' : c);
    }
    const auto first = name.find_first_not_of(" .");
    if (first == std::string::npos) return "document";
    name.erase(0, first);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    constexpr std::size_t kMaxBytes = 200;
    if (name.size() > kMaxBytes) {
        name.resize(kMaxBytes);
        // Do not leave half a UTF-8 sequence at the end.
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.pop_back();
        if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0) name.pop_back();
    }
    return name;
}

}  // namespace

PaperKind PaperFromDimensions(int widthMillimeters, int heightMillimeters) {
    return widthMillimeters == 216 && heightMillimeters == 279 ? PaperKind::Letter : PaperKind::A4;
}

std::pair<int, int> LocalePaperMillimeters() {
    // The environment's paper, read without touching the process's global locale.
    locale_t loc = newlocale(LC_PAPER_MASK, "", static_cast<locale_t>(nullptr));
    if (!loc) return {0, 0};
    // glibc hands these numbers back in the pointer itself.
    const auto width =
        static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo_l(_NL_PAPER_WIDTH, loc)));
    const auto height =
        static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo_l(_NL_PAPER_HEIGHT, loc)));
    freelocale(loc);
    return {width, height};
}

PaperKind LocalePaper() {
    const auto [width, height] = LocalePaperMillimeters();
    return PaperFromDimensions(width, height);
}

QPageSize ToQPageSize(PaperKind paper) {
    return QPageSize(paper == PaperKind::Letter ? QPageSize::Letter : QPageSize::A4);
}

// ---------------------------------------------------------------------------------------------

PdfPrinterDevice::PdfPrinterDevice(PaperKind paper) : paper_(paper) {}

PdfPrinterDevice::~PdfPrinterDevice() {
    Discard();
}

DeviceCaps PdfPrinterDevice::Caps(TPrinterOrientation orientation) const {
    const QSize size = ToQPageSize(paper_).sizePixels(kPixelsPerInch);
    return PrinterCaps(kPixelsPerInch, kPixelsPerInch, size.width(), size.height(), orientation);
}

bool PdfPrinterDevice::SetOutputFile(const std::string& path) {
    outputFile_ = path;
    jobBase_ = path;
    documentsInJob_ = 0;
    return true;
}

std::string PdfPrinterDevice::OutputFolder() {
    // The user's documents folder (XDG), made when a new account has none; where it cannot
    // be made, the home folder. The folder the program was started from may be anywhere.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString home = QDir::homePath();
    if (folder.isEmpty() || !QDir().mkpath(folder) || !QFileInfo(folder).isWritable())
        folder = home;
    return folder.toStdString();
}

std::string PdfPrinterDevice::FreeFileFor(const std::string& title) {
    const std::string base =
        QDir(QString::fromStdString(OutputFolder()))
            .filePath(QString::fromStdString(FileNameFromTitle(title) + ".pdf"))
            .toStdString();
    // A file of an earlier document or run is never replaced without the user's choice.
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = NumberedFile(base, n);
        if (!QFileInfo::exists(QString::fromStdString(candidate))) return candidate;
    }
    return base;
}

std::string PdfPrinterDevice::NumberedFile(const std::string& path, int n) {
    if (n <= 1) return path;
    const std::string suffix = "-" + std::to_string(n);
    // The number goes before the extension of the file name (not of a directory).
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        return path.substr(0, dot) + suffix + path.substr(dot);
    return path + suffix;
}

std::string PdfPrinterDevice::NextFile(const std::string& title) const {
    if (outputFile_.empty()) return FreeFileFor(title);
    return NumberedFile(outputFile_, (outputFile_ == jobBase_ ? documentsInJob_ : 0) + 1);
}

Result<DeviceContext*> PdfPrinterDevice::BeginDoc(const std::string& title,
                                                  TPrinterOrientation orientation) {
    if (dc_) return Error{"a document is already open on this printer"};
    lastFile_.clear();
    if (outputFile_.empty()) {
        // Named after its title, beside no file it would replace.
        docFile_ = FreeFileFor(title);
    } else {
        if (outputFile_ != jobBase_) {
            jobBase_ = outputFile_;
            documentsInJob_ = 0;
        }
        docFile_ = NumberedFile(outputFile_, documentsInJob_ + 1);
    }
    // Written beside its name and renamed into place when whole: an aborted or failed document
    // leaves what had the name before, and a link there is replaced, never written through.
    Result<std::unique_ptr<QtOutputFile>> output = QtOutputFile::Open(docFile_);
    if (!output) {
        Discard();
        return output.error();
    }
    file_ = std::move(*output);
    writer_ = std::make_unique<QPdfWriter>(file_->Device());
    writer_->setResolution(kPixelsPerInch);
    writer_->setPageLayout(
        QPageLayout(ToQPageSize(paper_), ToQOrientation(orientation), QMarginsF(0, 0, 0, 0)));
    writer_->setTitle(QString::fromStdString(title));
    writer_->setCreator(QStringLiteral("Quillon"));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get())) {
        Discard();
        return Error{"cannot start a PDF document in '" + docFile_ + "'"};
    }
    dc_ = std::make_unique<QtPainterDC>(*painter_, Caps(orientation));
    pageOrientation_ = orientation;
    return dc_.get();
}

Result<DeviceContext*> PdfPrinterDevice::NewPage(TPrinterOrientation orientation) {
    if (!dc_) return Error{"no document is open"};
    // The writer takes a new layout for the pages it begins after it.
    const bool turned = orientation != pageOrientation_;
    if (turned)
        writer_->setPageLayout(
            QPageLayout(ToQPageSize(paper_), ToQOrientation(orientation), QMarginsF(0, 0, 0, 0)));
    if (!writer_->newPage()) return Error{"cannot start a new page in '" + docFile_ + "'"};
    if (turned) {
        dc_.reset();  // leaves the painter as it was given before the next context takes it
        dc_ = std::make_unique<QtPainterDC>(*painter_, Caps(orientation));
        pageOrientation_ = orientation;
    }
    return static_cast<DeviceContext*>(dc_.get());
}

Result<void> PdfPrinterDevice::EndDoc() {
    if (!dc_) return Error{"no document is open"};
    dc_.reset();
    const bool ended = painter_->end();
    painter_.reset();
    writer_.reset();
    if (!ended) {
        Discard();
        return Error{"cannot finish the PDF document '" + docFile_ + "'"};
    }
    const Result<void> committed = file_->Commit();
    file_.reset();
    if (!committed) return committed.error();
    ++documentsInJob_;
    lastFile_ = docFile_;
    return Ok();
}

void PdfPrinterDevice::Abort() {
    Discard();
}

void PdfPrinterDevice::Discard() {
    dc_.reset();
    if (painter_ && painter_->isActive()) painter_->end();
    painter_.reset();
    writer_.reset();
    file_.reset();  // an uncommitted output leaves the name as it was
}

// ---------------------------------------------------------------------------------------------

SystemPrinterDevice::SystemPrinterDevice(const QPrinterInfo& info) : info_(info) {}

SystemPrinterDevice::~SystemPrinterDevice() {
    Discard();
}

std::string SystemPrinterDevice::Name() const {
    return info_.printerName().toStdString();
}

DeviceCaps SystemPrinterDevice::Caps(TPrinterOrientation orientation) const {
    if (!portraitCaps_) {
        QPrinter printer(info_, QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Portrait);
        const int dpi = printer.resolution() > 0 ? printer.resolution() : 300;
        const QRect paint = printer.pageLayout().paintRectPixels(dpi);
        const QRect full = printer.pageLayout().fullRectPixels(dpi);
        auto caps = std::make_unique<DeviceCaps>(
            PrinterCaps(dpi, dpi, paint.width(), paint.height(), poPortrait));
        caps->physicalWidth = full.width();
        caps->physicalHeight = full.height();
        caps->physicalOffsetX = paint.left();
        caps->physicalOffsetY = paint.top();
        portraitCaps_ = std::move(caps);
    }
    const DeviceCaps& p = *portraitCaps_;
    if (orientation == poPortrait) return p;
    DeviceCaps c =
        PrinterCaps(p.logPixelsX, p.logPixelsY, p.widthPixels, p.heightPixels, poLandscape);
    c.physicalWidth = p.physicalHeight;
    c.physicalHeight = p.physicalWidth;
    c.physicalOffsetX = p.physicalOffsetY;
    c.physicalOffsetY = p.physicalOffsetX;
    return c;
}

Result<DeviceContext*> SystemPrinterDevice::BeginDoc(const std::string& title,
                                                     TPrinterOrientation orientation) {
    if (dc_) return Error{"a document is already open on this printer"};
    // The toolkit hands the job over without saying whether the queue took it: a queue that
    // refuses jobs is found out here, before anything is drawn.
    const Result<QueueState> queue = AskQueueState(PrintServerFromEnvironment(), Name());
    if (!queue) return Error{"the printer '" + Name() + "' cannot print: " + queue.reason()};
    if (queue->known && !queue->acceptingJobs)
        return Error{"the printer '" + Name() + "' does not accept jobs"};
    printer_ = std::make_unique<QPrinter>(info_, QPrinter::HighResolution);
    printer_->setDocName(QString::fromStdString(title));
    printer_->setPageOrientation(ToQOrientation(orientation));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        Discard();
        return Error{"the printer '" + Name() + "' cannot start a document"};
    }
    dc_ = std::make_unique<QtPainterDC>(*painter_, PageCaps());
    pageOrientation_ = orientation;
    return dc_.get();
}

DeviceCaps SystemPrinterDevice::PageCaps() const {
    // The painter's origin is the corner of the printable area, as page coordinates expect.
    const int dpi = printer_->resolution();
    const QRect paint = printer_->pageLayout().paintRectPixels(dpi);
    const QRect full = printer_->pageLayout().fullRectPixels(dpi);
    DeviceCaps caps = PrinterCaps(dpi, dpi, paint.width(), paint.height(), poPortrait);
    caps.physicalWidth = full.width();
    caps.physicalHeight = full.height();
    caps.physicalOffsetX = paint.left();
    caps.physicalOffsetY = paint.top();
    return caps;
}

Result<DeviceContext*> SystemPrinterDevice::NewPage(TPrinterOrientation orientation) {
    if (!dc_) return Error{"no document is open"};
    // The toolkit's print engine for the system's queues writes a document whose pages may
    // each have a layout of their own: the new one applies from the next page.
    const bool turned = orientation != pageOrientation_;
    if (turned && !printer_->setPageOrientation(ToQOrientation(orientation)))
        return Error{"the printer '" + Name() + "' cannot turn a page within a document"};
    if (!printer_->newPage()) return Error{"the printer '" + Name() + "' cannot start a new page"};
    if (turned) {
        dc_.reset();  // leaves the painter as it was given before the next context takes it
        dc_ = std::make_unique<QtPainterDC>(*painter_, PageCaps());
        pageOrientation_ = orientation;
    }
    return static_cast<DeviceContext*>(dc_.get());
}

Result<void> SystemPrinterDevice::EndDoc() {
    if (!dc_) return Error{"no document is open"};
    dc_.reset();
    const bool ok = painter_->end();
    painter_.reset();
    printer_.reset();
    if (!ok) return Error{"the printer '" + Name() + "' could not finish the document"};
    return Ok();
}

void SystemPrinterDevice::Abort() {
    if (printer_ && dc_) printer_->abort();
    Discard();
}

void SystemPrinterDevice::Discard() {
    dc_.reset();
    if (painter_ && painter_->isActive()) painter_->end();
    painter_.reset();
    printer_.reset();
}

}  // namespace quillon
