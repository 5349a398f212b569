// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The page store and the settings store of print jobs. Every page of a job is one enhanced
// metafile, page file n (PageFileName), in the process's private temporary directory; there
// is no index: the pages of a job are files 1, 2, ... up to the first one that is missing.
// At the start of every job the drawing layer records the printer's page and the preview's
// settings under the per-user key "Tallet.Ini", subkey "Printer"; the preview reads them
// back, each with the default below when the value is missing.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/printer_device.h"
#include "printsuite/base/Vex_Types.h"

namespace quillon {

struct EmfHeaderInfo;
class TPrinter;

inline constexpr const char* kSettingsKey = "Tallet.Ini";
inline constexpr const char* kSettingsSubkey = "Printer";

// Value names and the defaults their readers take.
inline constexpr const char* kPageHeightValue = "PageHeight";  // printer pixels, decimal
inline constexpr const char* kPageHeightDefault = "3112";
inline constexpr const char* kPageWidthValue = "PageWidth";
inline constexpr const char* kPageWidthDefault = "2400";
inline constexpr const char* kOrientationValue = "Orientation";  // "Landscape" or "Portrait"
inline constexpr const char* kOrientationDefault = "Portrait";
inline constexpr const char* kViewBackgroundValue = "View Background";  // RGB, decimal
inline constexpr const char* kViewBackgroundDefault = "1234";
inline constexpr const char* kPreviewHeadingValue = "Preview Heading";
inline constexpr const char* kPreviewHeadingDefault = "Ostra Preview";
inline constexpr const char* kPrinterNameValue = "PrinterName";
inline constexpr const char* kPrinterIndexValue = "PrinterIndex";  // decimal
inline constexpr const char* kPrinterIndexDefault = "-1";
inline constexpr const char* kZoomFactorValue = "ZoomFactor";
inline constexpr const char* kDirectoryValue = "Directory";  // the job's current directory
inline constexpr const char* kDirectoryDefault = ".";

// What a job records when it starts.
struct JobSettings {
    int pageHeight = 0;  // printer pixels
    int pageWidth = 0;
    bool landscape = false;
    int viewBackground = 0;  // an RGB colour (system colours already resolved)
    std::string heading;
    std::string printerName;
    int printerIndex = -1;
    double zoomFactor = 0;
    std::string directory;
};

// The values to write, as name and text, in the order they are written.
std::vector<std::pair<std::string, std::string>> JobSettingsValues(const JobSettings& settings);

// Writes the values under "Tallet.Ini", "Printer".
void WriteJobSettings(const JobSettings& settings);
// A value of "Tallet.Ini", "Printer", or `fallback` when it is missing.
std::string ReadJobSetting(const std::string& name, const std::string& fallback);

// Plays the stored pages of that kind onto the current printer as one document, each into
// (0, 0, screen width, screen height) so that what was recorded at a printer pixel lands on
// it; goes to the last stored page, and stops earlier only after the page during which the
// status dialog's Abort was pressed or at a page that cannot be read or played (reported).
// Does nothing while the printer is printing. A printer that cannot start or a page that
// cannot be played is reported in a message box.
//
// `wanted` chooses the pages (all when empty): the chosen ones go into the one document in
// ascending order, and no document is begun when none is chosen.
using PageFilter = std::function<bool(int page)>;
void PrintStoredPages(TSendTo kind, bool showStatus, const PageFilter& wanted = {});

// How the stored pages of a job are turned on the printer: a page made for the job's page (as
// the settings store records it) in the job's orientation, a page made for a page of another
// shape (a picture of another program laid out on the sheet that fits it best) in its own.
struct StoredPageTurn {
    TPrinterOrientation job = poPortrait;
    int pageWidth = 0;  // the job's page, printer pixels (0 when the store does not say)
    int pageHeight = 0;
    TPrinterOrientation For(const EmfHeaderInfo& page) const;
};
StoredPageTurn ReadStoredPageTurn();
// Begins the document with its first stored page (`begun` false) or the next page, in
// `orientation`; false, the printer's reason shown, when the printer refuses.
bool BeginStoredPage(TPrinter& printer, bool& begun, TPrinterOrientation orientation);

// A failure on the print path, told to the user in an information box.
void ShowPrintError(const std::string& message);

}  // namespace quillon
