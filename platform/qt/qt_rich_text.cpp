// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_rich_text.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/qt/qt_fonts.h"
#include "platform/sys/files.h"
#include "platform/sys/interrupt.h"
#include "platform/sys/limits.h"
#include "platform/sys/notice.h"

namespace quillon {

namespace {

struct LineInfo {
    QTextBlock block;
    int line = 0;       // index in the block's layout
    int start = 0;      // document position
    int length = 0;
    double top = 0;     // logical units, from the document's top
    double height = 0;
    QRectF blockRect;
};

// One laid-out document; the last one is kept, as printing asks for band after band.
struct Laidout {
    std::string text;
    TRichTextFormat format = rfPlainText;
    LogFont font;
    TColorRef color = 0;
    int width = 0;
    int ppi = 0;
    QImage device;
    std::unique_ptr<QTextDocument> doc;
    std::vector<LineInfo> lines;
    std::vector<bool> breakable;  // per line: a band may start there
    int length = 0;
};

// A picture decoded within `budget` pixels (what is left of the document's), its size read
// from its header before a pixel is decoded.
Result<QImage> DecodePicture(QByteArray bytes, std::int64_t& budget) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid()) return Error{"not a picture the program reads"};
    const std::int64_t pixels = std::int64_t{size.width()} * size.height();
    if (pixels > limits::kMaxRichTextImagePixels)
        return Error{std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                     " pixels, more than " + std::to_string(limits::kMaxRichTextImagePixels >> 20) +
                     " M"};
    if (pixels > budget) return Error{"past the document's budget of pixels"};
    reader.setAllocationLimit(static_cast<int>((limits::kMaxRichTextImagePixels * 4) >> 20) + 1);
    QImage image;
    if (!reader.read(&image) || image.isNull()) return Error{"not a picture the program reads"};
    budget -= pixels;
    return image;
}

}  // namespace

QVariant RichTextResources::Load(int type, const QUrl& url) {
    if (type == QTextDocument::StyleSheetResource) {
        InputNotice("rich text style sheet " + url.toString().toStdString() + " is not read");
        return QByteArray(" ");
    }
    if (type != QTextDocument::ImageResource) return QByteArray(" ");
    const QString key = url.toString();
    if (const auto it = images_.find(key); it != images_.end()) return it->second;
    Result<QImage> image = Error{""};
    if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0) {
        // data:[type][;base64],payload; already within the text's own limits.
        const QString all = url.toString(QUrl::FullyEncoded);
        const qsizetype comma = all.indexOf(QLatin1Char(','));
        const QByteArray payload =
            comma < 0 ? QByteArray()
                      : QByteArray::fromPercentEncoding(all.mid(comma + 1).toLatin1());
        image = DecodePicture(all.left(std::max<qsizetype>(comma, 0))
                                      .endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)
                                  ? QByteArray::fromBase64(payload)
                                  : payload,
                              budget_);
        if (!image) image = Error{"in a data address: " + image.reason()};
    } else if (url.scheme().isEmpty() || url.isLocalFile()) {
        const std::string path = (url.isLocalFile() ? url.toLocalFile() : url.path()).toStdString();
        struct stat st {};
        if (stat(path.c_str(), &st) == 0) {
            Result<std::vector<std::uint8_t>> bytes =
                ReadRegularFile(path, static_cast<std::size_t>(limits::kMaxRichTextImageBytes));
            if (!bytes) {
                image = bytes.error();
            } else {
                image = DecodePicture(QByteArray(reinterpret_cast<const char*>(bytes->data()),
                                                 static_cast<qsizetype>(bytes->size())),
                                      budget_);
                if (!image) image = Error{path + ": " + image.reason()};
            }
        }
        // A missing picture is left out quietly, as the toolkit does.
    } else {
        image = Error{key.toStdString() + ": not a file"};  // nothing is fetched from elsewhere
    }
    if (!image) {
        if (!image.reason().empty())
            InputNotice("rich text image " + image.reason() + "; it is left out");
        // An empty picture rather than none: given nothing, the toolkit would open the file
        // itself.
        QImage empty(1, 1, QImage::Format_ARGB32);
        empty.fill(Qt::transparent);
        image = empty;
    }
    images_[key] = *image;
    return *image;
}

namespace {

TColorRef ToColorRef(const QColor& c) {
    return static_cast<TColorRef>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

class QtRichTextEngine final : public RichTextEngine {
  public:
    int Length(const TRichDocument& doc) override {
        // Positions do not depend on the layout: the laid-out document when it is this one,
        // else the document read without laying it out.
        if (cache_.doc && cache_.text == doc.text && cache_.format == doc.format)
            return cache_.length;
        if (read_.length >= 0 && read_.text == doc.text && read_.format == doc.format)
            return read_.length;
        QtRichTextDocument d;
        SetContent(d, doc);
        read_ = {doc.text, doc.format, std::max(0, d.characterCount() - 1)};
        return read_.length;
    }

    int FormatRange(const TRichDocument& doc, DeviceContext& dc, const TRect& rect, int first,
                    bool render, int targetPpi) override {
        const double scale = std::abs(dc.LogicalToDevice().m22);
        const int devicePpi = targetPpi > 0 ? targetPpi : dc.GetDeviceCaps(LOGPIXELSY);
        const int ppi = std::clamp(
            static_cast<int>(std::lround(scale > 0 ? devicePpi / scale : devicePpi)), 1, 100000);
        const int width = std::max(1, rect.Right - rect.Left);
        const Laidout& l = Layout(doc, width, ppi);
        if (first < 0) first = 0;
        if (first >= l.length || l.lines.empty()) return l.length;

        std::size_t i0 = 0;
        while (i0 < l.lines.size() && l.lines[i0].start + l.lines[i0].length <= first) ++i0;
        if (i0 == l.lines.size()) return l.length;
        const double bandTop = l.lines[i0].top;
        const double room = rect.Bottom - rect.Top;
        // The band ends before a line where no earlier line reaches lower and no later one
        // starts higher (a table row is never cut between its cells); the longest band that
        // fits, or the shortest there is when none does.
        double bottom = bandTop;
        std::size_t end = l.lines.size();
        bool have = false;
        for (std::size_t j = i0 + 1; j <= l.lines.size(); ++j) {
            bottom = std::max(bottom, l.lines[j - 1].top + l.lines[j - 1].height);
            const bool fits = bottom - bandTop <= room + 0.01;
            if (!fits && have) break;
            if (j == l.lines.size() || l.breakable[j]) {
                end = j;
                have = true;
                if (!fits) break;
            }
        }
        if (render) Render(l, dc, rect, i0, end, bandTop);
        return end < l.lines.size() ? l.lines[end].start : l.length;
    }

  private:
    static void SetContent(QTextDocument& d, const TRichDocument& doc) {
        const QString text =
            QString::fromUtf8(doc.text.data(), static_cast<qsizetype>(doc.text.size()));
        switch (doc.format) {
            case rfHtml: d.setHtml(text); break;
            case rfMarkdown: {
                // In one edit block: the Markdown reader inserts text piece by piece, and
                // outside a block every piece measures its paragraph anew.
                QTextCursor batch(&d);
                batch.beginEditBlock();
                d.setMarkdown(text);
                batch.endEditBlock();
                break;
            }
            case rfPlainText: d.setPlainText(text); break;
        }
    }

    const Laidout& Layout(const TRichDocument& doc, int width, int ppi) {
        Laidout& l = cache_;
        if (l.doc && l.text == doc.text && l.format == doc.format && l.font == doc.font &&
            l.color == doc.color && l.width == width && l.ppi == ppi)
            return l;
        l.text = doc.text;
        l.format = doc.format;
        l.font = doc.font;
        l.color = doc.color;
        l.width = width;
        l.ppi = ppi;
        l.device = QImage(1, 1, QImage::Format_RGB32);
        const int dpm = static_cast<int>(std::lround(ppi / 0.0254));
        l.device.setDotsPerMeterX(dpm);
        l.device.setDotsPerMeterY(dpm);
        l.doc = std::make_unique<QtRichTextDocument>();
        const ResolvedFont r = ResolveFont(doc.font);
        l.doc->setDefaultFont(MakeQFont(r, r.em * ppi / 96.0, ppi));
        l.doc->setDocumentMargin(0);
        // Nothing is laid out until the document has its content, wrap mode, device and width
        // (a width of 0 is no page at all for the layout): then it is laid out once, lazily, a
        // part at a time as the lines are asked for below, between which an interrupt is seen.
        // A table at the top level is laid out whole, in one part.
        l.doc->setPageSize(QSizeF(0, 0));
        if (InterruptRequested()) return Interrupted(l);
        SetContent(*l.doc, doc);
        // A word too long for any line is searched anew for a break on every line it fills;
        // past a length the lines break at any character instead (one pass).
        {
            const QString plain = l.doc->toPlainText();
            qsizetype run = 0, longest = 0;
            for (const QChar c : plain) {
                run = c.isSpace() ? 0 : run + 1;
                longest = std::max(longest, run);
            }
            if (longest > limits::kMaxWordWrappedLine) {
                QTextOption option = l.doc->defaultTextOption();
                option.setWrapMode(QTextOption::WrapAnywhere);
                l.doc->setDefaultTextOption(option);
            }
        }
        l.doc->documentLayout()->setPaintDevice(&l.device);
        if (InterruptRequested()) return Interrupted(l);
        l.doc->setTextWidth(width);
        l.lines.clear();
        QAbstractTextDocumentLayout* layout = l.doc->documentLayout();
        for (QTextBlock b = l.doc->begin(); b.isValid(); b = b.next()) {
            if (InterruptRequested()) return Interrupted(l);
            const QRectF br = layout->blockBoundingRect(b);
            const QTextLayout* tl = b.layout();
            if (!tl) continue;
            for (int i = 0; i < tl->lineCount(); ++i) {
                const QTextLine line = tl->lineAt(i);
                l.lines.push_back({b, i, b.position() + line.textStart(), line.textLength(),
                                   br.top() + line.y(), line.height(), br});
            }
        }
        // Where a band may end: before line j when every line before it ends above j's top
        // and every line after it starts at or below that top.
        const std::size_t n = l.lines.size();
        l.breakable.assign(n + 1, true);
        std::vector<double> minTopFrom(n + 1, 1e300);
        for (std::size_t j = n; j-- > 0;) minTopFrom[j] = std::min(minTopFrom[j + 1], l.lines[j].top);
        double maxBottom = -1e300;
        for (std::size_t j = 0; j < n; ++j) {
            l.breakable[j] = j == 0 || (maxBottom <= l.lines[j].top + 0.5 &&
                                        minTopFrom[j] >= l.lines[j].top - 0.5);
            maxBottom = std::max(maxBottom, l.lines[j].top + l.lines[j].height);
        }
        l.length = std::max(0, l.doc->characterCount() - 1);
        return l;
    }

    // A job that was interrupted ends: the document is left half laid out and not kept (the
    // next call lays it out anew), and the answer is a position past any document, so that
    // whatever prints band after band stops here.
    static const Laidout& Interrupted(Laidout& l) {
        l.length = std::numeric_limits<int>::max();
        l.doc.reset();
        l.lines.clear();
        l.breakable.clear();
        return l;
    }

    void Render(const Laidout& l, DeviceContext& dc, const TRect& rect, std::size_t from,
                std::size_t to, double bandTop) {
        std::map<std::string, HFONT> fonts;
        auto fontFor = [&](const QFont& f) -> std::pair<HFONT, double> {
            LogFont lf;
            lf.faceName = f.family().toStdString();
            const double em = f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF() * l.ppi / 72.0;
            lf.height = -static_cast<std::int32_t>(std::lround(em));
            lf.weight = f.weight();
            lf.italic = f.italic();
            lf.underline = f.underline();
            lf.strikeOut = f.strikeOut();
            const std::string key = lf.faceName + "|" + std::to_string(lf.height) + "|" +
                                    std::to_string(lf.weight) + (lf.italic ? "i" : "") +
                                    (lf.underline ? "u" : "") + (lf.strikeOut ? "s" : "");
            HFONT& h = fonts[key];
            if (!h) h = CreateFontIndirect(lf);
            return {h, QFontMetricsF(f, &l.device).ascent()};
        };
        const HGDIOBJ oldFont = dc.CurrentObject(GdiObjectKind::Font);
        const TColorRef oldColor = dc.SetTextColor(l.color);
        const int oldMode = dc.SetBkMode(TRANSPARENT);
        const std::uint32_t oldAlign = dc.SetTextAlign(0);
        // Nothing of the band reaches past its rectangle (deeply indented text, wide tables).
        dc.SaveDC();
        dc.IntersectClipRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
        HGDIOBJ selected = 0;
        TColorRef written = l.color;

        auto text = [&](const QFont& f, TColorRef colour, double x, double lineTop,
                        double lineAscent, const QString& s) {
            const auto [h, ascent] = fontFor(f);
            if (h != selected) dc.SelectObject(selected = h);
            if (colour != written) dc.SetTextColor(written = colour);
            const double y = rect.Top + (lineTop - bandTop) + lineAscent - ascent;
            const std::u16string u(reinterpret_cast<const char16_t*>(s.utf16()),
                                   static_cast<std::size_t>(s.size()));
            dc.ExtTextOut(rect.Left + static_cast<int>(std::lround(x)),
                          static_cast<int>(std::lround(y)), 0, nullptr, u);
        };

        for (std::size_t j = from; j < to; ++j) {
            const LineInfo& li = l.lines[j];
            const QTextLine line = li.block.layout()->lineAt(li.line);
            const int blockPos = li.block.position();
            // The list mark before the first line of an item.
            if (li.line == 0 && li.block.textList()) {
                QTextList* list = li.block.textList();
                QString mark;
                switch (list->format().style()) {
                    case QTextListFormat::ListDisc: mark = QString(QChar(0x2022)); break;
                    case QTextListFormat::ListCircle: mark = QString(QChar(0x25E6)); break;
                    case QTextListFormat::ListSquare: mark = QString(QChar(0x25AA)); break;
                    default: mark = list->itemText(li.block); break;
                }
                const QFont f = li.block.charFormat().font();
                const double w = QFontMetricsF(f, &l.device).horizontalAdvance(mark + " ");
                text(f, l.color, li.blockRect.left() + line.x() - w, li.top, line.ascent(), mark);
            }
            for (auto it = li.block.begin(); !it.atEnd(); ++it) {
                const QTextFragment frag = it.fragment();
                if (!frag.isValid()) continue;
                const int a = std::max(frag.position(), li.start);
                const int b = std::min(frag.position() + frag.length(), li.start + li.length);
                if (a >= b) continue;
                QString s = frag.text().mid(a - frag.position(), b - a);
                // Pictures and line separators are not text.
                s.replace(QChar::ObjectReplacementCharacter, QChar(' '));
                s.replace(QChar::LineSeparator, QChar(' '));
                while (!s.isEmpty() && s.back().isSpace()) s.chop(1);
                if (s.trimmed().isEmpty()) continue;
                const QTextCharFormat cf = frag.charFormat();
                // The format's font is already resolved against the document's, with heading sizes.
                const QFont f = cf.font();
                const TColorRef colour = cf.foreground().style() != Qt::NoBrush
                                             ? ToColorRef(cf.foreground().color())
                                             : l.color;
                const double x = li.blockRect.left() + line.cursorToX(a - blockPos);
                text(f, colour, x, li.top, line.ascent(), s);
            }
            // A horizontal rule after the block's last line.
            if (li.line == li.block.layout()->lineCount() - 1 &&
                li.block.blockFormat().hasProperty(
                    QTextFormat::BlockTrailingHorizontalRulerWidth)) {
                const int y = static_cast<int>(
                    std::lround(rect.Top + li.blockRect.bottom() - bandTop));
                const HPEN pen = CreatePen(PS_SOLID, 1, l.color);
                const HGDIOBJ oldPen = dc.SelectObject(pen);
                dc.MoveTo(rect.Left + static_cast<int>(li.blockRect.left()), y);
                dc.LineTo(rect.Left + static_cast<int>(li.blockRect.right()), y);
                dc.SelectObject(oldPen);
                DeleteObject(pen);
            }
        }

        DrawTableBorders(l, dc, rect, from, to, bandTop);

        dc.RestoreDC(-1);
        dc.SetTextAlign(oldAlign);
        dc.SetBkMode(oldMode);
        dc.SetTextColor(oldColor);
        dc.SelectObject(oldFont);
        for (auto& [key, h] : fonts) DeleteObject(h);
    }

    // The cell borders of the table rows that have lines in the band, collapsed: a line
    // halfway between neighbouring columns and rows, the outer ones a cell padding off the
    // text.
    static void DrawTableBorders(const Laidout& l, DeviceContext& dc, const TRect& rect,
                                 std::size_t from, std::size_t to, double bandTop) {
        QAbstractTextDocumentLayout* layout = l.doc->documentLayout();
        std::map<QTextTable*, std::set<int>> rows;
        for (std::size_t j = from; j < to; ++j) {
            QTextTable* table = QTextCursor(l.lines[j].block).currentTable();
            if (!table) continue;
            rows[table].insert(table->cellAt(l.lines[j].block.position()).row());
        }
        for (const auto& [table, shown] : rows) {
            const QTextTableFormat tf = table->format();
            if (tf.border() <= 0 || tf.borderStyle() == QTextFrameFormat::BorderStyle_None)
                continue;
            const int nr = table->rows(), nc = table->columns();
            if (nr <= 0 || nc <= 0) continue;
            std::vector<double> left(nc, 1e300), right(nc, -1e300), top(nr, 1e300),
                bottom(nr, -1e300);
            for (int r = 0; r < nr && !InterruptRequested(); ++r) {
                for (int c = 0; c < nc; ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
                    QRectF box;
                    for (auto it = cell.begin(); !it.atEnd(); ++it)
                        if (it.currentBlock().isValid())
                            box |= layout->blockBoundingRect(it.currentBlock());
                    if (box.isNull()) continue;
                    if (cell.columnSpan() == 1) {
                        left[c] = std::min(left[c], box.left());
                        right[c] = std::max(right[c], box.right());
                    }
                    if (cell.rowSpan() == 1) {
                        top[r] = std::min(top[r], box.top());
                        bottom[r] = std::max(bottom[r], box.bottom());
                    }
                }
            }
            const double pad = tf.cellPadding();
            auto edges = [pad](const std::vector<double>& lo, const std::vector<double>& hi) {
                const std::size_t n = lo.size();
                std::vector<double> e(n + 1, 0);
                for (std::size_t i = 0; i <= n; ++i) {
                    const bool hasBefore = i > 0 && hi[i - 1] > -1e299;
                    const bool hasAfter = i < n && lo[i] < 1e299;
                    if (hasBefore && hasAfter) e[i] = (hi[i - 1] + lo[i]) / 2;
                    else if (hasAfter) e[i] = lo[i] - pad;
                    else if (hasBefore) e[i] = hi[i - 1] + pad;
                    else e[i] = i > 0 ? e[i - 1] : 0;
                }
                return e;
            };
            const std::vector<double> xs = edges(left, right), ys = edges(top, bottom);
            const TColorRef colour = tf.borderBrush().style() != Qt::NoBrush
                                         ? ToColorRef(tf.borderBrush().color())
                                         : 0x808080;
            const HPEN pen = CreatePen(PS_SOLID, std::max(1, static_cast<int>(tf.border())), colour);
            const HGDIOBJ oldPen = dc.SelectObject(pen);
            auto X = [&](double x) { return rect.Left + static_cast<int>(std::lround(x)); };
            auto Y = [&](double y) { return rect.Top + static_cast<int>(std::lround(y - bandTop)); };
            for (int r : shown) {
                if (r < 0 || r >= nr) continue;
                for (int c = 0; c < nc; ++c) {
                    const QTextTableCell cell = table->cellAt(r, c);
                    if (!cell.isValid() || cell.row() != r || cell.column() != c) continue;
                    const int c2 = std::min(nc, c + std::max(1, cell.columnSpan()));
                    const int r2 = std::min(nr, r + std::max(1, cell.rowSpan()));
                    const int x1 = X(xs[c]), x2 = X(xs[c2]);
                    const int y1 = Y(ys[r]), y2 = Y(ys[r2]);
                    if (x2 <= x1 || y2 <= y1) continue;
                    dc.MoveTo(x1, y1);
                    dc.LineTo(x2, y1);
                    dc.LineTo(x2, y2);
                    dc.LineTo(x1, y2);
                    dc.LineTo(x1, y1);
                }
            }
            dc.SelectObject(oldPen);
            DeleteObject(pen);
        }
    }

    Laidout cache_;
    // The length of the last document read without a layout: asked for before every band,
    // and reading a long one costs a second.
    struct {
        std::string text;
        TRichTextFormat format = rfPlainText;
        int length = -1;
    } read_;
};

}  // namespace

std::unique_ptr<RichTextEngine> MakeQtRichTextEngine() {
    return std::make_unique<QtRichTextEngine>();
}

}  // namespace quillon
