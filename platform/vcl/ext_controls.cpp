// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/ext_controls.h"

#include "platform/vcl/form_lists.h"

#include <algorithm>

#include "platform/gdi/canvas.h"
#include "platform/gdi/device_context.h"
#include "platform/sys/limits.h"
#include "platform/sys/notice.h"
#include "platform/sys/utf8.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/graphics_properties.h"
#include "platform/vcl/properties.h"

namespace quillon {

const TEnumInfo kBitBtnKindNames{"TBitBtnKind",
                                 {{"bkCustom", bkCustom},
                                  {"bkOK", bkOK},
                                  {"bkCancel", bkCancel},
                                  {"bkHelp", bkHelp},
                                  {"bkYes", bkYes},
                                  {"bkNo", bkNo},
                                  {"bkClose", bkClose},
                                  {"bkAbort", bkAbort},
                                  {"bkRetry", bkRetry},
                                  {"bkIgnore", bkIgnore},
                                  {"bkAll", bkAll}}};
const TEnumInfo kButtonLayoutNames{"TButtonLayout",
                                   {{"blGlyphLeft", blGlyphLeft},
                                    {"blGlyphRight", blGlyphRight},
                                    {"blGlyphTop", blGlyphTop},
                                    {"blGlyphBottom", blGlyphBottom}}};
const TEnumInfo kShapeTypeNames{"TShapeType",
                                {{"stRectangle", stRectangle},
                                 {"stSquare", stSquare},
                                 {"stRoundRect", stRoundRect},
                                 {"stRoundSquare", stRoundSquare},
                                 {"stEllipse", stEllipse},
                                 {"stCircle", stCircle}}};
const TEnumInfo kBevelShapeNames{"TBevelShape",
                                 {{"bsBox", bsBox},
                                  {"bsFrame", bsFrame},
                                  {"bsTopLine", bsTopLine},
                                  {"bsBottomLine", bsBottomLine},
                                  {"bsLeftLine", bsLeftLine},
                                  {"bsRightLine", bsRightLine},
                                  {"bsSpacer", bsSpacer}}};
const TEnumInfo kBevelStyleNames{"TBevelStyle", {{"bsLowered", bsLowered}, {"bsRaised", bsRaised}}};
const TEnumInfo kGridOptionNames{"TGridOption",
                                 {{"goFixedVertLine", goFixedVertLine},
                                  {"goFixedHorzLine", goFixedHorzLine},
                                  {"goVertLine", goVertLine},
                                  {"goHorzLine", goHorzLine},
                                  {"goRangeSelect", goRangeSelect},
                                  {"goDrawFocusSelected", goDrawFocusSelected},
                                  {"goRowSizing", goRowSizing},
                                  {"goColSizing", goColSizing},
                                  {"goRowMoving", goRowMoving},
                                  {"goColMoving", goColMoving},
                                  {"goEditing", goEditing},
                                  {"goTabs", goTabs},
                                  {"goRowSelect", goRowSelect},
                                  {"goAlwaysShowEditor", goAlwaysShowEditor},
                                  {"goThumbTracking", goThumbTracking}}};

namespace {
const std::string& GetCaption(const TControl& c) {
    return c.Caption();
}
void SetCaptionText(TControl& c, const std::string& v) {
    c.SetCaption(v);
}
}  // namespace

// ---------------------------------------------------------------- TBitBtn

const TClassInfo& TBitBtn::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TBitBtn>("TBitBtn", &TButton::StaticClassInfo())
            .Object("Glyph", BitmapClassInfo(), [](TBitBtn& b) -> TBitmap& { return b.Glyph(); })
            .Enum("Kind", kBitBtnKindNames, &TBitBtn::Kind, &TBitBtn::SetKind, bkCustom)
            .Enum("Layout", kButtonLayoutNames, &TBitBtn::Layout, &TBitBtn::SetLayout, blGlyphLeft)
            .Int("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin, -1, -1, 1000)
            .Int("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs, 1, 1, 4)
            .Int("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing, 4, -1, 1000)
            .Factory();
    return info;
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
    glyph_.SetOnChange([this](TGraphicsObject&) { GlyphChanged(); });
}

void TBitBtn::GlyphChanged() {
    const int w = glyph_.Width(), h = glyph_.Height();
    if (h > 0 && w % h == 0 && w / h >= 1 && w / h <= 4) numGlyphs_ = w / h;
    Changed(TPeerChange::Picture);
}

void TBitBtn::SetGlyph(const TBitmap& bitmap) {
    glyph_.SetSize(bitmap.Width(), bitmap.Height());
    std::copy(bitmap.Pixels().begin(), bitmap.Pixels().end(), glyph_.Pixels().begin());
    GlyphChanged();
}

void TBitBtn::SetNumGlyphs(int n) {
    n = std::clamp(n, 1, 4);
    if (n == numGlyphs_) return;
    numGlyphs_ = n;
    Changed(TPeerChange::Picture);
}

void TBitBtn::SetKind(TBitBtnKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    struct KindInfo {
        const char* caption;
        TModalResult result;
    };
    static const KindInfo kinds[] = {
        {"", mrNone},        {"OK", mrOk},          {"Cancel", mrCancel}, {"&Help", mrNone},
        {"&Yes", mrYes},     {"&No", mrNo},         {"&Close", mrNone},   {"Abort", mrAbort},
        {"&Retry", mrRetry}, {"&Ignore", mrIgnore}, {"&All", mrAll},
    };
    if (kind == bkCustom || IsLoading()) return;
    const KindInfo& k = kinds[kind];
    SetCaption(k.caption);
    SetModalResult(k.result);
    if (kind == bkOK || kind == bkYes) SetDefault(true);
    if (kind == bkCancel || kind == bkNo) SetCancel(true);
}

void TBitBtn::SetLayout(TButtonLayout l) {
    if (l == layout_) return;
    layout_ = l;
    Changed(TPeerChange::Appearance);
}

void TBitBtn::SetMargin(int m) {
    if (m == margin_) return;
    margin_ = m;
    Changed(TPeerChange::Appearance);
}

void TBitBtn::SetSpacing(int s) {
    if (s == spacing_) return;
    spacing_ = s;
    Changed(TPeerChange::Appearance);
}

std::uint32_t TBitBtn::TransparentColor() const {
    if (glyph_.Empty()) return 0;
    return glyph_.Pixel(0, glyph_.Height() - 1) & 0x00FFFFFFu;
}

TBitmap TBitBtn::GlyphImage(int index) const {
    TBitmap out;
    if (glyph_.Empty() || numGlyphs_ < 1) return out;
    const int w = glyph_.Width() / numGlyphs_;
    const int h = glyph_.Height();
    if (w <= 0) return out;
    const bool made = index >= numGlyphs_;  // a disabled image the strip does not have
    const int source = made ? 0 : index;
    out.SetSize(w, h);
    const std::uint32_t clear = TransparentColor();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = glyph_.Pixel(source * w + x, y) & 0x00FFFFFFu;
            if (p == clear) {
                out.SetPixel(x, y, p);  // alpha 0
                continue;
            }
            std::uint32_t c = p;
            if (made && index == 1) {
                // Greyed: each pixel's brightness as a shade of the button shadow.
                const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                c = (r * 30 + g * 59 + b * 11) / 100 > 200 ? 0xFFFFFFu : 0x808080u;
            }
            out.SetPixel(x, y, 0xFF000000u | c);
        }
    }
    return out;
}

void TBitBtn::DrawGlyph(TCanvas& canvas, int x, int y) const {
    DeviceContext* dc = canvas.Handle();
    if (!dc) return;
    const TBitmap image = CurrentGlyph();
    for (int j = 0; j < image.Height(); ++j) {
        for (int i = 0; i < image.Width(); ++i) {
            const std::uint32_t p = image.Pixel(i, j);
            if ((p >> 24) == 0) continue;
            dc->SetPixel(x + i, y + j, RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    }
}

void TBitBtn::Click() {
    // A close button closes its form.
    if (kind_ == bkClose)
        if (TCustomForm* form = ParentForm()) {
            TButton::Click();
            form->Close();
            return;
        }
    TButton::Click();
}

// ---------------------------------------------------------------- TShape

const TClassInfo& TShape::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TShape>("TShape", &TGraphicControl::StaticClassInfo())
            .Object("Brush", BrushClassInfo(), [](TShape& s) -> TBrush& { return s.Brush(); })
            .Object("Pen", PenClassInfo(), [](TShape& s) -> TPen& { return s.Pen(); })
            .Enum("Shape", kShapeTypeNames, &TShape::Shape, &TShape::SetShape, stRectangle)
            .Factory();
    return info;
}

TShape::TShape(TComponent* owner) : TGraphicControl(owner) {
    InitBounds(65, 65);
    pen_.SetOnChange([this](TGraphicsObject&) { Invalidate(); });
    brush_.SetOnChange([this](TGraphicsObject&) { Invalidate(); });
}

void TShape::SetShape(TShapeType s) {
    if (s == shape_) return;
    shape_ = s;
    Invalidate();
}

void TShape::Paint() {
    TCanvas& c = Canvas();
    c.SetPen(pen_);
    c.SetBrush(brush_);
    int x = pen_.Width() / 2, y = x;
    int w = Width() - pen_.Width() + 1, h = Height() - pen_.Width() + 1;
    if (pen_.Width() == 0) {
        --w;
        --h;
    }
    const int s = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    switch (shape_) {
        case stRectangle:
        case stSquare:
            c.Rectangle(x, y, x + w, y + h);
            break;
        case stRoundRect:
        case stRoundSquare:
            c.RoundRect(x, y, x + w, y + h, s / 4, s / 4);
            break;
        case stEllipse:
        case stCircle:
            c.Ellipse(x, y, x + w, y + h);
            break;
    }
}

// ---------------------------------------------------------------- TBevel

const TClassInfo& TBevel::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TBevel>("TBevel", &TGraphicControl::StaticClassInfo())
            .Enum("Shape", kBevelShapeNames, &TBevel::Shape, &TBevel::SetShape, bsBox)
            .Enum("Style", kBevelStyleNames, &TBevel::Style, &TBevel::SetStyle, bsLowered)
            .Factory();
    return info;
}

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    InitBounds(50, 50);
}

void TBevel::SetShape(TBevelShape s) {
    if (s == shape_) return;
    shape_ = s;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle s) {
    if (s == style_) return;
    style_ = s;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas& c = Canvas();
    TColor color1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    auto bevelRect = [&](TRect r) {
        c.Pen().SetColor(color1);
        const TPoint a[] = {{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}};
        c.Polyline(a);
        c.Pen().SetColor(color2);
        const TPoint b[] = {{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}};
        c.Polyline(b);
    };
    auto bevelLine = [&](TColor color, int x1, int y1, int x2, int y2) {
        c.Pen().SetColor(color);
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };
    c.Pen().SetWidth(1);
    const int w = Width(), h = Height();
    switch (shape_) {
        case bsBox:
            bevelRect(Rect(0, 0, w - 1, h - 1));
            break;
        case bsFrame: {
            const TColor temp = color1;
            color1 = color2;
            bevelRect(Rect(1, 1, w - 1, h - 1));
            color2 = temp;
            color1 = temp;
            bevelRect(Rect(0, 0, w - 2, h - 2));
            break;
        }
        case bsTopLine:
            bevelLine(color1, 0, 0, w, 0);
            bevelLine(color2, 0, 1, w, 1);
            break;
        case bsBottomLine:
            bevelLine(color1, 0, h - 2, w, h - 2);
            bevelLine(color2, 0, h - 1, w, h - 1);
            break;
        case bsLeftLine:
            bevelLine(color1, 0, 0, 0, h);
            bevelLine(color2, 1, 0, 1, h);
            break;
        case bsRightLine:
            bevelLine(color1, w - 2, 0, w - 2, h);
            bevelLine(color2, w - 1, 0, w - 1, h);
            break;
        case bsSpacer:
            break;
    }
}

// ---------------------------------------------------------------- TImage

const TClassInfo& TImage::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TImage>("TImage", &TGraphicControl::StaticClassInfo())
            .Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
            .Bool("Center", &TImage::Center, &TImage::SetCenter, false)
            .Object("Picture", PictureClassInfo(),
                    [](TImage& i) -> TPicture& { return i.Picture(); })
            .Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
            .Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent, false)
            .Factory();
    return info;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    InitBounds(105, 105);
    picture_.SetOnChange([this](TGraphicsObject&) { PictureChanged(); });
}

void TImage::PictureChanged() {
    if (autoSize_ && !picture_.Empty())
        SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Changed(TPeerChange::Picture);
    Invalidate();
}

void TImage::SetAutoSize(bool v) {
    autoSize_ = v;
    if (v) PictureChanged();
}

void TImage::SetCenter(bool v) {
    if (v == center_) return;
    center_ = v;
    Invalidate();
}

void TImage::SetStretch(bool v) {
    if (v == stretch_) return;
    stretch_ = v;
    Invalidate();
}

void TImage::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    Invalidate();
}

void TImage::Paint() {
    if (picture_.Empty()) return;
    TCanvas& c = Canvas();
    if (stretch_) {
        c.StretchDraw(Rect(0, 0, Width(), Height()), picture_);
        return;
    }
    int x = 0, y = 0;
    if (center_) {
        x = (Width() - picture_.Width()) / 2;
        y = (Height() - picture_.Height()) / 2;
    }
    c.Draw(x, y, picture_);
}

// ---------------------------------------------------------------- TScrollBox

const TClassInfo& TControlScrollBar::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TControlScrollBar, TControlScrollBar>("TControlScrollBar", nullptr)
            .Int("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement, 8, 1,
                 32767)
            .Int("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition, 0, 0,
                 kMaxCoordinate)
            .Int("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange, 0, 0,
                 kMaxCoordinate)
            .Bool("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible, true)
            .Abstract();
    return info;
}

int TControlScrollBar::MaxPosition() const {
    if (!box_) return 0;
    const TSize content = box_->ContentSize();
    const int range =
        box_->AutoScroll() ? std::max(range_, horizontal_ ? content.cx : content.cy) : range_;
    const int client = horizontal_ ? box_->ClientWidth() : box_->ClientHeight();
    return std::max(0, range - client);
}

void TControlScrollBar::SetPosition(int v) {
    v = std::clamp(v, 0, kMaxCoordinate);
    if (box_ && !box_->IsLoading()) v = std::clamp(v, 0, MaxPosition());
    if (v == position_) return;
    const int delta = v - position_;
    position_ = v;
    if (box_) {
        if (horizontal_)
            box_->ScrollBy(-delta, 0);
        else
            box_->ScrollBy(0, -delta);
    }
}

void TControlScrollBar::SetRange(int v) {
    range_ = std::clamp(v, 0, kMaxCoordinate);
    if (box_ && !box_->IsLoading()) SetPosition(position_);
}

const TClassInfo& TScrollBox::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TScrollBox>("TScrollBox", &TWinControl::StaticClassInfo())
            .Bool("AutoScroll", &TScrollBox::AutoScroll, &TScrollBox::SetAutoScroll, true)
            .Enum("BorderStyle", kBorderStyleNames, &TScrollBox::BorderStyle,
                  &TScrollBox::SetBorderStyle, bsSingle)
            .Color("Color", &TScrollBox::Color, &TScrollBox::SetColor, clBtnFace)
            .StoredIf([](const TScrollBox& c) { return !c.ParentColor(); })
            .Object("HorzScrollBar", TControlScrollBar::StaticClassInfo(),
                    [](TScrollBox& b) -> TControlScrollBar& { return b.HorzScrollBar(); })
            .Bool("ParentColor", &TScrollBox::ParentColor, &TScrollBox::SetParentColor, false)
            .Object("VertScrollBar", TControlScrollBar::StaticClassInfo(),
                    [](TScrollBox& b) -> TControlScrollBar& { return b.VertScrollBar(); })
            .Factory();
    return info;
}

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner) {
    InitBounds(185, 41);
    InitColor(clBtnFace, false);
    horz_.box_ = this;
    vert_.box_ = this;
    vert_.horizontal_ = false;
}

void TScrollBox::SetBorderStyle(TBorderStyle s) {
    if (s == borderStyle_) return;
    borderStyle_ = s;
    Changed(TPeerChange::Appearance);
    Realign();
}

void TScrollBox::SetAutoScroll(bool v) {
    autoScroll_ = v;
    Changed(TPeerChange::Appearance);
}

TRect TScrollBox::ClientRect() const {
    const int e = borderStyle_ == bsSingle ? 2 : 0;
    return Rect(0, 0, std::max(Width() - 2 * e, 0), std::max(Height() - 2 * e, 0));
}

TPoint TScrollBox::ClientOffset() const {
    const int e = borderStyle_ == bsSingle ? 2 : 0;
    return TPoint{e, e};
}

TSize TScrollBox::ContentSize() const {
    TSize s;
    for (int i = 0; i < ControlCount(); ++i) {
        const TControl* c = Controls(i);
        if (!c->Visible()) continue;
        s.cx = std::max(s.cx, c->Left() + horz_.position_ + c->Width());
        s.cy = std::max(s.cy, c->Top() + vert_.position_ + c->Height());
    }
    return s;
}

void TScrollBox::ScrollBy(int dx, int dy) {
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Align() != alNone) continue;
        c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
    Changed(TPeerChange::Bounds);
}

void TScrollBox::ScrollInView(TControl* control) {
    if (!control || control->Parent() != this) return;
    if (control->Left() < 0)
        horz_.SetPosition(horz_.Position() + control->Left());
    else if (control->Left() + control->Width() > ClientWidth())
        horz_.SetPosition(horz_.Position() + control->Left() + control->Width() - ClientWidth());
    if (control->Top() < 0)
        vert_.SetPosition(vert_.Position() + control->Top());
    else if (control->Top() + control->Height() > ClientHeight())
        vert_.SetPosition(vert_.Position() + control->Top() + control->Height() - ClientHeight());
}

// ---------------------------------------------------------------- TRadioGroup

const TClassInfo& TCustomRadioGroup::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomRadioGroup>("TCustomRadioGroup", &TCustomGroupBox::StaticClassInfo())
            .Abstract();
    return info;
}

const TClassInfo& TRadioGroup::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TRadioGroup>("TRadioGroup", &TCustomRadioGroup::StaticClassInfo())
            .Str("Caption", &GetCaption, &SetCaptionText)
            .Int("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns, 1, 1, 16)
            .Int("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex, -1)
            .Strings("Items", [](TRadioGroup& g) -> TStrings& { return g.Items(); })
            .Bool("TabStop", &TRadioGroup::TabStop, &TRadioGroup::SetTabStop, true)
            .Factory();
    return info;
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner) : TCustomGroupBox(owner) {
    SetTabStop(true);
    items_.ownerHook = [this] {
        if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
        Changed(TPeerChange::Items);
        Invalidate();
    };
}

void TCustomRadioGroup::SetItemIndex(int index) {
    if (IsLoading()) {
        itemIndex_ = index;
        return;
    }
    index = std::clamp(index, -1, items_.Count() - 1);
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Changed(TPeerChange::ItemIndex);
    Invalidate();
    Click();
}

void TCustomRadioGroup::SetColumns(int n) {
    n = std::clamp(n, 1, 16);
    if (n == columns_) return;
    columns_ = n;
    Changed(TPeerChange::Items);
    Invalidate();
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    itemIndex_ = std::clamp(itemIndex_, -1, items_.Count() - 1);
}

void TCustomRadioGroup::InputSelectItem(int index) {
    if (!Enabled() || index < 0 || index >= items_.Count()) return;
    Dispatch([&] { SetItemIndex(index); });
}

void TCustomRadioGroup::KeyDown(std::uint16_t& key, TShiftState /*shift*/) {
    const bool next = key == VK_DOWN || key == VK_RIGHT;
    const bool previous = key == VK_UP || key == VK_LEFT;
    if (!next && !previous) return;
    if (next && itemIndex_ + 1 < items_.Count()) SetItemIndex(itemIndex_ + 1);
    if (previous && itemIndex_ > 0) SetItemIndex(itemIndex_ - 1);
    key = 0;
}

void TCustomRadioGroup::Paint() {
    TCustomGroupBox::Paint();
    if (items_.Count() == 0) return;
    TCanvas& c = Canvas();
    const TRect r = AlignRect();
    const int rows = (items_.Count() + columns_ - 1) / columns_;
    const int colWidth = r.Width() / columns_;
    const int rowHeight = rows > 0 ? r.Height() / rows : 0;
    const int h = c.TextHeight("W");
    for (int i = 0; i < items_.Count(); ++i) {
        const int x = r.Left + (i / rows) * colWidth + 4;
        const int y = r.Top + (i % rows) * rowHeight + (rowHeight - h) / 2;
        c.Pen().SetColor(clBtnShadow);
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(clWindow);
        c.Ellipse(x, y + 1, x + 12, y + 13);
        if (i == itemIndex_) {
            c.Brush().SetColor(clWindowText);
            c.Ellipse(x + 4, y + 5, x + 8, y + 9);
        }
        c.Brush().SetStyle(bsClear);
        c.TextOut(x + 17, y, items_[i]);
    }
}

// ---------------------------------------------------------------- TStringGrid

const TClassInfo& TStringGrid::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TStringGrid>("TStringGrid", &TCustomControl::StaticClassInfo())
            .Enum("BorderStyle", kBorderStyleNames, &TStringGrid::BorderStyle,
                  &TStringGrid::SetBorderStyle, bsSingle)
            .Color("Color", &TStringGrid::Color, &TStringGrid::SetColor, clWindow)
            .StoredIf([](const TStringGrid& c) { return !c.ParentColor(); })
            .Int("ColCount", &TStringGrid::ColCount, &TStringGrid::SetColCount, 5, 1, 100000)
            .Int("DefaultColWidth", &TStringGrid::DefaultColWidth, &TStringGrid::SetDefaultColWidth,
                 64, 0, 100000)
            .Int("DefaultRowHeight", &TStringGrid::DefaultRowHeight,
                 &TStringGrid::SetDefaultRowHeight, 24, 0, 100000)
            .Color("FixedColor", &TStringGrid::FixedColor, &TStringGrid::SetFixedColor, clBtnFace)
            .Int("FixedCols", &TStringGrid::FixedCols, &TStringGrid::SetFixedCols, 1, 0, 100000)
            .Int("FixedRows", &TStringGrid::FixedRows, &TStringGrid::SetFixedRows, 1, 0, 100000)
            .Int("GridLineWidth", &TStringGrid::GridLineWidth, &TStringGrid::SetGridLineWidth, 1, 0,
                 100)
            .Set(
                "Options", kGridOptionNames,
                [](const TStringGrid& g) { return static_cast<std::uint32_t>(g.Options().Bits()); },
                [](TStringGrid& g, std::uint32_t bits) {
                    g.SetOptions(TGridOptions::FromBits(bits));
                },
                static_cast<std::int64_t>(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine,
                                                       goHorzLine, goRangeSelect}
                                              .Bits()))
            .Bool("ParentColor", &TStringGrid::ParentColor, &TStringGrid::SetParentColor, false)
            .Int("RowCount", &TStringGrid::RowCount, &TStringGrid::SetRowCount, 5, 1, 1000000)
            .Enum("ScrollBars", kScrollStyleNames, &TStringGrid::ScrollBars,
                  &TStringGrid::SetScrollBars, ssBoth)
            .Bool("TabStop", &TStringGrid::TabStop, &TStringGrid::SetTabStop, true)
            .IntList("ColWidths", &TStringGrid::ColWidthList, &TStringGrid::SetColWidthList)
            .StoredIf([](const TStringGrid& g) { return g.CustomColWidths(); })
            .IntList("RowHeights", &TStringGrid::RowHeightList, &TStringGrid::SetRowHeightList)
            .StoredIf([](const TStringGrid& g) { return g.CustomRowHeights(); })
            .Event("OnSelectCell", &TStringGrid::OnSelectCell)
            .Factory();
    // The cells, row by row: up to the last row with text, each up to its last cell with text.
    static const bool cells = [] {
        TFormListProperty p;
        p.name = "Cells";
        p.rows = [](const void* o) {
            const auto& g = static_cast<const TStringGrid&>(*static_cast<const TObject*>(o));
            std::vector<std::vector<std::string>> rows;
            for (int r = 0; r < g.RowCount(); ++r)
                for (int c = 0; c < g.ColCount(); ++c) {
                    std::string text = g.Cells(c, r);
                    if (text.empty()) continue;
                    if (rows.size() <= static_cast<std::size_t>(r)) rows.resize(static_cast<std::size_t>(r) + 1);
                    auto& row = rows[static_cast<std::size_t>(r)];
                    if (row.size() <= static_cast<std::size_t>(c)) row.resize(static_cast<std::size_t>(c) + 1);
                    row[static_cast<std::size_t>(c)] = std::move(text);
                }
            return rows;
        };
        // The grid grows to hold the rows and the widest of them, within what its counts take.
        p.setRows = [](void* o, std::vector<std::vector<std::string>>&& rows) {
            auto& g = static_cast<TStringGrid&>(*static_cast<TObject*>(o));
            std::size_t widest = 0;
            for (const auto& r : rows) widest = std::max(widest, r.size());
            if (rows.size() > 1000000 || widest > 100000) throw EListError("Grid index out of range");
            if (static_cast<int>(rows.size()) > g.RowCount()) g.SetRowCount(static_cast<int>(rows.size()));
            if (static_cast<int>(widest) > g.ColCount()) g.SetColCount(static_cast<int>(widest));
            for (std::size_t r = 0; r < rows.size(); ++r) {
                for (std::size_t c = 0; c < rows[r].size(); ++c)
                    g.SetCells(static_cast<int>(c), static_cast<int>(r), rows[r][c]);
                std::vector<std::string>().swap(rows[r]);
            }
        };
        RegisterListProperty(info, std::move(p));
        return true;
    }();
    (void)cells;
    return info;
}

TStringGrid::TStringGrid(TComponent* owner) : TCustomControl(owner) {
    InitBounds(320, 120);
    InitColor(clWindow, false);
    SetTabStop(true);
    Resize();
}

void TStringGrid::Resize() {
    colWidths_.resize(static_cast<std::size_t>(colCount_), defaultColWidth_);
    rowHeights_.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
    // Cells outside the grid's new size are dropped.
    for (auto it = cells_.begin(); it != cells_.end();) {
        if (it->first.first >= rowCount_ || it->first.second >= colCount_)
            it = cells_.erase(it);
        else
            ++it;
    }
    col_ = std::clamp(col_, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
    row_ = std::clamp(row_, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    leftCol_ = std::clamp(leftCol_, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
    topRow_ = std::clamp(topRow_, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    Changed(TPeerChange::Cells);
    Invalidate();
}

void TStringGrid::SetColCount(int n) {
    n = std::max(n, 1);
    if (n == colCount_) return;
    colCount_ = n;
    if (fixedCols_ >= n && !IsLoading()) fixedCols_ = n - 1;
    Resize();
}

void TStringGrid::SetRowCount(int n) {
    n = std::max(n, 1);
    if (n == rowCount_) return;
    rowCount_ = n;
    if (fixedRows_ >= n && !IsLoading()) fixedRows_ = n - 1;
    Resize();
}

void TStringGrid::SetFixedCols(int n) {
    if (!IsLoading() && (n < 0 || n >= colCount_))
        throw EInvalidOperation("Fixed column count must be less than column count");
    fixedCols_ = std::max(n, 0);
    Resize();
}

void TStringGrid::SetFixedRows(int n) {
    if (!IsLoading() && (n < 0 || n >= rowCount_))
        throw EInvalidOperation("Fixed row count must be less than row count");
    fixedRows_ = std::max(n, 0);
    Resize();
}

void TStringGrid::SetDefaultColWidth(int w) {
    defaultColWidth_ = std::max(w, 0);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    Resize();
}

void TStringGrid::SetDefaultRowHeight(int h) {
    defaultRowHeight_ = std::max(h, 0);
    std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
    Resize();
}

void TStringGrid::SetGridLineWidth(int w) {
    gridLineWidth_ = std::max(w, 0);
    Invalidate();
}

void TStringGrid::SetOptions(TGridOptions o) {
    options_ = o;
    Changed(TPeerChange::Appearance);
    Invalidate();
}

void TStringGrid::SetScrollBars(TScrollStyle s) {
    scrollBars_ = s;
    Changed(TPeerChange::Appearance);
}

void TStringGrid::SetBorderStyle(TBorderStyle s) {
    borderStyle_ = s;
    Changed(TPeerChange::Appearance);
    Invalidate();
}

void TStringGrid::SetFixedColor(TColor c) {
    fixedColor_ = c;
    Changed(TPeerChange::Color);
    Invalidate();
}

int TStringGrid::ColWidths(int col) const {
    if (col < 0 || col >= colCount_) throw EListError("Grid index out of range");
    return colWidths_[static_cast<std::size_t>(col)];
}

void TStringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= colCount_) throw EListError("Grid index out of range");
    colWidths_[static_cast<std::size_t>(col)] = std::clamp(width, 0, kMaxCoordinate);
    Changed(TPeerChange::Cells);
    Invalidate();
}

int TStringGrid::RowHeights(int row) const {
    if (row < 0 || row >= rowCount_) throw EListError("Grid index out of range");
    return rowHeights_[static_cast<std::size_t>(row)];
}

void TStringGrid::SetRowHeights(int row, int height) {
    if (row < 0 || row >= rowCount_) throw EListError("Grid index out of range");
    rowHeights_[static_cast<std::size_t>(row)] = std::clamp(height, 0, kMaxCoordinate);
    Changed(TPeerChange::Cells);
    Invalidate();
}

void TStringGrid::SetColWidthList(const std::vector<int>& widths) {
    // A file may list them before or after ColCount: extra entries widen the grid.
    if (static_cast<int>(widths.size()) > colCount_) SetColCount(static_cast<int>(widths.size()));
    for (std::size_t i = 0; i < widths.size(); ++i)
        colWidths_[i] = std::clamp(widths[i], 0, kMaxCoordinate);
    Changed(TPeerChange::Cells);
}

void TStringGrid::SetRowHeightList(const std::vector<int>& heights) {
    if (static_cast<int>(heights.size()) > rowCount_) SetRowCount(static_cast<int>(heights.size()));
    for (std::size_t i = 0; i < heights.size(); ++i)
        rowHeights_[i] = std::clamp(heights[i], 0, kMaxCoordinate);
    Changed(TPeerChange::Cells);
}

bool TStringGrid::CustomColWidths() const {
    return std::any_of(colWidths_.begin(), colWidths_.end(),
                       [&](int w) { return w != defaultColWidth_; });
}

bool TStringGrid::CustomRowHeights() const {
    return std::any_of(rowHeights_.begin(), rowHeights_.end(),
                       [&](int h) { return h != defaultRowHeight_; });
}

std::string TStringGrid::Cells(int col, int row) const {
    auto it = cells_.find({row, col});
    return it == cells_.end() ? std::string() : it->second;
}

void TStringGrid::SetCells(int col, int row, std::string_view text) {
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_)
        throw EListError("Grid index out of range");
    auto it = cells_.find({row, col});
    const std::string_view current =
        it == cells_.end() ? std::string_view() : std::string_view(it->second);
    if (current == text) return;
    if (text.empty())
        cells_.erase(it);
    else
        cells_[{row, col}] = std::string(text);
    Changed(TPeerChange::Cells);
    Invalidate();
}

std::vector<std::string> TStringGrid::Cols(int col) const {
    std::vector<std::string> r;
    for (int row = 0; row < rowCount_; ++row) r.push_back(Cells(col, row));
    return r;
}

std::vector<std::string> TStringGrid::Rows(int row) const {
    if (row < 0 || row >= rowCount_) return {};
    std::vector<std::string> r;
    for (int col = 0; col < colCount_; ++col) r.push_back(Cells(col, row));
    return r;
}

void TStringGrid::Loaded() {
    TCustomControl::Loaded();
    if (std::int64_t{rowCount_} * colCount_ > limits::kMaxGridCells) {
        const int rows =
            static_cast<int>(std::max<std::int64_t>(1, limits::kMaxGridCells / colCount_));
        InputNotice((Name().empty() ? ClassName() : Name()) + ": a grid of " +
                    std::to_string(rowCount_) + " x " + std::to_string(colCount_) +
                    " cells cut to its first " + std::to_string(rows) + " rows (at most " +
                    std::to_string(limits::kMaxGridCells) + " cells)");
        rowCount_ = rows;
    }
    // Fixed rows and columns read before the counts: at least one of each is not fixed.
    fixedCols_ = std::min(fixedCols_, colCount_ - 1);
    fixedRows_ = std::min(fixedRows_, rowCount_ - 1);
    Resize();
}

bool TStringGrid::SelectCell(int col, int row) {
    if (col < fixedCols_ || row < fixedRows_ || col >= colCount_ || row >= rowCount_) return false;
    bool can = true;
    if (OnSelectCell && EventsEnabled()) OnSelectCell(this, col, row, can);
    if (!can) return false;
    col_ = col;
    row_ = row;
    Changed(TPeerChange::Selection);
    Invalidate();
    return true;
}

void TStringGrid::SetCol(int c) {
    SelectCell(c, row_);
}
void TStringGrid::SetRow(int r) {
    SelectCell(col_, r);
}

void TStringGrid::SetLeftCol(int c) {
    leftCol_ = std::clamp(c, std::min(fixedCols_, colCount_ - 1), colCount_ - 1);
    Invalidate();
}

void TStringGrid::SetTopRow(int r) {
    topRow_ = std::clamp(r, std::min(fixedRows_, rowCount_ - 1), rowCount_ - 1);
    Invalidate();
}

TRect TStringGrid::CellRect(int col, int row) const {
    // Sums in 64 bits: a cell beyond the range of coordinates is not visible.
    auto position = [&](int index, int fixed, int first, const std::vector<int>& sizes,
                        std::int64_t& start) {
        start = 0;
        for (int i = 0; i < std::min(index, fixed); ++i)
            start += sizes[static_cast<std::size_t>(i)] + gridLineWidth_;
        if (index < fixed) return true;
        if (index < first) return false;
        for (int i = first; i < index; ++i) {
            start += sizes[static_cast<std::size_t>(i)] + gridLineWidth_;
            if (start > kMaxCoordinate) return false;
        }
        return start <= kMaxCoordinate;
    };
    if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return TRect{};
    std::int64_t x = 0, y = 0;
    if (!position(col, fixedCols_, leftCol_, colWidths_, x) ||
        !position(row, fixedRows_, topRow_, rowHeights_, y))
        return TRect{};
    return Bounds(static_cast<int>(x), static_cast<int>(y),
                  colWidths_[static_cast<std::size_t>(col)],
                  rowHeights_[static_cast<std::size_t>(row)]);
}

bool TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    auto find = [&](int p, int fixed, int first, int count, const std::vector<int>& sizes,
                    int& out) {
        std::int64_t start = 0;
        for (int i = 0; i < count; ++i) {
            if (i >= fixed && i < first) continue;
            const std::int64_t size = sizes[static_cast<std::size_t>(i)];
            if (p >= start && p < start + size) {
                out = i;
                return true;
            }
            start += size + gridLineWidth_;
            if (start > p) return false;
        }
        return false;
    };
    int c = 0, r = 0;
    if (!find(x, fixedCols_, leftCol_, colCount_, colWidths_, c) ||
        !find(y, fixedRows_, topRow_, rowCount_, rowHeights_, r))
        return false;
    col = c;
    row = r;
    return true;
}

void TStringGrid::KeyDown(std::uint16_t& key, TShiftState /*shift*/) {
    switch (key) {
        case VK_LEFT:
            SelectCell(col_ - 1, row_);
            break;
        case VK_RIGHT:
            SelectCell(col_ + 1, row_);
            break;
        case VK_UP:
            SelectCell(col_, row_ - 1);
            break;
        case VK_DOWN:
            SelectCell(col_, row_ + 1);
            break;
        case VK_HOME:
            SelectCell(fixedCols_, row_);
            break;
        case VK_END:
            SelectCell(colCount_ - 1, row_);
            break;
        default:
            return;
    }
    key = 0;
}

void TStringGrid::KeyPress(char32_t& key) {
    // With goEditing the current cell takes what is typed.
    if (!options_.Contains(goEditing)) return;
    std::string text = Cells(col_, row_);
    if (key == 8) {
        if (!text.empty()) {
            std::size_t cut = text.size() - 1;
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
            text.resize(cut);
        }
    } else if (key >= 32) {
        utf8::Append(text, key);
    } else {
        return;
    }
    SetCells(col_, row_, text);
}

void TStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    int c = 0, r = 0;
    if (button == mbLeft && MouseToCell(x, y, c, r)) SelectCell(c, r);
    TCustomControl::MouseDown(button, shift, x, y);
}

void TStringGrid::Paint() {
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(Rect(0, 0, Width(), Height()));
    // Only the cells that fit in the control are drawn.
    auto last = [&](int fixed, int first, int count, const std::vector<int>& sizes, int limit) {
        std::int64_t start = 0;
        for (int i = 0; i < count; ++i) {
            if (i >= fixed && i < first) continue;
            start += sizes[static_cast<std::size_t>(i)] + gridLineWidth_;
            if (start >= limit) return i;
        }
        return count - 1;
    };
    const int lastCol = last(fixedCols_, leftCol_, colCount_, colWidths_, Width());
    const int lastRow = last(fixedRows_, topRow_, rowCount_, rowHeights_, Height());
    for (int row = 0; row <= lastRow; ++row) {
        for (int col = 0; col <= lastCol; ++col) {
            const TRect r = CellRect(col, row);
            if (r.IsEmpty() || r.Left >= Width() || r.Top >= Height()) continue;
            const bool fixed = col < fixedCols_ || row < fixedRows_;
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(fixed ? fixedColor_ : Color());
            c.FillRect(r);
            c.Pen().SetColor(fixed ? clBlack : clSilver);
            if (gridLineWidth_ > 0) {
                c.MoveTo(r.Right, r.Top);
                c.LineTo(r.Right, r.Bottom);
                c.MoveTo(r.Left, r.Bottom);
                c.LineTo(r.Right + 1, r.Bottom);
            }
            c.Brush().SetStyle(bsClear);
            c.TextRect(r, r.Left + 2, r.Top + 2, Cells(col, row));
        }
    }
    TCustomControl::Paint();
}

// ---------------------------------------------------------------- TRichEdit

const TClassInfo& TCustomRichEdit::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomRichEdit>("TCustomRichEdit", &TCustomMemo::StaticClassInfo())
            .Abstract();
    return info;
}

TCustomRichEdit::TCustomRichEdit(TComponent* owner) : TCustomMemo(owner) {}

}  // namespace quillon
