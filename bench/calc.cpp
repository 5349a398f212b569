// SPDX-License-Identifier: GPL-2.0-or-later
// The calculator window on the model: one keystroke in the name field until
// every field shows the new analysis (the key handler, the insertion or
// deletion, the analysis, the lines, the nine sums and reductions with their
// colours and the 30 grid labels).

#include <benchmark/benchmark.h>

#include "app/Inet.h"
#include "app/Y.h"
#include "app/calc_form.h"
#include "app/startup.h"
#include "platform/vcl/std_controls.h"

namespace {

using namespace quillon;

// Each iteration is one keystroke: a letter typed, then (next iteration) taken
// back with Backspace, so the name stays between 21 and 22 characters.
void BM_KeystrokeToAllFields(benchmark::State& state) {
    CreateQuillonForms();
    CalcFrm->Show();
    TEdit* data = CalcFrm->Data;
    data->InputText("golden river 7 maria");
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXZ";  // no Y: it asks a question
    int n = 0;
    bool typed = false;
    for (auto _ : state) {
        if (!typed) {
            const char c = letters[n++ % 25];
            data->InputKey(static_cast<std::uint16_t>(c), {}, static_cast<char32_t>(c));
        } else {
            data->InputKey(VK_BACK, {}, 8);
        }
        typed = !typed;
        benchmark::DoNotOptimize(CalcFrm->ttt->Caption().data());
    }
    if (CalcFrm->Total->Text().empty()) state.SkipWithError("the window shows nothing");
    delete InternetFrm;
    delete YFrm;
    delete CalcFrm;
}
BENCHMARK(BM_KeystrokeToAllFields)->Repetitions(10)->ReportAggregatesOnly(true);

// Creating the three windows from their form files (the model's part of start-up).
void BM_CreateTheWindows(benchmark::State& state) {
    for (auto _ : state) {
        CreateQuillonForms();
        delete InternetFrm;
        delete YFrm;
        delete CalcFrm;
    }
}
BENCHMARK(BM_CreateTheWindows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
