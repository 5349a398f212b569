// The print dialog component: what the dialog is shown with, and what a
// confirmed or cancelled dialog leaves in the process-wide printer.

#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/form_file.h"
#include "platform/forms.h"
#include "platform/printer.h"
#include "tests/support/fake_printer.h"

namespace quillon {
namespace {

class PrintDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Headless().Reset();
        backend.AddPrinter("Office Laser", 600, 600, 4800, 6600);
        backend.AddPrinter("Print to PDF", 600, 600, 5100, 6600);
        backend.SetDefaultPrinterIndex(0);
        Printer().SetPrinterIndex(-1);
        Printer().SetOrientation(poPortrait);
    }
    void TearDown() override { Headless().Reset(); }

    testing::TestGraphicsBackend backend;
    ScopedGraphicsBackend use{&backend};
    TPrintDialog dialog{nullptr};
};

TEST_F(PrintDialogTest, TheDialogStartsWithThePrintersAndTheCurrentOne) {
    EXPECT_FALSE(dialog.Execute());
    ASSERT_EQ(Headless().printDialogs.size(), 1u);
    const PrintDialogChoice& shown = Headless().printDialogs[0];
    EXPECT_EQ(shown.printers, (std::vector<std::string>{"Office Laser", "Print to PDF"}));
    EXPECT_EQ(shown.printer, "Office Laser");
    EXPECT_EQ(shown.orientation, poPortrait);
    EXPECT_EQ(shown.copies, 1);
}

TEST_F(PrintDialogTest, AConfirmedChoiceBecomesThePrintersCurrentOne) {
    std::vector<std::string> events;
    dialog.OnShow = [&](TObject*) { events.push_back("show"); };
    dialog.OnClose = [&](TObject*) { events.push_back("close"); };
    Headless().printDialogScripts.push_back([&](PrintDialogChoice& c) {
        events.push_back("dialog");
        c.printer = "Print to PDF";
        c.orientation = poLandscape;
        c.copies = 3;
        return true;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(Printer().PrinterIndex(), 1);
    EXPECT_EQ(Printer().PrinterName(), "Print to PDF");
    EXPECT_EQ(Printer().Orientation(), poLandscape);
    EXPECT_EQ(dialog.Copies(), 3);
    EXPECT_EQ(events, (std::vector<std::string>{"show", "dialog", "close"}));
}

TEST_F(PrintDialogTest, ACancelledDialogChangesNothing) {
    Headless().printDialogScripts.push_back([](PrintDialogChoice& c) {
        c.printer = "Print to PDF";
        c.orientation = poLandscape;
        return false;
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(Printer().PrinterName(), "Office Laser");
    EXPECT_EQ(Printer().Orientation(), poPortrait);
}

TEST_F(PrintDialogTest, APrinterNotInTheListKeepsTheCurrentOne) {
    Headless().printDialogScripts.push_back([](PrintDialogChoice& c) {
        c.printer = "Gone Away";
        return true;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(Printer().PrinterName(), "Office Laser");
}

TEST_F(PrintDialogTest, AFormFileHoldsOneAsItsPrintDialog) {
    TForm form(nullptr);
    TFormReadOptions options;
    options.fileName = "print.form";
    const auto error = ReadComponent(
        "object CalcFrm: TForm\n  object PrintDialog1: TPrintDialog\n    Copies = 2\n  end\nend\n",
        form, options);
    ASSERT_FALSE(error) << error->Text();
    auto* found = dynamic_cast<TPrintDialog*>(form.FindComponent("PrintDialog1"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Copies(), 2);
    EXPECT_NE(WriteComponent(form).find("object PrintDialog1: TPrintDialog\n    Copies = 2\n"),
              std::string::npos);
}

}  // namespace
}  // namespace quillon
