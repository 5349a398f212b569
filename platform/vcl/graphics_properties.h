// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Property tables of the graphics objects that controls own (fonts, pens,
// brushes, pictures), so that form files write them as sub-properties
// (Font.Height = -13, Glyph.Data = {...}).

namespace quillon {

class TClassInfo;

const TClassInfo& FontClassInfo();
const TClassInfo& PenClassInfo();
const TClassInfo& BrushClassInfo();
// Data: the picture's file bytes (BMP, PNG, EMF or ICO).
const TClassInfo& PictureClassInfo();
// Data: the bitmap as a BMP file.
const TClassInfo& BitmapClassInfo();
const TClassInfo& IconClassInfo();

}  // namespace quillon
