// SPDX-License-Identifier: GPL-2.0-or-later
// Printing on the built-in PDF printer: `report` of 1,000 names (pages per second, PDF bytes
// per page, and peak memory against 100 names) and `print-form` of the 200-control form (time
// per page). Run by hand: QT_QPA_PLATFORM=offscreen ./report_print_qt
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/byte_streams.h"
#include "app/commands.h"
#include "app/form_commands.h"
#include "bench/big_form.h"
#include "platform/gdi/graphics_backend.h"
#include "platform/gdi/printer.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_printers.h"

namespace {

// The commands as main() runs them, inside the benchmark's own Qt session.
quillon::QtCommands Host() {
    quillon::QtCommands qt;
    qt.withQt = [](bool, const std::function<int()>& work) { return work(); };
    return qt;
}

class NamesSource final : public quillon::ByteSource {
  public:
    explicit NamesSource(int count) {
        static const char* names[] = {"GOLDEN RIVER 7", "ANNA MARIA", "IIIAA", "JOHN SMITH",
                                      "MARY ANN QUEEN"};
        for (int i = 0; i < count; ++i) text_ += std::string(names[i % 5]) + "\n";
    }
    long Read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, text_.size() - pos_);
        text_.copy(buffer, n, pos_);
        pos_ += n;
        return static_cast<long>(n);
    }

  private:
    std::string text_;
    std::size_t pos_ = 0;
};

long PeakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int Run(const quillon::cli::Command& command, std::vector<std::string_view> args, int names) {
    NamesSource in(names);
    quillon::StringSink out, err;
    return quillon::cli::RunCommand(command, args, {in, out, err, false});
}

void BM_ReportPdf(benchmark::State& state) {
    const int names = static_cast<int>(state.range(0));
    const std::string file = (std::filesystem::temp_directory_path() / "bench-report.pdf").string();
    const quillon::cli::Command command = quillon::ReportCommand(Host());
    for (auto _ : state) {
        if (Run(command, {"--pdf", file}, names) != 0) {
            state.SkipWithError("report failed");
            return;
        }
    }
    const auto bytes = std::filesystem::file_size(file);
    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(names), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes/page"] = static_cast<double>(bytes) / names;
    state.counters["peak_MB"] = PeakKilobytes() / 1024.0;
    std::filesystem::remove(file);
}
BENCHMARK(BM_ReportPdf)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PrintForm200(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string form = (dir / "bench-big.form").string();
    const std::string file = (dir / "bench-big.pdf").string();
    std::ofstream(form) << quillon::bench::BigFormText();
    const quillon::cli::Command command = quillon::PrintFormCommand(Host());
    for (auto _ : state) {
        if (Run(command, {form, "--pdf", file}, 0) != 0) {
            state.SkipWithError("print-form failed");
            return;
        }
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
    std::filesystem::remove(form);
}
BENCHMARK(BM_PrintForm200)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    quillon::QuietQtMessages();
    quillon::QtGraphicsSession qt;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
