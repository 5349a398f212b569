// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/emf/page_store.h"

#include <sys/stat.h>

#include <algorithm>
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
    const Result<std::string> dir = ProcessTempDir();
    if (!dir) return {};
    return PageFilePathIn(*dir, n, kind);
}

namespace {
Result<std::string> StorePath(int n, PageKind kind) {
    const Result<std::string> dir = ProcessTempDir();
    if (!dir) return dir.error();
    return PageFilePathIn(*dir, n, kind);
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

std::string ExportedPageName(const std::string& name, int n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "-%.3d.emf", n);
    return name + buf;
}

Result<std::vector<std::string>> ExportPages(const PageExport& what) {
    if (what.name.empty() || what.name == "." || what.name == ".." ||
        what.name.find('/') != std::string::npos) {
        return Error{"'" + what.name + "' is not a file name"};
    }
    struct stat st {};
    if (what.dir.empty() || stat(what.dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Error{what.dir + ": not a directory"};
    std::vector<int> pages;
    if (what.pages.empty()) {
        for (int n = 1, count = StoredPageCount(PageKind::Metafile); n <= count; ++n)
            pages.push_back(n);
    } else {
        for (int n : what.pages) {
            if (n >= 1 && PageExists(n, PageKind::Metafile) &&
                std::find(pages.begin(), pages.end(), n) == pages.end())
                pages.push_back(n);
        }
    }
    if (pages.empty()) return Error{"no stored page to write"};
    std::string dir = what.dir;
    if (dir.back() != '/') dir += '/';
    std::vector<std::string> paths;
    for (int n : pages) paths.push_back(dir + ExportedPageName(what.name, n));
    if (!what.force) {
        for (const std::string& path : paths) {
            if (PrivateFileExists(path)) return Error{path + ": the file exists"};
        }
    }
    const Replace replace = what.force ? Replace::Yes : Replace::No;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const Result<std::vector<std::uint8_t>> data = ReadPage(pages[i], PageKind::Metafile);
        if (!data) return data.error();
        if (Result<void> written = WritePrivateFile(paths[i], *data, replace); !written)
            return written.error();
    }
    return paths;
}

}  // namespace quillon
