// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/dib.h"

#include <cstring>

#include "platform/sys/byte_reader.h"

namespace quillon {

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}

// Position and width of a channel mask, to widen its value to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::uint32_t Get(std::uint32_t px) const {
        if (mask == 0 || bits == 0) return 0;
        std::uint32_t v = (px & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        // Widen by repeating the high bits.
        std::uint32_t out = 0;
        int filled = 0;
        while (filled < 8) {
            out = (out << bits) | v;
            filled += bits;
        }
        return out >> (filled - 8);
    }
    static Channel From(std::uint32_t mask) {
        Channel c;
        c.mask = mask;
        if (mask == 0) return c;
        while (((mask >> c.shift) & 1u) == 0) ++c.shift;
        while (c.shift + c.bits < 32 && ((mask >> (c.shift + c.bits)) & 1u) != 0) ++c.bits;
        return c;
    }
};

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_BITFIELDS = 3;

}  // namespace

Result<TBitmap> DecodeDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits) {
    const ByteReader r(info);
    if (info.size() < 12) return Error{"bitmap header is truncated"};
    const std::uint32_t headerSize = r.U32(0, "biSize");
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t colorsUsed = 0;
    std::size_t paletteEntrySize = 4;
    if (headerSize == 12) {
        width = r.U16(4, "bcWidth");
        height = r.I16(6, "bcHeight");
        bitCount = r.U16(10, "bcBitCount");
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40 || headerSize > info.size()) return Error{"bitmap header is truncated"};
        width = r.I32(4, "biWidth");
        height = r.I32(8, "biHeight");
        if (r.U16(12, "biPlanes") != 1) return Error{"bitmap has more than one plane"};
        bitCount = r.U16(14, "biBitCount");
        compression = r.U32(16, "biCompression");
        colorsUsed = r.U32(32, "biClrUsed");
    }
    if (r.Failed()) return Error{std::string("bitmap header field ") + r.FailedField() + " is missing"};
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0) return Error{"bitmap has no pixels"};
    if (width > 1'000'000 || height > 1'000'000 || width * height > TBitmap::kMaxBitmapPixels) {
        return Error{"bitmap is too large"};
    }

    // Colour table or bit-field masks follow the header.
    std::size_t pos = headerSize;
    std::vector<std::uint32_t> palette;
    Channel red, green, blue;
    if (bitCount <= 8) {
        if (bitCount != 1 && bitCount != 4 && bitCount != 8)
            return Error{"unsupported bit depth"};
        if (compression != BI_RGB) return Error{"compressed bitmaps are not supported"};
        const std::uint32_t maxColors = 1u << bitCount;
        std::uint32_t n = (colorsUsed == 0 || colorsUsed > maxColors) ? maxColors : colorsUsed;
        // A table shorter than it should be is tolerated as long as what is read is present.
        std::size_t available = (info.size() - pos) / paletteEntrySize;
        if (available < n) n = static_cast<std::uint32_t>(available);
        if (n == 0) return Error{"bitmap colour table is missing"};
        palette.resize(maxColors, 0xFF000000u);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint8_t* e = info.data() + pos + i * paletteEntrySize;
            palette[i] =
                0xFF000000u | (std::uint32_t{e[2]} << 16) | (std::uint32_t{e[1]} << 8) | e[0];
        }
    } else if (bitCount == 16 || bitCount == 32) {
        if (compression == BI_BITFIELDS) {
            // Masks sit inside a V4/V5 header or right after a 40-byte one.
            std::size_t maskPos = headerSize >= 52 ? 40 : headerSize;
            if (maskPos > info.size() || info.size() - maskPos < 12)
                return Error{"bitmap masks are missing"};
            red = Channel::From(r.U32(maskPos, "red mask"));
            green = Channel::From(r.U32(maskPos + 4, "green mask"));
            blue = Channel::From(r.U32(maskPos + 8, "blue mask"));
        } else if (compression == BI_RGB) {
            if (bitCount == 16) {
                red = Channel::From(0x7C00);
                green = Channel::From(0x03E0);
                blue = Channel::From(0x001F);
            } else {
                red = Channel::From(0x00FF0000);
                green = Channel::From(0x0000FF00);
                blue = Channel::From(0x000000FF);
            }
        } else {
            return Error{"compressed bitmaps are not supported"};
        }
    } else if (bitCount == 24) {
        if (compression != BI_RGB) return Error{"compressed bitmaps are not supported"};
    } else {
        return Error{"unsupported bit depth"};
    }

    // Rows are padded to 4 bytes. All in 64 bits: width <= 1e6, bitCount <= 32.
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    const std::uint64_t needed = stride * static_cast<std::uint64_t>(height);
    if (needed > bits.size()) return Error{"bitmap pixel data is truncated"};

    TBitmap result;
    if (!result.SetSize(static_cast<int>(width), static_cast<int>(height), 0xFF000000u)) {
        return Error{"bitmap is too large"};
    }
    std::span<std::uint32_t> px = result.Pixels();
    for (std::int64_t row = 0; row < height; ++row) {
        const std::uint8_t* src = bits.data() + stride * static_cast<std::uint64_t>(row);
        const std::int64_t y = topDown ? row : height - 1 - row;
        std::uint32_t* dst = px.data() + y * width;
        for (std::int64_t x = 0; x < width; ++x) {
            std::uint32_t argb = 0xFF000000u;
            switch (bitCount) {
                case 1:
                    argb = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
                    break;
                case 4:
                    argb = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                    break;
                case 8:
                    argb = palette[src[x]];
                    break;
                case 16: {
                    std::uint32_t v = U16(src + 2 * x);
                    argb |= (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
                    break;
                }
                case 24:
                    argb |= (std::uint32_t{src[3 * x + 2]} << 16) |
                            (std::uint32_t{src[3 * x + 1]} << 8) | src[3 * x];
                    break;
                case 32: {
                    std::uint32_t v = U32(src + 4 * x);
                    argb |= (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
                    break;
                }
            }
            dst[x] = argb;
        }
    }
    return result;
}

Result<TBitmap> DecodeBmp(std::span<const std::uint8_t> file) {
    if (file.size() < 14 + 12 || file[0] != 'B' || file[1] != 'M')
        return Error{"not a BMP file"};
    const std::uint32_t offBits = ByteReader(file).U32(10, "bfOffBits");
    if (offBits < 14 + 12 || offBits > file.size())
        return Error{"BMP pixel offset is out of range"};
    return DecodeDib(file.subspan(14, offBits - 14), file.subspan(offBits));
}

std::vector<std::uint8_t> EncodeDibHeader32(int width, int height) {
    std::vector<std::uint8_t> h;
    h.reserve(40);
    Put32(h, 40);
    Put32(h, static_cast<std::uint32_t>(width));
    Put32(h, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
    Put16(h, 1);
    Put16(h, 32);
    Put32(h, BI_RGB);
    Put32(h, static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 4u);
    Put32(h, 3780);  // 96 pixels per inch in pixels per metre
    Put32(h, 3780);
    Put32(h, 0);
    Put32(h, 0);
    return h;
}

std::vector<std::uint8_t> EncodeDibBits32(const BitmapView& image) {
    std::vector<std::uint8_t> bits;
    if (image.width <= 0 || image.height <= 0) return bits;
    const std::size_t w = static_cast<std::size_t>(image.width);
    bits.resize(w * static_cast<std::size_t>(image.height) * 4);
    std::uint8_t* dst = bits.data();
    for (int row = image.height - 1; row >= 0; --row) {
        const std::uint32_t* src = image.pixels.data() + static_cast<std::size_t>(row) * w;
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t v = src[x];
            dst[0] = static_cast<std::uint8_t>(v);
            dst[1] = static_cast<std::uint8_t>(v >> 8);
            dst[2] = static_cast<std::uint8_t>(v >> 16);
            dst[3] = 0;  // alpha is not part of a 32-bit RGB DIB
            dst += 4;
        }
    }
    return bits;
}

std::vector<std::uint8_t> EncodeBmp32(const BitmapView& image) {
    std::vector<std::uint8_t> header = EncodeDibHeader32(image.width, image.height);
    std::vector<std::uint8_t> bits = EncodeDibBits32(image);
    std::vector<std::uint8_t> file;
    file.reserve(14 + header.size() + bits.size());
    file.push_back('B');
    file.push_back('M');
    Put32(file, static_cast<std::uint32_t>(14 + header.size() + bits.size()));
    Put32(file, 0);
    Put32(file, static_cast<std::uint32_t>(14 + header.size()));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), bits.begin(), bits.end());
    return file;
}

}  // namespace quillon
