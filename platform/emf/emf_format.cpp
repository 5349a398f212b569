#include "platform/emf/emf_format.h"

#include "platform/sys/rounding.h"

namespace quillon {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
std::int32_t I32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(U32(p));
}

TRect RectAt(const std::uint8_t* p) {
    return TRect{I32(p), I32(p + 4), I32(p + 8), I32(p + 12)};
}

bool Fail(std::string* error, const char* reason) {
    if (error) *error = reason;
    return false;
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

std::optional<EmfHeaderInfo> ReadEmfHeader(std::span<const std::uint8_t> data, std::string* error) {
    if (data.size() < kEmfMinHeaderSize) {
        Fail(error, "file is too short for a metafile header");
        return std::nullopt;
    }
    const std::uint8_t* p = data.data();
    EmfHeaderInfo h;
    if (U32(p) != kEmfHeaderType) {
        Fail(error, "first record is not a metafile header");
        return std::nullopt;
    }
    h.headerSize = U32(p + 4);
    if (h.headerSize < kEmfMinHeaderSize || h.headerSize % 4 != 0 || h.headerSize > data.size()) {
        Fail(error, "metafile header size is invalid");
        return std::nullopt;
    }
    if (U32(p + 40) != kEmfSignature) {
        Fail(error, "metafile signature is missing");
        return std::nullopt;
    }
    if (U32(p + 44) != kEmfVersion) {
        Fail(error, "unsupported metafile version");
        return std::nullopt;
    }
    h.totalBytes = U32(p + 48);
    if (h.totalBytes < h.headerSize) {
        Fail(error, "metafile byte count is smaller than its header");
        return std::nullopt;
    }
    if (h.totalBytes > data.size()) {
        Fail(error, "metafile is truncated");
        return std::nullopt;
    }
    h.bounds = RectAt(p + 8);
    h.frame = RectAt(p + 24);
    h.recordCount = U32(p + 52);
    h.handleCount = U32(p + 56) & 0xFFFF;
    h.deviceSizePixels = TSize{I32(p + 72), I32(p + 76)};
    h.deviceSizeMillimeters = TSize{I32(p + 80), I32(p + 84)};
    if (h.deviceSizePixels.cx <= 0 || h.deviceSizePixels.cy <= 0 ||
        h.deviceSizeMillimeters.cx <= 0 || h.deviceSizeMillimeters.cy <= 0) {
        Fail(error, "metafile reference device size is invalid");
        return std::nullopt;
    }
    if (h.headerSize >= 108) {
        TSize um{I32(p + 100), I32(p + 104)};
        if (um.cx > 0 && um.cy > 0) h.deviceSizeMicrometers = um;
    }
    // The page comment, if the next record is one.
    const std::size_t pos = h.headerSize;
    if (h.totalBytes - pos >= 12) {
        const std::uint8_t* r = p + pos;
        const std::uint32_t type = U32(r);
        const std::uint32_t size = U32(r + 4);
        if (type == kCommentType && size >= 12 && size <= h.totalBytes - pos) {
            const std::uint32_t cbData = U32(r + 8);
            if (cbData <= size - 12) {
                h.page = DecodePageComment(std::span<const std::uint8_t>(r + 12, cbData));
            }
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
    if (U32(d.data()) != kPageCommentTag || U32(d.data() + 4) != kPageCommentVersion)
        return std::nullopt;
    EmfPageInfo page{I32(d.data() + 8), I32(d.data() + 12), I32(d.data() + 16), I32(d.data() + 20)};
    if (page.widthPixels <= 0 || page.heightPixels <= 0 || page.pixelsPerInchX <= 0 ||
        page.pixelsPerInchY <= 0) {
        return std::nullopt;
    }
    return page;
}

// A metafile picture is a graphics type, but reading one needs the format's header.
bool TMetafile::LoadFromBytes(std::span<const std::uint8_t> data, std::string* error) {
    auto header = ReadEmfHeader(data, error);
    if (!header) return false;
    const TRect frame = header->FramePixels();
    data_.assign(data.begin(), data.begin() + header->totalBytes);
    width_ = ClampToInt(std::int64_t{frame.Right} - frame.Left + 1);
    height_ = ClampToInt(std::int64_t{frame.Bottom} - frame.Top + 1);
    Changed();
    return true;
}

}  // namespace quillon
