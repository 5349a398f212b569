// SPDX-License-Identifier: GPL-2.0-or-later
// The Qt painter context at pixel level: figures cover exactly the pixels the classic rules
// give, on small images drawn at one device pixel per logical unit unless a mapping says
// otherwise.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include <QByteArray>

#include "platform/qt/qt_painter_dc.h"
#include "platform/sys/limits.h"
#include "tests/platform_qt/qt_test_support.h"

namespace quillon {
namespace {

using qttest::CountPixels;
using qttest::InkBounds;
using qttest::Picture;

constexpr TColorRef kRed = RGB(255, 0, 0);
constexpr TColorRef kGreen = RGB(0, 255, 0);
constexpr TColorRef kBlue = RGB(0, 0, 255);

// Selects a new object and deletes it (after putting the previous one back) at scope end.
class Selected {
  public:
    Selected(DeviceContext& dc, HGDIOBJ object)
        : dc_(dc), object_(object), old_(dc.SelectObject(object)) {}
    ~Selected() {
        dc_.SelectObject(old_);
        DeleteObject(object_);
    }

  private:
    DeviceContext& dc_;
    HGDIOBJ object_;
    HGDIOBJ old_;
};

TEST(QtPainterDC, RectangleCoversLeftTopToRightBottomExclusive) {
    QtImageDC image(9, 7);
    DeviceContext& dc = image.DC();
    Selected brush(dc, CreateSolidBrush(kRed));
    dc.Rectangle(1, 1, 7, 6);
    EXPECT_EQ(Picture(image.Image()),
              ".........\n"
              ".######..\n"
              ".#rrrr#..\n"
              ".#rrrr#..\n"
              ".#rrrr#..\n"
              ".######..\n"
              ".........\n");
}

TEST(QtPainterDC, RectangleWithNullPenFillsOnePixelLess) {
    QtImageDC image(8, 6);
    DeviceContext& dc = image.DC();
    Selected brush(dc, CreateSolidBrush(kRed));
    dc.SelectObject(GetStockObject(NULL_PEN));
    dc.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(Picture(image.Image()),
              "........\n"
              ".rrrr...\n"
              ".rrrr...\n"
              ".rrrr...\n"
              "........\n"
              "........\n");
}

TEST(QtPainterDC, LinesLeaveOutTheirEndPixel) {
    QtImageDC image(8, 6);
    DeviceContext& dc = image.DC();
    dc.MoveTo(1, 1);
    dc.LineTo(6, 1);  // 1..5
    dc.LineTo(6, 4);  // 6 from row 1 to 3
    dc.MoveTo(2, 5);
    dc.LineTo(2, 5);  // nothing at all
    EXPECT_EQ(Picture(image.Image()),
              "........\n"
              ".######.\n"
              "......#.\n"
              "......#.\n"
              "........\n"
              "........\n");
}

TEST(QtPainterDC, FillRectUsesTheGivenBrushAndNoPen) {
    QtImageDC image(7, 5);
    DeviceContext& dc = image.DC();
    const LogBrush green{BS_SOLID, kGreen, 0};
    dc.FillRect(Rect(2, 1, 5, 3), green);
    dc.FillRect(Rect(0, 4, 7, 5), LogBrush{BS_NULL, 0, 0});  // fills nothing
    EXPECT_EQ(Picture(image.Image()),
              ".......\n"
              "..ggg..\n"
              "..ggg..\n"
              ".......\n"
              ".......\n");
}

TEST(QtPainterDC, EllipseStaysInsideItsBoundsAndTouchesEverySide) {
    QtImageDC image(16, 12);
    DeviceContext& dc = image.DC();
    dc.SelectObject(GetStockObject(NULL_BRUSH));
    dc.Ellipse(2, 1, 14, 10);
    const QImage result = image.Image();
    EXPECT_EQ(InkBounds(result), QRect(QPoint(2, 1), QPoint(13, 9)));
    // The centre stays unpainted with a hollow brush.
    EXPECT_EQ(result.pixel(8, 5) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(QtPainterDC, SmallEllipseOutlineAndFill) {
    QtImageDC image(12, 9);
    DeviceContext& dc = image.DC();
    Selected brush(dc, CreateSolidBrush(kRed));
    dc.Ellipse(1, 1, 11, 8);
    EXPECT_EQ(Picture(image.Image()),
              "............\n"
              "...######...\n"
              "..#rrrrrr#..\n"
              ".#rrrrrrrr#.\n"
              ".#rrrrrrrr#.\n"
              ".#rrrrrrrr#.\n"
              "..#rrrrrr#..\n"
              "...######...\n"
              "............\n");
}

TEST(QtPainterDC, RoundRectKeepsTheRectangleBoundsAndRoundsItsCorners) {
    QtImageDC image(16, 12);
    DeviceContext& dc = image.DC();
    Selected brush(dc, CreateSolidBrush(kBlue));
    dc.RoundRect(1, 1, 15, 11, 6, 6);
    const QImage result = image.Image();
    EXPECT_EQ(InkBounds(result), QRect(QPoint(1, 1), QPoint(14, 10)));
    EXPECT_EQ(result.pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu);  // the corner is cut
    EXPECT_EQ(result.pixel(8, 1) & 0xFFFFFF, 0u);         // the edge is straight
    EXPECT_EQ(result.pixel(8, 5) & 0xFFFFFF, 0x0000FFu);
}

TEST(QtPainterDC, ClipNarrowsAndRestoreDCPutsItBack) {
    QtImageDC image(8, 6);
    DeviceContext& dc = image.DC();
    const LogBrush red{BS_SOLID, kRed, 0};
    const LogBrush green{BS_SOLID, kGreen, 0};
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(2, 1, 6, 4);
    dc.IntersectClipRect(0, 0, 5, 8);
    dc.FillRect(Rect(0, 0, 8, 6), red);
    dc.RestoreDC(saved);
    dc.FillRect(Rect(0, 5, 8, 6), green);
    EXPECT_EQ(Picture(image.Image()),
              "........\n"
              "..rrr...\n"
              "..rrr...\n"
              "..rrr...\n"
              "........\n"
              "gggggggg\n");
}

TEST(QtPainterDC, ClipResetBySelectClipRgn) {
    QtImageDC image(6, 3);
    DeviceContext& dc = image.DC();
    dc.IntersectClipRect(0, 0, 2, 1);
    dc.SelectClipRgn(std::nullopt);
    dc.FillRect(Rect(0, 0, 6, 1), LogBrush{BS_SOLID, kRed, 0});
    dc.SelectClipRgn(TRect{4, 0, 5, 3});
    dc.FillRect(Rect(0, 2, 6, 3), LogBrush{BS_SOLID, kGreen, 0});
    EXPECT_EQ(Picture(image.Image()),
              "rrrrrr\n"
              "......\n"
              "....g.\n");
}

TEST(QtPainterDC, AnisotropicMappingScalesAndRoundsToDevicePixels) {
    QtImageDC image(12, 8);
    DeviceContext& dc = image.DC();
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExtEx(100, 100);
    dc.SetViewportExtEx(10, 5);
    dc.SetViewportOrgEx(1, 1);
    dc.FillRect(Rect(0, 0, 50, 60), LogBrush{BS_SOLID, kRed, 0});  // (1,1)-(6,4)
    // A 1-unit pen stays one device pixel wide at any scale.
    dc.MoveTo(0, 100);
    dc.LineTo(100, 100);  // row 6, columns 1..10
    EXPECT_EQ(Picture(image.Image()),
              "............\n"
              ".rrrrr......\n"
              ".rrrrr......\n"
              ".rrrrr......\n"
              "............\n"
              "............\n"
              ".##########.\n"
              "............\n");
}

TEST(QtPainterDC, IsotropicMappingScalesBothAxesAlike) {
    QtImageDC image(20, 20);
    DeviceContext& dc = image.DC();
    dc.SetMapMode(MM_ISOTROPIC);
    dc.SetWindowExtEx(100, 50);
    dc.SetViewportExtEx(20, 20);  // shrinks to 20 x 10: a factor of 0.2 on both axes
    dc.FillRect(Rect(0, 0, 100, 50), LogBrush{BS_SOLID, kRed, 0});
    EXPECT_EQ(InkBounds(image.Image()), QRect(0, 0, 20, 10));
}

TEST(QtPainterDC, WidePenIsCentredOnTheLine) {
    QtImageDC image(12, 9);
    DeviceContext& dc = image.DC();
    Selected pen(dc, CreatePen(PS_SOLID, 3, 0));
    dc.MoveTo(3, 4);
    dc.LineTo(9, 4);
    const QImage result = image.Image();
    const QRect ink = InkBounds(result);
    EXPECT_EQ(ink.top(), 3);
    EXPECT_EQ(ink.bottom(), 5);
    // Round ends reach past both end points by about half the width.
    EXPECT_LE(ink.left(), 2);
    EXPECT_GE(ink.right(), 9);
    EXPECT_LE(ink.right(), 10);
}

TEST(QtPainterDC, DottedPenLeavesGapsThatAnOpaqueBackgroundFills) {
    QtImageDC image(14, 2);
    DeviceContext& dc = image.DC();
    Selected pen(dc, CreatePen(PS_DOT, 1, 0));
    dc.SetBkMode(TRANSPARENT);
    dc.MoveTo(0, 0);
    dc.LineTo(13, 0);
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(kRed);
    dc.MoveTo(0, 1);
    dc.LineTo(13, 1);
    EXPECT_EQ(Picture(image.Image()),
              "###...###...#.\n"
              "###rrr###rrr#.\n");
}

TEST(QtPainterDC, HatchBrushDrawsItsPatternOverTheBackgroundMode) {
    QtImageDC image(20, 9);
    DeviceContext& dc = image.DC();
    dc.SetBkMode(TRANSPARENT);
    dc.FillRect(Rect(0, 0, 20, 9), LogBrush{BS_HATCHED, 0, HS_VERTICAL});
    const QImage transparent = image.Image();
    // Whole black columns 8 pixels apart, white in between.
    std::vector<int> columns;
    for (int x = 0; x < 20; ++x) {
        int black = 0;
        for (int y = 0; y < 9; ++y) black += (transparent.pixel(x, y) & 0xFFFFFF) == 0;
        if (black == 9)
            columns.push_back(x);
        else
            EXPECT_EQ(black, 0) << "column " << x;
    }
    ASSERT_GE(columns.size(), 2u);
    EXPECT_EQ(columns[1] - columns[0], 8);

    QtImageDC opaque(10, 9);
    opaque.DC().SetBkMode(OPAQUE);
    opaque.DC().SetBkColor(kGreen);
    opaque.DC().FillRect(Rect(0, 0, 10, 9), LogBrush{BS_HATCHED, 0, HS_CROSS});
    const QImage crossed = opaque.Image();
    EXPECT_EQ(CountPixels(crossed, qRgb(255, 255, 255)), 0);
    EXPECT_GT(CountPixels(crossed, qRgb(0, 255, 0)), 40);
    EXPECT_GT(CountPixels(crossed, qRgb(0, 0, 0)), 15);
}

TEST(QtPainterDC, StretchDIBitsScalesWithoutSmoothingAndMirrors) {
    const std::uint32_t pixels[] = {0xFFFF0000, 0xFF00FF00,   // red, green
                                    0xFF0000FF, 0xFF000000};  // blue, black
    const BitmapView bitmap{2, 2, pixels};
    QtImageDC image(9, 4);
    DeviceContext& dc = image.DC();
    dc.StretchDIBits(0, 0, 4, 4, 0, 0, 2, 2, bitmap);
    dc.StretchDIBits(8, 0, -2, 2, 0, 0, 2, 2, bitmap);  // mirrored: green left of red
    EXPECT_EQ(Picture(image.Image()),
              "rrgg..gr.\n"
              "rrgg..#b.\n"
              "bb##.....\n"
              "bb##.....\n");
}

// The samples of the first image of a PDF that Qt wrote (its stream, inflated when it is
// compressed); empty when there is none or it is JPEG.
QByteArray FirstPdfImage(const QByteArray& pdf, QByteArray* filter) {
    const qsizetype at = pdf.indexOf("/Subtype /Image");
    if (at < 0) return {};
    const qsizetype begin = pdf.indexOf("stream\n", at);
    const qsizetype end = pdf.indexOf("endstream", begin);
    if (begin < 0 || end < 0) return {};
    const QByteArray dict = pdf.mid(at, begin - at);
    *filter = dict.contains("/DCTDecode") ? "DCT" : dict.contains("/FlateDecode") ? "Flate" : "";
    QByteArray data = pdf.mid(begin + 7, end - begin - 7);
    if (*filter == "DCT") return {};
    if (*filter == "Flate") {
        // qUncompress wants the expected size in front of the zlib stream.
        QByteArray sized(4, '\0');
        sized[0] = 0x01;  // up to 16 MB
        data = qUncompress(sized + data);
    }
    return data;
}

TEST(QtPainterDC, PicturesInAPdfKeepTheirExactColours) {
    // Rows of pure and mixed colours that a lossy encoding would shift.
    std::vector<std::uint32_t> pixels;
    const std::uint32_t rows[4] = {0xFF00FF00, 0xFFFF0000, 0xFF123456, 0xFFFEDCBA};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) pixels.push_back(x % 2 ? rows[y % 4] : 0xFF0000FF);
    const BitmapView bitmap{8, 8, pixels};
    QtPdfPageDC pdf(100);
    ASSERT_TRUE(pdf.Ok());
    pdf.DC().StretchDIBits(10, 10, 64, 64, 0, 0, 8, 8, bitmap);
    QByteArray filter;
    const QByteArray samples = FirstPdfImage(pdf.Finish(), &filter);
    EXPECT_NE(filter, "DCT");
    ASSERT_EQ(samples.size(), 8 * 8 * 3) << filter.toStdString();
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(i)];
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<std::uint8_t>(samples[i * 3]), (p >> 16) & 0xFF);
        EXPECT_EQ(static_cast<std::uint8_t>(samples[i * 3 + 1]), (p >> 8) & 0xFF);
        EXPECT_EQ(static_cast<std::uint8_t>(samples[i * 3 + 2]), p & 0xFF);
    }
}

TEST(QtPainterDC, SetPixelAndPolygon) {
    QtImageDC image(8, 6);
    DeviceContext& dc = image.DC();
    dc.SetPixel(7, 0, kRed);
    Selected brush(dc, CreateSolidBrush(kGreen));
    dc.SelectObject(GetStockObject(NULL_PEN));
    const TPoint square[] = {{1, 1}, {5, 1}, {5, 5}, {1, 5}};
    dc.Polygon(square);
    EXPECT_EQ(Picture(image.Image()),
              ".......r\n"
              ".gggg...\n"
              ".gggg...\n"
              ".gggg...\n"
              ".gggg...\n"
              "........\n");
}

// ---------------------------------------------------------------------------------------------
// Text

LogFont Arial(int height) {
    LogFont f;
    f.height = height;
    f.faceName = "Arial";
    return f;
}

TEST(QtPainterDC, TextInksInsideItsMeasuredCell) {
    QtImageDC image(200, 60);
    DeviceContext& dc = image.DC();
    Selected font(dc, CreateFontIndirect(Arial(-20)));
    dc.SetBkMode(TRANSPARENT);
    const TSize extent = dc.GetTextExtent(std::string_view("Hallo Welt"));
    dc.TextOut(10, 15, "Hallo Welt");
    const QRect ink = InkBounds(image.Image());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 10);
    EXPECT_LE(ink.left(), 13);  // "H" starts close to the reference point
    EXPECT_GE(ink.top(), 15);
    EXPECT_LE(ink.right(), 10 + extent.cx);
    EXPECT_GE(ink.right(), 10 + extent.cx - 4);
    EXPECT_LT(ink.bottom(), 15 + extent.cy);
}

TEST(QtPainterDC, RightAndCentreAlignmentMoveTheTextLeftOfTheReference) {
    auto inkOf = [](std::uint32_t align) {
        QtImageDC image(300, 40);
        DeviceContext& dc = image.DC();
        Selected font(dc, CreateFontIndirect(Arial(-20)));
        dc.SetTextAlign(align);
        dc.TextOut(150, 10, "Centre");
        return InkBounds(image.Image());
    };
    const QRect left = inkOf(TA_LEFT), right = inkOf(TA_RIGHT), centre = inkOf(TA_CENTER);
    const int width = left.width();
    EXPECT_EQ(right.width(), width);
    EXPECT_LE(right.right(), 150);
    EXPECT_GE(right.right(), 146);
    EXPECT_EQ(right.top(), left.top());
    EXPECT_NEAR(centre.center().x(), 150, 3);
    EXPECT_EQ(left.translated(right.left() - left.left(), 0), right);
}

TEST(QtPainterDC, OpaqueTextFillsExactlyItsCellWithTheBackgroundColour) {
    QtImageDC image(120, 40);
    DeviceContext& dc = image.DC();
    Selected font(dc, CreateFontIndirect(Arial(-16)));
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(kRed);
    dc.SetTextColor(kBlue);
    const TSize extent = dc.GetTextExtent(std::string_view("Quill"));
    dc.TextOut(5, 8, "Quill");
    const QImage result = image.Image();
    const QRect cell = InkBounds(result);
    EXPECT_EQ(cell.left(), 5);
    EXPECT_EQ(cell.top(), 8);
    EXPECT_EQ(cell.width(), extent.cx);
    EXPECT_NEAR(cell.height(), extent.cy, 1);
    int bluish = 0;  // text pixels (antialiased at their edges)
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            bluish += qBlue(result.pixel(x, y)) > 160 && qRed(result.pixel(x, y)) < 96;
    EXPECT_GT(bluish, 20);
    EXPECT_GT(CountPixels(result, qRgb(255, 0, 0)), cell.width() * cell.height() / 2);
}

TEST(QtPainterDC, GivenAdvancesPlaceEachGlyph) {
    // Wide advances spread the letters apart; the same advances as measured draw exactly what
    // TextOut draws.
    const std::u16string text = u"ILI";
    auto draw = [&](std::span<const int> dx) {
        QtImageDC image(200, 40);
        DeviceContext& dc = image.DC();
        Selected font(dc, CreateFontIndirect(Arial(-20)));
        dc.SetBkMode(TRANSPARENT);
        if (dx.empty())
            dc.TextOut(10, 5, "ILI");
        else
            dc.ExtTextOut(10, 5, 0, nullptr, text, dx);
        return image.Image();
    };
    std::vector<int> measured;
    {
        QtImageDC image(10, 10);
        Selected font(image.DC(), CreateFontIndirect(Arial(-20)));
        image.DC().MeasureAdvances(text, measured);
    }
    EXPECT_EQ(draw({}), draw(measured));
    const int spread[] = {60, 60, 60};
    const QImage wide = draw(spread);
    const QRect ink = InkBounds(wide);
    EXPECT_GE(ink.right(), 10 + 120);  // the third letter starts 120 pixels in
    EXPECT_LT(ink.right(), 10 + 135);
    // Nothing between the letters.
    EXPECT_EQ(Picture(wide, QRect(10 + 25, 0, 30, 40)).find_first_not_of(".\n"), std::string::npos);
}

TEST(QtPainterDC, UnderlineRunsTheWholeAdvanceWidth) {
    QtImageDC image(150, 40);
    DeviceContext& dc = image.DC();
    LogFont f = Arial(-20);
    f.underline = true;
    Selected font(dc, CreateFontIndirect(f));
    dc.SetBkMode(TRANSPARENT);
    const TSize extent = dc.GetTextExtent(std::string_view("a b"));
    dc.TextOut(10, 5, "a b");
    const QImage result = image.Image();
    // Some row below the baseline is black from the start to the end of the advances.
    int fullRows = 0;
    for (int y = 0; y < result.height(); ++y) {
        bool full = true;
        for (int x = 10; x < 10 + extent.cx - 1; ++x)
            full = full && (result.pixel(x, y) & 0xFFFFFF) == 0;
        fullRows += full;
    }
    EXPECT_GE(fullRows, 1);
}

TEST(QtPainterDC, EscapementRotatesTheTextCounterClockwise) {
    QtImageDC image(80, 200);
    DeviceContext& dc = image.DC();
    LogFont f = Arial(-20);
    f.escapement = 900;
    Selected font(dc, CreateFontIndirect(f));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_BASELINE);
    dc.TextOut(40, 180, "UNDER");  // no descenders
    const QRect ink = InkBounds(image.Image());
    ASSERT_FALSE(ink.isEmpty());
    // The text runs up from the reference point, its glyphs left of the baseline.
    EXPECT_GT(ink.height(), 2 * ink.width());
    EXPECT_LE(ink.bottom(), 180);
    EXPECT_LE(ink.right(), 41);
}

TEST(QtPainterDC, ExtTextOutOptionsFillAndClipToTheRectangle) {
    QtImageDC image(100, 30);
    DeviceContext& dc = image.DC();
    Selected font(dc, CreateFontIndirect(Arial(-20)));
    dc.SetBkMode(TRANSPARENT);
    dc.SetBkColor(kGreen);
    const TRect box = Rect(5, 5, 30, 25);
    dc.ExtTextOut(5, 5, ETO_OPAQUE | ETO_CLIPPED, &box, u"WWWWWW");
    const QImage result = image.Image();
    EXPECT_EQ(InkBounds(result), QRect(5, 5, 25, 20));
    EXPECT_GT(CountPixels(result, qRgb(0, 255, 0)), 100);
}

TEST(QtPainterDC, GivenPainterTransformAndClipAreTheDeviceSpace) {
    QImage target(20, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        painter.translate(5, 2);
        painter.setClipRect(QRect(0, 0, 6, 4));
        DeviceCaps caps;
        caps.widthPixels = 6;
        caps.heightPixels = 4;
        QtPainterDC dc(painter, caps);
        dc.FillRect(Rect(-5, -5, 50, 50), LogBrush{BS_SOLID, kRed, 0});
        dc.IntersectClipRect(0, 0, 2, 2);
        dc.SelectClipRgn(std::nullopt);  // back to the painter's own clip, not beyond
        dc.FillRect(Rect(0, 3, 50, 4), LogBrush{BS_SOLID, kBlue, 0});
    }
    EXPECT_EQ(InkBounds(target), QRect(5, 2, 6, 4));
    EXPECT_EQ(target.pixel(5, 5) & 0xFFFFFF, 0x0000FFu);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// Only the visible rows of a figure are worked out; they must be the rows of the whole one.
TEST(QtPainterDCVisible, APartlyVisibleFigureHasThePixelsOfTheWholeFigure) {
    QtImageDC whole(200, 100);
    {
        Selected brush(whole.DC(), CreateSolidBrush(kRed));
        whole.DC().Ellipse(0, 0, 200, 100);
        whole.DC().RoundRect(20, 10, 180, 90, 70, 40);
    }
    const QImage expected = whole.Image().copy(50, 20, 60, 40);
    // The same figures shifted so that the image shows (50, 20)-(110, 60) of them.
    QtImageDC part(60, 40);
    {
        Selected brush(part.DC(), CreateSolidBrush(kRed));
        part.DC().Ellipse(-50, -20, 150, 80);
        part.DC().RoundRect(-30, -10, 130, 70, 70, 40);
    }
    EXPECT_EQ(Picture(part.Image()), Picture(expected));

    // A clip narrows the rows drawn to the clip, with the same pixels inside it.
    QtImageDC clipped(200, 100);
    {
        Selected brush(clipped.DC(), CreateSolidBrush(kRed));
        clipped.DC().IntersectClipRect(50, 20, 110, 60);
        clipped.DC().Ellipse(0, 0, 200, 100);
        clipped.DC().RoundRect(20, 10, 180, 90, 70, 40);
    }
    const QImage c = clipped.Image();
    EXPECT_EQ(InkBounds(c), QRect(50, 20, 60, 40));
    EXPECT_EQ(Picture(c, QRect(50, 20, 60, 40)), Picture(expected));
}

TEST(QtPainterDCVisible, FiguresFromIntMinToIntMaxCoverTheImage) {
    QtImageDC image(20, 10);
    DeviceContext& dc = image.DC();
    Selected brush(dc, CreateSolidBrush(kGreen));
    dc.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(CountPixels(image.Image(), qRgb(0, 255, 0)), 200);
    dc.SelectObject(GetStockObject(WHITE_BRUSH));
    dc.RoundRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_EQ(CountPixels(image.Image(), qRgb(255, 255, 255)), 200);
    // A rectangle whose black outline lies far outside: only its fill shows.
    const HBRUSH blue = CreateSolidBrush(kBlue);
    dc.SelectObject(blue);
    dc.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(CountPixels(image.Image(), qRgb(0, 0, 255)), 200);
    dc.SelectObject(GetStockObject(WHITE_BRUSH));
    DeleteObject(blue);
    // An ellipse whose top edge crosses the image: the outline row, then the fill.
    QtImageDC edge(20, 10);
    Selected red(edge.DC(), CreateSolidBrush(kRed));
    edge.DC().Ellipse(10 - 2000000, 4, 10 + 2000000, 4 + 4000000);
    EXPECT_EQ(Picture(edge.Image(), QRect(0, 2, 20, 5)),
              "....................\n"
              "....................\n"
              "####################\n"
              "rrrrrrrrrrrrrrrrrrrr\n"
              "rrrrrrrrrrrrrrrrrrrr\n");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// A wide line of more points than are stroked at once is drawn in pieces that join without a
// gap or a bump: the same pixels as the one segment it lies on.
TEST(QtPainterDC, AWideLineOfManyPointsIsTheSameAsOneStroke) {
    constexpr int kPoints = 3 * limits::kMaxStrokedPoints + 17;
    auto draw = [](const std::vector<TPoint>& points) {
        QtImageDC image(kPoints + 20, 40);
        {
            DeviceContext& dc = image.DC();
            Selected pen(dc, CreatePen(PS_SOLID, 9, kRed));
            dc.Polyline(points);
            dc.PolyPolyline(points, std::vector<int>{static_cast<int>(points.size())});
        }
        return image.Finish();
    };
    std::vector<TPoint> many;
    for (int x = 0; x < kPoints; ++x) many.push_back({x + 10, 20});
    const QImage pieces = draw(many);
    const QImage whole = draw({many.front(), many.back()});
    EXPECT_EQ(CountPixels(pieces, qRgb(255, 0, 0)), CountPixels(whole, qRgb(255, 0, 0)));
    EXPECT_GT(CountPixels(whole, qRgb(255, 0, 0)), 9 * kPoints);
    EXPECT_EQ(InkBounds(pieces), InkBounds(whole));
    EXPECT_TRUE(pieces == whole);
}

TEST(QtPainterDC, ThinPensOfPicturesMadeElsewhereAreFaint) {
    // A quarter of a device pixel per unit: pens of one and two units come out thinner than a
    // pixel; one of four units is a pixel, one of width 0 is a pixel by definition.
    const auto draw = [](double recordedPixel) {
        QtImageDC image(12, 6);
        DeviceContext& dc = image.DC();
        dc.SetThinPenPixel(recordedPixel);
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetWindowExtEx(4, 4);
        dc.SetViewportExtEx(1, 1);
        for (const auto& [row, width] : {std::pair{0, 1}, {1, 2}, {2, 4}, {3, 0}}) {
            Selected pen(dc, CreatePen(PS_SOLID, width, RGB(0, 0, 0)));
            dc.MoveTo(0, row * 4);  // along a row: a run of pixels
            dc.LineTo(40, row * 4);
        }
        Selected pen(dc, CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        dc.MoveTo(0, 16);  // slanted: stroked by the painter
        dc.LineTo(40, 20);
        return image.Image();
    };
    // Recorded on a device whose pixel is a unit: the pens' own widths count.
    const QImage faint = draw(0.25);
    EXPECT_EQ(qGray(faint.pixel(5, 0)), 191);  // a quarter of black on white
    EXPECT_EQ(qGray(faint.pixel(5, 1)), 127);  // half
    EXPECT_EQ(qGray(faint.pixel(5, 2)), 0);
    EXPECT_EQ(qGray(faint.pixel(5, 3)), 0);
    EXPECT_EQ(qGray(faint.pixel(0, 4)), 191);
    EXPECT_EQ(InkBounds(faint).right(), 9);  // the end pixels stay out as ever
    // Recorded on a device whose pixel is three units: no pen is thinner than that pixel.
    const QImage coarse = draw(0.75);
    EXPECT_EQ(qGray(coarse.pixel(5, 0)), 64);
    EXPECT_EQ(qGray(coarse.pixel(5, 1)), 64);
    EXPECT_EQ(qGray(coarse.pixel(5, 2)), 0);
    // The classic rule: every pen at least a whole pixel.
    const QImage full = draw(0);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(qGray(full.pixel(5, y)), 0) << "row " << y;
    EXPECT_EQ(qGray(full.pixel(0, 4)), 0);
}

}  // namespace
}  // namespace quillon
