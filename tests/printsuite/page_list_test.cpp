// SPDX-License-Identifier: GPL-2.0-or-later
// The page-list syntax of the print options: the integers it takes, the elements and ranges,
// the conversion error's text, and hostile lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printsuite/draw/Addit.h"

namespace quillon {
namespace {

std::string Reason(const Result<int>& r) { return r ? "" : r.error().reason; }

TEST(ListIntegerTest, DecimalWithLeadingSpacesAndASign) {
    EXPECT_EQ(*ParseListInteger("7"), 7);
    EXPECT_EQ(*ParseListInteger("   14"), 14);
    EXPECT_EQ(*ParseListInteger("+3"), 3);
    EXPECT_EQ(*ParseListInteger("-12"), -12);
    EXPECT_EQ(*ParseListInteger("  -0"), 0);
    EXPECT_EQ(*ParseListInteger("2147483647"), 2147483647);
    EXPECT_EQ(*ParseListInteger("-2147483648"), -2147483647 - 1);
}

TEST(ListIntegerTest, DollarHexadecimal) {
    EXPECT_EQ(*ParseListInteger("$A"), 10);
    EXPECT_EQ(*ParseListInteger(" $ff"), 255);
    EXPECT_EQ(*ParseListInteger("$7FFFFFFF"), 2147483647);
}

TEST(ListIntegerTest, EverythingElseIsTheConversionError) {
    EXPECT_EQ(Reason(ParseListInteger("")), "'' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("7 ")), "'7 ' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("x")), "'x' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("   ")), "'   ' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("+")), "'+' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("$")), "'$' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("-$A")), "'-$A' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("$-A")), "'$-A' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("0x10")), "'0x10' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("\t5")), "'\t5' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("1e3")), "'1e3' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("2147483648")), "'2147483648' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("-2147483649")),
              "'-2147483649' is not a valid integer value");
    // Beyond the signed range, also in hexadecimal.
    EXPECT_EQ(Reason(ParseListInteger("$FFFFFFFF")), "'$FFFFFFFF' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("$80000000")), "'$80000000' is not a valid integer value");
    EXPECT_EQ(Reason(ParseListInteger("99999999999999999999999")),
              "'99999999999999999999999' is not a valid integer value");
    const std::string withNul("1\0", 2);
    EXPECT_EQ(Reason(ParseListInteger(withNul)), "'" + withNul + "' is not a valid integer value");
}

// The pages of 1 .. last that the list holds, or the error met first.
std::string Members(const std::string& list, int last) {
    std::string out;
    for (int p = 1; p <= last; ++p) {
        Result<bool> in = PageInList(p, list);
        if (!in) return out + "error at " + std::to_string(p) + ": " + in.error().reason;
        if (*in) out += std::to_string(p) + " ";
    }
    return out;
}

TEST(PageListTest, NumbersAndRanges) {
    EXPECT_EQ(Members("1,2,5,7-14,21", 30), "1 2 5 7 8 9 10 11 12 13 14 21 ");
    EXPECT_EQ(Members("14-7", 30), "");
    EXPECT_EQ(Members("2,2", 5), "2 ");
    EXPECT_EQ(Members("5,1", 5), "1 5 ");
    EXPECT_EQ(Members("7- 14", 20), "7 8 9 10 11 12 13 14 ");
    EXPECT_EQ(Members("$A", 12), "10 ");
    EXPECT_EQ(Members("+3", 5), "3 ");
    EXPECT_EQ(Members("1,2,", 3), "1 2 ");  // a trailing comma ends the list
    EXPECT_EQ(Members("", 3), "");
}

TEST(PageListTest, ErrorsComeWhenTheTestReachesTheElement) {
    EXPECT_EQ(Members("7 -14", 3), "error at 1: '7 ' is not a valid integer value");
    EXPECT_EQ(Members("1,x", 3), "1 error at 2: 'x' is not a valid integer value");
    EXPECT_EQ(Members("1,,3", 3), "1 error at 2: '' is not a valid integer value");
    EXPECT_EQ(Members(",1", 1), "error at 1: '' is not a valid integer value");
    EXPECT_EQ(Members("7-", 1), "error at 1: '' is not a valid integer value");
    EXPECT_EQ(Members("-7", 1), "error at 1: '' is not a valid integer value");
    EXPECT_EQ(Members("1-2-3", 1), "error at 1: '2-3' is not a valid integer value");
}

TEST(PageListTest, TakeListItemTakesOneElementOffItsList) {
    std::string_view list = "3,5-9,x";
    EXPECT_EQ(*TakeListItem(6, list), 2);
    EXPECT_EQ(list, "5-9,x");
    EXPECT_EQ(*TakeListItem(6, list), 1);
    EXPECT_EQ(list, "x");
    Result<int> bad = TakeListItem(6, list);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().reason, "'x' is not a valid integer value");
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(*TakeListItem(6, list), 0);
}

TEST(PageListTest, LongElementsAreCutAndUpperBoundsRead20Characters) {
    // 300 characters: the first 255 are read, and as a number they are out of range.
    const std::string digits(300, '1');
    Result<bool> r = PageInList(1, digits);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().reason, "'" + digits.substr(0, 255) + "' is not a valid integer value");
    // Only the cut part counts: the bad tail beyond 255 characters is never read.
    const std::string padded = std::string(254, ' ') + "4" + "junk";
    EXPECT_TRUE(*PageInList(4, padded));
    // An upper bound is read from at most 20 characters after the dash.
    const std::string bound = "1-" + std::string(19, ' ') + "9" + "x";
    EXPECT_TRUE(*PageInList(9, bound));
    Result<bool> longBound = PageInList(9, "1-" + std::string(20, ' ') + "9");
    ASSERT_FALSE(longBound);
    EXPECT_EQ(longBound.error().reason, "'" + std::string(20, ' ') + "' is not a valid integer value");
}

TEST(PageListTest, HostileLists) {
    // 10,000 elements: a page at the end is found, one beyond is not, and neither copies the
    // list for every element.
    std::string many;
    for (int i = 1; i <= 10000; ++i) many += (i > 1 ? "," : "") + std::to_string(2 * i);
    EXPECT_TRUE(*PageInList(20000, many));
    EXPECT_FALSE(*PageInList(19999, many));
    EXPECT_FALSE(*PageInList(20001, many));
    Result<bool> hex = PageInList(1, "$FFFFFFFF");
    ASSERT_FALSE(hex);
    EXPECT_EQ(hex.error().reason, "'$FFFFFFFF' is not a valid integer value");
    const std::string nul("2\0003", 3);
    Result<bool> withNul = PageInList(2, nul);
    ASSERT_FALSE(withNul);
    EXPECT_EQ(withNul.error().reason, "'" + nul + "' is not a valid integer value");
    EXPECT_TRUE(*PageInList(2147483647, "0-2147483647"));
    EXPECT_FALSE(*PageInList(2147483647, "0-$7FFFFFFE"));
}

}  // namespace
}  // namespace quillon
