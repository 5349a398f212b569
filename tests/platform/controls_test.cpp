// SPDX-License-Identifier: GPL-2.0-or-later
// The control model without a backend: typing, clicking, focus, modal windows
// answered from scripts, and what a widget peer is told.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/screen.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace quillon {
namespace {

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Headless().Reset();
        Application().ClearTerminated();
        form = std::make_unique<TForm>(nullptr);
        form->SetName("Form1");
        edit = new TEdit(form.get());
        edit->SetName("Data");
        edit->SetParent(form.get());
        ok = new TButton(form.get());
        ok->SetName("OkBtn");
        ok->SetParent(form.get());
    }
    void TearDown() override { Headless().Reset(); }

    std::unique_ptr<TForm> form;
    TEdit* edit = nullptr;
    TButton* ok = nullptr;
    std::vector<std::string> log;
};

TEST_F(ControlsTest, TypedKeysPassOnKeyPressFirstAndMayBeChangedOrSwallowed) {
    edit->OnKeyPress = [&](TObject*, char32_t& key) {
        log.push_back("key " + std::string(1, static_cast<char>(key)) + " text '" + edit->Text() +
                      "'");
        if (key >= U'a' && key <= U'z') key -= 32;  // upper-case
        if (key == U'!') key = 0;                   // swallowed
    };
    edit->OnChange = [&](TObject*) { log.push_back("change '" + edit->Text() + "'"); };
    edit->InputText("ab!c");
    EXPECT_EQ(edit->Text(), "ABC");
    EXPECT_EQ(log, (std::vector<std::string>{"key a text ''", "change 'A'", "key b text 'A'",
                                             "change 'AB'", "key ! text 'AB'", "key c text 'AB'",
                                             "change 'ABC'"}));
    EXPECT_TRUE(edit->Modified());
}

TEST_F(ControlsTest, KeysGoInAtTheCaretAndBackspaceDeletesBeforeIt) {
    edit->SetText("ACD");
    EXPECT_EQ(edit->SelStart(), 3);  // text set by the program puts the caret at the end
    edit->SetSelStart(1);
    edit->InputText("B");
    EXPECT_EQ(edit->Text(), "ABCD");
    EXPECT_EQ(edit->SelStart(), 2);
    edit->InputKeyPress(8);
    edit->InputKeyPress(8);
    EXPECT_EQ(edit->Text(), "CD");
    edit->InputKeyPress(8);  // at the start: nothing
    EXPECT_EQ(edit->Text(), "CD");
    // A selection is replaced by what is typed.
    edit->SetSelStart(0);
    edit->SetSelLength(2);
    edit->InputText("xyz");
    EXPECT_EQ(edit->Text(), "xyz");
    // Delete removes the character after the caret; arrows move it.
    edit->InputKey(VK_HOME);
    edit->InputKey(VK_DELETE);
    EXPECT_EQ(edit->Text(), "yz");
    // Characters are code points, not bytes.
    edit->SetText("\xC3\xA9t\xC3\xA9");
    edit->InputKeyPress(8);
    EXPECT_EQ(edit->Text(), "\xC3\xA9t");
    edit->InputKey(VK_LEFT);
    edit->InputText("\xE2\x82\xAC");
    EXPECT_EQ(edit->Text(),
              "\xC3\xA9\xE2\x82\xAC"
              "t");
}

TEST_F(ControlsTest, MaxLengthLimitsTypingAndPastingButNotTheProgram) {
    edit->SetMaxLength(5);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->InputText("abcdefg");
    EXPECT_EQ(edit->Text(), "abcde");
    EXPECT_EQ(changes, 5);
    edit->SetText("0123456789");  // the program is not limited
    EXPECT_EQ(edit->Text(), "0123456789");
    EXPECT_EQ(changes, 6);
    edit->SetText("ab");
    Clipboard().SetAsText("XYZUVW\nsecond line");
    char32_t taken = edit->InputKeyPress(22);  // Ctrl+V
    EXPECT_EQ(taken, 22u);
    EXPECT_EQ(edit->Text(), "abXYZ");  // cut to the room left
    EXPECT_EQ(edit->InputKeyPress(U'q'), U'q');
    EXPECT_EQ(edit->Text(), "abXYZ");  // full
}

TEST_F(ControlsTest, EveryChangeOfTextFiresOnChangeAlsoFromTheProgramAndNested) {
    // The handler rewrites the text once (as an upper-casing handler does);
    // the nested change finds nothing more to do.
    edit->OnChange = [&](TObject*) {
        log.push_back("change '" + edit->Text() + "'");
        if (edit->Text() != UpperCase(edit->Text())) edit->SetText(UpperCase(edit->Text()));
    };
    edit->SetText("abc");
    EXPECT_EQ(log, (std::vector<std::string>{"change 'abc'", "change 'ABC'"}));
    EXPECT_EQ(edit->Text(), "ABC");
    log.clear();
    edit->SetText("ABC");  // no change: no event
    EXPECT_TRUE(log.empty());
    edit->Clear();
    EXPECT_EQ(log, std::vector<std::string>{"change ''"});
}

TEST_F(ControlsTest, KeysUsedUpOnTheWayDownBringNoCharacter) {
    edit->SetText("ab");
    EXPECT_FALSE(edit->InputKeyDown(VK_LEFT));  // the edit moved its caret itself
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_TRUE(edit->InputKeyDown(VK_F1));  // left to the widget
    edit->OnKeyDown = [](TObject*, std::uint16_t& k, TShiftState) {
        if (k == 'X') k = 0;
    };
    edit->InputKey('X', {}, U'x');
    EXPECT_EQ(edit->Text(), "ab");
    edit->InputKey('Y', {}, U'y');
    EXPECT_EQ(edit->Text(), "ayb");
    // Shift+Insert pastes without passing OnKeyPress.
    bool pressed = false;
    edit->OnKeyPress = [&](TObject*, char32_t&) { pressed = true; };
    Clipboard().SetAsText("Z");
    EXPECT_FALSE(edit->InputKeyDown(VK_INSERT, TShiftState{ssShift}));
    EXPECT_EQ(edit->Text(), "ayZb");
    EXPECT_FALSE(pressed);
}

TEST_F(ControlsTest, ReadOnlyEditsTakeNoKeysButCopy) {
    edit->SetText("fixed");
    edit->SetReadOnly(true);
    edit->InputText("x");
    edit->InputKeyPress(8);
    Clipboard().SetAsText("paste");
    edit->InputKeyPress(22);
    EXPECT_EQ(edit->Text(), "fixed");
    edit->SelectAll();
    edit->InputKeyPress(3);  // Ctrl+C
    EXPECT_EQ(Clipboard().AsText(), "fixed");
}

TEST_F(ControlsTest, ContextMenuPasteComesFromThePeerWithoutKeyPress) {
    bool keyPress = false;
    edit->OnKeyPress = [&](TObject*, char32_t&) { keyPress = true; };
    edit->OnChange = [&](TObject*) { log.push_back(edit->Text()); };
    edit->SetTextFromPeer("pasted", 6, 0);
    EXPECT_FALSE(keyPress);
    EXPECT_EQ(log, std::vector<std::string>{"pasted"});
    EXPECT_EQ(edit->SelStart(), 6);
    edit->SetTextFromPeer("pasted", 2, 3);  // same text: only the selection moves
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(edit->SelText(), "ste");
}

TEST_F(ControlsTest, KeyPreviewLetsTheFormSeeKeysFirst) {
    form->SetKeyPreview(true);
    form->OnKeyPress = [&](TObject* s, char32_t& key) {
        log.push_back(s == form.get() ? "form" : "?");
        if (key == U'x') key = 0;
    };
    edit->OnKeyPress = [&](TObject*, char32_t&) { log.push_back("edit"); };
    edit->InputText("ax");
    EXPECT_EQ(log, (std::vector<std::string>{"form", "edit", "form"}));
    EXPECT_EQ(edit->Text(), "a");
}

TEST_F(ControlsTest, EnterAndEscPressTheDefaultAndCancelButtons) {
    auto* cancel = new TButton(form.get());
    cancel->SetParent(form.get());
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    ok->OnClick = [&](TObject*) { log.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
    bool pressed = false;
    edit->OnKeyPress = [&](TObject*, char32_t&) { pressed = true; };
    form->Show();
    ASSERT_EQ(form->ActiveControl(), edit);
    edit->InputKey(VK_RETURN, {}, U'\r');
    EXPECT_EQ(form->ModalResult(), mrOk);
    form->InputKey(VK_ESCAPE, {}, 27);  // sent to the form: its focused control gets it
    EXPECT_EQ(form->ModalResult(), mrCancel);
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel"}));
    EXPECT_FALSE(pressed);  // dialog keys never reach OnKeyPress
    EXPECT_EQ(edit->Text(), "");
    // An invisible default button is not pressed.
    ok->Hide();
    edit->InputKey(VK_RETURN, {}, U'\r');
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(ControlsTest, AnEditorWidgetGetsTheKeysTheHandlersLeaveAndTheControlDoesNotEdit) {
    // The path of a widget that edits its own text: preview, handler, dialog keys; the
    // model's own editing stays out, and the key as the handlers left it is returned.
    form->SetKeyPreview(true);
    form->OnKeyDown = [&](TObject*, std::uint16_t& key, TShiftState) {
        log.push_back("form down " + std::to_string(key));
        if (key == VK_F1 + 1) key = 0;
    };
    form->OnKeyPress = [&](TObject*, char32_t& key) {
        log.push_back("form press " + std::to_string(static_cast<int>(key)));
    };
    edit->OnKeyPress = [&](TObject*, char32_t& key) {
        if (key >= U'a' && key <= U'z') key -= 32;
        if (key == U'!') key = 0;
    };
    edit->SetText("AB");
    edit->SetSelStart(2);
    EXPECT_EQ(edit->InputKeyDownHandlers(VK_LEFT, {ssCtrl}), VK_LEFT);
    EXPECT_EQ(edit->SelStart(), 2);  // the widget moves the caret, not the model
    EXPECT_EQ(edit->InputKeyDownHandlers(VK_F1 + 1), 0);
    EXPECT_EQ(edit->InputKeyPressHandlers(U'c'), U'C');
    EXPECT_EQ(edit->InputKeyPressHandlers(U'!'), 0u);
    EXPECT_EQ(edit->InputKeyPressHandlers(26), 26u);  // Ctrl+Z goes on to the widget
    EXPECT_EQ(edit->Text(), "AB");                    // nothing typed by the model
    EXPECT_EQ(log, (std::vector<std::string>{"form down 37", "form down 113", "form press 99",
                                             "form press 33", "form press 26"}));
    // Enter still presses the default button on this path.
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    form->Show();
    EXPECT_EQ(edit->InputKeyDownHandlers(VK_RETURN), 0);
    EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(ControlsTest, F1OpensTheHelpWhereTheProgramHasOne) {
    const std::string before = Application().HelpFile();
    Application().SetHelpFile("");
    EXPECT_TRUE(edit->InputKeyDown(VK_F1));  // no help: the key goes on
    EXPECT_TRUE(Headless().helpRequests.empty());
    Application().SetHelpFile("tessel.hlp");
    EXPECT_FALSE(edit->InputKeyDown(VK_F1));
    ASSERT_EQ(Headless().helpRequests.size(), 1u);
    EXPECT_EQ(Headless().helpRequests[0].second, "IDH_CONTENTS");
    Application().SetHelpFile(before);
}

TEST_F(ControlsTest, FocusFollowsTabOrderWithEnterAndExit) {
    auto* second = new TEdit(form.get());
    second->SetName("Second");
    second->SetParent(form.get());
    auto* readOnly = new TEdit(form.get());
    readOnly->SetParent(form.get());
    readOnly->SetTabStop(false);
    second->SetTabOrder(0);  // before Data now
    EXPECT_EQ(second->TabOrder(), 0);
    EXPECT_EQ(edit->TabOrder(), 1);
    EXPECT_EQ(ok->TabOrder(), 2);
    edit->OnEnter = [&](TObject*) { log.push_back("enter Data"); };
    edit->OnExit = [&](TObject*) { log.push_back("exit Data"); };
    second->OnEnter = [&](TObject*) { log.push_back("enter Second"); };
    second->OnExit = [&](TObject*) { log.push_back("exit Second"); };
    EXPECT_THROW(edit->SetFocus(), EInvalidOperation);  // the form is hidden
    form->Show();
    EXPECT_EQ(form->ActiveControl(), second);
    form->InputKey(VK_TAB);
    EXPECT_EQ(form->ActiveControl(), edit);
    form->InputKey(VK_TAB);
    EXPECT_EQ(form->ActiveControl(), ok);
    form->InputKey(VK_TAB);  // the read-only edit without tab stop is skipped
    EXPECT_EQ(form->ActiveControl(), second);
    form->InputKey(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(form->ActiveControl(), ok);
    EXPECT_EQ(log, (std::vector<std::string>{"enter Second", "exit Second", "enter Data",
                                             "exit Data", "enter Second", "exit Second"}));
    // Clicking a button focuses it; hiding the focused control drops the focus.
    edit->SetFocus();
    ok->InputClick();
    EXPECT_EQ(form->ActiveControl(), ok);
    ok->Hide();
    EXPECT_EQ(form->ActiveControl(), nullptr);
    // Destroying the focused control leaves no dangling focus.
    edit->SetFocus();
    delete edit;
    EXPECT_EQ(form->ActiveControl(), nullptr);
}

TEST_F(ControlsTest, ModalWindowsAreAnsweredFromScripts) {
    TForm question(nullptr);
    question.SetName("YFrm");
    auto* yes = new TButton(&question);
    yes->SetParent(&question);
    auto* no = new TButton(&question);
    no->SetParent(&question);
    no->SetCancel(true);
    int answer = 0;
    yes->OnClick = [&](TObject*) {
        answer = 1;
        question.Close();
    };
    no->OnClick = [&](TObject*) { question.Close(); };
    int activations = 0;
    question.OnActivate = [&](TObject*) {
        ++activations;
        Beep();
    };
    form->Show();
    int formActivations = 0;
    form->OnActivate = [&](TObject*) { ++formActivations; };

    Headless().modalScripts.push_back([&](TCustomForm& f) {
        EXPECT_EQ(&f, &question);
        EXPECT_TRUE(f.Visible());
        EXPECT_EQ(Application().ActiveForm(), &question);
        yes->InputClick();
    });
    EXPECT_EQ(question.ShowModal(), mrCancel);  // closed by its handler
    EXPECT_EQ(answer, 1);
    EXPECT_FALSE(question.Visible());
    EXPECT_EQ(Application().ActiveForm(), form.get());
    EXPECT_EQ(formActivations, 1);  // the calling form is active again

    answer = 0;
    Headless().modalScripts.push_back([&](TCustomForm& f) { f.InputKey(VK_ESCAPE, {}, 27); });
    EXPECT_EQ(question.ShowModal(), mrCancel);
    EXPECT_EQ(answer, 0);

    // No script: closed as by the title bar.
    EXPECT_EQ(question.ShowModal(), mrCancel);
    EXPECT_EQ(activations, 3);
    EXPECT_EQ(Headless().beeps, 3);
    EXPECT_EQ(Headless().modalForms, (std::vector<std::string>{"YFrm", "YFrm", "YFrm"}));

    // A button's ModalResult ends the showing with that result.
    yes->SetModalResult(mrYes);
    yes->OnClick = nullptr;
    Headless().modalScripts.push_back([&](TCustomForm&) { yes->InputClick(); });
    EXPECT_EQ(question.ShowModal(), mrYes);

    // OnCloseQuery may refuse; the script's next step then decides.
    bool allow = false;
    question.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
    Headless().modalScripts.push_back([&](TCustomForm& f) {
        yes->InputClick();
        EXPECT_FALSE(f.ModalEnded());
        allow = true;
        yes->InputClick();
    });
    EXPECT_EQ(question.ShowModal(), mrYes);

    question.Show();
    EXPECT_THROW(question.ShowModal(), EInvalidOperation);
}

TEST_F(ControlsTest, ExceptionsFromHandlersGoToTheDefaultHandler) {
    Application().SetTitle("Quillon");
    ok->OnClick = [&](TObject*) { StrToInt("12x"); };
    ok->InputClick();
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, "'12x' is not a valid integer value.");
    EXPECT_EQ(Headless().boxes[0].caption, "Quillon");
    EXPECT_EQ(Headless().boxes[0].flags, MB_OK | MB_ICONERROR);
    // A program's own call raises to its caller.
    EXPECT_THROW(ok->Click(), EConvertError);
    // OnException replaces the box.
    std::string seen;
    Application().OnException = [&](TObject*, const std::exception& e) { seen = e.what(); };
    ok->InputClick();
    EXPECT_EQ(seen, "'12x' is not a valid integer value");
    EXPECT_EQ(Headless().boxes.size(), 1u);
    Application().OnException = nullptr;
}

TEST_F(ControlsTest, DisabledControlsIgnoreTheUser) {
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    ok->SetEnabled(false);
    ok->InputClick();
    EXPECT_EQ(clicks, 0);
    ok->SetEnabled(true);
    form->SetEnabled(false);
    ok->InputClick();
    EXPECT_EQ(clicks, 0);
    form->SetEnabled(true);
    ok->InputClick();
    ok->InputKeyPress(U' ');  // space presses a focused button
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, CheckBoxesRadioButtonsAndGroups) {
    auto* check = new TCheckBox(form.get());
    check->SetParent(form.get());
    check->OnClick = [&](TObject*) { log.push_back(check->Checked() ? "checked" : "unchecked"); };
    check->InputClick();
    check->SetChecked(false);  // the program's change fires OnClick too
    check->SetChecked(false);
    EXPECT_EQ(log, (std::vector<std::string>{"checked", "unchecked"}));
    check->SetAllowGrayed(true);
    check->Toggle();
    EXPECT_EQ(check->State(), cbGrayed);

    auto* a = new TRadioButton(form.get());
    a->SetParent(form.get());
    auto* b = new TRadioButton(form.get());
    b->SetParent(form.get());
    auto* group = new TPanel(form.get());
    group->SetParent(form.get());
    auto* c = new TRadioButton(form.get());
    c->SetParent(group);  // another parent: another group
    a->SetChecked(true);
    c->SetChecked(true);
    b->InputClick();
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(c->Checked());

    auto* radios = new TRadioGroup(form.get());
    radios->SetParent(form.get());
    radios->Items().SetText("One\nTwo\nThree\n");
    int clicks = 0;
    radios->OnClick = [&](TObject*) { ++clicks; };
    radios->InputSelectItem(2);
    EXPECT_EQ(radios->ItemIndex(), 2);
    radios->SetItemIndex(7);  // past the end: the last one
    EXPECT_EQ(radios->ItemIndex(), 2);
    radios->SetItemIndex(-1);
    EXPECT_EQ(clicks, 2);
    radios->Items().Delete(0);
    EXPECT_EQ(radios->Items().Count(), 2);
}

TEST_F(ControlsTest, ComboBoxSelectionAndTyping) {
    auto* combo = new TComboBox(form.get());
    combo->SetParent(form.get());
    combo->Items().SetText("250%\n100%\n50%\nPage Width\n");
    combo->OnClick = [&](TObject*) { log.push_back("click " + combo->Text()); };
    combo->OnChange = [&](TObject*) { log.push_back("change " + combo->Text()); };
    combo->SetItemIndex(1);  // the program: no events
    EXPECT_EQ(combo->Text(), "100%");
    combo->InputSelectItem(3);
    EXPECT_EQ(combo->ItemIndex(), 3);
    combo->SetStyle(csDropDownList);
    combo->InputText("p");  // the entry after the current one starting with P: itself, no change
    combo->InputText("5");
    EXPECT_EQ(combo->Text(), "50%");
    EXPECT_EQ(log, (std::vector<std::string>{"click Page Width", "change Page Width", "click 50%",
                                             "change 50%"}));
    combo->SetStyle(csDropDown);
    combo->InputText("!");
    EXPECT_EQ(combo->Text(), "50%!");
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(ControlsTest, MemoLinesAndTextStayInStep) {
    auto* memo = new TMemo(form.get());
    memo->SetParent(form.get());
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->Lines().Add("first");
    memo->Lines().Add("second");
    EXPECT_EQ(memo->Text(), "first\nsecond");
    EXPECT_EQ(changes, 2);
    memo->InputKey(VK_RETURN, {}, U'\r');  // a memo takes Enter
    memo->InputText("third");
    EXPECT_EQ(memo->Lines().Lines(), (std::vector<std::string>{"first", "second", "third"}));
    memo->SetText("a\r\nb");
    EXPECT_EQ(memo->Lines().Count(), 2);
    Clipboard().SetAsText("x\r\ny");
    memo->InputKeyPress(22);
    EXPECT_EQ(memo->Text(), "a\r\nbx\ny");
}

TEST_F(ControlsTest, MaskEditsFollowTheirMask) {
    auto* mask = new TMaskEdit(form.get());
    mask->SetParent(form.get());
    mask->SetEditMask("!99/99/0000;1;_");
    EXPECT_EQ(mask->EditText(), "__/__/____");
    mask->InputText("12a3");  // 'a' does not fit a digit position
    EXPECT_EQ(mask->EditText(), "12/3_/____");
    EXPECT_EQ(mask->Text(), "12/3 /    ");
    EXPECT_FALSE(mask->ValidateEdit());
    mask->InputText("41999");
    EXPECT_EQ(mask->EditText(), "12/34/1999");
    EXPECT_TRUE(mask->ValidateEdit());
    mask->InputKeyPress(8);
    EXPECT_EQ(mask->EditText(), "12/34/199_");
    mask->SetEditMask(">LL-000;0;*");
    mask->SetText("ab123");
    EXPECT_EQ(mask->EditText(), "AB-123");
    EXPECT_EQ(mask->Text(), "AB123");
}

TEST_F(ControlsTest, StringGridCellsAndSizes) {
    auto* grid = new TStringGrid(form.get());
    grid->SetParent(form.get());
    grid->SetColCount(3);
    grid->SetRowCount(4);
    grid->SetCells(2, 3, "last");
    EXPECT_EQ(grid->Cells(2, 3), "last");
    EXPECT_EQ(grid->Cells(5, 5), "");
    EXPECT_THROW(grid->SetCells(3, 0, "x"), EListError);
    grid->SetColWidths(0, 30);
    EXPECT_EQ(grid->CellRect(1, 1), Rect(31, 25, 95, 49));
    int col = -1, row = -1;
    ASSERT_TRUE(grid->MouseToCell(100, 60, col, row));
    EXPECT_EQ(col, 2);
    EXPECT_EQ(row, 2);
    grid->InputMouseDown(mbLeft, {}, 100, 60);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 2);
    grid->SetRowCount(2);  // shrinking keeps the current cell inside
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Rows(1).size(), 3u);
}

TEST_F(ControlsTest, AlignedPanelsFillTheirParent) {
    form->SetClientWidth(333);
    form->SetClientHeight(372);
    auto* top = new TPanel(form.get());
    top->SetParent(form.get());
    top->SetBounds(5, 5, 10, 41);
    top->SetAlign(alTop);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 333, 41));
    auto* rest = new TPanel(form.get());
    rest->SetParent(form.get());
    rest->SetAlign(alClient);
    EXPECT_EQ(rest->BoundsRect(), Rect(0, 41, 333, 372));
    form->SetClientWidth(400);
    EXPECT_EQ(top->Width(), 400);
    EXPECT_EQ(rest->Width(), 400);
    // A bordered panel's children sit inside its 2-pixel edge.
    rest->SetBorderStyle(bsSingle);
    EXPECT_EQ(rest->ClientWidth(), 396);
    auto* child = new TLabel(form.get());
    child->SetParent(rest);
    child->SetBounds(3, 4, 10, 10);
    EXPECT_EQ(child->ClientOrigin(), (TPoint{5, 47}));
}

TEST_F(ControlsTest, FormsCentreOnTheScreenAndKeepTheirClientSize) {
    form->SetBorderStyle(bsSingle);
    form->SetClientWidth(584);
    form->SetClientHeight(328);
    EXPECT_EQ(form->Width(), 590);
    EXPECT_EQ(form->Height(), 353);
    form->SetBorderStyle(bsDialog);
    EXPECT_EQ(form->ClientWidth(), 584);
    form->SetPosition(poScreenCenter);
    form->Show();
    EXPECT_EQ(form->Left(), (Screen().Width() - 590) / 2);
    EXPECT_EQ(form->Top(), (Screen().Height() - 353) / 2);
}

TEST_F(ControlsTest, MainFormCloseTerminatesOthersHide) {
    TForm other(nullptr);
    other.Show();
    TCloseAction seen = caNone;
    other.OnClose = [&](TObject*, TCloseAction& action) { seen = action; };
    other.Close();
    EXPECT_EQ(seen, caHide);
    EXPECT_FALSE(other.Visible());
    Application().SetMainForm(form.get());
    form->Show();
    form->Close();
    EXPECT_TRUE(Application().Terminated());
    Application().SetMainForm(nullptr);
    Application().ClearTerminated();
}

TEST_F(ControlsTest, ReleaseDestroysTheFormAfterTheEvent) {
    auto* temp = new TForm(nullptr);
    bool destroyed = false;
    temp->OnDestroy = [&](TObject*) { destroyed = true; };
    auto* closer = new TButton(temp);
    closer->SetParent(temp);
    closer->OnClick = [&](TObject*) { temp->Release(); };
    closer->InputClick();
    EXPECT_FALSE(destroyed);  // still inside its event
    Application().ProcessMessages();
    EXPECT_TRUE(destroyed);
}

// A peer that records what the model tells it.
class RecordingPeer : public ControlPeer {
  public:
    RecordingPeer(TControl& c, std::vector<std::string>& log) : control_(c), log_(log) {}
    ~RecordingPeer() override { log_.push_back("gone " + control_.Name()); }
    void Changed(TPeerChange what) override {
        if (what == TPeerChange::Text)
            log_.push_back("text " + control_.Name() + " '" + control_.Text() + "'");
        if (what == TPeerChange::Visible) log_.push_back("visible " + control_.Name());
        if (what == TPeerChange::Bounds) log_.push_back("bounds " + control_.Name());
    }
    void SetFocus() override { log_.push_back("focus " + control_.Name()); }

  private:
    TControl& control_;
    std::vector<std::string>& log_;
};

class RecordingDesktop : public HeadlessDesktop {
  public:
    std::unique_ptr<ControlPeer> CreatePeer(TControl& c) override {
        log.push_back("peer " + c.Name());
        return std::make_unique<RecordingPeer>(c, log);
    }
    std::vector<std::string> log;
};

TEST_F(ControlsTest, PeersAreMadeWhenTheFormIsShownAndToldOfEveryChange) {
    RecordingDesktop desktop;
    ScopedDesktopBackend scope(&desktop);
    edit->SetText("before");  // not realised yet: nobody to tell
    EXPECT_TRUE(desktop.log.empty());
    form->Show();
    EXPECT_EQ(desktop.log, (std::vector<std::string>{"peer Form1", "peer Data", "peer OkBtn",
                                                     "visible Form1", "focus Data"}));
    desktop.log.clear();
    edit->SetSelStart(6);  // entering selected everything
    edit->InputText("!");
    edit->SetTextFromPeer("before!?", 8, 0);  // echoes back: the peer compares
    EXPECT_EQ(desktop.log,
              (std::vector<std::string>{"text Data 'before!'", "text Data 'before!?'"}));
    desktop.log.clear();
    // A control added to a shown form gets its widget at once; one leaving goes first.
    auto* late = new TLabel(form.get());
    late->SetName("Late");
    late->SetParent(form.get());
    delete ok;
    EXPECT_EQ(desktop.log, (std::vector<std::string>{"peer Late", "gone OkBtn"}));
    desktop.log.clear();
    form.reset();
    // Children's widgets go before the form's.
    ASSERT_EQ(desktop.log.size(), 3u);
    EXPECT_EQ(desktop.log.back(), "gone Form1");
}

}  // namespace
}  // namespace quillon
