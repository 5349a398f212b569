// Hostile pages played into the Qt painter context, where the geometry meets real pixels and
// a PDF writer: onto a small image and a small PDF page, offscreen. Every file either plays
// or is refused with a reason; none may crash, hang, run out of memory or hit undefined
// behaviour (the fuzz build makes the undefined-behaviour checks fatal).

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

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
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(QPageSize(QSizeF(kSide, kSide), QPageSize::Point, QString(),
                                               QPageSize::ExactMatch),
                                     QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer)) std::abort();
    quillon::DeviceCaps caps;
    caps.technology = quillon::DT_RASPRINTER;
    caps.widthPixels = caps.heightPixels = kSide;
    caps.logPixelsX = caps.logPixelsY = 72;
    {
        quillon::QtPainterDC dc(painter, caps);
        static_cast<void>(quillon::PlayEmf(input, dc, kTarget));
    }
    painter.end();
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
