// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/render_page.h"

#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>
#include <exception>
#include <fstream>
#include <new>

#include "platform/emf/emf_format.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/page_store.h"
#include "platform/qt/qt_output_file.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/sys/limits.h"
#include "platform/sys/rounding.h"

namespace quillon {

namespace {

// What the page shows and how large it is.
struct PageArea {
    EmfPageInfo page;      // page size in recorded units and the resolution they are at
    TRect identity;        // the destination rectangle that plays the file one unit to one unit
    bool picture = false;  // made elsewhere: sized by its frame, not a page of the suite
};

Result<PageArea> PageAreaOf(std::span<const std::uint8_t> data) {
    const Result<EmfHeaderInfo> header = ReadEmfHeader(data);
    if (!header) return header.error();
    const Result<EmfPageInfo> page = EmfPageSize(data);
    if (!page) return page.error();
    if (page->widthPixels <= 0 || page->heightPixels <= 0) return Error{"the page has no size"};
    if (page->pixelsPerInchX <= 0 || page->pixelsPerInchY <= 0) {
        return Error{"the page has no resolution"};
    }
    // The player maps the playback frame (or, without one, the bounds) onto the destination;
    // the same rectangle as destination keeps the recorded coordinates.
    const TRect frame = header->PictureFrame();
    PageArea area;
    area.picture = !header->page;
    area.page = *page;
    // The frame lies anywhere (above or left of the origin, far from it): its top-left corner
    // lands on the output's.
    area.identity = TRect{0, 0, ClampToInt(std::int64_t{frame.Right} - frame.Left + 1),
                          ClampToInt(std::int64_t{frame.Bottom} - frame.Top + 1)};
    return area;
}

// Output size in device pixels of a page at `scale`; false when a side is too long.
bool ScaledSize(const EmfPageInfo& page, double scale, double devicePerPageX, double devicePerPageY,
                int& width, int& height) {
    const double w = std::max(1.0, std::round(page.widthPixels * scale * devicePerPageX));
    const double h = std::max(1.0, std::round(page.heightPixels * scale * devicePerPageY));
    if (!(w <= limits::kMaxRenderSide && h <= limits::kMaxRenderSide)) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

std::string MegaPixels(std::int64_t pixels) {
    return std::to_string(pixels / (1 << 20)) + " M pixels";
}

// Plays the page onto `dc` with the page's rectangle filling `width` x `height` device pixels.
Result<void> PlayPage(std::span<const std::uint8_t> data, const PageArea& area, DeviceContext& dc,
                      int width, int height) {
    ScopedDcSave saved(dc);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExtEx(area.page.widthPixels, area.page.heightPixels);
    dc.SetViewportExtEx(width, height);
    return dc.PlayEnhMetaFile(data, area.identity);
}

Result<void> WritePng(std::span<const std::uint8_t> data, const PageArea& area, double scale,
                      const std::string& out) {
    int width = 0, height = 0;
    if (!ScaledSize(area.page, scale, 1, 1, width, height)) {
        return Error{"the image would be larger than " + std::to_string(limits::kMaxRenderSide) +
                     " pixels a side"};
    }
    // The side alone lets through 32,768 x 32,768 pixels, a 4 GB image.
    if (const std::int64_t pixels = std::int64_t{width} * height;
        pixels > limits::kMaxRenderPixels) {
        return Error{"the image would be " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels, more than " +
                     MegaPixels(limits::kMaxRenderPixels)};
    }
    const int ppi = std::max(1, RoundToInt(area.page.pixelsPerInchX * scale));
    QtImageDC image(width, height, ppi);
    if (!image.Ok()) {
        return Error{"not enough memory for an image of " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels"};
    }
    if (Result<void> played = PlayPage(data, area, image.DC(), width, height); !played)
        return played;
    const QImage result = image.Finish();
    Result<std::unique_ptr<QtOutputFile>> file = QtOutputFile::Open(out);
    if (!file) return file.error();
    if (!result.save((*file)->Device(), "PNG")) return Error{"cannot write '" + out + "'"};
    return (*file)->Commit();
}

Result<void> WritePdf(std::span<const std::uint8_t> data, const PageArea& area, double scale,
                      const std::string& out) {
    // The PDF page is the page's true size times the scale, drawn at its own resolution.
    const int resolution = area.page.pixelsPerInchX;
    const double devicePerPageY = static_cast<double>(resolution) / area.page.pixelsPerInchY;
    int width = 0, height = 0;
    if (!ScaledSize(area.page, scale, 1, devicePerPageY, width, height)) {
        return Error{"the page would be larger than " + std::to_string(limits::kMaxRenderSide) +
                     " pixels a side"};
    }
    const QSizeF points(area.page.widthPixels * scale * 72.0 / area.page.pixelsPerInchX,
                        area.page.heightPixels * scale * 72.0 / area.page.pixelsPerInchY);
    Result<std::unique_ptr<QtOutputFile>> file = QtOutputFile::Open(out);
    if (!file) return file.error();
    Result<void> played = Ok();
    {
        QPdfWriter writer((*file)->Device());
        writer.setResolution(resolution);
        writer.setCreator(QStringLiteral("Quillon"));
        writer.setPageLayout(
            QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer)) return Error{"cannot start a PDF document in '" + out + "'"};
        DeviceCaps caps;
        caps.technology = DT_RASPRINTER;
        caps.widthPixels = width;
        caps.heightPixels = height;
        caps.logPixelsX = caps.logPixelsY = resolution;
        {
            QtPainterDC dc(painter, caps);
            played = PlayPage(data, area, dc, width, height);
        }
        painter.end();
    }
    if (!played) return played;  // the new file is dropped: nothing half-drawn is left
    return (*file)->Commit();
}

// A page of the suite is shown at a quarter of its printer resolution; a picture made
// elsewhere at its true size on a 96 pixels-per-inch screen.
double DefaultPngScale(const PageArea& area) {
    if (!area.picture) return 0.25;
    return 96.0 / area.page.pixelsPerInchX;
}

// Runs one output; whatever escapes the drawing (an allocation that fails) becomes its reason.
template <typename Write>
Result<void> Guarded(Write write) {
    try {
        return write();
    } catch (const std::bad_alloc&) {
        return Error{"not enough memory to draw the page"};
    } catch (const std::exception& e) {
        return Error{std::string("drawing the page failed: ") + e.what()};
    }
}

// The PNG's scale: the one asked for, or the one that fits the page into the square.
double PngScale(const RenderPageOptions& opt, const PageArea& area) {
    const EmfPageInfo& page = area.page;
    if (opt.fitSide <= 0) return opt.scale.value_or(DefaultPngScale(area));
    return std::min(static_cast<double>(opt.fitSide) / page.widthPixels,
                    static_cast<double>(opt.fitSide) / page.heightPixels);
}

}  // namespace

int RunRenderPage(const RenderPageOptions& opt, std::string& err) {
    Result<std::vector<std::uint8_t>> file = ReadPageFile(opt.file, /*userFile=*/true);
    if (!file) {
        // The reason names the file already.
        err += "quillon: " + file.reason() + "\n";
        return 1;
    }
    std::vector<std::uint8_t> data = std::move(*file);
    const Result<PageArea> area = PageAreaOf(data);
    // Every record is checked before anything is written, so a bad file leaves no
    // half-drawn output behind.
    Result<void> valid = area ? Ok() : Result<void>(area.error());
    std::string note;
    if (valid) {
        const Result<EmfParseStats> parsed = ParseEmf(data);
        if (parsed)
            note = PicturesLeftOutNote(*parsed);
        else
            valid = parsed.error();
    }
    if (!valid) {
        err += "quillon: " + opt.file + ": not a valid page: " + valid.reason() + "\n";
        return 1;
    }
    if (!opt.png.empty()) {
        const Result<void> written =
            Guarded([&] { return WritePng(data, *area, PngScale(opt, *area), opt.png); });
        if (!written) {
            err += "quillon: " + opt.file + ": " + written.reason() + "\n";
            return 1;
        }
    }
    if (!opt.pdf.empty()) {
        const Result<void> written =
            Guarded([&] { return WritePdf(data, *area, opt.scale.value_or(1.0), opt.pdf); });
        if (!written) {
            err += "quillon: " + opt.file + ": " + written.reason() + "\n";
            return 1;
        }
    }
    // Said once the page is drawn: the rest of it is there.
    if (!note.empty()) err += "quillon: render-page: " + opt.file + ": " + note + "\n";
    return 0;
}

}  // namespace quillon
