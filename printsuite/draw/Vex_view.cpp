#include "printsuite/draw/Vex_view.h"

#include "printsuite/base/PrnWin_store.h"

namespace quillon {

// Until the preview window exists, a job for the viewer says so instead of showing nothing.
void ShowPreview() {
    ShowPrintError("The print preview is not available yet");
}

}  // namespace quillon
