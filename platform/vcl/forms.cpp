// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/forms.h"

#include <algorithm>

#include "platform/gdi/canvas.h"
#include "platform/gdi/device_context.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/graphics_properties.h"
#include "platform/vcl/properties.h"
#include "platform/gdi/screen.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

const TEnumInfo kBorderIconNames{"TBorderIcon",
                                 {{"biSystemMenu", biSystemMenu},
                                  {"biMinimize", biMinimize},
                                  {"biMaximize", biMaximize},
                                  {"biHelp", biHelp}}};
const TEnumInfo kPositionNames{"TPosition",
                               {{"poDesigned", poDesigned},
                                {"poDefault", poDefault},
                                {"poDefaultPosOnly", poDefaultPosOnly},
                                {"poDefaultSizeOnly", poDefaultSizeOnly},
                                {"poScreenCenter", poScreenCenter},
                                {"poDesktopCenter", poDesktopCenter},
                                {"poMainFormCenter", poMainFormCenter},
                                {"poOwnerFormCenter", poOwnerFormCenter}}};
const TEnumInfo kWindowStateNames{
    "TWindowState",
    {{"wsNormal", wsNormal}, {"wsMinimized", wsMinimized}, {"wsMaximized", wsMaximized}}};

TFrameMetrics FrameMetrics(TFormBorderStyle style) {
    switch (style) {
        case bsNone:
            return {0, 0};
        case bsSingle:
        case bsDialog:
            return {3, 19};
        case bsSizeable:
            return {4, 19};
        case bsToolWindow:
            return {3, 15};
        case bsSizeToolWin:
            return {4, 15};
    }
    return {0, 0};
}

// ---------------------------------------------------------------- TCustomForm

const TClassInfo& TCustomForm::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCustomForm>("TCustomForm", &TWinControl::StaticClassInfo()).Abstract();
    return info;
}

const TClassInfo& TForm::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TForm>("TForm", &TCustomForm::StaticClassInfo())
            // The client size is stored; the outer size follows from the border.
            .Int("Width", &TForm::Width, &TForm::SetWidth, std::nullopt, 0, kMaxCoordinate)
            .StoredIf([](const TForm&) { return false; })
            .Int("Height", &TForm::Height, &TForm::SetHeight, std::nullopt, 0, kMaxCoordinate)
            .StoredIf([](const TForm&) { return false; })
            .Ref<TWinControl>("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl)
            .Set(
                "BorderIcons", kBorderIconNames,
                [](const TForm& f) { return static_cast<std::uint32_t>(f.BorderIcons().Bits()); },
                [](TForm& f, std::uint32_t bits) {
                    f.SetBorderIcons(TBorderIcons::FromBits(bits));
                },
                static_cast<std::int64_t>(
                    TBorderIcons{biSystemMenu, biMinimize, biMaximize}.Bits()))
            .Enum("BorderStyle", kFormBorderStyleNames, &TForm::BorderStyle, &TForm::SetBorderStyle,
                  bsSizeable)
            .Str(
                "Caption", [](const TForm& f) -> const std::string& { return f.Caption(); },
                [](TForm& f, const std::string& v) { f.SetCaption(v); })
            .Int("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight, std::nullopt, 0,
                 kMaxCoordinate)
            .Int("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth, std::nullopt, 0,
                 kMaxCoordinate)
            .Color("Color", &TForm::Color, &TForm::SetColor, clBtnFace)
            .Object("Icon", IconClassInfo(), [](TForm& f) -> TIcon& { return f.Icon(); })
            .Bool("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview, false)
            .Bool("ParentColor", &TForm::ParentColor, &TForm::SetParentColor, false)
            .StoredIf([](const TForm&) { return false; })
            .Bool("ParentFont", &TForm::ParentFont, &TForm::SetParentFont, false)
            .StoredIf([](const TForm&) { return false; })
            .Int("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch, 96, 1, 10000)
            .Enum("Position", kPositionNames, &TForm::Position, &TForm::SetPosition, poDesigned)
            .Bool("Scaled", &TForm::Scaled, &TForm::SetScaled, true)
            .Bool("Visible", &TForm::Visible, &TForm::SetVisible, false)
            .Enum("WindowState", kWindowStateNames, &TForm::WindowState, &TForm::SetWindowState,
                  wsNormal)
            .Event("OnActivate", &TForm::OnActivate)
            .Event("OnClose", &TForm::OnClose)
            .Event("OnCloseQuery", &TForm::OnCloseQuery)
            .Event("OnCreate", &TForm::OnCreate)
            .Event("OnDeactivate", &TForm::OnDeactivate)
            .Event("OnDestroy", &TForm::OnDestroy)
            .Event("OnHide", &TForm::OnHide)
            .Event("OnPaint", &TForm::OnPaint)
            .Event("OnResize", &TForm::OnResize)
            .Event("OnShow", &TForm::OnShow)
            .Factory();
    return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    InitColor(clBtnFace, false);
    SetParentFont(false);
    TControl::SetVisible(false);
    const TFrameMetrics m = FrameMetrics(borderStyle_);
    InitBounds(320 + 2 * m.border, 240 + 2 * m.border + m.caption);
}

TForm::TForm(TComponent* owner) : TCustomForm(owner) {}

TCustomForm::~TCustomForm() {
    *alive_ = false;
    if (active_) Application().FormDeactivated(this);
}

TRect TCustomForm::ClientRect() const {
    const TFrameMetrics m = FrameMetrics(borderStyle_);
    return Rect(0, 0, std::max(Width() - 2 * m.border, 0),
                std::max(Height() - 2 * m.border - m.caption, 0));
}

void TCustomForm::SetClientWidth(int v) {
    const TFrameMetrics m = FrameMetrics(borderStyle_);
    SetWidth(std::max(v, 0) + 2 * m.border);
}

void TCustomForm::SetClientHeight(int v) {
    const TFrameMetrics m = FrameMetrics(borderStyle_);
    SetHeight(std::max(v, 0) + 2 * m.border + m.caption);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == borderStyle_) return;
    // The client area keeps its size; the frame around it changes.
    const int cw = ClientWidth(), ch = ClientHeight();
    borderStyle_ = style;
    const TFrameMetrics m = FrameMetrics(style);
    SetBounds(Left(), Top(), cw + 2 * m.border, ch + 2 * m.border + m.caption);
    Changed(TPeerChange::Caption);
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
    borderIcons_ = icons;
    Changed(TPeerChange::Caption);
}

void TCustomForm::SetPosition(TPosition position) {
    position_ = position;
    if (Visible() && !IsLoading()) PlaceOnScreen();
}

void TCustomForm::SetWindowState(TWindowState state) {
    if (state == windowState_) return;
    windowState_ = state;
    Changed(TPeerChange::Bounds);
}

void TCustomForm::BoundsChanged() {
    TWinControl::BoundsChanged();
    if (OnResize && EventsEnabled()) OnResize(this);
}

void TCustomForm::PlaceOnScreen() {
    TCustomForm* centre = nullptr;
    switch (position_) {
        case poScreenCenter:
        case poDesktopCenter:
            SetBounds((Screen().Width() - Width()) / 2, (Screen().Height() - Height()) / 2, Width(),
                      Height());
            return;
        case poMainFormCenter:
        case poOwnerFormCenter:
            centre = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
            if (!centre) centre = Application().MainForm();
            if (centre && centre != this) {
                SetBounds(centre->Left() + (centre->Width() - Width()) / 2,
                          centre->Top() + (centre->Height() - Height()) / 2, Width(), Height());
            } else {
                SetBounds((Screen().Width() - Width()) / 2, (Screen().Height() - Height()) / 2,
                          Width(), Height());
            }
            return;
        default:
            return;
    }
}

void TCustomForm::SetVisible(bool visible) {
    if (visible == Visible()) return;
    if (IsLoading()) {
        // Shown when loading ends.
        TControl::SetVisible(visible);
        return;
    }
    if (visible) {
        PlaceOnScreen();
        Realise();
        TControl::SetVisible(true);
        if (OnShow && EventsEnabled()) OnShow(this);
        FocusFirstOnShow();
        Activate();
    } else {
        TControl::SetVisible(false);
        if (OnHide && EventsEnabled()) OnHide(this);
        if (active_) {
            active_ = false;
            if (OnDeactivate && EventsEnabled()) OnDeactivate(this);
            Application().FormDeactivated(this);
        }
    }
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    if (Visible()) {
        // Visible = True in the file: show it now that everything is read.
        TControl::SetVisible(false);
        SetVisible(true);
    }
}

TWinControl* TCustomForm::FirstFocusable() const {
    std::function<TWinControl*(const TWinControl*)> first =
        [&](const TWinControl* w) -> TWinControl* {
        for (TWinControl* c : w->TabList()) {
            if (!c->Visible() || !c->Enabled()) continue;
            if (c->TabStop() && c->CanFocus()) return c;
            if (TWinControl* inner = first(c)) return inner;
        }
        return nullptr;
    };
    return first(this);
}

void TCustomForm::FocusFirstOnShow() {
    if (activeControl_ && activeControl_->CanFocus()) {
        TWinControl* c = activeControl_;
        activeControl_ = nullptr;
        SetActiveControl(c);
        return;
    }
    activeControl_ = nullptr;
    if (TWinControl* c = FirstFocusable()) SetActiveControl(c);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (control == activeControl_) return;
    if (control && (control == this || !ContainsControl(control)))
        throw EInvalidOperation("Invalid control for the active control of " + Name());
    if (IsLoading() || !Visible()) {
        // Takes the focus when the form is shown.
        activeControl_ = control;
        if (control) control->FreeNotification(this);
        return;
    }
    if (control && !control->CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    TWinControl* old = activeControl_;
    activeControl_ = control;
    if (control) control->FreeNotification(this);
    if (old) old->DoExit();
    // A handler of OnExit may have moved the focus elsewhere.
    if (activeControl_ != control) return;
    if (control) {
        control->DoEnter();
        if (control->Peer()) control->Peer()->SetFocus();
    }
}

void TCustomForm::SelectNext(bool forward) {
    std::vector<TWinControl*> order;
    std::function<void(const TWinControl*)> collect = [&](const TWinControl* w) {
        for (TWinControl* c : w->TabList()) {
            if (!c->Visible() || !c->Enabled()) continue;
            if (c->TabStop()) order.push_back(c);
            collect(c);
        }
    };
    collect(this);
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), activeControl_);
    std::size_t index;
    if (it == order.end()) {
        index = forward ? 0 : order.size() - 1;
    } else {
        const std::size_t i = static_cast<std::size_t>(it - order.begin());
        index = forward ? (i + 1) % order.size() : (i + order.size() - 1) % order.size();
    }
    order[index]->SetFocus();
}

namespace {

TButton* FindButton(const TWinControl* w, bool wantDefault) {
    for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* c = w->Controls(i);
        if (!c->Visible() || !c->Enabled()) continue;
        if (auto* b = dynamic_cast<TButton*>(c); b && (wantDefault ? b->Default() : b->Cancel()))
            return b;
        if (auto* inner = dynamic_cast<TWinControl*>(c))
            if (TButton* b = FindButton(inner, wantDefault)) return b;
    }
    return nullptr;
}

}  // namespace

TButton* TCustomForm::DefaultButton() const {
    return FindButton(this, true);
}
TButton* TCustomForm::CancelButton() const {
    return FindButton(this, false);
}

bool TCustomForm::DialogKey(std::uint16_t key, TShiftState shift) {
    switch (key) {
        case VK_TAB:
            if (shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return false;
            SelectNext(!shift.Contains(ssShift));
            return true;
        case VK_RETURN: {
            // A focused button is the one Enter presses.
            TButton* b = dynamic_cast<TButton*>(activeControl_);
            if (!b) b = DefaultButton();
            if (!b) return false;
            b->Click();
            return true;
        }
        case VK_ESCAPE: {
            TButton* b = CancelButton();
            if (!b) return false;
            b->Click();
            return true;
        }
        default:
            return false;
    }
}

void TCustomForm::ControlRemoved(TControl* control) {
    auto* w = dynamic_cast<TWinControl*>(control);
    if (activeControl_ && w && w->ContainsControl(activeControl_)) activeControl_ = nullptr;
}

void TCustomForm::ControlHidden(TWinControl* control) {
    if (activeControl_ && control->ContainsControl(activeControl_)) activeControl_ = nullptr;
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == activeControl_) activeControl_ = nullptr;
}

int TCustomForm::ShowModal() {
    if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    TCustomForm* previous = Application().ActiveForm();
    modalResult_ = mrNone;
    modal_ = true;
    try {
        SetVisible(true);
        Desktop().RunModal(*this);
    } catch (...) {
        modal_ = false;
        SetVisible(false);
        throw;
    }
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    modal_ = false;
    SetVisible(false);
    if (previous && previous != this && previous->Visible()) previous->Activate();
    return modalResult_;
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery && EventsEnabled()) OnCloseQuery(this, canClose);
    return canClose;
}

bool TCustomForm::ModalEnded() {
    if (Application().Terminated()) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        return true;
    }
    if (!Visible()) return true;
    if (modalResult_ == mrNone) return false;
    // Ending a modal showing asks the form, as closing does.
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        if (OnClose && EventsEnabled()) OnClose(this, action);
    }
    if (action == caNone) {
        modalResult_ = mrNone;
        return false;
    }
    if (action == caFree) Release();
    return true;
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    if (OnClose && EventsEnabled()) OnClose(this, action);
    if (action == caNone) return;
    if (Application().MainForm() == this) {
        Application().Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        SetWindowState(wsMinimized);
    } else {
        Release();
    }
}

void TCustomForm::Release() {
    // Destroyed once the event that asked for it has finished.
    Desktop().Post([alive = alive_, this] {
        if (!*alive) return;
        if (OnDestroy && EventsEnabled()) OnDestroy(this);
        delete this;
    });
}

void TCustomForm::Activate() {
    if (active_) return;
    TCustomForm* previous = Application().ActiveForm();
    if (previous && previous != this && previous->active_) {
        previous->active_ = false;
        if (previous->OnDeactivate && previous->EventsEnabled()) previous->OnDeactivate(previous);
    }
    active_ = true;
    Application().FormActivated(this);
    if (OnActivate && EventsEnabled()) OnActivate(this);
}

void TCustomForm::InitForm(std::string_view formText, std::string_view fileName) {
    TFormReadOptions options;
    options.fileName = std::string(fileName);
    if (auto read = ReadComponent(formText, *this, options); !read)
        throw EFormFileError(read.reason());
    DoCreate();
}

void TCustomForm::DoCreate() {
    if (created_) return;
    created_ = true;
    if (OnCreate) OnCreate(this);
}

// ---------------------------------------------------------------- TApplication

const TClassInfo& TApplication::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TApplication>("TApplication", &TComponent::StaticClassInfo()).Abstract();
    return info;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() = default;

std::vector<TCustomForm*> TApplication::Forms() const {
    std::vector<TCustomForm*> forms;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TCustomForm*>(Components(i))) forms.push_back(f);
    return forms;
}

void TApplication::Run() {
    if (mainForm_ && !mainForm_->Visible()) mainForm_->Show();
    if (!terminated_) Desktop().Run(*this);
}

void TApplication::ProcessMessages() {
    Desktop().ProcessMessages();
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return Desktop().MessageBox(text, caption.empty() ? title_ : caption, flags);
}

bool TApplication::HelpJump(const std::string& topic) {
    if (helpFile_.empty()) return false;
    return Desktop().ShowHelp(helpFile_, topic);
}

void TApplication::HandleException(const std::exception& e) {
    if (OnException) {
        OnException(this, e);
        return;
    }
    ShowException(e);
}

void TApplication::ShowException(const std::exception& e) {
    std::string message = e.what();
    // A message gets a full stop unless it already ends a sentence.
    if (!message.empty() && message.back() != '.' && message.back() != '!' && message.back() != '?')
        message += '.';
    Desktop().MessageBox(message, title_, MB_OK | MB_ICONERROR);
}

void TApplication::FormActivated(TCustomForm* form) {
    if (activeForm_ && activeForm_ != form) activeForm_->RemoveFreeNotification(this);
    activeForm_ = form;
    if (form) form->FreeNotification(this);
}

void TApplication::FormDeactivated(TCustomForm* form) {
    if (activeForm_ == form) activeForm_ = nullptr;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == mainForm_) mainForm_ = nullptr;
    if (component == activeForm_) activeForm_ = nullptr;
}

TApplication& Application() {
    // Never destroyed: forms may outlive the end of main in a backend's shutdown.
    static TApplication* app = new TApplication(nullptr);
    return *app;
}

// ---------------------------------------------------------------- headless loop

// Declared with the desktop hooks; the headless loops need the forms they run.
void HeadlessDesktop::RunModal(TCustomForm& form) {
    modalForms.push_back(form.Name());
    if (!modalScripts.empty()) {
        auto script = std::move(modalScripts.front());
        modalScripts.pop_front();
        if (script) script(form);
    }
    if (form.ModalEnded()) return;
    // Left open by the script: closed as by its title bar.
    form.Close();
    if (form.ModalEnded()) return;
    // It refuses to close, and nothing is left to answer it.
    form.SetModalResult(mrCancel);
}

void HeadlessDesktop::Run(TApplication& app) {
    if (runScript) runScript(app);
    ProcessMessages();
}

}  // namespace quillon
