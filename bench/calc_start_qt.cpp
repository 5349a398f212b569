// SPDX-License-Identifier: GPL-2.0-or-later
// Start of `quillon` to the calculator shown: the process is started, creates
// its three windows, shows the calculator and ends right after (the
// screenshot hook's QUILLON_SCREENSHOT_QUIT=1, nothing saved). The time
// includes the process's exit, so it is an upper bound.
//
// Run from the build tree (bench/calc_start_qt finds ../app/quillon) or with
// QUILLON_BIN set; QT_QPA_PLATFORM is passed on (offscreen when unset), so
// under xvfb-run with QT_QPA_PLATFORM=xcb it measures a real X server.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

std::string Program() {
    if (const char* bin = std::getenv("QUILLON_BIN")) return bin;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "app" / "quillon").string();
}

void Run(benchmark::State& state, std::vector<std::string> args) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.starts_with("QUILLON_SCREENSHOT") || v.starts_with("QT_QPA_PLATFORM=")) continue;
        env.push_back(v);
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    env.push_back(std::string("QT_QPA_PLATFORM=") + (platform ? platform : "offscreen"));
    env.push_back("QUILLON_SCREENSHOT_QUIT=1");
    std::vector<char*> envp, argv;
    for (std::string& v : env) envp.push_back(v.data());
    envp.push_back(nullptr);
    args.insert(args.begin(), Program());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
            state.SkipWithError("cannot start quillon");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("quillon did not end normally");
            break;
        }
    }
}

void BM_StartToCalculatorShown_qt(benchmark::State& state) {
    Run(state, {});
}
BENCHMARK(BM_StartToCalculatorShown_qt)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartWithANameTyped_qt(benchmark::State& state) {
    Run(state, {"--name", "golden river 7"});
}
BENCHMARK(BM_StartWithANameTyped_qt)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
