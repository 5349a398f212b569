// SPDX-License-Identifier: GPL-2.0-or-later
// A job's stored pages written to a directory of the user's: names, the chosen pages, whole
// files only, and nothing replaced unless asked.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/emf/page_store.h"
#include "platform/sys/files.h"
#include "platform/sys/temp_dir.h"
#include "tests/support/page_dir_base.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

class PageExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(scope_.Path().empty());
        out_ = fs::path(scope_.Path()) / "out";
        fs::create_directories(out_);
        for (int n = 1; n <= 4; ++n)
            ASSERT_TRUE(WritePage(n, PageKind::Metafile, Bytes("page " + std::to_string(n))));
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(out_)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    testing::ScopedPageDirBase scope_;
    fs::path out_;
};

TEST(ExportedPageName, PadsToThreeDigitsAndNeverCuts) {
    EXPECT_EQ(ExportedPageName("report", 1), "report-001.emf");
    EXPECT_EQ(ExportedPageName("report", 42), "report-042.emf");
    EXPECT_EQ(ExportedPageName("my job", 1000), "my job-1000.emf");
}

TEST_F(PageExportTest, EveryStoredPageByDefaultAndTheChosenOnesInTheirOrder) {
    const Result<std::vector<std::string>> all = ExportPages({out_.string(), "job", {}, false});
    ASSERT_TRUE(all) << all.reason();
    EXPECT_EQ(all->size(), 4u);
    EXPECT_EQ(all->front(), (out_ / "job-001.emf").string());
    EXPECT_EQ(Names(), (std::vector<std::string>{"job-001.emf", "job-002.emf", "job-003.emf",
                                                 "job-004.emf"}));
    EXPECT_EQ(ReadText(out_ / "job-003.emf"), "page 3");

    // A page list: pages the job lacks are left out, one named twice is written once; the
    // directory may be given with its slash.
    const Result<std::vector<std::string>> some =
        ExportPages({out_.string() + "/", "odd", {3, 1, 9, 3, 0, -2}, false});
    ASSERT_TRUE(some) << some.reason();
    EXPECT_EQ(*some, (std::vector<std::string>{(out_ / "odd-003.emf").string(),
                                               (out_ / "odd-001.emf").string()}));
    EXPECT_EQ(ReadText(out_ / "odd-001.emf"), "page 1");
    EXPECT_FALSE(fs::exists(out_ / "odd-009.emf"));
}

TEST_F(PageExportTest, NothingIsReplacedWithoutForceAndNothingWrittenThen) {
    std::ofstream(out_ / "job-003.emf") << "the user's own file";
    const Result<std::vector<std::string>> refused = ExportPages({out_.string(), "job", {}, false});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.reason(), (out_ / "job-003.emf").string() + ": the file exists");
    // Refused before any page was written.
    EXPECT_EQ(Names(), (std::vector<std::string>{"job-003.emf"}));
    EXPECT_EQ(ReadText(out_ / "job-003.emf"), "the user's own file");

    const Result<std::vector<std::string>> forced = ExportPages({out_.string(), "job", {}, true});
    ASSERT_TRUE(forced) << forced.reason();
    EXPECT_EQ(ReadText(out_ / "job-003.emf"), "page 3");
    EXPECT_EQ(Names().size(), 4u);
}

TEST_F(PageExportTest, ALinkInAPagesPlaceIsNeverWrittenThrough) {
    const fs::path target = fs::path(scope_.Path()) / "elsewhere.txt";
    std::ofstream(target) << "keep";
    fs::create_symlink(target, out_ / "job-002.emf");
    EXPECT_EQ(ExportPages({out_.string(), "job", {}, false}).reason(),
              (out_ / "job-002.emf").string() + ": the file exists");
    EXPECT_EQ(Names(), std::vector<std::string>{"job-002.emf"});
    // With --force the link itself is replaced by the page; what it pointed to stays.
    const Result<std::vector<std::string>> forced = ExportPages({out_.string(), "job", {2}, true});
    ASSERT_TRUE(forced) << forced.reason();
    EXPECT_FALSE(fs::is_symlink(out_ / "job-002.emf"));
    EXPECT_EQ(ReadText(target), "keep");
    EXPECT_NE(ReadText(out_ / "job-002.emf"), "keep");
}

TEST_F(PageExportTest, AllOrNothingWhenAPageOnTheWayFails) {
    // Pages 1 and 2 would fit; page 3 cannot be written (a directory has its name): no page of
    // the export is left, and a file replaced by --force would have stayed as it was.
    std::ofstream(out_ / "job-001.emf") << "earlier";
    fs::create_directory(out_ / "job-003.emf");
    const Result<std::vector<std::string>> failed = ExportPages({out_.string(), "job", {}, true});
    EXPECT_EQ(failed.reason(), (out_ / "job-003.emf").string() + " is a directory");
    EXPECT_EQ(ReadText(out_ / "job-001.emf"), "earlier");
    EXPECT_EQ(Names(), (std::vector<std::string>{"job-001.emf", "job-003.emf"}));
    // The same on a full disk half-way through the second page (the first one fits).
    fs::remove(out_ / "job-003.emf");
    fs::remove(out_ / "job-001.emf");
    ASSERT_TRUE(WritePage(2, PageKind::Metafile, Bytes("page 2, longer than the first")));
    const std::size_t first = ReadPage(1, PageKind::Metafile).value().size();
    FailFileWritesAfterForTesting(static_cast<long long>(first));
    EXPECT_NE(ExportPages({out_.string(), "job", {}, false}).reason().find("No space left"),
              std::string::npos);
    FailFileWritesAfterForTesting(-1);
    EXPECT_EQ(Names(), std::vector<std::string>{});
}

TEST_F(PageExportTest, BadDirectoriesNamesAndEmptySelectionsAreRefused) {
    EXPECT_EQ(ExportPages({(out_ / "missing").string(), "job", {}, false}).reason(),
              (out_ / "missing").string() + ": not a directory");
    std::ofstream(out_ / "plain") << "x";
    EXPECT_EQ(ExportPages({(out_ / "plain").string(), "job", {}, false}).reason(),
              (out_ / "plain").string() + ": not a directory");
    for (const char* bad : {"", ".", "..", "a/b"})
        EXPECT_EQ(ExportPages({out_.string(), bad, {}, false}).reason(),
                  std::string("'") + bad + "' is not a file name");
    EXPECT_EQ(ExportPages({out_.string(), "job", {7, 8}, false}).reason(),
              "no stored page to write");
    DeletePages(PageKind::Metafile);
    EXPECT_EQ(ExportPages({out_.string(), "job", {}, false}).reason(), "no stored page to write");
}

TEST_F(PageExportTest, AFailedWriteLeavesNoPartFileAndTheEarlierOneWhole) {
    std::ofstream(out_ / "job-001.emf") << "earlier";
    FailPrivateWritesAfterForTesting(3);
    const Result<std::vector<std::string>> failed = ExportPages({out_.string(), "job", {1}, true});
    FailPrivateWritesAfterForTesting(-1);
    ASSERT_FALSE(failed);
    EXPECT_NE(failed.reason().find("No space left on device"), std::string::npos)
        << failed.reason();
    EXPECT_EQ(ReadText(out_ / "job-001.emf"), "earlier");
    EXPECT_EQ(Names(), (std::vector<std::string>{"job-001.emf"}));  // no temporary left
}

TEST(WritePrivateFileWithoutReplacing, RefusesAnExistingNameAndLeavesNoTemporary) {
    testing::ScopedPageDirBase scope;
    ASSERT_FALSE(scope.Path().empty());
    const std::string path = scope.Path() + "/kept";
    const std::vector<std::uint8_t> one = Bytes("one"), two = Bytes("two");
    ASSERT_TRUE(WritePrivateFile(path, one, Replace::No));
    const Result<void> again = WritePrivateFile(path, two, Replace::No);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.reason(), path + ": the file exists");
    EXPECT_EQ(ReadText(path), "one");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(scope.Path())) ++entries;
    EXPECT_EQ(entries, 1u);
    ASSERT_TRUE(WritePrivateFile(path, two, Replace::Yes));
    EXPECT_EQ(ReadText(path), "two");
}

}  // namespace
}  // namespace quillon
