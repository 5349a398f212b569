// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/data/db.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/data/db_format.h"
#include "platform/sys/files.h"
#include "platform/sys/limits.h"
#include "platform/sys/notice.h"
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

// The progress handler runs every this many instructions.
constexpr int kProgressPeriod = 1000;

int Progress(void* arg) {
    auto* g = static_cast<TDbGuard*>(arg);
    g->used += kProgressPeriod;
    if (g->used <= g->budget) return 0;
    g->stopped = true;
    return 1;
}

// Reading only: every statement part that would change a database, attach another file or
// run a pragma is refused while the statement is prepared (the connection is read-only as
// well, and a statement SQLite does not call read-only is refused before it runs).
int Authorize(void* arg, int action, const char* a, const char*, const char*, const char*) {
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_READ:
        case SQLITE_FUNCTION:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        case SQLITE_PRAGMA:
            // The pragma functions that describe tables and indexes ask for their pragma when
            // they run; they only read.
            if (a)
                for (const char* known : {"index_list", "index_info", "index_xinfo", "table_info",
                                          "table_xinfo", "foreign_key_list"})
                    if (std::string_view(a) == known) return SQLITE_OK;
            break;
        case SQLITE_UPDATE:
            // SQLite asks this about its own schema table when a pragma function is read.
            if (a &&
                (std::string_view(a) == "sqlite_master" || std::string_view(a) == "sqlite_schema"))
                return SQLITE_OK;
            break;
        default:
            break;
    }
    auto* g = static_cast<TDbGuard*>(arg);
    if (g->refused.empty()) {
        if (action == SQLITE_ATTACH || action == SQLITE_DETACH)
            g->refused = "another database cannot be attached";
        else if (action == SQLITE_PRAGMA)
            g->refused = std::string("PRAGMA ") + (a ? a : "") + " cannot be run";
        else
            g->refused = "the statement would change the database";
    }
    return SQLITE_DENY;
}

// The first `max` bytes of a text, not cutting a character in two.
std::size_t TextCut(const char* text, std::size_t size, std::size_t max) {
    if (size <= max) return size;
    // A character is at most four bytes: bytes that are no text go no further back.
    std::size_t n = max;
    while (n > 0 && n + 3 > max && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

// One line, of a length a message can hold.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    constexpr std::size_t kMax = 300;
    if (text.size() > kMax) {
        text.resize(TextCut(text.data(), text.size(), kMax));
        text += "...";
    }
    return text;
}

std::string ColumnName(sqlite3_stmt* s, int c) {
    const char* name = sqlite3_column_name(s, c);
    return name ? name : std::to_string(c + 1);
}

// The value of column c of the row `s` stands on, cut as the limits say before it is copied;
// each column whose values are cut is told once.
void CopyCell(sqlite3_stmt* s, int c, TCellValue& v) {
    v.bytes.clear();
    switch (sqlite3_column_type(s, c)) {
        case SQLITE_INTEGER:
            v.kind = TCellValue::Integer;
            v.integer = sqlite3_column_int64(s, c);
            break;
        case SQLITE_FLOAT:
            v.kind = TCellValue::Float;
            v.real = sqlite3_column_double(s, c);
            break;
        case SQLITE_TEXT: {
            v.kind = TCellValue::Text;
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            const int len = sqlite3_column_bytes(s, c);
            if (t && len > 0)
                v.bytes.assign(t, TextCut(t, static_cast<std::size_t>(len),
                                          static_cast<std::size_t>(limits::kMaxCellTextBytes)));
            if (len > limits::kMaxCellTextBytes) {
                InputNotice("database column " + ColumnName(s, c) + ": texts longer than " +
                            std::to_string(limits::kMaxCellTextBytes >> 10) +
                            " KB cut to their first " +
                            std::to_string(limits::kMaxCellTextBytes >> 10) + " KB");
            }
            break;
        }
        case SQLITE_BLOB: {
            v.kind = TCellValue::Blob;
            const int len = sqlite3_column_bytes(s, c);
            const void* b = sqlite3_column_blob(s, c);
            // A picture cut short is no picture: one too large is left out whole.
            if (b && len > 0 && len <= limits::kMaxCellBlobBytes)
                v.bytes.assign(static_cast<const char*>(b), static_cast<std::size_t>(len));
            if (len > limits::kMaxCellBlobBytes)
                InputNotice("database column " + ColumnName(s, c) + ": values larger than " +
                            std::to_string(limits::kMaxCellBlobBytes >> 20) + " MB left out");
            break;
        }
        default:
            v.kind = TCellValue::Null;
            break;
    }
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
    // A name is a file name, never a URI (whose parameters could ask for writing).
    if (databaseName_.empty() || databaseName_[0] == '/' || baseFolder_.empty())
        return databaseName_;
    std::string base = baseFolder_;
    if (base.back() != '/') base += '/';
    return base + databaseName_;
}

Result<void> TDataSet::Fail(std::string_view what) const {
    std::string who = Name().empty() ? std::string(ClassName()) : Name();
    return Error{who + ": " + OneLine(std::string(what))};
}

Result<void> TDataSet::Fail(sqlite3* db, int rc) const {
    if (guard_.stopped) {
        std::string steps = std::to_string(guard_.budget);
        for (int at = static_cast<int>(steps.size()) - 3; at > 0; at -= 3)
            steps.insert(static_cast<std::size_t>(at), ",");
        return Fail("the query was stopped after " + steps + " steps of work (it may never end)");
    }
    if (!guard_.refused.empty()) return Fail(guard_.refused);
    const std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    if ((code & 0xFF) == SQLITE_TOOBIG)
        return Fail("a value larger than " + std::to_string(limits::kMaxDatabaseValueBytes >> 20) +
                    " MB, more than the program reads");
    // A writer that stopped in the middle of a change left it to be undone, which a reader
    // may not do.
    if (code == SQLITE_READONLY_ROLLBACK || code == SQLITE_READONLY_RECOVERY)
        return Fail("'" + databaseName_ +
                    "': a change left unfinished by a writer must be undone first, by a program "
                    "that may write to it");
    switch (code & 0xFF) {
        // Faults of the file rather than of the statement name the file.
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_PROTOCOL:
            return Fail("'" + databaseName_ + "': " + why);
        default:
            return Fail(why);
    }
}

void TDataSet::Arm(sqlite3*) const {
    guard_.budget = queryBudget_;
    guard_.used = 0;
    guard_.stopped = false;
    guard_.refused.clear();
}

Result<sqlite3*> TDataSet::OpenDatabase() const {
    const std::string path = DatabasePath();
    if (path.empty()) return Error{Fail("no database named").reason()};
    // Checked without blocking before SQLite opens it: a FIFO would hang SQLite's open.
    Result<UniqueFd> file = OpenRegularFile(path);
    if (!file) {
        // The reason begins with the path as resolved; the form's own name for it is said.
        std::string why = file.reason();
        if (why.rfind(path + ": ", 0) == 0) why.erase(0, path.size() + 2);
        return Error{Fail("'" + databaseName_ + "': " + why).reason()};
    }
    // A database in write-ahead-log mode makes even a reader create its -wal and -shm files
    // beside it. Without a log beside it no writer is at work and nothing waits in a log:
    // the file is read as immutable, which creates nothing. With a log and its index a
    // writer's files are there already and are read as they are; a log without its index
    // cannot be read without making one.
    unsigned char header[20] = {};
    const bool wal =
        pread(file->Get(), header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) &&
        std::memcmp(header, "SQLite format 3", 16) == 0 && header[18] == 2 && header[19] == 2;
    std::string name = path;
    int flags = SQLITE_OPEN_READONLY;
    if (wal) {
        struct stat st {};
        const bool log = lstat((path + "-wal").c_str(), &st) == 0;
        const bool index = lstat((path + "-shm").c_str(), &st) == 0;
        if (log && !index)
            return Error{Fail("'" + databaseName_ +
                              "': its write-ahead log has no index file beside it; it cannot be "
                              "read without writing one")
                             .reason()};
        if (!log) {
            name = "file:";
            static const char hex[] = "0123456789ABCDEF";
            for (unsigned char c : path) {
                if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
                    name += static_cast<char>(c);
                } else {
                    name += '%';
                    name += hex[c >> 4];
                    name += hex[c & 15];
                }
            }
            name += "?immutable=1";
            flags |= SQLITE_OPEN_URI;
        }
    }
    file->Reset();
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        Result<void> why = Fail(db, rc);
        sqlite3_close_v2(db);
        return Error{why.reason()};
    }
    sqlite3_busy_timeout(db, busyTimeout_);
    // A double-quoted name that matches no column must be an error, not a string.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, limits::kMaxDatabaseValueBytes);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, limits::kMaxDatabaseValueBytes);
    sqlite3_set_authorizer(db, Authorize, &guard_);
    sqlite3_progress_handler(db, kProgressPeriod, Progress, &guard_);
    return db;
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
    return Error{Fail("field '" + std::string(name) + "' not found").reason()};
}

std::string TDataSet::Where() const {
    if (formFile_.empty() || formLine_ <= 0) return {};
    return formFile_ + ":" + std::to_string(formLine_) + ": ";
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
    formFile_ = form;
    formLine_ = FormLineBeingLoaded();
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
    lastError_.clear();
    Result<std::string> select = SelectText();
    if (!select) return Fail(select.reason());
    Arm(nullptr);
    Result<sqlite3*> opened = OpenDatabase();
    if (!opened) return opened.error();
    sqlite3* db = *opened;
    // Every failure below closes with sqlite3_close_v2: a statement may still be alive at that
    // moment (it is finalized when its holder goes out of scope), and a plain close would then
    // refuse and leave the connection open for good.
    struct Closer {
        sqlite3* db;
        ~Closer() {
            if (db) sqlite3_close_v2(db);
        }
    } closer{db};
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, select->c_str(), -1, &raw, &tail);
    Stmt probe(raw);
    if (rc != SQLITE_OK) return Fail(db, rc);
    if (!probe) return Fail("the query has no statement");
    // The first statement without its closing semicolon goes inside the statements below.
    std::string body(select->c_str(),
                     tail ? static_cast<std::size_t>(tail - select->c_str()) : select->size());
    while (!body.empty() &&
           (std::isspace(static_cast<unsigned char>(body.back())) || body.back() == ';'))
        body.pop_back();
    // Only one statement: what follows the first may be blanks, semicolons and comments.
    while (tail && *tail) {
        sqlite3_stmt* next = nullptr;
        const char* after = nullptr;
        rc = sqlite3_prepare_v2(db, tail, -1, &next, &after);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next) return Fail("only one statement can be opened");
        if (after == tail) break;
        tail = after;
    }
    if (!sqlite3_stmt_readonly(probe.get())) return Fail("the statement would change the database");
    int columns = sqlite3_column_count(probe.get());
    if (columns == 0) return Fail("the statement reads no columns");
    // The text of the query goes inside the statements below on its own lines, so that a
    // comment at its end cannot take their closing parts.
    const std::string inner = "(\n" + body + "\n)";
    // The first row decides the class of columns without a declared type; it
    // is read through a one-row window (an ordered query is not sorted whole
    // for it).
    const std::string sampleSql = "SELECT * FROM " + inner + " LIMIT 1";
    raw = nullptr;
    rc = sqlite3_prepare_v2(db, sampleSql.c_str(), -1, &raw, nullptr);
    Stmt sample(raw);
    if (rc == SQLITE_OK && sample) rc = sqlite3_step(sample.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Fail(db, rc);
    bool hasRow = rc == SQLITE_ROW;
    bool persistent = false;
    for (TField* f : fields_)
        if (!f->Calculated()) persistent = true;
    std::vector<TField*> bound;
    std::vector<TField*> made;
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
        made.push_back(f);
    }
    const auto unbind = [&] {
        for (TField* f : made) delete f;
        for (TField* g : fields_) g->column_ = -1;
    };
    if (persistent) {
        for (TField* f : fields_)
            if (!f->Calculated() && std::find(bound.begin(), bound.end(), f) == bound.end()) {
                std::string missing = f->FieldName();
                unbind();
                return Fail("field '" + missing + "' not found");
            }
    }
    probe.reset();
    sample.reset();
    std::string countSql = "SELECT count(*) FROM " + inner;
    raw = nullptr;
    rc = sqlite3_prepare_v2(db, countSql.c_str(), -1, &raw, nullptr);
    Stmt count(raw);
    if (rc == SQLITE_OK) rc = sqlite3_step(count.get());
    if (rc != SQLITE_ROW) {
        Result<void> why = Fail(db, rc);
        unbind();
        return why;
    }
    recordCount_ = sqlite3_column_int64(count.get(), 0);
    count.reset();
    // Bounded windows (LIMIT ?2): SQLite then sorts only as far as the rows
    // asked for, so the first rows of an ordered query come without sorting
    // all of it.
    windowSql_ = "SELECT * FROM " + inner + " LIMIT ?2 OFFSET ?1";
    raw = nullptr;
    rc = sqlite3_prepare_v2(db, windowSql_.c_str(), -1, &raw, nullptr);
    if (rc != SQLITE_OK) {
        Result<void> why = Fail(db, rc);
        unbind();
        return why;
    }
    // Dynamic fields go before the calculated ones the form gave.
    for (TField* f : made) {
        f->dataSet_ = this;
        fields_.insert(fields_.begin() + static_cast<long>(dynamic_.size()), f);
        dynamic_.push_back(f);
    }
    closer.db = nullptr;
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
    Arm(db_);
    lastError_.clear();
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
            // The file changed under us, a lock or the work budget stopped the read: no record
            // here, and the reason is kept for whoever walks the records.
            lastError_ = rc == SQLITE_DONE ? std::string() : Fail(db_, rc).reason();
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
    for (int c = 0; c < n; ++c) CopyCell(cursor_, c, row_[static_cast<size_t>(c)]);
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
    Arm(db_);
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db_, windowSql_.c_str(), -1, &raw, nullptr);
    if (rc != SQLITE_OK) return Error{Fail(db_, rc).reason()};
    Stmt s(raw);
    sqlite3_bind_int64(s.get(), 1, first);
    sqlite3_bind_int64(s.get(), 2, count);
    int n = sqlite3_column_count(s.get());
    while (static_cast<int>(rows.size()) < count && (rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        std::vector<TCellValue> row(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) CopyCell(s.get(), c, row[static_cast<size_t>(c)]);
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Error{Fail(db_, rc).reason()};
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
    if (tableName_.empty()) return Error{"no table named"};
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
    sqlite3* db = Db();
    sqlite3* own = nullptr;
    if (!Active()) {
        Result<sqlite3*> opened = OpenDatabase();
        if (!opened) return opened.error();
        own = db = *opened;
    }
    Arm(db);
    struct Closer {
        sqlite3* db;
        ~Closer() {
            if (db) sqlite3_close_v2(db);
        }
    } closer{own};
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(
        db, "SELECT name, origin FROM pragma_index_list(?1) ORDER BY seq DESC", -1, &raw, nullptr);
    if (rc != SQLITE_OK) return Fail(db, rc);
    Stmt list(raw);
    sqlite3_bind_text(list.get(), 1, tableName_.c_str(), -1, SQLITE_TRANSIENT);
    bool primaryIndex = false;
    while ((rc = sqlite3_step(list.get())) == SQLITE_ROW) {
        TIndexDef def;
        const unsigned char* name = sqlite3_column_text(list.get(), 0);
        const unsigned char* origin = sqlite3_column_text(list.get(), 1);
        def.Name = name ? reinterpret_cast<const char*>(name) : "";
        if (origin && std::string_view(reinterpret_cast<const char*>(origin)) == "pk")
            primaryIndex = true;
        sqlite3_stmt* info = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT cid, name FROM pragma_index_info(?1) ORDER BY seqno", -1,
                               &info, nullptr) == SQLITE_OK) {
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
    if (rc != SQLITE_DONE) return Fail(db, rc);
    // An INTEGER PRIMARY KEY is the table's row number itself, its primary index, which
    // SQLite lists nowhere: it comes first, with no name of its own.
    if (!primaryIndex) {
        raw = nullptr;
        rc = sqlite3_prepare_v2(db, "SELECT name, type FROM pragma_table_info(?1) WHERE pk > 0", -1,
                                &raw, nullptr);
        if (rc != SQLITE_OK) return Fail(db, rc);
        Stmt keys(raw);
        sqlite3_bind_text(keys.get(), 1, tableName_.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::pair<std::string, std::string>> found;
        while ((rc = sqlite3_step(keys.get())) == SQLITE_ROW) {
            const unsigned char* n = sqlite3_column_text(keys.get(), 0);
            const unsigned char* t = sqlite3_column_text(keys.get(), 1);
            found.emplace_back(n ? reinterpret_cast<const char*>(n) : "",
                               t ? reinterpret_cast<const char*>(t) : "");
        }
        if (rc != SQLITE_DONE) return Fail(db, rc);
        if (found.size() == 1 && Upper(found[0].second) == "INTEGER")
            indexDefs_.insert(indexDefs_.begin(), TIndexDef{"", found[0].first});
    }
    return Ok();
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
    if (text.empty()) return Error{"the query has no SQL text"};
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
