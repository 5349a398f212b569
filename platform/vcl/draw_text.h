// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Formatted text output into a rectangle, as labels and the suite's controls draw their
// captions: alignment, word breaks, tab expansion and accelerator marks.

#include <string_view>

#include "platform/gdi/canvas.h"

namespace quillon {

// Format flags (the classic values, as form code and stored settings use them).
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;     // with DT_SINGLELINE
inline constexpr unsigned DT_BOTTOM = 0x8;      // with DT_SINGLELINE
inline constexpr unsigned DT_WORDBREAK = 0x10;  // lines broken between words to fit the width
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_EXPANDTABS = 0x40;  // tab stops every eight average characters
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_CALCRECT = 0x400;  // measure only: rect becomes the text's extent
inline constexpr unsigned DT_NOPREFIX = 0x800;  // '&' is a plain character

// Draws `text` into `rect` with the canvas's font, colour and brush; answers the height of
// the text drawn. Without DT_NOPREFIX, "&&" shows one '&' and a single '&' is dropped (the
// accelerator it marks is not underlined on paper). With DT_CALCRECT nothing is drawn and
// `rect` is set to the lines' extent (its right edge from the widest line).
int DrawText(TCanvas& canvas, std::string_view text, TRect& rect, unsigned flags);

}  // namespace quillon
