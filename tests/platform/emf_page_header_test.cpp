// SPDX-License-Identifier: GPL-2.0-or-later
// What a page file's header says, and how playback tells a page of ours from a picture made
// elsewhere: a page's header describes the printed page (frame at paper size, reference device
// in the page's pixels), while the suite still plays it one recorded unit to one destination
// unit into (0, 0, screen width, screen height), exactly as pages whose header described the
// screen (tests/data/emf/pages) always played. Any other file is mapped by its frame.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

extern "C" {
#include <uemf.h>
}

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/graphics.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::RecordingDeviceContext;
using Lines = std::vector<std::string>;

const fs::path kPages = fs::path(QUILLON_SOURCE_DIR) / "tests" / "data" / "emf" / "pages";
const TRect kScreenRect{0, 0, 1024, 768};

std::vector<std::uint8_t> Load(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

Lines Play(std::span<const std::uint8_t> emf, const TRect& rect = kScreenRect) {
    RecordingDeviceContext out;
    const Result<void> played = PlayEmf(emf, out, rect);
    EXPECT_TRUE(played) << played.reason();
    return out.Lines();
}

// The drawing of tests/data/emf/pages/page_with_screen_header.emf, which the recorder wrote
// (Letter at 600 pixels per inch) while a page's header still described the screen.
void DrawSamplePage(DeviceContext& dc) {
    dc.SetBkMode(TRANSPARENT);
    LogFont lf;
    lf.height = -100;
    lf.faceName = "Arial";
    const HFONT font = CreateFontIndirect(lf);
    dc.SelectObject(font);
    for (int i = 0; i < 5; ++i) dc.TextOut(600, 600 + i * 150, "Line " + std::to_string(i + 1));
    const HPEN pen = CreatePen(PS_SOLID, 6, RGB(0, 0, 0));
    dc.SelectObject(pen);
    dc.MoveTo(300, 300);
    dc.LineTo(4800, 300);
    dc.LineTo(4800, 6000);
    dc.LineTo(300, 6000);
    dc.LineTo(300, 300);
    dc.Rectangle(600, 1500, 2000, 2500);
    dc.Ellipse(2500, 1500, 4500, 2500);
    dc.FillRect(TRect{600, 3000, 4500, 3100}, GetStockObject(GRAY_BRUSH));
    dc.SelectObject(GetStockObject(BLACK_PEN));
    dc.SelectObject(GetStockObject(SYSTEM_FONT));
    DeleteObject(pen);
    DeleteObject(font);
}

std::vector<std::uint8_t> RecordPage(const EmfPageInfo& page,
                                     void (*draw)(DeviceContext&) = DrawSamplePage) {
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, page});
    draw(rec);
    return rec.Finish();
}

TEST(EmfPageHeader, DescribesTheWholePageAtItsPaperSize) {
    const std::vector<std::uint8_t> bytes = RecordPage(EmfPageInfo{5100, 6600, 600, 600});
    const Result<EmfHeaderInfo> h = ReadEmfHeader(bytes);
    ASSERT_TRUE(h) << h.reason();
    // 8.5 x 11 inches: the frame's last pixel 5099 at 600 ppi is 215.858 mm.
    EXPECT_EQ(h->frame, (TRect{0, 0, 21586, 27936}));
    EXPECT_EQ(h->deviceSizePixels, (TSize{5100, 6600}));
    EXPECT_EQ(h->deviceSizeMillimeters, (TSize{216, 279}));
    ASSERT_TRUE(h->deviceSizeMicrometers);
    EXPECT_EQ(*h->deviceSizeMicrometers, (TSize{215900, 279400}));
    EXPECT_EQ(h->FramePixels(), (TRect{0, 0, 5099, 6599}));
    // Everything drawn lies on the page: the bounds are the page, margins included.
    EXPECT_EQ(h->bounds, (TRect{0, 0, 5099, 6599}));
    ASSERT_TRUE(h->page);
    EXPECT_EQ(*h->page, (EmfPageInfo{5100, 6600, 600, 600}));
    ASSERT_TRUE(h->pageReference);
    EXPECT_EQ(*h->pageReference, (EmfPageReference{1024, 768, 96, 96}));
    EXPECT_TRUE(h->IsDescribedPage());
    EXPECT_EQ(h->PlaybackFrame(), (TRect{0, 0, 1023, 767}));
    EXPECT_EQ(EmfPageSize(bytes).value_or(EmfPageInfo{}), (EmfPageInfo{5100, 6600, 600, 600}));
}

TEST(EmfPageHeader, FrameComesBackAsThePagesPixelsAtEveryResolution) {
    const EmfPageInfo pages[] = {{5100, 6600, 600, 600},    {4760, 6779, 600, 600},
                                 {2400, 3150, 300, 300},    {2480, 3508, 300, 300},
                                 {1275, 1650, 150, 150},    {400, 300, 200, 100},
                                 {9921, 14031, 1200, 1200}, {1, 1, 72, 72}};
    for (const EmfPageInfo& page : pages) {
        EmfRecorder rec(EmfRecorderOptions{std::nullopt, page});
        const Result<EmfHeaderInfo> h = ReadEmfHeader(rec.Finish());
        ASSERT_TRUE(h) << h.reason();
        EXPECT_EQ(h->FramePixels(), (TRect{0, 0, page.widthPixels - 1, page.heightPixels - 1}))
            << page.widthPixels << " x " << page.heightPixels << " at " << page.pixelsPerInchX;
        EXPECT_EQ(h->deviceSizePixels, (TSize{page.widthPixels, page.heightPixels}));
        // Device and micrometre sizes give the page's resolution back; millimetres are never
        // 0 (a header with a side of 0 mm is no metafile), even for a page of one pixel.
        EXPECT_NEAR(h->deviceSizePixels.cx * 25400.0 / h->deviceSizeMicrometers->cx,
                    page.pixelsPerInchX, page.pixelsPerInchX * 0.001);
        EXPECT_NEAR(h->deviceSizePixels.cy * 25400.0 / h->deviceSizeMicrometers->cy,
                    page.pixelsPerInchY, page.pixelsPerInchY * 0.001);
        EXPECT_GE(h->deviceSizeMillimeters.cx, 1);
        EXPECT_TRUE(h->IsDescribedPage());
    }
}

TEST(EmfPageHeader, BoundsStayWithinThePageAndFollowTheDrawingWithoutOne) {
    {
        EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{2400, 3150, 300, 300}});
        rec.Rectangle(-50, -20, 3000, 4000);  // drawn beyond the page: not part of the page
        const Result<EmfHeaderInfo> h = ReadEmfHeader(rec.Finish());
        ASSERT_TRUE(h);
        EXPECT_EQ(h->bounds, (TRect{0, 0, 2399, 3149}));
    }
    {
        EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{2400, 3150, 300, 300}});
        const Result<EmfHeaderInfo> h = ReadEmfHeader(rec.Finish());  // a blank page
        ASSERT_TRUE(h);
        EXPECT_EQ(h->bounds, (TRect{0, 0, 2399, 3149}));
    }
    {
        // A picture recorded for no page: the screen's header, the drawing's bounds, no comment.
        EmfRecorder rec;
        rec.Rectangle(10, 20, 110, 70);
        const Result<EmfHeaderInfo> h = ReadEmfHeader(rec.Finish());
        ASSERT_TRUE(h);
        EXPECT_EQ(h->bounds, (TRect{10, 20, 109, 69}));
        EXPECT_EQ(h->FramePixels(), (TRect{0, 0, 1023, 767}));
        EXPECT_EQ(h->deviceSizePixels, (TSize{1024, 768}));
        EXPECT_FALSE(h->page);
        EXPECT_FALSE(h->IsDescribedPage());
    }
}

TEST(EmfPageHeader, PagesFromBeforeAndAfterPlayCallForCallAlike) {
    const std::vector<std::uint8_t> old = Load(kPages / "page_with_screen_header.emf");
    const Result<EmfHeaderInfo> oldHeader = ReadEmfHeader(old);
    ASSERT_TRUE(oldHeader) << oldHeader.reason();
    // The earlier header: the screen as frame and reference device, a version-1 comment.
    EXPECT_EQ(oldHeader->FramePixels(), (TRect{0, 0, 1023, 767}));
    EXPECT_EQ(oldHeader->deviceSizePixels, (TSize{1024, 768}));
    ASSERT_TRUE(oldHeader->page);
    EXPECT_EQ(*oldHeader->page, (EmfPageInfo{5100, 6600, 600, 600}));
    EXPECT_FALSE(oldHeader->pageReference);
    EXPECT_FALSE(oldHeader->IsDescribedPage());
    EXPECT_EQ(oldHeader->PlaybackFrame(), (TRect{0, 0, 1023, 767}));

    const std::vector<std::uint8_t> now = RecordPage(EmfPageInfo{5100, 6600, 600, 600});
    const Lines played = Play(now);
    // One recorded unit per destination unit: no transform is set at all.
    EXPECT_TRUE(std::none_of(played.begin(), played.end(), [](const std::string& l) {
        return l.rfind("SetWorldTransform", 0) == 0;
    }));
    EXPECT_NE(std::find(played.begin(), played.end(), "LineTo 4800,6000"), played.end());
    EXPECT_NE(std::find(played.begin(), played.end(), "Rectangle 600,1500,2000,2500"),
              played.end());
    EXPECT_EQ(played, Play(old));
    // Into another rectangle both scale alike (the preview's zoom, a page placed as a picture).
    const TRect half{10, 20, 522, 404};
    EXPECT_EQ(Play(now, half), Play(old, half));
    EXPECT_NE(Play(now, half), played);
}

TEST(EmfPageHeader, TheRenderedPageSizeAndScreenPictureSizeStayThePagesOwn) {
    const std::vector<std::uint8_t> now = RecordPage(EmfPageInfo{5100, 6600, 600, 600});
    TMetafile picture;
    ASSERT_TRUE(picture.LoadFromBytes(now));
    // A page as a picture keeps the size at which it plays one unit to one unit.
    EXPECT_EQ(picture.Width(), 1024);
    EXPECT_EQ(picture.Height(), 768);
    TMetafile old;
    ASSERT_TRUE(old.LoadFromBytes(Load(kPages / "page_with_screen_header.emf")));
    EXPECT_EQ(old.Width(), 1024);
    EXPECT_EQ(old.Height(), 768);
}

void DrawInLoMetric(DeviceContext& dc) {
    dc.SetMapMode(MM_LOMETRIC);
    dc.Rectangle(0, 0, 254, -254);  // one inch at the recording surface's resolution
}

TEST(EmfPageHeader, FixedMappingModesInAPageKeepTheResolutionTheyWereRecordedAt) {
    const Lines played = Play(RecordPage(EmfPageInfo{5100, 6600, 600, 600}, DrawInLoMetric));
    const Lines transforms = [&] {
        Lines t;
        for (const std::string& l : played)
            if (l.rfind("SetWorldTransform", 0) == 0) t.push_back(l);
        return t;
    }();
    ASSERT_EQ(transforms.size(), 1u);
    // 0.1 mm on the 96 ppi screen the page was recorded against: 1024 / 2709 per unit
    // (a 600 ppi reference would give 5100 / 21590 and a page six times larger).
    double m11 = 0, m12 = 0, m21 = 0, m22 = 0;
    ASSERT_EQ(std::sscanf(transforms[0].c_str(), "SetWorldTransform %lf,%lf,%lf,%lf", &m11, &m12,
                          &m21, &m22),
              4);
    EXPECT_NEAR(m11, 1024.0 / 2709, 1e-4);
    EXPECT_NEAR(m22, -768.0 / 2032, 1e-4);
}

// A picture written by libuemf's own writer: a 300 ppi reference device, a frame of
// 40 x 20 mm and a rectangle from 10 x 5 mm to 80 x 30 mm, beyond the frame.
std::vector<std::uint8_t> ForeignPicture(const fs::path& path, bool withOurComment = false) {
    EMFTRACK* et = nullptr;
    EMFHANDLES* eht = nullptr;
    EXPECT_EQ(emf_start(path.c_str(), 4096, 1024, &et), 0);
    EXPECT_EQ(htable_create(8, 8, &eht), 0);
    const U_RECTL bounds{118, 59, 945, 354};
    const U_RECTL frame{0, 0, 4000, 2000};
    const U_SIZEL device{2480, 3508};  // A4 at 300 ppi
    const U_SIZEL mm{210, 297};
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(
                   U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, device, mm, 0)),
               et, U_REC_FREE);
    if (withOurComment) {
        const std::string data = EncodePageComment(EmfPageInfo{2480, 3508, 300, 300},
                                                   EmfPageReference{1024, 768, 96, 96});
        emf_append(reinterpret_cast<U_ENHMETARECORD*>(
                       U_EMRCOMMENT_set(static_cast<U_CBDATA>(data.size()), data.data())),
                   et, U_REC_FREE);
    }
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(U_EMRRECTANGLE_set(U_RECTL{118, 59, 945, 354})),
               et, U_REC_FREE);
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(U_EMREOF_set(0, nullptr, et)), et, U_REC_FREE);
    EXPECT_EQ(emf_finish(et, eht), 0);
    emf_free(&et);
    htable_free(&eht);
    return Load(path);
}

class ForeignPictureTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }
    const fs::path dir_ =
        fs::temp_directory_path() / ("quillon_foreign_emf_" + std::to_string(::getpid()));
};

TEST_F(ForeignPictureTest, IsMappedByItsFrameAndSizedByIt) {
    const std::vector<std::uint8_t> bytes = ForeignPicture(dir_ / "picture.emf");
    const Result<EmfHeaderInfo> h = ReadEmfHeader(bytes);
    ASSERT_TRUE(h) << h.reason();
    EXPECT_FALSE(h->IsDescribedPage());
    // 40 mm at 2480 / 210 pixels per mm.
    EXPECT_EQ(h->PlaybackFrame(), (TRect{0, 0, 472, 236}));
    // Its frame onto a rectangle of 473 x 237: one unit to one unit; the part beyond the frame
    // lies beyond the rectangle.
    Lines played = Play(bytes, TRect{1000, 2000, 1473, 2237});
    EXPECT_EQ(played, (Lines{"SaveDC", "SetWorldTransform 1,0,0,1,1000,2000",
                             "Rectangle 118,59,945,354", "RestoreDC 1"}));
    // Onto half of that, every unit is half.
    played = Play(bytes, TRect{0, 0, 236, 118});
    ASSERT_EQ(played.size(), 4u);
    double sx = 0, sy = 0;
    ASSERT_EQ(std::sscanf(played[1].c_str(), "SetWorldTransform %lf,0,0,%lf", &sx, &sy), 2);
    EXPECT_NEAR(sx, 236.0 / 473, 1e-5);
    EXPECT_NEAR(sy, 118.0 / 237, 1e-5);
    // On the screen the picture is its frame's size: 40 x 20 mm at 96 ppi.
    TMetafile picture;
    ASSERT_TRUE(picture.LoadFromBytes(bytes));
    EXPECT_EQ(picture.Width(), 151);  // 473 pixels at 2480 / 210 mm: 40.05 mm, 151.4 pixels
    EXPECT_EQ(picture.Height(), 76);  // 237 pixels at 3508 / 297 mm: 20.07 mm, 75.8 pixels
}

TEST_F(ForeignPictureTest, OurCommentWithAFrameThatIsNotThePageIsPlayedByTheFrame) {
    // Another program kept our comment but gave the file a frame of its own: the frame rules.
    const std::vector<std::uint8_t> bytes = ForeignPicture(dir_ / "rewritten.emf", true);
    const Result<EmfHeaderInfo> h = ReadEmfHeader(bytes);
    ASSERT_TRUE(h) << h.reason();
    ASSERT_TRUE(h->page);
    ASSERT_TRUE(h->pageReference);
    EXPECT_FALSE(h->IsDescribedPage());
    EXPECT_EQ(h->PlaybackFrame(), (TRect{0, 0, 472, 236}));
    EXPECT_EQ(Play(bytes, TRect{1000, 2000, 1473, 2237}),
              (Lines{"SaveDC", "SetWorldTransform 1,0,0,1,1000,2000", "Rectangle 118,59,945,354",
                     "RestoreDC 1"}));
}

TEST(EmfPageComment, BothVersionsDecodeAndDamagedOnesAreIgnored) {
    const EmfPageInfo page{2400, 3150, 300, 300};
    const std::string v1 = EncodePageComment(page);
    const std::string v2 = EncodePageComment(page, EmfPageReference{1280, 1024, 96, 96});
    ASSERT_EQ(v1.size(), kPageCommentDataSize1);
    ASSERT_EQ(v2.size(), kPageCommentDataSize);
    auto decode = [](const std::string& s) {
        return DecodePageComment(
            std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()));
    };
    ASSERT_TRUE(decode(v1));
    EXPECT_EQ(decode(v1)->page, page);
    EXPECT_FALSE(decode(v1)->reference);
    ASSERT_TRUE(decode(v2));
    EXPECT_EQ(decode(v2)->page, page);
    EXPECT_EQ(decode(v2)->reference, (EmfPageReference{1280, 1024, 96, 96}));
    EXPECT_FALSE(decode(v2.substr(0, 36)));  // version 2 cut short
    std::string zeroRef = v2;
    zeroRef[24] = zeroRef[25] = zeroRef[26] = zeroRef[27] = 0;  // reference width 0
    EXPECT_FALSE(decode(zeroRef));
    std::string v3 = v2;
    v3[4] = 3;
    EXPECT_FALSE(decode(v3));
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// The values of the restore records of a recording, in order.
std::vector<std::int32_t> RestoreValues(const std::vector<std::uint8_t>& emf) {
    std::vector<std::int32_t> values;
    std::size_t pos = 0;
    while (pos + 8 <= emf.size()) {
        std::uint32_t type = 0, size = 0;
        std::memcpy(&type, emf.data() + pos, 4);
        std::memcpy(&size, emf.data() + pos + 4, 4);
        if (size < 8) break;
        if (type == 34 && pos + 12 <= emf.size()) {
            std::int32_t v = 0;
            std::memcpy(&v, emf.data() + pos + 8, 4);
            values.push_back(v);
        }
        pos += size;
    }
    return values;
}

TEST(EmfPageHeader, RestoresAreRecordedRelativeWhateverLevelTheCallerNames) {
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{2400, 3150, 300, 300}});
    rec.SaveDC();
    rec.SaveDC();
    rec.SaveDC();
    rec.RestoreDC(2);   // absolute: two levels up from depth 3
    rec.RestoreDC(-1);  // relative already
    rec.SaveDC();
    rec.RestoreDC(1);
    rec.RestoreDC(5);  // nothing to restore: not recorded
    EXPECT_EQ(RestoreValues(rec.Finish()), (std::vector<std::int32_t>{-2, -1, -1}));
}

}  // namespace
}  // namespace quillon
