// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The application's string table: texts by number, as the classic resource table holds
// them. The program registers the texts it ships (this one ships none of the print suite's,
// so the suite's built-in defaults show); tests may register their own.

#include <optional>
#include <string>

namespace quillon {

// The text under `id`, or nothing when the table holds none.
std::optional<std::string> FindResourceString(int id);
// The text under `id`, or the empty text (the classic LoadStr).
std::string LoadStr(int id);
// Puts (or replaces) a text; an empty text removes the entry.
void SetResourceString(int id, const std::string& text);

}  // namespace quillon
