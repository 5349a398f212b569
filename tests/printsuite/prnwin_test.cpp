// SPDX-License-Identifier: GPL-2.0-or-later
// The print job: its stored properties, the exact places of header and footer at two
// resolutions and in both units, the macros, the ruler, the events of a multi-pass job, the
// copies and the failures.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/gdi/printer.h"
#include "platform/sys/desktop.h"
#include "platform/sys/interrupt.h"
#include "platform/sys/temp_dir.h"
#include "platform/vcl/form_file.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/job/PrnWin.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

class PrnWinTest : public testing::GdiTest {
  protected:
    void SetUp() override {
        GdiTest::SetUp();
        Headless().Reset();
        job_.SetShowCancelDialog(false);
        job_.SetOutputTo(poPrinter);
    }
    void TearDown() override {
        SetMetricUnits(0);
        Headless().Reset();
        GdiTest::TearDown();
    }

    // Runs a job of `pages` pages; the recorded pages stay in pages_. Nothing reaches the
    // printer double, as the pages recorded here are call logs rather than metafiles.
    void RunJob(int pages) {
        job_.SetCopies(0);
        job_.StartJob();
        ASSERT_TRUE(job_.InJob());
        for (int n = 2; n <= pages; ++n) job_.NewPage();
        job_.EndJob();
        ASSERT_EQ(pages_.size(), static_cast<std::size_t>(pages));
    }

    // The text calls of a page that draw exactly `text`.
    static std::vector<std::string> TextCalls(const std::vector<std::string>& page,
                                              const std::string& text) {
        std::vector<std::string> out;
        for (const auto& l : page)
            if (l.rfind("TextOut ", 0) == 0 && l.size() >= text.size() + 2 &&
                l.compare(l.size() - text.size() - 2, text.size() + 2, "\"" + text + "\"") == 0)
                out.push_back(l);
        return out;
    }
    static std::string At(int x, int y, const std::string& text) {
        return "TextOut " + std::to_string(x) + "," + std::to_string(y) + " \"" + text + "\"";
    }
    int WidthIn(const std::string& face, int height, bool bold, const std::string& text) {
        TFont& f = Printer().Canvas().Font();
        f.SetName(face);
        f.SetHeight(height);
        f.SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{});
        return Printer().Canvas().TextWidth(text);
    }

    TPrintWin job_{nullptr};
};

TEST_F(PrnWinTest, PropertiesStartAsDescribedAndOnlyNonDefaultsAreWritten) {
    EXPECT_EQ(job_.GetComponentName(), "TPrintWin component");
    TPrintWin fresh(nullptr);
    EXPECT_EQ(fresh.OutputTo(), poViewer);
    EXPECT_EQ(fresh.LineWidth(), 0);
    EXPECT_EQ(fresh.Copies(), 1);
    EXPECT_EQ(fresh.HeaderStringLeft(), std::string(34, ' '));
    EXPECT_EQ(fresh.FooterString(), std::string(50, ' '));
    EXPECT_EQ(fresh.FooterStringLeft(), std::string(28, ' '));
    EXPECT_EQ(fresh.FooterStringRight(), std::string(29, ' '));
    EXPECT_EQ(fresh.ViewBkColor(), 11234567);
    EXPECT_EQ(fresh.ViewHeading(), "Fenwy Viewer");
    EXPECT_EQ(fresh.HeaderFont().Height(), 16);
    EXPECT_EQ(fresh.FooterFont().Height(), 12);
    EXPECT_DOUBLE_EQ(fresh.LineSpacing(), 2.8);
    fresh.SetName("PrintWin1");
    const std::string text = WriteComponent(fresh);
    EXPECT_NE(text.find("object PrintWin1: TPrintWin"), std::string::npos) << text;
    EXPECT_NE(text.find("LineWidth = 0"), std::string::npos) << text;
    EXPECT_EQ(text.find("Copies"), std::string::npos) << text;
    EXPECT_EQ(text.find("OutputTo"), std::string::npos) << text;
    fresh.SetCopies(3);
    fresh.SetOutputTo(poPrinter);
    const std::string again = WriteComponent(fresh);
    EXPECT_NE(again.find("Copies = 3"), std::string::npos) << again;
    EXPECT_NE(again.find("OutputTo = poPrinter"), std::string::npos) << again;
}

TEST_F(PrnWinTest, HeaderAndFooterAt600PpiInInches) {
    job_.SetHeaderStringLeft("Left");
    job_.SetHeaderStringCenter("Centre");
    job_.SetFooterString("Middle");
    job_.SetFooterStringLeft("FL");
    job_.SetFooterStringRight("FR");
    RunJob(1);
    EXPECT_DOUBLE_EQ(job_.FooterTop(), 10.45);  // 6600 - 330 pixels
    const auto& p = pages_[0];
    // Header: left 300 + 20, top 300 + 100 / 2; font 16 screen pixels x 6.25.
    EXPECT_EQ(TextCalls(p, "Left"), std::vector<std::string>{At(320, 350, "Left")});
    const int wc = WidthIn("Arial", 100, false, "Centre");
    EXPECT_EQ(TextCalls(p, "Centre"),
              std::vector<std::string>{At(300 + 2100 - static_cast<int>(std::nearbyint(wc / 2.0)),
                                          350, "Centre")});
    // Footer band at 6270, text h 75 -> 6270 + 38 (37.5 to even).
    const int wm = WidthIn("Arial", 75, true, "Middle");
    EXPECT_EQ(TextCalls(p, "Middle"),
              std::vector<std::string>{At(300 + 2100 - static_cast<int>(std::nearbyint(wm / 2.0)),
                                          6308, "Middle")});
    EXPECT_EQ(TextCalls(p, "FL"), std::vector<std::string>{At(300 + 31, 6308, "FL")});
    const int wr = WidthIn("Arial", 75, false, "FR");
    EXPECT_EQ(TextCalls(p, "FR"), std::vector<std::string>{At(4800 - 300 - wr - 31, 6308, "FR")});
}

TEST_F(PrnWinTest, HeaderAndFooterAt300PpiInInches) {
    ASSERT_TRUE(Printer().SetPrinterIndex(k300));
    job_.SetHeaderStringLeft("Left");
    job_.SetFooterStringLeft("FL");
    RunJob(1);
    EXPECT_DOUBLE_EQ(job_.FooterTop(), 10.45);  // 3300 - 165
    // Header h = 50 at top 150; footer texts h' = round(37.5) = 38, inset round(15.625) = 16.
    EXPECT_EQ(TextCalls(pages_[0], "Left"), std::vector<std::string>{At(170, 175, "Left")});
    EXPECT_EQ(TextCalls(pages_[0], "FL"), std::vector<std::string>{At(166, 3135 + 19, "FL")});
}

TEST_F(PrnWinTest, CentimetresConvertBordersAndFooterTop) {
    job_.SetUnits(poCentimetres);
    job_.SetHeaderStringLeft("Left");
    job_.SetFooterStringLeft("FL");
    RunJob(1);
    // 6270 pixels are 26.543 cm, kept as 26.54 cm, which is 6269 pixels again.
    EXPECT_DOUBLE_EQ(job_.FooterTop(), 26.54);
    // 0.5 cm = 118 pixels at 600 ppi.
    EXPECT_EQ(TextCalls(pages_[0], "Left"), std::vector<std::string>{At(138, 168, "Left")});
    EXPECT_EQ(TextCalls(pages_[0], "FL"), std::vector<std::string>{At(149, 6269 + 38, "FL")});
}

TEST_F(PrnWinTest, MacrosOnPageThreeAndOneTimePerJob) {
    job_.SetFooterString("Page @Page of @page");
    job_.SetFooterStringLeft("Printed on @date at @Time");
    job_.SetHeaderStringLeft("x@PAGE");
    RunJob(3);
    EXPECT_EQ(TextCalls(pages_[2], "Page 3 of @page").size(), 1u);
    EXPECT_EQ(TextCalls(pages_[2], "x3").size(), 1u);
    const std::string stamp = "Printed on " + job_.JobDate() + " at " + job_.JobTime();
    for (const auto& page : pages_) {
        // Drawn once per page, always with the job's one date and time.
        EXPECT_EQ(TextCalls(page, stamp).size(), 1u);
        EXPECT_EQ(std::count_if(page.begin(), page.end(),
                                [](const std::string& l) {
                                    return l.find("Printed on") != std::string::npos;
                                }),
                  1);
    }
}

TEST(ExpandMacrosTest, FirstOccurrenceOfEachAnyCase) {
    std::string t = "@page/@PAGE @DaTe @time @TIME";
    ExpandMacros(t, 3, "D", "T");
    EXPECT_EQ(t, "3/@PAGE D T @TIME");
    std::string none = "no macro @PAG";
    ExpandMacros(none, 1, "D", "T");
    EXPECT_EQ(none, "no macro @PAG");
}

TEST_F(PrnWinTest, FilledFooterAndDisabledHeader) {
    job_.SetHeaderEnabled(false);
    job_.SetHeaderFilled(true);
    job_.SetFooterFilled(true);
    job_.Brush().SetColor(clSilver);
    RunJob(1);
    const auto fills = [&] {
        std::vector<std::string> out;
        for (const auto& l : pages_[0])
            if (l.rfind("FillRect", 0) == 0) out.push_back(l);
        return out;
    }();
    // Only the footer band: 300..4500 across, 6270 + 2 x 75 down.
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0], "FillRect 300,6270,4500,6420 solid #C0C0C0");
}

TEST_F(PrnWinTest, GenericPrinterDrawsTextOnly) {
    ASSERT_TRUE(Printer().SetPrinterIndex(kGeneric));
    job_.SetHeaderOutlined(true);
    job_.SetHeaderFilled(true);
    job_.SetFooterOutlined(true);
    job_.SetGridBackDrop(true);
    RunJob(1);
    for (const auto& l : pages_[0]) {
        EXPECT_NE(l.rfind("FillRect", 0), 0u) << l;
        EXPECT_NE(l.rfind("LineTo", 0), 0u) << l;
    }
    EXPECT_EQ(TextCalls(pages_[0], "1").size(), 3u);  // top, left and right rulers
}

TEST_F(PrnWinTest, RulerNumbersAndTicksInInches) {
    ASSERT_TRUE(Printer().SetPrinterIndex(k300));  // 8 x 11 inches
    job_.SetGridBackDrop(true);
    RunJob(1);
    const auto& p = pages_[0];
    // Top ruler 1..7 at x + 0.05 in, 0.1 in down; none at 0 and none at 8.
    for (int n = 1; n <= 7; ++n)
        EXPECT_NE(std::find(p.begin(), p.end(), At(n * 300 + 15, 30, std::to_string(n))), p.end())
            << n;
    EXPECT_TRUE(TextCalls(p, "0").empty());
    // Right ruler numbers at W - 0.2 in; left at 0.05 in.
    EXPECT_NE(std::find(p.begin(), p.end(), At(2400 - 60, 3000, "10")), p.end());
    EXPECT_NE(std::find(p.begin(), p.end(), At(15, 3000, "10")), p.end());
    EXPECT_TRUE(TextCalls(p, "11").empty());
    // Quarter ticks of the top ruler at inch 2: full depth, 3/16, 1/8, 3/16 inch down to 0.25.
    const auto has = [&](int x1, int y1, int x2, int y2) {
        const std::string m = "MoveTo " + std::to_string(x1) + "," + std::to_string(y1);
        const std::string l = "LineTo " + std::to_string(x2) + "," + std::to_string(y2);
        for (std::size_t i = 0; i + 1 < p.size(); ++i)
            if (p[i] == m && p[i + 1].rfind(l, 0) == 0) return true;
        return false;
    };
    EXPECT_TRUE(has(600, 0, 600, 75));
    EXPECT_TRUE(has(675, 56, 675, 75));  // 0.1875 in = 56.25 -> 56
    EXPECT_TRUE(has(750, 38, 750, 75));  // 0.125 in = 37.5 -> 38
    EXPECT_TRUE(has(825, 56, 825, 75));
}

TEST_F(PrnWinTest, RulerInCentimetresKeepsAQuarterInchBand) {
    job_.SetGridBackDrop(true);
    job_.SetGridBackDropUnits(poCentimetres);
    RunJob(1);
    const auto& p = pages_[0];
    // 1 cm at 600 ppi is 236 pixels; number 1 at 1.05 cm across (248), 0.1 cm down (24).
    EXPECT_NE(std::find(p.begin(), p.end(), At(248, 24, "1")), p.end());
    EXPECT_NE(std::find(p.begin(), p.end(), "MoveTo 236,0"), p.end());
    EXPECT_FALSE(MetricUnits());  // set back from Units
}

// A job whose content needs three passes.
class ThreePassJob : public TPrintWin {
  public:
    using TPrintWin::TPrintWin;
    std::vector<std::string>* log = nullptr;
    void PrintWindow(TWinControl*, double, double) override {
        log->push_back("pass " + std::to_string(PageNumber));
        if (PageNumber < 3) LastPage = false;
    }
};

TEST_F(PrnWinTest, EventOrderOfThreePasses) {
    std::vector<std::string> log;
    ThreePassJob job(nullptr);
    job.log = &log;
    job.SetShowCancelDialog(false);
    job.SetOutputTo(poPrinter);
    job.SetCopies(0);
    const auto rec = [&](const char* name) {
        return [&log, name](TObject*) { log.push_back(name); };
    };
    job.OnBeforePrint = rec("BeforePrint");
    job.OnPrintHeader = rec("PrintHeader");
    job.OnNewPage = rec("NewPage");
    job.OnPrintPage = rec("PrintPage");
    job.OnPrintFooter = rec("PrintFooter");
    job.OnAfterPrint = rec("AfterPrint");
    job.StartJob();
    job.PrintWindowPages(nullptr, 1.0, 1.0);
    job.EndJob();
    const std::vector<std::string> want{
        "BeforePrint", "PrintHeader",                                    // StartJob
        "PrintHeader", "pass 1",                                         // pass 1
        "NewPage",     "PrintPage",   "PrintFooter", "PrintHeader",      // page 2
        "PrintHeader", "pass 2",                                         // pass 2
        "NewPage",     "PrintPage",   "PrintFooter", "PrintHeader",      // page 3
        "PrintHeader", "pass 3",      "NewPage",                         // pass 3, the end
        "AfterPrint"};                                                   // EndJob, no footer events
    EXPECT_EQ(log, want);
    EXPECT_EQ(job.PageCount, 3);
}

TEST_F(PrnWinTest, ThreeCopiesAreThreeDocumentsOfAllPages) {
    SetPageRecorderFactory(nullptr);  // real page files, played to the printer double
    job_.SetCopies(3);
    job_.SetFooterString("Page @Page");
    job_.StartJob();
    job_.NewPage();
    job_.EndJob();
    ASSERT_EQ(laser_->Documents().size(), 3u);
    for (const auto& doc : laser_->Documents()) {
        EXPECT_TRUE(doc.ended);
        EXPECT_EQ(doc.pages.size(), 2u);
    }
    EXPECT_FALSE(PageFileExists(1, poPrinter));  // deleted after the job
}

TEST_F(PrnWinTest, AnInterruptedJobSendsNothingAndDeletesItsPages) {
    SetPageRecorderFactory(nullptr);
    job_.StartJob();
    job_.NewPage();
    EXPECT_FALSE(job_.AbortRequested());
    SetInterruptForTesting(SIGTERM);
    // The walks over tables stop where they ask whether to go on.
    EXPECT_TRUE(job_.AbortRequested());
    job_.NewPage();
    job_.EndJob();
    SetInterruptForTesting(0);
    EXPECT_TRUE(job_.Aborted);
    EXPECT_TRUE(laser_->Documents().empty());
    EXPECT_FALSE(PageFileExists(1, poPrinter));
    EXPECT_FALSE(PageFileExists(3, poPrinter));
}

TEST_F(PrnWinTest, ZeroCopiesPrintsNothing) {
    SetPageRecorderFactory(nullptr);
    job_.SetCopies(0);
    job_.StartJob();
    job_.EndJob();
    EXPECT_TRUE(laser_->Documents().empty());
}

TEST_F(PrnWinTest, ExecuteWithoutControlSaysSo) {
    job_.Execute();
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, "The ExecuteWinControl property is empty");
    EXPECT_FALSE(job_.InJob());
    EXPECT_TRUE(pages_.empty());
}

TEST(PrnWinNoPrinterTest, NoJobOpensWithoutAPrinter) {
    testing::TestGraphicsBackend backend;
    ScopedGraphicsBackend scope(&backend);
    Printer().Refresh();
    Headless().Reset();
    TPrintWin job(nullptr);
    job.SetShowCancelDialog(false);
    job.StartJob();
    EXPECT_FALSE(job.InJob());
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, "Error: No Printer Available");
    job.NewPage();  // nothing happens outside a job
    job.EndJob();
    EXPECT_EQ(job.PageCount, 0);
    Headless().Reset();
}

TEST_F(PrnWinTest, APageThatCannotBeStoredEndsTheJobOnceWithNothingPrinted) {
    // No page directory can be made: page 1 is lost when the second one begins.
    SetTempDirBaseForTesting(base_ + "/missing");
    SetPageRecorderFactory(nullptr);
    job_.StartJob();
    ASSERT_TRUE(job_.InJob());
    EXPECT_FALSE(job_.AbortRequested());
    job_.NewPage();
    EXPECT_TRUE(job_.AbortRequested());  // the drawing loops stop here
    job_.NewPage();
    job_.EndJob();
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text,
              "Page 1 could not be stored: cannot create a directory in " + base_ +
                  "/missing: No such file or directory");
    EXPECT_TRUE(laser_->Documents().empty());
    SetTempDirBaseForTesting(base_);
}

}  // namespace
}  // namespace quillon
