// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/graphics_properties.h"

#include <span>

#include "platform/vcl/controls.h"
#include "platform/gdi/graphics.h"
#include "platform/vcl/properties.h"

namespace quillon {

const TEnumInfo kFontStyleNames{"TFontStyle",
                                {{"fsBold", fsBold},
                                 {"fsItalic", fsItalic},
                                 {"fsUnderline", fsUnderline},
                                 {"fsStrikeOut", fsStrikeOut}}};
const TEnumInfo kFontPitchNames{
    "TFontPitch", {{"fpDefault", fpDefault}, {"fpVariable", fpVariable}, {"fpFixed", fpFixed}}};
const TEnumInfo kPenStyleNames{"TPenStyle",
                               {{"psSolid", psSolid},
                                {"psDash", psDash},
                                {"psDot", psDot},
                                {"psDashDot", psDashDot},
                                {"psDashDotDot", psDashDotDot},
                                {"psClear", psClear},
                                {"psInsideFrame", psInsideFrame}}};
const TEnumInfo kBrushStyleNames{"TBrushStyle",
                                 {{"bsSolid", bsSolid},
                                  {"bsClear", bsClear},
                                  {"bsHorizontal", bsHorizontal},
                                  {"bsVertical", bsVertical},
                                  {"bsFDiagonal", bsFDiagonal},
                                  {"bsBDiagonal", bsBDiagonal},
                                  {"bsCross", bsCross},
                                  {"bsDiagCross", bsDiagCross}}};

const TClassInfo& FontClassInfo() {
    static const TFont defaults;
    static const TClassInfo& info =
        TClassBuilder<TFont, TFont>("TFont", nullptr)
            .Int("Charset", &TFont::Charset, &TFont::SetCharset, defaults.Charset(), 0, 255)
            .Color("Color", &TFont::Color, &TFont::SetColor, defaults.Color())
            .Int("Height", &TFont::Height, &TFont::SetHeight, defaults.Height())
            .Str("Name", &TFont::Name, &TFont::SetName, defaults.Name())
            .Enum("Pitch", kFontPitchNames, &TFont::Pitch, &TFont::SetPitch, defaults.Pitch())
            // Size is another view of Height: read, never written.
            .Int("Size", &TFont::Size, &TFont::SetSize, std::nullopt)
            .StoredIf([](const TFont&) { return false; })
            .Set(
                "Style", kFontStyleNames,
                [](const TFont& f) { return static_cast<std::uint32_t>(f.Style().Bits()); },
                [](TFont& f, std::uint32_t bits) { f.SetStyle(TFontStyles::FromBits(bits)); },
                static_cast<std::int64_t>(defaults.Style().Bits()))
            .Abstract();
    return info;
}

const TClassInfo& PenClassInfo() {
    static const TPen defaults;
    static const TClassInfo& info =
        TClassBuilder<TPen, TPen>("TPen", nullptr)
            .Color("Color", &TPen::Color, &TPen::SetColor, defaults.Color())
            .Enum("Style", kPenStyleNames, &TPen::Style, &TPen::SetStyle, defaults.Style())
            .Int("Width", &TPen::Width, &TPen::SetWidth, defaults.Width(), 0, 1000)
            .Abstract();
    return info;
}

const TClassInfo& BrushClassInfo() {
    static const TBrush defaults;
    static const TClassInfo& info =
        TClassBuilder<TBrush, TBrush>("TBrush", nullptr)
            .Color("Color", &TBrush::Color, &TBrush::SetColor, defaults.Color())
            .Enum("Style", kBrushStyleNames, &TBrush::Style, &TBrush::SetStyle, defaults.Style())
            .Abstract();
    return info;
}

// Setters of picture data raise EConvertError with the decoder's reason, which
// the form reader reports with the line.
const TClassInfo& PictureClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TPicture, TPicture>("TPicture", nullptr)
            .Binary(
                "Data", [](const TPicture& p) { return p.SaveToBytes(); },
                [](TPicture& p, const std::vector<std::uint8_t>& data) {
                    if (data.empty()) {
                        p.Clear();
                        return;
                    }
                    const Result<void> loaded =
                        p.LoadFromBytes(std::span<const std::uint8_t>(data));
                    if (!loaded)
                        throw EConvertError(loaded.reason().empty()
                                                ? "not a picture that can be read"
                                                : loaded.reason());
                })
            .Abstract();
    return info;
}

const TClassInfo& BitmapClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TBitmap, TBitmap>("TBitmap", nullptr)
            .Binary(
                "Data",
                [](const TBitmap& b) {
                    return b.Empty() ? std::vector<std::uint8_t>() : b.SaveToBmp();
                },
                [](TBitmap& b, const std::vector<std::uint8_t>& data) {
                    if (data.empty()) {
                        b.SetSize(0, 0);
                        return;
                    }
                    const Result<void> loaded =
                        b.LoadFromBytes(std::span<const std::uint8_t>(data));
                    if (!loaded)
                        throw EConvertError(loaded.reason().empty()
                                                ? "not a bitmap that can be read"
                                                : loaded.reason());
                })
            .Abstract();
    return info;
}

const TClassInfo& IconClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TIcon, TIcon>("TIcon", nullptr)
            .Binary(
                "Data", [](const TIcon& i) { return i.Data(); },
                [](TIcon& i, const std::vector<std::uint8_t>& data) {
                    if (data.empty()) return;  // an empty icon is never written
                    const Result<void> loaded =
                        i.LoadFromBytes(std::span<const std::uint8_t>(data));
                    if (!loaded)
                        throw EConvertError(loaded.reason().empty() ? "not an icon that can be read"
                                                                    : loaded.reason());
                })
            .Abstract();
    return info;
}

// Colour identifiers of form files come from the graphics layer's table.
bool IdentToColorValue(std::string_view ident, std::int64_t& color) {
    const std::optional<TColor> c = IdentToColor(ident);
    if (!c) return false;
    color = *c;
    return true;
}

bool ColorValueToIdent(std::int64_t color, std::string& ident) {
    const std::optional<std::string> s = ColorToIdent(static_cast<TColor>(color));
    if (!s) return false;
    ident = *s;
    return true;
}

}  // namespace quillon
