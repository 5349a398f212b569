// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Drawing objects in the classic style: pens, brushes and fonts are created from small
// description records, named by handles, selected into device contexts and deleted by
// their owner. A device context copies the description when an object is selected, so
// deleting an object never leaves a context pointing at freed memory.
//
// Handles are process-wide (as the drawing layer creates an object first and selects it
// into a page afterwards). Stock objects have fixed handles 0x80000000 + index, the same
// numbers the page-file format uses for them.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quillon {

// 0x00BBGGRR: a colour as the drawing calls take it (no system colours here).
using TColorRef = std::uint32_t;

constexpr TColorRef RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColorRef{r} | (TColorRef{g} << 8) | (TColorRef{b} << 16);
}
constexpr std::uint8_t GetRValue(TColorRef c) {
    return static_cast<std::uint8_t>(c & 0xFF);
}
constexpr std::uint8_t GetGValue(TColorRef c) {
    return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
constexpr std::uint8_t GetBValue(TColorRef c) {
    return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}

using HGDIOBJ = std::uint32_t;  // 0 is "no object"
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HFONT = HGDIOBJ;

// Pen styles.
inline constexpr std::uint32_t PS_SOLID = 0;
inline constexpr std::uint32_t PS_DASH = 1;
inline constexpr std::uint32_t PS_DOT = 2;
inline constexpr std::uint32_t PS_DASHDOT = 3;
inline constexpr std::uint32_t PS_DASHDOTDOT = 4;
inline constexpr std::uint32_t PS_NULL = 5;
inline constexpr std::uint32_t PS_INSIDEFRAME = 6;
inline constexpr std::uint32_t PS_STYLE_MASK = 0x0F;

// Brush styles and hatches.
inline constexpr std::uint32_t BS_SOLID = 0;
inline constexpr std::uint32_t BS_NULL = 1;
inline constexpr std::uint32_t BS_HOLLOW = BS_NULL;
inline constexpr std::uint32_t BS_HATCHED = 2;
inline constexpr std::uint32_t BS_PATTERN = 3;
inline constexpr std::int32_t HS_HORIZONTAL = 0;
inline constexpr std::int32_t HS_VERTICAL = 1;
inline constexpr std::int32_t HS_FDIAGONAL = 2;
inline constexpr std::int32_t HS_BDIAGONAL = 3;
inline constexpr std::int32_t HS_CROSS = 4;
inline constexpr std::int32_t HS_DIAGCROSS = 5;

// Font weights and character sets.
inline constexpr std::int32_t FW_DONTCARE = 0;
inline constexpr std::int32_t FW_NORMAL = 400;
inline constexpr std::int32_t FW_BOLD = 700;
inline constexpr std::uint8_t ANSI_CHARSET = 0;
inline constexpr std::uint8_t DEFAULT_CHARSET = 1;

// The longest face name a font record holds (characters, without the terminator).
inline constexpr std::size_t kMaxFaceNameLength = 31;

// Stock objects.
inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int OEM_FIXED_FONT = 10;
inline constexpr int ANSI_FIXED_FONT = 11;
inline constexpr int ANSI_VAR_FONT = 12;
inline constexpr int SYSTEM_FONT = 13;
inline constexpr int DEVICE_DEFAULT_FONT = 14;
inline constexpr int SYSTEM_FIXED_FONT = 16;
inline constexpr int DEFAULT_GUI_FONT = 17;
inline constexpr HGDIOBJ kStockObjectFlag = 0x80000000u;

struct LogPen {
    std::uint32_t style = PS_SOLID;  // PS_*
    std::int32_t width = 0;          // logical units; 0 and 1 both draw one device pixel
    TColorRef color = 0;
    bool operator==(const LogPen&) const = default;
};

// The tile of a pattern brush: 0xFFRRGGBB pixels, rows top-down, repeated across the device
// from its origin.
struct BrushPattern {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

struct LogBrush {
    std::uint32_t style = BS_SOLID;  // BS_SOLID, BS_NULL, BS_HATCHED or BS_PATTERN
    // The colour; for a pattern, the tile's mean colour, which devices without tiles use.
    TColorRef color = 0;
    std::int32_t hatch = 0;                                 // HS_* when hatched
    std::shared_ptr<const BrushPattern> pattern = nullptr;  // when BS_PATTERN
    bool operator==(const LogBrush&) const = default;
};

struct LogFont {
    std::int32_t height = 0;      // logical units: > 0 cell height, < 0 character height, 0 default
    std::int32_t width = 0;       // 0: the face's own proportions
    std::int32_t escapement = 0;  // tenths of a degree, counter-clockwise
    std::int32_t orientation = 0;  // tenths of a degree
    std::int32_t weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charSet = DEFAULT_CHARSET;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName;  // UTF-8, at most kMaxFaceNameLength characters once created
    bool operator==(const LogFont&) const = default;
};

// Height used when a font record asks for the default size (height 0).
inline constexpr std::int32_t kDefaultFontHeight = 16;

// The face name cut to at most kMaxFaceNameLength characters (code points); an invalid
// byte counts as one character.
std::string CutFaceName(const std::string& face);

enum class GdiObjectKind : std::uint8_t { None, Pen, Brush, Font };

using GdiObjectData = std::variant<std::monostate, LogPen, LogBrush, LogFont>;

// Object creation and deletion. Creation never fails (the face name is cut); DeleteObject
// returns false for 0, a stock object or a handle that is not (or no longer) an object.
HPEN CreatePen(std::uint32_t style, std::int32_t width, TColorRef color);
HPEN CreatePenIndirect(const LogPen& pen);
HBRUSH CreateSolidBrush(TColorRef color);
HBRUSH CreateHatchBrush(std::int32_t hatch, TColorRef color);
HBRUSH CreateBrushIndirect(const LogBrush& brush);
HFONT CreateFontIndirect(const LogFont& font);
HGDIOBJ GetStockObject(int index);  // 0 for an index that names no pen, brush or font
bool DeleteObject(HGDIOBJ object);

// What a handle names now (None for 0, deleted or unknown handles).
GdiObjectKind GetObjectKind(HGDIOBJ object);
GdiObjectData GetObjectData(HGDIOBJ object);
std::optional<LogPen> GetLogPen(HGDIOBJ object);
std::optional<LogBrush> GetLogBrush(HGDIOBJ object);
std::optional<LogFont> GetLogFont(HGDIOBJ object);

// Owns a created object and deletes it when it goes (components own their pens, brushes
// and fonts this way). Select the stock object back before the owner goes if the object
// is still selected somewhere that matters: contexts keep a copy, but the handle dies.
class GdiObjectOwner {
  public:
    GdiObjectOwner() = default;
    explicit GdiObjectOwner(HGDIOBJ handle) : handle_(handle) {}
    ~GdiObjectOwner() { Reset(); }
    GdiObjectOwner(GdiObjectOwner&& other) noexcept : handle_(other.Release()) {}
    GdiObjectOwner& operator=(GdiObjectOwner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    GdiObjectOwner(const GdiObjectOwner&) = delete;
    GdiObjectOwner& operator=(const GdiObjectOwner&) = delete;

    HGDIOBJ Get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }
    HGDIOBJ Release() {
        const HGDIOBJ h = handle_;
        handle_ = 0;
        return h;
    }
    void Reset(HGDIOBJ handle = 0) {
        if (handle_ != 0 && handle_ != handle) DeleteObject(handle_);
        handle_ = handle;
    }

  private:
    HGDIOBJ handle_ = 0;
};

// Number of objects created and not yet deleted (stock objects not counted): lets tests
// check that owners release what they create.
std::size_t LiveGdiObjectCount();

}  // namespace quillon
