// SPDX-License-Identifier: GPL-2.0-or-later
// `quillon render-page --png` and `--pdf` of hostile pages, each in a process of its own:
// wall time, peak resident memory, exit status and output size. Also the dense sample page
// and a page of 50 circles, whose PDF sizes show what vector figures save.
//
//   render_page_limits_qt QUILLON_BINARY [DIR]
//
// The pages are written to DIR (a new temporary folder by default) and kept, so that another
// build of the program can be measured on the same files.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/sample_page.h"
#include "platform/emf/emf_recorder.h"
#include "platform/gdi/gdi.h"
#include "platform/qt/qt_backend.h"
#include "printsuite/draw/Vex_Gdi.h"

namespace quillon {
namespace {

constexpr int kBig = 2147483000;

std::string Record(const std::string& dir, const std::string& name, EmfPageInfo page,
                   const std::function<void(DeviceContext&)>& draw) {
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, page});
    const HBRUSH brush = CreateSolidBrush(0x0000FF);
    rec.SelectObject(brush);
    draw(rec);
    const std::string path = dir + "/" + name;
    if (const Result<void> saved = rec.SaveToFile(path); !saved)
        std::fprintf(stderr, "%s: %s\n", name.c_str(), saved.reason().c_str());
    rec.SelectObject(GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
    return path;
}

// The benchmarks' dense page, recorded through the drawing layer.
std::string DensePage(const std::string& dir) {
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "Bench", 100);
    bench::DrawSamplePage(gdi, 1);
    const std::string file = gdi.PageFile();
    gdi.ClosePage();
    const std::string path = dir + "/dense.emf";
    std::filesystem::copy_file(file, path, std::filesystem::copy_options::overwrite_existing);
    gdi.DeletePages();
    return path;
}

void Measure(const std::string& binary, const std::string& page, const std::string& kind) {
    const std::string out = page + "." + kind.substr(2);
    std::filesystem::remove(out);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execl(binary.c_str(), binary.c_str(), "render-page", page.c_str(), kind.c_str(),
              out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::error_code ec;
    const auto size = std::filesystem::file_size(out, ec);
    const std::string name = std::filesystem::path(page).filename().string();
    std::printf("%-16s %-6s status %-3d %7.2f s %8.1f MB peak  %10lld bytes\n", name.c_str(),
                kind.c_str(), WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status),
                seconds, static_cast<double>(usage.ru_maxrss) / 1024.0,
                ec ? -1LL : static_cast<long long>(size));
    std::fflush(stdout);
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
    using namespace quillon;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s QUILLON_BINARY [DIR]\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string dir;
    if (argc > 2) {
        dir = argv[2];
        std::filesystem::create_directories(dir);
    } else {
        dir = std::filesystem::temp_directory_path().string() + "/quillon-shapes-XXXXXX";
        if (!mkdtemp(dir.data())) return 1;
    }
    std::vector<std::string> pages;
    {
        QtGraphicsBackend::Options options;
        options.systemPrinters = false;
        QtGraphicsSession session(false, options);
        const EmfPageInfo small{400, 300, 100, 100}, letter{5100, 6600, 600, 600};
        pages.push_back(Record(dir, "ellipse32.emf", small, [](DeviceContext& dc) {
            dc.Ellipse(-kBig, -kBig, kBig, kBig);
        }));
        pages.push_back(Record(dir, "roundrect32.emf", small, [](DeviceContext& dc) {
            dc.RoundRect(-kBig, -kBig, kBig, kBig, kBig, kBig);
        }));
        pages.push_back(Record(dir, "pies32.emf", small, [](DeviceContext& dc) {
            dc.Arc(ArcKind::Pie, TRect{-kBig, -kBig, kBig, kBig}, TPoint{0, kBig},
                   TPoint{0, -kBig});
            dc.Arc(ArcKind::Chord, TRect{-kBig, -kBig, kBig, kBig}, TPoint{0, -kBig},
                   TPoint{0, kBig});
        }));
        pages.push_back(Record(dir, "mapping.emf", letter, [](DeviceContext& dc) {
            dc.SetMapMode(MM_ANISOTROPIC);
            dc.SetWindowExtEx(1, 1);
            dc.SetViewportExtEx(INT_MIN, INT_MIN);
            dc.Ellipse(-1, -1, 2, 2);
            dc.RoundRect(-2, -2, 3, 3, 1, 1);
        }));
        pages.push_back(Record(dir, "wide4m.emf", letter, [](DeviceContext& dc) {
            dc.Ellipse(2550 - 2000000, 3300, 2550 + 2000000, 3300 + 4000000);
        }));
        pages.push_back(Record(dir, "huge131072.emf", EmfPageInfo{131072, 131072, 600, 600},
                               [](DeviceContext& dc) { dc.Ellipse(100, 100, 1000, 1000); }));
        pages.push_back(Record(dir, "circles50.emf", letter, [](DeviceContext& dc) {
            // 50 one-inch circles.
            for (int row = 0; row < 10; ++row)
                for (int col = 0; col < 5; ++col)
                    dc.Ellipse(150 + col * 950, 100 + row * 640, 750 + col * 950,
                               700 + row * 640);
        }));
        pages.push_back(DensePage(dir));
    }
    std::printf("pages in %s, program %s\n", dir.c_str(), argv[1]);
    for (const std::string& page : pages) {
        Measure(argv[1], page, "--png");
        Measure(argv[1], page, "--pdf");
    }
    return 0;
}
