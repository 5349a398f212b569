#pragma once
// The enhanced-metafile file format as page files use it: header validation and the
// private comment that carries a page's size and resolution.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/gdi/graphics.h"
#include "platform/sys/result.h"

namespace quillon {

inline constexpr std::uint32_t kEmfHeaderType = 1;
inline constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
inline constexpr std::uint32_t kEmfVersion = 0x00010000;
inline constexpr std::uint32_t kEmfMinHeaderSize = 88;

// What the page file knows about its printed page: written by the recorder in a comment
// record right after the header, ignored by other readers.
struct EmfPageInfo {
    int widthPixels = 0;  // printable area of the printer page
    int heightPixels = 0;
    int pixelsPerInchX = 0;  // the printer's resolution
    int pixelsPerInchY = 0;
    bool operator==(const EmfPageInfo&) const = default;
};

// Tag at the start of the page comment's data.
inline constexpr std::uint32_t kPageCommentTag = 0x47504C51;  // "QLPG"
inline constexpr std::uint32_t kPageCommentVersion = 1;
inline constexpr std::size_t kPageCommentDataSize = 24;

struct EmfHeaderInfo {
    TRect bounds;  // header bounds, device pixels, inclusive on all sides as stored
    TRect frame;   // picture frame, 0.01 mm, inclusive as stored
    TSize deviceSizePixels;
    TSize deviceSizeMillimeters;
    std::optional<TSize> deviceSizeMicrometers;
    std::uint32_t headerSize = 0;
    std::uint32_t totalBytes = 0;  // nBytes (never more than the buffer)
    std::uint32_t recordCount = 0;
    std::uint32_t handleCount = 0;
    std::optional<EmfPageInfo> page;  // from the page comment when present

    // The frame converted to reference-device pixels (left, top, right, bottom as stored,
    // i.e. inclusive), each edge rounded to the nearest pixel.
    TRect FramePixels() const;
};

// Validates the header (type, size, signature, version, byte count, device sizes) and reads
// the page comment if the record after the header is one.
Result<EmfHeaderInfo> ReadEmfHeader(std::span<const std::uint8_t> data);

// The comment data (kPageCommentDataSize bytes) and its decoding.
std::string EncodePageComment(const EmfPageInfo& page);
std::optional<EmfPageInfo> DecodePageComment(std::span<const std::uint8_t> commentData);

}  // namespace quillon
