// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The printing commands of the report and of form files: `quillon report` prints the report
// of each name, one page per name in one job; `quillon print-form` prints a form file's window
// with its controls.

#include <functional>
#include <string>

#include "app/cli_options.h"

namespace quillon {

struct QtCommands;

cli::Command ReportCommand(const QtCommands& qt);
cli::Command PrintFormCommand(const QtCommands& qt);

}  // namespace quillon
