// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <stdio.h>
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

namespace {
std::atomic<long long> gFailWritesAfter{-1};

std::string Reason(const std::string& path, int err) { return path + ": " + std::strerror(err); }
}  // namespace

void UniqueFd::Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

Result<void> UniqueFd::Close(const std::string& path) {
    const int fd = Release();
    if (fd >= 0 && close(fd) != 0) return Error{Reason(path, errno)};
    return Ok();
}

namespace {

// Gives `temp` the name `path` unless something has that name already.
int LinkWithoutReplacing(const std::string& temp, const std::string& path) {
    if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: a hard link fails just as surely on an existing name.
    if (link(temp.c_str(), path.c_str()) != 0) return errno;
    unlink(temp.c_str());
    return 0;
}

}  // namespace

Result<void> WritePrivateFile(const std::string& path, std::span<const std::uint8_t> data,
                              Replace replace) {
    if (path.empty()) return Error{"no file name"};
    // Something other than a file of ours in the page's place (a link planted there) is
    // refused rather than replaced: rename would not follow it, but it is not ours to drop.
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0) {
        if (replace == Replace::No) return Error{path + ": the file exists"};
        if (!S_ISREG(existing.st_mode))
            return Error{path + (S_ISLNK(existing.st_mode) ? " is a link" : " is not a regular file")};
    }
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    // A leading dot and the random tail keep the temporary name out of any page's name.
    std::string pattern = dir + "." + base + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    // mkostemp creates the file exclusively (never through a link) with mode 0600.
    UniqueFd fd(mkostemp(buf.data(), O_CLOEXEC));
    if (!fd) return Error{Reason(path, errno)};
    const std::string temp(buf.data());
    const auto fail = [&](int err) -> Result<void> {
        fd.Reset();
        unlink(temp.c_str());
        return Error{Reason(path, err)};
    };
    const long long failAfter = gFailWritesAfter.load();
    std::size_t done = 0;
    while (done < data.size()) {
        std::size_t chunk = data.size() - done;
        if (failAfter >= 0) {
            if (static_cast<long long>(done) >= failAfter) return fail(ENOSPC);
            chunk = std::min<std::size_t>(chunk, static_cast<std::size_t>(failAfter) - done);
        }
        const ssize_t n = write(fd.Get(), data.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (const Result<void> closed = fd.Close(path); !closed) {
        unlink(temp.c_str());
        return closed;
    }
    if (replace == Replace::No) {
        if (const int err = LinkWithoutReplacing(temp, path); err != 0) {
            unlink(temp.c_str());
            if (err == EEXIST) return Error{path + ": the file exists"};
            return Error{Reason(path, err)};
        }
        return Ok();
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        unlink(temp.c_str());
        return Error{Reason(path, err)};
    }
    return Ok();
}

Result<std::vector<std::uint8_t>> ReadPrivateFile(const std::string& path, std::size_t maxBytes,
                                                  const char* what, FollowLinks follow) {
    if (path.empty()) return Error{std::string("no ") + what + " file"};
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (follow == FollowLinks::No ? O_NOFOLLOW : 0);
    UniqueFd fd(open(path.c_str(), flags));
    if (!fd) {
        if (errno == ENOENT) return Error{path + ": cannot open the file"};
        return Error{Reason(path, errno)};
    }
    const Error tooLarge{path + ": file too large for a " + what};
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Error{path + ": not a " + what + " file"};
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) return tooLarge;
    std::vector<std::uint8_t> data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t buf[65536];
    for (;;) {
        const ssize_t n = read(fd.Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Error{Reason(path, errno)};
        }
        if (n == 0) break;
        // The file may grow while it is read.
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) return tooLarge;
        data.insert(data.end(), buf, buf + n);
    }
    return data;
}

bool PrivateFileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool RemovePrivateFile(const std::string& path) {
    return !path.empty() && unlink(path.c_str()) == 0;
}

void FailPrivateWritesAfterForTesting(long long bytes) {
    gFailWritesAfter.store(bytes);
}

}  // namespace quillon
