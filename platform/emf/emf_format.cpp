#include "platform/emf/emf_format.h"

#include "platform/sys/byte_reader.h"
#include "platform/sys/rounding.h"

namespace quillon {

namespace {

TRect RectAt(const ByteReader& r, std::uint64_t offset, const char* field) {
    return TRect{r.I32(offset, field), r.I32(offset + 4, field), r.I32(offset + 8, field),
                 r.I32(offset + 12, field)};
}

constexpr std::uint32_t kCommentType = 70;

}  // namespace

TRect EmfHeaderInfo::FramePixels() const {
    // Micrometres are exact where millimetres are rounded (a 1024-pixel screen at 96 pixels
    // per inch is 270.93 mm), so prefer them.
    double umX =
        deviceSizeMicrometers ? deviceSizeMicrometers->cx : deviceSizeMillimeters.cx * 1000.0;
    double umY =
        deviceSizeMicrometers ? deviceSizeMicrometers->cy : deviceSizeMillimeters.cy * 1000.0;
    if (umX <= 0 || umY <= 0) return TRect{};
    const double sx = deviceSizePixels.cx * 10.0 / umX;  // pixels per 0.01 mm
    const double sy = deviceSizePixels.cy * 10.0 / umY;
    return TRect{RoundToInt(frame.Left * sx), RoundToInt(frame.Top * sy),
                 RoundToInt(frame.Right * sx), RoundToInt(frame.Bottom * sy)};
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
    if (whole.Has(100, 8)) {
        TSize um{whole.I32(100, "szlMicrometers"), whole.I32(104, "szlMicrometers")};
        if (um.cx > 0 && um.cy > 0) h.deviceSizeMicrometers = um;
    }
    // The page comment, if the next record is one.
    const std::size_t pos = h.headerSize;
    if (h.totalBytes - pos >= 12) {
        const ByteReader next(data.subspan(pos, h.totalBytes - pos));
        const std::uint32_t type = next.U32(0, "iType");
        const std::uint32_t size = next.U32(4, "nSize");
        if (type == kCommentType && size >= 12 && size <= next.Size()) {
            const std::uint32_t cbData = next.U32(8, "cbData");
            if (cbData <= size - 12) h.page = DecodePageComment(next.Bytes(12, cbData, "Data"));
        }
    }
    return h;
}

std::string EncodePageComment(const EmfPageInfo& page) {
    std::string s;
    auto put = [&s](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    put(kPageCommentTag);
    put(kPageCommentVersion);
    put(static_cast<std::uint32_t>(page.widthPixels));
    put(static_cast<std::uint32_t>(page.heightPixels));
    put(static_cast<std::uint32_t>(page.pixelsPerInchX));
    put(static_cast<std::uint32_t>(page.pixelsPerInchY));
    return s;
}

std::optional<EmfPageInfo> DecodePageComment(std::span<const std::uint8_t> d) {
    if (d.size() < kPageCommentDataSize) return std::nullopt;
    const ByteReader r(d);
    if (r.U32(0, "tag") != kPageCommentTag || r.U32(4, "version") != kPageCommentVersion)
        return std::nullopt;
    EmfPageInfo page{r.I32(8, "width"), r.I32(12, "height"), r.I32(16, "ppiX"),
                     r.I32(20, "ppiY")};
    if (page.widthPixels <= 0 || page.heightPixels <= 0 || page.pixelsPerInchX <= 0 ||
        page.pixelsPerInchY <= 0) {
        return std::nullopt;
    }
    return page;
}

// A metafile picture is a graphics type, but reading one needs the format's header.
bool TMetafile::LoadFromBytes(std::span<const std::uint8_t> data, std::string* error) {
    Result<EmfHeaderInfo> header = ReadEmfHeader(data);
    if (!header) {
        if (error) *error = header.reason();
        return false;
    }
    const TRect frame = header->FramePixels();
    data_.assign(data.begin(), data.begin() + header->totalBytes);
    width_ = ClampToInt(std::int64_t{frame.Right} - frame.Left + 1);
    height_ = ClampToInt(std::int64_t{frame.Bottom} - frame.Top + 1);
    Changed();
    return true;
}

}  // namespace quillon
