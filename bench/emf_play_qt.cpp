// SPDX-License-Identifier: GPL-2.0-or-later
// Playing a dense page into an 850 x 1100 image with the Qt painter context: the preview's
// and render-page's work for one page.
//
// The page is a letter sheet at 600 pixels per inch holding 1,000 text runs, 1,000 lines and
// 200 rectangles, recorded with the real fonts.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/gdi/screen.h"

namespace quillon {
namespace {

constexpr int kPageWidth = 5100, kPageHeight = 6600;

// `parts` picks what the page holds: 1 the rectangles, 2 the lines, 4 the text runs (7: all,
// the dense page itself; the others show where the time goes).
std::vector<std::uint8_t> DensePage(int parts) {
    EmfRecorderOptions options;
    options.page = EmfPageInfo{kPageWidth, kPageHeight, 600, 600};
    EmfRecorder rec(options);
    LogFont f;
    f.faceName = "Arial";
    f.height = -83;  // 10 points at 600 pixels per inch
    const HFONT font = CreateFontIndirect(f);
    const HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    const HBRUSH brush = CreateSolidBrush(RGB(230, 230, 250));
    rec.SelectObject(font);
    rec.SetBkMode(TRANSPARENT);
    // 200 rectangles: a 10 x 20 grid of cells.
    rec.SelectObject(brush);
    for (int i = 0; i < (parts & 1 ? 200 : 0); ++i) {
        const int x = 300 + (i % 10) * 450, y = 300 + (i / 10) * 300;
        rec.Rectangle(x, y, x + 430, y + 280);
    }
    // 1,000 lines: ruled rows and columns across the page (long lines, as thick frames are
    // drawn line by line).
    rec.SelectObject(pen);
    for (int i = 0; i < (parts & 2 ? 1000 : 0); ++i) {
        if (i % 2 == 0) {
            const int y = 300 + (i / 2) * 12;
            rec.MoveTo(300, y);
            rec.LineTo(4800, y);
        } else {
            const int x = 300 + (i / 2) * 9;
            rec.MoveTo(x, 300);
            rec.LineTo(x, 6300);
        }
    }
    // 1,000 text runs of 20 to 30 characters.
    for (int i = 0; i < (parts & 4 ? 1000 : 0); ++i) {
        const int x = 320 + (i % 5) * 900, y = 320 + (i / 5) * 29;
        rec.TextOut(x, y, "Text run " + std::to_string(i) + ": Vowels 5 3 1");
    }
    rec.SelectObject(GetStockObject(SYSTEM_FONT));
    rec.SelectObject(GetStockObject(BLACK_PEN));
    rec.SelectObject(GetStockObject(WHITE_BRUSH));
    DeleteObject(font);
    DeleteObject(pen);
    DeleteObject(brush);
    return rec.Finish();
}

void BM_PlayDensePageIntoImage(benchmark::State& state) {
    const std::vector<std::uint8_t> page = DensePage(static_cast<int>(state.range(0)));
    const TRect screen = Rect(0, 0, Screen().Width(), Screen().Height());
    QtImageDC image(850, 1100);
    DeviceContext& dc = image.DC();
    // The preview's mapping: the whole page onto the image.
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExtEx(kPageWidth, kPageHeight);
    dc.SetViewportExtEx(850, 1100);
    for (auto _ : state) {
        if (const Result<void> played = PlayEmf(page, dc, screen); !played) {
            state.SkipWithError(played.reason().c_str());
            break;
        }
        benchmark::ClobberMemory();
    }
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_PlayDensePageIntoImage)->Arg(7)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    quillon::QtGraphicsSession qt;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
