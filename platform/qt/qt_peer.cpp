// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_peer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <exception>
#include <string>

#include "platform/gdi/screen.h"
#include "platform/gdi/system_colors.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/vcl/forms.h"

namespace quillon {

namespace {

// The key event a peer is passing on to its widget: the filters of that widget
// and of its parents (where Qt sends a key the widget leaves alone) let it
// through instead of handling it a second time.
const QEvent* forwardedKey = nullptr;

}  // namespace

bool PeerEventFilter::eventFilter(QObject* watched, QEvent* event) {
    return peer_ && peer_->Filter(watched, event);
}

const TPeerChange QtControlPeer::kAllChanges[] = {
    TPeerChange::Bounds,    TPeerChange::Font,     TPeerChange::Color,     TPeerChange::Enabled,
    TPeerChange::Hint,      TPeerChange::Cursor,   TPeerChange::TabOrder,  TPeerChange::Appearance,
    TPeerChange::Caption,   TPeerChange::ReadOnly, TPeerChange::MaxLength, TPeerChange::Items,
    TPeerChange::ItemIndex, TPeerChange::Picture,  TPeerChange::Cells,     TPeerChange::Text,
    TPeerChange::Selection, TPeerChange::Visible,
};

QtControlPeer::QtControlPeer(TControl& control) : control_(control) {}

QtControlPeer::~QtControlPeer() {
    *alive_ = false;
    context_.reset();
    if (filter_) filter_->Detach();
    if (!widget_) return;
    if (PeerEventScope::Active()) {
        // Qt may still be inside an event of this widget (or of one in it).
        widget_->hide();
        widget_->deleteLater();
    } else {
        delete widget_.data();
    }
}

QtControlPeer* QtControlPeer::Of(const TControl* control) {
    return control ? dynamic_cast<QtControlPeer*>(control->Peer()) : nullptr;
}

QWidget* QtControlPeer::ParentWidgetFor(const TControl& control) {
    QtControlPeer* parent = Of(control.Parent());
    return parent ? parent->Container() : nullptr;
}

void QtControlPeer::Attach(QWidget* widget, Input input) {
    widget_ = widget;
    input_ = input;
    filter_ = new PeerEventFilter(this, widget);
    widget->installEventFilter(filter_);
}

void QtControlPeer::WatchInner(QWidget* inner) {
    if (filter_) inner->installEventFilter(filter_);
}

QPoint QtControlPeer::ChildOrigin() const {
    const TPoint offset = control_.ClientOffset();
    return QPoint(offset.X, offset.Y);
}

void QtControlPeer::Restack() {
    auto* win = dynamic_cast<TWinControl*>(&control_);
    if (!win) return;
    const int n = win->ControlCount();
    for (int i = 0; i < n; ++i) {
        TControl* c = win->Controls(i);
        QtControlPeer* p = Of(c);
        if (p && p->Widget() && dynamic_cast<TWinControl*>(c)) p->Widget()->raise();
    }
    for (int i = n - 1; i >= 0; --i) {
        TControl* c = win->Controls(i);
        QtControlPeer* p = Of(c);
        if (p && p->Widget() && !dynamic_cast<TWinControl*>(c)) p->Widget()->lower();
    }
}

void QtControlPeer::ApplyAll() {
    for (TPeerChange what : kAllChanges) Apply(what);
}

void QtControlPeer::Changed(TPeerChange what) {
    if (widget_) Apply(what);
}

void QtControlPeer::SetFocus() {
    if (!widget_ || widget_->focusPolicy() == Qt::NoFocus) return;
    if (!widget_->hasFocus()) widget_->setFocus(Qt::OtherFocusReason);
}

void QtControlPeer::Apply(TPeerChange what) {
    QWidget* w = widget_;
    switch (what) {
        case TPeerChange::Bounds:
            ApplyBounds();
            if (QtControlPeer* parent = Of(control_.Parent())) parent->ChildGeometryChanged();
            break;
        case TPeerChange::Visible:
            if (w->isVisibleTo(w->parentWidget()) != control_.Visible())
                w->setVisible(control_.Visible());
            if (QtControlPeer* parent = Of(control_.Parent())) parent->ChildGeometryChanged();
            break;
        case TPeerChange::Enabled:
            w->setEnabled(control_.Enabled());
            break;
        case TPeerChange::Font:
            w->setFont(ToQFont(control_.Font()));
            ApplyPalette();
            break;
        case TPeerChange::Color:
            ApplyPalette();
            w->update();
            break;
        case TPeerChange::Hint: {
            const bool show = control_.HintShown() && Application().ShowHint();
            const QString tip = show ? ToQString(ShortHint(control_.Hint())) : QString();
            if (w->toolTip() != tip) w->setToolTip(tip);
            break;
        }
        case TPeerChange::Cursor:
            if (control_.Cursor() == crDefault)
                w->unsetCursor();
            else
                w->setCursor(ToQCursor(control_.Cursor()));
            break;
        case TPeerChange::TabOrder:
            ApplyFocusPolicy();
            Restack();
            break;
        case TPeerChange::Repaint:
            w->update();
            break;
        default:
            break;
    }
}

void QtControlPeer::ApplyBounds() {
    QPoint origin;
    if (QtControlPeer* parent = Of(control_.Parent())) origin = parent->ChildOrigin();
    const QRect r(control_.Left() + origin.x(), control_.Top() + origin.y(), control_.Width(),
                  control_.Height());
    if (widget_->geometry() != r) widget_->setGeometry(r);
}

void QtControlPeer::ApplyPalette() {
    QPalette pal = widget_->palette();
    const QColor back = ToQColor(control_.Color());
    const QColor text = ToQColor(control_.Font().Color());
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        pal.setColor(role, back);
    // Disabled text keeps the style's grey.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            pal.setColor(group, role, text);
    widget_->setPalette(pal);
}

void QtControlPeer::ApplyFocusPolicy() {
    Qt::FocusPolicy policy = Qt::NoFocus;
    if (const auto* win = dynamic_cast<const TWinControl*>(&control_)) {
        if (input_ == Input::Native || input_ == Input::Editor)
            policy = win->TabStop() ? Qt::StrongFocus : Qt::ClickFocus;
        else if (input_ == Input::Model && win->TabStop())
            policy = Qt::StrongFocus;
    }
    if (widget_->focusPolicy() != policy) widget_->setFocusPolicy(policy);
}

bool QtControlPeer::Filter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (event == forwardedKey) return false;
            return HandleKey(watched, static_cast<QKeyEvent*>(event));
        case QEvent::KeyRelease:
            if (event == forwardedKey) return false;
            return HandleKeyRelease(watched, static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return HandleMouse(watched, static_cast<QMouseEvent*>(event));
        case QEvent::Wheel: {
            // Taken by the control (Ctrl+wheel zooms the preview), else the widget and its
            // parents go on as usual (a scroll area scrolls).
            auto* w = static_cast<QWheelEvent*>(event);
            QPoint pos = w->position().toPoint();
            if (watched != widget_) pos = static_cast<QWidget*>(watched)->mapTo(widget_, pos);
            const TPoint offset = control_.ClientOffset();
            PeerEventScope scope;
            if (!control_.InputMouseWheel(ShiftOf(w->modifiers(), w->buttons()),
                                          w->angleDelta().y(), pos.x() - offset.X,
                                          pos.y() - offset.Y))
                return false;
            event->accept();
            return true;
        }
        case QEvent::MouseMove: {
            if (!control_.OnMouseMove) return input_ == Input::Model || input_ == Input::None;
            PeerEventScope scope;
            auto* m = static_cast<QMouseEvent*>(event);
            QPoint pos = m->position().toPoint();
            if (watched != widget_) pos = static_cast<QWidget*>(watched)->mapTo(widget_, pos);
            const TPoint offset = control_.ClientOffset();
            control_.InputMouseMove(ShiftOf(m->modifiers(), m->buttons()), pos.x() - offset.X,
                                    pos.y() - offset.Y);
            return input_ == Input::Model || input_ == Input::None;
        }
        case QEvent::FocusIn: {
            auto* win = dynamic_cast<TWinControl*>(&control_);
            if (win && !dynamic_cast<TCustomForm*>(win) && !win->Focused()) {
                PeerEventScope scope;
                win->InputFocus();
            }
            return false;
        }
        default:
            return HandleOther(watched, event);
    }
}

bool QtControlPeer::HandleOther(QObject* /*watched*/, QEvent* /*event*/) {
    return false;
}

bool QtControlPeer::ForwardKey(QObject* watched, QKeyEvent* event) {
    const QEvent* previous = forwardedKey;
    forwardedKey = event;
    QCoreApplication::sendEvent(watched, event);
    forwardedKey = previous;
    // Taken care of: Qt is not to pass it on to the parents once more.
    event->accept();
    return true;
}

bool QtControlPeer::HandleEditorKey(QObject* watched, QKeyEvent* event) {
    auto* win = dynamic_cast<TWinControl*>(&control_);
    PeerEventScope scope;
    const std::shared_ptr<bool> alive = alive_;
    const std::uint16_t vk = VirtualKeyOf(*event);
    const char32_t ch = CharacterOf(*event);
    event->accept();
    if (vk != 0 && win->InputKeyDownHandlers(vk, ShiftOf(event->modifiers())) == 0) return true;
    if (!*alive) return true;
    if (ch == 0) {
        // Alt with a letter is a mnemonic that matched no button: it types nothing.
        if ((event->modifiers() & Qt::AltModifier) && !event->text().isEmpty()) return true;
        return ForwardKey(watched, event);
    }
    const char32_t taken = win->InputKeyPressHandlers(ch);
    if (!*alive || taken == 0) return true;
    // Enter and Escape that no dialog button took are not the editor's (a memo types Enter).
    if ((taken == 13 && !EditorTypesReturn()) || taken == 27) return true;
    if (taken == ch) return ForwardKey(watched, event);
    // A handler changed the character (capitals, the vowel marker): the editor types that one.
    const std::unique_ptr<QKeyEvent> changed = KeyEventFor(taken, *event);
    return ForwardKey(watched, changed.get());
}

bool QtControlPeer::HandleKey(QObject* watched, QKeyEvent* event) {
    auto* win = dynamic_cast<TWinControl*>(&control_);
    if (!win || input_ == Input::None) return false;
    if (input_ == Input::Editor) return HandleEditorKey(watched, event);
    PeerEventScope scope;
    const std::shared_ptr<bool> alive = alive_;
    const std::uint16_t vk = VirtualKeyOf(*event);
    const char32_t ch = CharacterOf(*event);
    event->accept();
    // The model first: handlers, dialog keys, what the control itself does.
    if (vk != 0 && !win->InputKeyDown(vk, ShiftOf(event->modifiers()))) return true;
    if (!*alive) return true;
    if (ch != 0) {
        // The control took the character (inserted it, pasted, clicked ...)
        // or a handler swallowed it; the widget learns the outcome through
        // Changed.
        win->InputKeyPress(ch);
        return true;
    }
    // A key the model leaves alone (moving in a memo's lines, opening a list).
    if (input_ == Input::Model) return true;
    return ForwardKey(watched, event);
}

bool QtControlPeer::HandleKeyRelease(QObject* watched, QKeyEvent* event) {
    auto* win = dynamic_cast<TWinControl*>(&control_);
    if (!win || input_ == Input::None) return false;
    PeerEventScope scope;
    const std::shared_ptr<bool> alive = alive_;
    const std::uint16_t vk = VirtualKeyOf(*event);
    event->accept();
    if (vk != 0 && !win->InputKeyUp(vk, ShiftOf(event->modifiers()))) return true;
    if (!*alive || input_ == Input::Model) return true;
    return ForwardKey(watched, event);
}

bool QtControlPeer::HandleMouse(QObject* watched, QMouseEvent* event) {
    PeerEventScope scope;
    QPoint pos = event->position().toPoint();
    if (watched != widget_) pos = static_cast<QWidget*>(watched)->mapTo(widget_, pos);
    const TPoint offset = control_.ClientOffset();
    const int x = pos.x() - offset.X, y = pos.y() - offset.Y;
    const TShiftState shift = ShiftOf(event->modifiers(), event->buttons());
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            control_.InputMouseDown(MouseButtonOf(event->button()), shift, x, y);
            break;
        case QEvent::MouseButtonRelease:
            control_.InputMouseUp(MouseButtonOf(event->button()), shift, x, y);
            break;
        case QEvent::MouseButtonDblClick:
            control_.InputDblClick();
            break;
        default:
            break;
    }
    return false;
}

void QtControlPeer::PaintModel(QPainter& painter) {
    const ScreenColors screen;
    QtPainterDC dc(painter, Screen().Caps());
    try {
        control_.PaintSelf(dc);
    } catch (const std::exception& e) {
        // Not from inside a paint event: a message box there would paint again.
        const std::string message = e.what();
        Desktop().Post([message] { Application().HandleException(Exception(message)); });
    }
}

}  // namespace quillon
