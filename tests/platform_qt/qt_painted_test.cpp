// SPDX-License-Identifier: GPL-2.0-or-later
// Controls the model paints (shapes, panels with their bevels, labels, picture
// buttons' glyphs) drawn through the Qt painter device context: the pixels of
// the shown window.

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>

#include "tests/platform_qt/qt_host_support.h"
#include "tests/platform_qt/qt_test_support.h"

namespace quillon::qttest {
namespace {

QRgb Rgb(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QRgb At(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}
QRgb Plain(TColor c) {
    return Rgb(c) & 0xFFFFFF;
}

QImage Grab(TForm* form) {
    return WidgetOf(form)->grab().toImage();
}

TEST(PaintedControls, AShapeFillsAndOutlinesItsPixels) {
    TestForm form(100, 60);
    form->SetColor(clWhite);
    auto* shape = form.Add<TShape>("Shape1", 10, 10, 30, 20);
    shape->Brush().SetColor(clRed);
    shape->Pen().SetColor(clBlack);
    form->Show();
    const QImage image = Grab(form.get());
    EXPECT_EQ(At(image, 10, 10), 0x000000u);
    EXPECT_EQ(At(image, 39, 29), 0x000000u);
    EXPECT_EQ(At(image, 11, 11), 0xFF0000u);
    EXPECT_EQ(At(image, 38, 28), 0xFF0000u);
    EXPECT_EQ(At(image, 40, 30), 0xFFFFFFu);
    EXPECT_EQ(At(image, 9, 9), 0xFFFFFFu);
    // A change of the model shows at the next paint.
    shape->Brush().SetColor(clBlue);
    EXPECT_EQ(At(Grab(form.get()), 20, 20), 0x0000FFu);
}

TEST(PaintedControls, APanelsBevelIsDrawnByTheModelAndItsChildrenSitInside) {
    TestForm form(120, 80);
    form->SetColor(clWhite);
    auto* panel = form.Add<TPanel>("Panel1", 10, 10, 60, 40);
    panel->SetBevelOuter(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetColor(clYellow);
    form->Show();
    const QImage image = Grab(form.get());
    // Lowered: shadow on the top and left, highlight on the bottom and right.
    EXPECT_EQ(At(image, 10, 10), Plain(clBtnShadow));
    EXPECT_EQ(At(image, 11, 20), Plain(clBtnShadow));
    EXPECT_EQ(At(image, 69, 49), Plain(clBtnHighlight));
    EXPECT_EQ(At(image, 68, 30), Plain(clBtnHighlight));
    EXPECT_EQ(At(image, 12, 12), 0xFFFF00u);
    EXPECT_EQ(At(image, 70, 50), 0xFFFFFFu);
}

TEST(PaintedControls, ATransparentLabelLeavesItsParentsColourBeneathItsText) {
    TestForm form(200, 60);
    form->SetColor(clWhite);
    auto* panel = form.Add<TPanel>("Panel1", 0, 0, 200, 60);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clRed);
    auto* clear = form.Add<TLabel>("Clear", 10, 10, 80, 20, panel);
    clear->SetAutoSize(false);
    clear->SetTransparent(true);
    clear->SetCaption("Vowels");
    clear->Font().SetColor(clBlack);
    auto* solid = form.Add<TLabel>("Solid", 100, 10, 80, 20, panel);
    solid->SetAutoSize(false);
    solid->SetColor(clAqua);
    solid->SetCaption("Total");
    form->Show();
    const QImage image = Grab(form.get());
    const QImage clearPart = image.copy(10, 10, 80, 20);
    const QImage solidPart = image.copy(100, 10, 80, 20);
    EXPECT_GT(CountPixels(clearPart, qRgb(255, 0, 0)), 80 * 20 / 2);
    EXPECT_EQ(CountPixels(clearPart, qRgb(0, 255, 255)), 0);
    EXPECT_GT(CountPixels(solidPart, qRgb(0, 255, 255)), 80 * 20 / 2);
    EXPECT_EQ(CountPixels(solidPart, qRgb(255, 0, 0)), 0);
    // Both show dark text pixels.
    EXPECT_GT(CountPixels(clearPart, qRgb(0, 0, 0)), 10);
    EXPECT_GT(CountPixels(solidPart, qRgb(0, 0, 0)), 10);
}

// A strip of two 4 x 4 images: a red and a green pixel on the magenta of the
// bottom-left corner (transparent), then its disabled twin in blue.
TBitmap GlyphStrip() {
    TBitmap strip(8, 4, 0xFFFF00FFu);
    strip.SetPixel(1, 0, 0xFFFF0000u);
    strip.SetPixel(2, 0, 0xFF00FF00u);
    strip.SetPixel(5, 0, 0xFF0000FFu);
    return strip;
}

TEST(PaintedControls, PictureButtonsDrawTheirGlyphWithoutTheTransparentColour) {
    TestForm form(100, 60);
    auto* button = form.Add<TBitBtn>("PrintBtn", 10, 10, 32, 25);
    button->SetGlyph(GlyphStrip());
    EXPECT_EQ(button->NumGlyphs(), 2);
    form->Show();
    const QImage face = WidgetOf(button)->grab().toImage();
    EXPECT_EQ(CountPixels(face, qRgb(255, 0, 0)), 1);
    EXPECT_EQ(CountPixels(face, qRgb(0, 255, 0)), 1);
    EXPECT_EQ(CountPixels(face, qRgb(255, 0, 255)), 0);
    // Centred: the 4 x 4 image at ((32 - 4) / 2, (25 - 4) / 2) = (14, 10).
    EXPECT_EQ(At(face, 15, 10), 0xFF0000u);
    EXPECT_EQ(At(face, 16, 10), 0x00FF00u);
    button->SetEnabled(false);
    const QImage disabled = WidgetOf(button)->grab().toImage();
    EXPECT_EQ(CountPixels(disabled, qRgb(0, 0, 255)), 1);
    EXPECT_EQ(CountPixels(disabled, qRgb(255, 0, 0)), 0);
    EXPECT_EQ(At(disabled, 15, 10), 0x0000FFu);
}

TEST(PaintedControls, ABevelDrawsItsTwoColouredFrame) {
    TestForm form(100, 60);
    form->SetColor(clWhite);
    auto* bevel = form.Add<TBevel>("Bevel1", 10, 10, 40, 20);
    bevel->SetShape(bsBox);
    bevel->SetStyle(bsLowered);
    form->Show();
    const QImage image = Grab(form.get());
    EXPECT_EQ(At(image, 10, 10), Plain(clBtnShadow));
    EXPECT_EQ(At(image, 49, 29), Plain(clBtnHighlight));
    EXPECT_EQ(At(image, 20, 20), 0xFFFFFFu);
}

}  // namespace
}  // namespace quillon::qttest
