// SPDX-License-Identifier: GPL-2.0-or-later
// The player on files other programs write, and on files nobody should write.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"
#include "platform/gdi/graphics.h"
#include "platform/gdi/graphics_backend.h"
#include "tests/support/fake_printer.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using testing::RecordingDeviceContext;
using testing::TestGraphicsBackend;
namespace fs = std::filesystem;

const fs::path kData = fs::path(QUILLON_SOURCE_DIR) / "tests" / "data" / "emf";

std::vector<std::uint8_t> Load(const fs::path& p) {
    Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(p.string());
    EXPECT_TRUE(bytes) << bytes.reason();
    return bytes ? std::move(*bytes) : std::vector<std::uint8_t>();
}

std::vector<fs::path> Files(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().extension() == ".emf") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(EmfPlayer, EachRecordKindPlaysAsItsDumpSays) {
    const std::vector<fs::path> files = Files(kData / "records");
    ASSERT_GE(files.size(), 10u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(fs::path(file).replace_extension(".txt"));
        std::stringstream expected;
        expected << in.rdbuf();
        RecordingDeviceContext dc;
        const Result<void> played = PlayEmf(Load(file), dc, TRect{0, 0, 1024, 768});
        ASSERT_TRUE(played) << played.reason();
        std::vector<std::string> lines = dc.Lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.front(), "SaveDC");
        EXPECT_EQ(lines.back(), "RestoreDC 1");
        std::string inner;
        for (std::size_t i = 1; i + 1 < lines.size(); ++i) inner += lines[i] + "\n";
        EXPECT_EQ(inner, expected.str());
        const Result<EmfParseStats> parsed = ParseEmf(Load(file));
        EXPECT_TRUE(parsed) << parsed.reason();
    }
}

TEST(EmfPlayer, EightBitBitmapIsDecodedTopRowFirst) {
    class Capture : public DeviceContext {
      public:
        Capture() : DeviceContext(DeviceCaps{}) {}
        std::vector<std::uint32_t> pixels;

      protected:
        void OnStretchDIBits(const TRect&, const TRect&, const BitmapView& v,
                             std::uint32_t) override {
            pixels.assign(v.pixels.begin(), v.pixels.end());
        }
    } dc;
    ASSERT_TRUE(PlayEmf(Load(kData / "records" / "stretchdibits_8bit_palette.emf"), dc,
                        TRect{0, 0, 1024, 768}));
    // Rows top to bottom: red blue / blue blue.
    EXPECT_EQ(dc.pixels,
              (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu}));
}

TEST(EmfPlayer, ThinPensFollowTheRecordingDeviceOnlyInPicturesMadeElsewhere) {
    class Capture : public DeviceContext {
      public:
        Capture() : DeviceContext(DeviceCaps{}) {}
        std::vector<double> pixel;  // per line drawn

      protected:
        void OnLineTo(TPoint, TPoint) override { pixel.push_back(State().thinPenPixel); }
    };
    // A picture made elsewhere (no page comment), its 1024 x 768 frame played at half size:
    // one of its device's pixels is half a pixel here while it plays, the rule is back after.
    Capture picture;
    ASSERT_TRUE(PlayEmf(Load(kData / "records" / "anisotropic_mapping_becomes_world_transform.emf"),
                        picture, TRect{0, 0, 512, 384}));
    EXPECT_EQ(picture.pixel, std::vector<double>{0.5});
    EXPECT_EQ(picture.State().thinPenPixel, 0);
    // A page of the suite keeps the classic rule.
    EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{2400, 3150, 300, 300}});
    rec.MoveTo(0, 0);
    rec.LineTo(10, 10);
    Capture page;
    ASSERT_TRUE(PlayEmf(rec.Finish(), page, TRect{0, 0, 1200, 1575}));
    EXPECT_EQ(page.pixel, std::vector<double>{0});
}

TEST(EmfPlayer, GradientRectanglesShadeFromCornerToCorner) {
    class Capture : public DeviceContext {
      public:
        Capture() : DeviceContext(DeviceCaps{}) {}
        std::vector<std::vector<std::uint32_t>> strips;

      protected:
        void OnStretchDIBits(const TRect&, const TRect&, const BitmapView& v,
                             std::uint32_t) override {
            strips.emplace_back(v.pixels.begin(), v.pixels.end());
        }
    } dc;
    ASSERT_TRUE(PlayEmf(Load(kData / "records" / "gradient_rectangles_and_a_triangle.emf"), dc,
                        TRect{0, 0, 1024, 768}));
    ASSERT_EQ(dc.strips.size(), 2u);
    // Red to blue over four columns; black to white over three rows.
    EXPECT_EQ(dc.strips[0],
              (std::vector<std::uint32_t>{0xFFFF0000u, 0xFFAA0055u, 0xFF5500AAu, 0xFF0000FFu}));
    EXPECT_EQ(dc.strips[1], (std::vector<std::uint32_t>{0xFF000000u, 0xFF808080u, 0xFFFFFFFFu}));
}

// A JPEG or PNG file in place of a bitmap's rows is decoded by the backend, held to the size
// its header announces; the parse-only pass never decodes.
TEST(EmfPicture, ImageFilesInsideBitmapRecordsAreDecodedWithinTheirHeader) {
    class Decoder : public TestGraphicsBackend {
      public:
        int calls = 0;
        std::int64_t budget = 0;
        Result<TBitmap> DecodeImageWithin(std::span<const std::uint8_t> data,
                                          std::int64_t maxPixels) override {
            ++calls;
            budget = maxPixels;
            // Stands in for a real decoder: the fixtures' PNG is two pixels, red and blue.
            if (data.size() < 8 || data[1] != 'P') return Error{"not a PNG"};
            TBitmap image(2, 1);
            image.SetPixel(0, 0, 0xFFFF0000u);
            image.SetPixel(1, 0, 0xFF0000FFu);
            return image;
        }
    } decoder;
    ScopedGraphicsBackend scope(&decoder);
    RecordingDeviceContext dc;
    ASSERT_TRUE(PlayEmf(Load(kData / "pictures" / "png_inside_a_bitmap_record.emf"), dc,
                        TRect{0, 0, 1024, 768}));
    EXPECT_EQ(
        dc.LinesStartingWith({"StretchDIBits"}),
        (std::vector<std::string>{"StretchDIBits 10,20,50,40 from 0,0,2,1 of 2x1 rop CC0020"}));
    EXPECT_EQ(decoder.calls, 1);
    EXPECT_GT(decoder.budget, 0);
    EXPECT_LE(decoder.budget, std::int64_t{16} << 20);
    // The header says 1 x 1, the file holds 2 x 1: left out. Absurd dimensions: never decoded.
    for (const char* name :
         {"png_larger_than_its_header_says", "jpeg_claiming_absurd_dimensions"}) {
        SCOPED_TRACE(name);
        RecordingDeviceContext other;
        const Result<void> played = PlayEmf(Load(kData / "pictures" / (std::string(name) + ".emf")),
                                            other, TRect{0, 0, 1024, 768});
        EXPECT_TRUE(played) << played.reason();
        EXPECT_TRUE(other.LinesStartingWith({"StretchDIBits"}).empty());
    }
    EXPECT_EQ(decoder.calls, 2);
    ASSERT_TRUE(ParseEmf(Load(kData / "pictures" / "png_inside_a_bitmap_record.emf")));
    EXPECT_EQ(decoder.calls, 2);
}

TEST(EmfPlayer, EveryMalformedFileEndsWithAnErrorAndNothingLeaks) {
    const std::vector<fs::path> files = Files(kData / "malformed");
    ASSERT_GE(files.size(), 20u);
    const std::size_t objectsBefore = LiveGdiObjectCount();
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::vector<std::uint8_t> bytes = Load(file);
        RecordingDeviceContext dc;
        const Result<void> played = PlayEmf(bytes, dc, TRect{0, 0, 1024, 768});
        EXPECT_FALSE(played);
        const std::string& error = played.reason();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(dc.SaveDepth(), 0);  // whatever was played, the state is back
        const Result<EmfParseStats> parsed = ParseEmf(bytes);
        EXPECT_FALSE(parsed);
        EXPECT_EQ(parsed.reason(), error);  // parsing and playing judge a file alike
    }
    EXPECT_EQ(LiveGdiObjectCount(), objectsBefore);
}

TEST(EmfPlayer, ErrorsNameTheRecordAndTheFault) {
    auto errorOf = [](const char* name) {
        RecordingDeviceContext dc;
        return PlayEmf(Load(kData / "malformed" / (std::string(name) + ".emf")), dc,
                       TRect{0, 0, 1024, 768})
            .reason();
    };
    EXPECT_EQ(errorOf("wrong_signature"), "metafile signature is missing");
    EXPECT_EQ(errorOf("byte_count_larger_than_file"), "metafile is truncated");
    EXPECT_EQ(errorOf("empty_file"), "file is too short for a metafile header");
    EXPECT_EQ(errorOf("record_size_zero"),
              "malformed record 2 (type 43): record size 0 is invalid");
    EXPECT_EQ(errorOf("record_size_beyond_end"),
              "malformed record 2 (type 43): record extends beyond the end of the file");
    EXPECT_EQ(errorOf("select_object_outside_table"),
              "malformed record 2 (type 37): object index 500 is outside the object table");
    EXPECT_EQ(errorOf("select_object_never_created"),
              "malformed record 2 (type 37): object 3 is selected but was never created");
    EXPECT_EQ(errorOf("gradient_names_a_missing_vertex"),
              "malformed record 2 (type 118): gradient names vertex 5 of 1");
    EXPECT_EQ(errorOf("gradient_vertex_count_lies"),
              "malformed record 2 (type 118): vertex count 268435456 exceeds the record");
    EXPECT_EQ(errorOf("small_text_huge_character_count"),
              "malformed record 2 (type 108): text extends beyond its record");
    EXPECT_EQ(errorOf("pattern_bits_beyond_record"),
              "malformed record 2 (type 94): EMR_CREATEDIBPATTERNBRUSHPT record contents are "
              "inconsistent");
    EXPECT_EQ(errorOf("extended_record_size_beyond_its_comment"),
              "malformed record 2 (type 70): extended record 2 (type 0x400A): record size 4096 "
              "exceeds its comment");
    EXPECT_EQ(errorOf("extended_data_size_beyond_its_record"),
              "malformed record 2 (type 70): extended record 2 (type 0x400A): data size 400 "
              "exceeds its record");
    EXPECT_EQ(errorOf("extended_rectangle_count_lies"),
              "malformed record 2 (type 70): extended record 2 (type 0x400A): rectangle count "
              "1073741824 exceeds the record");
    EXPECT_EQ(errorOf("extended_object_announces_a_huge_size"),
              "malformed record 2 (type 70): extended record 2 (type 0x4008): object of "
              "4294967280 bytes is refused");
    EXPECT_EQ(errorOf("end_record_missing"),
              "malformed record 6 (type 0): the end-of-file record is missing");
}

TEST(EmfPlayer, RecordsBeforeAFaultAreDrawn) {
    RecordingDeviceContext dc;
    // Pen, selection and rectangle are whole; the text record runs off the end.
    std::vector<std::uint8_t> bytes = Load(kData / "malformed" / "record_runs_past_the_end.emf");
    EXPECT_FALSE(PlayEmf(bytes, dc, TRect{0, 0, 1024, 768}));
    EXPECT_EQ(dc.LinesStartingWith({"SelectPen", "Rectangle"}),
              (std::vector<std::string>{"SelectPen solid 1 #000000", "Rectangle 1,2,3,4"}));
}

TEST(EmfPlayer, PageSizeOfForeignFilesComesFromTheFrame) {
    // The fixtures carry no page comment; their frame is 1024 x 768 pixels, their bounds
    // (0, 0, 99, 99) only what was drawn.
    const auto page = EmfPageSize(Load(kData / "records" / "polyline16_and_polygon16.emf"));
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, (EmfPageInfo{1024, 768, 96, 96}));
    const Result<EmfPageInfo> wrong = EmfPageSize(Load(kData / "malformed" / "wrong_version.emf"));
    EXPECT_FALSE(wrong);
    EXPECT_EQ(wrong.reason(), "unsupported metafile version");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

std::string PlayError(const char* name) {
    RecordingDeviceContext dc;
    return PlayEmf(Load(kData / "malformed" / (std::string(name) + ".emf")), dc,
                   TRect{0, 0, 1024, 768})
        .reason();
}

TEST(EmfPlayer, ARecordCutShortInsideAFieldIsRefusedByItsName) {
    EXPECT_EQ(PlayError("text_rectangle_cut_off"),
              "malformed record 2 (type 84): EMR_EXTTEXTOUTW record contents are inconsistent");
    EXPECT_EQ(
        PlayError("font_face_name_cut_off"),
        "malformed record 2 (type 82): EMR_EXTCREATEFONTINDIRECTW record is too short for its "
        "type");
    EXPECT_EQ(PlayError("stretchdibits_cut_off"),
              "malformed record 2 (type 81): EMR_STRETCHDIBITS record is too short for its type");
    EXPECT_EQ(PlayError("polyline_count_cut_off"),
              "malformed record 2 (type 4): EMR_POLYLINE record is too short for its type");
    EXPECT_EQ(PlayError("set_window_origin_cut_off"),
              "malformed record 2 (type 10): EMR_SETWINDOWORGEX record is too short for its type");
    EXPECT_EQ(PlayError("pen_color_cut_off"),
              "malformed record 2 (type 38): EMR_CREATEPEN record is too short for its type");
    EXPECT_EQ(PlayError("rectangle_too_short_for_its_type"),
              "malformed record 2 (type 43): EMR_RECTANGLE record is too short for its type");
}

// The page with its last save record taken out, the header's byte and record counts to match.
std::vector<std::uint8_t> WithoutLastSave(std::vector<std::uint8_t> page) {
    const auto u32 = [&](std::size_t at) {
        return std::uint32_t{page[at]} | std::uint32_t{page[at + 1]} << 8 |
               std::uint32_t{page[at + 2]} << 16 | std::uint32_t{page[at + 3]} << 24;
    };
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) page[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    std::size_t lastSave = 0;
    for (std::size_t pos = 0; pos + 8 <= page.size() && u32(pos + 4) >= 8; pos += u32(pos + 4))
        if (u32(pos) == 33) lastSave = pos;
    page.erase(page.begin() + static_cast<std::ptrdiff_t>(lastSave),
               page.begin() + static_cast<std::ptrdiff_t>(lastSave + 8));
    put(48, u32(48) - 8);  // nBytes
    put(52, u32(52) - 1);  // nRecords
    return page;
}

TEST(EmfPlayer, SavedStatesDeeperThanTheLimitAreRefused) {
    // 10,001 saves in a row: the last one is refused, the destination is back where it was.
    RecordingDeviceContext dc;
    EXPECT_FALSE(PlayEmf(Load(kData / "malformed" / "saved_states_too_deep.emf"), dc,
                         TRect{0, 0, 1024, 768}));
    EXPECT_EQ(dc.SaveDepth(), 0);
    EXPECT_EQ(PlayError("saved_states_too_deep"),
              "malformed record 10002 (type 33): saved states nest deeper than 10000");
    // Exactly at the limit the page plays, also into a context that saved around it already.
    std::vector<std::uint8_t> page = Load(kData / "malformed" / "saved_states_too_deep.emf");
    RecordingDeviceContext outer;
    ASSERT_EQ(outer.SaveDC(), 1);
    EXPECT_TRUE(PlayEmf(WithoutLastSave(page), outer, TRect{0, 0, 1024, 768}));
    EXPECT_EQ(outer.SaveDepth(), 1);
}

TEST(EmfPlayer, APictureAtTheSavedStatesLimitRecordedAsAPagePlaysBack) {
    // A picture made elsewhere is recorded as a page before it is printed: the page must nest
    // no deeper than the picture, or the limit would refuse what it had let through.
    const std::vector<std::uint8_t> picture =
        WithoutLastSave(Load(kData / "malformed" / "saved_states_too_deep.emf"));
    const auto recorded = [&](bool asPage) {
        EmfRecorder rec(EmfRecorderOptions{std::nullopt, EmfPageInfo{1000, 800, 96, 96}});
        const Result<void> played = asPage ? PlayEmfAsPage(picture, rec, TRect{0, 0, 1000, 800})
                                           : rec.PlayEnhMetaFile(picture, TRect{0, 0, 1000, 800});
        EXPECT_TRUE(played) << played.reason();
        return rec.Finish();
    };
    const std::vector<std::uint8_t> page = recorded(true);
    RecordingDeviceContext dc;
    const Result<void> played = PlayEmf(page, dc, TRect{0, 0, 1000, 800});
    EXPECT_TRUE(played) << played.reason();
    EXPECT_EQ(dc.SaveDepth(), 0);
    // Saved around, as a picture inside a page is, it nests one deeper.
    EXPECT_FALSE(ParseEmf(recorded(false)));
}

TEST(EmfPlayer, PicturesLeftOutAreCountedApartFromOtherRecordsSkipped) {
    // A JPEG claiming absurd dimensions is left out; a PNG within its header's budget is not
    // decoded by the parse, yet not left out; a small palette bitmap is drawn; an unknown record
    // is skipped but is no picture.
    const auto parsed = [](const char* folder, const char* name) {
        Result<EmfParseStats> stats = ParseEmf(Load(kData / folder / (std::string(name) + ".emf")));
        EXPECT_TRUE(stats) << stats.reason();
        return stats ? *stats : EmfParseStats{};
    };
    const EmfParseStats absurd = parsed("pictures", "jpeg_claiming_absurd_dimensions");
    EXPECT_EQ(absurd.picturesLeftOut, 1u);
    EXPECT_EQ(PicturesLeftOutNote(absurd), "1 picture left out (too large or in a form not read)");
    EXPECT_EQ(parsed("pictures", "png_inside_a_bitmap_record").picturesLeftOut, 0u);
    EXPECT_EQ(parsed("records", "stretchdibits_8bit_palette").picturesLeftOut, 0u);
    const EmfParseStats unknown = parsed("records", "unknown_and_palette_records_are_skipped");
    EXPECT_EQ(unknown.skipped, 1u);
    EXPECT_EQ(unknown.picturesLeftOut, 0u);
    EmfParseStats three;
    three.picturesLeftOut = 3;
    EXPECT_EQ(PicturesLeftOutNote(three), "3 pictures left out (too large or in a form not read)");
    EXPECT_EQ(PicturesLeftOutNote(EmfParseStats{}), "");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(EmfPlayer, HostileSeedPagesAreWellFormedSoTheyReachTheDrawing) {
    const std::vector<fs::path> files =
        Files(fs::path(QUILLON_SOURCE_DIR) / "tests" / "fuzz" / "fuzz_play_qt");
    ASSERT_GE(files.size(), 8u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const Result<EmfParseStats> parsed = ParseEmf(Load(file));
        EXPECT_TRUE(parsed) << parsed.reason();
    }
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// A picture wherever its frame lies: its size is the frame's, and playing it into a
// rectangle of that size from (0, 0) puts the frame's top-left corner there.
TEST(EmfPicture, FrameGivesSizeAndPlacementWhereverItLies) {
    struct Case {
        const char* name;
        EmfPageInfo size;
        const char* transform;
        const char* rectangle;
    };
    const Case cases[] = {
        {"frame_at_negative_coordinates",
         {41, 36, 96, 96},
         "SetWorldTransform 1,0,0,1,50,40",
         "Rectangle -50,-40,-10,-5"},
        {"frame_above_the_origin",
         {201, 201, 96, 96},
         "SetWorldTransform 1,0,0,1,0,300",
         "Rectangle 0,-300,200,-100"},
        {"frame_far_from_the_origin",
         {81, 81, 96, 96},
         "SetWorldTransform 1,0,0,1,-12000,-11700",
         "Rectangle 12000,11700,12080,11780"},
        {"empty_bounds_with_a_frame", {100, 50, 96, 96}, "", "Rectangle 0,0,99,49"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes =
            Load(kData / "pictures" / (std::string(c.name) + ".emf"));
        const Result<EmfPageInfo> size = EmfPageSize(bytes);
        ASSERT_TRUE(size) << size.reason();
        EXPECT_EQ(*size, c.size);
        RecordingDeviceContext dc;
        ASSERT_TRUE(PlayEmf(bytes, dc, TRect{0, 0, c.size.widthPixels, c.size.heightPixels}));
        const std::vector<std::string> lines =
            dc.LinesStartingWith({"SetWorldTransform", "Rectangle"});
        std::vector<std::string> expected;
        if (*c.transform) expected.push_back(c.transform);
        expected.push_back(c.rectangle);
        EXPECT_EQ(lines, expected);
    }
}

TEST(EmfPicture, HostileFramesAndSourcesPlayWithoutRunningAway) {
    // A frame of 2^31 units each way: a picture of 162 million pixels a side, played as any other.
    const std::vector<std::uint8_t> huge = Load(kData / "pictures" / "frame_of_two_to_the_31.emf");
    const Result<EmfPageInfo> size = EmfPageSize(huge);
    ASSERT_TRUE(size) << size.reason();
    EXPECT_GT(size->widthPixels, 100000000);
    RecordingDeviceContext dc;
    EXPECT_TRUE(PlayEmf(huge, dc, TRect{0, 0, 100, 100}));
    // An alpha blend whose source rectangle lies far outside its 1 x 1 image.
    RecordingDeviceContext blend;
    ASSERT_TRUE(PlayEmf(Load(kData / "pictures" / "alphablend_with_lying_source.emf"), blend,
                        TRect{0, 0, 100, 100}));
    EXPECT_EQ(blend.LinesStartingWith({"StretchDIBits"}),
              (std::vector<std::string>{"StretchDIBits 0,0,10,10 from -2147483648,1073741824,-1,"
                                        "2147483647 of 1x1 rop CC0020 alpha opacity 255"}));
}

TEST(EmfPicture, ExtendedImageOfAbsurdSizeIsLeftOutAndTheRestDrawn) {
    RecordingDeviceContext dc;
    const Result<void> played = PlayEmf(
        Load(kData / "pictures" / "extended_image_of_absurd_size.emf"), dc, TRect{0, 0, 1024, 768});
    ASSERT_TRUE(played) << played.reason();
    EXPECT_TRUE(dc.LinesStartingWith({"StretchDIBits"}).empty());
    EXPECT_EQ(dc.LinesStartingWith({"Polygon"}),
              (std::vector<std::string>{"Polygon 0,0 80,0 80,80 0,80"}));
}

// Where the text lands on the device for each vertical alignment, under a mapping whose y
// axis runs upward: the text hangs below its point (top), stands on it (baseline) or above it
// (bottom), as on any other mapping.
TEST(EmfPicture, TextOnAnUpwardYAxisKeepsItsAlignment) {
    class Capture : public DeviceContext {
      public:
        Capture() : DeviceContext(DeviceCaps{}) {}
        double referenceY = 0, originY = 0, downY = 0, ascent = 0, descent = 0;

      protected:
        void OnText(const TextRun& run) override {
            const XForm m = LogicalToDevice();
            referenceY = m.MapY(run.reference.X, run.reference.Y);
            originY = m.MapY(run.origin.X, run.origin.Y);
            downY = m.MapY(run.origin.X + run.down.X, run.origin.Y + run.down.Y) - originY;
            ascent = run.ascent * std::abs(m.m22);
            descent = run.descent * std::abs(m.m22);
        }
    };
    for (const char* align : {"top", "baseline", "bottom"}) {
        SCOPED_TRACE(align);
        Capture dc;
        ASSERT_TRUE(PlayEmf(
            Load(kData / "records" / (std::string("text_on_y_up_mapping_") + align + ".emf")), dc,
            TRect{0, 0, 1024, 768}));
        ASSERT_GT(dc.ascent, 1);
        ASSERT_GT(dc.descent, 0.5);
        EXPECT_GT(dc.downY, 0);  // the glyphs' feet point down the device
        const double expected = std::string(align) == "top"        ? dc.referenceY + dc.ascent
                                : std::string(align) == "baseline" ? dc.referenceY
                                                                   : dc.referenceY - dc.descent;
        EXPECT_NEAR(dc.originY, expected, 0.01);
    }
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// Pictures other programs wrote (QUILLON_EMF_CORPUS, or the shared corpus when it is there):
// none is refused, and each has a size to be drawn at.
TEST(EmfCorpus, NoPictureIsRefused) {
    const char* env = std::getenv("QUILLON_EMF_CORPUS");
    const fs::path dir = env && *env ? fs::path(env) : fs::path("/work/shared/emf-corpus");
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) GTEST_SKIP() << dir << " is not there";
    const std::vector<fs::path> files = Files(dir);
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::vector<std::uint8_t> bytes = Load(file);
        const Result<EmfParseStats> parsed = ParseEmf(bytes);
        EXPECT_TRUE(parsed) << parsed.reason();
        const Result<EmfPageInfo> size = EmfPageSize(bytes);
        ASSERT_TRUE(size) << size.reason();
        EXPECT_GT(size->widthPixels, 0);
        EXPECT_GT(size->heightPixels, 0);
    }
}

}  // namespace
}  // namespace quillon
