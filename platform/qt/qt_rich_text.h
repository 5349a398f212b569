// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Rich text formatting on Qt's text layout: a document is laid out at the target context's
// resolution and each band is emitted as text runs with their fonts and colours (list marks
// as text, rules as lines), so printed rich text stays real text in page files and PDFs.

#include <memory>

#include "platform/vcl/rich_text.h"

namespace quillon {

std::unique_ptr<RichTextEngine> MakeQtRichTextEngine();

}  // namespace quillon
