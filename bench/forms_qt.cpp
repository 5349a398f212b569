// SPDX-License-Identifier: GPL-2.0-or-later
// The Qt host: loading a form of 200 controls and realising it as widgets, and
// the start of `quillon show-form` until its window is shown.
//
// Runs without a display (offscreen platform) unless QT_QPA_PLATFORM says
// otherwise. The start-up benchmark runs the quillon binary next to this one
// (../app/quillon, or QUILLON_BIN).

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/big_form.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/qt_peer.h"

extern char** environ;

namespace {

quillon::QtHost& Host() {
    static std::unique_ptr<quillon::QtHost> host = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        quillon::QtHost::Options options;
        options.desktop.screenshots = {};
        return std::make_unique<quillon::QtHost>(std::move(options));
    }();
    return *host;
}

// Reading the file, creating every widget, showing the window and letting Qt
// lay it out and paint it once.
void BM_LoadAndRealiseForm200_qt(benchmark::State& state) {
    Host();
    const std::string text = quillon::bench::BigFormText();
    quillon::TFormReadOptions options;
    options.fileName = "big.form";
    for (auto _ : state) {
        auto created = quillon::CreateComponent(text, nullptr, options);
        if (!created) {
            state.SkipWithError(created.reason().c_str());
            return;
        }
        std::unique_ptr<quillon::TComponent> form = std::move(*created);
        auto* f = static_cast<quillon::TForm*>(form.get());
        f->Show();
        QWidget* window = quillon::QtControlPeer::Of(f)->Widget();
        benchmark::DoNotOptimize(window->grab());
        state.PauseTiming();
        form.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadAndRealiseForm200_qt)->Unit(benchmark::kMillisecond);

// Only the realising: the form is read once per iteration outside the timing.
void BM_RealiseForm200_qt(benchmark::State& state) {
    Host();
    const std::string text = quillon::bench::BigFormText();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<quillon::TComponent> form =
            std::move(*quillon::CreateComponent(text, nullptr));
        state.ResumeTiming();
        static_cast<quillon::TForm*>(form.get())->Show();
        state.PauseTiming();
        form.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RealiseForm200_qt)->Unit(benchmark::kMillisecond);

std::string QuillonBinary() {
    if (const char* bin = std::getenv("QUILLON_BIN")) return bin;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "app" / "quillon").string();
}

// From starting the process to its exit right after the window was shown
// (QUILLON_SCREENSHOT_QUIT=1 ends it then; nothing is saved).
void BM_ShowFormStart_qt(benchmark::State& state) {
    const std::string bin = QuillonBinary();
    const std::string file =
        (std::filesystem::temp_directory_path() / "quillon-bench-big.form").string();
    {
        std::ofstream out(file);
        out << quillon::bench::BigFormText();
    }
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("QUILLON_SCREENSHOT", 0) == 0 || v.rfind("QT_QPA_PLATFORM=", 0) == 0) continue;
        env.push_back(v);
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    env.push_back(std::string("QT_QPA_PLATFORM=") + (platform ? platform : "offscreen"));
    env.push_back("QUILLON_SCREENSHOT_QUIT=1");
    std::vector<char*> envp;
    for (std::string& v : env) envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string a0 = bin, a1 = "show-form", a2 = file;
    char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, bin.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError(("cannot start " + bin).c_str());
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("show-form failed");
            break;
        }
    }
    std::remove(file.c_str());
}
BENCHMARK(BM_ShowFormStart_qt)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
