// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/ini_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/sys/files.h"
#include "platform/sys/limits.h"
#include "platform/sys/utf8.h"

namespace quillon {

namespace {

SettingsNoticeFn gNotice = nullptr;

void Notice(const std::string& path, const std::string& why) {
    static std::mutex mutex;
    static std::set<std::string> told;
    {
        const std::lock_guard lock(mutex);
        if (!told.insert(path).second) return;
    }
    const std::string line = why + "; the settings in it are neither read nor written";
    if (gNotice)
        gNotice(line);
    else
        std::fprintf(stderr, "quillon: %s\n", line.c_str());
}

// The file's text; empty when there is none yet. nullopt (after a notice) when the file is
// there but not to be used.
std::optional<std::string> LoadText(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return std::string();  // none yet (or a dangling link)
    Result<std::vector<std::uint8_t>> data = ReadRegularFile(path, limits::kMaxSettingsFileBytes);
    if (!data) {
        Notice(path, data.reason());
        return std::nullopt;
    }
    return std::string(data->begin(), data->end());
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads up to `maxDigits` hexadecimal digits of `s` from `i`.
char32_t ReadHex(std::string_view s, std::size_t& i, int maxDigits) {
    char32_t v = 0;
    for (int n = 0; n < maxDigits && i < s.size() && Hex(s[i]) >= 0; ++n, ++i)
        v = v * 16 + static_cast<char32_t>(Hex(s[i]));
    return v;
}

void AppendHex(std::string& out, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kDigits[(value >> shift) & 15];
}

// A line "[Section]": the section's name, else nullopt.
std::optional<std::string> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return UnescapeIniName(std::string(line.substr(1, line.size() - 2)));
}

std::string SectionName(const std::string& section) {
    return section.empty() ? std::string("General") : section;
}

struct Line {
    std::string_view text;
    std::size_t begin;  // offset of the line in the file
    std::size_t end;    // offset after its line break
};

std::vector<Line> Lines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        const std::size_t next = eol == std::string::npos ? text.size() : eol + 1;
        if (eol == std::string::npos) eol = text.size();
        lines.push_back({std::string_view(text).substr(pos, eol - pos), pos, next});
        pos = next;
    }
    return lines;
}

// A line "Name=value" whose name is `name`: the value's text (not unescaped).
std::optional<std::string_view> ValueIfNamed(std::string_view line, const std::string& name) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trim(line.substr(0, eq));
    if (key.empty() || key.front() == ';' || key.front() == '#') return std::nullopt;
    // Most lines are other names: compare the text before decoding it.
    if (key.find('%') == std::string_view::npos && key.find('\\') == std::string_view::npos) {
        if (key != name) return std::nullopt;
    } else if (UnescapeIniName(std::string(key)) != name) {
        return std::nullopt;
    }
    return Trim(line.substr(eq + 1));
}

}  // namespace

void SetSettingsNotice(SettingsNoticeFn notice) {
    gNotice = notice;
}

std::string EscapeIniName(const std::string& name) {
    std::string out;
    std::size_t i = 0;
    while (i < name.size()) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c == '/') {
            out += '\\';
            ++i;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-' || c == '.') {
            out += static_cast<char>(c);
            ++i;
        } else {
            const utf8::Decoded d = utf8::DecodeOne(std::string_view(name).substr(i));
            const char32_t cp = d.codePoint;
            i += d.length;
            if (cp <= 0xFF) {
                out += '%';
                AppendHex(out, cp, 2);
            } else if (cp <= 0xFFFF) {
                out += "%U";
                AppendHex(out, cp, 4);
            } else {  // two UTF-16 units
                const char32_t v = cp - 0x10000;
                out += "%U";
                AppendHex(out, 0xD800 + (v >> 10), 4);
                out += "%U";
                AppendHex(out, 0xDC00 + (v & 0x3FF), 4);
            }
        }
    }
    return out;
}

std::string UnescapeIniName(const std::string& text) {
    std::string out;
    char32_t highSurrogate = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\\') {
            out += '/';
            ++i;
            continue;
        }
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        char32_t cp;
        if (i < text.size() && text[i] == 'U') {
            ++i;
            cp = ReadHex(text, i, 4);
        } else {
            cp = ReadHex(text, i, 2);
        }
        if (cp >= 0xD800 && cp < 0xDC00) {
            highSurrogate = cp;
            continue;
        }
        if (cp >= 0xDC00 && cp < 0xE000 && highSurrogate != 0)
            cp = 0x10000 + ((highSurrogate - 0xD800) << 10) + (cp - 0xDC00);
        highSurrogate = 0;
        utf8::Append(out, cp);
    }
    return out;
}

std::string EscapeIniValue(const std::string& value) {
    std::string out;
    bool quote = value.find_first_of(";,=") != std::string::npos || value.find('#') == 0 ||
                 (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!value.empty() && value.front() == '@') out += '@';  // "@" starts a typed value
    bool hexBefore = false;  // a \x escape would swallow a hexadecimal digit after it
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (hexBefore && Hex(ch) >= 0) {
            out += "\\x";
            AppendHex(out, c, 4);
            continue;
        }
        hexBefore = false;
        switch (ch) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '"':
            case '\\':
                out += '\\';
                out += ch;
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\x";
                    AppendHex(out, c, 4);
                    hexBefore = true;
                } else {
                    out += ch;  // UTF-8 as it is
                }
        }
    }
    if (quote) out = '"' + out + '"';
    return out;
}

std::string UnescapeIniValue(const std::string& text) {
    std::string out;
    bool quoted = false;
    std::size_t i = 0;
    if (text.rfind("@@", 0) == 0) i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (!quoted && (c == ';' || c == '#')) break;  // a comment after the value
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            ++i;
            continue;
        }
        const char e = text[i + 1];
        i += 2;
        switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'v':
                out += '\v';
                break;
            case '0':
                out += '\0';
                break;
            case 'x':
                utf8::Append(out, ReadHex(text, i, 4));
                break;
            default:
                out += e;  // \" \\ \' \?
        }
    }
    if (!quoted) {  // outside quotes, blanks at the end are not part of the value
        while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    }
    return out;
}

std::optional<std::string> ReadIniValue(const std::string& path, const std::string& section,
                                        const std::string& name) {
    const std::optional<std::string> text = LoadText(path);
    if (!text) return std::nullopt;
    const std::string wanted = SectionName(section);
    std::optional<std::string_view> found;
    bool in = false;
    for (const Line& line : Lines(*text)) {
        const std::string_view t = Trim(line.text);
        if (!t.empty() && t.front() == '[') {
            const std::optional<std::string> s = SectionOf(t);
            if (s) in = *s == wanted;
            continue;
        }
        if (!in) continue;
        if (std::optional<std::string_view> v = ValueIfNamed(line.text, name))
            found = v;  // last wins
    }
    if (!found) return std::nullopt;
    return UnescapeIniValue(std::string(*found));
}

Result<void> WriteIniValue(const std::string& path, const std::string& section,
                           const std::string& name, const std::optional<std::string>& value) {
    const std::optional<std::string> text = LoadText(path);
    if (!text) return Error{path + ": not used"};
    const std::string wanted = SectionName(section);
    const std::string newLine =
        value ? EscapeIniName(name) + "=" + EscapeIniValue(*value) + "\n" : std::string();

    std::string out;
    bool in = false, sectionSeen = false, written = false;
    std::size_t sectionEnd = std::string::npos;  // where to add the value in the section
    for (const Line& line : Lines(*text)) {
        const std::string_view t = Trim(line.text);
        if (!t.empty() && t.front() == '[') {
            if (const std::optional<std::string> s = SectionOf(t)) {
                in = *s == wanted;
                sectionSeen = sectionSeen || in;
            }
        } else if (in && ValueIfNamed(line.text, name)) {
            if (!written) out += newLine;  // replaced where it stood; a second one is dropped
            written = true;
            continue;
        }
        out.append(*text, line.begin, line.end - line.begin);
        if (line.end == text->size() && !out.empty() && out.back() != '\n') out += '\n';
        if (in && !t.empty()) sectionEnd = out.size();
    }
    if (!written && value) {
        if (sectionSeen && sectionEnd != std::string::npos) {
            out.insert(sectionEnd, newLine);
        } else {
            if (!out.empty() && out.back() != '\n') out += '\n';
            if (!out.empty()) out += '\n';
            out += "[" + EscapeIniName(wanted) + "]\n" + newLine;
        }
    } else if (!written) {
        return Ok();  // nothing to remove
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
    }
    const std::vector<std::uint8_t> bytes(out.begin(), out.end());
    return WriteFileAtomically(path, bytes, WriteOptions{Replace::FileOrLink, 0600, false});
}

}  // namespace quillon
