// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The print job component TPrintWin: it opens a job on the current printer, decorates every
// page with a header band, a footer band and two footer texts (and optionally a ruler frame),
// keeps the pages in the page store through one drawing layer per job, and at the end shows
// them in the preview or plays them to the printer once per copy.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/graphics.h"
#include "platform/vcl/components.h"
#include "platform/vcl/controls.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/std_controls.h"
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

// One rule of a printer's dispatch table: whether a control is of the rule's classes, and
// how the printer draws it.
template <class Printer>
struct TChildRule {
    bool (*matches)(const TControl&);
    void (*print)(Printer&, TControl&, const TRect&);
};

// Whether the control belongs to one of the classes.
template <class... C>
bool IsA(const TControl& c) {
    return ((dynamic_cast<const C*>(&c) != nullptr) || ...);
}

// Draws `c` by the first rule of `rules` that matches it; false when none does.
template <class Printer, std::size_t N>
bool DispatchChild(const TChildRule<Printer> (&rules)[N], Printer& printer, TControl& c,
                   const TRect& rect) {
    for (const TChildRule<Printer>& rule : rules)
        if (rule.matches(c)) {
            rule.print(printer, c, rect);
            return true;
        }
    return false;
}

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
    // Prints the control with its children at (left, top) in job units on the current page,
    // scaled from the screen to the printer. This walk knows the platform's plain controls;
    // the form printer overrides it with one that also knows the data-aware ones.
    virtual void PrintWindow(TWinControl* control, double left, double top);
    // PrintWindow once per pass, on new pages, while a table still has rows left.
    virtual void PrintWindowPages(TWinControl* control, double left, double top);
    // An edit's box with its text (page rectangle in printer pixels).
    virtual void PrintEditControl(TCustomEdit& edit, int x1, int y1, int x2, int y2,
                                  const TRect& rect);
    void NewPage();
    void PrintFooter();
    // Tells OnJobNotice (or standard error) one line about the job.
    void JobNotice(const std::string& line);
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
    // Called by EndJob once every page of a job that was not aborted is recorded, before the
    // pages go to the printer or the preview and are deleted (a command keeping them as files
    // reads them here). Answering false sends them nowhere.
    std::function<bool()> PagesRecorded;
    // What a job could not place on its pages (rich text left over after its last
    // continuation panel), one line each, told at EndJob; without a handler each line goes
    // to standard error.
    std::function<void(const std::string&)> OnJobNotice;
    // The date and time every macro of the open job uses, taken once at StartJob.
    const std::string& JobDate() const { return jobDate_; }
    const std::string& JobTime() const { return jobTime_; }

    void FireBeforePrintControl(TWinControl* control);
    void FireAfterPrintControl(TWinControl* control);

    // --- window printing: one routine per control kind (page rectangles in printer pixels) ---
    // The page rectangle of a control printed at (left, top) job units: the window itself at
    // that corner, a child at its Left and Top scaled from the screen; four doubles, each
    // rounded on its own.
    TRect PageRectOf(const TControl& control, double left, double top, bool isWindow) const;
    void PrintLabel(TCustomLabel& label, const TRect& rect);
    void PrintShape(TShape& shape, const TRect& rect);
    void PrintPanel(TCustomPanel& panel, const TRect& rect, bool recurse);
    void PrintGraphicControl(TVexGraphicControl& control, const TRect& rect);
    void PrintGroupBox(TCustomGroupBox& box, const TRect& rect, bool recurse);
    void PrintGroupFrame(int x1, int y1, const std::string& caption, int x2, int y2);
    void PrintRadioGroup(TCustomRadioGroup& group, const TRect& rect);
    void PrintRadioItem(const std::string& text, int x, int y, bool checked, TColor color,
                        const TFont& font);
    void PrintRadioButton(TRadioButton& button, const TRect& rect);
    void PrintCheckBox(TCustomCheckBox& box, const TRect& rect);
    void PrintMemo(TCustomMemo& memo, const TRect& rect);
    void PrintComboBox(TCustomComboBox& combo, const TRect& rect);
    void PrintStringGrid(TStringGrid& grid, const TRect& rect);
    // The string grid's table inside (left, top)-(right, bottom), printer pixels.
    void PrintStringGridTable(TStringGrid& grid, int left, int top, int right, int bottom);
    void PrintImage(TImage& image, const TRect& rect);
    void PrintBevel(TBevel& bevel, const TRect& rect);
    void PrintScrollBox(TScrollBox& box, const TRect& rect);
    // A windowed control that the walk does not know paints itself into its rectangle.
    void PrintControlImage(TWinControl& control, const TRect& rect);
    // The printer canvas and the page take the font (size, style, colour); "MS Sans Serif"
    // and "System" print as "Arial" when FixSansSerif is set. The control keeps its own font.
    void PreparePrintFont(const TFont& font);
    // The control box: background, font, text colour, alignment, text and frame on the rect,
    // the text at 10/300 inch inside its top-left corner.
    void ControlBox(TColor background, const TFont* font, TColor textColor, TAlignment alignment,
                    const std::string& text, bool frame, const TRect& rect);
    // A one-pixel box along the rectangle's four sides.
    void BoxOn(const TRect& rect);
    // Writes a caption word-wrapped into the rect from (x, y) in the alignment (every label,
    // whatever its WordWrap: a label sized to its caption holds it on one line).
    void WriteCaption(const std::string& caption, int x, int y, const TRect& rect,
                      TAlignment alignment);
    void ResetClip();
    // Columns of a string grid measured from the data as well as from the screen widths.
    bool WidthFromData = false;
    // The status dialog's Abort was pressed, the job was given up, or the process was asked
    // to stop (Ctrl+C): no further pass.
    bool AbortRequested() const;
    // The next row of a string grid that its table prints (1 before its first table).
    int StringGridNextRow(const TStringGrid& grid) const;

  protected:
    // Each pass of PrintWindowPages prints the window once between these two calls; only at
    // EndPass is it known whether the pass is the last (LastPage).
    virtual void BeginPass() {}
    virtual void EndPass() {}
    bool InPass = false;
    // A table whose rectangle cannot hold a single row: it asks for no further pass (it would
    // never print one) and the user is told, once per grid and job.
    void ReportGridTooSmall(TControl& grid);
    void Notification(TComponent* component, TOperation operation) override;
    // The two steps of PrintWindow around the children: the window itself (returns whether it
    // was drawn and whether it wants its frame), and the dispatch of one child.
    virtual void PrintWindowItself(TWinControl& window, const TRect& rect, bool& drawn,
                                   bool& frame);
    // A control's print rule goes into the ordered table of PrintChild of the printer class
    // that knows the control (TPrintWin::PrintChild in PrnWin_walk.cpp for the platform's
    // plain controls, TDBPrintWin::PrintChild in DBPrnWin.cpp for data-aware controls and the
    // suite's own), before the rule of any class the control derives from, since the first
    // rule that matches draws it; a control that is its own window also needs its case in
    // PrintWindowItself, and its screen widget a row in the Qt peer table (CreateQtPeer in
    // platform/qt/qt_peers.cpp).
    virtual void PrintChild(TControl& child, const TRect& rect);
    // The corner of the current PrintWindow call, in job units (a shape that starts left of
    // the page clips from there).
    double WalkLeft = 0, WalkTop = 0;
    void Fire(const TNotifyEvent& event) {
        if (event && !IsDestroying()) event(this);
    }
    void SelectPlainFont();

  private:
    void DrawHeader();
    // Drops what the job kept about string grids and reported grids.
    void ForgetGrids();

    TFont headerFont_, font_, footerFont_;
    TBrush brush_;
    TPen pen_;
    TWinControl* executeWinControl_ = nullptr;
    std::unique_ptr<TGdi> gdi_;
    bool dialogShown_ = false;
    // A page of the job could not be stored (said once; the job then ends with nothing sent).
    bool pageLost_ = false;
    void CheckPageStored();
    std::string jobDate_, jobTime_;
    // Per string grid met in the job: the first row not printed yet.
    std::map<const TStringGrid*, int> stringGridNext_;
    std::vector<const TControl*> tooSmallReported_;
};

// Makes the print job known to form files by name (with the classes of the layers below).
void RegisterPrintJobClasses();

}  // namespace quillon
