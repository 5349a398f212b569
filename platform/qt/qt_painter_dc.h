// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The device context that draws with QPainter: screen painting, the preview, printers,
// PDF files and images.
//
// Geometry follows the classic raster rules. Every coordinate is mapped to device pixels
// and rounded (to nearest, ties to even) before drawing, so a figure lands on the same
// pixels whether it is drawn directly or played back from a page file; lines leave out
// their end pixel; a pen-outlined Rectangle(l, t, r, b) covers l..r-1 by t..b-1, and the
// same with a null pen fills one pixel less on the right and at the bottom; a 1-unit pen
// (or any pen thinner than one device pixel after mapping) draws one device pixel wide.
// Text puts each glyph at the advance the context measured or was given, never where Qt's
// own layout would put it. When the mapping rotates or shears (a world transform), figures
// are drawn through the painter's transform instead, without rounding.
//
// Curved figures (ellipses, round rectangles, chords, pies) depend on the target. On raster
// targets (images, the screen) ellipses and round rectangles are worked out as exact pixel
// rows, and only the rows the clip and the device let show. On vector targets (printers,
// PDF) every curved figure is one painter path, laid so that its outline covers the same
// device area l..r-1 by t..b-1 at any resolution the output is later rasterised at.
// Device coordinates are 64-bit where sizes are taken: a mapped coordinate saturates at the
// int range, and a figure from INT_MIN to INT_MAX is still a figure.

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <QTransform>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/gdi/device_context.h"
#include "platform/qt/qt_fonts.h"

namespace quillon {

class QtPainterDC : public DeviceContext {
  public:
    // Draws with `painter`, which must be active for the context's lifetime. The painter's
    // transform and clip at this moment are the device space and the outer clip: device
    // pixel (x, y) of the context is point (x, y) of the painter as it is now.
    QtPainterDC(QPainter& painter, const DeviceCaps& caps);
    ~QtPainterDC() override;

    QPainter& Painter() { return painter_; }

  protected:
    void OnLineTo(TPoint from, TPoint to) override;
    void OnRectangle(const TRect& r) override;
    void OnRoundRect(const TRect& r, TSize corner) override;
    void OnEllipse(const TRect& r) override;
    void OnArc(ArcKind kind, const TRect& box, TPoint start, TPoint end) override;
    void OnPolyline(std::span<const TPoint> points, bool fromCurrentPosition) override;
    void OnPolygon(std::span<const TPoint> points) override;
    void OnPolyPolygon(std::span<const TPoint> points, std::span<const int> counts) override;
    void OnPolyPolyline(std::span<const TPoint> points, std::span<const int> counts) override;
    void OnPolyBezier(std::span<const TPoint> points, bool fromCurrentPosition) override;
    void OnSetPixel(TPoint p, TColorRef color) override;
    void OnFillRect(const TRect& r, const LogBrush& brush) override;
    void OnText(const TextRun& run) override;
    void OnStretchDIBits(const TRect& dest, const TRect& src, const BitmapView& image,
                         std::uint32_t rop) override;
    void OnFillPath(const DcPath& path) override;
    void OnStrokePath(const DcPath& path) override;
    void OnStrokeAndFillPath(const DcPath& path) override;

  private:
    // Brings the painter's clip, transform and background in line with the state and
    // returns whether the mapping is axis-aligned. The painter is left in device space when
    // it is (or when `deviceSpace` is set), else in logical space (the full mapping).
    bool Prepare(bool deviceSpace = false);
    void UsePen(bool on);
    void UseBrush(const LogBrush* brush);
    // Reads the mapping into xf_; true when it neither rotates nor shears.
    bool AxisAligned();
    // Logical -> device, rounded; only for axis-aligned mappings.
    QPoint Dev(TPoint p) const;
    QPointF DevF(double x, double y) const;
    // Normalised bounds with exclusive right and bottom, in 64 bits so that sizes of
    // saturated coordinates never overflow.
    struct DevBox {
        std::int64_t left = 0, top = 0, right = 0, bottom = 0;
        std::int64_t Width() const { return right - left; }
        std::int64_t Height() const { return bottom - top; }
        bool Empty() const { return right <= left || bottom <= top; }
        QRectF ToRectF() const;
    };
    // The device bounds of logical bounds, or the logical bounds themselves when drawing
    // through the transform.
    DevBox DevBounds(const TRect& r) const;
    // Device pixels that can show anything: the device, the outer clip and the clip of the
    // state (only meaningful in device space).
    QRect Visible() const;
    // `box` cut to the visible area widened by `margin` pixels on each side, which leaves
    // the pixels drawn unchanged for straight-edged figures; in logical space only
    // saturated to a range Qt's int rectangles hold.
    QRect Clamp(const DevBox& box, int margin) const;
    // DevBounds cut to what can show (a margin of two pixels).
    QRect DevRect(const TRect& r) const;
    // Device pixels per logical unit (geometric mean of the axes).
    double Scale() const;
    QPen MakePen(const LogPen& pen) const;
    // Rectangle for Rectangle/Ellipse/RoundRect under the pen in use (see the header
    // comment); `r` is normalised and exclusive.
    QRectF FigureRect(const QRectF& r) const;
    QPainterPath PathOf(const DcPath& path) const;
    // Ellipse (corner size = bounds size) or round rectangle row by row, in device pixels,
    // for the visible rows only; false when the pen is too wide for it.
    bool SpanFigure(DevBox bounds, std::int64_t cornerWidth, std::int64_t cornerHeight);
    // On a vector target with a one-pixel or null pen: selects the figure's pen (one device
    // pixel wide, scaled with the output) and returns the rectangle the outline's centre
    // line (or, without a pen, the fill's edge) runs on. Nothing for wide pens, which keep
    // FigureRect.
    std::optional<QRectF> VectorFigureRect(const DevBox& bounds);
    void DrawFigurePath(const QPainterPath& path, bool fill, bool stroke);

    QPainter& painter_;
    bool vector_ = false;              // a printer or PDF: figures go out as paths
    QRect deviceVisible_;              // the device and outer clip, in device space
    XForm xf_;                         // logical -> device of the call being drawn
    bool axis_ = true;                 // xf_ is axis-aligned
    QTransform base_;                  // device space
    std::optional<QRegion> baseClip_;  // outer clip in device space
    // What the painter was last given, to skip redundant changes.
    std::optional<std::optional<TRect>> appliedClip_;
    std::optional<bool> appliedLogical_;
    XForm appliedXForm_;
    bool penOn_ = false;
    LogPen appliedPen_;
    double appliedPenScale_ = -1;
    double appliedPenFaint_ = 0;  // the thin-pen pixel it was made for
    bool brushSet_ = false;
    LogBrush appliedBrush_;
    // Text: the font last resolved, and buffers kept between runs.
    std::optional<LogFont> textFont_;
    ResolvedFont textResolved_;
    struct Missing {
        int index, length;  // UTF-16 units of a character the face lacks
        double along;       // its position along the baseline, logical units
    };
    std::vector<quint32> glyphs_, runGlyphs_;
    std::vector<QPointF> positions_;
    std::vector<Missing> missing_;
};

// An image with a painter and a context on it, for rendering pages and tests.
class QtImageDC {
  public:
    // A white image of the size; the caps report `pixelsPerInch` on both axes.
    QtImageDC(int width, int height, int pixelsPerInch = 96);
    ~QtImageDC();

    DeviceContext& DC() { return *dc_; }
    // False when the image could not be allocated (drawing then goes nowhere).
    bool Ok() const { return !image_.isNull(); }
    // A copy of the pixels drawn so far (painting goes on).
    QImage Image() const { return image_.copy(); }
    // Ends painting (the context is gone afterwards) and returns the image.
    QImage Finish();

  private:
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtPainterDC> dc_;
};

// A one-page PDF document in memory of `side` points a side, at 72 pixels per inch, drawn
// through a painter context (for checking that pages play into a PDF writer).
class QtPdfPageDC {
  public:
    explicit QtPdfPageDC(int side);
    ~QtPdfPageDC();
    QtPdfPageDC(const QtPdfPageDC&) = delete;
    QtPdfPageDC& operator=(const QtPdfPageDC&) = delete;

    // False when the writer could not start painting (drawing then goes nowhere).
    bool Ok() const { return dc_ != nullptr; }
    DeviceContext& DC() { return dc_ ? static_cast<DeviceContext&>(*dc_) : *fallback_; }
    // Ends the page and answers the document's bytes.
    QByteArray Finish();

  private:
    struct Writer;
    std::unique_ptr<Writer> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtPainterDC> dc_;
    std::unique_ptr<NullDeviceContext> fallback_;
};

}  // namespace quillon
