// SPDX-License-Identifier: GPL-2.0-or-later
// Walking and scrolling a table of a million rows: a whole walk, jumps to
// random records, and the row window a grid reads when it scrolls.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/data/dbctrls.h"
#include "platform/vcl/forms.h"

namespace {

using namespace quillon;

const std::string& BigDatabase() {
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() /
                         ("quillon-bench-" + std::to_string(getpid()) + ".db")).string();
        sqlite3* db = nullptr;
        sqlite3_open(p.c_str(), &db);
        sqlite3_exec(db,
                     "CREATE TABLE big (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), AMOUNT MONEY);"
                     "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) "
                     "INSERT INTO big SELECT x, 'row ' || x, x * 0.25 FROM c;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        std::atexit([] { std::filesystem::remove(BigDatabase()); });
        return p;
    }();
    return path;
}

void WalkMillionRows(benchmark::State& state) {
    TTable t(nullptr);
    t.SetDatabaseName(BigDatabase());
    t.SetTableName("big");
    if (!t.Open()) state.SkipWithError("open");
    for (auto _ : state) {
        double sum = 0;
        TField* f = t.FindField("AMOUNT");
        for (t.First(); !t.Eof(); t.Next()) sum += f->AsFloat();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(WalkMillionRows)->Unit(benchmark::kMillisecond);

void JumpToRandomRecord(benchmark::State& state) {
    TTable t(nullptr);
    t.SetDatabaseName(BigDatabase());
    t.SetTableName("big");
    if (!t.Open()) state.SkipWithError("open");
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::int64_t> any(0, 999999);
    for (auto _ : state) benchmark::DoNotOptimize(t.MoveTo(any(rng)));
}
BENCHMARK(JumpToRandomRecord)->Unit(benchmark::kMicrosecond);

// One scroll of a 30-row grid to a random place, every cell of the window read.
void GridScrollWindow(benchmark::State& state) {
    TForm form(nullptr);
    TTable t(&form);
    t.SetDatabaseName(BigDatabase());
    t.SetTableName("big");
    TDataSource s(&form);
    s.SetDataSet(&t);
    auto* grid = new TDBGrid(&form);
    grid->SetBounds(0, 0, 400, 18 * 31);
    grid->SetDataSource(&s);
    if (!t.Open()) state.SkipWithError("open");
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::int64_t> any(0, 999970);
    for (auto _ : state) {
        grid->SetTopRow(any(rng));
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < 3; ++c) benchmark::DoNotOptimize(grid->CellText(grid->TopRow() + r, c));
    }
}
BENCHMARK(GridScrollWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
