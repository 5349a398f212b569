// SPDX-License-Identifier: GPL-2.0-or-later
// Rich text from outside, as a rich edit holds it: bounded, then laid out by the Qt text
// layout and printed band by band onto a small image. The first byte chooses HTML, Markdown
// or plain text. Nothing may crash, hang or run out of memory, the bounded text stays within
// a small multiple of its source, and every band moves the position on.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/sys/notice.h"
#include "platform/vcl/rich_text.h"
#include "platform/vcl/rich_text_bounds.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static quillon::QtGraphicsSession session;
    quillon::SetNoticeSink([](const std::string&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quillon;
    if (size == 0) return 0;
    static constexpr TRichTextFormat kFormats[] = {rfHtml, rfMarkdown, rfPlainText};
    const std::string_view source(reinterpret_cast<const char*>(data) + 1, size - 1);
    BoundedRichText bounded = BoundRichText(source, kFormats[data[0] % 3]);
    if (bounded.text.size() > 2 * source.size() + 16) std::abort();

    TRichDocument doc;
    doc.text = std::move(bounded.text);
    doc.format = kFormats[data[0] % 3];
    doc.font.faceName = "Liberation Serif";
    doc.font.height = -13;
    RichTextEngine& engine = GetRichTextEngine();
    const int length = engine.Length(doc);
    QtImageDC image(160, 120);
    int first = 0;
    for (int band = 0; first < length && band < 64; ++band) {
        const int next = engine.FormatRange(doc, image.DC(), {0, 0, 160, 120}, first, true, 0);
        if (next <= first) std::abort();
        first = next;
    }
    image.Finish();
    return 0;
}
