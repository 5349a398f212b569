// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/data/db.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/data/db_format.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/properties.h"

namespace quillon {

namespace {

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool SameName(std::string_view a, std::string_view b) { return Upper(a) == Upper(b); }

// Text that reads wholly as a number (surrounding blanks allowed).
bool ParseNumber(const std::string& s, double& out) {
    const char* b = s.c_str();
    while (*b == ' ' || *b == '\t') ++b;
    if (!*b) return false;
    char* end = nullptr;
    out = std::strtod(b, &end);
    if (end == b) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == 0 && std::isfinite(out);
}

std::vector<std::string> SplitFieldNames(std::string_view list) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t semi = list.find(';', start);
        std::string_view part = list.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        if (!part.empty()) out.emplace_back(part);
        if (semi == std::string_view::npos) break;
        start = semi + 1;
    }
    return out;
}

struct StmtCloser {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtCloser>;

TField* NewField(TFieldType t, TComponent* owner) {
    switch (t) {
        case ftSmallint: return new TSmallintField(owner);
        case ftInteger: return new TIntegerField(owner);
        case ftWord: return new TWordField(owner);
        case ftFloat: return new TFloatField(owner);
        case ftCurrency: return new TCurrencyField(owner);
        case ftMemo: return new TMemoField(owner);
        case ftGraphic: return new TGraphicField(owner);
        case ftBlob: return new TBlobField(owner);
        default: return new TStringField(owner);
    }
}

int SizeOfDecl(std::string_view decl) {
    size_t open = decl.find('(');
    if (open == std::string_view::npos) return 0;
    int n = 0;
    auto r = std::from_chars(decl.data() + open + 1, decl.data() + decl.size(), n);
    return r.ec == std::errc() && n > 0 && n < 100000 ? n : 0;
}

}  // namespace

std::string QuoteIdent(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

TFieldType FieldTypeOfDecl(std::string_view declType, int sampleType) {
    std::string d = Upper(declType);
    auto has = [&](const char* w) { return d.find(w) != std::string::npos; };
    if (d.empty()) {
        switch (sampleType) {
            case SQLITE_INTEGER: return ftInteger;
            case SQLITE_FLOAT: return ftFloat;
            case SQLITE_BLOB: return ftBlob;
            default: return ftString;
        }
    }
    if (has("SMALLINT") || has("TINYINT") || has("BOOL")) return ftSmallint;
    if (has("WORD")) return ftWord;
    if (has("INT")) return ftInteger;
    if (has("CURRENCY") || has("MONEY")) return ftCurrency;
    if (has("MEMO") || has("CLOB") || has("LONGTEXT")) return ftMemo;
    if (has("GRAPHIC") || has("IMAGE") || has("PICTURE")) return ftGraphic;
    if (has("BLOB") || has("BINARY")) return ftBlob;
    if (has("REAL") || has("FLOA") || has("DOUB") || has("NUMERIC") || has("DECIMAL")) return ftFloat;
    return ftString;
}

// ---------------------------------------------------------------- TField

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
    if (dataSet_) dataSet_->RemoveField(this);
}

void TField::SetDataSet(TDataSet* ds) {
    if (ds == dataSet_) return;
    if (dataSet_) {
        dataSet_->RemoveField(this);
        RemoveFreeNotification(dataSet_);
    }
    dataSet_ = ds;
    if (ds) {
        ds->AddField(this);
        FreeNotification(ds);
    }
}

void TField::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == dataSet_) dataSet_ = nullptr;
}

const TCellValue& TField::Value() const {
    static const TCellValue null;
    if (calculated_ || column_ < 0) return calcValue_;
    if (!dataSet_ || dataSet_->position_ < 0 || column_ >= static_cast<int>(dataSet_->row_.size()))
        return null;
    return dataSet_->row_[column_];
}

std::string TField::AsString() const {
    const TCellValue& v = Value();
    switch (v.kind) {
        case TCellValue::Integer: return std::to_string(v.integer);
        case TCellValue::Float: {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.15g", v.real);
            return buf;
        }
        case TCellValue::Text:
        case TCellValue::Blob: return v.bytes;
        default: return {};
    }
}

double TField::AsFloat() const {
    const TCellValue& v = Value();
    double d = 0;
    switch (v.kind) {
        case TCellValue::Integer: return static_cast<double>(v.integer);
        case TCellValue::Float: return v.real;
        case TCellValue::Text: return ParseNumber(v.bytes, d) ? d : 0.0;
        default: return 0.0;
    }
}

std::int64_t TField::AsInteger() const {
    const TCellValue& v = Value();
    if (v.kind == TCellValue::Integer) return v.integer;
    double d = AsFloat();
    if (!(d > -9.2e18 && d < 9.2e18)) return 0;
    return static_cast<std::int64_t>(std::llround(d));
}

bool TField::AsBoolean() const {
    std::string u = Upper(AsString());
    if (u == "TRUE" || u == "T" || u == "Y" || u == "YES") return true;
    return IsNumeric() && AsFloat() != 0;
}

bool TField::IsNumeric() const {
    const TCellValue& v = Value();
    double d;
    return v.kind == TCellValue::Integer || v.kind == TCellValue::Float ||
           (v.kind == TCellValue::Text && ParseNumber(v.bytes, d));
}

void TField::SetAsFloat(double v) {
    calcValue_ = TCellValue{TCellValue::Float, 0, v, {}};
}

void TField::SetAsString(std::string_view v) {
    calcValue_ = TCellValue{TCellValue::Text, 0, 0, std::string(v)};
}

std::string TField::FormattedText() const { return AsString(); }

std::string TField::DisplayText() const {
    std::string text = IsNull() ? std::string() : FormattedText();
    if (OnGetText) OnGetText(const_cast<TField*>(this), text, true);
    return text;
}

std::string TNumericField::FormattedText() const {
    // A number column holding text shows the text as it is.
    if (!IsNumeric()) return AsString();
    if (!DisplayFormat().empty()) return FormatFloat(DisplayFormat(), AsFloat());
    return AsString();
}

std::string TFloatField::FormattedText() const {
    if (!IsNumeric()) return AsString();
    if (!DisplayFormat().empty()) return FormatFloat(DisplayFormat(), AsFloat());
    if (currency_) return Format("%m", AsFloat());
    return AsString();
}

// ---------------------------------------------------------------- TDataSet

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
    SetDestroying();
    Close();
    for (TField* f : std::vector<TField*>(fields_)) f->dataSet_ = nullptr;
    for (TDataSource* s : std::vector<TDataSource*>(sources_)) s->dataSet_ = nullptr;
}

void TDataSet::SetDatabaseName(std::string_view v) {
    databaseName_ = v;
}

std::string TDataSet::DatabasePath() const {
    if (databaseName_.empty() || databaseName_[0] == '/' || baseFolder_.empty() ||
        databaseName_.rfind("file:", 0) == 0)
        return databaseName_;
    std::string base = baseFolder_;
    if (base.back() != '/') base += '/';
    return base + databaseName_;
}

Result<void> TDataSet::Fail(std::string_view what, std::string_view statement) const {
    std::string msg = "database '" + DatabasePath() + "': " + std::string(what);
    if (!statement.empty()) msg += " (statement: " + std::string(statement) + ")";
    return Error{msg};
}

void TDataSet::AddField(TField* f) {
    if (std::find(fields_.begin(), fields_.end(), f) == fields_.end()) fields_.push_back(f);
}

void TDataSet::RemoveField(TField* f) {
    fields_.erase(std::remove(fields_.begin(), fields_.end(), f), fields_.end());
    dynamic_.erase(std::remove(dynamic_.begin(), dynamic_.end(), f), dynamic_.end());
}

TField* TDataSet::Fields(int index) const {
    return index >= 0 && index < FieldCount() ? fields_[index] : nullptr;
}

TField* TDataSet::FindField(std::string_view name) const {
    for (TField* f : fields_)
        if (SameName(f->FieldName(), name)) return f;
    return nullptr;
}

Result<TField*> TDataSet::FieldByName(std::string_view name) const {
    if (TField* f = FindField(name)) return f;
    return Error{"database '" + DatabasePath() + "': " + Name() + ": field '" + std::string(name) +
                 "' not found"};
}

void TDataSet::SetActive(bool v) {
    if (IsLoading()) {
        openWhenLoaded_ = v;
        return;
    }
    if (v) {
        Result<void> r = Open();
        lastError_ = r.reason();
    } else {
        Close();
    }
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    // A database named in a form file lies beside the form file.
    const std::string& form = FormFileBeingRead();
    size_t slash = form.rfind('/');
    if (baseFolder_.empty() && slash != std::string::npos) baseFolder_ = form.substr(0, slash + 1);
    if (openWhenLoaded_) {
        openWhenLoaded_ = false;
        Result<void> r = Open();
        lastError_ = r.reason();
    }
}

Result<void> TDataSet::Open() {
    if (Active()) return Ok();
    Result<std::string> select = SelectText();
    if (!select) return Fail(select.reason(), "");
    std::string path = DatabasePath();
    if (path.empty()) return Error{Name() + ": no database named"};
    int flags = SQLITE_OPEN_READONLY;
    if (path.rfind("file:", 0) == 0) flags |= SQLITE_OPEN_URI;
    // Every failure below closes with sqlite3_close_v2: a statement may still be alive at that
    // moment (it is finalized when its holder goes out of scope), and a plain close would then
    // refuse and leave the connection open for good.
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return Fail("cannot open: " + why, "");
    }
    sqlite3_busy_timeout(db, busyTimeout_);
    // A double-quoted name that matches no column must be an error, not a string.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    rc = sqlite3_prepare_v2(db, select->c_str(), -1, &raw, &tail);
    Stmt probe(raw);
    if (rc != SQLITE_OK || !probe) {
        std::string why = rc != SQLITE_OK ? sqlite3_errmsg(db) : "no statement";
        sqlite3_close_v2(db);
        return Fail(why, *select);
    }
    while (tail && *tail && (std::isspace(static_cast<unsigned char>(*tail)) || *tail == ';')) ++tail;
    if (tail && *tail) {
        sqlite3_close_v2(db);
        return Fail("only one statement can be opened", *select);
    }
    if (!sqlite3_stmt_readonly(probe.get())) {
        sqlite3_close_v2(db);
        return Fail("the statement would change the database", *select);
    }
    int columns = sqlite3_column_count(probe.get());
    // The first row decides the class of columns without a declared type; it
    // is read through a one-row window (an ordered query is not sorted whole
    // for it).
    const std::string sampleSql = "SELECT * FROM (" + *select + ") LIMIT 1";
    raw = nullptr;
    rc = sqlite3_prepare_v2(db, sampleSql.c_str(), -1, &raw, nullptr);
    Stmt sample(raw);
    if (rc == SQLITE_OK && sample) rc = sqlite3_step(sample.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        std::string why = sqlite3_errmsg(db);
        sample.reset();
        probe.reset();
        sqlite3_close_v2(db);
        return Fail(why, *select);
    }
    bool hasRow = rc == SQLITE_ROW;
    bool persistent = false;
    for (TField* f : fields_)
        if (!f->Calculated()) persistent = true;
    std::vector<TField*> bound;
    for (int c = 0; c < columns; ++c) {
        const char* name = sqlite3_column_name(probe.get(), c);
        std::string n = name ? name : "";
        if (persistent) {
            TField* f = FindField(n);
            if (f && !f->Calculated()) {
                f->column_ = c;
                bound.push_back(f);
            }
            continue;
        }
        const char* decl = sqlite3_column_decltype(probe.get(), c);
        int sampleType = hasRow ? sqlite3_column_type(sample.get(), c) : SQLITE_NULL;
        TField* f = NewField(FieldTypeOfDecl(decl ? decl : "", sampleType), this);
        f->fieldName_ = n;
        f->size_ = SizeOfDecl(decl ? decl : "");
        f->column_ = c;
        // Dynamic fields go before the calculated ones the form gave.
        f->dataSet_ = this;
        fields_.insert(fields_.begin() + static_cast<long>(dynamic_.size()), f);
        dynamic_.push_back(f);
    }
    if (persistent) {
        for (TField* f : fields_)
            if (!f->Calculated() && std::find(bound.begin(), bound.end(), f) == bound.end()) {
                std::string missing = f->FieldName();
                for (TField* g : fields_) g->column_ = -1;
                sqlite3_close_v2(db);
                return Fail(Name() + ": field '" + missing + "' not found", *select);
            }
    }
    probe.reset();
    sample.reset();
    std::string countSql = "SELECT count(*) FROM (" + *select + ")";
    raw = nullptr;
    rc = sqlite3_prepare_v2(db, countSql.c_str(), -1, &raw, nullptr);
    Stmt count(raw);
    if (rc != SQLITE_OK || sqlite3_step(count.get()) != SQLITE_ROW) {
        std::string why = sqlite3_errmsg(db);
        count.reset();
        for (TField* f : std::vector<TField*>(dynamic_)) delete f;
        sqlite3_close_v2(db);
        return Fail(why, countSql);
    }
    recordCount_ = sqlite3_column_int64(count.get(), 0);
    count.reset();
    // Bounded windows (LIMIT ?2): SQLite then sorts only as far as the rows
    // asked for, so the first rows of an ordered query come without sorting
    // all of it.
    windowSql_ = "SELECT * FROM (" + *select + ") LIMIT ?2 OFFSET ?1";
    raw = nullptr;
    rc = sqlite3_prepare_v2(db, windowSql_.c_str(), -1, &raw, nullptr);
    if (rc != SQLITE_OK) {
        std::string why = sqlite3_errmsg(db);
        for (TField* f : std::vector<TField*>(dynamic_)) delete f;
        sqlite3_close_v2(db);
        return Fail(why, windowSql_);
    }
    db_ = db;
    cursor_ = raw;
    ++generation_;
    position_ = -1;
    stepped_ = -1;
    Load(true);
    Changed(deActiveChanged);
    if (AfterOpen) AfterOpen(this);
    return Ok();
}

void TDataSet::Close() {
    if (!db_) return;
    sqlite3_finalize(cursor_);
    cursor_ = nullptr;
    sqlite3_finalize(spare_);
    spare_ = nullptr;
    spareStepped_ = -1;
    ClearStatementCache();
    sqlite3_close_v2(db_);
    db_ = nullptr;
    for (TField* f : std::vector<TField*>(dynamic_)) {
        fields_.erase(std::remove(fields_.begin(), fields_.end(), f), fields_.end());
        f->dataSet_ = nullptr;
        delete f;
    }
    dynamic_.clear();
    for (TField* f : fields_) f->column_ = -1;
    row_.clear();
    position_ = stepped_ = -1;
    recordCount_ = 0;
    eof_ = bof_ = true;
    if (!IsDestroying()) Changed(deActiveChanged);
}

// Puts the cursor statement on record `target` (position_ set by the caller)
// and reads its values; a jump rebinds the offset, a step forward just steps.
bool TDataSet::MoveTo(std::int64_t target) {
    if (!db_ || target < 0 || target >= recordCount_) return false;
    if (target != stepped_ && (target != stepped_ + 1 || stepped_ < 0)) {
        // A far jump goes through the other cursor, and the one left behind keeps its record:
        // a walk that goes back and forth between two places (a table printed page by page
        // and put back on the user's record after every page) never skips the same rows again.
        if (!spare_) sqlite3_prepare_v2(db_, windowSql_.c_str(), -1, &spare_, nullptr);
        if (spare_) {
            std::swap(cursor_, spare_);
            std::swap(stepped_, spareStepped_);
        }
    }
    if (target != stepped_) {
        // A jump opens a window from the target; it is as long as the offset
        // (at least a few thousand rows), so that a walk to the end reopens only
        // a few times as it goes.
        auto stepFrom = [this](std::int64_t at) {
            sqlite3_reset(cursor_);
            sqlite3_bind_int64(cursor_, 1, at);
            sqlite3_bind_int64(cursor_, 2, std::max<std::int64_t>(4096, at));
            return sqlite3_step(cursor_);
        };
        int rc;
        if (target == stepped_ + 1 && stepped_ >= 0) {
            rc = sqlite3_step(cursor_);
            if (rc == SQLITE_DONE) rc = stepFrom(target);  // the window ran out before the records
        } else {
            rc = stepFrom(target);
        }
        if (rc != SQLITE_ROW) {
            // The file changed under us or a lock stopped the read: no record here.
            lastError_ = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(db_);
            sqlite3_reset(cursor_);
            stepped_ = -1;
            return false;
        }
        stepped_ = target;
    }
    position_ = target;
    ReadRow();
    return true;
}

void TDataSet::ReadRow() {
    int n = sqlite3_column_count(cursor_);
    row_.resize(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) {
        TCellValue& v = row_[static_cast<size_t>(c)];
        v.bytes.clear();
        switch (sqlite3_column_type(cursor_, c)) {
            case SQLITE_INTEGER:
                v.kind = TCellValue::Integer;
                v.integer = sqlite3_column_int64(cursor_, c);
                break;
            case SQLITE_FLOAT:
                v.kind = TCellValue::Float;
                v.real = sqlite3_column_double(cursor_, c);
                break;
            case SQLITE_TEXT: {
                v.kind = TCellValue::Text;
                const unsigned char* t = sqlite3_column_text(cursor_, c);
                v.bytes.assign(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(cursor_, c)));
                break;
            }
            case SQLITE_BLOB: {
                v.kind = TCellValue::Blob;
                const void* b = sqlite3_column_blob(cursor_, c);
                int len = sqlite3_column_bytes(cursor_, c);
                if (b && len > 0) v.bytes.assign(static_cast<const char*>(b), static_cast<size_t>(len));
                break;
            }
            default: v.kind = TCellValue::Null; break;
        }
    }
    for (TField* f : fields_)
        if (f->Calculated()) f->calcValue_ = TCellValue{};
    if (OnCalcFields) OnCalcFields(this);
}

void TDataSet::Load(bool) {
    if (recordCount_ > 0 && MoveTo(0)) {
        eof_ = false;
        bof_ = true;
    } else {
        row_.clear();
        position_ = -1;
        eof_ = bof_ = true;
    }
}

void TDataSet::First() {
    if (!db_) return;
    Load();
    Changed(deDataSetChanged);
}

void TDataSet::Next() {
    if (!db_ || eof_) return;
    bof_ = false;
    if (!MoveTo(position_ + 1)) {
        eof_ = true;
        return;
    }
    Changed(deRecordChanged);
}

void TDataSet::Prior() {
    if (!db_ || position_ < 0) return;
    eof_ = false;
    if (position_ == 0 || !MoveTo(position_ - 1)) {
        bof_ = true;
        return;
    }
    Changed(deRecordChanged);
}

void TDataSet::Last() {
    if (!db_ || recordCount_ == 0) return;
    if (MoveTo(recordCount_ - 1)) {
        eof_ = true;
        bof_ = recordCount_ == 1;
    }
    Changed(deDataSetChanged);
}

bool TDataSet::SetRecNo(std::int64_t position) {
    if (!MoveTo(position)) return false;
    eof_ = false;
    bof_ = position == 0;
    Changed(deRecordChanged);
    return true;
}

TBookmark TDataSet::GetBookmark() const {
    if (!db_ || position_ < 0) return {};
    return TBookmark{position_, generation_};
}

bool TDataSet::GotoBookmark(const TBookmark& b) {
    if (!db_ || !b.Valid() || b.generation != generation_) return false;
    if (!MoveTo(b.position)) return false;
    eof_ = false;
    bof_ = b.position == 0;
    Changed(deDataSetChanged);
    return true;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ == 0 && pending_) {
        pending_ = false;
        Changed(deDataSetChanged);
    }
}

void TDataSet::Changed(TDataEvent e) {
    if (IsDestroying()) return;
    if (disableCount_ > 0) {
        pending_ = true;
        return;
    }
    if (e == deRecordChanged && AfterScroll) AfterScroll(this);
    for (TDataSource* s : std::vector<TDataSource*>(sources_)) s->Send(e);
}

Result<std::vector<std::vector<TCellValue>>> TDataSet::FetchRows(std::int64_t first, int count) const {
    std::vector<std::vector<TCellValue>> rows;
    if (!db_ || count <= 0 || first < 0) return rows;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db_, windowSql_.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        return Error{Fail(sqlite3_errmsg(db_), windowSql_).reason()};
    Stmt s(raw);
    sqlite3_bind_int64(s.get(), 1, first);
    sqlite3_bind_int64(s.get(), 2, count);
    int n = sqlite3_column_count(s.get());
    int rc;
    while (static_cast<int>(rows.size()) < count && (rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        std::vector<TCellValue> row(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) {
            TCellValue& v = row[static_cast<size_t>(c)];
            switch (sqlite3_column_type(s.get(), c)) {
                case SQLITE_INTEGER: v.kind = TCellValue::Integer; v.integer = sqlite3_column_int64(s.get(), c); break;
                case SQLITE_FLOAT: v.kind = TCellValue::Float; v.real = sqlite3_column_double(s.get(), c); break;
                case SQLITE_TEXT:
                case SQLITE_BLOB: {
                    v.kind = sqlite3_column_type(s.get(), c) == SQLITE_TEXT ? TCellValue::Text : TCellValue::Blob;
                    const void* b = sqlite3_column_blob(s.get(), c);
                    int len = sqlite3_column_bytes(s.get(), c);
                    if (b && len > 0) v.bytes.assign(static_cast<const char*>(b), static_cast<size_t>(len));
                    break;
                }
                default: break;
            }
        }
        rows.push_back(std::move(row));
        if (static_cast<int>(rows.size()) >= count) break;
    }
    return rows;
}

void TDataSet::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    sources_.erase(std::remove(sources_.begin(), sources_.end(), component), sources_.end());
}

// ---------------------------------------------------------------- TTable, TQuery

TTable::TTable(TComponent* owner) : TDataSet(owner) {}

Result<std::string> TTable::SelectText() const {
    if (tableName_.empty()) return Error{Name() + ": no table named"};
    std::string sql = "SELECT * FROM " + QuoteIdent(tableName_);
    std::vector<std::string> order = SplitFieldNames(indexFieldNames_);
    for (size_t i = 0; i < order.size(); ++i) sql += (i ? ", " : " ORDER BY ") + QuoteIdent(order[i]);
    return sql;
}

Result<void> TTable::SetIndexFieldNames(std::string_view v) {
    if (v == indexFieldNames_) return Ok();
    std::string old = indexFieldNames_;
    indexFieldNames_ = v;
    if (!Active()) return Ok();
    Close();
    Result<void> r = Open();
    if (!r) {
        // Keep the table usable in its former order.
        indexFieldNames_ = old;
        (void)Open();
        return r;
    }
    return Ok();
}

Result<void> TTable::UpdateIndexDefs() {
    indexDefs_.clear();
    bool opened = Active();
    sqlite3* db = Db();
    sqlite3* own = nullptr;
    if (!opened) {
        if (sqlite3_open_v2(DatabasePath().c_str(), &own, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            std::string why = own ? sqlite3_errmsg(own) : "out of memory";
            sqlite3_close_v2(own);
            return Fail("cannot open: " + why, "");
        }
        db = own;
    }
    std::string listSql = "SELECT name FROM pragma_index_list(?1) ORDER BY seq DESC";
    sqlite3_stmt* raw = nullptr;
    Result<void> result = Ok();
    if (sqlite3_prepare_v2(db, listSql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        result = Fail(sqlite3_errmsg(db), listSql);
    } else {
        Stmt list(raw);
        sqlite3_bind_text(list.get(), 1, tableName_.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(list.get()) == SQLITE_ROW) {
            TIndexDef def;
            def.Name = reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0));
            sqlite3_stmt* info = nullptr;
            std::string infoSql = "SELECT cid, name FROM pragma_index_info(?1) ORDER BY seqno";
            if (sqlite3_prepare_v2(db, infoSql.c_str(), -1, &info, nullptr) == SQLITE_OK) {
                Stmt in(info);
                sqlite3_bind_text(in.get(), 1, def.Name.c_str(), -1, SQLITE_TRANSIENT);
                std::string fields;
                bool expression = false;
                while (sqlite3_step(in.get()) == SQLITE_ROW) {
                    // cid -2 is an expression: the index then has no field list.
                    if (sqlite3_column_int(in.get(), 0) < 0) expression = true;
                    const unsigned char* n = sqlite3_column_text(in.get(), 1);
                    if (!fields.empty()) fields += ';';
                    fields += n ? reinterpret_cast<const char*>(n) : "";
                }
                def.Fields = expression ? std::string() : fields;
            }
            indexDefs_.push_back(std::move(def));
        }
    }
    if (own) sqlite3_close_v2(own);
    return result;
}

TQuery::TQuery(TComponent* owner) : TDataSet(owner) {}

Result<std::string> TQuery::SelectText() const {
    std::string text;
    for (int i = 0; i < sql_.Count(); ++i) {
        if (i) text += '\n';
        text += sql_[i];
    }
    // A closing semicolon would end the statement inside our window clause.
    while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == ';'))
        text.pop_back();
    if (text.empty()) return Error{Name() + ": the query has no SQL text"};
    return text;
}

// ---------------------------------------------------------------- sources and links

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    SetDestroying();
    SetDataSet(nullptr);
    for (TDataLink* l : std::vector<TDataLink*>(links_)) l->source_ = nullptr;
}

void TDataSource::SetDataSet(TDataSet* ds) {
    if (ds == dataSet_) return;
    if (dataSet_) {
        auto& v = dataSet_->sources_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        RemoveFreeNotification(dataSet_);
    }
    dataSet_ = ds;
    if (ds) {
        ds->sources_.push_back(this);
        FreeNotification(ds);
    }
    if (!IsDestroying()) Send(deActiveChanged);
}

void TDataSource::SetEnabled(bool v) {
    enabled_ = v;
    Send(deActiveChanged);
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == dataSet_) {
        dataSet_ = nullptr;
        Send(deActiveChanged);
    }
}

void TDataSource::Send(TDataEvent e) {
    if (!enabled_ && e != deActiveChanged) return;
    for (TDataLink* l : std::vector<TDataLink*>(links_)) l->DataEvent(e);
    if (OnDataChange && e != deActiveChanged) OnDataChange(this);
}

TDataLink::~TDataLink() { SetDataSource(nullptr); }

void TDataLink::SetDataSource(TDataSource* s) {
    if (s == source_) return;
    if (source_) {
        auto& v = source_->links_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    source_ = s;
    if (s) s->links_.push_back(this);
    DataEvent(deActiveChanged);
}

TDataSet* TDataLink::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

bool TDataLink::Active() const {
    return source_ && source_->Enabled() && source_->DataSet() && source_->DataSet()->Active();
}

}  // namespace quillon
