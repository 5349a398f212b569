// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/graphics.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <limits>

#include "platform/gdi/dib.h"
#include "platform/gdi/graphics_backend.h"
#include "platform/gdi/system_colors.h"
#include "platform/sys/files.h"

namespace quillon {

namespace {

// The classic system palette (the platform's standard colour scheme), by index.
constexpr std::array<TColor, 25> kSystemPalette = {
    0xC0C0C0,  // scroll bar
    0x808000,  // desktop background
    0x800000,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application workspace
    0x800000,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3-D dark shadow
    0xC0C0C0,  // 3-D light
    0x000000,  // tooltip text
    0xE1FFFF,  // tooltip background
};

struct ColorName {
    TColor value;
    const char* name;
};

constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

namespace {

std::optional<SystemColorTable> screenColors;
thread_local const SystemColorTable* activeColors = nullptr;

}  // namespace

void SetScreenSystemColors(const std::optional<SystemColorTable>& colors) {
    screenColors = colors;
}

ScreenColors::ScreenColors() : previous_(activeColors) {
    activeColors = screenColors ? &*screenColors : nullptr;
}

ScreenColors::~ScreenColors() {
    activeColors = previous_;
}

TColor ColorToRGB(TColor color) {
    if (color >= 0) return color;
    const std::uint32_t index = static_cast<std::uint32_t>(color) & 0xFF;
    const auto& table = activeColors ? *activeColors : kSystemPalette;
    return index < table.size() ? table[index] : 0;
}

TColorRef ColorToColorRef(TColor color) {
    return static_cast<TColorRef>(ColorToRGB(color)) & 0x00FFFFFFu;
}

std::optional<std::string> ColorToIdent(TColor color) {
    for (const ColorName& c : kColorNames) {
        if (c.value == color) return std::string(c.name);
    }
    return std::nullopt;
}

std::optional<TColor> IdentToColor(std::string_view ident) {
    for (const ColorName& c : kColorNames) {
        if (EqualsIgnoreCase(ident, c.name)) return c.value;
    }
    return std::nullopt;
}

std::string ColorToString(TColor color) {
    if (auto ident = ColorToIdent(color)) return *ident;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(color));
    return buf;
}

std::optional<TColor> StringToColor(std::string_view text) {
    if (auto c = IdentToColor(text)) return c;
    if (text.empty()) return std::nullopt;
    bool negative = false;
    std::size_t pos = 0;
    if (text[0] == '-') {
        negative = true;
        pos = 1;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (text.size() > pos + 1 && text[pos] == '0' &&
               (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int ch = std::tolower(static_cast<unsigned char>(text[pos]));
        int digit;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (base == 16 && ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else
            return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 10 && !negative && value > 0x7FFFFFFFull) return std::nullopt;
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<TColor>(-static_cast<std::int64_t>(value));
    }
    return static_cast<TColor>(static_cast<std::uint32_t>(value));
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    std::int64_t absProduct = product < 0 ? -product : product;
    std::int64_t absC = c < 0 ? -static_cast<std::int64_t>(c) : c;
    std::int64_t q = (absProduct + absC / 2) / absC;  // halves away from zero
    std::int64_t r = negative ? -q : q;
    if (r > std::numeric_limits<int>::max() || r < std::numeric_limits<int>::min()) return -1;
    return static_cast<int>(r);
}

TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) return TRect{};
    return r;
}

void TGraphicsObject::Changed() {
    if (onChange_) onChange_(*this);
}

// --- TFont -----------------------------------------------------------------------------------

TFont::TFont()
    : name_("MS Sans Serif"),
      height_(-11),
      pixelsPerInch_(96),
      color_(clWindowText),
      charset_(DEFAULT_CHARSET),
      pitch_(fpDefault) {}

TFont::TFont(const TFont& other)
    : TGraphicsObject(),
      name_(other.name_),
      height_(other.height_),
      pixelsPerInch_(other.pixelsPerInch_),
      style_(other.style_),
      color_(other.color_),
      charset_(other.charset_),
      pitch_(other.pitch_) {}

TFont& TFont::operator=(const TFont& other) {
    if (this != &other) {
        name_ = other.name_;
        height_ = other.height_;
        pixelsPerInch_ = other.pixelsPerInch_;
        style_ = other.style_;
        color_ = other.color_;
        charset_ = other.charset_;
        pitch_ = other.pitch_;
        Changed();
    }
    return *this;
}

void TFont::SetName(const std::string& name) {
    if (name == name_) return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == height_) return;
    height_ = height;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, pixelsPerInch_, 72));
}

void TFont::SetPixelsPerInch(int ppi) {
    if (ppi <= 0 || ppi == pixelsPerInch_) return;
    pixelsPerInch_ = ppi;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TFont::SetCharset(std::uint8_t charset) {
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == pitch_) return;
    pitch_ = pitch;
    Changed();
}

void TFont::Assign(const TFont& source) {
    if (this == &source) return;
    name_ = source.name_;
    style_ = source.style_;
    color_ = source.color_;
    charset_ = source.charset_;
    pitch_ = source.pitch_;
    if (pixelsPerInch_ == source.pixelsPerInch_) {
        height_ = source.height_;
    } else {
        height_ = -MulDiv(source.Size(), pixelsPerInch_, 72);
    }
    Changed();
}

LogFont TFont::ToLogFont() const {
    LogFont f;
    f.height = height_;
    f.weight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    f.italic = style_.Contains(fsItalic);
    f.underline = style_.Contains(fsUnderline);
    f.strikeOut = style_.Contains(fsStrikeOut);
    f.charSet = charset_;
    f.pitchAndFamily = pitch_ == fpFixed ? 1 : pitch_ == fpVariable ? 2 : 0;
    f.faceName = CutFaceName(name_);
    return f;
}

bool TFont::SameAs(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && pixelsPerInch_ == o.pixelsPerInch_ &&
           style_ == o.style_ && color_ == o.color_ && charset_ == o.charset_ && pitch_ == o.pitch_;
}

// --- TPen, TBrush ------------------------------------------------------------------------------

TPen& TPen::operator=(const TPen& other) {
    if (this != &other) {
        color_ = other.color_;
        width_ = other.width_;
        style_ = other.style_;
        Changed();
    }
    return *this;
}

void TPen::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TPen::SetWidth(int width) {
    if (width == width_) return;
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

LogPen TPen::ToLogPen() const {
    static constexpr std::uint32_t kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                                PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    return LogPen{kStyles[style_ <= psInsideFrame ? style_ : 0], width_, ColorToColorRef(color_)};
}

TBrush& TBrush::operator=(const TBrush& other) {
    if (this != &other) {
        color_ = other.color_;
        style_ = other.style_;
        Changed();
    }
    return *this;
}

void TBrush::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}

LogBrush TBrush::ToLogBrush() const {
    const TColorRef c = ColorToColorRef(color_);
    switch (style_) {
        case bsSolid:
            return LogBrush{BS_SOLID, c, 0};
        case bsClear:
            return LogBrush{BS_NULL, c, 0};
        case bsHorizontal:
            return LogBrush{BS_HATCHED, c, HS_HORIZONTAL};
        case bsVertical:
            return LogBrush{BS_HATCHED, c, HS_VERTICAL};
        case bsFDiagonal:
            return LogBrush{BS_HATCHED, c, HS_FDIAGONAL};
        case bsBDiagonal:
            return LogBrush{BS_HATCHED, c, HS_BDIAGONAL};
        case bsCross:
            return LogBrush{BS_HATCHED, c, HS_CROSS};
        case bsDiagCross:
            return LogBrush{BS_HATCHED, c, HS_DIAGCROSS};
    }
    return LogBrush{BS_SOLID, c, 0};
}

// --- TBitmap -----------------------------------------------------------------------------------

TBitmap::TBitmap(int width, int height, std::uint32_t fill) {
    SetSize(width, height, fill);
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        pixels_ = other.pixels_;
        Changed();
    }
    return *this;
}

TBitmap& TBitmap::operator=(TBitmap&& other) {
    if (this != &other) {
        width_ = other.width_;
        height_ = other.height_;
        pixels_ = std::move(other.pixels_);
        other.width_ = other.height_ = 0;
        other.pixels_.clear();
        Changed();
    }
    return *this;
}

bool TBitmap::SetSize(int width, int height, std::uint32_t fill) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const std::int64_t count = static_cast<std::int64_t>(width) * height;
    if (count > kMaxBitmapPixels) return false;
    pixels_.assign(static_cast<std::size_t>(count), fill);
    width_ = width;
    height_ = height;
    Changed();
    return true;
}

std::uint32_t TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void TBitmap::SetPixel(int x, int y, std::uint32_t argb) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = argb;
}

Result<void> TBitmap::LoadFromBytes(std::span<const std::uint8_t> data) {
    Result<TBitmap> decoded = data.size() >= 2 && data[0] == 'B' && data[1] == 'M'
                                  ? DecodeBmp(data)
                                  : GetGraphicsBackend().DecodeImage(data);
    if (!decoded) return decoded.error();
    width_ = decoded->width_;
    height_ = decoded->height_;
    pixels_ = std::move(decoded->pixels_);
    Changed();
    return Ok();
}

Result<void> TBitmap::LoadFromFile(const std::string& path) {
    const Result<std::vector<std::uint8_t>> data = ReadFileBytes(path);
    if (!data) return data.error();
    return LoadFromBytes(*data);
}

std::vector<std::uint8_t> TBitmap::SaveToBmp() const {
    return EncodeBmp32(View());
}

// --- TMetafile, TIcon ---------------------------------------------------------------------------

TMetafile& TMetafile::operator=(const TMetafile& other) {
    if (this != &other) {
        data_ = other.data_;
        width_ = other.width_;
        height_ = other.height_;
        Changed();
    }
    return *this;
}

TIcon& TIcon::operator=(const TIcon& other) {
    if (this != &other) {
        data_ = other.data_;
        image_ = other.image_;
        Changed();
    }
    return *this;
}

Result<void> TMetafile::LoadFromFile(const std::string& path) {
    const Result<std::vector<std::uint8_t>> data = ReadFileBytes(path);
    if (!data) return data.error();
    return LoadFromBytes(*data);
}

Result<void> TMetafile::SaveToFile(const std::string& path) const {
    return WriteFileBytes(path, data_);
}

void TMetafile::Clear() {
    data_.clear();
    width_ = height_ = 0;
    Changed();
}

Result<void> TIcon::LoadFromBytes(std::span<const std::uint8_t> data) {
    if (data.size() < 6 || data[0] != 0 || data[1] != 0 || data[2] != 1 || data[3] != 0) {
        return Error{"not an icon file"};
    }
    // An icon the backend cannot decode is still kept (it is only ever shown, never printed).
    Result<TBitmap> image = GetGraphicsBackend().DecodeImage(data);
    data_.assign(data.begin(), data.end());
    image_ = image ? std::move(*image) : TBitmap();
    Changed();
    return Ok();
}

// --- TPicture ------------------------------------------------------------------------------------

TPicture::TPicture(const TPicture& other) : TGraphicsObject() {
    *this = other;
}

void TPicture::Adopt() {
    // A change inside the graphic is a change of the picture.
    auto forward = [this](TGraphicsObject&) { Changed(); };
    if (bitmap_) bitmap_->SetOnChange(forward);
    if (metafile_) metafile_->SetOnChange(forward);
    if (icon_) icon_->SetOnChange(forward);
}

TPicture& TPicture::operator=(const TPicture& other) {
    if (this == &other) return *this;
    kind_ = other.kind_;
    bitmap_ = other.bitmap_ ? std::make_unique<TBitmap>(*other.bitmap_) : nullptr;
    metafile_ = other.metafile_ ? std::make_unique<TMetafile>(*other.metafile_) : nullptr;
    icon_ = other.icon_ ? std::make_unique<TIcon>(*other.icon_) : nullptr;
    Adopt();
    Changed();
    return *this;
}

TBitmap& TPicture::Bitmap() {
    if (kind_ != Kind::Bitmap || !bitmap_) {
        ClearGraphic();
        kind_ = Kind::Bitmap;
        bitmap_ = std::make_unique<TBitmap>();
        Adopt();
        Changed();
    }
    return *bitmap_;
}

TMetafile& TPicture::Metafile() {
    if (kind_ != Kind::Metafile || !metafile_) {
        ClearGraphic();
        kind_ = Kind::Metafile;
        metafile_ = std::make_unique<TMetafile>();
        Adopt();
        Changed();
    }
    return *metafile_;
}

TIcon& TPicture::Icon() {
    if (kind_ != Kind::Icon || !icon_) {
        ClearGraphic();
        kind_ = Kind::Icon;
        icon_ = std::make_unique<TIcon>();
        Adopt();
        Changed();
    }
    return *icon_;
}

int TPicture::Width() const {
    switch (kind_) {
        case Kind::Bitmap:
            return bitmap_->Width();
        case Kind::Metafile:
            return metafile_->Width();
        case Kind::Icon:
            return icon_->Width();
        case Kind::None:
            break;
    }
    return 0;
}

int TPicture::Height() const {
    switch (kind_) {
        case Kind::Bitmap:
            return bitmap_->Height();
        case Kind::Metafile:
            return metafile_->Height();
        case Kind::Icon:
            return icon_->Height();
        case Kind::None:
            break;
    }
    return 0;
}

Result<void> TPicture::LoadFromBytes(std::span<const std::uint8_t> data) {
    if (data.size() >= 44 && data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0 &&
        data[40] == ' ' && data[41] == 'E' && data[42] == 'M' && data[43] == 'F') {
        TMetafile m;
        if (Result<void> loaded = m.LoadFromBytes(data); !loaded) return loaded;
        ClearGraphic();
        kind_ = Kind::Metafile;
        metafile_ = std::make_unique<TMetafile>(std::move(m));
    } else if (data.size() >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0) {
        TIcon icon;
        if (Result<void> loaded = icon.LoadFromBytes(data); !loaded) return loaded;
        ClearGraphic();
        kind_ = Kind::Icon;
        icon_ = std::make_unique<TIcon>(std::move(icon));
    } else {
        TBitmap b;
        if (Result<void> loaded = b.LoadFromBytes(data); !loaded) return loaded;
        ClearGraphic();
        kind_ = Kind::Bitmap;
        bitmap_ = std::make_unique<TBitmap>(std::move(b));
    }
    Adopt();
    Changed();
    return Ok();
}

Result<void> TPicture::LoadFromFile(const std::string& path) {
    const Result<std::vector<std::uint8_t>> data = ReadFileBytes(path);
    if (!data) return data.error();
    return LoadFromBytes(*data);
}

std::vector<std::uint8_t> TPicture::SaveToBytes() const {
    switch (kind_) {
        case Kind::Bitmap:
            return bitmap_->SaveToBmp();
        case Kind::Metafile:
            return metafile_->Data();
        case Kind::Icon:
            return icon_->Data();
        case Kind::None:
            break;
    }
    return {};
}

void TPicture::ClearGraphic() {
    kind_ = Kind::None;
    bitmap_.reset();
    metafile_.reset();
    icon_.reset();
}

void TPicture::Clear() {
    if (kind_ == Kind::None) return;
    ClearGraphic();
    Changed();
}

// --- files ---------------------------------------------------------------------------------------

Result<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path) {
    // A FIFO or a device in a file's place is refused rather than waited on or read for ever.
    return ReadRegularFile(path, std::numeric_limits<std::size_t>::max());
}

Result<void> WriteFileBytes(const std::string& path, std::span<const std::uint8_t> data) {
    return WriteFileAtomically(path, data, OutputFileOptions());
}

}  // namespace quillon
