// SPDX-License-Identifier: GPL-2.0-or-later
// A stored job played onto the built-in "Print to PDF" printer, checked with the poppler
// tools: one PDF page per stored page, with the texts recorded on it.

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include <QSettings>
#include "platform/gdi/printer.h"

#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_host.h"
#include "platform/sys/temp_dir.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "printsuite/base/PrnWin_store.h"
#include "tests/printsuite_qt/suite_qt_host.h"
#include "tests/support/page_dir_base.h"
#include "tests/support/run_command.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

using testing::RunCommand;

int PdfPages(const std::string& path) {
    int status = 0;
    const std::string info = RunCommand("pdfinfo '" + path + "' 2>/dev/null", &status);
    const auto at = info.find("Pages:");
    if (status != 0 || at == std::string::npos) return -1;
    return std::stoi(info.substr(at + 6));
}

std::string PdfPageText(const std::string& path, int page) {
    const std::string p = std::to_string(page);
    return RunCommand("pdftotext -f " + p + " -l " + p + " '" + path + "' - 2>/dev/null");
}

class PdfPrintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_ = &SuiteHost();
        Printer().Refresh();
        const auto& names = Printer().Printers();
        const auto it = std::find(names.begin(), names.end(), PdfPrinterDevice::kName);
        ASSERT_NE(it, names.end());
        ASSERT_TRUE(Printer().SetPrinterIndex(static_cast<int>(it - names.begin())));

        ASSERT_FALSE(dir_.empty());
        host_->Graphics().PdfPrinter().SetOutputFile(dir_ + "/job.pdf");
    }
    QtHost* host_ = nullptr;
    testing::ScopedPageDirBase scope_;
    const std::string& dir_ = scope_.Path();
};

TEST_F(PdfPrintTest, AStoredJobBecomesOnePdfPagePerPage) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    const char* texts[] = {"Quillon first page", "Quillon second page", "Quillon third page"};
    for (int page = 0; page < 3; ++page) {
        if (page > 0) gdi.NewPage();
        gdi.SetPen(1, clBlack);
        gdi.FrameBox(300, 300, 4800, 6000, 2, 2, 2, 2);
        gdi.SetFont("Arial", -100);
        gdi.PutText(600, 600, texts[page]);
        gdi.WrapText(600, 900, 120, TRect{600, 900, 3000, 3000},
                     "wrapped words on page " + std::to_string(page + 1), 0, false);
    }
    gdi.ClosePage();
    ASSERT_TRUE(gdi.SaveError().empty()) << gdi.SaveError();

    gdi.PrintPages(false);
    EXPECT_FALSE(Printer().Printing());
    const std::string pdf = dir_ + "/job.pdf";
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(PdfPages(pdf), 3);
    for (int page = 1; page <= 3; ++page) {
        const std::string text = PdfPageText(pdf, page);
        EXPECT_NE(text.find(texts[page - 1]), std::string::npos) << page << ": " << text;
        EXPECT_NE(text.find("page " + std::to_string(page)), std::string::npos) << text;
    }
    gdi.DeletePages();
    EXPECT_FALSE(PageFileExists(1, poPrinter));
}

}  // namespace
}  // namespace quillon
