// SPDX-License-Identifier: GPL-2.0-or-later
// Picture formats and the currency format with given separators and currency.

#include <gtest/gtest.h>

#include "platform/data/db_format.h"

namespace quillon {
namespace {

TFormatSettings Us() { return TFormatSettings{}; }

TFormatSettings German() {
    TFormatSettings fs;
    fs.ThousandSeparator = ".";
    fs.DecimalSeparator = ",";
    fs.CurrencyString = "€";
    fs.CurrencyFormat = 3;
    fs.NegCurrFormat = 8;
    return fs;
}

TEST(FormatFloat, PictureFormats) {
    const TFormatSettings us = Us();
    EXPECT_EQ(FormatFloat("#,##0", 1234, us), "1,234");
    EXPECT_EQ(FormatFloat("#,##0", 1234567, us), "1,234,567");
    EXPECT_EQ(FormatFloat("#,##0", 12, us), "12");
    EXPECT_EQ(FormatFloat("#,##0", 0, us), "0");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, us), "1,234.50");
    EXPECT_EQ(FormatFloat("#,##0.00", -1234.555, us), "-1,234.56");
    EXPECT_EQ(FormatFloat("0.##", 2.5, us), "2.5");
    EXPECT_EQ(FormatFloat("0.##", 2, us), "2");
    EXPECT_EQ(FormatFloat("#.##", 0.5, us), ".5");
    EXPECT_EQ(FormatFloat("000", 7, us), "007");
    EXPECT_EQ(FormatFloat("0.0", -0.04, us), "0.0");  // rounds to zero: no sign
    EXPECT_EQ(FormatFloat("#,##0", 999.5, us), "1,000");
}

TEST(FormatFloat, SectionsAndLiterals) {
    const TFormatSettings us = Us();
    EXPECT_EQ(FormatFloat("0.00;(0.00)", -3.5, us), "(3.50)");
    EXPECT_EQ(FormatFloat("0.00;(0.00)", 3.5, us), "3.50");
    EXPECT_EQ(FormatFloat("#,##0;-#,##0;'zero'", 0, us), "zero");
    EXPECT_EQ(FormatFloat("'No. '0", 12, us), "No. 12");
    EXPECT_EQ(FormatFloat("0 \"kg\"", 3, us), "3 kg");
    EXPECT_EQ(FormatFloat("", 12.25, us), "12.25");
}

TEST(FormatFloat, TheLocaleSeparators) {
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891, German()), "1.234.567,89");
    TFormatSettings none;
    none.ThousandSeparator = "";
    EXPECT_EQ(FormatFloat("#,##0", 1234, none), "1234");
}

TEST(Format, CurrencyAndNumbers) {
    EXPECT_EQ(Format("%m", 1234.5, Us()), "$1,234.50");
    EXPECT_EQ(Format("%m", -1234.5, Us()), "($1,234.50)");
    EXPECT_EQ(Format("%m", 0, Us()), "$0.00");
    EXPECT_EQ(Format("%m", 1234.5, German()), "1.234,50 €");
    EXPECT_EQ(Format("%m", -2, German()), "-2,00 €");
    EXPECT_EQ(Format("%.0m", 1234.5, Us()), "$1,234");  // ties to even
    EXPECT_EQ(Format("%g", 12.5, Us()), "12.5");
    EXPECT_EQ(Format("%g", 1e20, Us()), "1e+20");
    EXPECT_EQ(Format("%n", 1234567.125, Us()), "1,234,567.12");
    EXPECT_EQ(Format("%.1f", 2.25, German()), "2,2");
    EXPECT_EQ(Format("Total: %m (100%%)", 5, Us()), "Total: $5.00 (100%)");
    EXPECT_EQ(Format("%x", 5, Us()), "%x");
}

}  // namespace
}  // namespace quillon
