// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Runs a shell command for a test (a converter, pdftotext, ...).

#include <string>

namespace quillon::testing {

// Output of a shell command (standard output only); `status` gets its exit status (-1 when it
// could not be started or did not exit).
std::string RunCommand(const std::string& command, int* status = nullptr);

}  // namespace quillon::testing
