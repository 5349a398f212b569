// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A continuation panel: a plain panel standing for a further area of the page into which the
// text of a printing rich edit carries on. On screen it paints as a panel; when printed it
// hands the print request to the rich edit it names.

#include "platform/vcl/std_controls.h"
#include "printsuite/base/Vex_Types.h"
#include "printsuite/forms/VexRich.h"

namespace quillon {

class TVexRichCon : public TCustomPanel, public TVexContinuing {
    QUILLON_CLASS_INFO()
  public:
    explicit TVexRichCon(TComponent* owner);
    ~TVexRichCon() override;

    // The rich edit continued here; cleared when that control is destroyed. One of another
    // form is refused (std::invalid_argument): its text belongs to that form's pages.
    TRichEditE* ParentRichEditE() const { return richEdit_; }
    void SetParentRichEditE(TRichEditE* edit);

    // The print message goes to the rich edit with the same request; its answer, or 0 when
    // the panel names none.
    int Perform(int message, const TVexPrint* request);

    TVexSelfPrinting* ContinuedControl() const override { return richEdit_; }

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    TRichEditE* richEdit_ = nullptr;
};

class TVexRichContinue : public TVexRichCon {
    QUILLON_CLASS_INFO()
  public:
    using TVexRichCon::TVexRichCon;
};

}  // namespace quillon
