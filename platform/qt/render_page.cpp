#include "platform/qt/render_page.h"

#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cmath>
#include <fstream>
#include <optional>

#include "platform/emf/emf_format.h"
#include "platform/emf/emf_player.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/sys/rounding.h"

namespace quillon {

namespace {

// Page files are a few megabytes at most; anything far larger is not one of ours.
constexpr std::uintmax_t kMaxFileBytes = 512u << 20;

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& out, std::string& reason) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = "cannot open the file";
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) {
        reason = "cannot read the file";
        return false;
    }
    if (static_cast<std::uintmax_t>(size) > kMaxFileBytes) {
        reason = "file too large for a page";
        return false;
    }
    in.seekg(0);
    out.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) {
        reason = "cannot read the file";
        return false;
    }
    return true;
}

// What the page shows and how large it is.
struct PageArea {
    EmfPageInfo page;  // page size in recorded units and the resolution they are at
    TRect identity;    // the destination rectangle that plays the file one unit to one unit
};

std::optional<PageArea> PageAreaOf(std::span<const std::uint8_t> data, std::string& reason) {
    const std::optional<EmfHeaderInfo> header = ReadEmfHeader(data, &reason);
    if (!header) return std::nullopt;
    const std::optional<EmfPageInfo> page = EmfPageSize(data, &reason);
    if (!page) return std::nullopt;
    if (page->widthPixels <= 0 || page->heightPixels <= 0) {
        reason = "the page has no size";
        return std::nullopt;
    }
    if (page->pixelsPerInchX <= 0 || page->pixelsPerInchY <= 0) {
        reason = "the page has no resolution";
        return std::nullopt;
    }
    // The player maps the picture frame (or, without one, the bounds) onto the destination;
    // the same rectangle as destination keeps the recorded coordinates.
    TRect frame = header->FramePixels();
    if (frame.Right < frame.Left || frame.Bottom < frame.Top) frame = header->bounds;
    PageArea area;
    area.page = *page;
    area.identity = TRect{frame.Left, frame.Top, frame.Right + 1, frame.Bottom + 1};
    return area;
}

// Output size in device pixels of a page at `scale`; false when it is too large.
bool ScaledSize(const EmfPageInfo& page, double scale, double devicePerPageX, double devicePerPageY,
                int& width, int& height) {
    const double w = std::max(1.0, std::round(page.widthPixels * scale * devicePerPageX));
    const double h = std::max(1.0, std::round(page.heightPixels * scale * devicePerPageY));
    if (w > kMaxRenderSide || h > kMaxRenderSide) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// Plays the page onto `dc` with the page's rectangle filling `width` x `height` device pixels.
bool PlayPage(std::span<const std::uint8_t> data, const PageArea& area, DeviceContext& dc,
              int width, int height, std::string& reason) {
    ScopedDcSave saved(dc);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExtEx(area.page.widthPixels, area.page.heightPixels);
    dc.SetViewportExtEx(width, height);
    return dc.PlayEnhMetaFile(data, area.identity, &reason);
}

bool WritePng(std::span<const std::uint8_t> data, const PageArea& area, double scale,
              const std::string& out, std::string& reason) {
    int width = 0, height = 0;
    if (!ScaledSize(area.page, scale, 1, 1, width, height)) {
        reason =
            "the image would be larger than " + std::to_string(kMaxRenderSide) + " pixels a side";
        return false;
    }
    const int ppi = std::max(1, RoundToInt(area.page.pixelsPerInchX * scale));
    QtImageDC image(width, height, ppi);
    if (!PlayPage(data, area, image.DC(), width, height, reason)) return false;
    const QImage result = image.Finish();
    QSaveFile file(QString::fromStdString(out));
    if (!file.open(QIODevice::WriteOnly) || !result.save(&file, "PNG") || !file.commit()) {
        reason = "cannot write '" + out + "': " + file.errorString().toStdString();
        return false;
    }
    return true;
}

bool WritePdf(std::span<const std::uint8_t> data, const PageArea& area, double scale,
              const std::string& out, std::string& reason) {
    // The PDF page is the page's true size times the scale, drawn at its own resolution.
    const int resolution = area.page.pixelsPerInchX;
    const double devicePerPageY = static_cast<double>(resolution) / area.page.pixelsPerInchY;
    int width = 0, height = 0;
    if (!ScaledSize(area.page, scale, 1, devicePerPageY, width, height)) {
        reason =
            "the page would be larger than " + std::to_string(kMaxRenderSide) + " pixels a side";
        return false;
    }
    const QSizeF points(area.page.widthPixels * scale * 72.0 / area.page.pixelsPerInchX,
                        area.page.heightPixels * scale * 72.0 / area.page.pixelsPerInchY);
    QSaveFile file(QString::fromStdString(out));
    if (!file.open(QIODevice::WriteOnly)) {
        reason = "cannot write '" + out + "': " + file.errorString().toStdString();
        return false;
    }
    bool played = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(resolution);
        writer.setCreator(QStringLiteral("Quillon"));
        writer.setPageLayout(
            QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) {
            reason = "cannot start a PDF document in '" + out + "'";
            return false;
        }
        DeviceCaps caps;
        caps.technology = DT_RASPRINTER;
        caps.widthPixels = width;
        caps.heightPixels = height;
        caps.logPixelsX = caps.logPixelsY = resolution;
        {
            QtPainterDC dc(painter, caps);
            played = PlayPage(data, area, dc, width, height, reason);
        }
        painter.end();
    }
    if (!played) return false;  // the save file is dropped: nothing half-drawn is left
    if (!file.commit()) {
        reason = "cannot write '" + out + "': " + file.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace

int RunRenderPage(const RenderPageOptions& opt, std::string& err) {
    std::vector<std::uint8_t> data;
    std::string reason;
    if (!ReadFile(opt.file, data, reason)) {
        err += "quillon: " + opt.file + ": " + reason + "\n";
        return 1;
    }
    std::optional<PageArea> area = PageAreaOf(data, reason);
    if (area) {
        // Every record is checked before anything is written, so a bad file leaves no
        // half-drawn output behind.
        const EmfParseResult parsed = ParseEmf(data);
        if (!parsed.ok) {
            reason = parsed.error;
            area.reset();
        }
    }
    if (!area) {
        err += "quillon: " + opt.file + ": not a valid page: " + reason + "\n";
        return 1;
    }
    if (!opt.png.empty() && !WritePng(data, *area, opt.scale.value_or(0.25), opt.png, reason)) {
        err += "quillon: " + opt.file + ": " + reason + "\n";
        return 1;
    }
    if (!opt.pdf.empty() && !WritePdf(data, *area, opt.scale.value_or(1.0), opt.pdf, reason)) {
        err += "quillon: " + opt.file + ": " + reason + "\n";
        return 1;
    }
    return 0;
}

}  // namespace quillon
