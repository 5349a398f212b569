// SPDX-License-Identifier: GPL-2.0-or-later
// Name analysis: one 30-character name, and the analyse command over a large
// file of names written as JSON to /dev/null.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/analyse_command.h"
#include "app/name_analysis.h"

namespace {

void BM_AnalyseThirtyCharacters(benchmark::State& state) {
    const std::string name = "MARY ELIZABETH yVONNE SMITH 19";  // 30 characters
    quillon::NameAnalysis a;  // one record rerun, as the window keeps it
    for (auto _ : state) {
        quillon::AnalyseName(name, quillon::NumberSystem::Pythagorean, a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_AnalyseThirtyCharacters);

void BM_AnalyseThirtyCharactersFresh(benchmark::State& state) {
    const std::string name = "MARY ELIZABETH yVONNE SMITH 19";
    for (auto _ : state) {
        auto a = quillon::AnalyseName(name, quillon::NumberSystem::Pythagorean);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_AnalyseThirtyCharactersFresh);

// Writes `count` varied names to a file once, then runs the command over it.
void BM_AnalyseCommandJson(benchmark::State& state) {
    const long count = state.range(0);
    const std::string path = "/tmp/quillon-bench-names.txt";
    {
        std::string names;
        const char* const firsts[] = {
            "GOLDEN RIVER", "MARY yVONNE", "O'NEIL JR", "ABC", "ZACHARY QUINTON WESTWOOD", ""};
        for (long i = 0; i < count; ++i) {
            names += firsts[i % 6];
            names += ' ';
            names += std::to_string(i % 1000);
            names += '\n';
        }
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(names.data(), 1, names.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        const int in = ::open(path.c_str(), O_RDONLY);
        const int out = ::open("/dev/null", O_WRONLY);
        quillon::FdSource source(in);
        quillon::FdSink sink(out), err(STDERR_FILENO);
        const int status = quillon::RunAnalyse({"--format", "json"}, {source, sink, err, false});
        ::close(in);
        ::close(out);
        if (status != 0) state.SkipWithError("analyse failed");
    }
    state.SetItemsProcessed(state.iterations() * count);
    std::remove(path.c_str());
}
BENCHMARK(BM_AnalyseCommandJson)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
