// SPDX-License-Identifier: GPL-2.0-or-later
// Playback of stored pages onto the printer double: one document, one printer page per
// stored page, the status dialog and its Abort, the page limit and the failures.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/sys/desktop.h"
#include "platform/sys/interrupt.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Tallet.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "printsuite/job/PrnWin.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

class PrintPagesTest : public testing::GdiTest {
  protected:
    void SetUp() override {
        GdiTest::SetUp();
        SetPageRecorderFactory(nullptr);  // real page files
        Headless().Reset();
    }
    void TearDown() override {
        ReleasePrintDialog();
        Headless().Reset();
        GdiTest::TearDown();
    }

    // Records a job of `pages` pages, each with "page n" and a thin frame.
    void RecordJob(TGdi& gdi, int pages) {
        gdi.DeletePages();
        gdi.StartDocument(clWhite, "", 100);
        for (int n = 1; n <= pages; ++n) {
            if (n > 1) gdi.NewPage();
            gdi.PutText(1000, 1200, "page " + std::to_string(n));
        }
        gdi.ClosePage();
        ASSERT_TRUE(gdi.SaveError().empty()) << gdi.SaveError();
    }

    // Runs `f` at every processing of pending messages while it returns false.
    void EveryMessageLoop(std::function<bool()> f) {
        Headless().pendingEvents.push_back([this, f] {
            if (!f()) EveryMessageLoop(f);
        });
    }

    static bool PageShows(const std::vector<std::string>& page, const std::string& text) {
        for (const auto& line : page)
            if (line.find("\"" + text + "\"") != std::string::npos) return true;
        return false;
    }
};

TEST_F(PrintPagesTest, AThreePageJobPrintsThreePagesAndBeginsNoFourth) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 3);
    bool dialogSeen = false;
    EveryMessageLoop([&] {
        dialogSeen = dialogSeen || PrintDialog1 != nullptr;
        return false;
    });
    gdi.PrintPages(false);
    ASSERT_EQ(laser_->Documents().size(), 1u);
    const auto& doc = laser_->Documents()[0];
    EXPECT_TRUE(doc.ended);
    EXPECT_FALSE(doc.aborted);
    EXPECT_EQ(doc.orientation, poPortrait);
    ASSERT_EQ(doc.pages.size(), 3u);
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(
            PageShows(doc.pages[static_cast<std::size_t>(n - 1)], "page " + std::to_string(n)))
            << n;
    EXPECT_FALSE(dialogSeen);
    EXPECT_TRUE(Headless().boxes.empty());
    // The pages stay for further copies until the job deletes them.
    EXPECT_TRUE(PageFileExists(3, poPrinter));
    gdi.PrintPages(false);
    EXPECT_EQ(laser_->Documents().size(), 2u);
    EXPECT_EQ(laser_->Documents()[1].pages.size(), 3u);
}

TEST_F(PrintPagesTest, PagesLandOnThePrinterPixelsTheyWereDrawnAt) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.FrameBox(4000, 5000, 4700, 6500, 2, 0, 0, 0);
    gdi.ClosePage();
    gdi.PrintPages(false);
    ASSERT_EQ(laser_->Documents().size(), 1u);
    const auto& page = laser_->Documents()[0].pages.at(0);
    for (const char* line :
         {"MoveTo 4000,5000", "LineTo 4700,5000", "MoveTo 4000,5001", "LineTo 4700,5001"})
        EXPECT_NE(std::find(page.begin(), page.end(), line), page.end()) << line;
}

TEST_F(PrintPagesTest, AbortDuringTheThirdOfFivePagesEndsThePrinting) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 5);
    std::vector<std::string> pageField, statusField;
    EveryMessageLoop([&] {
        if (!PrintDialog1) return false;
        pageField.push_back(PrintDialog1->Page->Text());
        statusField.push_back(PrintDialog1->Status->Text());
        if (Printer().PageNumber() != 3) return false;
        PrintDialog1->CancelBtn->InputClick();  // the user presses Abort
        return true;
    });
    gdi.PrintPages(true);
    ASSERT_EQ(laser_->Documents().size(), 1u);
    const auto& doc = laser_->Documents()[0];
    EXPECT_TRUE(doc.aborted);
    EXPECT_FALSE(doc.ended);
    ASSERT_EQ(doc.pages.size(), 3u);  // no fourth page was begun
    EXPECT_TRUE(PageShows(doc.pages[2], "page 3"));
    EXPECT_EQ(pageField, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(statusField, (std::vector<std::string>{"Printing...", "Printing...", "Printing..."}));
    EXPECT_EQ(PrintDialog1, nullptr);  // released at the end
    EXPECT_FALSE(Printer().Printing());
}

TEST_F(PrintPagesTest, AJobFormatsAndPrintsUnderOneStatusWindow) {
    // The window that told the formatting goes on with "Printing...": no second window.
    TPrintWin job(nullptr);
    job.SetOutputTo(poPrinter);
    job.SetShowCancelDialog(true);
    std::vector<std::string> seen;
    EveryMessageLoop([&] {
        if (!PrintDialog1) return false;
        if (PrintDialog1->Tag() == 0) PrintDialog1->SetTag(static_cast<int>(seen.size()) + 1);
        seen.push_back(std::to_string(PrintDialog1->Tag()) + " " + PrintDialog1->Status->Text());
        return false;
    });
    job.StartJob();
    ASSERT_TRUE(job.InJob());
    job.NewPage();
    job.EndJob();
    ASSERT_FALSE(seen.empty());
    for (const std::string& s : seen) EXPECT_EQ(s.substr(0, 2), "1 ") << s;
    EXPECT_EQ(seen.back(), "1 Printing...");
    ASSERT_EQ(laser_->Documents().size(), 1u);
    EXPECT_EQ(laser_->Documents()[0].pages.size(), 2u);
    EXPECT_EQ(PrintDialog1, nullptr);
}

TEST_F(PrintPagesTest, AnInterruptDuringTheSecondPageDropsTheWholeDocument) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 5);
    // The interrupt comes while page 2 is played; the document is dropped after that page
    // (never ended, so the printer keeps no part of it) and page 3 is not begun.
    EveryMessageLoop([&] {
        if (Printer().PageNumber() != 2) return false;
        SetInterruptForTesting(SIGINT);
        return true;
    });
    gdi.PrintPages(false);
    SetInterruptForTesting(0);
    ASSERT_EQ(laser_->Documents().size(), 1u);
    const auto& doc = laser_->Documents()[0];
    EXPECT_TRUE(doc.aborted);
    EXPECT_FALSE(doc.ended);
    EXPECT_EQ(doc.pages.size(), 2u);
    EXPECT_FALSE(Printer().Printing());
    EXPECT_TRUE(Headless().boxes.empty());  // no error to report: the user stopped it
}

TEST_F(PrintPagesTest, PlaybackStopsAtTheFirstMissingPage) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 4);
    fs::remove(PageFileName(3, poPrinter));
    gdi.PrintPages(false);
    ASSERT_EQ(laser_->Documents().size(), 1u);
    EXPECT_EQ(laser_->Documents()[0].pages.size(), 2u);
    EXPECT_TRUE(laser_->Documents()[0].ended);
}

TEST_F(PrintPagesTest, OrientationComesFromTheSettingsStore) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 1);
    for (const char* value : {"Landscape", "portrait", "sideways"}) {
        TRegIniFile("Tallet.Ini").WriteString("Printer", "Orientation", value);
        gdi.PrintPages(false);
        EXPECT_EQ(laser_->Documents().back().orientation, poLandscape) << value;
    }
    TRegIniFile("Tallet.Ini").WriteString("Printer", "Orientation", "Portrait");
    gdi.PrintPages(false);
    EXPECT_EQ(laser_->Documents().back().orientation, poPortrait);
    TRegIniFile("Tallet.Ini").DeleteKey("Printer", "Orientation");
    gdi.PrintPages(false);
    EXPECT_EQ(laser_->Documents().back().orientation, poPortrait);
}

TEST_F(PrintPagesTest, NothingWhileThePrinterIsPrinting) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 2);
    ASSERT_TRUE(Printer().BeginDoc());
    gdi.PrintPages(true);
    EXPECT_EQ(PrintDialog1, nullptr);
    Printer().EndDoc();
    ASSERT_EQ(laser_->Documents().size(), 1u);
    EXPECT_EQ(laser_->Documents()[0].pages.size(), 1u);  // only the empty page of our own
}

TEST_F(PrintPagesTest, APrinterThatCannotStartIsReported) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 2);
    laser_->FailNextBeginDoc("The printer is out of paper");
    gdi.PrintPages(true);
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_NE(Headless().boxes[0].text.find("out of paper"), std::string::npos)
        << Headless().boxes[0].text;
    EXPECT_EQ(Headless().boxes[0].flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(PrintDialog1, nullptr);
}

TEST_F(PrintPagesTest, ADamagedPageFileIsReportedAndEndsThePlayback) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 3);
    std::ofstream(PageFileName(2, poPrinter), std::ios::trunc) << "not a metafile";
    gdi.PrintPages(false);
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text.rfind("Page 2 could not be printed: ", 0), 0u)
        << Headless().boxes[0].text;
    // Found before a sheet was begun for it: the document holds page 1 only.
    ASSERT_EQ(laser_->Documents().size(), 1u);
    ASSERT_EQ(laser_->Documents()[0].pages.size(), 1u);
    EXPECT_TRUE(PageShows(laser_->Documents()[0].pages.at(0), "page 1"));
}

TEST_F(PrintPagesTest, ACutPageIsReportedAndNothingOfItIsPrinted) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 2);
    const std::string page2 = PageFileName(2, poPrinter);
    const auto size = std::filesystem::file_size(page2);
    std::filesystem::resize_file(page2, size - 20);  // its end record is gone
    gdi.PrintPages(false);
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text.rfind("Page 2 could not be printed: ", 0), 0u)
        << Headless().boxes[0].text;
    ASSERT_EQ(laser_->Documents().size(), 1u);
    EXPECT_EQ(laser_->Documents()[0].pages.size(), 1u);
}

TEST_F(PrintPagesTest, APipeInPlaceOfAPageIsReportedNotWaitedOn) {
    TGdi gdi(poPrinter);
    RecordJob(gdi, 3);
    const std::string page2 = PageFileName(2, poPrinter);
    ASSERT_EQ(std::remove(page2.c_str()), 0);
    ASSERT_EQ(mkfifo(page2.c_str(), 0600), 0);
    gdi.PrintPages(false);  // opening the pipe for reading would block without a writer
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_NE(Headless().boxes[0].text.find("Page 2 could not be printed: "), std::string::npos)
        << Headless().boxes[0].text;
    EXPECT_NE(Headless().boxes[0].text.find("not a page file"), std::string::npos);
    ASSERT_EQ(laser_->Documents().size(), 1u);
    EXPECT_EQ(laser_->Documents()[0].pages.size(), 1u);
    gdi.DeletePages();
    EXPECT_FALSE(PageFileExists(2, poPrinter));
}

TEST_F(PrintPagesTest, EveryStoredPageGoesIntoOneDocument) {
    // Once cut at 1,001 pages without a word: a long job lost its end.
    TGdi gdi(poPrinter);
    RecordJob(gdi, 1003);
    gdi.PrintPages(false);
    ASSERT_EQ(laser_->Documents().size(), 1u);
    // The last stored page is the last sheet: no blank one after it.
    EXPECT_EQ(laser_->Documents()[0].pages.size(), 1003u);
    EXPECT_TRUE(PageShows(laser_->Documents()[0].pages[1000], "page 1001"));
    EXPECT_TRUE(PageShows(laser_->Documents()[0].pages.back(), "page 1003"));
    EXPECT_TRUE(Headless().boxes.empty());
    EXPECT_TRUE(laser_->Documents()[0].ended);
    EXPECT_EQ(DeletePageFiles(poPrinter), 1003);
}

}  // namespace
}  // namespace quillon
