// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Rich text formatting as a service: a rich edit's document (an HTML subset or Markdown, else
// plain text) formatted into a rectangle of any device context, band by band, as printing
// asks for it. Character positions count UTF-16 units of
// the document's text, each paragraph break one.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gdi/device_context.h"
#include "platform/vcl/controls.h"

namespace quillon {

enum TRichTextFormat : std::uint8_t { rfPlainText, rfHtml, rfMarkdown };

// What the formatting service needs of a rich edit.
struct TRichDocument {
    std::string text;  // UTF-8, in its format
    TRichTextFormat format = rfPlainText;
    LogFont font;      // the default font; height in pixels at 96 per inch
    TColorRef color = 0;
};

// Formats documents into device contexts. The Qt backend installs one built on its text
// layout; without it, a plain-text formatter shows the text as it stands.
class RichTextEngine {
  public:
    virtual ~RichTextEngine() = default;
    // The number of positions of the document.
    virtual int Length(const TRichDocument& doc) = 0;
    // Lays the document out across `rect` (logical units of `dc`, at the context's own
    // resolution) from position `first`, and draws the lines that fit when `render` is set.
    // Answers the first position that did not fit (Length when everything did); a first
    // line taller than the rectangle is still taken, so that every call moves on.
    // `devicePpi` is the pixels per inch of the context's device when the context does not
    // tell them itself (a page recorded against the screen as its reference); 0: as it says.
    virtual int FormatRange(const TRichDocument& doc, DeviceContext& dc, const TRect& rect,
                            int first, bool render, int devicePpi) = 0;
};

RichTextEngine& GetRichTextEngine();
// Installs an engine (nullptr: the plain-text one); answers the one installed before.
RichTextEngine* SetRichTextEngine(RichTextEngine* engine);

// The plain-text formatter, also used where no backend is installed.
class PlainRichTextEngine final : public RichTextEngine {
  public:
    int Length(const TRichDocument& doc) override;
    int FormatRange(const TRichDocument& doc, DeviceContext& dc, const TRect& rect, int first,
                    bool render, int devicePpi) override;
};

extern const TEnumInfo kRichTextFormatNames;

}  // namespace quillon
