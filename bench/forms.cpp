// SPDX-License-Identifier: GPL-2.0-or-later
// Loading a form of 200 controls from its file (the model only: the widgets
// of a backend are not made here), and writing it back.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/big_form.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"

namespace {

void BM_LoadForm200(benchmark::State& state) {
    const std::string text = quillon::bench::BigFormText();
    quillon::TFormReadOptions options;
    options.fileName = "big.form";
    int controls = 0;
    for (auto _ : state) {
        auto form = quillon::CreateComponent(text, nullptr, options);
        if (!form) {
            state.SkipWithError(form.reason().c_str());
            return;
        }
        controls = (*form)->ComponentCount();
        benchmark::DoNotOptimize(form->get());
    }
    state.counters["controls"] = controls;
}
BENCHMARK(BM_LoadForm200)->Unit(benchmark::kMillisecond);

void BM_LoadAndShowForm200(benchmark::State& state) {
    const std::string text = quillon::bench::BigFormText();
    for (auto _ : state) {
        auto form = quillon::CreateComponent(text, nullptr);
        static_cast<quillon::TForm*>(form->get())->Show();
        benchmark::DoNotOptimize(form->get());
    }
}
BENCHMARK(BM_LoadAndShowForm200)->Unit(benchmark::kMillisecond);

void BM_WriteForm200(benchmark::State& state) {
    auto form = quillon::CreateComponent(quillon::bench::BigFormText(), nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(quillon::WriteComponent(**form));
}
BENCHMARK(BM_WriteForm200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
