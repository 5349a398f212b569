// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_painter_dc.h"

#include <QBuffer>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/sys/limits.h"
#include "platform/sys/rounding.h"

namespace quillon {

namespace {

QColor ToQColor(TColorRef c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

Qt::BrushStyle HatchStyle(std::int32_t hatch) {
    switch (hatch) {
        case HS_HORIZONTAL:
            return Qt::HorPattern;
        case HS_VERTICAL:
            return Qt::VerPattern;
        case HS_FDIAGONAL:
            return Qt::FDiagPattern;
        case HS_BDIAGONAL:
            return Qt::BDiagPattern;
        case HS_CROSS:
            return Qt::CrossPattern;
        case HS_DIAGCROSS:
            return Qt::DiagCrossPattern;
        default:
            return Qt::SolidPattern;
    }
}

QBrush ToQBrush(const LogBrush& b) {
    switch (b.style) {
        case BS_NULL:
            return QBrush(Qt::NoBrush);
        case BS_HATCHED:
            return QBrush(ToQColor(b.color), HatchStyle(b.hatch));
        case BS_PATTERN:
            if (b.pattern && b.pattern->width > 0 && b.pattern->height > 0 &&
                b.pattern->pixels.size() >= static_cast<std::size_t>(b.pattern->width) *
                                                static_cast<std::size_t>(b.pattern->height)) {
                const QImage tile(reinterpret_cast<const uchar*>(b.pattern->pixels.data()),
                                  b.pattern->width, b.pattern->height, b.pattern->width * 4,
                                  QImage::Format_RGB32);
                return QBrush(tile.copy());
            }
            return QBrush(ToQColor(b.color));
        default:
            return QBrush(ToQColor(b.color));
    }
}

QTransform ToQTransform(const XForm& m) {
    return QTransform(m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
}

// Dash patterns of one-pixel pens, in pixels (on, off, ...).
QList<qreal> DashPattern(std::uint32_t style) {
    switch (style) {
        case PS_DASH:
            return {18, 6};
        case PS_DOT:
            return {3, 3};
        case PS_DASHDOT:
            return {9, 6, 3, 6};
        case PS_DASHDOTDOT:
            return {9, 3, 3, 3, 3, 3};
        default:
            return {};
    }
}

constexpr double kPi = std::numbers::pi;

// Printers and PDF keep figures as vector paths; everything else is pixels.
bool IsVectorTarget(QPainter& painter) {
    if (QPaintDevice* device = painter.device()) {
        const int type = device->devType();
        if (type == QInternal::Printer || type == QInternal::Picture) return true;
    }
    const QPaintEngine* engine = painter.paintEngine();
    return engine && (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::SVG ||
                      engine->type() == QPaintEngine::Picture);
}

int ClampInt64(std::int64_t v, int low, int high) {
    return static_cast<int>(std::clamp<std::int64_t>(v, low, high));
}

}  // namespace

QtPainterDC::QtPainterDC(QPainter& painter, const DeviceCaps& caps)
    : DeviceContext(caps), painter_(painter), base_(painter.worldTransform()) {
    if (painter.hasClipping()) baseClip_ = painter.clipRegion();
    vector_ = IsVectorTarget(painter);
    // What of the device the painter reaches, in device space; unknown devices count as
    // large (the clip of the state still narrows it).
    constexpr int kFar = 1 << 30;
    deviceVisible_ = QRect(QPoint(-kFar, -kFar), QPoint(kFar, kFar));
    if (QPaintDevice* device = painter.device(); device && base_.isInvertible()) {
        const QRectF area(0, 0, device->width(), device->height());
        deviceVisible_ = base_.inverted().mapRect(area).toAlignedRect();
    }
    if (baseClip_) deviceVisible_ &= baseClip_->boundingRect();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setBrushOrigin(0, 0);
}

QtPainterDC::~QtPainterDC() {
    // Leave the painter as it was given: device space, outer clip.
    painter_.setWorldTransform(base_);
    if (baseClip_) {
        painter_.setClipRegion(*baseClip_);
    } else {
        painter_.setClipping(false);
    }
}

bool QtPainterDC::AxisAligned() {
    xf_ = LogicalToDevice();
    return xf_.m12 == 0 && xf_.m21 == 0;
}

double QtPainterDC::Scale() const {
    return std::sqrt(std::abs(xf_.m11 * xf_.m22 - xf_.m12 * xf_.m21));
}

QPoint QtPainterDC::Dev(TPoint p) const {
    return QPoint(RoundToInt(xf_.MapX(p.X, p.Y)), RoundToInt(xf_.MapY(p.X, p.Y)));
}

QPointF QtPainterDC::DevF(double x, double y) const {
    return QPointF(xf_.MapX(x, y), xf_.MapY(x, y));
}

QRectF QtPainterDC::DevBox::ToRectF() const {
    return QRectF(static_cast<double>(left), static_cast<double>(top), static_cast<double>(Width()),
                  static_cast<double>(Height()));
}

QtPainterDC::DevBox QtPainterDC::DevBounds(const TRect& r) const {
    QPoint a, b;
    if (axis_) {
        a = Dev(TPoint{r.Left, r.Top});
        b = Dev(TPoint{r.Right, r.Bottom});
    } else {
        a = QPoint(r.Left, r.Top);
        b = QPoint(r.Right, r.Bottom);
    }
    return DevBox{std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                  std::max(a.y(), b.y())};
}

QRect QtPainterDC::Visible() const {
    QRect v = deviceVisible_;
    if (const std::optional<TRect>& c = State().clip) {
        if (c->IsEmpty()) return QRect();
        v &= QRect(QPoint(c->Left, c->Top), QPoint(c->Right - 1, c->Bottom - 1));
    }
    return v;
}

QRect QtPainterDC::Clamp(const DevBox& box, int margin) const {
    int lowX = -(1 << 30), highX = 1 << 30, lowY = lowX, highY = highX;
    if (axis_) {
        const QRect v = Visible();
        if (v.isEmpty()) return QRect();
        margin = std::clamp(margin, 0, 1 << 20);
        lowX = v.left() - margin;
        highX = v.right() + 1 + margin;
        lowY = v.top() - margin;
        highY = v.bottom() + 1 + margin;
    }
    const int left = ClampInt64(box.left, lowX, highX), right = ClampInt64(box.right, lowX, highX);
    const int top = ClampInt64(box.top, lowY, highY), bottom = ClampInt64(box.bottom, lowY, highY);
    if (right <= left || bottom <= top) return QRect();
    return QRect(left, top, right - left, bottom - top);
}

QRect QtPainterDC::DevRect(const TRect& r) const {
    return Clamp(DevBounds(r), 2);
}

bool QtPainterDC::Prepare(bool deviceSpace) {
    axis_ = AxisAligned();
    const bool logical = !axis_ && !deviceSpace;
    const DcState& s = State();
    if (!appliedClip_ || *appliedClip_ != s.clip) {
        painter_.setWorldTransform(base_);
        appliedLogical_.reset();
        if (s.clip) {
            const TRect& c = *s.clip;
            QRegion region(QRect(QPoint(c.Left, c.Top),
                                 QSize(std::max(0, c.Width()), std::max(0, c.Height()))));
            if (baseClip_) region &= *baseClip_;
            painter_.setClipRegion(region);
        } else if (baseClip_) {
            painter_.setClipRegion(*baseClip_);
        } else {
            painter_.setClipping(false);
        }
        appliedClip_ = s.clip;
    }
    const XForm m = logical ? xf_ : XForm{};
    if (!appliedLogical_ || *appliedLogical_ != logical || (logical && !(appliedXForm_ == m))) {
        painter_.setWorldTransform(logical ? ToQTransform(m) * base_ : base_);
        appliedLogical_ = logical;
        appliedXForm_ = m;
    }
    painter_.setBackgroundMode(s.bkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(QBrush(ToQColor(s.bkColor)));
    return axis_;
}

QPen QtPainterDC::MakePen(const LogPen& lp) const {
    const std::uint32_t style = lp.style & PS_STYLE_MASK;
    if (style == PS_NULL) return QPen(Qt::NoPen);
    const double scale = axis_ ? Scale() : 1.0;
    const double width = lp.width * scale;
    QColor color = ToQColor(lp.color);
    if (const double pixel = State().thinPenPixel; pixel > 0 && lp.width >= 1) {
        const double covered = std::max(lp.width * Scale(), pixel);
        if (covered < 1) color.setAlphaF(static_cast<float>(color.alphaF() * covered));
    }
    if (lp.width <= 1 || width < 1.5) {
        // One device pixel: the line leaves out its end pixel (flat cap), and the classic
        // dash patterns apply.
        QPen pen(color, 0);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        if (const auto dashes = DashPattern(style); !dashes.isEmpty()) pen.setDashPattern(dashes);
        return pen;
    }
    // Wide pens are solid with round ends and joins.
    QPen pen(color, axis_ ? RoundToInt(width) : lp.width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void QtPainterDC::UsePen(bool on) {
    const LogPen& lp = State().pen;
    const double scale = Scale();
    const double faint = State().thinPenPixel;
    if (on && penOn_ && appliedPen_ == lp && appliedPenScale_ == scale && appliedPenFaint_ == faint)
        return;
    if (!on) {
        if (penOn_ || appliedPenScale_ < 0) painter_.setPen(Qt::NoPen);
        penOn_ = false;
        appliedPenScale_ = 0;
        return;
    }
    painter_.setPen(MakePen(lp));
    penOn_ = true;
    appliedPen_ = lp;
    appliedPenScale_ = scale;
    appliedPenFaint_ = faint;
}

void QtPainterDC::UseBrush(const LogBrush* brush) {
    static const LogBrush kNone{BS_NULL, 0, 0};
    const LogBrush& b = brush ? *brush : kNone;
    if (brushSet_ && appliedBrush_ == b) return;
    painter_.setBrush(ToQBrush(b));
    brushSet_ = true;
    appliedBrush_ = b;
}

QRectF QtPainterDC::FigureRect(const QRectF& r) const {
    const LogPen& lp = State().pen;
    const std::uint32_t style = lp.style & PS_STYLE_MASK;
    const QPen pen = MakePen(lp);
    if (pen.style() == Qt::NoPen || pen.isCosmetic()) {
        // One-pixel outline on the first and last pixel rows and columns; with a null pen
        // the fill ends one pixel earlier.
        return QRectF(r.left(), r.top(), r.width() - 1, r.height() - 1);
    }
    const double w = pen.widthF();
    if (style == PS_INSIDEFRAME) {
        // The whole pen inside the bounds.
        return QRectF(r.left() + w / 2, r.top() + w / 2, std::max(0.0, r.width() - w),
                      std::max(0.0, r.height() - w));
    }
    // A wide pen is centred on the outermost pixel rows and columns.
    return QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, r.height() - 1);
}

void QtPainterDC::OnLineTo(TPoint from, TPoint to) {
    const bool axis = Prepare();
    if (axis) {
        const QPoint a = Dev(from), b = Dev(to);
        if (a == b) return;
        const LogPen& lp = State().pen;
        if ((a.x() == b.x() || a.y() == b.y()) && (lp.style & PS_STYLE_MASK) == PS_SOLID &&
            MakePen(lp).isCosmetic()) {
            // A solid one-pixel line along an axis is a run of pixels: filled as a rectangle,
            // which is far cheaper than stroking it. The end pixel stays out.
            QRect run;
            if (a.y() == b.y())
                run = a.x() < b.x() ? QRect(a.x(), a.y(), b.x() - a.x(), 1)
                                    : QRect(b.x() + 1, a.y(), a.x() - b.x(), 1);
            else
                run = a.y() < b.y() ? QRect(a.x(), a.y(), 1, b.y() - a.y())
                                    : QRect(a.x(), b.y() + 1, 1, a.y() - b.y());
            painter_.fillRect(run, MakePen(lp).color());
            return;
        }
        UsePen(true);
        painter_.drawLine(a, b);
    } else if (!(from == to)) {
        UsePen(true);
        painter_.drawLine(QPointF(from.X, from.Y), QPointF(to.X, to.Y));
    }
}

void QtPainterDC::OnRectangle(const TRect& r) {
    Prepare();
    UsePen(true);
    UseBrush(&State().brush);
    const DevBox box = DevBounds(r);
    if (box.Empty()) return;
    // Straight edges: the part beyond the visible area (and a pen's width) shows nothing.
    const QRect d = Clamp(box, RoundToInt(State().pen.width * Scale()) + 2);
    if (d.isEmpty()) return;
    painter_.drawRect(FigureRect(QRectF(d)));
}

std::optional<QRectF> QtPainterDC::VectorFigureRect(const DevBox& b) {
    const LogPen& lp = State().pen;
    const QPen classic = MakePen(lp);
    const double w = static_cast<double>(b.Width()), h = static_cast<double>(b.Height());
    const double l = static_cast<double>(b.left), t = static_cast<double>(b.top);
    if (classic.style() == Qt::NoPen) {
        // The fill alone covers l..r-2 by t..b-2: its edge runs one pixel in.
        UsePen(false);
        return QRectF(l, t, w - 1, h - 1);
    }
    if (!classic.isCosmetic()) return std::nullopt;
    // A one-pixel outline on the first and last pixel rows and columns: its centre line
    // runs through their middles, and it is one device pixel wide at any output resolution
    // (a cosmetic pen would be one pixel of whatever later rasterises the page).
    QPen pen(classic.color(), 1.0);
    pen.setCosmetic(false);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (const auto dashes = DashPattern(lp.style & PS_STYLE_MASK); !dashes.isEmpty())
        pen.setDashPattern(dashes);
    painter_.setPen(pen);
    penOn_ = false;
    appliedPenScale_ = -1;
    return QRectF(l + 0.5, t + 0.5, w - 1, h - 1);
}

void QtPainterDC::OnRoundRect(const TRect& r, TSize corner) {
    const bool axis = Prepare();
    UsePen(true);
    UseBrush(&State().brush);
    const DevBox d = DevBounds(r);
    if (d.Empty()) return;
    const double cw = std::abs(corner.cx * xf_.m11), ch = std::abs(corner.cy * xf_.m22);
    if (axis && vector_) {
        if (const auto f = VectorFigureRect(d)) {
            // The corner ellipse spans cw x ch pixels including its outline.
            const double rx = std::clamp((cw - 1) / 2, 0.0, f->width() / 2);
            const double ry = std::clamp((ch - 1) / 2, 0.0, f->height() / 2);
            painter_.drawRoundedRect(*f, rx, ry, Qt::AbsoluteSize);
            return;
        }
    }
    if (axis && !vector_ && SpanFigure(d, RoundToInt(cw), RoundToInt(ch))) return;
    const double rx = axis ? cw / 2 : std::abs(corner.cx) / 2.0;
    const double ry = axis ? ch / 2 : std::abs(corner.cy) / 2.0;
    painter_.drawRoundedRect(FigureRect(d.ToRectF()), rx, ry, Qt::AbsoluteSize);
}

void QtPainterDC::OnEllipse(const TRect& r) {
    const bool axis = Prepare();
    UsePen(true);
    UseBrush(&State().brush);
    const DevBox d = DevBounds(r);
    if (d.Empty()) return;
    if (axis && vector_) {
        if (const auto f = VectorFigureRect(d)) {
            painter_.drawEllipse(*f);
            return;
        }
    }
    if (axis && !vector_ && SpanFigure(d, d.Width(), d.Height())) return;
    painter_.drawEllipse(FigureRect(d.ToRectF()));
}

bool QtPainterDC::SpanFigure(DevBox bounds, std::int64_t cornerWidth, std::int64_t cornerHeight) {
    // Qt's own ellipse outline may step one pixel outside its rectangle or miss the last
    // row; the rows are worked out here instead, so that the figure keeps the classic
    // bounds exactly. Only for solid one-pixel and null pens (wide and dashed outlines go
    // through Qt's stroker).
    const QPen pen = MakePen(State().pen);
    if (pen.style() != Qt::NoPen && (!pen.isCosmetic() || pen.style() != Qt::SolidLine))
        return false;
    if (pen.style() == Qt::NoPen) {
        // Without an outline the fill ends one pixel earlier, as for Rectangle.
        bounds.right -= 1;
        bounds.bottom -= 1;
        if (bounds.Empty()) return true;
    }
    const std::int64_t left = bounds.left, top = bounds.top;
    const std::int64_t width = bounds.Width(), height = bounds.Height();
    const std::int64_t ew = std::clamp<std::int64_t>(cornerWidth, 0, width);
    const std::int64_t eh = std::clamp<std::int64_t>(cornerHeight, 0, height);
    // A pixel belongs to the figure when its centre lies inside; the corner ellipse's radii
    // reach the bounds' edges.
    const double a = static_cast<double>(ew) / 2.0, b = static_cast<double>(eh) / 2.0;
    const double h = static_cast<double>(height);
    const std::int64_t maxInset = (width - 1) / 2;  // every row keeps its middle pixel(s)
    auto inset = [&](std::int64_t row) {
        const double yc = static_cast<double>(row) + 0.5;
        // Distance from the pixel centre to the straight middle part (0 inside it).
        double dy = 0;
        if (yc < b)
            dy = b - yc;
        else if (yc > h - b)
            dy = yc - (h - b);
        std::int64_t k = 0;
        if (dy > 0) {
            const double t = dy / b;
            const double halfWidth = a * std::sqrt(std::max(0.0, 1.0 - t * t));
            k = static_cast<std::int64_t>(std::ceil(a - halfWidth - 0.5));
        }
        return std::clamp<std::int64_t>(k, 0, maxInset);
    };
    // Only the rows and columns that can show are worked out and filled: the figure may be
    // far larger than the device.
    const QRect vis = Visible();
    if (vis.isEmpty()) return true;
    const std::int64_t firstRow = std::max<std::int64_t>(0, vis.top() - top);
    const std::int64_t lastRow = std::min<std::int64_t>(height - 1, vis.bottom() - top);
    if (firstRow > lastRow) return true;
    const std::int64_t visLeft = vis.left() - 1, visRight = vis.right() + 1;
    auto fillRun = [&](std::int64_t row, std::int64_t l, std::int64_t r, const QBrush& brush) {
        l = std::max(l, visLeft);
        r = std::min(r, visRight);
        if (l > r) return;
        painter_.fillRect(
            QRect(static_cast<int>(l), static_cast<int>(top + row), static_cast<int>(r - l + 1), 1),
            brush);
    };
    struct Span {
        std::int64_t l, r;
    };
    auto span = [&](std::int64_t row) {
        const std::int64_t k = inset(row);
        return Span{left + k, left + width - 1 - k};
    };
    const LogBrush& brush = State().brush;
    if (brush.style != BS_NULL) {
        const QBrush fill = ToQBrush(brush);
        for (std::int64_t row = firstRow; row <= lastRow; ++row) {
            const Span s = span(row);
            fillRun(row, s.l, s.r, fill);
        }
    }
    if (pen.style() == Qt::NoPen) return true;
    // The outline: pixels of each row that the row above or below does not cover, and the
    // ends of every row.
    const QBrush color(pen.color());
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        const Span s = span(row);
        if (row == 0 || row == height - 1) {
            fillRun(row, s.l, s.r, color);
            continue;
        }
        const Span up = span(row - 1), down = span(row + 1);
        // Left of the narrower neighbour's start and right of its end.
        const std::int64_t leftEnd = std::max(s.l, std::max(up.l, down.l) - 1);
        const std::int64_t rightStart = std::min(s.r, std::min(up.r, down.r) + 1);
        if (leftEnd >= rightStart - 1) {
            fillRun(row, s.l, s.r, color);
        } else {
            fillRun(row, s.l, leftEnd, color);
            fillRun(row, rightStart, s.r, color);
        }
    }
    return true;
}

void QtPainterDC::OnArc(ArcKind kind, const TRect& box, TPoint start, TPoint end) {
    const bool axis = Prepare();
    UsePen(true);
    const DevBox d = DevBounds(box);
    if (d.Empty()) return;
    std::optional<QRectF> vectorRect;
    if (axis && vector_) {
        // One path, as for ellipses; an open arc has no fill to keep the null pen's edge for.
        const bool nullPen = MakePen(State().pen).style() == Qt::NoPen;
        if (!(nullPen && (kind == ArcKind::Arc || kind == ArcKind::ArcTo)))
            vectorRect = VectorFigureRect(d);
    }
    const QRectF f = vectorRect ? *vectorRect : FigureRect(d.ToRectF());
    const QPointF s = axis ? QPointF(Dev(start)) : QPointF(start.X, start.Y);
    const QPointF e = axis ? QPointF(Dev(end)) : QPointF(end.X, end.Y);
    const QPointF c = f.center();
    const double rx = std::max(f.width() / 2, 1e-9), ry = std::max(f.height() / 2, 1e-9);
    // Qt measures arc angles on the circle the ellipse is squeezed from (counter-clockwise,
    // 0 at three o'clock); the radial points give the angle of their ray.
    auto angle = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / kPi;
    };
    const double a0 = angle(s);
    double span = angle(e) - a0;
    while (span <= 0) span += 360;  // counter-clockwise; the same point makes a full turn
    const int a16 = RoundToInt(a0 * 16), s16 = RoundToInt(span * 16);
    switch (kind) {
        case ArcKind::Arc:
            painter_.drawArc(f, a16, s16);
            break;
        case ArcKind::ArcTo: {
            QPainterPath path;
            path.moveTo(axis ? QPointF(Dev(CurrentPosition()))
                             : QPointF(CurrentPosition().X, CurrentPosition().Y));
            path.arcTo(f, a0, span);
            UseBrush(nullptr);
            painter_.drawPath(path);
            break;
        }
        case ArcKind::Chord:
            UseBrush(&State().brush);
            painter_.drawChord(f, a16, s16);
            break;
        case ArcKind::Pie:
            UseBrush(&State().brush);
            painter_.drawPie(f, a16, s16);
            break;
    }
}

namespace {

void DrawPolylineBounded(QPainter& painter, const QPolygon& poly) {
    if (poly.size() < 2) return;
    if (poly.size() <= limits::kMaxStrokedPoints || painter.pen().widthF() <= 1) {
        painter.drawPolyline(poly);
        return;
    }
    // Pieces sharing their end points, so the line stays unbroken.
    for (qsizetype at = 0; at + 1 < poly.size(); at += limits::kMaxStrokedPoints - 1) {
        const qsizetype n = std::min<qsizetype>(limits::kMaxStrokedPoints, poly.size() - at);
        painter.drawPolyline(poly.constData() + at, static_cast<int>(n));
    }
}

}  // namespace

void QtPainterDC::OnPolyline(std::span<const TPoint> points, bool fromCurrentPosition) {
    const bool axis = Prepare();
    UsePen(true);
    QPolygon poly;
    poly.reserve(static_cast<qsizetype>(points.size()) + 1);
    auto add = [&](TPoint p) { poly.append(axis ? Dev(p) : QPoint(p.X, p.Y)); };
    // The current position is still the start point while the hook runs.
    if (fromCurrentPosition) add(CurrentPosition());
    for (const TPoint& p : points) add(p);
    DrawPolylineBounded(painter_, poly);
}

void QtPainterDC::OnPolygon(std::span<const TPoint> points) {
    const bool axis = Prepare();
    UsePen(true);
    UseBrush(&State().brush);
    QPolygon poly;
    poly.reserve(static_cast<qsizetype>(points.size()));
    for (const TPoint& p : points) poly.append(axis ? Dev(p) : QPoint(p.X, p.Y));
    if (poly.size() >= 2)
        painter_.drawPolygon(poly,
                             State().polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
}

void QtPainterDC::OnPolyPolygon(std::span<const TPoint> points, std::span<const int> counts) {
    const bool axis = Prepare();
    UsePen(true);
    UseBrush(&State().brush);
    QPainterPath path;
    path.setFillRule(State().polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    std::size_t at = 0;
    for (int n : counts) {
        if (n <= 0 || static_cast<std::size_t>(n) > points.size() - at) break;
        QPolygonF poly;
        for (int i = 0; i < n; ++i) {
            const TPoint& p = points[at + static_cast<std::size_t>(i)];
            poly.append(axis ? QPointF(Dev(p)) : QPointF(p.X, p.Y));
        }
        poly.append(poly.first());
        path.addPolygon(poly);
        at += static_cast<std::size_t>(n);
    }
    painter_.drawPath(path);
}

void QtPainterDC::OnPolyPolyline(std::span<const TPoint> points, std::span<const int> counts) {
    const bool axis = Prepare();
    UsePen(true);
    std::size_t at = 0;
    for (int n : counts) {
        if (n <= 0 || static_cast<std::size_t>(n) > points.size() - at) break;
        QPolygon poly;
        for (int i = 0; i < n; ++i) {
            const TPoint& p = points[at + static_cast<std::size_t>(i)];
            poly.append(axis ? Dev(p) : QPoint(p.X, p.Y));
        }
        DrawPolylineBounded(painter_, poly);
        at += static_cast<std::size_t>(n);
    }
}

void QtPainterDC::OnPolyBezier(std::span<const TPoint> points, bool fromCurrentPosition) {
    const bool axis = Prepare();
    UsePen(true);
    UseBrush(nullptr);
    auto pt = [&](TPoint p) { return axis ? QPointF(Dev(p)) : QPointF(p.X, p.Y); };
    std::size_t i = 0;
    QPainterPath path;
    if (fromCurrentPosition) {
        path.moveTo(pt(CurrentPosition()));
    } else {
        if (points.empty()) return;
        path.moveTo(pt(points[0]));
        i = 1;
    }
    for (; i + 3 <= points.size(); i += 3)
        path.cubicTo(pt(points[i]), pt(points[i + 1]), pt(points[i + 2]));
    painter_.drawPath(path);
}

void QtPainterDC::OnSetPixel(TPoint p, TColorRef color) {
    const bool axis = Prepare();
    const QPoint d = axis ? Dev(p) : QPoint(p.X, p.Y);
    painter_.fillRect(QRect(d, QSize(1, 1)), ToQColor(color));
}

void QtPainterDC::OnFillRect(const TRect& r, const LogBrush& brush) {
    if (brush.style == BS_NULL) return;
    Prepare();
    const QRect d = DevRect(r);
    if (d.isEmpty()) return;
    painter_.fillRect(d, ToQBrush(brush));
}

void QtPainterDC::OnStretchDIBits(const TRect& dest, const TRect& src, const BitmapView& image,
                                  std::uint32_t rop) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() <
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return;
    const bool axis = Prepare();
    QPointF a, b;
    if (axis) {
        a = Dev(TPoint{dest.Left, dest.Top});
        b = Dev(TPoint{dest.Right, dest.Bottom});
    } else {
        a = QPointF(dest.Left, dest.Top);
        b = QPointF(dest.Right, dest.Bottom);
    }
    if (a.x() == b.x() || a.y() == b.y()) return;
    if (rop == PATCOPY) {
        painter_.fillRect(QRectF(a, b).normalized(), ToQBrush(State().brush));
        return;
    }
    // The pixels are 0xAARRGGBB top-down rows: a view of them as an RGB32 image, no copy.
    const QImage view(
        reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
        image.width * 4,
        image.premultipliedAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.opacity == 0) return;
    const double opacity = painter_.opacity();
    painter_.setOpacity(opacity * image.opacity / 255.0);
    QRect source(QPoint(src.Left, src.Top), QSize(src.Width(), src.Height()));
    source = source.normalized() & view.rect();
    if (source.isEmpty()) {
        painter_.setOpacity(opacity);
        return;
    }
    const bool mirrorX = (b.x() < a.x()) != (src.Width() < 0);
    const bool mirrorY = (b.y() < a.y()) != (src.Height() < 0);
    QRectF target = QRectF(a, b).normalized();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, State().stretchBltMode == 4);
    // A PDF would otherwise keep a colour picture as JPEG, which changes its colours: the
    // page keeps the exact pixels.
    painter_.setRenderHint(QPainter::LosslessImageRendering, true);
    if (mirrorX || mirrorY) {
        const QImage part = view.copy(source).mirrored(mirrorX, mirrorY);
        painter_.drawImage(target, part, QRectF(part.rect()));
    } else {
        painter_.drawImage(target, view, QRectF(source));
    }
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setOpacity(opacity);
}

QPainterPath QtPainterDC::PathOf(const DcPath& path) const {
    const bool axis = axis_;
    auto pt = [&](TPointF p) {
        if (!axis) return QPointF(p.X, p.Y);
        const QPointF d = DevF(p.X, p.Y);
        return QPointF(RoundToInt(d.x()), RoundToInt(d.y()));
    };
    QPainterPath out;
    out.setFillRule(State().polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    const auto& el = path.elements;
    for (std::size_t i = 0; i < el.size(); ++i) {
        switch (el[i].op) {
            case DcPath::Op::MoveTo:
                out.moveTo(pt(el[i].p));
                break;
            case DcPath::Op::LineTo:
                out.lineTo(pt(el[i].p));
                break;
            case DcPath::Op::BezierTo:
                if (i + 2 < el.size()) {
                    out.cubicTo(pt(el[i].p), pt(el[i + 1].p), pt(el[i + 2].p));
                    i += 2;
                }
                break;
            case DcPath::Op::Close:
                out.closeSubpath();
                break;
        }
    }
    return out;
}

void QtPainterDC::DrawFigurePath(const QPainterPath& path, bool fill, bool stroke) {
    UsePen(stroke);
    UseBrush(fill ? &State().brush : nullptr);
    painter_.drawPath(path);
}

void QtPainterDC::OnFillPath(const DcPath& path) {
    Prepare();
    DrawFigurePath(PathOf(path), true, false);
}
void QtPainterDC::OnStrokePath(const DcPath& path) {
    Prepare();
    DrawFigurePath(PathOf(path), false, true);
}
void QtPainterDC::OnStrokeAndFillPath(const DcPath& path) {
    Prepare();
    DrawFigurePath(PathOf(path), true, true);
}

// ---------------------------------------------------------------------------------------------
// Text

void QtPainterDC::OnText(const TextRun& run) {
    const DcState& s = State();
    Prepare(true);
    const XForm m = xf_;
    // Baseline direction and the downward normal, in logical units.
    const double ux = run.baseline.X, uy = run.baseline.Y;
    const double nx = run.down.X, ny = run.down.Y;
    auto at = [&](double along, double down) {
        const double x = run.origin.X + along * ux + down * nx;
        const double y = run.origin.Y + along * uy + down * ny;
        return QPointF(m.MapX(x, y), m.MapY(x, y));
    };

    const bool clipped = (run.options & ETO_CLIPPED) && run.rect;
    if (clipped) painter_.save();
    if (run.rect && (run.options & (ETO_OPAQUE | ETO_CLIPPED))) {
        // The rectangle in device space: rounded when the mapping keeps it upright.
        QPainterPath area;
        if (axis_) {
            area.addRect(DevRect(*run.rect));
        } else {
            const TRect& r = *run.rect;
            area.addPolygon(QPolygonF({DevF(r.Left, r.Top), DevF(r.Right, r.Top),
                                       DevF(r.Right, r.Bottom), DevF(r.Left, r.Bottom)}));
            area.closeSubpath();
        }
        if (run.options & ETO_OPAQUE) painter_.fillPath(area, ToQColor(s.bkColor));
        if (clipped) painter_.setClipPath(area, Qt::IntersectClip);
    }

    // From here on the painter's pen, brush and background are the text's.
    penOn_ = false;
    appliedPenScale_ = -1;
    brushSet_ = false;
    if (s.bkMode == OPAQUE && run.width != 0) {
        // The text's cell is filled with the background colour.
        const QPolygonF cell({at(0, -run.ascent), at(run.width, -run.ascent),
                              at(run.width, run.descent), at(0, run.descent)});
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(ToQColor(s.bkColor));
        painter_.drawPolygon(cell);
    }
    painter_.setBackgroundMode(Qt::TransparentMode);

    // Device lengths of one logical unit along the baseline and across it.
    const double alongScale = std::hypot(m.m11 * ux + m.m21 * uy, m.m12 * ux + m.m22 * uy);
    const double acrossScale = std::hypot(m.m11 * nx + m.m21 * ny, m.m12 * nx + m.m22 * ny);
    if (!(textFont_ && *textFont_ == s.font)) {
        textFont_ = s.font;
        textResolved_ = ResolveFont(s.font);
    }
    const ResolvedFont& font = textResolved_;
    const double emDevice = font.em * acrossScale;
    const QPointF originDev = at(0, 0);
    const QPointF along = at(1, 0) - originDev;
    const double angle = std::atan2(along.y(), along.x());
    // Glyph shapes are stretched when the font record asks for it or the axes scale apart.
    const double stretch = acrossScale > 0 ? font.stretch * alongScale / acrossScale : 1.0;
    const bool plain = std::abs(angle) < 1e-9 && std::abs(stretch - 1.0) < 1e-9;

    if (emDevice >= 0.05 && !run.text.empty()) {
        const QRawFont raw = RawFontFor(font, emDevice);
        const auto* chars = reinterpret_cast<const QChar*>(run.text.data());
        const int length = static_cast<int>(run.text.size());
        glyphs_.resize(run.text.size());
        int count = length;
        if (!raw.glyphIndexesForChars(chars, length, glyphs_.data(), &count)) count = 0;
        runGlyphs_.clear();
        positions_.clear();
        missing_.clear();
        double pen = 0;  // logical units along the baseline
        int glyph = 0;
        for (std::size_t i = 0; i < run.text.size(); ++i) {
            const char16_t u = run.text[i];
            const bool pair = u >= 0xD800 && u <= 0xDBFF && i + 1 < run.text.size() &&
                              run.text[i + 1] >= 0xDC00 && run.text[i + 1] <= 0xDFFF;
            const quint32 g = glyph < count ? glyphs_[static_cast<std::size_t>(glyph)] : 0;
            ++glyph;
            if (u >= 0x20 && u != 0x7F) {
                if (g != 0) {
                    runGlyphs_.push_back(g);
                    positions_.push_back(plain ? at(pen, 0)
                                               : QPointF(pen * alongScale / stretch, 0));
                } else {
                    // Not in this face: Qt's font fallback draws it.
                    missing_.push_back({static_cast<int>(i), pair ? 2 : 1, pen});
                }
            }
            pen += i < run.dx.size() ? run.dx[i] : 0;
            if (pair) {
                ++i;
                pen += i < run.dx.size() ? run.dx[i] : 0;
            }
        }
        const QColor color = ToQColor(s.textColor);
        painter_.setPen(color);
        if (!plain) {
            painter_.setWorldTransform(QTransform()
                                           .translate(originDev.x(), originDev.y())
                                           .rotateRadians(angle)
                                           .scale(stretch, 1) *
                                       base_);
            appliedLogical_.reset();
        }
        if (!runGlyphs_.empty()) {
            QGlyphRun glyphRun;
            glyphRun.setRawFont(raw);
            // The arrays outlive the run: it does not copy them.
            glyphRun.setRawData(runGlyphs_.data(), positions_.data(),
                                static_cast<int>(runGlyphs_.size()));
            painter_.drawGlyphRun(QPointF(0, 0), glyphRun);
        }
        if (!missing_.empty()) {
            painter_.setFont(MakeQFont(font, emDevice, painter_.device()->logicalDpiY()));
            for (const Missing& mi : missing_) {
                const QPointF p =
                    plain ? at(mi.along, 0) : QPointF(mi.along * alongScale / stretch, 0);
                painter_.drawText(p, QString(chars + mi.index, mi.length));
            }
        }
        // Underline and strike-out run along the whole advance width.
        if (s.font.underline || s.font.strikeOut) {
            const double thickness = std::max(raw.lineThickness(), 1.0);
            const double length = run.width * alongScale / (plain ? 1.0 : stretch);
            const QPointF start = plain ? originDev : QPointF(0, 0);
            if (s.font.underline)
                painter_.fillRect(
                    QRectF(start.x(), start.y() + raw.underlinePosition() - thickness / 2, length,
                           thickness),
                    color);
            if (s.font.strikeOut)
                painter_.fillRect(QRectF(start.x(), start.y() - raw.xHeight() / 2 - thickness / 2,
                                         length, thickness),
                                  color);
        }
    }
    if (clipped) {
        painter_.restore();
        appliedLogical_.reset();
    }
}

// ---------------------------------------------------------------------------------------------

QtImageDC::QtImageDC(int width, int height, int pixelsPerInch)
    : image_(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32) {
    image_.fill(Qt::white);
    const int dotsPerMeter = static_cast<int>(std::lround(pixelsPerInch / 0.0254));
    image_.setDotsPerMeterX(dotsPerMeter);
    image_.setDotsPerMeterY(dotsPerMeter);
    painter_ = std::make_unique<QPainter>(&image_);
    DeviceCaps caps;
    caps.technology = DT_RASDISPLAY;
    caps.widthPixels = image_.width();
    caps.heightPixels = image_.height();
    caps.logPixelsX = caps.logPixelsY = pixelsPerInch;
    dc_ = std::make_unique<QtPainterDC>(*painter_, caps);
}

QtImageDC::~QtImageDC() {
    dc_.reset();
    if (painter_) painter_->end();
}

QImage QtImageDC::Finish() {
    dc_.reset();
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
    return image_;
}

struct QtPdfPageDC::Writer {
    QBuffer buffer;
    std::unique_ptr<QPdfWriter> pdf;
};

QtPdfPageDC::QtPdfPageDC(int side) : writer_(std::make_unique<Writer>()) {
    const int s = std::max(side, 1);
    DeviceCaps caps;
    caps.technology = DT_RASPRINTER;
    caps.widthPixels = caps.heightPixels = s;
    caps.logPixelsX = caps.logPixelsY = 72;
    fallback_ = std::make_unique<NullDeviceContext>(caps);
    writer_->buffer.open(QIODevice::WriteOnly);
    writer_->pdf = std::make_unique<QPdfWriter>(&writer_->buffer);
    writer_->pdf->setResolution(72);
    writer_->pdf->setPageLayout(
        QPageLayout(QPageSize(QSizeF(s, s), QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    painter_ = std::make_unique<QPainter>();
    if (painter_->begin(writer_->pdf.get())) dc_ = std::make_unique<QtPainterDC>(*painter_, caps);
}

QtPdfPageDC::~QtPdfPageDC() {
    Finish();
}

QByteArray QtPdfPageDC::Finish() {
    dc_.reset();
    if (painter_) {
        if (painter_->isActive()) painter_->end();
        painter_.reset();
    }
    return writer_ ? writer_->buffer.data() : QByteArray();
}

}  // namespace quillon
