// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's three windows created as at start-up, on the headless
// desktop: modal windows and the print dialog answer from scripts.

#include <gtest/gtest.h>

#include <string>

#include "app/Inet.h"
#include "app/Y.h"
#include "app/calc_form.h"
#include "app/startup.h"
#include "platform/sys/desktop.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace quillon::testing {

class CalcWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Headless().Reset();
        HeadlessPrintDialogs().Reset();
        Application().ClearTerminated();
        CreateQuillonForms();
        CalcFrm->Show();
        calc = CalcFrm;
        data = CalcFrm->Data;
    }
    void TearDown() override {
        delete InternetFrm;
        delete YFrm;
        delete CalcFrm;
        Application().ClearTerminated();
        Headless().Reset();
        HeadlessPrintDialogs().Reset();
    }

    // The next Y question is answered by clicking Yes / No.
    static void AnswerYes() {
        Headless().modalScripts.push_back([](TCustomForm&) { YFrm->YesBtn->InputClick(); });
    }
    static void AnswerNo() {
        Headless().modalScripts.push_back([](TCustomForm&) { YFrm->NoBtn->InputClick(); });
    }

    // Ctrl+V as typed: the key V with Ctrl down, which types character 22.
    void TypeCtrlV() { data->InputKey('V', TShiftState{ssCtrl}, 22); }

    TCalcFrm* calc = nullptr;
    TEdit* data = nullptr;
};

}  // namespace quillon::testing
