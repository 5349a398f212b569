// SPDX-License-Identifier: GPL-2.0-or-later
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

// The surface a page was recorded against (the screen): the suite plays a page into the
// rectangle (0, 0, width, height) of this surface to get one recorded unit per destination unit,
// and fixed mapping modes inside the page were measured at its resolution.
struct EmfPageReference {
    int widthPixels = 0;
    int heightPixels = 0;
    int pixelsPerInchX = 0;
    int pixelsPerInchY = 0;
    bool operator==(const EmfPageReference&) const = default;
};

// Tag at the start of the page comment's data. Version 1 (24 bytes: tag, version, page) went
// with a header that described the screen; version 2 (40 bytes: the page, then the reference
// surface) goes with a header that describes the printed page.
inline constexpr std::uint32_t kPageCommentTag = 0x47504C51;  // "QLPG"
inline constexpr std::uint32_t kPageCommentVersion1 = 1;
inline constexpr std::uint32_t kPageCommentVersion = 2;
inline constexpr std::size_t kPageCommentDataSize1 = 24;
inline constexpr std::size_t kPageCommentDataSize = 40;

// The page comment's contents.
struct EmfPageComment {
    EmfPageInfo page;
    std::optional<EmfPageReference> reference;  // version 2 only
};

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
    // From a version-2 page comment.
    std::optional<EmfPageReference> pageReference;

    // The frame converted to reference-device pixels (left, top, right, bottom as stored,
    // i.e. inclusive), each edge rounded to the nearest pixel.
    TRect FramePixels() const;
    // Whether this is a page of the suite whose header describes the printed page: a version-2
    // page comment, and a frame that is that page (a program that rewrote the file and changed
    // its frame made it a picture of its own, played by its frame).
    bool IsDescribedPage() const;
    // The rectangle, in the file's device units (inclusive, as FramePixels), that playback maps
    // onto the destination rectangle: for a described page the reference surface, so that
    // playing into (0, 0, reference width, reference height) keeps every recorded unit; for any
    // other file (pages recorded before the header described the page included, whose frame
    // is that surface) the picture frame. Empty (right < left) when the frame is.
    TRect PlaybackFrame() const;
    // The rectangle playback maps onto its destination: the playback frame; when that is
    // empty, the drawing's bounds; when those are empty too, the reference device's surface.
    // Never empty; wherever it lies (negative, far from the origin).
    TRect PictureFrame() const;
    // The size of the picture frame in reference pixels (at least 1 x 1, clamped).
    TSize PictureFrameSize() const;
    // The size a picture of this file has on the screen (`screenPixelsPerInch`): the picture
    // frame at its real size (its reference pixels at the reference's resolution); for a
    // described page the reference surface (the size at which it plays one unit to one unit,
    // as its older pages did).
    TSize PictureSizeOnScreen(int screenPixelsPerInch) const;
};

// Validates the header (type, size, signature, version, byte count, device sizes) and reads
// the page comment if the record after the header is one.
Result<EmfHeaderInfo> ReadEmfHeader(std::span<const std::uint8_t> data);

// The comment data (kPageCommentDataSize bytes, or kPageCommentDataSize1 without a reference)
// and its decoding (either version).
std::string EncodePageComment(const EmfPageInfo& page,
                              const std::optional<EmfPageReference>& reference = std::nullopt);
std::optional<EmfPageComment> DecodePageComment(std::span<const std::uint8_t> commentData);

}  // namespace quillon
