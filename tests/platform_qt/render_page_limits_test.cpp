// SPDX-License-Identifier: GPL-2.0-or-later
// render-page on hostile pages: figures near the 32-bit limits, mappings that blow small
// figures up, a very wide ellipse and a page too large to rasterise. Each page is played to
// a PNG and to a PDF in a child process whose address space is limited, and each must end
// with a result or a reason. Then the 50-circle page: vector paths in the PDF, the same
// pixels as the raster spans.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <climits>
#include <fstream>
#include <sstream>

#include "platform/emf/emf_recorder.h"
#include "platform/gdi/gdi.h"
#include "platform/qt/render_page.h"
#include "tests/platform_qt/qt_test_support.h"

namespace quillon {
namespace {

using qttest::TempDir;

constexpr TColorRef kRed = 0x0000FF;
constexpr int kBig = 2147483000;  // near the 32-bit limits

struct Outcome {
    int status = -1;  // exit status, or minus the signal that ended the child
    std::string err;
};

// The command's arguments (FILE [--png OUT] [--pdf OUT] [--scale S]) as render-page takes them.
RenderPageOptions Options(const std::vector<std::string>& args) {
    RenderPageOptions o;
    o.file = args.at(0);
    for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--png") o.png = args[i + 1];
        if (args[i] == "--pdf") o.pdf = args[i + 1];
        if (args[i] == "--scale") o.scale = std::stod(args[i + 1]);
    }
    return o;
}

// Runs render-page in a child whose address space may grow by at most `extraMegabytes`.
Outcome RenderLimited(const std::vector<std::string>& args, long extraMegabytes = 400) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) +
            static_cast<rlim_t>(extraMegabytes) * (1 << 20);
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_AS, &rl);
        std::string err;
        const int rc = RunRenderPage(Options(args), err);
        [[maybe_unused]] const ssize_t n = write(fds[1], err.data(), err.size());
        _exit(rc);
    }
    close(fds[1]);
    Outcome out;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        out.err.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return out;
}

// A page of `width` x `height` pixels at `ppi`, a red brush and the default one-pixel pen.
template <typename Draw>
std::string Page(const TempDir& dir, const std::string& name, int width, int height, int ppi,
                 Draw draw) {
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{width, height, ppi, ppi}});
    const HBRUSH brush = CreateSolidBrush(kRed);
    rec.SelectObject(brush);
    draw(rec);
    const std::string path = dir.File(name);
    const Result<void> saved = rec.SaveToFile(path);
    EXPECT_TRUE(saved) << saved.reason();
    rec.SelectObject(GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
    return path;
}

QRgb PixelAt(const std::string& png, int x, int y) {
    const QImage image(QString::fromStdString(png));
    return image.isNull() ? 0 : image.pixel(x, y);
}

TEST(RenderPageLimits, FiguresNearThe32BitLimitsFillThePage) {
    TempDir dir;
    // Each figure's middle covers the whole 400 x 300 page.
    const std::string ellipse = Page(dir, "ellipse.emf", 400, 300, 100, [](DeviceContext& dc) {
        dc.Ellipse(-kBig, -kBig, kBig, kBig);
    });
    const std::string roundRect = Page(dir, "roundrect.emf", 400, 300, 100, [](DeviceContext& dc) {
        dc.RoundRect(-kBig, -kBig, kBig, kBig, kBig, kBig);
    });
    const std::string pies = Page(dir, "pies.emf", 400, 300, 100, [](DeviceContext& dc) {
        // A pie of the right half and a chord of the left half of the same huge circle.
        dc.Arc(ArcKind::Pie, TRect{-kBig, -kBig, kBig, kBig}, TPoint{0, kBig}, TPoint{0, -kBig});
        dc.Arc(ArcKind::Chord, TRect{-kBig, -kBig, kBig, kBig}, TPoint{0, -kBig}, TPoint{0, kBig});
    });
    for (const std::string& page : {ellipse, roundRect, pies}) {
        SCOPED_TRACE(page);
        const Outcome png = RenderLimited({page, "--png", dir.File("out.png"), "--scale", "1"});
        ASSERT_EQ(png.status, 0) << png.err;
        EXPECT_EQ(PixelAt(dir.File("out.png"), 200, 150), qRgb(255, 0, 0));
        EXPECT_EQ(PixelAt(dir.File("out.png"), 5, 5), qRgb(255, 0, 0));
        const Outcome pdf = RenderLimited({page, "--pdf", dir.File("out.pdf")});
        ASSERT_EQ(pdf.status, 0) << pdf.err;
        EXPECT_TRUE(qttest::FileExists(dir.File("out.pdf")));
    }
}

// Pictures whose frame lies above or left of the origin: the frame's corner is the image's,
// so the rectangle that fills the frame has its outline on the image's first row and column.
TEST(RenderPageLimits, PicturesAboveOrLeftOfTheOriginLandInTheImage) {
    TempDir dir;
    const std::string pictures = std::string(QUILLON_SOURCE_DIR) + "/tests/data/emf/pictures/";
    struct Case {
        const char* name;
        int width, height;
    };
    for (const Case& c : {Case{"frame_above_the_origin", 201, 201},
                          Case{"frame_at_negative_coordinates", 41, 36}}) {
        SCOPED_TRACE(c.name);
        const std::string out = dir.File(std::string(c.name) + ".png");
        const Outcome png =
            RenderLimited({pictures + c.name + ".emf", "--png", out, "--scale", "1"});
        ASSERT_EQ(png.status, 0) << png.err;
        const QImage image(QString::fromStdString(out));
        EXPECT_EQ(image.width(), c.width);
        EXPECT_EQ(image.height(), c.height);
        EXPECT_EQ(PixelAt(out, 0, 0), qRgb(0, 0, 0));
        EXPECT_EQ(PixelAt(out, 0, c.height / 2), qRgb(0, 0, 0));
        EXPECT_EQ(PixelAt(out, c.width / 2, c.height / 2), qRgb(255, 255, 255));
    }
}

TEST(RenderPageLimits, AViewportExtentOf2To31OverAWindowExtentOf1) {
    TempDir dir;
    const std::string page = Page(dir, "mapping.emf", 400, 300, 100, [](DeviceContext& dc) {
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetWindowExtEx(1, 1);
        dc.SetViewportExtEx(INT_MIN, INT_MIN);  // 2^31 read as a signed extent
        dc.Ellipse(-1, -1, 2, 2);
        dc.RoundRect(-2, -2, 3, 3, 1, 1);
        dc.SetViewportExtEx(INT_MAX, INT_MAX);
        dc.Ellipse(-1, -1, 2, 2);
        dc.Arc(ArcKind::Pie, TRect{-1, -1, 2, 2}, TPoint{1, 0}, TPoint{0, 1});
    });
    const Outcome png = RenderLimited({page, "--png", dir.File("out.png"), "--scale", "1"});
    ASSERT_EQ(png.status, 0) << png.err;
    // Scaled past the int range, the last ellipse saturates over the whole page.
    EXPECT_EQ(PixelAt(dir.File("out.png"), 200, 150), qRgb(255, 0, 0));
    const Outcome pdf = RenderLimited({page, "--pdf", dir.File("out.pdf")});
    ASSERT_EQ(pdf.status, 0) << pdf.err;
}

TEST(RenderPageLimits, AnEllipseFourMillionUnitsWideShowsItsVisibleEdge) {
    TempDir dir;
    // A Letter page at 600 pixels per inch; the ellipse's top crosses the middle at y 3300.
    const std::string page = Page(dir, "wide.emf", 5100, 6600, 600, [](DeviceContext& dc) {
        dc.Ellipse(2550 - 2000000, 3300, 2550 + 2000000, 3300 + 4000000);
    });
    const Outcome png = RenderLimited({page, "--png", dir.File("out.png")});
    ASSERT_EQ(png.status, 0) << png.err;
    // At the default quarter scale the edge is at y 825: the outline there, fill below.
    const std::string out = dir.File("out.png");
    EXPECT_EQ(PixelAt(out, 637, 824), qRgb(255, 255, 255));
    EXPECT_EQ(PixelAt(out, 637, 825), qRgb(0, 0, 0));
    EXPECT_EQ(PixelAt(out, 637, 826), qRgb(255, 0, 0));
    EXPECT_EQ(PixelAt(out, 637, 1600), qRgb(255, 0, 0));
    const Outcome pdf = RenderLimited({page, "--pdf", dir.File("out.pdf")});
    ASSERT_EQ(pdf.status, 0) << pdf.err;
}

TEST(RenderPageLimits, APageOf131072PixelsASideIsRefusedWithItsReason) {
    TempDir dir;
    const std::string page = Page(dir, "huge.emf", 131072, 131072, 600,
                                  [](DeviceContext& dc) { dc.Ellipse(100, 100, 1000, 1000); });
    // The quarter-scale image has sides of 32,768, within the side limit: its area is not.
    const Outcome png = RenderLimited({page, "--png", dir.File("out.png")});
    EXPECT_EQ(png.status, 1);
    EXPECT_EQ(png.err, "quillon: " + page +
                           ": the image would be 32768 x 32768 pixels, more than 48 M pixels\n");
    EXPECT_FALSE(qttest::FileExists(dir.File("out.png")));
    const Outcome pdf = RenderLimited({page, "--pdf", dir.File("out.pdf")});
    EXPECT_EQ(pdf.status, 1);
    EXPECT_EQ(pdf.err,
              "quillon: " + page + ": the page would be larger than 32768 pixels a side\n");
    // Within both limits the same page is drawn.
    const Outcome small = RenderLimited({page, "--png", dir.File("small.png"), "--scale", "0.01"});
    EXPECT_EQ(small.status, 0) << small.err;
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("small.png"))).size(), QSize(1311, 1311));
}

// Counts of the content stream's path operators, from qpdf's uncompressed form.
struct PdfOps {
    int rectangles = 0, curves = 0, paints = 0;
};

PdfOps CountOps(const std::string& pdf, const TempDir& dir) {
    const std::string qdf = dir.File("qdf.pdf");
    int status = -1;
    qttest::RunCommand("qpdf --qdf --object-streams=disable '" + pdf + "' '" + qdf + "'", &status);
    EXPECT_EQ(status, 0);
    std::ifstream in(qdf, std::ios::binary);
    PdfOps ops;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word, last;
        while (words >> word) last = word;
        if (last == "re") ++ops.rectangles;
        if (last == "c") ++ops.curves;
        if (last == "f" || last == "f*" || last == "B" || last == "B*" || last == "S" ||
            last == "b" || last == "b*")
            ++ops.paints;
    }
    return ops;
}

// Each pixel becomes the nearest of `colours`: an antialiased pixel takes the colour that
// covers most of it.
void SnapToNearest(QImage& image, const std::vector<QRgb>& colours) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            QRgb best = colours.front();
            int bestDistance = INT_MAX;
            for (const QRgb c : colours) {
                const int dr = qRed(p) - qRed(c), dg = qGreen(p) - qGreen(c),
                          db = qBlue(p) - qBlue(c);
                const int d = dr * dr + dg * dg + db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = c;
                }
            }
            image.setPixel(x, y, best);
        }
    }
}

TEST(RenderPageLimits, FiftyCirclesArePathsInThePdfWithTheRasterPixels) {
    TempDir dir;
    // 50 circles of 250 pixels at 600 pixels per inch on a 3300 x 1700 page.
    const std::string page = Page(dir, "circles.emf", 3300, 1700, 600, [](DeviceContext& dc) {
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 10; ++col)
                dc.Ellipse(50 + col * 320, 50 + row * 320, 300 + col * 320, 300 + row * 320);
    });
    std::string err;
    ASSERT_EQ(RunRenderPage(Options({page, "--pdf", dir.File("c.pdf")}), err), 0) << err;
    const PdfOps ops = CountOps(dir.File("c.pdf"), dir);
    // One closed path of four curves per circle, painted once: no rows of rectangles.
    EXPECT_LE(ops.rectangles, 2);
    EXPECT_EQ(ops.curves, 50 * 4);
    EXPECT_GE(ops.paints, 50);
    EXPECT_LE(ops.paints, 100);

    // The raster spans at the same resolution are the reference.
    ASSERT_EQ(RunRenderPage(Options({page, "--png", dir.File("spans.png"), "--scale", "1"}), err),
              0)
        << err;
    int status = -1;
    qttest::RunCommand(
        "pdftoppm -r 600 -png -singlefile '" + dir.File("c.pdf") + "' '" + dir.File("ppm") + "'",
        &status);
    ASSERT_EQ(status, 0);
    const QImage spans =
        QImage(QString::fromStdString(dir.File("spans.png"))).convertToFormat(QImage::Format_RGB32);
    QImage vector =
        QImage(QString::fromStdString(dir.File("ppm.png"))).convertToFormat(QImage::Format_RGB32);
    SnapToNearest(vector, {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0)});
    ASSERT_EQ(spans.size(), QSize(3300, 1700));
    ASSERT_EQ(vector.size(), spans.size());
    // The PDF is rasterised with antialiasing and each pixel snapped to the nearest of the
    // page's three colours, i.e. to the colour covering most of it: what an exact
    // non-antialiased fill of the path would give. (Poppler's own non-antialiased mode
    // takes in every pixel a path touches, which widens a one-pixel outline to two.)
    // Equal everywhere except single pixels on the curved edges: a pixel may differ only
    // where the reference changes colour within one pixel of it.
    int differing = 0, awayFromEdges = 0;
    const int black = qttest::CountPixels(spans, qRgb(0, 0, 0));
    for (int y = 0; y < spans.height(); ++y) {
        for (int x = 0; x < spans.width(); ++x) {
            if (spans.pixel(x, y) == vector.pixel(x, y)) continue;
            ++differing;
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy)
                for (int dx = -1; dx <= 1 && !edge; ++dx) {
                    const QPoint n(x + dx, y + dy);
                    edge = spans.rect().contains(n) && spans.pixel(n) != spans.pixel(x, y);
                }
            if (!edge) ++awayFromEdges;
        }
    }
    EXPECT_EQ(awayFromEdges, 0);
    // Those are the antialiased steps of the curve (about one outline pixel in five snaps
    // the other way); a path shifted by a pixel would differ on every outline pixel.
    EXPECT_GT(black, 50 * 700);
    EXPECT_LT(differing, black / 4) << differing << " of " << black << " outline pixels";
    RecordProperty("differing_pixels", differing);
}

}  // namespace
}  // namespace quillon
