// Rich text on Qt's layout reaches a device context as text runs with their fonts and
// colours, band after band, each word once.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
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

}  // namespace
}  // namespace quillon
