// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Device-independent bitmaps: the BITMAPINFO header and pixel rows that BMP files and
// metafile bitmap records carry. Decoding is bounds-checked throughout: every size comes
// from the data and is checked against the bytes present before anything is read or
// allocated.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi/graphics.h"
#include "platform/sys/result.h"

namespace quillon {

// Decodes a DIB: `info` starts at the BITMAPINFOHEADER (or core header) and holds the colour
// table; `bits` holds the pixel rows. Supports 1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed or with bit fields, rows bottom-up or top-down.
Result<TBitmap> DecodeDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits);

// A BMP file (file header, then a DIB).
Result<TBitmap> DecodeBmp(std::span<const std::uint8_t> file);

// A 40-byte BITMAPINFOHEADER for a 32-bit bottom-up image of the view, and its rows.
std::vector<std::uint8_t> EncodeDibHeader32(int width, int height);
std::vector<std::uint8_t> EncodeDibBits32(const BitmapView& image);
// A 32-bit BMP file of the view.
std::vector<std::uint8_t> EncodeBmp32(const BitmapView& image);

}  // namespace quillon
