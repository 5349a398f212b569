// SPDX-License-Identifier: GPL-2.0-or-later
// A DB grid of 20,000 and of 100,000 rows printed by the form printer page by page into the
// page store (real page files, saved and deleted) on a 600 ppi printer that draws nothing.
// Reports pages per second and the resident memory after each job, which must not grow with
// the number of rows: the table reads one record at a time.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/data/dbctrls.h"
#include "platform/gdi/graphics_backend.h"
#include "platform/gdi/printer.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/forms/DBPrnWin.h"

namespace {

using namespace quillon;

class SilentPrinter : public PrinterDevice {
  public:
    std::string Name() const override { return "Bench Laser"; }
    DeviceCaps Caps(TPrinterOrientation o) const override {
        return PrinterCaps(600, 600, 4800, 6324, o);
    }
    Result<DeviceContext*> BeginDoc(const std::string&, TPrinterOrientation o) override {
        dc_ = std::make_unique<NullDeviceContext>(Caps(o));
        return dc_.get();
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
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

long PeakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

const std::string& Database() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() /
                         ("quillon-gridprint-" + std::to_string(getpid()) + ".db"))
                            .string();
        sqlite3* db = nullptr;
        sqlite3_open(p.c_str(), &db);
        sqlite3_exec(
            db,
            "CREATE TABLE rows (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), AMOUNT MONEY,"
            " NOTE TEXT);"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000) "
            "INSERT INTO rows SELECT x, 'member ' || x, x * 0.25, 'note of row ' || x FROM c;",
            nullptr, nullptr, nullptr);
        sqlite3_close(db);
        std::atexit([] { std::filesystem::remove(Database()); });
        return p;
    }();
    return path;
}

void BM_PrintGridPages(benchmark::State& state) {
    BenchBackend backend;
    ScopedGraphicsBackend scope(&backend);
    Printer().Refresh();
    const auto rows = state.range(0);
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 700, 950);
    TQuery query(&panel);
    query.SetDatabaseName(Database());
    query.SQL().Add("SELECT * FROM rows WHERE ID <= " + std::to_string(rows));
    if (!query.Open()) state.SkipWithError("open");
    TDataSource source(&panel);
    source.SetDataSet(&query);
    auto* grid = new TDBGrid(&panel);
    grid->SetParent(&panel);
    grid->SetBounds(10, 10, 680, 900);
    grid->SetDataSource(&source);
    TDBPrintWin job(nullptr);
    job.SetShowCancelDialog(false);
    job.SetOutputTo(poPrinter);
    job.SetCopies(0);
    int pages = 0;
    long resident = 0;
    for (auto _ : state) {
        job.StartJob();
        job.PrintWindowPages(&panel, 0.5, 0.5);
        pages = job.PageCount;
        resident = ResidentKilobytes();
        job.EndJob();
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(pages) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.counters["rss_kb_at_end"] = static_cast<double>(resident);
    state.counters["peak_rss_kb"] = static_cast<double>(PeakKilobytes());
}
BENCHMARK(BM_PrintGridPages)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
