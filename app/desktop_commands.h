// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The commands the desktop runs: `quillon open FILE` for a double-click on a page or form
// file (or the calculator without one), and `quillon thumbnail INPUT OUTPUT SIZE` for file
// managers' previews of page files.

#include <string_view>

#include "app/cli_options.h"

namespace quillon {

struct QtCommands;

cli::Command OpenCommand(const QtCommands& qt);
cli::Command ThumbnailCommand(const QtCommands& qt);

// What a file holds, by its first bytes, else by its name's extension.
enum class FileKind { Page, Form, Unknown };
FileKind KindOfFile(std::string_view head, std::string_view name);

}  // namespace quillon
