// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/text_measurer.h"

#include <cmath>

#include "platform/sys/rounding.h"

namespace quillon {

double FixedAdvanceMeasurer::EmHeight(const LogFont& font) {
    if (font.height == 0) return kDefaultFontHeight;
    return std::abs(static_cast<double>(font.height));
}

FontMetricsF FixedAdvanceMeasurer::Metrics(const LogFont& font, int /*pixelsPerInch*/) {
    const double em = EmHeight(font);
    FontMetricsF m;
    m.ascent = em * ascentPerEm_;
    m.descent = em - m.ascent;
    m.internalLeading = 0;
    m.averageCharWidth = em * advancePerEm_;
    return m;
}

void FixedAdvanceMeasurer::Advances(const LogFont& font, int /*pixelsPerInch*/,
                                    std::u16string_view text, std::vector<double>& advances) {
    advances.clear();
    advances.reserve(text.size());
    const double advance = EmHeight(font) * advancePerEm_;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        // The low half of a surrogate pair belongs to the character started before it.
        const bool trailing =
            u >= 0xDC00 && u <= 0xDFFF && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
        advances.push_back(trailing ? 0.0 : advance);
    }
}

void RoundAdvances(const std::vector<double>& advances, std::vector<int>& out) {
    out.clear();
    out.reserve(advances.size());
    double sum = 0;
    int previous = 0;
    for (double a : advances) {
        sum += a;
        const int rounded = RoundToInt(sum);
        out.push_back(rounded - previous);
        previous = rounded;
    }
}

}  // namespace quillon
