// SPDX-License-Identifier: GPL-2.0-or-later
// A page played from its enhanced metafile looks exactly like the same calls drawn
// directly: every scene below is drawn twice on small images, once straight onto the Qt
// painter context and once through the page recorder, the file bytes and the player, and
// the two images must be equal pixel for pixel.

#include <gtest/gtest.h>

#include <functional>

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/gdi/screen.h"
#include "tests/platform_qt/qt_test_support.h"

namespace quillon {
namespace {

using Scene = std::function<void(DeviceContext&)>;

constexpr int kWidth = 240, kHeight = 160;

// Objects of a scene: created once, deleted when the scene ends.
class Objects {
  public:
    ~Objects() {
        for (HGDIOBJ o : owned_) DeleteObject(o);
    }
    HGDIOBJ Keep(HGDIOBJ o) {
        owned_.push_back(o);
        return o;
    }
    HFONT Font(const char* face, int height, int weight = FW_NORMAL, bool italic = false,
               bool underline = false, int escapement = 0) {
        LogFont f;
        f.faceName = face;
        f.height = height;
        f.weight = weight;
        f.italic = italic;
        f.underline = underline;
        f.escapement = escapement;
        return Keep(CreateFontIndirect(f));
    }

  private:
    std::vector<HGDIOBJ> owned_;
};

// How the destination maps the page: one unit to one pixel, or a page twice the image's
// size shrunk onto it as the preview does.
enum class Mapping { Identity, HalfSize };

void SetUp(DeviceContext& dc, Mapping mapping) {
    if (mapping == Mapping::HalfSize) {
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetWindowExtEx(2 * kWidth, 2 * kHeight);
        dc.SetViewportExtEx(kWidth, kHeight);
    }
}

QImage Direct(const Scene& scene, Mapping mapping) {
    QtImageDC image(kWidth, kHeight);
    SetUp(image.DC(), mapping);
    scene(image.DC());
    return image.Finish();
}

QImage Played(const Scene& scene, Mapping mapping, std::vector<std::uint8_t>* bytes = nullptr) {
    std::vector<std::uint8_t> emf;
    {
        EmfRecorder rec(
            EmfRecorderOptions{std::nullopt, EmfPageInfo{2 * kWidth, 2 * kHeight, 96, 96}});
        scene(rec);
        emf = rec.Finish();
    }
    QtImageDC image(kWidth, kHeight);
    SetUp(image.DC(), mapping);
    const Result<void> played =
        PlayEmf(emf, image.DC(), Rect(0, 0, Screen().Width(), Screen().Height()));
    EXPECT_TRUE(played) << played.reason();
    if (bytes) *bytes = emf;
    return image.Finish();
}

int DifferentPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

void ExpectSamePixels(const Scene& scene,
                      std::vector<Mapping> mappings = {Mapping::Identity, Mapping::HalfSize}) {
    for (const Mapping mapping : mappings) {
        const QImage direct = Direct(scene, mapping);
        const QImage played = Played(scene, mapping);
        EXPECT_FALSE(qttest::InkBounds(direct).isEmpty()) << "the scene draws nothing";
        EXPECT_EQ(DifferentPixels(direct, played), 0)
            << (mapping == Mapping::Identity ? "one to one" : "at half size");
    }
}

TEST(QtEmfRoundTrip, Text) {
    ExpectSamePixels([](DeviceContext& dc) {
        Objects o;
        dc.SetBkMode(TRANSPARENT);
        dc.SelectObject(o.Font("Arial", -18));
        dc.TextOut(10, 10, "Vowels 5 3 1 and Total 22");
        dc.SelectObject(o.Font("Courier New", -16, FW_BOLD));
        dc.SetTextColor(RGB(200, 0, 0));
        dc.SetTextAlign(TA_RIGHT);
        dc.TextOut(230, 40, "right aligned");
        dc.SetTextAlign(TA_CENTER | TA_BASELINE);
        dc.SelectObject(o.Font("Times New Roman", 24, FW_NORMAL, true, true));
        dc.TextOut(120, 90, "centred, underlined");
        dc.SetTextAlign(TA_LEFT);
        dc.SetBkMode(OPAQUE);
        dc.SetBkColor(RGB(255, 255, 0));
        dc.SelectObject(o.Font("MS Sans Serif", -13));
        dc.TextOut(10, 120, "Grüße été");
        dc.SelectObject(GetStockObject(SYSTEM_FONT));
    });
}

TEST(QtEmfRoundTrip, RotatedAndClippedText) {
    ExpectSamePixels([](DeviceContext& dc) {
        Objects o;
        dc.SetBkMode(TRANSPARENT);
        dc.SelectObject(o.Font("Arial", -20, FW_NORMAL, false, false, 900));
        dc.TextOut(30, 150, "Upward");
        dc.SelectObject(o.Font("Arial", -20));
        const TRect box = Rect(60, 20, 140, 45);
        dc.SetBkColor(RGB(0, 200, 255));
        dc.ExtTextOut(60, 20, ETO_OPAQUE | ETO_CLIPPED, &box, u"Clipped to its box");
        const int dx[] = {20, 20, 20, 20, 20};
        dc.ExtTextOut(60, 80, 0, nullptr, u"Given", dx);
        dc.SelectObject(GetStockObject(SYSTEM_FONT));
    });
}

TEST(QtEmfRoundTrip, LinesAndPens) {
    ExpectSamePixels([](DeviceContext& dc) {
        Objects o;
        dc.MoveTo(5, 5);
        dc.LineTo(230, 5);
        dc.LineTo(230, 150);
        dc.SelectObject(o.Keep(CreatePen(PS_DASH, 1, RGB(0, 0, 255))));
        dc.MoveTo(5, 20);
        dc.LineTo(200, 60);
        dc.SetBkColor(RGB(255, 0, 0));
        dc.SelectObject(o.Keep(CreatePen(PS_DOT, 0, RGB(0, 0, 0))));
        dc.MoveTo(5, 30);
        dc.LineTo(200, 30);
        dc.SelectObject(o.Keep(CreatePen(PS_SOLID, 6, RGB(0, 128, 0))));
        dc.MoveTo(20, 100);
        dc.LineTo(180, 140);
        const TPoint zigzag[] = {{10, 60}, {40, 90}, {70, 60}, {100, 90}};
        dc.Polyline(zigzag);
        dc.SelectObject(GetStockObject(BLACK_PEN));
    });
}

TEST(QtEmfRoundTrip, FiguresAndBrushes) {
    ExpectSamePixels([](DeviceContext& dc) {
        Objects o;
        dc.SelectObject(o.Keep(CreateSolidBrush(RGB(255, 200, 0))));
        dc.Rectangle(5, 5, 60, 40);
        dc.SelectObject(o.Keep(CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 160))));
        dc.RoundRect(70, 5, 150, 50, 20, 16);
        dc.SetBkMode(TRANSPARENT);
        dc.SelectObject(o.Keep(CreateHatchBrush(HS_HORIZONTAL, RGB(160, 0, 0))));
        dc.Ellipse(160, 5, 235, 70);
        dc.SelectObject(GetStockObject(NULL_PEN));
        dc.SelectObject(o.Keep(CreateSolidBrush(RGB(0, 160, 0))));
        dc.Rectangle(5, 80, 50, 120);
        dc.Ellipse(60, 80, 101, 121);
        dc.SelectObject(o.Keep(CreatePen(PS_SOLID, 3, RGB(0, 0, 0))));
        const TPoint star[] = {{150, 80}, {170, 150}, {120, 105}, {180, 105}, {130, 150}};
        dc.SetPolyFillMode(WINDING);
        dc.Polygon(star);
        dc.FillRect(Rect(190, 90, 230, 150), LogBrush{BS_HATCHED, RGB(0, 0, 0), HS_BDIAGONAL});
        dc.SelectObject(GetStockObject(BLACK_PEN));
        dc.SelectObject(GetStockObject(WHITE_BRUSH));
    });
}

TEST(QtEmfRoundTrip, ClipSaveRestoreAndBitmaps) {
    ExpectSamePixels([](DeviceContext& dc) {
        Objects o;
        const int saved = dc.SaveDC();
        dc.IntersectClipRect(20, 20, 120, 90);
        dc.SelectObject(o.Keep(CreateSolidBrush(RGB(100, 100, 255))));
        dc.Ellipse(0, 0, 140, 110);
        dc.RestoreDC(saved);
        dc.Rectangle(130, 10, 230, 60);  // the clip is gone again
        std::vector<std::uint32_t> pixels(4 * 3);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 0x151515);
        const BitmapView bitmap{4, 3, pixels};
        dc.StretchDIBits(20, 100, 80, 45, 0, 0, 4, 3, bitmap);
        dc.StretchDIBits(200, 100, -30, 30, 0, 0, 4, 3, bitmap);
        dc.SetPixel(235, 155, RGB(255, 0, 255));
        dc.SelectObject(GetStockObject(WHITE_BRUSH));
    });
}

TEST(QtEmfRoundTrip, NestedMapping) {
    // A scene that sets its own mapping, played one to one. (Under a shrinking destination
    // the two differ by design: drawn directly, the scene's mapping replaces the
    // destination's, while a played page keeps being shrunk as a whole.)
    ExpectSamePixels(
        [](DeviceContext& dc) {
            Objects o;
            const int saved = dc.SaveDC();
            dc.SetMapMode(MM_ANISOTROPIC);
            dc.SetWindowExtEx(100, 100);
            dc.SetViewportExtEx(200, 100);
            dc.SetViewportOrgEx(10, 10);
            dc.SelectObject(o.Keep(CreateSolidBrush(RGB(0, 200, 100))));
            dc.Rectangle(0, 0, 50, 50);
            dc.SelectObject(o.Font("Arial", -16));
            dc.SetBkMode(TRANSPARENT);
            dc.TextOut(0, 60, "Stretched");
            dc.SelectObject(GetStockObject(SYSTEM_FONT));
            dc.SelectObject(GetStockObject(WHITE_BRUSH));
            dc.RestoreDC(saved);
        },
        {Mapping::Identity});
}

TEST(QtEmfRoundTrip, TheComparisonSeesADifference) {
    // The pair of images differs when the played file does not hold what was drawn.
    const Scene scene = [](DeviceContext& dc) { dc.Rectangle(10, 10, 50, 50); };
    const Scene other = [](DeviceContext& dc) { dc.Rectangle(11, 10, 50, 50); };
    EXPECT_GT(DifferentPixels(Direct(scene, Mapping::Identity), Played(other, Mapping::Identity)),
              0);
}

}  // namespace
}  // namespace quillon
