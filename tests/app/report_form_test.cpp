// SPDX-License-Identifier: GPL-2.0-or-later
// The report form copies what the calculator shows into its labels, in its own layout.

#include <gtest/gtest.h>

#include <memory>

#include "app/Ptr.h"
#include "tests/app/calc_fixture.h"

namespace quillon::testing {
namespace {

class ReportFormTest : public CalcWindowTest {
  protected:
    std::unique_ptr<TPrintFrm> Report() { return std::make_unique<TPrintFrm>(nullptr); }
};

TEST_F(ReportFormTest, CopiesTheAnalysisOfGoldenRiver) {
    data->InputText("golden river 7");
    auto report = Report();
    EXPECT_EQ(report->Caption(), "Print Format");
    EXPECT_FALSE(report->Visible());
    EXPECT_EQ(report->Label1->Caption(), "GOLDEN RIVER 7");
    EXPECT_EQ(report->Data->Caption(), ":  GOLDEN RIVER 7");
    EXPECT_EQ(report->Vowels->Caption(), ":  " + calc->Vowels->Text());
    EXPECT_EQ(report->Constants->Caption(), ":  " + calc->Constants->Text());
    EXPECT_EQ(report->Label13->Caption(), calc->MthBtn->Caption());
    EXPECT_EQ(report->Vtot->Caption(), "25");
    EXPECT_EQ(report->Vtot1->Caption(), "7");
    EXPECT_EQ(report->Total->Caption(), "73");
    EXPECT_EQ(report->Tot1->Caption(), "10");
    EXPECT_EQ(report->Tot2->Caption(), "1");
    EXPECT_EQ(report->Ctot->Caption(), "41");
    EXPECT_EQ(report->Ctot1->Caption(), "5");
    // The grid: 0 0 1 2 3 1 1 0 3 in all, 11 altogether.
    const char* totals[] = {"0", "0", "1", "2", "3", "1", "1", "0", "3"};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(report->T[i]->Caption(), totals[i]) << i;
    EXPECT_EQ(report->vvt->Caption(), "4");
    EXPECT_EQ(report->cct->Caption(), "7");
    EXPECT_EQ(report->ttt->Caption(), "11");
    // No sum has equal digits but the grid total, which is not a sum: all sums regular.
    for (TLabel* l : {report->Vtot, report->Total, report->Ctot, report->Tot1})
        EXPECT_FALSE(l->Font().Style().Contains(fsBold)) << l->Name();
}

TEST_F(ReportFormTest, EqualDigitSumsPrintBoldAndOthersRegular) {
    data->InputText("IIIAA");  // 9 + 9 + 9 + 1 + 1 = 29 -> 11 -> 2
    auto report = Report();
    EXPECT_EQ(report->Vtot->Caption(), "29");
    EXPECT_EQ(report->Vtot1->Caption(), "11");
    EXPECT_TRUE(report->Vtot1->Font().Style().Contains(fsBold));
    EXPECT_EQ(report->Vtot2->Caption(), "2");
    EXPECT_FALSE(report->Vtot2->Font().Style().Contains(fsBold));
    EXPECT_FALSE(report->Vtot->Font().Style().Contains(fsBold));
}

TEST_F(ReportFormTest, AnEmptyNameGivesPrefixesZerosAndAnEmptyTitle) {
    auto report = Report();
    EXPECT_EQ(report->Label1->Caption(), "");
    EXPECT_EQ(report->Data->Caption(), ":  ");
    EXPECT_EQ(report->Vowels->Caption(), ":  ");
    EXPECT_EQ(report->Vtot->Caption(), "0");
    EXPECT_EQ(report->Total->Caption(), "0");
    EXPECT_EQ(report->Vtot1->Caption(), "");
    for (int i = 0; i < 9; ++i) EXPECT_EQ(report->T[i]->Caption(), "0");
}

TEST_F(ReportFormTest, AVowelYPrintsUpperCaseInTheTitleAndData) {
    AnswerYes();
    data->InputText("may");
    ASSERT_EQ(data->Text(), "MAy");
    auto report = Report();
    EXPECT_EQ(report->Label1->Caption(), "MAY");
    EXPECT_EQ(report->Data->Caption(), ":  MAY");
    EXPECT_EQ(report->Vowels->Caption(), ":  " + calc->Vowels->Text());
}

TEST_F(ReportFormTest, TheLayoutIsTheReportsOwn) {
    auto report = Report();
    TPanel* panel = report->Panel1;
    EXPECT_EQ(panel->Left(), 0);
    EXPECT_EQ(panel->Top(), 8);
    EXPECT_EQ(panel->Width(), 780);
    EXPECT_EQ(panel->Height(), 861);
    EXPECT_EQ(panel->Color(), clWhite);
    EXPECT_EQ(report->Data->Font().Name(), "Courier New");
    EXPECT_EQ(report->Data->Font().Height(), -19);
    EXPECT_EQ(report->Ctot2->Left(), 629);
    EXPECT_EQ(report->Ctot2->Top(), 137);
    EXPECT_EQ(report->Ctot2->Alignment(), taRightJustify);
    // Thirteen full writing lines, 40 pixels apart, grey pen, black brush.
    int lines = 0;
    for (int i = 0; i < panel->ControlCount(); ++i) {
        auto* s = dynamic_cast<TShape*>(panel->Controls(i));
        if (!s || s->Width() != 650) continue;
        EXPECT_EQ(s->Left(), 25);
        EXPECT_EQ(s->Top(), 362 + 40 * lines);
        EXPECT_EQ(s->Height(), 1);
        EXPECT_EQ(s->Pen().Color(), clGray);
        EXPECT_EQ(s->Brush().Color(), clBlack);
        ++lines;
    }
    EXPECT_EQ(lines, 13);
}

}  // namespace
}  // namespace quillon::testing
