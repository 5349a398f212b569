// SPDX-License-Identifier: GPL-2.0-or-later
// Text of any length in a memo or an edit: kept whole in the model and in the
// widget, with over-long memo lines wrapped at any character on screen.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextOption>
#include <string>

#include "platform/sys/limits.h"
#include "tests/platform_qt/qt_host_support.h"

namespace quillon::qttest {
namespace {

class LongText : public ::testing::Test {
  protected:
    TestForm form{400, 300};
};

TEST_F(LongText, AMemoLineWithoutSpacesPastTheLimitIsKeptWholeAndWrapsAnywhere) {
    auto* memo = form.Add<TMemo>("Notes", 8, 8, 300, 200);
    form->Show();
    auto* edit = WidgetAs<QPlainTextEdit>(memo);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);

    const std::string longLine(200000, 'x');
    memo->SetText("first\r\n" + longLine + "y");
    Pump();
    EXPECT_EQ(edit->wordWrapMode(), QTextOption::WrapAnywhere);
    EXPECT_EQ(edit->toPlainText().size(), 6 + 200001);
    EXPECT_EQ(memo->Text(), "first\r\n" + longLine + "y");
    ASSERT_EQ(memo->Lines().Count(), 2);
    EXPECT_EQ(memo->Lines()[1].size(), 200001u);

    // Typed at the end: the model still holds all of it.
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, "z");
    EXPECT_EQ(memo->Text(), "first\r\n" + longLine + "yz");

    // Short lines again: word wrapping as usual.
    memo->SetText("short\r\nlines");
    Pump();
    EXPECT_EQ(edit->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    EXPECT_EQ(edit->toPlainText(), "short\nlines");
}

TEST_F(LongText, ALineJustAtTheLimitStillWrapsAtWords) {
    auto* memo = form.Add<TMemo>("Notes", 8, 8, 300, 200);
    form->Show();
    auto* edit = WidgetAs<QPlainTextEdit>(memo);
    ASSERT_NE(edit, nullptr);
    memo->SetText(std::string(limits::kMaxWordWrappedLine, 'w'));
    Pump();
    EXPECT_EQ(edit->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    memo->SetText(std::string(limits::kMaxWordWrappedLine + 1, 'w'));
    Pump();
    EXPECT_EQ(edit->wordWrapMode(), QTextOption::WrapAnywhere);
}

TEST_F(LongText, AnEditKeepsAVeryLongTextWhole) {
    auto* field = form.Add<TEdit>("Data", 8, 8, 200, 24);
    form->Show();
    auto* line = WidgetAs<QLineEdit>(field);
    ASSERT_NE(line, nullptr);
    const std::string text(300000, 'q');
    field->SetText(text);
    Pump();
    EXPECT_EQ(line->text().size(), 300000);
    EXPECT_EQ(field->Text(), text);
}

}  // namespace
}  // namespace quillon::qttest
