// The sortable grid: title zones, the exact-point click, index switching on
// tables, refusals on queries, and the ORDER BY rewriting line by line.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/vcl/forms.h"
#include "printsuite/controls/Vex_grid.h"
#include "tests/platform_data/data_test_util.h"

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
}

TEST(SortSql, TheClauseIsReplacedLineByLine) {
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T", "WHERE A > 1 ORDER BY B DESC"}, "NAME", szAscending),
              (Lines{"SELECT * FROM T", "WHERE A > 1 ", "Order by \"NAME\" ASC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T", "", "WHERE A > 1"}, "NAME", szDescending),
              (Lines{"SELECT * FROM T", "WHERE A > 1", "Order by \"NAME\" DESC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T", "ORDER BY B"}, "NAME", szMiddle),
              (Lines{"SELECT * FROM T"}));
    EXPECT_EQ(SortedSqlLines({"SELECT * FROM T"}, "NAME", szMiddle), (Lines{"SELECT * FROM T"}));
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
    // Words that merely contain the keywords, and quoted text, are no clause.
    EXPECT_EQ(SortedSqlLines({"SELECT BORDER BY_X FROM T WHERE S = 'ORDER BY'"}, "N", szAscending),
              (Lines{"SELECT BORDER BY_X FROM T WHERE S = 'ORDER BY'", "Order by \"N\" ASC "}));
    EXPECT_EQ(SortedSqlLines({"SELECT 1"}, "a\"b", szAscending), (Lines{"SELECT 1", "Order by \"a\"\"b\" ASC "}));
}

class SortGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.Exec("CREATE TABLE people (ID INTEGER, NAME VARCHAR(10), NOTES MEMO, PIC GRAPHIC, "
                "\"TWO WORDS\" INTEGER)");
        db.Exec("INSERT INTO people VALUES (1,'Cy',NULL,NULL,1),(2,'Ann',NULL,NULL,2),(3,'Bo',NULL,NULL,3)");
        db.Exec("CREATE INDEX ByName ON people(NAME)");
        source.SetDataSet(&query);
        query.SetDatabaseName(db.Path());
        query.SQL().Add("SELECT * FROM people");
        query.SQL().Add("ORDER BY ID");
        grid->SetDataSource(&source);
        grid->SetBounds(0, 0, 500, 200);
        grid->SetOptions(grid->Options() & ~(1u << dgIndicator));
    }
    std::vector<std::string> Names(TDataSet& ds) {
        std::vector<std::string> out;
        for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds.FindField("NAME")->AsString());
        return out;
    }
    test::TempDb db;
    TForm form{nullptr};
    TQuery query{&form};
    TDataSource source{&form};
    TVex_SortGrid* grid = new TVex_SortGrid(&form);
};

TEST_F(SortGridTest, AClickAtTheExactPressPointSortsTheQuery) {
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"ID", "", 100}, {"NAME", "", 100}};
    std::vector<std::string> events;
    grid->OnBeforeSort = [&](TObject*) { events.push_back("before"); };
    grid->OnAfterSort = [&](TObject*) { events.push_back("after"); };
    grid->TitlePress(180, 5);  // 80 % of NAME
    grid->TitleRelease(182, 5);  // 2 pixels away: nothing
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Cy", "Ann", "Bo"}));
    EXPECT_TRUE(events.empty());
    grid->TitlePress(180, 5);
    grid->TitleRelease(180, 5);
    EXPECT_EQ(Names(query), (std::vector<std::string>{"Cy", "Bo", "Ann"}));
    EXPECT_EQ(events, (std::vector<std::string>{"before", "after"}));
    EXPECT_EQ(query.SQL().Text(), "SELECT * FROM people\nOrder by \"NAME\" DESC \n");
    grid->TitlePress(105, 5);  // 5 %: dead
    grid->TitleRelease(105, 5);
    EXPECT_EQ(events.size(), 2u);
    grid->TitlePress(150, 5);  // the middle: no order
    grid->TitleRelease(150, 5);
    EXPECT_EQ(query.SQL().Count(), 1);
    grid->TitlePress(120, 30);  // below the title row
    grid->TitleRelease(120, 30);
    EXPECT_EQ(query.SQL().Count(), 1);
}

TEST_F(SortGridTest, RefusedFieldsLeaveTheSqlAlone) {
    auto* calc = new TIntegerField(&query);
    calc->SetFieldName("CALC");
    calc->SetCalculated(true);
    calc->SetDataSet(&query);
    ASSERT_TRUE(query.Open());
    const std::string before = query.SQL().Text();
    struct Case {
        const char* field;
        const char* message;
    } cases[] = {{"CALC", "Cannot sort on a calculated field"},
                 {"TWO WORDS", "Cannot sort on a field that contains spaces"},
                 {"NOTES", "Cannot sort on a TMemoField"},
                 {"PIC", "Cannot sort on a TGraphicField"}};
    for (const Case& c : cases) {
        grid->CustomColumns() = {{c.field, "", 100}};
        EXPECT_FALSE(grid->SortByColumn(0, szAscending));
        EXPECT_EQ(grid->SortMessage(), c.message);
        EXPECT_EQ(query.SQL().Text(), before);
    }
}

TEST_F(SortGridTest, AFailedReopenPutsTheUsersQueryBack) {
    query.SQL().Clear();
    query.SQL().Add("SELECT ID, NAME FROM people WHERE ID > 1");
    ASSERT_TRUE(query.Open());
    grid->CustomColumns() = {{"NAME", "", 100}};
    // The database goes away: the rewritten statement cannot be opened.
    query.SetDatabaseName(db.Folder() + "/gone.db");
    EXPECT_FALSE(grid->SortByColumn(0, szAscending));
    EXPECT_NE(grid->SortMessage().find("cannot open"), std::string::npos) << grid->SortMessage();
    EXPECT_EQ(query.SQL().Text(), "SELECT ID, NAME FROM people WHERE ID > 1\n");
}

TEST_F(SortGridTest, TablesSwitchToAnIndexOrSayItIsMissing) {
    TTable table(&form);
    table.SetDatabaseName(db.Path());
    table.SetTableName("people");
    source.SetDataSet(&table);
    ASSERT_TRUE(table.Open());
    grid->CustomColumns() = {{"NAME", "", 100}, {"ID", "", 100}};
    EXPECT_TRUE(grid->SortByColumn(0, szDescending));  // the direction plays no part
    EXPECT_EQ(table.IndexFieldNames(), "NAME");
    EXPECT_EQ(Names(table), (std::vector<std::string>{"Ann", "Bo", "Cy"}));
    EXPECT_FALSE(grid->SortByColumn(1, szAscending));
    EXPECT_EQ(grid->SortMessage(), "Index for Field ID does not exist");
    EXPECT_EQ(table.IndexFieldNames(), "NAME");
}

}  // namespace
}  // namespace quillon
