// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/emf/emf_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "platform/gdi/screen.h"
#include "platform/sys/byte_reader.h"
#include "platform/sys/rounding.h"

namespace quillon {

namespace {

TRect RectAt(const ByteReader& r, std::uint64_t offset, const char* field) {
    return TRect{r.I32(offset, field), r.I32(offset + 4, field), r.I32(offset + 8, field),
                 r.I32(offset + 12, field)};
}

constexpr std::uint32_t kCommentType = 70;

// The reference device's size in micrometres, by which the frame becomes pixels. Our recorder
// measures its frame in micrometres, which are exact where millimetres are rounded (a
// 1024-pixel screen at 96 pixels per inch is 270.93 mm). A picture made elsewhere had its
// frame measured in whole millimetres, as the readers take it: far from the origin the
// difference is pixels (4233 mm out, 0.02 % moves a picture 3 pixels).
std::pair<double, double> DeviceMicrometres(const EmfHeaderInfo& h) {
    if (h.page && h.deviceSizeMicrometers)
        return {h.deviceSizeMicrometers->cx, h.deviceSizeMicrometers->cy};
    return {h.deviceSizeMillimeters.cx * 1000.0, h.deviceSizeMillimeters.cy * 1000.0};
}

}  // namespace

TRect EmfHeaderInfo::FramePixels() const {
    const auto [umX, umY] = DeviceMicrometres(*this);
    if (umX <= 0 || umY <= 0) return TRect{};
    const double sx = deviceSizePixels.cx * 10.0 / umX;  // pixels per 0.01 mm
    const double sy = deviceSizePixels.cy * 10.0 / umY;
    return TRect{RoundToInt(frame.Left * sx), RoundToInt(frame.Top * sy),
                 RoundToInt(frame.Right * sx), RoundToInt(frame.Bottom * sy)};
}

bool EmfHeaderInfo::IsDescribedPage() const {
    if (!page || !pageReference) return false;
    // The frame is the page's pixels 0 .. size - 1; a pixel either way is rounding.
    const TRect f = FramePixels();
    auto near = [](int value, int expected) {
        return std::abs(std::int64_t{value} - expected) <= 1;
    };
    return near(f.Left, 0) && near(f.Top, 0) && near(f.Right, page->widthPixels - 1) &&
           near(f.Bottom, page->heightPixels - 1);
}

TRect EmfHeaderInfo::PlaybackFrame() const {
    if (IsDescribedPage())
        return TRect{0, 0, pageReference->widthPixels - 1, pageReference->heightPixels - 1};
    return FramePixels();
}

TRect EmfHeaderInfo::PictureFrame() const {
    const auto empty = [](const TRect& r) { return r.Right < r.Left || r.Bottom < r.Top; };
    TRect frame = PlaybackFrame();
    if (empty(frame)) frame = bounds;
    if (empty(frame)) frame = TRect{0, 0, deviceSizePixels.cx - 1, deviceSizePixels.cy - 1};
    return frame;
}

TSize EmfHeaderInfo::PictureFrameSize() const {
    const TRect f = PictureFrame();
    const auto side = [](std::int64_t from, std::int64_t to) {
        return static_cast<int>(std::clamp<std::int64_t>(to - from + 1, 1, INT32_MAX));
    };
    return TSize{side(f.Left, f.Right), side(f.Top, f.Bottom)};
}

TSize EmfHeaderInfo::PictureSizeOnScreen(int screenPixelsPerInch) const {
    if (IsDescribedPage()) return TSize{pageReference->widthPixels, pageReference->heightPixels};
    // The frame in reference pixels, taken from the reference's resolution to the screen's
    // (a picture recorded on a 96 ppi screen keeps its pixels).
    const double ppi = screenPixelsPerInch > 0 ? screenPixelsPerInch : 96;
    // The frame's pixels at the reference's exact size, where the file gives it.
    const double umX =
        deviceSizeMicrometers ? deviceSizeMicrometers->cx : deviceSizeMillimeters.cx * 1000.0;
    const double umY =
        deviceSizeMicrometers ? deviceSizeMicrometers->cy : deviceSizeMillimeters.cy * 1000.0;
    const TRect f = FramePixels();
    const double w = (static_cast<double>(f.Right) - f.Left + 1) * umX / deviceSizePixels.cx;
    const double h = (static_cast<double>(f.Bottom) - f.Top + 1) * umY / deviceSizePixels.cy;
    return TSize{RoundToInt(w * ppi / 25400.0), RoundToInt(h * ppi / 25400.0)};
}

Result<EmfHeaderInfo> ReadEmfHeader(std::span<const std::uint8_t> data) {
    if (data.size() < kEmfMinHeaderSize) return Error{"file is too short for a metafile header"};
    // Every field read below lies inside the minimum header, which is present.
    const ByteReader r(data.first(kEmfMinHeaderSize));
    EmfHeaderInfo h;
    if (r.U32(0, "iType") != kEmfHeaderType) return Error{"first record is not a metafile header"};
    h.headerSize = r.U32(4, "nSize");
    if (h.headerSize < kEmfMinHeaderSize || h.headerSize % 4 != 0 || h.headerSize > data.size())
        return Error{"metafile header size is invalid"};
    if (r.U32(40, "dSignature") != kEmfSignature) return Error{"metafile signature is missing"};
    if (r.U32(44, "nVersion") != kEmfVersion) return Error{"unsupported metafile version"};
    h.totalBytes = r.U32(48, "nBytes");
    if (h.totalBytes < h.headerSize) return Error{"metafile byte count is smaller than its header"};
    if (h.totalBytes > data.size()) return Error{"metafile is truncated"};
    h.bounds = RectAt(r, 8, "rclBounds");
    h.frame = RectAt(r, 24, "rclFrame");
    h.recordCount = r.U32(52, "nRecords");
    h.handleCount = r.U32(56, "nHandles") & 0xFFFF;
    h.deviceSizePixels = TSize{r.I32(72, "szlDevice"), r.I32(76, "szlDevice")};
    h.deviceSizeMillimeters = TSize{r.I32(80, "szlMillimeters"), r.I32(84, "szlMillimeters")};
    if (h.deviceSizePixels.cx <= 0 || h.deviceSizePixels.cy <= 0 ||
        h.deviceSizeMillimeters.cx <= 0 || h.deviceSizeMillimeters.cy <= 0) {
        return Error{"metafile reference device size is invalid"};
    }
    const ByteReader whole(data.first(h.headerSize));
    // The micrometres follow the fixed header only when the description does not start there
    // (many writers put the description right after the fixed part and count it in the
    // header's size), and they must agree with the millimetres.
    const std::uint32_t descriptionChars = whole.U32(64, "nDescription");
    const std::uint32_t descriptionAt = whole.U32(68, "offDescription");
    if (whole.Has(100, 8) && (descriptionChars == 0 || descriptionAt >= 108)) {
        TSize um{whole.I32(100, "szlMicrometers"), whole.I32(104, "szlMicrometers")};
        const auto agrees = [](std::int64_t micrometres, std::int64_t millimetres) {
            return std::abs(micrometres - millimetres * 1000) <= 1000;
        };
        if (um.cx > 0 && um.cy > 0 && agrees(um.cx, h.deviceSizeMillimeters.cx) &&
            agrees(um.cy, h.deviceSizeMillimeters.cy))
            h.deviceSizeMicrometers = um;
    }
    // The page comment, if the next record is one.
    const std::size_t pos = h.headerSize;
    if (h.totalBytes - pos >= 12) {
        const ByteReader next(data.subspan(pos, h.totalBytes - pos));
        const std::uint32_t type = next.U32(0, "iType");
        const std::uint32_t size = next.U32(4, "nSize");
        if (type == kCommentType && size >= 12 && size <= next.Size()) {
            const std::uint32_t cbData = next.U32(8, "cbData");
            if (cbData <= size - 12) {
                if (const auto comment = DecodePageComment(next.Bytes(12, cbData, "Data"))) {
                    h.page = comment->page;
                    h.pageReference = comment->reference;
                }
            }
        }
    }
    return h;
}

std::string EncodePageComment(const EmfPageInfo& page,
                              const std::optional<EmfPageReference>& reference) {
    std::string s;
    auto put = [&s](int v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    };
    put(static_cast<int>(kPageCommentTag));
    put(static_cast<int>(reference ? kPageCommentVersion : kPageCommentVersion1));
    put(page.widthPixels);
    put(page.heightPixels);
    put(page.pixelsPerInchX);
    put(page.pixelsPerInchY);
    if (reference) {
        put(reference->widthPixels);
        put(reference->heightPixels);
        put(reference->pixelsPerInchX);
        put(reference->pixelsPerInchY);
    }
    return s;
}

std::optional<EmfPageComment> DecodePageComment(std::span<const std::uint8_t> d) {
    if (d.size() < kPageCommentDataSize1) return std::nullopt;
    const ByteReader r(d);
    const std::uint32_t version = r.U32(4, "version");
    if (r.U32(0, "tag") != kPageCommentTag) return std::nullopt;
    if (version != kPageCommentVersion1 && version != kPageCommentVersion) return std::nullopt;
    EmfPageComment comment;
    comment.page =
        EmfPageInfo{r.I32(8, "width"), r.I32(12, "height"), r.I32(16, "ppiX"), r.I32(20, "ppiY")};
    const EmfPageInfo& page = comment.page;
    if (page.widthPixels <= 0 || page.heightPixels <= 0 || page.pixelsPerInchX <= 0 ||
        page.pixelsPerInchY <= 0) {
        return std::nullopt;
    }
    if (version == kPageCommentVersion) {
        if (d.size() < kPageCommentDataSize) return std::nullopt;
        EmfPageReference ref{r.I32(24, "refWidth"), r.I32(28, "refHeight"), r.I32(32, "refPpiX"),
                             r.I32(36, "refPpiY")};
        if (ref.widthPixels <= 0 || ref.heightPixels <= 0 || ref.pixelsPerInchX <= 0 ||
            ref.pixelsPerInchY <= 0) {
            return std::nullopt;
        }
        comment.reference = ref;
    }
    return comment;
}

// A metafile picture is a graphics type, but reading one needs the format's header.
Result<void> TMetafile::LoadFromBytes(std::span<const std::uint8_t> data) {
    Result<EmfHeaderInfo> header = ReadEmfHeader(data);
    if (!header) return header.error();
    const TSize size = header->PictureSizeOnScreen(Screen().PixelsPerInch());
    data_.assign(data.begin(), data.begin() + header->totalBytes);
    width_ = size.cx;
    height_ = size.cy;
    Changed();
    return Ok();
}

}  // namespace quillon
