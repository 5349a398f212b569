// SPDX-License-Identifier: GPL-2.0-or-later
// The page store and the private files under it: names, atomic replacement of a page, a
// write that fails half-way (a test hook, and a real full file system when we may mount one),
// links, and counting and deleting without a limit.
#include "platform/emf/page_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sys/interrupt.h"
#include "platform/sys/temp_dir.h"
#include "tests/support/page_dir_base.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

// Names in a directory other than the pages themselves (temporary files left behind).
std::vector<std::string> Others(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("PRN", 0) != 0) names.push_back(name);
    }
    return names;
}

class PageStore : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(base_.empty()); }
    void TearDown() override { FailPrivateWritesAfterForTesting(-1); }
    testing::ScopedPageDirBase scope_;
    const std::string& base_ = scope_.Path();
};

TEST_F(PageStore, NamesArePaddedToThreeDigitsAndNeverCut) {
    EXPECT_EQ(PageFileBaseName(1, PageKind::Metafile), "PRN001.EMF");
    EXPECT_EQ(PageFileBaseName(1000, PageKind::Metafile), "PRN1000.EMF");
    EXPECT_EQ(PageFileBaseName(12, PageKind::Html), "PRN012.HTM");
    EXPECT_EQ(PageFilePathIn("/d/", 7, PageKind::Metafile), "/d/PRN007.EMF");
    EXPECT_EQ(PageFilePath(2, PageKind::Html), ProcessTempDir().value() + "/PRN002.HTM");
}

TEST_F(PageStore, AWrittenPageReadsBackWithMode0600) {
    const Bytes page = Pattern(200000, 3);
    ASSERT_TRUE(WritePage(1, PageKind::Metafile, page).ok());
    const auto back = ReadPage(1, PageKind::Metafile);
    ASSERT_TRUE(back) << back.reason();
    EXPECT_EQ(*back, page);
    struct stat st {};
    ASSERT_EQ(lstat(PageFilePath(1, PageKind::Metafile).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(Others(ProcessTempDir().value()).empty());
}

TEST_F(PageStore, AWriteThatFailsHalfWayLeavesTheEarlierPageAndNoTemporaryFile) {
    const Bytes good = Pattern(5000, 1);
    ASSERT_TRUE(WritePage(2, PageKind::Metafile, good).ok());
    FailPrivateWritesAfterForTesting(4096);
    const Result<void> failed = WritePage(2, PageKind::Metafile, Pattern(10000, 9));
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.reason(), PageFilePath(2, PageKind::Metafile) + ": No space left on device");
    FailPrivateWritesAfterForTesting(-1);
    const auto back = ReadPage(2, PageKind::Metafile);
    ASSERT_TRUE(back) << back.reason();
    EXPECT_EQ(*back, good);
    EXPECT_TRUE(Others(ProcessTempDir().value()).empty());
    // A page that was never there stays missing: a failed first write stores nothing.
    FailPrivateWritesAfterForTesting(0);
    EXPECT_FALSE(WritePage(3, PageKind::Metafile, Pattern(10, 0)));
    EXPECT_FALSE(PageExists(3, PageKind::Metafile));
    EXPECT_EQ(StoredPageCount(PageKind::Metafile), 0);  // page 1 was never written
}

TEST_F(PageStore, AFullFileSystemLeavesTheEarlierPageIntact) {
    const std::string mnt = base_ + "/small";
    fs::create_directory(mnt);
    if (geteuid() != 0 || mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    SetTempDirBaseForTesting(mnt);
    const Bytes good = Pattern(20000, 5);
    ASSERT_TRUE(WritePage(1, PageKind::Metafile, good).ok());
    // Refused before the disk is full: 60,000 bytes would leave less than a twentieth free.
    const Result<void> failed = WritePage(1, PageKind::Metafile, Pattern(60000, 6));
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.reason(), "only 0 MB free in " + ProcessTempDir().value() +
                                   ": the job stops before the disk is full");
    // One that fits in what is left but not in the reserve is refused as well.
    EXPECT_FALSE(WritePage(2, PageKind::Metafile, Pattern(43000, 7)));
    EXPECT_TRUE(WritePage(2, PageKind::Metafile, Pattern(10000, 7)));
    EXPECT_TRUE(RemovePrivateFile(PageFilePath(2, PageKind::Metafile)));
    const auto back = ReadPage(1, PageKind::Metafile);
    const std::string dir = ProcessTempDir().value();
    const std::vector<std::string> others = Others(dir);
    SetTempDirBaseForTesting(base_);
    umount(mnt.c_str());
    ASSERT_TRUE(back) << back.reason();
    EXPECT_EQ(*back, good);
    EXPECT_TRUE(others.empty());
}

TEST_F(PageStore, ALinkInAPagesPlaceIsNeitherFollowedNorReplaced) {
    const std::string victim = base_ + "/victim";
    std::ofstream(victim) << "precious";
    const std::string page = PageFilePath(1, PageKind::Metafile);
    ASSERT_EQ(symlink(victim.c_str(), page.c_str()), 0);
    const Result<void> written = WritePage(1, PageKind::Metafile, Pattern(10, 0));
    ASSERT_FALSE(written);
    EXPECT_EQ(written.reason(), page + " is a link");
    EXPECT_TRUE(fs::is_symlink(page));
    EXPECT_FALSE(ReadPage(1, PageKind::Metafile));  // not read through either
    EXPECT_TRUE(PageExists(1, PageKind::Metafile));
    std::string text;
    std::getline(std::ifstream(victim) >> std::ws, text);
    EXPECT_EQ(text, "precious");
    EXPECT_EQ(DeletePages(PageKind::Metafile), 1);
    EXPECT_TRUE(fs::exists(victim));
}

TEST_F(PageStore, ReadsRefuseWhatIsNotAPage) {
    EXPECT_EQ(ReadPage(4, PageKind::Metafile).reason(),
              PageFilePath(4, PageKind::Metafile) + ": cannot open the file");
    fs::create_directory(PageFilePath(4, PageKind::Metafile));
    EXPECT_EQ(ReadPage(4, PageKind::Metafile).reason(),
              PageFilePath(4, PageKind::Metafile) + ": not a page file");
    const std::string big = base_ + "/big";
    std::ofstream(big) << "x";
    fs::resize_file(big, kMaxPageFileBytes + 1);  // sparse: no disk used
    EXPECT_EQ(ReadPageFile(big, true).reason(), big + ": file too large for a page");
    EXPECT_EQ(ReadPageFile("").reason(), "no page file");
}

TEST_F(PageStore, AFileTheUserNamesMayBeALinkAStoredPageMayNot) {
    const std::string real = base_ + "/real.emf";
    ASSERT_TRUE(WritePageFile(real, Pattern(30, 2)).ok());
    const std::string link = base_ + "/link.emf";
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    EXPECT_TRUE(ReadPageFile(link, /*userFile=*/true));
    EXPECT_FALSE(ReadPageFile(link));
}

TEST_F(PageStore, CountingAndDeletingGoToTheLastStoredPage) {
    // Past every limit the store once had (1,001 printed, 5,000 deleted).
    const Bytes tiny{1, 2, 3};
    for (int n = 1; n <= 5003; ++n) ASSERT_TRUE(WritePage(n, PageKind::Metafile, tiny).ok()) << n;
    ASSERT_TRUE(WritePage(5005, PageKind::Metafile, tiny).ok());  // after a gap: not this job's
    ASSERT_TRUE(WritePage(1, PageKind::Html, tiny).ok());
    EXPECT_EQ(StoredPageCount(PageKind::Metafile), 5003);
    EXPECT_EQ(DeletePages(PageKind::Metafile), 5003);
    EXPECT_EQ(StoredPageCount(PageKind::Metafile), 0);
    EXPECT_TRUE(PageExists(5005, PageKind::Metafile));
    EXPECT_TRUE(PageExists(1, PageKind::Html));
}

TEST_F(PageStore, AnInterruptedJobsDeletionTakesTheWholeDirectoryAtOnce) {
    const Bytes tiny{1, 2, 3};
    for (int n = 1; n <= 300; ++n) ASSERT_TRUE(WritePage(n, PageKind::Metafile, tiny).ok()) << n;
    ASSERT_TRUE(WritePage(1, PageKind::Html, tiny).ok());
    const std::string dir = ProcessTempDir().value();
    SetInterruptForTesting(SIGINT);
    DeletePages(PageKind::Metafile);
    SetInterruptForTesting(0);
    // Gone from the store at once, the HTML page with the rest; the folder itself is removed
    // by a process of its own, soon.
    EXPECT_EQ(StoredPageCount(PageKind::Metafile), 0);
    EXPECT_FALSE(PageExists(1, PageKind::Html));
    EXPECT_NE(ProcessTempDir().value(), dir);
    bool gone = false;
    for (int i = 0; i < 3000 && !gone; ++i) {
        gone = !fs::exists(dir);
        if (!gone) usleep(10000);
    }
    EXPECT_TRUE(gone) << dir;
}

// The free-space rule with a file system the test controls: each page written takes its
// whole blocks from what is free, and every look at the disk is counted.
class FakeDisk {
  public:
    FakeDisk(std::int64_t total, std::int64_t free) : total_(total), free_(free) {}
    RoomBudget Budget() {
        return RoomBudget([this](const std::string& dir) -> std::optional<DiskSpace> {
            looks_.push_back(dir);
            if (broken_) return std::nullopt;
            return DiskSpace{total_, free_, 4096};
        });
    }
    // Takes room for a page and, when granted, writes it.
    Result<void> Write(RoomBudget& budget, std::size_t bytes, const std::string& dir = "/d") {
        Result<void> r = budget.Take(dir, bytes);
        if (r) free_ -= static_cast<std::int64_t>((bytes + 4095) / 4096 * 4096);
        return r;
    }
    std::vector<std::string> looks_;
    std::int64_t total_, free_;
    bool broken_ = false;
};

TEST(RoomBudget, AFarAwayReserveIsLookedAtEveryFewMegabytesANearOneBeforeEveryPage) {
    FakeDisk disk(std::int64_t{100} << 30, std::int64_t{50} << 30);
    RoomBudget budget = disk.Budget();
    // 1,000 pages of 23,000 bytes (six blocks each): a look at pages 1, 343 and 685 only.
    for (int n = 1; n <= 1000; ++n) ASSERT_TRUE(disk.Write(budget, 23000)) << n;
    EXPECT_EQ(disk.looks_, std::vector<std::string>(3, "/d"));
    // Another folder is a file system of its own.
    ASSERT_TRUE(disk.Write(budget, 10, "/e"));
    EXPECT_EQ(disk.looks_.back(), "/e");
    EXPECT_EQ(disk.looks_.size(), 4u);

    // 4 MB: the reserve is a twentieth (209,715 bytes). Pages of one block are granted while
    // they leave the reserve free, and the first that would not is refused, not one later.
    FakeDisk small(4 << 20, 4 << 20);
    RoomBudget near = small.Budget();
    int written = 0;
    Result<void> r = Ok();
    while ((r = small.Write(near, 4096))) ++written;
    EXPECT_EQ(written, ((4 << 20) - 209715) / 4096);  // 972 pages
    EXPECT_GE(small.free_ - 4096, 0);
    EXPECT_LT(small.free_ - 4096, 209715);
    EXPECT_EQ(r.reason(), "only 0 MB free in /d: the job stops before the disk is full");
    // Halving what is left above the reserve: the last pages were each looked at.
    const std::size_t looks = small.looks_.size();
    EXPECT_LT(looks, 40u);
    EXPECT_FALSE(small.Write(near, 4096));
    EXPECT_EQ(small.looks_.size(), looks + 1);
    // Room made by deleting pages is seen at the next look.
    small.free_ += 1 << 20;
    EXPECT_TRUE(small.Write(near, 4096));
}

TEST(RoomBudget, AFileSystemThatCannotBeAskedLeavesTheWriteToSayWhatIsWrong) {
    FakeDisk disk(1 << 20, 0);
    disk.broken_ = true;
    RoomBudget budget = disk.Budget();
    EXPECT_TRUE(disk.Write(budget, 4096));
    EXPECT_TRUE(disk.Write(budget, 4096));
    EXPECT_EQ(disk.looks_.size(), 2u);  // asked every time, never a budget from nothing
    disk.broken_ = false;
    EXPECT_EQ(disk.Write(budget, 1).reason(),
              "only 0 MB free in /d: the job stops before the disk is full");
}

}  // namespace
}  // namespace quillon
