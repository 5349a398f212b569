// Loading a form of 200 controls from its file (the model only: the widgets
// of a backend are not made here), and writing it back.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/form_file.h"
#include "platform/forms.h"

namespace {

// 20 panels, each holding 3 labels, 3 edits and 3 buttons: 200 controls.
std::string FormText() {
    std::string t =
        "object BigFrm: TForm\n  Caption = 'Two hundred'\n  ClientHeight = 800\n  ClientWidth = "
        "1000\n"
        "  Font.Height = -13\n  Font.Style = [fsBold]\n  ShowHint = True\n";
    int n = 0;
    for (int p = 0; p < 20; ++p) {
        t += "  object Panel" + std::to_string(p) +
             ": TPanel\n    Left = " + std::to_string((p % 4) * 250) +
             "\n    Top = " + std::to_string((p / 4) * 160) +
             "\n    Width = 240\n    Height = 150\n    BevelOuter = bvLowered\n    Color = "
             "clWhite\n";
        for (int i = 0; i < 3; ++i) {
            const std::string top = std::to_string(8 + i * 45);
            ++n;
            t += "    object Label" + std::to_string(n) +
                 ": TLabel\n      Left = 8\n      Top = " + top +
                 "\n      Caption = 'Label number " + std::to_string(n) + "'\n    end\n";
            t += "    object Edit" + std::to_string(n) +
                 ": TEdit\n      Left = 8\n      Top = " + std::to_string(24 + i * 45) +
                 "\n      Width = 120\n      Height = 21\n      Hint = 'Enter Data Here.'\n"
                 "      MaxLength = 30\n      Font.Name = 'Courier New'\n      ParentFont = "
                 "False\n      Text = '0'\n    end\n";
            t += "    object Button" + std::to_string(n) +
                 ": TButton\n      Left = 140\n      Top = " + top +
                 "\n      Width = 75\n      Height = 25\n      Caption = 'Button'\n    end\n";
        }
        t += "  end\n";
    }
    return t + "end\n";
}

void BM_LoadForm200(benchmark::State& state) {
    const std::string text = FormText();
    quillon::TFormReadOptions options;
    options.fileName = "big.form";
    int controls = 0;
    for (auto _ : state) {
        quillon::TFormError error;
        auto form = quillon::CreateComponent(text, nullptr, error, options);
        if (!form) {
            state.SkipWithError(error.Text().c_str());
            return;
        }
        controls = form->ComponentCount();
        benchmark::DoNotOptimize(form.get());
    }
    state.counters["controls"] = controls;
}
BENCHMARK(BM_LoadForm200)->Unit(benchmark::kMillisecond);

void BM_LoadAndShowForm200(benchmark::State& state) {
    const std::string text = FormText();
    for (auto _ : state) {
        quillon::TFormError error;
        auto form = quillon::CreateComponent(text, nullptr, error);
        static_cast<quillon::TForm*>(form.get())->Show();
        benchmark::DoNotOptimize(form.get());
    }
}
BENCHMARK(BM_LoadAndShowForm200)->Unit(benchmark::kMillisecond);

void BM_WriteForm200(benchmark::State& state) {
    quillon::TFormError error;
    auto form = quillon::CreateComponent(FormText(), nullptr, error);
    for (auto _ : state) benchmark::DoNotOptimize(quillon::WriteComponent(*form));
}
BENCHMARK(BM_WriteForm200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
