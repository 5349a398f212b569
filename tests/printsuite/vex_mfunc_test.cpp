// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/base/Vex_MFunc.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/sys/string_table.h"
#include "platform/sys/temp_dir.h"
#include "tests/support/page_dir_base.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

TEST(VexArithmetic, RoundDivTiesToEvenAndTruncDivTowardZero) {
    EXPECT_EQ(RoundDiv(5, 2), 2);
    EXPECT_EQ(RoundDiv(7, 2), 4);
    EXPECT_EQ(RoundDiv(-5, 2), -2);
    EXPECT_EQ(RoundDiv(10, 3), 3);
    EXPECT_EQ(TruncDiv(7, 2), 3);
    EXPECT_EQ(TruncDiv(-7, 2), -3);
    EXPECT_EQ(TruncDiv(7, 0), 0);
    EXPECT_EQ(TruncDiv(INT32_MIN, -1), INT32_MAX);
    EXPECT_EQ(IntToReal(-3), -3.0);
}

TEST(VexArithmetic, SetMetricUnitsReturnsItsArgument) {
    EXPECT_EQ(SetMetricUnits(5), 5);
    EXPECT_TRUE(MetricUnits());
    EXPECT_EQ(SetMetricUnits(0), 0);
    EXPECT_FALSE(MetricUnits());
}

TEST(VexText, TrimsOnlySpaces) {
    std::string s = "ab  ";
    TrimTrailingSpaces(s);
    EXPECT_EQ(s, "ab");
    s = "   ";
    TrimTrailingSpaces(s);
    EXPECT_EQ(s, "   ");
    s = "ab\t";
    TrimTrailingSpaces(s);
    EXPECT_EQ(s, "ab\t");
    s = "  a b ";
    TrimLeadingSpaces(s);
    EXPECT_EQ(s, "a b ");
    s = "\t a";
    TrimLeadingSpaces(s);
    EXPECT_EQ(s, "\t a");
    s = "  ";
    TrimLeadingSpaces(s);
    EXPECT_EQ(s, "  ");
}

TEST(VexText, NumericText) {
    EXPECT_TRUE(IsNumericText("123"));
    EXPECT_TRUE(IsNumericText("1.5"));
    EXPECT_TRUE(IsNumericText(""));
    EXPECT_FALSE(IsNumericText("-1"));
    EXPECT_FALSE(IsNumericText("1,5"));
    EXPECT_FALSE(IsNumericText("1 "));
}

TEST(ShowOnPage, EachSettingOnFirstMiddleAndLastPages) {
    // Pages 1, 2 and 3 of a three-page job, and the only page of a one-page job.
    struct Case {
        TShow show;
        bool first, middle, last, only;
    } cases[] = {
        {tFirstPage, true, false, false, true},
        {tLastPage, false, false, true, true},
        {tAllPages, true, true, true, true},
        {tAllButFirst, false, true, true, false},
        {tAllButLast, true, true, false, false},
        {tFirstAndlast, true, false, true, true},
        {tAllButFirstAndLast, false, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.show));
        EXPECT_EQ(ShowOnPage(c.show, 1, false), c.first);
        EXPECT_EQ(ShowOnPage(c.show, 2, false), c.middle);
        EXPECT_EQ(ShowOnPage(c.show, 3, true), c.last);
        EXPECT_EQ(ShowOnPage(c.show, 1, true), c.only);
    }
}

TEST(PageFileNames, PaddedToThreeDigitsNeverCut) {
    EXPECT_EQ(PageFileBaseName(1, poViewer), "PRN001.EMF");
    EXPECT_EQ(PageFileBaseName(1, poPrinter), "PRN001.EMF");
    EXPECT_EQ(PageFileBaseName(12, poHTML), "PRN012.HTM");
    EXPECT_EQ(PageFileBaseName(999, poPrinter), "PRN999.EMF");
    EXPECT_EQ(PageFileBaseName(1000, poPrinter), "PRN1000.EMF");
    EXPECT_EQ(PageFileBaseName(1234, poViewer), "PRN1234.EMF");
}

TEST(PageFileNames, OneSeparatorBetweenDirectoryAndName) {
    EXPECT_EQ(PageFileNameIn("/tmp/q", 7, poViewer), "/tmp/q/PRN007.EMF");
    EXPECT_EQ(PageFileNameIn("/tmp/q/", 7, poHTML), "/tmp/q/PRN007.HTM");
    EXPECT_EQ(PageFileNameIn("", 7, poViewer), "PRN007.EMF");
}

class PageFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(base_.empty());
        dir_ = ProcessTempDir().value();
        ASSERT_FALSE(dir_.empty());
    }
    void Touch(int n, TSendTo kind = poViewer) {
        std::ofstream(PageFileName(n, kind)) << "page " << n;
    }
    testing::ScopedPageDirBase scope_;
    const std::string& base_ = scope_.Path();
    std::string dir_;
};

TEST_F(PageFiles, NamedInsideTheProcessDirectory) {
    EXPECT_EQ(PageFileName(7, poViewer), dir_ + "/PRN007.EMF");
    EXPECT_EQ(PageFileName(7, poHTML), dir_ + "/PRN007.HTM");
}

TEST_F(PageFiles, DeletionStopsAtTheFirstMissingNumber) {
    for (int n : {1, 2, 3, 5}) Touch(n);
    EXPECT_EQ(DeletePageFiles(poViewer), 3);
    for (int n : {1, 2, 3}) EXPECT_FALSE(fs::exists(PageFileName(n, poViewer))) << n;
    EXPECT_TRUE(fs::exists(PageFileName(5, poViewer)));
    // Nothing to delete: page 1 is missing, so page 5 stays.
    EXPECT_EQ(DeletePageFiles(poViewer), 0);
    EXPECT_TRUE(fs::exists(PageFileName(5, poViewer)));
}

TEST_F(PageFiles, DeletionKeepsToItsKind) {
    Touch(1, poViewer);
    Touch(1, poHTML);
    Touch(2, poHTML);
    EXPECT_EQ(DeletePageFiles(poHTML), 2);
    EXPECT_TRUE(fs::exists(PageFileName(1, poViewer)));
    // Printer and viewer jobs share the EMF names.
    EXPECT_EQ(DeletePageFiles(poPrinter), 1);
    EXPECT_FALSE(fs::exists(PageFileName(1, poViewer)));
}

TEST_F(PageFiles, DeletingALinkLeavesItsTargetAlone) {
    const std::string victim = base_ + "/victim.txt";
    std::ofstream(victim) << "keep me";
    ASSERT_EQ(symlink(victim.c_str(), PageFileName(1, poViewer).c_str()), 0);
    EXPECT_EQ(DeletePageFiles(poViewer), 1);
    EXPECT_FALSE(fs::is_symlink(PageFileName(1, poViewer)));
    std::ifstream in(victim);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "keep me");
}

TEST_F(PageFiles, NoDirectoryMeansNoFileName) {
    SetTempDirBaseForTesting(base_ + "/missing");
    EXPECT_EQ(PageFileName(1, poViewer), "");
    EXPECT_EQ(DeletePageFiles(poViewer), 0);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(LoadSuiteText, DefaultUnlessTheStringTableHoldsTheNumber) {
    EXPECT_EQ(LoadSuiteText(17038, "Print Status"), "Print Status");
    SetResourceString(17038, "Druckstatus");
    EXPECT_EQ(LoadSuiteText(17038, "Print Status"), "Druckstatus");
    SetResourceString(17038, "");
    EXPECT_EQ(LoadSuiteText(17038, "Print Status"), "Print Status");
}

}  // namespace
}  // namespace quillon
