#include "app/startup.h"

#include "app/Inet.h"
#include "app/Y.h"
#include "app/calc_form.h"
#include "platform/forms.h"

namespace quillon {

void CreateQuillonForms() {
    TApplication& app = Application();
    app.SetTitle("Quillon");
    app.SetHelpFile("tessel.hlp");
    app.CreateForm(CalcFrm);
    app.CreateForm(YFrm);
    app.CreateForm(InternetFrm);
}

int RunQuillon() {
    CreateQuillonForms();
    Application().Run();
    return 0;
}

}  // namespace quillon
