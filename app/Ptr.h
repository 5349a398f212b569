#pragma once
// TPrintFrm "Print Format": the one-page report of the current analysis, laid out as a
// hidden form whose white panel is printed. Everything happens while it is created.

#include <array>

#include "platform/vcl/forms.h"

namespace quillon {

class TLabel;
class TPanel;
class TDBPrintWin;

// The right footer of the report: the program's own web address.
inline constexpr const char* kReportWebAddress = "https://quillon.example.org";
// The left footer: the date and time of printing, eight spaces in.
inline constexpr const char* kReportFooterLeft = "        Printed on @Date at @Time";

class TPrintFrm : public TForm {
    QUILLON_CLASS_INFO()
  public:
    explicit TPrintFrm(TComponent* owner);

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

  private:
    void FindControls();
    void FillFromCalculator();
    void PrintPanel();
};

}  // namespace quillon
