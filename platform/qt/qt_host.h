// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Qt host: starts Qt for windows (a QApplication) with the settings that
// keep the forms' pixel sizes, and installs the Qt graphics backend, the Qt
// desktop and the Qt print dialog for its lifetime. The windowed program, `quillon show-form` and the
// Qt tests each run inside one.

#include <memory>

#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_print_dialog.h"

namespace quillon {

// Sets what Qt reads when it starts so that one pixel of a form is one pixel
// on the display: no scaling for high-resolution screens. Called by QtHost
// before it creates the application object.
void PrepareQtForFixedPixels();

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
