// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/canvas.h"

#include "platform/gdi/screen.h"
#include "platform/sys/utf8.h"

namespace quillon {

TCanvas::TCanvas() {
    pen_.SetOnChange([this](TGraphicsObject&) { penValid_ = false; });
    brush_.SetOnChange([this](TGraphicsObject&) { brushValid_ = false; });
    font_.SetOnChange([this](TGraphicsObject&) { fontValid_ = false; });
}

TCanvas::TCanvas(DeviceContext* handle) : TCanvas() {
    handle_ = handle;
}

TCanvas::~TCanvas() {
    DeselectObjects();
    FreeObjects();
}

void TCanvas::SetHandle(DeviceContext* handle) {
    if (handle == handle_) return;
    DeselectObjects();
    FreeObjects();
    handle_ = handle;
}

void TCanvas::DeselectObjects() {
    if (!handle_) return;
    // Stock objects go back in, so the context never holds an object this canvas deletes.
    if (penValid_ || penHandle_) handle_->SelectObject(GetStockObject(BLACK_PEN));
    if (brushValid_ || brushHandle_) handle_->SelectObject(GetStockObject(HOLLOW_BRUSH));
    if (fontValid_ || fontHandle_) handle_->SelectObject(GetStockObject(SYSTEM_FONT));
}

void TCanvas::FreeObjects() {
    if (penHandle_) DeleteObject(penHandle_);
    if (brushHandle_) DeleteObject(brushHandle_);
    if (fontHandle_) DeleteObject(fontHandle_);
    penHandle_ = brushHandle_ = fontHandle_ = 0;
    penValid_ = brushValid_ = fontValid_ = false;
}

DeviceContext& TCanvas::Measuring() {
    if (handle_) return *handle_;
    if (!measuringContext_)
        measuringContext_ = std::make_unique<NullDeviceContext>(Screen().Caps());
    return *measuringContext_;
}

void TCanvas::RequireObjects(bool pen, bool brush, bool font) {
    DeviceContext& dc = Measuring();
    if (pen && !penValid_) {
        const HPEN h = CreatePenIndirect(pen_.ToLogPen());
        dc.SelectObject(h);
        if (penHandle_) DeleteObject(penHandle_);
        penHandle_ = h;
        penValid_ = true;
    }
    if (brush && !brushValid_) {
        const HBRUSH h = CreateBrushIndirect(brush_.ToLogBrush());
        dc.SelectObject(h);
        if (brushHandle_) DeleteObject(brushHandle_);
        brushHandle_ = h;
        const TColorRef c = ColorToColorRef(brush_.Color());
        if (brush_.Style() == bsSolid) {
            dc.SetBkColor(c);
            dc.SetBkMode(OPAQUE);
        } else {
            // Drawing ignores the background colour in transparent mode, but readers of a
            // recorded page may paint it behind text: a clear brush means the paper's white.
            // A hatch gets the inverse of its colour, which keeps it visible on readers that
            // skip a hatch equal to the background.
            dc.SetBkColor(brush_.Style() == bsClear ? 0xFFFFFFu : (~c & 0xFFFFFFu));
            dc.SetBkMode(TRANSPARENT);
        }
        brushValid_ = true;
    }
    if (font && !fontValid_) {
        const HFONT h = CreateFontIndirect(font_.ToLogFont());
        dc.SelectObject(h);
        if (fontHandle_) DeleteObject(fontHandle_);
        fontHandle_ = h;
        dc.SetTextColor(ColorToColorRef(font_.Color()));
        fontValid_ = true;
    }
}

TPoint TCanvas::PenPos() const {
    return handle_ ? handle_->CurrentPosition() : TPoint{};
}

TSize TCanvas::TextExtent(std::string_view text) {
    RequireObjects(false, false, true);
    return Measuring().GetTextExtent(text);
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    if (!handle_) return;
    RequireObjects(false, true, true);
    handle_->TextOut(x, y, text);
    handle_->MoveToEx(AddClamped(x, handle_->GetTextExtent(text).cx), y);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, std::string_view text) {
    if (!handle_) return;
    RequireObjects(false, true, true);
    const std::u16string u16 = utf8::ToUtf16(text);
    std::uint32_t options = ETO_CLIPPED;
    if (brush_.Style() != bsClear) options |= ETO_OPAQUE;
    handle_->ExtTextOut(x, y, options, &rect, u16);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!handle_) return;
    RequireObjects(true, true, false);
    handle_->Rectangle(x1, y1, x2, y2);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    if (!handle_) return;
    RequireObjects(true, true, false);
    handle_->RoundRect(x1, y1, x2, y2, x3, y3);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    if (!handle_) return;
    RequireObjects(true, true, false);
    handle_->Ellipse(x1, y1, x2, y2);
}

void TCanvas::MoveTo(int x, int y) {
    if (!handle_) return;
    handle_->MoveToEx(x, y);
}

void TCanvas::LineTo(int x, int y) {
    if (!handle_) return;
    RequireObjects(true, true, false);
    handle_->LineTo(x, y);
}

void TCanvas::Polyline(std::span<const TPoint> points) {
    if (!handle_) return;
    RequireObjects(true, true, false);
    handle_->Polyline(points);
}

void TCanvas::Polygon(std::span<const TPoint> points) {
    if (!handle_) return;
    RequireObjects(true, true, false);
    handle_->Polygon(points);
}

void TCanvas::FillRect(const TRect& rect) {
    if (!handle_) return;
    RequireObjects(false, true, false);
    handle_->FillRect(rect, brush_.ToLogBrush());
}

void TCanvas::FrameRect(const TRect& rect) {
    if (!handle_ || rect.IsEmpty()) return;
    RequireObjects(false, true, false);
    const LogBrush b = brush_.ToLogBrush();
    handle_->FillRect(TRect{rect.Left, rect.Top, rect.Right, AddClamped(rect.Top, 1)}, b);
    handle_->FillRect(TRect{rect.Left, SubClamped(rect.Bottom, 1), rect.Right, rect.Bottom}, b);
    handle_->FillRect(TRect{rect.Left, rect.Top, AddClamped(rect.Left, 1), rect.Bottom}, b);
    handle_->FillRect(TRect{SubClamped(rect.Right, 1), rect.Top, rect.Right, rect.Bottom}, b);
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    StretchDraw(Bounds(x, y, bitmap.Width(), bitmap.Height()), bitmap);
}

void TCanvas::Draw(int x, int y, const TMetafile& metafile) {
    StretchDraw(Bounds(x, y, metafile.Width(), metafile.Height()), metafile);
}

void TCanvas::Draw(int x, int y, const TPicture& picture) {
    StretchDraw(Bounds(x, y, picture.Width(), picture.Height()), picture);
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap& bitmap) {
    if (!handle_ || bitmap.Empty()) return;
    handle_->StretchDIBits(rect.Left, rect.Top, rect.Width(), rect.Height(), 0, 0, bitmap.Width(),
                           bitmap.Height(), bitmap.View(), SRCCOPY);
}

void TCanvas::StretchDraw(const TRect& rect, const TMetafile& metafile) {
    if (!handle_ || metafile.Empty()) return;
    // A picture whose records break off draws what it holds up to there; its header was
    // checked when it was loaded, and drawing has no one to tell about the rest.
    static_cast<void>(handle_->PlayEnhMetaFile(metafile.Data(), rect));
}

void TCanvas::StretchDraw(const TRect& rect, const TPicture& picture) {
    if (const TBitmap* b = picture.BitmapIfAny())
        StretchDraw(rect, *b);
    else if (const TMetafile* m = picture.MetafileIfAny())
        StretchDraw(rect, *m);
    else if (const TIcon* i = picture.IconIfAny())
        StretchDraw(rect, i->Image());
}

}  // namespace quillon
