// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Temporary files of the process. Page files have fixed, predictable names ("PRN001.EMF"), so
// they never go straight into the shared temporary directory, where another program, or
// another user, could overwrite them or plant a link under the same name. Instead every
// process makes one private directory (mode 0700, a fresh random name inside the system's
// temporary directory), checks before each use that it is still a directory of ours and not
// a link, and removes it with everything in it when the program ends. While the process runs
// it holds a lock on its directory; a directory found without one was left by a process that
// was killed or crashed, and the next process sweeps it away.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/sys/files.h"
#include "platform/sys/result.h"

namespace quillon {

// The system's temporary directory: $TMPDIR when it is set to an absolute path, else "/tmp".
// Never ends in '/' (except for the root itself).
std::string SystemTempDir();

// True when `path` (not followed if it is a link) is a directory owned by the effective user
// that neither group nor others may enter; otherwise the reason it is not.
Result<void> CheckPrivateDir(const std::string& path);

// The process's private directory, created on the first call (and again when the one made
// earlier is gone or no longer passes CheckPrivateDir, or when the process is a fork of the
// one that made it), or why no such directory can be made.
Result<std::string> ProcessTempDir();

// Removes the private directory and its files now (it is also removed at exit, by the process
// that made it). The next ProcessTempDir call makes a new one.
void RemoveProcessTempDir();

// Removes the private directory like RemoveProcessTempDir, but without waiting for it: for a
// process about to end on an interrupt, where unlinking 100,000 page files would take the file
// system tens of seconds. A process of its own, detached from the terminal (its own session,
// no open file of ours but the directory's lock, which it keeps so that no other run sweeps
// the directory meanwhile), removes it after this process has gone. When that process cannot
// be started, the directory is removed here, as by RemoveProcessTempDir.
void RemoveProcessTempDirDetached();

// Removes the private directories in `base` that no running process holds and that have not
// changed for `minAgeSeconds`; directories that are not ours (other users', links, open to
// others) are never touched. Returns how many were removed. ProcessTempDir does this once,
// with kStaleDirMinAgeSeconds, before it makes its first directory.
int SweepStaleTempDirs(const std::string& base, int minAgeSeconds);
inline constexpr int kStaleDirMinAgeSeconds = 60;

// Tests: the directory in which the private directory is made (default SystemTempDir());
// an empty text restores the default. Drops the private directory made so far.
void SetTempDirBaseForTesting(const std::string& base);

// ---------------------------------------------------------------------------------------------
// Private files: the one way the program opens the files it keeps in its private directory.
// Never through a link (O_NOFOLLOW), regular files only, created with mode 0600.

// Writes `data` as the file `path`, atomically: where nothing is yet, the file is made under
// its name and removed again when the write fails; a file there already is replaced by a new
// file of a fresh name in the same directory, in one rename. When anything
// fails (a full disk) the new file is removed and whatever `path` held before is left as it
// was. A link or anything else that is not a regular file at `path` is refused, never written
// through. With Replace::No a file already at `path` is refused too ("PATH: the file exists"),
// also when it appears while the new one is written: the new file takes the name only if
// nothing has it.
Result<void> WritePrivateFile(const std::string& path, std::span<const std::uint8_t> data,
                              Replace replace = Replace::Yes);

// Reads the regular file `path` (not through a link, unless asked: a file a user names may
// be one), refusing one over `maxBytes`. `what` names the kind of file in the reasons
// ("PATH: not a page file", "PATH: file too large for a page", "PATH: cannot open the file").
Result<std::vector<std::uint8_t>> ReadPrivateFile(const std::string& path, std::size_t maxBytes,
                                                  const char* what,
                                                  FollowLinks follow = FollowLinks::No);

// True when something (a link included, never followed) has the name `path`.
bool PrivateFileExists(const std::string& path);

// Removes the name `path` (a link itself, never its target). True when it was there.
bool RemovePrivateFile(const std::string& path);

// Tests: every private-file write fails with "No space left on device" once this many bytes
// of one file have been written; a negative number turns the failure off.
inline void FailPrivateWritesAfterForTesting(long long bytes) {
    FailFileWritesAfterForTesting(bytes);
}

}  // namespace quillon
