// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/graphics.h"

#include <gtest/gtest.h>

#include "platform/gdi/dib.h"
#include "platform/sys/rounding.h"

namespace quillon {
namespace {

TEST(Rounding, TiesGoToEven) {
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(RoundToInt(6.25 * 7), 44);  // 43.75
    EXPECT_EQ(RoundToInt(1e300), INT_MAX);
    EXPECT_EQ(RoundToInt(-1e300), INT_MIN);
    EXPECT_EQ(RoundToInt(std::nan("")), 0);
}

TEST(Colors, SystemColorsResolveThroughTheClassicPalette) {
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0);
    EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
    EXPECT_EQ(ColorToRGB(clWindowText), 0x000000);
    EXPECT_EQ(ColorToRGB(clHighlight), 0x800000);
    EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080);
    EXPECT_EQ(ColorToRGB(clInfoBk), 0xE1FFFF);
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), 0);  // no such entry
    EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
    EXPECT_LT(clBtnFace, 0);
}

TEST(Colors, IdentifiersRoundTripAndHexForTheRest) {
    EXPECT_EQ(ColorToIdent(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToIdent(clSilver), "clSilver");
    EXPECT_EQ(ColorToIdent(0x123456), std::nullopt);
    EXPECT_EQ(IdentToColor("clbtnface"), clBtnFace);
    EXPECT_EQ(IdentToColor("clNone"), clNone);
    EXPECT_EQ(IdentToColor("clNoSuchColour"), std::nullopt);
    EXPECT_EQ(ColorToString(0x00123456), "$00123456");
    EXPECT_EQ(ColorToString(clWhite), "clWhite");
    EXPECT_EQ(StringToColor("$00123456"), 0x123456);
    EXPECT_EQ(StringToColor("$8000000F"), clBtnFace);
    EXPECT_EQ(StringToColor("-2147483633"), clBtnFace);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_EQ(StringToColor("$1FFFFFFFF"), std::nullopt);
    EXPECT_EQ(StringToColor("12x"), std::nullopt);
    EXPECT_EQ(StringToColor(""), std::nullopt);
}

TEST(Font, HeightAndSizeFollowTheClassicRelation) {
    TFont f;
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);  // 11 * 72 / 96 = 8.25
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);  // 13.33
    f.SetSize(9);
    EXPECT_EQ(f.Height(), -12);
    f.SetHeight(-16);
    EXPECT_EQ(f.Size(), 12);
    // A printer font: same point size at 600 pixels per inch.
    f.SetPixelsPerInch(600);
    EXPECT_EQ(f.Height(), -16);  // keeps the height ...
    f.SetSize(12);
    EXPECT_EQ(f.Height(), -100);  // ... until the size is set again
    // MulDiv rounds halves away from zero: 7 * 96 / 72 = 9.33, 15 * 96 / 72 = 20
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(Font, ChangesNotifyOnceAndOnlyWhenSomethingChanged) {
    TFont f;
    int changes = 0;
    f.SetOnChange([&](TGraphicsObject&) { ++changes; });
    f.SetName("Arial");
    f.SetName("Arial");
    f.SetStyle({fsBold});
    f.SetColor(clRed);
    EXPECT_EQ(changes, 3);
    TFont other;
    other.SetPixelsPerInch(600);
    other.SetSize(12);
    f.Assign(other);  // at 96 ppi the 12-point size gives -16
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(f.Height(), -16);
    EXPECT_EQ(f.Name(), "MS Sans Serif");
}

TEST(Font, LogFontCarriesWeightStyleAndCutFace) {
    TFont f;
    f.SetName("A very long face name that is longer than thirty-one");
    f.SetStyle({fsBold, fsUnderline});
    f.SetHeight(-40);
    const LogFont lf = f.ToLogFont();
    EXPECT_EQ(lf.height, -40);
    EXPECT_EQ(lf.weight, 700);
    EXPECT_FALSE(lf.italic);
    EXPECT_TRUE(lf.underline);
    EXPECT_EQ(lf.faceName, "A very long face name that is l");
    EXPECT_EQ(lf.faceName.size(), 31u);
    // Characters, not bytes: 31 two-byte letters stay whole.
    std::string accented;
    for (int i = 0; i < 40; ++i) accented += "\xC3\xA9";
    EXPECT_EQ(CutFaceName(accented).size(), 62u);
}

TEST(PenAndBrush, DescriptionsUseRgbAndHatches) {
    TPen pen;
    pen.SetColor(clBtnShadow);
    pen.SetStyle(psDot);
    EXPECT_EQ(pen.ToLogPen(), (LogPen{PS_DOT, 1, 0x808080}));
    TBrush brush;
    EXPECT_EQ(brush.ToLogBrush(), (LogBrush{BS_SOLID, 0xFFFFFF, 0}));
    brush.SetStyle(bsDiagCross);
    brush.SetColor(clNavy);
    EXPECT_EQ(brush.ToLogBrush(), (LogBrush{BS_HATCHED, 0x800000, HS_DIAGCROSS}));
    brush.SetStyle(bsClear);
    EXPECT_EQ(brush.ToLogBrush().style, BS_NULL);
}

TEST(Bitmap, BmpRoundTripKeepsEveryPixel) {
    TBitmap b(3, 2, 0xFF000000u);
    b.SetPixel(0, 0, 0xFFFF0000u);
    b.SetPixel(2, 1, 0xFF00FF00u);
    b.SetPixel(1, 1, 0xFF123456u);
    std::vector<std::uint8_t> bmp = b.SaveToBmp();
    TBitmap c;
    const Result<void> loaded = c.LoadFromBytes(bmp);
    ASSERT_TRUE(loaded) << loaded.reason();
    ASSERT_EQ(c.Width(), 3);
    ASSERT_EQ(c.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(c.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

TEST(Bitmap, EightBitPaletteImageDecodes) {
    // 2x2, 8 bits, two palette entries, bottom-up rows padded to 4 bytes.
    std::vector<std::uint8_t> info = {40,
                                      0,
                                      0,
                                      0,
                                      2,
                                      0,
                                      0,
                                      0,
                                      2,
                                      0,
                                      0,
                                      0,
                                      1,
                                      0,
                                      8,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      2,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      /* palette: blue, red (B,G,R,0) */ 255,
                                      0,
                                      0,
                                      0,
                                      0,
                                      0,
                                      255,
                                      0};
    std::vector<std::uint8_t> bits = {0, 1, 0, 0, /* bottom row */ 1, 1, 0, 0 /* top row */};
    const Result<TBitmap> decoded = DecodeDib(info, bits);
    ASSERT_TRUE(decoded) << decoded.reason();
    const TBitmap& b = *decoded;
    EXPECT_EQ(b.Pixel(0, 0), 0xFFFF0000u);  // top row: red red
    EXPECT_EQ(b.Pixel(1, 0), 0xFFFF0000u);
    EXPECT_EQ(b.Pixel(0, 1), 0xFF0000FFu);  // bottom row: blue red
    EXPECT_EQ(b.Pixel(1, 1), 0xFFFF0000u);
}

TEST(Bitmap, MalformedBmpIsRefusedWithAReason) {
    TBitmap b(1, 1);
    std::vector<std::uint8_t> good = b.SaveToBmp();
    TBitmap out;
    // Pixel data cut short.
    std::vector<std::uint8_t> cut(good.begin(), good.end() - 2);
    Result<void> loaded = out.LoadFromBytes(cut);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.reason(), "bitmap pixel data is truncated");
    // Absurd size in the header.
    std::vector<std::uint8_t> huge = good;
    huge[14 + 4] = 0xFF;
    huge[14 + 5] = 0xFF;
    huge[14 + 6] = 0xFF;
    huge[14 + 7] = 0x7F;
    loaded = out.LoadFromBytes(huge);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.reason(), "bitmap is too large");
    // Pixel offset beyond the file.
    std::vector<std::uint8_t> off = good;
    off[10] = 0xFF;
    off[11] = 0xFF;
    loaded = out.LoadFromBytes(off);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.reason(), "BMP pixel offset is out of range");
    EXPECT_TRUE(out.Empty());
}

TEST(Picture, ReadingAnotherKindReplacesTheGraphic) {
    TPicture p;
    EXPECT_TRUE(p.Empty());
    p.Bitmap().SetSize(4, 3);
    EXPECT_EQ(p.GraphicKind(), TPicture::Kind::Bitmap);
    EXPECT_EQ(p.Width(), 4);
    TPicture copy = p;
    EXPECT_EQ(copy.Height(), 3);
    p.Metafile();
    EXPECT_EQ(p.GraphicKind(), TPicture::Kind::Metafile);
    EXPECT_EQ(p.Width(), 0);
    EXPECT_EQ(copy.GraphicKind(), TPicture::Kind::Bitmap);
    TPicture q;
    const Result<void> loaded = q.LoadFromBytes(copy.SaveToBytes());
    ASSERT_TRUE(loaded) << loaded.reason();
    EXPECT_EQ(q.GraphicKind(), TPicture::Kind::Bitmap);
    EXPECT_EQ(q.Width(), 4);
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    EXPECT_FALSE(q.LoadFromBytes(png));
    EXPECT_EQ(q.GraphicKind(), TPicture::Kind::Bitmap);  // unchanged on failure
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(Picture, ChangesInsideTheGraphicReachThePictureButNotCopies) {
    TPicture p;
    int changes = 0;
    p.SetOnChange([&](TGraphicsObject&) { ++changes; });
    TBitmap& b = p.Bitmap();  // a new graphic: one change
    b.SetSize(2, 2);          // inside the graphic: one more
    EXPECT_EQ(changes, 2);
    TBitmap copy = b;  // a copy belongs to nobody
    copy.SetSize(5, 5);
    EXPECT_EQ(changes, 2);
    b = copy;  // assigning a value into the picture's bitmap is a change
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(p.Width(), 5);
    p.Clear();
    EXPECT_EQ(changes, 4);
    p.Clear();  // already empty
    EXPECT_EQ(changes, 4);
}

}  // namespace
}  // namespace quillon
