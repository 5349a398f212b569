// SPDX-License-Identifier: GPL-2.0-or-later
// The peers of the control kinds: which Qt widget shows which control, and how
// each keeps its widget and its control in step.

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextOption>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <exception>
#include <functional>
#include <string>

#include "platform/gdi/canvas.h"
#include "platform/gdi/screen.h"
#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/qt/qt_peer.h"
#include "platform/qt/qt_widgets.h"
#include "platform/sys/limits.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

namespace {

// Runs a model call for a widget signal: the widget is not deleted under it,
// and an exception goes to the application's handler.
template <class F>
void FromWidget(F&& f) {
    PeerEventScope scope;
    try {
        f();
    } catch (const std::exception& e) {
        Application().HandleException(e);
    }
}

// Palette of a widget that fills its background with the control's colour.
void FillBackground(QWidget* w, TColor color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QString TextWithLineBreaks(const std::string& text) {
    QString s = ToQString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// ---------------------------------------------------------------- painted controls

// Graphic controls (labels, shapes, bevels, images), panels and every control
// kind without a widget of its own: the model paints them.
class PaintedPeer : public QtControlPeer {
  public:
    explicit PaintedPeer(TControl& control) : QtControlPeer(control) {
        auto* w = new PaintedWidget(ParentWidgetFor(control));
        w->paint = [this](QPainter& p) { PaintModel(p); };
        Attach(w, dynamic_cast<TWinControl*>(&control) ? Input::Model : Input::None);
    }
    ~PaintedPeer() override {
        if (auto* w = static_cast<PaintedWidget*>(Widget())) w->paint = nullptr;
    }

  protected:
    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Text:
            case TPeerChange::Appearance:
            case TPeerChange::Picture:
            case TPeerChange::Items:
            case TPeerChange::ItemIndex:
            case TPeerChange::Cells:
            case TPeerChange::Selection:
            case TPeerChange::Caption:
                Widget()->update();
                break;
            default:
                QtControlPeer::Apply(what);
        }
    }
    void ApplyPalette() override { Widget()->update(); }
    bool HandleMouse(QObject* watched, QMouseEvent* event) override {
        const std::shared_ptr<bool> alive = Alive();
        QtControlPeer::HandleMouse(watched, event);
        // A click is a left press and release on the control.
        if (*alive && event->type() == QEvent::MouseButtonRelease &&
            event->button() == Qt::LeftButton &&
            Widget()->rect().contains(event->position().toPoint())) {
            PeerEventScope scope;
            Control().InputClick();
        }
        event->accept();
        return true;
    }
};

// ---------------------------------------------------------------- forms

class FormPeer : public QtControlPeer {
  public:
    explicit FormPeer(TCustomForm& form) : QtControlPeer(form), form_(form) {
        QWidget* parent = ParentWidgetFor(form);
        auto* w = new QWidget(parent);
        w->setAutoFillBackground(true);
        Attach(w, Input::Model);
    }

  protected:
    bool TopLevel() const { return Widget()->isWindow(); }

    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Caption:
            case TPeerChange::Text:
            case TPeerChange::Appearance:
                ApplyWindow();
                break;
            case TPeerChange::Picture:
                ApplyIcon();
                break;
            case TPeerChange::Visible:
                if (!TopLevel()) {
                    QtControlPeer::Apply(what);
                } else {
                    ApplyVisible();
                }
                break;
            default:
                QtControlPeer::Apply(what);
        }
    }

    void ApplyBounds() override {
        if (!TopLevel()) {
            QtControlPeer::ApplyBounds();
            return;
        }
        // Taking the window manager's size or state into the model: nothing to give back.
        if (Syncing()) return;
        SyncScope sync(*this);
        QWidget* w = Widget();
        const QSize client(std::clamp(form_.ClientWidth(), 0, limits::kMaxWindowSide),
                           std::clamp(form_.ClientHeight(), 0, limits::kMaxWindowSide));
        const bool sizeable =
            form_.BorderStyle() == bsSizeable || form_.BorderStyle() == bsSizeToolWin;
        if (sizeable) {
            w->setMinimumSize(0, 0);
            w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            if (w->size() != client) w->resize(client);
        } else if (w->minimumSize() != client || w->maximumSize() != client) {
            w->setFixedSize(client);
        }
        if (w->pos() != QPoint(form_.Left(), form_.Top())) w->move(form_.Left(), form_.Top());
        Qt::WindowStates state = Qt::WindowNoState;
        if (form_.WindowState() == wsMaximized) state = Qt::WindowMaximized;
        if (form_.WindowState() == wsMinimized) state = Qt::WindowMinimized;
        if (w->windowState() != state) w->setWindowState(state);
    }

    void ApplyPalette() override { FillBackground(Widget(), form_.Color()); }
    void ApplyFocusPolicy() override { Widget()->setFocusPolicy(Qt::NoFocus); }

    void ApplyWindow() {
        QWidget* w = Widget();
        const QString title = ToQString(form_.Caption());
        if (w->windowTitle() != title) w->setWindowTitle(title);
        if (!TopLevel()) return;
        const TBorderIcons icons = form_.BorderIcons();
        const bool menu = icons.Contains(biSystemMenu);
        Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        switch (form_.BorderStyle()) {
            case bsNone:
                flags = Qt::Window | Qt::FramelessWindowHint;
                break;
            case bsDialog:
                flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
                if (menu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
                if (menu && icons.Contains(biHelp)) flags |= Qt::WindowContextHelpButtonHint;
                break;
            case bsToolWindow:
            case bsSizeToolWin:
                flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
                if (menu) flags |= Qt::WindowCloseButtonHint;
                break;
            case bsSingle:
            case bsSizeable:
                if (menu) {
                    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
                    if (icons.Contains(biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
                    if (icons.Contains(biMaximize) && form_.BorderStyle() == bsSizeable)
                        flags |= Qt::WindowMaximizeButtonHint;
                }
                break;
        }
        if (w->windowFlags() != flags) {
            const bool shown = w->isVisible();
            // Changing the flags of a shown window hides it.
            w->setWindowFlags(flags);
            if (shown) w->show();
        }
        ApplyBounds();
    }

    void ApplyIcon() {
        const TBitmap& image = form_.Icon().Image();
        if (image.Empty()) return;
        QImage qi(image.Width(), image.Height(), QImage::Format_ARGB32);
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) qi.setPixel(x, y, image.Pixel(x, y));
        Widget()->setWindowIcon(QIcon(QPixmap::fromImage(qi)));
    }

    void ApplyVisible() {
        QWidget* w = Widget();
        if (!form_.Visible()) {
            if (w->isVisible()) w->hide();
            if (overModal_) {
                // Back to a window of its own, for the next showing.
                overModal_ = false;
                w->setParent(nullptr, w->windowFlags());
            }
            return;
        }
        if (w->isVisible()) return;
        w->setWindowModality(form_.Modal() ? Qt::ApplicationModal : Qt::NonModal);
        // A modal window stays above the window it was opened from.
        QWidget* owner = nullptr;
        if (form_.Modal()) {
            QtControlPeer* active = Of(Application().ActiveForm());
            owner = active ? active->Widget() : QApplication::activeWindow();
        } else if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != w) {
            // A window shown from a modal one (the print status with its Abort button over the
            // preview) would be blocked by it and stacked below it: it becomes a window of the
            // modal one, above it and taking input.
            if (w->parentWidget() != modal) {
                w->setParent(modal, w->windowFlags());
                overModal_ = true;
                QObject::connect(modal, &QObject::destroyed, w, [this, w] {
                    overModal_ = false;
                    w->setParent(nullptr, w->windowFlags());
                });
            }
            owner = modal;
        }
        if (owner == w) owner = nullptr;
        w->winId();
        if (QWindow* handle = w->windowHandle())
            handle->setTransientParent(owner ? owner->window()->windowHandle() : nullptr);
        RestackTree(form_);
        w->show();
        // The offscreen platform (tests) has no stacking of windows.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
        w->activateWindow();
        // Focus given before the window existed goes to the control now.
        if (TWinControl* active = form_.ActiveControl())
            if (QtControlPeer* p = Of(active)) p->SetFocus();
        if (QtDesktop* desktop = QtDesktop::Installed())
            desktop->WindowShown(w, form_.Name().empty() ? form_.ClassName() : form_.Name());
    }

    static void RestackTree(TWinControl& w) {
        if (QtControlPeer* p = Of(&w)) p->Restack();
        for (TWinControl* c : w.WinControls()) RestackTree(*c);
    }

    bool HandleMouse(QObject* watched, QMouseEvent* event) override {
        QtControlPeer::HandleMouse(watched, event);
        return true;
    }

    bool HandleOther(QObject* watched, QEvent* event) override {
        if (watched != Widget() || !TopLevel()) return false;
        switch (event->type()) {
            case QEvent::Close:
                // The model decides (OnCloseQuery, OnClose, the main form ends
                // the program); its Visible then hides the window.
                event->ignore();
                FromWidget([&] { form_.Close(); });
                return true;
            case QEvent::WindowActivate:
                if (form_.Visible()) FromWidget([&] { form_.Activate(); });
                return false;
            case QEvent::Resize:
                if (!Sizeable()) return false;
                if (!Syncing() && event->spontaneous()) {
                    TakeWidgetSize();
                } else {
                    // The window manager's size can land while the model is being written
                    // into the window (a window maximised as it is mapped): looked at again
                    // once that is over, or the model keeps its design size for good.
                    QTimer::singleShot(0, Context(), [this] { TakeWidgetSize(); });
                }
                return false;
            case QEvent::WindowStateChange:
                // Maximised or restored by the window manager: the model follows, or the
                // next change of its size would put the old state back.
                if (!Syncing() && Widget()->isVisible()) {
                    const Qt::WindowStates shown = Widget()->windowState();
                    const TWindowState state = shown & Qt::WindowMinimized   ? wsMinimized
                                               : shown & Qt::WindowMaximized ? wsMaximized
                                                                             : wsNormal;
                    if (state != form_.WindowState()) {
                        SyncScope sync(*this);
                        FromWidget([&] { form_.SetWindowState(state); });
                    }
                }
                if (Sizeable()) QTimer::singleShot(0, Context(), [this] { TakeWidgetSize(); });
                return false;
            case QEvent::Move:
                if (!Syncing() && event->spontaneous() && Widget()->isVisible()) {
                    const QPoint p = Widget()->pos();
                    SyncScope sync(*this);
                    FromWidget(
                        [&] { form_.SetBounds(p.x(), p.y(), form_.Width(), form_.Height()); });
                }
                return false;
            default:
                return false;
        }
    }

  private:
    bool Sizeable() const {
        return form_.BorderStyle() == bsSizeable || form_.BorderStyle() == bsSizeToolWin;
    }

    // The model takes the size the shown window has (the window manager decides it).
    void TakeWidgetSize() {
        QWidget* w = Widget();
        if (Syncing() || !TopLevel() || !w->isVisible() || !Sizeable()) return;
        const QSize s = w->size();
        if (s.width() == form_.ClientWidth() && s.height() == form_.ClientHeight()) return;
        SyncScope sync(*this);
        FromWidget([&] {
            form_.SetClientWidth(s.width());
            form_.SetClientHeight(s.height());
        });
    }

    TCustomForm& form_;
    bool overModal_ = false;  // made a window of the modal window it was shown over
};

// ---------------------------------------------------------------- single-line edits

class LineEditPeer : public QtControlPeer {
  public:
    explicit LineEditPeer(TCustomEdit& edit) : QtControlPeer(edit), edit_(edit) {
        line_ = new QLineEdit(ParentWidgetFor(edit));
        masked_ = IsMasked();
        // The desktop's editor edits the text (undo, word moves, selection keys); a masked
        // field is edited by the model.
        Attach(line_, masked_ ? Input::Model : Input::Editor);
        QObject::connect(line_, &QLineEdit::textChanged, Context(), [this] { TextFromWidget(); });
        QObject::connect(line_, &QLineEdit::selectionChanged, Context(),
                         [this] { SelectionFromWidget(); });
        QObject::connect(line_, &QLineEdit::cursorPositionChanged, Context(),
                         [this] { SelectionFromWidget(); });
    }

  protected:
    bool IsMasked() const {
        const auto* m = dynamic_cast<const TCustomMaskEdit*>(&edit_);
        return m && m->IsMasked();
    }
    QString ModelText() const {
        if (masked_) return ToQString(static_cast<const TCustomMaskEdit&>(edit_).EditText());
        return ToQString(edit_.Text());
    }

    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Text:
                ApplyText();
                break;
            case TPeerChange::Selection:
                ApplySelection();
                break;
            case TPeerChange::ReadOnly:
                line_->setReadOnly(edit_.ReadOnly());
                break;
            case TPeerChange::MaxLength:
                ApplyMaxLength(line_->text().size());
                break;
            case TPeerChange::Appearance: {
                line_->setFrame(edit_.BorderStyle() == bsSingle);
                line_->setEchoMode(edit_.PasswordChar() ? QLineEdit::Password : QLineEdit::Normal);
                masked_ = IsMasked();
                // A masked field is edited by the model: the widget only shows it.
                line_->setContextMenuPolicy(masked_ ? Qt::NoContextMenu : Qt::DefaultContextMenu);
                line_->setDragEnabled(false);
                line_->setAcceptDrops(!masked_);
                ApplyText();
                break;
            }
            default:
                QtControlPeer::Apply(what);
        }
    }

    void ApplyMaxLength(qsizetype textLength) {
        // The widget would cut a longer text the program sets; the limit is
        // for typing and pasting only.
        const int limit = edit_.MaxLength() > 0 ? edit_.MaxLength() : 32767;
        const int effective = std::max<int>(limit, static_cast<int>(textLength));
        if (line_->maxLength() != effective) line_->setMaxLength(effective);
    }

    void ApplyText() {
        const QString text = ModelText();
        if (line_->text() != text) {
            SyncScope sync(*this);
            ApplyMaxLength(text.size());
            line_->setText(text);
        }
        ApplySelection();
    }

    void ApplySelection() {
        const QString text = line_->text();
        const int start = Utf16Index(text, edit_.SelStart());
        const int length = Utf16Index(text, edit_.SelStart() + edit_.SelLength()) - start;
        const bool has = line_->hasSelectedText();
        const int shownStart = has ? line_->selectionStart() : line_->cursorPosition();
        const int shownLength = has ? line_->selectionLength() : 0;
        if (shownStart == start && shownLength == length) return;
        SyncScope sync(*this);
        if (length > 0)
            line_->setSelection(start, length);
        else
            line_->setCursorPosition(start);
    }

    void TextFromWidget() {
        if (Syncing() || masked_) return;
        QString text = line_->text();
        // Pasted text takes the field's character case too.
        const QString cased = edit_.CharCase() == ecUpperCase   ? text.toUpper()
                              : edit_.CharCase() == ecLowerCase ? text.toLower()
                                                                : text;
        if (cased != text) {
            const int cursor = line_->cursorPosition();
            SyncScope sync(*this);
            line_->setText(cased);
            line_->setCursorPosition(cursor);
            text = cased;
        }
        const bool has = line_->hasSelectedText();
        const int start = has ? line_->selectionStart() : line_->cursorPosition();
        const int length = has ? line_->selectionLength() : 0;
        const int selStart = CodePointIndex(text, start);
        const int selLength = CodePointIndex(text, start + length) - selStart;
        const std::shared_ptr<bool> alive = Alive();
        FromWidget([&] { edit_.SetTextFromPeer(FromQString(text), selStart, selLength); });
        if (*alive) ApplyMaxLength(line_->text().size());
    }

    void SelectionFromWidget() {
        if (Syncing()) return;
        const QString text = line_->text();
        const bool has = line_->hasSelectedText();
        const int start = has ? line_->selectionStart() : line_->cursorPosition();
        const int length = has ? line_->selectionLength() : 0;
        const int selStart = CodePointIndex(text, start);
        const int selLength = CodePointIndex(text, start + length) - selStart;
        if (selStart == edit_.SelStart() && selLength == edit_.SelLength()) return;
        FromWidget([&] { edit_.SetSelectionFromPeer(selStart, selLength); });
    }

  private:
    TCustomEdit& edit_;
    QLineEdit* line_ = nullptr;
    bool masked_ = false;
};

// ---------------------------------------------------------------- memos and rich edits

class MemoPeer : public QtControlPeer {
  public:
    explicit MemoPeer(TCustomMemo& memo) : QtControlPeer(memo), memo_(memo) {
        edit_ = new ModelPlainTextEdit(ParentWidgetFor(memo));
        edit_->document()->setDocumentMargin(2);
        edit_->limitInsert = [this](const QString& text) { return Fit(text); };
        // The widget edits (with the desktop's keys: undo, select all, word moves); the model's
        // key events run first and its text follows the widget's.
        Attach(edit_, Input::Editor);
        WatchInner(edit_->viewport());
        QObject::connect(edit_, &QPlainTextEdit::textChanged, Context(),
                         [this] { TextFromWidget(); });
        QObject::connect(edit_, &QPlainTextEdit::cursorPositionChanged, Context(),
                         [this] { SelectionFromWidget(); });
        QObject::connect(edit_, &QPlainTextEdit::selectionChanged, Context(),
                         [this] { SelectionFromWidget(); });
    }
    ~MemoPeer() override { edit_->limitInsert = nullptr; }

  protected:
    bool EditorTypesReturn() const override { return memo_.WantReturns() && !memo_.ReadOnly(); }

    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Text:
            case TPeerChange::Items:
                ApplyText();
                break;
            case TPeerChange::Selection:
                ApplySelection();
                break;
            case TPeerChange::ReadOnly:
                edit_->setReadOnly(memo_.ReadOnly());
                break;
            case TPeerChange::Appearance: {
                edit_->setLineWrapMode(memo_.WordWrap() ? QPlainTextEdit::WidgetWidth
                                                        : QPlainTextEdit::NoWrap);
                ApplyWrapMode(edit_->toPlainText());
                ApplyTextFrame(*edit_, memo_.BorderStyle(), memo_.ScrollBars(),
                               Qt::ScrollBarAlwaysOff);
                break;
            }
            default:
                QtControlPeer::Apply(what);
        }
    }

    // What fits of `text` into the room MaxLength leaves (the selection is replaced).
    QString Fit(const QString& text) const {
        if (memo_.MaxLength() <= 0) return text;
        const int room = memo_.MaxLength() - (CharCount(memo_.Text()) - memo_.SelLength());
        if (room <= 0) return QString();
        return text.left(Utf16Index(text, room));
    }

    void ApplyText() {
        const QString text = TextWithLineBreaks(memo_.Text());
        if (edit_->toPlainText() != text) {
            SyncScope sync(*this);
            // Before the text goes in: the layout is made with the mode then set.
            ApplyWrapMode(text);
            edit_->setPlainText(text);
        }
        ApplySelection();
    }

    // Wrapping at word boundaries searches each over-long word for a place to
    // break anew for every line it fills, which for a line of some hundred
    // thousand characters without spaces takes minutes. Past a length, lines
    // wrap at any character instead (one pass); the text itself is untouched.
    void ApplyWrapMode(const QString& text) {
        qsizetype longest = 0;
        qsizetype start = 0;
        while (start <= text.size()) {
            qsizetype eol = text.indexOf(QChar('\n'), start);
            if (eol < 0) eol = text.size();
            longest = std::max(longest, eol - start);
            start = eol + 1;
        }
        const QTextOption::WrapMode mode = longest > limits::kMaxWordWrappedLine
                                               ? QTextOption::WrapAnywhere
                                               : QTextOption::WrapAtWordBoundaryOrAnywhere;
        if (edit_->wordWrapMode() != mode) edit_->setWordWrapMode(mode);
    }

    void ApplySelection() {
        const QString text = edit_->toPlainText();
        const int start = Utf16Index(text, memo_.SelStart());
        const int end = Utf16Index(text, memo_.SelStart() + memo_.SelLength());
        QTextCursor c = edit_->textCursor();
        if (c.selectionStart() == start && c.selectionEnd() == end) return;
        SyncScope sync(*this);
        c.setPosition(start);
        c.setPosition(end, QTextCursor::KeepAnchor);
        edit_->setTextCursor(c);
    }

    // The widget's text and selection as the model holds them: the widget breaks lines with
    // LF alone, the model keeps the CR LF breaks it has (a typed key changes no other line).
    struct WidgetText {
        QString text;
        int selStart;
        int selLength;
    };
    WidgetText FromWidgetText() const {
        QString text = edit_->toPlainText();
        const QTextCursor c = edit_->textCursor();
        int start = c.selectionStart(), end = c.selectionEnd();
        if (memo_.Text().find("\r\n") != std::string::npos) {
            end += static_cast<int>(QStringView(text).left(end).count(QLatin1Char('\n')));
            start += static_cast<int>(QStringView(text).left(start).count(QLatin1Char('\n')));
            text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        }
        const int selStart = CodePointIndex(text, start);
        return {text, selStart, CodePointIndex(text, end) - selStart};
    }

    void TextFromWidget() {
        if (Syncing()) return;
        const WidgetText w = FromWidgetText();
        FromWidget([&] { memo_.SetTextFromPeer(FromQString(w.text), w.selStart, w.selLength); });
    }

    void SelectionFromWidget() {
        if (Syncing()) return;
        const WidgetText w = FromWidgetText();
        if (w.selStart == memo_.SelStart() && w.selLength == memo_.SelLength()) return;
        FromWidget([&] { memo_.SetSelectionFromPeer(w.selStart, w.selLength); });
    }

  private:
    TCustomMemo& memo_;
    ModelPlainTextEdit* edit_ = nullptr;
};

// ---------------------------------------------------------------- buttons

class ButtonPeer : public QtControlPeer {
  public:
    explicit ButtonPeer(TButton& button, QPushButton* widget)
        : QtControlPeer(button), button_(button), push_(widget) {
        push_->setAutoDefault(false);
        Attach(push_, Input::Native);
        QObject::connect(push_, &QPushButton::clicked, Context(),
                         [this] { FromWidget([&] { button_.InputClick(); }); });
        // As on the desktop, the focused button is the one Enter presses (the form's
        // DialogKey), so it wears the default frame; with no button focused the form's
        // default button wears it.
        QObject::connect(qApp, &QApplication::focusChanged, Context(),
                         [this](QWidget*, QWidget* now) { ShowDefault(now); });
    }
    explicit ButtonPeer(TButton& button)
        : ButtonPeer(button, new QPushButton(ParentWidgetFor(button))) {}

  protected:
    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Text:
                ApplyCaption();
                break;
            case TPeerChange::Appearance:
                ShowDefault(QApplication::focusWidget());
                break;
            default:
                QtControlPeer::Apply(what);
        }
    }
    void ShowDefault(QWidget* focused) {
        const bool buttonFocused =
            focused && qobject_cast<QPushButton*>(focused) && focused->window() == push_->window();
        const bool wear = focused == push_ || (!buttonFocused && button_.Default());
        if (push_->isDefault() != wear) push_->setDefault(wear);
    }
    virtual void ApplyCaption() {
        const QString caption = ToQString(button_.Caption());
        if (push_->text() != caption) push_->setText(caption);
    }

    TButton& button_;
    QPushButton* push_;
};

// A picture button: the style draws the bevel, the model's glyph code the
// picture (normal or greyed), the caption stands beside it.
class BitBtnPeer : public ButtonPeer {
  public:
    explicit BitBtnPeer(TBitBtn& button)
        : ButtonPeer(button, new GlyphButton(ParentWidgetFor(button))), bit_(button) {
        static_cast<GlyphButton*>(push_)->face = [this](QPainter& p, bool down) {
            PaintFace(p, down);
        };
    }
    ~BitBtnPeer() override { static_cast<GlyphButton*>(push_)->face = nullptr; }

  protected:
    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Picture:
            case TPeerChange::Enabled:
                ButtonPeer::Apply(what);
                push_->update();
                break;
            case TPeerChange::Appearance:
                ButtonPeer::Apply(what);
                push_->update();
                break;
            default:
                ButtonPeer::Apply(what);
        }
    }
    void ApplyCaption() override {
        // The face paints the caption; the widget keeps it for its accessible name
        // and mnemonic.
        ButtonPeer::ApplyCaption();
        push_->update();
    }

    void PaintFace(QPainter& p, bool down) {
        const TBitmap glyph = bit_.CurrentGlyph();
        const int gw = glyph.Width(), gh = glyph.Height();
        const QString caption = push_->text();
        QString shown = caption;
        shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        const QFontMetrics fm(push_->font());
        const int tw = caption.isEmpty() ? 0 : fm.horizontalAdvance(shown);
        const int th = caption.isEmpty() ? 0 : fm.height();
        const int spacing = (gw > 0 && tw > 0) ? std::max(bit_.Spacing(), 0) : 0;
        const bool vertical = bit_.Layout() == blGlyphTop || bit_.Layout() == blGlyphBottom;
        const int w = push_->width(), h = push_->height();
        const int total = vertical ? gh + spacing + th : gw + spacing + tw;
        const int start = bit_.Margin() >= 0 ? bit_.Margin() : ((vertical ? h : w) - total) / 2;
        const int shift = down ? 1 : 0;
        QPoint glyphAt, textAt;
        switch (bit_.Layout()) {
            case blGlyphLeft:
                glyphAt = QPoint(start, (h - gh) / 2);
                textAt = QPoint(start + gw + spacing, (h - th) / 2);
                break;
            case blGlyphRight:
                textAt = QPoint(start, (h - th) / 2);
                glyphAt = QPoint(start + tw + spacing, (h - gh) / 2);
                break;
            case blGlyphTop:
                glyphAt = QPoint((w - gw) / 2, start);
                textAt = QPoint((w - tw) / 2, start + gh + spacing);
                break;
            case blGlyphBottom:
                textAt = QPoint((w - tw) / 2, start);
                glyphAt = QPoint((w - gw) / 2, start + th + spacing);
                break;
        }
        glyphAt += QPoint(shift, shift);
        textAt += QPoint(shift, shift);
        if (gw > 0) {
            p.save();
            QtPainterDC dc(p, Screen().Caps());
            TCanvas canvas(&dc);
            bit_.DrawGlyph(canvas, glyphAt.x(), glyphAt.y());
            canvas.SetHandle(nullptr);
            p.restore();
        }
        if (!caption.isEmpty()) {
            push_->style()->drawItemText(&p, QRect(textAt, QSize(tw, th)),
                                         Qt::AlignCenter | Qt::TextShowMnemonic, push_->palette(),
                                         push_->isEnabled(), caption, QPalette::ButtonText);
        }
    }

  private:
    TBitBtn& bit_;
};

// Check boxes and radio buttons: the caption and the side it stands on, the
// parent showing through, and the model deciding the next state (its
// toggling rules, its click events).
template <class Model, class Button>
class TogglePeer : public QtControlPeer {
  public:
    explicit TogglePeer(Model& control) : QtControlPeer(control), control_(control) {
        button_ = new Button(ParentWidgetFor(control));
        button_->toggle = [this] {
            const std::shared_ptr<bool> alive = Alive();
            FromWidget([&] { control_.InputClick(); });
            if (*alive) ApplyState();
        };
        Attach(button_, Input::Native);
    }
    ~TogglePeer() override { button_->toggle = nullptr; }

  protected:
    virtual void ApplyState() = 0;

    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Text: {
                const QString caption = ToQString(control_.Caption());
                if (button_->text() != caption) button_->setText(caption);
                break;
            }
            case TPeerChange::Appearance:
                button_->setLayoutDirection(
                    control_.Alignment() == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
                ApplyState();
                break;
            case TPeerChange::ItemIndex:
                ApplyState();
                break;
            default:
                QtControlPeer::Apply(what);
        }
    }
    void ApplyPalette() override {
        QtControlPeer::ApplyPalette();
        // With the parent's colour the parent shows through (a group box's
        // style may shade its inside).
        button_->setAutoFillBackground(!control_.ParentColor());
    }

    Model& control_;
    Button* button_ = nullptr;
};

class CheckBoxPeer : public TogglePeer<TCustomCheckBox, ModelCheckBox> {
  public:
    using TogglePeer::TogglePeer;

  protected:
    void ApplyState() override {
        SyncScope sync(*this);
        button_->setTristate(control_.AllowGrayed() || control_.State() == cbGrayed);
        const Qt::CheckState s = control_.State() == cbChecked  ? Qt::Checked
                                 : control_.State() == cbGrayed ? Qt::PartiallyChecked
                                                                : Qt::Unchecked;
        if (button_->checkState() != s) button_->setCheckState(s);
    }
};

class RadioButtonPeer : public TogglePeer<TRadioButton, ModelRadioButton> {
  public:
    explicit RadioButtonPeer(TRadioButton& radio) : TogglePeer(radio) {
        // The model unchecks the other buttons of the parent.
        button_->setAutoExclusive(false);
    }

  protected:
    void ApplyState() override {
        if (button_->isChecked() == control_.Checked()) return;
        SyncScope sync(*this);
        button_->setChecked(control_.Checked());
    }
};

// ---------------------------------------------------------------- combo box

class ComboPeer : public QtControlPeer {
  public:
    explicit ComboPeer(TCustomComboBox& combo) : QtControlPeer(combo), combo_(combo) {
        box_ = new QComboBox(ParentWidgetFor(combo));
        box_->setInsertPolicy(QComboBox::NoInsert);
        Attach(box_, Input::Native);
        QObject::connect(box_, &QComboBox::activated, Context(), [this](int index) {
            if (Syncing()) return;
            const std::shared_ptr<bool> alive = Alive();
            FromWidget([&] { combo_.InputSelectItem(index); });
            if (*alive) Apply(TPeerChange::ItemIndex);
        });
        ApplyStyle();
    }

  protected:
    void ApplyStyle() {
        const bool editable = combo_.Style() == csDropDown || combo_.Style() == csSimple;
        if (box_->isEditable() == editable) return;
        SyncScope sync(*this);
        box_->setEditable(editable);
        if (QLineEdit* line = box_->lineEdit()) {
            WatchInner(line);
            QObject::connect(line, &QLineEdit::textEdited, Context(), [this] { TextFromWidget(); });
            // The caret the mouse puts is where typing goes on.
            QObject::connect(line, &QLineEdit::cursorPositionChanged, Context(),
                             [this] { TextFromWidget(); });
            QObject::connect(line, &QLineEdit::selectionChanged, Context(),
                             [this] { TextFromWidget(); });
        }
    }

    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Appearance:
                ApplyStyle();
                ApplyText();
                break;
            case TPeerChange::Items: {
                QStringList items;
                for (int i = 0; i < combo_.Items().Count(); ++i)
                    items << ToQString(combo_.Items()[i]);
                bool same = box_->count() == items.size();
                for (int i = 0; same && i < items.size(); ++i) same = box_->itemText(i) == items[i];
                if (!same) {
                    SyncScope sync(*this);
                    box_->clear();
                    box_->addItems(items);
                }
                Apply(TPeerChange::ItemIndex);
                break;
            }
            case TPeerChange::ItemIndex:
                if (box_->currentIndex() != combo_.ItemIndex()) {
                    SyncScope sync(*this);
                    box_->setCurrentIndex(combo_.ItemIndex());
                }
                ApplyText();
                break;
            case TPeerChange::Text:
                ApplyText();
                break;
            case TPeerChange::MaxLength:
                if (QLineEdit* line = box_->lineEdit())
                    line->setMaxLength(combo_.MaxLength() > 0 ? combo_.MaxLength() : 32767);
                break;
            default:
                QtControlPeer::Apply(what);
        }
    }

    void ApplyText() {
        QLineEdit* line = box_->lineEdit();
        if (!line) return;
        const QString text = ToQString(combo_.Text());
        SyncScope sync(*this);
        if (line->text() != text) line->setText(text);
        const int start = Utf16Index(text, combo_.SelStart());
        const int length = Utf16Index(text, combo_.SelStart() + combo_.SelLength()) - start;
        const int shownStart =
            line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        const int shownLength = line->hasSelectedText() ? line->selectionLength() : 0;
        if (shownStart == start && shownLength == length) return;
        if (length > 0)
            line->setSelection(start, length);
        else
            line->setCursorPosition(start);
    }

    void TextFromWidget() {
        if (Syncing()) return;
        QLineEdit* line = box_->lineEdit();
        if (!line) return;
        const QString text = line->text();
        const int start = CodePointIndex(
            text, line->hasSelectedText() ? line->selectionStart() : line->cursorPosition());
        const int length =
            line->hasSelectedText() ? CodePointIndex(text, line->selectionEnd()) - start : 0;
        FromWidget([&] { combo_.SetTextFromPeer(FromQString(text), start, length); });
    }

  private:
    TCustomComboBox& combo_;
    QComboBox* box_ = nullptr;
};

// ---------------------------------------------------------------- containers

class GroupBoxPeer : public QtControlPeer {
  public:
    explicit GroupBoxPeer(TCustomGroupBox& group) : QtControlPeer(group), group_(group) {
        box_ = new QGroupBox(ParentWidgetFor(group));
        Attach(box_, Input::Native);
    }

  protected:
    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Text:
            case TPeerChange::Repaint: {
                const QString caption = ToQString(group_.Caption());
                if (box_->title() != caption) box_->setTitle(caption);
                box_->update();
                break;
            }
            default:
                QtControlPeer::Apply(what);
        }
    }
    void ApplyPalette() override {
        QtControlPeer::ApplyPalette();
        box_->setAutoFillBackground(!group_.ParentColor());
    }
    void ApplyFocusPolicy() override { box_->setFocusPolicy(Qt::NoFocus); }
    bool HandleMouse(QObject* watched, QMouseEvent* event) override {
        QtControlPeer::HandleMouse(watched, event);
        // The box itself does nothing with the mouse (its entries do).
        return watched == Widget();
    }

    TCustomGroupBox& group_;
    QGroupBox* box_ = nullptr;
};

// A radio group: a group box whose entries are radio buttons of its own.
class RadioGroupPeer : public GroupBoxPeer {
  public:
    explicit RadioGroupPeer(TCustomRadioGroup& group) : GroupBoxPeer(group), radios_(group) {}
    ~RadioGroupPeer() override {
        for (ModelRadioButton* b : buttons_) b->toggle = nullptr;
    }

  protected:
    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Items:
                Rebuild();
                break;
            case TPeerChange::ItemIndex:
                ApplyChecks();
                break;
            case TPeerChange::Bounds:
            case TPeerChange::Font:
                GroupBoxPeer::Apply(what);
                Layout();
                break;
            case TPeerChange::Enabled:
                GroupBoxPeer::Apply(what);
                break;
            default:
                GroupBoxPeer::Apply(what);
        }
    }
    void ApplyFocusPolicy() override {
        box_->setFocusPolicy(Qt::NoFocus);
        for (ModelRadioButton* b : buttons_)
            b->setFocusPolicy(radios_.TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    }

    void Rebuild() {
        const int n = radios_.Items().Count();
        while (static_cast<int>(buttons_.size()) > n) {
            ModelRadioButton* b = buttons_.back();
            buttons_.pop_back();
            b->toggle = nullptr;
            if (PeerEventScope::Active())
                b->deleteLater();
            else
                delete b;
        }
        while (static_cast<int>(buttons_.size()) < n) {
            auto* b = new ModelRadioButton(box_);
            const int index = static_cast<int>(buttons_.size());
            b->setAutoExclusive(false);
            b->toggle = [this, index] {
                const std::shared_ptr<bool> alive = Alive();
                FromWidget([&] { radios_.InputSelectItem(index); });
                if (*alive) ApplyChecks();
            };
            WatchInner(b);
            b->show();
            buttons_.push_back(b);
        }
        for (int i = 0; i < n; ++i) {
            const QString caption = ToQString(radios_.Items()[i]);
            if (buttons_[static_cast<std::size_t>(i)]->text() != caption)
                buttons_[static_cast<std::size_t>(i)]->setText(caption);
        }
        ApplyFocusPolicy();
        ApplyChecks();
        Layout();
    }

    void ApplyChecks() {
        SyncScope sync(*this);
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            const bool on = static_cast<int>(i) == radios_.ItemIndex();
            if (buttons_[i]->isChecked() != on) buttons_[i]->setChecked(on);
        }
    }

    // The entries in columns, spread over the client area below the caption as
    // the model paints them.
    void Layout() {
        if (buttons_.empty()) return;
        const QFontMetrics fm(box_->font());
        const int left = 2, top = fm.height() + 2;
        const int width = std::max(0, box_->width() - 4),
                  height = std::max(0, box_->height() - top - 2);
        const int n = static_cast<int>(buttons_.size());
        const int columns = std::max(1, radios_.Columns());
        const int rows = (n + columns - 1) / columns;
        const int colWidth = width / columns;
        const int rowHeight = rows > 0 ? height / rows : 0;
        const int h = std::max(fm.height(), 16);
        for (int i = 0; i < n; ++i) {
            const int x = left + (i / rows) * colWidth + 4;
            const int y = top + (i % rows) * rowHeight + (rowHeight - h) / 2;
            buttons_[static_cast<std::size_t>(i)]->setGeometry(x, y, std::max(0, colWidth - 8), h);
        }
    }

  private:
    TCustomRadioGroup& radios_;
    std::vector<ModelRadioButton*> buttons_;
};

class ScrollBoxPeer : public QtControlPeer {
  public:
    explicit ScrollBoxPeer(TScrollBox& box) : QtControlPeer(box), box_(box) {
        area_ = new QScrollArea(ParentWidgetFor(box));
        content_ = new QWidget;
        area_->setWidget(content_);
        area_->setWidgetResizable(false);
        Attach(area_, Input::Native);
        WatchInner(area_->viewport());
        QObject::connect(area_->horizontalScrollBar(), &QScrollBar::valueChanged, Context(),
                         [this](int v) {
                             if (Syncing() || v == box_.HorzScrollBar().Position()) return;
                             SyncScope sync(*this);
                             FromWidget([&] { box_.HorzScrollBar().SetPosition(v); });
                         });
        QObject::connect(area_->verticalScrollBar(), &QScrollBar::valueChanged, Context(),
                         [this](int v) {
                             if (Syncing() || v == box_.VertScrollBar().Position()) return;
                             SyncScope sync(*this);
                             FromWidget([&] { box_.VertScrollBar().SetPosition(v); });
                         });
    }

    QWidget* Container() const override { return content_; }
    QPoint ChildOrigin() const override {
        return QPoint(box_.HorzScrollBar().Position(), box_.VertScrollBar().Position());
    }
    void ChildGeometryChanged() override { UpdateContent(); }

  protected:
    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Bounds:
                QtControlPeer::Apply(what);
                UpdateContent();
                break;
            case TPeerChange::Appearance: {
                area_->setFrameStyle(box_.BorderStyle() == bsSingle
                                         ? QFrame::WinPanel | QFrame::Sunken
                                         : QFrame::NoFrame);
                const auto policy = [&](const TControlScrollBar& bar) {
                    if (!bar.Visible()) return Qt::ScrollBarAlwaysOff;
                    return box_.AutoScroll() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
                };
                area_->setHorizontalScrollBarPolicy(policy(box_.HorzScrollBar()));
                area_->setVerticalScrollBarPolicy(policy(box_.VertScrollBar()));
                UpdateContent();
                break;
            }
            default:
                QtControlPeer::Apply(what);
        }
    }
    void ApplyPalette() override {
        QtControlPeer::ApplyPalette();
        FillBackground(content_, box_.Color());
        FillBackground(area_->viewport(), box_.Color());
    }
    void ApplyFocusPolicy() override { area_->setFocusPolicy(Qt::NoFocus); }
    bool HandleMouse(QObject* watched, QMouseEvent* event) override {
        QtControlPeer::HandleMouse(watched, event);
        return true;
    }

    void UpdateContent() {
        SyncScope sync(*this);
        const TSize size = box_.ContentSize();
        const TControlScrollBar& h = box_.HorzScrollBar();
        const TControlScrollBar& v = box_.VertScrollBar();
        const int width = std::max(std::max(size.cx, h.Range()), area_->viewport()->width());
        const int height = std::max(std::max(size.cy, v.Range()), area_->viewport()->height());
        if (content_->size() != QSize(width, height)) content_->resize(width, height);
        if (area_->horizontalScrollBar()->value() != h.Position())
            area_->horizontalScrollBar()->setValue(h.Position());
        if (area_->verticalScrollBar()->value() != v.Position())
            area_->verticalScrollBar()->setValue(v.Position());
    }

  private:
    TScrollBox& box_;
    QScrollArea* area_ = nullptr;
    QWidget* content_ = nullptr;
};

// ---------------------------------------------------------------- string grid

// Fixed rows and columns are ordinary cells in the fixed colour (the grid has
// no headers of Qt's own). Counts and sizes are taken once the model's changes of
// one event are done, so that filling a grid cell by cell stays cheap.
// Fixed cells are drawn in the fixed colour and never edited, also those that hold no text.
class GridDelegate final : public QStyledItemDelegate {
  public:
    GridDelegate(TStringGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (IsFixed(index)) return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (IsFixed(index)) option->backgroundBrush = ToQColor(grid_.FixedColor());
    }

  private:
    bool IsFixed(const QModelIndex& index) const {
        return index.row() < grid_.FixedRows() || index.column() < grid_.FixedCols();
    }

    TStringGrid& grid_;
};

// The widget's model reads the texts from the grid itself: a grid of 100,000 rows would
// otherwise hold an item of the widget's beside each cell of its own (hundreds of bytes each).
// An empty cell has no text.
class GridModel final : public QAbstractTableModel {
  public:
    using Edit = std::function<void(int row, int col, const std::string& text)>;
    GridModel(TStringGrid& grid, Edit edit, QObject* parent)
        : QAbstractTableModel(parent), grid_(grid), edit_(std::move(edit)) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : rows_;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : cols_;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
        const std::string text = grid_.Cells(index.column(), index.row());
        if (text.empty()) return {};
        return ToQString(text);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled;
        if (index.row() < grid_.FixedRows() || index.column() < grid_.FixedCols()) return f;
        f |= Qt::ItemIsSelectable;
        if (grid_.Options().Contains(goEditing)) f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole) return false;
        edit_(index.row(), index.column(), FromQString(value.toString()));
        return true;
    }

    // Takes the grid's counts (rows and columns added or removed at the end, so that the
    // view keeps its current cell and sizes) and has every text read again.
    void Sync() {
        const int rows = grid_.RowCount(), cols = grid_.ColCount();
        if (rows > rows_) {
            beginInsertRows({}, rows_, rows - 1);
            rows_ = rows;
            endInsertRows();
        } else if (rows < rows_) {
            beginRemoveRows({}, rows, rows_ - 1);
            rows_ = rows;
            endRemoveRows();
        }
        if (cols > cols_) {
            beginInsertColumns({}, cols_, cols - 1);
            cols_ = cols;
            endInsertColumns();
        } else if (cols < cols_) {
            beginRemoveColumns({}, cols, cols_ - 1);
            cols_ = cols;
            endRemoveColumns();
        }
        if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    }

  private:
    TStringGrid& grid_;
    Edit edit_;
    int rows_ = 0, cols_ = 0;
};

class GridPeer : public QtControlPeer {
  public:
    explicit GridPeer(TStringGrid& grid) : QtControlPeer(grid), grid_(grid) {
        table_ = new QTableView(ParentWidgetFor(grid));
        model_ = new GridModel(
            grid,
            [this](int row, int col, const std::string& text) {
                if (Syncing() || grid_.Cells(col, row) == text) return;
                SyncScope sync(*this);
                FromWidget([&] { grid_.SetCells(col, row, text); });
            },
            table_);
        table_->setModel(model_);
        table_->setItemDelegate(new GridDelegate(grid, table_));
        table_->horizontalHeader()->hide();
        table_->verticalHeader()->hide();
        table_->horizontalHeader()->setMinimumSectionSize(0);
        table_->verticalHeader()->setMinimumSectionSize(0);
        table_->setSelectionMode(QAbstractItemView::SingleSelection);
        Attach(table_, Input::Native);
        WatchInner(table_->viewport());
        QObject::connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, Context(),
                         [this](const QModelIndex& now, const QModelIndex&) {
                             const int row = now.row(), col = now.column();
                             if (Syncing() || row < 0 || col < 0) return;
                             const std::shared_ptr<bool> alive = Alive();
                             FromWidget([&] {
                                 if (row != grid_.Row()) grid_.SetRow(row);
                                 if (col != grid_.Col()) grid_.SetCol(col);
                             });
                             // A cell the program refused: the widget goes back to the model's.
                             if (*alive) ApplyCurrent();
                         });
    }

    // Copies counts and sizes now and has the texts read again (tests and the deferred refresh).
    void Refresh() {
        refreshPending_ = false;
        SyncScope sync(*this);
        const int rows = grid_.RowCount(), cols = grid_.ColCount();
        // Sections take the default size first, then only those of another size are set: each
        // one set costs the header a pass over all of them (minutes for 100,000 rows).
        QHeaderView* across = table_->horizontalHeader();
        QHeaderView* down = table_->verticalHeader();
        if (across->defaultSectionSize() != grid_.DefaultColWidth())
            across->setDefaultSectionSize(grid_.DefaultColWidth());
        if (down->defaultSectionSize() != grid_.DefaultRowHeight())
            down->setDefaultSectionSize(grid_.DefaultRowHeight());
        model_->Sync();
        for (int c = 0; c < cols; ++c)
            if (table_->columnWidth(c) != grid_.ColWidths(c))
                table_->setColumnWidth(c, grid_.ColWidths(c));
        for (int r = 0; r < rows; ++r)
            if (table_->rowHeight(r) != grid_.RowHeights(r))
                table_->setRowHeight(r, grid_.RowHeights(r));
        ApplyCurrent();
    }

  protected:
    void Apply(TPeerChange what) override {
        switch (what) {
            case TPeerChange::Cells:
            case TPeerChange::Repaint:
                ScheduleRefresh();
                break;
            case TPeerChange::Selection:
                ApplyCurrent();
                break;
            case TPeerChange::Appearance: {
                const TGridOptions o = grid_.Options();
                table_->setShowGrid(grid_.GridLineWidth() > 0 &&
                                    (o.Contains(goVertLine) || o.Contains(goHorzLine)));
                table_->setSelectionBehavior(o.Contains(goRowSelect)
                                                 ? QAbstractItemView::SelectRows
                                                 : QAbstractItemView::SelectItems);
                table_->setEditTriggers(o.Contains(goEditing) ? QAbstractItemView::AllEditTriggers
                                                              : QAbstractItemView::NoEditTriggers);
                table_->setFrameStyle(grid_.BorderStyle() == bsSingle
                                          ? QFrame::StyledPanel | QFrame::Sunken
                                          : QFrame::NoFrame);
                const TScrollStyle s = grid_.ScrollBars();
                table_->setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth
                                                         ? Qt::ScrollBarAsNeeded
                                                         : Qt::ScrollBarAlwaysOff);
                table_->setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth
                                                       ? Qt::ScrollBarAsNeeded
                                                       : Qt::ScrollBarAlwaysOff);
                ScheduleRefresh();
                break;
            }
            case TPeerChange::Color:
                QtControlPeer::Apply(what);
                ScheduleRefresh();
                break;
            default:
                QtControlPeer::Apply(what);
        }
    }

    void ScheduleRefresh() {
        if (refreshPending_) return;
        refreshPending_ = true;
        QTimer::singleShot(0, Context(), [this] { Refresh(); });
    }

    void ApplyCurrent() {
        const QModelIndex current = table_->currentIndex();
        if (current.row() == grid_.Row() && current.column() == grid_.Col()) return;
        if (grid_.Row() >= model_->rowCount() || grid_.Col() >= model_->columnCount()) return;
        SyncScope sync(*this);
        table_->setCurrentIndex(model_->index(grid_.Row(), grid_.Col()));
    }

  private:
    TStringGrid& grid_;
    QTableView* table_ = nullptr;
    GridModel* model_ = nullptr;
    bool refreshPending_ = false;
};

}  // namespace

void ApplyTextFrame(QAbstractScrollArea& widget, TBorderStyle border, TScrollStyle bars,
                    Qt::ScrollBarPolicy otherwise) {
    widget.setFrameStyle(border == bsSingle ? QFrame::StyledPanel | QFrame::Sunken
                                            : QFrame::NoFrame);
    widget.setHorizontalScrollBarPolicy(
        bars == ssHorizontal || bars == ssBoth ? Qt::ScrollBarAlwaysOn : otherwise);
    widget.setVerticalScrollBarPolicy(bars == ssVertical || bars == ssBoth ? Qt::ScrollBarAlwaysOn
                                                                           : otherwise);
}

// Refreshes a grid's widget at once (for code that reads the widget right
// after changing the model).
void RefreshGridWidget(TStringGrid& grid) {
    if (auto* peer = dynamic_cast<GridPeer*>(grid.Peer())) peer->Refresh();
}

// The data-aware grid and navigator (qt_db_peers.cpp); nullptr for other controls.
std::unique_ptr<QtControlPeer> CreateDataPeer(TControl& control);

namespace {

// The peer P of a control of class C, or none.
template <class C, class P>
std::unique_ptr<QtControlPeer> PeerIf(TControl& control) {
    auto* c = dynamic_cast<C*>(&control);
    return c ? std::make_unique<P>(*c) : nullptr;
}

}  // namespace
// The rich edit (qt_rich_edit_peer.cpp); nullptr for other controls.
std::unique_ptr<QtControlPeer> CreateRichEditPeer(TControl& control);

std::unique_ptr<ControlPeer> CreateQtPeer(TControl& control) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    // A control is shown only inside a parent that is shown.
    if (control.Parent() && !QtControlPeer::Of(control.Parent())) return nullptr;
    // The widget of each kind of control, tried in order: the first that takes the control
    // shows it (a class before the classes it derives from); a control of any other kind
    // paints itself.
    using Make = std::unique_ptr<QtControlPeer> (*)(TControl&);
    static const Make makers[] = {
        PeerIf<TCustomForm, FormPeer>,
        CreateDataPeer,
        CreateRichEditPeer,
        PeerIf<TBitBtn, BitBtnPeer>,
        PeerIf<TButton, ButtonPeer>,
        PeerIf<TCustomCheckBox, CheckBoxPeer>,
        PeerIf<TRadioButton, RadioButtonPeer>,
        PeerIf<TCustomMemo, MemoPeer>,
        PeerIf<TCustomEdit, LineEditPeer>,
        PeerIf<TCustomComboBox, ComboPeer>,
        PeerIf<TStringGrid, GridPeer>,
        PeerIf<TCustomRadioGroup, RadioGroupPeer>,
        PeerIf<TCustomGroupBox, GroupBoxPeer>,
        PeerIf<TScrollBox, ScrollBoxPeer>,
    };
    std::unique_ptr<QtControlPeer> peer;
    for (Make make : makers)
        if ((peer = make(control))) break;
    if (!peer) peer = std::make_unique<PaintedPeer>(control);
    peer->ApplyAll();
    if (QtControlPeer* parent = QtControlPeer::Of(control.Parent()))
        if (parent->Widget() && parent->Widget()->isVisible()) parent->Restack();
    return peer;
}

}  // namespace quillon
