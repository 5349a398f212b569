// SPDX-License-Identifier: GPL-2.0-or-later
#include "printsuite/draw/Addit.h"

#include <cstdint>

#include "platform/gdi/screen.h"
#include "platform/sys/rounding.h"
#include "platform/vcl/properties.h"
#include "printsuite/base/Vex_MFunc.h"

namespace quillon {

namespace {

Error ConversionError(std::string_view text) {
    return Error{"'" + std::string(text) + "' is not a valid integer value"};
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Result<int> ParseListInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return ConversionError(text);
    // Large enough for the magnitude of the lowest value; anything beyond is out of range.
    std::int64_t magnitude = 0;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (; i < text.size(); ++i) {
        const int d = base == 16 ? HexValue(text[i])
                                 : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (d < 0) return ConversionError(text);
        magnitude = magnitude * base + d;
        if (magnitude > limit) return ConversionError(text);
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

Result<int> TakeListItem(int page, std::string_view& list) {
    if (list.empty()) return 0;
    std::string_view element;
    const std::size_t comma = list.find(',');
    if (comma == std::string_view::npos) {
        element = list;
        list = {};
    } else {
        element = list.substr(0, comma);
        list.remove_prefix(comma + 1);
    }
    element = element.substr(0, limits::kMaxListElement);
    int a = 0, b = 0;
    const std::size_t dash = element.find('-');
    if (dash != std::string_view::npos) {
        Result<int> low = ParseListInteger(element.substr(0, dash));
        if (!low) return low.error();
        Result<int> high = ParseListInteger(element.substr(dash + 1, limits::kMaxListUpperBound));
        if (!high) return high.error();
        a = *low;
        b = *high;
    } else {
        Result<int> n = ParseListInteger(element);
        if (!n) return n.error();
        a = b = *n;
    }
    return page < a || page > b ? 2 : 1;
}

Result<bool> PageInList(int page, std::string_view list) {
    for (;;) {
        Result<int> r = TakeListItem(page, list);
        if (!r) return r.error();
        if (*r == 0) return false;
        if (*r == 1) return true;
    }
}

Result<void> CheckPageList(std::string_view list) {
    for (;;) {
        Result<int> r = TakeListItem(0, list);
        if (!r) return r.error();
        if (*r == 0) return {};
    }
}

// Laid out at 120 pixels per inch; scaled to the screen when it is made.
const char* const kAdditionForm = R"(object Addition: TAddition
  Left = 0
  Top = 0
  ActiveControl = Print
  BorderStyle = bsDialog
  Caption = 'Print Options'
  Width = 420
  Height = 330
  Font.Height = -13
  Font.Name = 'Arial'
  PixelsPerInch = 120
  Position = poScreenCenter
  Scaled = False
  OnActivate = RangeClick
  OnCreate = FormCreate
  object PageRange: TGroupBox
    Left = 10
    Top = 8
    Width = 390
    Height = 150
    Caption = 'Page Range'
    TabOrder = 0
    object All: TRadioButton
      Left = 14
      Top = 24
      Width = 160
      Height = 20
      Caption = 'All Pages'
      Checked = True
      TabOrder = 0
      OnClick = RangeClick
      OnEnter = RangeClick
      OnExit = RangeClick
    end
    object Current: TRadioButton
      Left = 14
      Top = 48
      Width = 160
      Height = 20
      Caption = 'Current Page'
      TabOrder = 1
      OnClick = RangeClick
      OnEnter = RangeClick
      OnExit = RangeClick
    end
    object Range: TRadioButton
      Left = 14
      Top = 72
      Width = 80
      Height = 20
      Caption = 'Range'
      TabOrder = 2
      OnClick = RangeClick
      OnEnter = RangeClick
      OnExit = RangeClick
    end
    object Edit1: TEdit
      Left = 100
      Top = 70
      Width = 270
      Height = 24
      Enabled = False
      TabOrder = 3
    end
    object Label1: TLabel
      Left = 14
      Top = 100
      Caption = 'Enter page numbers and/or page ranges'
      Enabled = False
    end
    object Label3: TLabel
      Left = 14
      Top = 120
      Caption = 'separated by commas e.g. 1,2,5,7-14,21'
      Enabled = False
    end
  end
  object Label2: TLabel
    Left = 14
    Top = 172
    Caption = 'Page Selection'
  end
  object ComboBox1: TComboBox
    Left = 130
    Top = 168
    Width = 200
    Height = 24
    TabOrder = 1
  end
  object Label4: TLabel
    Left = 14
    Top = 208
    Caption = '# of Copies'
  end
  object Copies: TEdit
    Left = 130
    Top = 204
    Width = 60
    Height = 24
    TabOrder = 2
  end
  object Print: TButton
    Left = 220
    Top = 250
    Width = 85
    Height = 30
    Caption = '&Print'
    Default = True
    ModalResult = 1
    TabOrder = 3
  end
  object CancelBtn: TButton
    Left = 315
    Top = 250
    Width = 85
    Height = 30
    Cancel = True
    Caption = '&Close'
    ModalResult = 2
    TabOrder = 4
  end
end
)";

const TClassInfo& TAddition::StaticClassInfo() {
    static const TClassInfo& info =
        TClassBuilder<TAddition>("TAddition", &TForm::StaticClassInfo()).Abstract();
    return info;
}

TAddition::TAddition(TComponent* owner) : TForm(owner) {
    DefineMethod<void(TObject*)>("FormCreate", [this](TObject* s) { FormCreate(s); });
    DefineMethod<void(TObject*)>("RangeClick", [this](TObject* s) { RangeClick(s); });
    InitForm(kAdditionForm, "Addit.form");
}

void TAddition::FormCreate(TObject*) {
    const auto find = [this](const char* name) { return FindComponent(name); };
    PageRange = dynamic_cast<TGroupBox*>(find("PageRange"));
    All = dynamic_cast<TRadioButton*>(find("All"));
    Current = dynamic_cast<TRadioButton*>(find("Current"));
    Range = dynamic_cast<TRadioButton*>(find("Range"));
    Edit1 = dynamic_cast<TEdit*>(find("Edit1"));
    Label1 = dynamic_cast<TLabel*>(find("Label1"));
    Label2 = dynamic_cast<TLabel*>(find("Label2"));
    Label3 = dynamic_cast<TLabel*>(find("Label3"));
    Label4 = dynamic_cast<TLabel*>(find("Label4"));
    ComboBox1 = dynamic_cast<TComboBox*>(find("ComboBox1"));
    Copies = dynamic_cast<TEdit*>(find("Copies"));
    Print = dynamic_cast<TButton*>(find("Print"));
    CancelBtn = dynamic_cast<TButton*>(find("CancelBtn"));

    SetCaption(LoadSuiteText(17028, "Print Options"));
    PageRange->SetCaption(LoadSuiteText(17031, "Page Range"));
    All->SetCaption(LoadSuiteText(17029, "All Pages"));
    Current->SetCaption(LoadSuiteText(17030, "Current Page"));
    Range->SetCaption(LoadSuiteText(17031, "Range"));
    Label1->SetCaption(LoadSuiteText(17032, "Enter page numbers and/or page ranges"));
    Label3->SetCaption(LoadSuiteText(17033, "separated by commas e.g. 1,2,5,7-14,21"));
    Label2->SetCaption(LoadSuiteText(17034, "Page Selection"));
    Label4->SetCaption(LoadSuiteText(17046, "# of Copies"));
    Print->SetCaption(LoadSuiteText(17042, "&Print"));
    CancelBtn->SetCaption(LoadSuiteText(17020, "&Close"));
    ComboBox1->Items().Clear();
    ComboBox1->Items().Add(LoadSuiteText(17035, "Print All Pages"));
    ComboBox1->Items().Add(LoadSuiteText(17036, "Print Odd Pages"));
    ComboBox1->Items().Add(LoadSuiteText(17037, "Print Even Pages"));
    ComboBox1->SetItemIndex(0);
    Copies->SetText("1");

    // Laid out at 120 pixels per inch: the controls are scaled with the window, or Print and
    // Close would fall below its bottom edge.
    ScaleDialogToScreen(*this, kDesignPixelsPerInch);
}

void TAddition::RangeClick(TObject*) {
    if (!Range || !Edit1) return;  // while the form file is being read
    const bool range = Range->Checked();
    if (!range) Edit1->SetText("");
    Edit1->SetEnabled(range);
    Label1->SetEnabled(range);
    Label3->SetEnabled(range);
}

}  // namespace quillon
