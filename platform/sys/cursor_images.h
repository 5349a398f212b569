// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Cursor images of the program's own, registered by name beside the standard
// cursors (CursorByName finds them); the backend turns them into pointers.

#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/desktop.h"

namespace quillon {

// A cursor image of the program's own: equal rows of '#' (black), '.' (white)
// and ' ' (transparent), and the hot spot.
struct TCursorImage {
    std::vector<std::string> Rows;
    int HotX = 0, HotY = 0;
};
// Registers an image under a name (CursorByName finds it) and gives its cursor
// number; the same name keeps its number when registered again.
TCursor RegisterCursorImage(std::string_view name, TCursorImage image);
// The image of a registered cursor; nullptr for standard cursors and others.
const TCursorImage* CursorImageOf(TCursor cursor);

}  // namespace quillon
