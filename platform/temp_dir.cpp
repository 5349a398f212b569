#include "platform/temp_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace quillon {
namespace {

struct TempDirState {
    std::mutex mutex;
    std::string base;  // empty: SystemTempDir()
    std::string dir;   // empty: none made yet
    pid_t owner = 0;   // the process that made `dir` (a fork must not share or remove it)
    bool exitHookInstalled = false;
};

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
    s.dir.clear();
}

std::string MakeDir(const std::string& base, std::string* error) {
    std::string pattern = base;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += "quillon-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    // mkdtemp makes a new directory with mode 0700 under a name nobody could have guessed,
    // and fails rather than reuse anything that is already there.
    if (mkdtemp(buf.data()) == nullptr) {
        if (error) *error = "cannot create a directory in " + base + ": " + std::strerror(errno);
        return {};
    }
    std::string dir(buf.data());
    std::string reason;
    if (!CheckPrivateDir(dir, &reason)) {
        if (error) *error = reason;
        return {};
    }
    return dir;
}

}  // namespace

std::string SystemTempDir() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && env[0] == '/') ? std::string(env) : std::string("/tmp");
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

bool CheckPrivateDir(const std::string& path, std::string* reason) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        if (reason) *reason = path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        if (reason) *reason = path + " is a link";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (reason) *reason = path + " is not a directory";
        return false;
    }
    if (st.st_uid != geteuid()) {
        if (reason) *reason = path + " belongs to another user";
        return false;
    }
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        if (reason) *reason = path + " is open to other users";
        return false;
    }
    return true;
}

std::string ProcessTempDir(std::string* error) {
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    const pid_t self = getpid();
    if (!s.dir.empty()) {
        if (s.owner == self && CheckPrivateDir(s.dir)) return s.dir;
        // Gone (a cleaner may have swept the temporary directory), tampered with, or made
        // by the process we were forked from: start a new one; never touch the old.
        s.dir.clear();
    }
    const std::string base = s.base.empty() ? SystemTempDir() : s.base;
    s.dir = MakeDir(base, error);
    if (s.dir.empty()) return {};
    s.owner = self;
    if (!s.exitHookInstalled) {
        s.exitHookInstalled = std::atexit(RemoveAtExit) == 0;
    }
    return s.dir;
}

void RemoveProcessTempDir() {
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.dir.empty() && s.owner == getpid()) RemoveTree(s.dir);
    s.dir.clear();
}

void SetTempDirBaseForTesting(const std::string& base) {
    RemoveProcessTempDir();
    TempDirState& s = State();
    std::lock_guard lock(s.mutex);
    s.base = base;
}

}  // namespace quillon
