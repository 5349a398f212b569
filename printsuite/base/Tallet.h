// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The print status dialog "Print Status": a small modeless window that names the printer a
// job is formatted for, the page being worked on and what is happening, with an Abort button.
// The job writes Page and Status and reads Aborted; it never waits on the dialog. There is
// one at a time, held in PrintDialog1; whoever creates it releases it.

#include <string>

#include "platform/vcl/ext_controls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/std_controls.h"

namespace quillon {

class TPrintDialog1 : public TForm {
    QUILLON_CLASS_INFO()
  public:
    // Reads the dialog's form (laid out at 120 pixels per inch) and scales it to the screen.
    explicit TPrintDialog1(TComponent* owner);
    ~TPrintDialog1() override;

    TBevel* Bevel1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TEdit* ToPrinter = nullptr;
    TEdit* Page = nullptr;
    TEdit* Status = nullptr;
    TButton* CancelBtn = nullptr;

    // The user pressed Abort since the dialog was created or last activated.
    bool Aborted() const { return aborted_; }

    void FormCreate(TObject* sender);
    void FormActivate(TObject* sender);
    void CancelBtnClick(TObject* sender);

    // The resolution the dialog's form is laid out at.
    static constexpr int kDesignPixelsPerInch = 120;

  private:
    void ScaleToScreen();
    bool aborted_ = false;
};

// The application-wide dialog reference (nullptr when there is none).
extern TPrintDialog1* PrintDialog1;

// Creates the dialog (owned by the application) into PrintDialog1, releasing one left over.
TPrintDialog1* CreatePrintDialog();
// Destroys the dialog in PrintDialog1, if any.
void ReleasePrintDialog();

// The dialog's form file, as embedded in the program.
extern const char* const kPrintDialogForm;

}  // namespace quillon
