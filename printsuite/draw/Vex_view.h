#pragma once
// The print preview window (TVex_Prev) and its page control (TDrawIt).

namespace quillon {

// Shows the stored pages of the job that has just ended in the preview window, modally, and
// returns when the window is closed. It reads only the page files and the job settings.
void ShowPreview();

}  // namespace quillon
