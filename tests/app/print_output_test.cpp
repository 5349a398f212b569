// SPDX-License-Identifier: GPL-2.0-or-later
// The output of the printing commands on the printer double: the printer by name, copies as
// whole documents, the page choice, the usage errors found before anything is printed, and
// print-text's layout (exact positions with the fixed-advance measurer).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/print_commands.h"
#include "app/print_output.h"
#include "platform/emf/emf_format.h"
#include "platform/emf/emf_player.h"
#include "platform/gdi/printer.h"
#include "platform/sys/desktop.h"
#include "platform/sys/rounding.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "printsuite/job/PrnWin.h"
#include "tests/support/fake_printer.h"
#include "tests/support/page_dir_base.h"

namespace quillon {
namespace {

using testing::FakePrinter;

class StringSink : public ByteSink {
  public:
    bool Write(std::string_view bytes, bool& closed) override {
        text += bytes;
        closed = false;
        return true;
    }
    std::string text;
};

class NoInput : public ByteSource {
  public:
    long Read(char*, std::size_t) override { return 0; }
};

class PrintOutputTest : public ::testing::Test {
  protected:
    PrintOutputTest() : scope_(&backend_) {}
    void SetUp() override {
        laser_ = backend_.AddPrinter("Laser", 600, 600, 4800, 6600);
        backend_.SetDefaultPrinterIndex(0);
        Printer().Refresh();
        Headless().Reset();
        SetPageRecorderFactory(nullptr);  // real page files
        qt_.withQt = [this](bool windows, const std::function<int()>& work) {
            withQtCalls.push_back(windows);
            return work();
        };
    }
    void TearDown() override { Headless().Reset(); }

    cli::OutputOptions ToLaser() {
        cli::OutputOptions out;
        out.target = cli::OutputTarget::Printer;
        out.printer = "Laser";
        return out;
    }

    // A job of `pages` pages, each with the text "page n".
    PrintJob Pages(int pages) {
        PrintJob job;
        job.title = "test job";
        job.prepare = [](TPrintWin& p) -> Result<void> {
            p.SetHeaderEnabled(false);
            return {};
        };
        job.draw = [pages](TPrintWin& p) -> Result<void> {
            for (int n = 1; n <= pages; ++n) {
                if (n > 1) p.NewPage();
                p.Gdi()->PutText(1000, 1000, "page " + std::to_string(n));
            }
            return {};
        };
        return job;
    }

    cli::RunOutcome Run(const cli::OutputOptions& out, const PrintJob& job) {
        NoInput in;
        cli::Streams s{in, out_, err_, false};
        return RunPrintJob("test", out, job, qt_, s);
    }

    // The "page n" numbers of every printed document.
    std::vector<std::vector<int>> Printed() const {
        std::vector<std::vector<int>> docs;
        for (const FakePrinter::Document& d : laser_->Documents()) {
            docs.emplace_back();
            for (const auto& page : d.pages)
                for (const std::string& line : page)
                    if (const auto at = line.find("\"page "); at != std::string::npos)
                        docs.back().push_back(std::atoi(line.c_str() + at + 6));
        }
        return docs;
    }

    testing::TestGraphicsBackend backend_;
    ScopedGraphicsBackend scope_;
    testing::ScopedPageDirBase pageDir_;
    std::shared_ptr<FakePrinter> laser_;
    QtCommands qt_;
    std::vector<bool> withQtCalls;
    StringSink out_, err_;
};

TEST_F(PrintOutputTest, CopiesAreWholeDocumentsOfTheChosenPagesInOrder) {
    cli::OutputOptions out = ToLaser();
    out.copies = 3;
    out.pages = "5,1,3-4";
    out.odd = true;
    const cli::RunOutcome r = Run(out, Pages(6));
    EXPECT_EQ(r.status, 0) << err_.text;
    EXPECT_EQ(r.usageError, "");
    EXPECT_EQ(Printed(), (std::vector<std::vector<int>>{{1, 3, 5}, {1, 3, 5}, {1, 3, 5}}));
    for (const auto& d : laser_->Documents()) {
        EXPECT_TRUE(d.ended);
        EXPECT_EQ(d.title, "test job");
    }
    EXPECT_EQ(withQtCalls, std::vector<bool>{false});
    EXPECT_EQ(err_.text, "");
    EXPECT_FALSE(PageFileExists(1, poPrinter));  // the job's pages are gone
}

TEST_F(PrintOutputTest, EvenPagesAndAllPages) {
    cli::OutputOptions out = ToLaser();
    out.even = true;
    EXPECT_EQ(Run(out, Pages(5)).status, 0);
    out.even = false;
    EXPECT_EQ(Run(out, Pages(2)).status, 0);
    EXPECT_EQ(Printed(), (std::vector<std::vector<int>>{{2, 4}, {1, 2}}));
}

TEST_F(PrintOutputTest, UsageErrorsComeBeforeAnythingIsDrawn) {
    bool drawn = false;
    PrintJob job = Pages(1);
    job.load = [&]() -> Result<void> {
        drawn = true;
        return {};
    };
    const auto usage = [&](cli::OutputOptions out) {
        const cli::RunOutcome r = Run(out, job);
        EXPECT_EQ(r.status, 2);
        return r.usageError;
    };
    cli::OutputOptions out = ToLaser();
    out.pages = "1,x";
    EXPECT_EQ(usage(out), "'x' is not a valid integer value");
    out.pages = "1,,2";
    EXPECT_EQ(usage(out), "'' is not a valid integer value");
    out.pages = "7 -14";
    EXPECT_EQ(usage(out), "'7 ' is not a valid integer value");
    out.pages = "$FFFFFFFF";
    EXPECT_EQ(usage(out), "'$FFFFFFFF' is not a valid integer value");
    out.pages = std::string(300, '1');
    EXPECT_EQ(usage(out), "'" + std::string(255, '1') + "' is not a valid integer value");
    std::string many;
    for (int i = 1; i <= 10000; ++i) many += std::to_string(i) + ",";
    many += "z";
    out.pages = many;
    EXPECT_EQ(usage(out), "'z' is not a valid integer value");

    cli::OutputOptions preview;
    preview.copies = 2;
    EXPECT_NE(usage(preview).find(
                  "--copies, --pages, --odd and --even go with --pdf, --printer or --emf"),
              std::string::npos);
    preview.copies = 1;
    preview.odd = true;
    EXPECT_NE(usage(preview), "");
    out = ToLaser();
    out.emfName = "kept";
    EXPECT_EQ(usage(out), "--emf-name and --force go with --emf DIR");
    out.emfDir = "/tmp";
    out.emfName = "a/b";
    EXPECT_EQ(usage(out), "option '--emf-name' takes a file name without '/', not 'a/b'");
    cli::OutputOptions filesOnly;
    filesOnly.emfDir = "/tmp";
    filesOnly.copies = 2;
    EXPECT_EQ(usage(filesOnly),
              "--copies goes with --pdf or --printer; --emf keeps each page once");
    EXPECT_FALSE(drawn);
    EXPECT_TRUE(laser_->Documents().empty());
    EXPECT_TRUE(withQtCalls.empty());
}

// --emf alone: the chosen pages only as files, no window and nothing printed; with a printer:
// the files and the printed document, and a failure to keep them loses no print.
TEST_F(PrintOutputTest, PagesKeptAsFilesWithAndWithoutAPrinter) {
    const std::filesystem::path dir = std::filesystem::path(pageDir_.Path()) / "kept";
    std::filesystem::create_directory(dir);
    cli::OutputOptions out;
    out.emfDir = dir.string();
    out.odd = true;
    PrintJob job = Pages(4);
    job.title = "notes.v2.txt";
    EXPECT_EQ(Run(out, job).status, 0) << err_.text;
    EXPECT_TRUE(laser_->Documents().empty());
    EXPECT_EQ(withQtCalls, std::vector<bool>{false});
    EXPECT_TRUE(std::filesystem::exists(dir / "notes.v2-001.emf"));
    EXPECT_TRUE(std::filesystem::exists(dir / "notes.v2-003.emf"));
    EXPECT_FALSE(std::filesystem::exists(dir / "notes.v2-002.emf"));
    EXPECT_FALSE(PageFileExists(1, poPrinter));  // the job's own pages are gone

    cli::OutputOptions both = ToLaser();
    both.emfDir = dir.string();
    both.emfName = "laser";
    both.pages = "2";
    EXPECT_EQ(Run(both, Pages(3)).status, 0) << err_.text;
    EXPECT_EQ(Printed(), (std::vector<std::vector<int>>{{2}}));
    EXPECT_TRUE(std::filesystem::exists(dir / "laser-002.emf"));

    // The same again: the file is there, so it is not replaced, and the page still prints.
    EXPECT_EQ(Run(both, Pages(3)).status, 1);
    EXPECT_EQ(err_.text,
              "quillon: test: " + (dir / "laser-002.emf").string() + ": the file exists\n");
    EXPECT_EQ(Printed(), (std::vector<std::vector<int>>{{2}, {2}}));
}

TEST_F(PrintOutputTest, KeptPagesAreNamedByTheInput) {
    cli::OutputOptions out;
    PrintJob job;
    const auto name = [&](const std::string& title) {
        job.title = title;
        return KeptPagesName("cmd", out, job);
    };
    EXPECT_EQ(name("notes.txt"), "notes");
    EXPECT_EQ(name("dir/notes.tar.gz"), "notes.tar");
    EXPECT_EQ(name(".profile"), ".profile");
    EXPECT_EQ(name("Ann Lee"), "Ann Lee");
    EXPECT_EQ(name("dir/"), "cmd");
    EXPECT_EQ(name(".."), "cmd");
    job.fileName = "report";
    EXPECT_EQ(name("Quillon report"), "report");
    out.emfName = "mine";
    EXPECT_EQ(name("notes.txt"), "mine");
}

TEST_F(PrintOutputTest, AListOfHostileLengthIsCheckedAndUsed) {
    cli::OutputOptions out = ToLaser();
    std::string many;
    for (int i = 0; i < 10000; ++i) many += "2,";
    out.pages = many + "$3";
    EXPECT_EQ(Run(out, Pages(3)).status, 0) << err_.text;
    EXPECT_EQ(Printed(), (std::vector<std::vector<int>>{{2, 3}}));
}

TEST_F(PrintOutputTest, FailuresAreOneLineEachAndStatusOne) {
    cli::OutputOptions out = ToLaser();
    out.printer = "Nowhere";
    EXPECT_EQ(Run(out, Pages(1)).status, 1);
    EXPECT_EQ(err_.text,
              "quillon: test: there is no printer called 'Nowhere' ('quillon printers' lists "
              "them)\n");

    err_.text.clear();
    out = ToLaser();
    out.pages = "9";
    EXPECT_EQ(Run(out, Pages(3)).status, 1);
    EXPECT_EQ(err_.text,
              "quillon: test: none of the job's 3 pages is chosen by --pages, --odd or --even: "
              "nothing printed\n");

    err_.text.clear();
    laser_->FailNextBeginDoc("The printer is out of paper");
    EXPECT_EQ(Run(ToLaser(), Pages(2)).status, 1);
    EXPECT_NE(err_.text.find("quillon: test: "), std::string::npos);
    EXPECT_NE(err_.text.find("out of paper"), std::string::npos);

    err_.text.clear();
    PrintJob failing = Pages(2);
    failing.draw = [](TPrintWin& p) -> Result<void> {
        p.Gdi()->PutText(0, 0, "page 1");
        return Error{"the input went away"};
    };
    EXPECT_EQ(Run(ToLaser(), failing).status, 1);
    EXPECT_EQ(err_.text, "quillon: test: the input went away\n");
    EXPECT_TRUE(laser_->Documents().empty());  // the failed job sent nothing
    EXPECT_FALSE(PageFileExists(1, poPrinter));

    err_.text.clear();
    PrintJob bad = Pages(1);
    bad.load = []() -> Result<void> { return Error{"'x.txt' is empty: nothing to print"}; };
    const std::size_t calls = withQtCalls.size();
    EXPECT_EQ(Run(ToLaser(), bad).status, 1);
    EXPECT_EQ(err_.text, "quillon: test: 'x.txt' is empty: nothing to print\n");
    EXPECT_EQ(withQtCalls.size(), calls);  // refused before Qt starts
}

TEST_F(PrintOutputTest, ThePreviewNeedsADisplay) {
    const char* saved = std::getenv("QT_QPA_PLATFORM");
    const std::string keep = saved ? saved : "";
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EXPECT_FALSE(HaveDisplay());
    const cli::RunOutcome r = Run(cli::OutputOptions{}, Pages(1));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(err_.text, "quillon: no display: use --pdf or --printer\n");
    EXPECT_TRUE(withQtCalls.empty());
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    EXPECT_TRUE(HaveDisplay());
    if (saved)
        ::setenv("QT_QPA_PLATFORM", keep.c_str(), 1);
    else
        ::unsetenv("QT_QPA_PLATFORM");
}

// print-text's page: header, body and footer where the decoration puts them, at 600 pixels
// per inch on a 4800 x 6600 page (measurer: fixed advances).
TEST_F(PrintOutputTest, TextFilesAreWrappedAndPagedBetweenHeaderAndFooter) {
    const std::string file = pageDir_.Path() + "/notes.txt";
    {
        std::ofstream f(file, std::ios::binary);
        f << "first line\r\n\tindented\n";
        for (int i = 0; i < 200; ++i) f << "word ";
        f << "\nlast of page one\fpage two\n";
    }
    ASSERT_TRUE(CheckTextFile(file).ok());
    std::vector<std::vector<std::string>> texts;  // per document page: the texts drawn
    PrintJob job;
    job.title = "notes.txt";
    job.prepare = [](TPrintWin& p) -> Result<void> {
        p.SetHeaderStringLeft("notes.txt");
        p.SetFooterStringRight("Page @Page");
        return {};
    };
    job.draw = [&](TPrintWin& p) { return DrawTextFiles(p, {file}, 10, false); };
    ASSERT_EQ(Run(ToLaser(), job).status, 0) << err_.text;
    ASSERT_EQ(laser_->Documents().size(), 1u);
    const auto& pages = laser_->Documents()[0].pages;
    ASSERT_EQ(pages.size(), 2u);
    const auto has = [](const std::vector<std::string>& page, const std::string& text) {
        return std::any_of(page.begin(), page.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    // Body: left 300 + round(5 x 6.25) = 331; top 300 + 2 x 100 + 100 / 2 = 550; lines 100
    // apart (10 points at 600 ppi is 83 pixels, times 1.2).
    EXPECT_TRUE(has(pages[0], "331,550 opts 0 \"first line\""))
        << ::testing::PrintToString(pages[0]);
    EXPECT_TRUE(has(pages[0], "331,650 opts 0 \"        indented\""));
    // 200 words in lines of 20 (the printable width, 4138 pixels, holds 99 characters).
    std::string twenty;
    for (int i = 0; i < 20; ++i) twenty += i ? " word" : "word";
    EXPECT_TRUE(has(pages[0], "331,750 opts 0 \"" + twenty + "\""));
    EXPECT_TRUE(has(pages[0], "331,1650 opts 0 \"" + twenty + "\""));
    EXPECT_TRUE(has(pages[0], "331,1750 opts 0 \"last of page one\""));
    EXPECT_TRUE(has(pages[0], "320,350 opts 0 \"notes.txt\""));
    EXPECT_TRUE(has(pages[0], "\"notes.txt\""));
    EXPECT_TRUE(has(pages[0], "\"Page 1\""));
    EXPECT_TRUE(has(pages[0], "\"last of page one\""));
    EXPECT_FALSE(has(pages[0], "\"page two\""));
    EXPECT_TRUE(has(pages[1], "331,550 opts 0 \"page two\""));
    EXPECT_TRUE(has(pages[1], "\"Page 2\""));
}

TEST_F(PrintOutputTest, TextFilesThatCannotBePrintedAreRefused) {
    const std::string dir = pageDir_.Path();
    EXPECT_EQ(CheckTextFile(dir + "/absent.txt").reason(),
              "cannot read '" + dir + "/absent.txt': No such file or directory");
    std::ofstream(dir + "/empty.txt").flush();
    EXPECT_EQ(CheckTextFile(dir + "/empty.txt").reason(),
              "'" + dir + "/empty.txt' is empty: nothing to print");
    {
        std::ofstream f(dir + "/binary.bin", std::ios::binary);
        f << "text" << std::string(1, '\0') << "more";
    }
    EXPECT_EQ(CheckTextFile(dir + "/binary.bin").reason(),
              "'" + dir + "/binary.bin' is not a text file (it holds NUL bytes)");
    EXPECT_EQ(CheckTextFile(dir).reason(), "'" + dir + "' is not a file");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(ViewPlacement, PicturesKeepTheirSizeCentredOrShrinkToFitOnTheBestOrientation) {
    const TSize portrait{4800, 6600}, landscape{6600, 4800};
    // Smaller than the page: true size, centred; its own shape picks the orientation.
    PicturePlacement p = PlacePicture(TSize{1200, 600}, portrait, landscape);
    EXPECT_TRUE(p.landscape);
    EXPECT_EQ(p.rect, (TRect{2700, 2100, 3900, 2700}));
    p = PlacePicture(TSize{600, 1200}, portrait, landscape);
    EXPECT_FALSE(p.landscape);
    EXPECT_EQ(p.rect, (TRect{2100, 2700, 2700, 3900}));
    // Wider than the portrait page but not than the landscape one: landscape at true size.
    p = PlacePicture(TSize{6000, 4000}, portrait, landscape);
    EXPECT_TRUE(p.landscape);
    EXPECT_EQ(p.rect, (TRect{300, 400, 6300, 4400}));
    // Larger than either: shrunk to fit, keeping its shape, on the side that shows it larger.
    p = PlacePicture(TSize{13200, 4800}, portrait, landscape);
    EXPECT_TRUE(p.landscape);
    EXPECT_EQ(p.rect, (TRect{0, 1200, 6600, 3600}));
    p = PlacePicture(TSize{2000, 66000}, portrait, landscape);
    EXPECT_FALSE(p.landscape);
    EXPECT_EQ(p.rect, (TRect{2300, 0, 2500, 6600}));
    // A square that fits both: portrait, the usual sheet.
    EXPECT_FALSE(PlacePicture(TSize{100, 100}, portrait, landscape).landscape);
    // Degenerate sizes still give a pixel.
    EXPECT_EQ(PlacePictureIn(TSize{0, 0}, TSize{10, 10}), (TRect{4, 4, 5, 5}));
}

TEST_F(PrintOutputTest, ViewTurnsEachPictureToTheSheetThatFitsItAndKeepsOurPages) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(pageDir_.Path()) / "turned";
    fs::create_directory(dir);
    const fs::path data = fs::path(QUILLON_SOURCE_DIR) / "tests" / "data";
    const std::string portrait =
        (data / "emf" / "pictures" / "portrait_100_by_150_mm.emf").string();
    const std::string landscape =
        (data / "emf" / "pictures" / "landscape_250_by_150_mm.emf").string();
    // Ours: a page of 1200 x 800 pixels, recorded landscape.
    const std::string ours = (data / "render_page" / "page.emf").string();
    const cli::Command view = ViewCommand(qt_);
    NoInput in;
    const std::string emfDir = dir.string();
    const std::vector<std::string_view> args = {portrait,     landscape, ours,    portrait,
                                                "--printer",  "Laser",   "--emf", emfDir,
                                                "--emf-name", "turned"};
    ASSERT_EQ(cli::RunCommand(view, args, {in, out_, err_, false}), 0) << err_.text;
    ASSERT_EQ(laser_->Documents().size(), 1U);
    EXPECT_EQ(laser_->Documents()[0].pageOrientations,
              (std::vector<TPrinterOrientation>{poPortrait, poLandscape, poLandscape, poPortrait}));
    // Each kept page says the sheet it was laid out on; ours is kept as it was.
    const std::vector<std::optional<EmfPageInfo>> want = {
        EmfPageInfo{4800, 6600, 600, 600}, EmfPageInfo{6600, 4800, 600, 600},
        EmfPageInfo{1200, 800, 300, 300}, EmfPageInfo{4800, 6600, 600, 600}};
    for (std::size_t i = 0; i < want.size(); ++i) {
        Result<std::vector<std::uint8_t>> kept =
            ReadFileBytes((dir / ("turned-00" + std::to_string(i + 1) + ".emf")).string());
        ASSERT_TRUE(kept) << kept.reason();
        const Result<EmfHeaderInfo> header = ReadEmfHeader(*kept);
        ASSERT_TRUE(header) << header.reason();
        EXPECT_EQ(header->page, want[i]) << "page " << i + 1;
    }
    EXPECT_EQ(ReadFileBytes((dir / "turned-003.emf").string()).value(),
              ReadFileBytes(ours).value());
}

TEST_F(PrintOutputTest, ViewPrintsAForeignPictureAtItsTrueSizeCentredAndOurPagesAsTheyAre) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(pageDir_.Path()) / "view";
    fs::create_directory(dir);
    const fs::path picture = fs::path(QUILLON_SOURCE_DIR) / "tests" / "data" / "emf" / "pictures" /
                             "frame_far_from_the_origin.emf";
    const cli::Command view = ViewCommand(qt_);
    NoInput in;
    const std::string file = picture.string(), emfDir = dir.string();
    const std::vector<std::string_view> args = {file,   "--printer",  "Laser", "--emf",
                                                emfDir, "--emf-name", "pic"};
    const int status = cli::RunCommand(view, args, {in, out_, err_, false});
    ASSERT_EQ(status, 0) << err_.text;
    // The picture is a page of the printer, 4800 x 6600 pixels at 600 per inch.
    Result<std::vector<std::uint8_t>> kept = ReadFileBytes((dir / "pic-001.emf").string());
    ASSERT_TRUE(kept) << kept.reason();
    const Result<EmfHeaderInfo> header = ReadEmfHeader(*kept);
    ASSERT_TRUE(header) << header.reason();
    ASSERT_TRUE(header->page);
    EXPECT_EQ(*header->page, (EmfPageInfo{4800, 6600, 600, 600}));
    // Its 81 x 81 pixels at 96 per inch are 506 printer pixels, centred on the sheet.
    class Corners : public DeviceContext {
      public:
        Corners() : DeviceContext(DeviceCaps{}) {}
        TRect device;

      protected:
        void OnRectangle(const TRect& r) override {
            const XForm m = LogicalToDevice();
            device =
                TRect{RoundToInt(m.MapX(r.Left, r.Top)), RoundToInt(m.MapY(r.Left, r.Top)),
                      RoundToInt(m.MapX(r.Right, r.Bottom)), RoundToInt(m.MapY(r.Right, r.Bottom))};
        }
    } dc;
    // Played as the printer plays it: into the surface it was recorded against.
    ASSERT_TRUE(header->pageReference);
    ASSERT_TRUE(PlayEmf(
        *kept, dc,
        TRect{0, 0, header->pageReference->widthPixels, header->pageReference->heightPixels}));
    const int side = RoundToInt(81 * 600 / 96.0);
    EXPECT_NEAR(dc.device.Left, (4800 - side) / 2, 2);
    EXPECT_NEAR(dc.device.Top, (6600 - side) / 2, 2);
    EXPECT_NEAR(dc.device.Right - dc.device.Left, side * 80 / 81, 2);
    EXPECT_NEAR(dc.device.Bottom - dc.device.Top, side * 80 / 81, 2);
}

}  // namespace
}  // namespace quillon
