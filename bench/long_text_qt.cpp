// SPDX-License-Identifier: GPL-2.0-or-later
// Showing a memo whose one line is very long (with and without spaces), and an
// edit holding such a text: the text goes in, the window is shown and painted.
//
// Runs without a display (offscreen platform) unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/qt/qt_host.h"
#include "platform/qt/qt_peer.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

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

std::string Line(std::size_t length, bool spaces) {
    std::string s(length, 'm');
    if (spaces)
        for (std::size_t i = 7; i < length; i += 8) s[i] = ' ';
    return s;
}

template <class C>
void ShowText(benchmark::State& state, bool spaces) {
    Host();
    const std::string text = Line(static_cast<std::size_t>(state.range(0)), spaces);
    for (auto _ : state) {
        auto form = std::make_unique<quillon::TForm>(nullptr);
        form->SetClientWidth(400);
        form->SetClientHeight(300);
        auto* c = new C(form.get());
        c->SetParent(form.get());
        c->SetBounds(8, 8, 300, 200);
        c->SetText(text);
        form->Show();
        QWidget* window = quillon::QtControlPeer::Of(form.get())->Widget();
        benchmark::DoNotOptimize(window->grab());
        QApplication::processEvents();
        state.PauseTiming();
        form.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_ShowMemoLongLineNoSpaces_qt(benchmark::State& state) {
    ShowText<quillon::TMemo>(state, false);
}
void BM_ShowMemoLongLineWords_qt(benchmark::State& state) {
    ShowText<quillon::TMemo>(state, true);
}
void BM_ShowEditLongText_qt(benchmark::State& state) {
    ShowText<quillon::TEdit>(state, false);
}
BENCHMARK(BM_ShowMemoLongLineNoSpaces_qt)->Arg(100000)->Arg(500000)->Arg(1000000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ShowMemoLongLineWords_qt)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ShowEditLongText_qt)->Arg(500000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
