// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The few Qt widget classes the host needs of its own: each overrides one thing
// and hands it to its peer through a callback (cleared when the peer goes, so a
// widget that outlives its control for a moment does nothing).

#include <QCheckBox>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QWidget>
#include <functional>

namespace quillon {

// A widget that the model paints (graphic controls, panels, custom controls).
class PaintedWidget : public QWidget {
  public:
    using QWidget::QWidget;
    std::function<void(QPainter&)> paint;

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!paint) return;
        QPainter p(this);
        paint(p);
    }
};

// Check boxes and radio buttons leave the next state to the model (its
// toggling rules, its click events).
class ModelCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;
    std::function<void()> toggle;

  protected:
    void nextCheckState() override {
        if (toggle) toggle();
    }
};

class ModelRadioButton : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;
    std::function<void()> toggle;

  protected:
    void nextCheckState() override {
        if (toggle) toggle();
    }
};

// A push button whose face (glyph and caption) the model's picture button
// paints over the style's bevel.
class GlyphButton : public QPushButton {
  public:
    using QPushButton::QPushButton;
    std::function<void(QPainter&, bool down)> face;

  protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        option.icon = QIcon();
        p.drawControl(QStyle::CE_PushButtonBevel, option);
        if (face) face(p, isDown());
    }
};

// A plain-text editor whose pastes and drops the model may cut to its length
// limit.
class ModelPlainTextEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;
    // Returns the text to insert in place of `text` (or an empty one).
    std::function<QString(const QString& text)> limitInsert;

  protected:
    void insertFromMimeData(const QMimeData* source) override {
        if (!limitInsert || !source->hasText()) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        const QString text = limitInsert(source->text());
        if (text.isEmpty()) return;
        QTextCursor cursor = textCursor();
        cursor.insertText(text);
        setTextCursor(cursor);
    }
};

}  // namespace quillon
