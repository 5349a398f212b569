// SPDX-License-Identifier: GPL-2.0-or-later
// The calculator window on the model: typing, the Y question, pastes, the
// system button, colours, Clear, Exit, Help, Print and the links button.

#include <string>
#include <vector>

#include "platform/gdi/printer.h"
#include "tests/app/calc_fixture.h"
#include "tests/support/fake_printer.h"

namespace quillon::testing {
namespace {

// Every field of the window in one line, for exact comparison:
// "vowels|consonants|VTotal VTot1 VTot2|Total Tot1 Tot2|CTotal CTot1 CTot2|
//  V1..V9 vvt|C1..C9 cct|T1..T9 ttt" (reductions as shown, "-" for empty).
std::string Fields(const TCalcFrm& f) {
    auto e = [](const TEdit* edit) {
        return edit->Text().empty() ? std::string("-") : edit->Text();
    };
    std::string s = f.Vowels->Text() + "|" + f.Constants->Text() + "|";
    s += e(f.VTotal) + " " + e(f.VTot1) + " " + e(f.VTot2) + "|";
    s += e(f.Total) + " " + e(f.Tot1) + " " + e(f.Tot2) + "|";
    s += e(f.CTotal) + " " + e(f.CTot1) + " " + e(f.CTot2) + "|";
    auto row = [&](const std::array<TLabel*, 9>& cells, const TLabel* total) {
        for (const TLabel* c : cells) s += c->Caption();
        s += " " + total->Caption() + "|";
    };
    row(f.V, f.vvt);
    row(f.C, f.cct);
    row(f.T, f.ttt);
    return s;
}

const std::string kStartFields = "||0 - -|0 - -|0 - -|000000000 0|000000000 0|000000000 0|";

TEST_F(CalcWindowTest, StartsWithEmptyLinesZeroSumsAndTheFocusInTheNameField) {
    EXPECT_EQ(Fields(*calc), kStartFields);
    EXPECT_EQ(calc->MthBtn->Caption(), "Pythagorean");
    EXPECT_EQ(calc->System(), NumberSystem::Pythagorean);
    EXPECT_EQ(calc->PasteFlag(), 0);
    EXPECT_EQ(calc->ActiveControl(), data);
    EXPECT_EQ(Application().HelpFile(), "tessel.hlp");
}

TEST_F(CalcWindowTest, TypedLettersAreUpperCasedAndEveryKeystrokeShowsTheAnalysis) {
    data->InputText("golden river 7");
    EXPECT_EQ(data->Text(), "GOLDEN RIVER 7");
    EXPECT_EQ(Fields(*calc),
              " 6  5   9 5   |7 34 5 9 4 9  |25 7 -|73 10 1|41 5 -|"
              "000021001 4|001210102 7|001231103 11|");
    // One keystroke less: Backspace reruns the analysis too.
    data->InputKey(VK_BACK, {}, 8);
    EXPECT_EQ(data->Text(), "GOLDEN RIVER ");
    EXPECT_EQ(calc->Total->Text(), "66");
    EXPECT_EQ(calc->Tot1->Text(), "12");
    EXPECT_EQ(calc->Tot2->Text(), "3");
    // Digits and punctuation pass unchanged; nothing but a..z is upper-cased.
    data->SetText("");
    data->InputText("a-b.9é");
    EXPECT_EQ(data->Text(), "A-B.9é");
    EXPECT_TRUE(Headless().modalForms.empty());
}

TEST_F(CalcWindowTest, TheSystemButtonTogglesAndRerunsWithoutTouchingTheName) {
    data->InputText("golden river 7");
    calc->MthBtn->InputClick();
    EXPECT_EQ(calc->MthBtn->Caption(), "Chaldean");
    EXPECT_EQ(calc->System(), NumberSystem::Chaldean);
    EXPECT_EQ(data->Text(), "GOLDEN RIVER 7");
    EXPECT_EQ(Fields(*calc),
              " 7  5   1 5   |3 34 5 2 6 2  |18 9 -|50 5 -|25 7 -|"
              "100020100 4|022111000 7|122131100 11|");
    calc->MthBtn->InputClick();
    EXPECT_EQ(calc->MthBtn->Caption(), "Pythagorean");
    EXPECT_EQ(calc->Total->Text(), "73");
}

TEST_F(CalcWindowTest, SwitchingTheSystemWithAnEmptyNameLeavesTheStartValues) {
    calc->MthBtn->InputClick();
    EXPECT_EQ(calc->MthBtn->Caption(), "Chaldean");
    EXPECT_EQ(Fields(*calc), kStartFields);
    EXPECT_EQ(data->Text(), "");
}

TEST_F(CalcWindowTest, TypedYAsksTheQuestionYesMakesAVowel) {
    data->InputText("ma");
    AnswerYes();
    data->InputText("y");  // lower-case y asks too
    EXPECT_EQ(Headless().modalForms, std::vector<std::string>{"YFrm"});
    EXPECT_EQ(Headless().beeps, 1);
    // The question showed the name with the pending Y at its end.
    EXPECT_EQ(YFrm->Data->Caption(), "MAY");
    EXPECT_FALSE(YFrm->Visible());
    EXPECT_EQ(data->Text(), "MAy");
    EXPECT_EQ(calc->Vowels->Text(), " 17");
    EXPECT_EQ(calc->Constants->Text(), "4  ");
    EXPECT_EQ(calc->YAnswer(), 1);
}

TEST_F(CalcWindowTest, NoEscapeAndTheCloseBoxLeaveAConsonantY) {
    AnswerNo();
    data->InputText("Y");
    EXPECT_EQ(data->Text(), "Y");
    // Esc presses No, the cancel button.
    Headless().modalScripts.push_back([](TCustomForm& f) { f.InputKey(VK_ESCAPE); });
    data->InputText("Y");
    // No script: the window is closed by its title bar.
    data->InputText("Y");
    EXPECT_EQ(data->Text(), "YYY");
    EXPECT_EQ(Headless().modalForms.size(), 3u);
    EXPECT_EQ(Headless().beeps, 3);
    EXPECT_EQ(calc->Vowels->Text(), "   ");
    EXPECT_EQ(calc->Constants->Text(), "777");
    EXPECT_EQ(calc->CTotal->Text(), "21");
    EXPECT_EQ(calc->YAnswer(), 0);
}

TEST_F(CalcWindowTest, TheYAnswerOfOneKeyDoesNotCarryOverToTheNext) {
    AnswerYes();
    data->InputText("Y");
    data->InputText("Y");  // closed by the title bar
    EXPECT_EQ(data->Text(), "yY");
    EXPECT_EQ(calc->Vowels->Text(), "7 ");
    EXPECT_EQ(calc->Constants->Text(), " 7");
}

TEST_F(CalcWindowTest, CtrlVUpperCasesTheWholeFieldTurningAVowelYIntoAConsonant) {
    AnswerYes();
    data->InputText("Y");
    data->InputText("a");
    ASSERT_EQ(data->Text(), "yA");
    Clipboard().SetAsText("bc");
    TypeCtrlV();
    EXPECT_EQ(data->Text(), "YABC");
    EXPECT_EQ(calc->PasteFlag(), 0);
    EXPECT_EQ(calc->Vowels->Text(), " 1  ");
    EXPECT_EQ(calc->Constants->Text(), "7 23");
    EXPECT_EQ(calc->Total->Text(), "13");
}

TEST_F(CalcWindowTest, ContextMenuAndShiftInsertPastesAreLeftAsTheyAre) {
    data->InputText("a");
    // The widget's own paste from its context menu.
    data->SetTextFromPeer("Ayb", 3, 0);
    EXPECT_EQ(data->Text(), "Ayb");
    // Lower-case letters other than y count for nothing; the y is a vowel.
    EXPECT_EQ(calc->Vowels->Text(), "17 ");
    EXPECT_EQ(calc->Constants->Text(), "   ");
    Clipboard().SetAsText("cd");
    data->InputKey(VK_INSERT, TShiftState{ssShift});
    EXPECT_EQ(data->Text(), "Aybcd");
    EXPECT_EQ(calc->Total->Text(), "8");
}

TEST_F(CalcWindowTest, ACtrlVThatPastesNothingLeavesNoFlagBehind) {
    Clipboard().SetAsText("");
    data->InputText("a");
    TypeCtrlV();
    EXPECT_EQ(calc->PasteFlag(), 0);
    // A later Y answered Yes stays a vowel, a later context paste stays as it is.
    AnswerYes();
    data->InputText("Y");
    EXPECT_EQ(data->Text(), "Ay");
    data->SetTextFromPeer("Ayb", 3, 0);
    EXPECT_EQ(data->Text(), "Ayb");
}

TEST_F(CalcWindowTest, ThirtyCharactersAreTheLimitForTypingAndPasting) {
    data->InputText(std::string(29, 'a'));
    Clipboard().SetAsText("bcd");
    TypeCtrlV();
    EXPECT_EQ(data->Text(), std::string(29, 'A') + "B");
    data->InputText("e");
    EXPECT_EQ(data->Text().size(), 30u);
    EXPECT_EQ(calc->VTotal->Text(), "29");
}

TEST_F(CalcWindowTest, EqualDigitNumbersAreRedEverythingElseBlack) {
    // Vowels 9 + 9 + 9 + 1 + 1 = 29, which reduces to 11 and then 2.
    data->InputText("IIIAA");
    EXPECT_EQ(calc->VTotal->Text(), "29");
    EXPECT_EQ(calc->VTot1->Text(), "11");
    EXPECT_EQ(calc->VTot2->Text(), "2");
    EXPECT_EQ(calc->VTotal->Font().Color(), clBlack);
    EXPECT_EQ(calc->VTot1->Font().Color(), clRed);
    EXPECT_EQ(calc->VTot2->Font().Color(), clBlack);
    EXPECT_EQ(calc->Tot1->Font().Color(), clRed);  // the total is 29 too
    EXPECT_EQ(calc->CTotal->Font().Color(), clBlack);
    // Back to black when the text changes again.
    data->SetText("II II");
    EXPECT_EQ(calc->VTotal->Text(), "36");
    EXPECT_EQ(calc->VTot1->Text(), "9");
    EXPECT_EQ(calc->VTot1->Font().Color(), clBlack);
    // Eleven K: a consonant sum of 22 in red, reducing to a black 4.
    data->SetText("KKKKKKKKKKK");
    EXPECT_EQ(calc->CTotal->Text(), "22");
    EXPECT_EQ(calc->CTotal->Font().Color(), clRed);
    EXPECT_EQ(calc->CTot1->Font().Color(), clBlack);
    data->SetText("IIIIIIIIIIIIIIIIIIIIIIIIIIIIII");  // thirty I: 270, 27, 9
    data->SetText("AAAAAAAAAAA");                     // eleven A: 11, 2
    EXPECT_EQ(calc->VTotal->Text(), "11");
    EXPECT_EQ(calc->VTotal->Font().Color(), clRed);
    EXPECT_EQ(calc->VTot1->Text(), "2");
    EXPECT_EQ(calc->VTot1->Font().Color(), clBlack);
    EXPECT_EQ(calc->VTot2->Text(), "");
    EXPECT_EQ(calc->VTot2->Font().Color(), clBlack);
    // Every one of the nine fields has its handler.
    for (TEdit* e : {calc->VTotal, calc->Total, calc->CTotal, calc->VTot1, calc->Tot1, calc->CTot1,
                     calc->VTot2, calc->Tot2, calc->CTot2}) {
        e->SetText("77");
        EXPECT_EQ(e->Font().Color(), clRed) << e->Name();
        e->SetText("111");
        EXPECT_EQ(e->Font().Color(), clBlack) << e->Name();
    }
}

TEST_F(CalcWindowTest, ClearKeepsTheSystemAndPutsTheFocusInTheNameField) {
    calc->MthBtn->InputClick();
    data->InputText("golden river 7");
    calc->ClearBtn->SetFocus();
    calc->ClearBtn->InputClick();
    EXPECT_EQ(data->Text(), "");
    EXPECT_EQ(Fields(*calc), kStartFields);
    EXPECT_EQ(calc->MthBtn->Caption(), "Chaldean");
    EXPECT_EQ(calc->System(), NumberSystem::Chaldean);
    EXPECT_EQ(calc->ActiveControl(), data);
    EXPECT_TRUE(data->Focused());
    // Clearing an empty window changes nothing.
    calc->ClearBtn->InputClick();
    EXPECT_EQ(Fields(*calc), kStartFields);
}

TEST_F(CalcWindowTest, ExitEndsTheProgram) {
    EXPECT_FALSE(Application().Terminated());
    calc->ExitBtn->InputClick();
    EXPECT_TRUE(Application().Terminated());
}

TEST_F(CalcWindowTest, HelpOpensTheContentsTopicOfTheHelpFile) {
    calc->HelpBtn->InputClick();
    ASSERT_EQ(Headless().helpRequests.size(), 1u);
    EXPECT_EQ(Headless().helpRequests[0].first, "tessel.hlp");
    EXPECT_EQ(Headless().helpRequests[0].second, "IDH_CONTENTS");
}

TEST_F(CalcWindowTest, PrintRunsThePrintDialogAndTheChosenPrinterBecomesCurrent) {
    TestGraphicsBackend backend;
    const auto office = backend.AddPrinter("Office", 300, 300, 2400, 3300);
    const auto pdf = backend.AddPrinter("Print to PDF", 600, 600, 5100, 6600);
    ScopedGraphicsBackend scoped(&backend);
    ASSERT_EQ(Printer().PrinterIndex(), 0);

    // Cancelled: nothing changes.
    HeadlessPrintDialogs().answers.push_back(HeadlessPrintDialog::Cancel());
    calc->PrintBtn->InputClick();
    ASSERT_EQ(HeadlessPrintDialogs().showings.size(), 1u);
    EXPECT_EQ(HeadlessPrintDialogs().showings[0].printers,
              (std::vector<std::string>{"Office", "Print to PDF"}));
    EXPECT_EQ(HeadlessPrintDialogs().showings[0].initial.printerIndex, 0);
    EXPECT_EQ(Printer().PrinterIndex(), 0);

    HeadlessPrintDialogs().answers.push_back(
        [](const std::vector<std::string>&, const PrintDialogChoice&) {
            return std::optional<PrintDialogChoice>(PrintDialogChoice{1, poLandscape, 2});
        });
    calc->PrintBtn->InputClick();
    EXPECT_EQ(Printer().PrinterName(), "Print to PDF");
    EXPECT_EQ(calc->PrintDialog1->Copies(), 2);
    // The report printed on the chosen printer, once per copy asked for, in its own (portrait)
    // orientation; no window is left behind and nothing was said (this printer writes no file).
    ASSERT_EQ(pdf->Documents().size(), 2u);
    EXPECT_EQ(pdf->Documents()[0].pages.size(), 1u);
    EXPECT_EQ(pdf->Documents()[0].orientation, poPortrait);
    EXPECT_TRUE(office->Documents().empty());
    EXPECT_EQ(Printer().Orientation(), poPortrait);
    EXPECT_EQ(Application().Forms().size(), 3u);
    EXPECT_TRUE(Headless().boxes.empty());
    Printer().SetOrientation(poPortrait);
    Printer().SetPrinterIndex(-1);
}

TEST_F(CalcWindowTest, TheInternetButtonShowsTheLinksWindowModally) {
    Headless().openResult = true;
    Headless().modalScripts.push_back([](TCustomForm& f) {
        EXPECT_EQ(&f, InternetFrm);
        dynamic_cast<TControl*>(f.FindComponent("Label9"))->InputClick();
        // The window stays open after a click; Esc closes it.
        EXPECT_TRUE(f.Visible());
        f.InputKey(VK_ESCAPE);
    });
    calc->InternetBtn->InputClick();
    EXPECT_EQ(Headless().modalForms, std::vector<std::string>{"InternetFrm"});
    EXPECT_EQ(Headless().openedDocuments,
              std::vector<std::string>{"http://mathworld.wolfram.com/DigitalRoot.html"});
    EXPECT_FALSE(InternetFrm->Visible());
    EXPECT_EQ(InternetFrm->ModalResult(), mrCancel);
}

}  // namespace
}  // namespace quillon::testing
