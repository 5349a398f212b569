// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The byte streams the commands read and write: standard input, output and error in the
// program, strings in the tests.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// Where a command reads from: Read returns bytes read, 0 at the end, -1 on an error.
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
