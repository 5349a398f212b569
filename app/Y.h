// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TYFrm: the question whether a typed Y counts as a vowel, shown modally by
// the calculator while the key waits.

#include "platform/vcl/forms.h"

namespace quillon {

class TLabel;
class TButton;

class TYFrm : public TForm {
    QUILLON_CLASS_INFO()
  public:
    explicit TYFrm(TComponent* owner);
    ~TYFrm() override;

    TLabel* Data = nullptr;  // the name with the pending Y
    TLabel* Label1 = nullptr;
    TButton *YesBtn = nullptr, *NoBtn = nullptr;

    // Beeps and shows the calculator's name with "Y" at its end.
    void FormActivate(TObject* sender);
    // Yes: the calculator's Y answer becomes 1. No (and Esc, and the title
    // bar's close box) leave the answer alone, so the Y stays a consonant.
    void YesBtnClick(TObject* sender);
    void NoBtnClick(TObject* sender);
};

extern TYFrm* YFrm;

}  // namespace quillon
