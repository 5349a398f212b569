// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// `quillon show-form FILE`: shows the form a form file describes in a real
// window, for designing forms and for checking how they look. Handlers the
// file names are left unbound; a file whose root is a single control is shown
// inside a form of its size.

#include <string>

namespace quillon {

// Shows the form in `path`; returns the exit status (0 when the window was
// closed, 1 for a file that cannot be read or shown, with "file:line: reason"
// in `err`).
int RunShowForm(const std::string& path, std::string& err);

}  // namespace quillon
