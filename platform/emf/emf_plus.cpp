// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/emf/emf_plus.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/gdi/graphics_backend.h"
#include "platform/sys/limits.h"
#include "platform/sys/rounding.h"
#include "platform/sys/utf8.h"

namespace quillon {

namespace {

// Record types.
enum : std::uint16_t {
    kHeader = 0x4001,
    kObject = 0x4008,
    kFillRects = 0x400A,
    kDrawRects = 0x400B,
    kFillPolygon = 0x400C,
    kDrawLines = 0x400D,
    kFillEllipse = 0x400E,
    kDrawEllipse = 0x400F,
    kFillPie = 0x4010,
    kDrawPie = 0x4011,
    kDrawArc = 0x4012,
    kFillPath = 0x4014,
    kDrawPath = 0x4015,
    kFillClosedCurve = 0x4016,
    kDrawClosedCurve = 0x4017,
    kDrawCurve = 0x4018,
    kDrawBeziers = 0x4019,
    kDrawImage = 0x401A,
    kDrawImagePoints = 0x401B,
    kDrawString = 0x401C,
    kSave = 0x4025,
    kRestore = 0x4026,
    kSetWorldTransform = 0x402A,
    kResetWorldTransform = 0x402B,
    kMultiplyWorldTransform = 0x402C,
    kTranslateWorldTransform = 0x402D,
    kScaleWorldTransform = 0x402E,
    kRotateWorldTransform = 0x402F,
    kSetPageTransform = 0x4030,
    kResetClip = 0x4031,
    kSetClipRect = 0x4032,
    kDrawDriverString = 0x4036,
};

// Record flags.
constexpr std::uint16_t kSolidColor = 0x8000;  // the brush field holds a colour
constexpr std::uint16_t kCompressed = 0x4000;  // 16-bit integer coordinates
constexpr std::uint16_t kRelative = 0x0800;    // relative, packed coordinates
constexpr std::uint16_t kClosed = 0x2000;      // lines: close the figure
constexpr std::uint16_t kAppend = 0x2000;      // transforms: apply after the current one
constexpr std::uint16_t kContinued = 0x8000;   // object records: more data follows

constexpr double kSub = 16;  // drawing units per world unit
constexpr std::size_t kMaxSaved = 1000;
constexpr std::uint64_t kMaxObjectBytes = std::uint64_t{64} << 20;

// Point types of a path.
constexpr std::uint8_t kTypeMask = 0x07;
constexpr std::uint8_t kTypeStart = 0;
constexpr std::uint8_t kTypeBezier = 3;
constexpr std::uint8_t kCloseSubpath = 0x80;

TColorRef ColorOf(std::uint32_t argb) {
    return RGB(static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
               static_cast<std::uint8_t>(argb));
}

std::uint32_t Mean(std::uint32_t a, std::uint32_t b) {
    std::uint32_t out = 0;
    for (int shift : {24, 16, 8, 0})
        out |= ((((a >> shift) & 0xFF) + ((b >> shift) & 0xFF)) / 2) << shift;
    return out;
}

XForm Read6(const ByteReader& r, std::uint64_t at) {
    return XForm{r.F32(at, "Matrix"),      r.F32(at + 4, "Matrix"),  r.F32(at + 8, "Matrix"),
                 r.F32(at + 12, "Matrix"), r.F32(at + 16, "Matrix"), r.F32(at + 20, "Matrix")};
}

bool Finite(const XForm& x) {
    return std::isfinite(x.m11) && std::isfinite(x.m12) && std::isfinite(x.m21) &&
           std::isfinite(x.m22) && std::isfinite(x.dx) && std::isfinite(x.dy);
}

}  // namespace

EmfPlusPlayer::EmfPlusPlayer(DeviceContext& dc, const XForm& toDestination, bool decodeImages)
    : dc_(dc),
      toDestination_(toDestination),
      decodeImages_(decodeImages),
      startClip_(dc.ClipRect()) {}

bool EmfPlusPlayer::Fail(const std::string& reason) {
    char type[8];
    std::snprintf(type, sizeof type, "%04X", recordType_);
    error_ =
        "extended record " + std::to_string(recordIndex_) + " (type 0x" + type + "): " + reason;
    return false;
}

Result<void> EmfPlusPlayer::PlayComment(std::span<const std::uint8_t> data) {
    const ByteReader all(data);
    std::uint64_t pos = 0;
    while (data.size() - pos >= 12) {
        ++recordIndex_;
        recordType_ = all.U16(pos, "Type");
        const std::uint16_t flags = all.U16(pos + 2, "Flags");
        const std::uint32_t size = all.U32(pos + 4, "Size");
        const std::uint32_t dataSize = all.U32(pos + 8, "DataSize");
        if (size < 12 || size > data.size() - pos)
            return Error{
                (Fail("record size " + std::to_string(size) + " exceeds its comment"), error_)};
        if (dataSize > size - 12)
            return Error{
                (Fail("data size " + std::to_string(dataSize) + " exceeds its record"), error_)};
        const ByteReader r(data.subspan(static_cast<std::size_t>(pos + 12), dataSize));
        const bool ok = Record(recordType_, flags, r);
        Release();
        if (!ok) return Error{error_};
        if (r.Failed()) {
            Fail(std::string("field ") + r.FailedField() + " lies past the record's end");
            return Error{error_};
        }
        pos += size;
    }
    return Ok();
}

double EmfPlusPlayer::UnitToPixels(std::uint32_t unit, bool vertical) const {
    const double dpi = vertical ? dpiY_ : dpiX_;
    switch (unit) {
        case 3:  // point
            return dpi / 72.0;
        case 4:  // inch
            return dpi;
        case 5:  // document: 1/300 inch
            return dpi / 300.0;
        case 6:  // millimetre
            return dpi / 25.4;
        default:  // world, display, pixel
            return 1.0;
    }
}

// World units of a length given in `unit` (pen widths, font sizes).
double EmfPlusPlayer::WorldLength(double length, std::uint32_t unit) const {
    if (unit == 0) return length;
    const double perWorld = UnitToPixels(pageUnit_, false) * pageScale_;
    return perWorld > 0 ? length * UnitToPixels(unit, false) / perWorld : length;
}

void EmfPlusPlayer::Apply() {
    const XForm page = XForm::Scaling(UnitToPixels(pageUnit_, false) * pageScale_,
                                      UnitToPixels(pageUnit_, true) * pageScale_);
    const XForm m = XForm::Scaling(1 / kSub, 1 / kSub).Then(world_).Then(page).Then(toDestination_);
    if (Finite(m) && !(m == dc_.GetWorldTransform())) dc_.SetWorldTransform(m);
}

TPoint EmfPlusPlayer::Sub(double x, double y) const {
    const auto clamp = [](double v) {
        if (!std::isfinite(v)) return 0;
        return RoundToInt(std::clamp(v * kSub, -1.0e9, 1.0e9));
    };
    return TPoint{clamp(x), clamp(y)};
}

void EmfPlusPlayer::UseFill(std::optional<std::uint32_t> argb) {
    const LogBrush b = argb && (*argb >> 24) != 0 ? LogBrush{BS_SOLID, ColorOf(*argb), 0}
                                                  : LogBrush{BS_NULL, 0, 0};
    brush_ = CreateBrushIndirect(b);
    const HGDIOBJ old = dc_.SelectObject(brush_);
    if (!oldBrush_) oldBrush_ = old;
}

void EmfPlusPlayer::UsePen(const Pen* pen) {
    LogPen p{PS_NULL, 0, 0};
    if (pen && (pen->argb >> 24) != 0) {
        const double w = pen->width * kSub;
        p = LogPen{PS_SOLID, std::isfinite(w) ? RoundToInt(std::clamp(w, 0.0, 1.0e6)) : 0,
                   ColorOf(pen->argb)};
    }
    pen_ = CreatePenIndirect(p);
    const HGDIOBJ old = dc_.SelectObject(pen_);
    if (!oldPen_) oldPen_ = old;
}

// Puts back what a drawing selected and frees its objects.
void EmfPlusPlayer::Release() {
    if (oldBrush_) dc_.SelectObject(oldBrush_);
    if (oldPen_) dc_.SelectObject(oldPen_);
    if (oldFont_) dc_.SelectObject(oldFont_);
    for (HGDIOBJ* h : {&brush_, &pen_, &font_}) {
        if (*h) DeleteObject(*h);
        *h = 0;
    }
    oldBrush_ = oldPen_ = oldFont_ = 0;
}

std::optional<std::uint32_t> EmfPlusPlayer::BrushColor(std::uint16_t flags, std::uint32_t brushId) {
    if (flags & kSolidColor) return brushId;
    if (brushId >= objects_.size()) {
        Fail("brush " + std::to_string(brushId) + " is outside the object table");
        return std::nullopt;
    }
    if (const auto* b = std::get_if<Brush>(&objects_[brushId])) return b->argb;
    return 0u;  // not a brush (or never defined): nothing is filled
}

// Selects what a fill (the brush its record names, no outline) or an outline (the pen in the
// record's flags, no fill) draws with; false when the record names an object outside the table.
bool EmfPlusPlayer::Select(bool fill, std::uint16_t flags, const ByteReader& r) {
    if (fill) {
        const auto color = BrushColor(flags, r.U32(0, "BrushId"));
        if (!color) return false;
        UseFill(color);
        UsePen(nullptr);
        return true;
    }
    UseFill(std::nullopt);
    UsePen(PenAt(flags & 0xFF));
    return error_.empty();
}

const EmfPlusPlayer::Pen* EmfPlusPlayer::PenAt(std::uint32_t id) {
    if (id >= objects_.size()) {
        Fail("pen " + std::to_string(id) + " is outside the object table");
        return nullptr;
    }
    return std::get_if<Pen>(&objects_[id]);
}

// Points: 16-bit integers (compressed) or 32-bit floats; relative packed points are refused
// as not drawn (the record is passed over).
bool EmfPlusPlayer::ReadPoints(const ByteReader& r, std::uint64_t at, std::uint32_t count,
                               std::uint16_t flags, std::vector<TPointF>& out) {
    if (flags & kRelative) return false;
    const bool small = (flags & kCompressed) != 0;
    if (!r.HasArray(at, count, small ? 4 : 8))
        return Fail("point count " + std::to_string(count) + " exceeds the record");
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t p = at + std::uint64_t{i} * (small ? 4 : 8);
        out[i] = small ? TPointF{double(r.I16(p, "Points")), double(r.I16(p + 2, "Points"))}
                       : TPointF{r.F32(p, "Points"), r.F32(p + 4, "Points")};
    }
    return true;
}

bool EmfPlusPlayer::ReadRects(const ByteReader& r, std::uint64_t at, std::uint32_t count,
                              bool compressed, std::vector<std::array<double, 4>>& out) {
    if (!r.HasArray(at, count, compressed ? 8 : 16))
        return Fail("rectangle count " + std::to_string(count) + " exceeds the record");
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t p = at + std::uint64_t{i} * (compressed ? 8 : 16);
        for (int k = 0; k < 4; ++k) {
            out[i][k] =
                compressed ? double(r.I16(p + 2 * k, "Rects")) : double(r.F32(p + 4 * k, "Rects"));
        }
    }
    return true;
}

bool EmfPlusPlayer::ReadBrush(const ByteReader& r, std::uint64_t at, Brush& out) {
    const std::uint32_t type = r.U32(at + 4, "BrushType");
    switch (type) {
        case 0:  // solid
        case 1:  // hatch: style, then the fore colour
            out.argb = r.U32(at + (type == 0 ? 8 : 12), "Color");
            break;
        case 3:  // path gradient: the centre colour
            out.argb = r.U32(at + 16, "CenterColor");
            break;
        case 4:  // linear gradient: the mean of its ends
            out.argb = Mean(r.U32(at + 32, "StartColor"), r.U32(at + 36, "EndColor"));
            break;
        default:  // texture: a mid grey
            out.argb = 0xFF808080u;
            break;
    }
    return true;
}

bool EmfPlusPlayer::ReadPath(const ByteReader& r, std::uint64_t at, Path& out) {
    const std::uint32_t count = r.U32(at + 4, "PathPointCount");
    const std::uint32_t flags = r.U32(at + 8, "PathPointFlags");
    if (r.Failed()) return true;
    if (!ReadPoints(r, at + 12, count, static_cast<std::uint16_t>(flags & 0xFFFF), out.points))
        return error_.empty();  // relative points: an empty path
    const std::uint64_t typesAt = at + 12 + std::uint64_t{count} * ((flags & kCompressed) ? 4 : 8);
    out.types.clear();
    if (flags & 0x1000) {
        // Run-length encoded types: a run count (low 6 bits) and a type per pair of bytes.
        std::uint64_t p = typesAt;
        while (out.types.size() < count) {
            if (!r.Has(p, 2)) return Fail("point types end before the points");
            const std::uint32_t run = r.U8(p, "PathPointTypes") & 0x3F;
            const std::uint8_t type = r.U8(p + 1, "PathPointTypes");
            for (std::uint32_t i = 0; i < run && out.types.size() < count; ++i)
                out.types.push_back(type);
            if (run == 0) return Fail("a run of no point types");
            p += 2;
        }
    } else {
        if (!r.HasArray(typesAt, count, 1)) return Fail("point types extend beyond the record");
        for (std::uint32_t i = 0; i < count; ++i) out.types.push_back(r.U8(typesAt + i, "Types"));
    }
    return true;
}

bool EmfPlusPlayer::ReadObject(std::uint32_t kind, std::uint32_t id, const ByteReader& r) {
    switch (kind) {
        case 1: {
            Brush b;
            ReadBrush(r, 0, b);
            objects_[id] = b;
            return true;
        }
        case 2: {
            // Pen: version, type, flags, unit, width, optional fields by flag, then a brush.
            const std::uint32_t flags = r.U32(8, "PenDataFlags");
            const std::uint32_t unit = r.U32(12, "PenUnit");
            Pen pen;
            pen.width = WorldLength(r.F32(16, "PenWidth"), unit);
            std::uint64_t at = 20;
            static constexpr std::uint32_t kFixed[] = {24, 4, 4, 4, 4, 4, 4, 4};
            for (int bit = 0; bit < 8; ++bit)
                if (flags & (1u << bit)) at += kFixed[bit];
            for (std::uint32_t bit : {0x100u, 0x200u, 0x400u, 0x800u, 0x1000u}) {
                if (!(flags & bit)) continue;
                if (bit == 0x200) {
                    at += 4;
                    continue;
                }
                const std::uint64_t n = r.U32(at, "PenOptionalData");
                at += 4 + (bit == 0x800 || bit == 0x1000 ? n : n * 4);
            }
            if (!r.Has(at, 12)) return Fail("pen's brush lies past the record's end");
            Brush b;
            ReadBrush(r, at, b);
            pen.argb = b.argb;
            if (!std::isfinite(pen.width) || pen.width < 0) pen.width = 0;
            objects_[id] = pen;
            return true;
        }
        case 3: {
            Path path;
            if (!ReadPath(r, 0, path)) return false;
            objects_[id] = std::move(path);
            return true;
        }
        case 5: {
            // Image: version, type (1 bitmap), width, height, stride, pixel format, data type.
            Image image;
            if (r.U32(4, "ImageType") != 1) {
                objects_[id] = image;  // pictures inside pictures are not drawn
                return true;
            }
            const std::int32_t width = r.I32(8, "Width"), height = r.I32(12, "Height");
            const std::int32_t stride = r.I32(16, "Stride");
            const std::uint32_t format = r.U32(20, "PixelFormat");
            const std::uint32_t dataType = r.U32(24, "BitmapDataType");
            if (r.Failed()) return true;
            // Compressed images say their size inside their file (the decoder holds them to the
            // budget); pixel data must say it here. Either way one beyond the budget is left out.
            if (dataType == 0 && (width <= 0 || height <= 0 ||
                                  std::int64_t{width} * height > limits::kMaxEmbeddedImagePixels)) {
                objects_[id] = image;
                return true;
            }
            image.width = width;
            image.height = height;
            if (decodeImages_ && dataType == 1) {
                Result<TBitmap> decoded = GetGraphicsBackend().DecodeImageWithin(
                    r.Bytes(28, r.Size() - std::min<std::size_t>(28, r.Size()), "BitmapData"),
                    limits::kMaxEmbeddedImagePixels);
                if (decoded) image.bitmap = std::make_shared<TBitmap>(std::move(*decoded));
            } else if (decodeImages_ && dataType == 0) {
                const int bytesPer = format == 0x00021808 ? 3 : 4;
                const bool hasAlpha = format == 0x0026200A || format == 0x000E200B;
                if ((format == 0x00021808 || format == 0x00022009 || hasAlpha) &&
                    stride >= width * bytesPer && r.HasArray(28, std::uint64_t(height), stride)) {
                    auto bitmap = std::make_shared<TBitmap>(width, height);
                    for (int y = 0; y < height; ++y) {
                        for (int x = 0; x < width; ++x) {
                            const std::uint64_t p =
                                28 + std::uint64_t(y) * stride + std::uint64_t(x) * bytesPer;
                            const std::uint32_t px = bytesPer == 3
                                                         ? 0xFF000000u | r.U8(p, "Pixel") |
                                                               (r.U8(p + 1, "Pixel") << 8) |
                                                               (r.U8(p + 2, "Pixel") << 16)
                                                         : r.U32(p, "Pixel");
                            // Transparent pixels become white: the page shows through.
                            const std::uint32_t a = hasAlpha ? px >> 24 : 255;
                            std::uint32_t out = 0xFF000000u;
                            for (int shift : {16, 8, 0}) {
                                const std::uint32_t c = (px >> shift) & 0xFF;
                                const std::uint32_t straight =
                                    format == 0x000E200B ? std::min(c, a) : c * a / 255;
                                out |= (straight + (255 - a)) << shift;
                            }
                            bitmap->SetPixel(x, y, out);
                        }
                    }
                    image.bitmap = std::move(bitmap);
                }
            }
            objects_[id] = std::move(image);
            return true;
        }
        case 6: {
            // Font: version, em size, unit, style, reserved, length, family name.
            Font font;
            font.emSize = WorldLength(r.F32(4, "EmSize"), r.U32(8, "SizeUnit"));
            font.style = r.U32(12, "FontStyleFlags");
            const std::uint32_t length = r.U32(20, "Length");
            if (!r.HasArray(24, length, 2)) return Fail("font name extends beyond the record");
            std::u16string name;
            for (std::uint32_t i = 0; i < length && i < 32; ++i)
                name.push_back(static_cast<char16_t>(r.U16(24 + std::uint64_t{i} * 2, "Name")));
            font.family = utf8::FromUtf16(name);
            if (!std::isfinite(font.emSize) || font.emSize < 0) font.emSize = 0;
            objects_[id] = std::move(font);
            return true;
        }
        case 7: {
            StringFormat format;
            format.align = r.U32(12, "StringAlignment");
            format.lineAlign = r.U32(16, "LineAlign");
            objects_[id] = format;
            return true;
        }
        default:  // regions, image attributes, custom line caps: not drawn
            objects_[id] = std::monostate{};
            return true;
    }
}

bool EmfPlusPlayer::ObjectRecord(std::uint16_t flags, const ByteReader& r) {
    const std::uint32_t id = flags & 0xFF;
    const std::uint32_t kind = (flags >> 8) & 0x7F;
    if (id >= objects_.size())
        return Fail("object " + std::to_string(id) + " is outside the object table");
    const bool continued = (flags & kContinued) != 0;
    if (!continued && !(partial_ && partial_->id == id)) return ReadObject(kind, id, r);
    // A large object comes in parts; every part but the last says the whole size first.
    std::uint64_t at = 0;
    if (continued) {
        const std::uint64_t total = r.U32(0, "TotalObjectSize");
        at = 4;
        if (total > kMaxObjectBytes)
            return Fail("object of " + std::to_string(total) + " bytes is refused");
        if (!partial_ || partial_->id != id) partial_ = Partial{id, kind, total, {}};
    }
    const std::span<const std::uint8_t> part =
        r.Bytes(at, r.Size() - std::min<std::size_t>(at, r.Size()), "ObjectData");
    if (partial_->bytes.size() + part.size() > partial_->total)
        return Fail("object data exceeds the size it announced");
    partial_->bytes.insert(partial_->bytes.end(), part.begin(), part.end());
    if (continued) return true;
    const Partial whole = std::move(*partial_);
    partial_.reset();
    return ReadObject(whole.kind, whole.id, ByteReader(whole.bytes));
}

// Strokes and fills a figure of path points (start, line and Bezier points; closing flags).
void EmfPlusPlayer::Figure(const std::vector<TPointF>& points,
                           const std::vector<std::uint8_t>& types) {
    dc_.BeginPath();
    std::size_t i = 0;
    while (i < points.size()) {
        const std::uint8_t t = types[i] & kTypeMask;
        const TPoint p = Sub(points[i].X, points[i].Y);
        if (t == kTypeStart || i == 0) {
            dc_.MoveToEx(p.X, p.Y);
            ++i;
        } else if (t == kTypeBezier && i + 2 < points.size()) {
            const std::array<TPoint, 3> c{p, Sub(points[i + 1].X, points[i + 1].Y),
                                          Sub(points[i + 2].X, points[i + 2].Y)};
            dc_.PolyBezierTo(c);
            i += 3;
        } else {
            dc_.LineTo(p.X, p.Y);
            ++i;
        }
        if (types[i - 1] & kCloseSubpath) dc_.CloseFigure();
    }
    dc_.EndPath();
}

void EmfPlusPlayer::Shape(const std::vector<TPointF>& points, bool closed, bool fill, bool stroke) {
    if (points.empty()) return;
    std::vector<TPoint> pts;
    pts.reserve(points.size());
    for (const TPointF& p : points) pts.push_back(Sub(p.X, p.Y));
    Apply();
    if (fill) {
        dc_.Polygon(pts);
    } else if (stroke) {
        if (closed) pts.push_back(pts.front());
        dc_.Polyline(pts);
    }
}

// Ellipses, pies and arcs of a rectangle: angles in degrees, clockwise on the page.
void EmfPlusPlayer::Ellipse(const std::array<double, 4>& rc, double start, double sweep, int kind,
                            bool fill, bool stroke) {
    const TPoint a = Sub(rc[0], rc[1]), b = Sub(rc[0] + rc[2], rc[1] + rc[3]);
    Apply();
    if (kind == 0 || std::abs(sweep) >= 360 || !std::isfinite(sweep) || !std::isfinite(start)) {
        if (kind == 2 && !std::isfinite(sweep)) return;
        if (fill || stroke) dc_.Ellipse(a.X, a.Y, b.X, b.Y);
        return;
    }
    const double cx = rc[0] + rc[2] / 2, cy = rc[1] + rc[3] / 2;
    const auto at = [&](double degrees) {
        const double t = degrees * std::numbers::pi / 180;
        return Sub(cx + rc[2] / 2 * std::cos(t), cy + rc[3] / 2 * std::sin(t));
    };
    // The context runs counter-clockwise on the page: swap the ends of a clockwise sweep.
    const TPoint from = sweep > 0 ? at(start + sweep) : at(start);
    const TPoint to = sweep > 0 ? at(start) : at(start + sweep);
    dc_.Arc(kind == 1 ? ArcKind::Pie : ArcKind::Arc, TRect{a.X, a.Y, b.X, b.Y}, from, to);
}

void EmfPlusPlayer::Text(std::uint16_t flags, std::uint32_t brushId, std::u16string text,
                         const std::array<double, 4>& layout, std::uint32_t formatId,
                         const std::vector<TPointF>* positions) {
    const std::optional<std::uint32_t> color = BrushColor(flags, brushId);
    const auto* font = std::get_if<Font>(&objects_[flags & 0x3F]);
    if (!color || !font || (*color >> 24) == 0 || text.empty()) return;
    const StringFormat* format =
        formatId < objects_.size() ? std::get_if<StringFormat>(&objects_[formatId]) : nullptr;
    LogFont lf;
    lf.height = -RoundToInt(std::clamp(font->emSize * kSub, 1.0, 1.0e6));
    lf.weight = (font->style & 1) ? FW_BOLD : FW_NORMAL;
    lf.italic = (font->style & 2) != 0;
    lf.underline = (font->style & 4) != 0;
    lf.strikeOut = (font->style & 8) != 0;
    lf.faceName = CutFaceName(font->family);
    font_ = CreateFontIndirect(lf);
    oldFont_ = dc_.SelectObject(font_);
    Apply();
    const TColorRef oldColor = dc_.SetTextColor(ColorOf(*color));
    const int oldMode = dc_.SetBkMode(TRANSPARENT);
    if (positions) {
        // Driver strings: each glyph on its own baseline point.
        const std::uint32_t oldAlign = dc_.SetTextAlign(TA_BASELINE | TA_LEFT);
        for (std::size_t i = 0; i < text.size() && i < positions->size(); ++i) {
            const TPoint p = Sub((*positions)[i].X, (*positions)[i].Y);
            dc_.ExtTextOut(p.X, p.Y, 0, nullptr, std::u16string_view(&text[i], 1));
        }
        dc_.SetTextAlign(oldAlign);
    } else {
        const std::uint32_t align = format ? format->align : 0;
        const std::uint32_t oldAlign = dc_.SetTextAlign(TA_TOP | (align == 1   ? TA_CENTER
                                                                  : align == 2 ? TA_RIGHT
                                                                               : TA_LEFT));
        const double x = align == 1   ? layout[0] + layout[2] / 2
                         : align == 2 ? layout[0] + layout[2]
                                      : layout[0];
        // Lines one under the other, 1.15 em apart; the block centred or at the foot when asked.
        std::vector<std::u16string_view> lines;
        std::u16string_view rest(text);
        while (true) {
            const std::size_t nl = rest.find(u'\n');
            lines.push_back(rest.substr(0, nl));
            if (nl == std::u16string_view::npos) break;
            rest = rest.substr(nl + 1);
        }
        const double lineHeight = font->emSize * 1.15;
        const double block = lineHeight * static_cast<double>(lines.size());
        const std::uint32_t lineAlign = format ? format->lineAlign : 0;
        double y = layout[1];
        if (layout[3] > 0 && lineAlign == 1) y += (layout[3] - block) / 2;
        if (layout[3] > 0 && lineAlign == 2) y += layout[3] - block;
        for (std::u16string_view line : lines) {
            std::u16string l(line);
            while (!l.empty() && (l.back() == u'\r' || l.back() == 0)) l.pop_back();
            const TPoint p = Sub(x, y);
            if (!l.empty()) dc_.ExtTextOut(p.X, p.Y, 0, nullptr, l);
            y += lineHeight;
        }
        dc_.SetTextAlign(oldAlign);
    }
    dc_.SetBkMode(oldMode);
    dc_.SetTextColor(oldColor);
}

void EmfPlusPlayer::DrawImage(std::uint32_t id, const std::array<double, 4>& src,
                              const std::array<TPointF, 3>& dest) {
    const auto* image = std::get_if<Image>(&objects_[id]);
    if (!image || !image->bitmap) return;
    // An upright destination (the first three corners of a parallelogram) is a stretch; a
    // turned one takes the transform along.
    const TPointF& p0 = dest[0];
    const XForm turn{
        (dest[1].X - p0.X), (dest[1].Y - p0.Y), (dest[2].X - p0.X), (dest[2].Y - p0.Y), p0.X, p0.Y};
    const XForm saved = world_;
    world_ = turn.Then(world_);
    Apply();
    world_ = saved;
    const auto clampInt = [](double v) {
        return std::isfinite(v) ? RoundToInt(std::clamp(v, -1.0e9, 1.0e9)) : 0;
    };
    dc_.StretchDIBits(0, 0, RoundToInt(kSub), RoundToInt(kSub), clampInt(src[0]), clampInt(src[1]),
                      clampInt(src[2]), clampInt(src[3]), image->bitmap->View());
}

bool EmfPlusPlayer::Record(std::uint16_t type, std::uint16_t flags, const ByteReader& r) {
    if (type == kHeader) {
        const std::uint32_t dpiX = r.U32(8, "LogicalDpiX"), dpiY = r.U32(12, "LogicalDpiY");
        if (dpiX > 0 && dpiX < 100000) dpiX_ = dpiX;
        if (dpiY > 0 && dpiY < 100000) dpiY_ = dpiY;
        return true;
    }
    switch (type) {
        case kObject:
            return ObjectRecord(flags, r);
        case kFillRects:
        case kDrawRects: {
            const bool fill = type == kFillRects;
            const std::uint32_t count = r.U32(fill ? 4 : 0, "Count");
            std::vector<std::array<double, 4>> rects;
            if (!ReadRects(r, fill ? 8 : 4, count, (flags & kCompressed) != 0, rects)) return false;
            if (!Select(fill, flags, r)) return false;
            Apply();
            for (const auto& rc : rects) {
                const TPoint a = Sub(rc[0], rc[1]), b = Sub(rc[0] + rc[2], rc[1] + rc[3]);
                const std::array<TPoint, 4> pts{a, TPoint{b.X, a.Y}, b, TPoint{a.X, b.Y}};
                if (fill) {
                    dc_.Polygon(pts);
                } else {
                    const std::array<TPoint, 5> ring{a, TPoint{b.X, a.Y}, b, TPoint{a.X, b.Y}, a};
                    dc_.Polyline(ring);
                }
            }
            return true;
        }
        case kFillPolygon:
        case kFillClosedCurve: {
            const std::uint64_t countAt = type == kFillPolygon ? 4 : 8;
            const std::uint32_t count = r.U32(countAt, "Count");
            std::vector<TPointF> pts;
            if (!ReadPoints(r, countAt + 4, count, flags, pts)) return error_.empty();
            const auto color = BrushColor(flags, r.U32(0, "BrushId"));
            if (!color) return false;
            UseFill(color);
            UsePen(nullptr);
            Shape(pts, true, true, false);
            return true;
        }
        case kDrawLines:
        case kDrawBeziers:
        case kDrawClosedCurve:
        case kDrawCurve: {
            const std::uint64_t countAt = type == kDrawClosedCurve ? 4
                                          : type == kDrawCurve     ? 12
                                                                   : 0;
            const std::uint32_t count = r.U32(countAt, "Count");
            std::vector<TPointF> pts;
            if (!ReadPoints(r, countAt + 4, count, flags, pts)) return error_.empty();
            UseFill(std::nullopt);
            UsePen(PenAt(flags & 0xFF));
            if (!error_.empty()) return false;
            if (type == kDrawBeziers && pts.size() >= 4 && pts.size() % 3 == 1) {
                std::vector<TPoint> p;
                for (const TPointF& q : pts) p.push_back(Sub(q.X, q.Y));
                Apply();
                dc_.PolyBezier(p);
                return true;
            }
            // Curves are drawn through their points.
            Shape(pts, type == kDrawClosedCurve || (type == kDrawLines && (flags & kClosed)), false,
                  true);
            return true;
        }
        case kFillEllipse:
        case kFillPie:
        case kDrawEllipse:
        case kDrawPie:
        case kDrawArc: {
            const bool fill = type == kFillEllipse || type == kFillPie;
            const bool angles = type == kFillPie || type == kDrawPie || type == kDrawArc;
            const std::uint64_t at = (fill ? 4 : 0) + (angles ? 8 : 0);
            std::vector<std::array<double, 4>> rc;
            if (!ReadRects(r, at, 1, (flags & kCompressed) != 0, rc)) return false;
            const double start = angles ? r.F32(fill ? 4 : 0, "StartAngle") : 0;
            const double sweep = angles ? r.F32(fill ? 8 : 4, "SweepAngle") : 360;
            if (!Select(fill, flags, r)) return false;
            const int kind = type == kDrawArc ? 2 : angles ? 1 : 0;
            Ellipse(rc[0], start, sweep, kind, fill, !fill);
            return true;
        }
        case kFillPath:
        case kDrawPath: {
            const auto* path = std::get_if<Path>(&objects_[flags & 0x3F]);
            if (type == kFillPath) {
                const auto color = BrushColor(flags, r.U32(0, "BrushId"));
                if (!color) return false;
                UseFill(color);
                UsePen(nullptr);
            } else {
                UseFill(std::nullopt);
                UsePen(PenAt(r.U32(0, "PenId")));
                if (!error_.empty()) return false;
            }
            if (!path || r.Failed()) return true;
            Apply();
            Figure(path->points, path->types);
            if (type == kFillPath)
                dc_.FillPath();
            else
                dc_.StrokePath();
            return true;
        }
        case kDrawImage:
        case kDrawImagePoints: {
            const std::array<double, 4> src{r.F32(8, "SrcRect"), r.F32(12, "SrcRect"),
                                            r.F32(16, "SrcRect"), r.F32(20, "SrcRect")};
            std::array<TPointF, 3> dest;
            if (type == kDrawImage) {
                std::vector<std::array<double, 4>> rc;
                if (!ReadRects(r, 24, 1, (flags & kCompressed) != 0, rc)) return false;
                dest = {TPointF{rc[0][0], rc[0][1]}, TPointF{rc[0][0] + rc[0][2], rc[0][1]},
                        TPointF{rc[0][0], rc[0][1] + rc[0][3]}};
            } else {
                const std::uint32_t count = r.U32(24, "Count");
                if (count != 3)
                    return Fail("an image needs 3 corner points, not " + std::to_string(count));
                std::vector<TPointF> pts;
                if (!ReadPoints(r, 28, count, flags, pts)) return error_.empty();
                dest = {pts[0], pts[1], pts[2]};
            }
            if (r.Failed()) return true;
            DrawImage(flags & 0x3F, src, dest);
            return true;
        }
        case kDrawString: {
            const std::uint32_t brush = r.U32(0, "BrushId");
            const std::uint32_t format = r.U32(4, "FormatId");
            const std::uint32_t length = r.U32(8, "Length");
            std::vector<std::array<double, 4>> layout;
            if (!ReadRects(r, 12, 1, false, layout)) return false;
            if (!r.HasArray(28, length, 2)) return Fail("string extends beyond the record");
            std::u16string text(length, u'\0');
            for (std::uint32_t i = 0; i < length; ++i)
                text[i] = static_cast<char16_t>(r.U16(28 + std::uint64_t{i} * 2, "String"));
            Text(flags, brush, std::move(text), layout[0], format, nullptr);
            return error_.empty();
        }
        case kDrawDriverString: {
            const std::uint32_t brush = r.U32(0, "BrushId");
            const std::uint32_t options = r.U32(4, "DriverStringOptionsFlags");
            const std::uint32_t count = r.U32(12, "GlyphCount");
            if (!r.HasArray(16, count, 10))
                return Fail("glyph count " + std::to_string(count) + " exceeds the record");
            if ((options & 1) == 0) return true;  // glyph numbers of a font we do not have
            std::u16string text(count, u'\0');
            for (std::uint32_t i = 0; i < count; ++i)
                text[i] = static_cast<char16_t>(r.U16(16 + std::uint64_t{i} * 2, "Glyphs"));
            std::vector<TPointF> positions;
            if (!ReadPoints(r, 16 + std::uint64_t{count} * 2, count, 0, positions)) return false;
            Text(flags, brush, std::move(text), {}, UINT32_MAX, &positions);
            return error_.empty();
        }
        case kSave:
        case kRestore: {
            const std::uint32_t index = r.U32(0, "StackIndex");
            if (type == kSave) {
                if (saved_.size() >= kMaxSaved) return Fail("saved states nest too deep");
                saved_.push_back(Saved{index, world_, {pageUnit_, pageScale_}});
                return true;
            }
            for (std::size_t i = saved_.size(); i-- > 0;) {
                if (saved_[i].index != index) continue;
                world_ = saved_[i].world;
                pageUnit_ = saved_[i].page.first;
                pageScale_ = saved_[i].page.second;
                saved_.resize(i);
                break;
            }
            return true;
        }
        case kSetWorldTransform:
        case kMultiplyWorldTransform: {
            const XForm m = Read6(r, 0);
            if (r.Failed() || !Finite(m))
                return r.Failed() ? true : Fail("transform is not finite");
            world_ = type == kSetWorldTransform ? m
                     : (flags & kAppend)        ? world_.Then(m)
                                                : m.Then(world_);
            return true;
        }
        case kResetWorldTransform:
            world_ = XForm{};
            return true;
        case kTranslateWorldTransform:
        case kScaleWorldTransform:
        case kRotateWorldTransform: {
            XForm m;
            if (type == kTranslateWorldTransform) {
                m = XForm::Translation(r.F32(0, "dx"), r.F32(4, "dy"));
            } else if (type == kScaleWorldTransform) {
                m = XForm::Scaling(r.F32(0, "Sx"), r.F32(4, "Sy"));
            } else {
                const double t = r.F32(0, "Angle") * std::numbers::pi / 180;
                m = XForm{std::cos(t), std::sin(t), -std::sin(t), std::cos(t), 0, 0};
            }
            if (r.Failed() || !Finite(m))
                return r.Failed() ? true : Fail("transform is not finite");
            world_ = (flags & kAppend) ? world_.Then(m) : m.Then(world_);
            return true;
        }
        case kSetPageTransform: {
            const double scale = r.F32(0, "PageScale");
            if (!std::isfinite(scale) || scale <= 0)
                return Fail("page scale is not a positive number");
            pageUnit_ = flags & 0xFF;
            pageScale_ = scale;
            return true;
        }
        case kResetClip:
            dc_.SelectClipRgn(startClip_);
            return true;
        case kSetClipRect: {
            std::vector<std::array<double, 4>> rc;
            if (!ReadRects(r, 0, 1, false, rc)) return false;
            const std::uint32_t mode = (flags >> 8) & 0x0F;
            if (mode != 0 && mode != 1) return true;  // unions and differences: left out
            if (mode == 0) dc_.SelectClipRgn(startClip_);
            Apply();
            const TPoint a = Sub(rc[0][0], rc[0][1]),
                         b = Sub(rc[0][0] + rc[0][2], rc[0][1] + rc[0][3]);
            dc_.IntersectClipRect(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X),
                                  std::max(a.Y, b.Y));
            return true;
        }
        default:
            // Hints (smoothing, text contrast ...), comments, regions, clipping paths: passed over.
            return true;
    }
}

}  // namespace quillon
