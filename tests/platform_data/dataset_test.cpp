// SPDX-License-Identifier: GPL-2.0-or-later
// Tables and queries over real SQLite files: walking, field classes, bookmarks,
// orders and indexes, the messages of every failure, and bad data.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <fstream>
#include <memory>

#include "platform/data/db.h"
#include "platform/data/db_format.h"
#include "platform/sys/limits.h"
#include "platform/sys/notice.h"
#include "tests/platform_data/data_test_util.h"

namespace quillon {
namespace {

using test::TempDb;

std::unique_ptr<TTable> OpenTable(const TempDb& db, const std::string& name, const std::string& order = "") {
    auto t = std::make_unique<TTable>(nullptr);
    t->SetName("Table1");
    t->SetDatabaseName(db.Path());
    t->SetTableName(name);
    EXPECT_TRUE(t->SetIndexFieldNames(order));
    Result<void> r = t->Open();
    EXPECT_TRUE(r) << r.reason();
    return t;
}

std::vector<std::string> Column(TDataSet& ds, const std::string& field) {
    std::vector<std::string> out;
    TField* f = ds.FindField(field);
    if (!f) return out;
    for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(f->AsString());
    return out;
}

class DataSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.Exec("CREATE TABLE members (ID INTEGER PRIMARY KEY, NAME VARCHAR(30), AGE SMALLINT, "
                "YEARS WORD, SCORE REAL, FEE MONEY, NOTES MEMO, PHOTO GRAPHIC, RAW BLOB, "
                "PLAIN TEXT)");
        db.Exec("INSERT INTO members VALUES (1,'Cole',40,3,2.5,12.25,'n1',NULL,NULL,'p'),"
                "(2,'Abel',31,1,7.0,1234.5,'n2',NULL,x'00ff','q'),"
                "(3,'Bell',52,9,-1.5,0,'n3',NULL,NULL,'r')");
    }
    TempDb db;
};

TEST_F(DataSetTest, FieldClassesFollowTheDeclaredTypes) {
    auto t = OpenTable(db, "members");
    ASSERT_EQ(t->FieldCount(), 10);
    const char* classes[] = {"TIntegerField", "TStringField",  "TSmallintField", "TWordField",
                             "TFloatField",   "TCurrencyField", "TMemoField",    "TGraphicField",
                             "TBlobField",    "TStringField"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(t->Fields(i)->ClassName(), classes[i]) << i;
    EXPECT_EQ(t->Fields(1)->Size(), 30);
    EXPECT_EQ(t->Fields(1)->DisplayWidth(), 30);
    EXPECT_EQ(t->Fields(0)->Alignment(), taRightJustify);
    EXPECT_EQ(t->Fields(1)->Alignment(), taLeftJustify);
    EXPECT_EQ(t->Fields(1)->DisplayLabel(), "NAME");
    EXPECT_EQ(t->Fields(0)->DataType(), ftInteger);
    EXPECT_EQ(t->Fields(5)->DataType(), ftCurrency);
    EXPECT_EQ(t->Fields(6)->DataType(), ftMemo);
}

TEST_F(DataSetTest, WalksEveryRowOnceAndStopsAtTheEnd) {
    auto t = OpenTable(db, "members");
    EXPECT_EQ(t->RecordCount(), 3);
    EXPECT_EQ(Column(*t, "NAME"), (std::vector<std::string>{"Cole", "Abel", "Bell"}));
    EXPECT_TRUE(t->Eof());
    EXPECT_EQ(t->FindField("NAME")->AsString(), "Bell");  // stays on the last record
    t->Next();
    EXPECT_TRUE(t->Eof());
    t->First();
    EXPECT_FALSE(t->Eof());
    EXPECT_TRUE(t->Bof());
    EXPECT_EQ(t->RecNo(), 0);
    t->Last();
    EXPECT_EQ(t->FindField("ID")->AsInteger(), 3);
    t->Prior();
    EXPECT_EQ(t->FindField("ID")->AsInteger(), 2);
}

TEST_F(DataSetTest, IndexFieldNamesOrdersTheRows) {
    auto t = OpenTable(db, "members", "NAME");
    EXPECT_EQ(Column(*t, "NAME"), (std::vector<std::string>{"Abel", "Bell", "Cole"}));
    ASSERT_TRUE(t->SetIndexFieldNames("AGE;NAME"));
    EXPECT_EQ(Column(*t, "NAME"), (std::vector<std::string>{"Abel", "Cole", "Bell"}));
}

TEST_F(DataSetTest, AnUnknownOrderFieldIsReportedAndTheOldOrderKept) {
    auto t = OpenTable(db, "members", "NAME");
    Result<void> r = t->SetIndexFieldNames("NOPE");
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Table1: no such column: NOPE");
    EXPECT_EQ(t->IndexFieldNames(), "NAME");
    ASSERT_TRUE(t->Active());
    EXPECT_EQ(Column(*t, "NAME"), (std::vector<std::string>{"Abel", "Bell", "Cole"}));
}

TEST_F(DataSetTest, IndexDefsComeFromTheDatabase) {
    db.Exec("CREATE INDEX ByName ON members(NAME)");
    db.Exec("CREATE INDEX ByAgeName ON members(AGE, NAME)");
    db.Exec("CREATE INDEX ByLower ON members(lower(NAME))");
    TTable t(nullptr);
    t.SetDatabaseName(db.Path());
    t.SetTableName("members");
    Result<void> updated = t.UpdateIndexDefs();  // also when closed
    ASSERT_TRUE(updated) << updated.reason();
    ASSERT_EQ(t.IndexDefs().size(), 4u);
    // The INTEGER PRIMARY KEY is the table's primary index, first and without a name.
    EXPECT_EQ(t.IndexDefs()[0].Name, "");
    EXPECT_EQ(t.IndexDefs()[0].Fields, "ID");
    EXPECT_EQ(t.IndexDefs()[1].Name, "ByName");
    EXPECT_EQ(t.IndexDefs()[1].Fields, "NAME");
    EXPECT_EQ(t.IndexDefs()[2].Fields, "AGE;NAME");
    EXPECT_EQ(t.IndexDefs()[3].Name, "ByLower");
    EXPECT_EQ(t.IndexDefs()[3].Fields, "");  // an expression is no field list
}

TEST_F(DataSetTest, OnlyAnIntegerPrimaryKeyIsAPrimaryIndexOfItsOwn) {
    // Other keys have SQLite's own index, listed once; a key of two columns is no row number.
    db.Exec("CREATE TABLE texts (CODE TEXT PRIMARY KEY, N INTEGER)");
    db.Exec("CREATE TABLE pairs (A INTEGER, B INTEGER, PRIMARY KEY (A, B))");
    db.Exec("CREATE TABLE norowid (K INTEGER PRIMARY KEY, V TEXT) WITHOUT ROWID");
    db.Exec("CREATE TABLE plain (V TEXT)");
    const auto defs = [&](const std::string& table) {
        TTable t(nullptr);
        t.SetDatabaseName(db.Path());
        t.SetTableName(table);
        Result<void> updated = t.UpdateIndexDefs();
        EXPECT_TRUE(updated) << updated.reason();
        std::vector<std::string> out;
        for (const TIndexDef& d : t.IndexDefs()) out.push_back(d.Name + "=" + d.Fields);
        return out;
    };
    EXPECT_EQ(defs("texts"), (std::vector<std::string>{"sqlite_autoindex_texts_1=CODE"}));
    EXPECT_EQ(defs("pairs"), (std::vector<std::string>{"sqlite_autoindex_pairs_1=A;B"}));
    EXPECT_EQ(defs("norowid"), (std::vector<std::string>{"sqlite_autoindex_norowid_1=K"}));
    EXPECT_EQ(defs("plain"), (std::vector<std::string>{}));
    // Sorting by the key orders by the row number.
    auto t = OpenTable(db, "members", "ID");
    EXPECT_EQ(Column(*t, "NAME"), (std::vector<std::string>{"Cole", "Abel", "Bell"}));
}

TEST_F(DataSetTest, BookmarksReturnToTheirRecordAndGoStaleOnReopen) {
    auto t = OpenTable(db, "members");
    t->Next();
    TBookmark b = t->GetBookmark();
    t->Last();
    ASSERT_TRUE(t->GotoBookmark(b));
    EXPECT_EQ(t->FindField("NAME")->AsString(), "Abel");
    TBookmark kept = b;
    t->FreeBookmark(b);
    EXPECT_FALSE(b.Valid());
    EXPECT_FALSE(t->GotoBookmark(b));
    t->Close();
    ASSERT_TRUE(t->Open());
    t->Last();
    EXPECT_FALSE(t->GotoBookmark(kept));  // from the earlier opening
    EXPECT_EQ(t->RecNo(), 2);
}

TEST_F(DataSetTest, JumpsBackAndForthReadTheRecordsJumpedTo) {
    db.Exec("CREATE TABLE seq (N INTEGER)");
    db.Exec("WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 199) "
            "INSERT INTO seq SELECT x * 10 FROM c");
    auto t = OpenTable(db, "seq");
    TField* n = t->FindField("N");
    // Two places visited in turn (a printed page and the user's record), each walked on a
    // little from where it was left, and a third place in between.
    std::vector<std::int64_t> got, want;
    const std::int64_t path[] = {150, 3, 151, 152, 4, 153, 3, 77, 154, 199, 0, 198};
    for (std::int64_t p : path) {
        ASSERT_TRUE(t->MoveTo(p));
        got.push_back(n->AsInteger());
        want.push_back(p * 10);
    }
    EXPECT_EQ(got, want);
    for (int i = 0; i < 3; ++i) t->Next();
    EXPECT_EQ(n->AsInteger(), 1990);  // 198 then the end
    EXPECT_TRUE(t->Eof());
    TBookmark b = t->GetBookmark();
    t->First();
    EXPECT_EQ(n->AsInteger(), 0);
    ASSERT_TRUE(t->GotoBookmark(b));
    EXPECT_EQ(n->AsInteger(), 1990);
    t->Close();
    ASSERT_TRUE(t->Open());
    ASSERT_TRUE(t->MoveTo(42));
    EXPECT_EQ(t->FindField("N")->AsInteger(), 420);
}

TEST_F(DataSetTest, NullsInEveryColumnType) {
    db.Exec("INSERT INTO members VALUES (4,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL,NULL)");
    auto t = OpenTable(db, "members");
    t->Last();
    for (int i = 1; i < t->FieldCount(); ++i) {
        TField* f = t->Fields(i);
        f->SetDisplayFormat(f->DataType() == ftString ? "" : "#,##0.00");
        EXPECT_TRUE(f->IsNull()) << f->FieldName();
        EXPECT_EQ(f->AsString(), "") << f->FieldName();
        EXPECT_EQ(f->DisplayText(), "") << f->FieldName();
        EXPECT_EQ(f->AsFloat(), 0.0) << f->FieldName();
        EXPECT_FALSE(f->IsNumeric()) << f->FieldName();
    }
}

TEST_F(DataSetTest, NumbersFormatAndTextInANumberColumnShowsAsItIs) {
    db.Exec("INSERT INTO members (ID, AGE, SCORE, FEE) VALUES (5, 'abc', '12.5', 'n/a')");
    auto t = OpenTable(db, "members");
    TField* age = t->FindField("AGE");
    TField* score = t->FindField("SCORE");
    TField* fee = t->FindField("FEE");
    TField* id = t->FindField("ID");
    TFormatSettings saved = FormatSettings();
    FormatSettings() = TFormatSettings{};
    t->Next();
    fee->SetDisplayFormat("");
    EXPECT_EQ(fee->DisplayText(), "$1,234.50");  // the currency format without a format
    t->First();
    id->SetDisplayFormat("000");
    EXPECT_EQ(id->DisplayText(), "001");
    t->Last();
    EXPECT_EQ(age->DisplayText(), "abc");
    EXPECT_FALSE(age->IsNumeric());
    EXPECT_EQ(age->AsFloat(), 0.0);
    EXPECT_TRUE(score->IsNumeric());  // text that reads as a number
    EXPECT_EQ(score->AsFloat(), 12.5);
    EXPECT_EQ(fee->DisplayText(), "n/a");
    FormatSettings() = saved;
}

TEST_F(DataSetTest, OnGetTextAndCalculatedFields) {
    TTable t(nullptr);
    t.SetDatabaseName(db.Path());
    t.SetTableName("members");
    auto* total = new TFloatField(&t);
    total->SetFieldName("DOUBLEAGE");
    total->SetCalculated(true);
    total->SetDataSet(&t);
    t.OnCalcFields = [&](TObject*) { total->SetAsFloat(t.FindField("AGE")->AsFloat() * 2); };
    ASSERT_TRUE(t.Open());
    ASSERT_EQ(t.FieldCount(), 11);
    EXPECT_EQ(t.Fields(10), total);  // after the table's own columns
    EXPECT_EQ(Column(t, "DOUBLEAGE"), (std::vector<std::string>{"80", "62", "104"}));
    TField* name = t.FindField("NAME");
    name->OnGetText = [](TField* f, std::string& text, bool display) {
        if (display) text = "<" + f->AsString() + ">";
    };
    t.First();
    EXPECT_EQ(name->DisplayText(), "<Cole>");
}

TEST_F(DataSetTest, PersistentFieldsMustExist) {
    TTable t(nullptr);
    t.SetName("Members");
    t.SetDatabaseName(db.Path());
    t.SetTableName("members");
    auto* f = new TStringField(&t);
    f->SetFieldName("SURNAME");
    f->SetDataSet(&t);
    Result<void> r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find("Members: field 'SURNAME' not found"), std::string::npos) << r.reason();
    f->SetFieldName("NAME");
    ASSERT_TRUE(t.Open());
    EXPECT_EQ(t.FieldCount(), 1);  // only the fields the form gave
    EXPECT_EQ(f->AsString(), "Cole");
}

TEST_F(DataSetTest, FailuresAreOneLineAfterTheDatasetsName) {
    TTable t(nullptr);
    t.SetName("Members");
    t.SetDatabaseName(db.Folder() + "/missing.db");
    t.SetTableName("members");
    Result<void> r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Members: '" + db.Folder() + "/missing.db': no such file");
    EXPECT_FALSE(std::filesystem::exists(db.Folder() + "/missing.db"));  // never created

    t.SetDatabaseName(db.Path());
    t.SetTableName("nobody");
    r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Members: no such table: nobody");

    std::string junk = db.Folder() + "/junk.db";
    std::ofstream(junk) << std::string(4096, 'x');
    t.SetDatabaseName(junk);
    t.SetTableName("members");
    r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Members: '" + junk + "': file is not a database");

    t.SetDatabaseName(db.Folder());
    r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Members: '" + db.Folder() + "': not a regular file");

    TQuery q(nullptr);
    q.SetName("Query1");
    q.SetDatabaseName(db.Path());
    q.SQL().Add("SELEC NAME FROM members");
    r = q.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Query1: near \"SELEC\": syntax error");
    EXPECT_FALSE(q.Active());
    // A name that spans lines in SQLite's message still makes one line.
    q.SQL().Clear();
    q.SQL().Add("SELECT \"a");
    q.SQL().Add("b\" FROM members");
    r = q.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Query1: no such column: a b");
}

TEST_F(DataSetTest, NothingIsWrittenToTheDatabase) {
    struct stat before {};
    ASSERT_EQ(stat(db.Path().c_str(), &before), 0);
    TQuery q(nullptr);
    q.SetDatabaseName(db.Path());
    q.SQL().Add("DELETE FROM members");
    Result<void> r = q.Open();
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find("would change the database"), std::string::npos) << r.reason();
    q.SQL().Clear();
    q.SQL().Add("SELECT 1;");
    q.SQL().Add("DELETE FROM members");
    r = q.Open();
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find("only one statement"), std::string::npos) << r.reason();
    auto t = OpenTable(db, "members");
    EXPECT_EQ(t->RecordCount(), 3);
    struct stat after {};
    ASSERT_EQ(stat(db.Path().c_str(), &after), 0);
    EXPECT_EQ(before.st_size, after.st_size);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
}

TEST_F(DataSetTest, ALockedDatabaseIsReportedNotWaitedForEver) {
    db.Exec("BEGIN EXCLUSIVE");
    db.Exec("UPDATE members SET AGE = AGE + 1");
    TTable t(nullptr);
    t.SetDatabaseName(db.Path());
    t.SetTableName("members");
    t.SetBusyTimeout(20);
    Result<void> r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find("database is locked"), std::string::npos) << r.reason();
    db.Exec("COMMIT");
    ASSERT_TRUE(t.Open());
    EXPECT_EQ(Column(t, "AGE"), (std::vector<std::string>{"41", "32", "53"}));
}

TEST_F(DataSetTest, ARemovedFileKeepsReadingWhatWasOpened) {
    auto t = OpenTable(db, "members");
    std::filesystem::remove(db.Path());
    EXPECT_EQ(Column(*t, "NAME").size(), 3u);
}

TEST_F(DataSetTest, QuotedNamesWithSpacesQuotesAndSemicolons) {
    db.Exec("CREATE TABLE \"odd \"\"t\"\"; x\" (\"first name\" TEXT, \"a;b\" INTEGER, \"q\"\"\" REAL)");
    db.Exec("INSERT INTO \"odd \"\"t\"\"; x\" VALUES ('z', 2, 1.0), ('y', 1, 2.0)");
    auto t = OpenTable(db, "odd \"t\"; x", "first name");
    ASSERT_TRUE(t->Active());
    EXPECT_EQ(Column(*t, "first name"), (std::vector<std::string>{"y", "z"}));
    EXPECT_NE(t->FindField("a;b"), nullptr);
    EXPECT_NE(t->FindField("q\""), nullptr);
    EXPECT_EQ(QuoteIdent("a\"b"), "\"a\"\"b\"");
}

TEST_F(DataSetTest, AnEmptyTable) {
    db.Exec("CREATE TABLE empty (A INTEGER, B TEXT)");
    auto t = OpenTable(db, "empty");
    EXPECT_TRUE(t->Eof());
    EXPECT_TRUE(t->Bof());
    EXPECT_TRUE(t->IsEmpty());
    EXPECT_EQ(t->RecNo(), -1);
    EXPECT_FALSE(t->GetBookmark().Valid());
    EXPECT_EQ(t->FieldCount(), 2);
    EXPECT_TRUE(t->FindField("A")->IsNull());
    t->Next();
    t->Last();
    EXPECT_TRUE(t->Eof());
    EXPECT_TRUE(t->FetchRows(0, 10)->empty());
}

TEST_F(DataSetTest, LargeValuesAreCutBeforeTheyAreCopied) {
    // Texts at the cell limit, on a character boundary (a two-byte character straddles it);
    // pictures whole up to their limit and left out beyond; values beyond what SQLite may
    // hold refused.
    db.Exec("CREATE TABLE big (T TEXT, B BLOB)");
    db.Exec("INSERT INTO big VALUES (printf('%.*c', 10485760, 'x') || 'END', zeroblob(" +
            std::to_string(limits::kMaxCellBlobBytes) + "))");
    db.Exec(
        "INSERT INTO big VALUES ('a' || replace(printf('%.*c', 70000, 'x'), 'x', '\u00e9'), "
        "zeroblob(" +
        std::to_string(limits::kMaxCellBlobBytes + 1) + "))");
    std::vector<std::string> notices;
    const NoticeSink before =
        SetNoticeSink([&](const std::string& line) { notices.push_back(line); });
    auto t = OpenTable(db, "big");
    TField* text = t->FindField("T");
    TField* blob = t->FindField("B");
    EXPECT_EQ(text->AsString(),
              std::string(static_cast<std::size_t>(limits::kMaxCellTextBytes), 'x'));
    EXPECT_EQ(blob->Value().kind, TCellValue::Blob);
    EXPECT_EQ(blob->Value().bytes.size(), static_cast<std::size_t>(limits::kMaxCellBlobBytes));
    t->Next();
    const std::string cut = text->AsString();
    EXPECT_EQ(cut.size(), static_cast<std::size_t>(limits::kMaxCellTextBytes) - 1);
    EXPECT_EQ(cut.substr(cut.size() - 2), "\u00e9");
    EXPECT_EQ(blob->Value().kind, TCellValue::Blob);
    EXPECT_TRUE(blob->Value().bytes.empty());
    auto rows = t->FetchRows(0, 2);
    ASSERT_TRUE(rows);
    EXPECT_EQ((*rows)[0][0].bytes.size(), static_cast<std::size_t>(limits::kMaxCellTextBytes));
    EXPECT_EQ((*rows)[1][0].bytes, cut);
    EXPECT_TRUE((*rows)[1][1].bytes.empty());
    // Told once per column, however many rows are read again.
    SetNoticeSink(before);
    EXPECT_EQ(notices, (std::vector<std::string>{
                           "database column T: texts longer than 64 KB cut to their first 64 KB",
                           "database column B: values larger than 4 MB left out"}));

    TQuery q(nullptr);
    q.SetName("Query1");
    q.SetDatabaseName(db.Path());
    q.SQL().Add("SELECT randomblob(" + std::to_string(limits::kMaxDatabaseValueBytes + 1) + ")");
    Result<void> r = q.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Query1: a value larger than 64 MB, more than the program reads");
}

TEST_F(DataSetTest, WorkWithoutEndIsStoppedAndSaid) {
    TQuery q(nullptr);
    q.SetName("Query1");
    q.SetDatabaseName(db.Path());
    q.SQL().Add("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c");
    q.SetQueryBudget(2'000'000);
    Result<void> r = q.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(),
              "Query1: the query was stopped after 2,000,000 steps of work (it may never end)");
    // Each request has its own budget: a walk of many small steps is not stopped, a step that
    // needs more than the budget is, and the walk ends there with the reason kept.
    q.SQL().Clear();
    q.SQL().Add(
        "SELECT ID, (WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
        "WHERE n < CASE ID WHEN 1 THEN 100 ELSE 100000000 END) SELECT count(*) FROM c) "
        "AS WORK FROM members");
    q.SetQueryBudget(500'000);
    ASSERT_TRUE(q.Open()) << q.LastError();
    EXPECT_EQ(q.FindField("WORK")->AsInteger(), 100);
    q.Next();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.RecNo(), 0);
    EXPECT_EQ(q.LastError(),
              "Query1: the query was stopped after 500,000 steps of work (it may never end)");
    for (int i = 0; i < 3; ++i) {
        q.First();
        EXPECT_EQ(q.FindField("ID")->AsInteger(), 1);
        EXPECT_TRUE(q.LastError().empty());
    }
    auto rows = q.FetchRows(1, 1);
    ASSERT_FALSE(rows);
    EXPECT_EQ(rows.reason(),
              "Query1: the query was stopped after 500,000 steps of work (it may never end)");
}

TEST_F(DataSetTest, ReadingOnlyEveryOtherStatementIsRefusedBeforeItRuns) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"DELETE FROM members", "the statement would change the database"},
        {"UPDATE members SET AGE = 0", "the statement would change the database"},
        {"CREATE TABLE x (a)", "the statement would change the database"},
        {"PRAGMA user_version = 9", "PRAGMA user_version cannot be run"},
        {"PRAGMA journal_mode = WAL", "PRAGMA journal_mode cannot be run"},
        {"VACUUM INTO '" + db.Folder() + "/copy.db'", "the statement would change the database"},
        {"ATTACH '" + db.Folder() + "/other.db' AS o", "another database cannot be attached"},
        {"SELECT 1; DELETE FROM members", "only one statement can be opened"},
        {"SELECT 1 -- a comment\n; DELETE FROM members", "only one statement can be opened"},
        {"SELECT 1 /* ; */ ; /* */ DELETE FROM members", "only one statement can be opened"},
        {"WITH d AS (SELECT 1) DELETE FROM members", "the statement would change the database"},
    };
    struct stat before {};
    ASSERT_EQ(stat(db.Path().c_str(), &before), 0);
    for (const auto& [sql, why] : cases) {
        TQuery q(nullptr);
        q.SetName("Query1");
        q.SetDatabaseName(db.Path());
        q.SQL().Add(sql);
        Result<void> r = q.Open();
        ASSERT_FALSE(r) << sql;
        EXPECT_EQ(r.reason(), "Query1: " + why) << sql;
    }
    // A trailing comment or semicolons are no second statement, and a comment at the end
    // does not swallow what the dataset puts after the query.
    for (const char* sql :
         {"SELECT NAME FROM members -- the names", "SELECT NAME FROM members; -- x\n;"}) {
        TQuery q(nullptr);
        q.SetDatabaseName(db.Path());
        q.SQL().Add(sql);
        ASSERT_TRUE(q.Open()) << sql;
        EXPECT_EQ(q.RecordCount(), 3);
    }
    struct stat after {};
    ASSERT_EQ(stat(db.Path().c_str(), &after), 0);
    EXPECT_EQ(before.st_size, after.st_size);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_FALSE(std::filesystem::exists(db.Folder() + "/copy.db"));
    EXPECT_FALSE(std::filesystem::exists(db.Folder() + "/other.db"));
    auto t = OpenTable(db, "members");
    EXPECT_EQ(t->RecordCount(), 3);
}

TEST_F(DataSetTest, WriteAheadLogDatabasesAreReadWithoutFilesBesideThem) {
    db.Exec("PRAGMA journal_mode = WAL");
    db.Exec("INSERT INTO members (ID, NAME) VALUES (4, 'Dent')");
    const std::string wal = db.Path() + "-wal", shm = db.Path() + "-shm";
    // With the writer's connection open its log and index are there: read through them.
    ASSERT_TRUE(std::filesystem::exists(wal));
    {
        auto t = OpenTable(db, "members");
        EXPECT_EQ(t->RecordCount(), 4);
    }
    // Closed, the writer leaves nothing beside the file; a reader makes nothing either.
    db.Close();
    ASSERT_FALSE(std::filesystem::exists(wal));
    {
        auto t = OpenTable(db, "members");
        EXPECT_EQ(Column(*t, "NAME"), (std::vector<std::string>{"Cole", "Abel", "Bell", "Dent"}));
        EXPECT_FALSE(std::filesystem::exists(wal));
        EXPECT_FALSE(std::filesystem::exists(shm));
    }
    // A log without its index cannot be read without writing one: refused.
    std::ofstream(wal) << "";
    TTable t(nullptr);
    t.SetName("Members");
    t.SetDatabaseName(db.Path());
    t.SetTableName("members");
    Result<void> r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(),
              "Members: '" + db.Path() +
                  "': its write-ahead log has no index file beside it; it cannot be read "
                  "without writing one");
    EXPECT_FALSE(std::filesystem::exists(shm));
}

TEST_F(DataSetTest, AChangeAWriterLeftUnfinishedIsRefusedNotUndone) {
    db.Exec("CREATE TABLE big (T TEXT)");
    db.Exec(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000) "
        "INSERT INTO big SELECT printf('%.500c', 'x') FROM c");
    db.Close();
    const std::string journal = db.Path() + "-journal";
    // A writer that dies in the middle of a change larger than its cache.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* w = nullptr;
        sqlite3_open(db.Path().c_str(), &w);
        sqlite3_exec(w, "PRAGMA cache_size = 2; BEGIN; UPDATE big SET T = upper(T);", nullptr,
                     nullptr, nullptr);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(std::filesystem::exists(journal));
    const auto size = std::filesystem::file_size(journal);
    TTable t(nullptr);
    t.SetName("Big");
    t.SetDatabaseName(db.Path());
    t.SetTableName("big");
    Result<void> r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "Big: '" + db.Path() +
                              "': a change left unfinished by a writer must be undone first, by a "
                              "program that may write to it");
    EXPECT_EQ(std::filesystem::file_size(journal), size);  // left for the writer to undo
}

TEST_F(DataSetTest, AFifoOrADeviceIsRefusedWithoutWaiting) {
    const std::string fifo = db.Folder() + "/pipe.db";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/null")}) {
        TTable t(nullptr);
        t.SetName("T");
        t.SetDatabaseName(path);
        t.SetTableName("members");
        Result<void> r = t.Open();
        ASSERT_FALSE(r) << path;
        EXPECT_EQ(r.reason(), "T: '" + path + "': not a regular file");
        EXPECT_FALSE(t.UpdateIndexDefs()) << path;
    }
    // A URI is a file name like any other (and this one names no file).
    TTable t(nullptr);
    t.SetName("T");
    t.SetBaseFolder(db.Folder());
    t.SetDatabaseName("file:test.db?mode=rwc");
    t.SetTableName("members");
    Result<void> r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "T: 'file:test.db?mode=rwc': no such file");
}

TEST_F(DataSetTest, QueriesReadTheirSqlLinesAndBlankTrailingSemicolons) {
    TQuery q(nullptr);
    q.SetDatabaseName(db.Path());
    q.SQL().Add("SELECT NAME, AGE * 2 AS TWICE");
    q.SQL().Add("FROM members");
    q.SQL().Add("ORDER BY NAME DESC ;  ");
    ASSERT_TRUE(q.Open());
    EXPECT_EQ(Column(q, "NAME"), (std::vector<std::string>{"Cole", "Bell", "Abel"}));
    EXPECT_EQ(q.FindField("TWICE")->ClassName(), "TIntegerField");  // from the first row's value
    q.Close();
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(q.FieldCount(), 0);
}

TEST_F(DataSetTest, DatabaseNameRelativeToABaseFolder) {
    TTable t(nullptr);
    t.SetDatabaseName("test.db");
    t.SetBaseFolder(db.Folder());
    t.SetTableName("members");
    EXPECT_EQ(t.DatabasePath(), db.Folder() + "/test.db");
    ASSERT_TRUE(t.Open());
    t.SetDatabaseName(db.Path());
    EXPECT_EQ(t.DatabasePath(), db.Path());  // absolute names stay
}

TEST(DataSetLarge, AMillionRowsWalkAndJumpWithoutLoadingThem) {
    TempDb db;
    db.Exec("CREATE TABLE big (ID INTEGER PRIMARY KEY, NAME TEXT)");
    db.Exec("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) "
            "INSERT INTO big SELECT x, 'row ' || x FROM c");
    auto t = OpenTable(db, "big");
    EXPECT_EQ(t->RecordCount(), 1000000);
    ASSERT_TRUE(t->MoveTo(999999));
    EXPECT_EQ(t->FindField("NAME")->AsString(), "row 1000000");
    ASSERT_TRUE(t->MoveTo(500000));
    EXPECT_EQ(t->FindField("ID")->AsInteger(), 500001);
    auto rows = t->FetchRows(750000, 3);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[2][1].bytes, "row 750003");
    EXPECT_EQ(t->FindField("ID")->AsInteger(), 500001);  // the current record stays
    std::int64_t sum = 0, n = 0;
    TField* id = t->FindField("ID");
    for (t->First(); !t->Eof(); t->Next()) {
        sum += id->AsInteger();
        ++n;
    }
    EXPECT_EQ(n, 1000000);
    EXPECT_EQ(sum, 500000500000);
}

TEST(DataSetLarge, AnOrderedQueryWalksAcrossItsReadWindowsInOrder) {
    TempDb db;
    db.Exec("CREATE TABLE t (ID INTEGER PRIMARY KEY, K INTEGER)");
    db.Exec("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000) "
            "INSERT INTO t SELECT x, (x * 7919) % 20000 FROM c");
    TQuery q(nullptr);
    q.SetDatabaseName(db.Path());
    q.SQL().Add("SELECT K FROM t ORDER BY K DESC");
    ASSERT_TRUE(q.Open());
    TField* k = q.FindField("K");
    std::int64_t expected = 19999, n = 0;
    for (q.First(); !q.Eof(); q.Next()) {
        ASSERT_EQ(k->AsInteger(), expected) << "record " << n;
        --expected;
        ++n;
    }
    EXPECT_EQ(n, 20000);
    // A jump, then steps past the end of the window the jump read, and back.
    ASSERT_TRUE(q.SetRecNo(4000));
    for (int i = 0; i < 5000; ++i) q.Next();
    EXPECT_EQ(q.RecNo(), 9000);
    EXPECT_EQ(k->AsInteger(), 19999 - 9000);
    q.Prior();
    EXPECT_EQ(k->AsInteger(), 19999 - 8999);
    auto rows = q.FetchRows(19998, 5);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_EQ((*rows)[1][0].integer, 0);
}

}  // namespace
}  // namespace quillon
