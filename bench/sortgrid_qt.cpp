// SPDX-License-Identifier: GPL-2.0-or-later
// The data grids on real widgets (offscreen unless QT_QPA_PLATFORM says
// otherwise): a title click on a 100,000-row query until the view has painted
// the sorted rows, and page scrolls through a 1,000,000-row table with the
// process's memory beside them.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "platform/qt/qt_host.h"
#include "platform/qt/qt_peer.h"
#include "platform/vcl/forms.h"
#include "printsuite/controls/Vex_grid.h"

namespace {

using namespace quillon;

// Ended by main before the program's statics go (Qt's own are gone by then).
std::unique_ptr<QtHost>& HostSlot() {
    static std::unique_ptr<QtHost> host;
    return host;
}

QtHost& Host() {
    if (!HostSlot()) {
        if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QtHost::Options options;
        options.desktop.screenshots = {};
        HostSlot() = std::make_unique<QtHost>(std::move(options));
    }
    return *HostSlot();
}

// A database of `rows` rows, made once per size and removed at exit.
std::string Database(int rows) {
    const std::string p = (std::filesystem::temp_directory_path() /
                           ("quillon-bench-grid-" + std::to_string(getpid()) + "-" + std::to_string(rows) + ".db"))
                              .string();
    if (std::filesystem::exists(p)) return p;
    sqlite3* db = nullptr;
    sqlite3_open(p.c_str(), &db);
    const std::string sql =
        "CREATE TABLE big (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), AMOUNT MONEY);"
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " + std::to_string(rows) +
        ") INSERT INTO big SELECT x, printf('n%08d', (x * 7919) % " + std::to_string(rows) + "), x * 0.25 FROM c;";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    static std::vector<std::string> made;
    made.push_back(p);
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        std::atexit([] {
            for (const std::string& f : made) std::filesystem::remove(f);
        });
    }
    return p;
}

// Kilobytes of the process's resident memory now and at its peak.
long StatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
    return 0;
}

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QTableView* ViewOf(TControl* c) { return qobject_cast<QTableView*>(QtControlPeer::Of(c)->Widget()); }

// Clicks on the NAME title, at 20 % and 80 % in turn; each iteration ends when
// the view has painted the first rows of the new order.
void BM_TitleClickSortQuery100k_qt(benchmark::State& state) {
    Host();
    TForm form(nullptr);
    form.SetClientWidth(500);
    form.SetClientHeight(400);
    auto* query = new TQuery(&form);
    query->SetDatabaseName(Database(100000));
    query->SQL().Add("SELECT ID, NAME, AMOUNT FROM big");
    auto* source = new TDataSource(&form);
    source->SetDataSet(query);
    auto* grid = new TVex_SortGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 500, 400);
    grid->SetDataSource(source);
    grid->CustomColumns() = {{"ID", "", 80}, {"NAME", "", 120}, {"AMOUNT", "", 100}};
    if (!query->Open()) {
        state.SkipWithError("open");
        return;
    }
    form.Show();
    QApplication::processEvents();
    QTableView* view = ViewOf(grid);
    QWidget* titles = view->horizontalHeader()->viewport();
    bool down = false;
    std::string first;
    for (auto _ : state) {
        const QPoint at(80 + (down ? 96 : 24), 5);
        down = !down;
        Send(titles, QEvent::MouseButtonPress, at, Qt::LeftButton);
        Send(titles, QEvent::MouseButtonRelease, at, Qt::LeftButton);
        QApplication::processEvents();
        benchmark::DoNotOptimize(view->viewport()->grab());
        first = view->model()->data(view->model()->index(0, 1)).toString().toStdString();
    }
    if (first != "n00000000" && first != "n00099999") state.SkipWithError(("not sorted: " + first).c_str());
    state.counters["rows"] = static_cast<double>(query->RecordCount());
}
BENCHMARK(BM_TitleClickSortQuery100k_qt)->Unit(benchmark::kMillisecond)->Iterations(20);

// One page down (the scroll bar's page step) through a million rows, painted;
// `arg` 0 starts at the top, 1 far down (row 900,000).
void BM_ScrollMillionRowsPage_qt(benchmark::State& state) {
    Host();
    const std::string path = Database(1000000);
    const long before = StatusKb("VmRSS:");
    TForm form(nullptr);
    form.SetClientWidth(500);
    form.SetClientHeight(600);
    auto* table = new TTable(&form);
    table->SetDatabaseName(path);
    table->SetTableName("big");
    auto* source = new TDataSource(&form);
    source->SetDataSet(table);
    auto* grid = new TDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 500, 600);
    grid->SetDataSource(source);
    if (!table->Open()) {
        state.SkipWithError("open");
        return;
    }
    form.Show();
    QApplication::processEvents();
    QTableView* view = ViewOf(grid);
    QScrollBar* bar = view->verticalScrollBar();
    const int start = state.range(0) ? 900000 : 0;
    bar->setValue(start);
    QApplication::processEvents();
    for (auto _ : state) {
        if (bar->value() + bar->pageStep() > bar->maximum()) bar->setValue(start);
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QApplication::processEvents();
        benchmark::DoNotOptimize(view->viewport()->grab());
    }
    state.counters["rows"] = static_cast<double>(table->RecordCount());
    state.counters["rows_fetched_per_page"] =
        static_cast<double>(grid->RowsFetched()) / static_cast<double>(state.iterations() + 1);
    state.counters["rss_growth_kB"] = static_cast<double>(StatusKb("VmRSS:") - before);
    state.counters["peak_rss_kB"] = static_cast<double>(StatusKb("VmHWM:"));
}
BENCHMARK(BM_ScrollMillionRowsPage_qt)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A jump of the scroll bar to a random place in the million rows, painted.
void BM_ScrollMillionRowsJump_qt(benchmark::State& state) {
    Host();
    TForm form(nullptr);
    form.SetClientWidth(500);
    form.SetClientHeight(600);
    auto* table = new TTable(&form);
    table->SetDatabaseName(Database(1000000));
    table->SetTableName("big");
    auto* source = new TDataSource(&form);
    source->SetDataSet(table);
    auto* grid = new TDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 500, 600);
    grid->SetDataSource(source);
    if (!table->Open()) {
        state.SkipWithError("open");
        return;
    }
    form.Show();
    QApplication::processEvents();
    QTableView* view = ViewOf(grid);
    QScrollBar* bar = view->verticalScrollBar();
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> any(0, bar->maximum());
    for (auto _ : state) {
        bar->setValue(any(rng));
        QApplication::processEvents();
        benchmark::DoNotOptimize(view->viewport()->grab());
    }
    state.counters["peak_rss_kB"] = static_cast<double>(StatusKb("VmHWM:"));
}
BENCHMARK(BM_ScrollMillionRowsJump_qt)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    HostSlot().reset();
    return 0;
}
