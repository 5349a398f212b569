// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_host.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "platform/gdi/system_colors.h"
#include "platform/vcl/forms.h"

namespace quillon {

void PrepareQtForDesktopScaling() {
    // Qt follows the desktop's scale (QT_SCALE_FACTOR, the screen's dots per inch): forms keep
    // their sizes in logical pixels and are drawn at device pixels. A factor Qt would take
    // apart (zero, negative, not a number, absurdly large) is dropped with a word.
    const QByteArray factor = qgetenv("QT_SCALE_FACTOR");
    if (factor.isEmpty()) return;
    bool ok = false;
    const double value = factor.toDouble(&ok);
    if (!ok || !(value >= kMinScaleFactor && value <= kMaxScaleFactor)) {
        std::fprintf(stderr,
                     "quillon: QT_SCALE_FACTOR '%s' is not a scale from %g to %g; using 1\n",
                     factor.constData(), kMinScaleFactor, kMaxScaleFactor);
        qunsetenv("QT_SCALE_FACTOR");
    }
}

QIcon ProgramIcon() {
    // The program's icon (the installed SVG's drawing), painted here so that windows show it
    // without an image plugin: a navy-framed sheet with numbers over letters.
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x00, 0x00, 0x80));
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 9, 9);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(6, 6, 52, 52), 6, 6);
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.5));
        p.drawLine(QPointF(10, 28), QPointF(54, 28));
        QFont font(QStringLiteral("Liberation Mono"));
        font.setBold(true);
        const auto text = [&](double y, double px, QColor colour, const char* s) {
            font.setPixelSize(static_cast<int>(px));
            p.setFont(font);
            p.setPen(colour);
            p.drawText(QRectF(0, y - px, 64, px + 4), Qt::AlignHCenter | Qt::AlignBottom,
                       QString::fromLatin1(s));
        };
        text(23, 13, QColor(0x00, 0x00, 0x80), "1 5 9");
        text(41, 17, Qt::black, "ABC");
        text(55, 13, QColor(0xc0, 0x00, 0x00), "11");
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

namespace {

QPalette DarkPalette() {
    QPalette p;
    const QColor face(0x35, 0x35, 0x35), base(0x20, 0x20, 0x20), text(0xE8, 0xE8, 0xE8);
    p.setColor(QPalette::Window, face);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, face);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, face);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Light, QColor(0x5A, 0x5A, 0x5A));
    p.setColor(QPalette::Midlight, QColor(0x48, 0x48, 0x48));
    p.setColor(QPalette::Mid, QColor(0x28, 0x28, 0x28));
    p.setColor(QPalette::Dark, QColor(0x1C, 0x1C, 0x1C));
    p.setColor(QPalette::Shadow, QColor(0x0C, 0x0C, 0x0C));
    p.setColor(QPalette::Highlight, QColor(0x2A, 0x62, 0xA8));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(0x40, 0x40, 0x40));
    p.setColor(QPalette::ToolTipText, text);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

SystemColorTable SystemColorsOf(const QPalette& p) {
    const auto rgb = [&](QPalette::ColorGroup group, QPalette::ColorRole role) {
        const QColor c = p.color(group, role);
        return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
    };
    const auto active = [&](QPalette::ColorRole role) { return rgb(QPalette::Active, role); };
    return {
        active(QPalette::Button),                       // scroll bar
        active(QPalette::Window),                       // desktop background
        active(QPalette::Highlight),                    // active caption
        active(QPalette::Mid),                          // inactive caption
        active(QPalette::Window),                       // menu
        active(QPalette::Base),                         // window
        active(QPalette::Shadow),                       // window frame
        active(QPalette::WindowText),                   // menu text
        active(QPalette::Text),                         // window text
        active(QPalette::HighlightedText),              // caption text
        active(QPalette::Window),                       // active border
        active(QPalette::Window),                       // inactive border
        active(QPalette::Dark),                         // application workspace
        active(QPalette::Highlight),                    // highlight
        active(QPalette::HighlightedText),              // highlight text
        active(QPalette::Button),                       // button face
        active(QPalette::Dark),                         // button shadow
        rgb(QPalette::Disabled, QPalette::Text),        // grey text
        active(QPalette::ButtonText),                   // button text
        rgb(QPalette::Disabled, QPalette::WindowText),  // inactive caption text
        active(QPalette::Light),                        // button highlight
        active(QPalette::Shadow),                       // 3-D dark shadow
        active(QPalette::Midlight),                     // 3-D light
        active(QPalette::ToolTipText),                  // tooltip text
        active(QPalette::ToolTipBase),                  // tooltip background
    };
}

void TakeDesktopColors(const QStyle& style) {
    // QUILLON_PALETTE=dark stands for a dark desktop where no desktop theme gives Qt one.
    if (qgetenv("QUILLON_PALETTE") == "dark") QApplication::setPalette(DarkPalette());
    // Without a palette from the desktop the application's is the style's own: the forms keep
    // their classic colours then.
    const QPalette desktop = QApplication::palette();
    if (desktop == style.standardPalette()) {
        SetScreenSystemColors(std::nullopt);
        return;
    }
    SetScreenSystemColors(SystemColorsOf(desktop));
}

}  // namespace

QtHost::QtHost() : QtHost(Options{}) {}

QtHost::QtHost(Options options) {
    if (!QCoreApplication::instance()) PrepareQtForDesktopScaling();
    graphics_ = std::make_unique<QtGraphicsSession>(true, options.graphics);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw std::runtime_error(
            "the Qt host needs a QApplication, and another kind of Qt application runs");
    // The same look on every desktop; the palette comes from the controls.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(style);
        TakeDesktopColors(*style);
    }
    QApplication::setWindowIcon(ProgramIcon());
    printDialog_ = std::make_unique<QtPrintDialog>(options.desktop.screenshots);
    desktop_ = std::make_unique<QtDesktop>(std::move(options.desktop));
    SetDesktopBackend(desktop_.get());
    SetPrintDialogBackend(printDialog_.get());
}

QtHost::~QtHost() {
    SetScreenSystemColors(std::nullopt);
    // The widgets of the forms go while Qt can still delete them.
    Application().DestroyComponents();
    Application().ClearTerminated();
    if (QtDesktop::Installed() == desktop_.get()) SetDesktopBackend(nullptr);
    if (&PrintDialogs() == printDialog_.get()) SetPrintDialogBackend(nullptr);
    printDialog_.reset();
    desktop_.reset();
    graphics_.reset();
}

}  // namespace quillon
