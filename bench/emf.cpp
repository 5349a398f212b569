// SPDX-License-Identifier: GPL-2.0-or-later
// Page files: recording and saving a dense page, and reading a large one without drawing.
// Run by hand: build/bench/emf

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"

namespace {

using namespace quillon;

// A dense page at 600 pixels per inch: 1,000 text runs, 1,000 lines and 200 rectangles,
// with the font, pen and brush changes a form printout makes.
void DrawDensePage(DeviceContext& dc, int repeat = 1) {
    LogFont regular;
    regular.height = -50;
    regular.faceName = "Arial";
    LogFont bold = regular;
    bold.weight = FW_BOLD;
    const HFONT fonts[2] = {CreateFontIndirect(regular), CreateFontIndirect(bold)};
    const HPEN pens[2] = {CreatePen(PS_SOLID, 1, RGB(0, 0, 0)),
                          CreatePen(PS_SOLID, 6, RGB(0, 0, 128))};
    const HBRUSH brush = CreateSolidBrush(RGB(240, 240, 240));
    dc.SetBkMode(TRANSPARENT);
    for (int r = 0; r < repeat; ++r) {
        for (int i = 0; i < 1000; ++i) {
            if (i % 50 == 0) dc.SelectObject(fonts[(i / 50) % 2]);
            const std::string text = "Row " + std::to_string(i) + ": Pythagorean total 33 / 6";
            dc.TextOut(300 + (i % 4) * 1200, 300 + (i / 4) * 24, text);
        }
        for (int i = 0; i < 1000; ++i) {
            if (i % 100 == 0) dc.SelectObject(pens[(i / 100) % 2]);
            dc.MoveTo(300, 300 + i * 6);
            dc.LineTo(4800, 300 + i * 6);
        }
        dc.SelectObject(brush);
        for (int i = 0; i < 200; ++i)
            dc.Rectangle(300 + (i % 10) * 450, 300 + (i / 10) * 300, 700 + (i % 10) * 450,
                         560 + (i / 10) * 300);
    }
    dc.SelectObject(GetStockObject(BLACK_PEN));
    dc.SelectObject(GetStockObject(WHITE_BRUSH));
    dc.SelectObject(GetStockObject(SYSTEM_FONT));
    for (HGDIOBJ h : {fonts[0], fonts[1], pens[0], pens[1], brush}) DeleteObject(h);
}

const EmfRecorderOptions kPage{std::nullopt, EmfPageInfo{5100, 6600, 600, 600}};

void BM_RecordAndSaveDensePage(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "quillon_bench_page.emf").string();
    std::size_t bytes = 0;
    for (auto _ : state) {
        EmfRecorder rec(kPage);
        DrawDensePage(rec);
        if (!rec.SaveToFile(path)) state.SkipWithError("cannot save");
        bytes = rec.ByteCount();
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_RecordAndSaveDensePage)->Unit(benchmark::kMillisecond);

void BM_ParseLargePage(benchmark::State& state) {
    EmfRecorder rec(kPage);
    // About 10 MB: the dense page's content many times over on one page.
    DrawDensePage(rec, 36);
    const std::vector<std::uint8_t> bytes = rec.Finish();
    for (auto _ : state) {
        const Result<EmfParseStats> result = ParseEmf(bytes);
        if (!result) state.SkipWithError(result.reason().c_str());
        benchmark::DoNotOptimize(result.ok());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_ParseLargePage)->Unit(benchmark::kMillisecond);

void BM_PlayDensePageIntoNullContext(benchmark::State& state) {
    EmfRecorder rec(kPage);
    DrawDensePage(rec);
    const std::vector<std::uint8_t> bytes = rec.Finish();
    NullDeviceContext dc(DeviceCaps{});
    for (auto _ : state) {
        if (!PlayEmf(bytes, dc, TRect{0, 0, 1024, 768})) state.SkipWithError("playback failed");
    }
}
BENCHMARK(BM_PlayDensePageIntoNullContext)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
