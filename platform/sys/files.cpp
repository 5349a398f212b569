// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace quillon {

namespace {

std::atomic<long long> gFailWritesAfter{-1};

std::string Reason(const std::string& path, int err) {
    return path + ": " + std::strerror(err);
}

// Why `st` is not something Replace lets us replace, or "" when it is.
std::string RefusalFor(const std::string& path, const struct stat& st, Replace replace) {
    if (replace == Replace::No) return path + ": the file exists";
    if (S_ISREG(st.st_mode)) return {};
    if (S_ISLNK(st.st_mode)) return replace == Replace::FileOrLink ? "" : path + " is a link";
    if (S_ISDIR(st.st_mode)) return path + " is a directory";
    return path + " is not a regular file";
}

// Gives `temp` the name `path` unless something has that name already.
int LinkWithoutReplacing(const std::string& temp, const std::string& path) {
    if (renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: a hard link fails just as surely on an existing name.
    if (link(temp.c_str(), path.c_str()) != 0) return errno;
    unlink(temp.c_str());
    return 0;
}

// Creates a new file of a fresh name beside `path` (".NAME.xxxxxx": hidden, and never the name
// of anything the program writes on purpose). O_EXCL: never through something already there.
int CreateBeside(const std::string& path, unsigned mode, std::string& temp) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6] = {};
        if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            const unsigned long long mix = reinterpret_cast<std::uintptr_t>(&temp) ^
                                           static_cast<unsigned long long>(getpid()) * 2654435761u ^
                                           static_cast<unsigned long long>(attempt) * 40503u;
            for (std::size_t i = 0; i < sizeof random; ++i)
                random[i] = static_cast<unsigned char>(mix >> (i * 8));
        }
        std::string name = dir + "." + base + ".";
        for (unsigned char r : random) name += kLetters[r % (sizeof kLetters - 1)];
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            static_cast<mode_t>(mode));
        if (fd >= 0) {
            temp = std::move(name);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

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

// ---------------------------------------------------------------------------------------------
// Reading

namespace {

// OpenRegularFile, with the reasons naming the kind of file when `what` is given.
Result<UniqueFd> OpenChecked(const std::string& path, FollowLinks follow, const char* what) {
    if (path.empty()) return Error{"no file name"};
    const std::string notOne =
        what ? path + ": not a " + what + " file" : path + ": not a regular file";
    // O_NONBLOCK: opening a FIFO with no writer would otherwise wait for one.
    const int flags =
        O_RDONLY | O_NONBLOCK | O_CLOEXEC | (follow == FollowLinks::No ? O_NOFOLLOW : 0);
    UniqueFd fd(open(path.c_str(), flags));
    if (!fd) {
        if (errno == ENOENT)
            return Error{path + (what ? ": cannot open the file" : ": no such file")};
        if (errno == ELOOP && follow == FollowLinks::No) return Error{notOne};
        return Error{Reason(path, errno)};
    }
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0) return Error{Reason(path, errno)};
    if (!S_ISREG(st.st_mode)) return Error{notOne};
    const int status = fcntl(fd.Get(), F_GETFL);
    if (status >= 0) fcntl(fd.Get(), F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

}  // namespace

Result<UniqueFd> OpenRegularFile(const std::string& path, FollowLinks follow) {
    return OpenChecked(path, follow, nullptr);
}

Result<void> CheckRegularFile(const std::string& path) {
    Result<UniqueFd> fd = OpenRegularFile(path);
    if (!fd) return fd.error();
    return Ok();
}

Result<std::vector<std::uint8_t>> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                                  FollowLinks follow, const char* what) {
    Result<UniqueFd> fd = OpenChecked(path, follow, what);
    if (!fd) return fd.error();
    const Error tooLarge{what ? path + ": file too large for a " + what
                              : path + ": larger than " + std::to_string(maxBytes) + " bytes"};
    struct stat st {};
    if (fstat(fd->Get(), &st) != 0) return Error{Reason(path, errno)};
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) return tooLarge;
    std::vector<std::uint8_t> data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t buf[65536];
    for (;;) {
        const ssize_t n = read(fd->Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Error{Reason(path, errno)};
        }
        if (n == 0) break;
        // The file may grow while it is read.
        if (static_cast<std::size_t>(n) > maxBytes - data.size()) return tooLarge;
        data.insert(data.end(), buf, buf + n);
    }
    return data;
}

// ---------------------------------------------------------------------------------------------
// Writing

Result<AtomicFile> AtomicFile::Create(const std::string& path, const WriteOptions& options) {
    if (path.empty()) return Error{"no file name"};
    struct stat existing {};
    const bool exists = lstat(path.c_str(), &existing) == 0;
    if (exists) {
        if (std::string refused = RefusalFor(path, existing, options.replace); !refused.empty())
            return Error{std::move(refused)};
    }
    AtomicFile file;
    file.path_ = path;
    file.options_ = options;
    file.fd_ = UniqueFd(CreateBeside(path, options.mode, file.temp_));
    if (!file.fd_) return Error{Reason(path, errno)};
    // A file replaced keeps its permissions (a link's target is not ours to copy from).
    if (exists && S_ISREG(existing.st_mode) && options.replace != Replace::No)
        fchmod(file.fd_.Get(), existing.st_mode & 07777);
    return file;
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : path_(std::move(other.path_)),
      temp_(std::move(other.temp_)),
      options_(other.options_),
      fd_(std::move(other.fd_)) {
    other.temp_.clear();
}

AtomicFile& AtomicFile::operator=(AtomicFile&& other) noexcept {
    if (this != &other) {
        Discard();
        path_ = std::move(other.path_);
        temp_ = std::move(other.temp_);
        options_ = other.options_;
        fd_ = std::move(other.fd_);
        other.temp_.clear();
    }
    return *this;
}

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() {
    fd_.Reset();
    if (!temp_.empty()) unlink(temp_.c_str());
    temp_.clear();
}

namespace {

// Writes all of `data` to `fd`; the errno of the failure, or 0.
int WriteAll(int fd, std::span<const std::uint8_t> data) {
    const long long failAfter = gFailWritesAfter.load();
    struct stat st {};
    long long written = failAfter >= 0 && fstat(fd, &st) == 0 ? st.st_size : 0;
    std::size_t done = 0;
    while (done < data.size()) {
        std::size_t chunk = data.size() - done;
        if (failAfter >= 0) {
            if (written >= failAfter) return ENOSPC;
            chunk = std::min<std::size_t>(chunk, static_cast<std::size_t>(failAfter - written));
        }
        const ssize_t n = write(fd, data.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
        written += n;
    }
    return 0;
}

}  // namespace

Result<void> AtomicFile::Write(std::span<const std::uint8_t> data) {
    if (!fd_) return Error{path_ + ": the file is closed"};
    if (const int err = WriteAll(fd_.Get(), data); err != 0) {
        Discard();
        return Error{Reason(path_, err)};
    }
    return Ok();
}

Result<void> AtomicFile::Close() {
    if (temp_.empty()) return Error{path_ + ": the file is closed"};
    if (!fd_) return Ok();
    if (options_.sync && fsync(fd_.Get()) != 0) {
        const int err = errno;
        Discard();
        return Error{Reason(path_, err)};
    }
    if (Result<void> closed = fd_.Close(path_); !closed) {
        Discard();
        return closed;
    }
    return Ok();
}

Result<void> AtomicFile::Commit() {
    if (Result<void> closed = Close(); !closed) return closed;
    if (options_.replace == Replace::No) {
        if (const int err = LinkWithoutReplacing(temp_, path_); err != 0) {
            Discard();
            if (err == EEXIST) return Error{path_ + ": the file exists"};
            return Error{Reason(path_, err)};
        }
        temp_.clear();
        return Ok();
    }
    // Whatever came into the name meanwhile is judged again: rename replaces a directory entry
    // of any kind (a device node too), and only files and, for outputs, links are ours to drop.
    struct stat existing {};
    if (lstat(path_.c_str(), &existing) == 0) {
        if (std::string refused = RefusalFor(path_, existing, options_.replace); !refused.empty()) {
            Discard();
            return Error{std::move(refused)};
        }
    }
    if (rename(temp_.c_str(), path_.c_str()) != 0) {
        const int err = errno;
        Discard();
        return Error{Reason(path_, err)};
    }
    temp_.clear();
    return Ok();
}

Result<void> WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                                 const WriteOptions& options) {
    Result<AtomicFile> file = AtomicFile::Create(path, options);
    if (!file) return file.error();
    if (Result<void> written = file->Write(data); !written) return written;
    return file->Commit();
}

Result<void> WriteNewFile(const std::string& path, std::span<const std::uint8_t> data,
                          unsigned mode, bool* existed) {
    if (existed) *existed = false;
    if (path.empty()) return Error{"no file name"};
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     static_cast<mode_t>(mode)));
    if (!fd) {
        if (errno == EEXIST) {
            if (existed) *existed = true;
            return Error{path + ": the file exists"};
        }
        return Error{Reason(path, errno)};
    }
    int err = WriteAll(fd.Get(), data);
    if (err == 0 && close(fd.Release()) != 0) err = errno;
    if (err != 0) {
        fd.Reset();
        unlink(path.c_str());
        return Error{Reason(path, err)};
    }
    return Ok();
}

void FailFileWritesAfterForTesting(long long bytes) {
    gFailWritesAfter.store(bytes);
}

}  // namespace quillon
