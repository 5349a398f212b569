#pragma once
// The drawing layer: every page of a print job is drawn through one TGdi, which records it as
// an enhanced metafile (a page file) while keeping the printer canvas in step with what is
// selected into the page, so that callers measure text on the printer canvas exactly as it
// will be drawn. Coordinates are printer pixels of the page (origin at the top-left of the
// printable area, y down).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Width of a text in printer pixels (the printer canvas's TextWidth in the layer).
using TextWidthFn = std::function<int(std::string_view)>;

// Takes the next line of a word-wrapped block from the front of `rest`: whole words while the
// line fits in `width` pixels, a single word cut to `width` - 10 pixels when it is wider than
// that, or, when not even the first character of such a word fits, everything left. Words are
// separated by spaces; a second space stays in front of the word after it.
std::string TakeNextLine(std::string& rest, int width, const TextWidthFn& textWidth);

// Replaces each tab by spaces towards the layer's tab stops (columns 9, 17, 25, ... 73); a tab
// beyond column 81 just vanishes.
std::string ExpandTabs(std::string_view text);

// The first `maxChars` characters (code points) of `text`.
std::string_view FirstChars(std::string_view text, std::size_t maxChars);

// The longest text the layer draws in one call, in characters.
inline constexpr std::size_t kMaxTextOut = 255;

// One line of a frame band: from (x1, y1) to (x2, y2), the end point not drawn.
struct FrameLine {
    int x1, y1, x2, y2;
    bool operator==(const FrameLine&) const = default;
};

// The lines that draw a frame (sides top, bottom, left, right; kinds 1..6 as FrameBox takes
// them, anything else draws that side not at all), in drawing order.
std::vector<FrameLine> FrameBoxLines(int left, int top, int right, int bottom, int topKind,
                                     int bottomKind, int leftKind, int rightKind);

}  // namespace quillon
