#include "printsuite/forms/DBPrnWin.h"

#include "platform/data/db_format.h"
#include "platform/data/dbctrls.h"
#include "platform/vcl/properties.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/forms/VexRich.h"

namespace quillon {

const TClassInfo& TDBPrintWin::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TDBPrintWin>("TDBPrintWin", &TPrintWin::StaticClassInfo()).Factory();
    return info;
}

TDBPrintWin::TDBPrintWin(TComponent* owner) : TPrintWin(owner) {}

std::string TDBPrintWin::GetComponentName() {
    return "TDBPrintWin component";
}

void TDBPrintWin::StartJob() {
    TPrintWin::StartJob();
    LastPage = true;
}

void TDBPrintWin::EndJob() {
    TPrintWin::EndJob();
}

double TDBPrintWin::GetPageTotal(TWinControl*, const std::string&) {
    return 0.0;
}
double TDBPrintWin::GetMainTotal(TWinControl*, const std::string&) {
    return 0.0;
}

void TDBPrintWin::PrintChild(TControl& c, const TRect& rect) {
    if (dynamic_cast<TDBNavigator*>(&c)) return;  // its before-event has fired; nothing else
    if (auto* look = dynamic_cast<TVexShadowLabelPrinting*>(&c)) {
        if (auto* label = dynamic_cast<TCustomLabel*>(&c)) return PrintShadowLabel(*label, *look, rect);
    }
    if (auto* total = dynamic_cast<TVexTotalPrinting*>(&c)) return PrintTotal(c, *total, rect);
    // Radio groups and images of a dataset print by their own items and pictures.
    if (dynamic_cast<TDBRadioGroup*>(&c) || dynamic_cast<TDBImage*>(&c))
        return TPrintWin::PrintChild(c, rect);
    if (dynamic_cast<TDBEdit*>(&c) || dynamic_cast<TDBText*>(&c) ||
        dynamic_cast<TDBCheckBox*>(&c) || dynamic_cast<TDBMemo*>(&c) ||
        dynamic_cast<TDBComboBox*>(&c) || dynamic_cast<TDBLookupCombo*>(&c) ||
        dynamic_cast<TDBGrid*>(&c)) {
        return PrintDataAware(c, rect);
    }
    if (auto* grid = dynamic_cast<TStringGrid*>(&c)) return PrintStringGrid(*grid, rect);
    TPrintWin::PrintChild(c, rect);
}

void TDBPrintWin::PrintDataAware(TControl&, const TRect&) {}

void TDBPrintWin::PrintShadowLabel(TCustomLabel& label, const TVexShadowLabelPrinting& look,
                                   const TRect& r) {
    TGdi* g = Gdi();
    if (!g) return;
    const TColor background = TGdi::MapColor(label.Color());
    g->ClipRect(r.Left, r.Top, CaptionClipRight(label, r), r.Bottom);
    if (label.Transparent()) OpaqueBoxes = false;
    ControlBox(background, &label.Font(), look.ShadowColor(), label.Alignment(), "", false, r);
    OpaqueBoxes = true;
    const std::string& caption = label.Caption();
    // n in 1/300 inch from the label's corner, in colour c.
    const auto pass = [&](TColor c, int n) {
        g->SetFontColor(c);
        WriteCaption(caption, Offset300(Axis::Horizontal, r.Left, n),
                     Offset300(Axis::Vertical, r.Top, n), r, label.Alignment(),
                     !label.WordWrap());
    };
    const int s = look.ShadowOffset();
    constexpr int kRaise = 2;
    switch (look.Style()) {
        case stShadow:
            pass(look.ShadowColor(), s + 10);
            break;
        case stRaised:
            pass(look.ShadowColor(), kRaise + 10);
            pass(clSilver, 10 - kRaise);
            break;
        case stSunken:
            pass(clSilver, kRaise + 10);
            pass(look.ShadowColor(), 10 - kRaise);
            break;
        default:
            break;
    }
    pass(label.Font().Color(), 10);
    ResetClip();
}

std::string TDBPrintWin::TotalText(const TVexTotalPrinting& total) {
    std::string text = total.Text();
    switch (total.TotalType()) {
        case tDate:
            text = JobDate();
            break;
        case tTime:
            text = JobTime();
            break;
        case tPageNumber:
            text = std::to_string(PageNumber);
            break;
        case tPageTotal:
        case tAccTotal:
            if (total.SourceGrid() && !total.SourceField().empty()) {
                const double v = total.TotalType() == tPageTotal
                                     ? GetPageTotal(total.SourceGrid(), total.SourceField())
                                     : GetMainTotal(total.SourceGrid(), total.SourceField());
                text = FormatFloat(
                    total.DisplayFormat().empty() ? "#,##0.00" : total.DisplayFormat(), v);
            }
            break;
        case tText:
            break;
    }
    return text;
}

void TDBPrintWin::PrintTotal(TControl& c, const TVexTotalPrinting& total, const TRect& r) {
    TGdi* g = Gdi();
    if (!g) return;
    const std::string text = TotalText(total);
    if (!ShowOnPage(total.ShowOn(), PageNumber, LastPage)) return;
    const TColor color = TGdi::MapColor(c.Color());
    g->SetBrush(0, color, 0);
    ControlBox(color, &c.Font(), c.Font().Color(), total.Alignment(), text,
               total.BorderStyle() == bsSingle, r);
}

void RegisterFormPrinterClasses() {
    RegisterPrintJobClasses();
    (void)TDBPrintWin::StaticClassInfo();
    RegisterRichTextPrintingClasses();
}

}  // namespace quillon
