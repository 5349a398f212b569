// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillon {

Result<UniqueFd> OpenRegularFile(const std::string& path) {
    if (path.empty()) return Error{"no file named"};
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd) {
        const int err = errno;
        switch (err) {
            case ENOENT:
                return Error{"no such file"};
            case EACCES:
                return Error{"permission denied"};
            case EISDIR:
                return Error{"not a regular file"};
            default: {
                std::string why = std::strerror(err);
                if (!why.empty() && why[0] >= 'A' && why[0] <= 'Z')
                    why[0] = static_cast<char>(why[0] - 'A' + 'a');
                return Error{why};
            }
        }
    }
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return Error{"not a regular file"};
    // Reads of the file itself may block again (a file on a slow mount is still a file).
    const int flags = fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

}  // namespace quillon
