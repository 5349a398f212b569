// SPDX-License-Identifier: GPL-2.0-or-later
// A cell of a real SQLite file, of any declared type and any stored value, read through a
// table and shown by its field in any display format: nothing crashes, a text comes back as
// stored (cut at the cell limit on a character boundary), and the window read of the same
// row agrees with the current record.
//
// Input: byte 0 picks the declared type, byte 1 the kind of value stored, then the display
// format up to the first newline, then the value's bytes.
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/data/db.h"
#include "platform/data/db_format.h"
#include "platform/sys/limits.h"

namespace {

void Require(bool ok) {
    if (!ok) __builtin_trap();
}

const std::string& Folder() {
    // Never destroyed: the exit handler below still reads it after static destructors ran.
    static const std::string* folder = [] {
        std::string t = (std::filesystem::temp_directory_path() / "quillon-fuzz-XXXXXX").string();
        const char* made = mkdtemp(t.data());
        if (!made) __builtin_trap();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Folder(), ec);
        });
        return new std::string(made);
    }();
    return *folder;
}

const char* const kDecls[] = {"",         "INTEGER", "VARCHAR(30)", "MONEY",   "REAL",
                              "SMALLINT", "MEMO",    "GRAPHIC",     "NUMERIC", "WORD"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillon;
    if (size < 2) return 0;
    const std::string decl = kDecls[data[0] % (sizeof kDecls / sizeof kDecls[0])];
    const int kind = data[1] % 5;
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t nl = rest.find('\n');
    const std::string format(rest.substr(0, nl == std::string_view::npos ? 0 : nl));
    const std::string_view value = nl == std::string_view::npos ? rest : rest.substr(nl + 1);

    const std::string path = Folder() + "/cells.db";
    unlink(path.c_str());
    sqlite3* w = nullptr;
    if (sqlite3_open(path.c_str(), &w) != SQLITE_OK) __builtin_trap();
    const std::string create = "CREATE TABLE t (V " + decl + ")";
    Require(sqlite3_exec(w, create.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK);
    sqlite3_stmt* ins = nullptr;
    Require(sqlite3_prepare_v2(w, "INSERT INTO t VALUES (?1)", -1, &ins, nullptr) == SQLITE_OK);
    std::int64_t integer = 0;
    double real = 0;
    std::memcpy(&integer, value.data(), std::min(value.size(), sizeof integer));
    std::memcpy(&real, value.data(), std::min(value.size(), sizeof real));
    switch (kind) {
        case 0:
            sqlite3_bind_null(ins, 1);
            break;
        case 1:
            sqlite3_bind_int64(ins, 1, integer);
            break;
        case 2:
            sqlite3_bind_double(ins, 1, real);
            break;
        case 3:
            sqlite3_bind_text(ins, 1, value.data(), static_cast<int>(value.size()),
                              SQLITE_TRANSIENT);
            break;
        default:
            sqlite3_bind_blob(ins, 1, value.data(), static_cast<int>(value.size()),
                              SQLITE_TRANSIENT);
            break;
    }
    Require(sqlite3_step(ins) == SQLITE_DONE);
    sqlite3_finalize(ins);
    sqlite3_close(w);

    TTable table(nullptr);
    table.SetName("T");
    table.SetDatabaseName(path);
    table.SetTableName("t");
    Require(static_cast<bool>(table.Open()));
    Require(table.RecordCount() == 1 && table.FieldCount() == 1);
    TField* f = table.Fields(0);
    f->SetDisplayFormat(format);
    const TCellValue& v = f->Value();
    if (kind == 3 && v.kind == TCellValue::Text) {
        // Text bound as text (a number bound into a text column comes back as its digits) is
        // stored as given; cut only past the limit, never inside a character.
        const std::size_t limit = static_cast<std::size_t>(limits::kMaxCellTextBytes);
        Require(v.bytes.size() <= limit && v.bytes.size() + 4 > std::min(value.size(), limit));
        Require(value.substr(0, v.bytes.size()) == v.bytes);
    }
    (void)f->DisplayText();
    (void)f->AsString();
    (void)f->AsInteger();
    (void)f->AsBoolean();
    (void)FormatFloat(format, f->AsFloat());
    (void)Format(format, f->AsFloat());
    auto rows = table.FetchRows(0, 2);
    Require(rows && rows->size() == 1 && (*rows)[0].size() == 1);
    const TCellValue& w0 = (*rows)[0][0];
    Require(w0.kind == v.kind && w0.bytes == v.bytes);
    Require(v.kind != TCellValue::Integer || w0.integer == v.integer);
    return 0;
}
