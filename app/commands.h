#pragma once
// The table of the program's commands. To add a command: write its usage text and run
// function, list its options (OutputOptionSpecs()/JobOptionSpecs() for the shared groups) and
// add a row in Commands().

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/cli_options.h"
#include "app/form_commands.h"

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
    PrintingHost printing;  // report, print-form
};

std::vector<cli::Command> Commands(const QtCommands& qt);

// Reads render-page's options; a reason on a usage error.
Result<RenderPageArgs> TakeRenderPageArgs(const cli::ParsedArgs& args);

}  // namespace quillon
