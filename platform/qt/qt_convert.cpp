// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_convert.h"

#include <QBitmap>
#include <QImage>
#include <algorithm>

#include "platform/gdi/system_colors.h"
#include "platform/qt/qt_fonts.h"
#include "platform/sys/cursor_images.h"
#include "platform/sys/rounding.h"

namespace quillon {

QColor ToQColor(TColor color) {
    // Widgets are on the screen: system colours as the desktop shows them.
    const ScreenColors screen;
    const TColor rgb = ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QFont ToQFont(const TFont& font) {
    const LogFont lf = font.ToLogFont();
    const ResolvedFont r = ResolveFont(lf);
    QFont f = MakeQFont(r, r.em, 96);
    // Widgets take whole pixels; a pixel size (rather than points) keeps the
    // size independent of the resolution the display claims.
    f.setPixelSize(std::max(1, RoundToInt(r.em)));
    f.setUnderline(lf.underline);
    f.setStrikeOut(lf.strikeOut);
    return f;
}

Qt::CursorShape ToQtCursor(TCursor cursor) {
    switch (cursor) {
        case crNone:
            return Qt::BlankCursor;
        case crCross:
            return Qt::CrossCursor;
        case crIBeam:
            return Qt::IBeamCursor;
        case crSizeNESW:
            return Qt::SizeBDiagCursor;
        case crSizeNS:
            return Qt::SizeVerCursor;
        case crSizeNWSE:
            return Qt::SizeFDiagCursor;
        case crSizeWE:
            return Qt::SizeHorCursor;
        case crUpArrow:
            return Qt::UpArrowCursor;
        case crHourGlass:
        case crSQLWait:
            return Qt::WaitCursor;
        case crDrag:
        case crMultiDrag:
            return Qt::DragCopyCursor;
        case crNoDrop:
        case crNo:
            return Qt::ForbiddenCursor;
        case crHSplit:
            return Qt::SplitHCursor;
        case crVSplit:
            return Qt::SplitVCursor;
        case crAppStart:
            return Qt::BusyCursor;
        case crHelp:
            return Qt::WhatsThisCursor;
        case crHandPoint:
            return Qt::PointingHandCursor;
        case crSizeAll:
            return Qt::SizeAllCursor;
        default:
            return Qt::ArrowCursor;
    }
}

QCursor ToQCursor(TCursor cursor) {
    const TCursorImage* image = CursorImageOf(cursor);
    if (!image || image->Rows.empty() || image->Rows[0].empty()) return QCursor(ToQtCursor(cursor));
    const int h = static_cast<int>(image->Rows.size());
    const int w = static_cast<int>(image->Rows[0].size());
    // 1 in the bitmap is black, 1 in the mask is drawn.
    QImage bits(w, h, QImage::Format_MonoLSB), mask(w, h, QImage::Format_MonoLSB);
    // Index 1 is black, which a bitmap takes as its set bits.
    const QList<QRgb> table = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
    bits.setColorTable(table);
    mask.setColorTable(table);
    bits.fill(0);
    mask.fill(0);
    for (int y = 0; y < h; ++y) {
        const std::string& row = image->Rows[static_cast<size_t>(y)];
        for (int x = 0; x < w && x < static_cast<int>(row.size()); ++x) {
            const char c = row[static_cast<size_t>(x)];
            if (c == ' ') continue;
            mask.setPixel(x, y, 1);
            if (c == '#') bits.setPixel(x, y, 1);
        }
    }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), image->HotX, image->HotY);
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

std::uint16_t VirtualKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::uint16_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<std::uint16_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<std::uint16_t>(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Shift:
            return VK_SHIFT;
        case Qt::Key_Control:
            return VK_CONTROL;
        case Qt::Key_Alt:
            return VK_MENU;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Insert:
            return VK_INSERT;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            return (event.modifiers() & Qt::KeypadModifier) ? VK_ADD : VK_OEM_PLUS;
        case Qt::Key_Minus:
            return (event.modifiers() & Qt::KeypadModifier) ? VK_SUBTRACT : VK_OEM_MINUS;
        default:
            return 0;
    }
}

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s;
    if (modifiers & Qt::ShiftModifier) s.Include(ssShift);
    if (modifiers & Qt::AltModifier) s.Include(ssAlt);
    if (modifiers & Qt::ControlModifier) s.Include(ssCtrl);
    if (buttons & Qt::LeftButton) s.Include(ssLeft);
    if (buttons & Qt::RightButton) s.Include(ssRight);
    if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

char32_t CharacterOf(const QKeyEvent& event) {
    const int key = event.key();
    const Qt::KeyboardModifiers mods = event.modifiers();
    switch (key) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        default:
            break;
    }
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return static_cast<char32_t>(1 + (key - Qt::Key_A));
        return 0;
    }
    // Alt with a key is a mnemonic or a command, never a typed character.
    if (mods & Qt::AltModifier) return 0;
    const QString text = event.text();
    if (text.isEmpty()) return 0;
    const char32_t c = text.toUcs4().value(0);
    return c >= 32 && c != 127 ? c : 0;
}

std::unique_ptr<QKeyEvent> KeyEventFor(char32_t key, const QKeyEvent& original) {
    const Qt::KeyboardModifiers keep = original.modifiers() & Qt::KeypadModifier;
    auto make = [&](int qtKey, Qt::KeyboardModifiers mods, QString text) {
        return std::make_unique<QKeyEvent>(QEvent::KeyPress, qtKey, mods | keep, text,
                                           original.isAutoRepeat(), 1);
    };
    switch (key) {
        case 8:
            return make(Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        case 9:
            return make(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
        case 13:
            return make(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        case 27:
            return make(Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
        default:
            break;
    }
    if (key >= 1 && key <= 26)
        return make(Qt::Key_A + static_cast<int>(key - 1), Qt::ControlModifier,
                    QString(QChar(static_cast<char16_t>(key))));
    const QString text = QString::fromUcs4(&key, 1);
    int qtKey = Qt::Key_unknown;
    if (key < 0x10000) qtKey = QChar(static_cast<char16_t>(key)).toUpper().unicode();
    const bool upper = text != text.toLower();
    return make(qtKey, upper ? Qt::ShiftModifier : Qt::NoModifier, text);
}

TMouseButton MouseButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::RightButton:
            return mbRight;
        case Qt::MiddleButton:
            return mbMiddle;
        default:
            return mbLeft;
    }
}

int Utf16Index(const QString& text, int codePoints) {
    int units = 0;
    for (int i = 0; i < codePoints && units < text.size(); ++i) {
        const bool pair = text.at(units).isHighSurrogate() && units + 1 < text.size() &&
                          text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return units;
}

int CodePointIndex(const QString& text, int utf16Units) {
    int points = 0;
    const int end = std::clamp(utf16Units, 0, static_cast<int>(text.size()));
    for (int i = 0; i < end; ++i, ++points)
        if (text.at(i).isHighSurrogate() && i + 1 < end && text.at(i + 1).isLowSurrogate()) ++i;
    return points;
}

std::string ShortHint(std::string_view hint) {
    const std::size_t bar = hint.find('|');
    return std::string(bar == std::string_view::npos ? hint : hint.substr(0, bar));
}

}  // namespace quillon
