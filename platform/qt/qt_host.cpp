// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_host.h"

#include <QApplication>
#include <QStyleFactory>
#include <stdexcept>

#include "platform/vcl/forms.h"

namespace quillon {

void PrepareQtForFixedPixels() {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
    qunsetenv("QT_DEVICE_PIXEL_RATIO");
}

QtHost::QtHost() : QtHost(Options{}) {}

QtHost::QtHost(Options options) {
    if (!QCoreApplication::instance()) PrepareQtForFixedPixels();
    graphics_ = std::make_unique<QtGraphicsSession>(true, options.graphics);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw std::runtime_error(
            "the Qt host needs a QApplication, and another kind of Qt application runs");
    // The same look on every desktop; the palette comes from the controls.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);
    printDialog_ = std::make_unique<QtPrintDialog>(options.desktop.screenshots);
    desktop_ = std::make_unique<QtDesktop>(std::move(options.desktop));
    SetDesktopBackend(desktop_.get());
    SetPrintDialogBackend(printDialog_.get());
}

QtHost::~QtHost() {
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
