// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/draw_text.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quillon {

namespace {

std::string StripPrefixes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

// Measures and draws one line whose tabs, when expanded, move to the next stop.
class LineWriter {
  public:
    LineWriter(TCanvas& canvas, bool expandTabs) : canvas_(canvas), expandTabs_(expandTabs) {
        if (expandTabs_) tabStop_ = std::max(1, canvas.TextWidth("x") * 8);
    }

    int Width(std::string_view line) const {
        if (!expandTabs_) return canvas_.TextWidth(line);
        int x = 0;
        ForEachSegment(line, [&](std::string_view seg, int) { x += canvas_.TextWidth(seg); },
                       x);
        return x;
    }

    void Draw(std::string_view line, int x0, int y, const TRect& clip, bool clipped) const {
        auto out = [&](std::string_view seg, int x) {
            if (seg.empty()) return;
            if (clipped)
                canvas_.TextRect(clip, x, y, seg);
            else
                canvas_.TextOut(x, y, seg);
        };
        if (!expandTabs_) {
            out(line, x0);
            return;
        }
        int x = 0;
        ForEachSegment(
            line,
            [&](std::string_view seg, int at) {
                out(seg, x0 + at);
                x = at + canvas_.TextWidth(seg);
            },
            x);
    }

  private:
    // Calls f(segment, x) for each run between tabs; `x` tracks the pen position.
    template <class F>
    void ForEachSegment(std::string_view line, F f, int& x) const {
        std::size_t start = 0;
        while (true) {
            const std::size_t tab = line.find('\t', start);
            const std::string_view seg =
                line.substr(start, tab == std::string_view::npos ? std::string_view::npos
                                                                 : tab - start);
            f(seg, x);
            if (tab == std::string_view::npos) break;
            // The pen after the segment, moved on to the next stop.
            x = (x / tabStop_ + 1) * tabStop_;
            start = tab + 1;
        }
    }

    TCanvas& canvas_;
    bool expandTabs_;
    int tabStop_ = 1;
};

// Breaks one paragraph into lines of at most `width` pixels between words; a word wider
// than the width stands alone on its line.
void BreakWords(const LineWriter& w, std::string_view para, int width,
                std::vector<std::string>& lines) {
    std::string line;
    bool any = false;
    std::size_t i = 0;
    while (i <= para.size()) {
        std::size_t sp = para.find(' ', i);
        if (sp == std::string_view::npos) sp = para.size();
        const std::string_view word = para.substr(i, sp - i);
        std::string candidate = any ? line + ' ' + std::string(word) : std::string(word);
        if (any && w.Width(candidate) > width) {
            lines.push_back(std::move(line));
            line = std::string(word);
        } else {
            line = std::move(candidate);
        }
        any = true;
        i = sp + 1;
    }
    lines.push_back(std::move(line));
}

}  // namespace

int DrawText(TCanvas& canvas, std::string_view text, TRect& rect, unsigned flags) {
    const std::string shown = (flags & DT_NOPREFIX) ? std::string(text) : StripPrefixes(text);
    const LineWriter writer(canvas, (flags & DT_EXPANDTABS) != 0);
    const int width = rect.Right - rect.Left;

    std::vector<std::string> lines;
    if (flags & DT_SINGLELINE) {
        lines.push_back(shown);
    } else {
        std::size_t start = 0;
        while (true) {
            const std::size_t eol = shown.find('\n', start);
            std::string_view para = std::string_view(shown).substr(
                start, eol == std::string::npos ? std::string::npos : eol - start);
            if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
            if (flags & DT_WORDBREAK)
                BreakWords(writer, para, width, lines);
            else
                lines.emplace_back(para);
            if (eol == std::string::npos) break;
            start = eol + 1;
        }
    }

    const int lineHeight = canvas.TextHeight("W");
    const int total = lineHeight * static_cast<int>(lines.size());
    if (flags & DT_CALCRECT) {
        int widest = 0;
        for (const auto& l : lines) widest = std::max(widest, writer.Width(l));
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + total;
        return total;
    }

    int y = rect.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_BOTTOM)
            y = rect.Bottom - lineHeight;
        else if (flags & DT_VCENTER)
            y = rect.Top + (rect.Bottom - rect.Top - lineHeight) / 2;
    }
    const bool clipped = (flags & DT_NOCLIP) == 0;
    for (const auto& line : lines) {
        int x = rect.Left;
        if (flags & (DT_RIGHT | DT_CENTER)) {
            const int w = writer.Width(line);
            x = (flags & DT_RIGHT) ? rect.Right - w : rect.Left + (width - w) / 2;
        }
        writer.Draw(line, x, y, rect, clipped);
        y += lineHeight;
    }
    return total;
}

}  // namespace quillon
