// SPDX-License-Identifier: GPL-2.0-or-later
// A page recorded by the drawing layer, read by another program: emf2svg-conv turns the page
// file into an SVG of the page's size, with the first line, the frame's corners and the last
// line where the suite's own PDF of the page (render-page --pdf) puts them, relative to the
// page. QUILLON_EMF_READERS_DIR keeps the page, the SVG and the PDF in that directory.

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "platform/emf/emf_format.h"
#include "platform/emf/page_store.h"
#include "platform/gdi/printer.h"
#include "platform/qt/qt_printers.h"
#include "platform/qt/render_page.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "tests/printsuite_qt/suite_qt_host.h"
#include "tests/support/page_dir_base.h"
#include "tests/support/run_command.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

using testing::RunCommand;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A point or a box relative to the page: 0 .. 1 across and down.
struct Rel {
    double x = -1, y = -1;
};

// Where things are in the SVG: its size, the start of each text (in order), and the extreme
// coordinates of its paths (the frame's outer corners here, as nothing else is a path).
struct SvgPage {
    double width = 0, height = 0;
    double dx = 0, dy = 0;  // the translation of the outer group
    std::vector<std::pair<std::string, Rel>> texts;
    double pathMinX = 1e300, pathMinY = 1e300, pathMaxX = -1e300, pathMaxY = -1e300;
};

SvgPage ReadSvg(const std::string& s) {
    SvgPage page;
    std::smatch m;
    if (std::regex_search(s, m, std::regex(R"re(<svg[^>]*width="([0-9.]+)" height="([0-9.]+)")re"))) {
        page.width = std::stod(m[1]);
        page.height = std::stod(m[2]);
    }
    if (std::regex_search(s, m, std::regex(R"re(translate\((-?[0-9.]+), *(-?[0-9.]+)\))re"))) {
        page.dx = std::stod(m[1]);
        page.dy = std::stod(m[2]);
    }
    const std::regex text(
        R"re(<text[^>]*\bx="(-?[0-9.]+)" y="(-?[0-9.]+)"[^>]*><!\[CDATA\[([^\]]*)\]\]>)re");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), text); it != std::sregex_iterator();
         ++it) {
        const double x = std::stod((*it)[1]) + page.dx, y = std::stod((*it)[2]) + page.dy;
        page.texts.push_back({(*it)[3], Rel{x / page.width, y / page.height}});
    }
    const std::regex path(R"re(<path[^>]*\bd="([^"]*)")re");
    const std::regex point(R"re((-?[0-9.]+),(-?[0-9.]+))re");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), path); it != std::sregex_iterator();
         ++it) {
        const std::string d = (*it)[1];
        for (auto p = std::sregex_iterator(d.begin(), d.end(), point); p != std::sregex_iterator();
             ++p) {
            const double x = std::stod((*p)[1]) + page.dx, y = std::stod((*p)[2]) + page.dy;
            page.pathMinX = std::min(page.pathMinX, x);
            page.pathMaxX = std::max(page.pathMaxX, x);
            page.pathMinY = std::min(page.pathMinY, y);
            page.pathMaxY = std::max(page.pathMaxY, y);
        }
    }
    return page;
}

// The words pdftotext -bbox finds on the first page, with their boxes relative to the page.
struct PdfWord {
    std::string text;
    double xMin, yMin, xMax, yMax;
};
struct PdfPage {
    double width = 0, height = 0;
    std::vector<PdfWord> words;
};

PdfPage ReadPdfWords(const fs::path& pdf) {
    const std::string s = RunCommand("pdftotext -bbox -f 1 -l 1 '" + pdf.string() + "' - 2>/dev/null");
    PdfPage page;
    std::smatch m;
    if (std::regex_search(s, m, std::regex(R"re(<page width="([0-9.]+)" height="([0-9.]+)")re"))) {
        page.width = std::stod(m[1]);
        page.height = std::stod(m[2]);
    }
    const std::regex word(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), word); it != std::sregex_iterator();
         ++it) {
        page.words.push_back(PdfWord{(*it)[5], std::stod((*it)[1]) / page.width,
                                     std::stod((*it)[2]) / page.height,
                                     std::stod((*it)[3]) / page.width,
                                     std::stod((*it)[4]) / page.height});
    }
    return page;
}

// The box of the dark pixels of the PDF's first page rendered at `dpi` (the frame here),
// relative to the page.
struct DarkBox {
    double left = 2, top = 2, right = -1, bottom = -1;
};
DarkBox PdfDarkBox(const fs::path& pdf, const fs::path& pgm, int dpi) {
    // pdftoppm names the image after the root it is given: pgm without its extension.
    const std::string base = (pgm.parent_path() / pgm.stem()).string();
    RunCommand("pdftoppm -gray -singlefile -r " + std::to_string(dpi) + " '" + pdf.string() + "' '" +
          base + "' 2>/dev/null");
    const std::string img = ReadText(pgm);
    std::istringstream in(img);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    in.get();
    DarkBox box;
    if (magic != "P5" || w <= 0 || h <= 0) return box;
    const std::size_t start = static_cast<std::size_t>(in.tellg());
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t at = start + static_cast<std::size_t>(y) * w + x;
            if (at < img.size() && static_cast<unsigned char>(img[at]) < 128) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x + 1);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y + 1);
            }
        }
    }
    if (maxX < 0) return box;
    return DarkBox{static_cast<double>(minX) / w, static_cast<double>(minY) / h,
                   static_cast<double>(maxX) / w, static_cast<double>(maxY) / h};
}

constexpr int kLines = 60;
constexpr double kTolerance = 0.005;  // half a percent of the page

std::string LineText(int i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Line%02d of sixty in the frame", i + 1);
    return buf;
}

TEST(EmfReaders, Emf2SvgShowsTheWholePageWithEverythingWhereThePdfHasIt) {
    if (std::system("command -v emf2svg-conv > /dev/null 2>&1") != 0 ||
        std::system("command -v pdftotext > /dev/null 2>&1") != 0 ||
        std::system("command -v pdftoppm > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "emf2svg-conv or the poppler tools are not installed";
    SuiteHost();
    testing::ScopedPageDirBase pageDir;
    ASSERT_FALSE(pageDir.Path().empty());
    Printer().Refresh();
    const auto& names = Printer().Printers();
    const auto it = std::find(names.begin(), names.end(), PdfPrinterDevice::kName);
    ASSERT_NE(it, names.end());
    ASSERT_TRUE(Printer().SetPrinterIndex(static_cast<int>(it - names.begin())));
    // Letter at 600 pixels per inch.
    ASSERT_EQ(Printer().PageWidth(), 5100);
    ASSERT_EQ(Printer().PageHeight(), 6600);

    const char* keep = std::getenv("QUILLON_EMF_READERS_DIR");
    const fs::path dir = keep && *keep ? fs::path(keep) : fs::path(pageDir.Path()) / "readers";
    fs::create_directories(dir);
    const fs::path emf = dir / "page.emf", svg = dir / "page.svg", pdf = dir / "page.pdf";
    {
        TGdi gdi(poPrinter);
        gdi.DeletePages();
        gdi.StartDocument(clWhite, "", 100);
        gdi.SetPen(1, clBlack);
        gdi.FrameBox(300, 300, 4800, 6300, 1, 1, 1, 1);
        gdi.SetFont("Arial", -70);
        for (int i = 0; i < kLines; ++i) gdi.PutText(450, 420 + i * 95, LineText(i));
        gdi.ClosePage();
        ASSERT_TRUE(gdi.SaveError().empty()) << gdi.SaveError();
        const Result<std::vector<std::uint8_t>> page = ReadPage(1, PageKind::Metafile);
        ASSERT_TRUE(page) << page.reason();
        std::ofstream(emf, std::ios::binary)
            .write(reinterpret_cast<const char*>(page->data()),
                   static_cast<std::streamsize>(page->size()));
        gdi.DeletePages();
    }
    int status = 0;
    RunCommand("emf2svg-conv -i '" + emf.string() + "' -o '" + svg.string() + "' 2>&1", &status);
    ASSERT_EQ(status, 0);
    std::string err;
    ASSERT_EQ(RunRenderPage(RenderPageOptions{emf.string(), "", pdf.string(), std::nullopt}, err),
              0)
        << err;

    const SvgPage s = ReadSvg(ReadText(svg));
    const PdfPage p = ReadPdfWords(pdf);
    // The SVG is the page, in its pixels; the PDF is the page at its paper size.
    EXPECT_NEAR(s.width, 5100, 5100 * kTolerance);
    EXPECT_NEAR(s.height, 6600, 6600 * kTolerance);
    EXPECT_NEAR(p.width, 612, 0.01);
    EXPECT_NEAR(p.height, 792, 0.01);
    ASSERT_EQ(s.texts.size(), static_cast<std::size_t>(kLines));
    EXPECT_EQ(s.texts.front().first, LineText(0));
    EXPECT_EQ(s.texts.back().first, LineText(kLines - 1));

    // The first word of the first and of the last line.
    auto find = [&p](const std::string& word) -> const PdfWord* {
        for (const PdfWord& w : p.words)
            if (w.text == word) return &w;
        return nullptr;
    };
    const PdfWord* first = find("Line01");
    const PdfWord* last = find("Line60");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(last, nullptr);
    // Across: where each line starts. Down: the SVG gives the baseline, the PDF the word's
    // box from the font's ascent to its descent; Arial's baseline lies 0.905 / 1.117 of the
    // way down that box.
    auto baseline = [](const PdfWord* w) { return w->yMin + (w->yMax - w->yMin) * 0.905 / 1.117; };
    EXPECT_NEAR(s.texts.front().second.x, first->xMin, kTolerance);
    EXPECT_NEAR(s.texts.back().second.x, last->xMin, kTolerance);
    EXPECT_NEAR(s.texts.front().second.y, baseline(first), kTolerance);
    EXPECT_NEAR(s.texts.back().second.y, baseline(last), kTolerance);
    EXPECT_GT(s.texts.front().second.y, first->yMin);
    EXPECT_LT(s.texts.front().second.y, first->yMax);
    EXPECT_GT(s.texts.back().second.y, last->yMin);
    EXPECT_LT(s.texts.back().second.y, last->yMax);
    // And both where the page put them: x 450, y 420 and 420 + 59 x 95 of 5100 x 6600.
    EXPECT_NEAR(first->xMin, 450.0 / 5100, kTolerance);
    EXPECT_NEAR(first->yMin, 420.0 / 6600, kTolerance);
    EXPECT_NEAR(last->yMin, (420.0 + 59 * 95) / 6600, kTolerance);

    // The frame's outer corners, (300, 300) and (4800, 6300).
    const DarkBox box = PdfDarkBox(pdf, dir / "page.pgm", 100);
    EXPECT_NEAR(s.pathMinX / s.width, box.left, kTolerance);
    EXPECT_NEAR(s.pathMinY / s.height, box.top, kTolerance);
    EXPECT_NEAR(s.pathMaxX / s.width, box.right, kTolerance);
    EXPECT_NEAR(s.pathMaxY / s.height, box.bottom, kTolerance);
    EXPECT_NEAR(box.left, 300.0 / 5100, kTolerance);
    EXPECT_NEAR(box.top, 300.0 / 6600, kTolerance);
    EXPECT_NEAR(box.right, 4800.0 / 5100, kTolerance);
    EXPECT_NEAR(box.bottom, 6300.0 / 6600, kTolerance);
}

}  // namespace
}  // namespace quillon
