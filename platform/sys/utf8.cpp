// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/utf8.h"

namespace quillon::utf8 {

namespace {
constexpr bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}
}  // namespace

Decoded DecodeOne(std::string_view text) noexcept {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    const unsigned char c0 = s[0];
    if (c0 < 0x80) return {c0, 1, true};
    const Decoded bad{kReplacement, 1, false};
    std::size_t len;
    char32_t cp;
    char32_t min;
    if (c0 >= 0xC2 && c0 <= 0xDF) {
        len = 2, cp = c0 & 0x1F, min = 0x80;
    } else if (c0 >= 0xE0 && c0 <= 0xEF) {
        len = 3, cp = c0 & 0x0F, min = 0x800;
    } else if (c0 >= 0xF0 && c0 <= 0xF4) {
        len = 4, cp = c0 & 0x07, min = 0x10000;
    } else {
        return bad;
    }
    if (len > n) return bad;
    for (std::size_t i = 1; i < len; ++i) {
        if (!IsContinuation(s[i])) return bad;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return bad;
    return {cp, len, true};
}

std::size_t Length(std::string_view text) noexcept {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        const auto c = static_cast<unsigned char>(text[i]);
        i += c < 0x80 ? 1 : DecodeOne(text.substr(i)).length;
    }
    return count;
}

void Append(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Sanitize(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = DecodeOne(text.substr(i));
        if (d.valid)
            out.append(text.substr(i, d.length));
        else
            Append(out, kReplacement);
        i += d.length;
    }
    return out;
}

std::u16string ToUtf16(std::string_view text) {
    // Never more units than bytes (a character of two units takes four bytes): the units are
    // stored by index, and most text is ASCII, one byte and one unit.
    std::u16string out(text.size(), u'\0');
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out[n++] = c;
            ++i;
            continue;
        }
        const Decoded d = DecodeOne(text.substr(i));
        i += d.length;
        if (d.codePoint >= 0x10000) {
            const char32_t v = d.codePoint - 0x10000;
            out[n++] = static_cast<char16_t>(0xD800 + (v >> 10));
            out[n++] = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            out[n++] = static_cast<char16_t>(d.codePoint);
        }
    }
    out.resize(n);
    return out;
}

std::string FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        Append(out, c);
    }
    return out;
}

}  // namespace quillon::utf8
