// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The rich edit that prints itself: asked by the window printers for a page rectangle, it
// formats the next portion of its text there and remembers where the following request goes
// on (NextChar), so that the text flows on into the continuation panels that name it.

#include <string>

#include "platform/vcl/ext_controls.h"
#include "printsuite/base/Vex_Types.h"

namespace quillon {

class TRichEditE : public TRichEdit, public TVexSelfPrinting {
    QUILLON_CLASS_INFO()
  public:
    explicit TRichEditE(TComponent* owner);

    // The position at which the next print request starts (0: the beginning).
    int NextChar() const { return nextChar_; }
    void SetNextChar(int position) { nextChar_ = position < 0 ? 0 : position; }

    // The print message (kVexPrintMessage, the request's address): formats from NextChar into
    // the request's (currentX, currentY, right, bottom), in printer pixels of the page, and
    // moves NextChar past what it printed. kVexPrintedAll when the whole text has printed,
    // else kVexPrintedPart; 0 for another message or no request.
    int Perform(int message, const TVexPrint* request);

    int PrintRequest(const TVexPrint& request) override;
    void RewindPrinting() override;
    int UnprintedLength() const override;
    std::string PrintingName() const override;

  private:
    int nextChar_ = 0;
    bool requested_ = false;  // a request came since the last rewind
};

// Makes the printing rich edit and its continuation panel known to form files.
void RegisterRichTextPrintingClasses();

}  // namespace quillon
