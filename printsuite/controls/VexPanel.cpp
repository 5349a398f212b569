// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/controls/VexPanel.h"

#include "platform/gdi/device_context.h"
#include "platform/vcl/properties.h"

namespace quillon {

const TClassInfo& TVexPanel::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVexPanel>("TVexPanel", &TCustomPanel::StaticClassInfo())
            .Enum("BevelInner", kBevelCutNames, &TVexPanel::BevelInner, &TVexPanel::SetBevelInner,
                  bvNone)
            .Enum("BevelOuter", kBevelCutNames, &TVexPanel::BevelOuter, &TVexPanel::SetBevelOuter,
                  bvRaised)
            .Int("BevelWidth", &TVexPanel::BevelWidth, &TVexPanel::SetBevelWidth, 1, 1, 1000)
            .Int("BorderWidth", &TVexPanel::BorderWidth, &TVexPanel::SetBorderWidth, 0, 0, 1000)
            .Enum("BorderStyle", kBorderStyleNames, &TVexPanel::BorderStyle,
                  &TVexPanel::SetBorderStyle, bsNone)
            .Color("Color", &TVexPanel::Color, &TVexPanel::SetColor, clBtnFace)
            .StoredIf([](const TVexPanel& c) { return !c.ParentColor(); })
            .Bool("ParentColor", &TVexPanel::ParentColor, &TVexPanel::SetParentColor, false)
            .Ref<TImage>("Image", &TVexPanel::Image, &TVexPanel::SetImage)
            .Bool("ClearScreen", &TVexPanel::ClearScreen, &TVexPanel::SetClearScreen, true)
            .Int("PixelsBetweenX", &TVexPanel::PixelsBetweenX, &TVexPanel::SetPixelsBetweenX, 0,
                 0, 1000000)
            .Int("PixelsBetweenY", &TVexPanel::PixelsBetweenY, &TVexPanel::SetPixelsBetweenY, 0,
                 0, 1000000)
            .Event("OnPaint", &TVexPanel::OnPaint)
            .Factory();
    return info;
}

TVexPanel::TVexPanel(TComponent* owner) : TCustomPanel(owner) {
    SetBorderWidth(0);
    SetColor(static_cast<TColor>(RGB(192, 192, 192)));
    SetCaption("");
    SetBorderStyle(bsSingle);
    // The panel sits in its owner when the owner is a window control; another owner (or
    // none) leaves it without a parent rather than failing.
    if (auto* win = dynamic_cast<TWinControl*>(owner)) SetParent(win);
}

TVexPanel::~TVexPanel() {
    if (image_) image_->RemoveFreeNotification(this);
}

void TVexPanel::Repainted() {
    Repaint();
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->Invalidate();
}

void TVexPanel::SetImage(TImage* image) {
    if (image_ == image) return;
    if (image_) image_->RemoveFreeNotification(this);
    image_ = image;
    if (image_) image_->FreeNotification(this);
    Repainted();
}

void TVexPanel::SetClearScreen(bool v) {
    clearScreen_ = v;
    Repainted();
}

void TVexPanel::SetPixelsBetweenX(int v) {
    gapX_ = v;
    Repainted();
}

void TVexPanel::SetPixelsBetweenY(int v) {
    gapY_ = v;
    Repainted();
}

void TVexPanel::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation == opRemove && component == image_) image_ = nullptr;
}

void TVexPanel::Paint() {
    if (!Caption().empty()) SetCaption("");
    if (clearScreen_) TCustomPanel::Paint();
    if (!image_ || image_->Picture().Empty()) return;
    const TPicture& picture = image_->Picture();
    const int pw = picture.Width();
    const int ph = picture.Height();
    // A picture without area has nothing to tile (and would never move the loop on).
    if (pw <= 0 || ph <= 0) return;
    TCanvas& c = Canvas();
    DeviceContext* dc = c.Handle();
    if (!dc) return;
    const int m = BevelWidth() + BorderWidth();
    const int w = Width();
    const int h = Height();
    dc->SaveDC();
    dc->IntersectClipRect(m, m, w - m, h - m);
    for (std::int64_t y = m; y < h; y += std::int64_t{ph} + gapY_) {
        for (std::int64_t x = m; x < w; x += std::int64_t{pw} + gapX_) {
            c.Draw(static_cast<int>(x), static_cast<int>(y), picture);
        }
    }
    // Back to the clipping the panel had (the whole control).
    dc->RestoreDC(-1);
}

}  // namespace quillon
