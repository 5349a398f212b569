// SPDX-License-Identifier: GPL-2.0-or-later
// The sortable grid: title zones and the cursors over them, the exact-point
// click, index switching on tables, refusals on queries, the ORDER BY
// rewriting, the events in their order, a failed reopen, row heights and the
// memo and picture cells.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <regex>

#include "platform/sys/cursor_images.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "printsuite/controls/Vex_controls.h"
#include "printsuite/controls/Vex_grid.h"
#include "tests/platform_data/data_test_util.h"
#include "tests/support/recording_device_context.h"

namespace quillon {
namespace {

using Lines = std::vector<std::string>;

TEST(SortZones, FractionsOfATitle) {
    EXPECT_EQ(SortZoneOfFraction(0.05), szNone);
    EXPECT_EQ(SortZoneOfFraction(0.20), szAscending);
    EXPECT_EQ(SortZoneOfFraction(0.50), szMiddle);
    EXPECT_EQ(SortZoneOfFraction(0.80), szDescending);
    EXPECT_EQ(SortZoneOfFraction(0.97), szNone);
    EXPECT_EQ(SortZoneOfFraction(0.33), szMiddle);
    EXPECT_EQ(SortZoneOfFraction(0.66), szMiddle);
    EXPECT_EQ(SortZoneOfFraction(0.10), szAscending);
    EXPECT_EQ(SortZoneOfFraction(0.95), szDescending);
}

TEST(SortSql, TheClauseIsReplacedLineByLine) {
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T", "WHERE A > 1 ORDER BY B DESC"}, "NAME", szAscending),
              (Lines{"SELECT * FROM T", "WHERE A > 1 ", "Order by \"NAME\" ASC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T", "", "WHERE A > 1"}, "NAME", szDescending),
              (Lines{"SELECT * FROM T", "WHERE A > 1", "Order by \"NAME\" DESC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T", "ORDER BY B"}, "NAME", szMiddle),
              (Lines{"SELECT * FROM T"}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T"}, "NAME", szMiddle), (Lines{"SELECT * FROM T"}));
    // A clause at the start of a line leaves no empty line behind.
    EXPECT_EQ(SortedSqlLines({"SELECT *", "FROM T", "ORDER BY B", "LIMIT 3"}, "N", szDescending),
              (Lines{"SELECT *", "FROM T", "Order by \"N\" DESC ", "LIMIT 3"}));
}

TEST(SortSql, ClausesSplitOverLinesOddlySpacedOrFollowedByLimit) {
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T ORDER", "  BY B,", "  C"}, "N", szAscending),
              (Lines{"SELECT * FROM T ", "Order by \"N\" ASC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T order  by B"}, "N", szDescending),
              (Lines{"SELECT * FROM T ", "Order by \"N\" DESC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T ORDER\tBY B LIMIT 10"}, "N", szAscending),
              (Lines{"SELECT * FROM T ", "Order by \"N\" ASC ", "LIMIT 10"}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T", "LIMIT 5 OFFSET 2"}, "N", szAscending),
              (Lines{"SELECT * FROM T", "Order by \"N\" ASC ", "LIMIT 5 OFFSET 2"}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T ORDER BY B", "LIMIT 5"}, "N", szMiddle),
              (Lines{"SELECT * FROM T ", "LIMIT 5"}));
    // Words that merely contain the keywords, and quoted text, are no clause.
    EXPECT_EQ(SortedSqlLines({"SELECT BORDER BY_X FROM T WHERE S = 'ORDER BY'"}, "N", szAscending),
              (Lines{"SELECT BORDER BY_X FROM T WHERE S = 'ORDER BY'", "Order by \"N\" ASC "}));
    // Field names go in as quoted identifiers, whatever they hold.
    EXPECT_EQ(SortedSqlLines({"SELECT 1"}, "a\"b", szAscending), (Lines{"SELECT 1", "Order by \"a\"\"b\" ASC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT 1"}, "x; DROP TABLE T", szDescending),
              (Lines{"SELECT 1", "Order by \"x; DROP TABLE T\" DESC "}));
}

TEST(SortSql, OnlyTheStatementsOwnClauseCounts) {
    // A sub-query's ORDER BY and LIMIT belong to it.
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM (SELECT * FROM T ORDER BY B LIMIT 5) AS S"}, "N", szAscending),
              (Lines{"SELECT * FROM (SELECT * FROM T ORDER BY B LIMIT 5) AS S", "Order by \"N\" ASC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM (SELECT * FROM T ORDER BY B) S ORDER BY C"}, "N", szDescending),
              (Lines{"SELECT * FROM (SELECT * FROM T ORDER BY B) S ", "Order by \"N\" DESC "}));
    // Comments are no clause either.
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T -- ORDER BY B", "/* LIMIT 2 */ WHERE A = 1"}, "N", szAscending),
              (Lines{"SELECT * FROM T -- ORDER BY B", "/* LIMIT 2 */ WHERE A = 1", "Order by \"N\" ASC "}));
    // The closing semicolon stays last.
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T ORDER BY B;"}, "N", szAscending),
              (Lines{"SELECT * FROM T ", "Order by \"N\" ASC ", ";"}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T;"}, "N", szDescending),
              (Lines{"SELECT * FROM T", "Order by \"N\" DESC ", ";"}));
}

TEST(SortCursors, TheProgramsOwnImages) {
    const TCursor atoz = LoadSortCursor("ATOZ"), mid = LoadSortCursor("MID"), ztoa = LoadSortCursor("ZTOA");
    EXPECT_NE(atoz, mid);
    EXPECT_NE(mid, ztoa);
    EXPECT_NE(atoz, ztoa);
    EXPECT_EQ(CursorByName("ATOZ", crNone), atoz);
    EXPECT_EQ(LoadSortCursor("ATOZ"), atoz);  // loaded once
    EXPECT_EQ(LoadSortCursor("OTHER"), crNone);
    const TCursorImage* a = CursorImageOf(atoz);
    const TCursorImage* z = CursorImageOf(ztoa);
    const TCursorImage* m = CursorImageOf(mid);
    ASSERT_TRUE(a && z && m);
    EXPECT_EQ(CursorImageOf(crArrow), nullptr);
    for (const TCursorImage* img : {a, z, m}) {
        ASSERT_EQ(img->Rows.size(), 16u);
        for (const std::string& row : img->Rows) EXPECT_EQ(row.size(), 16u);
        EXPECT_EQ(img->Rows[0][0], '#');  // the hot spot is the arrow's tip
        EXPECT_EQ(img->HotX, 0);
        EXPECT_EQ(img->HotY, 0);
    }
    // The sign beside the arrow: ascending widens at the top, descending at the bottom.
    EXPECT_EQ(a->Rows[2].substr(9, 7), "#######");
    EXPECT_EQ(a->Rows[8].substr(9, 7), "   #   ");
    EXPECT_EQ(z->Rows[2].substr(9, 7), "   #   ");
    EXPECT_EQ(z->Rows[8].substr(9, 7), "#######");
    EXPECT_NE(m->Rows, a->Rows);
}

class SortGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Headless().Reset();
        db.Exec("CREATE TABLE people (ID INTEGER, NAME VARCHAR(10), NOTES MEMO, PIC GRAPHIC, "
                "\"TWO WORDS\" INTEGER, \"we\"\"ird;name\" INTEGER)");
        db.Exec("INSERT INTO people VALUES (1,'Cy','one two three four five six',NULL,1,20),"
                "(2,'Ann',NULL,x'00010203',2,30),(3,'Bo',NULL,NULL,3,10)");
        db.Exec("CREATE INDEX ByName ON people(NAME)");
        source.SetDataSet(&query);
        query.SetDatabaseName(db.Path());
        query.SQL().Add("SELECT * FROM people");
        query.SQL().Add("ORDER BY ID");
        grid->SetDataSource(&source);
        grid->SetBounds(0, 0, 500, 200);
        grid->SetOptions(grid->Options() & ~(1u << dgIndicator));
    }
    void TearDown() override { Headless().Reset(); }
    std::vector<std::string> Names(TDataSet& ds) {
        std::vector<std::string> out;
        for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds.FindField("NAME")->AsString());
        return out;
    }
    void Click(int x, int y) {
        grid->InputMouseDown(mbLeft, {}, x, y);
        grid->InputMouseUp(mbLeft, {}, x, y);
    }
    test::TempDb db;
    TForm form{nullptr};
    TQuery query{&form};
    TDataSource source{&form};
    TVex_SortGrid* grid = new TVex_SortGrid(&form);
};

TEST_F(SortGridTest, ZonesAndColumnsOfAPoint) {
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"ID", "", 100}, {"NAME", "", 100}, {"NOTES", "", 100}};
    grid->SetOptions(grid->Options() | (1u << dgIndicator));
    const int ind = TDBGrid::kIndicatorWidth;
    struct Case {
        int x, column;
        std::uint8_t zone;
    } cases[] = {{ind + 100 + 5, 1, szNone},        {ind + 100 + 20, 1, szAscending},
                 {ind + 100 + 50, 1, szMiddle},     {ind + 100 + 80, 1, szDescending},
                 {ind + 100 + 97, 1, szNone},       {ind + 20, 0, szAscending},
                 {ind + 300, 2, szNone},            {ind + 301, -1, szAscending},
                 {5, 0, szNone}};  // on the indicator's title: no zone
    for (const Case& c : cases) {
        EXPECT_EQ(grid->SortColumnAt(c.x), c.column) << c.x;
        EXPECT_EQ(grid->SortZone(), c.zone) << c.x;
    }
    // Scrolled to the right: columns count from the left-most shown one.
    grid->SetLeftCol(1);
    EXPECT_EQ(grid->SortColumnAt(ind + 20), 1);
    EXPECT_EQ(grid->SortZone(), szAscending);
    EXPECT_EQ(grid->SortColumnAt(ind + 180), 2);
    EXPECT_EQ(grid->SortZone(), szDescending);
}

TEST_F(SortGridTest, AClickAtTheExactPressPointSortsTheQuery) {
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"ID", "", 100}, {"NAME", "", 100}};
    std::vector<std::string> events;
    grid->OnBeforeSort = [&](TObject*) { events.push_back("before"); };
    grid->OnAfterSort = [&](TObject*) { events.push_back("after"); };
    grid->InputMouseDown(mbLeft, {}, 180, 5);  // 80 % of NAME
    grid->InputMouseUp(mbLeft, {}, 182, 5);    // 2 pixels away: nothing
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Cy", "Ann", "Bo"}));
    EXPECT_TRUE(events.empty());
    grid->InputMouseDown(mbLeft, {}, 180, 5);
    grid->InputMouseUp(mbLeft, {}, 180, 7);  // 2 pixels down: nothing
    EXPECT_TRUE(events.empty());
    Click(180, 5);
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Cy", "Bo", "Ann"}));
    EXPECT_EQ(events, (std::vector<std::string>{"before", "after"}));
    EXPECT_EQ(query.SQL().Text(), "SELECT * FROM people\nOrder by \"NAME\" DESC \n");
    EXPECT_EQ(grid->SelectedIndex(), 1);
    Click(120, 5);  // 20 %: ascending
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Ann", "Bo", "Cy"}));
    Click(105, 5);  // 5 %: dead
    Click(197, 5);  // 97 %: dead
    EXPECT_EQ(events.size(), 4u);
    Click(150, 5);  // the middle: no order
    EXPECT_EQ(query.SQL().Text(), "SELECT * FROM people\n");
    EXPECT_EQ(events.size(), 6u);
    // Below the title row, with the right button, or with sorting turned off: nothing.
    const int below = grid->TitleRowHeight() + 1;
    Click(120, below);
    grid->InputMouseDown(mbRight, {}, 120, 5);
    grid->InputMouseUp(mbRight, {}, 120, 5);
    grid->SetAllowSort(false);
    Click(120, 5);
    EXPECT_EQ(events.size(), 6u);
    EXPECT_EQ(query.SQL().Text(), "SELECT * FROM people\n");
    EXPECT_TRUE(Headless().boxes.empty());
}

TEST_F(SortGridTest, APressWhileTheButtonIsDownSortsNothing) {
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"ID", "", 100}, {"NAME", "", 100}};
    const TRect title{100, 0, 200, 21};
    EXPECT_EQ(grid->TitleCellRect(title), title);
    grid->InputMouseDown(mbLeft, {}, 120, 5);
    // The pressed look: left and top one pixel in, right and bottom kept.
    EXPECT_EQ(grid->TitleCellRect(title), (TRect{101, 1, 200, 21}));
    grid->InputMouseDown(mbLeft, {}, 120, 5);  // pressed again before a release
    grid->InputMouseUp(mbLeft, {}, 120, 5);
    EXPECT_EQ(grid->TitleCellRect(title), title);
    EXPECT_EQ(query.SQL().Count(), 2);
    Click(120, 5);  // the next clean click sorts
    EXPECT_EQ(query.SQL().Text(), "SELECT * FROM people\nOrder by \"NAME\" ASC \n");
}

TEST_F(SortGridTest, TheCursorFollowsTheZonesOverTheTitles) {
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"ID", "", 100}, {"NAME", "", 100}};
    EXPECT_EQ(grid->CursorName(), "");
    grid->InputMouseMove({}, 120, 5);
    EXPECT_EQ(grid->Cursor(), LoadSortCursor("ATOZ"));
    EXPECT_EQ(grid->CursorName(), "ATOZ");
    grid->InputMouseMove({}, 150, 5);
    EXPECT_EQ(grid->Cursor(), LoadSortCursor("MID"));
    grid->InputMouseMove({}, 180, 5);
    EXPECT_EQ(grid->Cursor(), LoadSortCursor("ZTOA"));
    EXPECT_EQ(grid->CursorName(), "ZTOA");
    grid->InputMouseMove({}, 197, 5);  // a dead zone keeps the last one
    EXPECT_EQ(grid->Cursor(), LoadSortCursor("ZTOA"));
    grid->InputMouseMove({}, 120, 60);  // over the data rows
    EXPECT_EQ(grid->Cursor(), crDefault);
    EXPECT_EQ(grid->CursorName(), "");
    grid->InputMouseMove({}, 260, 5);  // right of the last column
    EXPECT_EQ(grid->Cursor(), crDefault);
    // While the button is down the cursor stays.
    grid->InputMouseMove({}, 120, 5);
    grid->InputMouseDown(mbLeft, {}, 120, 5);
    grid->InputMouseMove({}, 180, 5);
    EXPECT_EQ(grid->Cursor(), LoadSortCursor("ATOZ"));
    grid->SetAllowSort(false);
    grid->InputMouseUp(mbLeft, {}, 180, 5);
    grid->InputMouseMove({}, 150, 5);
    EXPECT_EQ(grid->Cursor(), LoadSortCursor("ATOZ"));
}

TEST_F(SortGridTest, EventsComeInTheirOrder) {
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"ID", "", 100}, {"NAME", "", 100}};
    std::vector<std::string> events;
    grid->OnBeforeSort = [&](TObject* s) {
        EXPECT_EQ(s, grid);
        events.push_back("before:" + query.SQL()[1]);
    };
    // Pending messages run once the wait cursor shows, before the query reopens.
    Headless().pendingEvents.push_back([&] {
        events.push_back(std::string("pending:") + (grid->Cursor() == crSQLWait ? "wait" : "?") +
                         ":" + query.SQL()[1]);
    });
    grid->OnAfterSort = [&](TObject*) {
        events.push_back("after:" + query.SQL()[1] + ":" + Names(query)[0]);
    };
    grid->OnTitleDblClicked = [&](TObject*) { events.push_back("dblclick"); };
    grid->OnDblClick = [&](TObject*) { events.push_back("grid dblclick"); };
    Click(120, 5);
    EXPECT_EQ(grid->Cursor(), crCross);
    grid->InputMouseMove({}, 120, 60);
    EXPECT_EQ(grid->Cursor(), crDefault);
    grid->InputDblClick();
    Click(120, 60);  // a double click on a data row is no title's
    grid->InputDblClick();
    EXPECT_EQ(events, (std::vector<std::string>{"before:ORDER BY ID", "pending:wait:ORDER BY ID",
                                                "after:Order by \"NAME\" ASC :Ann", "grid dblclick",
                                                "dblclick", "grid dblclick"}));
}

TEST_F(SortGridTest, OtherDataSetsOnlyHearAfterSort) {
    // A dataset of its own kind: neither a table nor a query.
    class TPeople : public TDataSet {
      public:
        using TDataSet::TDataSet;
        Result<std::string> SelectText() const override { return std::string("SELECT * FROM people"); }
    } people(&form);
    people.SetDatabaseName(db.Path());
    source.SetDataSet(&people);
    ASSERT_TRUE(people.Open());
    grid->CustomColumns() = {{"NAME", "", 100}};
    std::vector<std::string> events;
    grid->OnBeforeSort = [&](TObject*) { events.push_back("before"); };
    grid->OnAfterSort = [&](TObject*) { events.push_back("after"); };
    Click(20, 5);
    EXPECT_EQ(events, (std::vector<std::string>{"after"}));
}

TEST_F(SortGridTest, RefusedFieldsLeaveTheSqlAlone) {
    auto* calc = new TIntegerField(&query);
    calc->SetFieldName("CALC");
    calc->SetCalculated(true);
    calc->SetDataSet(&query);
    ASSERT_TRUE(query.Open());
    const std::string before = query.SQL().Text();
    bool fired = false;
    grid->OnBeforeSort = [&](TObject*) { fired = true; };
    grid->OnAfterSort = [&](TObject*) { fired = true; };
    struct Case {
        const char* field;
        const char* message;
    } cases[] = {{"CALC", "Cannot sort on a calculated field"},
                 {"TWO WORDS", "Cannot sort on a field that contains spaces"},
                 {"NOTES", "Cannot sort on a TMemoField"},
                 {"PIC", "Cannot sort on a TGraphicField"}};
    for (const Case& c : cases) {
        Headless().boxes.clear();
        grid->CustomColumns() = {{c.field, "", 100}};
        Click(20, 5);
        EXPECT_EQ(grid->SortMessage(), c.message);
        ASSERT_EQ(Headless().boxes.size(), 1u) << c.field;
        EXPECT_EQ(Headless().boxes[0].text, c.message);
        EXPECT_EQ(Headless().boxes[0].flags, static_cast<unsigned>(MB_OK | MB_ICONINFORMATION));
        EXPECT_EQ(query.SQL().Text(), before);
    }
    EXPECT_FALSE(fired);
    // The grid is not left sorting: a good column sorts at once.
    grid->CustomColumns() = {{"NAME", "", 100}};
    Click(20, 5);
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Ann", "Bo", "Cy"}));
}

TEST_F(SortGridTest, OddColumnNamesSortAsQuotedIdentifiers) {
    query.SQL().Clear();
    query.SQL().Add("SELECT NAME, \"we\"\"ird;name\"");
    query.SQL().Add("FROM people ORDER");
    query.SQL().Add("\tBY ID  LIMIT 2");
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"NAME", "", 100}, {"we\"ird;name", "", 100}};
    Click(180, 5);  // descending on the odd column
    EXPECT_EQ(query.SQL().Text(),
              "SELECT NAME, \"we\"\"ird;name\"\nFROM people \nOrder by \"we\"\"ird;name\" DESC \nLIMIT 2\n");
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Ann", "Cy"}));  // 30, 20, and the limit holds
    EXPECT_TRUE(Headless().boxes.empty());
}

TEST_F(SortGridTest, AFailedReopenPutsTheUsersQueryBack) {
    query.SQL().Clear();
    query.SQL().Add("SELECT ID, NAME FROM people WHERE ID > 1");
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"NAME", "", 100}};
    bool after = false;
    grid->OnAfterSort = [&](TObject*) { after = true; };
    // The database goes away between the opening and the sort.
    query.SetDatabaseName(db.Folder() + "/gone.db");
    Click(20, 5);
    EXPECT_EQ(grid->SortMessage(), "TQuery: '" + db.Folder() + "/gone.db': no such file");
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, grid->SortMessage());
    EXPECT_EQ(query.SQL().Text(), "SELECT ID, NAME FROM people WHERE ID > 1\n");
    EXPECT_FALSE(after);
    EXPECT_NE(grid->Cursor(), crSQLWait);
    // Back on the database: the grid sorts again (it is not stuck sorting).
    query.SetDatabaseName(db.Path());
    ASSERT_TRUE(query.Open());
    Click(20, 5);
    EXPECT_TRUE(after);
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Ann", "Bo"}));
}

TEST_F(SortGridTest, AReopenThatSQLiteRefusesIsUndone) {
    // Two columns of one name: the query opens, but ordering by the name is ambiguous.
    query.SQL().Clear();
    query.SQL().Add("SELECT a.NAME, b.NAME FROM people a JOIN people b ON a.ID = b.ID");
    query.SQL().Add("ORDER BY a.ID");
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"NAME", "", 100}};
    Click(20, 5);
    EXPECT_NE(grid->SortMessage().find("ambiguous column name: NAME"), std::string::npos) << grid->SortMessage();
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(query.SQL().Text(), "SELECT a.NAME, b.NAME FROM people a JOIN people b ON a.ID = b.ID\nORDER BY a.ID\n");
    ASSERT_TRUE(query.Active());  // reopened on the user's text
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Cy", "Ann", "Bo"}));
}

TEST_F(SortGridTest, TablesSwitchToAnIndexOrSayItIsMissing) {
    TTable table(&form);
    table.SetDatabaseName(db.Path());
    table.SetTableName("people");
    source.SetDataSet(&table);
    db.Exec("CREATE INDEX ByExpr ON people(ID + 1)");  // an expression index names no field
    db.Exec("CREATE INDEX ByIdName ON people(ID, NAME)");
    ASSERT_TRUE(table.Open());
    grid->CustomColumns() = {{"NAME", "", 100}, {"ID", "", 100}, {"TWO WORDS", "", 100}};
    bool fired = false;
    grid->OnBeforeSort = [&](TObject*) { fired = true; };
    grid->OnAfterSort = [&](TObject*) { fired = true; };
    Click(80, 5);  // descending: the direction plays no part
    EXPECT_EQ(table.IndexFieldNames(), "NAME");
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Ann", "Bo", "Cy"}));
    EXPECT_FALSE(fired);
    EXPECT_TRUE(Headless().boxes.empty());
    Click(120, 5);
    EXPECT_EQ(grid->SortMessage(), "Index for Field ID does not exist");
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text, "Index for Field ID does not exist");
    EXPECT_EQ(table.IndexFieldNames(), "NAME");
    // On a table a field with spaces is fine when an index names it exactly
    // (the indexes are read again at every click).
    table.Close();
    db.Exec("CREATE INDEX ByTwo ON people(\"TWO WORDS\")");
    ASSERT_TRUE(table.Open());
    Click(220, 5);
    EXPECT_EQ(table.IndexFieldNames(), "TWO WORDS");
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_FALSE(fired);
}

TEST_F(SortGridTest, AnIntegerPrimaryKeyIsTheTablesPrimaryIndex) {
    db.Exec("CREATE TABLE members (pid INTEGER PRIMARY KEY, NAME TEXT)");
    db.Exec("INSERT INTO members VALUES (3, 'Bo'), (1, 'Cy'), (2, 'Ann')");
    db.Exec("CREATE INDEX ByMemberName ON members(NAME DESC)");
    TTable table(&form);
    table.SetDatabaseName(db.Path());
    table.SetTableName("members");
    ASSERT_TRUE(table.SetIndexFieldNames("NAME"));
    source.SetDataSet(&table);
    ASSERT_TRUE(table.Open());
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Ann", "Bo", "Cy"}));
    grid->CustomColumns() = {{"pid", "", 100}, {"NAME", "", 100}};
    Click(20, 5);
    EXPECT_TRUE(Headless().boxes.empty()) << grid->SortMessage();
    EXPECT_EQ(table.IndexFieldNames(), "pid");
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Cy", "Ann", "Bo"}));
    EXPECT_EQ(grid->SelectedIndex(), 0);
}

TEST_F(SortGridTest, OneRowHeightAndATitleRowThatFitsItsFont) {
    EXPECT_EQ(grid->DefaultRowHeight(), 20);
    EXPECT_TRUE(grid->RowSizing());
    TCanvas measure;
    grid->TitleFont().SetHeight(-24);
    measure.SetFont(grid->TitleFont());
    EXPECT_EQ(grid->TitleRowHeight(), measure.TextHeight("W") + 4);
    EXPECT_GT(grid->TitleRowHeight(), 24);
    // Dragging any data row sizes them all.
    grid->RowHeightChanged(3, 33);
    EXPECT_EQ(grid->DefaultRowHeight(), 33);
    ASSERT_TRUE(query.Open());
    EXPECT_EQ(grid->VisibleRowCount(), (200 - grid->TitleRowHeight()) / 33);
    grid->SetOptions(grid->Options() & ~(1u << dgTitles));
    EXPECT_EQ(grid->VisibleRowCount(), 200 / 33);
    // Without titles there is no title row to click.
    grid->CustomColumns() = {{"NAME", "", 100}};
    Click(20, 0);
    EXPECT_EQ(query.SQL().Count(), 2);
}

TEST_F(SortGridTest, MemoAndPictureCellsAreDrawnInTheirCells) {
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"NAME", "", 100}, {"NOTES", "", 60}, {"PIC", "", 60}};
    testing::RecordingDeviceContext dc;
    TCanvas canvas(&dc);
    const TRect cell{100, 20, 160, 80};
    EXPECT_FALSE(grid->DrawDataCell(canvas, cell, 0, 0, false, false));  // a string: the grid's own
    ASSERT_TRUE(grid->DrawDataCell(canvas, cell, 0, 1, false, false));
    // The memo's words, wrapped onto lines that fit the cell, one line height apart.
    std::regex text(R"re((?:Ext)?TextOut (-?\d+),(-?\d+) .*"([^"]*)")re");
    std::vector<std::string> words;
    std::vector<int> ys;
    for (const std::string& line : dc.Lines()) {
        std::smatch m;
        if (!std::regex_search(line, m, text)) continue;
        EXPECT_EQ(std::stoi(m[1]), 100);
        ys.push_back(std::stoi(m[2]));
        std::string t = m[3];
        EXPECT_LE(canvas.TextWidth(t), 60 + canvas.TextWidth(" ")) << t;
        words.push_back(t);
    }
    ASSERT_GE(words.size(), 2u) << dc.Text();
    EXPECT_EQ(ys[0], 20);
    for (size_t i = 1; i < ys.size(); ++i) EXPECT_EQ(ys[i] - ys[i - 1], canvas.TextHeight("W"));
    std::string joined;
    for (const std::string& w : words) joined += w;
    EXPECT_EQ(joined.substr(0, 12), "one two thre");
    EXPECT_NE(dc.Text().find("FillRect 100,20,160,80"), std::string::npos) << dc.Text();
    // Highlighted: the highlight colour fills the cell.
    dc.Clear();
    ASSERT_TRUE(grid->DrawDataCell(canvas, cell, 0, 1, true, true));
    const std::string highlight = testing::RecordingDeviceContext::Color(ColorToRGB(clHighlight));
    EXPECT_NE(dc.Text().find("FillRect 100,20,160,80 solid " + highlight), std::string::npos) << dc.Text();
    // A blob that is no picture leaves the cell empty; turned off, the grid draws its text.
    dc.Clear();
    EXPECT_TRUE(grid->DrawDataCell(canvas, cell, 1, 2, false, false));
    EXPECT_EQ(dc.Text().find("StretchDIBits"), std::string::npos);
    grid->SetDisplayDBMemo(false);
    grid->SetDisplayDBImage(false);
    EXPECT_FALSE(grid->DrawDataCell(canvas, cell, 0, 1, false, false));
    EXPECT_FALSE(grid->DrawDataCell(canvas, cell, 1, 2, false, false));
    // Drawing read the window of rows: the current record stayed.
    EXPECT_EQ(query.RecNo(), 0);
}

TEST(SortGridForms, ReadFromAFormFileWithTheirDefaults) {
    RegisterDataClasses();
    RegisterVexControlClasses();
    const char* text =
        "object F: TForm\n"
        "  object G: TVex_SortGrid\n    AllowSort = False\n    DisplayDBMemo = False\n"
        "    DefaultRowHeight = 26\n    PrintItLeft = 1.5\n    PrintItTop = 2\n"
        "    PrintItWidth = 4\n  end\n"
        "end\n";
    TForm form(nullptr);
    const auto read = ReadComponent(text, form);
    ASSERT_TRUE(read) << read.reason();
    auto* g = dynamic_cast<TVex_SortGrid*>(form.FindComponent("G"));
    ASSERT_NE(g, nullptr);
    EXPECT_FALSE(g->AllowSort());
    EXPECT_FALSE(g->DisplayDBMemo());
    EXPECT_TRUE(g->DisplayDBImage());
    EXPECT_FALSE(g->AutoAlign());
    EXPECT_EQ(g->DefaultRowHeight(), 26);
    EXPECT_DOUBLE_EQ(g->PrintItLeft(), 1.5);
    // Three of the four: no place on paper.
    EXPECT_FALSE(g->HasPrintPlace());
    g->SetPrintItHeight(3);
    EXPECT_TRUE(g->HasPrintPlace());
    // Defaults are not written; what differs is.
    TForm plain(nullptr);
    new TVex_SortGrid(&plain);
    const std::string written = WriteComponent(plain);
    EXPECT_EQ(written.find("AllowSort"), std::string::npos) << written;
    EXPECT_EQ(written.find("DefaultRowHeight"), std::string::npos) << written;
    EXPECT_NE(WriteComponent(form).find("DefaultRowHeight = 26"), std::string::npos);
}

}  // namespace
}  // namespace quillon
