// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Forms (top-level windows) and the application object.

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/controls.h"

namespace quillon {

class TButton;

enum TBorderIcon : std::uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = EnumSet<TBorderIcon>;
enum TPosition : std::uint8_t {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter,
};
enum TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction : std::uint8_t { caNone, caHide, caFree, caMinimize };

using TCloseEvent = TEvent<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = TEvent<void(TObject* sender, bool& canClose)>;

extern const TEnumInfo kBorderIconNames, kPositionNames, kWindowStateNames;

// Frame of a window of this border style around its client area, in pixels:
// the side borders and the caption bar (forms are laid out for 96 pixels per
// inch; the sizes are the classic ones at that resolution).
struct TFrameMetrics {
    int border;
    int caption;
};
TFrameMetrics FrameMetrics(TFormBorderStyle style);

class TCustomForm : public TWinControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Width and Height include the frame; the client area is what lies inside.
    TRect ClientRect() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    TIcon& Icon() { return icon_; }
    // Resolution the form was designed at; forms are never scaled.
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int v) { pixelsPerInch_ = v; }
    bool Scaled() const { return scaled_; }
    void SetScaled(bool v) { scaled_ = v; }

    // The focused control (nullptr: none). Setting it while the form is shown
    // moves the focus (OnExit of the old one, OnEnter of the new one).
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // Moves the focus to the next (or previous) control in tab order.
    void SelectNext(bool forward = true);
    // The first control in tab order that can take the focus.
    TWinControl* FirstFocusable() const;
    // The buttons that Enter and Esc press (the visible, enabled one marked
    // Default or Cancel; nullptr when none).
    TButton* DefaultButton() const;
    TButton* CancelButton() const;
    // Enter, Esc and Tab as the form handles them; true when used.
    bool DialogKey(std::uint16_t key, TShiftState shift);

    // Showing: Visible true realises the widgets (through the backend), places
    // the form by its Position, fires OnShow and activates it.
    void SetVisible(bool visible) override;
    // Shows the form modally and returns its ModalResult. Raises
    // EInvalidOperation for a form that is already visible.
    int ShowModal();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // Closes as the title bar's close box does: a modal form ends with
    // mrCancel; otherwise OnCloseQuery and OnClose decide (hide by default; the
    // main form ends the application).
    void Close();
    // For the modal loop: true when the form is to stop being modal (a
    // ModalResult was set and OnCloseQuery / OnClose did not refuse).
    bool ModalEnded();
    // Destroys the form after the current event (immediately without a loop).
    void Release();
    bool Active() const { return active_; }
    // Makes the form the active window (fires OnActivate; the previously
    // active form gets OnDeactivate).
    void Activate();

    // Reads the form's own file (embedded in the program) into this form: its
    // controls, their properties and the handlers named there, then fires
    // OnCreate. Raises EFormFileError ("file:line: reason") for a bad file.
    void InitForm(std::string_view formText, std::string_view fileName);
    // Fires OnCreate (InitForm does this; forms built in code call it).
    void DoCreate();

    // Controls as the form keeps track of them (focus).
    void ControlRemoved(TControl* control);
    void ControlHidden(TWinControl* control);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TNotifyEvent OnResize;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

  protected:
    bool CloseQuery();
    void Notification(TComponent* component, TOperation operation) override;
    void BoundsChanged() override;
    void TextChanged() override { Changed(TPeerChange::Caption); }
    void Loaded() override;

  private:
    void PlaceOnScreen();
    void FocusFirstOnShow();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    TIcon icon_;
    int pixelsPerInch_ = 96;
    bool scaled_ = true;
    TWinControl* activeControl_ = nullptr;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    bool active_ = false;
    bool created_ = false;
    // Cleared by the destructor: a posted Release checks it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TForm : public TCustomForm {
    QUILLON_CLASS_INFO()
  public:
    explicit TForm(TComponent* owner);
};

// A bad form file embedded in the program.
class EFormFileError : public Exception {
  public:
    using Exception::Exception;
};

// ---------------------------------------------------------------- TApplication

class TApplication : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    const std::string& Title() const { return title_; }
    void SetTitle(std::string_view title) { title_ = std::string(title); }
    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(std::string_view file) { helpFile_ = std::string(file); }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }

    // Creates a form owned by the application and stores it in `ref` before
    // its OnCreate has run further (as the classic call does); the first form
    // created becomes the main form.
    template <class F>
    F* CreateForm(F*& ref) {
        auto* form = new F(this);
        ref = form;
        if (!mainForm_) mainForm_ = form;
        return form;
    }
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* form) { mainForm_ = form; }
    // All forms in order of creation.
    std::vector<TCustomForm*> Forms() const;
    TCustomForm* ActiveForm() const { return activeForm_; }

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // Forgets an earlier Terminate (tests that run the loop more than once).
    void ClearTerminated() { terminated_ = false; }
    // Lets pending events run.
    void ProcessMessages();

    // A modal message box with the application title as the default caption.
    int MessageBox(const std::string& text, const std::string& caption = "",
                   unsigned flags = MB_OK);
    // Opens the help file at a topic (the classic jump); false when no help
    // could be shown.
    bool HelpJump(const std::string& topic);

    // The default exception handler: OnException when assigned, else a message
    // box with the exception's message.
    void HandleException(const std::exception& e);
    // The message shown: the exception's text, ending with a full stop.
    void ShowException(const std::exception& e);
    TEvent<void(TObject* sender, const std::exception& e)> OnException;

    // Form bookkeeping (forms call these).
    void FormActivated(TCustomForm* form);
    void FormDeactivated(TCustomForm* form);

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    std::string title_;
    std::string helpFile_;
    bool showHint_ = true;
    bool terminated_ = false;
    TCustomForm* mainForm_ = nullptr;
    TCustomForm* activeForm_ = nullptr;
};

// The process-wide application object.
TApplication& Application();

}  // namespace quillon
