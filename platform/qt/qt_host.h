// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Qt host: starts Qt for windows (a QApplication) at the desktop's scale, and installs the Qt
// graphics backend, the Qt desktop and the Qt print dialog for its lifetime. The windowed program,
// `quillon show-form` and the Qt tests each run inside one.

#include <QIcon>
#include <memory>

#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_print_dialog.h"

namespace quillon {

// The range of display scale factors taken from the environment. Below 1 the toolkit draws a
// window's background but none of its controls.
inline constexpr double kMinScaleFactor = 1.0;
inline constexpr double kMaxScaleFactor = 8.0;

// Checks what Qt reads about the display's scale when it starts. Forms keep their
// sizes in logical pixels (the screen stays at 96 pixels per inch for printing) and
// Qt draws them at the desktop's scale. Called by QtHost before it creates the
// application object.
void PrepareQtForDesktopScaling();

// The program's icon at the usual sizes, which every window of the program shows.
QIcon ProgramIcon();

class QtHost {
  public:
    struct Options {
        QtGraphicsBackend::Options graphics;
        QtDesktop::Options desktop = QtDesktop::Options::FromEnvironment();
    };

    QtHost();
    explicit QtHost(Options options);
    // Destroys the forms the application still owns while Qt still runs.
    ~QtHost();
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    QtDesktop& Desktop() { return *desktop_; }
    QtGraphicsBackend& Graphics() { return graphics_->Backend(); }

  private:
    std::unique_ptr<QtGraphicsSession> graphics_;
    std::unique_ptr<QtDesktop> desktop_;
    std::unique_ptr<QtPrintDialog> printDialog_;
};

}  // namespace quillon
