// SPDX-License-Identifier: GPL-2.0-or-later
// Hostile pages played into the Qt painter context, where the geometry meets real pixels and
// a PDF writer: onto a small image and a small PDF page, offscreen. Every file either plays
// or is refused with a reason; none may crash, hang, run out of memory or hit undefined
// behaviour (the fuzz build makes the undefined-behaviour checks fatal).

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

#include "platform/emf/emf_player.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_painter_dc.h"

namespace {

// A page of this many device pixels a side: large enough for shapes to matter, small enough
// that each run is quick.
constexpr int kSide = 192;
const quillon::TRect kTarget{0, 0, kSide, kSide};

void PlayIntoImage(std::span<const std::uint8_t> input, const std::string& parseReason) {
    quillon::QtImageDC image(kSide, kSide);
    const quillon::Result<void> played = quillon::PlayEmf(input, image.DC(), kTarget);
    if (played.ok() != parseReason.empty() || played.reason() != parseReason) std::abort();
    image.Finish();
}

void PlayIntoPdf(std::span<const std::uint8_t> input) {
    quillon::QtPdfPageDC pdf(kSide);
    if (!pdf.Ok()) std::abort();
    static_cast<void>(quillon::PlayEmf(input, pdf.DC(), kTarget));
    pdf.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static quillon::QtGraphicsSession session;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    // The page's own checks come first, as render-page and the preview do.
    const quillon::Result<quillon::EmfParseStats> parsed = quillon::ParseEmf(input);
    PlayIntoImage(input, parsed.reason());
    if (parsed) PlayIntoPdf(input);
    return 0;
}
