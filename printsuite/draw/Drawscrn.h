// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The preview's page control TDrawIt: paints one stored page of the preview target at a zoom
// by playing its metafile into the control, steps the zoom on mouse clicks, moves between the
// stored pages and sends chosen pages to the printer.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/graphics.h"
#include "platform/sys/result.h"
#include "platform/vcl/controls.h"

namespace quillon {

// The zoom steps of the mouse, in percent.
inline constexpr int kZoomLadder[] = {10, 25, 50, 75, 100, 150, 200, 250, 300};

// A settings value of "Tallet.Ini", "Printer" as an integer (`fallback` text when it is
// missing); the conversion error when it is not an integer.
Result<int> ReadJobSettingInt(const std::string& name, const std::string& fallback);

class TDrawIt : public TCustomControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TDrawIt(TComponent* owner);
    ~TDrawIt() override;

    TPen& BkPen() { return *bkPen_; }
    TPen& DataPen() { return *dataPen_; }
    TBrush& BkBrush() { return *bkBrush_; }
    TBrush& DataBrush() { return *dataBrush_; }

    DeviceContext* PageHandle() { return Canvas().Handle(); }
    int CurrentPage() const { return currentPage_; }
    int Zoom() const { return zoom_; }
    int PageHeight() const { return pageHeight_; }
    int PageWidth() const { return pageWidth_; }
    double Aspect() const { return aspect_; }

    void ShowNextPage();
    void ShowPreviousPage();
    // The highest stored page not above n (1 when there is none); n is first brought into
    // 1 .. the page count, so a huge number costs no more than the count.
    int ShowPage(int n);
    // The number of stored pages: files 1, 2, ... up to the first missing one.
    int CountPages();
    // Takes the page size the shown page was made for when it is turned the other way than the
    // job's page (a picture of another program laid out on the sheet that fits it: the pages
    // of one job may differ in orientation), else the job's; true when the size shown changes,
    // so the window lays the page out again.
    bool TakeShownPageSize();
    // The shown page is turned the other way than the job's page.
    bool ShowsPageOfItsOwnSize() const {
        return pageWidth_ != jobPageWidth_ || pageHeight_ != jobPageHeight_;
    }
    void SetZoom(int containerWidth, double percent);
    // Prints the chosen stored pages (selection 0 all, 1 odd, 2 even; a page list, empty
    // for all) as one printer document. The conversion error of a page list or setting.
    Result<void> PrintPageRange(int selection, std::string_view list);
    // The last request was ended by the status dialog's Abort.
    bool LastRequestAborted() const { return aborted_; }
    Result<bool> PageInList(int page, std::string_view list);
    void RestoreDirectory();

    void Click() override {}
    void DblClick() override {}

    // What the control sends to its window for a zoom step (the private zoom message).
    std::function<void(int zoom)> ZoomMessage;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    // Ctrl+wheel steps the zoom ladder as the mouse buttons do: away from the user larger,
    // towards smaller. Without Ctrl the page area scrolls.
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;

  private:
    // One step up or down the zoom ladder (a zoom off the ladder stays), then the message.
    void StepZoom(bool larger);
    // The bytes of the page shown: read when the page changes, not at every repaint.
    const std::vector<std::uint8_t>* ShownPageData();

    std::unique_ptr<TPen> bkPen_, dataPen_;
    std::unique_ptr<TBrush> bkBrush_, dataBrush_;
    int currentPage_ = 1;
    int zoom_ = 100;
    int pageHeight_ = 3112;
    int pageWidth_ = 2400;
    int jobPageHeight_ = 3112;  // the job's page, as the settings store records it
    int jobPageWidth_ = 2400;
    double aspect_ = 3112.0 / 2400.0;
    bool aborted_ = false;
    int cachedPage_ = 0;
    std::vector<std::uint8_t> cachedData_;
};

}  // namespace quillon
