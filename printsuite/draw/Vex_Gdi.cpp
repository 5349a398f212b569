// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/draw/Vex_Gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/emf/emf_recorder.h"
#include "platform/gdi/printer.h"
#include "platform/sys/rounding.h"
#include "platform/gdi/screen.h"
#include "platform/vcl/std_controls.h"
#include "platform/emf/page_store.h"
#include "platform/sys/temp_dir.h"
#include "platform/sys/utf8.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/base/PrnWin_store.h"

namespace quillon {
namespace {

// Byte length of the first `count` characters of `text` (all of it when shorter).
std::size_t PrefixBytes(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count && pos < text.size(); ++i) {
        pos += utf8::DecodeOne(text.substr(pos)).length;
    }
    return pos;
}

// Tab stops of the layer: the spaces that replace a tab at 1-based column p.
int TabSpaces(std::size_t p) {
    if (p == 1) return 8;
    if (p <= 9) return static_cast<int>(9 - p);
    if (p >= 82) return 0;
    // Ranges of nine columns, each with its stop: 10..18 -> 17, 19..27 -> 25, ... 73..81 -> 73.
    const int stop = 17 + 8 * static_cast<int>((p - 10) / 9);
    const int n = stop - static_cast<int>(p);
    return n > 0 ? n : 0;
}

struct Band {
    int from, to;
};

struct FrameKind {
    Band bands[2];
    int bandCount;
    int depth;  // the far side's band starts this far inside the far edge
};

bool FrameKindOf(int kind, FrameKind& out) {
    switch (kind) {
        case 1:
            out = {{{0, 5}, {0, 0}}, 1, 5};
            return true;
        case 2:
            out = {{{0, 1}, {0, 0}}, 1, 1};
            return true;
        case 3:
            out = {{{0, 5}, {9, 14}}, 2, 14};
            return true;
        case 4:
            out = {{{0, 1}, {5, 6}}, 2, 6};
            return true;
        case 5:
            out = {{{0, 5}, {9, 10}}, 2, 10};
            return true;
        case 6:
            out = {{{0, 1}, {5, 10}}, 2, 10};
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string_view FirstChars(std::string_view text, std::size_t maxChars) {
    return text.substr(0, PrefixBytes(text, maxChars));
}

namespace {

// Whether `word` is wider than `limit`. A long word (pasted data without spaces) is judged by a
// prefix first: a text is never narrower than its beginning, so a prefix that is already too
// wide settles it without measuring what may be many kilobytes, once per line.
bool WiderThan(std::string_view word, int limit, const TextWidthFn& textWidth) {
    constexpr std::size_t kPrefixChars = 256;
    if (word.size() > kPrefixChars) {
        const std::string_view prefix = FirstChars(word, kPrefixChars);
        if (prefix.size() < word.size() && textWidth(prefix) > limit) return true;
    }
    return textWidth(word) > limit;
}

}  // namespace

std::string_view TakeNextLine(std::string_view text, std::size_t& pos, int width,
                              const TextWidthFn& textWidth) {
    if (pos >= text.size()) {
        pos = text.size();
        return {};
    }
    const int wordLimit = width - 10;
    const std::size_t start = pos;
    std::size_t lineEnd = pos;  // the words taken so far are text[start, lineEnd)
    // Most texts end in a line that fits whole: then no word of it is too wide and every
    // prefix fits (a part of a text is never wider than all of it), so the words are taken
    // without measuring each. A long rest is not measured whole: it would be, for every line.
    constexpr std::size_t kWholeTry = 1024;
    static const TextWidthFn kFits = [](std::string_view) { return 0; };
    const TextWidthFn& measure =
        text.size() - pos <= kWholeTry && textWidth(text.substr(pos)) <= wordLimit ? kFits
                                                                                   : textWidth;
    for (;;) {
        const std::string_view rest = text.substr(pos);
        // The next word; a leading space belongs to it (a second space between two words).
        std::size_t end = rest[0] == ' ' ? rest.find(' ', 1) : rest.find(' ');
        if (end == std::string_view::npos) end = rest.size();
        const std::string_view word = rest.substr(0, end);

        if (WiderThan(word, wordLimit, measure)) {
            if (pos == start) {
                // A word too wide for any line: as many characters as fit.
                std::size_t fit = 0;
                while (fit < word.size()) {
                    const std::size_t next = fit + utf8::DecodeOne(word.substr(fit)).length;
                    if (measure(word.substr(0, next)) > wordLimit) break;
                    fit = next;
                }
                pos += fit;
                lineEnd = pos;
            }
            break;
        }
        // The line with this word: the words so far, the one space taken after the last of
        // them, and the word.
        if (measure(text.substr(start, pos + end - start)) > width) break;
        lineEnd = pos + end;
        pos += end < rest.size() ? end + 1 : end;
        if (pos >= text.size()) break;
    }
    if (lineEnd == start) {
        pos = text.size();
        return text.substr(start);
    }
    return text.substr(start, lineEnd - start);
}

std::string TakeNextLine(std::string& rest, int width, const TextWidthFn& textWidth) {
    std::size_t pos = 0;
    std::string line(TakeNextLine(rest, pos, width, textWidth));
    rest.erase(0, pos);
    return line;
}

std::string ExpandTabs(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t column = 0;  // characters in `out` so far
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == '\t') {
            out.append(static_cast<std::size_t>(TabSpaces(column + 1)), ' ');
            column += static_cast<std::size_t>(TabSpaces(column + 1));
            ++pos;
            continue;
        }
        const std::size_t len = utf8::DecodeOne(text.substr(pos)).length;
        out.append(text.substr(pos, len));
        pos += len;
        ++column;
    }
    return out;
}

std::vector<FrameLine> FrameBoxLines(int left, int top, int right, int bottom, int topKind,
                                     int bottomKind, int leftKind, int rightKind) {
    std::vector<FrameLine> lines;
    FrameKind k{};
    auto rows = [&](int kind, bool farSide) {
        if (!FrameKindOf(kind, k)) return;
        const int base = farSide ? bottom - k.depth : top;
        for (int b = 0; b < k.bandCount; ++b)
            for (int o = k.bands[b].from; o <= k.bands[b].to; ++o)
                lines.push_back({left, base + o, right, base + o});
    };
    auto columns = [&](int kind, bool farSide) {
        if (!FrameKindOf(kind, k)) return;
        const int base = farSide ? right - k.depth : left;
        for (int b = 0; b < k.bandCount; ++b)
            for (int o = k.bands[b].from; o <= k.bands[b].to; ++o)
                lines.push_back({base + o, top, base + o, bottom});
    };
    rows(topKind, false);
    rows(bottomKind, true);
    columns(leftKind, false);
    columns(rightKind, true);
    return lines;
}

}  // namespace quillon

// =============================================================================================
// TGdi

namespace quillon {
namespace {

// The printer canvas: measuring surface and mirror of the page's font and brush.
TCanvas& PrinterCanvas() {
    return Printer().Canvas();
}

TColorRef ToColorRef(TColor color) {
    return ColorToColorRef(color);
}

constexpr TColor kSilver = 0xC0C0C0;

// Brush hatches by number (0..5), as SetBrush takes them.
constexpr TBrushStyle kHatchStyles[] = {bsHorizontal, bsVertical, bsFDiagonal,
                                        bsBDiagonal,  bsCross,    bsDiagCross};

TFontStyles FontStyles(bool bold, bool italic, bool underline) {
    TFontStyles style;
    if (bold) style.Include(fsBold);
    if (italic) style.Include(fsItalic);
    if (underline) style.Include(fsUnderline);
    return style;
}

// The bitmap averaged down to width x height pixels (each a box of the source's).
TBitmap ShrunkBitmap(const BitmapView& src, int width, int height) {
    TBitmap out;
    if (!out.SetSize(width, height)) return out;
    std::vector<int> column(static_cast<std::size_t>(src.width));
    for (int x = 0; x < src.width; ++x)
        column[static_cast<std::size_t>(x)] = static_cast<int>(std::int64_t{x} * width / src.width);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 4);
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(width));
    std::span<std::uint32_t> pixels = out.Pixels();
    int y = 0;
    for (int ty = 0; ty < height; ++ty) {
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        const int yEnd =
            std::min(src.height,
                     std::max(y + 1, static_cast<int>(std::int64_t{ty + 1} * src.height / height)));
        for (; y < yEnd; ++y) {
            const std::uint32_t* row = src.pixels.data() + std::size_t(y) * std::size_t(src.width);
            for (int x = 0; x < src.width; ++x) {
                const auto tx = static_cast<std::size_t>(column[static_cast<std::size_t>(x)]);
                const std::uint32_t c = row[x];
                for (int k = 0; k < 4; ++k) sums[tx * 4 + std::size_t(k)] += (c >> (8 * k)) & 0xFF;
                ++counts[tx];
            }
        }
        for (std::size_t tx = 0; tx < static_cast<std::size_t>(width); ++tx) {
            const std::uint32_t n = std::max<std::uint32_t>(counts[tx], 1);
            std::uint32_t c = 0;
            for (int k = 0; k < 4; ++k)
                c |= static_cast<std::uint32_t>((sums[tx * 4 + std::size_t(k)] + n / 2) / n)
                     << (8 * k);
            pixels[std::size_t(ty) * std::size_t(width) + tx] = c;
        }
    }
    return out;
}

// Pages as enhanced metafiles, recorded against the screen, carrying the printer page's size
// and resolution.
class EmfPageRecorder : public PageRecorder {
  public:
    explicit EmfPageRecorder(const EmfRecorderOptions& options) : recorder_(options) {}
    DeviceContext& Context() override { return recorder_; }
    std::vector<std::uint8_t> Finish() override { return recorder_.Finish(); }

  private:
    EmfRecorder recorder_;
};

PageRecorderFactory& RecorderFactory() {
    static PageRecorderFactory factory;
    return factory;
}

}  // namespace

void SetPageRecorderFactory(PageRecorderFactory factory) {
    RecorderFactory() = std::move(factory);
}

std::unique_ptr<PageRecorder> NewPageRecorder() {
    if (RecorderFactory()) return RecorderFactory()();
    TPrinter& printer = Printer();
    const DeviceCaps caps = printer.Caps();
    EmfRecorderOptions options;
    options.reference = Screen().Caps();
    options.page =
        EmfPageInfo{printer.PageWidth(), printer.PageHeight(), caps.logPixelsX, caps.logPixelsY};
    return std::make_unique<EmfPageRecorder>(options);
}

void TGdi::PrintPages(bool showStatus, const std::function<bool(int page)>& wanted) {
    PrintStoredPages(output_, showStatus, wanted);
}

TGdi::TGdi(TOutput output) : output_(output) {
    pageNumber_ = 0;
    normalWeight_ = FW_NORMAL;
    boldWeight_ = FW_BOLD;
    Printer().SetOrientation(poPortrait);
    textArea_.Right = Printer().PageWidth();
}

TGdi::~TGdi() {
    // The job closes its pages; a layer dropped with a page open still releases its objects.
    if (dc_) {
        if (displacedFont_) dc_->SelectObject(displacedFont_);
        if (displacedBrush_) dc_->SelectObject(displacedBrush_);
        if (displacedPen_) dc_->SelectObject(displacedPen_);
    }
    if (currentFont_) DeleteObject(currentFont_);
    if (ownsBrush_ && currentBrush_) DeleteObject(currentBrush_);
    if (currentPen_) DeleteObject(currentPen_);
}

DeviceContext* TGdi::PageHandle() const {
    return dc_;
}

bool TGdi::TextOnly() const {
    return IsGenericPrinter();
}

int TGdi::PrinterTextWidth(std::string_view text) const {
    return PrinterCanvas().TextWidth(text);
}

void TGdi::SetOrientation(TPrinterOrientation orientation) {
    Printer().SetOrientation(orientation);
}

void TGdi::DeletePages() {
    DeletePageFiles(output_);
    pageNumber_ = 0;
}

void TGdi::OpenPage() {
    ++pageNumber_;
    pageFile_ = PageFileName(pageNumber_, output_);
    page_ = NewPageRecorder();
    dc_ = &page_->Context();
    SetTransparentText(*dc_);
    dc_->SetBkColor(static_cast<TColorRef>(kSilver));
    currentBrush_ = GetStockObject(WHITE_BRUSH);
    ownsBrush_ = false;
}

void TGdi::StartDocument(TColor viewBackground, const std::string& heading, double zoomFactor) {
    // A page left open by an earlier document is dropped, its objects released.
    if (page_) {
        if (currentFont_) DeleteObject(currentFont_);
        if (ownsBrush_ && currentBrush_) DeleteObject(currentBrush_);
        if (currentPen_) DeleteObject(currentPen_);
        dc_ = nullptr;
        page_.reset();
    }
    displacedPen_ = displacedBrush_ = displacedFont_ = 0;
    currentPen_ = currentFont_ = currentBrush_ = 0;
    ownsBrush_ = false;
    penWidth_ = 1;
    penColor_ = 0;
    saveError_.clear();
    OpenPage();

    bold_ = underline_ = italic_ = false;
    faceName_ = "Arial";
    const int printerHeight = PrinterCanvas().Font().Height();
    fontHeight_ = printerHeight < 0 ? -printerHeight : printerHeight;
    SetFont("Arial", printerHeight);

    TPrinter& printer = Printer();
    JobSettings settings;
    settings.pageHeight = printer.PageHeight();
    settings.pageWidth = printer.PageWidth();
    settings.landscape = printer.Orientation() == poLandscape;
    settings.viewBackground = ColorToRGB(viewBackground);
    settings.heading = heading;
    settings.printerName = printer.PrinterName();
    settings.printerIndex = printer.PrinterIndex();
    settings.zoomFactor = zoomFactor;
    std::error_code ec;
    settings.directory = std::filesystem::current_path(ec).string();
    WriteJobSettings(settings);

    ProcessPendingMessages();
}

void TGdi::NewPage() {
    ProcessPendingMessages();
    ClosePage();
    OpenPage();
    dc_->SetTextColor(0);
    const int printerHeight = PrinterCanvas().Font().Height();
    fontHeight_ = printerHeight;
    SetFont(faceName_, printerHeight);
    ProcessPendingMessages();
}

void TGdi::ClosePage() {
    if (!page_) return;
    if (displacedFont_) dc_->SelectObject(displacedFont_);
    if (currentFont_) DeleteObject(currentFont_);
    if (displacedBrush_) dc_->SelectObject(displacedBrush_);
    if (ownsBrush_ && currentBrush_) DeleteObject(currentBrush_);
    if (displacedPen_) dc_->SelectObject(displacedPen_);
    if (currentPen_) DeleteObject(currentPen_);
    displacedPen_ = displacedBrush_ = displacedFont_ = 0;
    currentPen_ = currentFont_ = currentBrush_ = 0;
    ownsBrush_ = false;

    const std::vector<std::uint8_t> data = page_->Finish();
    dc_ = nullptr;
    page_.reset();
    SavePage(data);
    ProcessPendingMessages();
}

bool TGdi::SavePage(const std::vector<std::uint8_t>& data) {
    // After a lost page the job is over: no page after it is stored (the job would have a hole),
    // and the first reason is the one kept.
    if (!saveError_.empty()) return false;
    if (pageFile_.empty()) {
        const Result<std::string> dir = ProcessTempDir();
        saveError_ =
            "Page " + std::to_string(pageNumber_) + " could not be stored: " + dir.reason();
        return false;
    }
    // Written atomically: a failure (a full disk) leaves no half page behind, and the page
    // stored before under this number stays as it was.
    if (const Result<void> written = WritePageFile(pageFile_, data); !written) {
        saveError_ =
            "Page " + std::to_string(pageNumber_) + " could not be stored: " + written.reason();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Attributes

void TGdi::SetTransparent() {
    if (dc_) SetTransparentText(*dc_);
}

void TGdi::SetTextArea(int left, int top, int right, int bottom) {
    textArea_ = TRect{left, top, right, bottom};
}

void TGdi::ReplacePen(const LogPen& pen) {
    if (!dc_) return;
    if (currentPen_) {
        dc_->SelectObject(displacedPen_);
        DeleteObject(currentPen_);
    }
    currentPen_ = CreatePenIndirect(pen);
    displacedPen_ = dc_->SelectObject(currentPen_);
}

void TGdi::SetPenStyle(std::uint8_t style, int width, TColor color) {
    std::uint32_t s = PS_SOLID;
    switch (style) {
        case 1:
            s = PS_DASH;
            break;
        case 2:
            s = PS_DOT;
            break;
        case 3:
            s = PS_DASHDOT;
            break;
        case 4:
            s = PS_DASHDOTDOT;
            break;
        default:
            break;
    }
    ReplacePen(LogPen{s, width, ToColorRef(color)});
}

void TGdi::SetPen(int width, TColor color) {
    ReplacePen(LogPen{PS_SOLID, width, ToColorRef(color)});
}

void TGdi::SetPenColor(TColor color) {
    penColor_ = ToColorRef(color);
    ReplacePen(LogPen{PS_SOLID, penWidth_, penColor_});
}

void TGdi::SetBrush(std::uint16_t style, TColor color, int hatch) {
    if (!dc_) return;
    // Only the three kinds the layer knows reach the page; anything else fills solid.
    const std::uint32_t pageStyle = style <= 2 ? style : BS_SOLID;
    if (currentBrush_ && ownsBrush_) {
        dc_->SelectObject(displacedBrush_);
        DeleteObject(currentBrush_);
    }
    currentBrush_ = CreateBrushIndirect(LogBrush{pageStyle, ToColorRef(color), hatch});
    ownsBrush_ = true;
    displacedBrush_ = dc_->SelectObject(currentBrush_);

    TBrush& pb = PrinterCanvas().Brush();
    pb.SetColor(color);
    if (style == 0) {
        pb.SetStyle(bsSolid);
    } else if (style == 1) {
        pb.SetStyle(bsClear);
    } else if (style == 2 && hatch >= 0 && hatch < static_cast<int>(std::size(kHatchStyles))) {
        pb.SetStyle(kHatchStyles[hatch]);
    }
}

void TGdi::AssignBrush(const TBrush& brush) {
    const TBrushStyle style = brush.Style();
    if (style == bsSolid || style == bsClear) {
        SetBrush(style == bsSolid ? 0 : 1, brush.Color(), 4);
        return;
    }
    for (std::size_t h = 0; h < std::size(kHatchStyles); ++h)
        if (kHatchStyles[h] == style) SetBrush(2, brush.Color(), static_cast<int>(h));
}

void TGdi::MakeFont(const std::string& faceName, int height, bool bold, bool italic, bool underline,
                    int escapement) {
    if (dc_) {
        if (currentFont_) {
            dc_->SelectObject(displacedFont_);
            DeleteObject(currentFont_);
        }
        LogFont f;
        f.height = height;
        f.width = 0;
        f.escapement = escapement;
        f.orientation = 0;
        f.weight = bold ? boldWeight_ : normalWeight_;
        f.italic = italic;
        f.underline = underline;
        f.strikeOut = false;
        f.charSet = DEFAULT_CHARSET;
        f.faceName = CutFaceName(faceName);
        fontRecord_ = f;
        currentFont_ = CreateFontIndirect(f);
        const HFONT previous = dc_->SelectObject(currentFont_);
        if (!displacedFont_) displacedFont_ = previous;
    }
    fontHeight_ = height < 0 ? -height : height;
    bold_ = bold;
    italic_ = italic;
    underline_ = underline;
    faceName_ = faceName;

    TFont& pf = PrinterCanvas().Font();
    pf.SetName(faceName);
    pf.SetHeight(fontHeight_);
    pf.SetStyle(FontStyles(bold, italic, underline));
}

void TGdi::SetFont(const std::string& faceName, int height) {
    MakeFont(faceName, height, bold_, italic_, underline_, 0);
}

void TGdi::SetFontStyle(const std::string& faceName, int height, bool bold, bool italic,
                        bool underline) {
    MakeFont(faceName, height, bold, italic, underline, 0);
}

void TGdi::SetBold(bool bold) {
    MakeFont(faceName_, fontHeight_, bold, italic_, underline_, 0);
}

void TGdi::AssignFont(const TFont& font) {
    const TFontStyles style = font.Style();
    const int h = font.Height() < 0 ? -font.Height() : font.Height();
    const int height =
        RoundToInt(static_cast<double>(h) * Printer().Caps().logPixelsX / Screen().PixelsPerInch());
    MakeFont(font.Name(), height, style.Contains(fsBold), style.Contains(fsItalic),
             style.Contains(fsUnderline), 0);
    PrinterCanvas().Font().SetColor(font.Color());
    SetFontColor(font.Color());
}

void TGdi::AssignFontMapped(const TFont& font, bool bold, bool italic, bool underline) {
    std::string face = font.Name();
    if (face == "MS Sans Serif" || face == "System") face = "Arial";
    const int h = font.Height() < 0 ? -font.Height() : font.Height();
    const int height = RoundToInt(static_cast<double>(h) * PrinterCanvas().Font().PixelsPerInch() /
                                  Screen().PixelsPerInch());
    SetPrinterFont(face, height, bold, italic, underline);
}

int TGdi::SetPrinterFont(const std::string& faceName, int height, bool bold, bool italic,
                         bool underline) {
    TFont& pf = PrinterCanvas().Font();
    pf.SetHeight(height);
    pf.SetName(faceName);
    pf.SetStyle(FontStyles(bold, italic, underline));
    const int result = pf.Height() < 0 ? -pf.Height() : pf.Height();
    MakeFont(pf.Name(), pf.Height(), bold, italic, underline, 0);
    return result;
}

void TGdi::SetFontColor(TColor color) {
    // A system colour prints as the colour it stands for (as fills do); any other value
    // outside the direct colours prints black.
    if (color < 0) color = ColorToRGB(color);
    if (color < 0) color = clBlack;
    textColor_ = color;
    if (dc_) dc_->SetTextColor(static_cast<TColorRef>(color) & 0xFFFFFFu);
    PrinterCanvas().Font().SetColor(color);
}

TColor TGdi::MapColor(TColor color) {
    if (color == clBtnFace) return clWhite;
    const auto u = static_cast<std::uint32_t>(color);
    if (u >= 0x80000000u && u <= 0x80000014u) return ColorToRGB(color);
    if (color < 0) return -color;
    return color;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TGdi::PutText(int x, int y, const std::string& text) {
    if (dc_) dc_->TextOut(x, y, FirstChars(text, kMaxTextOut));
}

void TGdi::MovePen(int x, int y) {
    if (dc_) dc_->MoveToEx(x, y);
}

void TGdi::DrawLineTo(int x, int y) {
    if (dc_ && !TextOnly()) dc_->LineTo(x, y);
}

void TGdi::DrawLine(int x1, int y1, int x2, int y2) {
    MovePen(x1, y1);
    DrawLineTo(x2, y2);
}

void TGdi::DrawRectangle(int left, int top, int right, int bottom) {
    if (dc_ && !TextOnly()) dc_->Rectangle(left, top, right, bottom);
}

void TGdi::DrawRoundRect(int left, int top, int right, int bottom, int cornerWidth,
                         int cornerHeight) {
    if (dc_ && !TextOnly()) dc_->RoundRect(left, top, right, bottom, cornerWidth, cornerHeight);
}

void TGdi::DrawEllipse(int left, int top, int right, int bottom) {
    if (dc_) dc_->Ellipse(left, top, right, bottom);
}

void TGdi::FillBox(const TRect& rect) {
    if (dc_ && !TextOnly()) dc_->FillRect(rect, currentBrush_);
}

void TGdi::ClipRect(int left, int top, int right, int bottom) {
    if (dc_ && !TextOnly()) dc_->IntersectClipRect(left, top, right, bottom);
}

void TGdi::FrameBox(int left, int top, int right, int bottom, int topKind, int bottomKind,
                    int leftKind, int rightKind) {
    if (!dc_ || TextOnly()) return;
    for (const FrameLine& l :
         FrameBoxLines(left, top, right, bottom, topKind, bottomKind, leftKind, rightKind)) {
        dc_->MoveToEx(l.x1, l.y1);
        dc_->LineTo(l.x2, l.y2);
    }
}

void TGdi::DrawBox(int left, int top, int right, int bottom, bool filled, const TRect& rect) {
    if (!dc_ || TextOnly()) return;
    if (filled) FillBox(rect);
    FrameBox(left, top, right, bottom, 2, 2, 2, 2);
}

void TGdi::DrawPicture(const TPicture& picture, int left, int top, int right, int bottom,
                       const TRect& rect) {
    if (!dc_ || TextOnly()) return;
    if (const TMetafile* mf = picture.MetafileIfAny()) {
        PlayMetafile(*mf, rect);
    } else if (const TBitmap* bmp = picture.BitmapIfAny()) {
        DrawBitmap(*bmp, left, top, right - left, bottom - top);
    }
    // Icons are not printed.
}

void TGdi::DrawBitmap(const TBitmap& bitmap, int x, int y, int width, int height) {
    if (!dc_ || bitmap.Empty()) return;
    if (width == 0 && height == 0) {
        const DeviceCaps caps = Printer().Caps();
        const double screen = Screen().PixelsPerInch();
        width = RoundToInt(std::abs(bitmap.Width()) * caps.logPixelsX / screen);
        height = RoundToInt(std::abs(bitmap.Height()) * caps.logPixelsY / screen);
    }
    // A picture finer than the printer's pixels where it lands is averaged down to them first:
    // the page keeps what prints, not a scan's hundreds of megabytes.
    const BitmapView view = bitmap.View();
    const XForm toDevice = dc_->LogicalToDevice();
    const double deviceW = std::abs(width) * std::hypot(toDevice.m11, toDevice.m12);
    const double deviceH = std::abs(height) * std::hypot(toDevice.m21, toDevice.m22);
    const int shrunkW = std::clamp(static_cast<int>(std::ceil(deviceW)), 1, view.width);
    const int shrunkH = std::clamp(static_cast<int>(std::ceil(deviceH)), 1, view.height);
    if (width != 0 && height != 0 &&
        std::int64_t{shrunkW} * shrunkH * 2 <= std::int64_t{view.width} * view.height) {
        const TBitmap shrunk = ShrunkBitmap(view, shrunkW, shrunkH);
        if (!shrunk.Empty()) {
            dc_->StretchDIBits(x, y, width, height, 0, 0, shrunkW, shrunkH, shrunk.View(), SRCCOPY);
            return;
        }
    }
    dc_->StretchDIBits(x, y, width, height, 0, 0, bitmap.Width(), bitmap.Height(), view, SRCCOPY);
}

void TGdi::PlayMetafile(const TMetafile& metafile, const TRect& rect) {
    if (!dc_ || metafile.Empty()) return;
    // As on the screen: a picture whose records break off prints what it holds up to there.
    static_cast<void>(dc_->PlayEnhMetaFile(metafile.Data(), rect));
}

void TGdi::WrapText(int x, int y, int lineHeight, const TRect& rect, const std::string& text,
                    int alignment, bool singleLine) {
    SetTextArea(rect.Left, rect.Top, rect.Right, rect.Bottom);
    if (!dc_) return;
    const int w = rect.Right - rect.Left;
    int offset = 0;
    if (alignment == 1) {
        dc_->SetTextAlign(TA_RIGHT);
        offset = w - 20;
    } else if (alignment == 2) {
        dc_->SetTextAlign(TA_CENTER);
        offset = w / 2;
    }
    std::size_t pos = 0;
    int cy = y;
    const TextWidthFn measure = [this](std::string_view s) { return PrinterTextWidth(s); };
    while (pos < text.size()) {
        std::string_view line = TakeNextLine(text, pos, w, measure);
        const auto first = line.find_first_not_of(' ');
        line = first == std::string_view::npos
                   ? std::string_view()
                   : line.substr(first, line.find_last_not_of(' ') - first + 1);
        dc_->SetBkMode(TRANSPARENT);
        dc_->TextOut(x + offset, cy, FirstChars(line, kMaxTextOut));
        cy += lineHeight;
        if (singleLine) break;
    }
    dc_->SetTextAlign(0);
}

void TGdi::DrawLinesAligned(int x, int y, int lineHeight, const TRect& rect,
                            const std::vector<std::string>& lines, int alignment, bool expandTabs) {
    if (!dc_) return;
    const int w = rect.Right - rect.Left;
    int offset = 0;
    if (alignment == 1) {
        dc_->SetTextAlign(TA_RIGHT);
        offset = w - 20;
    } else if (alignment == 2) {
        dc_->SetTextAlign(TA_CENTER);
        offset = w / 2;
    }
    int cy = y;
    for (const std::string& line : lines) {
        const std::string expanded = expandTabs ? quillon::ExpandTabs(line) : line;
        dc_->TextOut(x + offset, cy, FirstChars(expanded, kMaxTextOut));
        cy += lineHeight;
    }
    dc_->SetTextAlign(0);
}

void TGdi::DrawTextLines(int x, int y, int lineHeight, const TRect& rect,
                         const std::vector<std::string>& lines, int alignment) {
    DrawLinesAligned(x, y, lineHeight, rect, lines, alignment, true);
}

int AlignmentCode(TAlignment a) {
    switch (a) {
        case taRightJustify:
            return 1;
        case taCenter:
            return 2;
        default:
            return 0;
    }
}

void TGdi::DrawMemoLines(int x, int y, int lineHeight, const TRect& rect, const TCustomMemo& memo) {
    DrawLinesAligned(x, y, lineHeight, rect, memo.Lines().Lines(), AlignmentCode(memo.Alignment()),
                     true);
}

void TGdi::DrawMemoBox(const TCustomMemo& memo, int left, int top, int right, int bottom,
                       const TRect& rect, bool opaque, bool filled, bool framed) {
    ClipRect(left, top, right, bottom);
    DrawFieldBox(0, clWhite, 3, &memo.Font(), false, left, top, right, bottom, rect,
                 memo.Font().Color(), "", AlignmentCode(memo.Alignment()), opaque, filled, framed);
    FillBox(rect);
    DrawMemoLines(Offset300(Axis::Horizontal, left, 10), Offset300(Axis::Vertical, top, 10),
                  PrinterCanvas().Font().Height(), rect, memo);
    if (dc_) ResetClipRegion(*dc_);
    if (memo.BorderStyle() != bsNone) FrameBox(left, top, right, bottom, 2, 2, 2, 2);
}

void TGdi::DrawBoxText(int x, int y, int right, int bottom, bool bordered, const TRect& rect,
                       const std::string& text, int alignment, bool filled, bool framed) {
    const int w = PrinterTextWidth(text);
    if (filled) FillBox(rect);
    if (framed && bordered) {
        FrameBox(Offset300(Axis::Horizontal, x, -10), Offset300(Axis::Vertical, y, -10), right,
                 bottom, 2, 2, 2, 2);
    }
    if (!framed && !filled && bordered) {
        PutText(Offset300(Axis::Horizontal, x, 20), Offset300(Axis::Vertical, y, 10), ":");
    }
    switch (alignment) {
        case 0:
            PutText(x, y, text);
            break;
        case 1:
            PutText(Offset300(Axis::Horizontal, right - w, -10), y, text);
            break;
        case 2:
            PutText(right - w - ((right - x - w) / 2), y, text);
            break;
        default:
            break;
    }
    if (filled) PrinterCanvas().Brush().SetColor(clWhite);
}

void TGdi::DrawFieldBox(std::uint16_t brushStyle, TColor brushColor, int hatch, const TFont* font,
                        bool bordered, int x, int y, int right, int bottom, const TRect& rect,
                        TColor textColor, const std::string& text, int alignment, bool opaque,
                        bool filled, bool framed) {
    SetBrush(brushStyle, brushColor, hatch);
    if (!font) return;
    SetFontColor(textColor);
    AssignFont(*font);
    if (opaque) DrawBoxText(x, y, right, bottom, bordered, rect, text, alignment, filled, framed);
}

}  // namespace quillon
