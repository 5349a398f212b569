// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// `quillon analyse`: the analysis of names given as arguments or read from
// standard input, written as text, JSON Lines or CSV.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Where the command reads names from: Read returns bytes read, 0 at the end,
// -1 on an error.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual long Read(char* buffer, std::size_t size) = 0;
};

// Where output goes. Write returns false when the reader has gone away (a
// closed pipe) or on another error, with `closed` telling which.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool Write(std::string_view bytes, bool& closed) = 0;
};

// File-descriptor backed source and sink (standard input and output).
class FdSource final : public ByteSource {
  public:
    explicit FdSource(int fd) : fd_(fd) {}
    long Read(char* buffer, std::size_t size) override;

  private:
    int fd_;
};

class FdSink final : public ByteSink {
  public:
    explicit FdSink(int fd) : fd_(fd) {}
    bool Write(std::string_view bytes, bool& closed) override;

  private:
    int fd_;
};

struct AnalyseStreams {
    ByteSource& in;
    ByteSink& out;
    ByteSink& err;       // messages for standard error, one per line
    bool outIsTerminal;  // mark equal-digit numbers in colour instead of '*'
};

// Exit status: 0 when every name was analysed, 1 when a name was refused or
// input or output failed, 2 for a usage error (the usage text then goes to `err`).
int RunAnalyse(const std::vector<std::string_view>& args, AnalyseStreams streams);

// The usage text of the whole program.
std::string UsageText();

// The usage text of `quillon analyse`.
std::string AnalyseUsage();

namespace cli {
struct ParsedArgs;
struct OptionSpec;
}  // namespace cli
// The analyse command on arguments already split by the option parser.
int RunAnalyseParsed(const cli::ParsedArgs& args, AnalyseStreams streams);
const std::vector<cli::OptionSpec>& AnalyseOptions();

// Longest name the calculator's field takes, in characters.
inline constexpr std::size_t kMaxNameLength = 30;

// Bytes of one input line kept at most; a longer line is refused as too long
// without being held in memory (30 characters never take more than 120 bytes).
inline constexpr std::size_t kMaxLineBytes = 4096;

// A sink that collects everything (tests, messages).
class StringSink final : public ByteSink {
  public:
    bool Write(std::string_view bytes, bool& closed) override {
        closed = false;
        text.append(bytes);
        return true;
    }
    std::string text;
};

}  // namespace quillon
