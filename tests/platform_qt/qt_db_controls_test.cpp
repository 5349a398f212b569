// The data-aware controls on real widgets: the grid's table view over a
// million rows, picking a row, the navigator's buttons, a DB edit's line edit.

#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

#include "platform/data/dbctrls.h"
#include "tests/platform_data/data_test_util.h"
#include "tests/platform_qt/qt_host_support.h"

namespace quillon {
namespace {

using qttest::Pump;
using qttest::TestForm;
using qttest::WidgetAs;

TEST(QtDataControls, GridNavigatorAndEditFollowTheDataSet) {
    test::TempDb db;
    db.Exec("CREATE TABLE big (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))");
    db.Exec("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) "
            "INSERT INTO big SELECT x, 'row ' || x FROM c");
    TestForm form(400, 300);
    auto* table = new TTable(form.get());
    table->SetDatabaseName(db.Path());
    table->SetTableName("big");
    auto* source = new TDataSource(form.get());
    source->SetDataSet(table);
    auto* grid = form.Add<TDBGrid>("Grid1", 0, 0, 400, 200);
    grid->SetDataSource(source);
    auto* nav = form.Add<TDBNavigator>("Nav1", 0, 210, 200, 25);
    nav->SetDataSource(source);
    auto* edit = form.Add<TDBEdit>("Edit1", 210, 210, 150, 21);
    edit->SetDataSource(source);
    edit->SetDataField("NAME");
    ASSERT_TRUE(table->Open());
    form->Show();
    Pump();

    auto* view = WidgetAs<QTableView>(grid);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->model()->rowCount(), 1000000);
    EXPECT_EQ(view->model()->columnCount(), 2);
    EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("NAME"));
    EXPECT_EQ(view->model()->data(view->model()->index(0, 1)).toString(), QStringLiteral("row 1"));
    EXPECT_LT(grid->RowsFetched(), 200);  // only what the view showed

    // The user picks a row far down: it becomes the current record.
    view->setCurrentIndex(view->model()->index(765432, 0));
    Pump();
    EXPECT_EQ(table->RecNo(), 765432);
    EXPECT_EQ(WidgetAs<QLineEdit>(edit)->text(), QStringLiteral("row 765433"));
    EXPECT_EQ(view->model()->data(view->model()->index(765433, 1)).toString(),
              QStringLiteral("row 765434"));
    EXPECT_LT(grid->RowsFetched(), 400);

    // The navigator's Last button, then the view follows the record.
    QList<QToolButton*> buttons = WidgetAs<QWidget>(nav)->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 5);
    buttons[3]->click();
    Pump();
    EXPECT_EQ(table->RecNo(), 999999);
    EXPECT_EQ(view->currentIndex().row(), 999999);
    EXPECT_FALSE(buttons[2]->isEnabled());  // Next at the end
    EXPECT_TRUE(buttons[0]->isEnabled());
    EXPECT_EQ(WidgetAs<QLineEdit>(edit)->text(), QStringLiteral("row 1000000"));
}

}  // namespace
}  // namespace quillon
