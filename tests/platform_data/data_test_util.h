// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Real SQLite databases for the data tests: a temporary folder removed at the
// end, and a writable connection to fill a database before the tested code
// opens it read-only.

#include <sqlite3.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quillon::test {

class TempDb {
  public:
    TempDb() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "qdata-XXXXXX").string();
        char* d = mkdtemp(tmpl.data());
        folder_ = d ? d : "";
        path_ = folder_ + "/test.db";
        EXPECT_EQ(sqlite3_open(path_.c_str(), &db_), SQLITE_OK);
    }
    ~TempDb() {
        sqlite3_close(db_);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    void Exec(const std::string& sql) {
        char* err = nullptr;
        int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
        EXPECT_EQ(rc, SQLITE_OK) << (err ? err : "") << " in " << sql;
        sqlite3_free(err);
    }
    // Ends the writing connection (a writer that goes away leaves no -wal file behind).
    void Close() {
        sqlite3_close(db_);
        db_ = nullptr;
    }
    const std::string& Path() const { return path_; }
    const std::string& Folder() const { return folder_; }
    sqlite3* Db() { return db_; }

  private:
    std::string folder_, path_;
    sqlite3* db_ = nullptr;
};

}  // namespace quillon::test
