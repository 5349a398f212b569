// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
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

// Removes what is inside the directory open as `fd`, then closes it. Only system calls and
// the stack: it runs in a process forked from one that may have other threads, where memory
// must not be allocated. Names removed while a directory is read may hide others from that
// reading, so it is read again from its start until a reading removes nothing.
void EmptyDirAt(int fd, int depth) {
    constexpr int kMaxDepth = 16;  // the private directory holds pages and a folder or two
    alignas(8) char buf[8192];
    for (bool removed = true; removed;) {
        removed = false;
        if (lseek(fd, 0, SEEK_SET) != 0) break;
        for (ssize_t n; (n = getdents64(fd, buf, sizeof buf)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                unsigned short length = 0;
                std::memcpy(&length, buf + at + offsetof(struct dirent64, d_reclen), sizeof length);
                const char* name = buf + at + offsetof(struct dirent64, d_name);
                at += length;
                if (length == 0) {  // not what the kernel writes; stop rather than loop
                    close(fd);
                    return;
                }
                if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
                if (unlinkat(fd, name, 0) == 0) {
                    removed = true;
                    continue;
                }
                if (errno != EISDIR || depth >= kMaxDepth) continue;
                const int sub = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sub < 0) continue;
                EmptyDirAt(sub, depth + 1);
                if (unlinkat(fd, name, AT_REMOVEDIR) == 0) removed = true;
            }
        }
    }
    close(fd);
}

// Closes every file descriptor but `keep` (-1: all of them).
void CloseAllBut(int keep) {
#ifdef SYS_close_range
    const unsigned above = keep < 0 ? 0U : static_cast<unsigned>(keep) + 1U;
    const bool below = keep <= 0 || syscall(SYS_close_range, 0U, keep - 1U, 0U) == 0;
    if (below && syscall(SYS_close_range, above, ~0U, 0U) == 0) return;
#endif
    // A kernel without close_range: every number up to the process's limit.
    rlimit limit{};
    const int count = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < (1U << 16)
                          ? static_cast<int>(limit.rlim_cur)
                          : 1 << 16;
    for (int fd = 0; fd < count; ++fd)
        if (fd != keep) close(fd);
}

// Starts the process that removes `dir` once this one is gone (see RemoveProcessTempDirDetached);
// false when it could not be started.
bool StartRemover(const std::string& dir, int lockFd) {
    const char* path = dir.c_str();  // the forked processes see the same memory
    const pid_t starter = fork();
    if (starter < 0) return false;
    if (starter == 0) {
        // The starter puts the remover into a session of its own (no terminal's Ctrl+C or
        // hang-up reaches it) and ends at once: the remover is then nobody's child to wait for.
        setsid();
        const pid_t remover = fork();
        if (remover != 0) _exit(remover > 0 ? 0 : 1);
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        sigemptyset(&byDefault.sa_mask);
        sigaction(SIGINT, &byDefault, nullptr);
        sigaction(SIGTERM, &byDefault, nullptr);
        // Nothing of ours stays open (a pipe a shell reads to its end, the output being
        // written) but the directory's lock.
        CloseAllBut(lockFd);
        const int fd = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            EmptyDirAt(fd, 0);
            rmdir(path);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(starter, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

void RemoveProcessTempDirDetached() {
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.dir.empty() && s.owner == getpid() && CheckPrivateDir(s.dir)) {
        if (!StartRemover(s.dir, s.lockFd)) RemoveTree(s.dir);
    }
    ReleaseLock(s);  // the remover holds the lock on its own until it is done
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
