// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/base/Tallet.h"

#include "platform/gdi/printer.h"
#include "platform/gdi/screen.h"
#include "platform/sys/rounding.h"
#include "platform/vcl/properties.h"
#include "printsuite/base/Vex_MFunc.h"

namespace quillon {

TPrintDialog1* PrintDialog1 = nullptr;

// Laid out at 120 pixels per inch; the dialog scales itself to the screen when it is made.
const char* const kPrintDialogForm = R"(object PrintDialog1: TPrintDialog1
  Left = 0
  Top = 0
  ActiveControl = CancelBtn
  BorderIcons = []
  BorderStyle = bsDialog
  Caption = 'Print Status'
  Width = 398
  Height = 254
  Font.Height = -14
  Font.Name = 'MS Sans Serif'
  Font.Style = [fsBold]
  PixelsPerInch = 120
  Position = poScreenCenter
  Scaled = False
  Visible = True
  OnActivate = FormActivate
  OnCreate = FormCreate
  object Bevel1: TBevel
    Left = 10
    Top = 10
    Width = 369
    Height = 143
  end
  object Label2: TLabel
    Left = 25
    Top = 28
    Caption = 'Formatting for'
    Font.Color = clBlack
    Font.Height = -15
    Font.Name = 'Arial'
    Font.Style = []
    ParentFont = False
  end
  object Label3: TLabel
    Left = 49
    Top = 88
    Caption = 'Page'
    Font.Color = clBlack
    Font.Height = -15
    Font.Name = 'Arial'
    Font.Style = []
    ParentFont = False
  end
  object Label1: TLabel
    Left = 224
    Top = 88
    Caption = 'Status'
    Font.Color = clBlack
    Font.Height = -15
    Font.Name = 'Arial'
    Font.Style = []
    ParentFont = False
  end
  object ToPrinter: TEdit
    Left = 20
    Top = 48
    Width = 349
    Height = 25
    Color = clSilver
    Font.Color = clBlack
    Font.Height = -15
    Font.Name = 'Arial'
    Font.Style = []
    ParentFont = False
    TabOrder = 0
  end
  object Page: TEdit
    Left = 20
    Top = 108
    Width = 93
    Height = 25
    Color = clSilver
    Font.Color = clBlack
    Font.Height = -15
    Font.Name = 'Arial'
    Font.Style = []
    ParentFont = False
    TabOrder = 1
  end
  object Status: TEdit
    Left = 120
    Top = 108
    Width = 249
    Height = 25
    Color = clSilver
    Font.Color = clBlack
    Font.Height = -15
    Font.Name = 'Arial'
    Font.Style = []
    ParentFont = False
    TabOrder = 2
  end
  object CancelBtn: TButton
    Left = 304
    Top = 176
    Width = 75
    Height = 33
    Cancel = True
    Caption = '&Abort'
    Font.Height = -13
    Font.Name = 'Arial'
    Font.Style = []
    ParentFont = False
    TabOrder = 3
    OnClick = CancelBtnClick
  end
end
)";

const TClassInfo& TPrintDialog1::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TPrintDialog1>("TPrintDialog1", &TForm::StaticClassInfo()).Abstract();
    return info;
}

TPrintDialog1::TPrintDialog1(TComponent* owner) : TForm(owner) {
    DefineMethod<void(TObject*)>("FormCreate", [this](TObject* s) { FormCreate(s); });
    DefineMethod<void(TObject*)>("FormActivate", [this](TObject* s) { FormActivate(s); });
    DefineMethod<void(TObject*)>("CancelBtnClick", [this](TObject* s) { CancelBtnClick(s); });
    InitForm(kPrintDialogForm, "Tallet.form");
}

TPrintDialog1::~TPrintDialog1() {
    if (PrintDialog1 == this) PrintDialog1 = nullptr;
}

void TPrintDialog1::FormCreate(TObject*) {
    Bevel1 = dynamic_cast<TBevel*>(FindComponent("Bevel1"));
    Label1 = dynamic_cast<TLabel*>(FindComponent("Label1"));
    Label2 = dynamic_cast<TLabel*>(FindComponent("Label2"));
    Label3 = dynamic_cast<TLabel*>(FindComponent("Label3"));
    ToPrinter = dynamic_cast<TEdit*>(FindComponent("ToPrinter"));
    Page = dynamic_cast<TEdit*>(FindComponent("Page"));
    Status = dynamic_cast<TEdit*>(FindComponent("Status"));
    CancelBtn = dynamic_cast<TButton*>(FindComponent("CancelBtn"));

    ToPrinter->SetText(Printer().PrinterName());
    SetCaption(LoadSuiteText(17038, "Print Status"));
    Label2->SetCaption(LoadSuiteText(17043, "Formatting for"));
    Label1->SetCaption(LoadSuiteText(17040, "Status"));
    Label3->SetCaption(LoadSuiteText(17026, "Page"));
    CancelBtn->SetCaption(LoadSuiteText(17041, "&Abort"));
    aborted_ = false;
    Status->SetText(LoadSuiteText(17044, "Preparing Page"));
    ScaleToScreen();
}

void TPrintDialog1::ScaleToScreen() {
    // Laid out at 120 pixels per inch. Scaling the window alone would cut off its lower part
    // and the Abort button; the whole dialog is scaled instead.
    ScaleDialogToScreen(*this, kDesignPixelsPerInch);
}

void TPrintDialog1::FormActivate(TObject*) {
    if (!ToPrinter || !Status) return;  // shown while its file is still being read
    ToPrinter->SetText(Printer().PrinterName());
    aborted_ = false;
    Status->SetText(LoadSuiteText(17044, "Preparing Page"));
}

void TPrintDialog1::CancelBtnClick(TObject*) {
    if (Printer().Printing()) Printer().Abort();
    aborted_ = true;
    Status->SetText(LoadSuiteText(17045, "Interrupted...Please Wait"));
    Hide();
}

TPrintDialog1* CreatePrintDialog() {
    ReleasePrintDialog();
    PrintDialog1 = new TPrintDialog1(&Application());
    return PrintDialog1;
}

void ReleasePrintDialog() {
    delete PrintDialog1;  // its destructor clears the reference
    PrintDialog1 = nullptr;
}

}  // namespace quillon
