// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/emf/emf_player.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <uemf.h>
#include <uemf_safe.h>
}

#include "platform/emf/emf_plus.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/graphics_backend.h"
#include "platform/sys/byte_reader.h"
#include "platform/sys/limits.h"
#include "platform/sys/rounding.h"
#include "platform/sys/utf8.h"

namespace quillon {

namespace {

// Fields of one record, each read checked against the record's size (see ByteReader); the
// loop refuses a record whose handler read a field past its end, naming the field.
class RecordReader : public ByteReader {
  public:
    RecordReader(const std::uint8_t* data, std::uint32_t size)
        : ByteReader(std::span<const std::uint8_t>(data, size)) {}
    TPoint Point(std::uint64_t offset, const char* field) const {
        return TPoint{I32(offset, field), I32(offset + 4, field)};
    }
    TPoint Point16(std::uint64_t offset, const char* field) const {
        return TPoint{I16(offset, field), I16(offset + 2, field)};
    }
    TRect Rect(std::uint64_t offset, const char* field) const {
        return TRect{I32(offset, field), I32(offset + 4, field), I32(offset + 8, field),
                     I32(offset + 12, field)};
    }
};

// Windows-1252 for the 0x80..0x9F range of single-byte text; the rest is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char16_t FromCp1252(std::uint8_t b) {
    return (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
}

// The Symbol font's characters (0x20..0xFF) as Unicode, 0x20..0x7F then 0xA0..0xFF.
constexpr char16_t kSymbolLow[96] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0020};
constexpr char16_t kSymbolHigh[96] = {
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194,
    0x2190, 0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118,
    0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4,
    0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA, 0x0020, 0x232A, 0x222B, 0x2320,
    0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0020};

// Text in the Symbol font names its characters by their place in that font (0x20..0xFF, or
// the same in the private range 0xF020..0xF0FF): Greek letters and mathematical signs, which
// any other font draws only from their Unicode values.
void FromSymbolFont(std::u16string& text) {
    for (char16_t& c : text) {
        const char16_t code = (c >= 0xF020 && c <= 0xF0FF) ? static_cast<char16_t>(c - 0xF000) : c;
        if (code >= 0x20 && code < 0x80)
            c = kSymbolLow[code - 0x20];
        else if (code >= 0xA0 && code <= 0xFF)
            c = kSymbolHigh[code - 0xA0];
    }
}

bool IsSymbolFace(const std::string& face) {
    static constexpr char kSymbol[] = "symbol";
    return face.size() == 6 && std::equal(face.begin(), face.end(), kSymbol, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

constexpr std::uint32_t kEtoGlyphIndex = 0x0010;
constexpr std::uint32_t kEtoPdy = 0x2000;
constexpr std::uint32_t kRgnAnd = 1;
constexpr std::uint32_t kRgnCopy = 5;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;

constexpr std::uint32_t kAcSrcAlpha = 0x01;
constexpr int kMwtSet = 4;

bool TakeSourceAlpha(const ByteReader& bmi, std::span<const std::uint8_t> bits, TBitmap& image,
                     bool topDown);

// Whether a file draws with ordinary records (lines, shapes, text, bitmaps), looked at before
// it is played; a record whose size is unusable ends the look (the loop reports it).
bool HasOrdinaryDrawing(std::span<const std::uint8_t> data) {
    static constexpr std::uint32_t kDrawing[] = {U_EMR_POLYBEZIER,
                                                 U_EMR_POLYGON,
                                                 U_EMR_POLYLINE,
                                                 U_EMR_POLYBEZIERTO,
                                                 U_EMR_POLYLINETO,
                                                 U_EMR_POLYPOLYLINE,
                                                 U_EMR_POLYPOLYGON,
                                                 U_EMR_ELLIPSE,
                                                 U_EMR_RECTANGLE,
                                                 U_EMR_ROUNDRECT,
                                                 U_EMR_ARC,
                                                 U_EMR_CHORD,
                                                 U_EMR_PIE,
                                                 U_EMR_LINETO,
                                                 U_EMR_ARCTO,
                                                 U_EMR_FILLPATH,
                                                 U_EMR_STROKEANDFILLPATH,
                                                 U_EMR_STROKEPATH,
                                                 U_EMR_FILLRGN,
                                                 U_EMR_PAINTRGN,
                                                 U_EMR_BITBLT,
                                                 U_EMR_STRETCHBLT,
                                                 U_EMR_SETDIBITSTODEVICE,
                                                 U_EMR_STRETCHDIBITS,
                                                 U_EMR_EXTTEXTOUTA,
                                                 U_EMR_EXTTEXTOUTW,
                                                 U_EMR_POLYBEZIER16,
                                                 U_EMR_POLYGON16,
                                                 U_EMR_POLYLINE16,
                                                 U_EMR_POLYBEZIERTO16,
                                                 U_EMR_POLYLINETO16,
                                                 U_EMR_POLYPOLYLINE16,
                                                 U_EMR_POLYPOLYGON16,
                                                 U_EMR_SMALLTEXTOUT,
                                                 U_EMR_ALPHABLEND,
                                                 U_EMR_GRADIENTFILL};
    const ByteReader r(data);
    std::uint64_t pos = 0;
    while (r.Has(pos, 8)) {
        const std::uint32_t type = r.U32(pos, "iType");
        const std::uint32_t size = r.U32(pos + 4, "nSize");
        if (std::find(std::begin(kDrawing), std::end(kDrawing), type) != std::end(kDrawing))
            return true;
        if (size < 8 || type == U_EMR_EOF) break;
        pos += size;
    }
    return false;
}

struct Slot {
    enum class Kind : std::uint8_t { Empty, Pen, Brush, Font, Other };
    Kind kind = Kind::Empty;
    GdiObjectData desc;
    HGDIOBJ target = 0;  // created in the destination on first selection
};

// Plays one file onto a device context. The parse-only pass plays onto a private null
// context (it draws nothing), so both passes run the same code and judge a file alike.
class Player {
  public:
    Player(std::span<const std::uint8_t> data, DeviceContext* dc, bool saveAround = true)
        : data_(data), dc_(dc), saveAround_(saveAround) {}
    ~Player() { ReleaseObjects(); }

    Result<EmfParseStats> Run(const TRect* dest);

  private:
    using Handler = bool (Player::*)(std::uint32_t type, const RecordReader& r);
    // Every record the player knows: its name, the size of its fixed part (type and size
    // included) and its handler. A record type missing here is skipped by its size.
    struct Row {
        std::uint32_t type;
        const char* name;
        std::uint32_t minimumSize;
        Handler handler;
    };
    static const Row kRows[];
    static const Row* RowFor(std::uint32_t type);
    // "EMR_EXTTEXTOUTW" for a known record type, "type N" otherwise.
    static std::string RecordName(std::uint32_t type);

    bool Fail(const std::string& reason);
    bool Record(std::uint32_t type, const RecordReader& r);

    // One handler per record family.
    bool StateRecord(std::uint32_t type, const RecordReader& r);
    bool MappingRecord(std::uint32_t type, const RecordReader& r);
    bool ObjectRecord(std::uint32_t type, const RecordReader& r);
    bool DrawingRecord(std::uint32_t type, const RecordReader& r);
    bool PathRecord(std::uint32_t type, const RecordReader& r);
    bool TextRecord(std::uint32_t type, const RecordReader& r);
    bool BitmapRecord(std::uint32_t type, const RecordReader& r);
    bool ClipRecord(std::uint32_t type, const RecordReader& r);
    bool OtherRecord(std::uint32_t type, const RecordReader& r);

    void UpdateTransform();
    bool ReadPoints(const RecordReader& r, bool small, std::vector<TPoint>& out);
    bool PolyPoly(const RecordReader& r, bool small, bool polygon);
    bool RegionRects(const RecordReader& r, std::uint32_t offset, std::uint32_t size,
                     std::vector<TRect>& out);
    bool PatternBrush(std::uint32_t type, const RecordReader& r);
    bool SmallText(const RecordReader& r);
    Result<TBitmap> DecodeEmbeddedImage(const ByteReader& bmi, std::span<const std::uint8_t> bits);
    bool GradientFill(const RecordReader& r);
    bool CheckIndex(std::uint32_t index);
    bool Create(std::uint32_t index, Slot::Kind kind, GdiObjectData desc);
    bool Select(std::uint32_t index);
    bool Delete(std::uint32_t index);
    void ReleaseObjects();
    std::optional<TRect> DeviceRectFromFile(const TRect& fileDeviceRect) const;

    std::span<const std::uint8_t> data_;
    DeviceContext* dc_;
    std::unique_ptr<NullDeviceContext> null_;  // the parse-only pass's destination
    bool saveAround_ = true;                   // the destination's state is restored after
    std::unique_ptr<EmfPlusPlayer> plus_;      // the extended records, once there are some
    bool ordinaryDrawing_ = false;             // the file draws with ordinary records
    std::string error_;
    std::uint32_t recordIndex_ = 0;
    std::uint32_t recordType_ = 0;
    std::uint32_t skipped_ = 0;
    std::uint32_t picturesLeftOut_ = 0;
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

Result<EmfParseStats> Player::Run(const TRect* dest) {
    Result<EmfHeaderInfo> header = ReadEmfHeader(data_);
    if (!header) return header.error();
    EmfParseStats stats;
    stats.header = *header;
    slots_.resize(std::max<std::uint32_t>(header->handleCount, 1));
    reference_.widthPixels = header->deviceSizePixels.cx;
    reference_.heightPixels = header->deviceSizePixels.cy;
    reference_.logPixelsX = std::max(
        1, RoundToInt(header->deviceSizePixels.cx * 25.4 / header->deviceSizeMillimeters.cx));
    reference_.logPixelsY = std::max(
        1, RoundToInt(header->deviceSizePixels.cy * 25.4 / header->deviceSizeMillimeters.cy));
    if (header->IsDescribedPage()) {
        // A page of the suite: its header describes the printed page, but it was recorded
        // against the screen, whose resolution its fixed mapping modes were measured at.
        const EmfPageReference& ref = *header->pageReference;
        reference_.widthPixels = ref.widthPixels;
        reference_.heightPixels = ref.heightPixels;
        reference_.logPixelsX = ref.pixelsPerInchX;
        reference_.logPixelsY = ref.pixelsPerInchY;
    }

    // The playback frame (the picture frame, or for a page of the suite the surface it was
    // recorded against; without a usable one, the drawing's bounds) is what gets mapped.
    const TRect frame = header->PictureFrame();
    const double frameW = static_cast<double>(frame.Right) - frame.Left + 1;
    const double frameH = static_cast<double>(frame.Bottom) - frame.Top + 1;
    // Without a destination (parsing), or onto one without area, nothing is drawn: the file is
    // still played through, onto a context that draws nothing.
    TRect target = frame;
    if (dest && dest->Right != dest->Left && dest->Bottom != dest->Top) {
        target = *dest;
    } else {
        null_ = std::make_unique<NullDeviceContext>(reference_);
        dc_ = null_.get();
    }
    const double sx = (static_cast<double>(target.Right) - target.Left) / frameW;
    const double sy = (static_cast<double>(target.Bottom) - target.Top) / frameH;
    frameToDest_ = XForm{sx, 0, 0, sy, target.Left - frame.Left * sx, target.Top - frame.Top * sy};
    const int savedLevel = saveAround_ ? dc_->SaveDC() : 0;
    targetWorld_ = dc_->GetWorldTransform();
    targetToDevice_ = dc_->LogicalToDevice();
    // A picture made elsewhere is shown as the readers that scale it show it; a page of the
    // suite keeps its pixels.
    if (!header->page) {
        const XForm toDevice = frameToDest_.Then(targetToDevice_);
        const double pixel =
            std::sqrt(std::abs(toDevice.m11 * toDevice.m22 - toDevice.m12 * toDevice.m21));
        if (std::isfinite(pixel) && pixel > 0) dc_->SetThinPenPixel(pixel);
    }
    startClip_ = dc_->ClipRect();
    UpdateTransform();

    const std::uint8_t* base = data_.data();
    const std::size_t end = header->totalBytes;
    ordinaryDrawing_ = HasOrdinaryDrawing(data_.first(end));
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
        const RecordReader head(base + pos, 8);
        recordType_ = head.U32(0, "iType");
        const std::uint32_t size = head.U32(4, "nSize");
        if (size < 8 || size % 4 != 0) {
            ok = Fail("record size " + std::to_string(size) + " is invalid");
            break;
        }
        if (size > end - pos) {
            ok = Fail("record extends beyond the end of the file");
            break;
        }
        const Row* row = RowFor(recordType_);
        if (size < (row ? row->minimumSize : 8)) {
            ok = Fail(RecordName(recordType_) + " record is too short for its type");
            break;
        }
        const RecordReader r(base + pos, size);
        if (recordIndex_ == 1) {
            // The header, already validated.
        } else if (recordType_ >= U_EMR_MIN && recordType_ <= U_EMR_MAX &&
                   recordType_ != U_EMR_HEADER &&
                   // This check counts a rectangle that ETO_NO_RECT leaves out; the handler
                   // checks the record itself.
                   recordType_ != U_EMR_SMALLTEXTOUT &&
                   U_emf_record_safe(reinterpret_cast<const char*>(base + pos)) == 0) {
            ok = Fail(RecordName(recordType_) + " record contents are inconsistent");
            break;
        } else if (recordType_ == U_EMR_EOF) {
            sawEof = true;
            break;
        } else {
            ok = Record(recordType_, r);
        }
        pos += size;  // always by the record's size, at least 8 bytes: the loop ends
    }
    if (ok && !sawEof) {
        ++recordIndex_;
        recordType_ = 0;
        ok = Fail("the end-of-file record is missing");
    }
    if (saveAround_) dc_->RestoreDC(savedLevel);
    if (!ok) return Error{error_};
    stats.records = recordIndex_;
    stats.skipped = skipped_;
    stats.picturesLeftOut = picturesLeftOut_;
    return stats;
}

void Player::UpdateTransform() {
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
        if (stock) dc_->SelectObject(stock);
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

// Polyline-like records: bounds (8), count (24), points (28).
bool Player::ReadPoints(const RecordReader& r, bool small, std::vector<TPoint>& out) {
    const std::uint32_t count = r.U32(24, "cptl");
    if (!r.HasArray(28, count, small ? 4 : 8))
        return Fail("point count " + std::to_string(count) + " exceeds the record");
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        out[i] = small ? r.Point16(28 + std::uint64_t{i} * 4, "apts")
                       : r.Point(28 + std::uint64_t{i} * 8, "aptl");
    }
    return true;
}

// Poly-polyline records: bounds (8), polygon count (24), point count (28), counts (32), points.
bool Player::PolyPoly(const RecordReader& r, bool small, bool polygon) {
    const std::uint32_t polys = r.U32(24, "nPolys");
    const std::uint32_t total = r.U32(28, "cptl");
    if (!r.HasArray(32, polys, 4))
        return Fail("polygon count " + std::to_string(polys) + " exceeds the record");
    const std::uint64_t pointsOffset = 32 + std::uint64_t{polys} * 4;
    if (!r.HasArray(pointsOffset, total, small ? 4 : 8))
        return Fail("point count " + std::to_string(total) + " exceeds the record");
    std::uint64_t sum = 0;
    std::vector<int> counts(polys);
    for (std::uint32_t i = 0; i < polys; ++i) {
        const std::uint32_t n = r.U32(32 + std::uint64_t{i} * 4, "aPolyCounts");
        sum += n;
        counts[i] = static_cast<int>(std::min<std::uint32_t>(n, INT32_MAX));
    }
    if (sum != total) return Fail("polygon point counts do not add up");
    std::vector<TPoint> points(total);
    for (std::uint32_t i = 0; i < total; ++i) {
        points[i] = small ? r.Point16(pointsOffset + std::uint64_t{i} * 4, "apts")
                          : r.Point(pointsOffset + std::uint64_t{i} * 8, "aptl");
    }
    if (polygon)
        dc_->PolyPolygon(points, counts);
    else
        dc_->PolyPolyline(points, counts);
    return true;
}

// A region's data: header (32 bytes: size, type, count, bytes, bounds), then its rectangles.
bool Player::RegionRects(const RecordReader& r, std::uint32_t offset, std::uint32_t size,
                         std::vector<TRect>& out) {
    if (!r.Has(offset, size)) return Fail("region extends beyond its record");
    if (size < 32) return Fail("region header is cut off");
    const std::uint32_t count = r.U32(std::uint64_t{offset} + 8, "rdh.nCount");
    if (std::uint64_t{count} * 16 > size - 32) {
        return Fail("region rectangle count " + std::to_string(count) + " exceeds the region");
    }
    out.clear();
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        out.push_back(r.Rect(std::uint64_t{offset} + 32 + std::uint64_t{i} * 16, "Buffer"));
    return true;
}

#define QL_ROW(type, size, handler) \
    { U_EMR_##type, "EMR_" #type, size, &Player::handler }
const Player::Row Player::kRows[] = {
    QL_ROW(HEADER, 8, OtherRecord),
    QL_ROW(POLYBEZIER, 28, DrawingRecord),
    QL_ROW(POLYGON, 28, DrawingRecord),
    QL_ROW(POLYLINE, 28, DrawingRecord),
    QL_ROW(POLYBEZIERTO, 28, DrawingRecord),
    QL_ROW(POLYLINETO, 28, DrawingRecord),
    QL_ROW(POLYPOLYLINE, 32, DrawingRecord),
    QL_ROW(POLYPOLYGON, 32, DrawingRecord),
    QL_ROW(SETWINDOWEXTEX, 16, MappingRecord),
    QL_ROW(SETWINDOWORGEX, 16, MappingRecord),
    QL_ROW(SETVIEWPORTEXTEX, 16, MappingRecord),
    QL_ROW(SETVIEWPORTORGEX, 16, MappingRecord),
    QL_ROW(EOF, 8, OtherRecord),
    QL_ROW(SETPIXELV, 20, DrawingRecord),
    QL_ROW(SETMAPMODE, 12, MappingRecord),
    QL_ROW(SETBKMODE, 12, StateRecord),
    QL_ROW(SETPOLYFILLMODE, 12, StateRecord),
    QL_ROW(SETSTRETCHBLTMODE, 12, StateRecord),
    QL_ROW(SETTEXTALIGN, 12, StateRecord),
    QL_ROW(SETTEXTCOLOR, 12, StateRecord),
    QL_ROW(SETBKCOLOR, 12, StateRecord),
    QL_ROW(MOVETOEX, 16, DrawingRecord),
    QL_ROW(INTERSECTCLIPRECT, 24, ClipRecord),
    QL_ROW(SCALEVIEWPORTEXTEX, 24, MappingRecord),
    QL_ROW(SCALEWINDOWEXTEX, 24, MappingRecord),
    QL_ROW(SAVEDC, 8, StateRecord),
    QL_ROW(RESTOREDC, 12, StateRecord),
    QL_ROW(SETWORLDTRANSFORM, 32, MappingRecord),
    QL_ROW(MODIFYWORLDTRANSFORM, 36, MappingRecord),
    QL_ROW(SELECTOBJECT, 12, ObjectRecord),
    QL_ROW(CREATEPEN, 28, ObjectRecord),
    QL_ROW(CREATEBRUSHINDIRECT, 24, ObjectRecord),
    QL_ROW(DELETEOBJECT, 12, ObjectRecord),
    QL_ROW(ELLIPSE, 24, DrawingRecord),
    QL_ROW(RECTANGLE, 24, DrawingRecord),
    QL_ROW(ROUNDRECT, 32, DrawingRecord),
    QL_ROW(ARC, 40, DrawingRecord),
    QL_ROW(CHORD, 40, DrawingRecord),
    QL_ROW(PIE, 40, DrawingRecord),
    QL_ROW(CREATEPALETTE, 12, ObjectRecord),
    QL_ROW(LINETO, 16, DrawingRecord),
    QL_ROW(ARCTO, 40, DrawingRecord),
    QL_ROW(BEGINPATH, 8, PathRecord),
    QL_ROW(ENDPATH, 8, PathRecord),
    QL_ROW(CLOSEFIGURE, 8, PathRecord),
    QL_ROW(FILLPATH, 24, PathRecord),
    QL_ROW(STROKEANDFILLPATH, 24, PathRecord),
    QL_ROW(STROKEPATH, 24, PathRecord),
    QL_ROW(ABORTPATH, 8, PathRecord),
    QL_ROW(COMMENT, 12, OtherRecord),
    QL_ROW(FILLRGN, 32, DrawingRecord),
    QL_ROW(PAINTRGN, 28, DrawingRecord),
    QL_ROW(EXTSELECTCLIPRGN, 16, ClipRecord),
    QL_ROW(BITBLT, 100, BitmapRecord),
    QL_ROW(STRETCHBLT, 108, BitmapRecord),
    QL_ROW(SETDIBITSTODEVICE, 76, BitmapRecord),
    QL_ROW(STRETCHDIBITS, 80, BitmapRecord),
    QL_ROW(EXTCREATEFONTINDIRECTW, 104, ObjectRecord),
    QL_ROW(EXTTEXTOUTA, 60, TextRecord),
    QL_ROW(EXTTEXTOUTW, 60, TextRecord),
    QL_ROW(POLYBEZIER16, 28, DrawingRecord),
    QL_ROW(POLYGON16, 28, DrawingRecord),
    QL_ROW(POLYLINE16, 28, DrawingRecord),
    QL_ROW(POLYBEZIERTO16, 28, DrawingRecord),
    QL_ROW(POLYLINETO16, 28, DrawingRecord),
    QL_ROW(POLYPOLYLINE16, 32, DrawingRecord),
    QL_ROW(POLYPOLYGON16, 32, DrawingRecord),
    QL_ROW(CREATEMONOBRUSH, 32, ObjectRecord),
    QL_ROW(CREATEDIBPATTERNBRUSHPT, 32, ObjectRecord),
    QL_ROW(EXTCREATEPEN, 52, ObjectRecord),
    QL_ROW(CREATECOLORSPACE, 12, ObjectRecord),
    QL_ROW(ALPHABLEND, 108, BitmapRecord),
    QL_ROW(CREATECOLORSPACEW, 12, ObjectRecord),
    QL_ROW(SMALLTEXTOUT, 36, TextRecord),
    QL_ROW(GRADIENTFILL, 36, DrawingRecord),
};
#undef QL_ROW

const Player::Row* Player::RowFor(std::uint32_t type) {
    // Rows by type, built once from the list above.
    static const std::array<const Row*, U_EMR_MAX + 1> byType = [] {
        std::array<const Row*, U_EMR_MAX + 1> t{};
        for (const Row& row : kRows) t[row.type] = &row;
        return t;
    }();
    return type <= U_EMR_MAX ? byType[type] : nullptr;
}

std::string Player::RecordName(std::uint32_t type) {
    const Row* row = RowFor(type);
    if (row) return row->name;
    if (type >= U_EMR_MIN && type <= U_EMR_MAX) {
        const char* name = U_emr_names(type);
        if (name && std::strncmp(name, "U_", 2) == 0) return name + 2;
        if (name) return name;
    }
    return "type " + std::to_string(type);
}

bool Player::Record(std::uint32_t type, const RecordReader& r) {
    const Row* row = RowFor(type);
    if (!(this->*(row ? row->handler : &Player::OtherRecord))(type, r)) return false;
    if (r.Failed()) {
        return Fail(RecordName(type) + " field " + r.FailedField() + " lies past the record's end");
    }
    return true;
}

bool Player::StateRecord(std::uint32_t type, const RecordReader& r) {
    switch (type) {
        case U_EMR_SETBKMODE:
            dc_->SetBkMode(r.I32(8, "iMode"));
            return true;
        case U_EMR_SETPOLYFILLMODE:
            dc_->SetPolyFillMode(r.I32(8, "iMode"));
            return true;
        case U_EMR_SETSTRETCHBLTMODE:
            dc_->SetStretchBltMode(r.I32(8, "iMode"));
            return true;
        case U_EMR_SETTEXTALIGN:
            dc_->SetTextAlign(r.U32(8, "iMode"));
            return true;
        case U_EMR_SETTEXTCOLOR:
            dc_->SetTextColor(r.U32(8, "crColor") & 0xFFFFFF);
            return true;
        case U_EMR_SETBKCOLOR:
            dc_->SetBkColor(r.U32(8, "crColor") & 0xFFFFFF);
            return true;
        case U_EMR_SAVEDC:
            // Each save holds a copy of the drawing state: the depth is bounded so that a file
            // of saves alone cannot take the memory.
            if (savedMappings_.size() >= limits::kMaxSavedStates || dc_->SaveDC() == 0) {
                return Fail("saved states nest deeper than " +
                            std::to_string(limits::kMaxSavedStates));
            }
            savedMappings_.push_back(mapping_);
            return true;
        case U_EMR_RESTOREDC: {
            // Only the file's own saves can be restored, never the destination's.
            const int level = r.I32(8, "iRelative");
            const int depth = static_cast<int>(savedMappings_.size());
            const std::int64_t index =
                level > 0 ? std::int64_t{level} - 1 : std::int64_t{depth} + level;
            if (level == 0 || index < 0 || index >= depth) {
                ++skipped_;
                return true;
            }
            mapping_ = savedMappings_[static_cast<std::size_t>(index)];
            savedMappings_.resize(static_cast<std::size_t>(index));
            dc_->RestoreDC(-(depth - static_cast<int>(index)));
            return true;
        }
        default:
            return true;
    }
}

bool Player::MappingRecord(std::uint32_t type, const RecordReader& r) {
    bool changed = false;
    switch (type) {
        case U_EMR_SETWINDOWEXTEX:
            changed = mapping_.SetWindowExt(TSize{r.I32(8, "szlExtent"), r.I32(12, "szlExtent")});
            break;
        case U_EMR_SETVIEWPORTEXTEX:
            changed = mapping_.SetViewportExt(TSize{r.I32(8, "szlExtent"), r.I32(12, "szlExtent")});
            break;
        case U_EMR_SETWINDOWORGEX:
            mapping_.windowOrg = r.Point(8, "ptlOrigin");
            changed = true;
            break;
        case U_EMR_SETVIEWPORTORGEX:
            mapping_.viewportOrg = r.Point(8, "ptlOrigin");
            changed = true;
            break;
        case U_EMR_SETMAPMODE:
            changed = mapping_.SetMode(r.I32(8, "iMode"), reference_);
            break;
        case U_EMR_SCALEWINDOWEXTEX:
            changed = mapping_.ScaleWindowExt(r.I32(8, "xNum"), r.I32(12, "xDenom"),
                                              r.I32(16, "yNum"), r.I32(20, "yDenom"));
            break;
        case U_EMR_SCALEVIEWPORTEXTEX:
            changed = mapping_.ScaleViewportExt(r.I32(8, "xNum"), r.I32(12, "xDenom"),
                                                r.I32(16, "yNum"), r.I32(20, "yDenom"));
            break;
        case U_EMR_SETWORLDTRANSFORM:
        case U_EMR_MODIFYWORLDTRANSFORM: {
            const XForm x{r.F32(8, "xform"),  r.F32(12, "xform"), r.F32(16, "xform"),
                          r.F32(20, "xform"), r.F32(24, "xform"), r.F32(28, "xform")};
            const bool finite = std::isfinite(x.m11) && std::isfinite(x.m12) &&
                                std::isfinite(x.m21) && std::isfinite(x.m22) &&
                                std::isfinite(x.dx) && std::isfinite(x.dy);
            if (!finite) return Fail("world transform is not finite");
            // The record's mode 4 sets the transform, as EMR_SETWORLDTRANSFORM does.
            const int how = type == U_EMR_SETWORLDTRANSFORM ? kMwtSet : r.I32(32, "iMode");
            changed = how == kMwtSet ? mapping_.SetWorld(x) : mapping_.ModifyWorld(x, how);
            break;
        }
        default:
            break;
    }
    if (changed && !r.Failed()) UpdateTransform();
    return true;
}

bool Player::ObjectRecord(std::uint32_t type, const RecordReader& r) {
    switch (type) {
        case U_EMR_SELECTOBJECT:
            return Select(r.U32(8, "ihObject"));
        case U_EMR_DELETEOBJECT:
            return Delete(r.U32(8, "ihObject"));
        case U_EMR_CREATEPEN:
            return Create(
                r.U32(8, "ihPen"), Slot::Kind::Pen,
                LogPen{r.U32(12, "lopn.lopnStyle") & PS_STYLE_MASK, r.I32(16, "lopn.lopnWidth"),
                       r.U32(24, "lopn.lopnColor") & 0xFFFFFF});
        case U_EMR_EXTCREATEPEN: {
            const std::uint32_t brushStyle = r.U32(36, "elp.elpBrushStyle");
            std::uint32_t style = r.U32(28, "elp.elpPenStyle") & PS_STYLE_MASK;
            if (brushStyle == BS_NULL || style > PS_INSIDEFRAME)
                style = style > PS_INSIDEFRAME ? PS_SOLID : PS_NULL;
            return Create(
                r.U32(8, "ihPen"), Slot::Kind::Pen,
                LogPen{style, r.I32(32, "elp.elpWidth"), r.U32(40, "elp.elpColor") & 0xFFFFFF});
        }
        case U_EMR_CREATEBRUSHINDIRECT: {
            std::uint32_t style = r.U32(12, "lb.lbStyle");
            std::int32_t hatch = r.I32(20, "lb.lbHatch");
            if (style != BS_SOLID && style != BS_NULL && style != BS_HATCHED) style = BS_SOLID;
            if (style == BS_HATCHED && (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS))
                hatch = HS_CROSS;
            return Create(r.U32(8, "ihBrush"), Slot::Kind::Brush,
                          LogBrush{style, r.U32(16, "lb.lbColor") & 0xFFFFFF, hatch});
        }
        case U_EMR_CREATEMONOBRUSH:
        case U_EMR_CREATEDIBPATTERNBRUSHPT:
            return PatternBrush(type, r);
        case U_EMR_EXTCREATEFONTINDIRECTW: {
            LogFont f;
            f.height = r.I32(12, "lfHeight");
            f.width = r.I32(16, "lfWidth");
            f.escapement = r.I32(20, "lfEscapement");
            f.orientation = r.I32(24, "lfOrientation");
            f.weight = r.I32(28, "lfWeight");
            f.italic = r.U8(32, "lfItalic") != 0;
            f.underline = r.U8(33, "lfUnderline") != 0;
            f.strikeOut = r.U8(34, "lfStrikeOut") != 0;
            f.charSet = r.U8(35, "lfCharSet");
            f.outPrecision = r.U8(36, "lfOutPrecision");
            f.clipPrecision = r.U8(37, "lfClipPrecision");
            f.quality = r.U8(38, "lfQuality");
            f.pitchAndFamily = r.U8(39, "lfPitchAndFamily");
            std::u16string face;
            for (std::uint32_t i = 0; i < 32; ++i) {
                const char16_t c = static_cast<char16_t>(r.U16(40 + i * 2, "lfFaceName"));
                if (c == 0) break;
                face.push_back(c);
            }
            f.faceName = CutFaceName(utf8::FromUtf16(face));
            return Create(r.U32(8, "ihFont"), Slot::Kind::Font, std::move(f));
        }
        case U_EMR_CREATEPALETTE:
        case U_EMR_CREATECOLORSPACE:
        case U_EMR_CREATECOLORSPACEW:
            return Create(r.U32(8, "ihObject"), Slot::Kind::Other, std::monostate{});
        default:
            return true;
    }
}

// Pattern brushes: ihBrush (8), usage (12), bitmap info offset and size (16), bits offset and
// size (24). A monochrome brush takes the text colour for its 0 bits and the background colour
// for its 1 bits as they are when it is made; a DIB pattern keeps its own colours.
bool Player::PatternBrush(std::uint32_t type, const RecordReader& r) {
    const std::uint32_t index = r.U32(8, "ihBrush");
    const std::uint32_t offBmi = r.U32(16, "offBmi");
    const std::uint32_t cbBmi = r.U32(20, "cbBmi");
    const std::uint32_t offBits = r.U32(24, "offBits");
    const std::uint32_t cbBits = r.U32(28, "cbBits");
    if (r.Failed()) return true;  // reported by the loop, naming the field
    if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits))
        return Fail("pattern bitmap extends beyond its record");
    LogBrush brush{BS_SOLID, 0x808080, 0};
    Result<TBitmap> image =
        DecodeDib(r.Bytes(offBmi, cbBmi, "bmi"), r.Bytes(offBits, cbBits, "bits"));
    // A tile is small; a huge one is drawn by its mean colour rather than kept.
    constexpr std::int64_t kMaxTilePixels = 256 * 256;
    if (image && std::int64_t{image->Width()} * image->Height() <= kMaxTilePixels) {
        auto tile = std::make_shared<BrushPattern>();
        tile->width = image->Width();
        tile->height = image->Height();
        tile->pixels.assign(image->Pixels().begin(), image->Pixels().end());
        const ByteReader bmi(r.Bytes(offBmi, cbBmi, "bmi"));
        if (type == U_EMR_CREATEMONOBRUSH && bmi.Has(0, 4) && bmi.U32(0, "biSize") >= 40 &&
            bmi.Has(bmi.U32(0, "biSize"), 4)) {
            const std::uint32_t at = bmi.U32(0, "biSize");
            const std::uint32_t zero = 0xFF000000u | (std::uint32_t{bmi.U8(at + 2, "r")} << 16) |
                                       (std::uint32_t{bmi.U8(at + 1, "g")} << 8) | bmi.U8(at, "b");
            const TColorRef fg = dc_->State().textColor, bg = dc_->State().bkColor;
            const auto argb = [](TColorRef c) {
                return 0xFF000000u | (std::uint32_t{GetRValue(c)} << 16) |
                       (std::uint32_t{GetGValue(c)} << 8) | GetBValue(c);
            };
            for (std::uint32_t& px : tile->pixels)
                px = (px | 0xFF000000u) == zero ? argb(fg) : argb(bg);
        }
        std::uint64_t red = 0, green = 0, blue = 0;
        for (std::uint32_t& px : tile->pixels) {
            px |= 0xFF000000u;
            red += (px >> 16) & 0xFF;
            green += (px >> 8) & 0xFF;
            blue += px & 0xFF;
        }
        const std::uint64_t n = std::max<std::uint64_t>(tile->pixels.size(), 1);
        brush =
            LogBrush{BS_PATTERN,
                     RGB(static_cast<std::uint8_t>(red / n), static_cast<std::uint8_t>(green / n),
                         static_cast<std::uint8_t>(blue / n)),
                     0, std::move(tile)};
    }
    return Create(index, Slot::Kind::Brush, std::move(brush));
}

bool Player::DrawingRecord(std::uint32_t type, const RecordReader& r) {
    switch (type) {
        case U_EMR_MOVETOEX: {
            const TPoint p = r.Point(8, "ptl");
            dc_->MoveToEx(p.X, p.Y);
            return true;
        }
        case U_EMR_LINETO: {
            const TPoint p = r.Point(8, "ptl");
            dc_->LineTo(p.X, p.Y);
            return true;
        }
        case U_EMR_RECTANGLE: {
            const TRect b = r.Rect(8, "rclBox");
            dc_->Rectangle(b.Left, b.Top, b.Right, b.Bottom);
            return true;
        }
        case U_EMR_ELLIPSE: {
            const TRect b = r.Rect(8, "rclBox");
            dc_->Ellipse(b.Left, b.Top, b.Right, b.Bottom);
            return true;
        }
        case U_EMR_ROUNDRECT: {
            const TRect b = r.Rect(8, "rclBox");
            const TPoint c = r.Point(24, "szlCorner");
            dc_->RoundRect(b.Left, b.Top, b.Right, b.Bottom, c.X, c.Y);
            return true;
        }
        case U_EMR_ARC:
        case U_EMR_ARCTO:
        case U_EMR_CHORD:
        case U_EMR_PIE: {
            const ArcKind kind = type == U_EMR_ARC     ? ArcKind::Arc
                                 : type == U_EMR_ARCTO ? ArcKind::ArcTo
                                 : type == U_EMR_CHORD ? ArcKind::Chord
                                                       : ArcKind::Pie;
            dc_->Arc(kind, r.Rect(8, "rclBox"), r.Point(24, "ptlStart"), r.Point(32, "ptlEnd"));
            return true;
        }
        case U_EMR_SETPIXELV: {
            const TPoint p = r.Point(8, "ptlPixel");
            dc_->SetPixel(p.X, p.Y, r.U32(16, "crColor") & 0xFFFFFF);
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
            if (!ReadPoints(r, small, pts)) return false;
            switch (small ? type - (U_EMR_POLYBEZIER16 - U_EMR_POLYBEZIER) : type) {
                case U_EMR_POLYBEZIER:
                    dc_->PolyBezier(pts);
                    break;
                case U_EMR_POLYGON:
                    dc_->Polygon(pts);
                    break;
                case U_EMR_POLYLINE:
                    dc_->Polyline(pts);
                    break;
                case U_EMR_POLYBEZIERTO:
                    dc_->PolyBezierTo(pts);
                    break;
                case U_EMR_POLYLINETO:
                    dc_->PolylineTo(pts);
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
        case U_EMR_GRADIENTFILL:
            return GradientFill(r);
        case U_EMR_FILLRGN:
        case U_EMR_PAINTRGN: {
            const std::uint32_t cb = r.U32(24, "cbRgnData");
            const std::uint32_t offset = type == U_EMR_FILLRGN ? 32 : 28;
            LogBrush brush = dc_->State().brush;
            if (type == U_EMR_FILLRGN) {
                const std::uint32_t ih = r.U32(28, "ihBrush");
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
            for (const TRect& x : rects) dc_->FillRect(x, brush);
            return true;
        }
        default:
            return true;
    }
}

bool Player::PathRecord(std::uint32_t type, const RecordReader&) {
    switch (type) {
        case U_EMR_BEGINPATH:
            dc_->BeginPath();
            break;
        case U_EMR_ENDPATH:
            dc_->EndPath();
            break;
        case U_EMR_CLOSEFIGURE:
            dc_->CloseFigure();
            break;
        case U_EMR_ABORTPATH:
            dc_->AbortPath();
            break;
        case U_EMR_FILLPATH:
            dc_->FillPath();
            break;
        case U_EMR_STROKEPATH:
            dc_->StrokePath();
            break;
        case U_EMR_STROKEANDFILLPATH:
            dc_->StrokeAndFillPath();
            break;
        default:
            break;
    }
    return true;
}

// Text records: bounds (8), graphics mode and scales (24), then the text: reference point (36),
// character count (44), string offset (48), options (52), rectangle (56, unless ETO_NO_RECT),
// offset of the advances.
bool Player::TextRecord(std::uint32_t type, const RecordReader& r) {
    if (type == U_EMR_SMALLTEXTOUT) return SmallText(r);
    const bool wide = type == U_EMR_EXTTEXTOUTW;
    const TPoint reference = r.Point(36, "emrtext.ptlReference");
    const std::uint32_t chars = r.U32(44, "emrtext.nChars");
    const std::uint32_t offString = r.U32(48, "emrtext.offString");
    const std::uint32_t options = r.U32(52, "emrtext.fOptions");
    const bool hasRect = (options & U_ETO_NO_RECT) == 0;
    const TRect rect = hasRect ? r.Rect(56, "emrtext.rcl") : TRect{};
    const std::uint32_t offDx = r.U32(hasRect ? 72 : 56, "emrtext.offDx");
    if (r.Failed()) return true;  // reported by the loop, naming the field
    if (chars > 0 && !r.HasArray(offString, chars, wide ? 2 : 1))
        return Fail("text extends beyond its record");
    const std::uint32_t dxPerChar = (options & kEtoPdy) ? 2 : 1;
    const bool hasDx = offDx != 0 && chars > 0;
    if (hasDx && !r.HasArray(offDx, chars, 4 * dxPerChar))
        return Fail("character advances extend beyond the record");
    const std::uint32_t drawOptions = options & (ETO_OPAQUE | ETO_CLIPPED);
    if (chars == 0) {
        // No text, only the rectangle: the usual way to fill an area with the background colour.
        if ((options & ETO_OPAQUE) && hasRect)
            dc_->ExtTextOut(reference.X, reference.Y, ETO_OPAQUE, &rect, u"", {});
        return true;
    }
    if (options & kEtoGlyphIndex) {
        ++skipped_;  // glyph numbers of a font we do not have: nothing sensible to draw
        return true;
    }
    std::u16string text(chars, u'\0');
    for (std::uint32_t i = 0; i < chars; ++i) {
        if (wide) {
            text[i] = static_cast<char16_t>(r.U16(offString + std::uint64_t{i} * 2, "string"));
        } else {
            text[i] = FromCp1252(r.U8(offString + std::uint64_t{i}, "string"));
        }
    }
    if (IsSymbolFace(dc_->State().font.faceName)) FromSymbolFont(text);
    std::vector<int> dx;
    if (hasDx) {
        dx.resize(chars);
        for (std::uint32_t i = 0; i < chars; ++i)
            dx[i] = r.I32(offDx + std::uint64_t{i} * 4 * dxPerChar, "dx");
    }
    dc_->ExtTextOut(reference.X, reference.Y, drawOptions, drawOptions ? &rect : nullptr, text, dx);
    return true;
}

// EMR_SMALLTEXTOUT: reference point (8), character count (16), options (20), graphics mode and
// scales (24), the rectangle (36, unless ETO_NO_RECT), then the characters: bytes with
// ETO_SMALL_CHARS, else UTF-16. No advances: the font's own.
bool Player::SmallText(const RecordReader& r) {
    const TPoint reference = r.Point(8, "ptlReference");
    const std::uint32_t chars = r.U32(16, "cChars");
    const std::uint32_t options = r.U32(20, "fuOptions");
    const bool hasRect = (options & U_ETO_NO_RECT) == 0;
    const TRect rect = hasRect ? r.Rect(36, "rclBounds") : TRect{};
    const std::uint64_t offString = hasRect ? 52 : 36;
    if (r.Failed()) return true;  // reported by the loop, naming the field
    const bool narrow = (options & U_ETO_SMALL_CHARS) != 0;
    if (!r.HasArray(offString, chars, narrow ? 1 : 2))
        return Fail("text extends beyond its record");
    const std::uint32_t drawOptions = hasRect ? options & (ETO_OPAQUE | ETO_CLIPPED) : 0;
    if (chars == 0) {
        if (drawOptions & ETO_OPAQUE)
            dc_->ExtTextOut(reference.X, reference.Y, ETO_OPAQUE, &rect, u"", {});
        return true;
    }
    if (options & kEtoGlyphIndex) {
        ++skipped_;
        return true;
    }
    std::u16string text(chars, u'\0');
    for (std::uint32_t i = 0; i < chars; ++i) {
        if (narrow) {
            text[i] = FromCp1252(r.U8(offString + i, "Text"));
        } else {
            text[i] = static_cast<char16_t>(r.U16(offString + std::uint64_t{i} * 2, "Text"));
        }
    }
    if (IsSymbolFace(dc_->State().font.faceName)) FromSymbolFont(text);
    dc_->ExtTextOut(reference.X, reference.Y, drawOptions, drawOptions ? &rect : nullptr, text, {});
    return true;
}

// EMR_GRADIENTFILL: bounds (8), vertex count (24), item count (28), mode (32), the vertices
// (16 bytes: x, y, 16-bit red, green, blue, alpha), then the items: two vertex indices per
// rectangle, three per triangle. A rectangle becomes a one-row (or one-column) image of the
// shading, stretched over it; a triangle is filled with the mean of its corners.
bool Player::GradientFill(const RecordReader& r) {
    const std::uint32_t vertices = r.U32(24, "nVer");
    const std::uint32_t items = r.U32(28, "nTri");
    const std::uint32_t mode = r.U32(32, "ulMode");
    if (r.Failed()) return true;
    if (!r.HasArray(36, vertices, 16))
        return Fail("vertex count " + std::to_string(vertices) + " exceeds the record");
    const std::uint64_t itemsAt = 36 + std::uint64_t{vertices} * 16;
    const std::uint32_t perItem = mode == U_GRADIENT_FILL_TRIANGLE ? 12 : 8;
    if (mode > U_GRADIENT_FILL_TRIANGLE) {
        ++skipped_;
        return true;
    }
    if (!r.HasArray(itemsAt, items, perItem))
        return Fail("gradient item count " + std::to_string(items) + " exceeds the record");
    struct Vertex {
        TPoint p;
        std::uint32_t argb;
    };
    const auto vertex = [&](std::uint32_t i) {
        const std::uint64_t at = 36 + std::uint64_t{i} * 16;
        const std::uint32_t red = r.U16(at + 8, "Red") >> 8, green = r.U16(at + 10, "Green") >> 8,
                            blue = r.U16(at + 12, "Blue") >> 8;
        return Vertex{r.Point(at, "TriVertex"), 0xFF000000u | (red << 16) | (green << 8) | blue};
    };
    for (std::uint32_t k = 0; k < items; ++k) {
        const std::uint64_t at = itemsAt + std::uint64_t{k} * perItem;
        std::array<std::uint32_t, 3> index{r.U32(at, "Gradient"), r.U32(at + 4, "Gradient"),
                                           perItem == 12 ? r.U32(at + 8, "Gradient") : 0};
        for (std::uint32_t j = 0; j < perItem / 4; ++j) {
            if (index[j] >= vertices)
                return Fail("gradient names vertex " + std::to_string(index[j]) + " of " +
                            std::to_string(vertices));
        }
        const Vertex a = vertex(index[0]), b = vertex(index[1]);
        if (perItem == 12) {
            const Vertex c = vertex(index[2]);
            std::uint32_t mean = 0xFF000000u;
            for (int shift : {16, 8, 0}) {
                const std::uint32_t sum = ((a.argb >> shift) & 0xFF) + ((b.argb >> shift) & 0xFF) +
                                          ((c.argb >> shift) & 0xFF);
                mean |= (sum / 3) << shift;
            }
            const HBRUSH brush = CreateSolidBrush(RGB(static_cast<std::uint8_t>(mean >> 16),
                                                      static_cast<std::uint8_t>(mean >> 8),
                                                      static_cast<std::uint8_t>(mean)));
            const HPEN pen = CreatePen(PS_NULL, 0, 0);
            const HGDIOBJ oldBrush = dc_->SelectObject(brush);
            const HGDIOBJ oldPen = dc_->SelectObject(pen);
            const std::array<TPoint, 3> pts{a.p, b.p, c.p};
            dc_->Polygon(pts);
            dc_->SelectObject(oldBrush);
            dc_->SelectObject(oldPen);
            DeleteObject(brush);
            DeleteObject(pen);
            continue;
        }
        const bool horizontal = mode == U_GRADIENT_FILL_RECT_H;
        const std::int64_t span =
            horizontal ? std::int64_t{b.p.X} - a.p.X : std::int64_t{b.p.Y} - a.p.Y;
        const int steps = static_cast<int>(std::clamp<std::int64_t>(std::abs(span), 1, 256));
        TBitmap strip(horizontal ? steps : 1, horizontal ? 1 : steps);
        for (int i = 0; i < steps; ++i) {
            const double t = steps == 1 ? 0.0 : static_cast<double>(i) / (steps - 1);
            std::uint32_t px = 0xFF000000u;
            for (int shift : {16, 8, 0}) {
                const double from = (a.argb >> shift) & 0xFF, to = (b.argb >> shift) & 0xFF;
                px |= static_cast<std::uint32_t>(std::lround(from + (to - from) * t)) << shift;
            }
            strip.Pixels()[static_cast<std::size_t>(i)] = px;
        }
        const int w = ClampToInt(std::int64_t{b.p.X} - a.p.X),
                  h = ClampToInt(std::int64_t{b.p.Y} - a.p.Y);
        dc_->StretchDIBits(a.p.X, a.p.Y, w, h, 0, 0, strip.Width(), strip.Height(), strip.View(),
                           SRCCOPY);
    }
    return true;
}

// A bitmap record may carry a JPEG or PNG file instead of pixel rows. Its header gives the
// size; one beyond the pixel budget is refused before any decoding, and the parse-only pass
// does not decode at all.
// A JPEG or PNG file whose header is within the pixel budget.
bool EmbeddedImageWithinBudget(const ByteReader& bmi) {
    if (bmi.Size() < 40 || bmi.U32(0, "biSize") < 40) return false;
    const std::uint32_t compression = bmi.U32(16, "biCompression");
    if (compression != U_BI_JPEG && compression != U_BI_PNG) return false;
    const std::int64_t width = bmi.I32(4, "biWidth"), height = bmi.I32(8, "biHeight");
    return width > 0 && height != 0 && width * std::abs(height) <= limits::kMaxEmbeddedImagePixels;
}

Result<TBitmap> Player::DecodeEmbeddedImage(const ByteReader& bmi,
                                            std::span<const std::uint8_t> bits) {
    if (!EmbeddedImageWithinBudget(bmi)) return Error{"not an embedded image within the budget"};
    if (null_) return Error{"not drawn"};
    const std::int64_t width = bmi.I32(4, "biWidth"), height = bmi.I32(8, "biHeight");
    Result<TBitmap> image =
        GetGraphicsBackend().DecodeImageWithin(bits, limits::kMaxEmbeddedImagePixels);
    if (!image) return image;
    // The file must be the image its header announces, or the source rectangle means nothing.
    if (image->Width() != width || image->Height() != std::abs(height))
        return Error{"embedded image differs from its header"};
    return image;
}

bool Player::BitmapRecord(std::uint32_t type, const RecordReader& r) {
    TPoint dest, destSize, src, srcSize;
    std::uint32_t rop = SRCCOPY, offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, blend = 0;
    bool dibCoordinates = false;  // source y counted from the bottom of a bottom-up image
    switch (type) {
        case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT:
        case U_EMR_ALPHABLEND:
            dest = r.Point(24, "Dest");
            destSize = r.Point(32, "cDest");
            // An alpha blend has its blend function where the others have their operation.
            rop = type == U_EMR_ALPHABLEND ? SRCCOPY : r.U32(40, "dwRop");
            if (type == U_EMR_ALPHABLEND) blend = r.U32(40, "Blend");
            src = r.Point(44, "Src");
            offBmi = r.U32(84, "offBmiSrc");
            cbBmi = r.U32(88, "cbBmiSrc");
            offBits = r.U32(92, "offBitsSrc");
            cbBits = r.U32(96, "cbBitsSrc");
            srcSize = type == U_EMR_BITBLT ? destSize : r.Point(100, "cSrc");
            break;
        case U_EMR_STRETCHDIBITS:
            dest = r.Point(24, "Dest");
            src = r.Point(32, "Src");
            srcSize = r.Point(40, "cSrc");
            offBmi = r.U32(48, "offBmiSrc");
            cbBmi = r.U32(52, "cbBmiSrc");
            offBits = r.U32(56, "offBitsSrc");
            cbBits = r.U32(60, "cbBitsSrc");
            rop = r.U32(68, "dwRop");
            destSize = r.Point(72, "cDest");
            dibCoordinates = true;
            break;
        case U_EMR_SETDIBITSTODEVICE:
            dest = r.Point(24, "Dest");
            src = r.Point(32, "Src");
            srcSize = r.Point(40, "cSrc");
            destSize = srcSize;
            offBmi = r.U32(48, "offBmiSrc");
            cbBmi = r.U32(52, "cbBmiSrc");
            offBits = r.U32(56, "offBitsSrc");
            cbBits = r.U32(60, "cbBitsSrc");
            dibCoordinates = true;
            break;
        default:
            return true;
    }
    if (r.Failed()) return true;  // reported by the loop, naming the field
    if (cbBmi == 0) {
        // No source: a pattern or a constant fill of the destination.
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
    const ByteReader bmi(r.Bytes(offBmi, cbBmi, "bmiSrc"));
    Result<TBitmap> image =
        DecodeDib(bmi.Bytes(0, bmi.Size(), "bmiSrc"), r.Bytes(offBits, cbBits, "bitsSrc"));
    bool embedded = false;  // a JPEG or PNG file in place of the rows: always top row first
    if (!image) {
        Result<TBitmap> decoded = DecodeEmbeddedImage(bmi, r.Bytes(offBits, cbBits, "bitsSrc"));
        if (decoded) {
            image = std::move(decoded);
            embedded = true;
        }
    }
    if (!image) {
        // The record itself is sound (sizes were checked above); its image is in a form we do
        // not decode (compressed, unusual depth) or is past the pixels decoded: leave it out,
        // in both passes alike.
        ++skipped_;
        // The parse-only pass does not decode an image file within the budget: not left out.
        if (!null_ || !EmbeddedImageWithinBudget(bmi)) ++picturesLeftOut_;
        return true;
    }
    // A core header (12 bytes) is always bottom-up; an info header says so by its height.
    const bool topDown =
        embedded || (bmi.U32(0, "bmiHeader.biSize") != 12 && bmi.I32(8, "bmiHeader.biHeight") < 0);
    int srcTop = src.Y;
    if (dibCoordinates && !topDown)
        srcTop = ClampToInt(std::int64_t{image->Height()} - src.Y - srcSize.Y);
    const bool alpha = type == U_EMR_ALPHABLEND && !embedded &&
                       ((blend >> 24) & kAcSrcAlpha) != 0 &&
                       TakeSourceAlpha(bmi, r.Bytes(offBits, cbBits, "bitsSrc"), *image, topDown);
    BitmapView view = image->View();
    view.premultipliedAlpha = alpha;
    if (type == U_EMR_ALPHABLEND) view.opacity = static_cast<std::uint8_t>((blend >> 16) & 0xFF);
    dc_->StretchDIBits(dest.X, dest.Y, destSize.X, destSize.Y, src.X, srcTop, srcSize.X, srcSize.Y,
                       view, rop);
    return true;
}

// The decoder keeps colours only; an alpha blend of a 32-bit image takes each pixel's alpha
// from its fourth byte, its colour premultiplied by it (clamped, so that a file whose colour
// exceeds its alpha cannot brighten what lies below). False for other depths.
bool TakeSourceAlpha(const ByteReader& bmi, std::span<const std::uint8_t> bits, TBitmap& image,
                     bool topDown) {
    if (bmi.U32(0, "bmiHeader.biSize") < 40 || bmi.U16(14, "bmiHeader.biBitCount") != 32)
        return false;
    const auto width = static_cast<std::size_t>(image.Width());
    const auto height = static_cast<std::size_t>(image.Height());
    if (bits.size() / 4 / std::max<std::size_t>(width, 1) < height) return false;
    std::span<std::uint32_t> px = image.Pixels();
    for (std::size_t row = 0; row < height; ++row) {
        const std::size_t y = topDown ? row : height - 1 - row;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t a = bits[(row * width + x) * 4 + 3];
            const std::uint32_t c = px[y * width + x];
            const std::uint32_t red = std::min((c >> 16) & 0xFF, a);
            const std::uint32_t green = std::min((c >> 8) & 0xFF, a);
            const std::uint32_t blue = std::min(c & 0xFF, a);
            px[y * width + x] = (a << 24) | (red << 16) | (green << 8) | blue;
        }
    }
    return true;
}

bool Player::ClipRecord(std::uint32_t type, const RecordReader& r) {
    if (type == U_EMR_INTERSECTCLIPRECT) {
        const TRect c = r.Rect(8, "rclClip");
        if (!r.Failed()) dc_->IntersectClipRect(c.Left, c.Top, c.Right, c.Bottom);
        return true;
    }
    // EMR_EXTSELECTCLIPRGN: region size (8), mode (12), region (16).
    const std::uint32_t cb = r.U32(8, "cbRgnData");
    const std::uint32_t mode = r.U32(12, "iMode");
    if (r.Failed()) return true;
    if (cb == 0) {
        if (mode == kRgnCopy) dc_->SelectClipRgn(startClip_);
        return true;
    }
    std::vector<TRect> rects;
    if (!RegionRects(r, 16, cb, rects)) return false;
    if (rects.empty()) return true;
    TRect u = rects[0];
    for (const TRect& x : rects) {
        u = TRect{std::min(u.Left, x.Left), std::min(u.Top, x.Top), std::max(u.Right, x.Right),
                  std::max(u.Bottom, x.Bottom)};
    }
    std::optional<TRect> device = DeviceRectFromFile(u);
    if (mode == kRgnAnd && dc_->ClipRect()) device = IntersectRect(*device, *dc_->ClipRect());
    if (mode == kRgnCopy || mode == kRgnAnd)
        dc_->SelectClipRgn(device);
    else
        ++skipped_;  // unions, differences: not representable as one rectangle
    return true;
}

bool Player::OtherRecord(std::uint32_t type, const RecordReader& r) {
    switch (type) {
        case U_EMR_COMMENT: {
            const std::uint32_t cb = r.U32(8, "cbData");
            if (cb > r.Size() - 12) return Fail("comment data extends beyond its record");
            constexpr std::uint32_t kEmfPlusMark = 0x2B464D45;  // "EMF+"
            if (cb < 4 || r.U32(12, "Data") != kEmfPlusMark || ordinaryDrawing_) return true;
            if (!plus_) {
                plus_ = std::make_unique<EmfPlusPlayer>(*dc_, frameToDest_.Then(targetWorld_),
                                                        null_ == nullptr);
            }
            const Result<void> played = plus_->PlayComment(r.Bytes(16, cb - 4, "Data"));
            UpdateTransform();
            if (!played) return Fail(played.reason());
            return true;
        }
        case U_EMR_HEADER:
            return Fail("a second header record");
        default:
            // Records without an effect here (palettes, colour management, raster operations,
            // escapes ...) and unknown ones are skipped by their size.
            ++skipped_;
            return true;
    }
}

// Records are read through aligned copies only when the caller's buffer is unaligned.
std::span<const std::uint8_t> Aligned(std::span<const std::uint8_t> emf,
                                      std::vector<std::uint8_t>& copy) {
    if (reinterpret_cast<std::uintptr_t>(emf.data()) % 4 == 0) return emf;
    copy.assign(emf.begin(), emf.end());
    return copy;
}

}  // namespace

Result<void> PlayEmf(std::span<const std::uint8_t> emf, DeviceContext& dc, const TRect& rect) {
    std::vector<std::uint8_t> copy;
    Player player(Aligned(emf, copy), &dc);
    const Result<EmfParseStats> result = player.Run(&rect);
    if (!result) return result.error();
    return Ok();
}

Result<void> PlayEmfAsPage(std::span<const std::uint8_t> emf, DeviceContext& dc,
                           const TRect& rect) {
    std::vector<std::uint8_t> copy;
    Player player(Aligned(emf, copy), &dc, /*saveAround=*/false);
    const Result<EmfParseStats> result = player.Run(&rect);
    if (!result) return result.error();
    return Ok();
}

Result<EmfParseStats> ParseEmf(std::span<const std::uint8_t> emf) {
    std::vector<std::uint8_t> copy;
    Player player(Aligned(emf, copy), nullptr);
    return player.Run(nullptr);
}

std::string PicturesLeftOutNote(const EmfParseStats& stats) {
    const std::uint32_t n = stats.picturesLeftOut;
    if (n == 0) return {};
    return std::to_string(n) + (n == 1 ? " picture" : " pictures") +
           " left out (too large or in a form not read)";
}

Result<EmfPageInfo> EmfPageSize(std::span<const std::uint8_t> emf) {
    Result<EmfHeaderInfo> header = ReadEmfHeader(emf);
    if (!header) return header.error();
    if (header->page) return *header->page;
    // A picture made elsewhere: its frame, wherever it lies.
    const TSize size = header->PictureFrameSize();
    EmfPageInfo page;
    page.widthPixels = size.cx;
    page.heightPixels = size.cy;
    page.pixelsPerInchX = std::max(
        1, RoundToInt(header->deviceSizePixels.cx * 25.4 / header->deviceSizeMillimeters.cx));
    page.pixelsPerInchY = std::max(
        1, RoundToInt(header->deviceSizePixels.cy * 25.4 / header->deviceSizeMillimeters.cy));
    return page;
}

// Declared with the device context; defined here, where the player is.
Result<void> DeviceContext::PlayEnhMetaFile(std::span<const std::uint8_t> emf, const TRect& rect) {
    return PlayEmf(emf, *this, rect);
}

}  // namespace quillon
