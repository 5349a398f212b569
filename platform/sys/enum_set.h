// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A small set of enumeration values (font styles and the like), stored as bits.

#include <cstdint>
#include <initializer_list>

namespace quillon {

template <typename E>
class EnumSet {
  public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> values) {
        for (E v : values) bits_ |= Bit(v);
    }

    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr EnumSet& Include(E v) {
        bits_ |= Bit(v);
        return *this;
    }
    constexpr EnumSet& Exclude(E v) {
        bits_ &= ~Bit(v);
        return *this;
    }
    constexpr EnumSet operator+(E v) const { return EnumSet(*this).Include(v); }
    constexpr EnumSet operator-(E v) const { return EnumSet(*this).Exclude(v); }
    constexpr EnumSet operator+(EnumSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr EnumSet operator*(EnumSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr bool operator==(const EnumSet&) const = default;

    constexpr std::uint64_t Bits() const { return bits_; }
    static constexpr EnumSet FromBits(std::uint64_t bits) {
        EnumSet s;
        s.bits_ = bits;
        return s;
    }

  private:
    static constexpr std::uint64_t Bit(E v) { return std::uint64_t{1} << static_cast<unsigned>(v); }
    std::uint64_t bits_ = 0;
};

}  // namespace quillon
