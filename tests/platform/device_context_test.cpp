// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/device_context.h"

#include <gtest/gtest.h>

#include "platform/gdi/canvas.h"
#include "platform/gdi/graphics_backend.h"
#include "platform/sys/limits.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using testing::RecordingDeviceContext;

TEST(DeviceContext, SelectReturnsThePreviousObjectOfItsKind) {
    RecordingDeviceContext dc;
    const HPEN red = CreatePen(PS_DASH, 3, RGB(255, 0, 0));
    const HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 255));
    EXPECT_EQ(dc.SelectObject(red), GetStockObject(BLACK_PEN));
    EXPECT_EQ(dc.SelectObject(hatch), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(dc.SelectObject(GetStockObject(BLACK_PEN)), red);
    EXPECT_EQ(dc.SelectObject(0), 0u);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_FALSE(DeleteObject(red));
    EXPECT_EQ(dc.SelectObject(red), 0u);  // deleted: nothing changes
    EXPECT_TRUE(DeleteObject(hatch));
    // The context kept its copy of the deleted brush.
    EXPECT_EQ(dc.State().brush, (LogBrush{BS_HATCHED, RGB(0, 0, 255), HS_CROSS}));
    EXPECT_EQ(dc.Text(),
              "SelectPen dash 3 #FF0000\n"
              "SelectBrush hatched 4 #0000FF\n"
              "SelectPen solid 0 #000000\n");
}

TEST(DeviceContext, FontRecordFaceIsCutTo31Characters) {
    LogFont lf;
    lf.height = -40;
    lf.faceName = std::string(40, 'x');
    const HFONT f = CreateFontIndirect(lf);
    EXPECT_EQ(GetLogFont(f)->faceName, std::string(31, 'x'));
    DeleteObject(f);
}

TEST(DeviceContext, SaveAndRestoreBringBackTheWholeState) {
    RecordingDeviceContext dc;
    dc.SetTextColor(RGB(1, 2, 3));
    const int level = dc.SaveDC();
    EXPECT_EQ(level, 1);
    dc.SetTextColor(RGB(9, 9, 9));
    dc.SetBkMode(TRANSPARENT);
    dc.SaveDC();
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.IntersectClipRect(0, 0, 10, 10);
    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetMapMode(), MM_TEXT);
    EXPECT_FALSE(dc.ClipRect().has_value());
    EXPECT_EQ(dc.State().bkMode, TRANSPARENT);
    EXPECT_TRUE(dc.RestoreDC(level));
    EXPECT_EQ(dc.State().textColor, RGB(1, 2, 3));
    EXPECT_EQ(dc.State().bkMode, OPAQUE);
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_FALSE(dc.RestoreDC(-1));
    EXPECT_FALSE(dc.RestoreDC(0));
}

TEST(DeviceContext, IsotropicMappingShrinksTheWiderViewportAxis) {
    NullDeviceContext dc(DeviceCaps{});
    dc.SetMapMode(MM_ISOTROPIC);
    dc.SetViewportOrgEx(5, 5);
    dc.SetWindowExtEx(2400, 3112);
    dc.SetViewportExtEx(523, 687);
    // 523 / 2400 < 687 / 3112: y follows x's scale: 3112 * 523 / 2400 = 678.2
    EXPECT_EQ(dc.GetViewportExt(), (TSize{523, 678}));
    const TPointF p = dc.LPtoDP(TPointF{2400, 0});
    EXPECT_DOUBLE_EQ(p.X, 528);
    EXPECT_DOUBLE_EQ(p.Y, 5);
    // Anisotropic keeps both.
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetViewportExtEx(523, 687);
    EXPECT_EQ(dc.GetViewportExt(), (TSize{523, 687}));
    // Extents are ignored in MM_TEXT, which also resets them.
    dc.SetMapMode(MM_TEXT);
    dc.SetWindowExtEx(10, 10);
    EXPECT_EQ(dc.GetWindowExt(), (TSize{1, 1}));
    dc.OffsetWindowOrgEx(20, 30);
    const TPointF q = dc.LPtoDP(TPointF{20, 30});
    EXPECT_DOUBLE_EQ(q.X, 5);
    EXPECT_DOUBLE_EQ(q.Y, 5);
}

TEST(DeviceContext, ClipIntersectsInDevicePixelsAndResets) {
    RecordingDeviceContext dc;
    dc.IntersectClipRect(10, 10, 100, 50);
    dc.IntersectClipRect(50, 0, 200, 40);
    EXPECT_EQ(dc.ClipRect(), (TRect{50, 10, 100, 40}));
    dc.IntersectClipRect(500, 500, 600, 600);
    EXPECT_TRUE(dc.ClipRect()->IsEmpty());
    dc.SelectClipRgn(TRect{0, 0, 32000, 32000});
    EXPECT_EQ(dc.ClipRect(), (TRect{0, 0, 32000, 32000}));
    dc.SelectClipRgn(std::nullopt);
    EXPECT_FALSE(dc.ClipRect());
}

TEST(DeviceContext, TextIsMeasuredWithTheFixedMeasurerAndAligned) {
    RecordingDeviceContext dc;
    LogFont lf;
    lf.height = -40;
    lf.faceName = "Arial";
    const HFONT font = CreateFontIndirect(lf);
    dc.SelectObject(font);
    EXPECT_EQ(dc.GetTextExtent("Hello"), (TSize{100, 40}));  // 20 per character
    dc.SetTextAlign(TA_RIGHT);
    dc.TextOut(300, 10, "Hello");
    dc.SetTextAlign(TA_CENTER);
    dc.ExtTextOut(300, 60, 0, nullptr, u"abc", std::vector<int>{10, 10});
    dc.SetTextAlign(TA_LEFT | TA_UPDATECP);
    dc.MoveTo(7, 8);
    dc.TextOut(0, 0, "ab");
    EXPECT_EQ(dc.CurrentPosition(), (TPoint{47, 8}));
    EXPECT_EQ(dc.LinesStartingWith({"TextOut", "ExtTextOut"}),
              (std::vector<std::string>{"TextOut 300,10 \"Hello\"",
                                        "ExtTextOut 300,60 opts 0 \"abc\" dx 10,10,20",
                                        "TextOut 7,8 \"ab\""}));
    dc.SelectObject(GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

// Captures the resolved text runs.
class RunCapture : public DeviceContext {
  public:
    RunCapture() : DeviceContext(DeviceCaps{}) {}
    std::vector<TextRun> runs;

  protected:
    void OnText(const TextRun& run) override { runs.push_back(run); }
};

TEST(DeviceContext, TextOriginFollowsAlignmentFlags) {
    RunCapture dc;
    LogFont lf;
    lf.height = -40;  // ascent 30, descent 10, advance 20
    const HFONT font = CreateFontIndirect(lf);
    dc.SelectObject(font);
    dc.TextOut(100, 100, "abcd");  // top-left
    dc.SetTextAlign(TA_RIGHT | TA_BASELINE);
    dc.TextOut(100, 100, "abcd");
    dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
    dc.TextOut(100, 100, "abcd");
    ASSERT_EQ(dc.runs.size(), 3u);
    EXPECT_EQ(dc.runs[0].origin, (TPointF{100, 130}));
    EXPECT_EQ(dc.runs[1].origin, (TPointF{20, 100}));
    EXPECT_EQ(dc.runs[2].origin, (TPointF{60, 90}));
    EXPECT_EQ(dc.runs[0].width, 80);
    dc.SelectObject(GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

TEST(DeviceContext, PathCallsOnlyBuildThePathOnRenderingContexts) {
    RunCapture dc;  // renders: path contents are not passed on as drawing
    dc.BeginPath();
    dc.MoveTo(0, 0);
    dc.LineTo(10, 0);
    dc.LineTo(10, 10);
    dc.CloseFigure();
    dc.EndPath();
    ASSERT_EQ(dc.CurrentPath().elements.size(), 4u);
    EXPECT_EQ(dc.CurrentPath().elements[2].p, (TPointF{10, 10}));
    dc.FillPath();
    EXPECT_TRUE(dc.CurrentPath().elements.empty());
}

TEST(Canvas, SelectsObjectsLazilyAndOnlyAfterChanges) {
    RecordingDeviceContext dc;
    const std::size_t before = LiveGdiObjectCount();
    {
        TCanvas canvas(&dc);
        canvas.Pen().SetColor(clRed);
        canvas.Brush().SetColor(clBtnFace);
        canvas.Rectangle(0, 0, 10, 5);
        canvas.Rectangle(0, 0, 20, 5);  // nothing changed: no new selection
        canvas.Brush().SetStyle(bsClear);
        canvas.Ellipse(1, 2, 3, 4);
        canvas.Font().SetName("Arial");
        canvas.Font().SetHeight(-20);
        canvas.Font().SetColor(clNavy);
        canvas.TextOut(5, 6, "Hi");
        EXPECT_EQ(canvas.TextWidth("Hi"), 20);
        EXPECT_EQ(canvas.TextHeight("Hi"), 20);
        EXPECT_EQ(canvas.PenPos(), (TPoint{25, 6}));
    }
    EXPECT_EQ(LiveGdiObjectCount(), before);  // the canvas deleted what it created
    EXPECT_EQ(dc.Text(),
              "SelectPen solid 1 #FF0000\n"
              "SelectBrush solid #C0C0C0\n"
              "SetBkColor #C0C0C0\n"
              "SetBkMode opaque\n"
              "Rectangle 0,0,10,5\n"
              "Rectangle 0,0,20,5\n"
              "SelectBrush null\n"
              "SetBkColor #FFFFFF\n"  // a clear brush: the paper behind it
              "SetBkMode transparent\n"
              "Ellipse 1,2,3,4\n"
              "SelectFont \"Arial\" -20 w400\n"
              "SetTextColor #000080\n"
              "TextOut 5,6 \"Hi\"\n"
              "MoveTo 25,6\n"
              "SelectPen solid 0 #000000\n"
              "SelectBrush null\n"
              "SelectFont \"System\" 16 w700\n");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(DeviceContext, FixedMappingModesUseTheDeviceResolutionWithYUp) {
    DeviceCaps caps;
    caps.logPixelsX = caps.logPixelsY = 300;
    caps.widthPixels = 2400;
    caps.heightPixels = 3150;
    NullDeviceContext dc(caps);
    dc.SetMapMode(MM_LOENGLISH);  // 1/100 inch
    const TPointF p = dc.LPtoDP(TPointF{100, -100});
    EXPECT_NEAR(p.X, 300, 1e-9);
    EXPECT_NEAR(p.Y, 300, 1e-9);
    dc.SetMapMode(MM_TWIPS);
    EXPECT_NEAR(dc.LPtoDP(TPointF{1440, 0}).X, 300, 1e-9);
    EXPECT_EQ(dc.SetMapMode(42), 0);  // unknown: refused
    EXPECT_EQ(dc.GetMapMode(), MM_TWIPS);
}

TEST(DeviceContext, CapsAnswerTheClassicIndices) {
    DeviceCaps caps;
    caps.technology = DT_RASPRINTER;
    caps.logPixelsX = 600;
    caps.logPixelsY = 300;
    caps.widthPixels = 4800;
    caps.heightPixels = 3000;
    NullDeviceContext dc(caps);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 300);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 4800);
    EXPECT_EQ(dc.GetDeviceCaps(VERTRES), 3000);
    EXPECT_EQ(dc.GetDeviceCaps(HORZSIZE), 203);  // 8 inches
    EXPECT_EQ(dc.GetDeviceCaps(VERTSIZE), 254);  // 10 inches
    EXPECT_EQ(dc.GetDeviceCaps(PHYSICALWIDTH), 4800);
    EXPECT_EQ(dc.GetDeviceCaps(TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(dc.GetDeviceCaps(12345), 0);
}

TEST(DeviceContext, StockObjectsAndOwnersManageHandles) {
    EXPECT_EQ(GetStockObject(9), 0u);  // no such stock object
    EXPECT_EQ(GetStockObject(-1), 0u);
    EXPECT_EQ(GetLogBrush(GetStockObject(NULL_BRUSH))->style, BS_NULL);
    EXPECT_FALSE(DeleteObject(GetStockObject(BLACK_PEN)));
    const std::size_t before = LiveGdiObjectCount();
    {
        GdiObjectOwner pen(CreatePen(PS_SOLID, 2, 0));
        GdiObjectOwner moved(std::move(pen));
        EXPECT_FALSE(pen);
        EXPECT_EQ(GetObjectKind(moved.Get()), GdiObjectKind::Pen);
        EXPECT_EQ(LiveGdiObjectCount(), before + 1);
    }
    EXPECT_EQ(LiveGdiObjectCount(), before);
}

TEST(Canvas, DrawsPicturesAndFramesAndSkipsWithoutAContext) {
    RecordingDeviceContext dc;
    TCanvas canvas(&dc);
    TPicture picture;
    picture.Bitmap().SetSize(4, 2);
    canvas.Draw(10, 20, picture);
    canvas.StretchDraw(TRect{0, 0, 40, 20}, picture);
    canvas.Brush().SetColor(clRed);
    canvas.FrameRect(TRect{0, 0, 5, 3});
    EXPECT_EQ(dc.LinesStartingWith({"StretchDIBits", "FillRect"}),
              (std::vector<std::string>{
                  "StretchDIBits 10,20,14,22 from 0,0,4,2 of 4x2 rop CC0020",
                  "StretchDIBits 0,0,40,20 from 0,0,4,2 of 4x2 rop CC0020",
                  "FillRect 0,0,5,1 solid #FF0000", "FillRect 0,2,5,3 solid #FF0000",
                  "FillRect 0,0,1,3 solid #FF0000", "FillRect 4,0,5,3 solid #FF0000"}));
    TCanvas detached;
    detached.Rectangle(0, 0, 1, 1);  // nothing to draw on: no effect, no crash
    detached.Font().SetHeight(-10);
    EXPECT_EQ(detached.TextWidth("abcd"), 20);  // measured with the screen's caps
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(DeviceContext, OriginsAtOppositeEndsOfTheRangeMapWithoutOverflow) {
    NullDeviceContext dc(DeviceCaps{});
    dc.SetViewportOrgEx(INT32_MAX, INT32_MIN);
    dc.SetWindowOrgEx(INT32_MIN, INT32_MAX);
    const TPointF p = dc.LPtoDP(TPointF{0, 0});
    EXPECT_EQ(p.X, 4294967295.0);  // 2^31 - 1 - (-2^31)
    EXPECT_EQ(p.Y, -4294967295.0);
}

TEST(DeviceContext, SavesPastTheLimitAreRefusedAndTheStackStaysUsable) {
    NullDeviceContext dc(DeviceCaps{});
    for (std::size_t i = 1; i <= limits::kMaxContextSavedStates; ++i)
        ASSERT_EQ(dc.SaveDC(), static_cast<int>(i));
    dc.SetTextColor(0x123456);
    EXPECT_EQ(dc.SaveDC(), 0);
    EXPECT_EQ(dc.SaveDepth(), static_cast<int>(limits::kMaxContextSavedStates));
    EXPECT_TRUE(dc.RestoreDC(1));
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(dc.State().textColor, 0u);
}

}  // namespace
}  // namespace quillon
