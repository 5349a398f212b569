// SPDX-License-Identifier: GPL-2.0-or-later
// The print status dialog as a model (no display): its form, texts, scaling and Abort.
#include "printsuite/base/Tallet.h"

#include <gtest/gtest.h>

#include "platform/sys/desktop.h"
#include "platform/sys/string_table.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

class TalletTest : public testing::GdiTest {
  protected:
    void TearDown() override {
        ReleasePrintDialog();
        GdiTest::TearDown();
    }
};

TEST_F(TalletTest, CreatedWithItsFieldsAndTexts) {
    TPrintDialog1* d = CreatePrintDialog();
    ASSERT_EQ(d, PrintDialog1);
    EXPECT_EQ(d->Name(), "PrintDialog1");
    EXPECT_EQ(d->Caption(), "Print Status");
    EXPECT_EQ(d->Label2->Caption(), "Formatting for");
    EXPECT_EQ(d->Label1->Caption(), "Status");
    EXPECT_EQ(d->Label3->Caption(), "Page");
    EXPECT_EQ(d->CancelBtn->Caption(), "&Abort");
    EXPECT_TRUE(d->CancelBtn->Cancel());
    EXPECT_EQ(d->ToPrinter->Text(), "Laser");
    EXPECT_EQ(d->Status->Text(), "Preparing Page");
    EXPECT_FALSE(d->Aborted());
    EXPECT_TRUE(d->Visible());
    EXPECT_EQ(d->ActiveControl(), d->CancelBtn);
    EXPECT_EQ(d->BorderStyle(), bsDialog);
    EXPECT_EQ(d->Position(), poScreenCenter);
    for (TEdit* e : {d->ToPrinter, d->Page, d->Status}) EXPECT_EQ(e->Color(), clSilver);
    EXPECT_EQ(d->Font().Name(), "MS Sans Serif");
    EXPECT_TRUE(d->Font().Style().Contains(fsBold));
    EXPECT_EQ(d->Label2->Font().Name(), "Arial");
    EXPECT_EQ(d->Label2->Font().Color(), clBlack);
    EXPECT_EQ(d->CancelBtn->Font().Name(), "Arial");
}

TEST_F(TalletTest, LaidOutAt120PpiAndScaledWholeToTheScreen) {
    TPrintDialog1* d = CreatePrintDialog();
    // 96 / 120 of the design: the window and everything in it.
    EXPECT_EQ(d->Width(), 318);                                       // 398 x 0.8 = 318.4
    EXPECT_EQ(d->Height(), 203);                                      // 254 x 0.8 = 203.2
    EXPECT_EQ(d->CancelBtn->BoundsRect(), Bounds(243, 141, 60, 26));  // 304 176 75 33 (26.4)
    EXPECT_EQ(d->ToPrinter->BoundsRect(), Bounds(16, 38, 279, 20));   // 20 48 349 25
    EXPECT_EQ(d->Status->BoundsRect(), Bounds(96, 86, 199, 20));      // 120 108 249 25
    EXPECT_EQ(d->Bevel1->BoundsRect(), Bounds(8, 8, 295, 114));       // 10 10 369 143
    EXPECT_EQ(d->Label2->Font().Height(), -12);
    EXPECT_EQ(d->CancelBtn->Font().Height(), -10);  // 10.4
    EXPECT_EQ(d->Font().Height(), -11);             // 11.2
    // The Abort button is inside the window's client area.
    EXPECT_LE(d->CancelBtn->Top() + d->CancelBtn->Height(), d->ClientHeight());
    EXPECT_LE(d->CancelBtn->Left() + d->CancelBtn->Width(), d->ClientWidth());
}

TEST_F(TalletTest, TextsComeFromTheStringTableWhenItHasThem) {
    SetResourceString(17038, "Druckstatus");
    SetResourceString(17041, "A&bbrechen");
    SetResourceString(17044, "Seite wird vorbereitet");
    TPrintDialog1* d = CreatePrintDialog();
    SetResourceString(17038, "");
    SetResourceString(17041, "");
    SetResourceString(17044, "");
    EXPECT_EQ(d->Caption(), "Druckstatus");
    EXPECT_EQ(d->CancelBtn->Caption(), "A&bbrechen");
    EXPECT_EQ(d->Status->Text(), "Seite wird vorbereitet");
    EXPECT_EQ(d->Label1->Caption(), "Status");
}

TEST_F(TalletTest, AbortStopsTheRunningDocumentAndHides) {
    TPrintDialog1* d = CreatePrintDialog();
    ASSERT_TRUE(Printer().BeginDoc());
    d->CancelBtn->InputClick();
    EXPECT_TRUE(d->Aborted());
    EXPECT_FALSE(Printer().Printing());
    ASSERT_EQ(laser_->Documents().size(), 1u);
    EXPECT_TRUE(laser_->Documents()[0].aborted);
    EXPECT_EQ(d->Status->Text(), "Interrupted...Please Wait");
    EXPECT_FALSE(d->Visible());
}

TEST_F(TalletTest, AbortWithoutADocumentOnlySetsTheFlag) {
    TPrintDialog1* d = CreatePrintDialog();
    d->CancelBtn->InputClick();
    EXPECT_TRUE(d->Aborted());
    EXPECT_TRUE(laser_->Documents().empty());
}

TEST_F(TalletTest, EscapePressesAbort) {
    TPrintDialog1* d = CreatePrintDialog();
    d->InputKey(VK_ESCAPE);
    EXPECT_TRUE(d->Aborted());
}

TEST_F(TalletTest, ActivationResetsPrinterStatusAndFlag) {
    TPrintDialog1* d = CreatePrintDialog();
    d->CancelBtn->InputClick();
    ASSERT_TRUE(Printer().SetPrinterIndex(k300));
    d->Status->SetText("Printing...");
    d->Show();
    d->Activate();
    EXPECT_FALSE(d->Aborted());
    EXPECT_EQ(d->ToPrinter->Text(), "Printer300");
    EXPECT_EQ(d->Status->Text(), "Preparing Page");
}

TEST_F(TalletTest, OneDialogAtATimeAndTheReferenceFollowsIt) {
    TPrintDialog1* first = CreatePrintDialog();
    (void)first;
    TPrintDialog1* second = CreatePrintDialog();
    EXPECT_EQ(PrintDialog1, second);
    EXPECT_EQ(Application().FindComponent("PrintDialog1"), second);
    delete second;  // however it goes, the reference does not dangle
    EXPECT_EQ(PrintDialog1, nullptr);
    ReleasePrintDialog();  // nothing left: no effect
    EXPECT_EQ(PrintDialog1, nullptr);
}

}  // namespace
}  // namespace quillon
