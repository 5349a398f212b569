#pragma once
// The print job component TPrintWin: it opens a job on the current printer, decorates every
// page with a header band, a footer band and two footer texts (and optionally a ruler frame),
// keeps the pages in the page store through one drawing layer per job, and at the end shows
// them in the preview or plays them to the printer once per copy.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/graphics.h"
#include "platform/vcl/components.h"
#include "platform/vcl/controls.h"
#include "printsuite/base/Vex_Types.h"
#include "printsuite/draw/Vex_Gdi.h"

namespace quillon {

extern const TEnumInfo kOutputNames, kPrinterOrientationNames, kUnitsNames, kVexFrameStyleNames;

// Replaces the first occurrence (any case) of "@PAGE" by `page`, then of "@DATE" by `date`,
// then of "@TIME" by `time`, each searched in the text after the earlier replacements.
void ExpandMacros(std::string& text, int page, const std::string& date, const std::string& time);

// The date and the time of day as the job prints them (the locale's short date and long time).
std::string ShortDateText(std::time_t when);
std::string LongTimeText(std::time_t when);

class TPrintWin : public TVexComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TPrintWin(TComponent* owner);
    ~TPrintWin() override;

    // --- the job -----------------------------------------------------------------------------
    void Execute() override;
    std::string GetComponentName() override;
    virtual void StartJob();
    virtual void EndJob();
    // Prints the control with its children at (left, top) in job units on the current page.
    // The window walk belongs to the form printer; here only the control events fire.
    virtual void PrintWindow(TWinControl* control, double left, double top);
    virtual void PrintWindowPages(TWinControl* control, double left, double top);
    void NewPage();
    void PrintFooter();
    void PrintGridBackDrop();
    // Draws text with its top-left corner `down` and `across` job units into the page.
    void TextAt(const std::string& text, double down, double across);
    double PageHeightUnits() const;
    double PageWidthUnits() const;
    // Expands the macros with the layer's page number and the job's date and time.
    void ExpandMacros(std::string& text) const;

    // Decoration (printer pixels).
    void DrawHeaderBox(bool enabled, const TFont& font, int left, int rightMargin,
                       std::string leftText, std::string centerText, std::string rightText,
                       int top, bool filled, bool outlined);
    void DrawFooterBox(const TFont& font, int left, int rightMargin, std::string text, int top,
                       bool filled, bool outlined, const TBrush& brush);
    void DrawFooterText(int xMargin, int top, int alignment, std::string text);

    // --- published properties ----------------------------------------------------------------
    TFont& HeaderFont() { return headerFont_; }
    const TFont& HeaderFont() const { return headerFont_; }
    void SetHeaderFont(const TFont& f) { headerFont_.Assign(f); }
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f) { font_.Assign(f); }
    TFont& FooterFont() { return footerFont_; }
    const TFont& FooterFont() const { return footerFont_; }
    void SetFooterFont(const TFont& f) { footerFont_.Assign(f); }
    TBrush& Brush() { return brush_; }
    const TBrush& Brush() const { return brush_; }
    TPen& Pen() { return pen_; }
    const TPen& Pen() const { return pen_; }

#define QUILLON_PROP(Type, Name, init)                 \
  public:                                              \
    Type Name() const { return Name##_; }              \
    void Set##Name(Type v) { Name##_ = std::move(v); } \
                                                       \
  private:                                             \
    Type Name##_ = init;

    QUILLON_PROP(bool, FrameObjects, true)
    QUILLON_PROP(bool, clBtnFaceAsWhite, true)
    QUILLON_PROP(TOutput, OutputTo, poViewer)
    QUILLON_PROP(TPrinterOrientation, Orientation, poPortrait)
    QUILLON_PROP(TUnits, Units, poInches)
    QUILLON_PROP(std::string, ViewButtonCaption, "")
    QUILLON_PROP(bool, ViewButtonVisible, false)
    QUILLON_PROP(bool, ShowCancelDialog, true)
    QUILLON_PROP(std::int32_t, LineWidth, 0)
    QUILLON_PROP(std::int32_t, Copies, 1)
    QUILLON_PROP(bool, GridBackDrop, false)
    QUILLON_PROP(TUnits, GridBackDropUnits, poInches)
    QUILLON_PROP(double, ZoomPercentage, 100.0)
    QUILLON_PROP(double, HeaderTop, 0.5)
    QUILLON_PROP(double, HeaderLeft, 0.5)
    QUILLON_PROP(std::string, HeaderStringLeft, std::string(34, ' '))
    QUILLON_PROP(std::string, HeaderStringCenter, std::string(34, ' '))
    QUILLON_PROP(std::string, HeaderStringRight, std::string(34, ' '))
    QUILLON_PROP(bool, HeaderEnabled, true)
    QUILLON_PROP(bool, HeaderOutlined, false)
    QUILLON_PROP(bool, HeaderFilled, false)
    QUILLON_PROP(TColor, TextColor, 0)
    QUILLON_PROP(TColor, ViewBkColor, 11234567)
    QUILLON_PROP(std::string, ViewHeading, "Fenwy Viewer")
    QUILLON_PROP(TColor, HeadingColor, clSilver)
    QUILLON_PROP(TVexFrameStyle, FrameStyle, frThin)
    QUILLON_PROP(double, FooterTop, 0.0)
    QUILLON_PROP(std::string, FooterString, std::string(50, ' '))
    QUILLON_PROP(bool, FooterEnabled, true)
    QUILLON_PROP(bool, FooterOutlined, false)
    QUILLON_PROP(bool, FooterFilled, false)
    QUILLON_PROP(bool, FixSansSerif, true)
    QUILLON_PROP(std::string, FooterStringLeft, std::string(28, ' '))
    QUILLON_PROP(std::string, FooterStringRight, std::string(29, ' '))
    QUILLON_PROP(double, BorderLeft, 0.5)
    QUILLON_PROP(double, BorderRight, 0.5)
    QUILLON_PROP(double, LineSpacing, 2.8)
#undef QUILLON_PROP

  public:
    TWinControl* ExecuteWinControl() const { return executeWinControl_; }
    void SetExecuteWinControl(TWinControl* control);

    TNotifyEvent OnAfterPrint, OnBeforePrint, OnBeforePrintControl, OnAfterPrintControl,
        OnNewColumn, OnNewPage, OnPrint, OnPrintHeader, OnPrintFooter, OnPrintPage,
        OnViewButtonClicked;

    // --- internal state, for the form printer and for tests ----------------------------------
    TGdi* Gdi() const { return gdi_.get(); }
    bool InJob() const { return gdi_ != nullptr; }
    double HorizontalScale = 2.8;
    double VerticalScale = 2.8;
    std::int32_t PrinterDpiX = 0, PrinterDpiY = 0;
    std::int32_t RightEdge = 0;
    std::int32_t PageCount = 0;
    std::int32_t PageNumber = 1;
    bool LastPage = false;
    // The status dialog's Abort was pressed, or the job's caller gave up on it (set between
    // StartJob and EndJob): EndJob then sends nothing to its target.
    bool Aborted = false;
    TWinControl* CurrentControl = nullptr;
    bool OpaqueBoxes = false, FrameBoxes = true, FillBoxes = true, FrameTopWindow = true;
    TFont PlainFont;
    TFont AuxFont;
    // The pages EndJob sends to the printer, each copy as one document (all when empty).
    std::function<bool(int page)> PrintFilter;
    // The date and time every macro of the open job uses, taken once at StartJob.
    const std::string& JobDate() const { return jobDate_; }
    const std::string& JobTime() const { return jobTime_; }

    void FireBeforePrintControl(TWinControl* control);
    void FireAfterPrintControl(TWinControl* control);

  protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Fire(const TNotifyEvent& event) {
        if (event && !IsDestroying()) event(this);
    }
    void SelectPlainFont();

  private:
    void DrawHeader();

    TFont headerFont_, font_, footerFont_;
    TBrush brush_;
    TPen pen_;
    TWinControl* executeWinControl_ = nullptr;
    std::unique_ptr<TGdi> gdi_;
    bool dialogShown_ = false;
    std::string jobDate_, jobTime_;
};

// Makes the print job known to form files by name (with the classes of the layers below).
void RegisterPrintJobClasses();

}  // namespace quillon
