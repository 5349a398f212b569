// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/base/Vex_Types.h"

#include <algorithm>

#include "platform/gdi/canvas.h"
#include "platform/gdi/device_context.h"

namespace quillon {

// ---------------------------------------------------------------------------------------------
// TVexComponent

const TClassInfo& TVexComponent::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVexComponent>("TVexComponent", &TComponent::StaticClassInfo()).Abstract();
    return info;
}

TVexComponent::TVexComponent(TComponent* owner) : TComponent(owner) {}

TVexComponent::~TVexComponent() = default;

void TVexComponent::Execute() {}

std::string TVexComponent::GetComponentName() {
    return {};
}

void RegisterVexClasses() {
    // Building a class's information registers it.
    (void)TVexComponent::StaticClassInfo();
    (void)TVexCustom::StaticClassInfo();
    (void)TVexGraphicControl::StaticClassInfo();
}

// ---------------------------------------------------------------------------------------------
// TVexGraphicControl

const TClassInfo& TVexGraphicControl::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVexGraphicControl>("TVexGraphicControl", &TGraphicControl::StaticClassInfo())
            .Factory();
    return info;
}

void TVexGraphicControl::Print(TVexPrint&) {}

// ---------------------------------------------------------------------------------------------
// Self-printing controls

namespace {

std::vector<TVexSelfPrinting*>& SelfPrintingControls() {
    static std::vector<TVexSelfPrinting*> controls;
    return controls;
}

}  // namespace

TVexSelfPrinting::TVexSelfPrinting() {
    SelfPrintingControls().push_back(this);
}

TVexSelfPrinting::~TVexSelfPrinting() {
    auto& all = SelfPrintingControls();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void RewindSelfPrintingControls() {
    for (TVexSelfPrinting* c : SelfPrintingControls()) c->RewindPrinting();
}

std::vector<std::string> UnprintedTextReports() {
    std::vector<std::string> lines;
    for (const TVexSelfPrinting* c : SelfPrintingControls()) {
        const int left = c->UnprintedLength();
        if (left <= 0) continue;
        lines.push_back(c->PrintingName() + ": " + std::to_string(left) +
                        (left == 1 ? " character" : " characters") +
                        " did not fit into its rectangle or its continuation panels and " +
                        (left == 1 ? "was" : "were") + " not printed");
    }
    return lines;
}

// ---------------------------------------------------------------------------------------------
// TVexCustom

const TClassInfo& TVexCustom::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVexCustom>("TVexCustom", &TCustomPanel::StaticClassInfo())
            .Color("Color", &TVexCustom::Color, &TVexCustom::SetColor, clBtnFace)
            .StoredIf([](const TVexCustom& c) { return !c.ParentColor(); })
            .Bool("ParentColor", &TVexCustom::ParentColor, &TVexCustom::SetParentColor, false)
            .Factory();
    return info;
}

TVexCustom::TVexCustom(TComponent* owner) : TCustomPanel(owner) {
    flag1_ = false;
    flag2_ = false;
}

TRect TVexCustom::ClientRect() const {
    return Rect(0, 19, Width(), Height());
}

void TVexCustom::Paint() {
    TCanvas& c = Canvas();
    DeviceContext* dc = c.Handle();
    if (!dc) return;
    const int w = Width();
    const int h = Height();
    if (!Caption().empty()) SetCaption("");

    // The panel below the strip: its client area, drawn as a panel draws its own.
    dc->OffsetWindowOrgEx(0, -19);
    TCustomPanel::Paint();
    dc->OffsetWindowOrgEx(0, 19);

    // A black outline round the whole panel.
    c.Pen().SetStyle(psSolid);
    c.Pen().SetColor(clBlack);
    c.Pen().SetWidth(1);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(0, 0, w, h);
    // The strip: silver, framed in black, with the component's name.
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(static_cast<TColor>(RGB(192, 192, 192)));
    c.Rectangle(0, 0, w, kTitleStrip);
    const TFont saved = c.Font();
    c.Font().SetName("MS Sans Serif");
    c.Font().SetSize(7);
    c.Font().SetColor(clBlack);
    c.Font().SetStyle({});
    c.TextOut(15, 2, Name());
    c.Font().Assign(saved);
    // A raised edge on the strip.
    c.Pen().SetColor(clWhite);
    c.MoveTo(1, 18);
    c.LineTo(1, 1);
    c.LineTo(w - 1, 1);
    c.Pen().SetColor(static_cast<TColor>(RGB(128, 128, 128)));
    c.LineTo(w - 1, 18);
    c.LineTo(2, 18);
    // A small downward pointer.
    c.Pen().SetColor(clBlack);
    const struct {
        int x, y1, y2;
    } pointer[] = {{5, 10, 11}, {6, 10, 12},  {7, 4, 13},  {8, 4, 14},
                   {9, 4, 13},  {10, 10, 12}, {11, 10, 11}};
    for (const auto& p : pointer) {
        c.MoveTo(p.x, p.y1);
        c.LineTo(p.x, p.y2);
    }
}

}  // namespace quillon
