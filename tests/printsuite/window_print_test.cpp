// SPDX-License-Identifier: GPL-2.0-or-later
// Window printing through the recording double: page rectangles, the label, shape, panel and
// total rules, the other controls' rules, the events of the walk, the passes of
// PrintWindowPages, and hostile windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/gdi/printer.h"
#include "platform/sys/desktop.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/base/Tallet.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/controls/Totals.h"
#include "printsuite/controls/Vex_lab.h"
#include "printsuite/forms/DBPrnWin.h"
#include "printsuite/forms/VexRchCon.h"
#include "printsuite/forms/VexRich.h"
#include "tests/printsuite/window_print_fixture.h"

namespace quillon {
namespace {

TEST_F(WindowPrintTest, LabelRectangleIsRoundedFromFourDoublesAndItsTextStartsTenUnitsIn) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(40, 90, 780, 861);  // the window's own place plays no part
    panel.SetColor(clWhite);
    auto* l = Add<TLabel>(panel, 24, 12, 81, 32);
    l->SetCaption("GOLDEN RIVER");
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    // The panel: (300, 300) to 300 + 780 x 6.25 = 5175, 300 + 861 x 6.25 = 5681.25.
    EXPECT_TRUE(Has(calls, "FillRect 300,300,5175,5681 solid #FFFFFF")) << Dump(calls);
    // The label: (450, 375)-(956.25, 575) -> (450, 375)-(956, 575); text 10/300 inch (20 px) in.
    const auto clip = IndexOf(calls, "IntersectClipRect 450,375,1006,575");
    const auto fill = IndexOf(calls, "FillRect 450,375,956,575 solid #FFFFFF");
    const auto text = IndexOf(calls, "TextOut 470,395 \"GOLDEN RIVER\"");
    const auto reset = IndexOf(calls, "SelectClipRgn 0,0,32000,32000");
    ASSERT_LT(text, calls.size()) << Dump(calls);
    EXPECT_LT(clip, fill);
    EXPECT_LT(fill, text);
    EXPECT_LT(text, reset);
    EXPECT_LT(reset, calls.size());
}

TEST_F(WindowPrintTest, RightAndCentredLabelsEndAndCentreOnTheirBox) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* right = Add<TLabel>(panel, 24, 12, 81, 32);
    right->SetAlignment(taRightJustify);
    right->SetCaption("R");
    auto* centre = Add<TLabel>(panel, 24, 60, 81, 32);
    centre->SetAlignment(taCenter);
    centre->SetCaption("C");
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    // Right: the line ends at 470 + 506 - 20; centre: centred on 470 + 506 div 2.
    const auto r = IndexOf(calls, "TextOut 956,395 \"R\"");
    ASSERT_LT(r, calls.size()) << Dump(calls);
    EXPECT_EQ(calls[r - 2], "SetTextAlign 2");
    EXPECT_EQ(calls[r + 1], "SetTextAlign 0");
    // Top 300 + 60 x 6.25 = 675, text at 695.
    const auto c = IndexOf(calls, "TextOut 723,695 \"C\"");
    ASSERT_LT(c, calls.size()) << Dump(calls);
    EXPECT_EQ(calls[c - 2], "SetTextAlign 6");
}

TEST_F(WindowPrintTest, EveryLabelWrapsIntoItsBoxClippedFiftyPixelsRightAndCutAtItsBottom) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    // 32 screen pixels are 200 printer pixels: "AAAA BBBB" is far wider, so it takes two
    // lines whether the label word-wraps or not.
    auto* plain = Add<TLabel>(panel, 0, 0, 32, 40);
    plain->SetCaption("AAAA BBBB");
    auto* wrapped = Add<TLabel>(panel, 0, 60, 32, 40);
    wrapped->SetWordWrap(true);
    wrapped->SetCaption("AAAA BBBB");
    // A word wider than the box less 10 pixels is cut to fit; the clip stops its tail.
    auto* word = Add<TLabel>(panel, 0, 120, 16, 16);
    word->SetCaption("ABCDEFGHIJKLMNOP");
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    const int line = Printer().Canvas().TextHeight("W");
    for (const int top : {300, 675}) {
        SCOPED_TRACE(top);
        EXPECT_TRUE(Has(calls, "TextOut 320," + std::to_string(top + 20) + " \"AAAA\""))
            << Dump(calls);
        EXPECT_TRUE(Has(calls, "TextOut 320," + std::to_string(top + 20 + line) + " \"BBBB\""));
        // Clipped 50 pixels past X2 = 500 and at Y2, however far the text reaches.
        EXPECT_TRUE(Has(calls, "IntersectClipRect 300," + std::to_string(top) + ",550," +
                                   std::to_string(top + 250)));
    }
    EXPECT_FALSE(Has(calls, "TextOut 320,320 \"AAAA BBBB\""));
    EXPECT_TRUE(Has(calls, "IntersectClipRect 300,1050,450,1150")) << Dump(calls);
    // 100 pixels less 10 hold two letters of 25: the word goes on two letters a line, and
    // what runs below Y2 = 1150 is cut by the clip.
    EXPECT_TRUE(Has(calls, "TextOut 320,1070 \"AB\""));
    EXPECT_TRUE(Has(calls, "TextOut 320," + std::to_string(1070 + line) + " \"CD\""));
}

TEST_F(WindowPrintTest, ALabelSizedToItsCaptionPrintsItOnOneLineAt300And600Ppi) {
    // The program sets a 30-character caption: the label takes its size on the screen, and
    // the caption, word-wrapped into the label's rectangle, stays on one line on paper.
    const std::string name = "JOHANNA MARIA VAN DER BERGHENS";
    ASSERT_EQ(name.size(), 30u);
    for (const int printer : {k300, kLaser}) {
        SCOPED_TRACE(printer);
        Start(printer);
        TPanel panel(nullptr);
        panel.SetBounds(0, 0, 700, 300);
        auto* label = new TLabel(&panel);
        label->SetParent(&panel);
        label->SetBounds(24, 12, 10, 10);
        label->Font().SetHeight(-16);
        label->SetCaption(name);
        TCanvas screen;
        screen.Font().Assign(label->Font());
        ASSERT_EQ(label->Width(), screen.TextWidth(name));
        job_.PrintWindow(&panel, 0.5, 0.5);
        // 300 ppi: (150 + 75, 150 + 37.5) and 10/300 inch in; 600 ppi: (300 + 150, 300 + 75).
        const std::string at = printer == k300 ? "TextOut 235,198 " : "TextOut 470,395 ";
        EXPECT_TRUE(Has(Only({"TextOut"}), at + "\"" + name + "\"")) << Dump(Only({"TextOut"}));
        job_.EndJob();
    }
}

TEST_F(WindowPrintTest, TransparentLabelFillsNothingAndButtonFacePrintsWhite) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    panel.SetColor(clYellow);
    auto* see = Add<TLabel>(panel, 0, 0, 16, 16);
    see->SetTransparent(true);
    see->SetCaption("T");
    auto* face = Add<TLabel>(panel, 16, 0, 16, 16);
    face->SetColor(clBtnFace);
    face->SetCaption("F");
    job_.PrintWindow(&panel, 1.0, 1.0);
    const auto fills = Only({"FillRect"});
    // The panel twice (box and fill), no fill for the transparent label, white for the other.
    EXPECT_EQ(fills, (std::vector<std::string>{"FillRect 600,600,3100,2475 solid #FFFF00",
                                               "FillRect 600,600,3100,2475 solid #FFFF00",
                                               "FillRect 700,600,800,700 solid #FFFFFF"}));
    EXPECT_TRUE(Has(Calls(), "TextOut 620,620 \"T\""));
}

TEST_F(WindowPrintTest, ShapesSquareUpAndKeepAOnePixelPen) {
    Start(k96);  // scale 1, 10/300 inch = 3 pixels
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* circle = Add<TShape>(panel, 10, 20, 100, 40);
    circle->SetShape(stCircle);
    circle->Pen().SetWidth(3);
    circle->Pen().SetColor(clRed);
    job_.PrintWindow(&panel, 1.0, 1.0);
    // 100 x 40 at (106, 116): a 40 x 40 circle, L = X1 + 30.
    EXPECT_EQ(Only({"Ellipse", "IntersectClipRect"}),
              (std::vector<std::string>{"IntersectClipRect 106,116,179,159",
                                        "Ellipse 136,116,176,156"}));
    EXPECT_TRUE(Has(Calls(), "SelectPen solid 1 #FF0000")) << Dump(Calls());
    EXPECT_FALSE(Has(Calls(), "SelectPen solid 3 #FF0000"));
}

TEST_F(WindowPrintTest, RoundRectCornerIsTwentyPixelsAndRoundSquareIsSquare) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* round = Add<TShape>(panel, 0, 0, 32, 16);
    round->SetShape(stRoundRect);
    auto* square = Add<TShape>(panel, 0, 32, 32, 16);
    square->SetShape(stRoundSquare);
    auto* rule = Add<TShape>(panel, 25, 362, 650, 1);
    rule->Brush().SetColor(clBlack);
    rule->Pen().SetColor(clGray);
    job_.PrintWindow(&panel, 0.5, 0.5);
    EXPECT_EQ(Only({"RoundRect", "Rectangle"}),
              (std::vector<std::string>{"RoundRect 300,300,500,400 corner 20,20",
                                        // 200 x 100 squared: L = 300 + 100 - 50
                                        "Rectangle 350,500,450,600",
                                        // a writing line: 2562.5 and 2568.75 round apart
                                        "Rectangle 456,2562,4519,2569"}));
    EXPECT_TRUE(Has(Calls(), "SelectBrush solid #000000"));
    EXPECT_TRUE(Has(Calls(), "SelectPen solid 1 #808080"));
}

TEST_F(WindowPrintTest, RadioGroupItemsSitInTheirBands) {
    Start(k96);
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 500);
    auto* group = Add<TRadioGroup>(panel, 0, 0, 200, 400);
    group->SetCaption("G");
    group->Items().Add("A");
    group->Items().Add("B");
    group->Items().Add("C");
    group->SetItemIndex(1);
    job_.PrintWindow(&panel, 1.0, 1.0);
    const int k = static_cast<int>(std::nearbyint(Printer().Canvas().TextHeight("W") / 0.32));
    const auto u = [](int n) { return static_cast<int>(std::nearbyint(n * 0.32)); };
    // Bands of 400 / 4 = 100: items at Y1 + 50, 150, 250; text at x + 50u, y + 5u.
    std::vector<std::string> expected;
    for (int j = 0; j < 3; ++j) {
        const int x = 96 + 3, y = 96 + j * 100 + 50;
        expected.push_back("TextOut " + std::to_string(x + u(50)) + "," + std::to_string(y + 2) +
                           " \"" + std::string(1, static_cast<char>('A' + j)) + "\"");
        expected.push_back("Ellipse " + std::to_string(x + 4) + "," + std::to_string(y + 4) + "," +
                           std::to_string(x + u(k)) + "," + std::to_string(y + u(k)));
        if (j == 1)
            expected.push_back("Ellipse " + std::to_string(x + 6) + "," + std::to_string(y + 6) +
                               "," + std::to_string(x + u(k - 5)) + "," +
                               std::to_string(y + u(k - 5)));
    }
    std::vector<std::string> calls;
    for (const auto& l : Only({"TextOut", "Ellipse"}))
        if (l.find("\"\"") == std::string::npos) calls.push_back(l);  // the box writes no text
    // The caption comes first (at X1 + 10u, Y1).
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "TextOut 99,96 \"G\"");
    calls.erase(calls.begin());
    EXPECT_EQ(calls, expected);
}

TEST_F(WindowPrintTest, CheckBoxMarksAndTheirPlaceByAlignment) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* on = Add<TCheckBox>(panel, 0, 0, 100, 20);
    on->SetCaption("On");
    on->SetChecked(true);
    on->Font().SetName("MS Sans Serif");
    auto* off = Add<TCheckBox>(panel, 0, 40, 100, 20);
    off->SetCaption("Off");
    off->SetAlignment(taLeftJustify);
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    // The printed font is Arial; the box keeps its own.
    EXPECT_EQ(on->Font().Name(), "MS Sans Serif");
    const auto onText = std::find_if(calls.begin(), calls.end(), [](const std::string& l) {
        return l.find("\"On\"") != std::string::npos;
    });
    ASSERT_NE(onText, calls.end());
    const auto font = std::find_if(std::make_reverse_iterator(onText), calls.rend(),
                                   [](const std::string& l) { return l.rfind("SelectFont", 0) == 0; });
    ASSERT_NE(font, calls.rend());
    EXPECT_EQ(font->rfind("SelectFont \"Arial\"", 0), 0u) << *font;
    const int k = static_cast<int>(std::nearbyint(Printer().Canvas().TextHeight("W") / 2.0));
    // Right-justified: text at X1 + (k + 10)u, the mark's corner at (X1, Y1 - 5u).
    EXPECT_TRUE(Has(calls, "TextOut " + std::to_string(300 + 2 * (k + 10)) + ",310 \"On\""))
        << Dump(calls);
    const std::string a = std::to_string(300 + 26), b = std::to_string(290 + 26);
    const std::string c = std::to_string(300 + 2 * k), d = std::to_string(290 + 2 * k);
    const auto lines = Only({"Rectangle", "MoveTo", "LineTo"});
    // Left-justified: text at X1 + 10u, the mark at X2 - (k + 10)u; not checked: no diagonals.
    const int mx = 925 - 2 * (k + 10);
    const std::string e = std::to_string(mx + 26), f = std::to_string(540 + 26);
    const std::string g = std::to_string(mx + 2 * k), h = std::to_string(540 + 2 * k);
    EXPECT_TRUE(Has(calls, "TextOut 320,560 \"Off\""));
    std::vector<std::string> marks;
    for (const auto& l : lines)
        if (l.rfind("MoveTo 300,", 0) != 0) marks.push_back(l);  // leave the panel out
    EXPECT_EQ(marks, (std::vector<std::string>{
                         "Rectangle " + a + "," + b + "," + c + "," + d, "MoveTo " + a + "," + b,
                         "LineTo " + c + "," + d, "MoveTo " + c + "," + b, "LineTo " + a + "," + d,
                         "Rectangle " + e + "," + f + "," + g + "," + h}))
        << Dump(calls);
}

TEST_F(WindowPrintTest, GroupBoxFrameLeavesTheCaptionUnstruck) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* group = Add<TGroupBox>(panel, 0, 0, 200, 100);
    group->SetCaption("Group");
    group->Font().SetName("Arial");
    group->Font().SetHeight(-16);
    job_.PrintWindow(&panel, 0.5, 0.5);
    const int w = WidthIn("Arial", 100, false, "Group");
    // (300, 300)-(1550, 925); the top rule at Y1 + 20u = 340; caption at (320, 300).
    const std::string top = "340";
    auto lines = Only({"MoveTo", "LineTo"});
    std::vector<std::string> frame(lines.end() - 10, lines.end());
    EXPECT_EQ(frame, (std::vector<std::string>{
                         "MoveTo 300,340", "LineTo 310,340", "MoveTo 300,340", "LineTo 300,925",
                         "MoveTo 300,925", "LineTo 1550,925", "MoveTo 1550,925", "LineTo 1550,340",
                         "MoveTo " + std::to_string(320 + w) + ",340", "LineTo 1550,340"}));
    EXPECT_TRUE(Has(Calls(), "TextOut 320,300 \"Group\""));
}

TEST_F(WindowPrintTest, GroupBoxCaptionIsWrittenInItsOwnFontAfterItsChildren) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* group = Add<TGroupBox>(panel, 0, 0, 200, 100);
    group->SetCaption("Group");
    group->Font().SetName("Arial");
    group->Font().SetHeight(-16);
    auto* check = Add<TCheckBox>(*group, 10, 30, 100, 20);
    check->Font().SetName("Courier New");
    check->Font().SetHeight(-30);
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    int captions = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i] != "TextOut 320,300 \"Group\"") continue;
        ++captions;
        std::size_t f = i;
        while (f > 0 && calls[f].rfind("SelectFont", 0) != 0) --f;
        EXPECT_EQ(calls[f].rfind("SelectFont \"Arial\" 100 ", 0), 0u) << calls[f];
        std::size_t p = i;
        while (p > 0 && calls[p].rfind("SelectPen", 0) != 0) --p;
        EXPECT_EQ(calls[p], "SelectPen solid 1 #000000");
    }
    // Once by the panel's walk, once as the window of the group's own walk.
    EXPECT_EQ(captions, 2) << Dump(calls);
}

TEST_F(WindowPrintTest, EventsOfTheWalkAndOfAChildPanel) {
    Start();
    TPanel outer(nullptr);
    outer.SetName("Outer");
    outer.SetBounds(0, 0, 400, 300);
    auto* inner = Add<TPanel>(outer, 8, 8, 96, 96);
    inner->SetName("Inner");
    auto* edit = Add<TEdit>(*inner, 0, 0, 50, 20);
    edit->SetName("Edit");
    Add<TLabel>(*inner, 0, 30, 50, 20)->SetName("Lab");
    Add<TShape>(*inner, 0, 60, 50, 20)->SetName("Shp");
    auto* check = Add<TCheckBox>(outer, 200, 10, 100, 20);
    check->SetName("Chk");
    auto* hidden = Add<TEdit>(outer, 200, 40, 50, 20);
    hidden->SetName("Hidden");
    hidden->SetVisible(false);
    std::vector<std::string> events;
    job_.OnBeforePrintControl = [&](TObject*) { events.push_back("before " + job_.CurrentControl->Name()); };
    job_.OnAfterPrintControl = [&](TObject*) { events.push_back("after " + job_.CurrentControl->Name()); };
    job_.PrintWindow(&outer, 0.5, 0.5);
    EXPECT_EQ(events, (std::vector<std::string>{"before Outer", "after Outer", "before Inner",
                                                "before Inner", "after Inner", "before Edit",
                                                "before Chk"}));
    // The inner panel is drawn twice on one rectangle, then its edit with the panel's corner
    // as origin: (300 + 50, 300 + 50) to 350 + 600; the edit 50 x 20 from there.
    const auto fills = Only({"FillRect 350,350,950,950"});
    EXPECT_EQ(fills.size(), 4u) << Dump(Calls());
    EXPECT_TRUE(Has(Calls(), "FillRect 350,350,662,475 solid #FFFFFF")) << Dump(Calls());
}

TEST_F(WindowPrintTest, AnInvisibleWindowPrintsNothingAndFiresNothing) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    Add<TLabel>(panel, 0, 0, 10, 10)->SetCaption("x");
    panel.SetVisible(false);
    int fired = 0;
    job_.OnBeforePrintControl = [&](TObject*) { ++fired; };
    job_.PrintWindow(&panel, 0.5, 0.5);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(fired, 0);
}

TEST_F(WindowPrintTest, ShowTotalFollowsItsShowRuleOverThreePasses) {
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* ends = Add<TShowTotal>(panel, 0, 0, 100, 29);
    ends->SetTotalType(tText);
    ends->SetText("ENDS");
    ends->SetShowOn(tFirstAndlast);
    auto* number = Add<TShowTotal>(panel, 0, 40, 100, 29);
    number->SetTotalType(tPageNumber);
    number->SetAlignment(taLeftJustify);
    auto* date = Add<TShowTotal>(panel, 0, 80, 100, 29);
    date->SetTotalType(tDate);
    date->SetAlignment(taLeftJustify);
    date->SetShowOn(tAllButFirstAndLast);
    // Three passes: the header handler says which one is the last.
    job_.OnPrintHeader = [&](TObject*) { job_.LastPage = job_.PageNumber >= 3; };
    Start();
    job_.PrintWindowPages(&panel, 0.5, 0.5);
    const std::string today = job_.JobDate();
    job_.EndJob();
    ASSERT_EQ(pages_.size(), 3u);
    const auto texts = [&](int page) {
        std::vector<std::string> out;
        for (const auto& l : pages_[page])
            if (l.rfind("TextOut 320,", 0) == 0 && l.find("\"\"") == std::string::npos &&
                l.find("\" ") == std::string::npos)  // not the header's blank texts
                out.push_back(l.substr(l.find('"')));
        return out;
    };
    EXPECT_EQ(texts(0), (std::vector<std::string>{"\"1\""}));
    EXPECT_EQ(texts(1), (std::vector<std::string>{"\"2\"", "\"" + today + "\""}));
    EXPECT_EQ(texts(2), (std::vector<std::string>{"\"3\""}));
    // Right-aligned: ends 10/300 inch left of X2 = 925.
    const int w = WidthIn("Arial", 69, false, "ENDS");
    const std::string at = "TextOut " + std::to_string(925 - w - 20) + ",320 \"ENDS\"";
    EXPECT_TRUE(Has(pages_[0], at)) << Dump(pages_[0]);
    EXPECT_FALSE(Has(pages_[1], at));
    EXPECT_TRUE(Has(pages_[2], at));
}

TEST_F(WindowPrintTest, ShadowLabelPassesInMappedColours) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* label = Add<TVex_Label>(panel, 0, 0, 100, 20);
    label->SetCaption("S");
    label->SetStyle(stShadow);
    label->SetShadowOffset(3);
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Only({"TextOut", "SetTextColor"});
    const std::string shadow =
        testing::RecordingDeviceContext::Color(static_cast<TColorRef>(ColorToRGB(clBtnShadow)));
    // The shadow at 13/300 inch (26 px) in, in the button-shadow colour; the caption at 20 px.
    const auto s = IndexOf(calls, "TextOut 326,326 \"S\"");
    ASSERT_LT(s, calls.size()) << Dump(calls);
    EXPECT_EQ(calls[s - 1], "SetTextColor " + shadow);
    ASSERT_LT(s + 2, calls.size());
    EXPECT_EQ(calls[s + 1], "SetTextColor #000000");
    EXPECT_EQ(calls[s + 2], "TextOut 320,320 \"S\"");
}

TEST_F(WindowPrintTest, SunkenShadowLabelWritesSilverThenShadowThenCaption) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* label = Add<TVex_Label>(panel, 0, 0, 100, 20);
    label->SetCaption("S");
    label->SetShadowColor(clNavy);
    job_.PrintWindow(&panel, 0.5, 0.5);
    std::vector<std::string> texts;
    for (const auto& l : Only({"TextOut"}))
        if (l.find("\"S\"") != std::string::npos) texts.push_back(l);
    EXPECT_EQ(texts, (std::vector<std::string>{"TextOut 324,324 \"S\"", "TextOut 316,316 \"S\"",
                                               "TextOut 320,320 \"S\""}));
}

TEST_F(WindowPrintTest, PlainJobPrintsAShadowLabelAsAPlainLabel) {
    TPrintWin plain(nullptr);
    plain.SetShowCancelDialog(false);
    plain.SetOutputTo(poPrinter);
    plain.SetCopies(0);
    plain.StartJob();
    ASSERT_TRUE(plain.InJob());
    Mark();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* label = Add<TVex_Label>(panel, 0, 0, 100, 20);
    label->SetCaption("S");
    plain.PrintWindow(&panel, 0.5, 0.5);
    std::vector<std::string> texts;
    for (const auto& l : Only({"TextOut"}))
        if (l.find("\"S\"") != std::string::npos) texts.push_back(l);
    EXPECT_EQ(texts, (std::vector<std::string>{"TextOut 320,320 \"S\""}));
    plain.EndJob();
}

TEST_F(WindowPrintTest, EditsMemosAndCombosPrintTheirText) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    auto* edit = Add<TEdit>(panel, 0, 0, 100, 20);
    edit->SetText("typed");
    auto* mask = Add<TMaskEdit>(panel, 0, 40, 100, 20);
    mask->SetEditMask("99/99;1;_");
    auto* memo = Add<TMemo>(panel, 0, 80, 100, 40);
    memo->SetColor(clRed);
    memo->Lines().Add("one");
    memo->Lines().Add("two");
    auto* combo = Add<TComboBox>(panel, 0, 160, 100, 20);
    combo->SetText("chosen");
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    EXPECT_TRUE(Has(calls, "TextOut 320,320 \"typed\"")) << Dump(calls);
    EXPECT_TRUE(Has(calls, "TextOut 320,570 \"" + mask->EditText() + "\""));
    // The memo on white whatever its colour, its lines one printer font height apart.
    EXPECT_TRUE(Has(calls, "FillRect 300,800,925,1050 solid #FFFFFF"));
    const auto one = IndexOf(calls, "TextOut 320,820 \"one\"");
    ASSERT_LT(one, calls.size());
    EXPECT_EQ(calls[one + 1].rfind("TextOut 320,", 0), 0u);
    EXPECT_NE(calls[one + 1].find("\"two\""), std::string::npos);
    EXPECT_TRUE(Has(calls, "TextOut 320,1320 \"chosen\""));
}

TEST_F(WindowPrintTest, StringGridPrintsItsTableInside) {
    Start(k96);
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 600, 400);
    auto* grid = Add<TStringGrid>(panel, 0, 0, 300, 200);
    grid->SetColCount(2);
    grid->SetRowCount(3);
    grid->SetCells(0, 0, "H0");
    grid->SetCells(1, 0, "H1");
    grid->SetCells(0, 1, "a");
    grid->SetCells(1, 1, "b");
    grid->SetCells(0, 2, "c");
    grid->SetCells(1, 2, "d");
    job_.PrintWindow(&panel, 1.0, 1.0);
    const auto texts = Only({"TextOut"});
    // Left = X1 + 30u = 96 + 10; columns 64 + 50 pixels wide; row 0 at Top + h/4.
    std::vector<std::string> cells;
    for (const auto& t : texts)
        if (t.find("\"\"") == std::string::npos) cells.push_back(t);
    ASSERT_EQ(cells.size(), 6u) << Dump(Calls());
    const int h = std::abs(Printer().Canvas().Font().Height());
    const int y0 = 96 + static_cast<int>(std::nearbyint(h / 4.0));
    EXPECT_EQ(cells[0], "TextOut 106," + std::to_string(y0) + " \"H0\"");
    EXPECT_EQ(cells[1], "TextOut 220," + std::to_string(y0) + " \"H1\"");
    // Rows step by their screen heights (24) from y0 + 24.
    EXPECT_EQ(cells[2], "TextOut 106," + std::to_string(y0 + 24) + " \"a\"");
    EXPECT_EQ(cells[4], "TextOut 106," + std::to_string(y0 + 48) + " \"c\"");
    // Vertical rules at each column start - 30u and after the last column.
    const auto lines = Only({"MoveTo", "LineTo"});
    EXPECT_TRUE(Has(lines, "MoveTo 96,96"));
    EXPECT_TRUE(Has(lines, "MoveTo 210,96"));
    EXPECT_TRUE(Has(lines, "MoveTo 324,96"));
}

TEST_F(WindowPrintTest, AnUnknownWindowedControlPaintsItselfScaledIntoItsRectangle) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    Add<TButton>(panel, 16, 16, 80, 24)->SetCaption("Go");
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    const auto mode = IndexOf(calls, "SetMapMode 7");
    ASSERT_LT(mode, calls.size()) << Dump(calls);
    EXPECT_EQ(calls[mode + 1], "SetViewportOrg 400,400");
    EXPECT_EQ(calls[mode + 2], "SetWindowExt 500,150");
    EXPECT_EQ(calls[mode + 3], "SetViewportExt 3125,938");
    const auto back = IndexOf(calls, "SetWindowExt 4800,6600");
    ASSERT_LT(back, calls.size());
    EXPECT_GT(back, mode);
    EXPECT_EQ(calls[back + 1], "SetViewportExt 4800,6600");
}

TEST_F(WindowPrintTest, ATextOnlyPrinterGetsTheWordsOfControlsThatPaintThemselves) {
    Start(kGeneric);
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    Add<TButton>(panel, 16, 16, 80, 24)->SetCaption("Go");
    auto* rich = Add<TRichEditE>(panel, 16, 60, 300, 40);
    rich->SetText("first line\nsecond line\nthird line\nfourth line\nfifth line\nsixth line");
    auto* more = Add<TVexRichContinue>(panel, 16, 150, 300, 140);
    more->SetParentRichEditE(rich);
    Mark();
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    std::vector<std::string> words;
    for (const auto& l : calls) {
        const auto q = l.find('"');
        if (l.rfind("TextOut ", 0) != 0 && l.rfind("ExtTextOut ", 0) != 0) continue;
        const auto end = l.find('"', q + 1);
        if (q != std::string::npos && end != std::string::npos && end > q + 1)
            words.push_back(l.substr(q, end - q + 1));
    }
    // The caption, then every line of the rich text, the rest in the continuation panel.
    EXPECT_EQ(words, (std::vector<std::string>{"\"Go\"", "\"first line\"", "\"second line\"",
                                               "\"third line\"", "\"fourth line\"",
                                               "\"fifth line\"", "\"sixth line\""}))
        << Dump(calls);
    // The continuation starts in the panel's rectangle, below the edit's.
    const auto fourth = std::find_if(calls.begin(), calls.end(), [](const std::string& l) {
        return l.find("\"fourth line\"") != std::string::npos;
    });
    ASSERT_NE(fourth, calls.end());
    // Nothing but text: no frame, fill, line, picture or clip of the controls.
    for (const auto& l : calls)
        for (const char* figure : {"Rectangle", "FillRect", "LineTo", "StretchDIBits",
                                   "IntersectClipRect", "Ellipse", "Polyline"})
            EXPECT_NE(l.rfind(figure, 0), 0u) << l;
    EXPECT_TRUE(rich->NextChar() == -1 || rich->NextChar() >= rich->TextLength());
}

TEST_F(WindowPrintTest, NothingPrintsAfterNoPrinterUntilTheNextGoodStart) {
    testing::TestGraphicsBackend none;
    {
        ScopedGraphicsBackend scope(&none);
        Printer().Refresh();
        TDBPrintWin job(nullptr);
        job.SetShowCancelDialog(true);
        job.StartJob();
        EXPECT_FALSE(job.InJob());
        EXPECT_EQ(PrintDialog1, nullptr);
        TPanel panel(nullptr);
        panel.SetBounds(0, 0, 100, 100);
        int fired = 0;
        job.OnBeforePrintControl = [&](TObject*) { ++fired; };
        job.PrintWindow(&panel, 0.5, 0.5);
        job.PrintWindowPages(&panel, 0.5, 0.5);
        job.NewPage();
        job.EndJob();
        EXPECT_EQ(fired, 0);
        EXPECT_TRUE(pages_.empty());
    }
    Printer().Refresh();
    Start();
    EXPECT_TRUE(job_.InJob());
}

TEST_F(WindowPrintTest, HostileWindowsPrintWithoutFailing) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 400, 300);
    Add<TLabel>(panel, -100000, -5, 50, 20)->SetCaption("far left");
    Add<TLabel>(panel, 100000, 100000, 50, 20)->SetCaption("far away");
    Add<TShape>(panel, -50, 10, 100, 40)->SetShape(stCircle);
    Add<TLabel>(panel, 10, 10, 0, 0)->SetCaption("none");
    Add<TShape>(panel, 10, 10, 0, 0)->SetShape(stSquare);
    Add<TRadioGroup>(panel, 10, 10, 0, 0)->Items().Add("x");
    Add<TLabel>(panel, 0, 0, 200, 20)->SetCaption(std::string(100000, 'W'));
    std::string words;
    for (int i = 0; i < 20000; ++i) words += "word ";
    Add<TLabel>(panel, 0, 40, 200, 20)->SetCaption(words);
    auto* bad = Add<TLabel>(panel, 0, 80, 200, 20);
    bad->Font().SetName("No Such Font At All");
    bad->SetCaption("\xff\xfe bad \xc3");
    // Containers 200 deep.
    TWinControl* deep = &panel;
    for (int i = 0; i < 200; ++i) deep = Add<TPanel>(*deep, 1, 1, 300, 200);
    Add<TLabel>(*deep, 0, 0, 60, 20)->SetCaption("deep");
    job_.PrintWindow(&panel, 0.5, 0.5);
    const auto calls = Calls();
    // The deepest label: 200 corners of one screen pixel each, every one rounded to 6 printer
    // pixels as each container's corner is carried back to job units.
    EXPECT_TRUE(Has(calls, "TextOut 1520,1520 \"deep\"")) << calls.size();
    // The circle left of the page (X1 = -12) clips from the call's left edge, 0.5 inch.
    EXPECT_TRUE(Has(calls, "IntersectClipRect 300,362,445,632")) << Dump(Only({"IntersectClipRect"}));
    EXPECT_TRUE(Has(calls, "Ellipse 175,362,425,612"));
}

TEST_F(WindowPrintTest, TenThousandControlsPrint) {
    Start();
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 700, 900);
    for (int i = 0; i < 10000; ++i) Add<TLabel>(panel, (i % 100) * 7, (i / 100) * 9, 7, 9)->SetCaption("x");
    job_.PrintWindow(&panel, 0.5, 0.5);
    EXPECT_EQ(Only({"SetBkMode transparent"}).size(), 10000u);
}

TEST_F(WindowPrintTest, FormPrinterNamesItself) {
    EXPECT_EQ(job_.GetComponentName(), "TDBPrintWin component");
    TPrintWin plain(nullptr);
    EXPECT_EQ(plain.GetComponentName(), "TPrintWin component");
    RegisterFormPrinterClasses();
    EXPECT_NE(FindClass("TDBPrintWin"), nullptr);
}

}  // namespace
}  // namespace quillon
