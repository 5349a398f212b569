// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Y.h"

#include "app/calc_form.h"
#include "app/embedded_forms.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

TYFrm* YFrm = nullptr;

const TClassInfo& TYFrm::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TYFrm>("TYFrm", &TForm::StaticClassInfo()).Abstract();
    return info;
}

TYFrm::TYFrm(TComponent* owner) : TForm(owner) {
    DefineMethod<void(TObject*)>("FormActivate", [this](TObject* s) { FormActivate(s); });
    DefineMethod<void(TObject*)>("YesBtnClick", [this](TObject* s) { YesBtnClick(s); });
    DefineMethod<void(TObject*)>("NoBtnClick", [this](TObject* s) { NoBtnClick(s); });
    InitForm(EmbeddedFormText("YFrm.form"), "YFrm.form");
    Data = dynamic_cast<TLabel*>(FindComponent("Data"));
    Label1 = dynamic_cast<TLabel*>(FindComponent("Label1"));
    YesBtn = dynamic_cast<TButton*>(FindComponent("YesBtn"));
    NoBtn = dynamic_cast<TButton*>(FindComponent("NoBtn"));
    if (!Data || !Label1 || !YesBtn || !NoBtn)
        throw EFormFileError("YFrm.form: a control of the question window is missing");
}

TYFrm::~TYFrm() {
    if (YFrm == this) YFrm = nullptr;
}

void TYFrm::FormActivate(TObject*) {
    Beep();
    // The Y always shows at the end, wherever the caret is.
    const std::string name = CalcFrm && CalcFrm->Data ? CalcFrm->Data->Text() : std::string();
    Data->SetCaption(name + "Y");
}

void TYFrm::YesBtnClick(TObject*) {
    if (CalcFrm) CalcFrm->SetYAnswer(1);
    Close();
}

void TYFrm::NoBtnClick(TObject*) {
    Close();
}

}  // namespace quillon
