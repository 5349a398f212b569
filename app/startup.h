// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Program start: the application's title and help file, the three windows in
// their order (the calculator first, so it is the main window), the loop.

#include <string_view>

namespace quillon {

// Registers the application's own component classes for form files (the
// program's windows do it themselves; `quillon show-form` needs it to show
// their files).
void RegisterAppClasses();

// Sets the title and the help file and creates TCalcFrm, TYFrm and
// TInternetFrm, owned by the application; the last two stay hidden.
void CreateQuillonForms();

// CreateQuillonForms, then the message loop until the user ends the program.
// `typed`, when given, is typed into the name field once the calculator is
// shown, key by key as the user would (for demonstrations and screenshots).
// Returns the exit status.
int RunQuillon(std::string_view typed = {});

}  // namespace quillon
