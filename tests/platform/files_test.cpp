// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/files.h"
#include "platform/sys/ini_file.h"
#include "platform/sys/limits.h"
#include "tests/support/page_dir_base.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillon {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

// The names in `dir`, so a test sees every stray temporary file.
std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class Files : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(base_.empty()); }
    void TearDown() override { FailFileWritesAfterForTesting(-1); }
    testing::ScopedPageDirBase scope_;
    const std::string& base_ = scope_.Path();
};

TEST_F(Files, OnlyRegularFilesAreOpenedAndAFifoNeverBlocks) {
    const std::string fifo = base_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(OpenRegularFile(fifo).reason(), fifo + ": not a regular file");
    EXPECT_EQ(CheckRegularFile(fifo).reason(), fifo + ": not a regular file");
    EXPECT_EQ(ReadRegularFile(fifo, 100).reason(), fifo + ": not a regular file");
    EXPECT_EQ(CheckRegularFile(base_).reason(), base_ + ": not a regular file");
    EXPECT_EQ(CheckRegularFile("/dev/zero").reason(), "/dev/zero: not a regular file");
    EXPECT_EQ(CheckRegularFile(base_ + "/none").reason(), base_ + "/none: no such file");

    const std::string file = base_ + "/file";
    std::ofstream(file) << "12345";
    const std::string link = base_ + "/link";
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
    EXPECT_TRUE(CheckRegularFile(link));
    EXPECT_EQ(ReadRegularFile(link, 5).value(), Bytes("12345"));
    EXPECT_FALSE(ReadRegularFile(link, 5, FollowLinks::No));
    EXPECT_EQ(ReadRegularFile(file, 4).reason(), file + ": larger than 4 bytes");
    // The descriptor handed out blocks again, as readers expect.
    Result<UniqueFd> fd = OpenRegularFile(file);
    ASSERT_TRUE(fd);
    char buf[8];
    EXPECT_EQ(read(fd->Get(), buf, sizeof buf), 5);
}

TEST_F(Files, AnOutputReplacesALinkInItsPlaceAndLeavesTheTargetAlone) {
    const std::string victim = base_ + "/victim";
    std::ofstream(victim) << "precious";
    const std::string out = base_ + "/out.pdf";
    ASSERT_EQ(symlink(victim.c_str(), out.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(out, Bytes("new"), OutputFileOptions()));
    EXPECT_EQ(Slurp(victim), "precious");
    struct stat st {};
    ASSERT_EQ(lstat(out.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(Slurp(out), "new");
    EXPECT_EQ(Names(base_), (std::vector<std::string>{"out.pdf", "victim"}));

    // Private files refuse the link instead; a directory or a device is never replaced.
    ASSERT_EQ(symlink(victim.c_str(), (base_ + "/page").c_str()), 0);
    EXPECT_EQ(WriteFileAtomically(base_ + "/page", Bytes("x")).reason(), base_ + "/page is a link");
    fs::create_directory(base_ + "/dir");
    EXPECT_EQ(WriteFileAtomically(base_ + "/dir", Bytes("x"), OutputFileOptions()).reason(),
              base_ + "/dir is a directory");
    const std::string fifo = base_ + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(WriteFileAtomically(fifo, Bytes("x"), OutputFileOptions()).reason(),
              fifo + " is not a regular file");
    EXPECT_EQ(WriteFileAtomically(victim, Bytes("x"), {Replace::No}).reason(),
              victim + ": the file exists");
    EXPECT_EQ(Slurp(victim), "precious");
    EXPECT_EQ(Names(base_), (std::vector<std::string>{"dir", "fifo", "out.pdf", "page", "victim"}));
}

TEST_F(Files, ANewFileIsMadeUnderItsNameOnlyWhereNothingIs) {
    const std::string page = base_ + "/page";
    bool existed = true;
    ASSERT_TRUE(WriteNewFile(page, Bytes("first"), 0600, &existed));
    EXPECT_FALSE(existed);
    EXPECT_EQ(Slurp(page), "first");
    struct stat st {};
    ASSERT_EQ(stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A file or a link already there: refused and left as it was, the link not followed.
    EXPECT_EQ(WriteNewFile(page, Bytes("second"), 0600, &existed).reason(),
              page + ": the file exists");
    EXPECT_TRUE(existed);
    EXPECT_EQ(Slurp(page), "first");
    const std::string link = base_ + "/link";
    ASSERT_EQ(symlink((base_ + "/target").c_str(), link.c_str()), 0);
    EXPECT_FALSE(WriteNewFile(link, Bytes("through"), 0600, &existed));
    EXPECT_TRUE(existed);
    EXPECT_FALSE(fs::exists(base_ + "/target"));
    // A write that fails half-way takes the file away again.
    FailFileWritesAfterForTesting(3);
    EXPECT_EQ(WriteNewFile(base_ + "/half", Bytes("half written"), 0600, &existed).reason(),
              base_ + "/half: No space left on device");
    EXPECT_FALSE(existed);
    FailFileWritesAfterForTesting(-1);
    EXPECT_EQ(Names(base_), (std::vector<std::string>{"link", "page"}));
    EXPECT_EQ(WriteNewFile(base_ + "/none/x", Bytes("x")).reason(),
              base_ + "/none/x: No such file or directory");
}

TEST_F(Files, AFailedWriteKeepsThePreviousFileAndLeavesNoTemporaryFile) {
    const std::string out = base_ + "/out.png";
    ASSERT_TRUE(WriteFileAtomically(out, Bytes("good old"), OutputFileOptions()));
    ASSERT_EQ(chmod(out.c_str(), 0640), 0);
    FailFileWritesAfterForTesting(3);
    EXPECT_EQ(WriteFileAtomically(out, Bytes("half written"), OutputFileOptions()).reason(),
              out + ": No space left on device");
    FailFileWritesAfterForTesting(-1);
    EXPECT_EQ(Slurp(out), "good old");
    EXPECT_EQ(Names(base_), std::vector<std::string>{"out.png"});

    // Dropped without Commit: nothing written. Committed: the file keeps its permissions.
    {
        Result<AtomicFile> file = AtomicFile::Create(out, OutputFileOptions());
        ASSERT_TRUE(file);
        EXPECT_EQ(fs::path(file->TempPath()).parent_path(), fs::path(out).parent_path());
        ASSERT_TRUE(file->Write(Bytes("abandoned")));
    }
    EXPECT_EQ(Slurp(out), "good old");
    EXPECT_EQ(Names(base_), std::vector<std::string>{"out.png"});
    Result<AtomicFile> file = AtomicFile::Create(out, OutputFileOptions());
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Write(Bytes("new")));
    ASSERT_TRUE(file->Commit());
    EXPECT_EQ(Slurp(out), "new");
    struct stat st {};
    ASSERT_EQ(stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A folder that cannot be written: refused, nothing left.
    EXPECT_FALSE(WriteFileAtomically(base_ + "/missing/out.png", Bytes("x"), OutputFileOptions()));
}

// ---------------------------------------------------------------------------------------------
// Settings files

std::vector<std::string> gNotices;
void KeepNotice(const std::string& line) {
    gNotices.push_back(line);
}

class IniFiles : public Files {
  protected:
    void SetUp() override {
        Files::SetUp();
        gNotices.clear();
        SetSettingsNotice(KeepNotice);
    }
    void TearDown() override {
        SetSettingsNotice(nullptr);
        Files::TearDown();
    }
};

TEST_F(IniFiles, ValuesRoundTripInTheToolkitsEscapingAndOtherLinesStay) {
    const std::string path = base_ + "/cfg/Quillon/Tallet.ini";
    ASSERT_TRUE(WriteIniValue(path, "Printer", "View Background", "1234"));
    ASSERT_TRUE(WriteIniValue(path, "Printer", "Preview Heading", " a, \"b\"; c\\d\n"));
    ASSERT_TRUE(WriteIniValue(path, "Other", "Zoom", "@50"));
    EXPECT_EQ(Slurp(path),
              "[Printer]\n"
              "View%20Background=1234\n"
              "Preview%20Heading=\" a, \\\"b\\\"; c\\\\d\\n\"\n"
              "\n"
              "[Other]\n"
              "Zoom=@@50\n");
    EXPECT_EQ(ReadIniValue(path, "Printer", "Preview Heading"), " a, \"b\"; c\\d\n");
    EXPECT_EQ(ReadIniValue(path, "Other", "Zoom"), "@50");
    EXPECT_EQ(ReadIniValue(path, "Other", "View Background"), std::nullopt);

    ASSERT_TRUE(WriteIniValue(path, "Printer", "View Background", "77"));
    ASSERT_TRUE(WriteIniValue(path, "Printer", "Preview Heading", std::nullopt));
    ASSERT_TRUE(WriteIniValue(path, "Printer", "Orientation", "Landscape"));
    EXPECT_EQ(Slurp(path),
              "[Printer]\n"
              "View%20Background=77\n"
              "Orientation=Landscape\n"
              "\n"
              "[Other]\n"
              "Zoom=@@50\n");
    EXPECT_EQ(UnescapeIniName("caf%E9%U20AC%U00e9"), "caf\xC3\xA9\xE2\x82\xAC\xC3\xA9");
    EXPECT_EQ(EscapeIniName("caf\xC3\xA9/x"), "caf%E9\\x");
    EXPECT_EQ(UnescapeIniValue("plain text ; comment"), "plain text");
    EXPECT_TRUE(gNotices.empty());
}

TEST_F(IniFiles, ALinkIsReplacedAndAFifoOrDeviceIsNeitherReadNorWritten) {
    const std::string victim = base_ + "/victim";
    std::ofstream(victim) << "[Printer]\nZoom=3\n";
    const std::string path = base_ + "/Tallet.ini";
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
    EXPECT_EQ(ReadIniValue(path, "Printer", "Zoom"), "3");
    ASSERT_TRUE(WriteIniValue(path, "Printer", "Orientation", "Portrait"));
    EXPECT_EQ(Slurp(victim), "[Printer]\nZoom=3\n");
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(Slurp(path), "[Printer]\nZoom=3\nOrientation=Portrait\n");

    const std::string fifo = base_ + "/fifo.ini";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadIniValue(fifo, "Printer", "Zoom"), std::nullopt);  // and returns at once
    EXPECT_FALSE(WriteIniValue(fifo, "Printer", "Zoom", "1"));
    const std::string device = base_ + "/device.ini";
    ASSERT_EQ(symlink("/dev/null", device.c_str()), 0);
    EXPECT_FALSE(WriteIniValue(device, "Printer", "Zoom", "1"));
    ASSERT_EQ(lstat(device.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    // One notice per file, however often it is asked for.
    EXPECT_EQ(
        gNotices,
        (std::vector<std::string>{
            fifo + ": not a regular file; the settings in it are neither read nor written",
            device + ": not a regular file; the settings in it are neither read nor written"}));
    EXPECT_EQ(Names(base_),
              (std::vector<std::string>{"Tallet.ini", "device.ini", "fifo.ini", "victim"}));
}

TEST_F(IniFiles, ThousandsOfForeignKeysAreKeptAndAnOversizedFileIsLeftAlone) {
    const std::string path = base_ + "/Tallet.ini";
    {
        std::ofstream out(path);
        out << "[Printer]\n";
        for (int i = 0; i < 50000; ++i) out << "Key" << i << "=" << i << "\n";
        out << "ZoomFactor=75\n";
    }
    EXPECT_EQ(ReadIniValue(path, "Printer", "ZoomFactor"), "75");
    ASSERT_TRUE(WriteIniValue(path, "Printer", "ZoomFactor", "100"));
    EXPECT_EQ(ReadIniValue(path, "Printer", "Key49999"), "49999");
    EXPECT_EQ(ReadIniValue(path, "Printer", "ZoomFactor"), "100");

    std::ofstream(path, std::ios::app) << std::string(limits::kMaxSettingsFileBytes, ';');
    const std::string before = Slurp(path);
    EXPECT_EQ(ReadIniValue(path, "Printer", "ZoomFactor"), std::nullopt);
    EXPECT_FALSE(WriteIniValue(path, "Printer", "ZoomFactor", "1"));
    EXPECT_EQ(Slurp(path) == before, true);
    ASSERT_EQ(gNotices.size(), 1u);
    EXPECT_NE(gNotices[0].find("larger than 4194304 bytes"), std::string::npos) << gNotices[0];
}

}  // namespace
}  // namespace quillon
