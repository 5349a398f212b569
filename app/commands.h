// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The table of the program's commands. To add a command: write a function that answers its
// row (name, summary, usage text, options with OutputOptionSpecs()/JobOptionSpecs() for the
// shared groups, run function) and list that function in kCommands in commands.cpp. The
// program's usage, `quillon help`, the man page and the completion all come from the table.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_options.h"

namespace quillon {

// render-page's arguments, checked.
struct RenderPageArgs {
    std::string file;
    std::string png;
    std::string pdf;
    std::optional<double> scale;
    int fitSide = 0;  // > 0: the PNG fitted into a square of this many pixels (thumbnails)
};

// The work of the commands that need the Qt backend; main.cpp supplies them in the build
// with Qt. Each returns the exit status with its message lines in `err`.
struct QtCommands {
    std::function<int(const RenderPageArgs&, std::string& err)> renderPage;
    std::function<int(const std::string& file, std::string& err)> showForm;
    // Runs `work` with the Qt backend installed: with windows (the preview) or for drawing
    // and printing only; answers work's status.
    std::function<int(bool windows, const std::function<int()>& work)> withQt;
    // The calculator window, with `typed` typed into its name field; answers the exit status.
    std::function<int(std::string_view typed)> calculator;
};

// Every command, in the order `quillon --help` lists them (`help` last).
std::vector<cli::Command> Commands(const QtCommands& qt);

// The usage text of the whole program: how to start it and each command with its summary.
std::string UsageText(std::span<const cli::Command> table);

// Reads render-page's options; a reason on a usage error.
Result<RenderPageArgs> TakeRenderPageArgs(const cli::ParsedArgs& args);

}  // namespace quillon
