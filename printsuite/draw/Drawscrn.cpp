// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/draw/Drawscrn.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/emf/emf_format.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/page_store.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/printer.h"
#include "platform/gdi/printer_device.h"
#include "platform/gdi/screen.h"
#include "platform/sys/rounding.h"
#include "platform/sys/sysutils.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/properties.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Tallet.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Addit.h"

namespace quillon {

Result<int> ReadJobSettingInt(const std::string& name, const std::string& fallback) {
    const std::string text = ReadJobSetting(name, fallback);
    // The settings' numbers take the preview's integer syntax (decimal or "$" hexadecimal).
    return ParseListInteger(text);
}

namespace {

// Larger than any sheet a printer takes (a 4-metre page at 600 pixels per inch): a settings
// value beyond it would make controls wider than the toolkit draws.
constexpr int kMaxPageDimension = 100000;

// A page dimension from the settings; a text that is not an integer is reported and the
// default taken, and a size that is not positive (which would divide by zero) or too large.
int PageDimension(const char* name, const char* fallback) {
    Result<int> r = ReadJobSettingInt(name, fallback);
    if (!r) {
        Application().ShowException(EConvertError(r.error().reason));
        return StrToInt(fallback);
    }
    return *r > 0 && *r <= kMaxPageDimension ? *r : StrToInt(fallback);
}

// The status dialog of one print request, closed however the request ends.
class RequestStatus {
  public:
    RequestStatus() {
        CreatePrintDialog();
        PrintDialog1->Show();
        PrintDialog1->BringToFront();
    }
    ~RequestStatus() { ReleasePrintDialog(); }
    RequestStatus(const RequestStatus&) = delete;
    RequestStatus& operator=(const RequestStatus&) = delete;
    void ShowPage(int n) {
        if (PrintDialog1) PrintDialog1->Page->SetText(std::to_string(n));
    }
    bool Aborted() const { return PrintDialog1 && PrintDialog1->Aborted(); }
    void Release() { ReleasePrintDialog(); }
};

}  // namespace

const TClassInfo& TDrawIt::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TDrawIt>("TDrawIt", &TCustomControl::StaticClassInfo()).Factory();
    return info;
}

TDrawIt::TDrawIt(TComponent* owner)
    : TCustomControl(owner),
      bkPen_(std::make_unique<TPen>()),
      dataPen_(std::make_unique<TPen>()),
      bkBrush_(std::make_unique<TBrush>()),
      dataBrush_(std::make_unique<TBrush>()) {
    pageHeight_ = PageDimension(kPageHeightValue, kPageHeightDefault);
    pageWidth_ = PageDimension(kPageWidthValue, kPageWidthDefault);
    jobPageHeight_ = pageHeight_;
    jobPageWidth_ = pageWidth_;
    RestoreDirectory();
    aspect_ = static_cast<double>(pageHeight_) / pageWidth_;
    SetWidth(850);
    SetHeight(RoundToInt(850 * aspect_));
    ProcessPendingMessages();
    if (!Printer().Printing()) Printer().SetOrientation(poPortrait);
}

TDrawIt::~TDrawIt() {
    DeletePageFiles(poViewer);
    ProcessPendingMessages();
}

void TDrawIt::RestoreDirectory() {
    std::error_code ec;
    std::filesystem::current_path(ReadJobSetting(kDirectoryValue, kDirectoryDefault), ec);
}

const std::vector<std::uint8_t>* TDrawIt::ShownPageData() {
    if (cachedPage_ != currentPage_) {
        cachedPage_ = 0;
        cachedData_.clear();
        if (!PageFileExists(currentPage_, poViewer)) return nullptr;
        Result<std::vector<std::uint8_t>> page = ReadPageFile(PageFileName(currentPage_, poViewer));
        if (!page) return nullptr;
        cachedData_ = std::move(*page);
        cachedPage_ = currentPage_;
    }
    return &cachedData_;
}

void TDrawIt::Paint() {
    RestoreDirectory();
    TCanvas& canvas = Canvas();
    DeviceContext* dc = canvas.Handle();
    if (!dc) return;
    const int w = Width(), h = Height();
    canvas.SetBrush(*bkBrush_);
    canvas.SetPen(*bkPen_);
    canvas.Font().SetName("Arial");
    canvas.Rectangle(0, 0, w, h);
    canvas.Rectangle(0, 0, w - 1, h - 1);
    canvas.Rectangle(0, 0, w - 2, h - 2);
    const std::vector<std::uint8_t>* page = ShownPageData();
    if (!page) return;  // a missing page leaves the frame
    ScopedDcSave save(*dc);
    if (IsGenericPrinter()) {
        dc->SetMapMode(MM_ANISOTROPIC);
        dc->SetViewportOrgEx(0, 0);
        dc->SetWindowExtEx(pageWidth_, pageHeight_);
        dc->SetViewportExtEx(w - 5, h - 5);
    } else {
        dc->SetMapMode(MM_ISOTROPIC);
        dc->SetViewportOrgEx(5, 5);
        dc->SetWindowExtEx(pageWidth_, pageHeight_);
        dc->SetViewportExtEx(w - 30, h - 30);
    }
    // A page that breaks off shows what it holds up to there (printing it reports the fault).
    static_cast<void>(PlayEmf(*page, *dc, TRect{0, 0, Screen().Width(), Screen().Height()}));
}

void TDrawIt::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button == mbMiddle) return;
    StepZoom(button == mbRight);
}

void TDrawIt::StepZoom(bool larger) {
    const int* begin = std::begin(kZoomLadder);
    const int* end = std::end(kZoomLadder);
    const int* at = std::find(begin, end, zoom_);
    if (at != end) {
        if (!larger && at != begin) zoom_ = *(at - 1);
        if (larger && at + 1 != end) zoom_ = *(at + 1);
    }
    if (ZoomMessage) ZoomMessage(zoom_);
}

bool TDrawIt::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
    if (!shift.Contains(ssCtrl) || wheelDelta == 0)
        return TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos);
    StepZoom(wheelDelta > 0);
    return true;
}

void TDrawIt::ShowNextPage() {
    ++currentPage_;
    RestoreDirectory();
    if (!PageFileExists(currentPage_, poViewer)) --currentPage_;
    Invalidate();
}

void TDrawIt::ShowPreviousPage() {
    if (currentPage_ > 1) --currentPage_;
    Invalidate();
}

int TDrawIt::ShowPage(int n) {
    RestoreDirectory();
    currentPage_ = 1;
    const int count = CountPages();
    for (int p = std::min(n, count); p >= 1; --p) {
        if (PageFileExists(p, poViewer)) {
            currentPage_ = p;
            break;
        }
    }
    Invalidate();
    return currentPage_;
}

bool TDrawIt::TakeShownPageSize() {
    int width = jobPageWidth_, height = jobPageHeight_;
    if (const std::vector<std::uint8_t>* page = ShownPageData()) {
        const Result<EmfHeaderInfo> header = ReadEmfHeader(*page);
        const std::optional<EmfPageInfo> made = header ? header->page : std::nullopt;
        // Only a page turned the other way than the job's is shown at its own size: the
        // printer turns it (a page of the job's orientation prints on the job's sheet).
        if (made && made->widthPixels > 0 && made->widthPixels <= kMaxPageDimension &&
            made->heightPixels > 0 && made->heightPixels <= kMaxPageDimension &&
            made->widthPixels != made->heightPixels &&
            (made->widthPixels > made->heightPixels) != (jobPageWidth_ > jobPageHeight_)) {
            width = made->widthPixels;
            height = made->heightPixels;
        }
    }
    if (width == pageWidth_ && height == pageHeight_) return false;
    pageWidth_ = width;
    pageHeight_ = height;
    aspect_ = static_cast<double>(pageHeight_) / pageWidth_;
    return true;
}

int TDrawIt::CountPages() {
    RestoreDirectory();
    return StoredPageCount(poViewer);
}

void TDrawIt::SetZoom(int containerWidth, double percent) {
    // 17/48 shows a 300-pixels-per-inch page at its real size on a 96-pixels-per-inch screen
    // at 100 %; pages of other printers are scaled by their own resolution.
    const int ppi = Printer().Caps().logPixelsX;
    const double resolution = ppi > 0 ? 300.0 / ppi : 1.0;
    const int width = RoundToInt(pageWidth_ * (0.01 * percent) * 17.0 / 48.0 * resolution);
    const int left = containerWidth - 10 > width ? (containerWidth - 10 - width) / 2 : 35;
    SetBounds(left, Top(), width, RoundToInt(width * aspect_) + 20);
    Invalidate();
    zoom_ = RoundToInt(percent);
}

Result<bool> TDrawIt::PageInList(int page, std::string_view list) {
    return quillon::PageInList(page, list);
}

Result<void> TDrawIt::PrintPageRange(int selection, std::string_view list) {
    TPrinter& printer = Printer();
    aborted_ = false;
    if (printer.Printing()) return {};
    printer.SetPrinterIndex(-1);
    Result<int> index = ReadJobSettingInt(kPrinterIndexValue, kPrinterIndexDefault);
    if (!index) return index.error();
    printer.SetPrinterIndex(*index);
    const StoredPageTurn turn = ReadStoredPageTurn();
    printer.SetOrientation(turn.job);

    RestoreDirectory();
    RequestStatus status;
    RestoreDirectory();
    // The whole request is one printer document: begun with its first page, ended after its
    // last, also when a page list fails part way (what was sent stays printed).
    bool begun = false;
    bool failed = false;
    const auto end = [&] {
        if (begun && printer.Printing() && !printer.EndDoc()) ShowPrintError(printer.LastError());
        // A document begun on a turned page leaves the preview measuring the job's page.
        printer.SetOrientation(turn.job);
    };
    const TRect target{0, 0, Screen().Width(), Screen().Height()};
    const int count = CountPages();
    std::vector<std::uint8_t> data;
    for (int n = 1; n <= count && !failed; ++n) {
        if (selection == 1 && n % 2 == 0) continue;
        if (selection == 2 && n % 2 != 0) continue;
        if (!list.empty()) {
            Result<bool> in = quillon::PageInList(n, list);
            if (!in) {
                end();
                return in.error();
            }
            if (!*in) continue;
        }
        status.ShowPage(n);
        std::string error;
        if (!PageFileExists(n, poViewer)) break;  // the store went away under the preview
        // A page that cannot be read or is not a whole metafile is reported before a sheet
        // is begun for it.
        Result<std::vector<std::uint8_t>> page = ReadPageFile(PageFileName(n, poViewer));
        bool readable = page.ok();
        TPrinterOrientation orientation = turn.job;
        if (readable) {
            data = std::move(*page);
            const Result<EmfParseStats> parsed = ParseEmf(data);
            readable = parsed.ok();
            if (readable) orientation = turn.For(parsed->header);
            if (!readable) error = parsed.reason();
        } else {
            error = page.reason();
        }
        if (!readable) {
            ShowPrintError("Page " + std::to_string(n) + " could not be printed: " + error);
            break;
        }
        if (!BeginStoredPage(printer, begun, orientation)) break;
        DeviceContext* dc = printer.Canvas().Handle();
        const Result<void> played = dc ? PlayEmf(data, *dc, target) : Result<void>(Error{});
        if (!played) {
            ShowPrintError("Page " + std::to_string(n) +
                           " could not be printed: " + played.reason());
            failed = true;
        }
        ProcessPendingMessages();
        if (status.Aborted() || !printer.Printing()) {
            aborted_ = status.Aborted();
            break;
        }
    }
    end();
    status.Release();
    // A printer that writes files says where this one went.
    const std::shared_ptr<PrinterDevice> device = printer.Device();
    const std::string file = begun && !aborted_ && device ? device->LastDocumentFile() : "";
    if (!file.empty()) {
        const std::string& title = Application().Title();
        Application().MessageBox("The pages were saved as " + file,
                                 title.empty() ? "Quillon" : title, MB_OK | MB_ICONINFORMATION);
    }
    return {};
}

}  // namespace quillon
