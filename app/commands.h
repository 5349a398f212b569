// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The table of the program's commands. To add a command: write its usage text and run
// function, list its options (OutputOptionSpecs()/JobOptionSpecs() for the shared groups) and
// add a row in Commands().

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/cli_options.h"

namespace quillon {

// render-page's arguments, checked.
struct RenderPageArgs {
    std::string file;
    std::string png;
    std::string pdf;
    std::optional<double> scale;
};

// The work of the commands that need the Qt backend; main.cpp supplies them in the build
// with Qt. Each returns the exit status with its message lines in `err`.
struct QtCommands {
    std::function<int(const RenderPageArgs&, std::string& err)> renderPage;
    std::function<int(const std::string& file, std::string& err)> showForm;
    // Runs `work` with the Qt backend installed: with windows (the preview) or for drawing
    // and printing only; answers work's status.
    std::function<int(bool windows, const std::function<int()>& work)> withQt;
};

std::vector<cli::Command> Commands(const QtCommands& qt);

// Reads render-page's options; a reason on a usage error.
Result<RenderPageArgs> TakeRenderPageArgs(const cli::ParsedArgs& args);

}  // namespace quillon
