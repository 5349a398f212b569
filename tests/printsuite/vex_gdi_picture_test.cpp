// SPDX-License-Identifier: GPL-2.0-or-later
// A metafile made by another program, placed on a page: its picture frame, not its drawing
// and not its reference device's pixels, is what lands on the rectangle; its size on the
// screen (what a form's image is laid out by) is the frame's size, so that scaled to the
// printer it prints at the frame's own size.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

extern "C" {
#include <uemf.h>
}

#include "platform/emf/emf_recorder.h"
#include "platform/gdi/screen.h"
#include "platform/sys/rounding.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "tests/printsuite/gdi_fixture.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::GdiTest;
using Lines = std::vector<std::string>;

// Written with libuemf's writer: a 300 ppi A4 reference device, a frame of 40 x 20 mm and a
// rectangle from (10, 5) to (80, 30) mm, so half of the drawing lies beyond the frame.
bool WriteForeignPicture(const fs::path& path) {
    EMFTRACK* et = nullptr;
    EMFHANDLES* eht = nullptr;
    if (emf_start(path.c_str(), 4096, 1024, &et) != 0) return false;
    if (htable_create(8, 8, &eht) != 0) return false;
    const U_RECTL box{118, 59, 945, 354};
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(U_EMRHEADER_set(
                   box, U_RECTL{0, 0, 4000, 2000}, nullptr, 0, nullptr, U_SIZEL{2480, 3508},
                   U_SIZEL{210, 297}, 0)),
               et, U_REC_FREE);
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(U_EMRRECTANGLE_set(box)), et, U_REC_FREE);
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(U_EMREOF_set(0, nullptr, et)), et, U_REC_FREE);
    const bool ok = emf_finish(et, eht) == 0;
    emf_free(&et);
    htable_free(&eht);
    return ok;
}

TEST_F(GdiTest, AForeignPicturePrintsAtItsFramesSizeWithItsDrawingBeyondTheFrameInProportion) {
    const fs::path file = fs::path(base_) / "foreign.emf";
    ASSERT_TRUE(WriteForeignPicture(file));
    TPicture picture;
    const Result<void> loaded = picture.Metafile().LoadFromFile(file.string());
    ASSERT_TRUE(loaded) << loaded.reason();
    // 40 x 20 mm on a 96 ppi screen (151.2 x 75.6 pixels; the frame's 473 x 237 reference
    // pixels are 151.4 x 75.8).
    ASSERT_EQ(Screen().PixelsPerInch(), 96);
    EXPECT_EQ(picture.Width(), 151);
    EXPECT_EQ(picture.Height(), 76);

    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    // Laid out as a form lays out an image: its screen size times the printer's 600 / 96.
    const int left = 600, top = 1200;
    const int right = left + RoundToInt(picture.Width() * 600.0 / 96);
    const int bottom = top + RoundToInt(picture.Height() * 600.0 / 96);
    ASSERT_EQ(right, 1544);
    ASSERT_EQ(bottom, 1675);
    const std::size_t start = OpenCount();
    gdi.DrawPicture(picture, left, top, right, bottom, TRect{left, top, right, bottom});
    const Lines played = OpenLines(start);
    ASSERT_EQ(played.size(), 4u);
    EXPECT_EQ(played[0], "SaveDC");
    EXPECT_EQ(played[2], "Rectangle 118,59,945,354");
    EXPECT_EQ(played[3], "RestoreDC 1");
    double sx = 0, sy = 0, dx = 0, dy = 0;
    ASSERT_EQ(std::sscanf(played[1].c_str(), "SetWorldTransform %lf,0,0,%lf,%lf,%lf", &sx, &sy,
                          &dx, &dy),
              4)
        << played[1];
    // The frame (473 x 237 reference pixels, 0 .. 472 and 0 .. 236) fills the rectangle.
    EXPECT_NEAR(dx, left, 1e-6);
    EXPECT_NEAR(dy, top, 1e-6);
    EXPECT_NEAR(473 * sx, right - left, 0.01);
    EXPECT_NEAR(237 * sy, bottom - top, 0.01);
    // On the 600 ppi page the drawing keeps its size: 80 mm is 1890 printer pixels from the
    // picture's corner, 30 mm is 709 (within half a percent: the frame's edge pixel).
    EXPECT_NEAR(945 * sx, 1890, 1890 * 0.005);
    EXPECT_NEAR(354 * sy, 709, 709 * 0.005);
    EXPECT_NEAR(118 * sx, 236, 236 * 0.005);  // 10 mm
    gdi.ClosePage();
}

TEST_F(GdiTest, OurOwnPageAsAPictureKeepsTheScreenRectangleRule) {
    // A stored page placed on a page plays by the surface it was recorded against: into a
    // rectangle of the screen's size it keeps every unit, as pages always did.
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{4800, 6600, 600, 600}});
    rec.Rectangle(100, 200, 4700, 6500);
    TPicture picture;
    ASSERT_TRUE(picture.Metafile().LoadFromBytes(rec.Finish()));
    EXPECT_EQ(picture.Width(), Screen().Width());
    EXPECT_EQ(picture.Height(), Screen().Height());
    TGdi gdi(poPrinter);
    gdi.DeletePages();
    gdi.StartDocument(clWhite, "", 100);
    const std::size_t start = OpenCount();
    gdi.PlayMetafile(*picture.MetafileIfAny(), TRect{0, 0, Screen().Width(), Screen().Height()});
    EXPECT_EQ(OpenLines(start), (Lines{"SaveDC", "Rectangle 100,200,4700,6500", "RestoreDC 1"}));
    gdi.ClosePage();
}

}  // namespace
}  // namespace quillon
