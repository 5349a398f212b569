// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The suite's data grid for the screen: a click on a column title sorts its
// dataset (a table by switching to an index of the field, a query by
// rewriting its ORDER BY clause), where in the title decides the direction.
// Memo and picture fields are drawn in their cells, and all data rows share
// one height that the user can drag.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/data/dbctrls.h"
#include "printsuite/base/Vex_Types.h"

namespace quillon {

// Sort zones of a point in a title cell.
enum : std::uint8_t { szNone = 0, szAscending = 1, szMiddle = 2, szDescending = 3 };

// The zone of a point at fraction f (0..1) of a title's width: the left tenth
// and the right twentieth are dead, then ascending to a third, the middle to
// two thirds, descending after.
std::uint8_t SortZoneOfFraction(double f);

// The query's SQL lines with its ORDER BY clause replaced by one on `field`
// (a quoted identifier) in the zone's direction, or removed in the middle
// zone. The clause is found whatever its spacing (tabs, two spaces, "ORDER" and
// "BY" on two lines), only in the statement itself (not in quotes, comments or
// sub-queries); a LIMIT or OFFSET after it and a closing ";" are kept after
// the new clause; empty lines go.
std::vector<std::string> SortedSqlLines(const std::vector<std::string>& lines,
                                        const std::string& field, std::uint8_t zone);

// The program's own pointer shapes over a title: "ATOZ", "MID" and "ZTOA"
// (registered with the desktop on first use); crNone for another name.
TCursor LoadSortCursor(const std::string& name);

class TVex_SortGrid : public TDBGrid, public TVexPrintPlace {
    QUILLON_CLASS_INFO()
  public:
    explicit TVex_SortGrid(TComponent* owner);

    bool AllowSort() const { return allowSort_; }
    void SetAllowSort(bool v) { allowSort_ = v; }
    bool DisplayDBMemo() const { return displayMemo_; }
    void SetDisplayDBMemo(bool v) { displayMemo_ = v; Invalidate(); }
    bool DisplayDBImage() const { return displayImage_; }
    void SetDisplayDBImage(bool v) { displayImage_ = v; Invalidate(); }
    bool AutoAlign() const { return autoAlign_; }
    void SetAutoAlign(bool v) { autoAlign_ = v; }
    // Every data row's height (screen pixels).
    void SetDefaultRowHeight(int v);
    double PrintItLeft() const { return printIt_[0]; }
    void SetPrintItLeft(double v) { printIt_[0] = v; }
    double PrintItTop() const { return printIt_[1]; }
    void SetPrintItTop(double v) { printIt_[1] = v; }
    double PrintItWidth() const { return printIt_[2]; }
    void SetPrintItWidth(double v) { printIt_[2] = v; }
    double PrintItHeight() const { return printIt_[3]; }
    void SetPrintItHeight(double v) { printIt_[3] = v; }
    // The place on paper (job units) is used only when all four are given.
    bool HasPrintPlace() const {
        return printIt_[0] != 0 && printIt_[1] != 0 && printIt_[2] != 0 && printIt_[3] != 0;
    }
    bool PrintPlace(double& left, double& top, double& width, double& height) const override {
        if (!HasPrintPlace()) return false;
        left = printIt_[0];
        top = printIt_[1];
        width = printIt_[2];
        height = printIt_[3];
        return true;
    }

    TNotifyEvent OnTitleDblClicked, OnBeforeSort, OnAfterSort;

    // The data column under x (client pixels), counted from the left-most
    // shown column, -1 for none; sets the zone.
    int SortColumnAt(int x);
    std::uint8_t SortZone() const { return zone_; }
    // Name of the sort cursor last shown ("" once the pointer left the titles).
    std::string CursorName() const;
    // Whether the point lies in the title row within the drawn columns.
    bool InTitleRow(int x, int y) const;

    // Sorts by the column (an index of Columns()) in the zone's direction;
    // false with the message shown (information box) when refused or failed.
    bool SortByColumn(int column, std::uint8_t zone);
    // The text of the last refusal or failure ("" after a sort that worked).
    const std::string& SortMessage() const { return message_; }

    // Row 0 fits the title font: the height of "W" and 4 pixels.
    int TitleRowHeight() const override;
    void RowHeightChanged(int row, int height) override;
    bool DrawDataCell(TCanvas& canvas, const TRect& rect, std::int64_t row, int column,
                      bool highlighted, bool focused) override;
    // The rectangle a title cell is drawn in: one pixel in at the left and
    // top while the button is down, for a pressed look.
    TRect TitleCellRect(const TRect& rect) const override;

    void DblClick() override;

  protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;

  private:
    bool Refuse(const std::string& text);
    int DrawnWidth() const;
    bool allowSort_ = true, displayMemo_ = true, displayImage_ = true, autoAlign_ = false;
    bool buttonDown_ = false, pressedAgain_ = false, sorting_ = false;
    int pressX_ = 0, pressY_ = 0;
    int storedRowHeight_ = 20;
    std::uint8_t zone_ = szNone;
    std::string cursorName_ = "         ";
    double printIt_[4] = {0, 0, 0, 0};
    std::string message_;
};

}  // namespace quillon
