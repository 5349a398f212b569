// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One line about outside input the program changed to stay within its limits (a document cut
// or flattened), told once however often the input is shown or printed: by default as
// "quillon: LINE" on standard error.

#include <functional>
#include <string>

namespace quillon {

using NoticeSink = std::function<void(const std::string& line)>;

// Tells `line` unless it was told before.
void InputNotice(const std::string& line);
// Where notices go from now on (an empty sink: standard error), every line new again;
// answers the sink installed before.
NoticeSink SetNoticeSink(NoticeSink sink);

}  // namespace quillon
