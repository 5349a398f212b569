// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Files of the outside world: the one way the program opens a file it reads (a form, the
// settings, an image, a database), and the one way it writes a file it hands to the user (a
// PDF, an image, exported pages, the settings).
//
// Reading: a name may point at a FIFO, a device or a directory; opened naively, a FIFO blocks
// for ever and a device never ends. Files are opened without blocking and kept only when they
// are regular files.
//
// Writing: an output goes to a new file of a fresh name in the same folder, which takes the
// output's name in one rename once it is whole. A failure (a full disk, a printer that gives
// up) removes the new file and leaves what had the name before as it was; a symbolic link in
// the output's place is replaced by the file, never followed into whatever it points at.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/sys/result.h"

namespace quillon {

// An open descriptor, closed when the object goes.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.Release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset();
    // Closes now and reports what close said (a write may fail only here, on some file systems).
    Result<void> Close(const std::string& path);

  private:
    int fd_ = -1;
};

// ---------------------------------------------------------------------------------------------
// Reading

enum class FollowLinks { No, Yes };

// Opens `path` for reading, without blocking on a FIFO or a device, and keeps it only when it is
// a regular file (the descriptor then blocks as usual). Reasons: "PATH: no such file",
// "PATH: not a regular file", "PATH: <the system's reason>".
Result<UniqueFd> OpenRegularFile(const std::string& path, FollowLinks follow = FollowLinks::Yes);

// The same check for a file another library opens by its name (a database): the reason
// OpenRegularFile would give, or success.
Result<void> CheckRegularFile(const std::string& path);

// The whole regular file `path`, refused when it is larger than `maxBytes` (also when it grows
// while it is read): "PATH: larger than N bytes". With `what` ("page") the reasons name the
// kind of file: "PATH: cannot open the file", "PATH: not a page file", "PATH: file too large
// for a page".
Result<std::vector<std::uint8_t>> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                                  FollowLinks follow = FollowLinks::Yes,
                                                  const char* what = nullptr);

// ---------------------------------------------------------------------------------------------
// Writing

// What may stand at an output's name and be replaced.
enum class Replace {
    Yes,         // a regular file; anything else there is refused ("PATH is a link", ...)
    No,          // nothing: "PATH: the file exists", also when it appears while writing
    FileOrLink,  // a regular file or a symbolic link (the link itself, never its target)
};

struct WriteOptions {
    Replace replace = Replace::Yes;
    // Permissions of a new file, before the umask. A regular file that is replaced keeps its own.
    unsigned mode = 0600;
    // Flushed to the disk before it takes the name, so a crash leaves the old or the new file.
    bool sync = false;
};

// An output being written: a new file beside `path` until Commit gives it the name. Dropped
// without Commit (or when Commit fails), the new file is removed.
class AtomicFile {
  public:
    static Result<AtomicFile> Create(const std::string& path, const WriteOptions& options = {});
    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    const std::string& Path() const { return path_; }
    const std::string& TempPath() const { return temp_; }
    // The new file's descriptor, for writers that take one; -1 after Commit or Discard.
    int Fd() const { return fd_.Get(); }

    Result<void> Write(std::span<const std::uint8_t> data);
    // Closes the new file, whole now, without giving it the name yet (many outputs that take
    // their names together need not hold a descriptor each); on failure it is removed.
    Result<void> Close();
    // Closes the new file and gives it the name (see Replace); on failure it is removed.
    Result<void> Commit();
    // Removes the new file; the name keeps what it had.
    void Discard();

  private:
    AtomicFile() = default;

    std::string path_;
    std::string temp_;
    WriteOptions options_;
    UniqueFd fd_;
};

// Writes `data` as the file `path` through an AtomicFile.
Result<void> WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                                 const WriteOptions& options = {});

// Creates `path`, where nothing may be yet (a name that appears meanwhile is not replaced:
// "PATH: the file exists", and `existed` is set), and writes `data` into it; a failure removes
// the file again. For files that nobody reads while they are written and that are worth no
// second name and rename: a failed write leaves nothing, just as there was nothing before.
Result<void> WriteNewFile(const std::string& path, std::span<const std::uint8_t> data,
                          unsigned mode = 0600, bool* existed = nullptr);

// Options of the files written for the user: readable as the umask allows, a link in the
// output's place replaced.
inline WriteOptions OutputFileOptions() {
    return WriteOptions{Replace::FileOrLink, 0666, false};
}

// Tests: every write through an AtomicFile fails with "No space left on device" once this many
// bytes of one file have been written; a negative number turns the failure off.
void FailFileWritesAfterForTesting(long long bytes);

}  // namespace quillon
