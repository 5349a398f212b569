#include "printsuite/base/Vex_MFunc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/device_context.h"
#include "platform/printer.h"
#include "platform/rounding.h"
#include "platform/screen.h"
#include "platform/string_table.h"
#include "platform/temp_dir.h"

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

std::string PageFileBaseName(int n, TSendTo kind) {
    char buf[32];
    std::snprintf(buf, sizeof buf, kind == poHTML ? "PRN%.3d.HTM" : "PRN%.3d.EMF", n);
    return buf;
}

std::string PageFileNameIn(const std::string& dir, int n, TSendTo kind) {
    std::string path = dir;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + PageFileBaseName(n, kind);
}

std::string PageFileName(int n, TSendTo kind) {
    const std::string dir = ProcessTempDir();
    if (dir.empty()) return {};
    return PageFileNameIn(dir, n, kind);
}

int DeletePageFiles(TSendTo kind) {
    int seen = 0;
    for (int n = 1; n <= kMaxPageFiles; ++n) {
        const std::string path = PageFileName(n, kind);
        struct stat st {};
        // A link counts as present (and is removed, not followed).
        if (path.empty() || lstat(path.c_str(), &st) != 0) break;
        ++seen;
        unlink(path.c_str());
    }
    return seen;
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

}  // namespace quillon
