// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/forms/DBPrnWin.h"

#include <algorithm>
#include <cstddef>

#include "platform/data/db_format.h"
#include "platform/data/dbctrls.h"
#include "platform/gdi/printer.h"
#include "platform/sys/rounding.h"
#include "platform/sys/sysutils.h"
#include "platform/vcl/properties.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/forms/VexRich.h"

namespace quillon {

const TClassInfo& TDBPrintWin::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TDBPrintWin>("TDBPrintWin", &TPrintWin::StaticClassInfo()).Factory();
    return info;
}

namespace {

constexpr Axis kX = Axis::Horizontal;
constexpr Axis kY = Axis::Vertical;

// The dataset a DB grid prints from: none without a data source, a dataset or an open one.
TDataSet* DataSetOf(const TDBGrid& grid) {
    TDataSource* source = grid.DataSource();
    TDataSet* ds = source ? source->DataSet() : nullptr;
    return ds && ds->Active() ? ds : nullptr;
}

template <class C>
bool HasDataSet(const C& control) {
    return control.DataSource() && control.DataSource()->DataSet();
}

template <class C>
std::string FieldText(const C& control) {
    TField* f = control.Field();
    return f ? f->DisplayText() : std::string();
}

bool FieldOf(const TDataSet& ds, const TField* field) {
    for (int i = 0; i < ds.FieldCount(); ++i)
        if (ds.Fields(i) == field) return true;
    return false;
}

bool IsNumericType(TFieldType t) {
    return t == ftInteger || t == ftWord || t == ftFloat || t == ftCurrency;
}

bool Shown(const TColumnState& c) {
    return c.Field && c.Field->Visible();
}

// A cell is never wider than what the page takes of one text.
std::string Printable(std::string text) {
    const std::string_view cut = FirstChars(text, kMaxTextOut);
    if (cut.size() < text.size()) text.resize(cut.size());
    return text;
}

// The display text of a numeric value before any OnGetText handler (which the table calls
// itself, once, with DisplayText false).
std::string PlainNumberText(const TField& f) {
    if (!f.DisplayFormat().empty()) return FormatFloat(f.DisplayFormat(), f.AsFloat());
    if (const auto* ff = dynamic_cast<const TFloatField*>(&f); ff && ff->Currency())
        return Format("%m", f.AsFloat());
    return f.AsString();
}

// The text of value v by the field's class; `text` is its display text.
std::string FormatByClass(const TField& f, double v, std::string text) {
    const std::string& df = f.DisplayFormat();
    if (dynamic_cast<const TCurrencyField*>(&f))
        return df.empty() ? Format("%m", v) : FormatFloat(df, v);
    if (dynamic_cast<const TWordField*>(&f)) return FormatFloat(df, v);
    if (dynamic_cast<const TIntegerField*>(&f)) {
        if (!df.empty() && !text.empty() && IsNumericText(text)) {
            double whole = 0;
            try {
                whole = static_cast<double>(std::stoll(text));
            } catch (...) {
                return text;  // digits beyond any integer: as they stand
            }
            return FormatFloat(df, whole);
        }
        return text;
    }
    if (const auto* ff = dynamic_cast<const TFloatField*>(&f)) {
        if (ff->Currency()) return FormatFloat(df.empty() ? "#,##0.00" : df, v);
        return df.empty() ? text : FormatFloat(df, v);
    }
    return text;
}

}  // namespace

TDBPrintWin::TDBPrintWin(TComponent* owner) : TPrintWin(owner) {}

TDBPrintWin::~TDBPrintWin() {
    SetDestroying();
    FreeGridStates();
}

std::string TDBPrintWin::GetComponentName() {
    return "TDBPrintWin component";
}

void TDBPrintWin::StartJob() {
    FreeGridStates();
    deferredTotals_.clear();
    TPrintWin::StartJob();
    LastPage = true;
}

void TDBPrintWin::EndJob() {
    FreeGridStates();
    deferredTotals_.clear();
    TPrintWin::EndJob();
}

void TDBPrintWin::Notification(TComponent* component, TOperation operation) {
    TPrintWin::Notification(component, operation);
    if (operation != opRemove) return;
    for (auto it = gridStates_.begin(); it != gridStates_.end();) {
        TGridState& st = **it;
        if (static_cast<TComponent*>(st.Grid) == component) {
            ReleaseState(st);
            it = gridStates_.erase(it);
            continue;
        }
        if (static_cast<TComponent*>(st.DataSet) == component) {
            // Nothing of it is touched again: its rows are over for this job.
            st.DataSet = nullptr;
            st.Finished = true;
            st.SavedPosition = st.ResumePosition = TBookmark{};
            for (TColumnState& c : st.Columns) c.Field = nullptr;
        }
        ++it;
    }
}

// ---------------------------------------------------------------------------------------------
// Grid states

TGridState* TDBPrintWin::FindState(const TWinControl* grid) const {
    for (const auto& st : gridStates_)
        if (st->Grid == grid) return st.get();
    return nullptr;
}

const TGridState* TDBPrintWin::GridState(const TWinControl* grid) const {
    return FindState(grid);
}

void TDBPrintWin::InitState(TGridState& st) {
    st.Columns.clear();
    st.Finished = false;
    st.SavedPosition = st.ResumePosition = TBookmark{};
    st.DataSet = nullptr;
    if (auto* grid = dynamic_cast<TDBGrid*>(st.Grid)) {
        TDataSet* ds = DataSetOf(*grid);
        for (const TDBGrid::Column& c : grid->Columns()) {
            TColumnState col;
            col.Field = c.Field;
            st.Columns.push_back(col);
        }
        if (!ds) return;
        st.DataSet = ds;
        ds->FreeNotification(this);
        st.SavedPosition = ds->GetBookmark();
        // Disabled until EndJob: nothing on screen follows the walk through the records.
        ds->DisableControls();
        ds->First();
        if (!ds->LastError().empty()) DataFailed(*ds);
        st.ResumePosition = ds->GetBookmark();
        st.Finished = ds->Eof() || !st.ResumePosition.Valid();
        if (st.SavedPosition.Valid()) ds->GotoBookmark(st.SavedPosition);
    } else if (auto* sg = dynamic_cast<TStringGrid*>(st.Grid)) {
        st.Columns.resize(static_cast<std::size_t>(std::max(sg->ColCount(), 0)));
    }
}

void TDBPrintWin::DataFailed(const TDataSet& dataSet) {
    if (Aborted) return;
    Aborted = true;
    ShowPrintError(dataSet.Where() + dataSet.LastError());
}

TGridState& TDBPrintWin::StateOf(TWinControl& grid) {
    TGridState* st = FindState(&grid);
    if (!st) {
        gridStates_.push_back(std::make_unique<TGridState>());
        st = gridStates_.back().get();
        st->Grid = &grid;
        grid.FreeNotification(this);
        InitState(*st);
        return *st;
    }
    // A grid given another dataset during the job starts over on that one.
    if (auto* dbGrid = dynamic_cast<TDBGrid*>(&grid)) {
        TDataSet* ds = DataSetOf(*dbGrid);
        if (ds && ds != st->DataSet) {
            ReleaseState(*st);
            InitState(*st);
        }
    }
    return *st;
}

void TDBPrintWin::ReleaseState(TGridState& st) {
    if (TDataSet* ds = st.DataSet) {
        if (st.SavedPosition.Valid()) ds->GotoBookmark(st.SavedPosition);
        ds->FreeBookmark(st.SavedPosition);
        ds->FreeBookmark(st.ResumePosition);
        ds->EnableControls();
    }
    st.DataSet = nullptr;
}

void TDBPrintWin::FreeGridStates() {
    // Taken out of the list first: a dataset's events may reach this component meanwhile.
    std::vector<std::unique_ptr<TGridState>> states;
    states.swap(gridStates_);
    for (auto& st : states) ReleaseState(*st);
}

void TDBPrintWin::ResetColumns(TWinControl* grid, const std::string& what) {
    if (!grid) return;
    TGridState& st = StateOf(*grid);
    for (TColumnState& c : st.Columns) {
        if (what == "WidthArray")
            c.Width = 0;
        else if (what == "SubTotal")
            c.SubTotal = 0;
        else if (what == "MainTotal")
            c.MainTotal = 0;
        else if (what == "PageTotal")
            c.PageTotal = 0;
        else if (what == "ShowTotal")
            c.ShowTotal = true;
    }
}

double TDBPrintWin::ColumnTotal(TWinControl* grid, const std::string& label, bool page) const {
    const TGridState* st = FindState(grid);
    if (!st || !st->DataSet) return 0.0;
    for (const TColumnState& c : st->Columns) {
        // Only fields still in the dataset: a closed one has let its fields go.
        if (!c.Field || !FieldOf(*st->DataSet, c.Field)) continue;
        if (c.Field->Visible() && SameText(c.Field->DisplayLabel(), label))
            return page ? c.PageTotal : c.MainTotal;
    }
    return 0.0;
}

double TDBPrintWin::GetPageTotal(TWinControl* grid, const std::string& fieldLabel) {
    return ColumnTotal(grid, fieldLabel, true);
}
double TDBPrintWin::GetMainTotal(TWinControl* grid, const std::string& fieldLabel) {
    return ColumnTotal(grid, fieldLabel, false);
}

void TDBPrintWin::BeginPass() {
    deferredTotals_.clear();
    for (auto& st : gridStates_)
        for (TColumnState& c : st->Columns) c.PageTotal = 0;
}

void TDBPrintWin::EndPass() {
    std::vector<DeferredTotal> due;
    due.swap(deferredTotals_);
    for (const DeferredTotal& t : due) {
        if (!Gdi()) return;
        if (ShowOnPage(t.show, PageNumber, LastPage))
            DrawTotal(t.color, t.font, t.alignment, t.text, t.frame, t.rect);
    }
}

// ---------------------------------------------------------------------------------------------
// The DB grid table

std::string TDBPrintWin::CellText(TField& f, TColumnState* column) {
    if (IsNumericType(f.DataType())) {
        if (f.IsNull()) return {};
        // A number column holding text shows the text and adds nothing.
        if (!f.IsNumeric()) return f.AsString();
        const double v = f.AsFloat();
        if (column) {
            column->SubTotal += v;
            column->MainTotal += v;
            column->PageTotal += v;
        }
        return FormatByClass(f, v, PlainNumberText(f));
    }
    if (dynamic_cast<TMemoField*>(&f)) return "(Memo)";
    if (dynamic_cast<TBlobField*>(&f) || f.IsBlob()) return "(Graphic)";
    return f.AsString();
}

int TDBPrintWin::AlignedStart(TAlignment alignment, int x, int w, std::string& text) const {
    TCanvas& canvas = Printer().Canvas();
    switch (alignment) {
        case taRightJustify: {
            const int t = canvas.TextWidth(text);
            if (static_cast<long long>(w) >= static_cast<long long>(t) + canvas.TextWidth("0"))
                return Offset300(kX, x + w - t, -20);
            // Too wide: as many "#" as the column holds.
            constexpr std::size_t kLongestRun = 2000;
            std::string run;
            while (run.size() < kLongestRun && canvas.TextWidth(run + "#0") < w) run += '#';
            text = run;
            return x + w - canvas.TextWidth(run + "0");
        }
        case taCenter:
            return x + RoundToInt((static_cast<double>(w) - canvas.TextWidth(text)) / 2.0);
        default:
            return x;
    }
}

namespace {

// The grid's columns paired with the states kept for them: a column keeps the state of its
// own field, wherever the column has moved since the last table.
void PairColumns(TGridState& st, const std::vector<TDBGrid::Column>& cols) {
    std::vector<TColumnState> paired;
    paired.reserve(cols.size());
    std::vector<bool> taken(st.Columns.size(), false);
    for (std::size_t i = 0; i < cols.size(); ++i) {
        std::size_t found = st.Columns.size();
        if (i < st.Columns.size() && !taken[i] && st.Columns[i].Field == cols[i].Field) found = i;
        for (std::size_t j = 0; found == st.Columns.size() && j < st.Columns.size(); ++j)
            if (!taken[j] && st.Columns[j].Field == cols[i].Field) found = j;
        if (found < st.Columns.size()) {
            taken[found] = true;
            paired.push_back(st.Columns[found]);
        } else {
            TColumnState fresh;
            fresh.Field = cols[i].Field;
            paired.push_back(fresh);
        }
    }
    st.Columns = std::move(paired);
}

int ClampToPage(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -100000000LL, 100000000LL));
}

}  // namespace

void TDBPrintWin::PrintDBGrid(TDBGrid& grid, const TRect& r, bool afterEvent) {
    TGdi* g = Gdi();
    if (!g) return;
    ResetColumns(&grid, "WidthArray");
    const bool bordered = grid.BorderStyle() == bsSingle;
    ControlBox(TGdi::MapColor(grid.Color()), &grid.Font(), grid.Font().Color(), taLeftJustify, "",
               bordered, r);
    g->FillBox(r);
    PrintDBGridTable(grid, r.Left, r.Top, r.Right, r.Bottom);
    if (!Gdi()) return;
    if (bordered) BoxOn(r);
    if (afterEvent) FireAfterPrintControl(&grid);
}

void TDBPrintWin::PrintDBGridTable(TDBGrid& grid, int left, int top, int right, int bottom,
                                   bool totalsRow) {
    TGdi* g = Gdi();
    if (!g) return;
    TDataSet* ds = DataSetOf(grid);
    if (!ds) return;
    TGridState& st = StateOf(grid);
    if (st.DataSet != ds) return;
    const std::vector<TDBGrid::Column> cols = grid.Columns();
    PairColumns(st, cols);

    g->ClipRect(left, top, right, bottom);
    g->SetPen(2, Pen().Color());
    TCanvas& canvas = Printer().Canvas();
    TFont plain(grid.Font());
    plain.SetStyle({});
    g->AssignFont(plain);
    const int h = g->FontHeight();

    // Widths: from DisplayWidth "0"s, or (the default) from the columns' screen widths.
    long long edge = left;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        TColumnState& c = st.Columns[i];
        c.Width = 0;
        if (!Shown(c)) continue;
        const int zeros = std::clamp(c.Field->DisplayWidth(), 0, 1000);
        c.Width =
            RoundToInt(canvas.TextWidth(std::string(static_cast<std::size_t>(zeros), '0')) * 1.11);
        if (!WidthFromData) c.Width = ScreenToPrinterX(cols[i].Width);
        edge += c.Width;
    }
    const int rightEdge = ClampToPage(edge);

    const bool titles = grid.HasOption(dgTitles);
    g->SetBrush(0, clSilver, 0);
    g->SetFontColor(grid.TitleFont().Color());
    if (titles) {
        g->FillBox(TRect{left, top, rightEdge, top + 2 * h});
        g->FrameBox(left, top, rightEdge, top + 2 * h, 2, 2, 2, 2);
    }
    const int startX = Offset300(kX, left, 10);
    long long y = top + RoundToInt(h / 2.0);
    long long rowsTop = top;
    if (titles) {
        long long x = startX;
        for (std::size_t i = 0; i < cols.size(); ++i) {
            if (!Shown(st.Columns[i])) continue;
            g->PutText(ClampToPage(x), ClampToPage(y), cols[i].Title);
            x += st.Columns[i].Width;
        }
        y = top + 2LL * h;
        canvas.Brush().SetColor(clWhite);
        rowsTop = y;
        g->MovePen(left, ClampToPage(y));
        g->DrawLineTo(rightEdge, ClampToPage(y));
        y += RoundToInt(h / 3.0);
    }
    // The rows in the grid's font and colour; the title font is left as it was.
    g->SetBrush(0, clSilver, 0);
    g->AssignFont(plain);
    g->SetFontColor(grid.Font().Color());

    ds->DisableControls();
    if (!st.Finished && !ds->GotoBookmark(st.ResumePosition)) {
        st.Finished = true;
        if (!ds->LastError().empty()) DataFailed(*ds);
    }
    const int half = RoundToInt(h * 0.5);
    const int pitch = 3 * half;
    const bool rowLines = grid.HasOption(dgRowLines);
    bool firstRow = true;
    bool rowsLeft = false;
    long long printed = 0;
    while (!st.Finished && !ds->Eof()) {
        if (y + pitch > bottom) {
            rowsLeft = true;
            break;
        }
        long long x = startX;
        for (std::size_t i = 0; i < cols.size(); ++i) {
            TColumnState& c = st.Columns[i];
            if (!Shown(c)) continue;
            ProcessPendingMessages();
            if (!Gdi()) return;  // the job ended under the table
            TField& f = *c.Field;
            std::string text = CellText(f, &c);
            if (f.OnGetText) f.OnGetText(&f, text, false);
            text = Printable(std::move(text));
            const int at = AlignedStart(cols[i].Alignment, ClampToPage(x), c.Width, text);
            g->PutText(at, ClampToPage(y), text);
            x += c.Width;
        }
        ds->Next();
        if (ds->Eof() && !ds->LastError().empty()) {
            DataFailed(*ds);
            break;
        }
        if (rowLines) {
            if (!firstRow) {
                const int ly = ClampToPage(y - RoundToInt(h / 4.0));
                g->DrawLine(left, ly, rightEdge, ly);
            }
            firstRow = false;
        }
        y += pitch;
        ++printed;
    }
    if (ds->Eof()) st.Finished = true;
    if (rowsLeft) {
        if (printed == 0)
            ReportGridTooSmall(grid);
        else
            LastPage = false;
    }

    const int yEnd = ClampToPage(y);
    g->SetPen(2, Pen().Color());
    if (grid.HasOption(dgColLines)) {
        long long x = left;
        int n = 0;
        for (std::size_t i = 0; i < cols.size(); ++i) {
            if (!Shown(st.Columns[i])) continue;
            const int lx = ClampToPage(n > 0 ? x + ScreenToPrinterX(1) : x);
            g->DrawLine(lx, ClampToPage(rowsTop), lx, yEnd);
            x += st.Columns[i].Width;
            ++n;
        }
        g->DrawLine(ClampToPage(x), ClampToPage(rowsTop), ClampToPage(x), yEnd);
        g->DrawLine(left, yEnd, ClampToPage(x), yEnd);
    }
    if (right != 0 && grid.BorderStyle() == bsSingle) g->DrawLine(right - 2, top, right - 2, yEnd);

    if (totalsRow) {
        y += h;
        const long long yT = y + RoundToInt(h / 2.0) + h;
        long long x = startX;
        for (std::size_t i = 0; i < cols.size(); ++i) {
            const TColumnState& c = st.Columns[i];
            if (!Shown(c)) continue;
            if (c.ShowTotal) {
                const TField& f = *c.Field;
                std::string text;
                if (IsNumericType(f.DataType()))
                    text = FormatByClass(f, c.MainTotal, Format("%g", c.MainTotal));
                else if (dynamic_cast<const TMemoField*>(&f))
                    text = "(Memo)";
                else if (f.IsBlob())
                    text = "(Graphic)";
                text = Printable(std::move(text));
                const int at = AlignedStart(cols[i].Alignment, ClampToPage(x), c.Width, text);
                g->PutText(at, ClampToPage(yT), text);
            }
            x += c.Width;
        }
        y += 3LL * g->FontHeight();
        const int ly = ClampToPage(y);
        g->DrawLine(left, ly, rightEdge, ly);
        g->SetPen(3, Pen().Color());
        g->DrawLine(left, ly + 5, rightEdge, ly + 5);
        g->SetPen(2, Pen().Color());
    }

    ds->FreeBookmark(st.ResumePosition);
    if (rowsLeft) st.ResumePosition = ds->GetBookmark();
    if (st.SavedPosition.Valid()) ds->GotoBookmark(st.SavedPosition);
    ds->EnableControls();
    ResetClip();
}

// ---------------------------------------------------------------------------------------------
// The walk's dispatch

void TDBPrintWin::PrintWindowItself(TWinControl& w, const TRect& rect, bool& drawn, bool& frame) {
    // A DB memo is a memo, a DB grid a control of its own: each has its own rule here.
    if (auto* memo = dynamic_cast<TDBMemo*>(&w)) {
        PrintDBMemo(*memo, rect);
        drawn = true;
        return;
    }
    if (auto* grid = dynamic_cast<TDBGrid*>(&w)) {
        PrintDBGrid(*grid, rect, false);
        if (grid->BorderStyle() == bsNone) frame = false;
        drawn = true;
        return;
    }
    TPrintWin::PrintWindowItself(w, rect, drawn, frame);
}

void TDBPrintWin::PrintChild(TControl& c, const TRect& rect) {
    // The data-aware controls' and the suite's rules, before the plain controls' table of
    // TPrintWin::PrintChild, which takes whatever none of them matches. The DB edit, check box,
    // radio group and image print by their plain class's rule (the edit through the virtual
    // PrintEditControl); the others by their own, before the plain class they derive from.
    using Rule = TChildRule<TDBPrintWin>;
    static const Rule rules[] = {
        // Its before-event has fired; nothing else.
        {IsA<TDBNavigator>, [](TDBPrintWin&, TControl&, const TRect&) {}},
        {[](const TControl& c) {
             return IsA<TVexShadowLabelPrinting>(c) && IsA<TCustomLabel>(c);
         },
         [](TDBPrintWin& p, TControl& c, const TRect& r) {
             p.PrintShadowLabel(dynamic_cast<TCustomLabel&>(c),
                                dynamic_cast<TVexShadowLabelPrinting&>(c), r);
         }},
        {IsA<TVexTotalPrinting>, [](TDBPrintWin& p, TControl& c, const TRect& r) {
             p.PrintTotal(c, dynamic_cast<TVexTotalPrinting&>(c), r);
         }},
        {IsA<TDBText>, [](TDBPrintWin& p, TControl& c, const TRect& r) {
             p.PrintDBText(static_cast<TDBText&>(c), r);
         }},
        {IsA<TDBMemo>, [](TDBPrintWin& p, TControl& c, const TRect& r) {
             p.PrintDBMemo(static_cast<TDBMemo&>(c), r);
         }},
        {IsA<TDBLookupCombo>, [](TDBPrintWin& p, TControl& c, const TRect& r) {
             p.PrintDBLookupCombo(static_cast<TDBLookupCombo&>(c), r);
         }},
        {IsA<TDBComboBox>, [](TDBPrintWin& p, TControl& c, const TRect& r) {
             p.PrintDBComboBox(static_cast<TDBComboBox&>(c), r);
         }},
        {IsA<TDBGrid>, [](TDBPrintWin& p, TControl& c, const TRect& r) {
             p.PrintDBGrid(static_cast<TDBGrid&>(c), r, true);
         }},
        {IsA<TStringGrid>, [](TDBPrintWin& p, TControl& c, const TRect& r) {
             p.PrintStringGrid(static_cast<TStringGrid&>(c), r);
         }},
    };
    if (!DispatchChild(rules, *this, c, rect)) TPrintWin::PrintChild(c, rect);
}

// ---------------------------------------------------------------------------------------------
// Data-aware controls

void TDBPrintWin::PrintEditControl(TCustomEdit& edit, int x1, int y1, int x2, int y2,
                                   const TRect& r) {
    auto* db = dynamic_cast<TDBEdit*>(&edit);
    if (!db) return TPrintWin::PrintEditControl(edit, x1, y1, x2, y2, r);
    if (!HasDataSet(*db)) return;
    TField* f = db->Field();
    ControlBox(TGdi::MapColor(db->Color()), &db->Font(), db->Font().Color(),
               f ? f->Alignment() : taLeftJustify, FieldText(*db), db->BorderStyle() == bsSingle,
               r);
}

void TDBPrintWin::PrintDBText(TDBText& control, const TRect& r) {
    TGdi* g = Gdi();
    if (!g) return;
    PreparePrintFont(control.Font());
    if (!HasDataSet(control)) return;
    g->SetTransparent();
    g->FillBox(r);
    const std::string text = std::string(FirstChars(FieldText(control), kMaxTextOut));
    const int t = Printer().Canvas().TextWidth(text);
    int x = r.Left;
    if (control.Alignment() == taRightJustify) {
        x = Offset300(kX, r.Right - t, -10);
    } else if (control.Alignment() == taCenter) {
        x = r.Right - t - (r.Right - r.Left - t) / 2;
    }
    g->PutText(x, Offset300(kY, r.Top, 10), text);
}

void TDBPrintWin::PrintDBMemo(TDBMemo& memo, const TRect& r) {
    TGdi* g = Gdi();
    if (!g) return;
    g->ClipRect(r.Left, r.Top, r.Right, r.Bottom);
    const TColor color = TGdi::MapColor(memo.Color());
    ControlBox(color, &memo.Font(), memo.Font().Color(), memo.Alignment(), "", false, r);
    g->FillBox(r);
    const int step = std::max(g->FontHeight(), 1);
    const int x = Offset300(kX, r.Left, 10);
    long long y = Offset300(kY, r.Top, 10);
    const TStrings& lines = memo.Lines();
    // Lines below the memo are cut by the clip anyway: a long text stops there.
    for (int i = 0; i < lines.Count() && y <= r.Bottom; ++i, y += step)
        g->PutText(x, static_cast<int>(y), lines[i]);
    ResetClip();
    if (memo.BorderStyle() == bsSingle) BoxOn(r);
}

void TDBPrintWin::PrintDBComboBox(TDBComboBox& combo, const TRect& r) {
    TGdi* g = Gdi();
    if (!g) return;
    PreparePrintFont(combo.Font());
    const TColor color = TGdi::MapColor(combo.Color());
    g->SetBrush(0, color, 0);
    BoxOn(r);
    if (HasDataSet(combo))
        ControlBox(color, &combo.Font(), combo.Font().Color(), taLeftJustify, FieldText(combo),
                   true, r);
}

void TDBPrintWin::PrintDBLookupCombo(TDBLookupCombo& combo, const TRect& r) {
    if (!Gdi()) return;
    const TColor color = TGdi::MapColor(combo.Color());
    ControlBox(color, &combo.Font(), combo.Font().Color(), taLeftJustify, "", true, r);
    BoxOn(r);
    if (HasDataSet(combo))
        ControlBox(color, &combo.Font(), combo.Font().Color(), taLeftJustify, FieldText(combo),
                   true, r);
}

void TDBPrintWin::PrintShadowLabel(TCustomLabel& label, const TVexShadowLabelPrinting& look,
                                   const TRect& r) {
    TGdi* g = Gdi();
    if (!g) return;
    const TColor background = TGdi::MapColor(label.Color());
    g->ClipRect(r.Left, r.Top, r.Right + 50, r.Bottom);
    if (label.Transparent()) OpaqueBoxes = false;
    ControlBox(background, &label.Font(), look.ShadowColor(), label.Alignment(), "", false, r);
    OpaqueBoxes = true;
    const std::string& caption = label.Caption();
    // n in 1/300 inch from the label's corner, in colour c.
    const auto pass = [&](TColor c, int n) {
        g->SetFontColor(c);
        WriteCaption(caption, Offset300(Axis::Horizontal, r.Left, n),
                     Offset300(Axis::Vertical, r.Top, n), r, label.Alignment());
    };
    const int s = look.ShadowOffset();
    constexpr int kRaise = 2;
    switch (look.Style()) {
        case stShadow:
            pass(look.ShadowColor(), s + 10);
            break;
        case stRaised:
            pass(look.ShadowColor(), kRaise + 10);
            pass(clSilver, 10 - kRaise);
            break;
        case stSunken:
            pass(clSilver, kRaise + 10);
            pass(look.ShadowColor(), 10 - kRaise);
            break;
        default:
            break;
    }
    pass(label.Font().Color(), 10);
    ResetClip();
}

std::string TDBPrintWin::TotalText(const TVexTotalPrinting& total) {
    std::string text = total.Text();
    switch (total.TotalType()) {
        case tDate:
            text = JobDate();
            break;
        case tTime:
            text = JobTime();
            break;
        case tPageNumber:
            text = std::to_string(PageNumber);
            break;
        case tPageTotal:
        case tAccTotal:
            if (total.SourceGrid() && !total.SourceField().empty()) {
                const double v = total.TotalType() == tPageTotal
                                     ? GetPageTotal(total.SourceGrid(), total.SourceField())
                                     : GetMainTotal(total.SourceGrid(), total.SourceField());
                text = FormatFloat(
                    total.DisplayFormat().empty() ? "#,##0.00" : total.DisplayFormat(), v);
            }
            break;
        case tText:
            break;
    }
    return text;
}

void TDBPrintWin::PrintTotal(TControl& c, const TVexTotalPrinting& total, const TRect& r) {
    if (!Gdi()) return;
    const std::string text = TotalText(total);
    const TShow show = total.ShowOn();
    const TColor color = TGdi::MapColor(c.Color());
    const bool frame = total.BorderStyle() == bsSingle;
    // Whether this pass is the last is known only when the whole window is printed (a grid
    // later in the walk may still have rows left): such a box waits for the pass's end.
    const bool hangsOnLast =
        ShowOnPage(show, PageNumber, true) != ShowOnPage(show, PageNumber, false);
    if (InPass && LastPage && hangsOnLast) {
        deferredTotals_.push_back(
            DeferredTotal{color, c.Font(), total.Alignment(), text, frame, show, r});
        return;
    }
    if (!ShowOnPage(show, PageNumber, LastPage)) return;
    DrawTotal(color, c.Font(), total.Alignment(), text, frame, r);
}

void TDBPrintWin::DrawTotal(TColor color, const TFont& font, TAlignment alignment,
                            const std::string& text, bool frame, const TRect& r) {
    TGdi* g = Gdi();
    if (!g) return;
    g->SetBrush(0, color, 0);
    ControlBox(color, &font, font.Color(), alignment, text, frame, r);
}

void RegisterFormPrinterClasses() {
    RegisterPrintJobClasses();
    (void)TDBPrintWin::StaticClassInfo();
    RegisterRichTextPrintingClasses();
}

}  // namespace quillon
