#include "platform/emf/page_store.h"

#include <cstdio>
#include <limits>

#include "platform/sys/temp_dir.h"

namespace quillon {

std::string PageFileBaseName(int n, PageKind kind) {
    char buf[32];
    std::snprintf(buf, sizeof buf, kind == PageKind::Html ? "PRN%.3d.HTM" : "PRN%.3d.EMF", n);
    return buf;
}

std::string PageFilePathIn(const std::string& dir, int n, PageKind kind) {
    std::string path = dir;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + PageFileBaseName(n, kind);
}

std::string PageFilePath(int n, PageKind kind) {
    const std::string dir = ProcessTempDir();
    if (dir.empty()) return {};
    return PageFilePathIn(dir, n, kind);
}

namespace {
Result<std::string> StorePath(int n, PageKind kind) {
    std::string reason;
    const std::string dir = ProcessTempDir(&reason);
    if (dir.empty()) return Error{reason.empty() ? "no directory for page files" : reason};
    return PageFilePathIn(dir, n, kind);
}
}  // namespace

Result<void> WritePage(int n, PageKind kind, std::span<const std::uint8_t> data) {
    const Result<std::string> path = StorePath(n, kind);
    if (!path) return path.error();
    return WritePrivateFile(*path, data);
}

Result<std::vector<std::uint8_t>> ReadPage(int n, PageKind kind) {
    const Result<std::string> path = StorePath(n, kind);
    if (!path) return path.error();
    return ReadPrivateFile(*path, kMaxPageFileBytes, "page");
}

bool PageExists(int n, PageKind kind) {
    return PrivateFileExists(PageFilePath(n, kind));
}

int StoredPageCount(PageKind kind) {
    int n = 0;
    while (n < std::numeric_limits<int>::max() && PageExists(n + 1, kind)) ++n;
    return n;
}

int DeletePages(PageKind kind) {
    int seen = 0;
    while (seen < std::numeric_limits<int>::max()) {
        const std::string path = PageFilePath(seen + 1, kind);
        if (!PrivateFileExists(path)) break;
        ++seen;
        RemovePrivateFile(path);
    }
    return seen;
}

Result<void> WritePageFile(const std::string& path, std::span<const std::uint8_t> data) {
    if (path.empty()) return Error{"no directory for page files"};
    return WritePrivateFile(path, data);
}

Result<std::vector<std::uint8_t>> ReadPageFile(const std::string& path, bool userFile) {
    if (path.empty()) return Error{"no page file"};
    return ReadPrivateFile(path, kMaxPageFileBytes, "page",
                           userFile ? FollowLinks::Yes : FollowLinks::No);
}

}  // namespace quillon
