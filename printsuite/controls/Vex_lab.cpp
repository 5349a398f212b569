// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/controls/Vex_lab.h"

#include "platform/gdi/device_context.h"
#include "platform/vcl/draw_text.h"
#include "platform/vcl/properties.h"

namespace quillon {

extern const TEnumInfo kVexStyleNames;
const TEnumInfo kVexStyleNames{"TStyle",
                               {{"stNormal", stNormal},
                                {"stShadow", stShadow},
                                {"stRaised", stRaised},
                                {"stSunken", stSunken},
                                {"stBlockShadow", stBlockShadow},
                                {"stButton", stButton}}};

namespace {

std::string GetCaption(const TVex_Label& l) {
    return l.Caption();
}
void SetCaptionText(TVex_Label& l, const std::string& s) {
    l.SetCaption(s);
}

}  // namespace

const TClassInfo& TVex_Label::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVex_Label>("TVex_Label", &TCustomLabel::StaticClassInfo())
            .Enum("Alignment", kAlignmentNames, &TVex_Label::Alignment, &TVex_Label::SetAlignment,
                  taLeftJustify)
            .Bool("AutoSize", &TVex_Label::AutoSize, &TVex_Label::SetAutoSize, true)
            .Str("Caption", &GetCaption, &SetCaptionText)
            .Ref<TWinControl>("FocusControl", &TVex_Label::FocusControl,
                              &TVex_Label::SetFocusControl)
            .Bool("ShowAccelChar", &TVex_Label::ShowAccelChar, &TVex_Label::SetShowAccelChar,
                  true)
            .Bool("Transparent", &TVex_Label::Transparent, &TVex_Label::SetTransparent, false)
            .Bool("WordWrap", &TVex_Label::WordWrap, &TVex_Label::SetWordWrap, false)
            .Enum("Style", kVexStyleNames, &TVex_Label::Style, &TVex_Label::SetStyle, stSunken)
            .Int("ShadowOffset", &TVex_Label::ShadowOffset, &TVex_Label::SetShadowOffset, 3,
                 -1000, 1000)
            .Color("ShadowColor", &TVex_Label::ShadowColor, &TVex_Label::SetShadowColor,
                   clBtnShadow)
            .Color("PrintBkColor", &TVex_Label::PrintBkColor, &TVex_Label::SetPrintBkColor,
                   clWhite)
            .Factory();
    return info;
}

TVex_Label::TVex_Label(TComponent* owner) : TCustomLabel(owner) {
    // The face is the control's own, so it no longer follows its parent's font.
    Font().SetName("Arial");
    SetTransparent(true);
}

void TVex_Label::SetStyle(TStyle s) {
    style_ = s;
    Invalidate();
}

void TVex_Label::SetShadowOffset(int v) {
    shadowOffset_ = v;
    Invalidate();
}

void TVex_Label::SetShadowColor(TColor c) {
    shadowColor_ = c;
    Repaint();
}

void TVex_Label::SetPrintBkColor(TColor c) {
    printBkColor_ = c;
    Repaint();
}

unsigned TVex_Label::TextFlags() const {
    unsigned flags = DT_EXPANDTABS;
    if (Alignment() == taRightJustify) flags |= DT_RIGHT;
    if (Alignment() == taCenter) flags |= DT_CENTER;
    if (WordWrap()) flags |= DT_WORDBREAK;
    if (!ShowAccelChar()) flags |= DT_NOPREFIX;
    return flags;
}

void TVex_Label::Paint() {
    TCanvas& c = Canvas();
    DeviceContext* dc = c.Handle();
    if (!dc) return;
    const TRect rect = Rect(0, 0, Width(), Height());
    dc->SetBkMode(TRANSPARENT);
    if (!Transparent()) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(rect);
    }
    const unsigned flags = TextFlags();
    c.Brush().SetStyle(bsClear);
    c.Font().Assign(Font());
    const TColor fontColor = Font().Color();
    const TColor faceText = Enabled() ? fontColor : clGrayText;

    // The caption at offset d in colour col.
    auto caption = [&](int d, TColor col) {
        c.Font().SetColor(col);
        TRect r = Rect(rect.Left + d, rect.Top + d, rect.Right + d, rect.Bottom + d);
        DrawText(c, Caption(), r, flags);
    };
    // The padded caption on a face, centred down: the block shadow and the button.
    auto face = [&](TRect& r, const std::string& text) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(r);
        c.Brush().SetStyle(bsClear);
        c.Font().SetColor(faceText);
        TRect t = r;
        t.Top = (r.Bottom - c.TextHeight(text)) / 2;
        DrawText(c, text, t, flags);
    };
    auto outline = [&](const TRect& r) {
        c.Pen().SetStyle(psSolid);
        c.Pen().SetWidth(1);
        c.Pen().SetColor(static_cast<TColor>(RGB(128, 128, 128)));
        c.MoveTo(r.Left, 0);
        c.LineTo(r.Right, 0);
        c.LineTo(r.Right, r.Bottom);
        c.LineTo(r.Left, r.Bottom);
        c.LineTo(r.Left, 0);
    };
    // The block shadow and the button widen the label to their padded caption.
    auto padded = [&]() {
        std::string text = " " + Caption() + " ";
        const int w = c.TextWidth(text);
        if (Width() < w) SetWidth(w);
        return text;
    };

    switch (style_) {
        case stNormal:
            caption(0, fontColor);
            break;
        case stShadow:
            caption(shadowOffset_, shadowColor_);
            caption(0, faceText);
            break;
        case stRaised:
            caption(1, shadowColor_);
            caption(-1, fontColor);
            break;
        case stSunken:
            caption(1, clBtnHighlight);
            caption(-1, fontColor);
            break;
        case stBlockShadow: {
            const std::string text = padded();
            const int w = Width();
            const int h = Height();
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(shadowColor_);
            c.FillRect(Rect(shadowOffset_, shadowOffset_, w, h));
            TRect r = Rect(0, 0, w - shadowOffset_, h - shadowOffset_);
            face(r, text);
            outline(r);
            break;
        }
        case stButton: {
            const std::string text = padded();
            TRect r = Rect(0, 0, Width(), Height());
            face(r, text);
            r.Right -= 1;
            r.Bottom -= 1;
            outline(r);
            c.Pen().SetColor(clWhite);
            c.MoveTo(r.Left + 1, r.Bottom - 1);
            c.LineTo(r.Left + 1, 1);
            c.LineTo(r.Right - 1, 1);
            c.Pen().SetColor(static_cast<TColor>(RGB(128, 128, 128)));
            c.LineTo(r.Right - 1, r.Bottom - 1);
            c.LineTo(r.Left + 1, r.Bottom - 1);
            break;
        }
    }
}

}  // namespace quillon
