// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Rich text formatting on Qt's text layout: a document is laid out at the target context's
// resolution and each band is emitted as text runs with their fonts and colours (list marks
// as text, rules as lines), so printed rich text stays real text in page files and PDFs.

#include <QImage>
#include <QString>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>

#include "platform/sys/limits.h"

#include "platform/vcl/rich_text.h"

namespace quillon {

std::unique_ptr<RichTextEngine> MakeQtRichTextEngine();

// What a rich text names from outside: pictures come only from regular files (and data
// addresses) within the rich text limits, decoded with their pixel count known from the header
// first; a picture refused, or past the document's budget of pixels, is an empty square, with a
// notice. Style sheets are not read. Never a device, a pipe or a file read without end.
// Documents and text widgets answer their loadResource with Load.
class RichTextResources {
  public:
    QVariant Load(int type, const QUrl& url);

  private:
    std::map<QString, QImage> images_;
    std::int64_t budget_ = limits::kMaxRichTextImagePixels;
};

// A text document whose pictures come through RichTextResources.
class QtRichTextDocument : public QTextDocument {
  public:
    using QTextDocument::QTextDocument;

  protected:
    QVariant loadResource(int type, const QUrl& name) override {
        return resources_.Load(type, name);
    }

  private:
    RichTextResources resources_;
};

}  // namespace quillon
