// SPDX-License-Identifier: GPL-2.0-or-later
// Typing into the real widgets: keys reach OnKeyPress before the widget takes
// them, pastes through the widget's own means do not, and model and widget
// stay in step both ways.

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/sys/sysutils.h"
#include "tests/platform_qt/qt_host_support.h"

namespace quillon::qttest {
namespace {

std::string Utf8(const QString& s) {
    return s.toStdString();
}

// A name field as the calculator has it: every typed letter upper-cased,
// events recorded in order.
class EditInput : public ::testing::Test {
  protected:
    void SetUp() override {
        edit = form.Add<TEdit>("Data", 24, 97, 358, 30);
        edit->SetMaxLength(30);
        edit->OnKeyPress = [this](TObject*, char32_t& key) {
            log.push_back("key " + std::to_string(static_cast<unsigned>(key)));
            if (key >= U'a' && key <= U'z') key -= 32;
            if (key == U'#') key = 0;  // swallowed
        };
        edit->OnChange = [this](TObject*) { log.push_back("change " + edit->Text()); };
        form->Show();
        line = WidgetAs<QLineEdit>(edit);
        ASSERT_NE(line, nullptr);
        line->setFocus();
        log.clear();
    }

    TestForm form{584, 328};
    TEdit* edit = nullptr;
    QLineEdit* line = nullptr;
    std::vector<std::string> log;
};

TEST_F(EditInput, TypedLettersAreUpperCasedByTheHandlerBeforeTheFieldTakesThem) {
    QTest::keyClicks(line, "ab1");
    EXPECT_EQ(Utf8(line->text()), "AB1");
    EXPECT_EQ(edit->Text(), "AB1");
    const std::vector<std::string> expected{"key 97",    "change A", "key 98",
                                            "change AB", "key 49",   "change AB1"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(edit->SelStart(), 3);
    EXPECT_TRUE(edit->Modified());
}

TEST_F(EditInput, ASwallowedKeyNeverReachesTheField) {
    QTest::keyClicks(line, "a#b");
    EXPECT_EQ(edit->Text(), "AB");
    const std::vector<std::string> expected{"key 97", "change A", "key 35", "key 98", "change AB"};
    EXPECT_EQ(log, expected);
}

TEST_F(EditInput, BackspacePassesTheHandlerAsEightThenDeletes) {
    QTest::keyClicks(line, "xy");
    log.clear();
    QTest::keyClick(line, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "X");
    const std::vector<std::string> expected{"key 8", "change X"};
    EXPECT_EQ(log, expected);
}

TEST_F(EditInput, CtrlVReachesTheHandlerAsTwentyTwoThenPastes) {
    QGuiApplication::clipboard()->setText("paste me");
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "paste me");
    const std::vector<std::string> expected{"key 22", "change paste me"};
    EXPECT_EQ(log, expected);
}

TEST_F(EditInput, ShiftInsertPastesWithoutTheKeyPressHandler) {
    QGuiApplication::clipboard()->setText("abc");
    QTest::keyClick(line, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit->Text(), "abc");
    const std::vector<std::string> expected{"change abc"};
    EXPECT_EQ(log, expected);
}

TEST_F(EditInput, TheContextMenuPasteBypassesTheKeyPressHandler) {
    QGuiApplication::clipboard()->setText("menu");
    std::unique_ptr<QMenu> menu(line->createStandardContextMenu());
    QAction* paste = nullptr;
    for (QAction* a : menu->actions())
        if (a->text().remove(QLatin1Char('&')).startsWith(QLatin1String("Paste"))) paste = a;
    ASSERT_NE(paste, nullptr);
    ASSERT_TRUE(paste->isEnabled());
    paste->trigger();
    EXPECT_EQ(edit->Text(), "menu");
    const std::vector<std::string> expected{"change menu"};
    EXPECT_EQ(log, expected);
}

TEST_F(EditInput, MaxLengthStopsTypingAndCutsAPaste) {
    edit->SetMaxLength(5);
    QTest::keyClicks(line, "abcdefg");
    EXPECT_EQ(edit->Text(), "ABCDE");
    QTest::keyClick(line, Qt::Key_Backspace);
    QTest::keyClick(line, Qt::Key_Backspace);
    QGuiApplication::clipboard()->setText("12345");
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "ABC12");
}

TEST_F(EditInput, TextSetByTheProgramShowsAndFiresOneChange) {
    edit->SetText("hello");
    EXPECT_EQ(Utf8(line->text()), "hello");
    const std::vector<std::string> expected{"change hello"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(edit->Modified());
    // The limit is for typing: a longer text from the program is kept whole.
    edit->SetText(std::string(40, 'z'));
    EXPECT_EQ(line->text().size(), 40);
    EXPECT_EQ(edit->Text().size(), 40u);
}

TEST_F(EditInput, AChangeHandlerThatRewritesTheTextRunsOnceMoreNestedAndStops) {
    int changes = 0;
    edit->OnKeyPress = nullptr;
    edit->OnChange = [&](TObject*) {
        ++changes;
        const std::string upper = UpperCase(edit->Text());
        if (upper != edit->Text()) edit->SetText(upper);
    };
    QGuiApplication::clipboard()->setText("mixed Case");
    QTest::keyClick(line, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit->Text(), "MIXED CASE");
    EXPECT_EQ(Utf8(line->text()), "MIXED CASE");
    EXPECT_EQ(changes, 2);
}

TEST_F(EditInput, SelectionFollowsTheWidgetAndTheModel) {
    edit->SetText("abcdef");
    line->setSelection(1, 3);
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_EQ(edit->SelLength(), 3);
    EXPECT_EQ(edit->SelText(), "bcd");
    edit->SetSelStart(4);
    EXPECT_FALSE(line->hasSelectedText());
    EXPECT_EQ(line->cursorPosition(), 4);
    edit->SelectAll();
    EXPECT_EQ(Utf8(line->selectedText()), "abcdef");
}

TEST_F(EditInput, CharactersBeyondTheBasicPlaneCountAsOne) {
    edit->OnKeyPress = nullptr;
    edit->SetText(
        "a\xF0\x9F\x98\x80"
        "b");                    // a, U+1F600, b
    line->setCursorPosition(3);  // after the emoji (two UTF-16 units)
    EXPECT_EQ(edit->SelStart(), 2);
    QTest::keyClicks(line, "c");
    EXPECT_EQ(edit->Text(),
              "a\xF0\x9F\x98\x80"
              "cb");
    EXPECT_EQ(edit->SelStart(), 3);
}

TEST_F(EditInput, ReadOnlyFieldsTakeNoTyping) {
    edit->SetReadOnly(true);
    EXPECT_TRUE(line->isReadOnly());
    QTest::keyClicks(line, "ab");
    EXPECT_EQ(edit->Text(), "");
    // The handler still sees the keys, as the classic field lets it.
    const std::vector<std::string> expected{"key 97", "key 98"};
    EXPECT_EQ(log, expected);
}

TEST_F(EditInput, UpperCaseFieldsTakeTypedAndPastedTextInUpperCase) {
    edit->OnKeyPress = nullptr;
    edit->SetCharCase(ecUpperCase);
    QTest::keyClicks(line, "ab");
    QGuiApplication::clipboard()->setText("cd");
    QTest::keyClick(line, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit->Text(), "ABCD");
    EXPECT_EQ(Utf8(line->text()), "ABCD");
}

TEST(MaskedEdit, TheModelFillsTheMaskAndTheFieldShowsIt) {
    TestForm form;
    auto* edit = form.Add<TMaskEdit>("Date", 8, 8, 100, 21);
    edit->SetEditMask("00/00;1;_");
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    form->Show();
    auto* line = WidgetAs<QLineEdit>(edit);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(Utf8(line->text()), "__/__");
    QTest::keyClicks(line, "1x23");
    EXPECT_EQ(Utf8(line->text()), "12/3_");
    EXPECT_EQ(edit->Text(), "12/3 ");
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(edit->ValidateEdit());
    QTest::keyClicks(line, "4");
    EXPECT_TRUE(edit->ValidateEdit());
    EXPECT_EQ(line->contextMenuPolicy(), Qt::NoContextMenu);
}

TEST(FormKeyPreview, TheFormSeesTheKeyFirstAndMayChangeIt) {
    TestForm form;
    auto* edit = form.Add<TEdit>("Edit1", 8, 8, 100, 21);
    std::vector<std::string> log;
    form->SetKeyPreview(true);
    form->OnKeyPress = [&](TObject*, char32_t& key) {
        log.push_back("form " + std::to_string(static_cast<unsigned>(key)));
        if (key == U'1') key = U'2';
    };
    edit->OnKeyPress = [&](TObject*, char32_t& key) {
        log.push_back("edit " + std::to_string(static_cast<unsigned>(key)));
    };
    form->Show();
    QTest::keyClicks(WidgetOf(edit), "1");
    EXPECT_EQ(edit->Text(), "2");
    const std::vector<std::string> expected{"form 49", "edit 50"};
    EXPECT_EQ(log, expected);
}

// A key handler that asks a modal question before the key reaches the field,
// as the calculator does for a typed Y.
TEST(ModalFromKeyPress, TheAnswerDecidesWhichCharacterTheFieldTakes) {
    TestForm main;
    auto* edit = main.Add<TEdit>("Data", 8, 8, 200, 24);
    TestForm question(200, 100);
    question->SetName("YFrm");
    auto* yes = question.Add<TButton>("YesBtn", 10, 60, 75, 25);
    yes->SetCaption("Yes");
    yes->SetModalResult(mrYes);
    auto* no = question.Add<TButton>("NoBtn", 110, 60, 75, 25);
    no->SetCaption("No");
    no->SetCancel(true);
    no->SetModalResult(mrNo);
    edit->OnKeyPress = [&](TObject*, char32_t& key) {
        if (key == U'y' || key == U'Y') key = question->ShowModal() == mrYes ? U'y' : U'Y';
    };
    main->Show();
    QApplication::setActiveWindow(WidgetOf(main.get()));
    auto answer = [&](TButton* button) {
        QTimer::singleShot(0, [&, button] {
            ASSERT_TRUE(question->Visible());
            // The question stays above the window it was asked from.
            EXPECT_EQ(WidgetOf(question.get())->windowHandle()->transientParent(),
                      WidgetOf(main.get())->windowHandle());
            QTest::mouseClick(WidgetOf(button), Qt::LeftButton);
        });
    };
    answer(yes);
    QTest::keyClicks(WidgetOf(edit), "y");
    answer(no);
    QTest::keyClicks(WidgetOf(edit), "y");
    // Esc presses the cancel button.
    QTimer::singleShot(0, [&] { QTest::keyClick(WidgetOf(yes), Qt::Key_Escape); });
    QTest::keyClicks(WidgetOf(edit), "Y");
    EXPECT_EQ(edit->Text(), "yYY");
    EXPECT_FALSE(question->Visible());
}

TEST(MemoInput, TypingEnterAndPastingKeepLinesAndTextInStep) {
    TestForm form;
    auto* memo = form.Add<TMemo>("Memo1", 8, 8, 185, 89);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    form->Show();
    auto* w = WidgetAs<QPlainTextEdit>(memo);
    ASSERT_NE(w, nullptr);
    QTest::keyClicks(w, "one");
    QTest::keyClick(w, Qt::Key_Return);
    QTest::keyClicks(w, "two");
    EXPECT_EQ(memo->Text(), "one\ntwo");
    ASSERT_EQ(memo->Lines().Count(), 2);
    EXPECT_EQ(memo->Lines()[1], "two");
    EXPECT_EQ(changes, 7);
    memo->Lines().Add("three");
    EXPECT_EQ(Utf8(w->toPlainText()), "one\ntwo\nthree");
    memo->SetMaxLength(15);
    QGuiApplication::clipboard()->setText("abcdef");
    QTest::keyClick(w, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo->Text(), "one\ntwo\nthreeab");
}

TEST(MemoInput, TheDesktopsEditKeysWorkAndEachEditIsAChange) {
    TestForm form;
    auto* memo = form.Add<TMemo>("Memo1", 8, 8, 185, 89);
    memo->Lines().Add("first line");
    memo->Lines().Add("second");
    std::vector<std::string> seen;
    memo->OnChange = [&](TObject*) { seen.push_back(memo->Text()); };
    std::string typed;
    memo->OnKeyPress = [&](TObject*, char32_t& key) {
        typed += static_cast<char>(key);
        if (key == U'q') key = U'Q';  // a handler's change of the character is typed
    };
    form->Show();
    auto* w = WidgetAs<QPlainTextEdit>(memo);
    ASSERT_NE(w, nullptr);
    w->setFocus();
    // Ctrl+A selects everything: the next key replaces both lines.
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w, "q");
    EXPECT_EQ(memo->Text(), "Q");
    // Ctrl+Z takes the typing back, Ctrl+Shift+Z does it again: each a change of the text.
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo->Text(), "first line\nsecond");
    QTest::keyClick(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(memo->Text(), "Q");
    // Enter is a new line in the memo, not the form's default button.
    QTest::keyClick(w, Qt::Key_Return);
    QTest::keyClicks(w, "x");
    EXPECT_EQ(memo->Text(), "Q\nx");
    ASSERT_GE(seen.size(), 5u);
    EXPECT_EQ(seen.back(), "Q\nx");
    EXPECT_NE(std::find(seen.begin(), seen.end(), "first line\nsecond"), seen.end());
    EXPECT_EQ(typed.substr(0, 2), std::string("\x01q"));
}

}  // namespace
}  // namespace quillon::qttest
