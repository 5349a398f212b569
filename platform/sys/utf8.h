// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// UTF-8 decoding shared by everything that reads text from outside: a name
// typed or piped in, form files, page files. A byte that does not start a
// well-formed sequence is one character of its own (reported as invalid), so
// no input is ever dropped or read past its end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    char32_t codePoint;  // kReplacement when !valid
    std::size_t length;  // bytes consumed, 1..4, never 0 for non-empty input
    bool valid;
};

// Decodes the sequence at the start of `text` (which must not be empty).
// Overlong forms, surrogates and values above U+10FFFF are invalid.
Decoded DecodeOne(std::string_view text) noexcept;

// Number of characters (code points, counting each invalid byte as one).
std::size_t Length(std::string_view text) noexcept;

// Appends the UTF-8 form of `cp` (U+FFFD for a value that is not a scalar value).
void Append(std::string& out, char32_t cp);

// Copy of `text` in which every invalid byte is replaced by U+FFFD.
std::string Sanitize(std::string_view text);

// UTF-16 conversion (invalid bytes become U+FFFD; unpaired surrogates in the
// UTF-16 input become U+FFFD).
std::u16string ToUtf16(std::string_view text);
std::string FromUtf16(std::u16string_view text);

}  // namespace quillon::utf8
