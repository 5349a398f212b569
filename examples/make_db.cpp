// SPDX-License-Identifier: GPL-2.0-or-later
// Makes an SQLite database from an SQL script, for the examples: make_db SCRIPT.sql OUT.db.
// The database is written beside OUT under a temporary name and renamed when complete, so a
// failed script never leaves half a database behind.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_db SCRIPT.sql OUT.db\n");
        return 2;
    }
    const std::string script = argv[1], out = argv[2], part = out + ".part";
    std::ifstream in(script, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "make_db: %s: cannot be read\n", script.c_str());
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::remove(part.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(part.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "make_db: %s: %s\n", part.c_str(), db ? sqlite3_errmsg(db) : "cannot be made");
        sqlite3_close(db);
        return 1;
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, text.str().c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "make_db: %s: %s\n", script.c_str(), error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(part.c_str());
        return 1;
    }
    if (sqlite3_close(db) != SQLITE_OK || std::rename(part.c_str(), out.c_str()) != 0) {
        std::fprintf(stderr, "make_db: %s: cannot be written\n", out.c_str());
        std::remove(part.c_str());
        return 1;
    }
    return 0;
}
