// SPDX-License-Identifier: GPL-2.0-or-later
// Data-aware controls in step with their dataset, and forms that hold them.

#include <memory>

#include "platform/data/dbctrls.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "tests/platform_data/data_test_util.h"

namespace quillon {
namespace {

using test::TempDb;

class DBControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.Exec("CREATE TABLE people (ID INTEGER, NAME TEXT, ACTIVE TEXT, KIND INTEGER, NOTES MEMO, "
                "PHOTO GRAPHIC, PRICE MONEY)");
        db.Exec("INSERT INTO people VALUES (1,'Ann','Yes',2,'line 1\nline 2',x'0102',10),"
                "(2,'Bob','0',1,NULL,NULL,20),(3,'Cy',NULL,9,'m',NULL,30)");
        db.Exec("CREATE TABLE kinds (K INTEGER, LABEL TEXT)");
        db.Exec("INSERT INTO kinds VALUES (1,'member'),(2,'guest')");
        table.SetDatabaseName(db.Path());
        table.SetTableName("people");
        source.SetDataSet(&table);
    }
    TempDb db;
    TForm form{nullptr};
    TTable table{&form};
    TDataSource source{&form};
};

TEST_F(DBControlsTest, FieldControlsFollowTheCurrentRecord) {
    auto* edit = new TDBEdit(&form);
    edit->SetDataSource(&source);
    edit->SetDataField("NAME");
    auto* text = new TDBText(&form);
    text->SetDataSource(&source);
    text->SetDataField("PRICE");
    auto* memo = new TDBMemo(&form);
    memo->SetDataSource(&source);
    memo->SetDataField("NOTES");
    auto* check = new TDBCheckBox(&form);
    check->SetDataSource(&source);
    check->SetDataField("ACTIVE");
    check->SetValueChecked("Yes;Y");
    auto* radios = new TDBRadioGroup(&form);
    radios->Items().Add("member");
    radios->Items().Add("guest");
    radios->Values().Add("1");
    radios->Values().Add("2");
    radios->SetDataSource(&source);
    radios->SetDataField("KIND");
    EXPECT_EQ(edit->Text(), "");  // closed
    ASSERT_TRUE(table.Open());
    table.FindField("PRICE")->SetDisplayFormat("0.00");
    table.First();
    EXPECT_EQ(edit->Text(), "Ann");
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_EQ(text->Caption(), "10.00");
    EXPECT_EQ(memo->Lines().Count(), 2);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(radios->ItemIndex(), 1);
    table.Next();
    EXPECT_EQ(edit->Text(), "Bob");
    EXPECT_EQ(memo->Text(), "");
    EXPECT_FALSE(check->Checked());  // '0'
    EXPECT_EQ(radios->ItemIndex(), 0);
    table.Next();
    EXPECT_FALSE(check->Checked());   // NULL
    EXPECT_EQ(radios->ItemIndex(), -1);  // 9 is no item's value
    table.Close();
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(DBControlsTest, DisabledControlsHearOnceWhenEnabledAgain) {
    ASSERT_TRUE(table.Open());
    auto* edit = new TDBEdit(&form);
    edit->SetDataField("NAME");
    edit->SetDataSource(&source);
    int changes = 0;
    source.OnDataChange = [&](TObject*) { ++changes; };
    table.DisableControls();
    table.Next();
    table.Next();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(edit->Text(), "Ann");  // not told yet
    table.EnableControls();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit->Text(), "Cy");
}

TEST_F(DBControlsTest, LookupComboShowsTheLookedUpText) {
    TTable kinds(&form);
    kinds.SetDatabaseName(db.Path());
    kinds.SetTableName("kinds");
    ASSERT_TRUE(kinds.Open());
    TDataSource kindSource(&form);
    kindSource.SetDataSet(&kinds);
    auto* combo = new TDBLookupCombo(&form);
    combo->SetDataSource(&source);
    combo->SetDataField("KIND");
    combo->SetLookupSource(&kindSource);
    combo->SetLookupField("K");
    combo->SetLookupDisplay("LABEL");
    ASSERT_TRUE(table.Open());
    EXPECT_EQ(combo->Text(), "guest");
    table.Next();
    EXPECT_EQ(combo->Text(), "member");
    table.Next();
    EXPECT_EQ(combo->Text(), "");
    EXPECT_EQ(kinds.RecNo(), 0);  // the lookup set is left where it was
}

TEST_F(DBControlsTest, ABlobThatIsNoPictureLeavesTheImageEmpty) {
    auto* image = new TDBImage(&form);
    image->SetDataSource(&source);
    image->SetDataField("PHOTO");
    ASSERT_TRUE(table.Open());
    EXPECT_TRUE(image->Picture().Empty());
    EXPECT_NE(image->PictureError().find("PHOTO: "), std::string::npos);
    table.Next();
    EXPECT_EQ(image->PictureError(), "");  // NULL: no picture, no fault
}

TEST_F(DBControlsTest, NavigatorMovesAndKnowsItsButtons) {
    auto* nav = new TDBNavigator(&form);
    nav->SetDataSource(&source);
    ASSERT_TRUE(table.Open());
    EXPECT_FALSE(nav->ButtonEnabled(nbPrior));
    EXPECT_TRUE(nav->ButtonEnabled(nbNext));
    nav->BtnClick(nbLast);
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_FALSE(nav->ButtonEnabled(nbNext));
    nav->BtnClick(nbPrior);
    EXPECT_EQ(table.RecNo(), 1);
    nav->BtnClick(nbRefresh);
    EXPECT_EQ(table.RecNo(), 1);
    nav->BtnClick(nbFirst);
    EXPECT_EQ(table.RecNo(), 0);
}

TEST_F(DBControlsTest, RemovingTheSourceOrTheDataSetClearsTheLinks) {
    auto* edit = new TDBEdit(&form);
    edit->SetDataSource(&source);
    edit->SetDataField("NAME");
    auto* other = new TDataSource(&form);
    other->SetDataSet(&table);
    auto* grid = new TDBGrid(&form);
    grid->SetDataSource(other);
    ASSERT_TRUE(table.Open());
    delete other;
    EXPECT_EQ(grid->DataSource(), nullptr);
    EXPECT_TRUE(grid->Columns().empty());
    auto* t2 = new TTable(&form);
    source.SetDataSet(t2);
    delete t2;
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(DBControlsTest, GridColumnsAndCells) {
    auto* grid = new TDBGrid(&form);
    grid->SetDataSource(&source);
    grid->SetBounds(0, 0, 300, 18 * 3);  // titles and two rows
    ASSERT_TRUE(table.Open());
    table.FindField("ACTIVE")->SetVisible(false);
    table.FindField("PRICE")->SetDisplayFormat("#,##0.00");
    std::vector<TDBGrid::Column> cols = grid->Columns();
    ASSERT_EQ(cols.size(), 6u);
    EXPECT_EQ(cols[2].Title, "KIND");
    EXPECT_EQ(grid->VisibleRowCount(), 2);
    EXPECT_EQ(grid->CellText(0, 1), "Ann");
    EXPECT_EQ(grid->CellText(1, 1), "Bob");
    EXPECT_EQ(grid->CellText(2, 1), "Cy");
    EXPECT_EQ(grid->CellText(2, 5), "30.00");
    EXPECT_EQ(grid->CellText(0, 3), "(Memo)");
    EXPECT_EQ(grid->CellText(1, 4), "(Graphic)");
    EXPECT_EQ(grid->CellText(3, 1), "");
    grid->CustomColumns().push_back(TDBGridColumn{"PRICE", "Price", 80});
    grid->CustomColumns().push_back(TDBGridColumn{"GONE", "", 0});
    cols = grid->Columns();
    ASSERT_EQ(cols.size(), 2u);
    EXPECT_EQ(cols[0].Title, "Price");
    EXPECT_EQ(cols[0].Width, 80);
    EXPECT_EQ(cols[1].Field, nullptr);
    EXPECT_EQ(grid->CellText(1, 1), "");
    EXPECT_EQ(grid->Options() & (1u << dgTitles), 1u << dgTitles);
}

TEST(DBGridLarge, ScrollingAMillionRowsReadsOnlyTheWindow) {
    TempDb db;
    db.Exec("CREATE TABLE big (ID INTEGER PRIMARY KEY, NAME TEXT)");
    db.Exec("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) "
            "INSERT INTO big SELECT x, 'row ' || x FROM c");
    TForm form(nullptr);
    TTable t(&form);
    t.SetDatabaseName(db.Path());
    t.SetTableName("big");
    TDataSource s(&form);
    s.SetDataSet(&t);
    auto* grid = new TDBGrid(&form);
    grid->SetBounds(0, 0, 200, 18 * 21);
    grid->SetDataSource(&s);
    ASSERT_TRUE(t.Open());
    ASSERT_EQ(grid->VisibleRowCount(), 20);
    for (std::int64_t top : {0, 250000, 999980, 999990}) {
        grid->SetTopRow(top);
        for (int r = 0; r < 20; ++r)
            EXPECT_EQ(grid->CellText(grid->TopRow() + r, 1), "row " + std::to_string(grid->TopRow() + r + 1));
    }
    EXPECT_EQ(grid->TopRow(), 999980);  // the last window is full
    EXPECT_LE(grid->RowsFetched(), 4 * 20);
}

TEST(DataForms, AFormFileHoldsTablesSourcesAndControls) {
    RegisterDataClasses();
    TempDb db;
    db.Exec("CREATE TABLE people (ID INTEGER, NAME TEXT)");
    db.Exec("INSERT INTO people VALUES (7,'Zed')");
    const std::string text =
        "object Frm: TForm\n"
        "  object Table1: TTable\n"
        "    DatabaseName = 'test.db'\n"
        "    TableName = 'people'\n"
        "    Active = True\n"
        "  end\n"
        "  object Source1: TDataSource\n"
        "    DataSet = Table1\n"
        "  end\n"
        "  object Edit1: TDBEdit\n"
        "    DataSource = Source1\n"
        "    DataField = 'NAME'\n"
        "  end\n"
        "  object Grid1: TDBGrid\n"
        "    DataSource = Source1\n"
        "    Options = [dgTitles, dgColLines]\n"
        "    TitleFont.Height = -15\n"
        "  end\n"
        "end\n";
    TForm form(nullptr);
    TFormReadOptions options;
    options.fileName = db.Folder() + "/people.form";
    Result<void> err = ReadComponent(text, form, options);
    ASSERT_TRUE(err) << err.reason();
    auto* table = dynamic_cast<TTable*>(form.FindComponent("Table1"));
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->Active()) << table->LastError();
    EXPECT_EQ(table->DatabasePath(), db.Folder() + "/test.db");
    auto* edit = dynamic_cast<TDBEdit*>(form.FindComponent("Edit1"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Text(), "Zed");
    auto* grid = dynamic_cast<TDBGrid*>(form.FindComponent("Grid1"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->Options(), (1u << dgTitles) | (1u << dgColLines));
    EXPECT_EQ(grid->TitleFont().Height(), -15);
    std::string written = WriteComponent(form);
    EXPECT_NE(written.find("Options = [dgTitles, dgColLines]"), std::string::npos) << written;
    EXPECT_NE(written.find("DataField = 'NAME'"), std::string::npos) << written;

    // A database that is missing refuses the file at the table's line, the table closed.
    TForm other(nullptr);
    options.fileName = db.Folder() + "/sub/people.form";
    err = ReadComponent(text, other, options);
    ASSERT_FALSE(err);
    EXPECT_EQ(err.reason(), db.Folder() + "/sub/people.form:2: Table1: 'test.db': no such file");
    auto* t2 = dynamic_cast<TTable*>(other.FindComponent("Table1"));
    EXPECT_FALSE(t2->Active());
    EXPECT_EQ(t2->Where(), db.Folder() + "/sub/people.form:2: ");
}

TEST(DataForms, FieldsAControlNamesMustExistInItsOpenDataset) {
    RegisterDataClasses();
    TempDb db;
    db.Exec("CREATE TABLE people (ID INTEGER, NAME TEXT)");
    const auto read = [&](const std::string& control, const std::string& field) {
        const std::string text =
            "object Frm: TForm\n"
            "  object Source1: TDataSource\n"
            "    DataSet = Table1\n"
            "  end\n"
            "  object Ctl: " +
            control +
            "\n"
            "    DataSource = Source1\n"
            "    DataField = '" +
            field +
            "'\n"
            "  end\n"
            "  object Table1: TTable\n"
            "    DatabaseName = 'test.db'\n"
            "    TableName = 'people'\n"
            "    Active = True\n"
            "  end\n"
            "end\n";
        TForm form(nullptr);
        TFormReadOptions options;
        options.fileName = db.Folder() + "/f.form";
        Result<void> r = ReadComponent(text, form, options);
        return r ? std::string("ok") : r.reason();
    };
    // The control comes before its table in the file: checked once everything is loaded.
    for (const char* cls : {"TDBEdit", "TDBText", "TDBMemo", "TDBCheckBox", "TDBRadioGroup",
                            "TDBComboBox", "TDBImage"}) {
        EXPECT_EQ(read(cls, "NAME"), "ok") << cls;
        EXPECT_EQ(read(cls, "name"), "ok") << cls;  // names compare without case
        EXPECT_EQ(read(cls, "NAMEX"),
                  db.Folder() + "/f.form:5: Ctl: field 'NAMEX' not found in Table1")
            << cls;
    }
    EXPECT_EQ(read("TDBEdit", ""), "ok");  // no field named: nothing to find

    // A grid's own columns name their fields too.
    TForm form(nullptr);
    TTable table(&form);
    table.SetName("Table1");
    table.SetDatabaseName(db.Path());
    table.SetTableName("people");
    TDataSource source(&form);
    source.SetDataSet(&table);
    auto* grid = new TDBGrid(&form);
    grid->SetName("Grid1");
    grid->SetDataSource(&source);
    grid->CustomColumns().push_back(TDBGridColumn{"NAME", "Name", 0});
    grid->CustomColumns().push_back(TDBGridColumn{"AGE", "Age", 0});
    EXPECT_EQ(grid->LoadProblem(), "");  // closed: nothing to say yet
    ASSERT_TRUE(table.Open());
    EXPECT_EQ(grid->LoadProblem(), "Grid1: column field 'AGE' not found in Table1");
    grid->CustomColumns().pop_back();
    EXPECT_EQ(grid->LoadProblem(), "");
}


// The grid's columns as a form file gives them: titles, widths, fields, visibility and
// alignment; a column of a missing field keeps its name; written back as they were read.
TEST(DataForms, AGridTakesItsColumnsFromTheFormFile) {
    RegisterDataClasses();
    TempDb db;
    db.Exec("CREATE TABLE people (ID INTEGER, NAME TEXT, FEE MONEY)");
    db.Exec("INSERT INTO people VALUES (7,'Zed',12.5)");
    const std::string known =
        "    Columns = <\n"
        "      item\n"
        "        Width = 120\n"
        "        FieldName = 'NAME'\n"
        "        Title.Caption = 'Member'\n"
        "      end\n"
        "      item\n"
        "        Alignment = taCenter\n"
        "        FieldName = 'FEE'\n"
        "      end\n"
        "      item\n"
        "        FieldName = 'ID'\n"
        "        Visible = False\n"
        "      end";
    const auto formText = [](const std::string& columns) {
        return "object Frm: TForm\n"
               "  object Table1: TTable\n"
               "    DatabaseName = 'test.db'\n"
               "    TableName = 'people'\n"
               "    Active = True\n"
               "  end\n"
               "  object Source1: TDataSource\n"
               "    DataSet = Table1\n"
               "  end\n"
               "  object Grid1: TDBGrid\n"
               "    DataSource = Source1\n" +
               columns + "  end\nend\n";
    };
    TFormReadOptions options;
    options.fileName = db.Folder() + "/people.form";
    {
        // A column of a field the table does not have refuses the form, naming both.
        TForm form(nullptr);
        Result<void> err = ReadComponent(
            formText(known + "\n      item\n        FieldName = 'NMAE'\n      end>\n"), form,
            options);
        ASSERT_FALSE(err);
        EXPECT_EQ(err.reason(),
                  db.Folder() + "/people.form:10: Grid1: column field 'NMAE' not found in Table1");
    }
    const std::string columns = known + ">\n";
    TForm form(nullptr);
    Result<void> err = ReadComponent(formText(columns), form, options);
    ASSERT_TRUE(err) << err.reason();
    auto* grid = dynamic_cast<TDBGrid*>(form.FindComponent("Grid1"));
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->CustomColumns().size(), 3u);
    const auto cols = grid->Columns();  // the hidden ID column is not shown
    ASSERT_EQ(cols.size(), 2u);
    EXPECT_EQ(cols[0].Title, "Member");
    EXPECT_EQ(cols[0].Width, 120);
    EXPECT_EQ(cols[0].Alignment, taLeftJustify);
    ASSERT_NE(cols[1].Field, nullptr);
    EXPECT_EQ(cols[1].Field->FieldName(), "FEE");
    EXPECT_EQ(cols[1].Title, "FEE");  // the field's own label
    EXPECT_EQ(cols[1].Alignment, taCenter);
    EXPECT_EQ(grid->CellText(0, 0), "Zed");
    const std::string written = WriteComponent(form);
    EXPECT_NE(written.find(columns), std::string::npos) << written;
}

TEST(DataForms, BadColumnsAndTenThousandColumns) {
    RegisterDataClasses();
    struct Case {
        std::string columns, error;
    };
    const Case cases[] = {
        {"Columns = 3", "g.form:3: wrong value type for 'Columns': a collection of items expected"},
        {"Columns = < FieldName = 'A' >",
         "g.form:3: 'item' or '>' expected for the collection begun on line 3 but 'FieldName' found"},
        {"Columns = < item\n Colour = 1\n end >",
         "g.form:4: unknown property 'Colour' of an item of 'Columns'"},
        {"Columns = < item\n Width = -1\n end >", "g.form:4: value out of range for 'Width'"},
        {"Columns = < item\n Columns = < >\n end >",
         "g.form:4: a collection cannot be a value of an item"},
        // Without its '>', the collection runs into the end of the grid.
        {"Columns = < item\n FieldName = 'A'\n end",
         "g.form:6: 'item' or '>' expected for the collection begun on line 3 but 'end' found"},
    };
    for (const Case& c : cases) {
        TForm form(nullptr);
        TFormReadOptions options;
        options.fileName = "g.form";
        const Result<void> err =
            ReadComponent("object F: TForm\n  object G: TDBGrid\n" + c.columns + "\n  end\nend\n",
                          form, options);
        ASSERT_FALSE(err) << c.columns;
        EXPECT_EQ(err.reason(), c.error);
    }
    std::string many = "object F: TForm\n  object G: TDBGrid\n    Columns = <";
    for (int i = 0; i < 10000; ++i) many += " item FieldName = 'F" + std::to_string(i) + "' end";
    many += ">\n  end\nend\n";
    TForm form(nullptr);
    ASSERT_TRUE(ReadComponent(many, form));
    auto* grid = dynamic_cast<TDBGrid*>(form.FindComponent("G"));
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->CustomColumns().size(), 10000u);
    EXPECT_EQ(grid->CustomColumns()[9999].FieldName, "F9999");
    EXPECT_EQ(grid->Columns().size(), 10000u);
    // More items than a form file may hold objects is refused, as objects are.
    std::string tooMany = "object F: TForm\n  object G: TDBGrid\n    Columns = <";
    for (int i = 0; i < kMaxFormObjects; ++i) tooMany += " item end";
    tooMany += ">\n  end\nend\n";
    TForm other(nullptr);
    const Result<void> refused = ReadComponent(tooMany, other);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.reason().find("objects in one form file"), std::string::npos) << refused.reason();
}

}  // namespace
}  // namespace quillon
