// SPDX-License-Identifier: GPL-2.0-or-later
// The analyse command's JSON output against the yardstick: a hand-written C formatter that
// produces the same bytes (plain ASCII names, the batch case) from the same analysis, both over
// one million 30-character names written to /dev/null. The benchmark first checks the bytes are
// the same.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/analyse_command.h"
#include "app/name_analysis.h"

namespace {

constexpr long kNames = 1000000;

std::string Names() {
    std::string names;
    char line[64];
    for (long i = 0; i < kNames; ++i) {
        // 30 characters: letters, spaces and digits as a batch of customers would have.
        std::snprintf(line, sizeof line, "MARY ELIZABETH VONNE SMIT%05ld\n", i % 100000);
        names += line;
    }
    return names;
}

class StringSource final : public quillon::ByteSource {
  public:
    explicit StringSource(const std::string& text) : text_(text) {}
    long Read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, text_.size() - pos_);
        std::memcpy(buffer, text_.data() + pos_, n);
        pos_ += n;
        return static_cast<long>(n);
    }

  private:
    const std::string& text_;
    std::size_t pos_ = 0;
};

// The yardstick: fixed keys, digits by hand, one buffer, write(2) in 64 KB blocks.
char* CInt(char* p, int v) {
    char tmp[12];
    int n = 0;
    if (v < 0) {
        *p++ = '-';
        v = -v;
    }
    do tmp[n++] = static_cast<char>('0' + v % 10), v /= 10;
    while (v);
    while (n) *p++ = tmp[--n];
    return p;
}

char* CStr(char* p, const char* s, std::size_t n) {
    std::memcpy(p, s, n);
    return p + n;
}
#define LIT(p, s) CStr(p, s, sizeof(s) - 1)

char* CJson(char* p, const quillon::NameAnalysis& a) {
    static const char* const keys[39] = {
        ",\"VTotal\":", ",\"CTotal\":", ",\"Total\":", ",\"VTot1\":", ",\"VTot2\":",
        ",\"CTot1\":",  ",\"CTot2\":",  ",\"Tot1\":",  ",\"Tot2\":",  ",\"V1\":",
        ",\"V2\":",     ",\"V3\":",     ",\"V4\":",    ",\"V5\":",    ",\"V6\":",
        ",\"V7\":",     ",\"V8\":",     ",\"V9\":",    ",\"C1\":",    ",\"C2\":",
        ",\"C3\":",     ",\"C4\":",     ",\"C5\":",    ",\"C6\":",    ",\"C7\":",
        ",\"C8\":",     ",\"C9\":",     ",\"T1\":",    ",\"T2\":",    ",\"T3\":",
        ",\"T4\":",     ",\"T5\":",     ",\"T6\":",    ",\"T7\":",    ",\"T8\":",
        ",\"T9\":",     ",\"vvt\":",    ",\"cct\":",   ",\"ttt\":"};
    static std::size_t lens[39];
    if (!lens[0])
        for (int i = 0; i < 39; ++i) lens[i] = std::strlen(keys[i]);
    p = LIT(p, "{\"Data\":\"");
    p = CStr(p, a.Data.data(), a.Data.size());  // plain ASCII names: nothing to escape
    p = LIT(p, "\",\"System\":\"");
    p = a.System == quillon::NumberSystem::Chaldean ? LIT(p, "Chaldean") : LIT(p, "Pythagorean");
    p = LIT(p, "\",\"Vowels\":\"");
    p = CStr(p, a.Vowels.data(), a.Vowels.size());
    p = LIT(p, "\",\"Constants\":\"");
    p = CStr(p, a.Constants.data(), a.Constants.size());
    *p++ = '"';
    const std::optional<int> r[6] = {a.VTot1, a.VTot2, a.CTot1, a.CTot2, a.Tot1, a.Tot2};
    const int sums[3] = {a.VTotal, a.CTotal, a.Total};
    int k = 0;
    for (int s : sums) p = CStr(p, keys[k], lens[k]), p = CInt(p, s), ++k;
    for (const auto& v : r) {
        p = CStr(p, keys[k], lens[k]), ++k;
        p = v ? CInt(p, *v) : LIT(p, "null");
    }
    for (int n = 1; n <= 9; ++n) p = CStr(p, keys[k], lens[k]), p = CInt(p, a.V(n)), ++k;
    for (int n = 1; n <= 9; ++n) p = CStr(p, keys[k], lens[k]), p = CInt(p, a.C(n)), ++k;
    for (int n = 1; n <= 9; ++n) p = CStr(p, keys[k], lens[k]), p = CInt(p, a.T(n)), ++k;
    const int totals[3] = {a.vvt, a.cct, a.ttt};
    for (int t : totals) p = CStr(p, keys[k], lens[k]), p = CInt(p, t), ++k;
    return LIT(p, "}\n");
}

// The C formatter over the same input, reading lines the same way; returns the bytes written.
std::string CFormatAll(const std::string& names, int fd, bool keep) {
    static char buffer[(1 << 16) + 4096];
    std::string kept;
    char* p = buffer;
    quillon::NameAnalysis a;
    std::size_t start = 0;
    while (start < names.size()) {
        const std::size_t nl = names.find('\n', start);
        const std::string_view line(names.data() + start, nl - start);
        start = nl + 1;
        quillon::AnalyseName(line, quillon::NumberSystem::Pythagorean, a);
        p = CJson(p, a);
        if (p - buffer >= (1 << 16)) {
            if (keep) kept.append(buffer, p);
            if (::write(fd, buffer, static_cast<std::size_t>(p - buffer)) < 0) return kept;
            p = buffer;
        }
    }
    if (keep) kept.append(buffer, p);
    if (::write(fd, buffer, static_cast<std::size_t>(p - buffer)) < 0) return kept;
    return kept;
}

void BM_CFormatterJson(benchmark::State& state) {
    const std::string names = Names();
    const int out = ::open("/dev/null", O_WRONLY);
    for (auto _ : state) CFormatAll(names, out, false);
    ::close(out);
    state.SetItemsProcessed(state.iterations() * kNames);
}
BENCHMARK(BM_CFormatterJson)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AnalyseCommandJson(benchmark::State& state) {
    const std::string names = Names();
    const int out = ::open("/dev/null", O_WRONLY);
    {
        // The same bytes as the yardstick, or the comparison means nothing.
        StringSource in(names);
        quillon::StringSink got, err;
        (void)quillon::RunAnalyse({"--format", "json"}, {in, got, err, false});
        if (got.text != CFormatAll(names, out, true)) {
            state.SkipWithError("the outputs differ");
            ::close(out);
            return;
        }
    }
    for (auto _ : state) {
        StringSource in(names);
        quillon::FdSink sink(out), err(STDERR_FILENO);
        if (quillon::RunAnalyse({"--format", "json"}, {in, sink, err, false}) != 0)
            state.SkipWithError("analyse failed");
    }
    ::close(out);
    state.SetItemsProcessed(state.iterations() * kNames);
}
BENCHMARK(BM_AnalyseCommandJson)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AnalyseCommandCsv(benchmark::State& state) {
    const std::string names = Names();
    const int out = ::open("/dev/null", O_WRONLY);
    for (auto _ : state) {
        StringSource in(names);
        quillon::FdSink sink(out), err(STDERR_FILENO);
        if (quillon::RunAnalyse({"--format", "csv"}, {in, sink, err, false}) != 0)
            state.SkipWithError("analyse failed");
    }
    ::close(out);
    state.SetItemsProcessed(state.iterations() * kNames);
}
BENCHMARK(BM_AnalyseCommandCsv)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
