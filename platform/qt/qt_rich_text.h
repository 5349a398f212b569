// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Rich text formatting on Qt's text layout: a document is laid out at the target context's
// resolution and each band is emitted as text runs with their fonts and colours (list marks
// as text, rules as lines), so printed rich text stays real text in page files and PDFs.

#include <QTextDocument>
#include <QUrl>
#include <QVariant>
#include <memory>
#include <optional>

#include "platform/vcl/rich_text.h"

namespace quillon {

std::unique_ptr<RichTextEngine> MakeQtRichTextEngine();

// A resource (an image) that rich text names by a file: read only from a regular file and
// bounded by limits::kMaxImageFileBytes, so that a FIFO cannot hold the layout up nor a device
// fill the memory. A file refused gives an empty value and one line on standard error.
// nullopt for names that are not files (the toolkit's own resources).
std::optional<QVariant> LoadRichTextFile(const QUrl& name);

// A text document whose images come through LoadRichTextFile.
class QtRichTextDocument : public QTextDocument {
  public:
    using QTextDocument::QTextDocument;

  protected:
    QVariant loadResource(int type, const QUrl& name) override;
};

}  // namespace quillon
