// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/qt/qt_module.h"

#include <cstdlib>

#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/show_form.h"

namespace quillon {
namespace {

int WithWindows(const std::function<int()>& work) {
    QuietQtMessages();
    QtHost host;
    return work();
}

int WithGraphics(const std::function<int()>& work) {
    QuietQtMessages();
    // Printing and rendering need the fonts and the printers, not a display.
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QtGraphicsSession qt;
    // Every job records its settings in the user's store, with or without windows.
    QtDesktop store;
    Headless().settingsStore = &store;
    struct Detach {
        ~Detach() { Headless().settingsStore = nullptr; }
    } detach;
    return work();
}

int RenderPage(const RenderPageOptions& options, std::string& err) {
    return WithGraphics([&] { return RunRenderPage(options, err); });
}

int ShowForm(const std::string& file, const std::function<void()>& prepare, std::string& err) {
    QuietQtMessages();
    if (prepare) prepare();
    return RunShowForm(file, err);
}

}  // namespace
}  // namespace quillon

extern "C" const quillon::QtModule* quillon_qt_module() {
    static const quillon::QtModule module = [] {
        quillon::QtModule m;
        m.withWindows = quillon::WithWindows;
        m.withGraphics = quillon::WithGraphics;
        m.renderPage = quillon::RenderPage;
        m.showForm = quillon::ShowForm;
        return m;
    }();
    return &module;
}
