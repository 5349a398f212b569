// SPDX-License-Identifier: GPL-2.0-or-later
// Names read from standard input: any bytes, every output format.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/analyse_command.h"

namespace {
class BytesSource final : public quillon::ByteSource {
  public:
    BytesSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    long Read(char* buffer, size_t size) override {
        size_t n = size_ - pos_ < size ? size_ - pos_ : size;
        n = n > 7 ? 7 : n;  // small reads, so lines cross blocks
        for (size_t i = 0; i < n; ++i) buffer[i] = static_cast<char>(data_[pos_ + i]);
        pos_ += n;
        return static_cast<long>(n);
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const char* format : {"text", "json", "csv"}) {
        BytesSource in(data, size);
        quillon::StringSink out, err;
        quillon::RunAnalyse({"--format", format}, {in, out, err, format[0] == 't'});
    }
    return 0;
}
