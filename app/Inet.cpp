// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Inet.h"

#include "app/URL.h"
#include "app/embedded_forms.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

TInternetFrm* InternetFrm = nullptr;

// Long-lived pages on the subject: the two letter-value systems, numerology and
// its relatives, and the arithmetic of reducing a number to one digit.
const std::array<TLinkInfo, 8> kInternetLinks{{
    {"Label2", "en.wikipedia.org/wiki/Pythagoreanism"},
    {"Label1", "en.wikipedia.org/wiki/Chaldea"},
    {"Label3", "en.wikipedia.org/wiki/Numerology"},
    {"Label8", "en.wikipedia.org/wiki/Gematria"},
    {"Label7", "en.wikipedia.org/wiki/Digital_root"},
    {"Label9", "mathworld.wolfram.com/DigitalRoot.html"},
    {"Label11", "en.wikipedia.org/wiki/Isopsephy"},
    {"Label10", kQuillonSite},
}};

const TClassInfo& TInternetFrm::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TInternetFrm>("TInternetFrm", &TForm::StaticClassInfo()).Abstract();
    return info;
}

TInternetFrm::TInternetFrm(TComponent* owner) : TForm(owner) {
    TURL::StaticClassInfo();  // registers the class the form file names
    using Notify = void(TObject*);
    DefineMethod<Notify>("Button1Click", [this](TObject* s) { Button1Click(s); });
    DefineMethod<Notify>("Label2Click", [this](TObject* s) { Label2Click(s); });
    DefineMethod<Notify>("Label1Click", [this](TObject* s) { Label1Click(s); });
    DefineMethod<Notify>("Label3Click", [this](TObject* s) { Label3Click(s); });
    DefineMethod<Notify>("Label8Click", [this](TObject* s) { Label8Click(s); });
    DefineMethod<Notify>("Label7Click", [this](TObject* s) { Label7Click(s); });
    DefineMethod<Notify>("Label9Click", [this](TObject* s) { Label9Click(s); });
    DefineMethod<Notify>("Label11Click", [this](TObject* s) { Label11Click(s); });
    DefineMethod<Notify>("Label10Click", [this](TObject* s) { Label10Click(s); });
    InitForm(EmbeddedFormText("InternetFrm.form"), "InternetFrm.form");
    Button1 = dynamic_cast<TButton*>(FindComponent("Button1"));
    URL1 = dynamic_cast<TURL*>(FindComponent("URL1"));
    if (!Button1 || !URL1)
        throw EFormFileError("InternetFrm.form: a control of the links window is missing");
}

TInternetFrm::~TInternetFrm() {
    if (InternetFrm == this) InternetFrm = nullptr;
}

void TInternetFrm::Button1Click(TObject*) {
    Close();
}

void TInternetFrm::Open(std::string_view address) {
    URL1->SetURL(address);
    URL1->OpenURL();
}

void TInternetFrm::Label2Click(TObject*) {
    Open(kInternetLinks[0].address);
}
void TInternetFrm::Label1Click(TObject*) {
    Open(kInternetLinks[1].address);
}
void TInternetFrm::Label3Click(TObject*) {
    Open(kInternetLinks[2].address);
}
void TInternetFrm::Label8Click(TObject*) {
    Open(kInternetLinks[3].address);
}
void TInternetFrm::Label7Click(TObject*) {
    Open(kInternetLinks[4].address);
}
void TInternetFrm::Label9Click(TObject*) {
    Open(kInternetLinks[5].address);
}
void TInternetFrm::Label11Click(TObject*) {
    Open(kInternetLinks[6].address);
}
void TInternetFrm::Label10Click(TObject*) {
    Open(kInternetLinks[7].address);
}

}  // namespace quillon
