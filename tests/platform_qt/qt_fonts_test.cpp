// SPDX-License-Identifier: GPL-2.0-or-later
// Face mapping and text measurement of the Qt backend, against the published metrics of the
// Liberation faces (units per em 2048: Liberation Sans "H" 1479, "e" 1139, "l" 455,
// "o" 1139, space 569; ascent 1854, descent 434; every Liberation Mono glyph 1229).

#include <gtest/gtest.h>

#include <QFontInfo>

#include "platform/qt/qt_fonts.h"

namespace quillon {
namespace {

LogFont Font(const char* face, int height, int weight = FW_NORMAL) {
    LogFont f;
    f.faceName = face;
    f.height = height;
    f.weight = weight;
    return f;
}

double Units(double designUnits, double em) {
    return designUnits * em / 2048.0;
}

TEST(QtFonts, ClassicFacesMapToInstalledLiberationFaces) {
    EXPECT_EQ(FamilyForFace("Arial"), "Liberation Sans");
    EXPECT_EQ(FamilyForFace("arial"), "Liberation Sans");
    EXPECT_EQ(FamilyForFace("MS Sans Serif"), "Liberation Sans");
    EXPECT_EQ(FamilyForFace("System"), "Liberation Sans");
    EXPECT_EQ(FamilyForFace("Courier New"), "Liberation Mono");
    EXPECT_EQ(FamilyForFace("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(FamilyForFace("DejaVu Sans"), "DejaVu Sans");  // installed: kept
    EXPECT_EQ(FamilyForFace("No Such Face 42"), "Liberation Sans");
    EXPECT_EQ(FamilyForFace(""), "Liberation Sans");
    // The mapped families are really there (fontconfig would silently substitute otherwise).
    for (const char* face : {"Arial", "MS Sans Serif", "System", "Courier New"})
        EXPECT_EQ(QFontInfo(QFont(FamilyForFace(face))).family(), FamilyForFace(face)) << face;
}

TEST(QtFonts, CharacterHeightIsTheEmAndCellHeightIncludesTheLeading) {
    QtTextMeasurer m;
    const FontMetricsF byChar = m.Metrics(Font("Arial", -100), 96);
    EXPECT_NEAR(byChar.ascent, Units(1854, 100), 0.05);
    EXPECT_NEAR(byChar.descent, Units(434, 100), 0.05);
    EXPECT_NEAR(byChar.internalLeading, byChar.ascent + byChar.descent - 100, 1e-9);

    // A positive height is the cell: ascent + descent come out at that height.
    const FontMetricsF byCell = m.Metrics(Font("Arial", 112), 96);
    EXPECT_NEAR(byCell.ascent + byCell.descent, 112, 0.05);
    EXPECT_NEAR(ResolveFont(Font("Arial", 112)).em, 112 * 2048.0 / (1854 + 434), 0.05);

    EXPECT_EQ(ResolveFont(Font("Arial", 0)).em, kDefaultFontHeight);
}

TEST(QtFonts, AdvancesFollowTheFaceAtAnyResolution) {
    QtTextMeasurer m;
    std::vector<double> a;
    m.Advances(Font("Arial", -100), 96, u"Hello ", a);
    ASSERT_EQ(a.size(), 6u);
    const double expected[] = {1479, 1139, 455, 455, 1139, 569};
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_NEAR(a[i], Units(expected[i], 100), 0.05) << i;

    // The same pixel height measures the same on a 600-ppi printer (no hinting).
    std::vector<double> printer;
    m.Advances(Font("Arial", -100), 600, u"Hello ", printer);
    EXPECT_EQ(printer, a);

    // Fractional sizes scale exactly.
    std::vector<double> big;
    m.Advances(Font("Arial", 112), 96, u"H", big);
    EXPECT_NEAR(big[0], Units(1479, ResolveFont(Font("Arial", 112)).em), 0.01);

    m.Advances(Font("Courier New", -50), 96, u"iWm.", a);
    for (double x : a) EXPECT_NEAR(x, Units(1229, 50), 0.02);
}

// A width in a file is the classic average character width (lowercase and space weighted by
// their use; 904 units for these faces), not the average over every glyph the newer faces
// record (some 1176): a font asked at its own average width keeps its natural advances.
TEST(QtFonts, AFontAtItsOwnAverageWidthKeepsItsAdvances) {
    QtTextMeasurer m;
    std::vector<double> plain, natural, half;
    m.Advances(Font("Arial", -100), 96, u"Hello ", plain);
    LogFont f = Font("Arial", -100);
    f.width = 44;  // 904 units at 100 pixels
    m.Advances(f, 96, u"Hello ", natural);
    f.width = 22;
    m.Advances(f, 96, u"Hello ", half);
    ASSERT_EQ(natural.size(), plain.size());
    ASSERT_EQ(half.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_NEAR(natural[i] / plain[i], 1.0, 0.02) << i;
        EXPECT_NEAR(half[i] / plain[i], 0.5, 0.01) << i;
    }
    f.width = 44;
    EXPECT_NEAR(m.Metrics(f, 96).averageCharWidth, 44, 0.01);
}

TEST(QtFonts, BoldAndItalicPickTheirOwnFaces) {
    QtTextMeasurer m;
    std::vector<double> regular, bold;
    m.Advances(Font("Arial", -100), 96, u"r", regular);
    m.Advances(Font("Arial", -100, FW_BOLD), 96, u"r", bold);
    EXPECT_NEAR(regular[0], Units(682, 100), 0.05);
    EXPECT_NEAR(bold[0], Units(797, 100), 0.05);
}

TEST(QtFonts, SurrogatePairsGetOneAdvanceAndUnpairedHalvesAreMeasured) {
    QtTextMeasurer m;
    std::vector<double> a;
    m.Advances(Font("Arial", -40), 96, u"a\U0001F600b", a);
    ASSERT_EQ(a.size(), 4u);
    EXPECT_GT(a[1], 0);
    EXPECT_EQ(a[2], 0);
    EXPECT_NEAR(a[3], Units(1139, 40), 0.02);  // "b" after the pair is measured as usual
    const std::u16string lone{u'x', char16_t(0xD800), u'y'};
    m.Advances(Font("Arial", -40), 96, lone, a);
    ASSERT_EQ(a.size(), 3u);
    EXPECT_GT(a[1], 0);
}

TEST(QtFonts, RecordWidthStretchesTheAdvances) {
    QtTextMeasurer m;
    LogFont narrow = Font("Arial", -100);
    const double natural = m.Metrics(narrow, 96).averageCharWidth;
    narrow.width = static_cast<int>(natural / 2);
    std::vector<double> plain, squeezed;
    m.Advances(Font("Arial", -100), 96, u"H", plain);
    m.Advances(narrow, 96, u"H", squeezed);
    EXPECT_NEAR(squeezed[0] / plain[0], narrow.width / natural, 1e-6);
}

}  // namespace
}  // namespace quillon
