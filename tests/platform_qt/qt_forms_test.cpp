// SPDX-License-Identifier: GPL-2.0-or-later
// Forms and controls as real windows: geometry in pixels, fonts, colours,
// hints, cursors, focus and tab order, modal showing, closing, mouse.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "platform/gdi/screen.h"
#include "tests/platform_qt/qt_host_support.h"

namespace quillon::qttest {
namespace {

TEST(FormGeometry, ControlsSitAtTheirPixelsAndTheWindowHasTheClientSize) {
    TestForm form(584, 328);
    auto* edit = form.Add<TEdit>("Vowels", 24, 35, 358, 30);
    auto* panel = form.Add<TPanel>("Panel1", 22, 211, 363, 95);
    panel->SetBorderStyle(bsSingle);
    auto* inner = form.Add<TLabel>("V1", 92, 25, 20, 13, panel);
    inner->SetAutoSize(false);
    auto* button = form.Add<TButton>("ClearBtn", 410, 211, 60, 25);
    form->Show();
    QWidget* window = WidgetOf(form.get());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->size(), QSize(584, 328));
    EXPECT_EQ(window->devicePixelRatioF(), 1.0);
    EXPECT_EQ(WidgetOf(edit)->geometry(), QRect(24, 35, 358, 30));
    EXPECT_EQ(WidgetOf(panel)->geometry(), QRect(22, 211, 363, 95));
    // Inside a bordered panel the client area starts 2 pixels in.
    EXPECT_EQ(WidgetOf(inner)->geometry(), QRect(94, 27, 20, 13));
    EXPECT_EQ(WidgetOf(inner)->parentWidget(), WidgetOf(panel));
    EXPECT_EQ(WidgetOf(button)->geometry(), QRect(410, 211, 60, 25));
    // The program moves a control: the widget follows.
    button->SetBounds(400, 200, 70, 30);
    EXPECT_EQ(WidgetOf(button)->geometry(), QRect(400, 200, 70, 30));
    // A form that is not sizeable keeps its size.
    EXPECT_EQ(window->minimumSize(), QSize(584, 328));
    EXPECT_EQ(window->maximumSize(), QSize(584, 328));
}

TEST(FormGeometry, ASizeableFormTakesTheSizeItsWindowIsGivenHoweverItArrives) {
    // A window manager's size can reach the window while the model is being written into
    // it (a window maximised as it is mapped): such a resize is not a spontaneous one, and
    // the model kept its design size for good, laid out for 800 x 600 in a larger window.
    TestForm form(800, 600);
    form->SetBorderStyle(bsSizeable);
    std::vector<std::string> log;
    form->OnResize = [&](TObject*) {
        log.push_back(std::to_string(form->ClientWidth()) + "x" +
                      std::to_string(form->ClientHeight()));
    };
    form->Show();
    QWidget* window = WidgetOf(form.get());
    ASSERT_NE(window, nullptr);
    log.clear();
    window->resize(1200, 750);  // from the toolkit's side, not through the model
    QTest::qWait(20);
    EXPECT_EQ(form->ClientWidth(), 1200);
    EXPECT_EQ(form->ClientHeight(), 750);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "1200x750");
    // The model's own change of size stays the model's: no echo puts an old size back.
    form->SetClientWidth(900);
    QTest::qWait(20);
    EXPECT_EQ(window->width(), 900);
    EXPECT_EQ(form->ClientWidth(), 900);
    EXPECT_EQ(form->ClientHeight(), 750);
}

TEST(FormGeometry, AFormCentredOnTheScreenIsPlacedByItsOuterSize) {
    TestForm form(392, 224);
    form->SetPosition(poScreenCenter);
    form->Show();
    const int expectedLeft = (Screen().Width() - form->Width()) / 2;
    const int expectedTop = (Screen().Height() - form->Height()) / 2;
    EXPECT_EQ(form->Left(), expectedLeft);
    EXPECT_EQ(form->Top(), expectedTop);
    EXPECT_EQ(WidgetOf(form.get())->pos(), QPoint(expectedLeft, expectedTop));
    // The frame of a single border: 3 pixels each side, a 19-pixel caption.
    EXPECT_EQ(form->Width(), 392 + 6);
    EXPECT_EQ(form->Height(), 224 + 6 + 19);
}

TEST(FormLook, FontsAndColoursComeFromTheModel) {
    TestForm form;
    form->SetColor(clBtnFace);
    auto* edit = form.Add<TEdit>("Data", 8, 8, 200, 30);
    edit->Font().SetName("Courier New");
    edit->Font().SetHeight(-19);
    edit->Font().SetStyle({fsBold});
    edit->Font().SetColor(clRed);
    auto* button = form.Add<TButton>("Btn", 8, 50, 75, 25);
    button->Font().SetName("Arial");
    button->Font().SetHeight(-13);
    auto* white = form.Add<TEdit>("White", 8, 90, 100, 21);
    white->SetColor(clWhite);
    auto* system = form.Add<TEdit>("System", 8, 120, 100, 21);
    system->Font().SetName("System");
    form->Show();
    const QFont f = WidgetOf(edit)->font();
    EXPECT_EQ(f.family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(f.pixelSize(), 19);
    EXPECT_TRUE(f.bold());
    EXPECT_EQ(WidgetOf(edit)->palette().color(QPalette::Active, QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(WidgetOf(button)->font().family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(WidgetOf(button)->font().pixelSize(), 13);
    EXPECT_EQ(WidgetOf(system)->font().family(), QStringLiteral("Liberation Sans"));
    // "MS Sans Serif" of the form, inherited by the edit through ParentFont.
    EXPECT_EQ(WidgetOf(white)->font().family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(WidgetOf(white)->palette().color(QPalette::Base), QColor(255, 255, 255));
    const TColor face = ColorToRGB(clBtnFace);
    EXPECT_EQ(WidgetOf(form.get())->palette().color(QPalette::Window),
              QColor(face & 0xFF, (face >> 8) & 0xFF, (face >> 16) & 0xFF));
    // A later change of the font reaches the widget.
    edit->Font().SetHeight(-24);
    EXPECT_EQ(WidgetOf(edit)->font().pixelSize(), 24);
}

TEST(FormLook, HintsAreToolTipsWhenShownAndCursorsFollowTheirNames) {
    TestForm form;
    form->SetShowHint(true);
    auto* edit = form.Add<TEdit>("Vowels", 8, 8, 100, 21);
    edit->SetHint("Analysis Only.");
    auto* link = form.Add<TLabel>("Label2", 8, 40, 100, 13);
    link->SetHint("http://example.org|the long text");
    link->SetCursor(CursorByName("crHandPoint", crDefault));
    auto* quiet = form.Add<TButton>("Quiet", 8, 60, 75, 25);
    quiet->SetHint("not shown");
    quiet->SetShowHint(false);
    auto* odd = form.Add<TButton>("Odd", 8, 90, 75, 25);
    odd->SetCursor(CursorByName("crNoSuchCursor", crArrow));
    form->Show();
    EXPECT_EQ(WidgetOf(edit)->toolTip(), QStringLiteral("Analysis Only."));
    EXPECT_EQ(WidgetOf(link)->toolTip(), QStringLiteral("http://example.org"));
    EXPECT_EQ(WidgetOf(quiet)->toolTip(), QString());
    EXPECT_EQ(WidgetOf(link)->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(WidgetOf(odd)->cursor().shape(), Qt::ArrowCursor);
    edit->SetHint("Changed");
    EXPECT_EQ(WidgetOf(edit)->toolTip(), QStringLiteral("Changed"));
}

TEST(FormFocus, TabFollowsTheModelsTabOrderAndFiresExitThenEnter) {
    TestForm form;
    auto* a = form.Add<TEdit>("A", 8, 8, 100, 21);
    auto* b = form.Add<TEdit>("B", 8, 38, 100, 21);
    auto* skip = form.Add<TEdit>("Skip", 8, 68, 100, 21);
    skip->SetTabStop(false);
    auto* c = form.Add<TButton>("C", 8, 98, 75, 25);
    c->SetTabOrder(0);  // first, before A
    std::vector<std::string> log;
    for (TWinControl* w : std::vector<TWinControl*>{a, b, skip, c}) {
        w->OnEnter = [&log, w](TObject*) { log.push_back("enter " + w->Name()); };
        w->OnExit = [&log, w](TObject*) { log.push_back("exit " + w->Name()); };
    }
    form->Show();
    EXPECT_EQ(form->ActiveControl(), c);
    QApplication::setActiveWindow(WidgetOf(form.get()));
    QTest::keyClick(WidgetOf(c), Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), a);
    QTest::keyClick(WidgetOf(a), Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), b);
    QTest::keyClick(WidgetOf(b), Qt::Key_Tab);
    EXPECT_EQ(form->ActiveControl(), c);  // Skip has no tab stop
    QTest::keyClick(WidgetOf(c), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(form->ActiveControl(), b);
    const std::vector<std::string> expected{"enter C", "exit C",  "enter A", "exit A", "enter B",
                                            "exit B",  "enter C", "exit C",  "enter B"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(WidgetOf(b)->hasFocus());
    // Focus set by the program moves the widget's focus.
    a->SetFocus();
    EXPECT_TRUE(WidgetOf(a)->hasFocus());
    // Clicking into a field without a tab stop focuses it.
    QTest::mouseClick(WidgetOf(skip), Qt::LeftButton);
    EXPECT_EQ(form->ActiveControl(), skip);
}

// A dialog as the message windows of the program have them.
class ModalDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog->SetName("AskFrm");
        edit = dialog.Add<TEdit>("Edit1", 8, 8, 150, 21);
        ok = dialog.Add<TButton>("OkBtn", 8, 60, 75, 25);
        ok->SetCaption("OK");
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        cancel = dialog.Add<TButton>("CancelBtn", 100, 60, 75, 25);
        cancel->SetCaption("Cancel");
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
    }
    // Runs `script` once the dialog is up, then shows it modally.
    int Run(std::function<void()> script) {
        QTimer::singleShot(0, [this, script] {
            EXPECT_TRUE(dialog->Visible());
            EXPECT_TRUE(WidgetOf(dialog.get())->isModal());
            script();
        });
        return dialog->ShowModal();
    }

    TestForm dialog{200, 100};
    TEdit* edit = nullptr;
    TButton* ok = nullptr;
    TButton* cancel = nullptr;
};

TEST_F(ModalDialog, EnterPressesTheDefaultButton) {
    EXPECT_EQ(Run([&] {
                  QTest::keyClicks(WidgetOf(edit), "x");
                  QTest::keyClick(WidgetOf(edit), Qt::Key_Return);
              }),
              mrOk);
    EXPECT_EQ(edit->Text(), "x");
    EXPECT_FALSE(dialog->Visible());
    EXPECT_FALSE(WidgetOf(dialog.get())->isVisible());
}

TEST_F(ModalDialog, EscPressesTheCancelButton) {
    EXPECT_EQ(Run([&] { QTest::keyClick(WidgetOf(edit), Qt::Key_Escape); }), mrCancel);
}

TEST_F(ModalDialog, AButtonClickGivesItsModalResult) {
    cancel->SetModalResult(mrNo);
    EXPECT_EQ(Run([&] { QTest::mouseClick(WidgetOf(cancel), Qt::LeftButton); }), mrNo);
}

TEST_F(ModalDialog, TheTitleBarsCloseBoxCancels) {
    EXPECT_EQ(Run([&] { WidgetOf(dialog.get())->close(); }), mrCancel);
    EXPECT_FALSE(dialog->Visible());
}

TEST_F(ModalDialog, OnCloseQueryCanKeepTheDialogOpen) {
    int asked = 0;
    dialog->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
    EXPECT_EQ(Run([&] {
                  QTest::mouseClick(WidgetOf(ok), Qt::LeftButton);  // refused
                  QTimer::singleShot(0, [&] {
                      EXPECT_TRUE(dialog->Visible());
                      QTest::mouseClick(WidgetOf(ok), Qt::LeftButton);
                  });
              }),
              mrOk);
    EXPECT_EQ(asked, 2);
}

TEST_F(ModalDialog, CanBeShownAgainAndTheHandlerMaySetTheResult) {
    ok->OnClick = [&](TObject*) { dialog->SetModalResult(mrRetry); };
    EXPECT_EQ(Run([&] { QTest::mouseClick(WidgetOf(ok), Qt::LeftButton); }), mrRetry);
    EXPECT_EQ(Run([&] { QTest::keyClick(WidgetOf(edit), Qt::Key_Escape); }), mrCancel);
}

TEST(FormClose, ClosingAFormHidesItAndTheMainFormEndsTheProgram) {
    TestForm main;
    TestForm other;
    Application().SetMainForm(main.get());
    main->Show();
    other->Show();
    WidgetOf(other.get())->close();
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(WidgetOf(other.get())->isVisible());
    EXPECT_FALSE(Application().Terminated());
    WidgetOf(main.get())->close();
    EXPECT_TRUE(Application().Terminated());
    Application().ClearTerminated();
    Application().SetMainForm(nullptr);
    // Hide from the program.
    other->Show();
    other->Hide();
    EXPECT_FALSE(WidgetOf(other.get())->isVisible());
}

TEST(FormWindow, CaptionBorderAndIconsBecomeTheWindowsTitleAndButtons) {
    TestForm form;
    form->SetCaption("Internet Resources");
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons({});
    form->Show();
    QWidget* w = WidgetOf(form.get());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Internet Resources"));
    EXPECT_FALSE(w->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    form->SetBorderStyle(bsSingle);
    form->SetBorderIcons({biSystemMenu, biMinimize});
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(ControlsInput, ButtonsCheckBoxesAndRadioButtonsReportClicksToTheModel) {
    TestForm form;
    auto* button = form.Add<TButton>("Btn", 8, 8, 75, 25);
    auto* check = form.Add<TCheckBox>("Check", 8, 40, 97, 17);
    auto* r1 = form.Add<TRadioButton>("R1", 8, 70, 113, 17);
    auto* r2 = form.Add<TRadioButton>("R2", 8, 90, 113, 17);
    std::vector<std::string> log;
    for (TControl* c : std::vector<TControl*>{button, check, r1, r2}) {
        c->SetCaption(c->Name());
        c->OnClick = [&log, c](TObject*) { log.push_back(c->Name()); };
    }
    form->Show();
    // On the box and the caption (where a click counts).
    const QPoint box(8, 8);
    QTest::mouseClick(WidgetOf(button), Qt::LeftButton);
    QTest::keyClick(WidgetOf(button), Qt::Key_Space);
    QTest::mouseClick(WidgetOf(check), Qt::LeftButton, Qt::NoModifier, box);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(WidgetAs<QCheckBox>(check)->checkState(), Qt::Checked);
    QTest::mouseClick(WidgetOf(r1), Qt::LeftButton, Qt::NoModifier, box);
    QTest::mouseClick(WidgetOf(r2), Qt::LeftButton, Qt::NoModifier, box);
    EXPECT_FALSE(r1->Checked());
    EXPECT_TRUE(r2->Checked());
    EXPECT_FALSE(WidgetAs<QRadioButton>(r1)->isChecked());
    EXPECT_TRUE(WidgetAs<QRadioButton>(r2)->isChecked());
    const std::vector<std::string> expected{"Btn", "Btn", "Check", "R1", "R2"};
    EXPECT_EQ(log, expected);
    // The program checks: the widget shows it.
    check->SetChecked(false);
    EXPECT_EQ(WidgetAs<QCheckBox>(check)->checkState(), Qt::Unchecked);
    // A disabled button takes no clicks.
    button->SetEnabled(false);
    EXPECT_FALSE(WidgetOf(button)->isEnabled());
    QTest::mouseClick(WidgetOf(button), Qt::LeftButton);
    EXPECT_EQ(log.size(), expected.size() + 1);  // only the check box's OnClick above
}

TEST(ControlsInput, LabelsTakeClicksAndMouseDownWithClientCoordinates) {
    TestForm form;
    auto* label = form.Add<TLabel>("Label1", 20, 20, 80, 13);
    std::vector<std::string> log;
    label->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        log.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," +
                      std::to_string(y));
    };
    label->OnClick = [&](TObject*) { log.push_back("click"); };
    form->Show();
    QTest::mouseClick(WidgetOf(label), Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
    const std::vector<std::string> expected{"down 0 5,6", "click"};
    EXPECT_EQ(log, expected);
}

TEST(ControlsInput, ComboBoxesListTheModelsItemsAndReportThePick) {
    TestForm form;
    auto* combo = form.Add<TComboBox>("Combo", 8, 8, 145, 21);
    combo->SetStyle(csDropDownList);
    combo->Items().Add("Pythagorean");
    combo->Items().Add("Chaldean");
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    form->Show();
    auto* box = WidgetAs<QComboBox>(combo);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(1), QStringLiteral("Chaldean"));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), 0);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "Chaldean");
    EXPECT_EQ(changes, 2);
    combo->SetItemIndex(0);
    EXPECT_EQ(box->currentIndex(), 0);
}

TEST(ControlsInput, AnEditableComboBoxTypesWhereTheCaretIs) {
    TestForm form;
    auto* combo = form.Add<TComboBox>("Combo", 8, 8, 145, 21);
    combo->Items().Add("abc");
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    form->Show();
    QLineEdit* line = WidgetAs<QComboBox>(combo)->lineEdit();
    ASSERT_NE(line, nullptr);
    combo->SetText("ac");
    changes = 0;
    line->setCursorPosition(1);
    QTest::keyClicks(line, "b");
    EXPECT_EQ(combo->Text(), "abc");
    EXPECT_EQ(line->text(), QStringLiteral("abc"));
    EXPECT_EQ(line->cursorPosition(), 2);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(changes, 1);
}

TEST(Containers, GroupBoxesRadioGroupsAndScrollBoxesHoldTheirChildren) {
    TestForm form(400, 300);
    auto* group = form.Add<TGroupBox>("Group", 8, 8, 185, 105);
    group->SetCaption("Options");
    auto* inGroup = form.Add<TEdit>("InGroup", 10, 30, 100, 21, group);
    auto* radios = form.Add<TRadioGroup>("Radios", 200, 8, 185, 105);
    radios->Items().Add("One");
    radios->Items().Add("Two");
    radios->Items().Add("Three");
    radios->SetItemIndex(1);
    auto* scroll = form.Add<TScrollBox>("Scroll", 8, 150, 200, 100);
    auto* far = form.Add<TButton>("Far", 20, 300, 75, 25, scroll);
    form->Show();
    auto* box = WidgetAs<QGroupBox>(group);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), QStringLiteral("Options"));
    EXPECT_EQ(WidgetOf(inGroup)->parentWidget(), box);
    EXPECT_EQ(WidgetOf(inGroup)->geometry(), QRect(10, 30, 100, 21));
    const QList<QRadioButton*> entries = WidgetOf(radios)->findChildren<QRadioButton*>();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[1]->isChecked());
    int clicks = 0;
    radios->OnClick = [&](TObject*) { ++clicks; };
    QTest::mouseClick(entries[2], Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    EXPECT_EQ(radios->ItemIndex(), 2);
    EXPECT_FALSE(entries[1]->isChecked());
    EXPECT_TRUE(entries[2]->isChecked());
    EXPECT_EQ(clicks, 1);
    auto* area = WidgetAs<QScrollArea>(scroll);
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(WidgetOf(far)->parentWidget(), area->widget());
    EXPECT_GE(area->widget()->height(), 325);
    // Scrolling by the program moves the view, not the child within the content.
    scroll->VertScrollBar().SetPosition(100);
    EXPECT_EQ(far->Top(), 200);
    EXPECT_EQ(WidgetOf(far)->geometry().topLeft(), QPoint(20, 300));
    EXPECT_EQ(area->verticalScrollBar()->value(), 100);
    // Scrolling in the widget moves the model's children.
    area->verticalScrollBar()->setValue(50);
    EXPECT_EQ(scroll->VertScrollBar().Position(), 50);
    EXPECT_EQ(far->Top(), 250);
}

TEST(Containers, StringGridsShowCellsAndReportEdits) {
    TestForm form(400, 200);
    auto* grid = form.Add<TStringGrid>("Grid", 8, 8, 320, 120);
    grid->SetColCount(3);
    grid->SetRowCount(3);
    grid->SetColWidths(1, 100);
    grid->SetOptions(grid->Options() + goEditing);
    grid->SetCells(0, 0, "name");
    grid->SetCells(1, 1, "cell");
    form->Show();
    Pump();
    auto* table = WidgetAs<QTableView>(grid);
    ASSERT_NE(table, nullptr);
    QAbstractItemModel* model = table->model();
    auto text = [&](int row, int col) { return model->index(row, col).data().toString(); };
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->columnCount(), 3);
    EXPECT_EQ(table->columnWidth(1), 100);
    EXPECT_EQ(table->rowHeight(0), 24);
    EXPECT_EQ(text(1, 1), QStringLiteral("cell"));
    EXPECT_EQ(text(0, 0), QStringLiteral("name"));
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(1, 1)) & Qt::ItemIsEditable);
    grid->SetCells(2, 2, "later");
    RefreshGridWidget(*grid);
    EXPECT_EQ(text(2, 2), QStringLiteral("later"));
    // An edit committed in the widget reaches the grid.
    EXPECT_TRUE(model->setData(model->index(1, 1), QStringLiteral("typed"), Qt::EditRole));
    EXPECT_EQ(grid->Cells(1, 1), "typed");
    // Rows and columns added and removed by the program reach the widget, the texts with them.
    grid->SetRowCount(5);
    grid->SetCells(0, 4, "last");
    grid->SetColCount(2);
    RefreshGridWidget(*grid);
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(model->columnCount(), 2);
    EXPECT_EQ(text(4, 0), QStringLiteral("last"));
    EXPECT_EQ(text(2, 2), QString());
    grid->SetColCount(3);
    RefreshGridWidget(*grid);
    // The current cell: a refused one snaps back.
    grid->OnSelectCell = [](TObject*, int col, int, bool& can) { can = col != 2; };
    table->setCurrentIndex(model->index(2, 1));
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);
    table->setCurrentIndex(model->index(2, 2));
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(table->currentIndex().column(), 1);
}

TEST(Containers, EmptyFixedCellsHoldNoItemYetShowTheFixedColourAndAreNotEdited) {
    // The widget reads the grid's texts: an empty cell has none, and costs the widget nothing.
    TestForm form(400, 200);
    auto* grid = form.Add<TStringGrid>("Grid", 8, 8, 320, 150);
    grid->SetColCount(3);
    grid->SetRowCount(3);
    grid->SetFixedColor(0x00FF0000);  // blue
    grid->SetColor(clWhite);
    grid->SetOptions(grid->Options() + goEditing);
    grid->SetCells(1, 0, "head");
    form->Show();
    Pump();
    auto* table = WidgetAs<QTableView>(grid);
    ASSERT_NE(table, nullptr);
    EXPECT_FALSE(table->model()->index(0, 0).data().isValid());
    EXPECT_FALSE(table->model()->index(2, 0).data().isValid());
    EXPECT_EQ(table->model()->index(0, 1).data().toString(), QStringLiteral("head"));
    const QImage shot = table->viewport()->grab().toImage();
    const QRect fixedCell = table->visualRect(table->model()->index(2, 0));
    const QRect cell = table->visualRect(table->model()->index(2, 2));
    EXPECT_EQ(shot.pixelColor(fixedCell.center() * shot.devicePixelRatio()), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(cell.center() * shot.devicePixelRatio()), QColor(255, 255, 255));
    // An editor is asked for on a fixed cell and on a free one: only the free one gets one.
    QAbstractItemDelegate* delegate = table->itemDelegate();
    EXPECT_EQ(delegate->createEditor(table->viewport(), QStyleOptionViewItem(),
                                     table->model()->index(2, 0)),
              nullptr);
    QWidget* editor = delegate->createEditor(table->viewport(), QStyleOptionViewItem(),
                                             table->model()->index(2, 2));
    EXPECT_NE(editor, nullptr);
    delete editor;
}

TEST(ControlsLifetime, AControlDestroyedByItsOwnClickHandlerLeavesNoDanglingWidget) {
    TestForm form;
    auto* button = form.Add<TButton>("Gone", 8, 8, 75, 25);
    button->OnClick = [&](TObject*) { delete button; };
    form->Show();
    QPointer<QWidget> widget = WidgetOf(button);
    ASSERT_FALSE(widget.isNull());
    QTest::mouseClick(widget, Qt::LeftButton);
    EXPECT_EQ(form->ControlCount(), 0);
    Pump();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(widget.isNull());
}

TEST(ControlsLifetime, AControlAddedToAShownFormAppearsAtOnce) {
    TestForm form;
    form->Show();
    auto* label = form.Add<TLabel>("Late", 8, 8, 50, 13);
    auto* edit = form.Add<TEdit>("LateEdit", 0, 0, 100, 21);
    ASSERT_NE(WidgetOf(label), nullptr);
    EXPECT_TRUE(WidgetOf(label)->isVisible());
    // Graphic controls stay behind window controls whatever the order.
    const QObjectList children = WidgetOf(form.get())->children();
    EXPECT_LT(children.indexOf(WidgetOf(label)), children.indexOf(WidgetOf(edit)));
    label->SetVisible(false);
    EXPECT_FALSE(WidgetOf(label)->isVisible());
}

}  // namespace
}  // namespace quillon::qttest
