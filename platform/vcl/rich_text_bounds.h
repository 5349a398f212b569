// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Rich text held to what the text layout can take in time and memory, before it is parsed:
// the limits of limits.h (nesting, tables, cells, characters, lengths, Markdown marks) applied
// to the source itself, so that the parser never sees a document past them.

#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/rich_text.h"

namespace quillon {

struct BoundedRichText {
    std::string text;               // the source, flattened or cut where it passed a limit
    std::vector<std::string> cuts;  // what was changed, one short phrase each; empty: nothing
};

// Bounds a document in its format (plain text is only cut at its length). Markdown's HTML
// passes through the same bounds as a document in HTML.
BoundedRichText BoundRichText(std::string_view text, TRichTextFormat format);

// The one line telling what BoundRichText changed, "NAME: rich text past the program's
// limits: ..." ("" when nothing was).
std::string RichTextCutNotice(const std::string& name, const std::vector<std::string>& cuts);

}  // namespace quillon
