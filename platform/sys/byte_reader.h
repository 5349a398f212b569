// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Little-endian fields of one binary record (a metafile record, a bitmap header), each read
// checked against the record's size. A read past the end answers 0 and marks the reader as
// failed, naming the first field that was missing; the code that owns the record checks
// Failed() once after reading and refuses the record with that name, so a handler can read
// its fields plainly without a test per field and still never act on a made-up 0.
//
// Sizes and counts are compared in 64 bits against the bytes left (`length > size - offset`),
// so no check overflows.

#include <cstdint>
#include <cstring>
#include <span>

namespace quillon {

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t Size() const { return data_.size(); }
    const std::uint8_t* Data() const { return data_.data(); }

    // Whether `length` bytes at `offset` lie inside the record.
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= data_.size() && length <= data_.size() - offset;
    }
    // Whether `count` elements of `elementSize` bytes at `offset` lie inside the record; the
    // product is checked for overflow before it is compared.
    bool HasArray(std::uint64_t offset, std::uint64_t count, std::uint64_t elementSize) const {
        if (elementSize != 0 && count > UINT64_MAX / elementSize) return false;
        return Has(offset, count * elementSize);
    }

    std::uint8_t U8(std::uint64_t offset, const char* field) const {
        if (!Need(offset, 1, field)) return 0;
        return data_[offset];
    }
    std::uint16_t U16(std::uint64_t offset, const char* field) const {
        if (!Need(offset, 2, field)) return 0;
        const std::uint8_t* p = data_.data() + offset;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::int16_t I16(std::uint64_t offset, const char* field) const {
        return static_cast<std::int16_t>(U16(offset, field));
    }
    std::uint32_t U32(std::uint64_t offset, const char* field) const {
        if (!Need(offset, 4, field)) return 0;
        const std::uint8_t* p = data_.data() + offset;
        return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
               (std::uint32_t{p[3]} << 24);
    }
    std::int32_t I32(std::uint64_t offset, const char* field) const {
        return static_cast<std::int32_t>(U32(offset, field));
    }
    float F32(std::uint64_t offset, const char* field) const {
        const std::uint32_t bits = U32(offset, field);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    // `length` bytes at `offset`, or an empty span (and a failure) when they are not all there.
    std::span<const std::uint8_t> Bytes(std::uint64_t offset, std::uint64_t length,
                                        const char* field) const {
        if (!Need(offset, length, field)) return {};
        return data_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }

    bool Failed() const { return failedField_ != nullptr; }
    // The first field that lay past the end ("" while nothing failed).
    const char* FailedField() const { return failedField_ ? failedField_ : ""; }

  private:
    bool Need(std::uint64_t offset, std::uint64_t length, const char* field) const {
        if (Has(offset, length)) return true;
        if (!failedField_) failedField_ = field;
        return false;
    }

    std::span<const std::uint8_t> data_;
    mutable const char* failedField_ = nullptr;
};

}  // namespace quillon
