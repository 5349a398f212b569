// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Conversions between the control model and Qt: colours, fonts, cursors, keys,
// mouse buttons and the two ways of counting characters (the model counts code
// points, Qt counts UTF-16 units).

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QKeyEvent>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/vcl/controls.h"
#include "platform/gdi/graphics.h"

namespace quillon {

QColor ToQColor(TColor color);
// The font of a widget: the face mapped as the text measurer maps it, the
// height in screen pixels (forms are not scaled), style and nothing else.
QFont ToQFont(const TFont& font);
// The pointer shape of a cursor; a cursor without a shape of its own (a name
// registered for an image the program does not ship) gives the arrow.
Qt::CursorShape ToQtCursor(TCursor cursor);
// The pointer of a cursor: the program's own image for a registered one
// (cursor_images.h), else the shape above.
QCursor ToQCursor(TCursor cursor);

QString ToQString(std::string_view text);
std::string FromQString(const QString& text);

// The virtual key of a key event (0 for a key the model has no code for).
std::uint16_t VirtualKeyOf(const QKeyEvent& event);
TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
// The character a key event types, as the classic character message gives it:
// Ctrl with a letter is its control code (Ctrl+V is 22), Backspace 8, Tab 9,
// Enter 13, Esc 27; 0 for a key that types nothing.
char32_t CharacterOf(const QKeyEvent& event);
// A key press that types `key` (a character or one of the control codes
// above), with the non-typing modifiers of `original`.
std::unique_ptr<QKeyEvent> KeyEventFor(char32_t key, const QKeyEvent& original);
TMouseButton MouseButtonOf(Qt::MouseButton button);

// Index conversions in a text: code points -> UTF-16 units and back (clamped).
int Utf16Index(const QString& text, int codePoints);
int CodePointIndex(const QString& text, int utf16Units);

// The short part of a hint ("short|long" shows "short").
std::string ShortHint(std::string_view hint);

}  // namespace quillon
