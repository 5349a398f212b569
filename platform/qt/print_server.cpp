// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/print_server.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/sys/files.h"

namespace quillon {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until the deadline; false when the time ran out.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = poll(&p, 1, MsLeft(deadline));
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) return true;  // the next call says what is wrong
    }
}

enum class Reach { Connected, Refused, TimedOut };

// A non-blocking connect to `addr`, finished within the deadline.
Reach ConnectBy(int fd, const sockaddr* addr, socklen_t length, Clock::time_point deadline) {
    if (connect(fd, addr, length) == 0) return Reach::Connected;
    if (errno != EINPROGRESS && errno != EAGAIN) return Reach::Refused;
    if (!WaitFor(fd, POLLOUT, deadline)) return Reach::TimedOut;
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) return Reach::Refused;
    return Reach::Connected;
}

Reach Connect(const PrintServerAddress& server, Clock::time_point deadline, UniqueFd& out) {
    if (!server.socketPath.empty()) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (server.socketPath.size() >= sizeof addr.sun_path) return Reach::Refused;
        std::memcpy(addr.sun_path, server.socketPath.c_str(), server.socketPath.size() + 1);
        UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!fd) return Reach::Refused;
        const Reach r =
            ConnectBy(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr, deadline);
        if (r == Reach::Connected) out = std::move(fd);
        return r;
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(server.port);
    if (getaddrinfo(server.host.c_str(), port.c_str(), &hints, &found) != 0) return Reach::Refused;
    Reach result = Reach::Refused;
    for (addrinfo* a = found; a; a = a->ai_next) {
        UniqueFd fd(
            socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
        if (!fd) continue;
        result = ConnectBy(fd.Get(), a->ai_addr, a->ai_addrlen, deadline);
        if (result == Reach::Connected) {
            out = std::move(fd);
            break;
        }
        if (result == Reach::TimedOut) break;
    }
    freeaddrinfo(found);
    return result;
}

void PutU16(std::string& out, std::size_t v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

void PutAttribute(std::string& out, unsigned char tag, const std::string& name,
                  const std::string& value) {
    out += static_cast<char>(tag);
    PutU16(out, name.size());
    out += name;
    PutU16(out, value.size());
    out += value;
}

std::string PercentEncoded(const std::string& s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : s) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// A Get-Printer-Attributes request for the queue's acceptance and state, over HTTP/1.0 (so
// that the answer comes whole, not in chunks, and the connection closes after it).
std::string QueueRequest(const std::string& name) {
    const std::string resource = "/printers/" + PercentEncoded(name);
    std::string ipp;
    ipp += '\x02';
    ipp += '\x00';  // version 2.0
    ipp += '\x00';
    ipp += '\x0B';                              // Get-Printer-Attributes
    ipp += std::string("\x00\x00\x00\x01", 4);  // request id
    ipp += '\x01';                              // operation attributes
    PutAttribute(ipp, 0x47, "attributes-charset", "utf-8");
    PutAttribute(ipp, 0x48, "attributes-natural-language", "en");
    PutAttribute(ipp, 0x45, "printer-uri", "ipp://localhost" + resource);
    PutAttribute(ipp, 0x44, "requested-attributes", "printer-is-accepting-jobs");
    PutAttribute(ipp, 0x44, "", "printer-state");
    ipp += '\x03';  // end of attributes
    return "POST " + resource +
           " HTTP/1.0\r\nHost: localhost\r\nContent-Type: application/ipp\r\nContent-Length: " +
           std::to_string(ipp.size()) + "\r\n\r\n" + ipp;
}

constexpr std::size_t kMaxAnswerBytes = 1 << 20;

struct Answer {
    bool timedOut = false;
    std::string bytes;
};

// Sends `request` and reads the whole answer (until the server closes), within the deadline.
Answer Exchange(int fd, const std::string& request, Clock::time_point deadline) {
    Answer a;
    std::size_t sent = 0;
    while (sent < request.size()) {
        if (!WaitFor(fd, POLLOUT, deadline)) {
            a.timedOut = true;
            return a;
        }
        const ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return a;
        }
        sent += static_cast<std::size_t>(n);
    }
    char buf[4096];
    while (a.bytes.size() < kMaxAnswerBytes) {
        if (!WaitFor(fd, POLLIN, deadline)) {
            a.timedOut = a.bytes.empty() || a.bytes.find("\r\n\r\n") == std::string::npos;
            return a;
        }
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return a;
        }
        if (n == 0) break;
        a.bytes.append(buf, static_cast<std::size_t>(n));
    }
    return a;
}

// Reads the queue's state out of an HTTP answer holding an IPP one; every length is checked
// against what is left of the answer.
QueueState ParseQueueAnswer(const std::string& answer) {
    const std::size_t head = answer.find("\r\n\r\n");
    QueueState state;
    if (answer.rfind("HTTP/", 0) != 0 || head == std::string::npos) return state;
    const std::size_t space = answer.find(' ');
    if (space == std::string::npos || answer.compare(space + 1, 3, "200") != 0) return state;
    const std::string_view body = std::string_view(answer).substr(head + 4);
    if (body.size() < 8) return state;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(body[i]); };
    const unsigned status = (byte(2) << 8) | byte(3);
    if (status >= 0x0100) return state;  // not a queue of this server
    state.known = true;
    std::size_t pos = 8;
    std::string last;  // the name of the attribute an unnamed value belongs to
    while (pos < body.size()) {
        const unsigned char tag = byte(pos++);
        if (tag == 0x03) break;
        if (tag < 0x10) continue;  // a group begins
        if (body.size() - pos < 2) break;
        const std::size_t nameLength = (byte(pos) << 8) | byte(pos + 1);
        pos += 2;
        if (body.size() - pos < nameLength) break;
        if (nameLength > 0) last = std::string(body.substr(pos, nameLength));
        pos += nameLength;
        if (body.size() - pos < 2) break;
        const std::size_t valueLength = (byte(pos) << 8) | byte(pos + 1);
        pos += 2;
        if (body.size() - pos < valueLength) break;
        if (last == "printer-is-accepting-jobs" && tag == 0x22 && valueLength == 1)
            state.acceptingJobs = byte(pos) != 0;
        if (last == "printer-state" && tag == 0x23 && valueLength == 4)
            state.stopped = byte(pos + 3) == 5;
        pos += valueLength;
    }
    return state;
}

std::string NoAnswer(const PrintServerAddress& server) {
    return "the print server at " + server.Describe() + " does not answer";
}

}  // namespace

std::string PrintServerAddress::Describe() const {
    return socketPath.empty() ? host + ":" + std::to_string(port) : socketPath;
}

PrintServerAddress PrintServerFromEnvironment() {
    PrintServerAddress a;
    if (const char* port = std::getenv("IPP_PORT"); port && std::atoi(port) > 0)
        a.port = std::atoi(port);
    const char* env = std::getenv("CUPS_SERVER");
    std::string server = env ? env : "";
    if (server.empty()) {
        struct stat st {};
        for (const char* path : {"/run/cups/cups.sock", "/var/run/cups/cups.sock"}) {
            if (stat(path, &st) == 0 && S_ISSOCK(st.st_mode)) {
                a.socketPath = path;
                return a;
            }
        }
        a.host = "localhost";
        return a;
    }
    if (server.front() == '/') {
        a.socketPath = server;
        return a;
    }
    // "host:port", "[v6 address]:port", "host" (a "/version=..." tail is the client's own).
    if (const std::size_t slash = server.find('/'); slash != std::string::npos) server.erase(slash);
    std::size_t colon = server.rfind(':');
    if (!server.empty() && server.front() == '[') {
        const std::size_t close = server.find(']');
        a.host = server.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        colon = close != std::string::npos && close + 1 < server.size() && server[close + 1] == ':'
                    ? close + 1
                    : std::string::npos;
    } else if (colon != std::string::npos && server.find(':') == colon) {
        a.host = server.substr(0, colon);
    } else {
        a.host = server;
        colon = std::string::npos;
    }
    if (colon != std::string::npos) {
        const int port = std::atoi(server.c_str() + colon + 1);
        if (port > 0 && port < 65536) a.port = port;
    }
    if (a.host.empty()) a.host = "localhost";
    return a;
}

Result<QueueState> AskQueueState(const PrintServerAddress& server, const std::string& name,
                                 int timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    UniqueFd fd;
    const Reach reach = Connect(server, deadline, fd);
    if (reach == Reach::TimedOut) return Error{NoAnswer(server)};
    if (reach == Reach::Refused) return QueueState{};
    const Answer answer = Exchange(fd.Get(), QueueRequest(name), deadline);
    if (answer.timedOut) return Error{NoAnswer(server)};
    return ParseQueueAnswer(answer.bytes);
}

std::optional<std::string> SilentPrintServer() {
    static std::once_flag once;
    static std::optional<std::string> silent;
    std::call_once(once, [] {
        const PrintServerAddress server = PrintServerFromEnvironment();
        const Clock::time_point deadline =
            Clock::now() + std::chrono::milliseconds(kPrintServerTimeoutMs);
        UniqueFd fd;
        const Reach reach = Connect(server, deadline, fd);
        if (reach == Reach::TimedOut) silent = NoAnswer(server);
        if (reach != Reach::Connected) return;  // nothing there: no printers, found out at once
        // Any answer will do, to a question about a queue that need not exist.
        const Answer answer = Exchange(fd.Get(), QueueRequest("quillon-probe"), deadline);
        if (answer.timedOut) silent = NoAnswer(server);
    });
    return silent;
}

}  // namespace quillon
