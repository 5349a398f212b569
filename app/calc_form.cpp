// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/calc_form.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <vector>

#include "app/Inet.h"
#include "app/Ptr.h"
#include "app/Y.h"
#include "app/embedded_forms.h"
#include "platform/gdi/printer.h"
#include "platform/sys/sysutils.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/properties.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/base/PrnWin_store.h"

namespace quillon {

TCalcFrm* CalcFrm = nullptr;

namespace {

template <class C>
C* Find(const TComponent& form, std::string_view name) {
    auto* c = dynamic_cast<C*>(form.FindComponent(name));
    if (!c) throw EFormFileError("CalcFrm.form: no " + std::string(name) + " of the right kind");
    return c;
}

// Writes a number into a grid label (no allocation for the short texts).
void ShowCount(TLabel* label, int n) {
    char buffer[12];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, n);
    label->SetCaption(std::string_view(buffer, static_cast<std::size_t>(r.ptr - buffer)));
}

}  // namespace

const TClassInfo& TCalcFrm::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TCalcFrm>("TCalcFrm", &TForm::StaticClassInfo()).Abstract();
    return info;
}

TCalcFrm::TCalcFrm(TComponent* owner) : TForm(owner) {
    TPrintDialog::StaticClassInfo();  // registers the class the form file names
    using Notify = void(TObject*);
    DefineMethod<Notify>("FormCreate", [this](TObject* s) { FormCreate(s); });
    DefineMethod<void(TObject*, char32_t&)>(
        "DataKeyPress", [this](TObject* s, char32_t& key) { DataKeyPress(s, key); });
    DefineMethod<void(TObject*, std::uint16_t&, TShiftState)>(
        "DataKeyUp",
        [this](TObject* s, std::uint16_t& key, TShiftState shift) { DataKeyUp(s, key, shift); });
    DefineMethod<Notify>("DataChange", [this](TObject* s) { DataChange(s); });
    DefineMethod<Notify>("MthBtnClick", [this](TObject* s) { MthBtnClick(s); });
    DefineMethod<Notify>("ClearBtnClick", [this](TObject* s) { ClearBtnClick(s); });
    DefineMethod<Notify>("ExitBtnClick", [this](TObject* s) { ExitBtnClick(s); });
    DefineMethod<Notify>("HelpBtnClick", [this](TObject* s) { HelpBtnClick(s); });
    DefineMethod<Notify>("PrintBtnClick", [this](TObject* s) { PrintBtnClick(s); });
    DefineMethod<Notify>("InternetBtnClick", [this](TObject* s) { InternetBtnClick(s); });
    DefineMethod<Notify>("VTotalChange", [this](TObject* s) { VTotalChange(s); });
    DefineMethod<Notify>("TotalChange", [this](TObject* s) { TotalChange(s); });
    DefineMethod<Notify>("CTotalChange", [this](TObject* s) { CTotalChange(s); });
    DefineMethod<Notify>("VTot1Change", [this](TObject* s) { VTot1Change(s); });
    DefineMethod<Notify>("Tot1Change", [this](TObject* s) { Tot1Change(s); });
    DefineMethod<Notify>("CTot1Change", [this](TObject* s) { CTot1Change(s); });
    DefineMethod<Notify>("VTot2Change", [this](TObject* s) { VTot2Change(s); });
    DefineMethod<Notify>("Tot2Change", [this](TObject* s) { Tot2Change(s); });
    DefineMethod<Notify>("CTot2Change", [this](TObject* s) { CTot2Change(s); });
    InitForm(EmbeddedFormText("CalcFrm.form"), "CalcFrm.form");
}

TCalcFrm::~TCalcFrm() {
    if (CalcFrm == this) CalcFrm = nullptr;
}

void TCalcFrm::FindControls() {
    Label12 = Find<TLabel>(*this, "Label12");
    Label13 = Find<TLabel>(*this, "Label13");
    Label14 = Find<TLabel>(*this, "Label14");
    Label17 = Find<TLabel>(*this, "Label17");
    Label18 = Find<TLabel>(*this, "Label18");
    Label20 = Find<TLabel>(*this, "Label20");
    Vowels = Find<TEdit>(*this, "Vowels");
    Data = Find<TEdit>(*this, "Data");
    Constants = Find<TEdit>(*this, "Constants");
    VTotal = Find<TEdit>(*this, "VTotal");
    Total = Find<TEdit>(*this, "Total");
    CTotal = Find<TEdit>(*this, "CTotal");
    VTot1 = Find<TEdit>(*this, "VTot1");
    Tot1 = Find<TEdit>(*this, "Tot1");
    CTot1 = Find<TEdit>(*this, "CTot1");
    VTot2 = Find<TEdit>(*this, "VTot2");
    Tot2 = Find<TEdit>(*this, "Tot2");
    CTot2 = Find<TEdit>(*this, "CTot2");
    Panel1 = Find<TPanel>(*this, "Panel1");
    Panel2 = Find<TPanel>(*this, "Panel2");
    for (int n = 1; n <= 9; ++n) {
        const std::string digit = std::to_string(n);
        V[n - 1] = Find<TLabel>(*this, "V" + digit);
        C[n - 1] = Find<TLabel>(*this, "C" + digit);
        T[n - 1] = Find<TLabel>(*this, "T" + digit);
    }
    vvt = Find<TLabel>(*this, "vvt");
    cct = Find<TLabel>(*this, "cct");
    ttt = Find<TLabel>(*this, "ttt");
    ClearBtn = Find<TButton>(*this, "ClearBtn");
    HelpBtn = Find<TButton>(*this, "HelpBtn");
    MthBtn = Find<TButton>(*this, "MthBtn");
    ExitBtn = Find<TButton>(*this, "ExitBtn");
    PrintBtn = Find<TBitBtn>(*this, "PrintBtn");
    InternetBtn = Find<TBitBtn>(*this, "InternetBtn");
    PrintDialog1 = Find<TPrintDialog>(*this, "PrintDialog1");
}

void TCalcFrm::FormCreate(TObject*) {
    FindControls();
    Application().SetHelpFile("tessel.hlp");
    MthBtn->SetCaption("Pythagorean");
    system_ = NumberSystem::Pythagorean;
    pasteFlag_ = 0;
}

void TCalcFrm::DataKeyPress(TObject*, char32_t& key) {
    yAnswer_ = 0;
    // A Ctrl+V that pasted nothing must not leave the flag set for a later
    // change: the flag only ever covers the change of its own key.
    pasteFlag_ = 0;
    if (key >= U'a' && key <= U'z') key = key - U'a' + U'A';
    if (key == U'Y') {
        if (YFrm) YFrm->ShowModal();
        if (yAnswer_ == 1) key = U'y';
    }
    if (key == 22) pasteFlag_ = 1;
}

void TCalcFrm::DataKeyUp(TObject*, std::uint16_t&, TShiftState) {
    // The change of a Ctrl+V comes before its key goes up; a paste that changed
    // nothing leaves no flag behind for a later paste from the context menu.
    pasteFlag_ = 0;
}

void TCalcFrm::DataChange(TObject*) {
    if (pasteFlag_ == 1) {
        const std::string upper = UpperCase(Data->Text());
        // Runs this handler once more, nested: that run finds the text upper-case.
        if (upper != Data->Text()) Data->SetText(upper);
    }
    pasteFlag_ = 0;
    ShowAnalysis();
}

void TCalcFrm::ShowAnalysis() {
    AnalyseName(Data->Text(), system_, analysis_);
    const NameAnalysis& a = analysis_;
    Vowels->SetText(a.Vowels);
    Constants->SetText(a.Constants);
    VTotal->SetText(NumberText(a.VTotal));
    CTotal->SetText(NumberText(a.CTotal));
    Total->SetText(NumberText(a.Total));
    VTot1->SetText(NumberText(a.VTot1));
    VTot2->SetText(NumberText(a.VTot2));
    CTot1->SetText(NumberText(a.CTot1));
    CTot2->SetText(NumberText(a.CTot2));
    Tot1->SetText(NumberText(a.Tot1));
    Tot2->SetText(NumberText(a.Tot2));
    for (int n = 1; n <= 9; ++n) {
        ShowCount(V[n - 1], a.V(n));
        ShowCount(C[n - 1], a.C(n));
        ShowCount(T[n - 1], a.T(n));
    }
    ShowCount(vvt, a.vvt);
    ShowCount(cct, a.cct);
    ShowCount(ttt, a.ttt);
}

void TCalcFrm::MthBtnClick(TObject*) {
    if (system_ == NumberSystem::Chaldean) {
        MthBtn->SetCaption(NumberSystemText(NumberSystem::Pythagorean));
        system_ = NumberSystem::Pythagorean;
    } else {
        MthBtn->SetCaption(NumberSystemText(NumberSystem::Chaldean));
        system_ = NumberSystem::Chaldean;
    }
    ShowAnalysis();
}

void TCalcFrm::ClearBtnClick(TObject*) {
    Vowels->SetText("");
    Constants->SetText("");
    Data->SetText("");  // reruns the analysis when the field held text
    VTotal->SetText("0");
    CTotal->SetText("0");
    Total->SetText("0");
    Tot1->SetText("");
    Tot2->SetText("");
    CTot1->SetText("");
    CTot2->SetText("");
    VTot1->SetText("");
    VTot2->SetText("");
    cct->SetCaption("0");
    vvt->SetCaption("0");
    ttt->SetCaption("0");
    if (Data->CanFocus())
        Data->SetFocus();
    else
        SetActiveControl(Data);  // takes the focus when the window is shown
}

void TCalcFrm::ExitBtnClick(TObject*) {
    Application().Terminate();
}

void TCalcFrm::HelpBtnClick(TObject*) {
    // The desktop finds the installed HTML help for "tessel.hlp" and says so
    // itself when there is none.
    Application().HelpJump("IDH_CONTENTS");
}

std::string ReportDocumentTitle(const std::string& name) {
    std::string title = UpperCase(name);
    const auto first = title.find_first_not_of(' ');
    if (first == std::string::npos) return "Quillon report";
    title.erase(0, first);
    while (!title.empty() && title.back() == ' ') title.pop_back();
    return title;
}

void TCalcFrm::PrintBtnClick(TObject*) {
    TPrinter& printer = Printer();
    // The dialog opens on the printer chosen last time: every job keeps its printer's name
    // in the job settings.
    const std::string last = ReadJobSetting(kPrinterNameValue, "");
    const std::vector<std::string>& names = printer.Printers();
    const auto it = std::find(names.begin(), names.end(), last);
    if (!last.empty() && it != names.end())
        printer.SetPrinterIndex(static_cast<int>(it - names.begin()));
    // A report written to a file is named after the analysed name.
    printer.SetTitle(ReportDocumentTitle(Data->Text()));
    if (!PrintDialog1->Execute()) return;
    // The report prints itself while it is created; it lives for this one print.
    auto* report = new TPrintFrm(&Application());
    report->SetVisible(false);
    delete report;
    const std::shared_ptr<PrinterDevice> device = printer.Device();
    const std::string file = device ? device->LastDocumentFile() : std::string();
    // The file chosen in the dialog was for this report; the next one proposes its own.
    if (device) device->SetOutputFile("");
    if (!file.empty()) {
        Application().MessageBox("The report was saved as " + file, "Quillon",
                                 MB_OK | MB_ICONINFORMATION);
    }
}

void TCalcFrm::InternetBtnClick(TObject*) {
    if (InternetFrm) InternetFrm->ShowModal();
}

void TCalcFrm::ColourSum(TEdit* edit) {
    edit->Font().SetColor(clBlack);
    if (HasEqualDigits(edit->Text())) edit->Font().SetColor(clRed);
}

void TCalcFrm::VTotalChange(TObject*) {
    ColourSum(VTotal);
}
void TCalcFrm::TotalChange(TObject*) {
    ColourSum(Total);
}
void TCalcFrm::CTotalChange(TObject*) {
    ColourSum(CTotal);
}
void TCalcFrm::VTot1Change(TObject*) {
    ColourSum(VTot1);
}
void TCalcFrm::Tot1Change(TObject*) {
    ColourSum(Tot1);
}
void TCalcFrm::CTot1Change(TObject*) {
    ColourSum(CTot1);
}
void TCalcFrm::VTot2Change(TObject*) {
    ColourSum(VTot2);
}
void TCalcFrm::Tot2Change(TObject*) {
    ColourSum(Tot2);
}
void TCalcFrm::CTot2Change(TObject*) {
    ColourSum(CTot2);
}

}  // namespace quillon
