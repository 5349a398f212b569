// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/controls/Vex_grid.h"

#include <cctype>

#include "platform/sys/cursor_images.h"
#include "platform/sys/sysutils.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/properties.h"

namespace quillon {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The upper-cased SQL text and, for every character, whether it belongs to the
// statement itself: outside quotes, comments and parentheses.
struct SqlText {
    std::string up;
    std::vector<bool> top;

    explicit SqlText(const std::string& text) : up(text), top(text.size(), false) {
        for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        int depth = 0;
        for (size_t i = 0; i < up.size(); ++i) {
            char c = up[i];
            char close = c == '\'' || c == '"' || c == '`' ? c : c == '[' ? ']' : 0;
            if (close) {
                size_t j = up.find(close, i + 1);
                i = j == std::string::npos ? up.size() : j;
                continue;
            }
            if (c == '-' && i + 1 < up.size() && up[i + 1] == '-') {
                size_t j = up.find('\n', i);
                i = j == std::string::npos ? up.size() : j;
                continue;
            }
            if (c == '/' && i + 1 < up.size() && up[i + 1] == '*') {
                size_t j = up.find("*/", i + 2);
                i = j == std::string::npos ? up.size() : j + 1;
                continue;
            }
            if (c == '(') ++depth;
            if (depth == 0) top[i] = true;
            if (c == ')' && depth > 0) --depth;
        }
    }

    // The keyword `word` as a whole word of the statement in [from, end).
    size_t Find(const std::string& word, size_t from, size_t end) const {
        for (size_t i = from; i + word.size() <= end; ++i) {
            if (!top[i] || up.compare(i, word.size(), word) != 0) continue;
            bool before = i == 0 || !IsWordChar(up[i - 1]);
            bool after = i + word.size() >= up.size() || !IsWordChar(up[i + word.size()]);
            if (before && after) return i;
        }
        return std::string::npos;
    }

    // "ORDER" followed (after any blanks or line breaks) by "BY"; clauseEnd is
    // set after the "BY".
    size_t FindOrderBy(size_t end, size_t& clauseEnd) const {
        size_t from = 0;
        while (true) {
            size_t p = Find("ORDER", from, end);
            if (p == std::string::npos) return p;
            size_t q = p + 5;
            while (q < end && IsSpace(up[q])) ++q;
            if (q > p + 5 && Find("BY", q, end) == q) {
                clauseEnd = q + 2;
                return p;
            }
            from = p + 5;
        }
    }

    size_t End() const {
        for (size_t i = 0; i < up.size(); ++i)
            if (top[i] && up[i] == ';') return i;
        return up.size();
    }
};

// The lines of `text` that are not blank.
void AddLines(const std::string& text, std::vector<std::string>& out) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        bool blank = true;
        for (char c : line)
            if (!IsSpace(c)) blank = false;
        if (!blank) out.push_back(line);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
}

// The sort cursors: the arrow pointer with a sign beside it, a triangle
// widening downwards (A to Z), a bar (no order) or a triangle widening upwards.
TCursorImage SortCursorImage(const std::string& name) {
    std::vector<std::string> rows = {
        "#               ", "##              ", "#.#             ", "#..#            ",
        "#...#           ", "#....#          ", "#.....#         ", "#......#        ",
        "#.......#       ", "#....#####      ", "#.#..#          ", "## #..#         ",
        "#  #..#         ", "    #..#        ", "    #..#        ", "     ##         ",
    };
    static const char* const down[] = {"#######", "#.....#", " #...# ", " #...# ", "  #.#  ",
                                       "  #.#  ", "   #   "};
    static const char* const bar[] = {"       ", "#######", "#.....#", "#######", "#.....#",
                                      "#######", "       "};
    const char* const* sign = name == "MID" ? bar : down;
    for (int r = 0; r < 7; ++r) {
        // "ZTOA" turns the triangle upside down.
        const char* src = sign[name == "ZTOA" ? 6 - r : r];
        for (int c = 0; c < 7; ++c)
            if (src[c] != ' ') rows[static_cast<size_t>(2 + r)][static_cast<size_t>(9 + c)] = src[c];
    }
    return TCursorImage{rows, 0, 0};
}

bool IsSortCursor(TCursor c) {
    return c == LoadSortCursor("ATOZ") || c == LoadSortCursor("MID") || c == LoadSortCursor("ZTOA");
}

// Draws `text` word-wrapped into `rect`, line by line, clipped to it.
void DrawWrapped(TCanvas& canvas, const TRect& rect, const std::string& text) {
    const int width = rect.Width();
    const int lineHeight = std::max(1, canvas.TextHeight("W"));
    int y = rect.Top;
    auto emit = [&](const std::string& line) {
        if (y < rect.Bottom) canvas.TextRect(TRect{rect.Left, y, rect.Right, std::min(rect.Bottom, y + lineHeight)}, rect.Left, y, line);
        y += lineHeight;
    };
    size_t start = 0;
    while (start <= text.size() && y < rect.Bottom) {
        size_t nl = text.find('\n', start);
        std::string para = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (!para.empty() && para.back() == '\r') para.pop_back();
        std::string line;
        size_t i = 0;
        while (i < para.size()) {
            size_t j = para.find(' ', i);
            std::string word = para.substr(i, j == std::string::npos ? std::string::npos : j - i + 1);
            std::string tried = line + word;
            if (!line.empty() && canvas.TextWidth(tried) > width) {
                emit(line);
                line = word;
            } else {
                line = tried;
            }
            i = j == std::string::npos ? para.size() : j + 1;
        }
        emit(line);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
}

}  // namespace

std::uint8_t SortZoneOfFraction(double f) {
    std::uint8_t zone = szAscending;
    if (f < 0.33) zone = szAscending;
    if (f > 0.66) zone = szDescending;
    if (f >= 0.33 && f <= 0.66) zone = szMiddle;
    if (f < 0.1) zone = szNone;
    if (f > 0.95) zone = szNone;
    return zone;
}

std::vector<std::string> SortedSqlLines(const std::vector<std::string>& lines,
                                        const std::string& field, std::uint8_t zone) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    const SqlText sql(text);
    // SQLite takes ASC and DESC (the longer words are no SQL it knows).
    std::string clause;
    if (zone == szAscending) clause = "Order by " + QuoteIdent(field) + " ASC ";
    if (zone == szDescending) clause = "Order by " + QuoteIdent(field) + " DESC ";
    const size_t end = sql.End();
    size_t clauseEnd = 0;
    const size_t order = sql.FindOrderBy(end, clauseEnd);
    // What follows the ordering (a LIMIT or OFFSET) stays after the new clause.
    size_t tail = sql.Find("LIMIT", order == std::string::npos ? 0 : clauseEnd, end);
    if (tail == std::string::npos && order != std::string::npos) tail = sql.Find("OFFSET", clauseEnd, end);
    if (tail == std::string::npos) tail = end;
    const size_t cut = order != std::string::npos ? order : tail;
    std::vector<std::string> out;
    AddLines(text.substr(0, cut), out);
    if (!clause.empty()) out.push_back(clause);
    if (tail < text.size()) AddLines(text.substr(tail), out);
    return out;
}

TCursor LoadSortCursor(const std::string& name) {
    if (name != "ATOZ" && name != "MID" && name != "ZTOA") return crNone;
    TCursor known = CursorByName(name, crNone);
    if (known != crNone) return known;
    return RegisterCursorImage(name, SortCursorImage(name));
}

TVex_SortGrid::TVex_SortGrid(TComponent* owner) : TDBGrid(owner) {
    SetDefaultRowHeight(20);
    SetRowSizing(true);
}

void TVex_SortGrid::SetDefaultRowHeight(int v) {
    TDBGrid::SetDefaultRowHeight(v);
    storedRowHeight_ = DefaultRowHeight();
}

int TVex_SortGrid::TitleRowHeight() const {
    if (!HasOption(dgTitles)) return DefaultRowHeight();
    TCanvas measure;
    measure.SetFont(TitleFont());
    return measure.TextHeight("W") + 4;
}

void TVex_SortGrid::RowHeightChanged(int row, int height) {
    (void)row;
    // The dragged height becomes every data row's.
    if (height > 0 && height != storedRowHeight_) SetDefaultRowHeight(height);
}

std::string TVex_SortGrid::CursorName() const {
    return cursorName_.find_first_not_of(' ') == std::string::npos ? std::string() : cursorName_;
}

int TVex_SortGrid::DrawnWidth() const {
    int w = (HasOption(dgIndicator) ? kIndicatorWidth : 0) - LeftColHidden();
    std::vector<Column> cols = Columns();
    for (size_t c = static_cast<size_t>(std::max(0, LeftCol())); c < cols.size(); ++c) w += cols[c].Width;
    return std::min(w, ClientWidth());
}

bool TVex_SortGrid::InTitleRow(int x, int y) const {
    return HasOption(dgTitles) && y >= 0 && y <= TitleRowHeight() && x >= 0 && x <= DrawnWidth();
}

int TVex_SortGrid::SortColumnAt(int x) {
    zone_ = szAscending;
    std::vector<Column> cols = Columns();
    // The left-most shown column starts where the view shows it, which is left of the data
    // area when the view is scrolled to its right end and the column is partly hidden.
    int e = (HasOption(dgIndicator) ? kIndicatorWidth : 0) - LeftColHidden();
    for (size_t c = static_cast<size_t>(std::max(0, LeftCol())); c < cols.size(); ++c) {
        const int w = cols[c].Width;
        e += w;
        if (e >= x) {
            if (w <= 0) return -1;
            double f = static_cast<double>(x - (e - w)) / w;
            zone_ = SortZoneOfFraction(f);
            return static_cast<int>(c);
        }
    }
    return -1;
}

void TVex_SortGrid::MouseMove(TShiftState shift, int x, int y) {
    if (sorting_) {
        TDBGrid::MouseMove(shift, x, y);
        return;
    }
    SortColumnAt(x);
    if (!allowSort_ || buttonDown_) {
        TDBGrid::MouseMove(shift, x, y);
        return;
    }
    if (InTitleRow(x, y)) {
        TDBGrid::MouseMove(shift, x, y);
        const TCursor now = Cursor();
        if (now == crHSplit || now == crVSplit || now == crSQLWait) return;
        const char* name = zone_ == szAscending    ? "ATOZ"
                           : zone_ == szDescending ? "ZTOA"
                           : zone_ == szMiddle     ? "MID"
                                                   : nullptr;
        if (!name) return;
        SetCursor(LoadSortCursor(name));
        cursorName_ = name;
        return;
    }
    TDBGrid::MouseMove(shift, x, y);
    // Off the titles the pointer is the grid's own again (also after the
    // cross that ends a sort).
    if (IsSortCursor(Cursor()) || Cursor() == crCross) SetCursor(crDefault);
    cursorName_.clear();
}

void TVex_SortGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!sorting_) {
        pressedAgain_ = buttonDown_;
        pressX_ = x;
        pressY_ = y;
        buttonDown_ = true;
        if (InTitleRow(x, y)) Invalidate();  // the pressed look of the title
    }
    TDBGrid::MouseDown(button, shift, x, y);
}

void TVex_SortGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (sorting_) {
        TDBGrid::MouseUp(button, shift, x, y);
        return;
    }
    const bool wasDown = buttonDown_;
    buttonDown_ = false;
    TDBGrid::MouseUp(button, shift, x, y);
    if (wasDown && InTitleRow(pressX_, pressY_)) Invalidate();
    if (!allowSort_ || button != mbLeft || !InTitleRow(x, y)) return;
    SortColumnAt(x);
    if (zone_ == szNone || pressedAgain_ || x != pressX_ || y != pressY_) return;
    const int left = LeftCol();
    const int column = SortColumnAt(x);
    if (column < 0 || !DataSource() || !DataSource()->DataSet()) return;
    SortByColumn(column, zone_);
    SetLeftCol(left);
}

void TVex_SortGrid::DblClick() {
    TDBGrid::DblClick();
    if (HasOption(dgTitles) && pressY_ >= 0 && pressY_ < TitleRowHeight() && pressX_ >= 0 &&
        pressX_ <= DrawnWidth() && OnTitleDblClicked && EventsEnabled())
        OnTitleDblClicked(this);
}

TRect TVex_SortGrid::TitleCellRect(const TRect& rect) const {
    TRect r = rect;
    if (buttonDown_) {
        r.Left += 1;
        r.Top += 1;
    }
    return r;
}

bool TVex_SortGrid::Refuse(const std::string& text) {
    message_ = text;
    sorting_ = false;
    Application().MessageBox(text, "", MB_OK | MB_ICONINFORMATION);
    return false;
}

bool TVex_SortGrid::SortByColumn(int column, std::uint8_t zone) {
    message_.clear();
    std::vector<Column> cols = Columns();
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (column < 0 || column >= static_cast<int>(cols.size()) || !ds || !cols[column].Field) return false;
    TField* field = cols[column].Field;
    const std::string name = field->FieldName();
    const int left = LeftCol();
    sorting_ = true;
    if (auto* table = dynamic_cast<TTable*>(ds)) {
        Result<void> r = table->UpdateIndexDefs();
        if (!r) return Refuse(r.reason());
        for (const TIndexDef& def : table->IndexDefs())
            if (def.Fields == name) {
                Result<void> s = table->SetIndexFieldNames(name);
                if (!s) return Refuse(s.reason());
                SetLeftCol(left);
                SetSelectedIndex(column);
                sorting_ = false;
                return true;
            }
        return Refuse("Index for Field " + name + " does not exist");
    }
    auto* query = dynamic_cast<TQuery*>(ds);
    if (!query) {
        sorting_ = false;
        if (OnAfterSort) OnAfterSort(this);
        return true;
    }
    if (field->Calculated()) return Refuse("Cannot sort on a calculated field");
    if (name.find(' ') != std::string::npos) return Refuse("Cannot sort on a field that contains spaces");
    if (field->DataType() == ftMemo) return Refuse("Cannot sort on a TMemoField");
    if (field->DataType() == ftGraphic) return Refuse("Cannot sort on a TGraphicField");
    if (OnBeforeSort) OnBeforeSort(this);
    SetCursor(crSQLWait);
    Application().ProcessMessages();
    std::vector<std::string> old;
    for (int i = 0; i < query->SQL().Count(); ++i) old.push_back(query->SQL()[i]);
    query->Close();
    query->SQL().Clear();
    for (const std::string& line : SortedSqlLines(old, name, zone)) query->SQL().Add(line);
    Result<void> r = query->Open();
    if (!r) {
        // The user's query is put back as it was, and opened again.
        query->SQL().Clear();
        for (const std::string& line : old) query->SQL().Add(line);
        (void)query->Open();
        SetCursor(crDefault);
        return Refuse(r.reason());
    }
    SetSelectedIndex(column);
    SetLeftCol(left);
    SetCursor(crCross);
    sorting_ = false;
    if (OnAfterSort) OnAfterSort(this);
    return true;
}

bool TVex_SortGrid::DrawDataCell(TCanvas& canvas, const TRect& rect, std::int64_t row, int column,
                                 bool highlighted, bool focused) {
    std::vector<Column> cols = Columns();
    if (column < 0 || column >= static_cast<int>(cols.size()) || !cols[column].Field) return false;
    TField* f = cols[column].Field;
    const bool memo = f->DataType() == ftMemo && displayMemo_;
    const bool picture = f->DataType() == ftGraphic && displayImage_;
    if (!memo && !picture) return false;
    // The value comes from the grid's window of rows: the dataset's current
    // record stays where it is while cells are drawn.
    const TCellValue value = CellValue(row, column);
    const TColor back = highlighted ? clHighlight : Color();
    const TColor fore = highlighted ? clHighlightText : Font().Color();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(back);
    canvas.FillRect(rect);
    if (memo) {
        canvas.SetFont(Font());
        canvas.Font().SetColor(fore);
        canvas.Brush().SetStyle(bsClear);
        std::string text = value.bytes;
        if (value.kind == TCellValue::Integer) text = std::to_string(value.integer);
        if (value.kind == TCellValue::Float) text = FloatToStr(value.real);
        DrawWrapped(canvas, rect, text);
    } else if (!value.bytes.empty()) {
        TPicture pic;
        if (pic.LoadFromBytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(value.bytes.data()), value.bytes.size())))
            canvas.StretchDraw(rect, pic);
    }
    if (focused) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(fore);
        canvas.FrameRect(rect);
    }
    return true;
}

const TClassInfo& TVex_SortGrid::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TVex_SortGrid>("TVex_SortGrid", &TDBGrid::StaticClassInfo())
            .Bool("DisplayDBMemo", &TVex_SortGrid::DisplayDBMemo, &TVex_SortGrid::SetDisplayDBMemo, true)
            .Bool("DisplayDBImage", &TVex_SortGrid::DisplayDBImage, &TVex_SortGrid::SetDisplayDBImage, true)
            .Bool("AllowSort", &TVex_SortGrid::AllowSort, &TVex_SortGrid::SetAllowSort, true)
            .Bool("AutoAlign", &TVex_SortGrid::AutoAlign, &TVex_SortGrid::SetAutoAlign, false)
            .Int("DefaultRowHeight", &TVex_SortGrid::DefaultRowHeight, &TVex_SortGrid::SetDefaultRowHeight, 20, 1, 10000)
            .Float("PrintItLeft", &TVex_SortGrid::PrintItLeft, &TVex_SortGrid::SetPrintItLeft, 0.0)
            .Float("PrintItTop", &TVex_SortGrid::PrintItTop, &TVex_SortGrid::SetPrintItTop, 0.0)
            .Float("PrintItWidth", &TVex_SortGrid::PrintItWidth, &TVex_SortGrid::SetPrintItWidth, 0.0)
            .Float("PrintItHeight", &TVex_SortGrid::PrintItHeight, &TVex_SortGrid::SetPrintItHeight, 0.0)
            .Event("OnTitleDblClicked", &TVex_SortGrid::OnTitleDblClicked)
            .Event("OnBeforeSort", &TVex_SortGrid::OnBeforeSort)
            .Event("OnAfterSort", &TVex_SortGrid::OnAfterSort)
            .Factory();
    return info;
}

}  // namespace quillon
