// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/startup.h"

#include "app/Inet.h"
#include "app/URL.h"
#include "app/Y.h"
#include "app/calc_form.h"
#include "platform/sys/utf8.h"
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
        // The field takes MaxLength characters: only those are typed, not a key for each of
        // thousands more that it would refuse one by one.
        const int maxLength = CalcFrm->Data->MaxLength();
        std::size_t end = 0;
        for (int n = 0; end < typed.size() && (maxLength <= 0 || n < maxLength); ++n)
            end += utf8::DecodeOne(typed.substr(end)).length;
        // Typing may end the program (a question window closed by the desktop).
        if (!Application().Terminated()) CalcFrm->Data->InputText(typed.substr(0, end));
    }
    Application().Run();
    return 0;
}

}  // namespace quillon
