// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/emf/page_store.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <mutex>

#include "platform/sys/files.h"
#include "platform/sys/interrupt.h"
#include "platform/sys/limits.h"
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

Result<void> RoomBudget::Take(const std::string& dir, std::size_t bytes) {
    const auto want = static_cast<std::int64_t>(std::min<std::size_t>(
        bytes, static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max() / 2)));
    // A file takes whole blocks.
    const std::int64_t used = (want + block_ - 1) / block_ * block_;
    if (dir == dir_ && used <= left_) {
        left_ -= used;
        return Ok();
    }
    dir_ = dir;
    left_ = 0;
    const std::optional<DiskSpace> space = look_(dir);
    if (!space) return Ok();
    block_ = std::max<std::int64_t>(space->block, 1);
    const std::int64_t reserve = std::min(limits::kTempReserveBytes, space->total / 20);
    const std::int64_t room = space->free - reserve;  // what may be written at all
    if (room - want < 0) {
        return Error{"only " + std::to_string(std::max<std::int64_t>(space->free, 0) >> 20) +
                     " MB free in " + dir + ": the job stops before the disk is full"};
    }
    // Half of what is left above the reserve, for what others write into the file system
    // before the next look.
    left_ = std::clamp<std::int64_t>((room - used) / 2, 0, kRoomRecheckBytes);
    return Ok();
}

std::string PageFilePath(int n, PageKind kind) {
    const Result<std::string> dir = ProcessTempDir();
    if (!dir) return {};
    return PageFilePathIn(*dir, n, kind);
}

namespace {

std::optional<DiskSpace> LookAtDisk(const std::string& dir) {
    struct statvfs fs {};
    if (statvfs(dir.c_str(), &fs) != 0) return std::nullopt;
    const auto unit = static_cast<std::int64_t>(fs.f_frsize);
    return DiskSpace{static_cast<std::int64_t>(fs.f_blocks) * unit,
                     static_cast<std::int64_t>(fs.f_bavail) * unit, unit > 0 ? unit : 4096};
}

// Refuses a page that would leave less than the reserve free in the file system of `path`'s
// folder, so that a huge job stops with a reason instead of filling the disk.
Result<void> CheckRoom(const std::string& path, std::size_t bytes) {
    static std::mutex mutex;
    static RoomBudget budget(LookAtDisk);
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    std::lock_guard lock(mutex);
    return budget.Take(dir.empty() ? "/" : dir, bytes);
}

Result<std::string> StorePath(int n, PageKind kind) {
    const Result<std::string> dir = ProcessTempDir();
    if (!dir) return dir.error();
    return PageFilePathIn(*dir, n, kind);
}
}  // namespace

Result<void> WritePage(int n, PageKind kind, std::span<const std::uint8_t> data) {
    const Result<std::string> path = StorePath(n, kind);
    if (!path) return path.error();
    if (Result<void> room = CheckRoom(*path, data.size()); !room) return room;
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
    if (InterruptRequested()) {
        // The job ends now: its whole directory goes at once, without waiting for the file
        // system to unlink each page.
        RemoveProcessTempDirDetached();
        return 0;
    }
    const Result<std::string> dir = ProcessTempDir();
    if (!dir) return 0;
    int seen = 0;
    while (seen < std::numeric_limits<int>::max()) {
        // unlink removes a link itself, never its target, and says when nothing is there.
        const std::string path = PageFilePathIn(*dir, seen + 1, kind);
        if (!RemovePrivateFile(path) && !PrivateFileExists(path)) break;
        ++seen;
    }
    return seen;
}

Result<void> WritePageFile(const std::string& path, std::span<const std::uint8_t> data) {
    if (path.empty()) return Error{"no directory for page files"};
    if (Result<void> room = CheckRoom(path, data.size()); !room) return room;
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
    // All or nothing: every page is written beside its name first, and only when all are whole
    // do they take their names. A failure on the way (a full disk, a file that is not ours to
    // replace) removes the new files and leaves the folder as it was.
    const WriteOptions options{what.force ? Replace::FileOrLink : Replace::No, 0600, false};
    std::vector<AtomicFile> files;
    files.reserve(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const Result<std::vector<std::uint8_t>> data = ReadPage(pages[i], PageKind::Metafile);
        if (!data) return data.error();
        Result<AtomicFile> file = AtomicFile::Create(paths[i], options);
        if (!file) return file.error();
        if (Result<void> written = file->Write(*data); !written) return written.error();
        if (Result<void> closed = file->Close(); !closed) return closed.error();
        files.push_back(std::move(*file));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Result<void> committed = files[i].Commit(); !committed) {
            // Without --force the names taken so far were free before: give them back.
            if (!what.force)
                for (std::size_t j = 0; j < i; ++j) RemovePrivateFile(paths[j]);
            return committed.error();
        }
    }
    return paths;
}

}  // namespace quillon
