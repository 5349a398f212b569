// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TCalcFrm: the calculator, the program's main window. The user types a name;
// after every change of it, and after every switch of the letter-value
// system, the analysis runs over the whole text and fills the window.

#include <array>
#include <string_view>

#include "app/name_analysis.h"
#include "platform/vcl/forms.h"

namespace quillon {

class TEdit;
class TLabel;
class TButton;
class TBitBtn;
class TPanel;
class TPrintDialog;

class TCalcFrm : public TForm {
    QUILLON_CLASS_INFO()
  public:
    // Reads the window from its embedded form file.
    explicit TCalcFrm(TComponent* owner);
    ~TCalcFrm() override;

    // Controls (the names of the form file).
    TLabel *Label12 = nullptr, *Label13 = nullptr, *Label14 = nullptr, *Label17 = nullptr;
    TLabel *Label18 = nullptr, *Label20 = nullptr;
    TEdit *Vowels = nullptr, *Data = nullptr, *Constants = nullptr;
    TEdit *VTotal = nullptr, *Total = nullptr, *CTotal = nullptr;
    TEdit *VTot1 = nullptr, *Tot1 = nullptr, *CTot1 = nullptr;
    TEdit *VTot2 = nullptr, *Tot2 = nullptr, *CTot2 = nullptr;
    TPanel *Panel1 = nullptr, *Panel2 = nullptr;
    std::array<TLabel*, 9> V{}, C{}, T{};  // V[0] is V1 ... V[8] is V9
    TLabel *vvt = nullptr, *cct = nullptr, *ttt = nullptr;
    TButton *ClearBtn = nullptr, *HelpBtn = nullptr, *MthBtn = nullptr, *ExitBtn = nullptr;
    TBitBtn *PrintBtn = nullptr, *InternetBtn = nullptr;
    TPrintDialog* PrintDialog1 = nullptr;

    // Window state kept between events.
    NumberSystem System() const { return system_; }
    // The answer of the Y question: 1 when the typed Y is to be a vowel.
    int YAnswer() const { return yAnswer_; }
    void SetYAnswer(int answer) { yAnswer_ = answer; }
    // 1 from a typed Ctrl+V until the change of text it causes.
    int PasteFlag() const { return pasteFlag_; }

    // The record of the last analysis (what the fields show).
    const NameAnalysis& Analysis() const { return analysis_; }

    // Handlers (bound by name from the form file).
    void FormCreate(TObject* sender);
    void DataKeyPress(TObject* sender, char32_t& key);
    void DataKeyUp(TObject* sender, std::uint16_t& key, TShiftState shift);
    void DataChange(TObject* sender);
    void MthBtnClick(TObject* sender);
    void ClearBtnClick(TObject* sender);
    void ExitBtnClick(TObject* sender);
    void HelpBtnClick(TObject* sender);
    void PrintBtnClick(TObject* sender);
    void InternetBtnClick(TObject* sender);
    // The nine colour handlers share one rule: red for "11" .. "99".
    void VTotalChange(TObject* sender);
    void TotalChange(TObject* sender);
    void CTotalChange(TObject* sender);
    void VTot1Change(TObject* sender);
    void Tot1Change(TObject* sender);
    void CTot1Change(TObject* sender);
    void VTot2Change(TObject* sender);
    void Tot2Change(TObject* sender);
    void CTot2Change(TObject* sender);

  private:
    void FindControls();
    // Runs the analysis over the name field with the selected system and shows it.
    void ShowAnalysis();
    static void ColourSum(TEdit* edit);

    NumberSystem system_ = NumberSystem::Pythagorean;
    int yAnswer_ = 0;
    int pasteFlag_ = 0;
    NameAnalysis analysis_;
};

// The calculator window of the running program (nullptr before it is created
// and after it is destroyed).
extern TCalcFrm* CalcFrm;

// The title of the report's print job, which names a report printed to a file: the analysed
// name upper-cased and trimmed, or "Quillon report" when there is none.
std::string ReportDocumentTitle(const std::string& name);

}  // namespace quillon
