// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/startup.h"

#include "app/Inet.h"
#include "app/URL.h"
#include "app/Y.h"
#include "app/calc_form.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/controls/Vex_controls.h"
#include "printsuite/forms/DBPrnWin.h"

namespace quillon {

void RegisterAppClasses() {
    TURL::StaticClassInfo();
    RegisterVexControlClasses();
    // The form printer, the printing rich edit and its continuation panel.
    RegisterFormPrinterClasses();
}

void CreateQuillonForms() {
    TApplication& app = Application();
    app.SetTitle("Quillon");
    app.SetHelpFile("tessel.hlp");
    app.CreateForm(CalcFrm);
    app.CreateForm(YFrm);
    app.CreateForm(InternetFrm);
}

int RunQuillon(std::string_view typed) {
    CreateQuillonForms();
    if (!typed.empty()) {
        CalcFrm->Show();
        // Typing may end the program (a question window closed by the desktop).
        if (!Application().Terminated()) CalcFrm->Data->InputText(typed);
    }
    Application().Run();
    return 0;
}

}  // namespace quillon
