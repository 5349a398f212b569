// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/base/PrnWin_store.h"


#include "platform/sys/desktop.h"
#include "platform/sys/sysutils.h"
#include "platform/vcl/forms.h"
#include "printsuite/base/Vex_MFunc.h"

namespace quillon {

std::vector<std::pair<std::string, std::string>> JobSettingsValues(const JobSettings& s) {
    return {
        {kPageHeightValue, std::to_string(s.pageHeight)},
        {kPageWidthValue, std::to_string(s.pageWidth)},
        {kOrientationValue, s.landscape ? "Landscape" : "Portrait"},
        {kViewBackgroundValue, std::to_string(s.viewBackground)},
        {kPreviewHeadingValue, s.heading},
        {kPrinterNameValue, s.printerName},
        {kPrinterIndexValue, std::to_string(s.printerIndex)},
        {kZoomFactorValue, FloatToStr(s.zoomFactor)},
        {kDirectoryValue, s.directory},
    };
}

void WriteJobSettings(const JobSettings& settings) {
    TRegIniFile store(kSettingsKey);
    for (const auto& [name, value] : JobSettingsValues(settings))
        store.WriteString(kSettingsSubkey, name, value);
}

std::string ReadJobSetting(const std::string& name, const std::string& fallback) {
    return TRegIniFile(kSettingsKey).ReadString(kSettingsSubkey, name, fallback);
}

void ShowPrintError(const std::string& message) {
    Application().MessageBox(message, "", MB_OK | MB_ICONINFORMATION);
}

}  // namespace quillon
