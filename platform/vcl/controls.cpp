// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/controls.h"

#include <algorithm>

#include "platform/gdi/canvas.h"
#include "platform/gdi/device_context.h"
#include "platform/sys/utf8.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/graphics_properties.h"
#include "platform/vcl/properties.h"

namespace quillon {

// ---------------------------------------------------------------- enumeration names

const TEnumInfo kAlignNames{"TAlign",
                            {{"alNone", alNone},
                             {"alTop", alTop},
                             {"alBottom", alBottom},
                             {"alLeft", alLeft},
                             {"alRight", alRight},
                             {"alClient", alClient}}};
const TEnumInfo kAlignmentNames{
    "TAlignment",
    {{"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}, {"taCenter", taCenter}}};
const TEnumInfo kLeftRightNames{
    "TLeftRight", {{"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}}};
const TEnumInfo kBorderStyleNames{"TBorderStyle", {{"bsNone", bsNone}, {"bsSingle", bsSingle}}};
const TEnumInfo kFormBorderStyleNames{"TFormBorderStyle",
                                      {{"bsNone", bsNone},
                                       {"bsSingle", bsSingle},
                                       {"bsSizeable", bsSizeable},
                                       {"bsDialog", bsDialog},
                                       {"bsToolWindow", bsToolWindow},
                                       {"bsSizeToolWin", bsSizeToolWin}}};
const TEnumInfo kBevelCutNames{
    "TBevelCut",
    {{"bvNone", bvNone}, {"bvLowered", bvLowered}, {"bvRaised", bvRaised}, {"bvSpace", bvSpace}}};
const TEnumInfo kTextLayoutNames{
    "TTextLayout", {{"tlTop", tlTop}, {"tlCenter", tlCenter}, {"tlBottom", tlBottom}}};
const TEnumInfo kScrollStyleNames{"TScrollStyle",
                                  {{"ssNone", ssNone},
                                   {"ssHorizontal", ssHorizontal},
                                   {"ssVertical", ssVertical},
                                   {"ssBoth", ssBoth}}};
const TEnumInfo kCursorNames{
    "TCursor",
    {{"crDefault", crDefault},     {"crNone", crNone},           {"crArrow", crArrow},
     {"crCross", crCross},         {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW},
     {"crSizeNS", crSizeNS},       {"crSizeNWSE", crSizeNWSE},   {"crSizeWE", crSizeWE},
     {"crUpArrow", crUpArrow},     {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
     {"crNoDrop", crNoDrop},       {"crHSplit", crHSplit},       {"crVSplit", crVSplit},
     {"crMultiDrag", crMultiDrag}, {"crSQLWait", crSQLWait},     {"crNo", crNo},
     {"crAppStart", crAppStart},   {"crHelp", crHelp},           {"crHandPoint", crHandPoint},
     {"crSizeAll", crSizeAll}}};
const TEnumInfo kModalResultNames{"TModalResult",
                                  {{"mrNone", mrNone},
                                   {"mrOk", mrOk},
                                   {"mrCancel", mrCancel},
                                   {"mrAbort", mrAbort},
                                   {"mrRetry", mrRetry},
                                   {"mrIgnore", mrIgnore},
                                   {"mrYes", mrYes},
                                   {"mrNo", mrNo},
                                   {"mrAll", mrAll}}};

// ---------------------------------------------------------------- TControl

const TClassInfo& TControl::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TControl>("TControl", &TComponent::StaticClassInfo())
            .Int("Left", &TControl::Left, &TControl::SetLeft, std::nullopt, -kMaxCoordinate,
                 kMaxCoordinate)
            .Int("Top", &TControl::Top, &TControl::SetTop, std::nullopt, -kMaxCoordinate,
                 kMaxCoordinate)
            .Int("Width", &TControl::Width, &TControl::SetWidth, std::nullopt, 0, kMaxCoordinate)
            .Int("Height", &TControl::Height, &TControl::SetHeight, std::nullopt, 0, kMaxCoordinate)
            .Enum("Align", kAlignNames, &TControl::Align, &TControl::SetAlign, alNone)
            .Color("Color", &TControl::Color, &TControl::SetColor, clWindow)
            .StoredIf([](const TControl& c) { return !c.ParentColor(); })
            .Enum("Cursor", kCursorNames, &TControl::Cursor, &TControl::SetCursor, crDefault)
            .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
            .Object(
                "Font", FontClassInfo(), [](TControl& c) -> TFont& { return c.Font(); },
                [](const TControl& c) { return !c.ParentFont(); })
            .DefaultsFrom([](const TControl& c) -> const TFont* {
                return c.Parent() ? &c.Parent()->Font() : nullptr;
            })
            .Str("Hint", &TControl::Hint, [](TControl& c, const std::string& v) { c.SetHint(v); })
            .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
            .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
            .Bool("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
            .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
            .StoredIf([](const TControl& c) { return !c.ParentShowHint(); })
            .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
            .Event("OnClick", &TControl::OnClick)
            .Event("OnDblClick", &TControl::OnDblClick)
            .Event("OnMouseDown", &TControl::OnMouseDown)
            .Event("OnMouseUp", &TControl::OnMouseUp)
            .Event("OnMouseMove", &TControl::OnMouseMove)
            .Abstract();
    return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.SetOnChange([this](TGraphicsObject&) { FontChanged(); });
}

TControl::~TControl() {
    peer_.reset();
    if (parent_) parent_->RemoveControl(this);
}

bool TControl::SetParentComponent(TComponent* parent) {
    auto* win = dynamic_cast<TWinControl*>(parent);
    if (!win) return false;
    SetParent(win);
    return true;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (auto* self = dynamic_cast<TWinControl*>(this);
        self && parent && self->ContainsControl(parent))
        throw EInvalidOperation("A control cannot have a control inside it as its parent");
    // The widget belongs to the old parent's widget: it goes and comes back
    // under the new one.
    if (auto* win = dynamic_cast<TWinControl*>(this)) {
        std::function<void(TWinControl*)> drop = [&](TWinControl* w) {
            for (TControl* c : w->controls_) {
                if (auto* cw = dynamic_cast<TWinControl*>(c)) drop(cw);
                c->peer_.reset();
            }
        };
        drop(win);
    }
    peer_.reset();
    if (parent_) parent_->RemoveControl(this);
    if (parent) {
        parent->InsertControl(this);
        if (parentFont_) TakeFont(parent->Font());
        if (parentColor_) color_ = parent->Color();
        if (parentShowHint_) showHint_ = parent->ShowHint();
        if (parent->Peer()) Realise();
        if (align_ != alNone) parent->Realign();
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
    Changed(TPeerChange::Bounds);
    if (parent_ && align_ != alNone) parent_->Realign();
}

TPoint TControl::ClientOrigin() const {
    TPoint p{left_, top_};
    for (const TWinControl* w = parent_; w && w->Parent(); w = w->Parent()) {
        const TPoint offset = w->ClientOffset();
        p.X += w->Left() + offset.X;
        p.Y += w->Top() + offset.Y;
    }
    return p;
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
}

void TControl::VisibleChanged() {
    Changed(TPeerChange::Visible);
    if (parent_ && align_ != alNone) parent_->Realign();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
    Changed(TPeerChange::Enabled);
}

void TControl::SetColor(TColor color) {
    const bool wasParent = parentColor_;
    parentColor_ = false;
    if (color == color_ && !wasParent) return;
    color_ = color;
    Changed(TPeerChange::Color);
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->controls_) c->ParentColorChanged();
}

void TControl::SetParentColor(bool v) {
    parentColor_ = v;
    if (v && parent_ && color_ != parent_->Color()) {
        color_ = parent_->Color();
        Changed(TPeerChange::Color);
        if (auto* w = dynamic_cast<TWinControl*>(this))
            for (TControl* c : w->controls_) c->ParentColorChanged();
    }
}

void TControl::ParentColorChanged() {
    if (parentColor_) SetParentColor(true);
}

void TControl::TakeFont(const TFont& font) {
    takingFont_ = true;
    try {
        font_.Assign(font);
    } catch (...) {
        takingFont_ = false;
        throw;
    }
    takingFont_ = false;
}

void TControl::FontChanged() {
    if (!takingFont_) parentFont_ = false;
    Changed(TPeerChange::Font);
}

void TControl::SetParentFont(bool v) {
    parentFont_ = v;
    if (v && parent_) TakeFont(parent_->Font());
}

void TControl::ParentFontChanged() {
    if (parentFont_ && parent_) TakeFont(parent_->Font());
}

void TControl::SetText(std::string_view text) {
    if (text == text_) return;
    text_ = std::string(text);
    TextChanged();
    Changed(TPeerChange::Text);
}

void TControl::SetHint(std::string_view hint) {
    if (hint == hint_) return;
    hint_ = std::string(hint);
    Changed(TPeerChange::Hint);
}

void TControl::SetShowHint(bool v) {
    parentShowHint_ = false;
    if (v == showHint_) return;
    showHint_ = v;
    Changed(TPeerChange::Hint);
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->controls_)
            if (c->parentShowHint_) {
                c->SetShowHint(v);
                c->parentShowHint_ = true;
            }
}

void TControl::SetParentShowHint(bool v) {
    parentShowHint_ = v;
    if (v && parent_ && showHint_ != parent_->ShowHint()) {
        SetShowHint(parent_->ShowHint());
        parentShowHint_ = true;
    }
}

bool TControl::HintShown() const {
    return showHint_ && !hint_.empty();
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    Changed(TPeerChange::Cursor);
}

void TControl::BringToFront() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
    parent_->Changed(TPeerChange::TabOrder);
}

void TControl::SendToBack() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    list.insert(list.begin(), this);
    parent_->Changed(TPeerChange::TabOrder);
}

void TControl::PaintTo(DeviceContext& dc, int x, int y) {
    // A plain box with the text: what a control shown by a widget looks like
    // where there is no widget to draw it.
    ScopedDcSave save(dc);
    dc.OffsetWindowOrgEx(-x, -y);
    TCanvas canvas(&dc);
    canvas.Brush().SetColor(color_);
    canvas.Pen().SetColor(clBtnShadow);
    canvas.Rectangle(0, 0, width_, height_);
    canvas.Font().Assign(font_);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextRect(Rect(1, 1, width_ - 1, height_ - 1), 3, 2, text_);
    canvas.SetHandle(nullptr);
}

void TControl::PaintSelf(DeviceContext& dc) {
    TControl::PaintTo(dc, 0, 0);
}

TCustomForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c->parent_) c = c->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::Click() {
    if (OnClick && EventsEnabled()) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick && EventsEnabled()) OnDblClick(this);
}

void TControl::Dispatch(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        Application().HandleException(e);
    }
}

namespace {
bool EnabledChain(const TControl* c) {
    for (; c; c = c->Parent())
        if (!c->Enabled()) return false;
    return true;
}
}  // namespace

void TControl::InputClick() {
    if (!EnabledChain(this)) return;
    Dispatch([this] {
        // Clicking a control that takes the focus gives it the focus first.
        if (auto* w = dynamic_cast<TWinControl*>(this); w && w->TabStop() && w->CanFocus())
            w->SetFocus();
        UserClick();
    });
}

void TControl::InputDblClick() {
    if (!EnabledChain(this)) return;
    Dispatch([this] { DblClick(); });
}

void TControl::InputMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!EnabledChain(this)) return;
    Dispatch([&] {
        if (auto* w = dynamic_cast<TWinControl*>(this);
            w && w->TabStop() && w->CanFocus() && !w->Focused())
            w->SetFocus();
        MouseDown(button, shift, x, y);
    });
}

bool TControl::InputMouseWheel(TShiftState shift, int wheelDelta, int x, int y) {
    if (!EnabledChain(this)) return false;
    bool handled = false;
    Dispatch([&] { handled = DoMouseWheel(shift, wheelDelta, TPoint{x, y}); });
    return handled;
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheel && EventsEnabled()) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    return handled;
}

void TControl::InputMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (!EnabledChain(this)) return;
    Dispatch([&] { MouseUp(button, shift, x, y); });
}

void TControl::InputMouseMove(TShiftState shift, int x, int y) {
    if (!EnabledChain(this)) return;
    Dispatch([&] { MouseMove(shift, x, y); });
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown && EventsEnabled()) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp && EventsEnabled()) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove && EventsEnabled()) OnMouseMove(this, shift, x, y);
}

void TControl::Realise() {
    if (!peer_) peer_ = Desktop().CreatePeer(*this);
}

void TControl::Loaded() {
    TComponent::Loaded();
}

// ---------------------------------------------------------------- TWinControl

const TClassInfo& TWinControl::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClassInfo())
            .Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
            .StoredIf([](const TWinControl& c) { return c.Parent() != nullptr; })
            .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
            .Event("OnEnter", &TWinControl::OnEnter)
            .Event("OnExit", &TWinControl::OnExit)
            .Event("OnKeyDown", &TWinControl::OnKeyDown)
            .Event("OnKeyPress", &TWinControl::OnKeyPress)
            .Event("OnKeyUp", &TWinControl::OnKeyUp)
            .Abstract();
    return info;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Widgets of the children go first (they live inside this one's widget).
    std::function<void(TWinControl*)> drop = [&](TWinControl* w) {
        for (TControl* c : w->controls_) {
            if (auto* cw = dynamic_cast<TWinControl*>(c)) drop(cw);
            c->peer_.reset();
        }
    };
    drop(this);
    peer_.reset();
    // Children owned by a component are destroyed by their owner; the others
    // belong to this control.
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        controls_.pop_back();
        c->parent_ = nullptr;
        if (!c->Owner()) delete c;
    }
    // Leaves the parent while still a TWinControl: the parent then closes the gap
    // in its tab order (from ~TControl it would no longer know this one took part).
    if (TWinControl* parent = Parent()) parent->RemoveControl(this);
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return controls_[static_cast<std::size_t>(index)];
}

std::vector<TWinControl*> TWinControl::WinControls() const {
    std::vector<TWinControl*> r;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) r.push_back(w);
    return r;
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        // Last in the tab order; a form file may give another place, which the
        // parent settles when loading ends.
        w->tabOrder_ = static_cast<int>(WinControls().size()) - 1;
        Changed(TPeerChange::TabOrder);
    }
}

void TWinControl::RemoveControl(TControl* control) {
    // Controls usually go in the reverse order of their creation: look from the end.
    auto rit = std::find(controls_.rbegin(), controls_.rend(), control);
    if (rit == controls_.rend()) return;
    auto it = std::prev(rit.base());
    if (IsDestroying()) {
        // This control goes too: its tab order, alignment and form no longer matter.
        controls_.erase(it);
        control->parent_ = nullptr;
        return;
    }
    if (TCustomForm* form = ParentForm(); form && !form->IsDestroying())
        form->ControlRemoved(control);
    controls_.erase(it);
    control->parent_ = nullptr;
    if (dynamic_cast<TWinControl*>(control) && !IsLoading()) NormaliseTabOrder();
    if (control->Align() != alNone) Realign();
}

std::vector<TWinControl*> TWinControl::TabList() const {
    std::vector<TWinControl*> list = WinControls();
    std::stable_sort(list.begin(), list.end(), [](const TWinControl* a, const TWinControl* b) {
        return a->tabOrder_ < b->tabOrder_;
    });
    return list;
}

void TWinControl::NormaliseTabOrder() {
    std::vector<TWinControl*> list = TabList();
    for (std::size_t i = 0; i < list.size(); ++i) list[i]->tabOrder_ = static_cast<int>(i);
}

int TWinControl::TabOrder() const {
    return tabOrder_;
}

void TWinControl::SetTabOrder(int order) {
    if (IsLoading() || !Parent()) {
        tabOrder_ = order;
        return;
    }
    std::vector<TWinControl*> list = Parent()->TabList();
    list.erase(std::find(list.begin(), list.end(), this));
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
    for (std::size_t i = 0; i < list.size(); ++i) list[i]->tabOrder_ = static_cast<int>(i);
    Parent()->Changed(TPeerChange::TabOrder);
}

void TWinControl::SetTabStop(bool v) {
    if (v == tabStop_) return;
    tabStop_ = v;
    Changed(TPeerChange::TabOrder);
}

bool TWinControl::Focused() const {
    TCustomForm* form = ParentForm();
    return form && form->ActiveControl() == this;
}

bool TWinControl::CanFocus() const {
    TCustomForm* form = ParentForm();
    if (!form) return false;
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    TCustomForm* form = ParentForm();
    if (form == this) {
        form->SetActiveControl(nullptr);
        return;
    }
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    form->SetActiveControl(this);
}

void TWinControl::InputFocus() {
    Dispatch([this] {
        if (CanFocus()) SetFocus();
    });
}

void TWinControl::DoEnter() {
    if (OnEnter && EventsEnabled()) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit && EventsEnabled()) OnExit(this);
}

void TWinControl::SetBorderWidth(int v) {
    v = std::max(v, 0);
    if (v == borderWidth_) return;
    borderWidth_ = v;
    Changed(TPeerChange::Appearance);
    Realign();
}

TRect TWinControl::AlignRect() const {
    TRect r = ClientRect();
    r.Left += borderWidth_;
    r.Top += borderWidth_;
    r.Right -= borderWidth_;
    r.Bottom -= borderWidth_;
    return r;
}

void TWinControl::Realign() {
    if (aligning_ || IsLoading()) return;
    aligning_ = true;
    TRect r = AlignRect();
    auto place = [&](TAlign which) {
        for (TControl* c : controls_) {
            if (c->Align() != which || !c->Visible()) continue;
            switch (which) {
                case alTop:
                    c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
                    r.Top += c->Height();
                    break;
                case alBottom:
                    c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
                    r.Bottom -= c->Height();
                    break;
                case alLeft:
                    c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
                    r.Left += c->Width();
                    break;
                case alRight:
                    c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
                    r.Right -= c->Width();
                    break;
                case alClient:
                    c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                    break;
                case alNone:
                    break;
            }
        }
    };
    try {
        for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) place(a);
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::BoundsChanged() {
    Realign();
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::VisibleChanged() {
    TControl::VisibleChanged();
    if (!Visible())
        if (TCustomForm* form = ParentForm(); form && form != this) form->ControlHidden(this);
}

void TWinControl::EnabledChanged() {
    if (!Enabled())
        if (TCustomForm* form = ParentForm(); form && form != this) form->ControlHidden(this);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    NormaliseTabOrder();
    Realign();
}

void TWinControl::Notification(TComponent* component, TOperation operation) {
    TControl::Notification(component, operation);
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    for (TControl* c : controls_)
        if (c->Owner() == root) proc(c);
    TComponent::GetChildren(proc, root);
}

void TWinControl::Realise() {
    TControl::Realise();
    for (TControl* c : controls_) c->Realise();
}

void TWinControl::PaintTo(DeviceContext& dc, int x, int y) {
    TControl::PaintTo(dc, x, y);
    for (TControl* c : controls_) {
        if (!c->Visible()) continue;
        ScopedDcSave save(dc);
        dc.IntersectClipRect(x, y, x + Width(), y + Height());
        c->PaintTo(dc, x + ClientOffset().X + c->Left(), y + ClientOffset().Y + c->Top());
    }
}

bool TWinControl::WantsKey(std::uint16_t /*key*/) const {
    return false;
}

void TWinControl::KeyDown(std::uint16_t& /*key*/, TShiftState /*shift*/) {}
void TWinControl::KeyUp(std::uint16_t& /*key*/, TShiftState /*shift*/) {}
void TWinControl::KeyPress(char32_t& /*key*/) {}

namespace {

// The control that takes keys sent to `w`: a form hands them to its active control.
TWinControl* KeyTarget(TWinControl* w) {
    if (auto* form = dynamic_cast<TCustomForm*>(w); form && form->ActiveControl())
        return form->ActiveControl();
    return w;
}

}  // namespace

bool TWinControl::InputKeyDown(std::uint16_t key, TShiftState shift) {
    bool left = false;
    Dispatch([&] { left = KeyDownPath(KeyTarget(this), key, shift); });
    return left;
}

bool TWinControl::InputKeyUp(std::uint16_t key, TShiftState shift) {
    bool left = false;
    Dispatch([&] {
        TWinControl* target = KeyTarget(this);
        TCustomForm* form = target->ParentForm();
        if (form && form != target && form->KeyPreview() && form->OnKeyUp &&
            form->EventsEnabled()) {
            form->OnKeyUp(form, key, shift);
            if (key == 0) return;
        }
        if (target->OnKeyUp && target->EventsEnabled()) {
            target->OnKeyUp(target, key, shift);
            if (key == 0) return;
        }
        target->KeyUp(key, shift);
        left = key != 0;
    });
    return left;
}

char32_t TWinControl::InputKeyPress(char32_t key) {
    char32_t result = 0;
    Dispatch([&] { result = KeyPressPath(KeyTarget(this), key, true); });
    return result;
}

char32_t TWinControl::InputKeyPressHandlers(char32_t key) {
    char32_t result = 0;
    Dispatch([&] { result = KeyPressPath(KeyTarget(this), key, false); });
    return result;
}

std::uint16_t TWinControl::InputKeyDownHandlers(std::uint16_t key, TShiftState shift) {
    std::uint16_t result = 0;
    Dispatch([&] { result = KeyDownHandlers(KeyTarget(this), key, shift); });
    return result;
}

char32_t TWinControl::KeyPressPath(TWinControl* target, char32_t key, bool control) {
    TCustomForm* form = target->ParentForm();
    if (form && form != target && form->KeyPreview() && form->OnKeyPress && form->EventsEnabled()) {
        form->OnKeyPress(form, key);
        if (key == 0) return 0;
    }
    if (target->OnKeyPress && target->EventsEnabled()) {
        target->OnKeyPress(target, key);
        if (key == 0) return 0;
    }
    if (control) target->KeyPress(key);
    return key;
}

void TWinControl::InputKey(std::uint16_t key, TShiftState shift, char32_t character) {
    // A key used up on its way down (swallowed by a handler, pressing a
    // dialog button) brings no character.
    bool left = false;
    Dispatch([&] { left = KeyDownPath(KeyTarget(this), key, shift); });
    if (left && character != 0) InputKeyPress(character);
    InputKeyUp(key, shift);
}

void TWinControl::InputText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const utf8::Decoded d = utf8::DecodeOne(text.substr(i));
        InputKeyPress(d.codePoint);
        i += d.length;
    }
}

bool TWinControl::KeyDownPath(TWinControl* target, std::uint16_t key, TShiftState shift) {
    key = KeyDownHandlers(target, key, shift);
    if (key == 0) return false;
    target->KeyDown(key, shift);
    return key != 0;
}

std::uint16_t TWinControl::KeyDownHandlers(TWinControl* target, std::uint16_t key,
                                           TShiftState shift) {
    TCustomForm* form = target->ParentForm();
    if (form && form != target && form->KeyPreview() && form->OnKeyDown && form->EventsEnabled()) {
        form->OnKeyDown(form, key, shift);
        if (key == 0) return 0;
    }
    if (target->OnKeyDown && target->EventsEnabled()) {
        target->OnKeyDown(target, key, shift);
        if (key == 0) return 0;
    }
    if (form && (key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB) && !target->WantsKey(key) &&
        form->DialogKey(key, shift))
        return 0;
    // F1 opens the program's help at its contents, where the program has one.
    if (key == VK_F1 && shift.Empty() && !Application().HelpFile().empty()) {
        Application().HelpJump("IDH_CONTENTS");
        return 0;
    }
    return key;
}

// ---------------------------------------------------------------- painted controls

const TClassInfo& TGraphicControl::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClassInfo()).Abstract();
    return info;
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

namespace {

// Runs a control's Paint on `canvas` over `dc`, clipped to the control's
// size; the canvas lets go of the context however Paint ends.
void PaintOnCanvas(TCanvas& canvas, DeviceContext& dc, int width, int height,
                   const std::function<void()>& paint) {
    ScopedDcSave save(dc);
    dc.IntersectClipRect(0, 0, width, height);
    canvas.SetHandle(&dc);
    try {
        paint();
    } catch (...) {
        canvas.SetHandle(nullptr);
        throw;
    }
    canvas.SetHandle(nullptr);
}

}  // namespace

void TGraphicControl::PaintTo(DeviceContext& dc, int x, int y) {
    ScopedDcSave save(dc);
    dc.OffsetWindowOrgEx(-x, -y);
    PaintOnCanvas(*canvas_, dc, Width(), Height(), [this] { Paint(); });
}

const TClassInfo& TCustomControl::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticClassInfo()).Abstract();
    return info;
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Paint() {
    if (OnPaint && EventsEnabled()) OnPaint(this);
}

void TCustomControl::PaintSelf(DeviceContext& dc) {
    PaintOnCanvas(*canvas_, dc, Width(), Height(), [this] { Paint(); });
}

void TCustomControl::PaintTo(DeviceContext& dc, int x, int y) {
    {
        ScopedDcSave save(dc);
        dc.OffsetWindowOrgEx(-x, -y);
        PaintSelf(dc);
    }
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible()) continue;
        ScopedDcSave save(dc);
        dc.IntersectClipRect(x, y, x + Width(), y + Height());
        c->PaintTo(dc, x + ClientOffset().X + c->Left(), y + ClientOffset().Y + c->Top());
    }
}

void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    canvas.Pen().SetWidth(1);
    --rect.Bottom;
    --rect.Right;
    while (width-- > 0) {
        const TPoint topLeft{rect.Left, rect.Top};
        const TPoint topRight{rect.Right, rect.Top};
        TPoint bottomLeft{rect.Left, rect.Bottom};
        const TPoint bottomRight{rect.Right, rect.Bottom};
        canvas.Pen().SetColor(topColor);
        const TPoint first[] = {bottomLeft, topLeft, topRight};
        canvas.Polyline(first);
        canvas.Pen().SetColor(bottomColor);
        --bottomLeft.X;
        const TPoint second[] = {topRight, bottomRight, bottomLeft};
        canvas.Polyline(second);
        ++rect.Left;
        ++rect.Top;
        --rect.Right;
        --rect.Bottom;
    }
    ++rect.Bottom;
    ++rect.Right;
}

}  // namespace quillon
