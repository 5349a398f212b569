// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/emf/emf_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <uemf.h>
}

#include "platform/gdi/dib.h"
#include "platform/gdi/graphics.h"
#include "platform/gdi/screen.h"
#include "platform/sys/rounding.h"
#include "platform/sys/utf8.h"

namespace quillon {

namespace {

U_RECTL ToRectl(const TRect& r) {
    return U_RECTL{r.Left, r.Top, r.Right, r.Bottom};
}
U_POINTL ToPointl(TPoint p) {
    return U_POINTL{p.X, p.Y};
}
U_SIZEL ToSizel(TSize s) {
    return U_SIZEL{s.cx, s.cy};
}
U_COLORREF ToColorref(TColorRef c) {
    return colorref3_set(GetRValue(c), GetGValue(c), GetBValue(c));
}
U_XFORM ToXform(const XForm& x) {
    return xform_set(static_cast<U_FLOAT>(x.m11), static_cast<U_FLOAT>(x.m12),
                     static_cast<U_FLOAT>(x.m21), static_cast<U_FLOAT>(x.m22),
                     static_cast<U_FLOAT>(x.dx), static_cast<U_FLOAT>(x.dy));
}

std::vector<U_POINTL> ToPointls(std::span<const TPoint> points) {
    std::vector<U_POINTL> out;
    out.reserve(points.size());
    for (const TPoint& p : points) out.push_back(ToPointl(p));
    return out;
}

// Face name as the format stores it: at most 31 UTF-16 units plus the terminator, never
// splitting a surrogate pair.
void FaceName16(const std::string& face, uint16_t out[U_LF_FACESIZE]) {
    std::memset(out, 0, sizeof(uint16_t) * U_LF_FACESIZE);
    const std::u16string u16 = utf8::ToUtf16(face);
    std::size_t n = std::min<std::size_t>(u16.size(), U_LF_FACESIZE - 1);
    if (n > 0 && n < u16.size() && u16[n - 1] >= 0xD800 && u16[n - 1] <= 0xDBFF) --n;
    for (std::size_t i = 0; i < n; ++i) out[i] = u16[i];
}

// The stock brush with this description, if there is one (saves an object in the file).
std::optional<std::uint32_t> StockBrushFor(const LogBrush& b) {
    for (int index :
         {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH}) {
        if (GetLogBrush(GetStockObject(index)) == b) return GetStockObject(index);
    }
    return std::nullopt;
}

bool SameDesc(const GdiObjectData& a, const GdiObjectData& b) {
    return a.index() != 0 && a == b;
}

constexpr std::uint32_t kRgnCopy = U_RGN_COPY;

}  // namespace

EmfRecorder::EmfRecorder(const EmfRecorderOptions& options)
    : DeviceContext(options.reference ? *options.reference : Screen().Caps()), page_(options.page) {
    const DeviceCaps& ref = Caps();
    buffer_.reserve(64 * 1024);
    slotUsed_.push_back(true);  // slot 0 is reserved
    // A page's header describes the printed page, whose pixels the records are in; a picture
    // recorded for no page describes the reference surface.
    if (page_)
        WriteHeader(page_->widthPixels, page_->heightPixels, page_->pixelsPerInchX,
                    page_->pixelsPerInchY);
    else
        WriteHeader(ref.widthPixels, ref.heightPixels, ref.logPixelsX, ref.logPixelsY);
    if (page_) {
        const EmfPageReference reference{
            std::max(ref.widthPixels, 1), std::max(ref.heightPixels, 1),
            ref.logPixelsX > 0 ? ref.logPixelsX : 96, ref.logPixelsY > 0 ? ref.logPixelsY : 96};
        const std::string data = EncodePageComment(*page_, reference);
        Append(U_EMRCOMMENT_set(static_cast<U_CBDATA>(data.size()), data.data()));
    }
    // The file starts in the same state as a fresh context.
    current_.pen =
        Selected{kStockObjectFlag | BLACK_PEN, GetObjectData(kStockObjectFlag | BLACK_PEN)};
    current_.brush =
        Selected{kStockObjectFlag | WHITE_BRUSH, GetObjectData(kStockObjectFlag | WHITE_BRUSH)};
    current_.font =
        Selected{kStockObjectFlag | SYSTEM_FONT, GetObjectData(kStockObjectFlag | SYSTEM_FONT)};
}

EmfRecorder::~EmfRecorder() = default;

void EmfRecorder::WriteHeader(int width, int height, int pixelsPerInchX, int pixelsPerInchY) {
    const int w = std::max(width, 1);
    const int h = std::max(height, 1);
    const double dpiX = pixelsPerInchX > 0 ? pixelsPerInchX : 96;
    const double dpiY = pixelsPerInchY > 0 ? pixelsPerInchY : 96;
    pageToMmX_ = 2540.0 / dpiX;  // 0.01 mm per pixel
    pageToMmY_ = 2540.0 / dpiY;
    const U_RECTL bounds{0, 0, -1, -1};
    const U_SIZEL device{w, h};
    // A side under half a millimetre (a tiny surface) still counts one: readers refuse 0.
    const U_SIZEL mm{std::max(1, RoundToInt(w * 25.4 / dpiX)),
                     std::max(1, RoundToInt(h * 25.4 / dpiY))};
    // The frame is the whole described surface, inclusive: pixels 0 .. w-1. A page's frame is
    // read back through the exact micrometres (with its page comment); a picture for no page
    // is read as any other, through the whole millimetres, so its frame is measured in them.
    const double frameX = page_ ? pageToMmX_ : mm.cx * 100.0 / w;
    const double frameY = page_ ? pageToMmY_ : mm.cy * 100.0 / h;
    const U_RECTL frame{0, 0, RoundToInt((w - 1) * frameX), RoundToInt((h - 1) * frameY)};
    char* rec = U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, device, mm, 0);
    if (!rec) return;
    PU_EMRHEADER header = reinterpret_cast<PU_EMRHEADER>(rec);
    // Exact micrometres: millimetres are rounded, and readers that prefer micrometres then
    // map the frame back onto whole pixels.
    if (header->emr.nSize >= sizeof(U_EMRHEADER)) {
        header->szlMicrometers =
            U_SIZEL{RoundToInt(w * 25400.0 / dpiX), RoundToInt(h * 25400.0 / dpiY)};
    }
    Append(rec);
}

void EmfRecorder::Append(char* record) {
    if (!record) return;
    const PU_EMR emr = reinterpret_cast<PU_EMR>(record);
    AppendRaw(record, emr->nSize);
    std::free(record);
}

void EmfRecorder::AppendRaw(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    ++records_;
}

const std::vector<std::uint8_t>& EmfRecorder::Finish() {
    if (finished_) return buffer_;
    finished_ = true;
    EMFTRACK track{};
    Append(U_EMREOF_set(0, nullptr, &track));
    PU_EMRHEADER header = reinterpret_cast<PU_EMRHEADER>(buffer_.data());
    header->nBytes = static_cast<uint32_t>(buffer_.size());
    header->nRecords = records_;
    header->nHandles = static_cast<uint16_t>(maxSlot_ + 1);
    if (page_) {
        // A page's picture is the whole printable area, blank parts included; what was drawn
        // beyond it is not on the page, so the bounds end at its edges.
        const double right = std::max(page_->widthPixels, 1) - 1.0;
        const double bottom = std::max(page_->heightPixels, 1) - 1.0;
        IncludeDevice(0, 0, right, bottom);
        boundsLeft_ = std::max(boundsLeft_, 0.0);
        boundsTop_ = std::max(boundsTop_, 0.0);
        boundsRight_ = std::min(boundsRight_, right);
        boundsBottom_ = std::min(boundsBottom_, bottom);
    }
    if (haveBounds_) {
        auto clampInt = [](double v) {
            return static_cast<int32_t>(std::clamp(std::floor(v), -2147483648.0, 2147483647.0));
        };
        header->rclBounds = U_RECTL{clampInt(boundsLeft_), clampInt(boundsTop_),
                                    clampInt(boundsRight_), clampInt(boundsBottom_)};
    }
    return buffer_;
}

Result<void> EmfRecorder::SaveToFile(const std::string& path) {
    return WriteFileBytes(path, Finish());
}

int EmfRecorder::MeasuringPixelsPerInch() const {
    return page_ ? page_->pixelsPerInchY : DeviceContext::MeasuringPixelsPerInch();
}

// --- bounds
// ---------------------------------------------------------------------------------------

void EmfRecorder::IncludeLogical(double x1, double y1, double x2, double y2, double inflate) {
    const XForm m = LogicalToDevice();
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    const double xs[2] = {x1, x2}, ys[2] = {y1, y2};
    bool first = true;
    for (double x : xs) {
        for (double y : ys) {
            const double dx = m.MapX(x, y), dy = m.MapY(x, y);
            if (first) {
                minX = maxX = dx;
                minY = maxY = dy;
                first = false;
            } else {
                minX = std::min(minX, dx);
                maxX = std::max(maxX, dx);
                minY = std::min(minY, dy);
                maxY = std::max(maxY, dy);
            }
        }
    }
    minX -= inflate;
    minY -= inflate;
    maxX += inflate;
    maxY += inflate;
    auto toInt = [](double v) {
        return static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
    };
    lastBounds_[0] = toInt(std::floor(minX));
    lastBounds_[1] = toInt(std::floor(minY));
    lastBounds_[2] = toInt(std::ceil(maxX));
    lastBounds_[3] = toInt(std::ceil(maxY));
    IncludeDevice(minX, minY, maxX, maxY);
}

void EmfRecorder::IncludeDevice(double minX, double minY, double maxX, double maxY) {
    if (!haveBounds_) {
        boundsLeft_ = minX;
        boundsTop_ = minY;
        boundsRight_ = maxX;
        boundsBottom_ = maxY;
        haveBounds_ = true;
    } else {
        boundsLeft_ = std::min(boundsLeft_, minX);
        boundsTop_ = std::min(boundsTop_, minY);
        boundsRight_ = std::max(boundsRight_, maxX);
        boundsBottom_ = std::max(boundsBottom_, maxY);
    }
}

void EmfRecorder::IncludePoints(std::span<const TPoint> points) {
    if (points.empty()) return;
    int minX = points[0].X, maxX = minX, minY = points[0].Y, maxY = minY;
    for (const TPoint& p : points) {
        minX = std::min(minX, p.X);
        maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y);
        maxY = std::max(maxY, p.Y);
    }
    IncludeLogical(minX, minY, maxX, maxY, PenInflate());
}

std::int32_t EmfRecorder::PenInflate() const {
    return std::max(State().pen.width, 1) / 2;
}

// --- objects
// ---------------------------------------------------------------------------------------

std::uint32_t EmfRecorder::NewSlot() {
    for (std::uint32_t i = 1; i < slotUsed_.size(); ++i) {
        if (!slotUsed_[i]) {
            slotUsed_[i] = true;
            return i;
        }
    }
    slotUsed_.push_back(true);
    const std::uint32_t slot = static_cast<std::uint32_t>(slotUsed_.size() - 1);
    maxSlot_ = std::max(maxSlot_, slot);
    return slot;
}

std::uint32_t EmfRecorder::CreateObject(const GdiObjectData& desc) {
    const std::uint32_t slot = NewSlot();
    if (auto* pen = std::get_if<LogPen>(&desc)) {
        U_LOGPEN lp = logpen_set(pen->style, U_POINT{pen->width, 0}, ToColorref(pen->color));
        Append(U_EMRCREATEPEN_set(slot, lp));
    } else if (auto* brush = std::get_if<LogBrush>(&desc)) {
        // A pattern is kept as its mean colour.
        const std::uint32_t style = brush->style == BS_PATTERN ? BS_SOLID : brush->style;
        U_LOGBRUSH lb = logbrush_set(style, ToColorref(brush->color), brush->hatch);
        Append(U_EMRCREATEBRUSHINDIRECT_set(slot, lb));
    } else if (auto* font = std::get_if<LogFont>(&desc)) {
        uint16_t face[U_LF_FACESIZE];
        FaceName16(font->faceName, face);
        U_LOGFONT lf = logfont_set(font->height, font->width, font->escapement, font->orientation,
                                   font->weight, font->italic, font->underline, font->strikeOut,
                                   font->charSet, font->outPrecision, font->clipPrecision,
                                   font->quality, font->pitchAndFamily, face);
        uint16_t empty[U_LF_FULLFACESIZE] = {0};
        U_PANOSE panose{};
        U_LOGFONT_PANOSE elfw = logfont_panose_set(lf, empty, empty, 0, panose);
        Append(
            U_EMREXTCREATEFONTINDIRECTW_set(slot, nullptr, reinterpret_cast<const char*>(&elfw)));
    }
    return slot;
}

bool EmfRecorder::Referenced(std::uint32_t slot) const {
    auto uses = [slot](const Selection& s) {
        return s.pen.handle == slot || s.brush.handle == slot || s.font.handle == slot;
    };
    if (uses(current_)) return true;
    for (const Selection& s : saved_) {
        if (uses(s)) return true;
    }
    return false;
}

void EmfRecorder::DeleteUnusedObjects() {
    for (std::uint32_t i = 1; i < slotUsed_.size(); ++i) {
        if (slotUsed_[i] && !Referenced(i)) {
            Append(U_EMRDELETEOBJECT_set(i));
            slotUsed_[i] = false;
        }
    }
}

void EmfRecorder::SelectInFile(Selected& slot, std::uint32_t handle, const GdiObjectData& desc) {
    Append(U_EMRSELECTOBJECT_set(handle));
    slot.handle = handle;
    slot.desc = desc;
    DeleteUnusedObjects();
}

void EmfRecorder::OnSelectObject(GdiObjectKind kind, HGDIOBJ handle) {
    if (finished_) return;
    GdiObjectData desc;
    Selected* slot = nullptr;
    switch (kind) {
        case GdiObjectKind::Pen:
            desc = State().pen;
            slot = &current_.pen;
            break;
        case GdiObjectKind::Brush:
            desc = State().brush;
            slot = &current_.brush;
            break;
        case GdiObjectKind::Font:
            desc = State().font;
            slot = &current_.font;
            break;
        case GdiObjectKind::None:
            return;
    }
    if (SameDesc(slot->desc, desc)) return;  // nothing changes for the file
    const std::uint32_t fileHandle = (handle & kStockObjectFlag) != 0 ? handle : CreateObject(desc);
    SelectInFile(*slot, fileHandle, desc);
}

// --- attributes and state ------------------------------------------------------------------------

void EmfRecorder::OnSetTextColor(TColorRef c) {
    if (!finished_) Append(U_EMRSETTEXTCOLOR_set(ToColorref(c)));
}
void EmfRecorder::OnSetBkColor(TColorRef c) {
    if (!finished_) Append(U_EMRSETBKCOLOR_set(ToColorref(c)));
}
void EmfRecorder::OnSetBkMode(int m) {
    if (!finished_) Append(U_EMRSETBKMODE_set(static_cast<uint32_t>(m)));
}
void EmfRecorder::OnSetTextAlign(std::uint32_t a) {
    if (!finished_) Append(U_EMRSETTEXTALIGN_set(a));
}
void EmfRecorder::OnSetPolyFillMode(int m) {
    if (!finished_) Append(U_EMRSETPOLYFILLMODE_set(static_cast<uint32_t>(m)));
}
void EmfRecorder::OnSetStretchBltMode(int m) {
    if (!finished_) Append(U_EMRSETSTRETCHBLTMODE_set(static_cast<uint32_t>(m)));
}
void EmfRecorder::OnSetMapMode(int m) {
    if (!finished_) Append(U_EMRSETMAPMODE_set(static_cast<uint32_t>(m)));
}
void EmfRecorder::OnSetWindowExt(TSize s) {
    if (!finished_) Append(U_EMRSETWINDOWEXTEX_set(ToSizel(s)));
}
void EmfRecorder::OnSetViewportExt(TSize s) {
    if (!finished_) Append(U_EMRSETVIEWPORTEXTEX_set(ToSizel(s)));
}
void EmfRecorder::OnSetWindowOrg(TPoint p) {
    if (!finished_) Append(U_EMRSETWINDOWORGEX_set(ToPointl(p)));
}
void EmfRecorder::OnSetViewportOrg(TPoint p) {
    if (!finished_) Append(U_EMRSETVIEWPORTORGEX_set(ToPointl(p)));
}
void EmfRecorder::OnSetWorldTransform(const XForm& x) {
    if (!finished_) Append(U_EMRSETWORLDTRANSFORM_set(ToXform(x)));
}
void EmfRecorder::OnModifyWorldTransform(const XForm& x, int mode) {
    if (!finished_) Append(U_EMRMODIFYWORLDTRANSFORM_set(ToXform(x), static_cast<uint32_t>(mode)));
}

void EmfRecorder::OnSaveDC() {
    if (finished_) return;
    Append(U_EMRSAVEDC_set());
    saved_.push_back(current_);
}

void EmfRecorder::OnRestoreDC(int level) {
    if (finished_) return;
    const int depth = static_cast<int>(saved_.size());
    const int index = level > 0 ? level - 1 : depth + level;
    if (index < 0 || index >= depth) return;
    // The format knows only relative restores (negative), whatever level the caller named.
    Append(U_EMRRESTOREDC_set(index - depth));
    current_ = saved_[static_cast<std::size_t>(index)];
    saved_.resize(static_cast<std::size_t>(index));
    DeleteUnusedObjects();
}

void EmfRecorder::OnIntersectClipRect(const TRect& r) {
    if (!finished_) Append(U_EMRINTERSECTCLIPRECT_set(ToRectl(r)));
}

void EmfRecorder::OnSelectClipRgn(const std::optional<TRect>& r) {
    if (finished_) return;
    if (!r) {
        // RGN_COPY without a region: back to the default clip.
        const uint32_t rec[4] = {U_EMR_EXTSELECTCLIPRGN, 16, 0, kRgnCopy};
        AppendRaw(rec, sizeof rec);
        return;
    }
    U_RECTL rect = ToRectl(*r);
    PU_RGNDATA rgn = rgndata_set(rgndataheader_set(1, rect), &rect);
    if (!rgn) return;
    Append(U_EMREXTSELECTCLIPRGN_set(kRgnCopy, rgn));
    std::free(rgn);
}

// --- drawing
// ---------------------------------------------------------------------------------------

void EmfRecorder::OnMoveTo(TPoint p) {
    if (!finished_) Append(U_EMRMOVETOEX_set(ToPointl(p)));
}

void EmfRecorder::OnLineTo(TPoint from, TPoint to) {
    if (finished_) return;
    IncludeLogical(from.X, from.Y, to.X, to.Y, PenInflate());
    Append(U_EMRLINETO_set(ToPointl(to)));
}

void EmfRecorder::OnRectangle(const TRect& r) {
    if (finished_) return;
    IncludeLogical(r.Left, r.Top, r.Right - 1.0, r.Bottom - 1.0, PenInflate());
    Append(U_EMRRECTANGLE_set(ToRectl(r)));
}

void EmfRecorder::OnRoundRect(const TRect& r, TSize corner) {
    if (finished_) return;
    IncludeLogical(r.Left, r.Top, r.Right - 1.0, r.Bottom - 1.0, PenInflate());
    Append(U_EMRROUNDRECT_set(ToRectl(r), ToSizel(corner)));
}

void EmfRecorder::OnEllipse(const TRect& r) {
    if (finished_) return;
    IncludeLogical(r.Left, r.Top, r.Right - 1.0, r.Bottom - 1.0, PenInflate());
    Append(U_EMRELLIPSE_set(ToRectl(r)));
}

void EmfRecorder::OnArc(ArcKind kind, const TRect& r, TPoint start, TPoint end) {
    if (finished_) return;
    IncludeLogical(r.Left, r.Top, r.Right - 1.0, r.Bottom - 1.0, PenInflate());
    switch (kind) {
        case ArcKind::Arc:
            Append(U_EMRARC_set(ToRectl(r), ToPointl(start), ToPointl(end)));
            break;
        case ArcKind::ArcTo:
            Append(U_EMRARCTO_set(ToRectl(r), ToPointl(start), ToPointl(end)));
            break;
        case ArcKind::Chord:
            Append(U_EMRCHORD_set(ToRectl(r), ToPointl(start), ToPointl(end)));
            break;
        case ArcKind::Pie:
            Append(U_EMRPIE_set(ToRectl(r), ToPointl(start), ToPointl(end)));
            break;
    }
}

void EmfRecorder::OnPolyline(std::span<const TPoint> points, bool fromCp) {
    if (finished_) return;
    IncludePoints(points);
    const std::vector<U_POINTL> pts = ToPointls(points);
    const U_RECTL b{lastBounds_[0], lastBounds_[1], lastBounds_[2], lastBounds_[3]};
    const uint32_t n = static_cast<uint32_t>(pts.size());
    Append(fromCp ? U_EMRPOLYLINETO_set(b, n, pts.data()) : U_EMRPOLYLINE_set(b, n, pts.data()));
}

void EmfRecorder::OnPolygon(std::span<const TPoint> points) {
    if (finished_) return;
    IncludePoints(points);
    const std::vector<U_POINTL> pts = ToPointls(points);
    const U_RECTL b{lastBounds_[0], lastBounds_[1], lastBounds_[2], lastBounds_[3]};
    Append(U_EMRPOLYGON_set(b, static_cast<uint32_t>(pts.size()), pts.data()));
}

void EmfRecorder::OnPolyPolygon(std::span<const TPoint> points, std::span<const int> counts) {
    if (finished_) return;
    IncludePoints(points);
    const std::vector<U_POINTL> pts = ToPointls(points);
    const std::vector<uint32_t> c(counts.begin(), counts.end());
    const U_RECTL b{lastBounds_[0], lastBounds_[1], lastBounds_[2], lastBounds_[3]};
    Append(U_EMRPOLYPOLYGON_set(b, static_cast<uint32_t>(c.size()), c.data(),
                                static_cast<uint32_t>(pts.size()), pts.data()));
}

void EmfRecorder::OnPolyPolyline(std::span<const TPoint> points, std::span<const int> counts) {
    if (finished_) return;
    IncludePoints(points);
    const std::vector<U_POINTL> pts = ToPointls(points);
    const std::vector<uint32_t> c(counts.begin(), counts.end());
    const U_RECTL b{lastBounds_[0], lastBounds_[1], lastBounds_[2], lastBounds_[3]};
    Append(U_EMRPOLYPOLYLINE_set(b, static_cast<uint32_t>(c.size()), c.data(),
                                 static_cast<uint32_t>(pts.size()), pts.data()));
}

void EmfRecorder::OnPolyBezier(std::span<const TPoint> points, bool fromCp) {
    if (finished_) return;
    IncludePoints(points);
    const std::vector<U_POINTL> pts = ToPointls(points);
    const U_RECTL b{lastBounds_[0], lastBounds_[1], lastBounds_[2], lastBounds_[3]};
    const uint32_t n = static_cast<uint32_t>(pts.size());
    Append(fromCp ? U_EMRPOLYBEZIERTO_set(b, n, pts.data())
                  : U_EMRPOLYBEZIER_set(b, n, pts.data()));
}

void EmfRecorder::OnSetPixel(TPoint p, TColorRef c) {
    if (finished_) return;
    IncludeLogical(p.X, p.Y, p.X, p.Y);
    Append(U_EMRSETPIXELV_set(ToPointl(p), ToColorref(c)));
}

void EmfRecorder::OnFillRect(const TRect& r, const LogBrush& brush) {
    if (finished_) return;
    // A fill is a pattern copy with the brush selected, as the classic platform records it.
    const Selected previous = current_.brush;
    const bool switchBrush = !SameDesc(previous.desc, GdiObjectData(brush));
    if (switchBrush) {
        const std::optional<std::uint32_t> stock = StockBrushFor(brush);
        const std::uint32_t handle = stock ? *stock : CreateObject(brush);
        Append(U_EMRSELECTOBJECT_set(handle));
        current_.brush = Selected{handle, brush};
    }
    IncludeLogical(r.Left, r.Top, r.Right - 1.0, r.Bottom - 1.0);
    const U_RECTL b{lastBounds_[0], lastBounds_[1], lastBounds_[2], lastBounds_[3]};
    Append(U_EMRBITBLT_set(b, U_POINTL{r.Left, r.Top}, U_POINTL{r.Width(), r.Height()},
                           U_POINTL{0, 0}, xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0),
                           U_DIB_RGB_COLORS, PATCOPY, nullptr, 0, nullptr));
    if (switchBrush) {
        Append(U_EMRSELECTOBJECT_set(previous.handle));
        current_.brush = previous;
        DeleteUnusedObjects();
    }
}

void EmfRecorder::OnText(const TextRun& run) {
    if (finished_ || run.text.empty()) return;
    // Bounds of the text box along its baseline.
    const double ux = run.baseline.X, uy = run.baseline.Y, vx = run.down.X, vy = run.down.Y;
    const TPointF o = run.origin;
    const double xs[4] = {o.X - vx * run.ascent, o.X + ux * run.width - vx * run.ascent,
                          o.X + vx * run.descent, o.X + ux * run.width + vx * run.descent};
    const double ys[4] = {o.Y - vy * run.ascent, o.Y + uy * run.width - vy * run.ascent,
                          o.Y + vy * run.descent, o.Y + uy * run.width + vy * run.descent};
    IncludeLogical(*std::min_element(xs, xs + 4), *std::min_element(ys, ys + 4),
                   *std::max_element(xs, xs + 4), *std::max_element(ys, ys + 4));
    const U_RECTL b{lastBounds_[0], lastBounds_[1], lastBounds_[2], lastBounds_[3]};
    const U_RECTL rcl = run.rect ? ToRectl(*run.rect) : U_RECTL{0, 0, -1, -1};
    std::vector<uint32_t> dx(run.dx.size());
    for (std::size_t i = 0; i < dx.size(); ++i) dx[i] = static_cast<uint32_t>(run.dx[i]);
    std::u16string text = run.text;
    char* emrtext =
        emrtext_set(ToPointl(run.reference), static_cast<U_NUM_STR>(text.size()), 2, text.data(),
                    run.options & ~static_cast<uint32_t>(U_ETO_NO_RECT), rcl, dx.data());
    if (!emrtext) return;
    Append(U_EMREXTTEXTOUTW_set(b, U_GM_COMPATIBLE, static_cast<U_FLOAT>(pageToMmX_),
                                static_cast<U_FLOAT>(pageToMmY_),
                                reinterpret_cast<PU_EMRTEXT>(emrtext)));
    std::free(emrtext);
}

void EmfRecorder::OnStretchDIBits(const TRect& dest, const TRect& src, const BitmapView& image,
                                  std::uint32_t rop) {
    if (finished_) return;
    // Only the source rectangle (within the image) is stored, as a 32-bit DIB.
    const TRect clipped = IntersectRect(src, TRect{0, 0, image.width, image.height});
    if (clipped.IsEmpty()) return;
    // A view whose pixels do not cover its size would be read past its end, and a part
    // larger than a bitmap may be leaves the bitmap empty, so its rows would be written past
    // the end: neither is stored.
    const auto width = static_cast<std::size_t>(clipped.Width());
    const auto height = static_cast<std::size_t>(clipped.Height());
    if (image.pixels.size() <
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return;
    TBitmap part;
    if (!part.SetSize(clipped.Width(), clipped.Height()) || part.Pixels().size() != width * height)
        return;
    const std::span<std::uint32_t> to = part.Pixels();
    for (std::size_t y = 0; y < height; ++y) {
        const std::span<const std::uint32_t> from = image.pixels.subspan(
            (static_cast<std::size_t>(clipped.Top) + y) * static_cast<std::size_t>(image.width) +
                static_cast<std::size_t>(clipped.Left),
            width);
        std::copy(from.begin(), from.end(), to.begin() + static_cast<std::ptrdiff_t>(y * width));
    }
    // The destination shrinks in proportion when the source was cut.
    const double sx = src.Width() != 0 ? static_cast<double>(dest.Width()) / src.Width() : 0;
    const double sy = src.Height() != 0 ? static_cast<double>(dest.Height()) / src.Height() : 0;
    auto at = [](int base, double offset) { return AddClamped(base, RoundToInt(offset)); };
    const int x1 = at(dest.Left, (static_cast<double>(clipped.Left) - src.Left) * sx);
    const int y1 = at(dest.Top, (static_cast<double>(clipped.Top) - src.Top) * sy);
    const int x2 = at(dest.Left, (static_cast<double>(clipped.Right) - src.Left) * sx);
    const int y2 = at(dest.Top, (static_cast<double>(clipped.Bottom) - src.Top) * sy);
    IncludeLogical(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) - 1.0,
                   std::max(y1, y2) - 1.0);
    const U_RECTL b{lastBounds_[0], lastBounds_[1], lastBounds_[2], lastBounds_[3]};
    std::vector<std::uint8_t> header = EncodeDibHeader32(part.Width(), part.Height());
    std::vector<std::uint8_t> bits = EncodeDibBits32(part.View());
    if (image.premultipliedAlpha || image.opacity != 255) {
        // Blended: an alpha blend keeps each pixel's alpha in its fourth byte (rows bottom-up).
        if (image.premultipliedAlpha) {
            const std::span<const std::uint32_t> from = part.Pixels();
            for (std::size_t row = 0; row < height; ++row)
                for (std::size_t x = 0; x < width; ++x)
                    bits[(row * width + x) * 4 + 3] =
                        static_cast<std::uint8_t>(from[(height - 1 - row) * width + x] >> 24);
        }
        const U_BLEND blend{0, 0, image.opacity,
                            static_cast<uint8_t>(image.premultipliedAlpha ? U_AC_SRC_ALPHA : 0)};
        Append(U_EMRALPHABLEND_set(
            b, U_POINTL{x1, y1}, U_POINTL{SubClamped(x2, x1), SubClamped(y2, y1)}, U_POINTL{0, 0},
            U_POINTL{part.Width(), part.Height()}, U_XFORM{1, 0, 0, 1, 0, 0},
            U_COLORREF{0, 0, 0, 0}, U_DIB_RGB_COLORS, blend,
            reinterpret_cast<PU_BITMAPINFO>(header.data()), static_cast<uint32_t>(bits.size()),
            reinterpret_cast<char*>(bits.data())));
        return;
    }
    Append(U_EMRSTRETCHDIBITS_set(
        b, U_POINTL{x1, y1}, U_POINTL{SubClamped(x2, x1), SubClamped(y2, y1)}, U_POINTL{0, 0},
        U_POINTL{part.Width(), part.Height()}, U_DIB_RGB_COLORS, rop,
        reinterpret_cast<PU_BITMAPINFO>(header.data()), static_cast<uint32_t>(bits.size()),
        reinterpret_cast<char*>(bits.data())));
}

void EmfRecorder::OnBeginPath() {
    if (!finished_) Append(U_EMRBEGINPATH_set());
}
void EmfRecorder::OnEndPath() {
    if (!finished_) Append(U_EMRENDPATH_set());
}
void EmfRecorder::OnCloseFigure() {
    if (!finished_) Append(U_EMRCLOSEFIGURE_set());
}
void EmfRecorder::OnAbortPath() {
    if (!finished_) Append(U_EMRABORTPATH_set());
}

namespace {
U_RECTL PathBounds(const DcPath& path) {
    if (path.elements.empty()) return U_RECTL{0, 0, -1, -1};
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const auto& e : path.elements) {
        if (e.op == DcPath::Op::Close) continue;
        minX = std::min(minX, e.p.X);
        minY = std::min(minY, e.p.Y);
        maxX = std::max(maxX, e.p.X);
        maxY = std::max(maxY, e.p.Y);
    }
    if (minX > maxX) return U_RECTL{0, 0, -1, -1};
    auto c = [](double v) {
        return static_cast<int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
    };
    return U_RECTL{c(std::floor(minX)), c(std::floor(minY)), c(std::ceil(maxX)),
                   c(std::ceil(maxY))};
}
}  // namespace

void EmfRecorder::OnFillPath(const DcPath& path) {
    if (finished_) return;
    const U_RECTL b = PathBounds(path);
    IncludeLogical(b.left, b.top, b.right, b.bottom);
    Append(U_EMRFILLPATH_set(b));
}
void EmfRecorder::OnStrokePath(const DcPath& path) {
    if (finished_) return;
    const U_RECTL b = PathBounds(path);
    IncludeLogical(b.left, b.top, b.right, b.bottom, PenInflate());
    Append(U_EMRSTROKEPATH_set(b));
}
void EmfRecorder::OnStrokeAndFillPath(const DcPath& path) {
    if (finished_) return;
    const U_RECTL b = PathBounds(path);
    IncludeLogical(b.left, b.top, b.right, b.bottom, PenInflate());
    Append(U_EMRSTROKEANDFILLPATH_set(b));
}

}  // namespace quillon
