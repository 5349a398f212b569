// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The page store: every page of a job is one file in the process's private temporary
// directory, "PRN001.EMF", "PRN002.EMF", ... ("PRN001.HTM", ... for pages kept as HTML), no
// index: the stored pages are 1, 2, ... up to the first number without a file. This unit is
// the only one that names, writes, reads, tests and deletes page files; it opens them through
// the private-file functions of temp_dir (no links followed, mode 0600). A page is written
// atomically, so a failed write leaves the page stored before under that number as it was.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/sys/result.h"

namespace quillon {

enum class PageKind { Metafile, Html };

// The largest page file read back (a page of the suite is a few kilobytes to a few megabytes).
inline constexpr std::size_t kMaxPageFileBytes = std::size_t{512} << 20;

// The bare name of page file n: "PRN001.EMF", "PRN1000.EMF", "PRN012.HTM".
std::string PageFileBaseName(int n, PageKind kind);
// `dir` joined with the bare name (no separator doubled; the bare name when `dir` is empty).
std::string PageFilePathIn(const std::string& dir, int n, PageKind kind);
// Page file n in the private directory; empty when that directory cannot be made (page files
// never fall back to a shared or unknown place).
std::string PageFilePath(int n, PageKind kind);

// Stores page n, replacing the page stored under that number only once the new one is whole.
Result<void> WritePage(int n, PageKind kind, std::span<const std::uint8_t> data);
// The stored page n.
Result<std::vector<std::uint8_t>> ReadPage(int n, PageKind kind);
// Whether page n is stored (a link in its place counts, and is never followed).
bool PageExists(int n, PageKind kind);
// How many pages are stored: 1, 2, ... up to the first missing number, without a limit.
int StoredPageCount(PageKind kind);
// Deletes the stored pages 1, 2, ... up to the first missing number, without a limit.
// Returns how many were there. In a job that was interrupted (it is about to end) the whole
// private directory is removed instead, by a detached process, and the answer is 0.
int DeletePages(PageKind kind);

// The free space rule of the page store: a page is refused when it would leave less than the
// reserve free (limits::kTempReserveBytes, or a twentieth of a small file system). Asking the
// file system costs more than writing a small page, so it is asked again only once the pages
// written since have used half of the room seen above the reserve, or kRoomRecheckBytes: far
// from the reserve every few megabytes, close to it before every page.
struct DiskSpace {
    std::int64_t total = 0;  // bytes
    std::int64_t free = 0;   // bytes available to us
    std::int64_t block = 4096;
};
inline constexpr std::int64_t kRoomRecheckBytes = std::int64_t{8} << 20;

class RoomBudget {
  public:
    using Look = std::function<std::optional<DiskSpace>(const std::string& dir)>;
    explicit RoomBudget(Look look) : look_(std::move(look)) {}
    // Whether `bytes` more may be written into `dir` (a folder, without a trailing '/'); a
    // file system that cannot be asked lets the write itself say what is wrong.
    Result<void> Take(const std::string& dir, std::size_t bytes);

  private:
    Look look_;
    std::string dir_;        // the folder the budget is for
    std::int64_t left_ = 0;  // bytes that may still be written there without asking
    std::int64_t block_ = 4096;
};

// A page file given by path: written atomically; read without following a link (unless it is
// a file the user named, `userFile`, which may be one) and refused past kMaxPageFileBytes.
Result<void> WritePageFile(const std::string& path, std::span<const std::uint8_t> data);
Result<std::vector<std::uint8_t>> ReadPageFile(const std::string& path, bool userFile = false);

// ---------------------------------------------------------------------------------------------
// Pages kept as files a user asked for (the job's pages written to a directory of theirs).

// "NAME-001.emf", "NAME-012.emf", "NAME-1000.emf": the page's number in the job, at least three
// digits.
std::string ExportedPageName(const std::string& name, int n);

struct PageExport {
    std::string dir;         // an existing directory
    std::string name;        // the files' common start; no '/', not "." or ".."
    std::vector<int> pages;  // the stored pages to write, in this order; empty: all of them
    bool force = false;      // replace files of those names; without it nothing is replaced
};

// Writes the chosen stored pages as dir/NAME-nnn.emf, all or nothing: each goes to a new file
// beside its name, and the files take their names only when every one is whole. Pages the job
// does not have are left out, a page named twice is written once. Without `force` nothing is
// written when any of the files exists, and a file that appears meanwhile is not replaced
// either; with it, files and links of those names are replaced (a link, never its target).
// Returns the paths written, in order; fails when there is no page to write or a page cannot
// be read or written, and then no file of the export is left.
Result<std::vector<std::string>> ExportPages(const PageExport& what);

}  // namespace quillon
