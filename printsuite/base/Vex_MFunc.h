// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Free functions the print components share: conversions between the job's units, screen
// pixels and printer pixels; small printer offsets; the page files' names and clean-up; the
// suite's texts by number; text and drawing helpers; the page rule of decorations.

#include <string>
#include <string_view>

#include "printsuite/base/Vex_Types.h"

namespace quillon {

class DeviceContext;
class TForm;
class TWinControl;

// ---------------------------------------------------------------------------------------------
// Arithmetic. Every rounding is to nearest, ties to even.

double IntToReal(int a);
// a / b rounded; a division by zero saturates (or gives 0 for 0 / 0) instead of trapping.
int RoundDiv(double a, double b);
// a / b in floating point, truncated toward zero; 0 when b is 0.
int TruncDiv(int a, int b);

// ---------------------------------------------------------------------------------------------
// Units. The metric flag is process-wide: a job sets it when it starts.

// Sets the metric flag to (flag != 0); returns flag.
int SetMetricUnits(int flag);
bool MetricUnits();

// Conversions use the current printer's resolution (the screen's without printers).
enum class Axis { Horizontal, Vertical };

// Screen pixels to printer pixels: round(|a| x printer DPI / screen DPI) (the sign is dropped).
int ScreenToPrinterX(int a);
int ScreenToPrinterY(int a);
// a (printer pixels) moved by n/300 inch on that axis; unchanged on a text-only printer.
int Offset300(Axis axis, int a, int n);
// x in the job's units (inches, or centimetres with the metric flag) to printer pixels;
// 0 when x is below 0 or above 35000.
int UnitsToPixels(bool vertical, double x);
double UnitsToPixelsExact(bool vertical, double x);
// Printer pixels to the job's units; never negative.
double PixelsToUnits(int a, bool vertical);

// ---------------------------------------------------------------------------------------------
// Printers.

// The current printer's name begins with "Generic" (case-sensitive): a text-only printer.
bool IsGenericPrinter();
// No printer at all: says so in a message box and returns true.
bool NoPrinterAvailable();

// ---------------------------------------------------------------------------------------------
// The suite's texts: the application's string-table text with that number, else `def`.
std::string LoadSuiteText(int id, const std::string& def);

// ---------------------------------------------------------------------------------------------
// Text helpers. Only the space (code 32) counts as a space here.

// Removes the spaces at the end (start) of `text`; a text of nothing but spaces stays as it is.
void TrimTrailingSpaces(std::string& text);
void TrimLeadingSpaces(std::string& text);
// Every character a decimal digit or a full stop (so the empty text is numeric).
bool IsNumericText(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Whether a decoration with the setting `show` appears on page `page` (the first page is 1;
// `lastPage` marks the last one).
bool ShowOnPage(TShow show, int page, bool lastPage);

// ---------------------------------------------------------------------------------------------
// Page files: "PRN001.EMF", "PRN002.EMF", ... "PRN1000.EMF" ("PRN%.3d.HTM" for poHTML), kept
// by the page store (platform/emf/page_store.h); these name them by the job's output kind.

// The bare name of page file n.
std::string PageFileBaseName(int n, TSendTo kind);
// `dir` joined with the bare name (no separator doubled; the bare name when `dir` is empty).
std::string PageFileNameIn(const std::string& dir, int n, TSendTo kind);
// The full path of page file n in the process's private temporary directory. Empty when that
// directory cannot be made: page files never fall back to a shared or unknown place.
std::string PageFileName(int n, TSendTo kind);
// Deletes page files 1, 2, ... of that kind up to the last stored one (the first number
// whose file does not exist ends the pages), without a limit. Failures to delete are ignored.
// Returns how many files were seen.
int DeletePageFiles(TSendTo kind);
// How many pages of that kind are stored (1, 2, ... up to the first missing one).
int StoredPageCount(TSendTo kind);
// Whether page file n exists (a link in its place counts and is never followed).
bool PageFileExists(int n, TSendTo kind);

// Lets pending window messages run (the status dialog's Abort, repaints).
void ProcessPendingMessages();

// ---------------------------------------------------------------------------------------------
// Drawing helpers.

// Text and hatch backgrounds become transparent.
void SetTransparentText(DeviceContext& dc);
// The clip region becomes the rectangle (0, 0, 32000, 32000).
void ResetClipRegion(DeviceContext& dc);

// The context window printing paints into (set by the job's window printer before it calls
// PaintWindowTo; the job owns it).
void SetWindowPaintDC(DeviceContext* dc);
DeviceContext* WindowPaintDC();

// How a window shows its border on screen.
enum class WindowBorder { None, ClientEdge, Plain };
WindowBorder WindowBorderOf(const TWinControl& window);

// Draws the window's border around (0, 0, width, height) on the window-painting context: a
// sunken 3-D edge for a client edge, a flat one for a plain border, then a one-pixel outline
// with the context's pen along the rectangle inside the edge. Nothing without a border.
void DrawWindowBorder(const TWinControl& window, int width, int height);

// Paints a window control and its visible window children into dc, each through its own
// paint code (screen pixels; the caller has mapped them onto the page and set the
// window-painting context): controls a widget shows are rendered by the backend as a
// bitmap when it can; the suite's self-printing controls get a TVexPrint request; a
// TVexCustom leaves its 20-pixel title strip out.
void PaintWindowTo(TWinControl& control, DeviceContext& dc, int left, int top, int width,
                   int height);

// Scales a dialog laid out at `designPixelsPerInch` to the screen's pixels per inch: the
// window, every control inside it (at any depth) and their fonts, so that nothing is cut off.
void ScaleDialogToScreen(TForm& form, int designPixelsPerInch);

// The most pixels of the picture a widget is rendered into for printing (16 MB of colour).
inline constexpr double kMaxControlPicturePixels = 4194304.0;

}  // namespace quillon
