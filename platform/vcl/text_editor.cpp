// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/text_editor.h"

#include <algorithm>

#include "platform/sys/sysutils.h"
#include "platform/sys/utf8.h"

namespace quillon {

int CharCount(std::string_view text) {
    return static_cast<int>(utf8::Length(text));
}

void TTextEditor::Recount() {
    length_ = CharCount(text_);
}

std::size_t TTextEditor::ByteOffset(int index) const {
    std::size_t pos = 0;
    for (int i = 0; i < index && pos < text_.size(); ++i)
        pos += utf8::DecodeOne(std::string_view(text_).substr(pos)).length;
    return pos;
}

std::string TTextEditor::Cased(std::string_view text) const {
    switch (charCase) {
        case ecUpperCase:
            return UpperCase(text);
        case ecLowerCase:
            return LowerCase(text);
        case ecNormal:
            break;
    }
    return std::string(text);
}

bool TTextEditor::SetText(std::string_view text) {
    std::string clean = Cased(utf8::Sanitize(text));
    if (clean == text_) return false;
    text_ = std::move(clean);
    Recount();
    selStart_ = anchor_ = length_;
    selLength_ = 0;
    return true;
}

void TTextEditor::SetSelection(int start, int length) {
    start = std::clamp(start, 0, length_);
    int end = std::clamp(start + length, 0, length_);
    anchor_ = start;
    selStart_ = std::min(start, end);
    selLength_ = std::abs(end - start);
}

std::string TTextEditor::SelText() const {
    const std::size_t a = ByteOffset(selStart_);
    const std::size_t b = ByteOffset(selStart_ + selLength_);
    return text_.substr(a, b - a);
}

bool TTextEditor::Insert(std::string_view text) {
    std::string ins = Cased(utf8::Sanitize(text));
    if (!multiLine) {
        ins.erase(
            std::remove_if(ins.begin(), ins.end(), [](char c) { return c == '\r' || c == '\n'; }),
            ins.end());
    }
    int count = CharCount(ins);
    if (count == 0) return false;
    if (maxLength > 0) {
        const int room = maxLength - (length_ - selLength_);
        // A full field takes nothing more (the selection stays).
        if (room <= 0) return false;
        if (count > room) {
            std::size_t pos = 0;
            for (int i = 0; i < room; ++i)
                pos += utf8::DecodeOne(std::string_view(ins).substr(pos)).length;
            ins.resize(pos);
            count = room;
        }
    }
    Replace(ins, count);
    return true;
}

void TTextEditor::Replace(const std::string& text, int count) {
    const std::size_t a = ByteOffset(selStart_);
    const std::size_t b = ByteOffset(selStart_ + selLength_);
    text_.replace(a, b - a, text);
    Recount();
    selStart_ = anchor_ = selStart_ + count;
    selLength_ = 0;
}

bool TTextEditor::DeleteBackward() {
    if (selLength_ == 0) {
        if (selStart_ == 0) return false;
        selStart_ -= 1;
        selLength_ = 1;
    }
    Replace("", 0);
    return true;
}

bool TTextEditor::DeleteForward() {
    if (selLength_ == 0) {
        if (selStart_ >= length_) return false;
        selLength_ = 1;
    }
    Replace("", 0);
    return true;
}

bool TTextEditor::Paste(std::string_view clipboard) {
    std::string text(clipboard);
    if (multiLine) {
        // Line breaks of any convention become "\n".
        std::string norm;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                norm += '\n';
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                norm += text[i];
            }
        }
        text = std::move(norm);
    } else {
        const std::size_t eol = text.find_first_of("\r\n");
        if (eol != std::string::npos) text.resize(eol);
    }
    if (text.empty()) return false;
    return Insert(text);
}

void TTextEditor::MoveCaretTo(int position, bool extend) {
    position = std::clamp(position, 0, length_);
    if (extend) {
        selStart_ = std::min(anchor_, position);
        selLength_ = std::abs(position - anchor_);
    } else {
        selStart_ = anchor_ = position;
        selLength_ = 0;
    }
}

void TTextEditor::MoveCaret(int delta, bool extend) {
    // The moving end of the selection is the one away from the anchor.
    const int caret = selStart_ == anchor_ ? selStart_ + selLength_ : selStart_;
    if (!extend && selLength_ > 0) {
        MoveCaretTo(delta < 0 ? selStart_ : selStart_ + selLength_, false);
        return;
    }
    MoveCaretTo(caret + delta, extend);
}

}  // namespace quillon
