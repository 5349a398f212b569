// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/sysutils.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>

namespace quillon {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool TryStrToInt(std::string_view text, int& value) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    std::string_view s = text.substr(b, e - b);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return false;
    std::uint64_t magnitude = 0;
    for (char c : s) {
        const int d = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0) return false;
        magnitude = magnitude * base + d;
        if (magnitude > 0xFFFFFFFFull) return false;
    }
    std::int64_t v;
    if (base == 16 && !negative && magnitude > 0x7FFFFFFFull) {
        // Hexadecimal text names the 32-bit pattern ($FFFFFFFF is -1).
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    } else {
        v = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            return false;
    }
    value = static_cast<int>(v);
    return true;
}

int StrToInt(std::string_view text) {
    int v = 0;
    if (!TryStrToInt(text, v)) {
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    }
    return v;
}

int StrToIntDef(std::string_view text, int fallback) {
    int v = fallback;
    return TryStrToInt(text, v) ? v : fallback;
}

std::string IntToStr(std::int64_t value) {
    return std::to_string(value);
}

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string UpperCase(std::string_view text) {
    std::string r(text);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string LowerCase(std::string_view text) {
    std::string r(text);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

namespace {

std::string FormatLocalTime(std::int64_t when, const char* format) {
    // The user's date and time conventions, once, without touching the rest of the locale.
    static const bool localeSet = [] {
        std::setlocale(LC_TIME, "");
        return true;
    }();
    (void)localeSet;
    const std::time_t t = static_cast<std::time_t>(when);
    std::tm parts{};
    if (!localtime_r(&t, &parts)) return {};
    char buf[128];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &parts);
    return std::string(buf, n);
}

}  // namespace

std::string DateToStr(std::int64_t when) {
    return FormatLocalTime(when, "%x");
}

std::string TimeToStr(std::int64_t when) {
    return FormatLocalTime(when, "%X");
}

std::int64_t Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace quillon
