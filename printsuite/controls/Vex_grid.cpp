#include "printsuite/controls/Vex_grid.h"

#include <cctype>

#include "platform/vcl/forms.h"
#include "platform/vcl/properties.h"

namespace quillon {

namespace {

constexpr int kIndicatorWidth = 11;  // the indicator column, screen pixels

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Position of the keyword `word` at or after `from` in the upper-cased text, as
// a whole word outside quotes; npos when absent.
size_t FindKeyword(const std::string& up, const std::string& word, size_t from) {
    char quote = 0;
    for (size_t i = 0; i < up.size(); ++i) {
        char c = up[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"' || c == '`') {
            quote = c;
            continue;
        }
        if (c == '[') {
            quote = ']';
            continue;
        }
        if (i < from || up.compare(i, word.size(), word) != 0) continue;
        bool before = i == 0 || !IsWordChar(up[i - 1]);
        bool after = i + word.size() >= up.size() || !IsWordChar(up[i + word.size()]);
        if (before && after) return i;
    }
    return std::string::npos;
}

// "ORDER" followed (after any blanks or line breaks) by "BY".
size_t FindOrderBy(const std::string& up, size_t& clauseEnd) {
    size_t from = 0;
    while (true) {
        size_t p = FindKeyword(up, "ORDER", from);
        if (p == std::string::npos) return p;
        size_t q = p + 5;
        while (q < up.size() && IsSpace(up[q])) ++q;
        if (q > p + 5 && up.compare(q, 2, "BY") == 0 && (q + 2 >= up.size() || !IsWordChar(up[q + 2]))) {
            clauseEnd = q + 2;
            return p;
        }
        from = p + 5;
    }
}

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
    std::string up = text;
    for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string clause;
    if (zone == szAscending) clause = "Order by " + QuoteIdent(field) + " ASC ";
    if (zone == szDescending) clause = "Order by " + QuoteIdent(field) + " DESC ";
    size_t clauseEnd = 0;
    size_t order = FindOrderBy(up, clauseEnd);
    // What follows the ordering (a LIMIT or OFFSET) stays after the new clause.
    size_t tail = FindKeyword(up, "LIMIT", order == std::string::npos ? 0 : clauseEnd);
    if (tail == std::string::npos && order != std::string::npos) tail = FindKeyword(up, "OFFSET", clauseEnd);
    size_t cut = order != std::string::npos ? order : tail != std::string::npos ? tail : text.size();
    std::vector<std::string> out;
    AddLines(text.substr(0, cut), out);
    if (!clause.empty()) out.push_back(clause);
    if (tail != std::string::npos) AddLines(text.substr(tail), out);
    return out;
}

TVex_SortGrid::TVex_SortGrid(TComponent* owner) : TDBGrid(owner) { SetDefaultRowHeight(20); }

int TVex_SortGrid::SortColumnAt(int x) {
    zone_ = szAscending;
    std::vector<Column> cols = Columns();
    int e = HasOption(dgIndicator) ? kIndicatorWidth : 0;
    for (size_t c = 0; c < cols.size(); ++c) {
        int w = cols[c].Width;
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

void TVex_SortGrid::TitlePress(int x, int y) {
    if (sorting_) return;
    pressedAgain_ = buttonDown_;
    pressX_ = x;
    pressY_ = y;
    buttonDown_ = true;
}

void TVex_SortGrid::TitleRelease(int x, int y) {
    if (sorting_) return;
    buttonDown_ = false;
    int drawn = HasOption(dgIndicator) ? kIndicatorWidth : 0;
    for (const Column& c : Columns()) drawn += c.Width;
    int titleHeight = HasOption(dgTitles) ? DefaultRowHeight() : 0;
    if (!allowSort_ || y < 0 || y > titleHeight || x < 0 || x > drawn) return;
    int column = SortColumnAt(x);
    if (zone_ == szNone || pressedAgain_ || x != pressX_ || y != pressY_ || column < 0) return;
    SortByColumn(column, zone_);
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
    sorting_ = true;
    if (auto* table = dynamic_cast<TTable*>(ds)) {
        Result<void> r = table->UpdateIndexDefs();
        if (!r) return Refuse(r.reason());
        for (const TIndexDef& def : table->IndexDefs())
            if (def.Fields == name) {
                Result<void> s = table->SetIndexFieldNames(name);
                sorting_ = false;
                if (!s) return Refuse(s.reason());
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
        return Refuse(r.reason());
    }
    sorting_ = false;
    if (OnAfterSort) OnAfterSort(this);
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
