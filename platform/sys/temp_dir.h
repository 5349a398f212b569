#pragma once
// Temporary files of the process. Page files have fixed, predictable names ("PRN001.EMF"), so
// they never go straight into the shared temporary directory, where another program, or
// another user, could overwrite them or plant a link under the same name. Instead every
// process makes one private directory (mode 0700, a fresh random name inside the system's
// temporary directory), checks before each use that it is still a directory of ours and not
// a link, and removes it with everything in it when the program ends. While the process runs
// it holds a lock on its directory; a directory found without one was left by a process that
// was killed or crashed, and the next process sweeps it away.

#include <string>

namespace quillon {

// The system's temporary directory: $TMPDIR when it is set to an absolute path, else "/tmp".
// Never ends in '/' (except for the root itself).
std::string SystemTempDir();

// True when `path` (not followed if it is a link) is a directory owned by the effective user
// that neither group nor others may enter. Otherwise false and, when asked, the reason.
bool CheckPrivateDir(const std::string& path, std::string* reason = nullptr);

// The process's private directory, created on the first call (and again when the one made
// earlier is gone or no longer passes CheckPrivateDir, or when the process is a fork of the
// one that made it). Empty when no such directory can be made; `error` then says why.
std::string ProcessTempDir(std::string* error = nullptr);

// Removes the private directory and its files now (it is also removed at exit, by the process
// that made it). The next ProcessTempDir call makes a new one.
void RemoveProcessTempDir();

// Removes the private directories in `base` that no running process holds and that have not
// changed for `minAgeSeconds`; directories that are not ours (other users', links, open to
// others) are never touched. Returns how many were removed. ProcessTempDir does this once,
// with kStaleDirMinAgeSeconds, before it makes its first directory.
int SweepStaleTempDirs(const std::string& base, int minAgeSeconds);
inline constexpr int kStaleDirMinAgeSeconds = 60;

// Tests: the directory in which the private directory is made (default SystemTempDir());
// an empty text restores the default. Drops the private directory made so far.
void SetTempDirBaseForTesting(const std::string& base);

}  // namespace quillon
