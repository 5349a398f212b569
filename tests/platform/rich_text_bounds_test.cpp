// SPDX-License-Identifier: GPL-2.0-or-later
// Rich text held to the layout's limits before it is parsed: what is flattened or cut, what
// real documents keep untouched, and the one notice a rich edit gives for it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sys/limits.h"
#include "platform/sys/notice.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/rich_text_bounds.h"

namespace quillon {
namespace {

using limits::kMaxRichTextNesting;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int k = 0; k < n; ++k) out += s;
    return out;
}

TEST(RichTextBounds, RealDocumentsPassUntouched) {
    // End tags left out where the parser implies them (items, cells, rows, paragraphs) are
    // not nesting: a long list of open items stays whole.
    const std::string list = "<ul>" + Repeat("<li>item", 5000) + "</ul>";
    const std::string table = "<table border=1 cellpadding=4 width=\"100%\">" +
                              Repeat("<tr>" + Repeat("<td>cell", 8), 500) + "</table>";
    const std::string paras = Repeat("<p>para", 3000) +
                              "<div style=\"color:#100000; "
                              "font-size:14pt; margin-left:-20px\"><img src=\"12345678.png\" "
                              "width=640></div><!-- <b><b><b> --><br/>";
    for (const std::string& doc : {list, table, paras}) {
        const BoundedRichText b = BoundRichText(doc, rfHtml);
        EXPECT_EQ(b.text, doc);
        EXPECT_TRUE(b.cuts.empty()) << b.cuts.front();
    }
    const std::string md =
        "# Title\n\n- one\n  - two\n    - three\n\n> quoted *em* **strong** "
        "`code` [link](x.html)\n\n| a | b |\n|---|---|\n| 1 | 2 |\n";
    const BoundedRichText m = BoundRichText(md, rfMarkdown);
    EXPECT_EQ(m.text, md);
    EXPECT_TRUE(m.cuts.empty());
}

TEST(RichTextBounds, DeepNestingLosesItsTagsButKeepsItsText) {
    const std::string divs = Repeat("<div>", 100) + "deep" + Repeat("</div>", 100) + "after";
    const BoundedRichText d = BoundRichText(divs, rfHtml);
    EXPECT_EQ(d.text, Repeat("<div>", kMaxRichTextNesting) + "deep" +
                          Repeat("</div>", kMaxRichTextNesting) + "after");
    EXPECT_EQ(d.cuts, std::vector<std::string>{"68 tags nested deeper than 32 levels left out"});

    // Mixed bold and italic: each left-out start tag takes its own end tag with it.
    const std::string bi = Repeat("<b><i>", 40) + "x" + Repeat("</i></b>", 40) + "<b>y</b>";
    const BoundedRichText b = BoundRichText(bi, rfHtml);
    EXPECT_EQ(b.text, Repeat("<b><i>", 16) + "x" + Repeat("</i></b>", 16) + "<b>y</b>");

    // Lists inside lists: past the limit a list is left out, and its item closes the item
    // before it, so the rest are items of the deepest list kept.
    const std::string lists = Repeat("<ul><li>", 1000) + "z";
    const BoundedRichText l = BoundRichText(lists, rfHtml);
    EXPECT_EQ(l.text, Repeat("<ul><li>", 16) + Repeat("<li>", 984) + "z");
    EXPECT_EQ(l.cuts, std::vector<std::string>{"984 tags nested deeper than 32 levels left out"});
}

TEST(RichTextBounds, TablesPastTheirLimitsAreFlattenedOrCut) {
    // Ten tables deep: the inner six become lines of words.
    std::string nested = "x";
    for (int k = 0; k < 10; ++k)
        nested =
            "<table><tr><td>a" + std::to_string(k) + "</td><td>" + nested + "</td></tr></table>";
    const BoundedRichText n = BoundRichText(nested, rfHtml);
    EXPECT_EQ(Count(n.text, "<table>"), 4u);
    EXPECT_EQ(Count(n.text, "</table>"), 4u);
    EXPECT_EQ(Count(n.text, "<td>"), 8u);
    EXPECT_NE(n.text.find("<br><br> a5 <br> a4 <br> a3 "), std::string::npos) << n.text;
    EXPECT_EQ(n.cuts,
              std::vector<std::string>{"6 tables inside more than 4 tables made plain lines"});

    const std::string wide = "<table>" + Repeat("<tr>" + Repeat("<td>c", 200), 200) + "</table>";
    const BoundedRichText w = BoundRichText(wide, rfHtml);
    EXPECT_EQ(Count(w.text, "<td>"), static_cast<std::size_t>(limits::kMaxRichTextTableCells));
    EXPECT_EQ(w.text.substr(w.text.size() - 5), "c<tr>");  // row 101 starts, its first cell cut
    EXPECT_EQ(w.cuts, std::vector<std::string>{"cut after 20000 table cells"});
}

TEST(RichTextBounds, TextAndElementsAreCutAtTheirCounts) {
    // Characters, not bytes; blanks in a run are one.
    const std::string e = "\xC3\xA9";  // é
    std::string plain;
    for (int k = 0; k < limits::kMaxRichTextChars + 10; ++k) plain += e;
    const BoundedRichText p = BoundRichText(plain, rfPlainText);
    EXPECT_EQ(p.text.size(), 2u * limits::kMaxRichTextChars);
    EXPECT_EQ(p.cuts, std::vector<std::string>{"cut after 1000000 characters"});
    EXPECT_TRUE(
        BoundRichText(plain.substr(0, 2 * limits::kMaxRichTextChars), rfPlainText).cuts.empty());

    const std::string spaced = "<p>" + std::string(3 * limits::kMaxRichTextChars, ' ') + "ab";
    const BoundedRichText s = BoundRichText(spaced, rfHtml);
    EXPECT_EQ(s.text, spaced);

    const BoundedRichText h =
        BoundRichText("<b>" + std::string(limits::kMaxRichTextChars + 5, 'x') + "</b>", rfHtml);
    EXPECT_EQ(h.text, "<b>" + std::string(limits::kMaxRichTextChars, 'x'));

    const BoundedRichText br =
        BoundRichText(Repeat("<br>", limits::kMaxRichTextElements + 3), rfHtml);
    EXPECT_EQ(Count(br.text, "<br>"), static_cast<std::size_t>(limits::kMaxRichTextElements));
    EXPECT_EQ(br.cuts, std::vector<std::string>{"cut after 200000 elements"});

    // A tag that never ends is text to the end, in one pass.
    const std::string open = "<p>a<b title=\"x" + Repeat("<i \"", 50000);
    const BoundedRichText o = BoundRichText(open, rfHtml);
    EXPECT_EQ(o.text, open);
}

TEST(RichTextBounds, SizesAndSpansAreHeld) {
    const BoundedRichText b = BoundRichText(
        "<p style=\"font-size: 99999px; color:#100000; margin-left:-50000.5px; "
        "line-height:1e9; text-indent:h-99999\">x</p><img src=\"99999.png\" width=1e9 "
        "height='3000'><table cellpadding=70000><tr><td colspan=\"100000\" rowspan=5>c</td>"
        "</tr></table><style>p { font-size: 12000pt } .c9999999 { margin: 0 }</style>",
        rfHtml);
    EXPECT_EQ(b.text,
              "<p style=\"font-size: 2000px; color:#100000; margin-left:-2000px; "
              "line-height:2000; text-indent:h-99999\">x</p><img src=\"99999.png\" width=2000 "
              "height='2000'><table cellpadding=2000><tr><td colspan=\"100\" rowspan=5>c</td>"
              "</tr></table><style>p { font-size: 2000pt } .c9999999 { margin: 0 }</style>");
    EXPECT_EQ(b.cuts,
              (std::vector<std::string>{"7 sizes held to 2000", "1 cell spans held to 100"}));
}

TEST(RichTextBounds, MarkdownMarksPastTheirCountsAreText) {
    // Quote and list marks at a line's start: the nesting they open is cut at the limit.
    const std::string deep = std::string(300, '>') + " quoted\n" + Repeat("- ", 100) + "item\n";
    const BoundedRichText d = BoundRichText(deep, rfMarkdown);
    EXPECT_EQ(d.text, std::string(64, '>') + "quoted\n" + Repeat("- ", 32) + "item\n");
    EXPECT_EQ(d.cuts,
              std::vector<std::string>{"2 lines of more than 64 quote and list marks flattened"});

    // Emphasis marks count per paragraph; marks already escaped do not count.
    const std::string runs = Repeat("*a_", 1001) + "\\*\n\n*b*\n";
    const BoundedRichText r = BoundRichText(runs, rfMarkdown);
    EXPECT_EQ(r.text, Repeat("*a_", 1000) + Repeat("\\*a\\_", 1) + "\\*\n\n*b*\n");
    EXPECT_EQ(r.cuts,
              std::vector<std::string>{
                  "2 emphasis, code and link marks past 2000 in a paragraph taken as text"});

    // Table marks count through the whole document.
    const std::string pipes = Repeat("|a|b|\n", 10001);
    const BoundedRichText t = BoundRichText(pipes, rfMarkdown);
    EXPECT_EQ(Count(t.text, "\\|"), 3u * 10001 - limits::kMaxRichTextTableCells);
    // HTML inside Markdown is held like HTML.
    const BoundedRichText h = BoundRichText("text\n\n" + Repeat("<div>", 40) + "x\n", rfMarkdown);
    EXPECT_EQ(Count(h.text, "<div>"), static_cast<std::size_t>(kMaxRichTextNesting));
}

TEST(RichTextBounds, ARichEditTellsWhatWasCutOnce) {
    std::vector<std::string> told;
    const NoticeSink before = SetNoticeSink([&told](const std::string& l) { told.push_back(l); });
    {
        TForm form(nullptr);
        TRichEdit edit(&form);
        edit.SetName("Letter");
        edit.SetTextFormat(rfHtml);
        edit.SetText(Repeat("<table><tr><td>", 6) + "x" + "<p style='font-size:1e6pt'>y</p>");
        const TRichDocument doc = edit.Document();
        EXPECT_EQ(Count(doc.text, "<table>"), 4u);
        EXPECT_EQ(edit.Document().text, doc.text);  // asked again: the same, told once
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0],
                  "Letter: rich text past the program's limits: 2 tables inside more than 4 "
                  "tables made plain lines; 1 sizes held to 2000");
        edit.SetText("<p>short</p>");
        EXPECT_EQ(edit.Document().text, "<p>short</p>");
        edit.SetPlainText(true);
        EXPECT_EQ(edit.Document().format, rfPlainText);
        EXPECT_EQ(told.size(), 1u);
    }
    SetNoticeSink(before);
}

}  // namespace
}  // namespace quillon
