// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The widget side of a control. A peer owns one Qt widget, copies the model's
// state into it when the model reports a change, and brings what the user does
// in the widget back into the model through the control's input methods.
//
// Keeping both sides in step without loops: while a peer writes into its widget
// (a SyncScope is open) the widget's own change signals are ignored, and a
// change the model reports is only written when the widget does not show it
// already.
//
// Input: keys go to the model first (TWinControl::InputKeyDown / InputKeyPress
// / InputKeyUp): the program's handlers may change or swallow them, Enter, Esc
// and Tab act on the form, and the control itself edits its text, moves its
// caret, clicks or toggles; the widget then shows the outcome. Only a key the
// model leaves alone (no character, not used up) goes on to the widget. What a
// widget does on its own (a paste from its context menu, the mouse selecting
// text, an input method) comes back through the control's From-peer methods.

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QAbstractScrollArea;
#include <memory>

#include "platform/sys/desktop.h"
#include "platform/vcl/controls.h"

class QKeyEvent;
class QMouseEvent;
class QPainter;

namespace quillon {

class QtControlPeer;

// Event filter that hands a widget's events to its peer.
class PeerEventFilter : public QObject {
  public:
    explicit PeerEventFilter(QtControlPeer* peer, QObject* parent) : QObject(parent), peer_(peer) {}
    void Detach() { peer_ = nullptr; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QtControlPeer* peer_;
};

// While a peer handles an event of its widget; a widget is never deleted while
// one is open (deleting it then waits for the event loop).
class PeerEventScope {
  public:
    PeerEventScope() { ++depth_; }
    ~PeerEventScope() { --depth_; }
    PeerEventScope(const PeerEventScope&) = delete;
    PeerEventScope& operator=(const PeerEventScope&) = delete;
    static bool Active() { return depth_ > 0; }

  private:
    static inline int depth_ = 0;
};

class QtControlPeer : public ControlPeer {
  public:
    enum class Input {
        Native,  // keys the model leaves alone go on to the widget
        Model,   // the widget only shows: no key goes on to it
        None,    // the control takes no keys (graphic controls)
        Editor,  // the model's handlers see every key first, then the widget edits its
                 // text itself (undo, word moves, selection keys) and reports the change
    };

    explicit QtControlPeer(TControl& control);
    ~QtControlPeer() override;
    QtControlPeer(const QtControlPeer&) = delete;
    QtControlPeer& operator=(const QtControlPeer&) = delete;

    TControl& Control() const { return control_; }
    QWidget* Widget() const { return widget_; }
    // Where the widgets of the children go.
    virtual QWidget* Container() const { return widget_; }
    // Position of the children's client (0, 0) inside Container().
    virtual QPoint ChildOrigin() const;
    // A child moved or changed its size (a scroll box sizes its content).
    virtual void ChildGeometryChanged() {}
    // Puts the widgets of graphic children behind those of window controls,
    // each group in the model's order (the classic stacking).
    void Restack();

    // Copies the whole state of the model into the widget (after construction).
    void ApplyAll();
    void Changed(TPeerChange what) final;
    void SetFocus() override;

    // The Qt peer of a control (nullptr when it has none).
    static QtControlPeer* Of(const TControl* control);
    // The widget a new control's widget is created in (nullptr for a window).
    static QWidget* ParentWidgetFor(const TControl& control);

    // Event filter entry.
    bool Filter(QObject* watched, QEvent* event);

  protected:
    // Takes `widget` (created with ParentWidgetFor as parent) as the peer's.
    void Attach(QWidget* widget, Input input);
    // Also hands the events of an inner widget (a combo box's line edit) to the peer.
    void WatchInner(QWidget* inner);

    virtual void Apply(TPeerChange what);
    // The order ApplyAll goes through.
    static const TPeerChange kAllChanges[];

    // Mouse press, release and double click (widget-local position).
    virtual bool HandleMouse(QObject* watched, QMouseEvent* event);
    // Events other than keys and mouse; true when used up.
    virtual bool HandleOther(QObject* watched, QEvent* event);
    // Whether an editor widget types Enter itself (a memo's new line).
    virtual bool EditorTypesReturn() const { return false; }

    // Paints the control through the model (for painted widgets).
    void PaintModel(QPainter& painter);

    // Opened while the peer writes the model's state into the widget.
    class SyncScope {
      public:
        explicit SyncScope(QtControlPeer& peer) : peer_(peer), was_(peer.syncing_) {
            peer.syncing_ = true;
        }
        ~SyncScope() { peer_.syncing_ = was_; }

      private:
        QtControlPeer& peer_;
        bool was_;
    };
    bool Syncing() const { return syncing_; }
    // Cleared when the peer is destroyed: code that called into the model checks
    // it before touching the peer again.
    std::shared_ptr<bool> Alive() const { return alive_; }

    // Geometry, colours and focus as this kind of widget takes them.
    virtual void ApplyBounds();
    virtual void ApplyPalette();
    virtual void ApplyFocusPolicy();
    // The receiver of the lambdas connected to widget signals: destroying it
    // with the peer cuts them all.
    QObject* Context() const { return context_.get(); }

  private:
    bool HandleKey(QObject* watched, QKeyEvent* event);
    bool HandleEditorKey(QObject* watched, QKeyEvent* event);
    bool HandleKeyRelease(QObject* watched, QKeyEvent* event);
    bool ForwardKey(QObject* watched, QKeyEvent* event);

    TControl& control_;
    std::unique_ptr<QObject> context_ = std::make_unique<QObject>();
    QPointer<QWidget> widget_;
    PeerEventFilter* filter_ = nullptr;
    Input input_ = Input::None;
    bool syncing_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The frame and scroll bars of a text widget (the memo's and the rich edit's): a sunken panel
// for a single border, and each bar always shown when the style asks for it, else `otherwise`.
void ApplyTextFrame(QAbstractScrollArea& widget, TBorderStyle border, TScrollStyle bars,
                    Qt::ScrollBarPolicy otherwise);

// Creates the peer of a control for the Qt host (nullptr for none).
std::unique_ptr<ControlPeer> CreateQtPeer(TControl& control);

// A grid's widget takes the model's cells once the current event is done;
// this copies them at once.
class TStringGrid;
void RefreshGridWidget(TStringGrid& grid);

}  // namespace quillon
