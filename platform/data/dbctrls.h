// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Data-aware controls: the standard controls kept in step with a field of the
// current record of their data source's dataset (read-only: nothing is written
// back), the navigator, and the grid that shows a window of the dataset's rows.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/data/db.h"
#include "platform/gdi/canvas.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

// The link of a control to one field; `changed` runs on every change of the
// dataset, of the record or of the link.
class TFieldDataLink : public TDataLink {
  public:
    explicit TFieldDataLink(std::function<void()> changed) : changed_(std::move(changed)) {}
    ~TFieldDataLink() override;
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(std::string_view v);
    // The field of the open dataset, nullptr when closed or unknown.
    TField* Field() const;
    // Why `control` cannot show its field: the open dataset has no field of that name.
    std::string Problem(const TComponent& control) const;
    void DataEvent(TDataEvent) override;

  private:
    std::function<void()> changed_;
    std::string fieldName_;
    bool alive_ = true;
};

// Shared by the field controls: the data source reference with its removal notice.
#define QUILLON_DB_CONTROL()                                                 \
  public:                                                                    \
    TDataSource* DataSource() const {                                        \
        return link_.DataSource();                                           \
    }                                                                        \
    void SetDataSource(TDataSource* s);                                      \
    const std::string& DataField() const {                                   \
        return link_.FieldName();                                            \
    }                                                                        \
    void SetDataField(std::string_view v) {                                  \
        link_.SetFieldName(v);                                               \
    }                                                                        \
    TField* Field() const {                                                  \
        return link_.Field();                                                \
    }                                                                        \
    void Notification(TComponent* component, TOperation operation) override; \
    std::string LoadProblem() const {                                        \
        return link_.Problem(*this);                                         \
    }                                                                        \
                                                                             \
  private:                                                                   \
    void DataChanged();                                                      \
    TFieldDataLink link_{[this] { DataChanged(); }};

class TDBEdit : public TEdit {
    QUILLON_CLASS_INFO()
    QUILLON_DB_CONTROL()
  public:
    explicit TDBEdit(TComponent* owner);
};

class TDBText : public TLabel {
    QUILLON_CLASS_INFO()
    QUILLON_DB_CONTROL()
  public:
    explicit TDBText(TComponent* owner);
};

class TDBMemo : public TMemo {
    QUILLON_CLASS_INFO()
    QUILLON_DB_CONTROL()
  public:
    explicit TDBMemo(TComponent* owner);
};

class TDBCheckBox : public TCheckBox {
    QUILLON_CLASS_INFO()
    QUILLON_DB_CONTROL()
  public:
    explicit TDBCheckBox(TComponent* owner);
    // "True;Yes": any of these texts (without case) checks the box; numbers
    // other than 0 do too.
    const std::string& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(std::string_view v) { valueChecked_ = v; DataChanged(); }
    const std::string& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(std::string_view v) { valueUnchecked_ = v; DataChanged(); }

  private:
    std::string valueChecked_ = "True", valueUnchecked_ = "False";
};

class TDBRadioGroup : public TRadioGroup {
    QUILLON_CLASS_INFO()
    QUILLON_DB_CONTROL()
  public:
    explicit TDBRadioGroup(TComponent* owner);
    // The field values of the items in order (the items' texts when empty).
    TStrings& Values() { return values_; }

  private:
    TStringList values_;
};

class TDBComboBox : public TComboBox {
    QUILLON_CLASS_INFO()
    QUILLON_DB_CONTROL()
  public:
    explicit TDBComboBox(TComponent* owner);
};

// Shows, for the field's value, the LookupDisplay field of the record of
// LookupSource whose LookupField holds that value.
class TDBLookupCombo : public TComboBox {
    QUILLON_CLASS_INFO()
    QUILLON_DB_CONTROL()
  public:
    explicit TDBLookupCombo(TComponent* owner);
    TDataSource* LookupSource() const { return lookupSource_; }
    void SetLookupSource(TDataSource* s);
    const std::string& LookupField() const { return lookupField_; }
    void SetLookupField(std::string_view v) { lookupField_ = v; DataChanged(); }
    const std::string& LookupDisplay() const { return lookupDisplay_; }
    void SetLookupDisplay(std::string_view v) { lookupDisplay_ = v; DataChanged(); }

  private:
    TDataSource* lookupSource_ = nullptr;
    std::string lookupField_, lookupDisplay_;
};

// A graphic field's picture; a blob that is no picture leaves it empty.
class TDBImage : public TImage {
    QUILLON_CLASS_INFO()
    QUILLON_DB_CONTROL()
  public:
    explicit TDBImage(TComponent* owner);
    // Why the current value shows no picture ("" when it does or is NULL).
    const std::string& PictureError() const { return pictureError_; }

  private:
    std::string pictureError_;
};

enum TNavigateBtn : std::uint8_t { nbFirst, nbPrior, nbNext, nbLast, nbRefresh };

class TDBNavigator : public TCustomPanel {
    QUILLON_CLASS_INFO()
  public:
    explicit TDBNavigator(TComponent* owner);
    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* s);
    // What a press of that button does.
    void BtnClick(TNavigateBtn button);
    // Whether the button can be pressed now (First and Prior not at the start ...).
    bool ButtonEnabled(TNavigateBtn button) const;
    TEvent<void(TObject* sender, TNavigateBtn button)> OnClick;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TFieldDataLink link_{[] {}};
};

enum TDBGridOption : std::uint8_t {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines,
    dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit,
    dgMultiSelect
};
extern const TEnumInfo kDBGridOptionNames;

struct TDBGridColumn {
    std::string FieldName;
    std::string Title;  // the field's DisplayLabel when empty
    int Width = 0;      // screen pixels; from the field's DisplayWidth when 0
    bool Visible = true;
    TAlignment Alignment = taLeftJustify;  // used when AlignmentSet; else the field's
    bool AlignmentSet = false;
};

// The grid shows rows [TopRow, TopRow + VisibleRowCount) read through the
// dataset's FetchRows, so a table of any size costs one window of rows.
class TDBGrid : public TCustomControl {
    QUILLON_CLASS_INFO()
  public:
    explicit TDBGrid(TComponent* owner);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(TDataSource* s);
    std::uint32_t Options() const { return options_; }
    void SetOptions(std::uint32_t v) { options_ = v; DropWindow(); }
    bool HasOption(TDBGridOption o) const { return (options_ >> o) & 1u; }
    TFont& TitleFont() { return titleFont_; }
    const TFont& TitleFont() const { return titleFont_; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s) { borderStyle_ = s; Invalidate(); }
    int DefaultRowHeight() const { return rowHeight_; }
    void SetDefaultRowHeight(int v) { rowHeight_ = v > 0 ? v : 1; DropWindow(); }

    // Columns given by the form; without any, one per visible field.
    std::vector<TDBGridColumn>& CustomColumns() { return custom_; }
    bool ColumnsCustomised() const { return !custom_.empty(); }
    // The shown columns with their fields (nullptr: a column whose field is gone).
    struct Column {
        TField* Field;
        std::string Title;
        int Width;
        TAlignment Alignment = taLeftJustify;  // the column's, else its field's
        std::string FieldName;                 // also of a column whose field is missing
    };
    std::vector<Column> Columns() const;
    // A column of the form naming a field the open dataset does not have.
    std::string LoadProblem() const;

    // The indicator column's width (screen pixels) when dgIndicator is on.
    static constexpr int kIndicatorWidth = 11;
    // Height of the title row; the data rows' height unless a grid sizes it.
    virtual int TitleRowHeight() const { return rowHeight_; }
    // Whether the user may drag a data row's height.
    bool RowSizing() const { return rowSizing_; }
    void SetRowSizing(bool v) { rowSizing_ = v; Invalidate(); }
    // The user dragged data row `row` (0-based) to `height` pixels; the plain
    // grid keeps one height for all rows.
    virtual void RowHeightChanged(int row, int height) { (void)row; (void)height; }
    // The first column shown at the left (horizontal scrolling) and the
    // column that has the focus, both as indexes of Columns().
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int c);
    // Pixels of the left-most shown column hidden left of the data area (a view scrolled to
    // its right end shows the last column whole and the first one cut); set by the widget.
    int LeftColHidden() const { return leftColHidden_; }
    void SetLeftColHidden(int pixels) { leftColHidden_ = std::max(0, pixels); }
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int c);
    // The rectangle a title cell is drawn in (a grid may move it for a
    // pressed look).
    virtual TRect TitleCellRect(const TRect& rect) const { return rect; }
    // Draws a data cell onto `canvas` itself; false leaves it to the
    // widget's own text drawing.
    virtual bool DrawDataCell(TCanvas& canvas, const TRect& rect, std::int64_t row, int column,
                              bool highlighted, bool focused);

    // Scrolling: the first shown data row, and how many rows fit.
    std::int64_t TopRow() const { return topRow_; }
    void SetTopRow(std::int64_t row);
    int VisibleRowCount() const;
    // The display text of a cell of the shown window (row relative to the
    // dataset), "" outside it.
    std::string CellText(std::int64_t row, int column);
    // The stored value of a cell (read through the same window of rows).
    TCellValue CellValue(std::int64_t row, int column);
    // Rows read from the database so far (the window's cost, for checks).
    std::int64_t RowsFetched() const { return fetched_; }

    void Notification(TComponent* component, TOperation operation) override;

  private:
    void DataChanged();
    void DropWindow() { window_.clear(); Invalidate(); }
    // The window's row `row` (fetched when outside it), nullptr when none.
    const std::vector<TCellValue>* WindowRow(std::int64_t row);
    TFieldDataLink link_{[this] { DataChanged(); }};
    std::uint32_t options_;
    TFont titleFont_;
    TBorderStyle borderStyle_ = bsSingle;
    int rowHeight_ = 18;
    int leftCol_ = 0, selectedIndex_ = 0;
    int leftColHidden_ = 0;
    bool rowSizing_ = false;
    std::int64_t topRow_ = 0, windowFirst_ = 0, fetched_ = 0;
    std::vector<TDBGridColumn> custom_;
    std::vector<std::vector<TCellValue>> window_;
};

}  // namespace quillon
