// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Text measurement as a service: every device context asks the installed measurer for the
// advances of a text in a font, so that what the page recorder measures and what callers
// measure on the printer canvas agree. The Qt backend installs a measurer backed by the
// real fonts; without a backend the fixed-advance measurer below is used, which makes
// every coordinate exact and predictable.

#include <string_view>
#include <vector>

#include "platform/gdi/gdi.h"

namespace quillon {

// Metrics of a font in the units of its height (logical units of the device context).
struct FontMetricsF {
    double ascent = 0;           // baseline to the top of the cell
    double descent = 0;          // baseline to the bottom of the cell
    double internalLeading = 0;  // cell height minus character height
    double averageCharWidth = 0;
    double Height() const { return ascent + descent; }  // the cell height
};

class TextMeasurer {
  public:
    virtual ~TextMeasurer() = default;
    // `font.height` follows the classic convention (positive: cell height, negative:
    // character height, 0: default). `pixelsPerInch` is the device's vertical resolution,
    // for measurers that hint at it.
    virtual FontMetricsF Metrics(const LogFont& font, int pixelsPerInch) = 0;
    // One advance per UTF-16 code unit of `text` (the second unit of a surrogate pair gets 0),
    // appended to `advances` after clearing it.
    virtual void Advances(const LogFont& font, int pixelsPerInch, std::u16string_view text,
                          std::vector<double>& advances) = 0;
};

// Every character advances `advancePerEm` times the character height; the cell height is
// the character height (no internal leading), with `ascentPerEm` of it above the baseline.
// The character height is |height| (cell and character heights are the same here), or
// kDefaultFontHeight for height 0. Bold, italic and the face do not change anything.
class FixedAdvanceMeasurer : public TextMeasurer {
  public:
    explicit FixedAdvanceMeasurer(double advancePerEm = 0.5, double ascentPerEm = 0.75)
        : advancePerEm_(advancePerEm), ascentPerEm_(ascentPerEm) {}

    FontMetricsF Metrics(const LogFont& font, int pixelsPerInch) override;
    void Advances(const LogFont& font, int pixelsPerInch, std::u16string_view text,
                  std::vector<double>& advances) override;

    static double EmHeight(const LogFont& font);

  private:
    double advancePerEm_;
    double ascentPerEm_;
};

// Integer advances whose running sum stays within half a unit of the exact running sum:
// out[i] = round(sum of advances[0..i]) - round(sum of advances[0..i-1]). The total is the
// rounded total width, so recorded glyph positions and measured widths agree.
void RoundAdvances(const std::vector<double>& advances, std::vector<int>& out);

}  // namespace quillon
