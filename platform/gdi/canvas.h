// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TCanvas: a device context with its own pen, brush and font objects, selected lazily
// before each operation that needs them (and re-created only when they changed).

#include <memory>
#include <string_view>

#include "platform/gdi/device_context.h"
#include "platform/gdi/graphics.h"

namespace quillon {

class TCanvas {
  public:
    TCanvas();
    explicit TCanvas(DeviceContext* handle);
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The device context drawn on. Without one, drawing does nothing and measuring uses a
    // context with the screen's caps. Changing it puts the stock objects back into the old
    // context and deletes the canvas's objects.
    DeviceContext* Handle() const { return handle_; }
    void SetHandle(DeviceContext* handle);
    bool HandleAllocated() const { return handle_ != nullptr; }

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }
    const TPen& Pen() const { return pen_; }
    const TBrush& Brush() const { return brush_; }
    const TFont& Font() const { return font_; }
    void SetPen(const TPen& pen) { pen_.Assign(pen); }
    void SetBrush(const TBrush& brush) { brush_.Assign(brush); }
    void SetFont(const TFont& font) { font_.Assign(font); }

    TPoint PenPos() const;
    void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }

    // Measuring in the canvas's font (logical units of the context).
    TSize TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }

    // Text at (x, y); the pen position moves to the end of the text. The background is
    // the brush's colour for a solid brush, transparent otherwise.
    void TextOut(int x, int y, std::string_view text);
    // Text clipped to `rect` (filled with the brush first when it is solid).
    void TextRect(const TRect& rect, int x, int y, std::string_view text);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(std::span<const TPoint> points);
    void Polygon(std::span<const TPoint> points);
    void FillRect(const TRect& rect);   // with the brush
    void FrameRect(const TRect& rect);  // one-pixel frame in the brush's colour

    // Graphics at their natural size, or stretched into a rectangle. Icons draw their
    // decoded image when the backend could decode one.
    void Draw(int x, int y, const TBitmap& bitmap);
    void Draw(int x, int y, const TMetafile& metafile);
    void Draw(int x, int y, const TPicture& picture);
    void StretchDraw(const TRect& rect, const TBitmap& bitmap);
    void StretchDraw(const TRect& rect, const TMetafile& metafile);
    void StretchDraw(const TRect& rect, const TPicture& picture);

    // Makes sure the canvas's current pen, brush and font are selected into the context.
    void RequireObjects(bool pen, bool brush, bool font);

  private:
    DeviceContext& Measuring();
    void DeselectObjects();
    void FreeObjects();

    DeviceContext* handle_ = nullptr;
    std::unique_ptr<DeviceContext> measuringContext_;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    HPEN penHandle_ = 0;
    HBRUSH brushHandle_ = 0;
    HFONT fontHandle_ = 0;
    bool penValid_ = false;
    bool brushValid_ = false;
    bool fontValid_ = false;
};

}  // namespace quillon
