// SPDX-License-Identifier: GPL-2.0-or-later
// Grid and dataset printing on real SQLite data: the DB grid table page by page, its cells,
// widths and totals, the totals boxes, the data-aware controls, string grids that go on to
// the next page, and the faults of tables that lost rows or never ended.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "platform/data/db.h"
#include "platform/data/db_format.h"
#include "platform/data/dbctrls.h"
#include "platform/sys/rounding.h"
#include "printsuite/base/Tallet.h"
#include "printsuite/controls/Totals.h"
#include "printsuite/controls/Vex_grid.h"
#include "tests/platform_data/data_test_util.h"
#include "tests/printsuite/window_print_fixture.h"

namespace quillon {
namespace {

struct Text {
    int x = 0, y = 0;
    std::string s;
};

// The texts written on a page (TextOut x,y "text").
std::vector<Text> TextsOf(const std::vector<std::string>& lines) {
    std::vector<Text> out;
    for (const auto& l : lines) {
        if (l.rfind("TextOut ", 0) != 0) continue;
        Text t;
        const auto comma = l.find(',');
        const auto space = l.find(' ', comma);
        t.x = std::stoi(l.substr(8, comma - 8));
        t.y = std::stoi(l.substr(comma + 1, space - comma - 1));
        const auto q1 = l.find('"'), q2 = l.rfind('"');
        t.s = l.substr(q1 + 1, q2 - q1 - 1);
        // Blank texts (the header's and footer's spaces, empty cells) are left out.
        if (t.s.find_first_not_of(' ') != std::string::npos) out.push_back(t);
    }
    return out;
}

std::int64_t SqlInt(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sql;
    std::int64_t v = 0;
    if (sqlite3_step(st) == SQLITE_ROW) v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

class GridPrintTest : public WindowPrintTest {
  protected:
    static constexpr int kH = 13;  // the grid font's printer height on the 96 ppi printer

    void SetUp() override {
        WindowPrintTest::SetUp();
        db_.Exec("CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, amount INTEGER)");
        panel_.SetBounds(0, 0, 700, 1000);
    }
    void TearDown() override {
        if (job_.InJob()) job_.EndJob();
        WindowPrintTest::TearDown();
    }
    void Fill(int rows) {
        db_.Exec("BEGIN");
        for (int i = 1; i <= rows; ++i)
            db_.Exec("INSERT INTO items VALUES (" + std::to_string(i) + ", 'N" + std::to_string(i) +
                     "', " + std::to_string(i * 7 % 100 + 3) + ")");
        db_.Exec("COMMIT");
    }
    // An open table of `name` and a grid on it at (left, top) of the panel.
    TDBGrid* Grid(TTable& table, TDataSource& source, const std::string& name, int left, int top,
                  int width, int height) {
        table.SetDatabaseName(db_.Path());
        table.SetTableName(name);
        EXPECT_TRUE(table.Open()) << table.LastError();
        source.SetDataSet(&table);
        auto* grid = Add<TDBGrid>(panel_, left, top, width, height);
        grid->SetDataSource(&source);
        grid->Font().SetName("Arial");
        grid->Font().SetHeight(-kH);
        grid->TitleFont().SetName("Arial");
        return grid;
    }
    // The texts of one column (by its x range) on each page, top to bottom.
    static std::vector<std::string> Column(const std::vector<std::string>& page, int x0, int x1) {
        std::vector<Text> t = TextsOf(page);
        std::stable_sort(t.begin(), t.end(),
                         [](const Text& a, const Text& b) { return a.y < b.y; });
        std::vector<std::string> out;
        for (const auto& e : t)
            if (e.x >= x0 && e.x < x1) out.push_back(e.s);
        return out;
    }
    // The ids printed on each page: the first column's right-aligned numbers.
    std::vector<std::vector<int>> IdsPerPage(int x0, int x1, int yMin = 0) const {
        std::vector<std::vector<int>> out;
        for (const auto& page : pages_) {
            std::vector<Text> t = TextsOf(page);
            std::stable_sort(t.begin(), t.end(),
                             [](const Text& a, const Text& b) { return a.y < b.y; });
            std::vector<int> ids;
            for (const auto& e : t)
                if (e.x >= x0 && e.x < x1 && e.y >= yMin && !e.s.empty() &&
                    std::all_of(e.s.begin(), e.s.end(), ::isdigit))
                    ids.push_back(std::stoi(e.s));
            out.push_back(ids);
        }
        return out;
    }
    // Rows of a table whose rectangle starts at `top` and ends at `bottom` (titles on):
    // the first row at Top + 2h + Round(h/3), rows 3 x Round(h/2) apart while they fit.
    static int RowsThatFit(int top, int bottom) {
        const int pitch = 3 * RoundToInt(kH * 0.5);
        int y = top + 2 * kH + RoundToInt(kH / 3.0), n = 0;
        while (y + pitch <= bottom) {
            ++n;
            y += pitch;
        }
        return n;
    }

    ::quillon::test::TempDb db_;
    TPanel panel_{nullptr};
};

TEST_F(GridPrintTest, RowsFitByTheirPitchAndEachPassGoesOnWithTheNextRecord) {
    Fill(25);
    TTable table(nullptr);
    TDataSource source(nullptr);
    Grid(table, source, "items", 0, 0, 320, 200);
    table.MoveTo(4);  // where the user is; the print starts at the first record all the same
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    EXPECT_EQ(table.RecNo(), 4);  // put back after every table
    job_.EndJob();
    // (96, 96)-(416, 296): 9 rows a page, 126 + 18k.
    const int perPage = RowsThatFit(96, 296);
    ASSERT_EQ(perPage, 9);
    ASSERT_EQ(pages_.size(), 3u);
    const auto ids = IdsPerPage(96, 96 + 81);
    EXPECT_EQ(ids[0], (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(ids[1], (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18}));
    EXPECT_EQ(ids[2], (std::vector<int>{19, 20, 21, 22, 23, 24, 25}));
    // Exact places on the first page: titles at (Left + 10u, Top + Round(h/2)), the id column
    // right-aligned 20u inside its 81-pixel width, the name column left-aligned after it.
    const auto texts = TextsOf(pages_[0]);
    const auto at = [&](const std::string& s) {
        for (const auto& t : texts)
            if (t.s == s) return std::to_string(t.x) + "," + std::to_string(t.y);
        return std::string("missing");
    };
    EXPECT_EQ(at("id"), "99,102");
    EXPECT_EQ(at("name"), "180,102");
    const int w1 = WidthIn("Arial", kH, false, "1");
    EXPECT_EQ(at("1"), std::to_string(99 + 81 - w1 - 6) + ",126");
    EXPECT_EQ(at("N1"), "180,126");
    EXPECT_EQ(at("N9"), "180," + std::to_string(126 + 8 * 18));
    // The title band in silver with its frame, the rule under it, row lines between rows.
    EXPECT_TRUE(Has(pages_[0], "FillRect 96,96,402,122 solid #C0C0C0")) << Dump(pages_[0]);
    EXPECT_TRUE(Has(pages_[0], "MoveTo 96,122"));
    EXPECT_TRUE(Has(pages_[0], "MoveTo 96," + std::to_string(144 - 3)));   // 126 + 18 - Round(h/4)
    EXPECT_FALSE(Has(pages_[0], "MoveTo 96," + std::to_string(126 - 3)));  // none above row 1
}

TEST_F(GridPrintTest, PageAndRunningTotalsMatchTheSumsOfTheRowsPrinted) {
    Fill(25);
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "items", 0, 0, 320, 200);
    const auto total = [&](int top, TTotals type) {
        auto* t = Add<TShowTotal>(panel_, 400, top, 100, 29);
        t->SetSourceGrid(grid);
        t->SetSourceField("AMOUNT");  // display labels match ignoring case
        t->SetTotalType(type);
        t->SetDisplayFormat("0");
        t->SetAlignment(taLeftJustify);
        return t;
    };
    total(300, tPageTotal);
    total(350, tAccTotal);
    // Placed before the grid in the child list: drawn before the grid's rows of the pass.
    auto* early = total(400, tPageTotal);
    auto* earlyAcc = total(450, tAccTotal);
    early->SendToBack();
    earlyAcc->SendToBack();
    ASSERT_EQ(panel_.Controls(0), earlyAcc);
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    ASSERT_EQ(pages_.size(), 3u);
    const auto ids = IdsPerPage(96, 96 + 81);
    const auto sum = [&](const std::string& where) {
        return std::to_string(SqlInt(db_.Db(), "SELECT TOTAL(amount) FROM items WHERE " + where));
    };
    std::string previousAcc = "0";
    for (std::size_t p = 0; p < 3; ++p) {
        ASSERT_FALSE(ids[p].empty());
        const std::string first = std::to_string(ids[p].front()),
                          last = std::to_string(ids[p].back());
        const auto texts = TextsOf(pages_[p]);
        std::map<int, std::string> byY;
        for (const auto& t : texts)
            if (t.x == 96 + 400 + 3) byY[t.y] = t.s;
        // Boxes at 96 + top, text 10u (3 px) in.
        EXPECT_EQ(byY[96 + 300 + 3], sum("id BETWEEN " + first + " AND " + last)) << "page " << p;
        EXPECT_EQ(byY[96 + 350 + 3], sum("id <= " + last)) << "page " << p;
        EXPECT_EQ(byY[96 + 400 + 3], "0") << "page " << p;
        EXPECT_EQ(byY[96 + 450 + 3], previousAcc) << "page " << p;
        previousAcc = sum("id <= " + last);
    }
    EXPECT_EQ(previousAcc, sum("1"));
}

TEST_F(GridPrintTest, CellTextsByFieldClassNullsMemosAndTextInANumberColumn) {
    db_.Exec(
        "CREATE TABLE t (n INTEGER, price MONEY, ratio REAL, note MEMO, pic BLOB, label TEXT)");
    db_.Exec("INSERT INTO t VALUES (1234, 12.5, 0.25, 'long text', x'00ff', 'a')");
    db_.Exec("INSERT INTO t VALUES (NULL, NULL, NULL, NULL, NULL, NULL)");
    db_.Exec("INSERT INTO t VALUES ('abc', 1, 2, 'm', x'01', 'b')");
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "t", 0, 0, 680, 300);
    table.FindField("n")->SetDisplayFormat("#,##0");
    auto* total = Add<TShowTotal>(panel_, 0, 400, 100, 29);
    total->SetSourceGrid(grid);
    total->SetSourceField("n");
    total->SetTotalType(tAccTotal);
    total->SetDisplayFormat("0");
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    ASSERT_EQ(pages_.size(), 1u);
    std::vector<std::string> cells;
    for (const auto& t : TextsOf(pages_[0]))
        if (t.y >= 126 && t.y < 300) cells.push_back(t.s);
    const std::string money = Format("%m", 12.5);
    EXPECT_EQ(cells,
              (std::vector<std::string>{"1,234", money, "0.25", "(Memo)", "(Graphic)", "a",
                                        // the NULL row prints blank cells but the blobs'
                                        "(Memo)", "(Graphic)",
                                        // text in a number column stands as it is
                                        "abc", Format("%m", 1), "2", "(Memo)", "(Graphic)", "b"}))
        << Dump(pages_[0]);
    // Neither the NULL nor the text added to the column's total.
    bool found = false;
    for (const auto& t : TextsOf(pages_[0])) found = found || t.s == "1234";
    EXPECT_TRUE(found);
}

TEST_F(GridPrintTest, ATooWideRightAlignedValuePrintsAsARunOfHashes) {
    db_.Exec("INSERT INTO items VALUES (123456789, 'x', 5)");
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "items", 0, 0, 320, 200);
    grid->CustomColumns().push_back(TDBGridColumn{"id", "", 20});
    grid->CustomColumns().push_back(TDBGridColumn{"amount", "", 60});
    Start(k96);
    job_.PrintWindow(&panel_, 1.0, 1.0);
    const auto texts = TextsOf(Calls());
    // The shortest run R with width(R + "#0") >= 20, starting at x + w - width(R + "0").
    std::string run;
    while (WidthIn("Arial", kH, false, run + "#0") < 20) run += '#';
    const int start = 99 + 20 - WidthIn("Arial", kH, false, run + "0");
    bool hashes = false, five = false;
    for (const auto& t : texts) {
        if (t.s == run && t.x == start && t.y == 126) hashes = true;
        // The next column starts 20 pixels on and keeps its own value.
        if (t.s == "5" && t.x == 99 + 20 + 60 - WidthIn("Arial", kH, false, "5") - 6) five = true;
        EXPECT_NE(t.s, "123456789");
    }
    EXPECT_FALSE(run.empty());
    EXPECT_TRUE(hashes) << run << " at " << start << "\n" << Dump(Calls());
    EXPECT_TRUE(five) << Dump(Calls());
}

TEST_F(GridPrintTest, ColumnsKeepTheirOwnFieldsWhenReorderedOrHidden) {
    Fill(3);
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "items", 0, 0, 320, 200);
    // More columns than visible fields, in another order, one on a hidden field and one on
    // a field that does not exist.
    table.FindField("id")->SetVisible(false);
    grid->CustomColumns() = {TDBGridColumn{"amount", "", 50}, TDBGridColumn{"gone", "", 30},
                             TDBGridColumn{"id", "", 40}, TDBGridColumn{"name", "Who", 70}};
    auto* total = Add<TShowTotal>(panel_, 400, 0, 100, 29);
    total->SetSourceGrid(grid);
    total->SetSourceField("amount");
    total->SetDisplayFormat("0");
    total->SetAlignment(taLeftJustify);
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    ASSERT_EQ(pages_.size(), 1u);
    // amount at 99 (right-aligned in 50), then name at 99 + 50: the hidden and missing
    // columns take no room.
    const auto names = Column(pages_[0], 149, 149 + 1);
    EXPECT_EQ(names, (std::vector<std::string>{"Who", "N1", "N2", "N3"}));
    const auto amounts = Column(pages_[0], 99, 149);
    EXPECT_EQ(amounts, (std::vector<std::string>{"amount", "10", "17", "24"}));
    std::vector<std::string> boxes = Column(pages_[0], 96 + 400, 96 + 500);
    EXPECT_EQ(boxes, (std::vector<std::string>{"51"}));
}

TEST_F(GridPrintTest, EmptyTableAndHugeCellPrintWithoutTrouble) {
    TTable empty(nullptr);
    TDataSource emptySource(nullptr);
    Grid(empty, emptySource, "items", 0, 0, 320, 200);
    db_.Exec("CREATE TABLE big (txt TEXT)");
    db_.Exec("INSERT INTO big VALUES (printf('%.*c', 10000000, 'x'))");
    TTable big(nullptr);
    TDataSource bigSource(nullptr);
    Grid(big, bigSource, "big", 0, 300, 320, 200);
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    ASSERT_EQ(pages_.size(), 1u);
    std::vector<std::string> texts;
    for (const auto& t : TextsOf(pages_[0])) texts.push_back(t.s);
    // The empty table's titles only; the big cell cut to what one text may carry.
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "id"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), std::string(kMaxTextOut, 'x')), 1);
    EXPECT_TRUE(Headless().boxes.empty());
}

TEST_F(GridPrintTest, TwoGridsOnOneWindowPrintEveryRowOfBoth) {
    Fill(25);
    db_.Exec("CREATE TABLE few (id INTEGER PRIMARY KEY, name TEXT)");
    db_.Exec("INSERT INTO few VALUES (501, 'a'), (502, 'b')");
    TTable table(nullptr), small(nullptr);
    TDataSource source(nullptr), smallSource(nullptr);
    Grid(table, source, "items", 0, 0, 320, 200);
    // The second grid has room for all its rows: it must not end the first one's pages.
    Grid(small, smallSource, "few", 0, 300, 320, 200);
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    ASSERT_EQ(pages_.size(), 3u);
    std::vector<int> all;
    for (const auto& ids : IdsPerPage(96, 96 + 81, 0))
        for (int id : ids)
            if (id < 500) all.push_back(id);
    std::vector<int> want(25);
    for (int i = 0; i < 25; ++i) want[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(all, want);
    // The finished grid prints its titles again but never its rows.
    const auto small1 = IdsPerPage(96, 96 + 81, 396);
    EXPECT_EQ(small1[0], (std::vector<int>{501, 502}));
    EXPECT_TRUE(small1[1].empty());
    EXPECT_TRUE(small1[2].empty());
}

TEST_F(GridPrintTest, AGridTooSmallForOneRowEndsThePagesWithAMessage) {
    Fill(5);
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "items", 0, 0, 320, 40);  // titles and no row
    grid->SetName("Orders");
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    EXPECT_EQ(pages_.size(), 1u);
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text,
              "The grid Orders is too small to print one row; its rows are not printed");
}

TEST_F(GridPrintTest, AStringGridLongerThanItsRectangleGoesOnOnTheNextPass) {
    auto* grid = Add<TStringGrid>(panel_, 0, 0, 300, 200);
    grid->SetColCount(2);
    grid->SetRowCount(31);
    grid->SetCells(0, 0, "Head");
    for (int r = 1; r < 31; ++r) grid->SetCells(0, r, "R" + std::to_string(r));
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    ASSERT_GT(pages_.size(), 1u);
    std::vector<std::string> rows;
    for (const auto& page : pages_) {
        const auto col = Column(page, 106, 107);
        ASSERT_FALSE(col.empty());
        EXPECT_EQ(col.front(), "Head");  // the title row on every page
        rows.insert(rows.end(), col.begin() + 1, col.end());
    }
    std::vector<std::string> want;
    for (int r = 1; r < 31; ++r) want.push_back("R" + std::to_string(r));
    EXPECT_EQ(rows, want);
}

TEST_F(GridPrintTest, ATooSmallStringGridIsReportedOnceAndEndsThePages) {
    auto* grid = Add<TStringGrid>(panel_, 0, 0, 300, 20);
    grid->SetColCount(1);
    grid->SetRowCount(10);
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    EXPECT_EQ(pages_.size(), 1u);
    EXPECT_EQ(Headless().boxes.size(), 1u);
}

TEST_F(GridPrintTest, PrintingLeavesTheTitleFontAsItWasOnEveryPage) {
    Fill(12);
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "items", 0, 0, 320, 200);
    grid->TitleFont().SetColor(clRed);
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    EXPECT_EQ(grid->TitleFont().Color(), clRed);
    ASSERT_EQ(pages_.size(), 2u);
    for (const auto& page : pages_) {
        const auto title = std::find_if(page.begin(), page.end(), [](const std::string& l) {
            return l.rfind("TextOut 99,102 \"id\"", 0) == 0;
        });
        ASSERT_NE(title, page.end());
        const auto colour =
            std::find_if(std::make_reverse_iterator(title), page.rend(),
                         [](const std::string& l) { return l.rfind("SetTextColor", 0) == 0; });
        ASSERT_NE(colour, page.rend());
        EXPECT_EQ(*colour, "SetTextColor #FF0000");
    }
}

TEST_F(GridPrintTest, ALastPageBoxBeforeItsGridPrintsOnTheLastPassOnly) {
    Fill(25);
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "items", 0, 0, 320, 200);
    auto* ends = Add<TShowTotal>(panel_, 400, 0, 100, 29);
    ends->SetTotalType(tText);
    ends->SetText("ENDS");
    ends->SetShowOn(tLastPage);
    auto* notLast = Add<TShowTotal>(panel_, 400, 40, 100, 29);
    notLast->SetTotalType(tText);
    notLast->SetText("MORE");
    notLast->SetShowOn(tAllButLast);
    notLast->SendToBack();
    ends->SendToBack();
    ASSERT_NE(grid, nullptr);
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    job_.EndJob();
    ASSERT_EQ(pages_.size(), 3u);
    const auto shows = [&](std::size_t p, const std::string& s) {
        for (const auto& t : TextsOf(pages_[p]))
            if (t.s == s) return true;
        return false;
    };
    EXPECT_FALSE(shows(0, "ENDS"));
    EXPECT_FALSE(shows(1, "ENDS"));
    EXPECT_TRUE(shows(2, "ENDS"));
    EXPECT_TRUE(shows(0, "MORE"));
    EXPECT_TRUE(shows(1, "MORE"));
    EXPECT_FALSE(shows(2, "MORE"));
}

TEST_F(GridPrintTest, AbortBetweenPagesStopsTheTable) {
    Fill(100);
    TTable table(nullptr);
    TDataSource source(nullptr);
    Grid(table, source, "items", 0, 0, 320, 200);
    job_.SetShowCancelDialog(true);
    job_.OnPrintHeader = [&](TObject*) {
        // Pressed while the second pass lets messages run.
        if (job_.PageNumber == 2 && PrintDialog1)
            Headless().pendingEvents.push_back([] {
                if (PrintDialog1) PrintDialog1->CancelBtnClick(nullptr);
            });
    };
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    EXPECT_EQ(job_.PageCount, 2);
    job_.EndJob();
    EXPECT_TRUE(job_.Aborted);
}

TEST_F(GridPrintTest, ADatasetThatStopsReadingGivesUpTheJobAndSaysWhy) {
    // Rows after the fifth take more work than a request may: the table stops there, the job
    // is given up (nothing is sent to the printer) and the print path says why, once.
    Fill(30);
    TQuery query(nullptr);
    query.SetName("Query1");
    query.SetDatabaseName(db_.Path());
    query.SQL().Add(
        "SELECT id, (WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
        "WHERE n < CASE WHEN id <= 5 THEN 10 ELSE 100000000 END) "
        "SELECT count(*) FROM c) AS work FROM items");
    query.SetQueryBudget(1'000'000);
    ASSERT_TRUE(query.Open()) << query.LastError();
    TDataSource source(nullptr);
    source.SetDataSet(&query);
    auto* grid = Add<TDBGrid>(panel_, 0, 0, 320, 900);
    grid->SetDataSource(&source);
    job_.SetCopies(1);
    Start(k96);
    job_.PrintWindowPages(&panel_, 1.0, 1.0);
    EXPECT_TRUE(job_.Aborted);
    job_.EndJob();
    EXPECT_TRUE(dpi96_->Documents().empty());
    ASSERT_EQ(Headless().boxes.size(), 1u);
    EXPECT_EQ(Headless().boxes[0].text,
              "Query1: the query was stopped after 1,000,000 steps of work (it may never end)");
    EXPECT_EQ(query.RecNo(), 0);  // put back where it was
}

TEST_F(GridPrintTest, AClosingTotalsRowShowsEachColumnsAccumulatedTotal) {
    Fill(4);  // amounts 10, 17, 24, 31
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "items", 0, 0, 320, 200);
    table.FindField("amount")->SetDisplayFormat("#,##0");
    Start(k96);
    job_.PrintDBGridTable(*grid, 96, 96, 416, 296, true);
    // Four rows from 126, y = 126 + 4 x 18 = 198; the totals row at y + h + Round(h/2) + h.
    const int y = 198 + kH;
    const int yT = y + RoundToInt(kH / 2.0) + kH;
    std::map<std::string, std::string> at;
    for (const auto& t : TextsOf(Calls()))
        at[t.s] = std::to_string(t.x) + "," + std::to_string(t.y);
    const std::string sum = std::to_string(SqlInt(db_.Db(), "SELECT SUM(amount) FROM items"));
    ASSERT_EQ(sum, "82");
    // Right-aligned in the amount column (99 + 81 + 144, 81 wide); the name column shows no
    // total; the id column its own.
    EXPECT_EQ(at[sum], std::to_string(324 + 81 - WidthIn("Arial", kH, false, sum) - 6) + "," +
                           std::to_string(yT))
        << Dump(Calls());
    EXPECT_EQ(at["10"], std::to_string(99 + 81 - WidthIn("Arial", kH, false, "10") - 6) + "," +
                            std::to_string(yT));
    // Two closing rules, 5 pixels apart, in pens of 2 and 3.
    const int ly = y + 3 * kH;
    const auto calls = Calls();
    const auto rule = IndexOf(calls, "MoveTo 96," + std::to_string(ly));
    ASSERT_LT(rule, calls.size()) << Dump(calls);
    EXPECT_TRUE(Has(calls, "MoveTo 96," + std::to_string(ly + 5)));
    EXPECT_TRUE(Has(calls, "SelectPen solid 3 #000000"));
    // The dataset is back where it was.
    EXPECT_EQ(table.RecNo(), 0);
}

TEST_F(GridPrintTest, EndJobPutsTheDatasetBackAndEnablesItsControls) {
    Fill(30);
    TTable table(nullptr);
    TDataSource source(nullptr);
    TDBGrid* grid = Grid(table, source, "items", 0, 0, 320, 200);
    table.MoveTo(17);
    Start(k96);
    job_.PrintWindow(&panel_, 1.0, 1.0);
    ASSERT_NE(job_.GridState(grid), nullptr);
    EXPECT_TRUE(table.ControlsDisabled());  // while the job runs, the screen does not follow
    EXPECT_EQ(job_.GridState(grid)->ResumePosition.position, 9);
    EXPECT_EQ(table.RecNo(), 17);
    job_.EndJob();
    EXPECT_EQ(job_.GridState(grid), nullptr);
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_EQ(table.RecNo(), 17);
}

TEST_F(GridPrintTest, OnATextOnlyPrinterRowsKeepTheirPitch) {
    Fill(5);
    TTable table(nullptr);
    TDataSource source(nullptr);
    Grid(table, source, "items", 0, 0, 320, 300);
    Start(kGeneric);  // 120 x 144 ppi: the font is Round(13 x 120 / 96) = 16 pixels high
    job_.PrintWindow(&panel_, 1.0, 1.0);
    std::vector<int> ys;
    for (const auto& t : TextsOf(Calls()))
        if (t.s.rfind("N", 0) == 0 && t.s.size() == 2) ys.push_back(t.y);
    ASSERT_EQ(ys.size(), 5u) << Dump(Calls());
    for (std::size_t i = 1; i < ys.size(); ++i) EXPECT_EQ(ys[i] - ys[i - 1], 3 * 8) << i;
}

TEST_F(GridPrintTest, DataAwareControlsPrintTheirFieldsOfTheCurrentRecord) {
    Fill(3);
    TTable table(nullptr);
    table.SetDatabaseName(db_.Path());
    table.SetTableName("items");
    ASSERT_TRUE(table.Open());
    TDataSource source(nullptr);
    source.SetDataSet(&table);
    table.MoveTo(1);  // id 2, name N2, amount 17
    auto* edit = Add<TDBEdit>(panel_, 0, 0, 100, 20);
    edit->SetDataSource(&source);
    edit->SetDataField("amount");
    auto* text = Add<TDBText>(panel_, 0, 40, 100, 20);
    text->SetDataSource(&source);
    text->SetDataField("name");
    auto* memo = Add<TDBMemo>(panel_, 0, 80, 100, 60);
    memo->SetColor(clYellow);
    memo->SetDataSource(&source);
    memo->SetDataField("name");
    auto* combo = Add<TDBComboBox>(panel_, 0, 160, 100, 20);
    combo->SetDataSource(&source);
    combo->SetDataField("name");
    auto* loose = Add<TDBEdit>(panel_, 0, 200, 100, 20);  // no data source: nothing at all
    loose->SetText("stale");
    auto* nav = Add<TDBNavigator>(panel_, 0, 240, 100, 20);
    nav->SetDataSource(&source);
    for (TControl* c : std::initializer_list<TControl*>{edit, text, memo, combo}) {
        c->Font().SetName("Arial");
        c->Font().SetHeight(-kH);
    }
    Start(k96);
    job_.PrintWindow(&panel_, 1.0, 1.0);
    const auto calls = Calls();
    std::map<std::string, std::string> at;
    for (const auto& t : TextsOf(calls))
        at[t.s] += std::to_string(t.x) + "," + std::to_string(t.y) + ";";
    // The edit in the field's right alignment: ending 10u (3 px) left of X2 = 196.
    const int w17 = WidthIn("Arial", kH, false, "17");
    EXPECT_EQ(at["17"], std::to_string(196 - w17 - 3) + ",99;") << Dump(calls);
    // DB text at (X1, Y1 + 10u); the memo's line at (X1 + 10u, Y1 + 10u); the combo's box.
    EXPECT_EQ(at["N2"], "96,139;99,179;99,259;");
    EXPECT_EQ(at.count("stale"), 0u);
    EXPECT_TRUE(Has(calls, "FillRect 96,176,196,236 solid #FFFF00")) << Dump(calls);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// The sortable grid's own place on paper: all four PrintIt values, or none of them.
TEST_F(GridPrintTest, ASortableGridWithAllFourPrintItValuesPrintsAtThatPlace) {
    Fill(3);
    for (const bool allFour : {true, false}) {
        SCOPED_TRACE(allFour ? "all four" : "three of four");
        TTable table(nullptr);
        TDataSource source(nullptr);
        table.SetDatabaseName(db_.Path());
        table.SetTableName("items");
        ASSERT_TRUE(table.Open()) << table.LastError();
        source.SetDataSet(&table);
        auto* grid = Add<TVex_SortGrid>(panel_, 0, 0, 320, 200);
        grid->SetDataSource(&source);
        grid->Font().SetName("Arial");
        grid->Font().SetHeight(-kH);
        grid->TitleFont().SetName("Arial");
        grid->SetPrintItLeft(2.0);
        grid->SetPrintItTop(3.0);
        grid->SetPrintItWidth(allFour ? 3.0 : 0.0);
        grid->SetPrintItHeight(1.0);
        pages_.clear();
        Start(k96);
        job_.PrintWindowPages(&panel_, 1.0, 1.0);
        job_.EndJob();
        ASSERT_FALSE(pages_.empty());
        // The title "id" sits 3 pixels right of the table's left edge, 6 below its top: at
        // (2 in, 3 in) = (192, 288) on the 96 ppi printer, or at the screen place (96, 96).
        bool found = false;
        for (const auto& t : TextsOf(pages_[0]))
            if (t.s == "id") {
                found = true;
                EXPECT_EQ(std::to_string(t.x) + "," + std::to_string(t.y),
                          allFour ? "195,294" : "99,102");
            }
        EXPECT_TRUE(found) << Dump(pages_[0]);
        delete grid;
    }
}

}  // namespace
}  // namespace quillon
