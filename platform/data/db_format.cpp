// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/data/db_format.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace quillon {

TFormatSettings TFormatSettings::FromLocale() {
    TFormatSettings fs;
    locale_t loc = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
    if (!loc) return fs;
    const char* name = nl_langinfo_l(_NL_IDENTIFICATION_LANGUAGE, loc);
    const char* thousands = nl_langinfo_l(THOUSEP, loc);
    const char* radix = nl_langinfo_l(RADIXCHAR, loc);
    const char* currency = nl_langinfo_l(CRNCYSTR, loc);
    // The C locale names no separators or currency: keep the defaults then.
    bool plain = !name || !*name;
    if (!plain) {
        if (radix && *radix) fs.DecimalSeparator = radix;
        fs.ThousandSeparator = thousands ? thousands : "";
        if (currency && *currency) {
            // "-$" before the amount, "+kr" after it, ".X" in place of the radix.
            if (currency[0] == '-') {
                fs.CurrencyString = currency + 1;
                fs.CurrencyFormat = 0;
            } else if (currency[0] == '+') {
                fs.CurrencyString = currency + 1;
                fs.CurrencyFormat = 3;
                fs.NegCurrFormat = 8;
            }
        }
        lconv* lc = nullptr;
        locale_t old = uselocale(loc);
        lc = localeconv();
        if (lc && lc->frac_digits >= 0 && lc->frac_digits <= 6) fs.CurrencyDecimals = lc->frac_digits;
        if (lc && lc->p_cs_precedes == 1) fs.CurrencyFormat = lc->p_sep_by_space == 1 ? 2 : 0;
        if (lc && lc->p_cs_precedes == 0) fs.CurrencyFormat = lc->p_sep_by_space == 1 ? 3 : 1;
        if (lc && lc->n_sign_posn != 0 && lc->n_sign_posn != CHAR_MAX)
            fs.NegCurrFormat = fs.CurrencyFormat == 0 || fs.CurrencyFormat == 2 ? 1 : 8;
        uselocale(old);
    }
    freelocale(loc);
    return fs;
}

TFormatSettings& FormatSettings() {
    static TFormatSettings fs = TFormatSettings::FromLocale();
    return fs;
}

namespace {

std::string WithThousands(const std::string& digits, const std::string& sep) {
    if (sep.empty() || digits.size() <= 3) return digits;
    std::string out;
    size_t lead = digits.size() % 3;
    if (lead == 0) lead = 3;
    out.append(digits, 0, lead);
    for (size_t i = lead; i < digits.size(); i += 3) {
        out += sep;
        out.append(digits, i, 3);
    }
    return out;
}

// Fixed-point digits of |value| with `decimals` places: integer and fraction text.
void FixedDigits(double value, int decimals, std::string& intPart, std::string& fracPart) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
    std::string s = buf;
    size_t dot = s.find('.');
    intPart = dot == std::string::npos ? s : s.substr(0, dot);
    fracPart = dot == std::string::npos ? "" : s.substr(dot + 1);
}

std::vector<std::string> Sections(std::string_view format) {
    std::vector<std::string> out(1);
    char quote = 0;
    for (char c : format) {
        if (quote) {
            if (c == quote) quote = 0;
            out.back() += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            out.back() += c;
        } else if (c == ';') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

std::string ApplySection(const std::string& sec, double value, const TFormatSettings& fs) {
    // First pass: the shape of the number.
    int minInt = 0, minDec = 0, maxDec = 0;
    bool thousands = false, afterPoint = false, seenDigit = false, zeroSeen = false;
    size_t firstPh = std::string::npos, lastPh = 0;
    char quote = 0;
    for (size_t i = 0; i < sec.size(); ++i) {
        char c = sec[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        if (c == '0' || c == '#') {
            if (firstPh == std::string::npos) firstPh = i;
            lastPh = i;
            seenDigit = true;
            if (afterPoint) {
                ++maxDec;
                if (c == '0') minDec = maxDec;
            } else {
                if (c == '0') zeroSeen = true;
                if (zeroSeen) ++minInt;
            }
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
            if (firstPh == std::string::npos) firstPh = i;
            lastPh = i;
        } else if (c == ',' && seenDigit && !afterPoint) {
            thousands = true;
        }
    }
    std::string prefix, suffix;
    auto literals = [&](size_t from, size_t to, std::string& out) {
        char q = 0;
        for (size_t i = from; i < to && i < sec.size(); ++i) {
            char c = sec[i];
            if (q) {
                if (c == q)
                    q = 0;
                else
                    out += c;
            } else if (c == '"' || c == '\'') {
                q = c;
            } else if (c != '0' && c != '#' && c != ',' && c != '.') {
                out += c;
            } else if (firstPh == std::string::npos || i < firstPh || i > lastPh) {
                out += c;
            }
        }
    };
    if (firstPh == std::string::npos) {
        literals(0, sec.size(), prefix);
        return prefix;
    }
    literals(0, firstPh, prefix);
    literals(lastPh + 1, sec.size(), suffix);
    std::string intPart, fracPart;
    FixedDigits(value, maxDec, intPart, fracPart);
    while (static_cast<int>(fracPart.size()) > minDec && !fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    // Leading zeros only as many as the format asks for.
    size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "" : intPart.substr(nz);
    while (static_cast<int>(intPart.size()) < minInt) intPart.insert(intPart.begin(), '0');
    if (thousands) intPart = WithThousands(intPart, fs.ThousandSeparator);
    std::string number = intPart;
    if (!fracPart.empty()) number += fs.DecimalSeparator + fracPart;
    return prefix + number + suffix;
}

bool RoundsToZero(const std::string& sec, double value) {
    int decimals = 0;
    size_t dot = sec.find('.');
    if (dot != std::string::npos)
        for (size_t i = dot + 1; i < sec.size() && (sec[i] == '0' || sec[i] == '#'); ++i) ++decimals;
    std::string i, f;
    FixedDigits(value, decimals, i, f);
    return (i + f).find_first_not_of('0') == std::string::npos;
}

std::string General(double value, int precision, const TFormatSettings& fs) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", precision, value);
    std::string s = buf;
    size_t dot = s.find('.');
    if (dot != std::string::npos) s.replace(dot, 1, fs.DecimalSeparator);
    return s;
}

std::string Currency(double value, int decimals, const TFormatSettings& fs) {
    std::string i, f;
    FixedDigits(value, decimals, i, f);
    std::string n = WithThousands(i, fs.ThousandSeparator);
    if (!f.empty()) n += fs.DecimalSeparator + f;
    const std::string& c = fs.CurrencyString;
    bool negative = value < 0 && (i + f).find_first_not_of('0') != std::string::npos;
    if (!negative) {
        switch (fs.CurrencyFormat) {
            case 1: return n + c;
            case 2: return c + " " + n;
            case 3: return n + " " + c;
            default: return c + n;
        }
    }
    switch (fs.NegCurrFormat) {
        case 1: return "-" + c + n;
        case 2: return c + "-" + n;
        case 3: return c + n + "-";
        case 4: return "(" + n + c + ")";
        case 5: return "-" + n + c;
        case 6: return n + "-" + c;
        case 7: return n + c + "-";
        case 8: return "-" + n + " " + c;
        default: return "(" + c + n + ")";
    }
}

}  // namespace

std::string FormatFloat(std::string_view format, double value) {
    return FormatFloat(format, value, FormatSettings());
}

std::string FormatFloat(std::string_view format, double value, const TFormatSettings& fs) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (format.empty()) return General(value, 15, fs);
    std::vector<std::string> sec = Sections(format);
    if (sec.size() >= 3 && !sec[2].empty() && RoundsToZero(sec[0], value))
        return ApplySection(sec[2], 0.0, fs);
    if (value < 0 && sec.size() >= 2 && !sec[1].empty()) return ApplySection(sec[1], -value, fs);
    std::string out = ApplySection(sec[0], value, fs);
    if (value < 0 && !RoundsToZero(sec[0], value)) out = "-" + out;
    return out;
}

std::string Format(std::string_view format, double value) {
    return Format(format, value, FormatSettings());
}

std::string Format(std::string_view format, double value, const TFormatSettings& fs) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        size_t j = i + 1;
        if (format[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        int precision = -1;
        if (format[j] == '.') {
            precision = 0;
            ++j;
            while (j < format.size() && format[j] >= '0' && format[j] <= '9' && precision < 100)
                precision = precision * 10 + (format[j++] - '0');
        }
        if (j >= format.size()) {
            out.append(format.substr(i));
            break;
        }
        char conv = static_cast<char>(format[j] | 0x20);
        switch (conv) {
            case 'm': out += Currency(value, precision < 0 ? fs.CurrencyDecimals : precision, fs); break;
            case 'n': {
                std::string ip, fp;
                int d = precision < 0 ? 2 : precision;
                FixedDigits(value, d, ip, fp);
                if (value < 0 && (ip + fp).find_first_not_of('0') != std::string::npos) out += '-';
                out += WithThousands(ip, fs.ThousandSeparator);
                if (!fp.empty()) out += fs.DecimalSeparator + fp;
                break;
            }
            case 'f': {
                std::string ip, fp;
                int d = precision < 0 ? 2 : precision;
                FixedDigits(value, d, ip, fp);
                if (value < 0 && (ip + fp).find_first_not_of('0') != std::string::npos) out += '-';
                out += ip;
                if (!fp.empty()) out += fs.DecimalSeparator + fp;
                break;
            }
            case 'd': {
                char buf[32];
                std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(std::llround(value)));
                out += buf;
                break;
            }
            case 'g': out += General(value, precision < 0 ? 15 : std::max(precision, 1), fs); break;
            default: out.append(format.substr(i, j - i + 1)); break;
        }
        i = j;
    }
    return out;
}

}  // namespace quillon
