// SPDX-License-Identifier: GPL-2.0-or-later
// Window printing: the walk through a window's control tree and the drawing routine of each
// control kind. Every rectangle here is in printer pixels of the current page; u stands for
// 1/300 inch (Offset300), which is 0 on a text-only printer.
//
//   (X1, Y1) ---------------------- (X2, Y1)
//      |  (X1 + 10u, Y1 + 10u): text     |
//      |                                 |
//   (X1, Y2) ---------------------- (X2, Y2)
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/text_only_context.h"
#include "platform/sys/rounding.h"
#include "platform/vcl/forms.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/job/PrnWin.h"

namespace quillon {
namespace {

int U(Axis axis, int a, int n) {
    return Offset300(axis, a, n);
}
constexpr Axis kX = Axis::Horizontal;
constexpr Axis kY = Axis::Vertical;

// Pen styles as the drawing layer numbers them.
std::uint8_t PenStyleCode(TPenStyle s) {
    switch (s) {
        case psDash:
            return 1;
        case psDot:
            return 2;
        case psDashDot:
            return 3;
        case psDashDotDot:
            return 4;
        default:
            return 0;
    }
}

// Page coordinates beyond what a page can hold are kept in a range where sums of a few of
// them stay far from overflowing.
int ClampPixels(double v) {
    constexpr double kLimit = 1e8;
    return RoundToInt(std::clamp(v, -kLimit, kLimit));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Rectangles and shared steps

TRect TPrintWin::PageRectOf(const TControl& control, double left, double top,
                            bool isWindow) const {
    const double x0 = UnitsToPixelsExact(false, left);
    const double y0 = UnitsToPixelsExact(true, top);
    double x1 = x0, y1 = y0;
    if (!isWindow) {
        x1 = x0 + control.Left() * HorizontalScale;
        y1 = y0 + control.Top() * LineSpacing();
    }
    double x2 = x1 + control.Width() * HorizontalScale;
    double y2 = y1 + control.Height() * LineSpacing();
    // A control with a place of its own on paper (all four values given) prints there.
    double pl = 0, pt = 0, pw = 0, ph = 0;
    if (auto* place = dynamic_cast<const TVexPrintPlace*>(&control);
        place && place->PrintPlace(pl, pt, pw, ph)) {
        x1 = UnitsToPixelsExact(false, pl);
        y1 = UnitsToPixelsExact(true, pt);
        x2 = x1 + UnitsToPixelsExact(false, pw);
        y2 = y1 + UnitsToPixelsExact(true, ph);
    }
    return TRect{ClampPixels(x1), ClampPixels(y1), ClampPixels(x2), ClampPixels(y2)};
}

void TPrintWin::ControlBox(TColor background, const TFont* font, TColor textColor,
                           TAlignment alignment, const std::string& text, bool frame,
                           const TRect& rect) {
    if (!gdi_) return;
    gdi_->DrawFieldBox(0, background, 0, font, frame, U(kX, rect.Left, 10), U(kY, rect.Top, 10),
                       rect.Right, rect.Bottom, rect, textColor, text, AlignmentCode(alignment),
                       OpaqueBoxes, true, true);
}

void TPrintWin::BoxOn(const TRect& r) {
    if (gdi_) gdi_->FrameBox(r.Left, r.Top, r.Right, r.Bottom, 2, 2, 2, 2);
}

void TPrintWin::ResetClip() {
    if (!gdi_ || IsGenericPrinter()) return;
    if (DeviceContext* dc = gdi_->PageHandle()) ResetClipRegion(*dc);
}

void TPrintWin::WriteCaption(const std::string& caption, int x, int y, const TRect& rect,
                             TAlignment alignment) {
    if (!gdi_) return;
    gdi_->SetTextArea(rect.Left, rect.Top, rect.Right, rect.Bottom);
    gdi_->WrapText(x, y, gdi_->FontHeight(), rect, caption, AlignmentCode(alignment), false);
}

void TPrintWin::PreparePrintFont(const TFont& font) {
    if (!gdi_) return;
    std::string face = font.Name();
    // Only the printed font changes: the window keeps its look after a print.
    if (FixSansSerif() && (face == "MS Sans Serif" || face == "System")) face = "Arial";
    TFont& pf = Printer().Canvas().Font();
    pf.SetName(face);
    pf.SetSize(std::abs(font.Size()));
    pf.SetStyle(font.Style());
    pf.SetColor(font.Color());
    const TFontStyles st = font.Style();
    gdi_->SetFontStyle(face, pf.Height(), st.Contains(fsBold), st.Contains(fsItalic),
                       st.Contains(fsUnderline));
}

// ---------------------------------------------------------------------------------------------
// The walk

void TPrintWin::PrintWindow(TWinControl* control, double left, double top) {
    if (!gdi_ || !control || !control->Visible()) return;
    Printer().Canvas().Font().SetStyle({});
    bool drawn = false;
    bool frame = FrameObjects();
    const double outerLeft = WalkLeft, outerTop = WalkTop;
    WalkLeft = left;
    WalkTop = top;
    const TRect rect = PageRectOf(*control, left, top, true);
    FireBeforePrintControl(control);
    PrintWindowItself(*control, rect, drawn, frame);
    if (frame && drawn && FrameTopWindow) BoxOn(rect);
    if (!drawn) {
        FrameTopWindow = false;
        PrintControlImage(*control, rect);
    }
    FrameTopWindow = true;
    FireAfterPrintControl(control);
    // Handlers may add or remove children: the count is read again for every child.
    for (int i = 0; gdi_ && i < control->ControlCount(); ++i) {
        TControl* child = control->Controls(i);
        if (!child || !child->Visible()) continue;
        if (auto* win = dynamic_cast<TWinControl*>(child)) FireBeforePrintControl(win);
        if (!gdi_) break;
        WalkLeft = left;
        WalkTop = top;
        PrintChild(*child, PageRectOf(*child, left, top, false));
    }
    WalkLeft = outerLeft;
    WalkTop = outerTop;
}

void TPrintWin::PrintWindowItself(TWinControl& w, const TRect& rect, bool& drawn, bool& frame) {
    if (auto* form = dynamic_cast<TCustomForm*>(&w)) {
        ControlBox(TGdi::MapColor(form->Color()), &form->Font(), form->Font().Color(),
                   taLeftJustify, "", false, rect);
        frame = false;
        drawn = true;
    }
    if (auto* box = dynamic_cast<TScrollBox*>(&w)) {
        ControlBox(TGdi::MapColor(box->Color()), &box->Font(), box->Font().Color(), taLeftJustify,
                   "", box->BorderStyle() == bsSingle, rect);
        if (box->BorderStyle() == bsNone) frame = false;
        drawn = true;
    }
    if (auto* memo = dynamic_cast<TMemo*>(&w)) {
        PrintMemo(*memo, rect);
        frame = false;
        drawn = true;
    }
    if (auto* group = dynamic_cast<TGroupBox*>(&w)) {
        PrintGroupBox(*group, rect, false);
        drawn = true;
    }
    if (auto* check = dynamic_cast<TCheckBox*>(&w)) {
        PrintCheckBox(*check, rect);
        drawn = true;
    }
    if (auto* radio = dynamic_cast<TRadioButton*>(&w)) {
        PrintRadioButton(*radio, rect);
        drawn = true;
    }
    if (auto* group = dynamic_cast<TRadioGroup*>(&w)) {
        PrintRadioGroup(*group, rect);
        frame = false;
        drawn = true;
    }
    if (dynamic_cast<TPanel*>(&w) || dynamic_cast<TVexPanelPrinting*>(&w)) {
        auto& panel = static_cast<TCustomPanel&>(w);
        PrintPanel(panel, rect, false);
        drawn = true;
        frame = panel.BorderStyle() == bsSingle;
    }
}

void TPrintWin::PrintChild(TControl& c, const TRect& rect) {
    // The plain controls' rules, tried in order: the first whose class the child belongs to
    // draws it (a class before the classes it derives from).
    using Rule = TChildRule<TPrintWin>;
    static const Rule rules[] = {
        {IsA<TBevel>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintBevel(static_cast<TBevel&>(c), r);
         }},
        {IsA<TEdit, TMaskEdit>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintEditControl(static_cast<TCustomEdit&>(c), r.Left, r.Top, r.Right, r.Bottom, r);
         }},
        // Every label, the suite's shadow label too, prints as a plain label here.
        {IsA<TCustomLabel>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintLabel(static_cast<TCustomLabel&>(c), r);
         }},
        {IsA<TVexGraphicControl>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintGraphicControl(dynamic_cast<TVexGraphicControl&>(c), r);
         }},
        {IsA<TGroupBox>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintGroupBox(static_cast<TGroupBox&>(c), r, true);
         }},
        {IsA<TRadioGroup>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintRadioGroup(static_cast<TRadioGroup&>(c), r);
         }},
        {IsA<TRadioButton>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintRadioButton(static_cast<TRadioButton&>(c), r);
         }},
        {IsA<TCheckBox>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintCheckBox(static_cast<TCheckBox&>(c), r);
         }},
        {IsA<TMemo>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintMemo(static_cast<TMemo&>(c), r);
         }},
        {IsA<TComboBox>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintComboBox(static_cast<TComboBox&>(c), r);
         }},
        {IsA<TImage>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintImage(static_cast<TImage&>(c), r);
         }},
        {IsA<TPanel, TVexPanelPrinting>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintPanel(dynamic_cast<TCustomPanel&>(c), r, true);
         }},
        {IsA<TScrollBox>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintScrollBox(static_cast<TScrollBox&>(c), r);
         }},
        {IsA<TShape>, [](TPrintWin& p, TControl& c, const TRect& r) {
             p.PrintShape(static_cast<TShape&>(c), r);
         }},
        // Any other windowed control: a container is walked, anything else paints itself.
        {IsA<TWinControl>, [](TPrintWin& p, TControl& c, const TRect& r) {
             auto& win = static_cast<TWinControl&>(c);
             if (win.ControlCount() > 0)
                 p.PrintWindow(&win, PixelsToUnits(r.Left, false), PixelsToUnits(r.Top, true));
             else
                 p.PrintControlImage(win, r);
         }},
    };
    // A non-windowed control of another kind prints nothing.
    DispatchChild(rules, *this, c, rect);
}

void TPrintWin::PrintWindowPages(TWinControl* control, double left, double top) {
    if (!gdi_) return;
    PageNumber = 1;
    for (;;) {
        // Tables only ever clear LastPage: a pass goes on to another one while any of its
        // tables has rows left, whichever of them was printed last.
        LastPage = true;
        InPass = true;
        BeginPass();
        Fire(OnPrintHeader);
        ProcessPendingMessages();
        PrintWindow(control, left, top);
        if (!gdi_) {
            InPass = false;
            return;
        }
        EndPass();
        InPass = false;
        if (LastPage) {
            Fire(OnNewPage);
            return;
        }
        // Abort (pressed while the pass let messages run) ends the pages here.
        if (AbortRequested()) return;
        NewPage();
        ++PageNumber;
    }
}

// ---------------------------------------------------------------------------------------------
// Labels, shapes, panels

void TPrintWin::PrintLabel(TCustomLabel& label, const TRect& r) {
    if (!gdi_) return;
    const TColor background = TGdi::MapColor(label.Color());
    // The text may run 50 printer pixels past the right edge, never below the label.
    gdi_->ClipRect(r.Left, r.Top, r.Right + 50, r.Bottom);
    if (label.Transparent()) OpaqueBoxes = false;
    ControlBox(background, &label.Font(), label.Font().Color(), label.Alignment(), "", false, r);
    OpaqueBoxes = true;
    WriteCaption(label.Caption(), U(kX, r.Left, 10), U(kY, r.Top, 10), r, label.Alignment());
    ResetClip();
}

void TPrintWin::PrintShape(TShape& shape, const TRect& r) {
    if (!gdi_ || IsGenericPrinter()) return;
    gdi_->SetBrush(0, TGdi::MapColor(shape.Brush().Color()), 0);
    int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    const TShapeType kind = shape.Shape();
    if (kind == stSquare || kind == stRoundSquare || kind == stCircle) {
        const int w = r.Right - r.Left;
        const int h = r.Bottom - r.Top;
        if (w <= h) {
            T = r.Top + h / 2 - w / 2;
            B = T + w;
        } else {
            L = r.Left + w / 2 - h / 2;
            R = L + h;
        }
    }
    const int clipLeft = r.Left < 0 ? UnitsToPixels(false, WalkLeft) : r.Left;
    gdi_->ClipRect(clipLeft, r.Top, U(kX, R, 10), U(kY, B, 10));
    gdi_->AssignBrush(shape.Brush());
    Printer().Canvas().Pen().SetStyle(shape.Pen().Style());
    // One printer pixel whatever the pen's width on screen.
    gdi_->SetPenStyle(PenStyleCode(shape.Pen().Style()), 1, shape.Pen().Color());
    switch (kind) {
        case stRoundRect:
            gdi_->DrawRoundRect(L, T, R, B, 20, 20);
            break;
        case stEllipse:
        case stCircle:
            gdi_->DrawEllipse(L, T, R, B);
            break;
        default:  // a round square prints with square corners
            gdi_->DrawRectangle(L, T, R, B);
            break;
    }
    gdi_->SetBrush(0, clWhite, 0);
    ResetClip();
    Printer().Canvas().Pen().SetStyle(psSolid);
    gdi_->SetPen(1, shape.Pen().Color());
}

void TPrintWin::PrintPanel(TCustomPanel& panel, const TRect& r, bool recurse) {
    if (!gdi_) return;
    const TColor color = TGdi::MapColor(panel.Color());
    gdi_->SetBrush(0, color, 0);
    ControlBox(color, &panel.Font(), panel.Font().Color(), taLeftJustify, "",
               panel.BorderStyle() == bsSingle, r);
    gdi_->SetBrush(0, color, 0);
    gdi_->FillBox(r);
    if (panel.BorderStyle() == bsSingle) BoxOn(r);
    if (recurse) PrintWindow(&panel, PixelsToUnits(r.Left, false), PixelsToUnits(r.Top, true));
}

void TPrintWin::PrintGraphicControl(TVexGraphicControl& control, const TRect& r) {
    if (!gdi_) return;
    TVexPrint request;
    request.left = request.currentX = r.Left;
    request.top = request.currentY = r.Top;
    request.right = r.Right;
    request.bottom = r.Bottom;
    request.dc = gdi_->PageHandle();
    gdi_->ClipRect(r.Left, r.Top, U(kX, r.Right, 5), U(kY, r.Bottom, 10));
    control.Print(request);
    ResetClip();
}

// ---------------------------------------------------------------------------------------------
// Edits, group boxes, radio buttons and check boxes, memos, combo boxes

void TPrintWin::PrintEditControl(TCustomEdit& edit, int, int, int, int, const TRect& r) {
    const auto* masked = dynamic_cast<const TCustomMaskEdit*>(&edit);
    const std::string text = masked ? masked->EditText() : edit.Text();
    ControlBox(TGdi::MapColor(edit.Color()), &edit.Font(), edit.Font().Color(), taLeftJustify,
               text, edit.BorderStyle() == bsSingle, r);
}

void TPrintWin::PrintGroupBox(TCustomGroupBox& box, const TRect& r, bool recurse) {
    if (!gdi_) return;
    ControlBox(TGdi::MapColor(box.Color()), &box.Font(), box.Font().Color(), taLeftJustify, "",
               false, r);
    FrameTopWindow = false;
    if (recurse) {
        PrintWindow(&box, PixelsToUnits(r.Left, false), PixelsToUnits(r.Top, true));
        if (!gdi_) return;
        // The children left their own fonts selected: the caption is the box's.
        gdi_->AssignFont(box.Font());
    }
    PrintGroupFrame(r.Left, r.Top, box.Caption(), r.Right, r.Bottom);
}

void TPrintWin::PrintGroupFrame(int x1, int y1, const std::string& caption, int x2, int y2) {
    if (!gdi_) return;
    const int top = U(kY, y1, 20);
    const int textX = U(kX, x1, 10);
    // The frame in a one-pixel black pen, whatever the controls before it left selected.
    gdi_->SetPen(1, clBlack);
    gdi_->DrawLine(x1, top, U(kX, x1, 5), top);
    gdi_->DrawLine(x1, top, x1, y2);
    gdi_->DrawLine(x1, y2, x2, y2);
    gdi_->DrawLine(x2, y2, x2, top);
    // The top rule starts again after the caption as it is written, so no letter is struck.
    const int captionEnd = textX + Printer().Canvas().TextWidth(caption);
    if (captionEnd < x2) gdi_->DrawLine(captionEnd, top, x2, top);
    gdi_->PutText(textX, y1, caption);
}

namespace {

// The size of check marks and radio circles in 1/300 inch: the printer height of "W".
int MarkSize() {
    const double dpi = Printer().Caps().logPixelsX;
    if (dpi <= 0) return 0;
    return RoundToInt(Printer().Canvas().TextHeight("W") / (dpi / 300.0));
}

}  // namespace

void TPrintWin::PrintRadioItem(const std::string& text, int x, int y, bool checked, TColor color,
                               const TFont& font) {
    PreparePrintFont(font);
    gdi_->SetBrush(0, TGdi::MapColor(color), 0);
    gdi_->SetFontColor(font.Color());
    gdi_->PutText(U(kX, x, 50), U(kY, y, 5), text);
    const int k = MarkSize();
    gdi_->SetBrush(0, clWhite, 0);
    gdi_->DrawEllipse(U(kX, x, 13), U(kY, y, 13), U(kX, x, k), U(kY, y, k));
    if (checked) {
        gdi_->SetBrush(0, clBlack, 0);
        gdi_->DrawEllipse(U(kX, x, 18), U(kY, y, 18), U(kX, x, k - 5), U(kY, y, k - 5));
    }
}

void TPrintWin::PrintRadioGroup(TCustomRadioGroup& group, const TRect& r) {
    if (!gdi_) return;
    ControlBox(TGdi::MapColor(group.Color()), &group.Font(), group.Font().Color(), taLeftJustify,
               "", false, r);
    PrintGroupFrame(r.Left, r.Top, group.Caption(), r.Right, r.Bottom);
    const int count = group.Items().Count();
    if (count <= 0) return;
    const int band = (r.Bottom - r.Top) / (count + 1);
    const int x = U(kX, r.Left, 10);
    for (int j = 0; j < count; ++j) {
        const int y = r.Top + j * band + band / 2;
        PrintRadioItem(group.Items().Strings(j), x, y, j == group.ItemIndex(), group.Color(),
                       group.Font());
    }
}

namespace {

// Where a radio button's or check box's caption goes and where its mark's corner is.
struct MarkPlace {
    int textX, textY, markX, markY;
};

MarkPlace PlaceMark(TAlignment alignment, const TRect& r, int k) {
    MarkPlace p{};
    p.textY = U(kY, r.Top, 5);
    p.markY = U(kY, r.Top, -5);
    if (alignment == taRightJustify) {
        p.textX = U(kX, r.Left, k + 10);
        p.markX = r.Left;
    } else {
        p.textX = U(kX, r.Left, 10);
        p.markX = U(kX, r.Right, -(k + 10));
    }
    return p;
}

}  // namespace

void TPrintWin::PrintRadioButton(TRadioButton& button, const TRect& r) {
    if (!gdi_) return;
    PreparePrintFont(button.Font());
    gdi_->SetBrush(0, TGdi::MapColor(button.Color()), 0);
    gdi_->SetFontColor(button.Font().Color());
    const int k = MarkSize();
    const MarkPlace p = PlaceMark(button.Alignment(), r, k);
    if (OpaqueBoxes)
        gdi_->DrawBoxText(p.textX, p.textY, r.Right, r.Bottom, false, r, button.Caption(), 0, true,
                          false);
    gdi_->SetBrush(0, clWhite, 0);
    const int x = p.markX, y = p.markY;
    gdi_->DrawEllipse(U(kX, x, 13), U(kY, y, 13), U(kX, x, k), U(kY, y, k));
    if (button.Checked()) {
        gdi_->SetBrush(0, clBlack, 0);
        gdi_->DrawEllipse(U(kX, x, 18), U(kY, y, 18), U(kX, x, k - 5), U(kY, y, k - 5));
    }
}

void TPrintWin::PrintCheckBox(TCustomCheckBox& box, const TRect& r) {
    if (!gdi_) return;
    PreparePrintFont(box.Font());
    gdi_->SetBrush(0, TGdi::MapColor(box.Color()), 0);
    gdi_->SetFontColor(box.Font().Color());
    const int k = MarkSize();
    const MarkPlace p = PlaceMark(box.Alignment(), r, k);
    if (OpaqueBoxes)
        gdi_->DrawBoxText(p.textX, p.textY, r.Right, r.Bottom, false, r, box.Caption(), 0, true,
                          false);
    gdi_->SetBrush(0, clWhite, 0);
    const int x1 = U(kX, p.markX, 13), y1 = U(kY, p.markY, 13);
    const int x2 = U(kX, p.markX, k), y2 = U(kY, p.markY, k);
    gdi_->DrawRectangle(x1, y1, x2, y2);
    if (box.Checked()) {
        gdi_->DrawLine(x1, y1, x2, y2);
        gdi_->DrawLine(x2, y1, x1, y2);
    }
}

void TPrintWin::PrintMemo(TCustomMemo& memo, const TRect& r) {
    if (!gdi_) return;
    // On white whatever the memo's colour.
    gdi_->DrawMemoBox(memo, r.Left, r.Top, r.Right, r.Bottom, r, OpaqueBoxes, true, true);
}

void TPrintWin::PrintComboBox(TCustomComboBox& combo, const TRect& r) {
    if (!gdi_) return;
    PreparePrintFont(combo.Font());
    gdi_->SetBrush(0, TGdi::MapColor(combo.Color()), 0);
    gdi_->FillBox(r);
    gdi_->PutText(U(kX, r.Left, 10), U(kY, r.Top, 10), combo.Text());
    BoxOn(r);
}

// ---------------------------------------------------------------------------------------------
// String grids

void TPrintWin::PrintStringGrid(TStringGrid& grid, const TRect& r) {
    if (!gdi_) return;
    const bool bordered = grid.BorderStyle() == bsSingle;
    ControlBox(TGdi::MapColor(grid.Color()), &grid.Font(), grid.Font().Color(), taLeftJustify, "",
               bordered, r);
    PrintStringGridTable(grid, U(kX, r.Left, 30), r.Top, r.Right, r.Bottom);
    if (bordered) BoxOn(r);
}

void TPrintWin::PrintStringGridTable(TStringGrid& grid, int left, int top, int right, int bottom) {
    if (!gdi_) return;
    (void)right;
    // Cells that start beyond this never reach a page.
    constexpr int kPageEnd = 32000;
    gdi_->ClipRect(U(kX, left, -30), top, right, bottom);
    gdi_->SetPen(2, Pen().Color());
    TFont plain(grid.Font());
    plain.SetStyle({});
    gdi_->AssignFont(plain);
    const int h = gdi_->FontHeight();
    TCanvas& canvas = Printer().Canvas();

    const int cols = grid.ColCount();
    std::vector<int> widths;
    widths.reserve(static_cast<std::size_t>(std::max(cols, 0)));
    long long edge = left;
    for (int c = 0; c < cols && edge < kPageEnd; ++c) {
        int w = ScreenToPrinterX(grid.ColWidths(c)) + 50;
        if (WidthFromData) {
            for (int row = 0; row < grid.RowCount(); ++row)
                w = std::max(w, canvas.TextWidth(grid.Cells(c, row)) + 50);
        }
        widths.push_back(w);
        edge += w;
    }
    const int rightEdge = static_cast<int>(std::min<long long>(edge, kPageEnd));

    gdi_->SetBrush(0, TGdi::MapColor(grid.Color()), 0);
    gdi_->SetFontColor(clBlack);
    gdi_->AssignFont(plain);
    gdi_->SetFontColor(clBlack);
    const int half = RoundToInt(h * 0.5);
    const int y0 = top + RoundToInt(h / 4.0);
    const auto writeRow = [&](int row, int y) {
        int x = left;
        for (std::size_t c = 0; c < widths.size(); ++c) {
            ProcessPendingMessages();
            if (!gdi_) return;
            gdi_->PutText(x, y, grid.Cells(static_cast<int>(c), row));
            x += widths[c];
        }
    };
    writeRow(0, y0);
    if (!gdi_) return;
    const int d = RoundToInt(half * 2.5);
    const bool horz = grid.Options().Contains(goHorzLine);
    const int ruleStart = U(kX, left, -30);
    const int ruleEnd = U(kX, rightEdge, -30);
    int lastRule = y0 + d;
    if (horz) gdi_->DrawLine(ruleStart, y0 + d, ruleEnd, y0 + d);
    const auto H = [&](int row) {
        return row < grid.RowCount() ? ScreenToPrinterY(grid.RowHeights(row)) : 0;
    };
    // The rows go on where the grid's previous table stopped; row 0 heads every page.
    int first = StringGridNextRow(grid);
    if (stringGridNext_.try_emplace(&grid, first).second) grid.FreeNotification(this);
    long long q = y0 + H(first);
    long long textY = q;
    int j = first;
    for (; j < grid.RowCount(); ++j) {
        if (q + 3LL * half > bottom) break;
        writeRow(j, static_cast<int>(textY));
        if (!gdi_) return;
        if (horz) gdi_->DrawLine(ruleStart, static_cast<int>(q + d), ruleEnd, static_cast<int>(q + d));
        lastRule = static_cast<int>(q + d);
        textY = q + H(j - 1);
        q = q + H(j);
        if (textY >= q) textY = q;
    }
    stringGridNext_[&grid] = j;
    if (j < grid.RowCount()) {
        if (j == first)
            ReportGridTooSmall(grid);
        else
            LastPage = false;
    }
    if (grid.Options().Contains(goVertLine)) {
        int x = left;
        for (int w : widths) {
            gdi_->DrawLine(U(kX, x, -30), top, U(kX, x, -30), lastRule);
            x += w;
        }
        gdi_->DrawLine(U(kX, x, -30), top, U(kX, x, -30), lastRule);
    }
    ResetClip();
}

// ---------------------------------------------------------------------------------------------
// Pictures, bevels, scroll boxes, controls that paint themselves

void TPrintWin::PrintImage(TImage& image, const TRect& r) {
    if (gdi_) gdi_->DrawPicture(image.Picture(), r.Left, r.Top, r.Right, r.Bottom, r);
}

void TPrintWin::PrintBevel(TBevel&, const TRect& r) {
    if (!gdi_) return;
    gdi_->FillBox(r);
    BoxOn(r);
}

void TPrintWin::PrintScrollBox(TScrollBox& box, const TRect& r) {
    if (!gdi_) return;
    const bool bordered = box.BorderStyle() == bsSingle;
    ControlBox(TGdi::MapColor(box.Color()), &box.Font(), box.Font().Color(), taLeftJustify, "",
               bordered, r);
    if (box.Color() != clBtnFace) gdi_->FillBox(r);
    PrintWindow(&box, PixelsToUnits(r.Left, false), PixelsToUnits(r.Top, true));
}

void TPrintWin::PrintControlImage(TWinControl& control, const TRect& r) {
    if (!gdi_) return;
    DeviceContext* dc = gdi_->PageHandle();
    if (!dc) return;
    const int w = r.Right - r.Left;
    const int h = r.Bottom - r.Top;
    if (w <= 0 || h <= 0) return;
    const DeviceCaps caps = Printer().Caps();
    const double screen = Screen().PixelsPerInch();
    dc->SetMapMode(MM_ISOTROPIC);
    dc->SetViewportOrgEx(r.Left, r.Top);
    dc->SetWindowExtEx(w, h);
    dc->SetViewportExtEx(RoundToInt(w * caps.logPixelsX / screen),
                         RoundToInt(h * caps.logPixelsY / screen));
    if (IsGenericPrinter()) {
        // A text-only printer gets the words the control paints (a button its caption, rich
        // text its lines) and nothing else.
        TextOnlyContext text(*dc);
        SetWindowPaintDC(&text);
        PaintWindowTo(control, text, 0, 0, control.Width(), control.Height());
    } else {
        SetWindowPaintDC(dc);
        PaintWindowTo(control, *dc, 0, 0, control.Width(), control.Height());
    }
    SetWindowPaintDC(nullptr);
    ProcessPendingMessages();
    ProcessPendingMessages();
    if (!gdi_ || gdi_->PageHandle() != dc) return;
    const int pw = Printer().PageWidth();
    const int ph = Printer().PageHeight();
    dc->SetWindowExtEx(pw, ph);
    dc->SetViewportExtEx(pw, ph);
    dc->SetWindowOrgEx(0, 0);
    dc->SetViewportOrgEx(0, 0);
}

}  // namespace quillon
