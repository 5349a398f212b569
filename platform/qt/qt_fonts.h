// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Fonts on the Qt side: which installed family a face name means, the size a font record
// asks for, text measurement with QFontMetricsF, and the raw fonts the painter context
// draws glyphs with. Measurement and drawing use the same unhinted outlines, so a text
// drawn where it was measured fills exactly the width it was measured at.

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QRawFont>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/text_measurer.h"

namespace quillon {

// The installed family that stands for a face name. The classic faces the forms use map to
// the metric-compatible Liberation faces ("Arial", "MS Sans Serif" and "System" to
// Liberation Sans, "Courier New" to Liberation Mono, "Times New Roman" to Liberation
// Serif; case does not matter); another installed family is taken as it is, and a face
// that is not installed becomes Liberation Sans.
QString FamilyForFace(std::string_view face);

// A font record resolved for Qt: family, weight, slant and the character height (em size)
// in the units of the record's height.
struct ResolvedFont {
    QString family;
    int weight = 400;  // 1..1000, as QFont takes it
    bool italic = false;
    double em = kDefaultFontHeight;
    // Horizontal stretch from a non-zero record width (1 for the face's own proportions).
    double stretch = 1.0;
};

// Resolves `font` (height convention: positive cell height, negative character height,
// 0 the default). The cell-to-em ratio of the family is looked up once and cached.
ResolvedFont ResolveFont(const LogFont& font);

// A QFont for `r` whose pixel size is `emPixels` on a device of `pixelsPerInch`, with
// hinting off (outlines and advances as designed).
QFont MakeQFont(const ResolvedFont& r, double emPixels, int pixelsPerInch);

// The raw font used to draw glyphs of `r` at `emDevicePixels`. A few recently used sizes
// are kept.
QRawFont RawFontFor(const ResolvedFont& r, double emDevicePixels);
// Drops the raw fonts kept by RawFontFor (before Qt shuts down).
void ReleaseRawFonts();

// The text measurer of the Qt backend: QFontMetricsF on the unhinted outlines, so that the
// advances do not depend on the device's resolution (a 50-pixel font measures the same on
// the screen and on a printer) and scale exactly with fractional sizes.
class QtTextMeasurer final : public TextMeasurer {
  public:
    QtTextMeasurer();
    ~QtTextMeasurer() override;

    FontMetricsF Metrics(const LogFont& font, int pixelsPerInch) override;
    void Advances(const LogFont& font, int pixelsPerInch, std::u16string_view text,
                  std::vector<double>& advances) override;

  private:
    struct Entry;
    Entry& EntryFor(const ResolvedFont& font);

    std::vector<std::unique_ptr<Entry>> entries_;  // most recently used last
};

}  // namespace quillon
