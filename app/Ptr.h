// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TPrintFrm "Print Format": the one-page report of the current analysis, laid out as a
// hidden form whose white panel is printed. Everything happens while it is created.

#include <array>
#include <string_view>

#include "app/site.h"
#include "platform/vcl/forms.h"

namespace quillon {

class TLabel;
class TPanel;
class TDBPrintWin;

// The right footer of the report: the program's own web address.
inline constexpr std::string_view kReportWebAddress = kQuillonSiteAddress;
// The left footer: the date and time of printing, eight spaces in.
inline constexpr const char* kReportFooterLeft = "        Printed on @Date at @Time";

struct NameAnalysis;

class TPrintFrm : public TForm {
    QUILLON_CLASS_INFO()
  public:
    // Prints the calculator's analysis while it is created.
    explicit TPrintFrm(TComponent* owner);
    // Only the layout, hidden, for the program's commands to fill and print (FillFrom).
    TPrintFrm(TComponent* owner, bool printOnCreate);

    TPanel* Panel1 = nullptr;
    TLabel *Label1 = nullptr, *Label13 = nullptr;
    TLabel *Vowels = nullptr, *Data = nullptr, *Constants = nullptr;
    TLabel *Vtot = nullptr, *Vtot1 = nullptr, *Vtot2 = nullptr;
    TLabel *Total = nullptr, *Tot1 = nullptr, *Tot2 = nullptr;
    TLabel *Ctot = nullptr, *Ctot1 = nullptr, *Ctot2 = nullptr;
    std::array<TLabel*, 9> V{}, C{}, T{};  // V[0] is V1 ... V[8] is V9
    TLabel *vvt = nullptr, *cct = nullptr, *ttt = nullptr;
    TDBPrintWin* DBPrintWin1 = nullptr;

    // Copies the calculator's values into the labels, hides the form and prints Panel1 on
    // the current printer with the footer texts.
    void FormCreate(TObject* sender);

    // The labels of one analysis, as the calculator would show it.
    void FillFrom(const NameAnalysis& analysis);

  private:
    void SetSum(TLabel* label, const std::string& text);
    bool printOnCreate_ = true;
    void FindControls();
    void FillFromCalculator();
    void PrintPanel();
};

}  // namespace quillon
