// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/byte_streams.h"

#include <unistd.h>

#include <cerrno>

#include "platform/sys/interrupt.h"

namespace quillon {

long FdSource::Read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return static_cast<long>(n);
        // A signal that asks the job to stop ends the wait for input.
        if (errno != EINTR || InterruptRequested()) return -1;
    }
}

bool FdSink::Write(std::string_view bytes, bool& closed) {
    closed = false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            closed = errno == EPIPE;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace quillon
