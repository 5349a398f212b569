// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The editing rules of a text field, shared by edits, memos, rich edits and
// combo boxes: a UTF-8 text with a caret and a selection counted in
// characters (code points), insertion with a length limit, deletion, and the
// clipboard. It knows nothing of events: each operation says whether the text
// changed, and the control fires its change event.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

enum TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };

class TTextEditor {
  public:
    const std::string& Text() const { return text_; }
    // Characters in the text.
    int Length() const { return length_; }

    // Replaces the whole text (caret to the end, no selection). True if changed.
    bool SetText(std::string_view text);

    int SelStart() const { return selStart_; }
    int SelLength() const { return selLength_; }
    // Clamped to the text. A negative length selects backwards from start.
    void SetSelection(int start, int length);
    std::string SelText() const;
    void SelectAll() { SetSelection(0, length_); }

    // 0: no limit. Limits what is typed or pasted, not text set by the program.
    int maxLength = 0;
    bool multiLine = false;
    TEditCharCase charCase = ecNormal;

    // Typing `text` at the caret, replacing the selection, cut to the room
    // MaxLength leaves; line breaks are dropped unless multi-line. True if the
    // text changed.
    bool Insert(std::string_view text);
    // Backspace and Delete: the selection, else the character before or after
    // the caret. True if the text changed.
    bool DeleteBackward();
    bool DeleteForward();
    // Pasting: as Insert; a single-line field takes the first line only.
    bool Paste(std::string_view clipboard);

    // Caret moves: one character, or to the start or end; `extend` keeps the
    // anchor of the selection (Shift held).
    void MoveCaret(int delta, bool extend);
    void MoveCaretTo(int position, bool extend);

    // Byte offset of character `index` (clamped).
    std::size_t ByteOffset(int index) const;
    // Applies the character case rule.
    std::string Cased(std::string_view text) const;

  private:
    void Recount();
    // Puts `text` (of `count` characters) in place of the selection.
    void Replace(const std::string& text, int count);

    std::string text_;
    int length_ = 0;
    int selStart_ = 0;
    int selLength_ = 0;
    int anchor_ = 0;  // the fixed end of the selection
};

// Characters (code points) of a UTF-8 text; a byte that is not valid UTF-8
// counts as one.
int CharCount(std::string_view text);

}  // namespace quillon
