// SPDX-License-Identifier: GPL-2.0-or-later
// Page files as the real metafile recorder writes them: names, contents, the identity rule
// of playback, and the private directory they live in.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/emf/emf_format.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/page_store.h"
#include "platform/sys/temp_dir.h"
#include "platform/gdi/screen.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "printsuite/base/PrnWin_store.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// Pages recorded as enhanced metafiles (the layer's own recorder).
class PageStoreTest : public testing::GdiTest {
  protected:
    void SetUp() override {
        GdiTest::SetUp();
        SetPageRecorderFactory(nullptr);
    }

    // Plays page file n onto a recording context with the current printer's caps, as
    // printing does: into (0, 0, screen width, screen height).
    Lines PlayPage(int n, TSendTo kind = poPrinter) {
        Result<std::vector<std::uint8_t>> page = ReadPageFile(PageFileName(n, kind));
        EXPECT_TRUE(page) << page.reason();
        std::vector<std::uint8_t> data = page ? std::move(*page) : std::vector<std::uint8_t>{};
        testing::RecordingDeviceContext dc(Printer().Caps());
        const Result<void> played =
            PlayEmf(data, dc, TRect{0, 0, Screen().Width(), Screen().Height()});
        EXPECT_TRUE(played) << played.reason();
        return dc.Lines();
    }

    static bool Has(const Lines& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_F(PageStoreTest, PagesAreMetafilesNamedByNumber) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.PutText(10, 10, "one");
    gdi.NewPage();
    gdi.PutText(10, 10, "two");
    gdi.ClosePage();
    EXPECT_TRUE(gdi.SaveError().empty()) << gdi.SaveError();
    const std::string dir = ProcessTempDir().value();
    for (const char* name : {"PRN001.EMF", "PRN002.EMF"}) {
        Result<std::vector<std::uint8_t>> page = ReadPageFile(dir + "/" + name);
        ASSERT_TRUE(page) << name << ": " << page.reason();
        const std::vector<std::uint8_t> data = std::move(*page);
        const auto header = ReadEmfHeader(data);
        ASSERT_TRUE(header) << name << ": " << header.reason();
        // For the printer's page (the header describes it), recorded against the screen.
        EXPECT_EQ(header->deviceSizePixels, (TSize{4800, 6600}));
        EXPECT_EQ(header->FramePixels(), (TRect{0, 0, 4799, 6599}));
        ASSERT_TRUE(header->page);
        EXPECT_EQ(*header->page, (EmfPageInfo{4800, 6600, 600, 600}));
        ASSERT_TRUE(header->pageReference);
        EXPECT_EQ(*header->pageReference,
                  (EmfPageReference{Screen().Width(), Screen().Height(), 96, 96}));
        EXPECT_TRUE(header->IsDescribedPage());
        struct stat st {};
        ASSERT_EQ(stat((dir + "/" + name).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    EXPECT_FALSE(fs::exists(dir + "/PRN003.EMF"));
    EXPECT_EQ(DeletePageFiles(poPrinter), 2);
}

TEST_F(PageStoreTest, PlaybackLandsEveryRecordedPixelOnThePrinterPixel) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.SetPen(1, clBlack);
    gdi.FrameBox(3000, 4000, 4500, 6000, 2, 2, 2, 2);
    gdi.DrawEllipse(2000, 2500, 2600, 2900);
    gdi.SetBrush(0, clRed, 0);
    gdi.FillBox(TRect{100, 200, 4700, 6500});
    gdi.ClosePage();
    const Lines played = PlayPage(1);
    // Coordinates far outside the screen-sized frame come back one to one.
    EXPECT_TRUE(Has(played, "MoveTo 3000,4000")) << ::testing::PrintToString(played);
    EXPECT_TRUE(Has(played, "LineTo 4500,4000"));
    EXPECT_TRUE(Has(played, "MoveTo 4499,4000"));
    EXPECT_TRUE(Has(played, "LineTo 4500,6000"));
    EXPECT_TRUE(Has(played, "Ellipse 2000,2500,2600,2900"));
    EXPECT_TRUE(Has(played, "FillRect 100,200,4700,6500 solid #FF0000"));
}

TEST_F(PageStoreTest, APlantedLinkInTheSharedDirectoryIsNeverWritten) {
    // Someone plants the old, predictable name in the shared temporary directory (here the
    // base in which our private directory is made), pointing at a file of ours.
    const std::string victim = base_ + "/victim.txt";
    std::ofstream(victim) << "precious";
    ASSERT_EQ(symlink(victim.c_str(), (base_ + "/PRN001.EMF").c_str()), 0);

    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.PutText(0, 0, "page");
    gdi.ClosePage();
    EXPECT_TRUE(gdi.SaveError().empty()) << gdi.SaveError();
    EXPECT_NE(fs::path(gdi.PageFile()).parent_path().string(), base_);
    gdi.DeletePages();

    std::ifstream in(victim);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "precious");
    EXPECT_TRUE(fs::is_symlink(base_ + "/PRN001.EMF"));
}

TEST_F(PageStoreTest, ALinkInsideThePageDirectoryIsNotFollowed) {
    // Defence in depth: even in our own directory a page is never written through a link.
    const std::string victim = base_ + "/victim.txt";
    std::ofstream(victim) << "precious";
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    ASSERT_EQ(symlink(victim.c_str(), gdi.PageFile().c_str()), 0);
    gdi.ClosePage();
    EXPECT_NE(gdi.SaveError().find("could not be stored"), std::string::npos) << gdi.SaveError();
    std::ifstream in(victim);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "precious");
}

TEST_F(PageStoreTest, NoPrivateDirectoryMeansTheJobSaysItsPagesAreLost) {
    SetTempDirBaseForTesting(base_ + "/missing");
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.PutText(0, 0, "page");
    gdi.ClosePage();
    EXPECT_NE(gdi.SaveError().find("Page 1 could not be stored"), std::string::npos)
        << gdi.SaveError();
    EXPECT_FALSE(PageFileExists(1, poPrinter));
}

TEST_F(PageStoreTest, AFailedPageWriteReachesTheJobAndKeepsTheEarlierPage) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    gdi.PutText(10, 10, "first version");
    gdi.ClosePage();
    ASSERT_TRUE(gdi.SaveError().empty()) << gdi.SaveError();
    // A new job's page 1 on a disk that fills up half-way through it.
    TGdi again(poPrinter);
    again.StartDocument(clWhite, "", 100);
    again.PutText(10, 10, "second version");
    FailPrivateWritesAfterForTesting(100);
    again.ClosePage();
    FailPrivateWritesAfterForTesting(-1);
    EXPECT_EQ(again.SaveError(),
              "Page 1 could not be stored: " + PageFileName(1, poPrinter) +
                  ": No space left on device");
    std::string played;
    for (const auto& line : PlayPage(1)) played += line + "\n";
    EXPECT_NE(played.find("\"first version\""), std::string::npos) << played;
    EXPECT_EQ(played.find("second version"), std::string::npos) << played;
    EXPECT_EQ(StoredPageCount(poPrinter), 1);
    for (const auto& e : fs::directory_iterator(ProcessTempDir().value()))
        EXPECT_EQ(e.path().filename().string().rfind("PRN", 0), 0u) << e.path();
}

// Two program instances print at the same time: each keeps its own pages.
TEST_F(PageStoreTest, TwoProcessesPrintingAtOnceKeepTheirOwnPages) {
    int ready[2][2], go[2][2], result[2][2];
    pid_t pids[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(pipe(ready[i]), 0);
        ASSERT_EQ(pipe(go[i]), 0);
        ASSERT_EQ(pipe(result[i]), 0);
    }
    for (int i = 0; i < 2; ++i) {
        pids[i] = fork();
        ASSERT_GE(pids[i], 0);
        if (pids[i] != 0) continue;
        // The child: record a three-page job with its own texts, wait until the other has
        // recorded too, then check every page still holds its own text.
        const std::string me = i == 0 ? "first" : "second";
        TGdi gdi(poPrinter);
        gdi.DeletePages();
        gdi.StartDocument(clWhite, "", 100);
        for (int page = 1; page <= 3; ++page) {
            if (page > 1) gdi.NewPage();
            gdi.PutText(100, 100, me + " job page " + std::to_string(page));
        }
        gdi.ClosePage();
        char c = 'r';
        if (write(ready[i][1], &c, 1) != 1) _exit(3);
        if (read(go[i][0], &c, 1) != 1) _exit(4);
        std::string report;
        for (int page = 1; page <= 3; ++page) {
            Result<std::vector<std::uint8_t>> stored = ReadPageFile(PageFileName(page, poPrinter));
            if (!stored) {
                report += "missing " + std::to_string(page) + ";";
                continue;
            }
            const std::vector<std::uint8_t> data = std::move(*stored);
            testing::RecordingDeviceContext dc(Printer().Caps());
            // A page played wrong shows in the text looked for next.
            static_cast<void>(PlayEmf(data, dc, TRect{0, 0, Screen().Width(), Screen().Height()}));
            const std::string want = me + " job page " + std::to_string(page);
            if (dc.Text().find(want) == std::string::npos)
                report += "wrong " + std::to_string(page) + ";";
        }
        report += "dir=" + ProcessTempDir().value_or(std::string());
        if (write(result[i][1], report.data(), report.size()) < 0) _exit(5);
        std::exit(0);  // a normal exit: the directory is removed on the way out
    }
    // Both have recorded before either checks.
    for (int i = 0; i < 2; ++i) {
        char c;
        ASSERT_EQ(read(ready[i][0], &c, 1), 1);
    }
    for (int i = 0; i < 2; ++i) {
        char c = 'g';
        ASSERT_EQ(write(go[i][1], &c, 1), 1);
        close(result[i][1]);
    }
    std::string dirs[2];
    for (int i = 0; i < 2; ++i) {
        std::string report;
        char buf[512];
        for (ssize_t n; (n = read(result[i][0], buf, sizeof buf)) > 0;)
            report.append(buf, static_cast<std::size_t>(n));
        int status = 0;
        ASSERT_EQ(waitpid(pids[i], &status, 0), pids[i]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        ASSERT_EQ(report.rfind("dir=", 0), 0u) << "child " << i << ": " << report;
        dirs[i] = report.substr(4);
    }
    EXPECT_NE(dirs[0], dirs[1]);
    // Each child's directory went with it.
    EXPECT_FALSE(fs::exists(dirs[0]));
    EXPECT_FALSE(fs::exists(dirs[1]));
}

}  // namespace
}  // namespace quillon
