// SPDX-License-Identifier: GPL-2.0-or-later
// The rich edit's files and the plain-text formatter used without a backend.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/vcl/ext_controls.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/rich_text.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using testing::RecordingDeviceContext;

std::filesystem::path TempFile(const std::string& name, const std::string& content) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("quillon-rich-" + std::to_string(::getpid()) + "-" + name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

TEST(RichEditFiles, TheEndingChoosesTheFormatAndOthersAreRefused) {
    TForm form(nullptr);
    TRichEdit edit(&form);
    const auto html = TempFile("a.html", "<p>Hello <b>there</b></p>");
    ASSERT_TRUE(edit.LoadFromFile(html.string()));
    EXPECT_EQ(edit.TextFormat(), rfHtml);
    EXPECT_EQ(edit.Text(), "<p>Hello <b>there</b></p>");
    const auto md = TempFile("b.MD", "# Title\n\n*x*");
    ASSERT_TRUE(edit.LoadFromFile(md.string()));
    EXPECT_EQ(edit.TextFormat(), rfMarkdown);
    const auto rtf = TempFile("c.rtf", "{\\rtf1}");
    const Result<void> refused = edit.LoadFromFile(rtf.string());
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.reason(),
              "'.rtf' is not a format the rich edit reads or writes (.html, .md or .txt)");
    EXPECT_EQ(edit.TextFormat(), rfMarkdown);  // a refused file changes nothing
    EXPECT_EQ(edit.Text(), "# Title\n\n*x*");
    EXPECT_FALSE(edit.LoadFromFile("/nonexistent/x.txt"));
    // Invalid UTF-8 is kept as replacement characters, not refused.
    const auto bad = TempFile("d.txt", "a\xff" "b");
    ASSERT_TRUE(edit.LoadFromFile(bad.string()));
    EXPECT_EQ(edit.Text(), "a\xEF\xBF\xBD" "b");
    const auto out = std::filesystem::temp_directory_path() /
                     ("quillon-rich-" + std::to_string(::getpid()) + "-out.md");
    ASSERT_TRUE(edit.SaveToFile(out.string()));
    std::ifstream in(out, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), edit.Text());
    EXPECT_FALSE(edit.SaveToFile("/tmp/x.doc"));
    for (const auto& p : {html, md, rtf, bad, out}) std::filesystem::remove(p);
}

TEST(PlainRichText, BandsFollowEachOtherAndEndAtTheText) {
    TForm form(nullptr);
    TRichEdit edit(&form);
    edit.Font().SetHeight(-10);  // fixed advances: 5 pixels a character, lines 10 high
    edit.SetText("one two three four\nfive");
    ASSERT_EQ(edit.TextLength(), 23);
    RecordingDeviceContext dc;
    // 40 pixels across hold eight characters; two lines of 10 fit in 25.
    const int next = edit.FormatRange(dc, Rect(100, 200, 140, 225), 0, true);
    const auto texts = dc.LinesStartingWith({"ExtTextOut"});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("ExtTextOut 100,200 opts 0 \"one two\"", 0), 0u);
    EXPECT_EQ(texts[1].rfind("ExtTextOut 100,210 opts 0 \"three\"", 0), 0u);
    EXPECT_EQ(next, 14);  // "four" starts the next band
    dc.Clear();
    const int last = edit.FormatRange(dc, Rect(0, 0, 40, 100), next, true);
    EXPECT_EQ(last, edit.TextLength());
    const auto rest = dc.LinesStartingWith({"ExtTextOut"});
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_NE(rest[0].find("\"four\""), std::string::npos);
    EXPECT_NE(rest[1].find("\"five\""), std::string::npos);
    // Measuring alone draws nothing and agrees with drawing.
    dc.Clear();
    EXPECT_EQ(edit.FormatRange(dc, Rect(100, 200, 140, 225), 0, false), 14);
    EXPECT_TRUE(dc.LinesStartingWith({"ExtTextOut"}).empty());
    // A word longer than the line is cut, and every band moves on even when nothing fits.
    edit.SetText(std::string(30, 'x'));
    EXPECT_EQ(edit.FormatRange(dc, Rect(0, 0, 40, 1), 0, false), 8);
}

TEST(RichEditForms, LinesAndTheFormatComeFromFormFiles) {
    const char* text =
        "object F: TForm\n"
        "  object R: TRichEdit\n    TextFormat = rfMarkdown\n"
        "    Lines.Strings = (\n      '# Heading'\n      'Body')\n  end\n"
        "end\n";
    TForm form(nullptr);
    const auto fault = ReadComponent(text, form);
    ASSERT_TRUE(fault) << fault.reason();
    auto* r = dynamic_cast<TRichEdit*>(form.FindComponent("R"));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->TextFormat(), rfMarkdown);
    EXPECT_EQ(r->Text(), "# Heading\nBody");
}

}  // namespace
}  // namespace quillon
