// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/rich_text.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <vector>

#include "platform/sys/files.h"
#include "platform/sys/limits.h"
#include "platform/sys/notice.h"
#include "platform/sys/sysutils.h"
#include "platform/sys/utf8.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/rich_text_bounds.h"

namespace quillon {

const TEnumInfo kRichTextFormatNames{
    "TRichTextFormat",
    {{"rfPlainText", rfPlainText}, {"rfHtml", rfHtml}, {"rfMarkdown", rfMarkdown}}};

namespace {

PlainRichTextEngine& PlainEngine() {
    static PlainRichTextEngine engine;
    return engine;
}

RichTextEngine* g_engine = nullptr;

// Logical units per inch of the context: its resolution through its mapping.
double LogicalPixelsPerInch(const DeviceContext& dc, int devicePpi) {
    const double scale = std::abs(dc.LogicalToDevice().m22);
    const int ppi = devicePpi > 0 ? devicePpi : dc.GetDeviceCaps(LOGPIXELSY);
    return scale > 0 ? ppi / scale : ppi;
}

}  // namespace

RichTextEngine& GetRichTextEngine() {
    return g_engine ? *g_engine : PlainEngine();
}

RichTextEngine* SetRichTextEngine(RichTextEngine* engine) {
    RichTextEngine* previous = g_engine;
    g_engine = engine;
    return previous;
}

// --- the plain-text formatter ----------------------------------------------------------------

int PlainRichTextEngine::Length(const TRichDocument& doc) {
    return static_cast<int>(std::min<std::size_t>(utf8::ToUtf16(doc.text).size(), INT32_MAX));
}

int PlainRichTextEngine::FormatRange(const TRichDocument& doc, DeviceContext& dc,
                                     const TRect& rect, int first, bool render, int devicePpi) {
    const std::u16string text = utf8::ToUtf16(doc.text);
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT32_MAX));
    if (first < 0) first = 0;
    if (first >= length) return length;

    // The document's font, its 96-per-inch height carried to the context's resolution.
    LogFont font = doc.font;
    font.height = static_cast<std::int32_t>(
        std::lround(font.height * LogicalPixelsPerInch(dc, devicePpi) / 96.0));
    const HFONT handle = CreateFontIndirect(font);
    const HGDIOBJ oldFont = dc.SelectObject(handle);
    const TColorRef oldColor = dc.SetTextColor(doc.color);
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const int lineHeight = std::max(1, dc.GetTextExtent(std::u16string_view(u"W")).cy);
    const int width = std::max(1, rect.Right - rect.Left);

    std::vector<int> adv;
    int pos = first;
    int y = rect.Top;
    bool any = false;
    while (pos < length) {
        if (any && y + lineHeight > rect.Bottom) break;
        // One line: up to the paragraph's end, broken after the last space that fits (a
        // word longer than the line is cut where it no longer fits).
        std::size_t eol = text.find(u'\n', static_cast<std::size_t>(pos));
        if (eol == std::u16string::npos) eol = static_cast<std::size_t>(length);
        std::u16string_view para(text.data() + pos, eol - static_cast<std::size_t>(pos));
        dc.MeasureAdvances(para, adv);
        int x = 0;
        std::size_t fit = 0;
        while (fit < para.size() && x + adv[fit] <= width) x += adv[fit++];
        std::size_t take = para.size();
        std::size_t next = eol + 1;  // past the line break
        if (fit < para.size()) {
            const std::size_t sp = para.substr(0, fit + 1).find_last_of(u' ');
            take = (sp != std::u16string_view::npos && sp > 0) ? sp : std::max<std::size_t>(fit, 1);
            next = static_cast<std::size_t>(pos) + take;
            while (next < eol && text[next] == u' ') ++next;  // spaces at a break vanish
        }
        std::u16string_view line = para.substr(0, take);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        if (render && !line.empty()) dc.ExtTextOut(rect.Left, y, 0, nullptr, line);
        y += lineHeight;
        any = true;
        pos = static_cast<int>(std::min<std::size_t>(next, static_cast<std::size_t>(length)));
    }

    dc.SetBkMode(oldMode);
    dc.SetTextColor(oldColor);
    dc.SelectObject(oldFont);
    DeleteObject(handle);
    return pos;
}

// --- the rich edit ---------------------------------------------------------------------------

void TCustomRichEdit::SetPlainText(bool v) {
    plainText_ = v;
    Changed(TPeerChange::Text);
}

void TCustomRichEdit::SetTextFormat(TRichTextFormat f) {
    format_ = f;
    Changed(TPeerChange::Text);
}

namespace {

Result<TRichTextFormat> FormatOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const std::string ext = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                                ? std::string()
                                : LowerCase(path.substr(dot));
    if (ext == ".html" || ext == ".htm") return rfHtml;
    if (ext == ".md") return rfMarkdown;
    if (ext == ".txt") return rfPlainText;
    return Error{"'" + (ext.empty() ? path : ext) +
                 "' is not a format the rich edit reads or writes (.html, .md or .txt)"};
}

}  // namespace

Result<void> TCustomRichEdit::LoadFromFile(const std::string& path) {
    const Result<TRichTextFormat> format = FormatOfPath(path);
    if (!format) return format.error();
    Result<std::vector<std::uint8_t>> data =
        ReadRegularFile(path, static_cast<std::size_t>(limits::kMaxRichTextBytes));
    if (!data) {
        if (data.reason().find(": larger than ") != std::string::npos)
            return Error{path + ": larger than " + IntToStr(limits::kMaxRichTextBytes >> 20) +
                         " MB, the most a rich edit reads"};
        return data.error();
    }
    std::string text(data->begin(), data->end());
    // Invalid UTF-8 becomes replacement characters rather than being refused whole.
    text = utf8::FromUtf16(utf8::ToUtf16(text));
    format_ = *format;
    SetText(text);
    return Ok();
}

Result<void> TCustomRichEdit::SaveToFile(const std::string& path) const {
    const Result<TRichTextFormat> format = FormatOfPath(path);
    if (!format) return format.error();
    const std::string text = Text();
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    if (Result<void> written = WriteFileAtomically(path, bytes, OutputFileOptions()); !written)
        return Error{path + ": cannot be written: " + written.reason()};
    return Ok();
}

TRichDocument TCustomRichEdit::Document() const {
    TRichDocument doc;
    doc.format = plainText_ ? rfPlainText : format_;
    const std::string& text = Text();
    const std::size_t hash = std::hash<std::string>{}(text);
    if (boundedSize_ != text.size() || boundedFrom_ != hash || boundedFormat_ != doc.format) {
        BoundedRichText bounded = BoundRichText(text, doc.format);
        bounded_ = std::move(bounded.text);
        boundedSize_ = text.size();
        boundedFrom_ = hash;
        boundedFormat_ = doc.format;
        const std::string notice =
            RichTextCutNotice(Name().empty() ? ClassName() : Name(), bounded.cuts);
        if (!notice.empty()) InputNotice(notice);
    }
    doc.text = bounded_;
    doc.font = Font().ToLogFont();
    doc.color = ColorToRGB(Font().Color());
    return doc;
}

int TCustomRichEdit::TextLength() const {
    return GetRichTextEngine().Length(Document());
}

int TCustomRichEdit::FormatRange(DeviceContext& dc, const TRect& rect, int first, bool render,
                                 int devicePpi) const {
    return GetRichTextEngine().FormatRange(Document(), dc, rect, first, render, devicePpi);
}

}  // namespace quillon
