// SPDX-License-Identifier: GPL-2.0-or-later
// Playback of the page store onto the printer.
#include <charconv>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/emf/emf_player.h"
#include "platform/emf/page_store.h"
#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/sys/interrupt.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Tallet.h"
#include "printsuite/base/Vex_MFunc.h"

namespace quillon {
namespace {

// The status dialog of one playback, released however the playback ends.
class StatusDialog {
  public:
    explicit StatusDialog(bool show) : shown_(show) {
        if (!show) return;
        // The job's formatting window goes on telling the printing, rather than a second one.
        if (!PrintDialog1) CreatePrintDialog();
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

TPrinterOrientation StoredPageTurn::For(const EmfHeaderInfo& page) const {
    if (!page.page) return job;
    const int width = page.page->widthPixels, height = page.page->heightPixels;
    if (width == height || (width == pageWidth && height == pageHeight)) return job;
    return width > height ? poLandscape : poPortrait;
}

StoredPageTurn ReadStoredPageTurn() {
    const auto number = [](const char* name) {
        const std::string text = ReadJobSetting(name, "0");
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size() ? value : 0;
    };
    StoredPageTurn turn;
    turn.job = ReadJobSetting(kOrientationValue, kOrientationDefault) != "Portrait" ? poLandscape
                                                                                    : poPortrait;
    turn.pageWidth = number(kPageWidthValue);
    turn.pageHeight = number(kPageHeightValue);
    return turn;
}

bool BeginStoredPage(TPrinter& printer, bool& begun, TPrinterOrientation orientation) {
    if (!begun) {
        printer.SetOrientation(orientation);
        if (!printer.BeginDoc()) {
            ShowPrintError(printer.LastError());
            return false;
        }
        begun = true;
        return true;
    }
    if (printer.NewPage(orientation)) return true;
    ShowPrintError(printer.LastError());
    return false;
}

void PrintStoredPages(TSendTo kind, bool showStatus, const PageFilter& wanted) {
    TPrinter& printer = Printer();
    if (printer.Printing()) return;
    StatusDialog status(showStatus);

    const StoredPageTurn turn = ReadStoredPageTurn();
    printer.SetOrientation(turn.job);
    // Pages were recorded against the screen: played into the screen's rectangle, a recorded
    // unit lands on one printer pixel.
    const TRect target{0, 0, Screen().Width(), Screen().Height()};
    std::vector<std::uint8_t> data;
    TPrinterOrientation orientation = turn.job;
    // A page that cannot be read, or is not a whole metafile, is reported before a printer
    // page is begun for it: the job ends without a blank or half-drawn sheet.
    const auto read = [&](int n) {
        std::string error;
        Result<std::vector<std::uint8_t>> page = ReadPageFile(PageFileName(n, kind));
        if (page) {
            data = std::move(*page);
            const Result<EmfParseStats> parsed = ParseEmf(data);
            if (parsed) {
                orientation = turn.For(parsed->header);
                return true;
            }
            error = parsed.reason();
        } else {
            error = page.reason();
        }
        ShowPrintError("Page " + std::to_string(n) + " could not be printed: " + error);
        return false;
    };
    // The document is begun with its first chosen page, so that no printer page (a blank
    // sheet) is begun after the last one. Every stored page is looked at: a long job loses
    // none.
    bool begun = false;
    for (int n = 1; PageFileExists(n, kind); ++n) {
        if (wanted && !wanted(n)) continue;
        status.ShowPage(n);
        if (!read(n)) break;
        if (!BeginStoredPage(printer, begun, orientation)) break;
        DeviceContext* dc = printer.Canvas().Handle();
        const Result<void> played = dc ? PlayEmf(data, *dc, target) : Result<void>(Error{});
        if (!played) {
            ShowPrintError("Page " + std::to_string(n) +
                           " could not be printed: " + played.reason());
            break;
        }
        ProgressPages(n);
        // The status dialog's Abort is served here, between pages.
        ProcessPendingMessages();
        // Ctrl+C (checked after the messages, which may be where it arrived) leaves no
        // document behind, not even a part of one.
        if (InterruptRequested()) {
            printer.Abort();
            printer.SetOrientation(turn.job);
            return;
        }
        if (status.Aborted() || !printer.Printing()) break;
    }
    if (begun && printer.Printing() && !printer.EndDoc()) ShowPrintError(printer.LastError());
    // A document begun on a turned page leaves the printer measuring the job's page again.
    printer.SetOrientation(turn.job);
}

}  // namespace quillon
