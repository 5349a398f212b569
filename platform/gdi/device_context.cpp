// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/device_context.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "platform/gdi/graphics_backend.h"
#include "platform/sys/limits.h"
#include "platform/sys/rounding.h"
#include "platform/sys/utf8.h"

namespace quillon {

// --- caps and transforms ---------------------------------------------------------------------

int DeviceCaps::Get(int index) const {
    switch (index) {
        case TECHNOLOGY:
            return technology;
        case HORZSIZE:
            return logPixelsX > 0 ? RoundToInt(widthPixels * 25.4 / logPixelsX) : 0;
        case VERTSIZE:
            return logPixelsY > 0 ? RoundToInt(heightPixels * 25.4 / logPixelsY) : 0;
        case HORZRES:
            return widthPixels;
        case VERTRES:
            return heightPixels;
        case BITSPIXEL:
            return bitsPerPixel;
        case PLANES:
            return 1;
        case LOGPIXELSX:
            return logPixelsX;
        case LOGPIXELSY:
            return logPixelsY;
        case PHYSICALWIDTH:
            return physicalWidth > 0 ? physicalWidth : widthPixels;
        case PHYSICALHEIGHT:
            return physicalHeight > 0 ? physicalHeight : heightPixels;
        case PHYSICALOFFSETX:
            return physicalOffsetX;
        case PHYSICALOFFSETY:
            return physicalOffsetY;
        default:
            return 0;
    }
}

XForm XForm::Then(const XForm& b) const {
    const XForm& a = *this;
    return XForm{a.m11 * b.m11 + a.m12 * b.m21,      a.m11 * b.m12 + a.m12 * b.m22,
                 a.m21 * b.m11 + a.m22 * b.m21,      a.m21 * b.m12 + a.m22 * b.m22,
                 a.dx * b.m11 + a.dy * b.m21 + b.dx, a.dx * b.m12 + a.dy * b.m22 + b.dy};
}

std::optional<XForm> XForm::Inverse() const {
    const double det = m11 * m22 - m12 * m21;
    if (!std::isfinite(det) || std::abs(det) < 1e-12) return std::nullopt;
    XForm r;
    r.m11 = m22 / det;
    r.m12 = -m12 / det;
    r.m21 = -m21 / det;
    r.m22 = m11 / det;
    r.dx = -(dx * r.m11 + dy * r.m21);
    r.dy = -(dx * r.m12 + dy * r.m22);
    return r;
}

// --- mapping -----------------------------------------------------------------------------------

bool MappingState::SetMode(int newMode, const DeviceCaps& caps) {
    double unitsPerInch = 0;
    switch (newMode) {
        case MM_TEXT:
            windowExt = viewportExt = TSize{1, 1};
            break;
        case MM_LOMETRIC:
            unitsPerInch = 254;
            break;
        case MM_HIMETRIC:
            unitsPerInch = 2540;
            break;
        case MM_LOENGLISH:
            unitsPerInch = 100;
            break;
        case MM_HIENGLISH:
            unitsPerInch = 1000;
            break;
        case MM_TWIPS:
            unitsPerInch = 1440;
            break;
        case MM_ISOTROPIC:
        case MM_ANISOTROPIC:
            break;
        default:
            return false;
    }
    if (unitsPerInch > 0) {
        // Fixed modes: y grows upwards, one unit is a fixed length on the device.
        const int dpiX = caps.logPixelsX > 0 ? caps.logPixelsX : 96;
        const int dpiY = caps.logPixelsY > 0 ? caps.logPixelsY : 96;
        const int w = caps.widthPixels > 0 ? caps.widthPixels : 1;
        const int h = caps.heightPixels > 0 ? caps.heightPixels : 1;
        windowExt = TSize{std::max(1, RoundToInt(w * unitsPerInch / dpiX)),
                          std::max(1, RoundToInt(h * unitsPerInch / dpiY))};
        viewportExt = TSize{w, -h};
    }
    mode = newMode;
    if (mode == MM_ISOTROPIC) AdjustIsotropic();
    return true;
}

void MappingState::AdjustIsotropic() {
    // Shrink the viewport extent on the axis that would scale more, so both scale alike.
    // In 64 bits: extents come from files and may be as large as the type allows.
    const std::int64_t wx = std::llabs(windowExt.cx), wy = std::llabs(windowExt.cy);
    const std::int64_t vx = std::llabs(viewportExt.cx), vy = std::llabs(viewportExt.cy);
    const double sx = static_cast<double>(vx) / static_cast<double>(wx);
    const double sy = static_cast<double>(vy) / static_cast<double>(wy);
    auto scaled = [](std::int64_t a, std::int64_t b, std::int64_t c) {  // a * b / c, rounded
        const double v =
            std::round(static_cast<double>(a) * static_cast<double>(b) / static_cast<double>(c));
        return static_cast<int>(std::clamp(v, 1.0, 2147483647.0));
    };
    if (sx < sy) {
        const int cy = scaled(wy, vx, wx);
        viewportExt.cy = viewportExt.cy < 0 ? -cy : cy;
    } else if (sy < sx) {
        const int cx = scaled(wx, vy, wy);
        viewportExt.cx = viewportExt.cx < 0 ? -cx : cx;
    }
}

bool MappingState::SetWindowExt(TSize ext) {
    if (mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return false;
    if (ext.cx == 0 || ext.cy == 0 || ext.cx == INT_MIN || ext.cy == INT_MIN) return false;
    windowExt = ext;
    if (mode == MM_ISOTROPIC) AdjustIsotropic();
    return true;
}

bool MappingState::SetViewportExt(TSize ext) {
    if (mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return false;
    if (ext.cx == 0 || ext.cy == 0 || ext.cx == INT_MIN || ext.cy == INT_MIN) return false;
    viewportExt = ext;
    if (mode == MM_ISOTROPIC) AdjustIsotropic();
    return true;
}

bool MappingState::ScaleWindowExt(int xNum, int xDenom, int yNum, int yDenom) {
    if (xDenom == 0 || yDenom == 0) return false;
    return SetWindowExt(
        TSize{MulDiv(windowExt.cx, xNum, xDenom), MulDiv(windowExt.cy, yNum, yDenom)});
}

bool MappingState::ScaleViewportExt(int xNum, int xDenom, int yNum, int yDenom) {
    if (xDenom == 0 || yDenom == 0) return false;
    return SetViewportExt(
        TSize{MulDiv(viewportExt.cx, xNum, xDenom), MulDiv(viewportExt.cy, yNum, yDenom)});
}

bool MappingState::SetWorld(const XForm& xform) {
    // Components must survive the page file's 32-bit floats, and the transform must be
    // invertible (hit-testing and clipping map back through it).
    for (double v : {xform.m11, xform.m12, xform.m21, xform.m22, xform.dx, xform.dy}) {
        if (!std::isfinite(v) || std::abs(v) > 1e18) return false;
    }
    if (!xform.Inverse()) return false;
    world = xform;
    return true;
}

bool MappingState::ModifyWorld(const XForm& xform, int how) {
    switch (how) {
        case MWT_IDENTITY:
            world = XForm{};
            return true;
        case MWT_LEFTMULTIPLY:
            return SetWorld(xform.Then(world));
        case MWT_RIGHTMULTIPLY:
            return SetWorld(world.Then(xform));
        default:
            return false;
    }
}

XForm MappingState::PageToDevice() const {
    if (mode == MM_TEXT) {
        // In double: the difference of two 32-bit origins need not fit in 32 bits.
        return XForm::Translation(static_cast<double>(viewportOrg.X) - windowOrg.X,
                                  static_cast<double>(viewportOrg.Y) - windowOrg.Y);
    }
    const double sx = static_cast<double>(viewportExt.cx) / windowExt.cx;
    const double sy = static_cast<double>(viewportExt.cy) / windowExt.cy;
    return XForm{sx, 0, 0, sy, viewportOrg.X - windowOrg.X * sx, viewportOrg.Y - windowOrg.Y * sy};
}

LogFont DefaultFont() {
    return *GetLogFont(GetStockObject(SYSTEM_FONT));
}

// --- the context -------------------------------------------------------------------------------

DeviceContext::DeviceContext(const DeviceCaps& caps) : caps_(caps) {
    state_.font = DefaultFont();
}

DeviceContext::~DeviceContext() = default;

HGDIOBJ DeviceContext::SelectObject(HGDIOBJ object) {
    GdiObjectData data = GetObjectData(object);
    HGDIOBJ previous = 0;
    GdiObjectKind kind = GdiObjectKind::None;
    if (auto* pen = std::get_if<LogPen>(&data)) {
        previous = state_.penHandle;
        state_.penHandle = object;
        state_.pen = *pen;
        kind = GdiObjectKind::Pen;
    } else if (auto* brush = std::get_if<LogBrush>(&data)) {
        previous = state_.brushHandle;
        state_.brushHandle = object;
        state_.brush = *brush;
        kind = GdiObjectKind::Brush;
    } else if (auto* font = std::get_if<LogFont>(&data)) {
        previous = state_.fontHandle;
        state_.fontHandle = object;
        state_.font = std::move(*font);
        kind = GdiObjectKind::Font;
    } else {
        return 0;
    }
    OnSelectObject(kind, object);
    return previous;
}

HGDIOBJ DeviceContext::CurrentObject(GdiObjectKind kind) const {
    switch (kind) {
        case GdiObjectKind::Pen:
            return state_.penHandle;
        case GdiObjectKind::Brush:
            return state_.brushHandle;
        case GdiObjectKind::Font:
            return state_.fontHandle;
        case GdiObjectKind::None:
            break;
    }
    return 0;
}

TColorRef DeviceContext::SetTextColor(TColorRef color) {
    const TColorRef old = state_.textColor;
    state_.textColor = color;
    OnSetTextColor(color);
    return old;
}

TColorRef DeviceContext::SetBkColor(TColorRef color) {
    const TColorRef old = state_.bkColor;
    state_.bkColor = color;
    OnSetBkColor(color);
    return old;
}

int DeviceContext::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    const int old = state_.bkMode;
    state_.bkMode = mode;
    OnSetBkMode(mode);
    return old;
}

std::uint32_t DeviceContext::SetTextAlign(std::uint32_t align) {
    const std::uint32_t old = state_.textAlign;
    state_.textAlign = align;
    OnSetTextAlign(align);
    return old;
}

int DeviceContext::SetPolyFillMode(int mode) {
    if (mode != ALTERNATE && mode != WINDING) return 0;
    const int old = state_.polyFillMode;
    state_.polyFillMode = mode;
    OnSetPolyFillMode(mode);
    return old;
}

int DeviceContext::SetStretchBltMode(int mode) {
    if (mode < 1 || mode > 4) return 0;
    const int old = state_.stretchBltMode;
    state_.stretchBltMode = mode;
    OnSetStretchBltMode(mode);
    return old;
}

int DeviceContext::SetMapMode(int mode) {
    const int old = state_.mapping.mode;
    if (!state_.mapping.SetMode(mode, caps_)) return 0;
    OnSetMapMode(mode);
    return old;
}

TSize DeviceContext::SetWindowExtEx(int cx, int cy) {
    const TSize old = state_.mapping.windowExt;
    if (state_.mapping.SetWindowExt(TSize{cx, cy})) OnSetWindowExt(TSize{cx, cy});
    return old;
}

TSize DeviceContext::SetViewportExtEx(int cx, int cy) {
    const TSize old = state_.mapping.viewportExt;
    if (state_.mapping.SetViewportExt(TSize{cx, cy})) OnSetViewportExt(TSize{cx, cy});
    return old;
}

TPoint DeviceContext::SetWindowOrgEx(int x, int y) {
    const TPoint old = state_.mapping.windowOrg;
    state_.mapping.windowOrg = TPoint{x, y};
    OnSetWindowOrg(TPoint{x, y});
    return old;
}

TPoint DeviceContext::SetViewportOrgEx(int x, int y) {
    const TPoint old = state_.mapping.viewportOrg;
    state_.mapping.viewportOrg = TPoint{x, y};
    OnSetViewportOrg(TPoint{x, y});
    return old;
}

TPoint DeviceContext::OffsetWindowOrgEx(int dx, int dy) {
    const TPoint old = state_.mapping.windowOrg;
    SetWindowOrgEx(AddClamped(old.X, dx), AddClamped(old.Y, dy));
    return old;
}

TPoint DeviceContext::OffsetViewportOrgEx(int dx, int dy) {
    const TPoint old = state_.mapping.viewportOrg;
    SetViewportOrgEx(AddClamped(old.X, dx), AddClamped(old.Y, dy));
    return old;
}

bool DeviceContext::SetWorldTransform(const XForm& xform) {
    if (!state_.mapping.SetWorld(xform)) return false;
    OnSetWorldTransform(xform);
    return true;
}

bool DeviceContext::ModifyWorldTransform(const XForm& xform, int mode) {
    if (!state_.mapping.ModifyWorld(xform, mode)) return false;
    OnModifyWorldTransform(xform, mode);
    return true;
}

XForm DeviceContext::LogicalToDevice() const {
    return state_.mapping.LogicalToDevice();
}

TPointF DeviceContext::LPtoDP(TPointF p) const {
    const XForm m = LogicalToDevice();
    return TPointF{m.MapX(p.X, p.Y), m.MapY(p.X, p.Y)};
}

int DeviceContext::SaveDC() {
    // Each level is a copy of the whole state: past the limit a save is refused (0, as the
    // classic call answers a failure) rather than growing without bound.
    if (stack_.size() >= limits::kMaxContextSavedStates) return 0;
    stack_.push_back(state_);
    OnSaveDC();
    return static_cast<int>(stack_.size());
}

bool DeviceContext::RestoreDC(int level) {
    const int depth = static_cast<int>(stack_.size());
    int index;
    if (level > 0) {
        index = level - 1;
    } else if (level < 0) {
        index = depth + level;
    } else {
        return false;
    }
    if (index < 0 || index >= depth) return false;
    state_ = std::move(stack_[static_cast<std::size_t>(index)]);
    stack_.resize(static_cast<std::size_t>(index));
    OnRestoreDC(level);
    return true;
}

void DeviceContext::IntersectClipRect(int left, int top, int right, int bottom) {
    const XForm m = LogicalToDevice();
    const double xs[2] = {static_cast<double>(left), static_cast<double>(right)};
    const double ys[2] = {static_cast<double>(top), static_cast<double>(bottom)};
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool first = true;
    for (double x : xs) {
        for (double y : ys) {
            const double dx = m.MapX(x, y);
            const double dy = m.MapY(x, y);
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
    TRect deviceRect{RoundToInt(minX), RoundToInt(minY), RoundToInt(maxX), RoundToInt(maxY)};
    state_.clip = state_.clip ? IntersectRect(*state_.clip, deviceRect)
                              : (deviceRect.IsEmpty() ? TRect{} : deviceRect);
    OnIntersectClipRect(TRect{left, top, right, bottom});
}

void DeviceContext::SelectClipRgn(std::optional<TRect> deviceRect) {
    if (deviceRect && deviceRect->IsEmpty()) deviceRect = TRect{};
    state_.clip = deviceRect;
    OnSelectClipRgn(deviceRect);
}

// --- drawing -------------------------------------------------------------------------------------

TPoint DeviceContext::MoveToEx(int x, int y) {
    const TPoint old = state_.currentPosition;
    state_.currentPosition = TPoint{x, y};
    if (inPath_) PathMove(TPointF{static_cast<double>(x), static_cast<double>(y)});
    if (Drawing()) OnMoveTo(TPoint{x, y});
    return old;
}

void DeviceContext::LineTo(int x, int y) {
    const TPoint from = state_.currentPosition;
    state_.currentPosition = TPoint{x, y};
    if (inPath_) {
        if (path_.elements.empty())
            PathMove(TPointF{static_cast<double>(from.X), static_cast<double>(from.Y)});
        PathLine(TPointF{static_cast<double>(x), static_cast<double>(y)});
    }
    if (Drawing()) OnLineTo(from, TPoint{x, y});
}

void DeviceContext::Rectangle(int left, int top, int right, int bottom) {
    if (inPath_) {
        const TPoint corners[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
        PathClosedPolygon(corners);
    }
    if (Drawing()) OnRectangle(TRect{left, top, right, bottom});
}

void DeviceContext::RoundRect(int left, int top, int right, int bottom, int cornerWidth,
                              int cornerHeight) {
    if (inPath_) {
        const TPoint corners[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
        PathClosedPolygon(corners);
    }
    if (Drawing()) OnRoundRect(TRect{left, top, right, bottom}, TSize{cornerWidth, cornerHeight});
}

void DeviceContext::Ellipse(int left, int top, int right, int bottom) {
    if (inPath_) PathEllipse(TRect{left, top, right, bottom});
    if (Drawing()) OnEllipse(TRect{left, top, right, bottom});
}

void DeviceContext::Arc(ArcKind kind, const TRect& box, TPoint start, TPoint end) {
    // While the hook runs the current position is still where an ArcTo's line starts.
    if (Drawing()) OnArc(kind, box, start, end);
    if (kind == ArcKind::ArcTo) {
        // The current position ends at the arc's end on the ellipse; the end radial is close
        // enough for the classic behaviour's users (none of ours draws arcs).
        state_.currentPosition = end;
    }
}

void DeviceContext::Polyline(std::span<const TPoint> points) {
    if (points.size() < 2) return;
    if (inPath_) {
        PathMove(TPointF{static_cast<double>(points[0].X), static_cast<double>(points[0].Y)});
        for (std::size_t i = 1; i < points.size(); ++i) {
            PathLine(TPointF{static_cast<double>(points[i].X), static_cast<double>(points[i].Y)});
        }
    }
    if (Drawing()) OnPolyline(points, false);
}

void DeviceContext::PolylineTo(std::span<const TPoint> points) {
    if (points.empty()) return;
    if (inPath_) {
        if (path_.elements.empty()) {
            PathMove(TPointF{static_cast<double>(state_.currentPosition.X),
                             static_cast<double>(state_.currentPosition.Y)});
        }
        for (const TPoint& p : points)
            PathLine(TPointF{static_cast<double>(p.X), static_cast<double>(p.Y)});
    }
    if (Drawing()) OnPolyline(points, true);
    state_.currentPosition = points.back();
}

void DeviceContext::Polygon(std::span<const TPoint> points) {
    if (points.size() < 2) return;
    if (inPath_) PathClosedPolygon(points);
    if (Drawing()) OnPolygon(points);
}

namespace {

bool CountsFit(std::span<const TPoint> points, std::span<const int> counts) {
    std::size_t total = 0;
    for (int c : counts) {
        if (c < 0) return false;
        total += static_cast<std::size_t>(c);
        if (total > points.size()) return false;
    }
    return total == points.size();
}

}  // namespace

void DeviceContext::PolyPolygon(std::span<const TPoint> points, std::span<const int> counts) {
    if (counts.empty() || !CountsFit(points, counts)) return;
    if (inPath_) {
        std::size_t pos = 0;
        for (int c : counts) {
            PathClosedPolygon(points.subspan(pos, static_cast<std::size_t>(c)));
            pos += static_cast<std::size_t>(c);
        }
    }
    if (Drawing()) OnPolyPolygon(points, counts);
}

void DeviceContext::PolyPolyline(std::span<const TPoint> points, std::span<const int> counts) {
    if (counts.empty() || !CountsFit(points, counts)) return;
    if (inPath_) {
        std::size_t pos = 0;
        for (int c : counts) {
            for (int i = 0; i < c; ++i) {
                const TPointF p{static_cast<double>(points[pos + i].X),
                                static_cast<double>(points[pos + i].Y)};
                if (i == 0)
                    PathMove(p);
                else
                    PathLine(p);
            }
            pos += static_cast<std::size_t>(c);
        }
    }
    if (Drawing()) OnPolyPolyline(points, counts);
}

void DeviceContext::PolyBezier(std::span<const TPoint> points) {
    if (points.size() < 4 || (points.size() - 1) % 3 != 0) return;
    if (inPath_) {
        PathMove(TPointF{static_cast<double>(points[0].X), static_cast<double>(points[0].Y)});
        for (std::size_t i = 1; i + 2 < points.size(); i += 3) {
            PathBezier(
                TPointF{static_cast<double>(points[i].X), static_cast<double>(points[i].Y)},
                TPointF{static_cast<double>(points[i + 1].X), static_cast<double>(points[i + 1].Y)},
                TPointF{static_cast<double>(points[i + 2].X),
                        static_cast<double>(points[i + 2].Y)});
        }
    }
    if (Drawing()) OnPolyBezier(points, false);
}

void DeviceContext::PolyBezierTo(std::span<const TPoint> points) {
    if (points.empty() || points.size() % 3 != 0) return;
    if (inPath_) {
        if (path_.elements.empty()) {
            PathMove(TPointF{static_cast<double>(state_.currentPosition.X),
                             static_cast<double>(state_.currentPosition.Y)});
        }
        for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
            PathBezier(
                TPointF{static_cast<double>(points[i].X), static_cast<double>(points[i].Y)},
                TPointF{static_cast<double>(points[i + 1].X), static_cast<double>(points[i + 1].Y)},
                TPointF{static_cast<double>(points[i + 2].X),
                        static_cast<double>(points[i + 2].Y)});
        }
    }
    if (Drawing()) OnPolyBezier(points, true);
    state_.currentPosition = points.back();
}

void DeviceContext::SetPixel(int x, int y, TColorRef color) {
    OnSetPixel(TPoint{x, y}, color);
}

void DeviceContext::FillRect(const TRect& rect, HBRUSH brush) {
    if (auto b = GetLogBrush(brush)) FillRect(rect, *b);
}

void DeviceContext::FillRect(const TRect& rect, const LogBrush& brush) {
    OnFillRect(rect, brush);
}

void DeviceContext::TextOut(int x, int y, std::string_view text) {
    const std::u16string u16 = utf8::ToUtf16(text);
    TextRun run;
    run.call = TextRun::Call::TextOut;
    run.text = u16;
    EmitText(run, x, y, {});
}

void DeviceContext::ExtTextOut(int x, int y, std::uint32_t options, const TRect* rect,
                               std::u16string_view text, std::span<const int> dx) {
    TextRun run;
    run.call = TextRun::Call::ExtTextOut;
    run.options = options;
    if (rect) run.rect = *rect;
    run.text.assign(text.begin(), text.end());
    EmitText(run, x, y, dx);
}

void DeviceContext::EmitText(TextRun& run, int x, int y, std::span<const int> dx) {
    const bool updateCp = (state_.textAlign & TA_UPDATECP) != 0;
    run.reference = updateCp ? state_.currentPosition : TPoint{x, y};
    run.dxGiven = !dx.empty();
    if (dx.size() >= run.text.size()) {
        // Every advance is given (played pages): nothing to measure.
        run.dx.assign(dx.begin(), dx.begin() + static_cast<std::ptrdiff_t>(run.text.size()));
    } else {
        MeasureAdvances(run.text, run.dx);
        for (std::size_t i = 0; i < dx.size() && i < run.dx.size(); ++i) run.dx[i] = dx[i];
    }
    std::int64_t width = 0;
    for (int a : run.dx) width += a;
    run.width = static_cast<int>(std::clamp<std::int64_t>(width, INT32_MIN, INT32_MAX));
    const FontMetricsF metrics = GetTextMetrics();
    run.ascent = metrics.ascent;
    run.descent = metrics.descent;

    double along = 0;
    switch (state_.textAlign & TA_HORIZONTAL_MASK) {
        case TA_RIGHT:
            along = -run.width;
            break;
        case TA_CENTER:
            along = -run.width / 2.0;
            break;
        default:
            break;
    }
    double down = 0;
    switch (state_.textAlign & TA_VERTICAL_MASK) {
        case TA_BASELINE:
            break;
        case TA_BOTTOM:
            down = -run.descent;
            break;
        default:
            down = run.ascent;
            break;
    }
    // Baseline direction for the escapement, and the side the glyphs hang towards: on a
    // mapping that mirrors the logical plane (y growing upward on the device) that side is
    // the other one in logical units.
    const XForm toDevice = LogicalToDevice();
    const bool mirrored = toDevice.m11 * toDevice.m22 - toDevice.m12 * toDevice.m21 < 0;
    const double angle = state_.font.escapement / 10.0 * std::numbers::pi / 180.0;
    const double ux = std::cos(angle), uy = -std::sin(angle);
    const double vx = mirrored ? uy : -uy, vy = mirrored ? -ux : ux;  // "down"
    run.baseline = TPointF{ux, uy};
    run.down = TPointF{vx, vy};
    run.origin =
        TPointF{run.reference.X + ux * along + vx * down, run.reference.Y + uy * along + vy * down};

    if (updateCp) {
        switch (state_.textAlign & TA_HORIZONTAL_MASK) {
            case TA_RIGHT:
                state_.currentPosition.X = SubClamped(run.reference.X, run.width);
                break;
            case TA_CENTER:
                break;
            default:
                state_.currentPosition.X = AddClamped(run.reference.X, run.width);
                break;
        }
    }
    OnText(run);
}

void DeviceContext::StretchDIBits(int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc,
                                  int wSrc, int hSrc, const BitmapView& image, std::uint32_t rop) {
    if (image.width <= 0 || image.height <= 0) return;
    if (image.pixels.size() <
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return;
    OnStretchDIBits(TRect{xDest, yDest, AddClamped(xDest, wDest), AddClamped(yDest, hDest)},
                    TRect{xSrc, ySrc, AddClamped(xSrc, wSrc), AddClamped(ySrc, hSrc)}, image, rop);
}

// --- paths ---------------------------------------------------------------------------------------

void DeviceContext::BeginPath() {
    inPath_ = true;
    pathClosed_ = false;
    path_.elements.clear();
    OnBeginPath();
}

void DeviceContext::EndPath() {
    if (!inPath_) return;
    inPath_ = false;
    pathClosed_ = true;
    OnEndPath();
}

void DeviceContext::CloseFigure() {
    if (!inPath_) return;
    if (!path_.elements.empty() && path_.elements.back().op != DcPath::Op::Close) {
        path_.elements.push_back({DcPath::Op::Close, {}});
    }
    OnCloseFigure();
}

void DeviceContext::AbortPath() {
    inPath_ = false;
    pathClosed_ = false;
    path_.elements.clear();
    OnAbortPath();
}

void DeviceContext::FillPath() {
    if (!pathClosed_) return;
    OnFillPath(path_);
    FinishPath();
}

void DeviceContext::StrokePath() {
    if (!pathClosed_) return;
    OnStrokePath(path_);
    FinishPath();
}

void DeviceContext::StrokeAndFillPath() {
    if (!pathClosed_) return;
    OnStrokeAndFillPath(path_);
    FinishPath();
}

void DeviceContext::FinishPath() {
    pathClosed_ = false;
    path_.elements.clear();
}

void DeviceContext::PathMove(TPointF p) {
    path_.elements.push_back({DcPath::Op::MoveTo, p});
}

void DeviceContext::PathLine(TPointF p) {
    path_.elements.push_back({DcPath::Op::LineTo, p});
}

void DeviceContext::PathBezier(TPointF c1, TPointF c2, TPointF p) {
    path_.elements.push_back({DcPath::Op::BezierTo, c1});
    path_.elements.push_back({DcPath::Op::BezierTo, c2});
    path_.elements.push_back({DcPath::Op::BezierTo, p});
}

void DeviceContext::PathClosedPolygon(std::span<const TPoint> points) {
    if (points.empty()) return;
    PathMove(TPointF{static_cast<double>(points[0].X), static_cast<double>(points[0].Y)});
    for (std::size_t i = 1; i < points.size(); ++i) {
        PathLine(TPointF{static_cast<double>(points[i].X), static_cast<double>(points[i].Y)});
    }
    path_.elements.push_back({DcPath::Op::Close, {}});
}

void DeviceContext::PathEllipse(const TRect& box) {
    // Four cubic quarter arcs (the usual 0.5523 control-point factor).
    const double k = 0.5522847498;
    const double left = box.Left, top = box.Top, right = box.Right, bottom = box.Bottom;
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
    PathMove(TPointF{cx + rx, cy});
    PathBezier(TPointF{cx + rx, cy + k * ry}, TPointF{cx + k * rx, cy + ry}, TPointF{cx, cy + ry});
    PathBezier(TPointF{cx - k * rx, cy + ry}, TPointF{cx - rx, cy + k * ry}, TPointF{cx - rx, cy});
    PathBezier(TPointF{cx - rx, cy - k * ry}, TPointF{cx - k * rx, cy - ry}, TPointF{cx, cy - ry});
    PathBezier(TPointF{cx + k * rx, cy - ry}, TPointF{cx + rx, cy - k * ry}, TPointF{cx + rx, cy});
    path_.elements.push_back({DcPath::Op::Close, {}});
}

// --- metafiles and measurement
// -----------------------------------------------------------------------

TextMeasurer& DeviceContext::Measurer() const {
    return measurer_ ? *measurer_ : GetGraphicsBackend().Measurer();
}

void DeviceContext::MeasureAdvances(std::u16string_view text, std::vector<int>& out) const {
    // Measured for every text run and every width asked: one buffer serves them all.
    thread_local std::vector<double> advances;
    advances.clear();
    Measurer().Advances(state_.font, MeasuringPixelsPerInch(), text, advances);
    advances.resize(text.size(), 0.0);  // a measurer that returned too few counts as 0 width
    RoundAdvances(advances, out);
}

TSize DeviceContext::GetTextExtent(std::u16string_view text) const {
    std::vector<int> advances;
    MeasureAdvances(text, advances);
    std::int64_t width = 0;
    for (int a : advances) width += a;
    return TSize{static_cast<int>(std::clamp<std::int64_t>(width, INT32_MIN, INT32_MAX)),
                 RoundToInt(GetTextMetrics().Height())};
}

TSize DeviceContext::GetTextExtent(std::string_view utf8Text) const {
    return GetTextExtent(std::u16string_view(utf8::ToUtf16(utf8Text)));
}

FontMetricsF DeviceContext::GetTextMetrics() const {
    return Measurer().Metrics(state_.font, MeasuringPixelsPerInch());
}

}  // namespace quillon
