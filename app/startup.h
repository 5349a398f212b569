#pragma once
// Program start: the application's title and help file, the three windows in
// their order (the calculator first, so it is the main window), the loop.

namespace quillon {

// Sets the title and the help file and creates TCalcFrm, TYFrm and
// TInternetFrm, owned by the application; the last two stay hidden.
void CreateQuillonForms();

// CreateQuillonForms, then the message loop until the user ends the program.
// Returns the exit status.
int RunQuillon();

}  // namespace quillon
