#pragma once
// The form printer TDBPrintWin: the print job of TPrintWin with a window walk that also knows
// the suite's own controls (the shadow label, the totals box, the image panel) and has the
// places of the data-aware controls and the grids whose tables continue page by page.

#include <string>

#include "printsuite/job/PrnWin.h"

namespace quillon {

class TDBPrintWin : public TPrintWin {
    QUILLON_CLASS_INFO()
  public:
    explicit TDBPrintWin(TComponent* owner);

    std::string GetComponentName() override;
    void StartJob() override;
    void EndJob() override;

    // The suite's shadow label (page rectangle in printer pixels).
    void PrintShadowLabel(TCustomLabel& label, const TVexShadowLabelPrinting& look,
                          const TRect& rect);
    // A totals box: its text, the date, the time, the page number or a column total, on the
    // passes its ShowOn allows.
    void PrintTotal(TControl& control, const TVexTotalPrinting& total, const TRect& rect);
    // The text a totals box prints on the current pass.
    std::string TotalText(const TVexTotalPrinting& total);

    // The page total and the accumulated total of the grid column whose display label is
    // `fieldLabel` (ignoring case); 0 while no grid has printed rows.
    virtual double GetPageTotal(TWinControl* grid, const std::string& fieldLabel);
    virtual double GetMainTotal(TWinControl* grid, const std::string& fieldLabel);

  protected:
    void PrintChild(TControl& child, const TRect& rect) override;
    // The data-aware controls; their fields are printed with the dataset printing.
    virtual void PrintDataAware(TControl& control, const TRect& rect);
};

// Makes the form printer known to form files by name (with the job and the layers below).
void RegisterFormPrinterClasses();

}  // namespace quillon
