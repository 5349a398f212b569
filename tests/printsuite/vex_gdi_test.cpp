// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/draw/Vex_Gdi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/emf/emf_recorder.h"
#include "platform/gdi/gdi.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/base/PrnWin_store.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

using testing::GdiTest;
using Lines = std::vector<std::string>;

TEST_F(GdiTest, StartDocumentOpensPageOneWithTheLayersDefaults) {
    TGdi gdi(poViewer);
    gdi.DeletePages();
    EXPECT_EQ(gdi.GetPageNumber(), 0);
    gdi.StartDocument(clBtnFace, "Heading", 100);
    EXPECT_EQ(gdi.GetPageNumber(), 1);
    ASSERT_NE(gdi.PageHandle(), nullptr);
    EXPECT_EQ(gdi.PageFile(), ProcessTempDir().value() + "/PRN001.EMF");
    EXPECT_EQ(OpenLines(), (Lines{"SetBkMode transparent", "SetBkColor #C0C0C0",
                                  "SelectFont \"Arial\" -50 w400"}));
    EXPECT_EQ(gdi.FaceName(), "Arial");
    EXPECT_EQ(gdi.FontHeight(), 50);
    // The printer canvas follows the page font, with the height made positive.
    EXPECT_EQ(Printer().Canvas().Font().Name(), "Arial");
    EXPECT_EQ(Printer().Canvas().Font().Height(), 50);
    EXPECT_EQ(gdi.CurrentBrush(), GetStockObject(WHITE_BRUSH));
    gdi.ClosePage();
    EXPECT_EQ(gdi.PageHandle(), nullptr);
    ASSERT_EQ(pages_.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(ProcessTempDir().value() + "/PRN001.EMF"));
}

TEST_F(GdiTest, EveryObjectChangeMakesANewObjectAndDeletesTheOldOne) {
    const std::size_t live = LiveGdiObjectCount();
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    const std::size_t start = OpenCount();
    gdi.SetPen(3, clRed);
    gdi.SetPen(3, clRed);  // the same pen again is still a new object
    gdi.SetPenStyle(2, 1, clBlue);
    gdi.SetPenColor(clGreen);
    gdi.SetBrush(2, clYellow, 4);
    gdi.SetBrush(1, clYellow, 0);
    EXPECT_EQ(OpenLines(start), (Lines{"SelectPen solid 3 #FF0000", "SelectPen solid 0 #000000",
                                       "SelectPen solid 3 #FF0000", "SelectPen solid 0 #000000",
                                       "SelectPen dot 1 #0000FF", "SelectPen solid 0 #000000",
                                       "SelectPen solid 1 #008000", "SelectBrush hatched 4 #FFFF00",
                                       "SelectBrush solid #FFFFFF", "SelectBrush null"}));
    // One pen, one brush and one font of the layer's are alive while the page is open.
    EXPECT_EQ(LiveGdiObjectCount(), live + 3);
    gdi.ClosePage();
    EXPECT_EQ(LiveGdiObjectCount(), live);
    // Closing put the displaced objects back, font, brush, then pen.
    const Lines& closed = pages_.back();
    EXPECT_EQ(Lines(closed.end() - 3, closed.end()),
              (Lines{"SelectFont \"System\" 16 w700", "SelectBrush solid #FFFFFF",
                     "SelectPen solid 0 #000000"}));
}

TEST_F(GdiTest, BrushChangesFollowOnThePrinterCanvas) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    TBrush& pb = Printer().Canvas().Brush();
    const struct {
        int style, hatch;
        TBrushStyle expected;
    } cases[] = {{0, 4, bsSolid},    {1, 4, bsClear},     {2, 0, bsHorizontal},
                 {2, 1, bsVertical}, {2, 2, bsFDiagonal}, {2, 3, bsBDiagonal},
                 {2, 4, bsCross},    {2, 5, bsDiagCross}};
    for (const auto& c : cases) {
        gdi.SetBrush(static_cast<std::uint16_t>(c.style), clRed, c.hatch);
        EXPECT_EQ(pb.Style(), c.expected) << c.style << "/" << c.hatch;
        EXPECT_EQ(pb.Color(), clRed);
    }
    // An unknown hatch or style leaves the printer brush's style as it was.
    gdi.SetBrush(2, clBlue, 9);
    EXPECT_EQ(pb.Style(), bsDiagCross);
    EXPECT_EQ(pb.Color(), clBlue);
    gdi.SetBrush(7, clLime, 0);
    EXPECT_EQ(pb.Style(), bsDiagCross);

    TBrush hatched;
    hatched.SetColor(clNavy);
    hatched.SetStyle(bsBDiagonal);
    const std::size_t start = OpenCount();
    gdi.AssignBrush(hatched);
    EXPECT_EQ(OpenLines(start).back(), "SelectBrush hatched 3 #000080");
    // Every brush style comes back to the printer canvas as itself.
    for (const auto& c : cases) {
        hatched.SetStyle(c.expected);
        gdi.AssignBrush(hatched);
        EXPECT_EQ(pb.Style(), c.expected) << static_cast<int>(c.expected);
    }
    gdi.ClosePage();
}

TEST_F(GdiTest, FontsFromScreenFontsAreScaledToThePrinter) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    TFont screen;
    screen.SetName("Times New Roman");
    screen.SetHeight(-13);
    screen.SetStyle({fsBold, fsUnderline});
    screen.SetColor(clMaroon);
    std::size_t start = OpenCount();
    gdi.AssignFont(screen);
    // 13 x 600 / 96 = 81.25 -> 81, a positive (cell) height.
    // The font first selected over the recorder's own goes back before each replacement.
    EXPECT_EQ(OpenLines(start),
              (Lines{"SelectFont \"System\" 16 w700",
                     "SelectFont \"Times New Roman\" 81 w700 underline", "SetTextColor #800000"}));
    EXPECT_EQ(Printer().Canvas().Font().Height(), 81);
    EXPECT_TRUE(Printer().Canvas().Font().Style().Contains(fsBold));
    EXPECT_EQ(Printer().Canvas().Font().Color(), clMaroon);

    // Mapped fonts: the printer canvas's resolution is the job's (set here as the job does).
    Printer().Canvas().Font().SetPixelsPerInch(600);
    screen.SetName("MS Sans Serif");
    screen.SetHeight(-8);  // 8 x 600 / 96 = 50
    start = OpenCount();
    gdi.AssignFontMapped(screen, false, true, false);
    EXPECT_EQ(OpenLines(start),
              (Lines{"SelectFont \"System\" 16 w700", "SelectFont \"Arial\" 50 w400 italic"}));
    screen.SetName("System");
    start = OpenCount();
    gdi.AssignFontMapped(screen, false, false, false);
    EXPECT_EQ(OpenLines(start),
              (Lines{"SelectFont \"System\" 16 w700", "SelectFont \"Arial\" 50 w400"}));
    screen.SetName("ms sans serif");
    start = OpenCount();
    gdi.AssignFontMapped(screen, false, false, false);
    EXPECT_EQ(OpenLines(start),
              (Lines{"SelectFont \"System\" 16 w700", "SelectFont \"ms sans serif\" 50 w400"}));

    EXPECT_EQ(gdi.SetPrinterFont("Courier New", -60, true, false, false), 60);
    EXPECT_EQ(OpenLines().back(), "SelectFont \"Courier New\" -60 w700");
    EXPECT_EQ(Printer().Canvas().Font().Height(), 60);

    // SetBold keeps face and stored (positive) height; a long face name is cut to 31.
    gdi.SetBold(false);
    EXPECT_EQ(OpenLines().back(), "SelectFont \"Courier New\" 60 w400");
    gdi.MakeFont(std::string(40, 'F'), -20, false, false, false, 900);
    EXPECT_EQ(OpenLines().back(), "SelectFont \"" + std::string(31, 'F') + "\" -20 w400 esc900");
    gdi.ClosePage();
}

TEST_F(GdiTest, FontColourSystemColoursPrintAsTheirRgbValues) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.SetFontColor(clBlue);
    EXPECT_EQ(OpenLines().back(), "SetTextColor #0000FF");
    gdi.SetFontColor(clWindowText);
    EXPECT_EQ(OpenLines().back(), "SetTextColor #000000");
    EXPECT_EQ(Printer().Canvas().Font().Color(), clBlack);
    // The shadow label's default shadow colour used to print black.
    gdi.SetFontColor(clBtnShadow);
    EXPECT_EQ(OpenLines().back(), "SetTextColor " + testing::RecordingDeviceContext::Color(
                                                        static_cast<TColorRef>(ColorToRGB(clBtnShadow))));
    EXPECT_NE(ColorToRGB(clBtnShadow), clBlack);
    EXPECT_EQ(Printer().Canvas().Font().Color(), ColorToRGB(clBtnShadow));
    gdi.ClosePage();
}

TEST(MapColor, ButtonFaceWhiteSystemColoursResolvedOthersKept) {
    EXPECT_EQ(TGdi::MapColor(clBtnFace), clWhite);
    EXPECT_EQ(TGdi::MapColor(clWindow), ColorToRGB(clWindow));
    EXPECT_EQ(TGdi::MapColor(clWindowText), ColorToRGB(clWindowText));
    EXPECT_EQ(TGdi::MapColor(0x00FF0000), 0x00FF0000);
    EXPECT_EQ(TGdi::MapColor(clBtnHighlight), ColorToRGB(clBtnHighlight));
    // Beyond the system range: the absolute value.
    EXPECT_EQ(TGdi::MapColor(static_cast<TColor>(0x80000015u)), 0x7FFFFFEB);
    EXPECT_EQ(TGdi::MapColor(-5), 5);
}

TEST_F(GdiTest, FrameBoxDrawsOneLinePerRowAndColumn) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    const std::size_t start = OpenCount();
    gdi.FrameBox(100, 100, 200, 150, 2, 2, 2, 2);
    EXPECT_EQ(OpenLines(start),
              (Lines{"MoveTo 100,100", "LineTo 200,100", "MoveTo 100,101", "LineTo 200,101",
                     "MoveTo 100,149", "LineTo 200,149", "MoveTo 100,150", "LineTo 200,150",
                     "MoveTo 100,100", "LineTo 100,150", "MoveTo 101,100", "LineTo 101,150",
                     "MoveTo 199,100", "LineTo 199,150", "MoveTo 200,100", "LineTo 200,150"}));
    gdi.ClosePage();
}

TEST_F(GdiTest, DrawingCallsReachThePage) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.SetBrush(0, clRed, 0);
    const std::size_t start = OpenCount();
    gdi.DrawLine(1, 2, 30, 40);
    gdi.DrawRectangle(10, 20, 30, 40);
    gdi.DrawRoundRect(10, 20, 30, 40, 5, 6);
    gdi.DrawEllipse(0, 0, 8, 9);
    gdi.FillBox(TRect{5, 6, 7, 8});
    gdi.ClipRect(0, 0, 500, 400);
    gdi.DrawBox(0, 0, 10, 10, true, TRect{1, 1, 9, 9});
    EXPECT_EQ(OpenLines(start), (Lines{"MoveTo 1,2",
                                       "LineTo 30,40",
                                       "Rectangle 10,20,30,40",
                                       "RoundRect 10,20,30,40 corner 5,6",
                                       "Ellipse 0,0,8,9",
                                       "FillRect 5,6,7,8 solid #FF0000",
                                       "IntersectClipRect 0,0,500,400",
                                       "FillRect 1,1,9,9 solid #FF0000",
                                       "MoveTo 0,0",
                                       "LineTo 10,0",
                                       "MoveTo 0,1",
                                       "LineTo 10,1",
                                       "MoveTo 0,9",
                                       "LineTo 10,9",
                                       "MoveTo 0,10",
                                       "LineTo 10,10",
                                       "MoveTo 0,0",
                                       "LineTo 0,10",
                                       "MoveTo 1,0",
                                       "LineTo 1,10",
                                       "MoveTo 9,0",
                                       "LineTo 9,10",
                                       "MoveTo 10,0",
                                       "LineTo 10,10"}));
    gdi.ClosePage();
}

TEST_F(GdiTest, TextOnlyPrinterGetsTextAndEllipsesOnly) {
    ASSERT_TRUE(Printer().SetPrinterIndex(kGeneric));
    ASSERT_TRUE(IsGenericPrinter());
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    const std::size_t start = OpenCount();
    gdi.DrawLine(1, 2, 30, 40);
    gdi.DrawRectangle(10, 20, 30, 40);
    gdi.DrawRoundRect(10, 20, 30, 40, 5, 6);
    gdi.FillBox(TRect{5, 6, 7, 8});
    gdi.ClipRect(0, 0, 500, 400);
    gdi.FrameBox(0, 0, 50, 50, 1, 1, 1, 1);
    gdi.DrawBox(0, 0, 10, 10, true, TRect{1, 1, 9, 9});
    TPicture picture;
    picture.Bitmap().SetSize(4, 4);
    gdi.DrawPicture(picture, 0, 0, 40, 40, TRect{0, 0, 40, 40});
    gdi.DrawEllipse(0, 0, 8, 9);
    gdi.PutText(5, 6, "text");
    EXPECT_EQ(OpenLines(start), (Lines{"MoveTo 1,2", "Ellipse 0,0,8,9", "TextOut 5,6 \"text\""}));
    gdi.ClosePage();
}

TEST_F(GdiTest, PutTextDrawsAtMost255Characters) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.PutText(0, 0, std::string(300, 'x'));
    EXPECT_EQ(OpenLines().back(), "TextOut 0,0 \"" + std::string(255, 'x') + "\"");
    gdi.ClosePage();
}

TEST_F(GdiTest, WrapTextBreaksAtWordsAndAligns) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    // The printer font: 20 pixels high, every character 10 wide.
    gdi.SetFont("Arial", -20);
    std::size_t start = OpenCount();
    // Box 100 wide: at most ten characters a line, words at most nine.
    gdi.WrapText(50, 60, 25, TRect{40, 0, 140, 500}, "the  quick brown fox   jumps", 0, false);
    EXPECT_EQ(OpenLines(start),
              (Lines{"SetBkMode transparent", "TextOut 50,60 \"the  quick\"",
                     "SetBkMode transparent", "TextOut 50,85 \"brown fox\"",
                     "SetBkMode transparent", "TextOut 50,110 \"jumps\"", "SetTextAlign 0"}));
    EXPECT_EQ(gdi.TextArea(), (TRect{40, 0, 140, 500}));

    start = OpenCount();
    gdi.WrapText(50, 60, 25, TRect{40, 0, 140, 500}, "abc defgh ijklm", 1, false);
    EXPECT_EQ(OpenLines(start),
              (Lines{"SetTextAlign 2", "SetBkMode transparent", "TextOut 130,60 \"abc defgh\"",
                     "SetBkMode transparent", "TextOut 130,85 \"ijklm\"", "SetTextAlign 0"}));

    start = OpenCount();
    gdi.WrapText(50, 60, 25, TRect{40, 0, 141, 500}, "abc defgh ijklm", 2, true);
    EXPECT_EQ(OpenLines(start), (Lines{"SetTextAlign 6", "SetBkMode transparent",
                                       "TextOut 100,60 \"abc defgh\"", "SetTextAlign 0"}));
    gdi.ClosePage();
}

TEST_F(GdiTest, DrawTextLinesExpandsTabsAndNeverWraps) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    const std::size_t start = OpenCount();
    gdi.DrawTextLines(10, 20, 30, TRect{0, 0, 50, 50},
                      {"a\tb", "a line far wider than the box", std::string(260, 'y')}, 2);
    EXPECT_EQ(OpenLines(start),
              (Lines{"SetTextAlign 6", "TextOut 35,20 \"a       b\"",
                     "TextOut 35,50 \"a line far wider than the box\"",
                     "TextOut 35,80 \"" + std::string(255, 'y') + "\"", "SetTextAlign 0"}));
    gdi.ClosePage();
}

TEST_F(GdiTest, DrawBoxTextPlacesTextFramesAndColons) {
    ASSERT_TRUE(Printer().SetPrinterIndex(k300));
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.SetFont("Arial", -20);  // "abc" is 30 wide
    std::size_t start = OpenCount();
    gdi.DrawBoxText(100, 200, 300, 240, true, TRect{}, "abc", 1, false, false);
    // Bordered, neither framed nor filled: a colon 20/300 inch right and 10/300 inch down.
    EXPECT_EQ(OpenLines(start), (Lines{"TextOut 120,210 \":\"", "TextOut 260,200 \"abc\""}));

    start = OpenCount();
    gdi.DrawBoxText(100, 200, 300, 240, false, TRect{}, "abc", 2, false, false);
    // Centred: 300 - 30 - (300 - 100 - 30) / 2 = 185.
    EXPECT_EQ(OpenLines(start), (Lines{"TextOut 185,200 \"abc\""}));

    start = OpenCount();
    gdi.DrawBoxText(100, 200, 300, 240, true, TRect{0, 0, 5, 5}, "abc", 0, true, true);
    const Lines drawn = OpenLines(start);
    ASSERT_GE(drawn.size(), 3u);
    EXPECT_EQ(drawn[0], "FillRect 0,0,5,5 solid #FFFFFF");
    EXPECT_EQ(drawn[1], "MoveTo 90,190");  // the frame starts 10/300 inch up and left
    EXPECT_EQ(drawn.back(), "TextOut 100,200 \"abc\"");
    EXPECT_EQ(Printer().Canvas().Brush().Color(), clWhite);

    start = OpenCount();
    gdi.DrawBoxText(100, 200, 300, 240, false, TRect{}, "abc", 3, false, false);
    EXPECT_EQ(OpenCount(), start);
    gdi.ClosePage();
}

TEST_F(GdiTest, MemoBoxClipsDrawsItsLinesAndFrames) {
    ASSERT_TRUE(Printer().SetPrinterIndex(k300));
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    TMemo memo(nullptr);
    memo.Font().SetName("Arial");
    memo.Font().SetHeight(-16);  // 16 x 300 / 96 = 50
    memo.Font().SetColor(clNavy);
    memo.Lines().SetText("one\n\ttab\n");
    memo.SetAlignment(taRightJustify);
    const std::size_t start = OpenCount();
    gdi.DrawMemoBox(memo, 100, 200, 600, 400, TRect{100, 200, 600, 400}, true, false, false);
    const Lines drawn = OpenLines(start);
    const Lines expected_start = {
        "IntersectClipRect 100,200,600,400",  // clipped to the box
        "SelectBrush solid #FFFFFF",          // white brush, the memo's font and colour
        "SetTextColor #000080",
        "SelectFont \"System\" 16 w700",
        "SelectFont \"Arial\" 50 w400",
        "SetTextColor #000080",
        "TextOut 590,200 \"\"",  // the (empty) field text, right-aligned 10/300 inch in
    };
    ASSERT_GE(drawn.size(), expected_start.size() + 6);
    EXPECT_EQ(Lines(drawn.begin(), drawn.begin() + 7), expected_start)
        << ::testing::PrintToString(drawn);
    // Lines 10/300 inch in from the box, right-aligned (box width less 20), one printer font
    // height apart; tabs expanded; then the clip is lifted and the memo's border framed.
    const Lines lines(drawn.begin() + 7, drawn.begin() + 13);
    EXPECT_EQ(lines, (Lines{"FillRect 100,200,600,400 solid #FFFFFF", "SetTextAlign 2",
                            "TextOut 590,210 \"one\"",
                            "TextOut 590,260 \"" + std::string(8, ' ') + "tab\"", "SetTextAlign 0",
                            "SelectClipRgn 0,0,32000,32000"}));
    EXPECT_EQ(drawn[13], "MoveTo 100,200");
    EXPECT_EQ(drawn.back(), "LineTo 600,400");
    gdi.ClosePage();
}

TEST_F(GdiTest, DrawFieldBoxSetsBrushFontAndText) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    TFont font;
    font.SetName("Arial");
    font.SetHeight(-16);  // 16 x 600 / 96 = 100
    font.SetColor(clGreen);
    std::size_t start = OpenCount();
    gdi.DrawFieldBox(0, clYellow, 0, &font, false, 10, 20, 500, 200, TRect{}, clRed, "Hi", 0, true,
                     false, false);
    EXPECT_EQ(
        OpenLines(start),
        (Lines{"SelectBrush solid #FFFF00", "SetTextColor #FF0000", "SelectFont \"System\" 16 w700",
               "SelectFont \"Arial\" 100 w400", "SetTextColor #008000", "TextOut 10,20 \"Hi\""}));
    // Without a font only the brush changes; not opaque: no text.
    start = OpenCount();
    gdi.DrawFieldBox(1, clYellow, 0, nullptr, false, 10, 20, 500, 200, TRect{}, clRed, "Hi", 0,
                     true, false, false);
    EXPECT_EQ(OpenLines(start), (Lines{"SelectBrush solid #FFFFFF", "SelectBrush null"}));
    start = OpenCount();
    gdi.DrawFieldBox(0, clYellow, 0, &font, false, 10, 20, 500, 200, TRect{}, clRed, "Hi", 0, false,
                     false, false);
    EXPECT_EQ(OpenLines(start).back(), "SetTextColor #008000");
    gdi.ClosePage();
}

TEST_F(GdiTest, BitmapsAtTheirSizeOrScaledFromTheScreen) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    TBitmap bmp(10, 20);
    std::size_t start = OpenCount();
    // (Destination logged as left, top, right, bottom.)
    gdi.DrawBitmap(bmp, 5, 6, 0, 50);  // one size given: used as it is
    gdi.DrawBitmap(bmp, 5, 6, 0, 0);   // natural: 10 x 600 / 96 = 62.5 -> 62, 125
    gdi.DrawBitmap(bmp, 5, 6, 30, 40);
    EXPECT_EQ(OpenLines(start),
              (Lines{"StretchDIBits 5,6,5,56 from 0,0,10,20 of 10x20 rop CC0020",
                     "StretchDIBits 5,6,67,131 from 0,0,10,20 of 10x20 rop CC0020",
                     "StretchDIBits 5,6,35,46 from 0,0,10,20 of 10x20 rop CC0020"}));
    TPicture picture;
    picture.Bitmap().SetSize(4, 2);
    start = OpenCount();
    gdi.DrawPicture(picture, 10, 20, 50, 40, TRect{0, 0, 1, 1});
    EXPECT_EQ(OpenLines(start),
              (Lines{"StretchDIBits 10,20,50,40 from 0,0,4,2 of 4x2 rop CC0020"}));
    gdi.ClosePage();
}

// A picture much finer than the printer's pixels where it lands is averaged down to them
// before the page keeps it; one less than twice as many pixels is kept whole.
TEST_F(GdiTest, BitmapsFinerThanThePrinterArePrintedAtItsPixels) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    TBitmap scan(2000, 1500);
    std::size_t start = OpenCount();
    gdi.DrawBitmap(scan, 5, 6, 400, 300);
    gdi.DrawBitmap(scan, 5, 6, -400, 300);  // mirrored: the same pixels
    TBitmap near(300, 200);
    gdi.DrawBitmap(near, 0, 0, 250, 150);
    EXPECT_EQ(OpenLines(start),
              (Lines{"StretchDIBits 5,6,405,306 from 0,0,400,300 of 400x300 rop CC0020",
                     "StretchDIBits 5,6,-395,306 from 0,0,400,300 of 400x300 rop CC0020",
                     "StretchDIBits 0,0,250,150 from 0,0,300,200 of 300x200 rop CC0020"}));
    gdi.ClosePage();
}

TEST_F(GdiTest, MetafilesArePlayedIntoTheirRectangle) {
    // A picture of 100 x 50 recorded units with one rectangle over all of it.
    EmfRecorderOptions options;
    options.reference = DeviceCaps{DT_RASDISPLAY, 100, 50, 96, 96};
    EmfRecorder rec(options);
    rec.Rectangle(0, 0, 100, 50);
    TPicture picture;
    ASSERT_TRUE(picture.Metafile().LoadFromBytes(rec.Finish()));
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    std::size_t start = OpenCount();
    gdi.DrawPicture(picture, 0, 0, 1, 1, TRect{1000, 2000, 1200, 2100});
    // The picture's frame is mapped onto the rectangle (here twice its size).
    Lines played = OpenLines(start);
    EXPECT_EQ(played, (Lines{"SaveDC", "SetWorldTransform 2,0,0,2,1000,2000",
                             "Rectangle 0,0,100,50", "RestoreDC 1"}));
    start = OpenCount();
    gdi.PlayMetafile(*picture.MetafileIfAny(), TRect{0, 0, 50, 25});
    played = OpenLines(start);
    EXPECT_EQ(played, (Lines{"SaveDC", "SetWorldTransform 0.5,0,0,0.5,0,0", "Rectangle 0,0,100,50",
                             "RestoreDC 1"}));
    // An icon prints nothing.
    TPicture icon;
    icon.Icon();
    start = OpenCount();
    gdi.DrawPicture(icon, 0, 0, 10, 10, TRect{0, 0, 10, 10});
    EXPECT_EQ(OpenCount(), start);
    gdi.ClosePage();
}

TEST_F(GdiTest, NewPageStartsWithTheDefaultPenAndTheCurrentFont) {
    TGdi gdi(poViewer);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.SetPen(5, clRed);
    gdi.SetFontStyle("Courier New", -30, true, false, false);
    gdi.SetBrush(0, clRed, 0);
    gdi.NewPage();
    EXPECT_EQ(gdi.GetPageNumber(), 2);
    EXPECT_EQ(gdi.PageFile(), ProcessTempDir().value() + "/PRN002.EMF");
    // Page 2: the printer canvas font's (positive) height, current face and style.
    EXPECT_EQ(OpenLines(), (Lines{"SetBkMode transparent", "SetBkColor #C0C0C0",
                                  "SetTextColor #000000", "SelectFont \"Courier New\" 30 w700"}));
    EXPECT_EQ(gdi.PageHandle()->State().pen, LogPen{});
    EXPECT_EQ(gdi.CurrentBrush(), GetStockObject(WHITE_BRUSH));
    gdi.ClosePage();
    ASSERT_EQ(pages_.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(ProcessTempDir().value() + "/PRN002.EMF"));
}

TEST_F(GdiTest, NothingIsDrawnWithoutAnOpenPage) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.PutText(1, 1, "x");
    gdi.SetPen(1, clRed);
    gdi.FrameBox(0, 0, 10, 10, 1, 1, 1, 1);
    gdi.ClosePage();
    EXPECT_TRUE(pages_.empty());
    EXPECT_EQ(gdi.GetPageNumber(), 0);
}

TEST_F(GdiTest, JobSettingsAreWrittenAtTheStart) {
    Printer().SetOrientation(poPortrait);
    TGdi gdi(poViewer);
    gdi.DeletePages();
    gdi.StartDocument(clBtnFace, "My preview", 75.5);
    EXPECT_EQ(ReadJobSetting("PageHeight", ""), "6600");
    EXPECT_EQ(ReadJobSetting("PageWidth", ""), "4800");
    EXPECT_EQ(ReadJobSetting("Orientation", ""), "Portrait");
    EXPECT_EQ(ReadJobSetting("View Background", ""), std::to_string(ColorToRGB(clBtnFace)));
    EXPECT_EQ(ReadJobSetting("Preview Heading", ""), "My preview");
    EXPECT_EQ(ReadJobSetting("PrinterName", ""), "Laser");
    EXPECT_EQ(ReadJobSetting("PrinterIndex", ""), "0");
    EXPECT_EQ(ReadJobSetting("ZoomFactor", ""), "75.5");
    EXPECT_EQ(ReadJobSetting("Directory", ""), std::filesystem::current_path().string());
    gdi.ClosePage();
}

}  // namespace
}  // namespace quillon
