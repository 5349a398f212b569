// Playback of the page store onto the printer.
#include <string>
#include <vector>

#include "platform/emf_player.h"
#include "platform/printer.h"
#include "platform/screen.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/job/PrnWin_store.h"
#include "printsuite/job/Tallet.h"

namespace quillon {
namespace {

// The status dialog of one playback, released however the playback ends.
class StatusDialog {
  public:
    explicit StatusDialog(bool show) : shown_(show) {
        if (!show) return;
        CreatePrintDialog();
        PrintDialog1->Show();
        PrintDialog1->BringToFront();
        PrintDialog1->Status->SetText("Printing...");
    }
    ~StatusDialog() {
        if (shown_) ReleasePrintDialog();
    }
    StatusDialog(const StatusDialog&) = delete;
    StatusDialog& operator=(const StatusDialog&) = delete;

    void ShowPage(int n) {
        if (shown_ && PrintDialog1) PrintDialog1->Page->SetText(std::to_string(n));
    }
    bool Aborted() const { return shown_ && PrintDialog1 && PrintDialog1->Aborted(); }

  private:
    bool shown_;
};

}  // namespace

void PrintStoredPages(TSendTo kind, bool showStatus) {
    TPrinter& printer = Printer();
    if (printer.Printing()) return;
    StatusDialog status(showStatus);

    const std::string orientation = ReadJobSetting(kOrientationValue, kOrientationDefault);
    printer.SetOrientation(orientation != "Portrait" ? poLandscape : poPortrait);
    if (!printer.BeginDoc()) {
        ShowPrintError(printer.LastError());
        return;
    }
    // Pages were recorded against the screen: played into the screen's rectangle, a recorded
    // unit lands on one printer pixel.
    const TRect target{0, 0, Screen().Width(), Screen().Height()};
    std::vector<std::uint8_t> data;
    for (int i = 0; i < kMaxPrintedPages; ++i) {
        const int n = i + 1;
        status.ShowPage(n);
        if (!PageFileExists(n, kind)) break;
        std::string error;
        DeviceContext* dc = printer.Canvas().Handle();
        if (!ReadPageFile(PageFileName(n, kind), data, &error) || !dc ||
            !PlayEmf(data, *dc, target, &error)) {
            ShowPrintError("Page " + std::to_string(n) + " could not be printed: " + error);
            break;
        }
        // The status dialog's Abort is served here, between pages.
        ProcessPendingMessages();
        if (status.Aborted() || !printer.Printing()) break;
        // No new printer page after the last one played (nor after the last one allowed,
        // which would leave a blank sheet).
        if (n == kMaxPrintedPages || !PageFileExists(n + 1, kind)) break;
        if (!printer.NewPage()) {
            ShowPrintError(printer.LastError());
            break;
        }
    }
    if (printer.Printing() && !printer.EndDoc()) ShowPrintError(printer.LastError());
}

}  // namespace quillon
