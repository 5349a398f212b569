// SPDX-License-Identifier: GPL-2.0-or-later
// The drawing layer's text helpers on any bytes (text pasted into a memo or read from a data
// field): word-wrapping always moves on and hands out pieces of the text, and the tab and
// length helpers stay within their bounds. Widths come from a stand-in measure that may be
// zero, negative or uneven, as a real font's never is, to reach every branch.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sys/utf8.h"
#include "printsuite/draw/Vex_Gdi.h"

namespace {

void Require(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int width = static_cast<int16_t>(data[0] | (data[1] << 8));
    const int perChar = data[2] % 40;
    const bool uneven = (data[2] & 0x80) != 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);
    const quillon::TextWidthFn measure = [&](std::string_view s) {
        const int w = perChar * static_cast<int>(quillon::utf8::Length(s));
        return uneven ? w + static_cast<int>(s.size() % 7) - 3 : w;
    };

    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const std::string_view line = quillon::TakeNextLine(text, pos, width, measure);
        Require(pos > start && pos <= text.size());
        Require(line.data() == text.data() + start && line.size() <= pos - start);
    }
    // The copying form takes the same lines.
    std::string rest(text);
    std::size_t again = 0;
    while (!rest.empty()) {
        const std::size_t before = rest.size();
        const std::string line = quillon::TakeNextLine(rest, width, measure);
        Require(rest.size() < before);
        Require(line == quillon::TakeNextLine(text, again, width, measure));
    }

    const std::string expanded = quillon::ExpandTabs(text);
    std::size_t tabs = 0;
    for (char c : text) tabs += c == '\t';
    Require(expanded.size() <= text.size() - tabs + 8 * tabs);
    Require(expanded.find('\t') == std::string::npos);

    const std::string_view first = quillon::FirstChars(text, quillon::kMaxTextOut);
    Require(quillon::utf8::Length(first) <= quillon::kMaxTextOut);
    Require(text.substr(0, first.size()) == first);
    return 0;
}
