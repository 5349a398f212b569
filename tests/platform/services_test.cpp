// SPDX-License-Identifier: GPL-2.0-or-later
// Application services without a desktop: message boxes, settings, shell
// launch, help, clipboard, cursors and the application object.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/gdi/screen.h"
#include "platform/vcl/std_controls.h"

namespace quillon {
namespace {

class ServicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Headless().Reset();
        Application().ClearTerminated();
    }
    void TearDown() override { Headless().Reset(); }
};

TEST_F(ServicesTest, MessageBoxesAreRecordedAndAnswered) {
    Application().SetTitle("Quillon");
    EXPECT_EQ(Application().MessageBox("The ExecuteWinControl property is empty", "",
                                       MB_OK | MB_ICONINFORMATION),
              IDOK);
    Headless().boxAnswers.push_back(IDNO);
    EXPECT_EQ(Application().MessageBox("Save?", "Print", MB_YESNOCANCEL), IDNO);
    // No answer scripted: the default button.
    EXPECT_EQ(Application().MessageBox("Retry?", "Print", MB_RETRYCANCEL | MB_DEFBUTTON2),
              IDCANCEL);
    ASSERT_EQ(Headless().boxes.size(), 3u);
    EXPECT_EQ(Headless().boxes[0].caption, "Quillon");
    EXPECT_EQ(Headless().boxes[0].flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(Headless().boxes[1].answer, IDNO);
    EXPECT_EQ(MessageBoxAnswers(MB_ABORTRETRYIGNORE),
              (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
    EXPECT_EQ(MessageBoxDefaultAnswer(MB_YESNO), IDYES);
}

TEST_F(ServicesTest, ExceptionMessagesEndWithAFullStop) {
    Application().SetTitle("Quillon");
    Application().HandleException(EConvertError("'x' is not a valid integer value"));
    Application().HandleException(Exception("Done."));
    Application().HandleException(Exception("Really?"));
    Application().HandleException(Exception(""));
    ASSERT_EQ(Headless().boxes.size(), 4u);
    EXPECT_EQ(Headless().boxes[0].text, "'x' is not a valid integer value.");
    EXPECT_EQ(Headless().boxes[1].text, "Done.");
    EXPECT_EQ(Headless().boxes[2].text, "Really?");
    EXPECT_EQ(Headless().boxes[3].text, "");
}

TEST_F(ServicesTest, SettingsAreStringsUnderKeySubkeyAndName) {
    TRegIniFile ini("Tallet.Ini");
    EXPECT_EQ(ini.ReadString("Printer", "PageHeight", "3112"), "3112");
    EXPECT_FALSE(ini.ValueExists("Printer", "PageHeight"));
    ini.WriteString("Printer", "PageHeight", "6600");
    ini.WriteInteger("Printer", "PageWidth", 5100);
    EXPECT_EQ(ini.ReadString("Printer", "PageHeight", "3112"), "6600");
    EXPECT_EQ(ini.ReadInteger("Printer", "PageWidth", 2400), 5100);
    EXPECT_EQ(ini.ReadString("Other", "PageHeight", "none"), "none");
    EXPECT_EQ(TRegIniFile("Other.Ini").ReadString("Printer", "PageHeight", "none"), "none");
    ini.WriteString("Printer", "Zoom", "big");
    EXPECT_EQ(ini.ReadInteger("Printer", "Zoom", 100), 100);  // not an integer: the default
    // The same values with the reason why one cannot be read.
    auto width = ini.ReadIntegerValue("Printer", "PageWidth");
    ASSERT_TRUE(width) << width.reason();
    EXPECT_EQ(*width, 5100);
    EXPECT_EQ(ini.ReadIntegerValue("Printer", "Zoom").reason(),
              "Tallet.Ini\\Printer\\Zoom: 'big' is not an integer");
    EXPECT_EQ(ini.ReadIntegerValue("Printer", "Missing").reason(),
              "Tallet.Ini\\Printer\\Missing: no such value");
    EXPECT_EQ(ini.ReadStringValue("Other", "PageHeight").reason(),
              "Tallet.Ini\\Other\\PageHeight: no such value");
    ini.WriteString("Printer", "Huge", "99999999999");
    EXPECT_FALSE(ini.ReadIntegerValue("Printer", "Huge"));
    EXPECT_EQ(ini.ReadInteger("Printer", "Huge", 7), 7);
    ini.DeleteKey("Printer", "PageHeight");
    EXPECT_FALSE(ini.ValueExists("Printer", "PageHeight"));
}

TEST_F(ServicesTest, ExecuteFileReportsSuccessAboveThirtyTwo) {
    EXPECT_EQ(ExecuteFile("", "", "", 4), 2);  // nothing to open: nothing is asked
    EXPECT_TRUE(Headless().openedDocuments.empty());
    EXPECT_LE(ExecuteFile("http://example.org/", "", "", 4), 32);  // no desktop handler
    Headless().openResult = true;
    const std::string longAddress = "http://example.org/" + std::string(200, 'a');
    EXPECT_GT(ExecuteFile(longAddress, "", "", 4), 32);
    EXPECT_EQ(Headless().openedDocuments,
              (std::vector<std::string>{"http://example.org/", longAddress}));  // passed whole
}

TEST_F(ServicesTest, HelpOpensTheApplicationsHelpFileAtATopic) {
    EXPECT_FALSE(Application().HelpJump("IDH_CONTENTS"));  // no help file: nothing asked
    EXPECT_TRUE(Headless().helpRequests.empty());
    Application().SetHelpFile("tessel.hlp");
    Headless().helpResult = true;
    EXPECT_TRUE(Application().HelpJump("IDH_CONTENTS"));
    ASSERT_EQ(Headless().helpRequests.size(), 1u);
    EXPECT_EQ(Headless().helpRequests[0],
              (std::pair<std::string, std::string>{"tessel.hlp", "IDH_CONTENTS"}));
    Application().SetHelpFile("");
}

TEST_F(ServicesTest, ClipboardCursorsAndBeep) {
    Clipboard().SetAsText("MARY");
    EXPECT_EQ(Clipboard().AsText(), "MARY");
    EXPECT_TRUE(Clipboard().HasText());
    Clipboard().Clear();
    EXPECT_FALSE(Clipboard().HasText());

    EXPECT_EQ(CursorByName("crHandPoint", crDefault), crHandPoint);
    EXPECT_EQ(CursorByName("ATOZ", crNone), crNone);  // no such cursor: the fallback
    RegisterCursorName("ATOZ", 5);
    EXPECT_EQ(CursorByName("atoz", crNone), 5);
    EXPECT_EQ(CursorToIdent(crSQLWait), "crSQLWait");
    Screen().SetCursor(crHourGlass);
    Screen().SetCursor(crHourGlass);
    Screen().SetCursor(crDefault);
    EXPECT_EQ(Headless().cursors, (std::vector<TCursor>{crHourGlass, crDefault}));
    Beep();
    EXPECT_EQ(Headless().beeps, 1);
}

class TMainFrm : public TForm {
  public:
    explicit TMainFrm(TComponent* owner) : TForm(owner) {
        OnShow = [this](TObject*) { shown = true; };
    }
    bool shown = false;
};

TEST_F(ServicesTest, TheApplicationCreatesFormsRunsAndTerminates) {
    TMainFrm* main = nullptr;
    TForm* second = nullptr;
    Application().CreateForm(main);
    Application().CreateForm(second);
    EXPECT_EQ(Application().MainForm(), main);
    EXPECT_EQ(main->Owner(), &Application());
    std::vector<TCustomForm*> forms = Application().Forms();
    EXPECT_EQ(forms, (std::vector<TCustomForm*>{main, second}));
    bool ran = false;
    Headless().runScript = [&](TApplication& app) {
        ran = true;
        EXPECT_TRUE(main->Visible());
        EXPECT_FALSE(second->Visible());
        Headless().pendingEvents.push_back([&] { main->Close(); });
        app.ProcessMessages();
    };
    Application().Run();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(main->shown);
    EXPECT_TRUE(Application().Terminated());
    // Destroying a form clears the application's references to it.
    delete main;
    EXPECT_EQ(Application().MainForm(), nullptr);
    delete second;
    EXPECT_TRUE(Application().Forms().empty());
    Application().ClearTerminated();
}

}  // namespace
}  // namespace quillon
