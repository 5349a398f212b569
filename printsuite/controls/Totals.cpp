// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/controls/Totals.h"

#include <algorithm>

#include "platform/sys/sysutils.h"
#include "platform/vcl/properties.h"

namespace quillon {

const TEnumInfo kTotalsNames{"TTotals",
                             {{"tPageTotal", tPageTotal},
                              {"tAccTotal", tAccTotal},
                              {"tPageNumber", tPageNumber},
                              {"tDate", tDate},
                              {"tTime", tTime},
                              {"tText", tText}}};
const TEnumInfo kShowNames{"TShow",
                           {{"tFirstPage", tFirstPage},
                            {"tLastPage", tLastPage},
                            {"tAllPages", tAllPages},
                            {"tAllButFirst", tAllButFirst},
                            {"tAllButLast", tAllButLast},
                            {"tFirstAndlast", tFirstAndlast},
                            {"tAllButFirstAndLast", tAllButFirstAndLast}}};

const TClassInfo& TShowTotal::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TShowTotal>("TShowTotal", &TCustomControl::StaticClassInfo())
            .Ref<TWinControl>("SourceGrid", &TShowTotal::SourceGrid, &TShowTotal::SetSourceGrid)
            .Str("SourceField", &TShowTotal::SourceField, &TShowTotal::SetSourceField)
            .Enum("TotalType", kTotalsNames, &TShowTotal::TotalType, &TShowTotal::SetTotalType,
                  tPageTotal)
            .Str("DisplayFormat", &TShowTotal::DisplayFormat, &TShowTotal::SetDisplayFormat,
                 std::string("#,##0.00"))
            .Str("Text", &TShowTotal::Text, &TShowTotal::SetText, std::string("0.00"))
            .Enum("ShowOn", kShowNames, &TShowTotal::ShowOn, &TShowTotal::SetShowOn, tAllPages)
            .Enum("Alignment", kAlignmentNames, &TShowTotal::Alignment, &TShowTotal::SetAlignment,
                  taRightJustify)
            .Bool("ShowOnForm", &TShowTotal::ShowOnForm, &TShowTotal::SetShowOnForm, true)
            .Color("Color", &TShowTotal::Color, &TShowTotal::SetColor, clBtnFace)
            .Enum("BorderStyle", kBorderStyleNames, &TShowTotal::BorderStyle,
                  &TShowTotal::SetBorderStyle, bsNone)
            .Factory();
    return info;
}

TShowTotal::TShowTotal(TComponent* owner) : TCustomControl(owner) {
    InitBounds(100, 29);
    InitColor(clBtnFace, false);
    // The face is the control's own, so it no longer follows its parent's font.
    Font().SetName("Arial");
}

TShowTotal::~TShowTotal() {
    if (sourceGrid_) sourceGrid_->RemoveFreeNotification(this);
}

void TShowTotal::SetSourceGrid(TWinControl* grid) {
    if (sourceGrid_ == grid) return;
    if (sourceGrid_) sourceGrid_->RemoveFreeNotification(this);
    sourceGrid_ = grid;
    if (sourceGrid_) sourceGrid_->FreeNotification(this);
}

void TShowTotal::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == sourceGrid_) sourceGrid_ = nullptr;
}

void TShowTotal::SetTotalType(TTotals t) {
    totalType_ = t;
    Repaint();
}

void TShowTotal::SetText(std::string_view v) {
    text_ = std::string(v);
    TControl::SetText(v);
    Repaint();
}

void TShowTotal::SetAlignment(TAlignment a) {
    alignment_ = a;
    Repaint();
}

void TShowTotal::SetShowOnForm(bool v) {
    showOnForm_ = v;
    Repaint();
}

void TShowTotal::SetBorderStyle(TBorderStyle v) {
    borderStyle_ = v;
    Repaint();
}

std::string TShowTotal::ShownText(std::int64_t now) const {
    if (totalType_ == tDate) return DateToStr(now);
    if (totalType_ == tTime) return TimeToStr(now);
    return text_;
}

void TShowTotal::Paint() {
    TCanvas& c = Canvas();
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.Pen().SetColor(clBlack);
    if (!showOnForm_) return;
    const int w = Width();
    const int h = Height();
    c.FillRect(Rect(0, 0, w, h));
    if (borderStyle_ == bsSingle) {
        c.Pen().SetStyle(psSolid);
        c.Rectangle(0, 0, w, h);
    }
    c.Font().Assign(Font());
    // The date and the time are taken at every repaint.
    const std::string text = ShownText(Now());
    const int tw = c.TextWidth(text);
    int x = 5;
    if (alignment_ == taRightJustify) x = w - tw - 10;
    if (alignment_ == taCenter) x = (w - tw) / 2;
    x = std::max(x, 0);
    c.Brush().SetStyle(bsClear);
    c.TextOut(x, 2, text);
}

}  // namespace quillon
