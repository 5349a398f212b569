// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The control model: controls are components with a position inside their
// parent, visibility, colour, font, text, events and (for window controls)
// children in order, focus and keyboard input. A control does not draw on
// screen by itself: a backend realises it as a widget through a ControlPeer
// (desktop.h) and keeps both in step. Without a backend the model works
// alone: the Input... methods stand for what a user does, and every field can
// be read back.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/canvas.h"
#include "platform/gdi/graphics.h"
#include "platform/sys/desktop.h"
#include "platform/sys/enum_set.h"
#include "platform/vcl/components.h"

namespace quillon {

class TWinControl;
class TCustomForm;
struct TEnumInfo;

// Positions and sizes a form file may give (pixels): far beyond any screen,
// and small enough that sums of them never overflow.
inline constexpr int kMaxCoordinate = 1'000'000;

// ---------------------------------------------------------------- enumerations

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
using TLeftRight = TAlignment;  // taLeftJustify or taRightJustify
// Border styles of forms; controls take bsNone or bsSingle (same values).
enum TFormBorderStyle : std::uint8_t {
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin
};
using TBorderStyle = TFormBorderStyle;
enum TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };
enum TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };
enum TShiftStateElement : std::uint8_t {
    ssShift,
    ssAlt,
    ssCtrl,
    ssLeft,
    ssRight,
    ssMiddle,
    ssDouble
};
using TShiftState = EnumSet<TShiftStateElement>;

extern const TEnumInfo kAlignNames, kAlignmentNames, kLeftRightNames, kBorderStyleNames,
    kFormBorderStyleNames, kBevelCutNames, kTextLayoutNames, kScrollStyleNames, kCursorNames,
    kFontStyleNames, kFontPitchNames, kPenStyleNames, kBrushStyleNames;

// Modal results.
using TModalResult = int;
enum : TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
};
extern const TEnumInfo kModalResultNames;

// Virtual key codes of the keys the model handles itself.
enum : std::uint16_t {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_ADD = 0x6B,  // keypad +
    VK_SUBTRACT = 0x6D,
    VK_OEM_PLUS = 0xBB,  // the "=/+" key
    VK_OEM_MINUS = 0xBD,
    VK_F1 = 0x70,
};

// ---------------------------------------------------------------- events

using TKeyPressEvent = TEvent<void(TObject* sender, char32_t& key)>;
using TKeyEvent = TEvent<void(TObject* sender, std::uint16_t& key, TShiftState shift)>;
using TMouseEvent =
    TEvent<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = TEvent<void(TObject* sender, TShiftState shift, int x, int y)>;
// A turn of the mouse wheel: `wheelDelta` 120 a notch, positive away from the user; a handler
// sets `handled` when it took the turn (the widget then does not scroll).
using TMouseWheelEvent = TEvent<void(TObject* sender, TShiftState shift, int wheelDelta,
                                     TPoint mousePos, bool& handled)>;

// ---------------------------------------------------------------- TControl

class TControl : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Parent: the window control this one sits in (position is relative to its
    // client area). Setting it moves the control to the end of the new parent's
    // children.
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    bool HasParent() const override { return parent_ != nullptr; }
    bool SetParentComponent(TComponent* parent) override;

    // Geometry in pixels, relative to the parent's client area.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    // The client area, which children are placed in: (0, 0) is its top-left
    // corner, which lies at ClientOffset() inside the control's bounds (a
    // bordered panel's edge, a form's frame and caption bar).
    virtual TRect ClientRect() const { return Rect(0, 0, width_, height_); }
    virtual TPoint ClientOffset() const { return TPoint{0, 0}; }
    virtual int ClientWidth() const { return ClientRect().Width(); }
    virtual int ClientHeight() const { return ClientRect().Height(); }
    virtual void SetClientWidth(int v) { SetWidth(v + width_ - ClientWidth()); }
    virtual void SetClientHeight(int v) { SetHeight(v + height_ - ClientHeight()); }
    // Position in the coordinates of the form (or of the topmost parent).
    TPoint ClientOrigin() const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent too.
    bool Showing() const;

    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    // The control's own font; changing it clears ParentFont.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);

    // Caption and Text are one text (labels and buttons call it Caption, edits Text).
    const std::string& Caption() const { return text_; }
    void SetCaption(std::string_view caption) { SetText(caption); }
    const std::string& Text() const { return text_; }
    virtual void SetText(std::string_view text);

    const std::string& Hint() const { return hint_; }
    void SetHint(std::string_view hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    // Whether the hint is shown when the pointer rests on the control.
    bool HintShown() const;

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    // Position among the parent's children: index 0 is drawn first (at the back).
    void BringToFront();
    void SendToBack();

    // Asks for the control to be painted again.
    void Invalidate() { Changed(TPeerChange::Repaint); }
    void Repaint() { Invalidate(); }
    void Refresh() { Invalidate(); }

    // Draws the control at (x, y) of `dc` in its own pixels: the same code paints
    // the screen (the backend's context) and a printed page. Controls that a
    // widget shows draw a plain box with their text.
    virtual void PaintTo(DeviceContext& dc, int x, int y);
    // Paints only the control's own face at (0, 0) of `dc`, without the
    // controls inside it: what a backend's widget shows for a control that it
    // paints (the widgets of the children draw themselves).
    virtual void PaintSelf(DeviceContext& dc);

    // The form the control is on (nullptr when none).
    TCustomForm* ParentForm() const;

    // Programmatic click: fires OnClick.
    virtual void Click();
    // What a click of the user does (a button clicks, a check box toggles).
    virtual void UserClick() { Click(); }
    virtual void DblClick();

    // User input (from the backend's widget, or a test): exceptions raised by
    // handlers go to the application's exception handler, as in the event loop.
    void InputClick();
    void InputDblClick();
    void InputMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void InputMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void InputMouseMove(TShiftState shift, int x, int y);
    // True when the control took the wheel's turn.
    bool InputMouseWheel(TShiftState shift, int wheelDelta, int x, int y);

    // The widget that shows this control (nullptr when not realised).
    ControlPeer* Peer() const { return peer_.get(); }
    // Creates peers for this control and those inside it (when its form is shown).
    virtual void Realise();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;

  protected:
    // Tells the peer what changed.
    void Changed(TPeerChange what) const {
        if (peer_) peer_->Changed(what);
    }
    virtual void TextChanged() {}
    virtual void FontChanged();
    virtual void BoundsChanged() {}
    virtual void VisibleChanged();
    virtual void EnabledChanged() {}
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // Fires OnMouseWheel; true when a handler took the turn.
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
    // The parent's font or colour changed (for ParentFont / ParentColor).
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    // Whether user events may fire (not while loading or being destroyed).
    bool EventsEnabled() const { return !IsLoading() && !IsDestroying(); }
    // Runs `f` as an event of the loop: exceptions go to the application.
    static void Dispatch(const std::function<void()>& f);
    // Default size on creation (pixels).
    void InitBounds(int width, int height) {
        width_ = width;
        height_ = height;
    }
    void InitColor(TColor color, bool parentColor) {
        color_ = color;
        parentColor_ = parentColor;
    }
    void Loaded() override;

    // Sets the text without checks or events (subclasses with their own text rules).
    void StoreText(std::string text) { text_ = std::move(text); }
    // Sets the font from the parent without clearing ParentFont.
    void TakeFont(const TFont& font);

    std::unique_ptr<ControlPeer> peer_;

  private:
    friend class TWinControl;

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = true;
    TFont font_;
    bool parentFont_ = true;
    bool takingFont_ = false;
    std::string text_;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
};

// ---------------------------------------------------------------- TWinControl

class TWinControl : public TControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // Children in order: index 0 was inserted first and lies at the back.
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    // Window controls among the children.
    std::vector<TWinControl*> WinControls() const;
    // Whether `control` is this control or lies inside it.
    bool ContainsControl(const TControl* control) const;

    // Tab order among the parent's window controls (0 first).
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    // Window controls of this control in tab order.
    std::vector<TWinControl*> TabList() const;

    // Focus: the form's active control.
    bool Focused() const;
    bool CanFocus() const;
    // Raises EInvalidOperation "Cannot focus a disabled or invisible window"
    // when the control or a parent is hidden or disabled.
    virtual void SetFocus();

    // Border inside the control that aligned children keep clear of.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);

    // Places aligned children (alTop ... alClient) in the client area.
    void Realign();

    // Keyboard input (from the backend's widget, or a test). A key first goes
    // to the form when its KeyPreview is on, then to this control's handler,
    // which may change it or swallow it (set it to 0); then the control takes
    // it. Enter and Esc press the form's default and cancel buttons; Tab moves
    // the focus. A form passes keys on to its active control.
    //
    // The model is the master of the text: an edit inserts typed characters,
    // deletes, pastes and moves its caret itself and then tells its peer, so a
    // widget does not also act on the keys it hands in. InputKeyDown returns
    // false when the key was used up (by a handler, as a dialog key, or by the
    // control); true leaves it to the widget. InputKeyPress returns the
    // character as the control took it (0 when a handler swallowed it).
    bool InputKeyDown(std::uint16_t key, TShiftState shift = {});
    bool InputKeyUp(std::uint16_t key, TShiftState shift = {});
    char32_t InputKeyPress(char32_t key);
    // The same for a widget that edits its text itself (the desktop's editor, with its undo,
    // word moves and selection keys): the handlers and the dialog keys run as above, the
    // control's own editing does not. Each returns the key as the handlers left it (0 when
    // used up); the widget then acts on that key.
    std::uint16_t InputKeyDownHandlers(std::uint16_t key, TShiftState shift = {});
    char32_t InputKeyPressHandlers(char32_t key);
    // A whole keystroke: key down, the character (if any), key up.
    void InputKey(std::uint16_t key, TShiftState shift = {}, char32_t character = 0);
    // Every character of a UTF-8 text as key presses.
    void InputText(std::string_view text);
    // The user moved the focus here (the widget took it).
    void InputFocus();

    void Realise() override;
    void PaintTo(DeviceContext& dc, int x, int y) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

  protected:
    friend class TControl;
    friend class TCustomForm;

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // After the handlers: what the control does with a key (setting it to 0
    // when it used it up).
    virtual void KeyDown(std::uint16_t& key, TShiftState shift);
    virtual void KeyUp(std::uint16_t& key, TShiftState shift);
    virtual void KeyPress(char32_t& key);
    // Whether the control takes Enter, Esc or Tab itself (a memo takes Enter).
    virtual bool WantsKey(std::uint16_t key) const;
    virtual void DoEnter();
    virtual void DoExit();
    // The area aligned children share (client area less borders).
    virtual TRect AlignRect() const;
    void FontChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void BoundsChanged() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void ChildAlignChanged() { Realign(); }

  private:
    void NormaliseTabOrder();
    // Key down through the form's preview, the handler, dialog keys and the
    // control; false when the key was used up on the way.
    static bool KeyDownPath(TWinControl* target, std::uint16_t key, TShiftState shift);
    // The handlers and dialog keys of KeyDownPath; the key left, 0 when used up.
    static std::uint16_t KeyDownHandlers(TWinControl* target, std::uint16_t key, TShiftState shift);
    static char32_t KeyPressPath(TWinControl* target, char32_t key, bool control);

    std::vector<TControl*> controls_;
    int tabOrder_ = -1;
    bool tabStop_ = false;
    int borderWidth_ = 0;
    bool aligning_ = false;
};

// ---------------------------------------------------------------- painted controls

// A control without a window of its own that paints itself on its parent.
class TGraphicControl : public TControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas& Canvas() { return *canvas_; }
    void PaintTo(DeviceContext& dc, int x, int y) override;
    void PaintSelf(DeviceContext& dc) override { PaintTo(dc, 0, 0); }

  protected:
    virtual void Paint() {}

  private:
    std::unique_ptr<TCanvas> canvas_;
};

// A window control that paints itself through its canvas.
class TCustomControl : public TWinControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas& Canvas() { return *canvas_; }
    void PaintTo(DeviceContext& dc, int x, int y) override;
    void PaintSelf(DeviceContext& dc) override;

    TNotifyEvent OnPaint;

  protected:
    // Default: fires OnPaint.
    virtual void Paint();

  private:
    std::unique_ptr<TCanvas> canvas_;
};

// Draws a 3-D frame of `width` pixels inside `rect` and shrinks it by the frame.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

}  // namespace quillon
