// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Graphics types of the component library: colours, points and rectangles, fonts, pens,
// brushes, bitmaps and pictures.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/sys/enum_set.h"
#include "platform/sys/limits.h"
#include "platform/sys/result.h"

namespace quillon {

// ---------------------------------------------------------------------------------------------
// Colours. 0x00BBGGRR is a direct colour; 0x80000000 + index names a system colour (a
// negative value, as the type is signed like the component library's).
using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;

inline constexpr TColor kSystemColorBase = static_cast<TColor>(0x80000000u);
constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}

inline constexpr TColor clScrollBar = SystemColor(0);
inline constexpr TColor clBackground = SystemColor(1);
inline constexpr TColor clActiveCaption = SystemColor(2);
inline constexpr TColor clInactiveCaption = SystemColor(3);
inline constexpr TColor clMenu = SystemColor(4);
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowFrame = SystemColor(6);
inline constexpr TColor clMenuText = SystemColor(7);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clCaptionText = SystemColor(9);
inline constexpr TColor clActiveBorder = SystemColor(10);
inline constexpr TColor clInactiveBorder = SystemColor(11);
inline constexpr TColor clAppWorkSpace = SystemColor(12);
inline constexpr TColor clHighlight = SystemColor(13);
inline constexpr TColor clHighlightText = SystemColor(14);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clGrayText = SystemColor(17);
inline constexpr TColor clBtnText = SystemColor(18);
inline constexpr TColor clInactiveCaptionText = SystemColor(19);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);
inline constexpr TColor cl3DLight = SystemColor(22);
inline constexpr TColor clInfoText = SystemColor(23);
inline constexpr TColor clInfoBk = SystemColor(24);

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour: system colours from the fixed classic palette (an index
// without an entry gives black), every other value unchanged.
TColor ColorToRGB(TColor color);
// ColorToRGB as a drawing colour (low 24 bits).
TColorRef ColorToColorRef(TColor color);

// Names of colours as form files write them ("clBtnFace"). IdentToColor ignores case.
std::optional<std::string> ColorToIdent(TColor color);
std::optional<TColor> IdentToColor(std::string_view ident);
// The form-file text of a colour: its identifier, or "$00BBGGRR" hexadecimal.
std::string ColorToString(TColor color);
// Identifier, "$hex" or decimal; nullopt when the text is none of these.
std::optional<TColor> StringToColor(std::string_view text);

// ---------------------------------------------------------------------------------------------
// Integer arithmetic helper of the classic platform: a * b / c rounded half away from zero,
// computed in 64 bits; -1 when c is 0.
int MulDiv(int a, int b, int c);

// Integer sums and differences that saturate instead of overflowing: coordinates can come
// from files, and a hostile one must not turn an addition into undefined behaviour.
constexpr int ClampToInt(std::int64_t v) {
    return v > 2147483647        ? 2147483647
           : v < -2147483647 - 1 ? -2147483647 - 1
                                 : static_cast<int>(v);
}
constexpr int AddClamped(int a, int b) {
    return ClampToInt(std::int64_t{a} + b);
}
constexpr int SubClamped(int a, int b) {
    return ClampToInt(std::int64_t{a} - b);
}

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const TSize&) const = default;
};

// Left and Top inclusive, Right and Bottom exclusive (the pixel at Right, Bottom is outside).
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return SubClamped(Right, Left); }
    int Height() const { return SubClamped(Bottom, Top); }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const TRect&) const = default;
};

constexpr TPoint Point(int x, int y) {
    return TPoint{x, y};
}
constexpr TRect Rect(int left, int top, int right, int bottom) {
    return TRect{left, top, right, bottom};
}
constexpr TRect Bounds(int left, int top, int width, int height) {
    return TRect{left, top, AddClamped(left, width), AddClamped(top, height)};
}
// Intersection; empty (all zero) when the rectangles do not overlap.
TRect IntersectRect(const TRect& a, const TRect& b);

// ---------------------------------------------------------------------------------------------
// Base of the graphics objects that tell their owner about changes.
class TGraphicsObject {
  public:
    using ChangeHandler = std::function<void(TGraphicsObject& sender)>;

    TGraphicsObject() = default;
    // The handler belongs to the owner of this object, not to its value: copies start
    // without one, and assigning a value keeps the target's handler.
    TGraphicsObject(const TGraphicsObject&) {}
    TGraphicsObject& operator=(const TGraphicsObject&) { return *this; }
    virtual ~TGraphicsObject() = default;
    const ChangeHandler& OnChange() const { return onChange_; }
    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }

  protected:
    void Changed();

  private:
    ChangeHandler onChange_;
};

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = EnumSet<TFontStyle>;

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };

// Height is in pixels at PixelsPerInch (negative: character height, the usual form;
// positive: cell height). Size is in points: Size = -Height * 72 / PixelsPerInch, rounded
// the classic way (MulDiv); setting Size sets Height = -Size * PixelsPerInch / 72.
// Changing PixelsPerInch keeps Height (and so changes Size).
class TFont : public TGraphicsObject {
  public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    int Height() const { return height_; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int points);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    std::uint8_t Charset() const { return charset_; }
    void SetCharset(std::uint8_t charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);

    // Copies name, style, colour, charset and pitch; the height is copied when both fonts
    // have the same PixelsPerInch, else the point size is kept. One change notification.
    void Assign(const TFont& source);

    // The font record a device context is given (height, weight 700 for bold, face cut).
    LogFont ToLogFont() const;

    bool SameAs(const TFont& other) const;  // every property equal

  private:
    std::string name_;
    int height_;
    int pixelsPerInch_;
    TFontStyles style_;
    TColor color_;
    std::uint8_t charset_;
    TFontPitch pitch_;
};

enum TPenStyle : std::uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};

class TPen : public TGraphicsObject {
  public:
    TPen() = default;
    TPen(const TPen& other)
        : TGraphicsObject(), color_(other.color_), width_(other.width_), style_(other.style_) {}
    TPen& operator=(const TPen& other);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    void Assign(const TPen& source) { *this = source; }

    LogPen ToLogPen() const;  // colour through ColorToRGB

  private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
};

enum TBrushStyle : std::uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

class TBrush : public TGraphicsObject {
  public:
    TBrush() = default;
    TBrush(const TBrush& other) : TGraphicsObject(), color_(other.color_), style_(other.style_) {}
    TBrush& operator=(const TBrush& other);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    void Assign(const TBrush& source) { *this = source; }

    LogBrush ToLogBrush() const;  // colour through ColorToRGB; hatches as HS_*

  private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

// ---------------------------------------------------------------------------------------------
// A read-only view of 32-bit pixels, rows top-down, each pixel 0xAARRGGBB (alpha is not
// used for drawing).
struct BitmapView {
    int width = 0;
    int height = 0;
    std::span<const std::uint32_t> pixels;  // width * height entries
    // Blending, as an alpha blend asks: each pixel's alpha (its colour premultiplied by it),
    // and an opacity for the whole image. Otherwise the pixels are opaque.
    bool premultipliedAlpha = false;
    std::uint8_t opacity = 255;
};

class TBitmap : public TGraphicsObject {
  public:
    TBitmap() = default;
    TBitmap(int width, int height, std::uint32_t fill = 0xFFFFFFFFu);
    TBitmap(const TBitmap&) = default;
    TBitmap(TBitmap&&) = default;
    TBitmap& operator=(const TBitmap& other);  // notifies
    TBitmap& operator=(TBitmap&& other);       // notifies

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    // New size; every pixel becomes `fill`. Negative sizes count as 0; false (and no change)
    // when the pixel count would not fit in memory limits (kMaxBitmapPixels).
    bool SetSize(int width, int height, std::uint32_t fill = 0xFFFFFFFFu);
    std::uint32_t Pixel(int x, int y) const;  // 0 outside
    void SetPixel(int x, int y, std::uint32_t argb);
    std::span<std::uint32_t> Pixels() { return pixels_; }
    std::span<const std::uint32_t> Pixels() const { return pixels_; }
    BitmapView View() const { return BitmapView{width_, height_, pixels_}; }

    // BMP (own bounds-checked decoder) or, through the graphics backend, PNG and the other
    // formats it reads. An error with the reason when the data is not an image we can read.
    Result<void> LoadFromBytes(std::span<const std::uint8_t> data);
    Result<void> LoadFromFile(const std::string& path);
    // A 32-bit BMP file of the pixels.
    std::vector<std::uint8_t> SaveToBmp() const;

    // A whole page at 600 pixels per inch fits; a hostile header cannot ask for gigabytes.
    static constexpr std::int64_t kMaxBitmapPixels = limits::kMaxImagePixels;

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// An enhanced metafile kept as its file bytes (pages, pictures from form files).
class TMetafile : public TGraphicsObject {
  public:
    TMetafile() = default;
    TMetafile(const TMetafile&) = default;
    TMetafile(TMetafile&&) = default;
    TMetafile& operator=(const TMetafile& other);  // notifies
    bool Empty() const { return data_.empty(); }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    // Keeps the bytes when their header is a valid enhanced-metafile header.
    Result<void> LoadFromBytes(std::span<const std::uint8_t> data);
    Result<void> LoadFromFile(const std::string& path);
    Result<void> SaveToFile(const std::string& path) const;
    void Clear();
    // Size on the screen (0 when empty): the picture frame at its real size in screen pixels;
    // for a page of the suite, the screen rectangle it plays one unit to one unit into.
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    std::vector<std::uint8_t> data_;
    int width_ = 0;
    int height_ = 0;
};

// An icon kept as its file bytes, with the image the backend decoded from it (if any).
// Icons are shown on screen only; printing draws nothing for them.
class TIcon : public TGraphicsObject {
  public:
    TIcon() = default;
    TIcon(const TIcon&) = default;
    TIcon(TIcon&&) = default;
    TIcon& operator=(const TIcon& other);  // notifies
    bool Empty() const { return data_.empty(); }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    const TBitmap& Image() const { return image_; }
    Result<void> LoadFromBytes(std::span<const std::uint8_t> data);
    int Width() const { return image_.Width(); }
    int Height() const { return image_.Height(); }

  private:
    std::vector<std::uint8_t> data_;
    TBitmap image_;
};

// A picture holds one graphic: a bitmap, a metafile or an icon (or nothing).
class TPicture : public TGraphicsObject {
  public:
    enum class Kind : std::uint8_t { None, Bitmap, Metafile, Icon };

    TPicture() = default;
    TPicture(const TPicture& other);
    TPicture& operator=(const TPicture& other);

    Kind GraphicKind() const { return kind_; }
    bool Empty() const { return kind_ == Kind::None; }

    // Reading the graphic of another kind replaces the picture's graphic by an empty one of
    // the asked kind, as the component library does.
    TBitmap& Bitmap();
    TMetafile& Metafile();
    TIcon& Icon();
    // Read-only access without replacing: nullptr when the picture holds another kind.
    const TBitmap* BitmapIfAny() const { return kind_ == Kind::Bitmap ? bitmap_.get() : nullptr; }
    const TMetafile* MetafileIfAny() const {
        return kind_ == Kind::Metafile ? metafile_.get() : nullptr;
    }
    const TIcon* IconIfAny() const { return kind_ == Kind::Icon ? icon_.get() : nullptr; }

    int Width() const;
    int Height() const;

    // Detects the format by its signature (EMF, BMP, PNG and the backend's image formats,
    // ICO). An error with the reason when nothing could be read; the picture is then
    // unchanged.
    Result<void> LoadFromBytes(std::span<const std::uint8_t> data);
    Result<void> LoadFromFile(const std::string& path);
    // The graphic as file bytes: the metafile or icon as loaded, a bitmap as BMP.
    std::vector<std::uint8_t> SaveToBytes() const;
    void Assign(const TPicture& source) { *this = source; }
    void Clear();

  private:
    void ClearGraphic();
    void Adopt();

    Kind kind_ = Kind::None;
    std::unique_ptr<TBitmap> bitmap_;
    std::unique_ptr<TMetafile> metafile_;
    std::unique_ptr<TIcon> icon_;
};

// Reads a whole file, or says why it cannot.
Result<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);
Result<void> WriteFileBytes(const std::string& path, std::span<const std::uint8_t> data);

}  // namespace quillon
