// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/temp_dir.h"
#include "tests/support/page_dir_base.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace quillon {
namespace {

namespace fs = std::filesystem;

// Each test works in a base directory of its own, removed afterwards.
class PrivateTempDir : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(base_.empty()); }
    testing::ScopedPageDirBase scope_;
    const std::string& base_ = scope_.Path();
};

TEST_F(PrivateTempDir, MadeOnceInsideTheBaseWithMode0700) {
    const Result<std::string> made = ProcessTempDir();
    ASSERT_TRUE(made) << made.reason();
    const std::string dir = *made;
    EXPECT_EQ(fs::path(dir).parent_path().string(), base_);
    EXPECT_EQ(fs::path(dir).filename().string().rfind("quillon-", 0), 0u);
    struct stat st {};
    ASSERT_EQ(lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, geteuid());
    EXPECT_EQ(ProcessTempDir().value(), dir);
}

TEST_F(PrivateTempDir, CheckRejectsLinksOpenDirectoriesAndFiles) {
    const std::string dir = ProcessTempDir().value();
    Result<void> checked = CheckPrivateDir(dir);
    EXPECT_TRUE(checked) << checked.reason();

    const std::string link = base_ + "/link";
    ASSERT_EQ(symlink(dir.c_str(), link.c_str()), 0);
    checked = CheckPrivateDir(link);
    EXPECT_FALSE(checked);
    EXPECT_NE(checked.reason().find("is a link"), std::string::npos) << checked.reason();

    const std::string open = base_ + "/open";
    ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    checked = CheckPrivateDir(open);
    EXPECT_FALSE(checked);
    EXPECT_NE(checked.reason().find("open to other users"), std::string::npos) << checked.reason();

    const std::string file = base_ + "/file";
    std::ofstream(file) << "x";
    checked = CheckPrivateDir(file);
    EXPECT_FALSE(checked);
    EXPECT_NE(checked.reason().find("not a directory"), std::string::npos) << checked.reason();

    EXPECT_FALSE(CheckPrivateDir(base_ + "/missing"));
}

TEST_F(PrivateTempDir, ReplacedWhenGoneOrTamperedWith) {
    const std::string first = ProcessTempDir().value();
    fs::remove_all(first);
    const std::string second = ProcessTempDir().value();
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, first);
    EXPECT_TRUE(CheckPrivateDir(second));

    // Opened up to others: no longer trusted; a new one is made and the old one left alone.
    ASSERT_EQ(chmod(second.c_str(), 0777), 0);
    const std::string third = ProcessTempDir().value();
    EXPECT_NE(third, second);
    EXPECT_TRUE(fs::exists(second));
}

TEST_F(PrivateTempDir, RemovedWithItsFiles) {
    const std::string dir = ProcessTempDir().value();
    std::ofstream(dir + "/PRN001.EMF") << "page";
    RemoveProcessTempDir();
    EXPECT_FALSE(fs::exists(dir));
    const std::string again = ProcessTempDir().value();
    EXPECT_NE(again, dir);
    EXPECT_TRUE(CheckPrivateDir(again));
}

// Polls (up to 30 s) until nothing has the name `path`.
bool GoneSoon(const std::string& path) {
    for (int i = 0; i < 3000; ++i) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) return true;
        usleep(10000);
    }
    return false;
}

TEST_F(PrivateTempDir, RemovedByADetachedProcessWithoutFollowingLinks) {
    const std::string dir = ProcessTempDir().value();
    // Enough pages for many readings of the directory, a folder in it, and links to what is
    // not ours: a file and a folder outside, which must stay whole.
    for (int n = 1; n <= 3000; ++n) std::ofstream(dir + "/PRN" + std::to_string(n) + ".EMF") << n;
    ASSERT_EQ(mkdir((dir + "/runtime").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((dir + "/runtime/deeper").c_str(), 0700), 0);
    std::ofstream(dir + "/runtime/deeper/socket") << "s";
    const std::string outside = base_ + "/outside";
    ASSERT_EQ(mkdir(outside.c_str(), 0700), 0);
    std::ofstream(outside + "/keep") << "keep";
    ASSERT_EQ(symlink(outside.c_str(), (dir + "/folder-link").c_str()), 0);
    ASSERT_EQ(symlink((outside + "/keep").c_str(), (dir + "/file-link").c_str()), 0);

    RemoveProcessTempDirDetached();
    // The remover is nobody's child here: nothing to wait for, no zombie left.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    EXPECT_TRUE(GoneSoon(dir)) << dir << " was not removed";
    EXPECT_TRUE(fs::exists(outside + "/keep"));
    std::ifstream kept(outside + "/keep");
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "keep");
    const std::string again = ProcessTempDir().value();
    EXPECT_NE(again, dir);
    EXPECT_TRUE(CheckPrivateDir(again));
}

TEST_F(PrivateTempDir, DetachedRemovalLeavesADirectoryNotOursAlone) {
    const std::string dir = ProcessTempDir().value();
    std::ofstream(dir + "/PRN001.EMF") << "page";
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);  // no longer private: not ours to judge
    RemoveProcessTempDirDetached();
    usleep(200000);
    EXPECT_TRUE(fs::exists(dir + "/PRN001.EMF"));
    EXPECT_NE(ProcessTempDir().value(), dir);
    fs::remove_all(dir);
}

TEST_F(PrivateTempDir, UnusableBaseGivesNoDirectoryAndAReason) {
    SetTempDirBaseForTesting(base_ + "/does-not-exist");
    const Result<std::string> made = ProcessTempDir();
    ASSERT_FALSE(made);
    EXPECT_NE(made.reason().find("cannot create a directory"), std::string::npos) << made.reason();
}

TEST_F(PrivateTempDir, ForkedProcessMakesItsOwnAndRemovesItAtExit) {
    const std::string parentDir = ProcessTempDir().value();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(fds[0]);
        const std::string dir = ProcessTempDir().value();
        std::ofstream(dir + "/PRN001.EMF") << "child page";
        const ssize_t n = write(fds[1], dir.data(), dir.size());
        close(fds[1]);
        std::exit(n == static_cast<ssize_t>(dir.size()) ? 0 : 1);  // runs the exit clean-up
    }
    close(fds[1]);
    char buf[4096];
    std::string childDir;
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        childDir.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    ASSERT_FALSE(childDir.empty());
    EXPECT_NE(childDir, parentDir);
    EXPECT_FALSE(fs::exists(childDir)) << "the child's directory outlived the child";
    EXPECT_TRUE(CheckPrivateDir(parentDir)) << "the child removed its parent's directory";
    EXPECT_EQ(ProcessTempDir().value(), parentDir);
}

// Runs `body` in a child that makes its private directory, writes a page, reports the
// directory through a pipe and then waits until `release` is written to (or closed).
struct Child {
    pid_t pid = -1;
    std::string dir;
    int release = -1;
};

Child StartChild(bool exitWithoutCleanUp) {
    int report[2], hold[2];
    if (pipe(report) != 0 || pipe(hold) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(report[0]);
        close(hold[1]);
        const std::string dir = ProcessTempDir().value();
        std::ofstream(dir + "/PRN001.EMF") << "page";
        if (write(report[1], dir.data(), dir.size()) != static_cast<ssize_t>(dir.size())) _exit(1);
        close(report[1]);
        char c;
        while (read(hold[0], &c, 1) > 0) {
        }
        // _exit skips the clean-up at exit, as a killed or crashed program would.
        if (exitWithoutCleanUp) _exit(0);
        std::exit(0);
    }
    close(report[1]);
    close(hold[0]);
    Child child;
    child.pid = pid;
    child.release = hold[1];
    char buf[4096];
    for (ssize_t n; (n = read(report[0], buf, sizeof buf)) > 0;)
        child.dir.append(buf, static_cast<std::size_t>(n));
    close(report[0]);
    return child;
}

void EndChild(Child& child) {
    close(child.release);
    int status = 0;
    waitpid(child.pid, &status, 0);
}

TEST_F(PrivateTempDir, DirectoriesOfEndedProcessesAreSweptThoseInUseKept) {
    const std::string own = ProcessTempDir().value();
    Child running = StartChild(true);
    Child crashed = StartChild(true);
    ASSERT_FALSE(running.dir.empty());
    ASSERT_FALSE(crashed.dir.empty());
    EndChild(crashed);
    ASSERT_TRUE(fs::exists(crashed.dir + "/PRN001.EMF")) << "the crashed child cleaned up";

    // Not ours to judge: a directory open to others and a link, both with our names.
    const std::string open = base_ + "/quillon-open00";
    ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    const std::string link = base_ + "/quillon-link00";
    ASSERT_EQ(symlink(crashed.dir.c_str(), link.c_str()), 0);

    // Left a moment ago: kept for now (its maker may not have locked it yet).
    EXPECT_EQ(SweepStaleTempDirs(base_, 60), 0);
    EXPECT_TRUE(fs::exists(crashed.dir));

    EXPECT_EQ(SweepStaleTempDirs(base_, 0), 1);
    EXPECT_FALSE(fs::exists(crashed.dir));
    EXPECT_TRUE(fs::exists(running.dir + "/PRN001.EMF")) << "a running process lost its pages";
    EXPECT_TRUE(CheckPrivateDir(own));
    EXPECT_TRUE(fs::exists(open));
    EXPECT_TRUE(fs::is_symlink(link));

    EndChild(running);
    EXPECT_EQ(SweepStaleTempDirs("", 0), 0);
    EXPECT_EQ(SweepStaleTempDirs(base_ + "/missing", 0), 0);
    EXPECT_EQ(SweepStaleTempDirs(base_, 0), 1);
    EXPECT_FALSE(fs::exists(running.dir));
    EXPECT_EQ(ProcessTempDir().value(), own);
}

TEST_F(PrivateTempDir, TheFirstDirectoryOfAProcessSweepsOldLeftovers) {
    SetTempDirBaseForTesting(base_);  // as a new process: nothing made or swept yet
    const std::string old = base_ + "/quillon-old000";
    const std::string recent = base_ + "/quillon-new000";
    ASSERT_EQ(mkdir(old.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(recent.c_str(), 0700), 0);
    std::ofstream(old + "/PRN001.EMF") << "page";
    // Untouched for two hours.
    const std::time_t then = std::time(nullptr) - 7200;
    const struct timespec times[2] = {{then, 0}, {then, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, old.c_str(), times, 0), 0);
    ASSERT_TRUE(ProcessTempDir());
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(recent));
}

TEST_F(PrivateTempDir, AProcessThatEndsNormallyLeavesNothingToSweep) {
    Child child = StartChild(false);
    ASSERT_FALSE(child.dir.empty());
    EndChild(child);
    EXPECT_FALSE(fs::exists(child.dir));
    EXPECT_EQ(SweepStaleTempDirs(base_, 0), 0);
}

TEST(SystemTempDir, FollowsTmpdirWhenAbsolute) {
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", "/var/tmp/", 1);
    EXPECT_EQ(SystemTempDir(), "/var/tmp");
    setenv("TMPDIR", "relative/dir", 1);
    EXPECT_EQ(SystemTempDir(), "/tmp");
    if (old) {
        setenv("TMPDIR", saved.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

}  // namespace
}  // namespace quillon
