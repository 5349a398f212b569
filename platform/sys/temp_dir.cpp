// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

namespace quillon {
namespace {

struct TempDirState {
    std::mutex mutex;
    std::string base;  // empty: SystemTempDir()
    std::string dir;   // empty: none made yet
    pid_t owner = 0;   // the process that made `dir` (a fork must not share or remove it)
    int lockFd = -1;   // holds the lock that tells other processes `dir` is in use
    bool exitHookInstalled = false;
    bool swept = false;  // stale directories of earlier processes looked for once
};

constexpr const char* kDirPrefix = "quillon-";
constexpr std::size_t kDirNameLength = 14;  // "quillon-" and mkdtemp's six characters

// A directory in use is locked by the process that made it, for as long as it runs (the lock
// goes with the process however it ends). Without the lock a directory is left over.
int LockDir(const std::string& dir) {
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void ReleaseLock(TempDirState& s) {
    if (s.lockFd >= 0 && s.owner == getpid()) close(s.lockFd);
    s.lockFd = -1;
}

// Never destroyed: the exit hook runs after static destructors may have started.
TempDirState& State() {
    static TempDirState* state = new TempDirState;
    return *state;
}

void RemoveTree(const std::string& dir) {
    if (dir.empty()) return;
    // Only what passes the check is ours to delete; remove_all never follows links.
    if (!CheckPrivateDir(dir)) return;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

void RemoveAtExit() {
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.dir.empty() && s.owner == getpid()) RemoveTree(s.dir);
    ReleaseLock(s);
    s.dir.clear();
}

Result<std::string> MakeDir(const std::string& base) {
    std::string pattern = base;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += "quillon-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    // mkdtemp makes a new directory with mode 0700 under a name nobody could have guessed,
    // and fails rather than reuse anything that is already there.
    if (mkdtemp(buf.data()) == nullptr) {
        return Error{"cannot create a directory in " + base + ": " + std::strerror(errno)};
    }
    std::string dir(buf.data());
    if (Result<void> checked = CheckPrivateDir(dir); !checked) return checked.error();
    return dir;
}

int SweepIn(const std::string& base, int minAgeSeconds, const std::string& keep) {
    DIR* d = base.empty() ? nullptr : opendir(base.c_str());
    if (!d) return 0;
    int removed = 0;
    const std::time_t now = std::time(nullptr);
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() != kDirNameLength || name.rfind(kDirPrefix, 0) != 0) continue;
        const std::string path = base + (base.back() == '/' ? "" : "/") + name;
        if (path == keep || !CheckPrivateDir(path)) continue;  // not ours to judge
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) continue;
        // A directory made a moment ago may not be locked yet by its maker.
        if (now - st.st_mtime < minAgeSeconds) continue;
        const int fd = LockDir(path);
        if (fd < 0) continue;  // in use
        RemoveTree(path);
        close(fd);
        ++removed;
    }
    closedir(d);
    return removed;
}

}  // namespace

std::string SystemTempDir() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && env[0] == '/') ? std::string(env) : std::string("/tmp");
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

Result<void> CheckPrivateDir(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return Error{path + ": " + std::strerror(errno)};
    if (S_ISLNK(st.st_mode)) return Error{path + " is a link"};
    if (!S_ISDIR(st.st_mode)) return Error{path + " is not a directory"};
    if (st.st_uid != geteuid()) return Error{path + " belongs to another user"};
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) return Error{path + " is open to other users"};
    return Ok();
}

Result<std::string> ProcessTempDir() {
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    const pid_t self = getpid();
    if (!s.dir.empty()) {
        if (s.owner == self && CheckPrivateDir(s.dir)) return s.dir;
        // Gone (a cleaner may have swept the temporary directory), tampered with, or made
        // by the process we were forked from: start a new one; never touch the old.
        ReleaseLock(s);
        s.dir.clear();
    }
    const std::string base = s.base.empty() ? SystemTempDir() : s.base;
    if (!s.swept) {
        // Left by a process that ended without its clean-up (killed, or crashed).
        s.swept = true;
        SweepIn(base, kStaleDirMinAgeSeconds, {});
    }
    Result<std::string> made = MakeDir(base);
    if (!made) return made.error();
    s.dir = std::move(*made);
    s.owner = self;
    s.lockFd = LockDir(s.dir);
    if (!s.exitHookInstalled) {
        s.exitHookInstalled = std::atexit(RemoveAtExit) == 0;
    }
    return s.dir;
}

void RemoveProcessTempDir() {
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.dir.empty() && s.owner == getpid()) RemoveTree(s.dir);
    ReleaseLock(s);
    s.dir.clear();
}

int SweepStaleTempDirs(const std::string& base, int minAgeSeconds) {
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    return SweepIn(base, minAgeSeconds, s.dir);
}

void SetTempDirBaseForTesting(const std::string& base) {
    RemoveProcessTempDir();
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    s.base = base;
    s.swept = false;
}

// ---------------------------------------------------------------------------------------------
// Private files

Result<void> WritePrivateFile(const std::string& path, std::span<const std::uint8_t> data,
                              Replace replace) {
    // Most pages go where nothing is yet: straight under their name, one file operation
    // instead of three. Something already there is replaced atomically below.
    bool existed = false;
    Result<void> fresh = WriteNewFile(path, data, 0600, &existed);
    if (fresh || !existed) return fresh;
    if (replace == Replace::No) return fresh;
    // Something other than a file of ours in the page's place (a link planted there) is
    // refused rather than replaced: rename would not follow it, but it is not ours to drop.
    return WriteFileAtomically(
        path, data, WriteOptions{replace == Replace::No ? Replace::No : Replace::Yes, 0600, false});
}

Result<std::vector<std::uint8_t>> ReadPrivateFile(const std::string& path, std::size_t maxBytes,
                                                  const char* what, FollowLinks follow) {
    if (path.empty()) return Error{std::string("no ") + what + " file"};
    return ReadRegularFile(path, maxBytes, follow, what);
}

bool PrivateFileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool RemovePrivateFile(const std::string& path) {
    return !path.empty() && unlink(path.c_str()) == 0;
}

}  // namespace quillon
