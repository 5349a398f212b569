// SPDX-License-Identifier: GPL-2.0-or-later
// render-page on pages recorded here: where the page lands in the PNG, and its messages.

#include "platform/qt/render_page.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/emf/emf_recorder.h"
#include "tests/platform_qt/qt_test_support.h"

namespace quillon {
namespace {

using qttest::TempDir;

// A 400 x 300 page at 200 pixels per inch with a black block at (100,100)-(300,200).
std::string RecordPage(const TempDir& dir) {
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{400, 300, 200, 200}});
    rec.FillRect(Rect(100, 100, 300, 200), LogBrush{BS_SOLID, 0, 0});
    const std::string path = dir.File("page.emf");
    const Result<void> saved = rec.SaveToFile(path);
    EXPECT_TRUE(saved) << saved.reason();
    return path;
}

TEST(RenderPage, PngShowsThePageScaledOnWhite) {
    TempDir dir;
    const std::string page = RecordPage(dir);
    std::string err;
    ASSERT_EQ(RunRenderPage({page, dir.File("out.png"), "", 0.5}, err), 0) << err;
    EXPECT_EQ(err, "");
    const QImage image(QString::fromStdString(dir.File("out.png")));
    ASSERT_EQ(image.size(), QSize(200, 150));
    EXPECT_EQ(qttest::InkBounds(image), QRect(50, 50, 100, 50));
    EXPECT_EQ(qttest::CountPixels(image, qRgb(0, 0, 0)), 100 * 50);

    // The default scale is a quarter.
    ASSERT_EQ(RunRenderPage({page, dir.File("small.png"), "", std::nullopt}, err), 0) << err;
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("small.png"))).size(), QSize(100, 75));
}

TEST(RenderPage, AHugeScaleIsRefusedBeforeAnythingIsAllocated) {
    TempDir dir;
    const std::string page = RecordPage(dir);
    std::string err;
    EXPECT_EQ(RunRenderPage({page, dir.File("big.png"), "", 1000}, err), 1);
    EXPECT_EQ(err, "quillon: " + page + ": the image would be larger than 32768 pixels a side\n");
    EXPECT_FALSE(qttest::FileExists(dir.File("big.png")));
}

}  // namespace
}  // namespace quillon
