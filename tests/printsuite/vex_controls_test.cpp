// SPDX-License-Identifier: GPL-2.0-or-later
// The suite's screen controls paint through their canvas onto any device context; the
// recording context shows every text, fill and line they ask for. Text advances are the
// fixed ones of the headless measurer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sys/sysutils.h"
#include "platform/vcl/draw_text.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "printsuite/controls/Totals.h"
#include "printsuite/controls/VexPanel.h"
#include "printsuite/controls/Vex_controls.h"
#include "printsuite/controls/Vex_lab.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using testing::RecordingDeviceContext;

std::vector<std::string> Texts(const RecordingDeviceContext& dc) {
    return dc.LinesStartingWith({"SetTextColor", "ExtTextOut", "TextOut"});
}

// The x and y of each text drawn, with its text.
std::vector<std::string> TextPlaces(const RecordingDeviceContext& dc) {
    std::vector<std::string> out;
    for (const std::string& l : dc.LinesStartingWith({"ExtTextOut", "TextOut"})) {
        const auto sp = l.find(' ');
        const auto sp2 = l.find(' ', sp + 1);
        const auto q = l.find('"');
        out.push_back(l.substr(sp + 1, sp2 - sp - 1) + " " +
                      l.substr(q, l.find('"', q + 1) - q + 1));
    }
    return out;
}

struct LabelFixture : ::testing::Test {
    TForm form{nullptr};
    TVex_Label* label = nullptr;
    RecordingDeviceContext dc;
    void SetUp() override {
        label = new TVex_Label(&form);
        label->SetParent(&form);
        label->SetAutoSize(false);
        label->SetBounds(0, 0, 80, 20);
        label->SetCaption("Ab");
    }
};

TEST_F(LabelFixture, ANewLabelIsSunkenTransparentArial) {
    EXPECT_EQ(label->Style(), stSunken);
    EXPECT_TRUE(label->Transparent());
    EXPECT_EQ(label->Font().Name(), "Arial");
    EXPECT_EQ(label->ShadowOffset(), 3);
    EXPECT_EQ(label->ShadowColor(), clBtnShadow);
    EXPECT_EQ(label->PrintBkColor(), clWhite);
    label->Font().SetColor(clRed);
    label->PaintTo(dc, 0, 0);
    // A white copy one pixel right and down, then the caption one pixel left and up.
    const auto places = TextPlaces(dc);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0], "1,1 \"Ab\"");
    EXPECT_EQ(places[1], "-1,-1 \"Ab\"");
    const auto texts = Texts(dc);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "SetTextColor #FFFFFF"), texts.end());
    EXPECT_EQ(texts.back().rfind("ExtTextOut -1,-1", 0), 0u);
    // Transparent: no fill before the captions.
    EXPECT_TRUE(dc.LinesStartingWith({"FillRect"}).empty());
}

TEST_F(LabelFixture, ADisabledShadowLabelWritesItsCaptionInGreyText) {
    label->SetStyle(stShadow);
    label->SetEnabled(false);
    label->SetShadowColor(clBlue);
    label->PaintTo(dc, 0, 0);
    const auto places = TextPlaces(dc);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0], "3,3 \"Ab\"");
    EXPECT_EQ(places[1], "0,0 \"Ab\"");
    const auto colours = dc.LinesStartingWith({"SetTextColor"});
    ASSERT_GE(colours.size(), 2u);
    EXPECT_EQ(colours[colours.size() - 2], "SetTextColor #0000FF");
    EXPECT_EQ(colours.back(), RecordingDeviceContext::Color(ColorToRGB(clGrayText)).insert(0, "SetTextColor "));
}

TEST_F(LabelFixture, RaisedAndNormalStyles) {
    label->SetStyle(stRaised);
    label->PaintTo(dc, 0, 0);
    EXPECT_EQ(TextPlaces(dc), (std::vector<std::string>{"1,1 \"Ab\"", "-1,-1 \"Ab\""}));
    dc.Clear();
    label->SetStyle(stNormal);
    label->PaintTo(dc, 0, 0);
    EXPECT_EQ(TextPlaces(dc), (std::vector<std::string>{"0,0 \"Ab\""}));
}

TEST_F(LabelFixture, ABlockShadowWidensTheLabelToItsPaddedCaption) {
    label->SetStyle(stBlockShadow);
    label->SetTransparent(false);
    label->SetColor(clWhite);
    label->SetCaption("A long caption");
    label->SetWidth(20);
    label->PaintTo(dc, 0, 0);
    TCanvas canvas(&dc);
    canvas.Font().Assign(label->Font());
    const int padded = canvas.TextWidth(" A long caption ");
    ASSERT_GT(padded, 20);
    EXPECT_EQ(label->Width(), padded);
    const auto fills = dc.LinesStartingWith({"FillRect"});
    // The label's own background, the shadow block, then the face.
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[1].rfind("FillRect 3,3," + std::to_string(padded) + ",20", 0), 0u);
    EXPECT_EQ(fills[2].rfind("FillRect 0,0," + std::to_string(padded - 3) + ",17", 0), 0u);
    // The grey outline round the face.
    const auto lines = dc.LinesStartingWith({"MoveTo", "LineTo"});
    const std::string r = std::to_string(padded - 3);
    EXPECT_EQ(lines, (std::vector<std::string>{"MoveTo 0,0", "LineTo " + r + ",0",
                                               "LineTo " + r + ",17", "LineTo 0,17",
                                               "LineTo 0,0"}));
}

TEST_F(LabelFixture, TheButtonFaceHasAGreyOutlineAndAWhiteEdge) {
    label->SetStyle(stButton);
    label->SetCaption("Go");
    label->PaintTo(dc, 0, 0);
    EXPECT_EQ(dc.LinesStartingWith({"MoveTo", "LineTo"}),
              (std::vector<std::string>{"MoveTo 0,0", "LineTo 79,0", "LineTo 79,19",
                                        "LineTo 0,19", "LineTo 0,0", "MoveTo 1,18", "LineTo 1,1",
                                        "LineTo 78,1", "LineTo 78,18", "LineTo 1,18"}));
}

TEST_F(LabelFixture, FormatFlagsFollowAlignmentWrapAndAccelerators) {
    label->SetAlignment(taRightJustify);
    EXPECT_EQ(label->TextFlags(), DT_RIGHT | DT_EXPANDTABS);
    label->SetAlignment(taCenter);
    label->SetWordWrap(true);
    label->SetShowAccelChar(false);
    EXPECT_EQ(label->TextFlags(), DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
}

TEST(DrawText, AlignsBreaksExpandsTabsAndDropsPrefixes) {
    RecordingDeviceContext dc;
    TCanvas c(&dc);
    c.Font().SetHeight(-10);  // fixed advances: 5 pixels a character, lines 10 high
    TRect r = Rect(0, 0, 40, 100);
    EXPECT_EQ(DrawText(c, "&File && more", r, DT_LEFT | DT_NOCLIP), 10);
    EXPECT_EQ(TextPlaces(dc), (std::vector<std::string>{"0,0 \"File & more\""}));
    dc.Clear();
    EXPECT_EQ(DrawText(c, "aa bb cc dd", r, DT_RIGHT | DT_WORDBREAK), 20);
    EXPECT_EQ(TextPlaces(dc), (std::vector<std::string>{"0,0 \"aa bb cc\"", "30,10 \"dd\""}));
    dc.Clear();
    DrawText(c, "a\tb", r, DT_EXPANDTABS);  // a stop every 8 x 5 pixels
    EXPECT_EQ(TextPlaces(dc), (std::vector<std::string>{"0,0 \"a\"", "40,0 \"b\""}));
    TRect m = Rect(10, 10, 11, 11);
    DrawText(c, "abc\nde", m, DT_CALCRECT);
    EXPECT_EQ(m, Rect(10, 10, 25, 30));
}

TEST(VexPanel, TilesThePictureInsideTheBevelWithGaps) {
    TForm form(nullptr);
    auto* image = new TImage(&form);
    image->SetParent(&form);
    image->Picture().Bitmap() = TBitmap(30, 50);
    auto* panel = new TVexPanel(&form);
    EXPECT_EQ(panel->Parent(), &form);  // the owner, a window control, is the parent
    EXPECT_EQ(panel->Caption(), "");
    EXPECT_EQ(panel->BorderStyle(), bsSingle);
    EXPECT_EQ(panel->Color(), static_cast<TColor>(RGB(192, 192, 192)));
    panel->SetBorderStyle(bsNone);
    panel->SetBounds(0, 0, 100, 60);
    panel->SetImage(image);
    panel->SetPixelsBetweenX(5);
    RecordingDeviceContext dc;
    panel->PaintTo(dc, 0, 0);
    std::vector<std::string> tiles;
    for (const std::string& l : dc.LinesStartingWith({"StretchDIBits"}))
        tiles.push_back(l.substr(0, l.find(" from")));
    // Across: 1, 36, 71 (the last clipped at 99); down: 1 only (the next row at 51 < 60).
    EXPECT_EQ(tiles, (std::vector<std::string>{
                         "StretchDIBits 1,1,31,51", "StretchDIBits 36,1,66,51",
                         "StretchDIBits 71,1,101,51", "StretchDIBits 1,51,31,101",
                         "StretchDIBits 36,51,66,101", "StretchDIBits 71,51,101,101"}));
    EXPECT_EQ(dc.LinesStartingWith({"IntersectClipRect"}).back(), "IntersectClipRect 1,1,99,59");
    EXPECT_EQ(dc.SaveDepth(), 0);
}

TEST(VexPanel, WithoutClearScreenOnlyTheTilesArePainted) {
    TForm form(nullptr);
    auto* image = new TImage(&form);
    image->Picture().Bitmap() = TBitmap(10, 10);
    auto* panel = new TVexPanel(&form);
    panel->SetBounds(0, 0, 20, 12);
    panel->SetImage(image);
    panel->SetClearScreen(false);
    RecordingDeviceContext dc;
    panel->PaintTo(dc, 0, 0);
    EXPECT_TRUE(dc.LinesStartingWith({"FillRect", "Polyline"}).empty());
    // Two across (1, 11) and two down (1, 11) in 20 x 12.
    EXPECT_EQ(dc.LinesStartingWith({"StretchDIBits"}).size(), 4u);
}

TEST(VexPanel, LosesItsImageWhenTheImageGoesAndSurvivesOddOwners) {
    TForm form(nullptr);
    auto* image = new TImage(&form);
    auto* panel = new TVexPanel(&form);
    panel->SetImage(image);
    delete image;
    EXPECT_EQ(panel->Image(), nullptr);
    RecordingDeviceContext dc;
    panel->PaintTo(dc, 0, 0);  // nothing to tile, no dangling image
    // A picture without width never moves the tiling on: nothing is tiled.
    auto* empty = new TImage(&form);
    empty->Picture().Bitmap() = TBitmap(0, 5);
    panel->SetImage(empty);
    panel->PaintTo(dc, 0, 0);
    EXPECT_TRUE(dc.LinesStartingWith({"StretchDIBits"}).empty());
    // An owner that is not a window control leaves the panel without a parent.
    TComponent plain(nullptr);
    auto* orphan = new TVexPanel(&plain);
    EXPECT_EQ(orphan->Parent(), nullptr);
}

TEST(ShowTotal, StartsAsAPageTotalBoxAndWritesItsText) {
    TForm form(nullptr);
    auto* total = new TShowTotal(&form);
    total->SetParent(&form);
    EXPECT_EQ(total->Width(), 100);
    EXPECT_EQ(total->Height(), 29);
    EXPECT_EQ(total->TotalType(), tPageTotal);
    EXPECT_EQ(total->Text(), "0.00");
    EXPECT_EQ(total->DisplayFormat(), "#,##0.00");
    EXPECT_EQ(total->ShowOn(), tAllPages);
    EXPECT_EQ(total->Alignment(), taRightJustify);
    EXPECT_TRUE(total->ShowOnForm());
    EXPECT_EQ(total->Font().Name(), "Arial");
    EXPECT_FALSE(total->ParentFont());  // its own face: the form's font does not replace it
    EXPECT_EQ(total->Color(), clBtnFace);
    total->Font().SetHeight(-10);
    RecordingDeviceContext dc;
    total->PaintTo(dc, 0, 0);
    // Right-justified: 100 - 20 (four characters of 5) - 10.
    EXPECT_EQ(TextPlaces(dc), (std::vector<std::string>{"70,2 \"0.00\""}));
    dc.Clear();
    total->SetText(std::string(30, '9'));  // wider than the box: starts at 0
    total->PaintTo(dc, 0, 0);
    EXPECT_EQ(TextPlaces(dc).at(0).substr(0, 4), "0,2 ");
    dc.Clear();
    total->SetAlignment(taLeftJustify);
    total->SetText("x");
    total->SetBorderStyle(bsSingle);
    total->PaintTo(dc, 0, 0);
    EXPECT_EQ(TextPlaces(dc), (std::vector<std::string>{"5,2 \"x\""}));
    EXPECT_EQ(dc.LinesStartingWith({"Rectangle"}), std::vector<std::string>{"Rectangle 0,0,100,29"});
    dc.Clear();
    total->SetShowOnForm(false);
    total->PaintTo(dc, 0, 0);
    EXPECT_TRUE(dc.LinesStartingWith({"FillRect", "Rectangle", "ExtTextOut", "TextOut"}).empty());
}

TEST(ShowTotal, DatesAndTimesAreTakenAtEveryRepaintAndTheGridReferenceIsCleared) {
    TForm form(nullptr);
    auto* total = new TShowTotal(&form);
    total->SetTotalType(tDate);
    const std::int64_t when = 1'800'000'000;
    EXPECT_EQ(total->ShownText(when), DateToStr(when));
    total->SetTotalType(tTime);
    EXPECT_EQ(total->ShownText(when), TimeToStr(when));
    total->SetTotalType(tPageNumber);
    EXPECT_EQ(total->ShownText(when), "0.00");  // the printer fills page numbers in
    auto* grid = new TPanel(&form);
    total->SetSourceGrid(grid);
    delete grid;
    EXPECT_EQ(total->SourceGrid(), nullptr);
}

TEST(VexControls, AreReadFromFormFilesByName) {
    RegisterVexControlClasses();
    const char* text =
        "object F: TForm\n"
        "  object L: TVex_Label\n    Caption = 'Hi'\n    Style = stBlockShadow\n"
        "    ShadowOffset = 5\n  end\n"
        "  object I: TImage\n  end\n"
        "  object P: TVexPanel\n    Image = I\n    PixelsBetweenY = 4\n  end\n"
        "  object T: TShowTotal\n    TotalType = tAccTotal\n    ShowOn = tFirstAndlast\n"
        "    Text = 'n/a'\n  end\n"
        "end\n";
    TForm form(nullptr);
    const auto read = ReadComponent(text, form);
    ASSERT_TRUE(read) << read.reason();
    auto* l = dynamic_cast<TVex_Label*>(form.FindComponent("L"));
    auto* p = dynamic_cast<TVexPanel*>(form.FindComponent("P"));
    auto* t = dynamic_cast<TShowTotal*>(form.FindComponent("T"));
    ASSERT_TRUE(l && p && t);
    EXPECT_EQ(l->Style(), stBlockShadow);
    EXPECT_EQ(l->ShadowOffset(), 5);
    EXPECT_EQ(p->Image(), form.FindComponent("I"));
    EXPECT_EQ(p->PixelsBetweenY(), 4);
    EXPECT_EQ(t->TotalType(), tAccTotal);
    EXPECT_EQ(t->ShowOn(), tFirstAndlast);
    EXPECT_EQ(t->Text(), "n/a");
}

}  // namespace
}  // namespace quillon
