// SPDX-License-Identifier: GPL-2.0-or-later
// Destroying a form of N named controls (the model only), and loading then
// destroying one from its file: the cost should grow with N, not N * N.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace {

// Panels of 40 controls each (labels pointing at edits), all owned by the form.
std::unique_ptr<quillon::TForm> MakeForm(int controls) {
    auto form = std::make_unique<quillon::TForm>(nullptr);
    quillon::TPanel* panel = nullptr;
    quillon::TEdit* edit = nullptr;
    for (int i = 0; i < controls; ++i) {
        const std::string n = std::to_string(i);
        if (i % 40 == 0) {
            panel = new quillon::TPanel(form.get());
            panel->SetName("Panel" + n);
            panel->SetParent(form.get());
        } else if (i % 2 == 0) {
            auto* label = new quillon::TLabel(form.get());
            label->SetName("Label" + n);
            label->SetParent(panel);
            if (edit) label->SetFocusControl(edit);
        } else {
            edit = new quillon::TEdit(form.get());
            edit->SetName("Edit" + n);
            edit->SetParent(panel);
        }
    }
    return form;
}

void BM_DestroyForm(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto form = MakeForm(n);
        state.ResumeTiming();
        form.reset();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_DestroyForm)->Arg(8000)->Arg(20000)->Arg(50000)->Unit(benchmark::kMillisecond)
    ->Complexity();

// A flat form file of N edits, read and then destroyed.
void BM_LoadAndDestroyFormFile(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::string text = "object Big: TForm\n";
    for (int i = 0; i < n; ++i)
        text += "  object Edit" + std::to_string(i) + ": TEdit\n    Text = 'x'\n  end\n";
    text += "end\n";
    for (auto _ : state) {
        auto form = quillon::CreateComponent(text, nullptr);
        if (!form) {
            state.SkipWithError(form.reason().c_str());
            return;
        }
        benchmark::DoNotOptimize(form->get());
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_LoadAndDestroyFormFile)->Arg(8000)->Arg(20000)->Arg(50000)
    ->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
