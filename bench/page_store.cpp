// SPDX-License-Identifier: GPL-2.0-or-later
// The page store: a 1,000-page job with 60 lines of text and a frame per page, recorded as
// page files, saved and deleted, on a 600 ppi printer that draws nothing. Reports pages per
// second and the resident memory after the first 100 and after all 1,000 pages.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "bench/sample_page.h"
#include "platform/gdi/graphics_backend.h"
#include "platform/gdi/printer.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"

namespace {

using namespace quillon;

// A 600 ppi Letter printer that discards what it is given.
class SilentPrinter : public PrinterDevice {
  public:
    std::string Name() const override { return "Bench Laser"; }
    DeviceCaps Caps(TPrinterOrientation o) const override {
        return PrinterCaps(600, 600, 4800, 6324, o);
    }
    Result<DeviceContext*> BeginDoc(const std::string&, TPrinterOrientation o) override {
        dc_ = std::make_unique<NullDeviceContext>(Caps(o));
        return static_cast<DeviceContext*>(dc_.get());
    }
    Result<DeviceContext*> NewPage(TPrinterOrientation o) override {
        if (dc_->Caps().widthPixels != Caps(o).widthPixels)
            dc_ = std::make_unique<NullDeviceContext>(Caps(o));
        return static_cast<DeviceContext*>(dc_.get());
    }
    Result<void> EndDoc() override { return Ok(); }
    void Abort() override {}

  private:
    std::unique_ptr<NullDeviceContext> dc_;
};

class BenchBackend : public DefaultGraphicsBackend {
  public:
    std::vector<std::shared_ptr<PrinterDevice>> Printers() override { return {printer_}; }
    int DefaultPrinterIndex() override { return 0; }

  private:
    std::shared_ptr<PrinterDevice> printer_ = std::make_shared<SilentPrinter>();
};

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

void BM_RecordSaveDelete1000Pages(benchmark::State& state) {
    BenchBackend backend;
    ScopedGraphicsBackend scope(&backend);
    Printer().Refresh();
    long after100 = 0, after1000 = 0;
    for (auto _ : state) {
        TGdi gdi(poPrinter);
        gdi.DeletePages();
        gdi.StartDocument(clWhite, "Bench", 100);
        for (int page = 1; page <= 1000; ++page) {
            if (page > 1) gdi.NewPage();
            bench::DrawSamplePage(gdi, page);
            if (page == 100) after100 = ResidentKilobytes();
        }
        gdi.ClosePage();
        after1000 = ResidentKilobytes();
        if (!gdi.SaveError().empty()) state.SkipWithError(gdi.SaveError().c_str());
        gdi.DeletePages();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * 1000), benchmark::Counter::kIsRate);
    state.counters["rss_kb_at_100"] = static_cast<double>(after100);
    state.counters["rss_kb_at_1000"] = static_cast<double>(after1000);
}
BENCHMARK(BM_RecordSaveDelete1000Pages)->Unit(benchmark::kMillisecond);

// Word-wrapping a long text (a memo field of state.range(0) bytes) into a 6-inch column: the
// lines are taken from the front of the text one after another. Range 1: words; range 0: one
// "word" without spaces (pasted data), cut by characters.
void BM_WrapLongText(benchmark::State& state) {
    BenchBackend backend;
    ScopedGraphicsBackend scope(&backend);
    Printer().Refresh();
    std::string text;
    const bool words = state.range(1) != 0;
    while (text.size() < static_cast<std::size_t>(state.range(0)))
        text += words ? "numbers and letters " : "0123456789abcdefghij";
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "Bench", 100);
    gdi.SetFont("Arial", -50);
    for (auto _ : state) gdi.WrapText(300, 300, 60, TRect{300, 300, 3900, 6000}, text, 0, false);
    gdi.ClosePage();
    gdi.DeletePages();
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WrapLongText)
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
