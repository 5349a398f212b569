// SPDX-License-Identifier: GPL-2.0-or-later
// Program start: title, help file, the windows in their order, the loop.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Inet.h"
#include "app/Y.h"
#include "app/calc_form.h"
#include "app/startup.h"
#include "platform/sys/desktop.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace quillon {
namespace {

std::vector<std::string> FormNames() {
    std::vector<std::string> names;
    for (TCustomForm* f : Application().Forms()) names.push_back(f->Name());
    return names;
}

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Headless().Reset();
        Application().SetTitle("");
        Application().SetHelpFile("");
        Application().ClearTerminated();
    }
    void TearDown() override {
        delete InternetFrm;
        delete YFrm;
        delete CalcFrm;
        Headless().Reset();
    }
};

TEST_F(StartupTest, TitleHelpFileAndTheThreeWindowsInOrder) {
    ASSERT_TRUE(FormNames().empty());
    CreateQuillonForms();
    EXPECT_EQ(Application().Title(), "Quillon");
    EXPECT_EQ(Application().HelpFile(), "tessel.hlp");
    EXPECT_EQ(FormNames(), (std::vector<std::string>{"CalcFrm", "YFrm", "InternetFrm"}));
    EXPECT_EQ(Application().MainForm(), CalcFrm);
    ASSERT_NE(YFrm, nullptr);
    ASSERT_NE(InternetFrm, nullptr);
    // Nothing is shown before the loop runs.
    EXPECT_FALSE(CalcFrm->Visible());
    EXPECT_FALSE(YFrm->Visible());
    EXPECT_FALSE(InternetFrm->Visible());
}

TEST_F(StartupTest, TheLoopShowsTheCalculatorWithTheFocusInTheNameField) {
    bool ran = false;
    Headless().runScript = [&](TApplication& app) {
        ran = true;
        EXPECT_TRUE(CalcFrm->Visible());
        EXPECT_EQ(app.ActiveForm(), CalcFrm);
        EXPECT_TRUE(CalcFrm->Data->Focused());
        EXPECT_FALSE(YFrm->Visible());
        EXPECT_FALSE(InternetFrm->Visible());
        // The user types and leaves by the Exit button.
        CalcFrm->Data->InputText("abc");
        CalcFrm->ExitBtn->InputClick();
    };
    EXPECT_EQ(RunQuillon(), 0);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(Application().Terminated());
    EXPECT_EQ(CalcFrm->Total->Text(), "6");
}

TEST_F(StartupTest, ANameGivenAtStartIsTypedKeyByKey) {
    Headless().modalScripts.push_back([](TCustomForm&) { YFrm->YesBtn->InputClick(); });
    Headless().runScript = [](TApplication& app) {
        EXPECT_EQ(CalcFrm->Data->Text(), "MAy 7");
        EXPECT_EQ(CalcFrm->Vowels->Text(), " 17  ");
        app.Terminate();
    };
    EXPECT_EQ(RunQuillon("may 7"), 0);
    EXPECT_EQ(Headless().modalForms, std::vector<std::string>{"YFrm"});
}

TEST_F(StartupTest, ClosingTheMainWindowEndsTheProgram) {
    CreateQuillonForms();
    CalcFrm->Show();
    CalcFrm->Close();
    EXPECT_TRUE(Application().Terminated());
}

TEST_F(StartupTest, WindowsForgetTheirGlobalWhenDestroyed) {
    CreateQuillonForms();
    delete YFrm;
    EXPECT_EQ(YFrm, nullptr);
    // A Y typed without the question window stays a consonant.
    CalcFrm->Show();
    CalcFrm->Data->InputText("y");
    EXPECT_EQ(CalcFrm->Data->Text(), "Y");
}

}  // namespace
}  // namespace quillon
