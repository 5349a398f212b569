// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The desktop as the control model sees it. Everything that needs a real
// display goes through one hook interface, DesktopBackend: message boxes, the
// beep, the clipboard, opening documents, help, cursors, the settings store,
// the message loop, modal windows and the realisation of window controls as
// widgets (ControlPeer). The Qt host implements it; without one, the built-in
// HeadlessDesktop keeps everything in memory and answers modal windows and
// message boxes from scripts, so tests run without a display.
//
// How a backend realises a form:
// - CreatePeer is called for every control when its form is first shown,
//   parents before children (later additions to a shown form at once). The
//   peer's widget goes inside the parent's (control.Parent()->Peer()) at
//   (Left + parent's ClientOffset().X, Top + ClientOffset().Y), Width x Height;
//   a form's widget is a top-level window whose client area is ClientWidth x
//   ClientHeight. Peers are destroyed children first, before their control.
// - Model to widget: ControlPeer::Changed says what changed; the peer reads
//   the control's fields and sets the widget with the widget's own signals
//   blocked, doing nothing when the widget already shows that state.
// - Widget to model, always through the control's Input methods (they run
//   handlers and show their exceptions as the event loop would): keys through
//   TWinControl::InputKeyDown / InputKeyPress / InputKeyUp (the model edits the
//   text itself and reports back through Changed, so the widget does not act
//   on keys it handed in); edits the widget makes on its own (context-menu
//   paste, drag and drop, input methods) through SetTextFromPeer; caret moves
//   through SetSelectionFromPeer; clicks through InputClick, list choices
//   through InputSelectItem, mouse through InputMouseDown/Up, focus through
//   InputFocus.
// - Custom and graphic controls paint with control.PaintSelf(dc) on a device
//   context over the widget (PaintTo would also paint the children, which
//   have widgets of their own).
// - RunModal runs a local event loop until form.ModalEnded(); Run runs the main
//   loop until Application().Terminated().

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/sys/result.h"

namespace quillon {

class TBitmap;
class TControl;
class TCustomForm;
class TApplication;

// ---------------------------------------------------------------- message boxes
// Buttons (low nibble), icon and default button of a message box, and the
// answers, with the classic values.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// The answers a box of these buttons offers, in order; the default button's answer.
std::vector<int> MessageBoxAnswers(unsigned flags);
int MessageBoxDefaultAnswer(unsigned flags);

// ---------------------------------------------------------------- cursors
using TCursor = int;
enum : TCursor {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
    crSize = -22,
};

// ---------------------------------------------------------------- control peers
// What changed in a control's model, for its peer to copy into the widget.
enum class TPeerChange {
    Bounds,  // Left, Top, Width, Height
    Visible,
    Enabled,
    Text,       // Caption or Text, and the caret and selection after it
    Selection,  // SelStart / SelLength only
    Font,
    Color,
    Appearance,  // alignment, borders, bevels, word wrap, transparency, style ...
    ReadOnly,
    MaxLength,
    Items,      // list entries (combo box, radio group), memo lines
    ItemIndex,  // selected entry, check state
    Hint,       // Hint / ShowHint
    Cursor,
    TabOrder,  // TabOrder / TabStop, the order of the children
    Picture,   // glyphs and pictures
    Cells,     // grid cells and sizes
    Caption,   // a form's caption and icons and border
    Repaint,   // a custom or graphic control's painting changed
};

// The widget side of one control. The model calls Changed after every change
// of its state (including changes the peer itself brought in: the peer compares
// and leaves the widget alone when it already shows the model's state, which is
// what keeps both sides in step without loops). The peer brings user input into
// the model through the control's input methods (TWinControl::KeyDown,
// KeyPress, KeyUp, TCustomEdit::SetTextFromPeer, TControl::Click, MouseDown ...).
class ControlPeer {
  public:
    virtual ~ControlPeer() = default;
    virtual void Changed(TPeerChange what) = 0;
    // The model moved the focus to this control.
    virtual void SetFocus() = 0;
};

// ---------------------------------------------------------------- the backend
class DesktopBackend {
  public:
    virtual ~DesktopBackend() = default;

    // A modal message box; returns the answer (IDOK ...).
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
    virtual void Beep() = 0;

    // Opens a file or address with the desktop's default handler; false when
    // nothing accepted it.
    virtual bool OpenDocument(const std::string& target) = 0;
    // Opens the help file at a topic; false when there is no help to show.
    virtual bool ShowHelp(const std::string& helpFile, const std::string& topic) = 0;

    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;

    // The pointer shape over the whole application (crDefault: each control's own).
    virtual void SetScreenCursor(TCursor cursor) = 0;

    // Settings store: string values under a key, a subkey and a value name.
    virtual std::optional<std::string> ReadSetting(const std::string& key,
                                                   const std::string& subkey,
                                                   const std::string& name) = 0;
    virtual void WriteSetting(const std::string& key, const std::string& subkey,
                              const std::string& name, const std::string& value) = 0;
    virtual void DeleteSetting(const std::string& key, const std::string& subkey,
                               const std::string& name) = 0;

    // Runs pending events and returns.
    virtual void ProcessMessages() = 0;
    // Runs the main loop until the application terminates.
    virtual void Run(TApplication& app) = 0;
    // Shows `form` modally and returns when its ModalResult is not 0 (or it
    // was hidden); the form has been made visible and is hidden afterwards by
    // the caller.
    virtual void RunModal(TCustomForm& form) = 0;
    // Runs `work` once the current event has been handled (releasing a form
    // from inside one of its own handlers).
    virtual void Post(std::function<void()> work) = 0;

    // A widget for a control being realised (its form is shown); nullptr when
    // the backend does not show this control (the model alone then serves).
    virtual std::unique_ptr<ControlPeer> CreatePeer(TControl& control) = 0;

    // Renders the widget that shows `control` (without the widgets of its window children)
    // into `out` at `width` x `height` pixels, for printing at the page's resolution. False
    // when the control has no widget or the backend cannot render one (the default).
    virtual bool RenderControl(TControl& /*control*/, int /*width*/, int /*height*/,
                               TBitmap& /*out*/) {
        return false;
    }
};

// The built-in desktop used when no backend is installed. It records what was
// asked of it and answers from scripts.
class HeadlessDesktop : public DesktopBackend {
  public:
    struct Box {
        std::string text, caption;
        unsigned flags;
        int answer;
    };

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
    void Beep() override { ++beeps; }
    bool OpenDocument(const std::string& target) override;
    bool ShowHelp(const std::string& helpFile, const std::string& topic) override;
    std::string ClipboardText() override { return clipboard; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    void SetScreenCursor(TCursor cursor) override { cursors.push_back(cursor); }
    std::optional<std::string> ReadSetting(const std::string& key, const std::string& subkey,
                                           const std::string& name) override;
    void WriteSetting(const std::string& key, const std::string& subkey, const std::string& name,
                      const std::string& value) override;
    void DeleteSetting(const std::string& key, const std::string& subkey,
                       const std::string& name) override;
    void ProcessMessages() override;
    void Run(TApplication& app) override;
    // Runs the next modal script with the form; a form that the script leaves
    // open is closed as by its title bar (ModalResult mrCancel).
    void RunModal(TCustomForm& form) override;
    void Post(std::function<void()> work) override { pendingEvents.push_back(std::move(work)); }
    std::unique_ptr<ControlPeer> CreatePeer(TControl&) override { return nullptr; }

    // Scripts: each modal showing takes the next one (none left: closed at
    // once); each message box the next answer (none left: its default button).
    std::deque<std::function<void(TCustomForm&)>> modalScripts;
    std::deque<int> boxAnswers;
    // Work that ProcessMessages runs (each item once), as if events were pending.
    std::deque<std::function<void()>> pendingEvents;
    // What Run does while the loop runs (the default just returns at once, as if
    // the user ended the program).
    std::function<void(TApplication&)> runScript;

    // Records.
    std::vector<Box> boxes;
    int beeps = 0;
    std::vector<std::string> openedDocuments;
    bool openResult = false;  // there is no desktop handler
    std::vector<std::pair<std::string, std::string>> helpRequests;
    bool helpResult = false;
    std::string clipboard;
    std::vector<TCursor> cursors;
    std::vector<std::string> modalForms;  // names of the forms shown modally
    int processMessagesCalls = 0;
    std::map<std::tuple<std::string, std::string, std::string>, std::string> settings;
    // When set, settings are read from and written to this backend's store instead (a job
    // printed without windows still records its settings in the user's store). Not owned.
    DesktopBackend* settingsStore = nullptr;

    // Back to the state of a new instance.
    void Reset();
};

// The backend in use: the installed one, or the process's HeadlessDesktop.
DesktopBackend& Desktop();
// Installs a backend (not owned; nullptr goes back to the headless one).
void SetDesktopBackend(DesktopBackend* backend);
// The process's headless desktop (for tests to script and inspect).
HeadlessDesktop& Headless();

// Installs a backend for the lifetime of the object, then puts back the previous one.
class ScopedDesktopBackend {
  public:
    explicit ScopedDesktopBackend(DesktopBackend* backend);
    ~ScopedDesktopBackend();
    ScopedDesktopBackend(const ScopedDesktopBackend&) = delete;
    ScopedDesktopBackend& operator=(const ScopedDesktopBackend&) = delete;

  private:
    DesktopBackend* previous_;
};

// ---------------------------------------------------------------- services

// The system's default beep.
void Beep();

// Shell launch: opens `fileName` (a file or an address) with the desktop's
// default handler. Returns a value greater than 32 on success, as the classic
// call does (42), else an error code (2: the target is empty or was refused,
// 31: nothing is associated with it). Parameters and directory are kept for
// the classic signature; the desktop's handler takes only the target.
int ExecuteFile(const std::string& fileName, const std::string& params = "",
                const std::string& defaultDir = "", int showCmd = 1);

// The clipboard's text.
class TClipboard {
  public:
    std::string AsText() const;
    void SetAsText(const std::string& text);
    bool HasText() const { return !AsText().empty(); }
    void Clear() { SetAsText(""); }
};
TClipboard& Clipboard();

// Settings store in the classic form: a key ("Tallet.Ini") with sections
// (subkeys, "Printer") holding string values by name.
class TRegIniFile {
  public:
    explicit TRegIniFile(std::string key) : key_(std::move(key)) {}
    const std::string& FileName() const { return key_; }
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) const;
    void WriteString(const std::string& section, const std::string& name, const std::string& value);
    // The value as an integer; `fallback` when missing or not an integer.
    int ReadInteger(const std::string& section, const std::string& name, int fallback) const;
    // The value as an integer, or why it cannot be one, naming where it is stored
    // ("Tallet.Ini\Printer\Zoom: 'big' is not an integer", "...: no such value").
    Result<int> ReadIntegerValue(const std::string& section, const std::string& name) const;
    // The value's text, or "...: no such value".
    Result<std::string> ReadStringValue(const std::string& section, const std::string& name) const;
    void WriteInteger(const std::string& section, const std::string& name, int value);
    bool ValueExists(const std::string& section, const std::string& name) const;
    void DeleteKey(const std::string& section, const std::string& name);

  private:
    std::string key_;
};

// Cursors by name: the identifiers of form files (crHandPoint ...) and names
// registered for cursor images of the program (none are shipped). A name that
// is not known gives `fallback`.
TCursor CursorByName(std::string_view name, TCursor fallback);
void RegisterCursorName(std::string_view name, TCursor cursor);
// The identifier of a standard cursor ("crHandPoint"); empty for others.
std::string CursorToIdent(TCursor cursor);

}  // namespace quillon
