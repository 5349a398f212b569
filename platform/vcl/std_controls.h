// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The standard controls: labels, edits, memos, buttons, check boxes, radio
// buttons, combo boxes, group boxes and panels.

#include <memory>
#include <string>
#include <string_view>

#include "platform/vcl/controls.h"
#include "platform/vcl/strings.h"
#include "platform/vcl/text_editor.h"

namespace quillon {

extern const TEnumInfo kEditCharCaseNames, kCheckBoxStateNames, kComboBoxStyleNames;

// ---------------------------------------------------------------- labels

class TCustomLabel : public TGraphicControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    // The label takes the size of its caption (keeping its right edge when
    // right-aligned, its width when word-wrapping).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    // '&' marks the next character as the accelerator ("&&" is a '&').
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* c);

    // The caption as shown (accelerator marks removed).
    std::string DisplayText() const;
    // Resizes to the caption when AutoSize is on.
    void AdjustBounds();

  protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    TTextLayout layout_ = tlTop;
    bool transparent_ = false;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
    QUILLON_CLASS_INFO()
  public:
    using TCustomLabel::TCustomLabel;
};

// Splits `text` into lines for drawing in `width` pixels with the canvas's
// font (word-wrapped when asked; line breaks always break).
std::vector<std::string> WrapTextLines(TCanvas& canvas, std::string_view text, int width,
                                       bool wordWrap);

// ---------------------------------------------------------------- edits

class TCustomEdit : public TWinControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomEdit(TComponent* owner);

    // Text set by the program: every change fires OnChange (also here).
    void SetText(std::string_view text) override;

    int MaxLength() const { return editor_.maxLength; }
    void SetMaxLength(int v);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    TEditCharCase CharCase() const { return editor_.charCase; }
    void SetCharCase(TEditCharCase v);
    // Shown instead of every character (0: the text itself).
    char32_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char32_t c);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool v) { autoSelect_ = v; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v) { autoSize_ = v; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool v) { hideSelection_ = v; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    // Set by every change the user makes; cleared when the program sets the text.
    bool Modified() const { return modified_; }
    void SetModified(bool v) { modified_ = v; }

    // Caret and selection, in characters.
    int SelStart() const { return editor_.SelStart(); }
    void SetSelStart(int v);
    int SelLength() const { return editor_.SelLength(); }
    void SetSelLength(int v);
    std::string SelText() const { return editor_.SelText(); }
    // Replaces the selection (MaxLength does not apply: the program does it).
    void SetSelText(std::string_view text);
    void SelectAll();
    void ClearSelection();
    void Clear() { SetText(""); }
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // The widget's own editing (a paste from its context menu, undo, input
    // methods): the text and caret as the widget now has them. Fires OnChange
    // when the text changed; OnKeyPress is not involved.
    void SetTextFromPeer(std::string_view text, int selStart, int selLength);
    // The widget moved the caret or selection.
    void SetSelectionFromPeer(int selStart, int selLength);

    TNotifyEvent OnChange;

  protected:
    void KeyPress(char32_t& key) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void DoEnter() override;
    virtual void Change();
    // After every change of the text by any path.
    void EditChanged(bool byUser);
    TTextEditor& Editor() { return editor_; }
    const TTextEditor& Editor() const { return editor_; }
    void Loaded() override;

  private:
    TTextEditor editor_;
    bool readOnly_ = false;
    char32_t passwordChar_ = 0;
    bool autoSelect_ = true;
    bool autoSize_ = true;
    bool hideSelection_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    bool modified_ = false;
};

class TEdit : public TCustomEdit {
    QUILLON_CLASS_INFO()
  public:
    using TCustomEdit::TCustomEdit;
};

// An edit whose text follows a mask: "mask;save literals;blank character".
// Mask characters: 0 digit, 9 optional digit, # digit or sign (optional),
// L letter, l optional letter, A letter or digit, a optional one, C any
// character, c optional one, > and < upper and lower case for what follows
// (<> neither), \ takes the next character literally; anything else is a
// literal that the user does not type.
class TCustomMaskEdit : public TCustomEdit {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomMaskEdit(TComponent* owner);

    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(std::string_view mask);
    bool IsMasked() const { return !slots_.empty(); }
    // The text as the field shows it: literals in place, blank characters in
    // the positions not yet typed. Without a mask, the text.
    std::string EditText() const;
    // Text: the typed characters (with the literals when the mask saves them;
    // blank positions as spaces).
    void SetText(std::string_view text) override;
    // Whether every required position is filled.
    bool ValidateEdit() const;

  protected:
    void KeyPress(char32_t& key) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;

  private:
    struct Slot {
        char kind;         // 0 literal, else the mask character
        char32_t literal;  // the literal character
        int caseRule;      // 0 none, 1 upper, 2 lower
        char32_t value;    // 0: not typed
    };
    void ParseMask();
    void UpdateText(bool byUser);
    bool Fits(const Slot& s, char32_t c) const;
    int NextEditable(int from) const;
    int PrevEditable(int from) const;

    std::string editMask_;
    std::vector<Slot> slots_;
    bool saveLiterals_ = true;
    char32_t blank_ = U'_';
    int caret_ = 0;
};

class TMaskEdit : public TCustomMaskEdit {
    QUILLON_CLASS_INFO()
  public:
    using TCustomMaskEdit::TCustomMaskEdit;
};

class TCustomMemo : public TCustomEdit {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomMemo(TComponent* owner);

    // The lines of the text (kept in step with Text, lines joined by "\n").
    TStrings& Lines() { return lines_; }
    const TStrings& Lines() const { return lines_; }
    void SetText(std::string_view text) override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool v) { wantReturns_ = v; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool v) { wantTabs_ = v; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);

  protected:
    void KeyPress(char32_t& key) override;
    bool WantsKey(std::uint16_t key) const override;
    void Change() override;

  private:
    void LinesChanged();

    TStringList lines_;
    bool syncing_ = false;
    TAlignment alignment_ = taLeftJustify;
    TScrollStyle scrollBars_ = ssNone;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    bool wordWrap_ = true;
};

class TMemo : public TCustomMemo {
    QUILLON_CLASS_INFO()
  public:
    using TCustomMemo::TCustomMemo;
};

// ---------------------------------------------------------------- buttons

class TButtonControl : public TWinControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TButtonControl(TComponent* owner);

  protected:
    void KeyPress(char32_t& key) override;
};

class TButton : public TButtonControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TButton(TComponent* owner);

    // Enter presses the default button, Esc the cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    // Given to the form as its ModalResult when the button is clicked.
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }

    void Click() override;

  protected:
    void TextChanged() override { Changed(TPeerChange::Text); }

  private:
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};

enum TCheckBoxState : std::uint8_t { cbUnchecked, cbChecked, cbGrayed };

class TCustomCheckBox : public TButtonControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomCheckBox(TComponent* owner);

    // Where the caption stands beside the box (taRightJustify: to its right).
    TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TLeftRight a);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool v) { allowGrayed_ = v; }
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    // Every change of state fires OnClick (also when the program sets it).
    void SetState(TCheckBoxState s);
    void Toggle();
    void UserClick() override { Toggle(); }

  private:
    TLeftRight alignment_ = taRightJustify;
    bool allowGrayed_ = false;
    TCheckBoxState state_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
    QUILLON_CLASS_INFO()
  public:
    using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TRadioButton(TComponent* owner);

    TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TLeftRight a);
    bool Checked() const { return checked_; }
    // Checking unchecks the other radio buttons of the same parent and fires
    // OnClick.
    void SetChecked(bool v);
    void UserClick() override { SetChecked(true); }

  private:
    TLeftRight alignment_ = taRightJustify;
    bool checked_ = false;
};

// ---------------------------------------------------------------- combo box

enum TComboBoxStyle : std::uint8_t {
    csDropDown,
    csSimple,
    csDropDownList,
    csOwnerDrawFixed,
    csOwnerDrawVariable
};

class TCustomComboBox : public TWinControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomComboBox(TComponent* owner);

    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }
    // -1: none. Setting it shows the entry's text without OnChange.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle s);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool v);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int v) { dropDownCount_ = v; }
    int MaxLength() const { return editor_.maxLength; }
    void SetMaxLength(int v);
    void SetText(std::string_view text) override;
    int SelStart() const { return editor_.SelStart(); }
    int SelLength() const { return editor_.SelLength(); }

    // The user picked entry `index` from the list: OnClick, then OnChange.
    void InputSelectItem(int index);
    // The widget's own editing of the text.
    void SetTextFromPeer(std::string_view text, int selStart, int selLength);

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;

  protected:
    void KeyPress(char32_t& key) override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void Loaded() override;
    void Change();

  private:
    void ItemsChanged();
    void SelectByUser(int index);

    TStringList items_;
    int itemIndex_ = -1;
    TComboBoxStyle style_ = csDropDown;
    bool sorted_ = false;
    bool sorting_ = false;
    int dropDownCount_ = 8;
    TTextEditor editor_;
};

class TComboBox : public TCustomComboBox {
    QUILLON_CLASS_INFO()
  public:
    using TCustomComboBox::TCustomComboBox;
};

// ---------------------------------------------------------------- containers

class TCustomGroupBox : public TCustomControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomGroupBox(TComponent* owner);

  protected:
    void Paint() override;
    TRect AlignRect() const override;
    void TextChanged() override { Invalidate(); }
};

class TGroupBox : public TCustomGroupBox {
    QUILLON_CLASS_INFO()
  public:
    using TCustomGroupBox::TCustomGroupBox;
};

class TCustomPanel : public TCustomControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomPanel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel b);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel b);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    bool FullRepaint() const { return fullRepaint_; }
    void SetFullRepaint(bool v) { fullRepaint_ = v; }
    bool Locked() const { return locked_; }
    void SetLocked(bool v) { locked_ = v; }

    // A single border is a 2-pixel edge around the client area.
    TRect ClientRect() const override;
    TPoint ClientOffset() const override;

  protected:
    void Paint() override;
    TRect AlignRect() const override;
    void TextChanged() override { Invalidate(); }

  private:
    TAlignment alignment_ = taCenter;
    TPanelBevel bevelInner_ = bvNone;
    TPanelBevel bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    TBorderStyle borderStyle_ = bsNone;
    bool fullRepaint_ = true;
    bool locked_ = false;
};

class TPanel : public TCustomPanel {
    QUILLON_CLASS_INFO()
  public:
    using TCustomPanel::TCustomPanel;
};

}  // namespace quillon
