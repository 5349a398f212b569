// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Qt backend as the program loads it: a module opened at run time by the commands that
// draw, print or show windows, so that the others start without loading Qt's libraries.
// The module takes the platform layer from the program that opens it; this header, seen by
// both, holds no Qt.

#include <functional>
#include <string>

#include "platform/qt/render_page.h"

namespace quillon {

struct QtModule {
    // Changes whenever a member is added, removed or changes its meaning.
    static constexpr int kVersion = 1;
    int version = kVersion;
    // Runs `work` inside Qt: with windows (the application and the desktop), or only with
    // fonts and printers (offscreen unless another Qt platform is chosen).
    int (*withWindows)(const std::function<int()>& work) = nullptr;
    int (*withGraphics)(const std::function<int()>& work) = nullptr;
    int (*renderPage)(const RenderPageOptions& options, std::string& err) = nullptr;
    // Shows a form file's window (after `prepare`, run inside Qt).
    int (*showForm)(const std::string& file, const std::function<void()>& prepare,
                    std::string& err) = nullptr;
};

}  // namespace quillon

// The module's one entry point.
extern "C" const quillon::QtModule* quillon_qt_module();
inline constexpr const char* kQtModuleEntry = "quillon_qt_module";
