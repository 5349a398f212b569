// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/std_controls.h"

#include <algorithm>

#include "platform/gdi/canvas.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/properties.h"
#include "platform/sys/utf8.h"

namespace quillon {

const TEnumInfo kEditCharCaseNames{
    "TEditCharCase",
    {{"ecNormal", ecNormal}, {"ecUpperCase", ecUpperCase}, {"ecLowerCase", ecLowerCase}}};
const TEnumInfo kCheckBoxStateNames{
    "TCheckBoxState",
    {{"cbUnchecked", cbUnchecked}, {"cbChecked", cbChecked}, {"cbGrayed", cbGrayed}}};
const TEnumInfo kComboBoxStyleNames{"TComboBoxStyle",
                                    {{"csDropDown", csDropDown},
                                     {"csSimple", csSimple},
                                     {"csDropDownList", csDropDownList},
                                     {"csOwnerDrawFixed", csOwnerDrawFixed},
                                     {"csOwnerDrawVariable", csOwnerDrawVariable}}};

namespace {

// Accessor pairs shared by several tables.
const std::string& GetCaption(const TControl& c) {
    return c.Caption();
}
void SetCaptionText(TControl& c, const std::string& v) {
    c.SetCaption(v);
}
const std::string& GetText(const TControl& c) {
    return c.Text();
}
void SetTextText(TControl& c, const std::string& v) {
    c.SetText(v);
}

std::string StripAccel(std::string_view text) {
    std::string r;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                r += '&';
                ++i;
            }
            continue;
        }
        r += text[i];
    }
    return r;
}

}  // namespace

// ---------------------------------------------------------------- text lines

std::vector<std::string> WrapTextLines(TCanvas& canvas, std::string_view text, int width,
                                       bool wordWrap) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        std::size_t eol = text.find('\n', start);
        std::string_view para = text.substr(
            start, eol == std::string_view::npos ? std::string_view::npos : eol - start);
        if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
        if (!wordWrap) {
            lines.emplace_back(para);
        } else {
            // Words are joined while the line fits; a word wider than the whole
            // width stands alone on its line.
            std::string line;
            std::size_t i = 0;
            bool any = false;
            while (i <= para.size()) {
                std::size_t sp = para.find(' ', i);
                if (sp == std::string_view::npos) sp = para.size();
                std::string_view word = para.substr(i, sp - i);
                std::string candidate =
                    line.empty() && !any ? std::string(word) : line + " " + std::string(word);
                if (any && canvas.TextWidth(candidate) > width) {
                    lines.push_back(line);
                    line = std::string(word);
                } else {
                    line = candidate;
                }
                any = true;
                i = sp + 1;
            }
            lines.push_back(line);
        }
        if (eol == std::string_view::npos) break;
        start = eol + 1;
    }
    return lines;
}

// ---------------------------------------------------------------- TCustomLabel

const TClassInfo& TCustomLabel::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomLabel>("TCustomLabel", &TGraphicControl::StaticClassInfo()).Abstract();
    return info;
}

const TClassInfo& TLabel::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TLabel>("TLabel", &TCustomLabel::StaticClassInfo())
            .Enum("Alignment", kAlignmentNames, &TLabel::Alignment, &TLabel::SetAlignment,
                  taLeftJustify)
            .Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
            .Str("Caption", &GetCaption, &SetCaptionText)
            .Ref<TWinControl>("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
            .Enum("Layout", kTextLayoutNames, &TLabel::Layout, &TLabel::SetLayout, tlTop)
            .Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, true)
            .Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
            .Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false)
            .Factory();
    return info;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    InitBounds(65, 17);
}

void TCustomLabel::SetAlignment(TAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    Changed(TPeerChange::Appearance);
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool v) {
    if (v == autoSize_) return;
    autoSize_ = v;
    AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout v) {
    if (v == layout_) return;
    layout_ = v;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
    if (v == transparent_) return;
    transparent_ = v;
    Changed(TPeerChange::Appearance);
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
    if (v == showAccelChar_) return;
    showAccelChar_ = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = c;
    if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

std::string TCustomLabel::DisplayText() const {
    return showAccelChar_ ? StripAccel(Caption()) : Caption();
}

void TCustomLabel::AdjustBounds() {
    if (!autoSize_ || IsLoading() || IsDestroying()) return;
    TCanvas canvas;
    canvas.Font().Assign(Font());
    std::string text = DisplayText();
    // An empty caption still has the height of a line.
    if (text.empty()) text = " ";
    int w = 0, h = 0;
    const int lineHeight = canvas.TextHeight("W");
    if (wordWrap_) {
        const auto lines = WrapTextLines(canvas, text, Width(), true);
        w = Width();
        h = lineHeight * static_cast<int>(lines.size());
    } else {
        const auto lines = WrapTextLines(canvas, text, 0, false);
        for (const auto& l : lines) w = std::max(w, canvas.TextWidth(l));
        h = lineHeight * static_cast<int>(lines.size());
    }
    int left = Left();
    if (alignment_ == taRightJustify) left = Left() + Width() - w;
    SetBounds(left, Top(), w, h);
}

void TCustomLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::FontChanged() {
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Paint() {
    TCanvas& c = Canvas();
    const TRect r = Rect(0, 0, Width(), Height());
    if (!transparent_) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    c.Brush().SetStyle(bsClear);
    c.Font().Assign(Font());
    if (!Enabled()) c.Font().SetColor(clGrayText);
    const auto lines = WrapTextLines(c, DisplayText(), Width(), wordWrap_);
    const int lineHeight = c.TextHeight("W");
    const int total = lineHeight * static_cast<int>(lines.size());
    int y = 0;
    if (layout_ == tlCenter) y = (Height() - total) / 2;
    if (layout_ == tlBottom) y = Height() - total;
    for (const auto& line : lines) {
        const int w = c.TextWidth(line);
        int x = 0;
        if (alignment_ == taRightJustify) x = Width() - w;
        if (alignment_ == taCenter) x = (Width() - w) / 2;
        c.TextOut(x, y, line);
        y += lineHeight;
    }
}

// ---------------------------------------------------------------- TCustomEdit

namespace {

template <class T>
TClassBuilder<T>& EditProperties(TClassBuilder<T>& b) {
    return b.Enum("BorderStyle", kBorderStyleNames, &T::BorderStyle, &T::SetBorderStyle, bsSingle)
        .Enum("CharCase", kEditCharCaseNames, &T::CharCase, &T::SetCharCase, ecNormal)
        .Color("Color", &T::Color, &T::SetColor, clWindow)
        .StoredIf([](const T& c) { return !c.ParentColor(); })
        .Bool("AutoSelect", &T::AutoSelect, &T::SetAutoSelect, true)
        .Bool("AutoSize", &T::AutoSize, &T::SetAutoSize, true)
        .Bool("HideSelection", &T::HideSelection, &T::SetHideSelection, true)
        .Int("MaxLength", &T::MaxLength, &T::SetMaxLength, 0, 0, INT32_MAX)
        .Bool("ParentColor", &T::ParentColor, &T::SetParentColor, false)
        .Str(
            "PasswordChar",
            [](const T& c) {
                std::string s;
                if (c.PasswordChar()) utf8::Append(s, c.PasswordChar());
                return s;
            },
            [](T& c, const std::string& v) {
                c.SetPasswordChar(v.empty() ? 0 : utf8::DecodeOne(v).codePoint);
            })
        .Bool("ReadOnly", &T::ReadOnly, &T::SetReadOnly, false)
        .Bool("TabStop", &T::TabStop, &T::SetTabStop, true)
        .Event("OnChange", &T::OnChange);
}

}  // namespace

const TClassInfo& TCustomEdit::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomEdit>("TCustomEdit", &TWinControl::StaticClassInfo()).Abstract();
    return info;
}

const TClassInfo& TEdit::StaticClassInfo() {
    static const TClassInfo& info = [] {
        TClassBuilder<TEdit> b("TEdit", &TCustomEdit::StaticClassInfo());
        EditProperties(b).Str("Text", &GetText, &SetTextText);
        return std::cref(b.Factory());
    }();
    return info;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    InitBounds(121, 21);
    InitColor(clWindow, false);
    SetTabStop(true);
}

void TCustomEdit::SetText(std::string_view text) {
    if (!editor_.SetText(text)) return;
    modified_ = false;
    EditChanged(false);
}

void TCustomEdit::EditChanged(bool byUser) {
    if (byUser) modified_ = true;
    StoreText(editor_.Text());
    Changed(TPeerChange::Text);
    Change();
}

void TCustomEdit::Change() {
    if (OnChange && EventsEnabled()) OnChange(this);
}

void TCustomEdit::Loaded() {
    TWinControl::Loaded();
    // Text read from the file without events: the editor takes it now.
    editor_.SetText(Text());
}

void TCustomEdit::SetMaxLength(int v) {
    editor_.maxLength = std::max(v, 0);
    Changed(TPeerChange::MaxLength);
}

void TCustomEdit::SetReadOnly(bool v) {
    if (v == readOnly_) return;
    readOnly_ = v;
    Changed(TPeerChange::ReadOnly);
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
    if (v == editor_.charCase) return;
    editor_.charCase = v;
    Changed(TPeerChange::Appearance);
    // The text takes the new case at once.
    const std::string text = editor_.Text();
    if (editor_.SetText(editor_.Cased(text))) EditChanged(false);
}

void TCustomEdit::SetPasswordChar(char32_t c) {
    if (c == passwordChar_) return;
    passwordChar_ = c;
    Changed(TPeerChange::Appearance);
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    if (v == borderStyle_) return;
    borderStyle_ = v;
    Changed(TPeerChange::Appearance);
}

void TCustomEdit::SetSelStart(int v) {
    editor_.SetSelection(v, 0);
    Changed(TPeerChange::Selection);
}

void TCustomEdit::SetSelLength(int v) {
    editor_.SetSelection(editor_.SelStart(), v);
    Changed(TPeerChange::Selection);
}

void TCustomEdit::SelectAll() {
    editor_.SelectAll();
    Changed(TPeerChange::Selection);
}

void TCustomEdit::SetSelText(std::string_view text) {
    const int limit = editor_.maxLength;
    editor_.maxLength = 0;
    bool changed =
        editor_.SelLength() > 0 && text.empty() ? editor_.DeleteForward() : editor_.Insert(text);
    editor_.maxLength = limit;
    if (changed) EditChanged(false);
}

void TCustomEdit::ClearSelection() {
    if (editor_.SelLength() > 0 && editor_.DeleteForward()) EditChanged(false);
}

void TCustomEdit::CopyToClipboard() {
    // A password field does not give its text away.
    if (editor_.SelLength() > 0 && passwordChar_ == 0) Clipboard().SetAsText(editor_.SelText());
}

void TCustomEdit::CutToClipboard() {
    if (readOnly_ || editor_.SelLength() == 0) return;
    CopyToClipboard();
    if (editor_.DeleteForward()) EditChanged(true);
}

void TCustomEdit::PasteFromClipboard() {
    if (readOnly_) return;
    if (editor_.Paste(Clipboard().AsText())) EditChanged(true);
}

void TCustomEdit::SetTextFromPeer(std::string_view text, int selStart, int selLength) {
    // The widget already applied its own length limit; the model keeps what it shows.
    const int limit = editor_.maxLength;
    editor_.maxLength = 0;
    const bool changed = editor_.SetText(text);
    editor_.maxLength = limit;
    editor_.SetSelection(selStart, selLength);
    if (changed) EditChanged(true);
}

void TCustomEdit::SetSelectionFromPeer(int selStart, int selLength) {
    editor_.SetSelection(selStart, selLength);
}

void TCustomEdit::DoEnter() {
    if (autoSelect_) editor_.SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::KeyPress(char32_t& key) {
    switch (key) {
        case 3:  // Ctrl+C
            CopyToClipboard();
            return;
        case 22:  // Ctrl+V
            PasteFromClipboard();
            return;
        case 24:  // Ctrl+X
            CutToClipboard();
            return;
        case 8:  // Backspace
            if (!readOnly_ && editor_.DeleteBackward()) EditChanged(true);
            return;
        default:
            break;
    }
    if (key < 32 || key == 127 || readOnly_) return;
    std::string s;
    utf8::Append(s, key);
    if (editor_.Insert(s)) EditChanged(true);
}

void TCustomEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
    const bool extend = shift.Contains(ssShift);
    switch (key) {
        case VK_DELETE:
            if (extend) {
                CutToClipboard();
            } else if (!readOnly_ && editor_.DeleteForward()) {
                EditChanged(true);
            }
            break;
        case VK_INSERT:
            if (extend) PasteFromClipboard();
            if (shift.Contains(ssCtrl)) CopyToClipboard();
            break;
        case VK_LEFT:
            editor_.MoveCaret(-1, extend);
            break;
        case VK_RIGHT:
            editor_.MoveCaret(1, extend);
            break;
        case VK_HOME:
            editor_.MoveCaretTo(0, extend);
            break;
        case VK_END:
            editor_.MoveCaretTo(editor_.Length(), extend);
            break;
        default:
            return;
    }
    key = 0;
    Changed(TPeerChange::Selection);
}

// ---------------------------------------------------------------- TCustomMaskEdit

const TClassInfo& TCustomMaskEdit::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomMaskEdit>("TCustomMaskEdit", &TCustomEdit::StaticClassInfo())
            .Abstract();
    return info;
}

const TClassInfo& TMaskEdit::StaticClassInfo() {
    static const TClassInfo& info = [] {
        TClassBuilder<TMaskEdit> b("TMaskEdit", &TCustomMaskEdit::StaticClassInfo());
        EditProperties(b)
            .Str("EditMask", &TMaskEdit::EditMask,
                 [](TMaskEdit& e, const std::string& v) { e.SetEditMask(v); })
            .Str("Text", &GetText, &SetTextText);
        return std::cref(b.Factory());
    }();
    return info;
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(std::string_view mask) {
    if (mask == editMask_) return;
    const std::string old = Text();
    editMask_ = std::string(mask);
    ParseMask();
    if (IsMasked()) {
        SetText(old);
    }
    Changed(TPeerChange::Appearance);
}

void TCustomMaskEdit::ParseMask() {
    slots_.clear();
    saveLiterals_ = true;
    blank_ = U'_';
    std::string_view m = editMask_;
    // "mask;save;blank": the last two fields are optional.
    std::string_view body = m;
    const std::size_t semi = m.find(';');
    if (semi != std::string_view::npos) {
        body = m.substr(0, semi);
        std::string_view rest = m.substr(semi + 1);
        if (!rest.empty()) saveLiterals_ = rest[0] != '0';
        const std::size_t semi2 = rest.find(';');
        if (semi2 != std::string_view::npos && semi2 + 1 < rest.size())
            blank_ = utf8::DecodeOne(rest.substr(semi2 + 1)).codePoint;
    }
    int caseRule = 0;
    std::size_t i = 0;
    while (i < body.size()) {
        const char c = body[i];
        if (c == '>' || c == '<') {
            if (c == '<' && i + 1 < body.size() && body[i + 1] == '>') {
                caseRule = 0;
                i += 2;
                continue;
            }
            caseRule = c == '>' ? 1 : 2;
            ++i;
            continue;
        }
        if (c == '!') {
            ++i;
            continue;
        }
        if (c == '\\' && i + 1 < body.size()) {
            const utf8::Decoded d = utf8::DecodeOne(body.substr(i + 1));
            slots_.push_back(Slot{0, d.codePoint, caseRule, 0});
            i += 1 + d.length;
            continue;
        }
        if (std::string_view("09#LlAaCc").find(c) != std::string_view::npos) {
            slots_.push_back(Slot{c, 0, caseRule, 0});
            ++i;
            continue;
        }
        const utf8::Decoded d = utf8::DecodeOne(body.substr(i));
        // '_' in a mask stands for a space.
        slots_.push_back(Slot{0, d.codePoint == U'_' ? U' ' : d.codePoint, caseRule, 0});
        i += d.length;
    }
    caret_ = NextEditable(0);
}

bool TCustomMaskEdit::Fits(const Slot& s, char32_t c) const {
    const bool digit = c >= U'0' && c <= U'9';
    const bool letter = (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c > 127;
    switch (s.kind) {
        case '0':
        case '9':
            return digit;
        case '#':
            return digit || c == U'+' || c == U'-';
        case 'L':
        case 'l':
            return letter;
        case 'A':
        case 'a':
            return letter || digit;
        case 'C':
        case 'c':
            return c >= 32;
        default:
            return false;
    }
}

int TCustomMaskEdit::NextEditable(int from) const {
    for (int i = std::max(from, 0); i < static_cast<int>(slots_.size()); ++i)
        if (slots_[static_cast<std::size_t>(i)].kind) return i;
    return static_cast<int>(slots_.size());
}

int TCustomMaskEdit::PrevEditable(int from) const {
    for (int i = std::min(from, static_cast<int>(slots_.size()) - 1); i >= 0; --i)
        if (slots_[static_cast<std::size_t>(i)].kind) return i;
    return -1;
}

std::string TCustomMaskEdit::EditText() const {
    if (!IsMasked()) return Text();
    std::string r;
    for (const Slot& s : slots_) utf8::Append(r, s.kind ? (s.value ? s.value : blank_) : s.literal);
    return r;
}

void TCustomMaskEdit::UpdateText(bool byUser) {
    std::string text;
    for (const Slot& s : slots_) {
        if (!s.kind) {
            if (saveLiterals_) utf8::Append(text, s.literal);
        } else {
            utf8::Append(text, s.value ? s.value : U' ');
        }
    }
    if (Editor().SetText(text)) EditChanged(byUser);
    Editor().SetSelection(caret_, 0);
    Changed(TPeerChange::Selection);
}

void TCustomMaskEdit::SetText(std::string_view text) {
    if (!IsMasked()) {
        TCustomEdit::SetText(text);
        return;
    }
    // Characters fill the positions in order; with literals saved, a literal
    // in the text stands for the mask's literal.
    for (Slot& s : slots_) s.value = 0;
    std::size_t pos = 0;
    for (Slot& s : slots_) {
        if (pos >= text.size()) break;
        const utf8::Decoded d = utf8::DecodeOne(text.substr(pos));
        if (!s.kind) {
            if (saveLiterals_) pos += d.length;
            continue;
        }
        pos += d.length;
        char32_t c = d.codePoint;
        if (s.caseRule == 1 && c >= U'a' && c <= U'z') c -= 32;
        if (s.caseRule == 2 && c >= U'A' && c <= U'Z') c += 32;
        s.value = Fits(s, c) ? c : 0;
    }
    caret_ = NextEditable(0);
    SetModified(false);
    UpdateText(false);
}

bool TCustomMaskEdit::ValidateEdit() const {
    for (const Slot& s : slots_)
        if ((s.kind == '0' || s.kind == 'L' || s.kind == 'A' || s.kind == 'C') && !s.value)
            return false;
    return true;
}

void TCustomMaskEdit::KeyPress(char32_t& key) {
    if (!IsMasked()) {
        TCustomEdit::KeyPress(key);
        return;
    }
    if (key == 22 || key == 3 || key == 24) {
        // Pasting into a mask types each character of the clipboard.
        if (key == 3 || ReadOnly()) return;
        if (key == 24) return;
        const std::string clip = Clipboard().AsText();
        std::size_t pos = 0;
        while (pos < clip.size()) {
            const utf8::Decoded d = utf8::DecodeOne(std::string_view(clip).substr(pos));
            char32_t c = d.codePoint;
            KeyPress(c);
            pos += d.length;
        }
        return;
    }
    if (ReadOnly()) return;
    if (key == 8) {
        const int i = PrevEditable(caret_ - 1);
        if (i < 0) return;
        slots_[static_cast<std::size_t>(i)].value = 0;
        caret_ = i;
        UpdateText(true);
        return;
    }
    if (key < 32) return;
    const int i = NextEditable(caret_);
    if (i >= static_cast<int>(slots_.size())) return;
    Slot& s = slots_[static_cast<std::size_t>(i)];
    char32_t c = key;
    if (s.caseRule == 1 && c >= U'a' && c <= U'z') c -= 32;
    if (s.caseRule == 2 && c >= U'A' && c <= U'Z') c += 32;
    if (!Fits(s, c)) return;
    s.value = c;
    caret_ = NextEditable(i + 1);
    UpdateText(true);
}

void TCustomMaskEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
    if (!IsMasked()) {
        TCustomEdit::KeyDown(key, shift);
        return;
    }
    switch (key) {
        case VK_DELETE:
            key = 0;
            if (ReadOnly()) return;
            if (caret_ < static_cast<int>(slots_.size()) &&
                slots_[static_cast<std::size_t>(caret_)].kind) {
                slots_[static_cast<std::size_t>(caret_)].value = 0;
                UpdateText(true);
            }
            return;
        case VK_LEFT: {
            const int i = PrevEditable(caret_ - 1);
            if (i >= 0) caret_ = i;
            break;
        }
        case VK_RIGHT:
            caret_ = NextEditable(caret_ + 1);
            break;
        case VK_HOME:
            caret_ = NextEditable(0);
            break;
        case VK_END:
            caret_ = static_cast<int>(slots_.size());
            break;
        default:
            return;
    }
    key = 0;
    Editor().SetSelection(caret_, 0);
    Changed(TPeerChange::Selection);
}

// ---------------------------------------------------------------- TCustomMemo

const TClassInfo& TCustomMemo::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomMemo>("TCustomMemo", &TCustomEdit::StaticClassInfo()).Abstract();
    return info;
}

namespace {

template <class T>
TClassBuilder<T>& MemoProperties(TClassBuilder<T>& b) {
    return EditProperties(b)
        .Enum("Alignment", kAlignmentNames, &T::Alignment, &T::SetAlignment, taLeftJustify)
        .Strings("Lines", [](T& m) -> TStrings& { return m.Lines(); })
        .Enum("ScrollBars", kScrollStyleNames, &T::ScrollBars, &T::SetScrollBars, ssNone)
        .Bool("WantReturns", &T::WantReturns, &T::SetWantReturns, true)
        .Bool("WantTabs", &T::WantTabs, &T::SetWantTabs, false)
        .Bool("WordWrap", &T::WordWrap, &T::SetWordWrap, true);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string r;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) r += '\n';
        r += lines[i];
    }
    return r;
}

}  // namespace

const TClassInfo& TMemo::StaticClassInfo() {
    static const TClassInfo& info = [] {
        TClassBuilder<TMemo> b("TMemo", &TCustomMemo::StaticClassInfo());
        MemoProperties(b);
        return std::cref(b.Factory());
    }();
    return info;
}

// The rich edit publishes what the memo does, and its own additions.
const TClassInfo& TRichEdit::StaticClassInfo() {
    static const TClassInfo& info = [] {
        TClassBuilder<TRichEdit> b("TRichEdit", &TCustomRichEdit::StaticClassInfo());
        MemoProperties(b)
            .Bool("PlainText", &TRichEdit::PlainText, &TRichEdit::SetPlainText, false)
            .Enum("TextFormat", kRichTextFormatNames, &TRichEdit::TextFormat,
                  &TRichEdit::SetTextFormat, rfPlainText)
            .Event("OnSelectionChange", &TRichEdit::OnSelectionChange);
        return std::cref(b.Factory());
    }();
    return info;
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner) {
    InitBounds(185, 89);
    Editor().multiLine = true;
    lines_.ownerHook = [this] { LinesChanged(); };
}

void TCustomMemo::LinesChanged() {
    if (syncing_) return;
    syncing_ = true;
    try {
        TCustomEdit::SetText(JoinLines(lines_.Lines()));
    } catch (...) {
        syncing_ = false;
        throw;
    }
    syncing_ = false;
}

void TCustomMemo::SetText(std::string_view text) {
    TCustomEdit::SetText(text);
}

void TCustomMemo::Change() {
    // The lines follow the text before the handlers look at them.
    if (!syncing_) {
        syncing_ = true;
        TStringList split;
        split.SetText(Text());
        std::vector<std::string> lines = split.Lines();
        // A text ending in a line break has an empty last line.
        if (!Text().empty() && Text().back() == '\n') lines.emplace_back();
        lines_.SetLines(std::move(lines));
        syncing_ = false;
    }
    TCustomEdit::Change();
}

void TCustomMemo::SetAlignment(TAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    Changed(TPeerChange::Appearance);
}

void TCustomMemo::SetScrollBars(TScrollStyle s) {
    if (s == scrollBars_) return;
    scrollBars_ = s;
    Changed(TPeerChange::Appearance);
}

void TCustomMemo::SetWordWrap(bool v) {
    if (v == wordWrap_) return;
    wordWrap_ = v;
    Changed(TPeerChange::Appearance);
}

bool TCustomMemo::WantsKey(std::uint16_t key) const {
    return (key == VK_RETURN && wantReturns_) || (key == VK_TAB && wantTabs_);
}

void TCustomMemo::KeyPress(char32_t& key) {
    if ((key == 13 && wantReturns_) || (key == 9 && wantTabs_)) {
        if (ReadOnly()) return;
        if (Editor().Insert(key == 13 ? "\n" : "\t")) EditChanged(true);
        return;
    }
    TCustomEdit::KeyPress(key);
}

// ---------------------------------------------------------------- buttons

const TClassInfo& TButtonControl::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TButtonControl>("TButtonControl", &TWinControl::StaticClassInfo()).Abstract();
    return info;
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    InitColor(clBtnFace, false);
    SetTabStop(true);
}

void TButtonControl::KeyPress(char32_t& key) {
    if (key == U' ') UserClick();
}

const TClassInfo& TButton::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TButton>("TButton", &TButtonControl::StaticClassInfo())
            .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
            .Str("Caption", &GetCaption, &SetCaptionText)
            .Color("Color", &TButton::Color, &TButton::SetColor, clBtnFace)
            .StoredIf([](const TButton& c) { return !c.ParentColor(); })
            .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
            .Enum("ModalResult", kModalResultNames, &TButton::ModalResult, &TButton::SetModalResult,
                  mrNone)
            .Bool("ParentColor", &TButton::ParentColor, &TButton::SetParentColor, false)
            .Bool("TabStop", &TButton::TabStop, &TButton::SetTabStop, true)
            .Factory();
    return info;
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    InitBounds(75, 25);
}

void TButton::SetDefault(bool v) {
    if (v == default_) return;
    default_ = v;
    Changed(TPeerChange::Appearance);
}

void TButton::Click() {
    // The form learns the result before the handler runs, which may change it.
    if (modalResult_ != mrNone)
        if (TCustomForm* form = ParentForm()) form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

const TClassInfo& TCustomCheckBox::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomCheckBox>("TCustomCheckBox", &TButtonControl::StaticClassInfo())
            .Abstract();
    return info;
}

const TClassInfo& TCheckBox::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCheckBox>("TCheckBox", &TCustomCheckBox::StaticClassInfo())
            .Enum("Alignment", kLeftRightNames, &TCheckBox::Alignment, &TCheckBox::SetAlignment,
                  taRightJustify)
            .Bool("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed, false)
            .Str("Caption", &GetCaption, &SetCaptionText)
            .Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false)
            .Enum("State", kCheckBoxStateNames, &TCheckBox::State, &TCheckBox::SetState,
                  cbUnchecked)
            .Bool("TabStop", &TCheckBox::TabStop, &TCheckBox::SetTabStop, true)
            .Factory();
    return info;
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
    InitBounds(97, 17);
    InitColor(clBtnFace, true);
}

void TCustomCheckBox::SetAlignment(TLeftRight a) {
    if (a == alignment_) return;
    alignment_ = a;
    Changed(TPeerChange::Appearance);
}

void TCustomCheckBox::SetState(TCheckBoxState s) {
    if (s == state_) return;
    state_ = s;
    Changed(TPeerChange::ItemIndex);
    TButtonControl::Click();
}

void TCustomCheckBox::Toggle() {
    switch (state_) {
        case cbUnchecked:
            SetState(allowGrayed_ ? cbGrayed : cbChecked);
            break;
        case cbChecked:
            SetState(cbUnchecked);
            break;
        case cbGrayed:
            SetState(cbChecked);
            break;
    }
}

const TClassInfo& TRadioButton::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TRadioButton>("TRadioButton", &TButtonControl::StaticClassInfo())
            .Enum("Alignment", kLeftRightNames, &TRadioButton::Alignment,
                  &TRadioButton::SetAlignment, taRightJustify)
            .Str("Caption", &GetCaption, &SetCaptionText)
            .Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, false)
            .Bool("TabStop", &TRadioButton::TabStop, &TRadioButton::SetTabStop, true)
            .Factory();
    return info;
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    InitBounds(113, 17);
    InitColor(clBtnFace, true);
}

void TRadioButton::SetAlignment(TLeftRight a) {
    if (a == alignment_) return;
    alignment_ = a;
    Changed(TPeerChange::Appearance);
}

void TRadioButton::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    Changed(TPeerChange::ItemIndex);
    if (!v) return;
    if (Parent() && !IsLoading()) {
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); r && r != this)
                r->SetChecked(false);
    }
    TButtonControl::Click();
}

// ---------------------------------------------------------------- TCustomComboBox

const TClassInfo& TCustomComboBox::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomComboBox>("TCustomComboBox", &TWinControl::StaticClassInfo())
            .Abstract();
    return info;
}

const TClassInfo& TComboBox::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TComboBox>("TComboBox", &TCustomComboBox::StaticClassInfo())
            .Color("Color", &TComboBox::Color, &TComboBox::SetColor, clWindow)
            .StoredIf([](const TComboBox& c) { return !c.ParentColor(); })
            .Int("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount, 8)
            .Int("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex, -1)
            .Strings("Items", [](TComboBox& c) -> TStrings& { return c.Items(); })
            .Int("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength, 0, 0, INT32_MAX)
            .Bool("ParentColor", &TComboBox::ParentColor, &TComboBox::SetParentColor, false)
            .Bool("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted, false)
            .Enum("Style", kComboBoxStyleNames, &TComboBox::Style, &TComboBox::SetStyle, csDropDown)
            .Bool("TabStop", &TComboBox::TabStop, &TComboBox::SetTabStop, true)
            .Str("Text", &GetText, &SetTextText)
            .Event("OnChange", &TComboBox::OnChange)
            .Event("OnDropDown", &TComboBox::OnDropDown)
            .Factory();
    return info;
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner) {
    InitBounds(145, 21);
    InitColor(clWindow, false);
    SetTabStop(true);
    items_.ownerHook = [this] { ItemsChanged(); };
}

void TCustomComboBox::ItemsChanged() {
    if (sorting_) return;
    if (sorted_) {
        sorting_ = true;
        std::vector<std::string> lines = items_.Lines();
        std::stable_sort(
            lines.begin(), lines.end(),
            [](const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); });
        items_.SetLines(std::move(lines));
        sorting_ = false;
    }
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    Changed(TPeerChange::Items);
}

void TCustomComboBox::SetSorted(bool v) {
    if (v == sorted_) return;
    sorted_ = v;
    ItemsChanged();
}

void TCustomComboBox::SetItemIndex(int index) {
    if (IsLoading()) {
        itemIndex_ = index;
        return;
    }
    if (index < -1 || index >= items_.Count()) index = -1;
    itemIndex_ = index;
    const std::string text = index >= 0 ? items_[index] : std::string();
    if (editor_.SetText(text)) StoreText(editor_.Text());
    Changed(TPeerChange::ItemIndex);
    Changed(TPeerChange::Text);
}

void TCustomComboBox::SetStyle(TComboBoxStyle s) {
    if (s == style_) return;
    style_ = s;
    Changed(TPeerChange::Appearance);
}

void TCustomComboBox::SetMaxLength(int v) {
    editor_.maxLength = std::max(v, 0);
    Changed(TPeerChange::MaxLength);
}

void TCustomComboBox::SetText(std::string_view text) {
    if (!editor_.SetText(text)) return;
    StoreText(editor_.Text());
    itemIndex_ = items_.IndexOf(editor_.Text());
    Changed(TPeerChange::Text);
    Change();
}

void TCustomComboBox::Change() {
    if (OnChange && EventsEnabled()) OnChange(this);
}

void TCustomComboBox::Loaded() {
    TWinControl::Loaded();
    editor_.SetText(Text());
    if (itemIndex_ < -1 || itemIndex_ >= items_.Count()) itemIndex_ = -1;
    if (itemIndex_ >= 0 && editor_.SetText(items_[itemIndex_])) StoreText(editor_.Text());
}

void TCustomComboBox::SelectByUser(int index) {
    if (index < 0 || index >= items_.Count() || index == itemIndex_) return;
    itemIndex_ = index;
    editor_.SetText(items_[index]);
    StoreText(editor_.Text());
    Changed(TPeerChange::ItemIndex);
    Changed(TPeerChange::Text);
    Click();
    Change();
}

void TCustomComboBox::InputSelectItem(int index) {
    Dispatch([&] { SelectByUser(index); });
}

void TCustomComboBox::SetTextFromPeer(std::string_view text, int selStart, int selLength) {
    const bool changed = editor_.SetText(text);
    editor_.SetSelection(selStart, selLength);
    if (!changed) return;
    StoreText(editor_.Text());
    itemIndex_ = items_.IndexOf(editor_.Text());
    Changed(TPeerChange::Text);
    Change();
}

void TCustomComboBox::KeyPress(char32_t& key) {
    if (style_ == csDropDownList || style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable) {
        // Typing picks the next entry that starts with the character.
        if (key < 32 || items_.Count() == 0) return;
        std::string k;
        utf8::Append(k, key);
        for (int n = 1; n <= items_.Count(); ++n) {
            const int i = (itemIndex_ + n) % items_.Count();
            const std::string first = items_[i].substr(0, k.size());
            if (SameText(first, k)) {
                SelectByUser(i);
                return;
            }
        }
        return;
    }
    bool changed = false;
    if (key == 8) {
        changed = editor_.DeleteBackward();
    } else if (key == 22) {
        changed = editor_.Paste(Clipboard().AsText());
    } else if (key == 3) {
        if (editor_.SelLength() > 0) Clipboard().SetAsText(editor_.SelText());
    } else if (key >= 32) {
        std::string s;
        utf8::Append(s, key);
        changed = editor_.Insert(s);
    }
    if (!changed) return;
    StoreText(editor_.Text());
    itemIndex_ = items_.IndexOf(editor_.Text());
    Changed(TPeerChange::Text);
    Change();
}

void TCustomComboBox::KeyDown(std::uint16_t& key, TShiftState /*shift*/) {
    if (key != VK_DOWN && key != VK_UP) return;
    if (key == VK_DOWN && itemIndex_ + 1 < items_.Count()) SelectByUser(itemIndex_ + 1);
    if (key == VK_UP && itemIndex_ > 0) SelectByUser(itemIndex_ - 1);
    key = 0;
}

// ---------------------------------------------------------------- TCustomGroupBox

const TClassInfo& TCustomGroupBox::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomGroupBox>("TCustomGroupBox", &TCustomControl::StaticClassInfo())
            .Abstract();
    return info;
}

const TClassInfo& TGroupBox::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TGroupBox>("TGroupBox", &TCustomGroupBox::StaticClassInfo())
            .Str("Caption", &GetCaption, &SetCaptionText)
            .Color("Color", &TGroupBox::Color, &TGroupBox::SetColor, clBtnFace)
            .StoredIf([](const TGroupBox& c) { return !c.ParentColor(); })
            .Event("OnPaint", &TGroupBox::OnPaint)
            .Factory();
    return info;
}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    InitBounds(185, 105);
    InitColor(clBtnFace, true);
}

TRect TCustomGroupBox::AlignRect() const {
    TCanvas canvas;
    canvas.Font().Assign(Font());
    TRect r = ClientRect();
    r.Top += canvas.TextHeight("0");
    r.Left += 2;
    r.Top += 2;
    r.Right -= 2;
    r.Bottom -= 2;
    return r;
}

void TCustomGroupBox::Paint() {
    TCanvas& c = Canvas();
    c.Font().Assign(Font());
    const int h = c.TextHeight("0");
    TRect r = Rect(0, h / 2 - 1, Width(), Height());
    c.Brush().SetStyle(bsClear);
    c.Pen().SetColor(clBtnHighlight);
    c.Rectangle(r.Left + 1, r.Top + 1, r.Right, r.Bottom);
    c.Pen().SetColor(clBtnShadow);
    c.Rectangle(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
    if (!Caption().empty()) {
        const std::string text = StripAccel(Caption());
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(Rect(8, 0, 8 + c.TextWidth(text), h));
        c.Brush().SetStyle(bsClear);
        c.TextOut(8, 0, text);
    }
    TCustomControl::Paint();
}

// ---------------------------------------------------------------- TCustomPanel

const TClassInfo& TCustomPanel::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomPanel>("TCustomPanel", &TCustomControl::StaticClassInfo()).Abstract();
    return info;
}

const TClassInfo& TPanel::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TPanel>("TPanel", &TCustomPanel::StaticClassInfo())
            .Enum("Alignment", kAlignmentNames, &TPanel::Alignment, &TPanel::SetAlignment, taCenter)
            .Enum("BevelInner", kBevelCutNames, &TPanel::BevelInner, &TPanel::SetBevelInner, bvNone)
            .Enum("BevelOuter", kBevelCutNames, &TPanel::BevelOuter, &TPanel::SetBevelOuter,
                  bvRaised)
            .Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1, 1, 1000)
            .Int("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0, 0, 1000)
            .Enum("BorderStyle", kBorderStyleNames, &TPanel::BorderStyle, &TPanel::SetBorderStyle,
                  bsNone)
            .Str("Caption", &GetCaption, &SetCaptionText)
            .Color("Color", &TPanel::Color, &TPanel::SetColor, clBtnFace)
            .StoredIf([](const TPanel& c) { return !c.ParentColor(); })
            .Bool("FullRepaint", &TPanel::FullRepaint, &TPanel::SetFullRepaint, true)
            .Bool("Locked", &TPanel::Locked, &TPanel::SetLocked, false)
            .Bool("ParentColor", &TPanel::ParentColor, &TPanel::SetParentColor, false)
            .Event("OnPaint", &TPanel::OnPaint)
            .Factory();
    return info;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    InitBounds(185, 41);
    InitColor(clBtnFace, false);
}

void TCustomPanel::SetAlignment(TAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel b) {
    if (b == bevelInner_) return;
    bevelInner_ = b;
    Changed(TPeerChange::Appearance);
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel b) {
    if (b == bevelOuter_) return;
    bevelOuter_ = b;
    Changed(TPeerChange::Appearance);
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int w) {
    w = std::max(w, 1);
    if (w == bevelWidth_) return;
    bevelWidth_ = w;
    Changed(TPeerChange::Appearance);
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle s) {
    if (s == borderStyle_) return;
    borderStyle_ = s;
    Changed(TPeerChange::Appearance);
    Realign();
    Invalidate();
}

TRect TCustomPanel::ClientRect() const {
    const int e = borderStyle_ == bsSingle ? 2 : 0;
    return Rect(0, 0, std::max(Width() - 2 * e, 0), std::max(Height() - 2 * e, 0));
}

TPoint TCustomPanel::ClientOffset() const {
    const int e = borderStyle_ == bsSingle ? 2 : 0;
    return TPoint{e, e};
}

TRect TCustomPanel::AlignRect() const {
    int inset = BorderWidth();
    if (bevelOuter_ != bvNone) inset += bevelWidth_;
    if (bevelInner_ != bvNone) inset += bevelWidth_;
    TRect r = ClientRect();
    r.Left += inset;
    r.Top += inset;
    r.Right -= inset;
    r.Bottom -= inset;
    return r;
}

void TCustomPanel::Paint() {
    TCanvas& c = Canvas();
    auto colors = [](TPanelBevel b, TColor& top, TColor& bottom) {
        top = b == bvLowered ? clBtnShadow : clBtnHighlight;
        bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
    };
    const TPoint offset = ClientOffset();
    TRect r = Rect(0, 0, Width(), Height());
    if (borderStyle_ == bsSingle) {
        // The sunken client edge.
        TRect edge = r;
        Frame3D(c, edge, clBtnShadow, clBtnHighlight, 1);
        Frame3D(c, edge, cl3DDkShadow, cl3DLight, 1);
    }
    r = Rect(offset.X, offset.Y, offset.X + ClientWidth(), offset.Y + ClientHeight());
    TColor top, bottom;
    if (bevelOuter_ != bvNone) {
        colors(bevelOuter_, top, bottom);
        Frame3D(c, r, top, bottom, bevelWidth_);
    }
    Frame3D(c, r, Color(), Color(), BorderWidth());
    if (bevelInner_ != bvNone) {
        colors(bevelInner_, top, bottom);
        Frame3D(c, r, top, bottom, bevelWidth_);
    }
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    c.Brush().SetStyle(bsClear);
    c.Font().Assign(Font());
    const std::string text = StripAccel(Caption());
    if (!text.empty()) {
        const int h = c.TextHeight("W");
        const int y = (r.Top + r.Bottom - h) / 2;
        const int w = c.TextWidth(text);
        int x = r.Left;
        if (alignment_ == taRightJustify) x = r.Right - w;
        if (alignment_ == taCenter) x = r.Left + (r.Width() - w) / 2;
        c.TextRect(r, x, y, text);
    }
    TCustomControl::Paint();
}

}  // namespace quillon
