#include "printsuite/draw/Vex_Gdi.h"

#include <utility>

#include "platform/utf8.h"

namespace quillon {
namespace {

// Byte length of the first `count` characters of `text` (all of it when shorter).
std::size_t PrefixBytes(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count && pos < text.size(); ++i) {
        pos += utf8::DecodeOne(text.substr(pos)).length;
    }
    return pos;
}

// Tab stops of the layer: the spaces that replace a tab at 1-based column p.
int TabSpaces(std::size_t p) {
    if (p == 1) return 8;
    if (p <= 9) return static_cast<int>(9 - p);
    if (p >= 82) return 0;
    // Ranges of nine columns, each with its stop: 10..18 -> 17, 19..27 -> 25, ... 73..81 -> 73.
    const int stop = 17 + 8 * static_cast<int>((p - 10) / 9);
    const int n = stop - static_cast<int>(p);
    return n > 0 ? n : 0;
}

struct Band {
    int from, to;
};

struct FrameKind {
    Band bands[2];
    int bandCount;
    int depth;  // the far side's band starts this far inside the far edge
};

bool FrameKindOf(int kind, FrameKind& out) {
    switch (kind) {
        case 1:
            out = {{{0, 5}, {0, 0}}, 1, 5};
            return true;
        case 2:
            out = {{{0, 1}, {0, 0}}, 1, 1};
            return true;
        case 3:
            out = {{{0, 5}, {9, 14}}, 2, 14};
            return true;
        case 4:
            out = {{{0, 1}, {5, 6}}, 2, 6};
            return true;
        case 5:
            out = {{{0, 5}, {9, 10}}, 2, 10};
            return true;
        case 6:
            out = {{{0, 1}, {5, 10}}, 2, 10};
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string_view FirstChars(std::string_view text, std::size_t maxChars) {
    return text.substr(0, PrefixBytes(text, maxChars));
}

std::string TakeNextLine(std::string& rest, int width, const TextWidthFn& textWidth) {
    if (rest.empty()) return {};
    const int wordLimit = width - 10;
    std::string line;
    std::string candidate;
    for (;;) {
        // The next word; a leading space belongs to it (a second space between two words).
        std::size_t end;
        if (rest[0] == ' ') {
            end = rest.find(' ', 1);
        } else {
            end = rest.find(' ');
        }
        if (end == std::string::npos) end = rest.size();
        const std::string word = rest.substr(0, end);

        if (textWidth(word) > wordLimit) {
            if (candidate.empty()) {
                // A word too wide for any line: as many characters as fit.
                std::size_t fit = 0;
                std::size_t pos = 0;
                while (pos < word.size()) {
                    const std::size_t next =
                        pos + utf8::DecodeOne(std::string_view(word).substr(pos)).length;
                    if (textWidth(std::string_view(word).substr(0, next)) > wordLimit) break;
                    pos = next;
                    fit = pos;
                }
                line = word.substr(0, fit);
                rest.erase(0, fit);
            }
            break;
        }
        candidate = candidate.empty() ? word : candidate + " " + word;
        if (textWidth(candidate) > width) break;
        line = candidate;
        // The word and the separator after it.
        rest.erase(0, end < rest.size() ? end + 1 : end);
        if (rest.empty()) break;
    }
    if (line.empty()) {
        line = std::move(rest);
        rest.clear();
    }
    return line;
}

std::string ExpandTabs(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t column = 0;  // characters in `out` so far
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == '\t') {
            out.append(static_cast<std::size_t>(TabSpaces(column + 1)), ' ');
            column += static_cast<std::size_t>(TabSpaces(column + 1));
            ++pos;
            continue;
        }
        const std::size_t len = utf8::DecodeOne(text.substr(pos)).length;
        out.append(text.substr(pos, len));
        pos += len;
        ++column;
    }
    return out;
}

std::vector<FrameLine> FrameBoxLines(int left, int top, int right, int bottom, int topKind,
                                     int bottomKind, int leftKind, int rightKind) {
    std::vector<FrameLine> lines;
    FrameKind k{};
    auto rows = [&](int kind, bool farSide) {
        if (!FrameKindOf(kind, k)) return;
        const int base = farSide ? bottom - k.depth : top;
        for (int b = 0; b < k.bandCount; ++b)
            for (int o = k.bands[b].from; o <= k.bands[b].to; ++o)
                lines.push_back({left, base + o, right, base + o});
    };
    auto columns = [&](int kind, bool farSide) {
        if (!FrameKindOf(kind, k)) return;
        const int base = farSide ? right - k.depth : left;
        for (int b = 0; b < k.bandCount; ++b)
            for (int o = k.bands[b].from; o <= k.bands[b].to; ++o)
                lines.push_back({base + o, top, base + o, bottom});
    };
    rows(topKind, false);
    rows(bottomKind, true);
    columns(leftKind, false);
    columns(rightKind, true);
    return lines;
}

}  // namespace quillon
