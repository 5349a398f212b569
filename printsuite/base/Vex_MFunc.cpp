// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/base/Vex_MFunc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

#include "platform/emf/page_store.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/sys/desktop.h"
#include "platform/sys/rounding.h"
#include "platform/sys/string_table.h"
#include "platform/gdi/text_only_context.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace quillon {
namespace {

bool gMetricUnits = false;
DeviceContext* gWindowPaintDC = nullptr;

int PrinterDpi(bool vertical) {
    const DeviceCaps caps = Printer().Caps();
    const int dpi = vertical ? caps.logPixelsY : caps.logPixelsX;
    return dpi > 0 ? dpi : 96;
}

double UnitsPerInch() {
    return gMetricUnits ? 2.54 : 1.0;
}

}  // namespace

double IntToReal(int a) {
    return static_cast<double>(a);
}

int RoundDiv(double a, double b) {
    return RoundToInt(a / b);
}

int TruncDiv(int a, int b) {
    if (b == 0) return 0;
    // The quotient of two ints only leaves the int range for INT_MIN / -1.
    const double q = std::trunc(static_cast<double>(a) / static_cast<double>(b));
    if (q >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(q);
}

int SetMetricUnits(int flag) {
    gMetricUnits = flag != 0;
    return flag;
}

bool MetricUnits() {
    return gMetricUnits;
}

int ScreenToPrinterX(int a) {
    return RoundToInt(std::fabs(static_cast<double>(a)) * PrinterDpi(false) /
                      Screen().PixelsPerInch());
}

int ScreenToPrinterY(int a) {
    return RoundToInt(std::fabs(static_cast<double>(a)) * PrinterDpi(true) /
                      Screen().PixelsPerInch());
}

int Offset300(Axis axis, int a, int n) {
    if (IsGenericPrinter()) return a;
    return a + RoundToInt(static_cast<double>(PrinterDpi(axis == Axis::Vertical)) * n / 300.0);
}

double UnitsToPixelsExact(bool vertical, double x) {
    if (!(x >= 0 && x <= 35000)) return 0;  // NaN too
    return x * PrinterDpi(vertical) / UnitsPerInch();
}

int UnitsToPixels(bool vertical, double x) {
    return RoundToInt(UnitsToPixelsExact(vertical, x));
}

double PixelsToUnits(int a, bool vertical) {
    const double units = static_cast<double>(a) * UnitsPerInch() / PrinterDpi(vertical);
    return units < 0 ? 0 : units;
}

bool IsGenericPrinter() {
    TPrinter& printer = Printer();
    const auto& names = printer.Printers();
    const int index = printer.PrinterIndex();
    if (index < 0 || index >= static_cast<int>(names.size())) return false;
    return names[static_cast<std::size_t>(index)].compare(0, 7, "Generic") == 0;
}

std::string LoadSuiteText(int id, const std::string& def) {
    std::string text = LoadStr(id);
    return text.empty() ? def : text;
}

bool NoPrinterAvailable() {
    if (!Printer().Printers().empty()) return false;
    Application().MessageBox(LoadSuiteText(17047, "Error: No Printer Available"), "",
                             MB_OK | MB_ICONINFORMATION);
    return true;
}

void TrimTrailingSpaces(std::string& text) {
    const auto last = text.find_last_not_of(' ');
    if (last == std::string::npos) return;  // empty, or spaces only: left as it is
    text.erase(last + 1);
}

void TrimLeadingSpaces(std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return;
    text.erase(0, first);
}

bool IsNumericText(std::string_view text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.')) return false;
    }
    return true;
}

bool ShowOnPage(TShow show, int page, bool lastPage) {
    const bool first = page == 1;
    switch (show) {
        case tFirstPage:
            return first;
        case tLastPage:
            return lastPage;
        case tAllPages:
            return true;
        case tAllButFirst:
            return !first;
        case tAllButLast:
            return !lastPage;
        case tFirstAndlast:
            return first || lastPage;
        case tAllButFirstAndLast:
            return !first && !lastPage;
    }
    return false;
}

namespace {
PageKind KindOf(TSendTo kind) {
    return kind == poHTML ? PageKind::Html : PageKind::Metafile;
}
}  // namespace

std::string PageFileBaseName(int n, TSendTo kind) {
    return PageFileBaseName(n, KindOf(kind));
}

std::string PageFileNameIn(const std::string& dir, int n, TSendTo kind) {
    return PageFilePathIn(dir, n, KindOf(kind));
}

std::string PageFileName(int n, TSendTo kind) {
    return PageFilePath(n, KindOf(kind));
}

int DeletePageFiles(TSendTo kind) {
    return DeletePages(KindOf(kind));
}

int StoredPageCount(TSendTo kind) {
    return StoredPageCount(KindOf(kind));
}

bool PageFileExists(int n, TSendTo kind) {
    return PageExists(n, KindOf(kind));
}

void ProcessPendingMessages() {
    Application().ProcessMessages();
}

void SetTransparentText(DeviceContext& dc) {
    dc.SetBkMode(TRANSPARENT);
}

void ResetClipRegion(DeviceContext& dc) {
    dc.SelectClipRgn(TRect{0, 0, 32000, 32000});
}

void SetWindowPaintDC(DeviceContext* dc) {
    gWindowPaintDC = dc;
}

DeviceContext* WindowPaintDC() {
    return gWindowPaintDC;
}

WindowBorder WindowBorderOf(const TWinControl& window) {
    // Our controls are always drawn 3-D: a single border is the sunken client edge.
    TBorderStyle style = bsNone;
    if (const auto* e = dynamic_cast<const TCustomEdit*>(&window)) {
        style = e->BorderStyle();
    } else if (const auto* p = dynamic_cast<const TCustomPanel*>(&window)) {
        style = p->BorderStyle();
    } else if (const auto* b = dynamic_cast<const TScrollBox*>(&window)) {
        style = b->BorderStyle();
    } else if (const auto* g = dynamic_cast<const TStringGrid*>(&window)) {
        style = g->BorderStyle();
    }
    return style == bsSingle ? WindowBorder::ClientEdge : WindowBorder::None;
}

namespace {

// One ring of an edge: top and left in `topLeft`, bottom and right in `bottomRight`; the
// rectangle shrinks by the ring.
void EdgeRing(DeviceContext& dc, TRect& r, TColor topLeft, TColor bottomRight) {
    if (r.IsEmpty()) return;
    const LogBrush tl{BS_SOLID, ColorToColorRef(topLeft), 0};
    const LogBrush br{BS_SOLID, ColorToColorRef(bottomRight), 0};
    dc.FillRect(TRect{r.Left, r.Top, r.Right - 1, r.Top + 1}, tl);
    dc.FillRect(TRect{r.Left, r.Top, r.Left + 1, r.Bottom - 1}, tl);
    dc.FillRect(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, br);
    dc.FillRect(TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, br);
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

}  // namespace

void DrawWindowBorder(const TWinControl& window, int width, int height) {
    DeviceContext* dc = gWindowPaintDC;
    if (!dc) return;
    const WindowBorder border = WindowBorderOf(window);
    if (border == WindowBorder::None) return;
    TRect r{0, 0, width, height};
    if (border == WindowBorder::ClientEdge) {
        EdgeRing(*dc, r, clBtnShadow, clBtnHighlight);  // outer sunken
        EdgeRing(*dc, r, cl3DDkShadow, cl3DLight);      // inner sunken
    } else {
        EdgeRing(*dc, r, clWindowFrame, clWindowFrame);  // flat
    }
    dc->MoveToEx(r.Left, r.Top);
    dc->LineTo(r.Right, r.Top);
    dc->LineTo(r.Right, r.Bottom);
    dc->LineTo(r.Left, r.Bottom);
    dc->LineTo(r.Left, r.Top);
}

namespace {

// The control's own face: the widget's picture when a widget shows it (rendered at the
// page's resolution), else its paint code.
void PaintFace(TWinControl& control, DeviceContext& dc) {
    const bool ownPaint = dynamic_cast<TCustomControl*>(&control) != nullptr;
    // A widget's picture has no words in it for a context that takes only text.
    const bool textOnly = dynamic_cast<TextOnlyContext*>(&dc) != nullptr;
    if (!ownPaint && !textOnly && control.Peer() && control.Width() > 0 && control.Height() > 0) {
        const XForm m = dc.LogicalToDevice();
        const double sx = std::fabs(m.m11) > 0 ? std::fabs(m.m11) : 1.0;
        const double sy = std::fabs(m.m22) > 0 ? std::fabs(m.m22) : 1.0;
        int w = std::max(1, RoundToInt(control.Width() * sx));
        int h = std::max(1, RoundToInt(control.Height() * sy));
        // A large control on a fine printer would make a picture of hundreds of megabytes,
        // held three times (rendered, copied, recorded in the page): above the cap it is
        // rendered smaller and stretched, which still prints it at several hundred ppi.
        const double pixels = static_cast<double>(w) * h;
        if (pixels > kMaxControlPicturePixels) {
            const double f = std::sqrt(kMaxControlPicturePixels / pixels);
            w = std::max(1, static_cast<int>(w * f));
            h = std::max(1, static_cast<int>(h * f));
        }
        TBitmap picture;
        if (Desktop().RenderControl(control, w, h, picture) && !picture.Empty()) {
            dc.StretchDIBits(0, 0, control.Width(), control.Height(), 0, 0, picture.Width(),
                             picture.Height(), picture.View(), SRCCOPY);
            return;
        }
    }
    // Its own face, then the controls without a window of their own that sit on it (window
    // children are painted one by one by the caller).
    control.PaintSelf(dc);
    const TPoint offset = control.ClientOffset();
    for (int i = 0; i < control.ControlCount(); ++i) {
        TControl* child = control.Controls(i);
        if (!child->Visible() || dynamic_cast<TWinControl*>(child)) continue;
        ScopedDcSave save(dc);
        dc.IntersectClipRect(0, 0, control.Width(), control.Height());
        child->PaintTo(dc, offset.X + child->Left(), offset.Y + child->Top());
    }
}

// The page rectangle, in printer pixels, of the logical area (0, 0)-(width, height) of `dc`
// (a page's device pixels are the printer's, whatever reference it is recorded against).
TRect PagePrinterRect(const DeviceContext& dc, int width, int height) {
    const TPointF a = dc.LPtoDP({0, 0});
    const TPointF b = dc.LPtoDP({static_cast<double>(width), static_cast<double>(height)});
    auto px = [](double v) {
        return static_cast<int>(std::clamp(std::lround(v), -(1L << 30), 1L << 30));
    };
    return TRect{px(std::min(a.X, b.X)), px(std::min(a.Y, b.Y)), px(std::max(a.X, b.X)),
                 px(std::max(a.Y, b.Y))};
}

}  // namespace

void PaintWindowTo(TWinControl& control, DeviceContext& dc, int left, int top, int width,
                   int height) {
    ScopedDcSave save(dc);
    const bool custom = dynamic_cast<TVexCustom*>(&control) != nullptr;
    if (!custom) {
        if (gWindowPaintDC) ResetClipRegion(*gWindowPaintDC);
        dc.OffsetWindowOrgEx(-left, -top);
        dc.IntersectClipRect(0, 0, width, height);
    }
    auto* cont = dynamic_cast<TVexContinuing*>(&control);
    auto* self = dynamic_cast<TVexSelfPrinting*>(&control);
    if (cont || self) {
        // The rich edit and its continuation panels print text into their own rectangle on
        // the page, in printer pixels, whatever mapping the caller left on the context.
        TVexSelfPrinting* target = cont ? cont->ContinuedControl() : self;
        if (target) {
            TVexPrint request;
            const TRect r = PagePrinterRect(dc, width, height);
            request.left = request.currentX = r.Left;
            request.top = request.currentY = r.Top;
            request.right = r.Right;
            request.bottom = r.Bottom;
            request.dc = &dc;
            target->PrintRequest(request);
        }
    } else {
        PaintFace(control, dc);
    }
    for (int i = 0; i < control.ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(control.Controls(i));
        if (!child || !child->Visible()) continue;
        PaintWindowTo(*child, dc, child->Left(), child->Top(), child->Width(), child->Height());
    }
    if (custom) {
        dc.OffsetWindowOrgEx(-left, -(top + TVexCustom::kTitleStrip));
        DrawWindowBorder(control, width, height - TVexCustom::kTitleStrip);
    } else {
        if (gWindowPaintDC) ResetClipRegion(*gWindowPaintDC);
        DrawWindowBorder(control, width, height);
    }
}

namespace {

void ScaleChildren(TWinControl& parent, const std::function<int(int)>& scale) {
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl* c = parent.Controls(i);
        c->SetBounds(scale(c->Left()), scale(c->Top()), scale(c->Width()), scale(c->Height()));
        if (!c->ParentFont()) c->Font().SetHeight(scale(c->Font().Height()));
        if (auto* w = dynamic_cast<TWinControl*>(c)) ScaleChildren(*w, scale);
    }
}

}  // namespace

void ScaleDialogToScreen(TForm& form, int designPixelsPerInch) {
    const int ppi = Screen().PixelsPerInch();
    if (ppi == designPixelsPerInch || designPixelsPerInch <= 0) return;
    const std::function<int(int)> scale = [ppi, designPixelsPerInch](int v) {
        return RoundToInt(static_cast<double>(v) * ppi / designPixelsPerInch);
    };
    ScaleChildren(form, scale);
    form.Font().SetHeight(scale(form.Font().Height()));
    if (form.Height() > 0) form.SetHeight(scale(form.Height()));
    if (form.Width() > 0) form.SetWidth(scale(form.Width()));
    form.SetPixelsPerInch(ppi);
}

}  // namespace quillon
