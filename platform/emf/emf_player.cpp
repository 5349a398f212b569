#include "platform/emf/emf_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

extern "C" {
#include <uemf.h>
#include <uemf_safe.h>
}

#include "platform/gdi/dib.h"
#include "platform/sys/rounding.h"
#include "platform/sys/utf8.h"

namespace quillon {

namespace {

// Reads fields of one record; every access is checked against the record's size.
class RecordReader {
  public:
    RecordReader(const std::uint8_t* data, std::uint32_t size) : data_(data), size_(size) {}
    std::uint32_t Size() const { return size_; }
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    std::uint32_t U32(std::uint32_t offset) const {
        if (!Has(offset, 4)) return 0;
        const std::uint8_t* p = data_ + offset;
        return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
               (std::uint32_t{p[3]} << 24);
    }
    std::int32_t I32(std::uint32_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    std::uint16_t U16(std::uint32_t offset) const {
        if (!Has(offset, 2)) return 0;
        return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
    }
    std::uint8_t U8(std::uint32_t offset) const { return Has(offset, 1) ? data_[offset] : 0; }
    float F32(std::uint32_t offset) const {
        const std::uint32_t bits = U32(offset);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    TPoint Point(std::uint32_t offset) const { return TPoint{I32(offset), I32(offset + 4)}; }
    TPoint Point16(std::uint32_t offset) const {
        return TPoint{static_cast<std::int16_t>(U16(offset)),
                      static_cast<std::int16_t>(U16(offset + 2))};
    }
    TRect Rect(std::uint32_t offset) const {
        return TRect{I32(offset), I32(offset + 4), I32(offset + 8), I32(offset + 12)};
    }
    std::span<const std::uint8_t> Bytes(std::uint32_t offset, std::uint32_t length) const {
        if (!Has(offset, length)) return {};
        return std::span<const std::uint8_t>(data_ + offset, length);
    }
    const std::uint8_t* Data() const { return data_; }

  private:
    const std::uint8_t* data_;
    std::uint32_t size_;
};

// Minimum sizes of the fixed parts, by record type (0: no fixed part beyond type and size).
std::uint32_t MinimumSize(std::uint32_t type) {
    switch (type) {
        case U_EMR_POLYBEZIER:
        case U_EMR_POLYGON:
        case U_EMR_POLYLINE:
        case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYLINETO:
        case U_EMR_POLYBEZIER16:
        case U_EMR_POLYGON16:
        case U_EMR_POLYLINE16:
        case U_EMR_POLYBEZIERTO16:
        case U_EMR_POLYLINETO16:
            return 28;
        case U_EMR_POLYPOLYLINE:
        case U_EMR_POLYPOLYGON:
        case U_EMR_POLYPOLYLINE16:
        case U_EMR_POLYPOLYGON16:
            return 32;
        case U_EMR_SETWINDOWEXTEX:
        case U_EMR_SETWINDOWORGEX:
        case U_EMR_SETVIEWPORTEXTEX:
        case U_EMR_SETVIEWPORTORGEX:
        case U_EMR_MOVETOEX:
        case U_EMR_LINETO:
            return 16;
        case U_EMR_SETPIXELV:
            return 20;
        case U_EMR_SETMAPMODE:
        case U_EMR_SETBKMODE:
        case U_EMR_SETPOLYFILLMODE:
        case U_EMR_SETSTRETCHBLTMODE:
        case U_EMR_SETTEXTALIGN:
        case U_EMR_SETTEXTCOLOR:
        case U_EMR_SETBKCOLOR:
        case U_EMR_RESTOREDC:
        case U_EMR_SELECTOBJECT:
        case U_EMR_DELETEOBJECT:
        case U_EMR_CREATEPALETTE:
        case U_EMR_CREATECOLORSPACE:
        case U_EMR_CREATECOLORSPACEW:
            return 12;
        case U_EMR_INTERSECTCLIPRECT:
        case U_EMR_ELLIPSE:
        case U_EMR_RECTANGLE:
        case U_EMR_FILLPATH:
        case U_EMR_STROKEANDFILLPATH:
        case U_EMR_STROKEPATH:
            return 24;
        case U_EMR_SCALEVIEWPORTEXTEX:
        case U_EMR_SCALEWINDOWEXTEX:
            return 24;
        case U_EMR_SETWORLDTRANSFORM:
            return 32;
        case U_EMR_MODIFYWORLDTRANSFORM:
            return 36;
        case U_EMR_CREATEPEN:
            return 28;
        case U_EMR_CREATEBRUSHINDIRECT:
            return 24;
        case U_EMR_ROUNDRECT:
            return 32;
        case U_EMR_ARC:
        case U_EMR_CHORD:
        case U_EMR_PIE:
        case U_EMR_ARCTO:
            return 40;
        case U_EMR_COMMENT:
            return 12;
        case U_EMR_FILLRGN:
            return 32;
        case U_EMR_PAINTRGN:
            return 28;
        case U_EMR_EXTSELECTCLIPRGN:
            return 16;
        case U_EMR_BITBLT:
            return 100;
        case U_EMR_STRETCHBLT:
        case U_EMR_ALPHABLEND:
            return 108;
        case U_EMR_SETDIBITSTODEVICE:
            return 76;
        case U_EMR_STRETCHDIBITS:
            return 80;
        case U_EMR_EXTCREATEFONTINDIRECTW:
            return 104;
        case U_EMR_EXTTEXTOUTA:
        case U_EMR_EXTTEXTOUTW:
            return 60;
        case U_EMR_CREATEMONOBRUSH:
        case U_EMR_CREATEDIBPATTERNBRUSHPT:
            return 32;
        case U_EMR_EXTCREATEPEN:
            return 52;
        default:
            return 8;
    }
}

// Windows-1252 for the 0x80..0x9F range of single-byte text; the rest is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

constexpr std::uint32_t kEtoGlyphIndex = 0x0010;
constexpr std::uint32_t kEtoPdy = 0x2000;
constexpr std::uint32_t kRgnAnd = 1;
constexpr std::uint32_t kRgnCopy = 5;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;

struct Slot {
    enum class Kind : std::uint8_t { Empty, Pen, Brush, Font, Other };
    Kind kind = Kind::Empty;
    GdiObjectData desc;
    HGDIOBJ target = 0;  // created in the destination on first selection
};

class Player {
  public:
    Player(std::span<const std::uint8_t> data, DeviceContext* dc) : data_(data), dc_(dc) {}
    ~Player() { ReleaseObjects(); }

    bool Run(const TRect* dest, std::string* error, EmfParseResult* stats);

  private:
    bool Fail(const std::string& reason);
    bool Record(std::uint32_t type, const RecordReader& r);
    bool Drawing() const { return dc_ != nullptr; }

    void UpdateTransform();
    bool ReadPoints(const RecordReader& r, std::uint32_t countOffset, std::uint32_t pointsOffset,
                    bool small, std::vector<TPoint>& out);
    bool PolyPoly(const RecordReader& r, bool small, bool polygon);
    bool Text(const RecordReader& r, bool wide);
    bool Bitmap(const RecordReader& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                std::uint32_t offBits, std::uint32_t cbBits, TBitmap& out, bool* topDown);
    bool Blt(std::uint32_t type, const RecordReader& r);
    bool RegionRects(const RecordReader& r, std::uint32_t offset, std::uint32_t size,
                     std::vector<TRect>& out);
    bool CheckIndex(std::uint32_t index);
    bool Create(std::uint32_t index, Slot::Kind kind, GdiObjectData desc);
    bool Select(std::uint32_t index);
    bool Delete(std::uint32_t index);
    void ReleaseObjects();
    std::optional<TRect> DeviceRectFromFile(const TRect& fileDeviceRect) const;

    std::span<const std::uint8_t> data_;
    DeviceContext* dc_;
    std::string error_;
    std::uint32_t recordIndex_ = 0;
    std::uint32_t recordType_ = 0;
    std::uint32_t skipped_ = 0;
    std::vector<Slot> slots_;
    DeviceCaps reference_;
    MappingState mapping_;
    std::vector<MappingState> savedMappings_;
    XForm frameToDest_;
    XForm targetWorld_;     // destination's world transform at the start
    XForm targetToDevice_;  // destination's logical-to-device transform at the start
    std::optional<TRect> startClip_;
};

bool Player::Fail(const std::string& reason) {
    error_ = "malformed record " + std::to_string(recordIndex_) + " (type " +
             std::to_string(recordType_) + "): " + reason;
    return false;
}

bool Player::Run(const TRect* dest, std::string* error, EmfParseResult* stats) {
    std::string headerError;
    std::optional<EmfHeaderInfo> header = ReadEmfHeader(data_, &headerError);
    if (!header) {
        if (error) *error = headerError;
        if (stats) stats->error = headerError;
        return false;
    }
    if (stats) stats->header = header;
    slots_.resize(std::max<std::uint32_t>(header->handleCount, 1));
    reference_.widthPixels = header->deviceSizePixels.cx;
    reference_.heightPixels = header->deviceSizePixels.cy;
    reference_.logPixelsX = std::max(
        1, RoundToInt(header->deviceSizePixels.cx * 25.4 / header->deviceSizeMillimeters.cx));
    reference_.logPixelsY = std::max(
        1, RoundToInt(header->deviceSizePixels.cy * 25.4 / header->deviceSizeMillimeters.cy));

    // The picture frame (or, without a usable one, the drawing's bounds) is what gets mapped.
    TRect frame = header->FramePixels();
    if (frame.Right < frame.Left || frame.Bottom < frame.Top) frame = header->bounds;
    const double frameW = static_cast<double>(frame.Right) - frame.Left + 1;
    const double frameH = static_cast<double>(frame.Bottom) - frame.Top + 1;
    if (frameW <= 0 || frameH <= 0) {
        const std::string reason = "metafile has no picture frame";
        if (error) *error = reason;
        if (stats) stats->error = reason;
        return false;
    }
    int savedLevel = 0;
    // A destination without area gets nothing drawn; the file is still checked through.
    if (Drawing() && (dest->Right == dest->Left || dest->Bottom == dest->Top)) dc_ = nullptr;
    if (Drawing()) {
        const double sx = (static_cast<double>(dest->Right) - dest->Left) / frameW;
        const double sy = (static_cast<double>(dest->Bottom) - dest->Top) / frameH;
        frameToDest_ =
            XForm{sx, 0, 0, sy, dest->Left - frame.Left * sx, dest->Top - frame.Top * sy};
        savedLevel = dc_->SaveDC();
        targetWorld_ = dc_->GetWorldTransform();
        targetToDevice_ = dc_->LogicalToDevice();
        startClip_ = dc_->ClipRect();
        UpdateTransform();
    }

    const std::uint8_t* base = data_.data();
    const std::size_t end = header->totalBytes;
    std::size_t pos = 0;
    bool ok = true;
    bool sawEof = false;
    while (ok && pos < end) {
        ++recordIndex_;
        if (end - pos < 8) {
            recordType_ = 0;
            ok = Fail("record header is cut off");
            break;
        }
        RecordReader head(base + pos, 8);
        recordType_ = head.U32(0);
        const std::uint32_t size = head.U32(4);
        if (size < 8 || size % 4 != 0) {
            ok = Fail("record size " + std::to_string(size) + " is invalid");
            break;
        }
        if (size > end - pos) {
            ok = Fail("record extends beyond the end of the file");
            break;
        }
        if (size < MinimumSize(recordType_)) {
            ok = Fail("record is too short for its type");
            break;
        }
        const RecordReader r(base + pos, size);
        if (recordIndex_ == 1) {
            // The header, already validated.
        } else if (recordType_ >= U_EMR_MIN && recordType_ <= U_EMR_MAX &&
                   recordType_ != U_EMR_HEADER &&
                   U_emf_record_safe(reinterpret_cast<const char*>(base + pos)) == 0) {
            ok = Fail("record contents are inconsistent");
            break;
        } else if (recordType_ == U_EMR_EOF) {
            sawEof = true;
            pos += size;
            break;
        } else {
            ok = Record(recordType_, r);
        }
        pos += size;
    }
    if (ok && !sawEof) {
        ++recordIndex_;
        recordType_ = 0;
        ok = Fail("the end-of-file record is missing");
    }
    if (Drawing()) dc_->RestoreDC(savedLevel);
    if (stats) {
        stats->records = recordIndex_;
        stats->skipped = skipped_;
        stats->error = ok ? std::string() : error_;
    }
    if (!ok && error) *error = error_;
    return ok;
}

void Player::UpdateTransform() {
    if (!Drawing()) return;
    const XForm combined = mapping_.LogicalToDevice().Then(frameToDest_).Then(targetWorld_);
    if (combined == dc_->GetWorldTransform()) return;
    dc_->SetWorldTransform(combined);
}

std::optional<TRect> Player::DeviceRectFromFile(const TRect& r) const {
    // File device pixels -> destination logical -> destination device.
    const XForm m = frameToDest_.Then(targetToDevice_);
    const double x1 = m.MapX(r.Left, r.Top), y1 = m.MapY(r.Left, r.Top);
    const double x2 = m.MapX(r.Right, r.Bottom), y2 = m.MapY(r.Right, r.Bottom);
    TRect d{RoundToInt(std::min(x1, x2)), RoundToInt(std::min(y1, y2)),
            RoundToInt(std::max(x1, x2)), RoundToInt(std::max(y1, y2))};
    if (startClip_) d = IntersectRect(d, *startClip_);
    return d;
}

bool Player::CheckIndex(std::uint32_t index) {
    if (index == 0 || index >= slots_.size()) {
        return Fail("object index " + std::to_string(index) + " is outside the object table");
    }
    return true;
}

bool Player::Create(std::uint32_t index, Slot::Kind kind, GdiObjectData desc) {
    if (!CheckIndex(index)) return false;
    Slot& s = slots_[index];
    if (s.target) DeleteObject(s.target);
    s = Slot{kind, std::move(desc), 0};
    return true;
}

bool Player::Select(std::uint32_t index) {
    if ((index & kStockObjectFlag) != 0) {
        const HGDIOBJ stock = GetStockObject(static_cast<int>(index & 0xFF));
        if ((index & ~kStockObjectFlag) > 0xFF)
            return Fail("stock object " + std::to_string(index & 0xFFFF) + " is unknown");
        if (stock && Drawing()) dc_->SelectObject(stock);
        return true;
    }
    if (!CheckIndex(index)) return false;
    Slot& s = slots_[index];
    switch (s.kind) {
        case Slot::Kind::Empty:
            return Fail("object " + std::to_string(index) + " is selected but was never created");
        case Slot::Kind::Other:
            return true;
        case Slot::Kind::Pen:
        case Slot::Kind::Brush:
        case Slot::Kind::Font:
            break;
    }
    if (!Drawing()) return true;
    if (!s.target) {
        if (auto* pen = std::get_if<LogPen>(&s.desc))
            s.target = CreatePenIndirect(*pen);
        else if (auto* brush = std::get_if<LogBrush>(&s.desc))
            s.target = CreateBrushIndirect(*brush);
        else if (auto* font = std::get_if<LogFont>(&s.desc))
            s.target = CreateFontIndirect(*font);
    }
    dc_->SelectObject(s.target);
    return true;
}

bool Player::Delete(std::uint32_t index) {
    if ((index & kStockObjectFlag) != 0) return true;  // stock objects are never deleted
    if (!CheckIndex(index)) return false;
    Slot& s = slots_[index];
    // The destination keeps its copy of a selected object's description.
    if (s.target) DeleteObject(s.target);
    s = Slot{};
    return true;
}

void Player::ReleaseObjects() {
    for (Slot& s : slots_) {
        if (s.target) DeleteObject(s.target);
        s.target = 0;
    }
}

bool Player::ReadPoints(const RecordReader& r, std::uint32_t countOffset,
                        std::uint32_t pointsOffset, bool small, std::vector<TPoint>& out) {
    const std::uint32_t count = r.U32(countOffset);
    const std::uint64_t bytes = static_cast<std::uint64_t>(count) * (small ? 4 : 8);
    if (!r.Has(pointsOffset, bytes))
        return Fail("point count " + std::to_string(count) + " exceeds the record");
    if (!Drawing()) return true;
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        out[i] = small ? r.Point16(pointsOffset + i * 4) : r.Point(pointsOffset + i * 8);
    }
    return true;
}

bool Player::PolyPoly(const RecordReader& r, bool small, bool polygon) {
    const std::uint32_t polys = r.U32(24);
    const std::uint32_t total = r.U32(28);
    const std::uint64_t countBytes = static_cast<std::uint64_t>(polys) * 4;
    if (!r.Has(32, countBytes))
        return Fail("polygon count " + std::to_string(polys) + " exceeds the record");
    const std::uint64_t pointsOffset = 32 + countBytes;
    const std::uint64_t pointBytes = static_cast<std::uint64_t>(total) * (small ? 4 : 8);
    if (!r.Has(pointsOffset, pointBytes))
        return Fail("point count " + std::to_string(total) + " exceeds the record");
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < polys; ++i) sum += r.U32(32 + i * 4);
    if (sum != total) return Fail("polygon point counts do not add up");
    if (!Drawing()) return true;
    std::vector<int> counts(polys);
    for (std::uint32_t i = 0; i < polys; ++i) counts[i] = static_cast<int>(r.U32(32 + i * 4));
    std::vector<TPoint> points(total);
    const std::uint32_t po = static_cast<std::uint32_t>(pointsOffset);
    for (std::uint32_t i = 0; i < total; ++i)
        points[i] = small ? r.Point16(po + i * 4) : r.Point(po + i * 8);
    if (polygon)
        dc_->PolyPolygon(points, counts);
    else
        dc_->PolyPolyline(points, counts);
    return true;
}

bool Player::Text(const RecordReader& r, bool wide) {
    const TPoint reference = r.Point(36);
    const std::uint32_t chars = r.U32(44);
    const std::uint32_t offString = r.U32(48);
    const std::uint32_t options = r.U32(52);
    const bool hasRect = (options & U_ETO_NO_RECT) == 0;
    const std::uint32_t offDxField = hasRect ? 72 : 56;
    if (!r.Has(offDxField, 4)) return Fail("text record is too short for its rectangle");
    const TRect rect = hasRect ? r.Rect(56) : TRect{};
    const std::uint32_t offDx = r.U32(offDxField);
    const std::uint64_t stringBytes = static_cast<std::uint64_t>(chars) * (wide ? 2 : 1);
    if (chars > 0 && !r.Has(offString, stringBytes)) return Fail("text extends beyond its record");
    const std::uint32_t dxPerChar = (options & kEtoPdy) ? 2 : 1;
    const bool hasDx = offDx != 0 && chars > 0;
    if (hasDx && !r.Has(offDx, static_cast<std::uint64_t>(chars) * 4 * dxPerChar)) {
        return Fail("character advances extend beyond the record");
    }
    if (!Drawing() || chars == 0) return true;
    if (options & kEtoGlyphIndex) {
        ++skipped_;  // glyph numbers of a font we do not have: nothing sensible to draw
        return true;
    }
    std::u16string text(chars, u'\0');
    for (std::uint32_t i = 0; i < chars; ++i) {
        if (wide) {
            text[i] = static_cast<char16_t>(r.U16(offString + i * 2));
        } else {
            const std::uint8_t b = r.U8(offString + i);
            text[i] = (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
        }
    }
    std::vector<int> dx;
    if (hasDx) {
        dx.resize(chars);
        for (std::uint32_t i = 0; i < chars; ++i) dx[i] = r.I32(offDx + i * 4 * dxPerChar);
    }
    const std::uint32_t drawOptions = options & (ETO_OPAQUE | ETO_CLIPPED);
    dc_->ExtTextOut(reference.X, reference.Y, drawOptions, drawOptions ? &rect : nullptr, text, dx);
    return true;
}

bool Player::Bitmap(const RecordReader& r, std::uint32_t offBmi, std::uint32_t cbBmi,
                    std::uint32_t offBits, std::uint32_t cbBits, TBitmap& out, bool* topDown) {
    if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits))
        return Fail("bitmap extends beyond its record");
    const std::span<const std::uint8_t> bmi = r.Bytes(offBmi, cbBmi);
    if (!DecodeDib(bmi, r.Bytes(offBits, cbBits), out, nullptr)) return false;
    if (topDown) {
        const std::uint32_t headerSize = bmi.size() >= 4 ? RecordReader(bmi.data(), 4).U32(0) : 0;
        if (headerSize == 12)
            *topDown = false;
        else
            *topDown = RecordReader(bmi.data(), static_cast<std::uint32_t>(bmi.size())).I32(8) < 0;
    }
    return true;
}

bool Player::Blt(std::uint32_t type, const RecordReader& r) {
    TPoint dest, destSize, src, srcSize;
    std::uint32_t rop = SRCCOPY, offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
    bool dibCoordinates = false;  // source y counted from the bottom of a bottom-up image
    switch (type) {
        case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT:
        case U_EMR_ALPHABLEND:
            dest = r.Point(24);
            destSize = r.Point(32);
            rop = type == U_EMR_ALPHABLEND ? SRCCOPY : r.U32(40);
            src = r.Point(44);
            offBmi = r.U32(84);
            cbBmi = r.U32(88);
            offBits = r.U32(92);
            cbBits = r.U32(96);
            srcSize = type == U_EMR_BITBLT ? destSize : r.Point(100);
            break;
        case U_EMR_STRETCHDIBITS:
            dest = r.Point(24);
            src = r.Point(32);
            srcSize = r.Point(40);
            offBmi = r.U32(48);
            cbBmi = r.U32(52);
            offBits = r.U32(56);
            cbBits = r.U32(60);
            rop = r.U32(68);
            destSize = r.Point(72);
            dibCoordinates = true;
            break;
        case U_EMR_SETDIBITSTODEVICE:
            dest = r.Point(24);
            src = r.Point(32);
            srcSize = r.Point(40);
            destSize = srcSize;
            offBmi = r.U32(48);
            cbBmi = r.U32(52);
            offBits = r.U32(56);
            cbBits = r.U32(60);
            dibCoordinates = true;
            break;
        default:
            return true;
    }
    if (cbBmi == 0) {
        // No source: a pattern or a constant fill of the destination.
        if (!Drawing()) return true;
        const TRect rect{dest.X, dest.Y, AddClamped(dest.X, destSize.X),
                         AddClamped(dest.Y, destSize.Y)};
        if (rop == PATCOPY)
            dc_->FillRect(rect, dc_->State().brush);
        else if (rop == kBlackness)
            dc_->FillRect(rect, LogBrush{BS_SOLID, 0x000000, 0});
        else if (rop == kWhiteness)
            dc_->FillRect(rect, LogBrush{BS_SOLID, 0xFFFFFF, 0});
        else
            ++skipped_;
        return true;
    }
    if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits))
        return Fail("bitmap extends beyond its record");
    if (!Drawing()) return true;  // parse-only: sizes are checked, pixels are not decoded
    TBitmap image;
    bool topDown = true;
    if (!Bitmap(r, offBmi, cbBmi, offBits, cbBits, image, &topDown)) {
        // The record itself is sound (sizes were checked above); its image is in a form we do
        // not decode (compressed, unusual depth): leave it out, as the parse pass does.
        error_.clear();
        ++skipped_;
        return true;
    }
    int srcTop = src.Y;
    if (dibCoordinates && !topDown)
        srcTop = ClampToInt(std::int64_t{image.Height()} - src.Y - srcSize.Y);
    dc_->StretchDIBits(dest.X, dest.Y, destSize.X, destSize.Y, src.X, srcTop, srcSize.X, srcSize.Y,
                       image.View(), rop);
    return true;
}

bool Player::RegionRects(const RecordReader& r, std::uint32_t offset, std::uint32_t size,
                         std::vector<TRect>& out) {
    if (!r.Has(offset, size)) return Fail("region extends beyond its record");
    if (size < 32) return Fail("region header is cut off");
    const std::uint32_t count = r.U32(offset + 8);
    if (static_cast<std::uint64_t>(count) * 16 > size - 32) {
        return Fail("region rectangle count " + std::to_string(count) + " exceeds the region");
    }
    out.clear();
    if (!Drawing()) return true;
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) out.push_back(r.Rect(offset + 32 + i * 16));
    return true;
}

bool Player::Record(std::uint32_t type, const RecordReader& r) {
    DeviceContext* dc = dc_;
    switch (type) {
        case U_EMR_SETWINDOWEXTEX:
            if (mapping_.SetWindowExt(TSize{r.I32(8), r.I32(12)})) UpdateTransform();
            return true;
        case U_EMR_SETVIEWPORTEXTEX:
            if (mapping_.SetViewportExt(TSize{r.I32(8), r.I32(12)})) UpdateTransform();
            return true;
        case U_EMR_SETWINDOWORGEX:
            mapping_.windowOrg = r.Point(8);
            UpdateTransform();
            return true;
        case U_EMR_SETVIEWPORTORGEX:
            mapping_.viewportOrg = r.Point(8);
            UpdateTransform();
            return true;
        case U_EMR_SETMAPMODE:
            if (mapping_.SetMode(r.I32(8), reference_)) UpdateTransform();
            return true;
        case U_EMR_SCALEWINDOWEXTEX:
            if (mapping_.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20)))
                UpdateTransform();
            return true;
        case U_EMR_SCALEVIEWPORTEXTEX:
            if (mapping_.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20)))
                UpdateTransform();
            return true;
        case U_EMR_SETWORLDTRANSFORM:
        case U_EMR_MODIFYWORLDTRANSFORM: {
            const XForm x{r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
            const bool finite = std::isfinite(x.m11) && std::isfinite(x.m12) &&
                                std::isfinite(x.m21) && std::isfinite(x.m22) &&
                                std::isfinite(x.dx) && std::isfinite(x.dy);
            if (!finite) return Fail("world transform is not finite");
            const bool changed = type == U_EMR_SETWORLDTRANSFORM
                                     ? mapping_.SetWorld(x)
                                     : mapping_.ModifyWorld(x, r.I32(32));
            if (changed) UpdateTransform();
            return true;
        }
        case U_EMR_SAVEDC:
            savedMappings_.push_back(mapping_);
            if (dc) dc->SaveDC();
            return true;
        case U_EMR_RESTOREDC: {
            // Only the file's own saves can be restored, never the destination's.
            const int level = r.I32(8);
            const int depth = static_cast<int>(savedMappings_.size());
            const int index = level > 0 ? level - 1 : depth + level;
            if (level == 0 || index < 0 || index >= depth) {
                ++skipped_;
                return true;
            }
            mapping_ = savedMappings_[static_cast<std::size_t>(index)];
            savedMappings_.resize(static_cast<std::size_t>(index));
            if (dc) dc->RestoreDC(-(depth - index));
            return true;
        }
        case U_EMR_SETBKMODE:
            if (dc) dc->SetBkMode(r.I32(8));
            return true;
        case U_EMR_SETPOLYFILLMODE:
            if (dc) dc->SetPolyFillMode(r.I32(8));
            return true;
        case U_EMR_SETSTRETCHBLTMODE:
            if (dc) dc->SetStretchBltMode(r.I32(8));
            return true;
        case U_EMR_SETTEXTALIGN:
            if (dc) dc->SetTextAlign(r.U32(8));
            return true;
        case U_EMR_SETTEXTCOLOR:
            if (dc) dc->SetTextColor(r.U32(8) & 0xFFFFFF);
            return true;
        case U_EMR_SETBKCOLOR:
            if (dc) dc->SetBkColor(r.U32(8) & 0xFFFFFF);
            return true;
        case U_EMR_INTERSECTCLIPRECT: {
            const TRect c = r.Rect(8);
            if (dc) dc->IntersectClipRect(c.Left, c.Top, c.Right, c.Bottom);
            return true;
        }
        case U_EMR_EXTSELECTCLIPRGN: {
            const std::uint32_t cb = r.U32(8);
            const std::uint32_t mode = r.U32(12);
            if (cb == 0) {
                if (mode == kRgnCopy && dc) dc->SelectClipRgn(startClip_);
                return true;
            }
            std::vector<TRect> rects;
            if (!RegionRects(r, 16, cb, rects)) return false;
            if (!dc || rects.empty()) return true;
            TRect u = rects[0];
            for (const TRect& x : rects) {
                u = TRect{std::min(u.Left, x.Left), std::min(u.Top, x.Top),
                          std::max(u.Right, x.Right), std::max(u.Bottom, x.Bottom)};
            }
            std::optional<TRect> device = DeviceRectFromFile(u);
            if (mode == kRgnAnd && dc->ClipRect()) device = IntersectRect(*device, *dc->ClipRect());
            if (mode == kRgnCopy || mode == kRgnAnd)
                dc->SelectClipRgn(device);
            else
                ++skipped_;  // unions, differences: not representable as one rectangle
            return true;
        }
        case U_EMR_SELECTOBJECT:
            return Select(r.U32(8));
        case U_EMR_DELETEOBJECT:
            return Delete(r.U32(8));
        case U_EMR_CREATEPEN:
            return Create(r.U32(8), Slot::Kind::Pen,
                          LogPen{r.U32(12) & PS_STYLE_MASK, r.I32(16), r.U32(24) & 0xFFFFFF});
        case U_EMR_EXTCREATEPEN: {
            const std::uint32_t brushStyle = r.U32(36);
            std::uint32_t style = r.U32(28) & PS_STYLE_MASK;
            if (brushStyle == BS_NULL || style > PS_INSIDEFRAME)
                style = style > PS_INSIDEFRAME ? PS_SOLID : PS_NULL;
            return Create(r.U32(8), Slot::Kind::Pen,
                          LogPen{style, r.I32(32), r.U32(40) & 0xFFFFFF});
        }
        case U_EMR_CREATEBRUSHINDIRECT: {
            std::uint32_t style = r.U32(12);
            std::int32_t hatch = r.I32(20);
            if (style != BS_SOLID && style != BS_NULL && style != BS_HATCHED) style = BS_SOLID;
            if (style == BS_HATCHED && (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS))
                hatch = HS_CROSS;
            return Create(r.U32(8), Slot::Kind::Brush,
                          LogBrush{style, r.U32(16) & 0xFFFFFF, hatch});
        }
        case U_EMR_CREATEMONOBRUSH:
        case U_EMR_CREATEDIBPATTERNBRUSHPT:
            // Pattern brushes are drawn as a mid grey: close enough for fills in other producers'
            // files.
            return Create(r.U32(8), Slot::Kind::Brush, LogBrush{BS_SOLID, 0x808080, 0});
        case U_EMR_EXTCREATEFONTINDIRECTW: {
            LogFont f;
            f.height = r.I32(12);
            f.width = r.I32(16);
            f.escapement = r.I32(20);
            f.orientation = r.I32(24);
            f.weight = r.I32(28);
            f.italic = r.U8(32) != 0;
            f.underline = r.U8(33) != 0;
            f.strikeOut = r.U8(34) != 0;
            f.charSet = r.U8(35);
            f.outPrecision = r.U8(36);
            f.clipPrecision = r.U8(37);
            f.quality = r.U8(38);
            f.pitchAndFamily = r.U8(39);
            std::u16string face;
            for (std::uint32_t i = 0; i < 32; ++i) {
                const char16_t c = static_cast<char16_t>(r.U16(40 + i * 2));
                if (c == 0) break;
                face.push_back(c);
            }
            f.faceName = CutFaceName(utf8::FromUtf16(face));
            return Create(r.U32(8), Slot::Kind::Font, std::move(f));
        }
        case U_EMR_CREATEPALETTE:
        case U_EMR_CREATECOLORSPACE:
        case U_EMR_CREATECOLORSPACEW:
            return Create(r.U32(8), Slot::Kind::Other, std::monostate{});
        case U_EMR_MOVETOEX: {
            const TPoint p = r.Point(8);
            if (dc) dc->MoveToEx(p.X, p.Y);
            return true;
        }
        case U_EMR_LINETO: {
            const TPoint p = r.Point(8);
            if (dc) dc->LineTo(p.X, p.Y);
            return true;
        }
        case U_EMR_RECTANGLE:
        case U_EMR_ELLIPSE: {
            const TRect b = r.Rect(8);
            if (!dc) return true;
            if (type == U_EMR_RECTANGLE)
                dc->Rectangle(b.Left, b.Top, b.Right, b.Bottom);
            else
                dc->Ellipse(b.Left, b.Top, b.Right, b.Bottom);
            return true;
        }
        case U_EMR_ROUNDRECT: {
            const TRect b = r.Rect(8);
            const TPoint c = r.Point(24);
            if (dc) dc->RoundRect(b.Left, b.Top, b.Right, b.Bottom, c.X, c.Y);
            return true;
        }
        case U_EMR_ARC:
        case U_EMR_ARCTO:
        case U_EMR_CHORD:
        case U_EMR_PIE: {
            if (!dc) return true;
            const ArcKind kind = type == U_EMR_ARC     ? ArcKind::Arc
                                 : type == U_EMR_ARCTO ? ArcKind::ArcTo
                                 : type == U_EMR_CHORD ? ArcKind::Chord
                                                       : ArcKind::Pie;
            dc->Arc(kind, r.Rect(8), r.Point(24), r.Point(32));
            return true;
        }
        case U_EMR_SETPIXELV: {
            const TPoint p = r.Point(8);
            if (dc) dc->SetPixel(p.X, p.Y, r.U32(16) & 0xFFFFFF);
            return true;
        }
        case U_EMR_POLYBEZIER:
        case U_EMR_POLYGON:
        case U_EMR_POLYLINE:
        case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYLINETO:
        case U_EMR_POLYBEZIER16:
        case U_EMR_POLYGON16:
        case U_EMR_POLYLINE16:
        case U_EMR_POLYBEZIERTO16:
        case U_EMR_POLYLINETO16: {
            const bool small = type >= U_EMR_POLYBEZIER16;
            std::vector<TPoint> pts;
            if (!ReadPoints(r, 24, 28, small, pts)) return false;
            if (!dc) return true;
            switch (small ? type - (U_EMR_POLYBEZIER16 - U_EMR_POLYBEZIER) : type) {
                case U_EMR_POLYBEZIER:
                    dc->PolyBezier(pts);
                    break;
                case U_EMR_POLYGON:
                    dc->Polygon(pts);
                    break;
                case U_EMR_POLYLINE:
                    dc->Polyline(pts);
                    break;
                case U_EMR_POLYBEZIERTO:
                    dc->PolyBezierTo(pts);
                    break;
                case U_EMR_POLYLINETO:
                    dc->PolylineTo(pts);
                    break;
            }
            return true;
        }
        case U_EMR_POLYPOLYLINE:
            return PolyPoly(r, false, false);
        case U_EMR_POLYPOLYGON:
            return PolyPoly(r, false, true);
        case U_EMR_POLYPOLYLINE16:
            return PolyPoly(r, true, false);
        case U_EMR_POLYPOLYGON16:
            return PolyPoly(r, true, true);
        case U_EMR_EXTTEXTOUTW:
            return Text(r, true);
        case U_EMR_EXTTEXTOUTA:
            return Text(r, false);
        case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT:
        case U_EMR_ALPHABLEND:
        case U_EMR_STRETCHDIBITS:
        case U_EMR_SETDIBITSTODEVICE:
            return Blt(type, r);
        case U_EMR_FILLRGN:
        case U_EMR_PAINTRGN: {
            const std::uint32_t cb = r.U32(24);
            const std::uint32_t offset = type == U_EMR_FILLRGN ? 32 : 28;
            LogBrush brush = dc ? dc->State().brush : LogBrush{};
            if (type == U_EMR_FILLRGN) {
                const std::uint32_t ih = r.U32(28);
                if ((ih & kStockObjectFlag) != 0) {
                    if (auto b = GetLogBrush(GetStockObject(static_cast<int>(ih & 0xFF))))
                        brush = *b;
                } else {
                    if (!CheckIndex(ih)) return false;
                    if (slots_[ih].kind != Slot::Kind::Brush)
                        return Fail("region fill names an object that is not a brush");
                    brush = std::get<LogBrush>(slots_[ih].desc);
                }
            }
            std::vector<TRect> rects;
            if (!RegionRects(r, offset, cb, rects)) return false;
            if (dc) {
                for (const TRect& x : rects) dc->FillRect(x, brush);
            }
            return true;
        }
        case U_EMR_BEGINPATH:
            if (dc) dc->BeginPath();
            return true;
        case U_EMR_ENDPATH:
            if (dc) dc->EndPath();
            return true;
        case U_EMR_CLOSEFIGURE:
            if (dc) dc->CloseFigure();
            return true;
        case U_EMR_ABORTPATH:
            if (dc) dc->AbortPath();
            return true;
        case U_EMR_FILLPATH:
            if (dc) dc->FillPath();
            return true;
        case U_EMR_STROKEPATH:
            if (dc) dc->StrokePath();
            return true;
        case U_EMR_STROKEANDFILLPATH:
            if (dc) dc->StrokeAndFillPath();
            return true;
        case U_EMR_COMMENT:
            if (r.U32(8) > r.Size() - 12) return Fail("comment data extends beyond its record");
            return true;
        case U_EMR_HEADER:
            return Fail("a second header record");
        default:
            // Records without an effect here (palettes, colour management, raster operations,
            // escapes ...) and unknown ones are skipped by their size.
            ++skipped_;
            return true;
    }
}

}  // namespace

bool PlayEmf(std::span<const std::uint8_t> emf, DeviceContext& dc, const TRect& rect,
             std::string* error) {
    // Records are read through aligned copies only when the caller's buffer is unaligned.
    std::vector<std::uint8_t> aligned;
    if (reinterpret_cast<std::uintptr_t>(emf.data()) % 4 != 0) {
        aligned.assign(emf.begin(), emf.end());
        emf = aligned;
    }
    Player player(emf, &dc);
    return player.Run(&rect, error, nullptr);
}

EmfParseResult ParseEmf(std::span<const std::uint8_t> emf) {
    std::vector<std::uint8_t> aligned;
    if (reinterpret_cast<std::uintptr_t>(emf.data()) % 4 != 0) {
        aligned.assign(emf.begin(), emf.end());
        emf = aligned;
    }
    EmfParseResult result;
    Player player(emf, nullptr);
    result.ok = player.Run(nullptr, nullptr, &result);
    return result;
}

std::optional<EmfPageInfo> EmfPageSize(std::span<const std::uint8_t> emf, std::string* error) {
    std::optional<EmfHeaderInfo> header = ReadEmfHeader(emf, error);
    if (!header) return std::nullopt;
    if (header->page) return header->page;
    if (header->bounds.Right < 0 || header->bounds.Bottom < 0) {
        if (error) *error = "metafile has no drawing bounds";
        return std::nullopt;
    }
    EmfPageInfo page;
    page.widthPixels = AddClamped(header->bounds.Right, 1);
    page.heightPixels = AddClamped(header->bounds.Bottom, 1);
    page.pixelsPerInchX = std::max(
        1, RoundToInt(header->deviceSizePixels.cx * 25.4 / header->deviceSizeMillimeters.cx));
    page.pixelsPerInchY = std::max(
        1, RoundToInt(header->deviceSizePixels.cy * 25.4 / header->deviceSizeMillimeters.cy));
    return page;
}

// Declared with the device context; defined here, where the player is.
bool DeviceContext::PlayEnhMetaFile(std::span<const std::uint8_t> emf, const TRect& rect,
                                    std::string* error) {
    return PlayEmf(emf, *this, rect, error);
}

}  // namespace quillon
