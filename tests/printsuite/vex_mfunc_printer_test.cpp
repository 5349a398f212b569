// SPDX-License-Identifier: GPL-2.0-or-later
// Conversions and printer checks against the printer doubles.
#include <gtest/gtest.h>

#include "printsuite/base/Vex_MFunc.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

using Conversions = testing::GdiTest;

TEST_F(Conversions, UnitsToPixelsInchesAndCentimetres) {
    SetMetricUnits(0);
    EXPECT_EQ(UnitsToPixels(false, 1.0), 600);
    EXPECT_EQ(UnitsToPixels(true, 0.5), 300);
    EXPECT_EQ(UnitsToPixels(false, -0.1), 0);
    EXPECT_EQ(UnitsToPixels(false, 35000.5), 0);
    EXPECT_DOUBLE_EQ(UnitsToPixelsExact(false, 1.0 / 3.0), 200.0);
    SetMetricUnits(1);
    EXPECT_EQ(UnitsToPixels(false, 2.54), 600);
    EXPECT_EQ(UnitsToPixels(true, 1.0), 236);  // 236.22...
    EXPECT_NEAR(PixelsToUnits(600, false), 2.54, 1e-12);
    SetMetricUnits(0);
    EXPECT_DOUBLE_EQ(PixelsToUnits(300, true), 0.5);
    EXPECT_EQ(PixelsToUnits(-5, false), 0.0);
}

TEST_F(Conversions, UnitsToPixelsRoundsTiesToEven) {
    ASSERT_TRUE(Printer().SetPrinterIndex(k300));
    SetMetricUnits(0);
    // 300 x 0.005 = 1.5 -> 2; 300 x 0.0083333 (2.5) -> 2.
    EXPECT_EQ(UnitsToPixels(false, 0.005), 2);
    EXPECT_EQ(UnitsToPixels(false, 2.5 / 300.0), 2);
    EXPECT_EQ(UnitsToPixels(false, 3.5 / 300.0), 4);
}

TEST_F(Conversions, ScreenToPrinterDropsTheSign) {
    EXPECT_EQ(ScreenToPrinterX(-96), 600);
    EXPECT_EQ(ScreenToPrinterY(96), 600);
    EXPECT_EQ(ScreenToPrinterX(1), 6);  // 6.25
    ASSERT_TRUE(Printer().SetPrinterIndex(kGeneric));
    EXPECT_EQ(ScreenToPrinterX(96), 120);
    EXPECT_EQ(ScreenToPrinterY(96), 144);
}

TEST_F(Conversions, Offset300OnA300PpiPrinterAndOnAGenericOne) {
    ASSERT_TRUE(Printer().SetPrinterIndex(k300));
    EXPECT_FALSE(IsGenericPrinter());
    EXPECT_EQ(Offset300(Axis::Horizontal, 100, 10), 110);
    EXPECT_EQ(Offset300(Axis::Vertical, 100, -10), 90);
    ASSERT_TRUE(Printer().SetPrinterIndex(kLaser));
    EXPECT_EQ(Offset300(Axis::Horizontal, 100, 10), 120);
    ASSERT_TRUE(Printer().SetPrinterIndex(kGeneric));
    EXPECT_TRUE(IsGenericPrinter());
    EXPECT_EQ(Offset300(Axis::Horizontal, 100, 10), 100);
    EXPECT_EQ(Offset300(Axis::Vertical, 100, -10), 100);
}

TEST_F(Conversions, OnlyANameStartingWithGenericIsTextOnly) {
    backend_.AddPrinter("generic lower case", 300, 300, 2400, 3300);
    backend_.AddPrinter("Generi", 300, 300, 2400, 3300);
    backend_.AddPrinter("My Generic", 300, 300, 2400, 3300);
    Printer().Refresh();
    for (int i : {3, 4, 5}) {
        ASSERT_TRUE(Printer().SetPrinterIndex(i));
        EXPECT_FALSE(IsGenericPrinter()) << Printer().PrinterName();
    }
    ASSERT_TRUE(Printer().SetPrinterIndex(kGeneric));
    EXPECT_TRUE(IsGenericPrinter());
}

TEST(ConversionsWithoutPrinters, UseTheScreenResolution) {
    ScopedGraphicsBackend none(nullptr);
    Printer().Refresh();
    EXPECT_FALSE(IsGenericPrinter());
    EXPECT_EQ(UnitsToPixels(false, 1.0), 96);
    EXPECT_EQ(ScreenToPrinterX(-50), 50);
}

}  // namespace
}  // namespace quillon
