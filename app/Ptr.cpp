// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Ptr.h"

#include <algorithm>
#include <string>

#include "app/calc_form.h"
#include "app/embedded_forms.h"
#include "app/name_analysis.h"
#include "platform/sys/sysutils.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/forms/DBPrnWin.h"

namespace quillon {

const TClassInfo& TPrintFrm::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TPrintFrm>("TPrintFrm", &TForm::StaticClassInfo()).Abstract();
    return info;
}

TPrintFrm::TPrintFrm(TComponent* owner) : TPrintFrm(owner, true) {}

TPrintFrm::TPrintFrm(TComponent* owner, bool printOnCreate)
    : TForm(owner), printOnCreate_(printOnCreate) {
    RegisterFormPrinterClasses();  // the form file names the form printer
    DefineMethod<void(TObject*)>("FormCreate", [this](TObject* s) { FormCreate(s); });
    InitForm(EmbeddedFormText("PrintFrm.form"), "PrintFrm.form");
}

void TPrintFrm::FindControls() {
    auto label = [this](const std::string& name) {
        auto* l = dynamic_cast<TLabel*>(FindComponent(name));
        if (!l) throw EFormFileError("PrintFrm.form: the label " + name + " is missing");
        return l;
    };
    Panel1 = dynamic_cast<TPanel*>(FindComponent("Panel1"));
    if (!Panel1) throw EFormFileError("PrintFrm.form: the panel Panel1 is missing");
    Label1 = label("Label1");
    Label13 = label("Label13");
    Vowels = label("Vowels");
    Data = label("Data");
    Constants = label("Constants");
    Vtot = label("Vtot");
    Vtot1 = label("Vtot1");
    Vtot2 = label("Vtot2");
    Total = label("Total");
    Tot1 = label("Tot1");
    Tot2 = label("Tot2");
    Ctot = label("Ctot");
    Ctot1 = label("Ctot1");
    Ctot2 = label("Ctot2");
    for (int i = 0; i < 9; ++i) {
        V[i] = label("V" + std::to_string(i + 1));
        C[i] = label("C" + std::to_string(i + 1));
        T[i] = label("T" + std::to_string(i + 1));
    }
    vvt = label("vvt");
    cct = label("cct");
    ttt = label("ttt");
    DBPrintWin1 = dynamic_cast<TDBPrintWin*>(FindComponent("DBPrintWin1"));
    if (!DBPrintWin1) throw EFormFileError("PrintFrm.form: the form printer DBPrintWin1 is missing");
}

void TPrintFrm::FillFromCalculator() {
    if (!CalcFrm) return;
    TCalcFrm& calc = *CalcFrm;
    const std::string name = UpperCase(calc.Data->Text());
    Label1->SetCaption(name);
    Label13->SetCaption(calc.MthBtn->Caption());
    Data->SetCaption(":  " + name);
    Vowels->SetCaption(":  " + calc.Vowels->Text());
    Constants->SetCaption(":  " + calc.Constants->Text());
    // The report's counterpart of the red sums on screen: equal digits print bold.
    const std::pair<TLabel*, TEdit*> sums[] = {
        {Ctot, calc.CTotal}, {Vtot, calc.VTotal}, {Total, calc.Total},
        {Vtot1, calc.VTot1}, {Vtot2, calc.VTot2}, {Ctot1, calc.CTot1},
        {Ctot2, calc.CTot2}, {Tot1, calc.Tot1},   {Tot2, calc.Tot2}};
    for (const auto& [label, edit] : sums) SetSum(label, edit->Text());
    for (int i = 0; i < 9; ++i) {
        V[i]->SetCaption(calc.V[i]->Caption());
        C[i]->SetCaption(calc.C[i]->Caption());
        T[i]->SetCaption(calc.T[i]->Caption());
    }
    vvt->SetCaption(calc.vvt->Caption());
    cct->SetCaption(calc.cct->Caption());
    ttt->SetCaption(calc.ttt->Caption());
}

void TPrintFrm::SetSum(TLabel* label, const std::string& text) {
    label->SetCaption(text);
    label->Font().SetStyle(HasEqualDigits(text) ? TFontStyles{fsBold} : TFontStyles{});
}

void TPrintFrm::FillFrom(const NameAnalysis& a) {
    const std::string name = UpperCase(a.Data);
    Label1->SetCaption(name);
    Label13->SetCaption(NumberSystemText(a.System));
    Data->SetCaption(":  " + name);
    Vowels->SetCaption(":  " + a.Vowels);
    Constants->SetCaption(":  " + a.Constants);
    SetSum(Ctot, std::to_string(a.CTotal));
    SetSum(Vtot, std::to_string(a.VTotal));
    SetSum(Total, std::to_string(a.Total));
    SetSum(Vtot1, NumberText(a.VTot1));
    SetSum(Vtot2, NumberText(a.VTot2));
    SetSum(Ctot1, NumberText(a.CTot1));
    SetSum(Ctot2, NumberText(a.CTot2));
    SetSum(Tot1, NumberText(a.Tot1));
    SetSum(Tot2, NumberText(a.Tot2));
    for (int i = 0; i < 9; ++i) {
        V[i]->SetCaption(std::to_string(a.V(i + 1)));
        C[i]->SetCaption(std::to_string(a.C(i + 1)));
        T[i]->SetCaption(std::to_string(a.T(i + 1)));
    }
    vvt->SetCaption(std::to_string(a.vvt));
    cct->SetCaption(std::to_string(a.cct));
    ttt->SetCaption(std::to_string(a.ttt));
}

void TPrintFrm::PrintPanel() {
    TDBPrintWin& job = *DBPrintWin1;
    // As many copies as the print dialog asked for (it stores none for one).
    if (CalcFrm && CalcFrm->PrintDialog1) job.SetCopies(std::max(1, CalcFrm->PrintDialog1->Copies()));
    job.SetOutputTo(poPrinter);
    job.StartJob();
    job.SetFooterStringLeft(kReportFooterLeft);
    job.SetFooterStringRight(std::string(kReportWebAddress));
    job.PrintWindow(Panel1, 0.5, 0.5);
    job.EndJob();
    job.SetOutputTo(poViewer);
}

void TPrintFrm::FormCreate(TObject*) {
    FindControls();
    if (!printOnCreate_) {
        Hide();
        return;
    }
    FillFromCalculator();
    Hide();
    PrintPanel();
    Close();
}

}  // namespace quillon
