// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The other controls: picture buttons, shapes, bevels, images, scroll boxes,
// radio groups, string grids and rich edits.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/sys/result.h"
#include "platform/vcl/rich_text.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

extern const TEnumInfo kBitBtnKindNames, kButtonLayoutNames, kShapeTypeNames, kBevelShapeNames,
    kBevelStyleNames, kGridOptionNames;

// ---------------------------------------------------------------- TBitBtn

enum TBitBtnKind : std::uint8_t {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll,
};
enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A button with a picture. The glyph is a strip of NumGlyphs images of equal
// width side by side: the normal image, then the one for the disabled button
// (then the pressed and the down one). The colour of the strip's bottom-left
// pixel is transparent.
class TBitBtn : public TButton {
    QUILLON_CLASS_INFO()
  public:
    explicit TBitBtn(TComponent* owner);

    TBitmap& Glyph() { return glyph_; }
    const TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const TBitmap& bitmap);
    // 1 to 4. Loading a glyph whose width is 1 to 4 times its height sets it.
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);
    TBitBtnKind Kind() const { return kind_; }
    // A kind other than bkCustom sets the caption, ModalResult and Default or
    // Cancel of that kind.
    void SetKind(TBitBtnKind kind);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout l);
    int Margin() const { return margin_; }
    void SetMargin(int m);
    int Spacing() const { return spacing_; }
    void SetSpacing(int s);

    // The transparent colour (the strip's bottom-left pixel as 0x00RRGGBB).
    std::uint32_t TransparentColor() const;
    // One image of the strip with the transparent pixels' alpha 0 and the
    // others' 255 (0xAARRGGBB). Index 1 without a disabled image in the strip
    // is made from the normal one in grey. Empty without a glyph.
    TBitmap GlyphImage(int index) const;
    // The image for the button's state (enabled or not).
    TBitmap CurrentGlyph() const { return GlyphImage(Enabled() ? 0 : 1); }
    // Draws the image for the button's state at (x, y), leaving transparent
    // pixels untouched.
    void DrawGlyph(TCanvas& canvas, int x, int y) const;

    void Click() override;

  private:
    void GlyphChanged();

    TBitmap glyph_;
    int numGlyphs_ = 1;
    TBitBtnKind kind_ = bkCustom;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
};

// ---------------------------------------------------------------- TShape

enum TShapeType : std::uint8_t {
    stRectangle,
    stSquare,
    stRoundRect,
    stRoundSquare,
    stEllipse,
    stCircle
};

class TShape : public TGraphicControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TShape(TComponent* owner);

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType s);
    TPen& Pen() { return pen_; }
    const TPen& Pen() const { return pen_; }
    TBrush& Brush() { return brush_; }
    const TBrush& Brush() const { return brush_; }

  protected:
    void Paint() override;

  private:
    TShapeType shape_ = stRectangle;
    TPen pen_;
    TBrush brush_;
};

// ---------------------------------------------------------------- TBevel

enum TBevelShape : std::uint8_t {
    bsBox,
    bsFrame,
    bsTopLine,
    bsBottomLine,
    bsLeftLine,
    bsRightLine,
    bsSpacer
};
enum TBevelStyle : std::uint8_t { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TBevel(TComponent* owner);

    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape s);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle s);

  protected:
    void Paint() override;

  private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// ---------------------------------------------------------------- TImage

class TImage : public TGraphicControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TImage(TComponent* owner);

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }
    void SetPicture(const TPicture& p) { picture_.Assign(p); }
    // Takes the picture's size.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Center() const { return center_; }
    void SetCenter(bool v);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);

  protected:
    void Paint() override;

  private:
    void PictureChanged();

    TPicture picture_;
    bool autoSize_ = false;
    bool center_ = false;
    bool stretch_ = false;
    bool transparent_ = false;
};

// ---------------------------------------------------------------- TScrollBox

// One scroll bar of a scroll box: Position moves the children by that many
// pixels; Range is the extent of the scrolled area (0 with AutoScroll: the
// children's extent).
class TControlScrollBar {
  public:
    int Position() const { return position_; }
    void SetPosition(int v);
    int Range() const { return range_; }
    void SetRange(int v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = v; }
    // Largest position (range beyond the client size).
    int MaxPosition() const;

    static const TClassInfo& StaticClassInfo();

  private:
    friend class TScrollBox;
    class TScrollBox* box_ = nullptr;
    bool horizontal_ = true;
    int position_ = 0;
    int range_ = 0;
    bool visible_ = true;
    int increment_ = 8;
};

class TScrollBox : public TWinControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TScrollBox(TComponent* owner);

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v);
    TControlScrollBar& HorzScrollBar() { return horz_; }
    TControlScrollBar& VertScrollBar() { return vert_; }
    const TControlScrollBar& HorzScrollBar() const { return horz_; }
    const TControlScrollBar& VertScrollBar() const { return vert_; }
    // Scrolls so that `control` is inside the visible area.
    void ScrollInView(TControl* control);

    TRect ClientRect() const override;
    TPoint ClientOffset() const override;
    // The extent of the children at scroll position 0.
    TSize ContentSize() const;

  private:
    friend class TControlScrollBar;
    void ScrollBy(int dx, int dy);

    TBorderStyle borderStyle_ = bsSingle;
    bool autoScroll_ = true;
    TControlScrollBar horz_, vert_;
};

// ---------------------------------------------------------------- TRadioGroup

class TCustomRadioGroup : public TCustomGroupBox {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomRadioGroup(TComponent* owner);

    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }
    // -1: none checked. Every change fires OnClick (also from the program).
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int Columns() const { return columns_; }
    void SetColumns(int n);

    // The user clicked entry `index`.
    void InputSelectItem(int index);

  protected:
    void Paint() override;
    void Loaded() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;

  private:
    TStringList items_;
    int itemIndex_ = -1;
    int columns_ = 1;
};

class TRadioGroup : public TCustomRadioGroup {
    QUILLON_CLASS_INFO()
  public:
    using TCustomRadioGroup::TCustomRadioGroup;
};

// ---------------------------------------------------------------- TStringGrid

enum TGridOption : std::uint8_t {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking,
};
using TGridOptions = EnumSet<TGridOption>;

using TSelectCellEvent = TEvent<void(TObject* sender, int col, int row, bool& canSelect)>;

class TStringGrid : public TCustomControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TStringGrid(TComponent* owner);

    int ColCount() const { return colCount_; }
    void SetColCount(int n);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int n);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int n);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int n);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int w);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int h);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int w);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions o);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor c);

    // Sizes of single columns and rows (pixels). Raises EListError outside.
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    // All of them (what form files store when they differ from the defaults).
    std::vector<int> ColWidthList() const { return colWidths_; }
    void SetColWidthList(const std::vector<int>& widths);
    std::vector<int> RowHeightList() const { return rowHeights_; }
    void SetRowHeightList(const std::vector<int>& heights);
    bool CustomColWidths() const;
    bool CustomRowHeights() const;

    // Cell texts; reading outside the grid gives "", writing raises EListError.
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, std::string_view text);
    // Column `col` or row `row` as a list.
    std::vector<std::string> Cols(int col) const;
    std::vector<std::string> Rows(int row) const;

    // The current cell.
    int Col() const { return col_; }
    void SetCol(int c);
    int Row() const { return row_; }
    void SetRow(int r);
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int c);
    int TopRow() const { return topRow_; }
    void SetTopRow(int r);

    // Rectangle of a cell in client coordinates (scrolled columns and rows are
    // not counted; empty when not visible).
    TRect CellRect(int col, int row) const;
    // The cell under a point, or false.
    bool MouseToCell(int x, int y, int& col, int& row) const;

    TSelectCellEvent OnSelectCell;

  protected:
    void Paint() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Loaded() override;

  private:
    void Resize();
    bool SelectCell(int col, int row);

    int colCount_ = 5, rowCount_ = 5;
    int fixedCols_ = 1, fixedRows_ = 1;
    int defaultColWidth_ = 64, defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TScrollStyle scrollBars_ = ssBoth;
    TBorderStyle borderStyle_ = bsSingle;
    TColor fixedColor_ = clBtnFace;
    std::vector<int> colWidths_, rowHeights_;
    // Only cells holding text are kept: a grid may have many more cells than
    // memory would hold.
    std::map<std::pair<int, int>, std::string> cells_;  // (row, col)
    int col_ = 1, row_ = 1, leftCol_ = 1, topRow_ = 1;
};

// ---------------------------------------------------------------- TRichEdit

// The rich edit: Lines and Text as in a memo, read as rich text (an HTML subset), Markdown
// or plain text by TextFormat; PlainText shows any of them as plain text.
class TCustomRichEdit : public TCustomMemo {
    QUILLON_CLASS_INFO()
  public:
    explicit TCustomRichEdit(TComponent* owner);

    bool PlainText() const { return plainText_; }
    void SetPlainText(bool v);
    TRichTextFormat TextFormat() const { return format_; }
    void SetTextFormat(TRichTextFormat f);

    // .html and .htm as rich text, .md as Markdown, .txt as plain text; any other ending is
    // refused with a reason naming it, and so is a file past the size limit.
    Result<void> LoadFromFile(const std::string& path);
    Result<void> SaveToFile(const std::string& path) const;

    // The document as the formatting service sees it: its text held to the rich text limits
    // (what was cut is told once, through InputNotice).
    TRichDocument Document() const;
    // Positions of the text as the installed formatting service counts them.
    int TextLength() const;
    // Formats from `first` into `rect` of `dc`; see RichTextEngine::FormatRange.
    int FormatRange(DeviceContext& dc, const TRect& rect, int first, bool render,
                    int devicePpi = 0) const;

    TNotifyEvent OnSelectionChange;

  private:
    bool plainText_ = false;
    TRichTextFormat format_ = rfPlainText;
    // The text as bounded for the formatting service, and what it was made from (its size and
    // hash rather than a second copy of a large document).
    mutable std::string bounded_;
    mutable std::size_t boundedFrom_ = 0, boundedSize_ = SIZE_MAX;
    mutable TRichTextFormat boundedFormat_ = rfPlainText;
};

class TRichEdit : public TCustomRichEdit {
    QUILLON_CLASS_INFO()
  public:
    using TCustomRichEdit::TCustomRichEdit;
};

}  // namespace quillon
