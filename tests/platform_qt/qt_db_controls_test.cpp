// SPDX-License-Identifier: GPL-2.0-or-later
// The data-aware controls on real widgets: the grid's table view over a
// million rows, picking a row, the navigator's buttons, a DB edit's line edit.

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

#include "platform/data/dbctrls.h"
#include "platform/qt/qt_convert.h"
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

// A 24-bit BMP of 2 x 2 pixels of one colour.
std::string SolidBmp(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::string bmp(70, '\0');
    auto put32 = [&](size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 70);
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    bmp[26] = 1;
    bmp[28] = 24;
    put32(34, 16);
    for (int row = 0; row < 2; ++row)
        for (int px = 0; px < 2; ++px) {
            const size_t at = 54 + static_cast<size_t>(row) * 8 + static_cast<size_t>(px) * 3;
            bmp[at] = static_cast<char>(b);
            bmp[at + 1] = static_cast<char>(g);
            bmp[at + 2] = static_cast<char>(r);
        }
    return bmp;
}

TEST(QtDataControls, EveryFieldControlsWidgetFollowsTheRecord) {
    test::TempDb db;
    db.Exec("CREATE TABLE people (ID INTEGER, NAME TEXT, NOTES MEMO, ACTIVE TEXT, KIND INTEGER, PHOTO GRAPHIC)");
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.Db(), "INSERT INTO people VALUES (?,?,?,?,?,?)", -1, &st, nullptr), SQLITE_OK);
    const std::string red = SolidBmp(255, 0, 0), blue = SolidBmp(0, 0, 255);
    struct Row {
        int id;
        const char *name, *notes, *active;
        int kind;
        const std::string* photo;
    } rows[] = {{1, "Ann", "first\nsecond", "True", 1, &red}, {2, "Bob", "", "False", 2, &blue}};
    for (const Row& r : rows) {
        sqlite3_bind_int(st, 1, r.id);
        sqlite3_bind_text(st, 2, r.name, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 3, r.notes, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 4, r.active, -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 5, r.kind);
        sqlite3_bind_blob(st, 6, r.photo->data(), static_cast<int>(r.photo->size()), SQLITE_STATIC);
        ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    db.Exec("CREATE TABLE kinds (K INTEGER, LABEL TEXT)");
    db.Exec("INSERT INTO kinds VALUES (1,'member'),(2,'guest')");

    TestForm form(500, 400);
    auto* table = new TTable(form.get());
    table->SetDatabaseName(db.Path());
    table->SetTableName("people");
    auto* source = new TDataSource(form.get());
    source->SetDataSet(table);
    auto* kinds = new TTable(form.get());
    kinds->SetDatabaseName(db.Path());
    kinds->SetTableName("kinds");
    auto* kindSource = new TDataSource(form.get());
    kindSource->SetDataSet(kinds);
    auto bind = [&](auto* c, const char* field) {
        c->SetDataSource(source);
        c->SetDataField(field);
        return c;
    };
    auto* text = bind(form.Add<TDBText>("Text1", 0, 0, 100, 20), "NAME");
    auto* memo = bind(form.Add<TDBMemo>("Memo1", 0, 30, 150, 60), "NOTES");
    auto* check = bind(form.Add<TDBCheckBox>("Check1", 0, 100, 100, 20), "ACTIVE");
    auto* radios = form.Add<TDBRadioGroup>("Radios1", 160, 0, 150, 80);
    radios->Items().Add("member");
    radios->Items().Add("guest");
    radios->Values().Add("1");
    radios->Values().Add("2");
    bind(radios, "KIND");
    auto* combo = form.Add<TDBComboBox>("Combo1", 160, 90, 150, 24);
    combo->Items().Add("Ann");
    combo->Items().Add("Bob");
    bind(combo, "NAME");
    auto* lookup = bind(form.Add<TDBLookupCombo>("Lookup1", 160, 120, 150, 24), "KIND");
    lookup->SetLookupSource(kindSource);
    lookup->SetLookupField("K");
    lookup->SetLookupDisplay("LABEL");
    auto* image = bind(form.Add<TDBImage>("Image1", 320, 0, 40, 40), "PHOTO");
    auto* nav = form.Add<TDBNavigator>("Nav1", 0, 200, 200, 25);
    nav->SetDataSource(source);
    ASSERT_TRUE(kinds->Open());
    ASSERT_TRUE(table->Open());
    form->Show();
    Pump();

    auto pixel = [](TControl* c, int x, int y) { return WidgetAs<QWidget>(c)->grab().toImage().pixelColor(x, y); };
    EXPECT_EQ(text->Caption(), "Ann");
    EXPECT_EQ(WidgetAs<QPlainTextEdit>(memo)->toPlainText(), QStringLiteral("first\nsecond"));
    EXPECT_TRUE(WidgetAs<QCheckBox>(check)->isChecked());
    QList<QRadioButton*> buttons = WidgetAs<QWidget>(radios)->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons[0]->isChecked());
    EXPECT_FALSE(buttons[1]->isChecked());
    EXPECT_EQ(WidgetAs<QComboBox>(combo)->currentText(), QStringLiteral("Ann"));
    EXPECT_EQ(WidgetAs<QComboBox>(lookup)->currentText(), QStringLiteral("member"));
    EXPECT_EQ(pixel(image, 1, 1), QColor(255, 0, 0));

    // The navigator's Next: every widget shows the second record.
    QList<QToolButton*> navButtons = WidgetAs<QWidget>(nav)->findChildren<QToolButton*>();
    ASSERT_EQ(navButtons.size(), 5);
    navButtons[2]->click();
    Pump();
    EXPECT_EQ(table->RecNo(), 1);
    EXPECT_EQ(text->Caption(), "Bob");
    EXPECT_EQ(WidgetAs<QPlainTextEdit>(memo)->toPlainText(), QString());
    EXPECT_FALSE(WidgetAs<QCheckBox>(check)->isChecked());
    EXPECT_FALSE(buttons[0]->isChecked());
    EXPECT_TRUE(buttons[1]->isChecked());
    EXPECT_EQ(WidgetAs<QComboBox>(combo)->currentText(), QStringLiteral("Bob"));
    EXPECT_EQ(WidgetAs<QComboBox>(lookup)->currentText(), QStringLiteral("guest"));
    EXPECT_EQ(pixel(image, 1, 1), QColor(0, 0, 255));
    // Closed: the widgets empty.
    table->Close();
    Pump();
    EXPECT_EQ(WidgetAs<QComboBox>(combo)->currentText(), QString());
    EXPECT_FALSE(WidgetAs<QCheckBox>(check)->isChecked());
}

TEST(QtDataControls, TheGridsOptionsAndTitleFontShowOnItsWidget) {
    test::TempDb db;
    db.Exec("CREATE TABLE t (A INTEGER, B TEXT)");
    db.Exec("INSERT INTO t VALUES (1,'x'),(2,'y'),(3,'z')");
    TestForm form(300, 200);
    auto* table = new TTable(form.get());
    table->SetDatabaseName(db.Path());
    table->SetTableName("t");
    auto* source = new TDataSource(form.get());
    source->SetDataSet(table);
    auto* grid = form.Add<TDBGrid>("Grid1", 0, 0, 300, 200);
    grid->SetDataSource(source);
    grid->CustomColumns() = {{"A", "", 60}, {"B", "", 60}};
    grid->TitleFont().SetName("Arial");
    grid->TitleFont().SetHeight(-17);
    grid->TitleFont().SetStyle(TFontStyles{} + fsBold);
    ASSERT_TRUE(table->Open());
    form->Show();
    Pump();
    auto* view = WidgetAs<QTableView>(grid);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->horizontalHeader()->isVisible());
    EXPECT_TRUE(view->verticalHeader()->isVisible());
    EXPECT_TRUE(view->horizontalHeader()->font().bold());
    EXPECT_EQ(view->horizontalHeader()->font().pixelSize(), ToQFont(grid->TitleFont()).pixelSize());
    // Lines: a grey column line at the right edge of the first column and a
    // row line under the first row, each only while its option is on.
    auto at = [&](int x, int y) {
        return view->viewport()->grab().toImage().pixelColor(x, y);
    };
    const QColor line(160, 160, 160);
    const int rowBottom = grid->DefaultRowHeight() - 1;
    EXPECT_EQ(at(59, rowBottom + 5), line);  // column line, in the second row
    EXPECT_EQ(at(30, rowBottom), line);      // row line, mid first cell (second row: not selected)
    grid->SetOptions(grid->Options() & ~(1u << dgColLines));
    Pump();
    EXPECT_NE(at(59, rowBottom + 5), line);
    EXPECT_EQ(at(30, rowBottom + grid->DefaultRowHeight()), line);
    grid->SetOptions(grid->Options() & ~(1u << dgRowLines) & ~(1u << dgTitles) & ~(1u << dgIndicator));
    Pump();
    EXPECT_NE(at(30, rowBottom + grid->DefaultRowHeight()), line);
    EXPECT_FALSE(view->horizontalHeader()->isVisible());
    EXPECT_FALSE(view->verticalHeader()->isVisible());
}

}  // namespace
}  // namespace quillon
