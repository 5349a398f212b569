// SPDX-License-Identifier: GPL-2.0-or-later
// Rich text on Qt's layout reaches a device context as text runs with their fonts and
// colours, band after band, each word once.

#include <gtest/gtest.h>

#include <QTextEdit>

#include <signal.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sys/interrupt.h"
#include "platform/sys/limits.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "tests/platform_qt/qt_host_support.h"
#include "tests/platform_qt/qt_test_support.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using testing::RecordingDeviceContext;

DeviceCaps Printer300() {
    DeviceCaps caps;
    caps.technology = DT_RASPRINTER;
    caps.logPixelsX = caps.logPixelsY = 300;
    caps.widthPixels = 2550;
    caps.heightPixels = 3300;
    return caps;
}

// The quoted texts of the ExtTextOut lines, in order.
std::vector<std::string> Runs(const RecordingDeviceContext& dc) {
    std::vector<std::string> out;
    for (const std::string& l : dc.LinesStartingWith({"ExtTextOut"})) {
        const auto q = l.find('"');
        out.push_back(l.substr(q + 1, l.find('"', q + 1) - q - 1));
    }
    return out;
}

struct RichQt : ::testing::Test {
    void SetUp() override { (void)qttest::Host(); }
    TForm form{nullptr};
    TRichEdit edit{&form};
    RecordingDeviceContext dc{Printer300()};
};

TEST_F(RichQt, FormattedRunsKeepTheirFontsAndColours) {
    edit.SetTextFormat(rfHtml);
    edit.SetText("<p>Plain <b>bold</b> <span style=\"color:#ff0000\">red</span></p>");
    const int end = edit.FormatRange(dc, Rect(300, 300, 2250, 3000), 0, true);
    EXPECT_EQ(end, edit.TextLength());
    EXPECT_EQ(Runs(dc), (std::vector<std::string>{"Plain", "bold", "red"}));
    const std::string all = dc.Text();
    // The bold run is selected in a bold font, the red one written in red.
    const auto bold = all.find("\"bold\"");
    const auto boldFont = all.rfind("SelectFont", bold);
    ASSERT_NE(boldFont, std::string::npos);
    EXPECT_NE(all.substr(boldFont, all.find('\n', boldFont) - boldFont).find("w700"),
              std::string::npos);
    const auto red = all.find("\"red\"");
    EXPECT_NE(all.rfind("SetTextColor #FF0000", red), std::string::npos);
    // Runs stand left to right on one baseline band, inside the rectangle.
    for (const std::string& l : dc.LinesStartingWith({"ExtTextOut"})) {
        int x = 0, y = 0;
        ASSERT_EQ(std::sscanf(l.c_str(), "ExtTextOut %d,%d", &x, &y), 2) << l;
        EXPECT_GE(x, 300);
        EXPECT_GE(y, 300);
        EXPECT_LT(y, 400);
    }
}

TEST_F(RichQt, TheRestOfTheTextFlowsIntoTheNextRectangle) {
    std::string md;
    for (int i = 0; i < 60; ++i) md += "Paragraph w" + std::to_string(i) + " of the text.\n\n";
    edit.SetTextFormat(rfMarkdown);
    edit.SetText(md);
    const int length = edit.TextLength();
    const int next = edit.FormatRange(dc, Rect(0, 0, 1500, 600), 0, true);
    ASSERT_GT(next, 0);
    ASSERT_LT(next, length);
    const int last = edit.FormatRange(dc, Rect(0, 2000, 1500, 3300 * 4), next, true);
    EXPECT_EQ(last, length);
    // Every paragraph's word once, in order, across the two bands.
    std::vector<std::string> words;
    for (const std::string& r : Runs(dc))
        for (std::size_t p = r.find('w'); p != std::string::npos; p = r.find('w', p + 1))
            if (p + 1 < r.size() && std::isdigit(static_cast<unsigned char>(r[p + 1])))
                words.push_back(r.substr(p, r.find(' ', p) - p));
    ASSERT_EQ(words.size(), 60u);
    for (int i = 0; i < 60; ++i) EXPECT_EQ(words[i], "w" + std::to_string(i));
}

TEST_F(RichQt, AnInterruptedLayoutPrintsNothingAndEndsEveryBandLoopThenLaysOutAnew) {
    std::string md;
    for (int i = 0; i < 60; ++i) md += "Stopped w" + std::to_string(i) + " in its layout.\n\n";
    edit.SetTextFormat(rfMarkdown);
    edit.SetText(md);
    const int length = edit.TextLength();
    SetInterruptForTesting(SIGTERM);
    // Past any document: a loop printing band after band until the end stops at once.
    const int stopped = edit.FormatRange(dc, Rect(0, 0, 1500, 600), 0, true);
    // Its length is still what it was (read before, not laid out again).
    const int lengthMeanwhile = edit.TextLength();
    SetInterruptForTesting(0);
    EXPECT_GT(stopped, length);
    EXPECT_EQ(lengthMeanwhile, length);
    EXPECT_TRUE(Runs(dc).empty()) << dc.Text();
    // The half-done layout was not kept: the next job lays the text out whole.
    const int next = edit.FormatRange(dc, Rect(0, 0, 1500, 600), 0, true);
    EXPECT_GT(next, 0);
    EXPECT_LT(next, length);
    const std::vector<std::string> runs = Runs(dc);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front(), "Stopped w0 in its layout.");
    EXPECT_EQ(edit.FormatRange(dc, Rect(0, 2000, 1500, 3300 * 4), next, true), length);
}

TEST_F(RichQt, ListsTablesAndBrokenMarkupStillPrintTheirText) {
    edit.SetTextFormat(rfHtml);
    std::string nested;
    for (int i = 0; i < 100; ++i) nested += "<ul><li>level" + std::to_string(i);
    edit.SetText("<ul><li>first</li><li>second</li></ul><table><tr><td>cell</td></tr></table>"
                 "<p><b>unclosed <i>tags" + nested);
    EXPECT_EQ(edit.FormatRange(dc, Rect(0, 0, 2000, 30000), 0, true), edit.TextLength());
    const auto runs = Runs(dc);
    auto has = [&](const std::string& s) {
        for (const auto& r : runs)
            if (r.find(s) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(has("\xE2\x80\xA2"));  // the bullet mark, drawn as text
    EXPECT_TRUE(has("first"));
    EXPECT_TRUE(has("second"));
    EXPECT_TRUE(has("cell"));
    EXPECT_TRUE(has("unclosed"));
    EXPECT_TRUE(has("evel99"));  // indented past the width, broken, and clipped to the band
    EXPECT_EQ(dc.LinesStartingWith({"IntersectClipRect"}),
              std::vector<std::string>{"IntersectClipRect 0,0,2000,30000"});
    EXPECT_TRUE(dc.LinesStartingWith({"StretchDIBits"}).empty());  // text, not a picture
}


// The height of the font selected before the run holding `word` (negative: pixels).
int FontHeightBefore(const RecordingDeviceContext& dc, const std::string& word) {
    const std::string all = dc.Text();
    const auto at = all.find("\"" + word);
    const auto font = all.rfind("SelectFont", at);
    if (at == std::string::npos || font == std::string::npos) return 0;
    const auto face = all.find("\" ", font);
    return std::stoi(all.substr(face + 2));
}

TEST_F(RichQt, HeadingsPrintLargerThanTheBody) {
    edit.SetTextFormat(rfHtml);
    edit.SetText("<h1>Heading</h1><h3>Smaller</h3><p>body <span style=\"font-size:24pt\">big</span></p>");
    edit.FormatRange(dc, Rect(0, 0, 2000, 3000), 0, true);
    const int h1 = FontHeightBefore(dc, "Heading");
    const int h3 = FontHeightBefore(dc, "Smaller");
    const int body = FontHeightBefore(dc, "body");
    ASSERT_LT(body, 0);
    EXPECT_LT(h1, h3);  // more negative: taller
    EXPECT_LT(h3, body);
    // 24 points at 300 pixels per inch: 100 pixels.
    EXPECT_EQ(FontHeightBefore(dc, "big"), -100);
}

TEST_F(RichQt, ATableRowIsNeverCutBetweenItsCellsAndHasItsBorders) {
    edit.SetTextFormat(rfHtml);
    edit.SetText("<p>intro</p><table border=\"1\" cellpadding=\"2\"><tr><td>a1<br>a2<br>a3</td>"
                 "<td>b1</td></tr><tr><td>c1</td><td>d1</td></tr></table><p>outro</p>");
    // Room for two lines: the first row, three lines tall, cannot join the intro.
    RecordingDeviceContext probe{Printer300()};
    edit.FormatRange(probe, Rect(0, 0, 2000, 30000), 0, true);
    std::vector<int> ys;
    for (const std::string& l : probe.LinesStartingWith({"ExtTextOut"})) {
        int x = 0, y = 0;
        std::sscanf(l.c_str(), "ExtTextOut %d,%d", &x, &y);
        ys.push_back(y);
    }
    ASSERT_GE(ys.size(), 3u);
    const int line = ys[2] - ys[1];  // a1 to a2
    ASSERT_GT(line, 0);
    const int room = ys[1] - ys[0] + line / 2;  // intro and a little more
    std::vector<std::pair<std::string, int>> printed;  // word, band
    int pos = 0;
    for (int band = 0; band < 20 && pos < edit.TextLength(); ++band) {
        RecordingDeviceContext page{Printer300()};
        const int top = 1000 * band;
        const int next = edit.FormatRange(page, Rect(0, top, 2000, top + room), pos, true);
        ASSERT_GT(next, pos);
        pos = next;
        for (const std::string& l : page.LinesStartingWith({"ExtTextOut"})) {
            int x = 0, y = 0;
            ASSERT_EQ(std::sscanf(l.c_str(), "ExtTextOut %d,%d", &x, &y), 2);
            EXPECT_GE(y, top) << l;  // nothing above its band, where the clip would hide it
            const auto q = l.find('"');
            printed.push_back({l.substr(q + 1, l.find('"', q + 1) - q - 1), band});
        }
        if (band == 1) {
            EXPECT_GE(page.LinesStartingWith({"LineTo"}).size(), 8u);  // two cells
        }
    }
    std::vector<std::string> words;
    for (const auto& [w, band] : printed) words.push_back(w);
    EXPECT_EQ(words, (std::vector<std::string>{"intro", "a1", "a2", "a3", "b1", "c1", "d1", "outro"}));
    // The whole first row in one band, b1 with a1.
    auto bandOf = [&](const std::string& w) {
        for (const auto& [x, band] : printed)
            if (x == w) return band;
        return -1;
    };
    EXPECT_EQ(bandOf("intro"), 0);
    EXPECT_EQ(bandOf("a1"), 1);
    EXPECT_EQ(bandOf("b1"), 1);
}

TEST_F(RichQt, AWordOfAMillionCharactersBreaksAnywhereAndPrintsWhole) {
    // As long as the rich text limits let a text be.
    edit.SetText(std::string(static_cast<std::size_t>(limits::kMaxRichTextChars), 'x'));
    long printed = 0;
    int pos = 0;
    for (int band = 0; band < 10000 && pos < edit.TextLength(); ++band) {
        RecordingDeviceContext page{Printer300()};
        const int next = edit.FormatRange(page, Rect(0, 0, 2000, 3000), pos, true);
        ASSERT_GT(next, pos);
        pos = next;
        for (const std::string& r : Runs(page)) printed += static_cast<long>(r.size());
    }
    EXPECT_EQ(pos, edit.TextLength());
    EXPECT_EQ(printed, limits::kMaxRichTextChars);
}

TEST(RichEditWidget, ShowsTheFormattedTextAndWritesEditsBackInTheControlsFormat) {
    qttest::TestForm form(400, 300);
    auto* rich = form.Add<TRichEdit>("Letter", 10, 10, 380, 200);
    rich->SetTextFormat(rfHtml);
    rich->SetText("<p>Dear <b>reader</b></p>");
    form->Show();
    auto* widget = qttest::WidgetAs<QTextEdit>(rich);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->toPlainText().toStdString(), "Dear reader");
    // The markup is shown, not printed as text: the bold word is bold in the widget.
    QTextCursor at(widget->document());
    at.setPosition(7);
    EXPECT_EQ(at.charFormat().fontWeight(), QFont::Bold);

    // Typing in the widget: the control keeps rich text with the new words in it.
    QTextCursor end(widget->document());
    end.movePosition(QTextCursor::End);
    end.insertText(", welcome");
    EXPECT_NE(rich->Text().find("welcome"), std::string::npos);
    EXPECT_NE(rich->Text().find("font-weight"), std::string::npos) << rich->Text();
    // The program's change reaches the widget; Markdown and plain text as well.
    rich->SetTextFormat(rfMarkdown);
    rich->SetText("# Title\n\nSome *words*");
    EXPECT_EQ(widget->toPlainText().toStdString(), "Title\nSome words");
    rich->SetPlainText(true);
    EXPECT_EQ(widget->toPlainText().toStdString(), "# Title\n\nSome *words*");
    rich->SetReadOnly(true);
    EXPECT_TRUE(widget->isReadOnly());
}

}  // namespace
}  // namespace quillon
