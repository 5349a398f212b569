// SPDX-License-Identifier: GPL-2.0-or-later
// Playing 100 stored pages (60 lines of text and a frame each) to the built-in "Print to PDF"
// printer: the printing half of a job, with the real fonts and the real PDF writer.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "bench/sample_page.h"
#include "platform/gdi/printer.h"
#include "platform/qt/qt_backend.h"
#include "platform/sys/temp_dir.h"
#include "printsuite/draw/Vex_Gdi.h"

namespace quillon {
namespace {

// One Qt session for the whole run: the benchmark function runs several times.
QtGraphicsSession& Session() {
    static QtGraphicsSession* session = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QtGraphicsBackend::Options options;
        options.systemPrinters = false;
        return new QtGraphicsSession(false, options);
    }();
    return *session;
}

void BM_Play100StoredPagesToPdf(benchmark::State& state) {
    QtGraphicsSession& session = Session();
    Printer().Refresh();
    const auto& names = Printer().Printers();
    const auto it = std::find(names.begin(), names.end(), PdfPrinterDevice::kName);
    Printer().SetPrinterIndex(static_cast<int>(it - names.begin()));
    std::string dir = std::filesystem::temp_directory_path().string() + "/quillon-bench-XXXXXX";
    if (!mkdtemp(dir.data())) {
        state.SkipWithError("no directory");
        return;
    }

    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "Bench", 100);
    for (int page = 1; page <= 100; ++page) {
        if (page > 1) gdi.NewPage();
        bench::DrawSamplePage(gdi, page);
    }
    gdi.ClosePage();

    int run = 0;
    for (auto _ : state) {
        session.Backend().PdfPrinter().SetOutputFile(dir + "/run" + std::to_string(++run) + ".pdf");
        gdi.PrintPages(false);
    }
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * 100), benchmark::Counter::kIsRate);
    gdi.DeletePages();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_Play100StoredPagesToPdf)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quillon

BENCHMARK_MAIN();
