#pragma once
// The platform's common dialogs as components a form holds: the print dialog.

#include "platform/components.h"

namespace quillon {

class TPrintDialog : public TComponent {
    QUILLON_CLASS_INFO()
  public:
    explicit TPrintDialog(TComponent* owner);

    // Shows the platform's print dialog over Printer()'s printers. When the
    // user confirms, the chosen printer becomes Printer()'s current one, in
    // the chosen orientation, and true is returned; a cancel changes nothing.
    bool Execute();

    // Copies asked for (at least 1 after a confirmed dialog; 0: not set).
    int Copies() const { return copies_; }
    void SetCopies(int copies) { copies_ = copies < 0 ? 0 : copies; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

  private:
    int copies_ = 0;
};

}  // namespace quillon
