// SPDX-License-Identifier: GPL-2.0-or-later
// Recorder and player as a pair: what is recorded comes back call for call.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/gdi/canvas.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"
#include "platform/gdi/graphics_backend.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using testing::RecordingDeviceContext;

const TRect kScreenRect{0, 0, 1024, 768};

std::vector<std::string> Play(const std::vector<std::uint8_t>& emf,
                              const TRect& rect = kScreenRect) {
    RecordingDeviceContext out;
    const Result<void> played = PlayEmf(emf, out, rect);
    EXPECT_TRUE(played) << played.reason();
    return out.Lines();
}

// Lines of a playback without the save/restore that every playback puts around the file
// (a recorded playback's own pair comes back as a relative restore).
std::vector<std::string> Inner(std::vector<std::string> lines,
                               const char* restore = "RestoreDC 1") {
    EXPECT_GE(lines.size(), 2u);
    if (lines.size() < 2) return {};
    EXPECT_EQ(lines.front(), "SaveDC");
    EXPECT_EQ(lines.back(), restore);
    return std::vector<std::string>(lines.begin() + 1, lines.end() - 1);
}

class Font {
  public:
    Font(const char* face, int height, int weight = FW_NORMAL, int escapement = 0) {
        LogFont lf;
        lf.height = height;
        lf.weight = weight;
        lf.escapement = escapement;
        lf.faceName = face;
        handle = CreateFontIndirect(lf);
    }
    ~Font() { DeleteObject(handle); }
    HFONT handle;
};

TEST(EmfRoundTrip, EveryKindOfCallComesBackWithItsCoordinates) {
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{2400, 3150, 300, 300}});
    Font arial("Arial", -40, FW_BOLD);
    const HPEN pen = CreatePen(PS_DASH, 3, RGB(255, 0, 0));
    const HBRUSH brush = CreateHatchBrush(HS_FDIAGONAL, RGB(0, 0, 128));
    rec.SelectObject(arial.handle);
    rec.SelectObject(pen);
    rec.SelectObject(brush);
    rec.SetTextColor(RGB(0, 0, 255));
    rec.SetBkMode(TRANSPARENT);
    rec.SetBkColor(0xC0C0C0);
    rec.SetTextAlign(TA_RIGHT);
    rec.TextOut(2300, 100, "Total: 12");
    rec.SetTextAlign(TA_CENTER);
    rec.TextOut(1200, 160, "Caf\xC3\xA9 \xE2\x82\xAC");  // accented letter and euro sign
    rec.SetTextAlign(0);
    rec.MoveTo(300, 400);
    rec.LineTo(2100, 400);
    rec.Rectangle(300, 450, 900, 700);
    rec.RoundRect(1000, 450, 1500, 700, 20, 20);
    rec.Ellipse(1600, 450, 2100, 700);
    rec.FillRect(TRect{300, 800, 2100, 850}, GetStockObject(WHITE_BRUSH));
    rec.SaveDC();
    rec.IntersectClipRect(300, 900, 2100, 1000);
    rec.RestoreDC(-1);
    rec.SelectClipRgn(TRect{0, 0, 32000, 32000});
    const TPoint poly[] = {{10, 10}, {20, 30}, {40, 10}};
    rec.Polygon(poly);
    rec.Polyline(poly);
    rec.SetPixel(7, 8, RGB(1, 2, 3));
    rec.SelectObject(GetStockObject(BLACK_PEN));
    rec.SelectObject(GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
    DeleteObject(brush);

    EXPECT_EQ(Inner(Play(rec.Finish())),
              (std::vector<std::string>{
                  "SelectFont \"Arial\" -40 w700",
                  "SelectPen dash 3 #FF0000",
                  "SelectBrush hatched 2 #000080",
                  "SetTextColor #0000FF",
                  "SetBkMode transparent",
                  "SetBkColor #C0C0C0",
                  "SetTextAlign 2",
                  "ExtTextOut 2300,100 opts 0 \"Total: 12\" dx 20,20,20,20,20,20,20,20,20",
                  "SetTextAlign 6",
                  "ExtTextOut 1200,160 opts 0 \"Caf\xC3\xA9 \xE2\x82\xAC\" dx 20,20,20,20,20,20",
                  "SetTextAlign 0",
                  "MoveTo 300,400",
                  "LineTo 2100,400",
                  "Rectangle 300,450,900,700",
                  "RoundRect 1000,450,1500,700 corner 20,20",
                  "Ellipse 1600,450,2100,700",
                  // the fill selects its brush around the fill and puts the current one back
                  "SelectBrush solid #FFFFFF",
                  "FillRect 300,800,2100,850 solid #FFFFFF",
                  "SelectBrush hatched 2 #000080",
                  "SaveDC",
                  "IntersectClipRect 300,900,2100,1000",
                  "RestoreDC -1",
                  "SelectClipRgn 0,0,32000,32000",
                  "Polygon 10,10 20,30 40,10",
                  "Polyline 10,10 20,30 40,10",
                  "SetPixel 7,8 #010203",
                  "SelectPen solid 0 #000000",
                  "SelectBrush solid #FFFFFF",
              }));
}

TEST(EmfRoundTrip, RecordingAPlaybackGivesTheSameCallsAgain) {
    EmfRecorder first;
    Font courier("Courier New", -30);
    first.SelectObject(courier.handle);
    first.TextOut(10, 20, "abc");
    first.SetMapMode(MM_ANISOTROPIC);
    first.SetWindowExtEx(100, 100);
    first.SetViewportExtEx(200, 300);
    first.Ellipse(0, 0, 50, 50);
    first.SetMapMode(MM_TEXT);
    first.Rectangle(1, 2, 3, 4);
    const std::vector<std::uint8_t> bytes1 = first.Finish();

    EmfRecorder second;
    const Result<void> played = PlayEmf(bytes1, second, kScreenRect);
    ASSERT_TRUE(played) << played.reason();
    const std::vector<std::uint8_t> bytes2 = second.Finish();
    // The replay is the first recording inside one more save/restore pair, with the file's
    // mapping carried as world transforms.
    const std::vector<std::string> once = Inner(Play(bytes1));
    const std::vector<std::string> twice = Inner(Inner(Play(bytes2)), "RestoreDC -1");
    EXPECT_EQ(once, twice);
    EXPECT_EQ(once,
              (std::vector<std::string>{
                  "SelectFont \"Courier New\" -30 w400",
                  "ExtTextOut 10,20 opts 0 \"abc\" dx 15,15,15",
                  "SetWorldTransform 0.01,0,0,0.01,0,0",  // window extent set, viewport not yet
                  "SetWorldTransform 2,0,0,3,0,0",
                  "Ellipse 0,0,50,50",
                  "SetWorldTransform 1,0,0,1,0,0",
                  "Rectangle 1,2,3,4",
              }));
}

TEST(EmfRoundTrip, FrameIsMappedOntoTheDestinationRectangle) {
    EmfRecorder rec;
    rec.Rectangle(100, 100, 200, 200);
    const std::vector<std::uint8_t> bytes = rec.Finish();
    // Half the screen's size: everything at half scale through the world transform.
    EXPECT_EQ(Inner(Play(bytes, TRect{0, 0, 512, 384})),
              (std::vector<std::string>{"SetWorldTransform 0.5,0,0,0.5,0,0",
                                        "Rectangle 100,100,200,200"}));
    // Same size, moved: a translation only.
    EXPECT_EQ(
        Inner(Play(bytes, TRect{30, 40, 1054, 808})),
        (std::vector<std::string>{"SetWorldTransform 1,0,0,1,30,40", "Rectangle 100,100,200,200"}));
    // A destination with no area draws nothing and is not an error.
    RecordingDeviceContext empty;
    EXPECT_TRUE(PlayEmf(bytes, empty, TRect{10, 10, 10, 50}));
    EXPECT_TRUE(empty.Lines().empty());
}

TEST(EmfRoundTrip, DestinationMappingStaysInChargeAndStateIsRestored) {
    EmfRecorder rec;
    rec.SetMapMode(MM_ANISOTROPIC);  // the file's own mapping must not leak out
    rec.SetWindowExtEx(1, 1);
    rec.SetViewportExtEx(5, 5);
    rec.SelectClipRgn(std::nullopt);
    rec.LineTo(10, 10);
    const std::vector<std::uint8_t> bytes = rec.Finish();

    RecordingDeviceContext preview;
    preview.SetMapMode(MM_ISOTROPIC);
    preview.SetWindowExtEx(2400, 3112);
    preview.SetViewportExtEx(523, 687);
    preview.IntersectClipRect(0, 0, 2400, 3112);
    const TSize viewportBefore = preview.GetViewportExt();
    const std::optional<TRect> clipBefore = preview.ClipRect();
    preview.Clear();
    ASSERT_TRUE(PlayEmf(bytes, preview, kScreenRect));
    EXPECT_EQ(preview.GetMapMode(), MM_ISOTROPIC);
    EXPECT_EQ(preview.GetViewportExt(), viewportBefore);
    EXPECT_EQ(preview.ClipRect(), clipBefore);
    EXPECT_TRUE(preview.GetWorldTransform().IsIdentity());
    // The file's clip reset goes back to the destination's clip, not to no clip at all.
    EXPECT_EQ(preview.LinesStartingWith({"SelectClipRgn", "SetMapMode"}),
              (std::vector<std::string>{"SelectClipRgn " + std::to_string(clipBefore->Left) + "," +
                                        std::to_string(clipBefore->Top) + "," +
                                        std::to_string(clipBefore->Right) + "," +
                                        std::to_string(clipBefore->Bottom)}));
}

TEST(EmfRoundTrip, PenBrushAndFontAreRecordedOnlyWhenTheSelectionChanges) {
    EmfRecorder rec;
    std::vector<HPEN> pens;
    // The drawing layer creates a fresh pen for every change, even an equal one.
    for (int i = 0; i < 50; ++i) {
        pens.push_back(CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
        const HPEN old = rec.SelectObject(pens.back());
        rec.LineTo(i, i);
        if (i > 0) DeleteObject(old);
    }
    Font a("Arial", -40), b("Arial", -50);
    for (int i = 0; i < 100; ++i) {
        rec.SelectObject(i % 2 ? a.handle : b.handle);
        rec.TextOut(0, i, "x");
    }
    rec.SelectObject(GetStockObject(BLACK_PEN));
    DeleteObject(pens.back());
    const std::vector<std::uint8_t> bytes = rec.Finish();
    const std::vector<std::string> lines = Play(bytes);
    RecordingDeviceContext dummy;
    std::size_t pensSelected = 0, fontsSelected = 0;
    for (const std::string& l : lines) {
        if (l.rfind("SelectPen", 0) == 0) ++pensSelected;
        if (l.rfind("SelectFont", 0) == 0) ++fontsSelected;
    }
    EXPECT_EQ(pensSelected, 2u);     // the 2-pixel pen once, the stock pen at the end
    EXPECT_EQ(fontsSelected, 100u);  // every font change is a real change
    // Objects no longer selected are deleted in the file: a few slots suffice.
    const auto header = ReadEmfHeader(bytes);
    ASSERT_TRUE(header);
    EXPECT_LE(header->handleCount, 4u);
}

TEST(EmfRoundTrip, ObjectsKeptBySavedStatesSurviveUntilRestored) {
    EmfRecorder rec;
    const HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    const HPEN blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    rec.SelectObject(red);
    rec.SaveDC();
    rec.SelectObject(blue);
    rec.LineTo(1, 1);
    rec.RestoreDC(-1);  // red again in the file
    rec.LineTo(2, 2);
    rec.SelectObject(blue);  // a real change once more: must be recorded
    rec.LineTo(3, 3);
    rec.SelectObject(GetStockObject(BLACK_PEN));
    DeleteObject(red);
    DeleteObject(blue);
    EXPECT_EQ(Inner(Play(rec.Finish())),
              (std::vector<std::string>{"SelectPen solid 1 #FF0000", "SaveDC",
                                        "SelectPen solid 1 #0000FF", "LineTo 1,1", "RestoreDC -1",
                                        "LineTo 2,2", "SelectPen solid 1 #0000FF", "LineTo 3,3",
                                        "SelectPen solid 0 #000000"}));
}

// Keeps the pixels that reach StretchDIBits.
class ImageCapture : public RecordingDeviceContext {
  public:
    TBitmap last;

  protected:
    void OnStretchDIBits(const TRect& d, const TRect& s, const BitmapView& v,
                         std::uint32_t rop) override {
        RecordingDeviceContext::OnStretchDIBits(d, s, v, rop);
        last = TBitmap(v.width, v.height);
        std::copy(v.pixels.begin(), v.pixels.end(), last.Pixels().begin());
    }
};

TEST(EmfRoundTrip, BitmapsKeepTheirPixelsAndOnlyTheSourcePartIsStored) {
    TBitmap image(4, 3, 0xFF000000u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            image.SetPixel(x, y, 0xFF000000u | static_cast<std::uint32_t>(x * 0x40 + y * 0x4000));
    EmfRecorder rec;
    rec.StretchDIBits(100, 200, 400, 300, 0, 0, 4, 3, image.View());
    rec.StretchDIBits(0, 0, 20, 10, 2, 1, 2, 2, image.View());  // the lower-right 2 x 2 part
    ImageCapture out;
    ASSERT_TRUE(PlayEmf(rec.Finish(), out, kScreenRect));
    EXPECT_EQ(
        out.LinesStartingWith({"StretchDIBits"}),
        (std::vector<std::string>{"StretchDIBits 100,200,500,500 from 0,0,4,3 of 4x3 rop CC0020",
                                  "StretchDIBits 0,0,20,10 from 0,0,2,2 of 2x2 rop CC0020"}));
    ASSERT_EQ(out.last.Width(), 2);
    EXPECT_EQ(out.last.Pixel(0, 0), image.Pixel(2, 1));
    EXPECT_EQ(out.last.Pixel(1, 1), image.Pixel(3, 2));
}

TEST(EmfRoundTrip, PageFileCarriesPageSizeAndPageFrameAndPlaysByTheScreen) {
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{5100, 6600, 600, 600}});
    rec.Rectangle(0, 0, 5100, 6600);
    const std::vector<std::uint8_t>& bytes = rec.Finish();
    const auto header = ReadEmfHeader(bytes);
    ASSERT_TRUE(header) << header.reason();
    // The header describes the page; playback maps the screen it was recorded against.
    EXPECT_EQ(header->FramePixels(), (TRect{0, 0, 5099, 6599}));
    EXPECT_EQ(header->deviceSizePixels, (TSize{5100, 6600}));
    EXPECT_EQ(header->PlaybackFrame(), (TRect{0, 0, 1023, 767}));
    ASSERT_TRUE(header->page);
    EXPECT_EQ(*header->page, (EmfPageInfo{5100, 6600, 600, 600}));
    // Inclusive, as the format stores bounds.
    EXPECT_EQ(header->bounds, (TRect{0, 0, 5099, 6599}));
    EXPECT_EQ(EmfPageSize(bytes).value_or(EmfPageInfo{}), (EmfPageInfo{5100, 6600, 600, 600}));
    const Result<EmfParseStats> parsed = ParseEmf(bytes);
    ASSERT_TRUE(parsed) << parsed.reason();
    EXPECT_EQ(parsed->records, 4u);  // header, page comment, rectangle, end
    EXPECT_EQ(Inner(Play(bytes)), (std::vector<std::string>{"Rectangle 0,0,5100,6600"}));
}

TEST(EmfRoundTrip, TextAdvancesAreMeasuredAtThePrinterResolution) {
    // A measurer whose advance depends on the resolution asked for.
    class DpiMeasurer : public FixedAdvanceMeasurer {
      public:
        void Advances(const LogFont& f, int ppi, std::u16string_view text,
                      std::vector<double>& out) override {
            FixedAdvanceMeasurer::Advances(f, ppi, text, out);
            for (double& a : out) a = ppi / 100.0;
        }
    };
    DpiMeasurer measurer;
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{2400, 3150, 300, 300}});
    rec.SetMeasurer(&measurer);
    rec.TextOut(0, 0, "ab");
    RecordingDeviceContext out;
    ASSERT_TRUE(PlayEmf(rec.Finish(), out, kScreenRect));
    EXPECT_EQ(out.LinesStartingWith({"ExtTextOut"}),
              (std::vector<std::string>{"ExtTextOut 0,0 opts 0 \"ab\" dx 3,3"}));
}

TEST(EmfRoundTrip, SavedFileLoadsIntoAMetafileAndDrawsThroughACanvas) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "quillon_gfx_roundtrip.emf";
    {
        EmfRecorder rec;
        rec.Ellipse(1, 2, 3, 4);
        const Result<void> saved = rec.SaveToFile(path.string());
        ASSERT_TRUE(saved) << saved.reason();
    }
    TMetafile m;
    const Result<void> loaded = m.LoadFromFile(path.string());
    ASSERT_TRUE(loaded) << loaded.reason();
    EXPECT_EQ(m.Width(), 1024);
    EXPECT_EQ(m.Height(), 768);
    RecordingDeviceContext dc;
    TCanvas canvas(&dc);
    canvas.Draw(0, 0, m);
    EXPECT_EQ(dc.LinesStartingWith({"Ellipse"}), (std::vector<std::string>{"Ellipse 1,2,3,4"}));
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(EmfRoundTrip, PathsCurvesAndTransformsComeBack) {
    EmfRecorder rec;
    rec.SetPolyFillMode(WINDING);
    rec.SetStretchBltMode(3);
    rec.BeginPath();
    rec.MoveTo(0, 0);
    rec.LineTo(100, 0);
    const TPoint bez[] = {{120, 10}, {120, 40}, {100, 50}};
    rec.PolyBezierTo(bez);
    rec.CloseFigure();
    rec.EndPath();
    rec.StrokeAndFillPath();
    rec.Arc(ArcKind::Pie, TRect{0, 0, 100, 100}, TPoint{100, 50}, TPoint{50, 0});
    rec.Arc(ArcKind::Chord, TRect{0, 0, 100, 100}, TPoint{0, 50}, TPoint{50, 100});
    const TPoint pts[] = {{0, 0}, {10, 0}, {10, 10}, {20, 20}, {30, 20}, {30, 30}, {20, 30}};
    const int counts[] = {3, 4};
    rec.PolyPolygon(pts, counts);
    rec.PolyPolyline(pts, counts);
    const TPoint curve[] = {{0, 0}, {5, 10}, {15, 10}, {20, 0}};
    rec.PolyBezier(curve);
    rec.ModifyWorldTransform(XForm{2, 0, 0, 2, 10, 20}, MWT_LEFTMULTIPLY);
    rec.Rectangle(1, 1, 5, 5);
    rec.ModifyWorldTransform(XForm{}, MWT_IDENTITY);
    EXPECT_EQ(Inner(Play(rec.Finish())),
              (std::vector<std::string>{
                  "SetPolyFillMode 2",
                  "SetStretchBltMode 3",
                  "BeginPath",
                  "MoveTo 0,0",
                  "LineTo 100,0",
                  "PolyBezierTo 120,10 120,40 100,50",
                  "CloseFigure",
                  "EndPath",
                  "StrokeAndFillPath",
                  "Pie 0,0,100,100 from 100,50 to 50,0",
                  "Chord 0,0,100,100 from 0,50 to 50,100",
                  "PolyPolygon [3,4] 0,0 10,0 10,10 20,20 30,20 30,30 20,30",
                  "PolyPolyline [3,4] 0,0 10,0 10,10 20,20 30,20 30,30 20,30",
                  "PolyBezier 0,0 5,10 15,10 20,0",
                  "SetWorldTransform 2,0,0,2,10,20",
                  "Rectangle 1,1,5,5",
                  "SetWorldTransform 1,0,0,1,0,0",
              }));
}

TEST(EmfRoundTrip, RecorderIgnoresCallsAfterFinishing) {
    EmfRecorder rec;
    rec.LineTo(1, 1);
    const std::vector<std::uint8_t> bytes = rec.Finish();
    const std::uint32_t records = rec.RecordCount();
    rec.LineTo(2, 2);
    rec.TextOut(0, 0, "late");
    EXPECT_EQ(rec.RecordCount(), records);
    EXPECT_EQ(rec.Finish(), bytes);
    const auto header = ReadEmfHeader(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->recordCount, records);
    EXPECT_EQ(header->totalBytes, bytes.size());
}

}  // namespace
}  // namespace quillon
