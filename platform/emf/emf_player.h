// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Playback of enhanced metafiles onto any device context, and a parse-only pass.
//
// Reading is bounds-checked: the header is validated before anything is played; every
// record's size is checked against the bytes left (and against its type's fixed part)
// before it is read; variable parts (points, text, counts, bitmaps, regions) are checked
// against the record with overflow-free arithmetic before anything is allocated; object
// indices are checked against the header's object count; an unknown record is skipped by its
// size. A malformed record ends playback with an error that names it; what came before it
// has been drawn. The loop always moves on by the record's size, which is at least 8 bytes,
// so it ends.
//
// Playback maps the picture frame onto the destination rectangle, as the format says. A page
// of the suite whose header describes the printed page (EmfHeaderInfo::IsDescribedPage) is
// mapped by the surface it was recorded against instead, so that playing it into (0, 0, screen
// width, screen height) keeps every recorded unit, as pages whose frame was that surface
// always did. It folds the file's own mapping (mapping mode, extents, origins, world
// transform) into the destination's world transform; the destination's own mapping mode stays
// in charge of its scaling. The destination's state is saved before and restored after.

#include <cstdint>
#include <span>
#include <string>

#include "platform/emf/emf_format.h"
#include "platform/gdi/device_context.h"
#include "platform/sys/result.h"

namespace quillon {

// Plays `emf` onto `dc` with the picture frame mapped onto `rect` (logical units of dc).
// An error with the reason (naming the first malformed record; the playback stops there)
// when the data is not a well-formed metafile.
Result<void> PlayEmf(std::span<const std::uint8_t> emf, DeviceContext& dc, const TRect& rect);

// As PlayEmf onto a fresh page that ends with the picture (a recorder): the destination's
// state is not saved around it, so the page recorded nests its saved states no deeper than
// the picture does and plays within the same limit.
Result<void> PlayEmfAsPage(std::span<const std::uint8_t> emf, DeviceContext& dc, const TRect& rect);

// What a parse of a whole file found.
struct EmfParseStats {
    std::uint32_t records = 0;  // records read, the end record included
    std::uint32_t skipped = 0;  // records of types that are not played
    // Bitmap records drawn without their picture: past the pixels decoded, or in a form that
    // is not decoded (counted in `skipped` too).
    std::uint32_t picturesLeftOut = 0;
    EmfHeaderInfo header;
};

// Reads and checks every record exactly as playback does (onto a context that draws
// nothing); the reason names the first malformed record.
Result<EmfParseStats> ParseEmf(std::span<const std::uint8_t> emf);

// What the commands that draw a page say about its pictures left out, e.g. "2 pictures left
// out (too large or in a form not read)"; empty when there are none.
std::string PicturesLeftOutNote(const EmfParseStats& stats);

// Page size the file was recorded for: from its page comment, else (a picture made
// elsewhere) the size of its picture frame (EmfHeaderInfo::PictureFrame).
Result<EmfPageInfo> EmfPageSize(std::span<const std::uint8_t> emf);

}  // namespace quillon
