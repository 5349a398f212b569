// SPDX-License-Identifier: GPL-2.0-or-later
// Tables and queries over real SQLite files: walking, field classes, bookmarks,
// orders and indexes, the messages of every failure, and bad data.

#include <sys/stat.h>

#include <fstream>
#include <memory>

#include "platform/data/db.h"
#include "platform/data/db_format.h"
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
    EXPECT_NE(r.reason().find("no such column: NOPE"), std::string::npos) << r.reason();
    EXPECT_NE(r.reason().find("database '" + db.Path() + "'"), std::string::npos) << r.reason();
    EXPECT_NE(r.reason().find("SELECT * FROM \"members\" ORDER BY \"NOPE\""), std::string::npos);
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
    ASSERT_TRUE(t.UpdateIndexDefs());  // also when closed
    ASSERT_EQ(t.IndexDefs().size(), 3u);
    EXPECT_EQ(t.IndexDefs()[0].Name, "ByName");
    EXPECT_EQ(t.IndexDefs()[0].Fields, "NAME");
    EXPECT_EQ(t.IndexDefs()[1].Fields, "AGE;NAME");
    EXPECT_EQ(t.IndexDefs()[2].Name, "ByLower");
    EXPECT_EQ(t.IndexDefs()[2].Fields, "");  // an expression is no field list
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

TEST_F(DataSetTest, FailuresNameTheDatabaseAndTheStatement) {
    TTable t(nullptr);
    t.SetDatabaseName(db.Folder() + "/missing.db");
    t.SetTableName("members");
    Result<void> r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "database '" + db.Folder() + "/missing.db': cannot open: unable to open database file");
    EXPECT_FALSE(std::filesystem::exists(db.Folder() + "/missing.db"));  // never created

    t.SetDatabaseName(db.Path());
    t.SetTableName("nobody");
    r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.reason(), "database '" + db.Path() +
                              "': no such table: nobody (statement: SELECT * FROM \"nobody\")");

    std::string junk = db.Folder() + "/junk.db";
    std::ofstream(junk) << std::string(4096, 'x');
    t.SetDatabaseName(junk);
    t.SetTableName("members");
    r = t.Open();
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find("file is not a database"), std::string::npos) << r.reason();
    EXPECT_NE(r.reason().find(junk), std::string::npos);

    TQuery q(nullptr);
    q.SetName("Query1");
    q.SetDatabaseName(db.Path());
    q.SQL().Add("SELEC NAME FROM members");
    r = q.Open();
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find("syntax error"), std::string::npos) << r.reason();
    EXPECT_NE(r.reason().find("(statement: SELEC NAME FROM members)"), std::string::npos);
    EXPECT_FALSE(q.Active());
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

TEST_F(DataSetTest, ATenMegabyteTextCell) {
    db.Exec("CREATE TABLE big (T TEXT)");
    db.Exec("INSERT INTO big VALUES (printf('%.*c', 10485760, 'x') || 'END')");
    auto t = OpenTable(db, "big");
    const std::string s = t->FindField("T")->AsString();
    EXPECT_EQ(s.size(), 10485763u);
    EXPECT_EQ(s.substr(s.size() - 4), "xEND");
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
