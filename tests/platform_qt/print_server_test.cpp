// SPDX-License-Identifier: GPL-2.0-or-later
// The print server asked directly: where it is, a server that holds the connection without a
// word, and a queue's answer read out of the server's protocol.
#include "platform/qt/print_server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace quillon {
namespace {

// A listener on a free loopback port; `answer` (when not empty) is sent to the first
// connection once its request has come in, and the connection closed.
class FakeServer {
  public:
    explicit FakeServer(std::string answer) : answer_(std::move(answer)) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        listen(fd_, 4);
        if (!answer_.empty()) {
            thread_ = std::thread([this] {
                const int c = accept(fd_, nullptr, nullptr);
                if (c < 0) return;
                std::string request;
                char buf[4096];
                // The request ends with the IPP end-of-attributes tag.
                while (request.empty() || request.back() != '\x03') {
                    const ssize_t n = read(c, buf, sizeof buf);
                    if (n <= 0) break;
                    request.append(buf, static_cast<std::size_t>(n));
                }
                request_ = request;
                (void)!write(c, answer_.data(), answer_.size());
                close(c);
            });
        }
    }
    ~FakeServer() {
        if (thread_.joinable()) thread_.join();
        close(fd_);
    }
    PrintServerAddress Address() const {
        PrintServerAddress a;
        a.host = "127.0.0.1";
        a.port = port_;
        return a;
    }
    std::string Request() {
        if (thread_.joinable()) thread_.join();
        return request_;
    }

  private:
    std::string answer_, request_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

std::string IppAnswer(bool accepting, int state) {
    std::string body("\x02\x00\x00\x00\x00\x00\x00\x01\x01", 9);  // successful-ok, operation group
    const auto attribute = [&](char tag, const std::string& name, const std::string& value) {
        body += tag;
        body += static_cast<char>(name.size() >> 8);
        body += static_cast<char>(name.size() & 0xFF);
        body += name;
        body += static_cast<char>(value.size() >> 8);
        body += static_cast<char>(value.size() & 0xFF);
        body += value;
    };
    attribute('\x47', "attributes-charset", "utf-8");
    body += '\x04';  // printer group
    attribute('\x22', "printer-is-accepting-jobs", std::string(1, accepting ? '\x01' : '\x00'));
    attribute('\x23', "printer-state", std::string("\x00\x00\x00", 3) + static_cast<char>(state));
    body += '\x03';
    return "HTTP/1.0 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(PrintServer, TheAddressComesFromTheEnvironment) {
    const char* saved = std::getenv("CUPS_SERVER");
    const std::string keep = saved ? saved : "";
    setenv("CUPS_SERVER", "127.0.0.1:8631", 1);
    EXPECT_EQ(PrintServerFromEnvironment().Describe(), "127.0.0.1:8631");
    setenv("CUPS_SERVER", "[::1]:9000", 1);
    EXPECT_EQ(PrintServerFromEnvironment().host, "::1");
    EXPECT_EQ(PrintServerFromEnvironment().port, 9000);
    setenv("CUPS_SERVER", "printhost/version=1.1", 1);
    EXPECT_EQ(PrintServerFromEnvironment().Describe(), "printhost:631");
    setenv("CUPS_SERVER", "/somewhere/cups.sock", 1);
    EXPECT_EQ(PrintServerFromEnvironment().Describe(), "/somewhere/cups.sock");
    if (saved)
        setenv("CUPS_SERVER", keep.c_str(), 1);
    else
        unsetenv("CUPS_SERVER");
}

TEST(PrintServer, AServerThatNeverAnswersIsGivenUpOnInTime) {
    FakeServer silent("");  // accepts (the backlog does) and never answers
    const Result<QueueState> state = AskQueueState(silent.Address(), "laser", 300);
    ASSERT_FALSE(state);
    EXPECT_EQ(state.reason(),
              "the print server at " + silent.Address().Describe() + " does not answer");
}

TEST(PrintServer, AQueuesAcceptanceAndStateAreReadFromItsAnswer) {
    {
        FakeServer server(IppAnswer(false, 5));
        const Result<QueueState> state = AskQueueState(server.Address(), "my queue");
        ASSERT_TRUE(state) << state.reason();
        EXPECT_TRUE(state->known);
        EXPECT_FALSE(state->acceptingJobs);
        EXPECT_TRUE(state->stopped);
        const std::string request = server.Request();
        EXPECT_EQ(request.rfind("POST /printers/my%20queue HTTP/1.0\r\n", 0), 0u) << request;
        EXPECT_NE(request.find("ipp://localhost/printers/my%20queue"), std::string::npos);
    }
    {
        FakeServer server(IppAnswer(true, 3));
        const Result<QueueState> state = AskQueueState(server.Address(), "laser");
        ASSERT_TRUE(state) << state.reason();
        EXPECT_TRUE(state->known && state->acceptingJobs && !state->stopped);
    }
    {
        // A queue the server does not have, and an answer cut short: nothing is known.
        FakeServer server("HTTP/1.0 404 Not Found\r\n\r\n");
        const Result<QueueState> state = AskQueueState(server.Address(), "none");
        ASSERT_TRUE(state);
        EXPECT_FALSE(state->known);
    }
    {
        std::string cut = IppAnswer(false, 5);
        cut.resize(cut.size() - 30);  // into the middle of the acceptance's name
        FakeServer server(cut);
        const Result<QueueState> state = AskQueueState(server.Address(), "laser");
        ASSERT_TRUE(state);
        EXPECT_TRUE(state->acceptingJobs);  // the value was cut off: not read from past the end
    }
}

}  // namespace
}  // namespace quillon
