// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The extended records some programs put into a metafile's comments: shapes in floating-point
// coordinates with their own objects (brushes, pens, paths, fonts, images) and transforms.
// The player draws them only for a file without ordinary drawing records: a file that carries
// both draws the same picture twice, and its ordinary records are what it is played from
// (whatever its first extended record says: writers mark files dual that are not).
//
// Reading is bounded as the ordinary records are: every record's size is checked against the
// comment that holds it, every count and size inside a record against the record, object
// indices against the object table, and an image is refused by the size it announces before
// it is decoded. A record that lies about a size ends playback with a reason that names it.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "platform/gdi/device_context.h"
#include "platform/gdi/graphics.h"
#include "platform/sys/byte_reader.h"
#include "platform/sys/result.h"

namespace quillon {

class EmfPlusPlayer {
  public:
    // `toDestination`: from the picture's reference pixels to the world of `dc` (the frame
    // mapping of the ordinary records). `decodeImages` false: the parse-only pass, which reads
    // images' sizes but decodes nothing.
    EmfPlusPlayer(DeviceContext& dc, const XForm& toDestination, bool decodeImages);

    // Plays the records of one comment (the data after its "EMF+" mark). An error names the
    // record (by its index among the extended records and its type) and the fault.
    Result<void> PlayComment(std::span<const std::uint8_t> data);

  private:
    struct Brush {
        std::uint32_t argb = 0xFF000000u;
    };
    struct Pen {
        double width = 1;  // world units
        std::uint32_t argb = 0xFF000000u;
    };
    struct Path {
        std::vector<TPointF> points;
        std::vector<std::uint8_t> types;
    };
    struct Font {
        double emSize = 12;  // world units
        std::uint32_t style = 0;
        std::string family;
    };
    struct Image {
        std::shared_ptr<TBitmap> bitmap;  // null when not decoded
        int width = 0;
        int height = 0;
    };
    struct StringFormat {
        std::uint32_t align = 0;  // 0 near, 1 centre, 2 far
        std::uint32_t lineAlign = 0;
    };
    using Object = std::variant<std::monostate, Brush, Pen, Path, Font, Image, StringFormat>;

    bool Record(std::uint16_t type, std::uint16_t flags, const ByteReader& r);
    bool Fail(const std::string& reason);
    bool ObjectRecord(std::uint16_t flags, const ByteReader& r);
    bool ReadObject(std::uint32_t kind, std::uint32_t id, const ByteReader& r);
    bool ReadBrush(const ByteReader& r, std::uint64_t at, Brush& out);
    bool ReadPath(const ByteReader& r, std::uint64_t at, Path& out);
    bool ReadPoints(const ByteReader& r, std::uint64_t at, std::uint32_t count, std::uint16_t flags,
                    std::vector<TPointF>& out);
    bool ReadRects(const ByteReader& r, std::uint64_t at, std::uint32_t count, bool compressed,
                   std::vector<std::array<double, 4>>& out);
    std::optional<std::uint32_t> BrushColor(std::uint16_t flags, std::uint32_t brushId);
    const Pen* PenAt(std::uint32_t id);
    bool Select(bool fill, std::uint16_t flags, const ByteReader& r);
    double UnitToPixels(std::uint32_t unit, bool vertical) const;
    double WorldLength(double length, std::uint32_t unit) const;

    // Drawing through the context, in units of 1/kSub world unit so that fractions survive.
    void Apply();
    TPoint Sub(double x, double y) const;
    void UseFill(std::optional<std::uint32_t> argb);
    void UsePen(const Pen* pen);
    void Release();
    void Figure(const std::vector<TPointF>& points, const std::vector<std::uint8_t>& types);
    void Shape(const std::vector<TPointF>& points, bool closed, bool fill, bool stroke);
    void Ellipse(const std::array<double, 4>& rect, double start, double sweep, int kind, bool fill,
                 bool stroke);
    void Text(std::uint16_t flags, std::uint32_t brushId, std::u16string text,
              const std::array<double, 4>& layout, std::uint32_t formatId,
              const std::vector<TPointF>* positions);
    void DrawImage(std::uint32_t id, const std::array<double, 4>& src,
                   const std::array<TPointF, 3>& dest);

    DeviceContext& dc_;
    XForm toDestination_;
    bool decodeImages_;
    double dpiX_ = 96, dpiY_ = 96;
    std::uint32_t recordIndex_ = 0;
    std::uint16_t recordType_ = 0;
    std::string error_;
    std::array<Object, 64> objects_;
    XForm world_;
    double pageScale_ = 1;
    std::uint32_t pageUnit_ = 2;  // pixels
    struct Saved {
        std::uint32_t index = 0;
        XForm world;
        std::pair<std::uint32_t, double> page;
    };
    std::vector<Saved> saved_;
    std::optional<TRect> startClip_;
    // An object whose data spans several records: its id, kind, announced size and bytes so far.
    struct Partial {
        std::uint32_t id = 0, kind = 0;
        std::uint64_t total = 0;
        std::vector<std::uint8_t> bytes;
    };
    std::optional<Partial> partial_;
    HGDIOBJ brush_ = 0, pen_ = 0, font_ = 0;
    HGDIOBJ oldBrush_ = 0, oldPen_ = 0, oldFont_ = 0;
};

}  // namespace quillon
