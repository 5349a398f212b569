// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The form printer TDBPrintWin: the print job of TPrintWin with a window walk that also knows
// the suite's own controls (the shadow label, the totals box, the image panel), the data-aware
// controls, and the DB grids whose tables continue page by page with their column totals.

#include <memory>
#include <string>
#include <vector>

#include "platform/data/db.h"
#include "printsuite/job/PrnWin.h"

namespace quillon {

class TDBGrid;
class TDBMemo;
class TDBText;
class TDBComboBox;
class TDBLookupCombo;

// What the job keeps of one grid column from the grid's first table to EndJob.
struct TColumnState {
    // The column's own field (a DB grid): widths, cells and totals are paired with it, never
    // with whatever field happens to sit at the column's index. nullptr for a string grid.
    TField* Field = nullptr;
    int Width = 0;          // printer pixels
    double SubTotal = 0;    // since the last ResetColumns("SubTotal")
    double MainTotal = 0;   // over the whole job
    double PageTotal = 0;   // over the current pass
    bool ShowTotal = true;  // whether the closing totals row shows it
};

struct TGridState {
    TWinControl* Grid = nullptr;
    TDataSet* DataSet = nullptr;  // nullptr for a string grid (or a dataset that went away)
    TBookmark SavedPosition;      // where the user had the dataset; restored after each table
    TBookmark ResumePosition;     // the first record not printed yet
    bool Finished = false;        // every record printed: later tables print no rows
    std::vector<TColumnState> Columns;
};

class TDBPrintWin : public TPrintWin {
    QUILLON_CLASS_INFO()
  public:
    explicit TDBPrintWin(TComponent* owner);
    ~TDBPrintWin() override;

    std::string GetComponentName() override;
    void StartJob() override;
    void EndJob() override;
    // A TDBEdit prints its field's text in the field's alignment; other edits as the job's.
    void PrintEditControl(TCustomEdit& edit, int x1, int y1, int x2, int y2,
                          const TRect& rect) override;

    // The suite's shadow label (page rectangle in printer pixels).
    void PrintShadowLabel(TCustomLabel& label, const TVexShadowLabelPrinting& look,
                          const TRect& rect);
    // A totals box: its text, the date, the time, the page number or a column total, on the
    // passes its ShowOn allows.
    void PrintTotal(TControl& control, const TVexTotalPrinting& total, const TRect& rect);
    // The text a totals box prints on the current pass.
    std::string TotalText(const TVexTotalPrinting& total);

    // --- grids ---------------------------------------------------------------------------------
    // Finds (or creates) the grid's state and resets one item of every column: "WidthArray",
    // "SubTotal", "MainTotal", "PageTotal" (to 0) or "ShowTotal" (to true).
    void ResetColumns(TWinControl* grid, const std::string& what);
    // The page total and the accumulated total of the grid column whose field is visible and
    // whose display label is `fieldLabel` (ignoring case); 0 without such a column.
    virtual double GetPageTotal(TWinControl* grid, const std::string& fieldLabel);
    virtual double GetMainTotal(TWinControl* grid, const std::string& fieldLabel);
    // The grid's state, nullptr before its first table in this job.
    const TGridState* GridState(const TWinControl* grid) const;

    // The DB grid's box and table (page rectangle in printer pixels); the after-event when
    // asked.
    void PrintDBGrid(TDBGrid& grid, const TRect& rect, bool afterEvent);
    // The table inside (left, top)-(right, bottom), printer pixels, from the record where the
    // grid's previous table stopped; a closing totals row when asked.
    void PrintDBGridTable(TDBGrid& grid, int left, int top, int right, int bottom,
                          bool totalsRow = false);
    // The text of a field's cell on the current record; numeric values are added to the
    // column's totals when a column is given.
    std::string CellText(TField& field, TColumnState* column);
    // The x at which a text starts in a column from x, w printer pixels wide; a right-aligned
    // text that does not fit becomes a run of "#".
    int AlignedStart(TAlignment alignment, int x, int w, std::string& text) const;

  protected:
    void Notification(TComponent* component, TOperation operation) override;
    void PrintWindowItself(TWinControl& window, const TRect& rect, bool& drawn,
                           bool& frame) override;
    void PrintChild(TControl& child, const TRect& rect) override;
    void BeginPass() override;
    void EndPass() override;
    // The data-aware controls other than the edit, the check box, the radio group and the
    // image (those print by their plain class's rule).

    void PrintDBText(TDBText& text, const TRect& rect);
    void PrintDBMemo(TDBMemo& memo, const TRect& rect);
    void PrintDBComboBox(TDBComboBox& combo, const TRect& rect);
    void PrintDBLookupCombo(TDBLookupCombo& combo, const TRect& rect);

  private:
    // A totals box whose showing hangs on whether the pass is the last: drawn at the pass's
    // end, with the text it had where the walk met it.
    struct DeferredTotal {
        TColor color;
        TFont font;
        TAlignment alignment;
        std::string text;
        bool frame;
        TShow show;
        TRect rect;
    };
    void DrawTotal(TColor color, const TFont& font, TAlignment alignment, const std::string& text,
                   bool frame, const TRect& rect);
    TGridState* FindState(const TWinControl* grid) const;
    TGridState& StateOf(TWinControl& grid);
    void InitState(TGridState& state);
    // Puts the dataset back where the user had it and frees the bookmarks.
    void ReleaseState(TGridState& state);
    void FreeGridStates();
    // A dataset that stopped reading in the middle of the job (locked by a writer, its file
    // gone bad, its work budget spent): the job is given up, and the print path says why.
    void DataFailed(const TDataSet& dataSet);
    double ColumnTotal(TWinControl* grid, const std::string& fieldLabel, bool page) const;

    std::vector<std::unique_ptr<TGridState>> gridStates_;
    std::vector<DeferredTotal> deferredTotals_;
};

// Makes the form printer known to form files by name (with the job and the layers below).
void RegisterFormPrinterClasses();

}  // namespace quillon
