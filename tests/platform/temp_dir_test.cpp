#include "platform/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace quillon {
namespace {

namespace fs = std::filesystem;

// Each test works in a base directory of its own, removed afterwards.
class PrivateTempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path().string() + "/quillon-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        base_ = pattern;
        SetTempDirBaseForTesting(base_);
    }
    void TearDown() override {
        SetTempDirBaseForTesting("");
        std::error_code ec;
        fs::remove_all(base_, ec);
    }
    std::string base_;
};

TEST_F(PrivateTempDir, MadeOnceInsideTheBaseWithMode0700) {
    const std::string dir = ProcessTempDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(fs::path(dir).parent_path().string(), base_);
    EXPECT_EQ(fs::path(dir).filename().string().rfind("quillon-", 0), 0u);
    struct stat st {};
    ASSERT_EQ(lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, geteuid());
    EXPECT_EQ(ProcessTempDir(), dir);
}

TEST_F(PrivateTempDir, CheckRejectsLinksOpenDirectoriesAndFiles) {
    const std::string dir = ProcessTempDir();
    std::string reason;
    EXPECT_TRUE(CheckPrivateDir(dir, &reason)) << reason;

    const std::string link = base_ + "/link";
    ASSERT_EQ(symlink(dir.c_str(), link.c_str()), 0);
    EXPECT_FALSE(CheckPrivateDir(link, &reason));
    EXPECT_NE(reason.find("is a link"), std::string::npos) << reason;

    const std::string open = base_ + "/open";
    ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(chmod(open.c_str(), 0755), 0);
    EXPECT_FALSE(CheckPrivateDir(open, &reason));
    EXPECT_NE(reason.find("open to other users"), std::string::npos) << reason;

    const std::string file = base_ + "/file";
    std::ofstream(file) << "x";
    EXPECT_FALSE(CheckPrivateDir(file, &reason));
    EXPECT_NE(reason.find("not a directory"), std::string::npos) << reason;

    EXPECT_FALSE(CheckPrivateDir(base_ + "/missing", &reason));
}

TEST_F(PrivateTempDir, ReplacedWhenGoneOrTamperedWith) {
    const std::string first = ProcessTempDir();
    fs::remove_all(first);
    const std::string second = ProcessTempDir();
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, first);
    EXPECT_TRUE(CheckPrivateDir(second));

    // Opened up to others: no longer trusted; a new one is made and the old one left alone.
    ASSERT_EQ(chmod(second.c_str(), 0777), 0);
    const std::string third = ProcessTempDir();
    EXPECT_NE(third, second);
    EXPECT_TRUE(fs::exists(second));
}

TEST_F(PrivateTempDir, RemovedWithItsFiles) {
    const std::string dir = ProcessTempDir();
    std::ofstream(dir + "/PRN001.EMF") << "page";
    RemoveProcessTempDir();
    EXPECT_FALSE(fs::exists(dir));
    const std::string again = ProcessTempDir();
    EXPECT_NE(again, dir);
    EXPECT_TRUE(CheckPrivateDir(again));
}

TEST_F(PrivateTempDir, UnusableBaseGivesNoDirectoryAndAReason) {
    SetTempDirBaseForTesting(base_ + "/does-not-exist");
    std::string error;
    EXPECT_EQ(ProcessTempDir(&error), "");
    EXPECT_NE(error.find("cannot create a directory"), std::string::npos) << error;
}

TEST_F(PrivateTempDir, ForkedProcessMakesItsOwnAndRemovesItAtExit) {
    const std::string parentDir = ProcessTempDir();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(fds[0]);
        const std::string dir = ProcessTempDir();
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
    EXPECT_EQ(ProcessTempDir(), parentDir);
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
