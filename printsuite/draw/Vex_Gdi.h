// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The drawing layer: every page of a print job is drawn through one TGdi, which records it as
// an enhanced metafile (a page file) while keeping the printer canvas in step with what is
// selected into the page, so that callers measure text on the printer canvas exactly as it
// will be drawn. Coordinates are printer pixels of the page (origin at the top-left of the
// printable area, y down).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/device_context.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/graphics.h"
#include "platform/gdi/printer_device.h"
#include "printsuite/base/Vex_Types.h"

namespace quillon {

class TCustomMemo;
enum TAlignment : std::uint8_t;

// The drawing calls' alignment code of a control's alignment: 0 left, 1 right, 2 centre.
int AlignmentCode(TAlignment a);

// Width of a text in printer pixels (the printer canvas's TextWidth in the layer).
using TextWidthFn = std::function<int(std::string_view)>;

// Takes the next line of a word-wrapped block from the front of `rest`: whole words while the
// line fits in `width` pixels, a single word cut to `width` - 10 pixels when it is wider than
// that, or, when not even the first character of such a word fits, everything left. Words are
// separated by spaces; a second space stays in front of the word after it.
std::string TakeNextLine(std::string& rest, int width, const TextWidthFn& textWidth);
// The same on `text` from byte `pos`, which moves past what was taken: long texts are wrapped
// without being copied or shortened from the front line by line.
std::string_view TakeNextLine(std::string_view text, std::size_t& pos, int width,
                              const TextWidthFn& textWidth);

// Replaces each tab by spaces towards the layer's tab stops (columns 9, 17, 25, ... 73); a tab
// beyond column 81 just vanishes.
std::string ExpandTabs(std::string_view text);

// The first `maxChars` characters (code points) of `text`.
std::string_view FirstChars(std::string_view text, std::size_t maxChars);

// The longest text the layer draws in one call, in characters.
inline constexpr std::size_t kMaxTextOut = 255;

// One line of a frame band: from (x1, y1) to (x2, y2), the end point not drawn.
struct FrameLine {
    int x1, y1, x2, y2;
    bool operator==(const FrameLine&) const = default;
};

// The lines that draw a frame (sides top, bottom, left, right; kinds 1..6 as FrameBox takes
// them, anything else draws that side not at all), in drawing order.
std::vector<FrameLine> FrameBoxLines(int left, int top, int right, int bottom, int topKind,
                                     int bottomKind, int leftKind, int rightKind);

// What a page is recorded on: a context to draw into, and the page file's bytes once the
// page is finished.
class PageRecorder {
  public:
    virtual ~PageRecorder() = default;
    virtual DeviceContext& Context() = 0;
    virtual std::vector<std::uint8_t> Finish() = 0;
};

using PageRecorderFactory = std::function<std::unique_ptr<PageRecorder>()>;

// Pages are enhanced metafiles recorded against the screen. Tests may record them on
// something else (nullptr puts the metafile recorder back).
void SetPageRecorderFactory(PageRecorderFactory factory);
std::unique_ptr<PageRecorder> NewPageRecorder();

// The drawing layer of one print job.
//
// Two surfaces are kept in step: the page recorder (the metafile of the page being built, all
// drawing goes there) and the printer canvas (never drawn on while pages are built; it holds
// the font, font colour and brush that match the page's, so callers measure with it). Every
// pen, brush or font change creates a new drawing object and deletes the one it replaces.
// On a text-only printer (name beginning with "Generic") shapes, lines, fills, frames, clips
// and pictures are skipped; text and ellipses are drawn.
class TGdi {
  public:
    explicit TGdi(TOutput output);
    virtual ~TGdi();  // releases the open page's recorder, if any; never touches the page files
    TGdi(const TGdi&) = delete;
    TGdi& operator=(const TGdi&) = delete;

    // --- job and pages -----------------------------------------------------------------------
    void SetOrientation(TPrinterOrientation orientation);
    // Deletes this target's page files and sets the page number to 0.
    void DeletePages();
    // Opens page 1 and records the job's settings.
    void StartDocument(TColor viewBackground, const std::string& heading, double zoomFactor);
    // Saves the open page and opens the next one.
    void NewPage();
    // Puts back the displaced objects, deletes the layer's own and saves the page file.
    void ClosePage();
    int GetPageNumber() const { return pageNumber_; }
    const std::string& PageFile() const { return pageFile_; }
    // Plays the stored pages (those `wanted`, all when empty) to the current printer as one
    // document.
    void PrintPages(bool showStatus, const std::function<bool(int page)>& wanted = {});
    // Why a page could not be saved (empty when every page was saved). Once a page is lost no
    // later page of the document is stored.
    const std::string& SaveError() const { return saveError_; }

    // The page recorder (nullptr while no page is open). Window printing sets mapping modes
    // on it and hands it to controls that paint themselves.
    DeviceContext* PageHandle() const;

    // --- attributes --------------------------------------------------------------------------
    void SetTransparent();
    void SetTextArea(int left, int top, int right, int bottom);
    TRect TextArea() const { return textArea_; }
    // Styles: 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, anything else solid.
    void SetPenStyle(std::uint8_t style, int width, TColor color);
    void SetPen(int width, TColor color);
    void SetPenColor(TColor color);  // a solid pen of the layer's pen width (1)
    // Styles: 0 solid, 1 hollow, 2 hatched with hatch 0..5.
    void SetBrush(std::uint16_t style, TColor color, int hatch);
    void AssignBrush(const TBrush& brush);
    // Height in printer pixels: positive the cell height, negative the character height.
    void MakeFont(const std::string& faceName, int height, bool bold, bool italic, bool underline,
                  int escapement);
    void SetFont(const std::string& faceName, int height);
    void SetFontStyle(const std::string& faceName, int height, bool bold, bool italic,
                      bool underline);
    void SetBold(bool bold);
    // The page font from a screen font, scaled to the printer; the text colour from it too.
    void AssignFont(const TFont& font);
    // As AssignFont for the size, with "MS Sans Serif" and "System" drawn as "Arial".
    void AssignFontMapped(const TFont& font, bool bold, bool italic, bool underline);
    // Sets the printer canvas font, then the page font from it; returns |height|.
    int SetPrinterFont(const std::string& faceName, int height, bool bold, bool italic,
                       bool underline);
    void SetFontColor(TColor color);  // system colours become their RGB values
    // A control's colour as it prints: button face white, other system colours resolved.
    static TColor MapColor(TColor color);

    // --- drawing (printer pixels) ------------------------------------------------------------
    void PutText(int x, int y, const std::string& text);
    void MovePen(int x, int y);
    void DrawLineTo(int x, int y);
    void DrawLine(int x1, int y1, int x2, int y2);
    void DrawRectangle(int left, int top, int right, int bottom);
    void DrawRoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void DrawEllipse(int left, int top, int right, int bottom);
    void FillBox(const TRect& rect);
    void ClipRect(int left, int top, int right, int bottom);
    // Sides drawn as bands of one-pixel lines; kinds 1 thick, 2 thin, 3..6 double.
    void FrameBox(int left, int top, int right, int bottom, int topKind, int bottomKind,
                  int leftKind, int rightKind);
    void DrawBox(int left, int top, int right, int bottom, bool filled, const TRect& rect);
    void DrawPicture(const TPicture& picture, int left, int top, int right, int bottom,
                     const TRect& rect);
    // Width and height both 0: the bitmap's own size scaled from screen to printer.
    void DrawBitmap(const TBitmap& bitmap, int x, int y, int width, int height);
    void PlayMetafile(const TMetafile& metafile, const TRect& rect);
    // Alignment 0 left, 1 right, 2 centre. Lines are at most rect's width; words wider than
    // that less 10 pixels are cut.
    void WrapText(int x, int y, int lineHeight, const TRect& rect, const std::string& text,
                  int alignment, bool singleLine);
    void DrawMemoLines(int x, int y, int lineHeight, const TRect& rect, const TCustomMemo& memo);
    // The same for plain lines with the memo's alignment (0 left, 1 right, 2 centre).
    void DrawTextLines(int x, int y, int lineHeight, const TRect& rect,
                       const std::vector<std::string>& lines, int alignment);
    static std::string ExpandTabs(std::string_view text) { return quillon::ExpandTabs(text); }
    void DrawBoxText(int x, int y, int right, int bottom, bool bordered, const TRect& rect,
                     const std::string& text, int alignment, bool filled, bool framed);
    void DrawFieldBox(std::uint16_t brushStyle, TColor brushColor, int hatch, const TFont* font,
                      bool bordered, int x, int y, int right, int bottom, const TRect& rect,
                      TColor textColor, const std::string& text, int alignment, bool opaque,
                      bool filled, bool framed);
    void DrawMemoBox(const TCustomMemo& memo, int left, int top, int right, int bottom,
                     const TRect& rect, bool opaque, bool filled, bool framed);

    // Layer state, for the job and for tests.
    TOutput Output() const { return output_; }
    int FontHeight() const { return fontHeight_; }
    const std::string& FaceName() const { return faceName_; }
    bool Bold() const { return bold_; }
    bool Italic() const { return italic_; }
    bool Underline() const { return underline_; }
    TColor TextColor() const { return textColor_; }
    TColorRef PenColor() const { return penColor_; }
    HBRUSH CurrentBrush() const { return currentBrush_; }

  private:
    void OpenPage();
    void ReplacePen(const LogPen& pen);
    bool SavePage(const std::vector<std::uint8_t>& data);
    bool TextOnly() const;
    int PrinterTextWidth(std::string_view text) const;
    void DrawLinesAligned(int x, int y, int lineHeight, const TRect& rect,
                          const std::vector<std::string>& lines, int alignment, bool expandTabs);

    TOutput output_;
    std::string pageFile_;
    int pageNumber_ = 0;
    std::unique_ptr<PageRecorder> page_;
    DeviceContext* dc_ = nullptr;  // page_'s context
    HPEN displacedPen_ = 0;
    HBRUSH displacedBrush_ = 0;
    HFONT displacedFont_ = 0;
    HPEN currentPen_ = 0;
    HFONT currentFont_ = 0;
    HBRUSH currentBrush_ = 0;
    bool ownsBrush_ = false;
    LogFont fontRecord_;
    int penWidth_ = 1;
    TColorRef penColor_ = 0;
    int fontHeight_ = 0;
    TColor textColor_ = clBlack;
    bool bold_ = false;
    bool underline_ = false;
    bool italic_ = false;
    std::string faceName_ = "Arial";
    int normalWeight_ = FW_NORMAL;
    int boldWeight_ = FW_BOLD;
    TRect textArea_;
    std::string saveError_;
};

}  // namespace quillon
