// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The print server, asked directly and briefly before the toolkit is let near it. The
// toolkit's calls to the server wait as long as the server keeps the connection open without
// answering, so a server that accepts and never answers would hold every command up; and it
// hands a job to a queue without telling whether the queue took it. So the program first asks
// itself, over the server's own protocol and within a time limit: does the server answer at
// all, and does a queue accept jobs.

#include <optional>
#include <string>

#include "platform/sys/result.h"

namespace quillon {

// Where the server is: CUPS_SERVER (a socket path, "host" or "host:port"), else the local
// socket when it exists, else localhost on port 631 (IPP_PORT when set).
struct PrintServerAddress {
    std::string socketPath;  // a local socket, or empty
    std::string host;
    int port = 631;
    std::string Describe() const;  // "127.0.0.1:631", "/run/cups/cups.sock"
};
PrintServerAddress PrintServerFromEnvironment();

// How long the program waits for the server, connection and answer together.
inline constexpr int kPrintServerTimeoutMs = 1000;

// What a queue says about itself.
struct QueueState {
    bool known = false;  // the server answered about the queue
    bool acceptingJobs = true;
    bool stopped = false;
};

// Asks the server for the state of queue `name`. An error only when the server does not answer
// in time ("the print server at ADDRESS does not answer"); a server that cannot be reached or
// does not know the queue gives a state that is not `known`.
Result<QueueState> AskQueueState(const PrintServerAddress& server, const std::string& name,
                                 int timeoutMs = kPrintServerTimeoutMs);

// Whether the server can be used: nullopt when it answers or when there is none to reach (no
// printers then, and the toolkit finds that out at once); the reason when it accepts
// connections but does not answer. Asked once per process; later calls give the same answer.
std::optional<std::string> SilentPrintServer();

}  // namespace quillon
