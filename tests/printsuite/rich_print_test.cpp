// SPDX-License-Identifier: GPL-2.0-or-later
// The printing rich edit and its continuation panels: portions into page rectangles, the
// answers, NextChar across requests and jobs, the panel's link to its rich edit, what a job
// leaves unprinted, and form files.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "platform/gdi/printer.h"
#include "platform/sys/desktop.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "printsuite/forms/DBPrnWin.h"
#include "printsuite/forms/VexRchCon.h"
#include "printsuite/forms/VexRich.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

struct TextCall {
    int x = 0, y = 0;
    std::string text;
};

// The text calls of recorded lines, in order.
std::vector<TextCall> Runs(const std::vector<std::string>& lines) {
    static const std::regex call(R"re(^ExtTextOut (-?\d+),(-?\d+) opts \d+ "([^"]*)")re");
    std::vector<TextCall> runs;
    std::smatch m;
    for (const std::string& l : lines)
        if (std::regex_search(l, m, call)) runs.push_back({std::stoi(m[1]), std::stoi(m[2]), m[3]});
    return runs;
}

std::string Numbered(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) text += (i > from ? "\n" : "") + ("line " + std::to_string(i));
    return text;
}

class RichPrint : public testing::GdiTest {
  protected:
    void SetUp() override {
        GdiTest::SetUp();
        Headless().Reset();
        form_.SetName("Letter");
        edit_ = new TRichEditE(&form_);
        edit_->SetName("RichEdit1");
        edit_->SetParent(&form_);
        edit_->SetBounds(10, 10, 300, 60);
        edit_->SetText(Numbered(1, 12));
        panel_ = new TVexRichContinue(&form_);
        panel_->SetName("More");
        panel_->SetParent(&form_);
        panel_->SetBounds(10, 200, 300, 400);
    }
    void TearDown() override {
        Headless().Reset();
        GdiTest::TearDown();
    }
    TVexPrint Request(int left, int top, int right, int bottom) {
        TVexPrint r;
        r.left = r.currentX = left;
        r.top = r.currentY = top;
        r.right = right;
        r.bottom = bottom;
        r.dc = &dc_;
        return r;
    }
    // The height of one line of the edit's text at 600 pixels per inch.
    int LineHeight() {
        testing::RecordingDeviceContext probe(Screen().Caps());
        TRichEditE one(nullptr);
        one.SetText("line 1\nline 2");
        one.FormatRange(probe, TRect{0, 0, 4000, 100000}, 0, true, 600);
        const auto runs = Runs(probe.Lines());
        return runs.size() == 2 ? runs[1].y - runs[0].y : 0;
    }

    testing::RecordingDeviceContext dc_{Screen().Caps()};
    TForm form_{nullptr};
    TRichEditE* edit_ = nullptr;
    TVexRichContinue* panel_ = nullptr;
};

TEST_F(RichPrint, TextThatFitsAnswersAllWithNextCharAtItsEnd) {
    const TVexPrint r = Request(300, 400, 3000, 6000);
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, &r), kVexPrintedAll);
    EXPECT_GE(edit_->NextChar(), edit_->TextLength());
    const auto runs = Runs(dc_.Lines());
    ASSERT_EQ(runs.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(runs[i].text, "line " + std::to_string(i + 1));
        EXPECT_EQ(runs[i].x, 300);
    }
    EXPECT_EQ(runs[0].y, 400);
    // Another request has nothing left to print.
    dc_.Clear();
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, &r), kVexPrintedAll);
    EXPECT_TRUE(Runs(dc_.Lines()).empty());
    // Other messages and a missing request are not print requests.
    EXPECT_EQ(edit_->Perform(kVexPrintMessage + 1, &r), 0);
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, nullptr), 0);
}

TEST_F(RichPrint, TheRestFlowsIntoTheContinuationPanelInOrder) {
    const int line = LineHeight();
    ASSERT_GT(line, 10);
    // Four lines fit the edit's rectangle; the panel takes the other eight.
    const TVexPrint first = Request(300, 400, 3000, 400 + 4 * line + line / 2);
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, &first), kVexPrintedPart);
    EXPECT_EQ(edit_->NextChar(), static_cast<int>(Numbered(1, 4).size()) + 1);
    panel_->SetParentRichEditE(edit_);
    const TVexPrint rest = Request(1000, 3000, 4000, 6000);
    EXPECT_EQ(panel_->Perform(kVexPrintMessage, &rest), kVexPrintedAll);

    const auto runs = Runs(dc_.Lines());
    ASSERT_EQ(runs.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(runs[i].text, "line " + std::to_string(i + 1)) << i;
        if (i < 4) {
            EXPECT_EQ(runs[i].x, 300);
            EXPECT_EQ(runs[i].y, 400 + i * line);
        } else {
            EXPECT_EQ(runs[i].x, 1000);
            EXPECT_EQ(runs[i].y, 3000 + (i - 4) * line);
        }
    }
}

TEST_F(RichPrint, APanelThatNamesNoRichEditPrintsNothing) {
    const TVexPrint r = Request(300, 400, 3000, 6000);
    EXPECT_EQ(panel_->ParentRichEditE(), nullptr);
    EXPECT_EQ(panel_->Perform(kVexPrintMessage, &r), 0);
    EXPECT_TRUE(Runs(dc_.Lines()).empty());
    EXPECT_EQ(edit_->NextChar(), 0);
}

TEST_F(RichPrint, ThePanelForgetsARichEditThatIsDestroyedAndRefusesOneOfAnotherForm) {
    panel_->SetParentRichEditE(edit_);
    delete edit_;
    edit_ = nullptr;
    EXPECT_EQ(panel_->ParentRichEditE(), nullptr);
    const TVexPrint r = Request(300, 400, 3000, 6000);
    EXPECT_EQ(panel_->Perform(kVexPrintMessage, &r), 0);

    TForm other(nullptr);
    auto* foreign = new TRichEditE(&other);
    foreign->SetName("Elsewhere");
    EXPECT_THROW(panel_->SetParentRichEditE(foreign), std::invalid_argument);
    EXPECT_EQ(panel_->ParentRichEditE(), nullptr);
    // A panel of its own is white, as a sheet of paper.
    EXPECT_EQ(panel_->Color(), clWhite);
}

TEST_F(RichPrint, AnEmptyOrOffPageRectangleTakesNothingAndKeepsThePlace) {
    const TVexPrint empty = Request(300, 400, 300, 6000);
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, &empty), kVexPrintedPart);
    const TVexPrint upsideDown = Request(300, 400, 3000, 100);
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, &upsideDown), kVexPrintedPart);
    // The laser's page is 4800 x 6600 pixels.
    const TVexPrint offPage = Request(5000, 400, 9000, 6000);
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, &offPage), kVexPrintedPart);
    const TVexPrint below = Request(300, 7000, 3000, 9000);
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, &below), kVexPrintedPart);
    EXPECT_EQ(edit_->NextChar(), 0);
    EXPECT_TRUE(Runs(dc_.Lines()).empty());
    // What lies on the page is used: the part of the rectangle above the page's foot.
    const TVexPrint acrossFoot = Request(300, 6000, 3000, 9000);
    EXPECT_EQ(edit_->Perform(kVexPrintMessage, &acrossFoot), kVexPrintedPart);
    const auto runs = Runs(dc_.Lines());
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs[0].y, 6000);
    EXPECT_LT(runs.back().y + LineHeight(), 6600 + 1);
}

TEST_F(RichPrint, TheContextIsLeftAsItWasFound) {
    dc_.SetBkColor(0xC0C0C0u);  // a page's own background colour
    dc_.SetMapMode(MM_ISOTROPIC);
    dc_.SetViewportOrgEx(50, 60);
    dc_.SetWindowExtEx(100, 100);
    dc_.SetViewportExtEx(625, 625);
    const XForm before = dc_.LogicalToDevice();
    const int depth = dc_.SaveDepth();
    const TVexPrint r = Request(300, 400, 3000, 6000);
    edit_->Perform(kVexPrintMessage, &r);
    EXPECT_EQ(dc_.LogicalToDevice(), before);
    EXPECT_EQ(dc_.SaveDepth(), depth);
    // The text went to page pixels, not through the caller's mapping.
    const auto runs = Runs(dc_.Lines());
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs[0].x, 300);
    EXPECT_EQ(runs[0].y, 400);
    // The text went out over the paper's white, and the page's silver came back after it.
    const std::vector<std::string>& lines = dc_.Lines();
    const auto text = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("ExtTextOut ", 0) == 0;
    });
    const auto white = std::find(lines.begin(), lines.end(), "SetBkColor #FFFFFF");
    EXPECT_LT(white - lines.begin(), text - lines.begin());
    EXPECT_EQ(dc_.State().bkColor, 0xC0C0C0u);
}

// A job: the form printer walks the window, the edit and the panel print as controls that
// paint themselves; every job starts at the text's beginning, and what is left is told.
class RichJob : public RichPrint {
  protected:
    void SetUp() override {
        RichPrint::SetUp();
        job_.SetShowCancelDialog(false);
        job_.SetOutputTo(poPrinter);
        job_.SetCopies(0);
        job_.OnJobNotice = [this](const std::string& line) { notices_.push_back(line); };
        // The window printed: a sheet on the form holding the edit and the panel.
        sheet_ = new TPanel(&form_);
        sheet_->SetParent(&form_);
        sheet_->SetBounds(0, 0, 400, 700);
        sheet_->SetBevelOuter(bvNone);
        edit_->SetParent(sheet_);
        panel_->SetParent(sheet_);
    }
    void TearDown() override {
        if (job_.InJob()) job_.EndJob();
        RichPrint::TearDown();
    }
    std::vector<TextCall> PrintJob() {
        job_.StartJob();
        EXPECT_TRUE(job_.InJob());
        job_.PrintWindow(sheet_, 0.5, 0.5);
        const auto runs = Runs(OpenLines());
        job_.EndJob();
        return runs;
    }
    std::vector<TextCall> Lines(const std::vector<TextCall>& runs) {
        std::vector<TextCall> out;
        for (const TextCall& r : runs)
            if (r.text.rfind("line ", 0) == 0) out.push_back(r);
        return out;
    }

    TDBPrintWin job_{nullptr};
    TPanel* sheet_ = nullptr;
    std::vector<std::string> notices_;
};

TEST_F(RichJob, EveryJobStartsAtTheBeginningAndLeavesNothingOut) {
    panel_->SetParentRichEditE(edit_);
    for (int pass = 0; pass < 2; ++pass) {
        const auto runs = Lines(PrintJob());
        ASSERT_EQ(runs.size(), 12u) << "job " << pass;
        for (int i = 0; i < 12; ++i) EXPECT_EQ(runs[i].text, "line " + std::to_string(i + 1));
        // The edit's own rectangle starts at (10, 10) screen pixels from the window's place
        // (half an inch: 300 pixels), 6.25 printer pixels each, 362.5 rounded to even; the
        // panel's at (10, 200).
        EXPECT_EQ(runs[0].x, 362);
        EXPECT_EQ(runs[0].y, 362);
        EXPECT_EQ(runs.back().x, 362);
        EXPECT_GE(runs.back().y, 300 + 1250);
        EXPECT_TRUE(notices_.empty()) << notices_[0];
    }
}

TEST_F(RichJob, TextLeftAfterTheLastPanelIsToldWithItsLength) {
    panel_->SetBounds(10, 200, 300, 20);  // one line more
    panel_->SetParentRichEditE(edit_);
    const auto runs = Lines(PrintJob());
    ASSERT_GE(runs.size(), 2u);
    ASSERT_LT(runs.size(), 12u);
    const int printed = static_cast<int>(runs.size());
    const int left = static_cast<int>(Numbered(printed + 1, 12).size());
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0], "RichEdit1: " + std::to_string(left) +
                               " characters did not fit into its rectangle or its continuation "
                               "panels and were not printed");
    // A job that does not print the edit says nothing of it.
    notices_.clear();
    TPanel blank(nullptr);
    blank.SetBounds(0, 0, 100, 100);
    job_.StartJob();
    job_.PrintWindow(&blank, 0.5, 0.5);
    job_.EndJob();
    EXPECT_TRUE(notices_.empty());
}

TEST(RichTextForms, TheEditAndItsPanelsComeFromFormFiles) {
    RegisterFormPrinterClasses();
    const char* text =
        "object Letter: TForm\n"
        "  object RichEdit1: TRichEditE\n    TextFormat = rfMarkdown\n"
        "    Lines.Strings = (\n      '# Dear reader'\n      'Body')\n  end\n"
        "  object More: TVexRichContinue\n    ParentRichEditE = RichEdit1\n"
        "    BorderStyle = bsSingle\n    Caption = 'continued'\n  end\n"
        "end\n";
    TForm form(nullptr);
    const auto read = ReadComponent(text, form);
    ASSERT_TRUE(read) << read.reason();
    auto* edit = dynamic_cast<TRichEditE*>(form.FindComponent("RichEdit1"));
    auto* more = dynamic_cast<TVexRichContinue*>(form.FindComponent("More"));
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(edit->TextFormat(), rfMarkdown);
    EXPECT_EQ(more->ParentRichEditE(), edit);
    EXPECT_EQ(more->BorderStyle(), bsSingle);
    EXPECT_EQ(more->Caption(), "continued");
    EXPECT_EQ(more->Color(), clWhite);

    // A rich edit of another form, or a control that is no printing rich edit, is refused.
    const char* foreign =
        "object Letter: TForm\n"
        "  object More: TVexRichContinue\n    ParentRichEditE = Other.RichEdit1\n  end\n"
        "end\n";
    TForm f2(nullptr);
    const auto bad = ReadComponent(foreign, f2);
    ASSERT_FALSE(bad);
    EXPECT_NE(bad.reason().find("unknown component 'Other.RichEdit1'"), std::string::npos)
        << bad.reason();
    const char* wrongClass =
        "object Letter: TForm\n"
        "  object Plain: TRichEdit\n  end\n"
        "  object More: TVexRichContinue\n    ParentRichEditE = Plain\n  end\n"
        "end\n";
    TForm f3(nullptr);
    const auto wrong = ReadComponent(wrongClass, f3);
    ASSERT_FALSE(wrong);
    EXPECT_NE(wrong.reason().find("'Plain' is not a TRichEditE"), std::string::npos)
        << wrong.reason();
}

}  // namespace
}  // namespace quillon
