// SPDX-License-Identifier: GPL-2.0-or-later
// The sortable grid on its real widget: the table view shows the query's
// rows, the pointer over a title takes the zone's cursor image, and a click on
// the title sorts what the view shows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBitmap>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <cstdlib>

#include "printsuite/controls/Vex_grid.h"
#include "tests/platform_data/data_test_util.h"
#include "tests/platform_qt/qt_host_support.h"
#include "tests/printsuite_qt/suite_qt_host.h"

namespace quillon {
namespace {

using qttest::Pump;
using qttest::TestForm;
using qttest::WidgetAs;

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QString Cell(QTableView* view, int row, int column) {
    return view->model()->data(view->model()->index(row, column)).toString();
}

// Presses and releases the left button at `at` of the title row's widget.
void ClickTitle(QHeaderView* header, QPoint at) {
    QWidget* titles = header->viewport();
    Send(titles, QEvent::MouseMove, at);
    Send(titles, QEvent::MouseButtonPress, at, Qt::LeftButton);
    Send(titles, QEvent::MouseButtonRelease, at, Qt::LeftButton);
    Pump();
}

// The point at `fraction` of column `c`'s title as the view shows it.
QPoint TitlePoint(QHeaderView* header, int c, double fraction) {
    return QPoint(header->sectionViewportPosition(c) +
                      static_cast<int>(header->sectionSize(c) * fraction),
                  5);
}

TEST(SortGridOnQt, TheViewShowsTheRowsAndFollowsATitleClick) {
    SuiteHost();
    test::TempDb db;
    db.Exec("CREATE TABLE people (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))");
    // Names run against the ids: n0999 ... n0000 for ids 1 ... 1000, twice over.
    db.Exec("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000) "
            "INSERT INTO people SELECT x, printf('n%04d', (2000 - x) % 1000) FROM c");
    TestForm form(400, 300);
    auto* query = new TQuery(form.get());
    query->SetDatabaseName(db.Path());
    query->SQL().Add("SELECT ID, NAME FROM people");
    auto* source = new TDataSource(form.get());
    source->SetDataSet(query);
    auto* grid = form.Add<TVex_SortGrid>("Grid1", 0, 0, 400, 250);
    grid->SetDataSource(source);
    grid->CustomColumns() = {{"ID", "", 80}, {"NAME", "", 120}};
    ASSERT_TRUE(query->Open());
    form->Show();
    Pump();

    auto* view = WidgetAs<QTableView>(grid);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->model()->rowCount(), 2000);
    EXPECT_EQ(Cell(view, 0, 0), QStringLiteral("1"));
    EXPECT_EQ(Cell(view, 0, 1), QStringLiteral("n0999"));
    EXPECT_EQ(Cell(view, 1, 1), QStringLiteral("n0998"));
    // The widget's title row and indicator are the model's, so points agree.
    QHeaderView* header = view->horizontalHeader();
    EXPECT_EQ(header->height(), grid->TitleRowHeight());
    EXPECT_EQ(view->verticalHeader()->width(), TDBGrid::kIndicatorWidth);
    EXPECT_EQ(view->verticalHeader()->defaultSectionSize(), 20);
    QWidget* titles = header->viewport();

    // Over NAME at 80 %: the descending cursor, the program's own image.
    const QPoint descending(80 + 96, 5);
    Send(titles, QEvent::MouseMove, descending);
    EXPECT_EQ(grid->CursorName(), "ZTOA");
    EXPECT_EQ(view->cursor().shape(), Qt::BitmapCursor);
    const QBitmap shape = view->cursor().bitmap();
    EXPECT_EQ(shape.size(), QSize(16, 16));
    EXPECT_EQ(shape.toImage().pixelIndex(0, 0), 1);  // the arrow's tip is black
    Send(titles, QEvent::MouseMove, QPoint(80 + 24, 5));
    EXPECT_EQ(grid->CursorName(), "ATOZ");
    // Over the cells the grid's own pointer comes back.
    Send(view->viewport(), QEvent::MouseMove, QPoint(100, 40));
    EXPECT_EQ(grid->CursorName(), "");
    EXPECT_NE(view->cursor().shape(), Qt::BitmapCursor);

    // A release two pixels away sorts nothing.
    Send(titles, QEvent::MouseMove, descending);
    Send(titles, QEvent::MouseButtonPress, descending, Qt::LeftButton);
    Send(titles, QEvent::MouseButtonRelease, descending + QPoint(2, 0), Qt::LeftButton);
    Pump();
    EXPECT_EQ(query->SQL().Count(), 1);
    EXPECT_EQ(Cell(view, 0, 1), QStringLiteral("n0999"));

    // At the press point: sorted descending, and the view shows it.
    Send(titles, QEvent::MouseButtonPress, descending, Qt::LeftButton);
    Send(titles, QEvent::MouseButtonRelease, descending, Qt::LeftButton);
    Pump();
    EXPECT_EQ(query->SQL().Text(), "SELECT ID, NAME FROM people\nOrder by \"NAME\" DESC \n");
    EXPECT_EQ(view->model()->rowCount(), 2000);
    EXPECT_EQ(Cell(view, 0, 1), QStringLiteral("n0999"));
    EXPECT_EQ(Cell(view, 2, 1), QStringLiteral("n0998"));
    EXPECT_EQ(view->currentIndex().column(), 1);  // the sorted column is selected

    // At 20 %: ascending.
    const QPoint ascending(80 + 24, 5);
    Send(titles, QEvent::MouseMove, ascending);
    Send(titles, QEvent::MouseButtonPress, ascending, Qt::LeftButton);
    Send(titles, QEvent::MouseButtonRelease, ascending, Qt::LeftButton);
    Pump();
    EXPECT_EQ(query->SQL().Text(), "SELECT ID, NAME FROM people\nOrder by \"NAME\" ASC \n");
    EXPECT_EQ(Cell(view, 0, 1), QStringLiteral("n0000"));
    EXPECT_EQ(Cell(view, 1, 1), QStringLiteral("n0000"));
    EXPECT_EQ(Cell(view, 2, 1), QStringLiteral("n0001"));
    // What the view shows is what SQLite sorts.
    query->Last();
    EXPECT_EQ(Cell(view, 1999, 1), QStringLiteral("n0999"));
    EXPECT_LT(grid->RowsFetched(), 1000);  // windows of rows, never the whole result

    // A title dragged wider: the model takes the width, and its zones follow.
    header->resizeSection(1, 200);
    Pump();
    ASSERT_EQ(grid->Columns()[1].Width, 200);
    const QPoint wideDescending(80 + 170, 5);  // 85 % of the wider title
    Send(titles, QEvent::MouseMove, wideDescending);
    Send(titles, QEvent::MouseButtonPress, wideDescending, Qt::LeftButton);
    Send(titles, QEvent::MouseButtonRelease, wideDescending, Qt::LeftButton);
    Pump();
    EXPECT_EQ(query->SQL()[1], "Order by \"NAME\" DESC ");
    EXPECT_EQ(Cell(view, 0, 1), QStringLiteral("n0999"));

    // Scrolled right by one column, the first title shown is NAME, wider than the view and
    // cut at its left: a click in the middle of what the view shows of it is counted from
    // where NAME really starts, removes the sort, and the scroll stays.
    grid->SetBounds(0, 0, 150, 250);
    Pump();
    view->horizontalScrollBar()->setValue(1);
    Pump();
    ASSERT_EQ(header->logicalIndexAt(0), 1);
    const QPoint scrolled = TitlePoint(header, 1, 0.5);
    ClickTitle(header, scrolled);
    EXPECT_EQ(grid->LeftCol(), 1);
    EXPECT_EQ(query->SQL().Count(), 1);
    EXPECT_EQ(Cell(view, 0, 1), QStringLiteral("n0999"));
    EXPECT_EQ(header->logicalIndexAt(0), 1);
    grid->SetBounds(0, 0, 400, 250);
    Pump();

    // Dragging a row's height gives every row that height.
    view->verticalHeader()->resizeSection(3, 31);
    Pump();
    EXPECT_EQ(grid->DefaultRowHeight(), 31);
    EXPECT_EQ(view->verticalHeader()->defaultSectionSize(), 31);
    EXPECT_EQ(view->verticalHeader()->sectionSize(3), 31);
    EXPECT_EQ(view->verticalHeader()->sectionSize(10), 31);
}

TEST(SortGridOnQt, ATitleClickSortsTheColumnUnderThePointerWhereverTheViewIsScrolled) {
    SuiteHost();
    test::TempDb db;
    db.Exec("CREATE TABLE people (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), CITY VARCHAR(20))");
    db.Exec("INSERT INTO people VALUES (1, 'b', 'Zug'), (2, 'c', 'Aarau'), (3, 'a', 'Bern')");
    TestForm form(400, 300);
    auto* query = new TQuery(form.get());
    query->SetDatabaseName(db.Path());
    query->SQL().Add("SELECT ID, NAME, CITY FROM people");
    auto* source = new TDataSource(form.get());
    source->SetDataSet(query);
    auto* grid = form.Add<TVex_SortGrid>("Grid1", 0, 0, 150, 200);
    grid->SetDataSource(source);
    grid->CustomColumns() = {{"ID", "", 70}, {"NAME", "", 120}, {"CITY", "", 200}};
    ASSERT_TRUE(query->Open());
    form->Show();
    Pump();
    auto* view = WidgetAs<QTableView>(grid);
    ASSERT_NE(view, nullptr);
    QHeaderView* header = view->horizontalHeader();

    // Scrolled to the right end: the view ends with CITY, wider than the view, so that CITY
    // is the first title shown and is cut at its left.
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    Pump();
    ASSERT_EQ(header->logicalIndexAt(0), 2);
    ASSERT_LT(header->sectionViewportPosition(2), 0);
    ClickTitle(header, TitlePoint(header, 2, 0.8));
    EXPECT_EQ(query->SQL().Text(), "SELECT ID, NAME, CITY FROM people\nOrder by \"CITY\" DESC \n");
    EXPECT_EQ(Cell(view, 0, 2), QStringLiteral("Zug"));
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    Pump();
    ASSERT_LT(header->sectionViewportPosition(2), 0);
    ClickTitle(header, TitlePoint(header, 2, 0.5));
    EXPECT_EQ(query->SQL().Count(), 1);  // the middle zone removes the sort
    EXPECT_EQ(Cell(view, 0, 2), QStringLiteral("Zug"));  // ID order: Zug, Aarau, Bern
    EXPECT_EQ(Cell(view, 1, 2), QStringLiteral("Aarau"));

    // A grid wider than its window: the columns it shows keep their zones.
    view->horizontalScrollBar()->setValue(0);
    grid->SetBounds(0, 0, 600, 200);
    form->SetClientWidth(250);
    Pump();
    ClickTitle(header, TitlePoint(header, 1, 0.2));
    EXPECT_EQ(query->SQL()[1], "Order by \"NAME\" ASC ");
    EXPECT_EQ(Cell(view, 0, 1), QStringLiteral("a"));
}

TEST(SortGridOnQt, MemoCellsShowTheirTextWrapped) {
    SuiteHost();
    test::TempDb db;
    db.Exec("CREATE TABLE notes (ID INTEGER, NOTES MEMO)");
    db.Exec("INSERT INTO notes VALUES (1, 'alpha beta gamma delta epsilon zeta'), (2, NULL)");
    TestForm form(300, 200);
    auto* table = new TTable(form.get());
    table->SetDatabaseName(db.Path());
    table->SetTableName("notes");
    auto* source = new TDataSource(form.get());
    source->SetDataSet(table);
    auto* grid = form.Add<TVex_SortGrid>("Grid1", 0, 0, 300, 200);
    grid->SetDataSource(source);
    grid->CustomColumns() = {{"ID", "", 40}, {"NOTES", "", 70}};
    grid->SetDefaultRowHeight(40);
    ASSERT_TRUE(table->Open());
    form->Show();
    Pump();
    auto* view = WidgetAs<QTableView>(grid);
    ASSERT_NE(view, nullptr);
    // The memo cell of the second row (not selected), drawn by the grid and by the view.
    auto cell = [&] { return view->viewport()->grab().toImage().copy(QRect(41, 41, 68, 38)); };
    auto inkRows = [](const QImage& img) {
        int rows = 0;
        for (int y = 0; y < img.height(); ++y) {
            bool ink = false;
            for (int x = 0; x < img.width(); ++x) ink = ink || qGray(img.pixel(x, y)) < 128;
            rows += ink;
        }
        return rows;
    };
    const QImage nullMemo = cell();
    EXPECT_EQ(inkRows(nullMemo), 0);  // NULL: an empty cell
    auto firstCell = [&] { return view->viewport()->grab().toImage().copy(QRect(41, 1, 68, 38)); };
    table->Next();  // the first row unselected: its memo text shows, wrapped
    Pump();
    const QImage wrapped = firstCell();
    if (const char* out = std::getenv("QUILLON_SHOT")) view->grab().save(QString::fromUtf8(out));
    grid->SetDisplayDBMemo(false);
    Pump();
    const QImage plain = firstCell();
    EXPECT_NE(wrapped, plain);
    // Wrapped text inks more rows of pixels than the one line of "(Memo)".
    EXPECT_GT(inkRows(wrapped), inkRows(plain));
}

}  // namespace
}  // namespace quillon
