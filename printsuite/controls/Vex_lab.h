// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The suite's label with a three-dimensional look: a plain caption, a drop shadow, a raised
// or sunken caption, a box with a block shadow, or a flat button face.

#include "platform/vcl/std_controls.h"
#include "printsuite/base/Vex_Types.h"

namespace quillon {

class TVex_Label : public TCustomLabel, public TVexShadowLabelPrinting {
    QUILLON_CLASS_INFO()
  public:
    explicit TVex_Label(TComponent* owner);

    TStyle Style() const override { return style_; }
    void SetStyle(TStyle s);
    // Shadow distance in pixels (stShadow, stBlockShadow).
    int ShadowOffset() const override { return shadowOffset_; }
    void SetShadowOffset(int v);
    TColor ShadowColor() const override { return shadowColor_; }
    void SetShadowColor(TColor c);
    // The background when printed.
    TColor PrintBkColor() const { return printBkColor_; }
    void SetPrintBkColor(TColor c);

    // The format flags the caption is drawn with.
    unsigned TextFlags() const;

  protected:
    void Paint() override;

  private:
    TStyle style_ = stSunken;
    int shadowOffset_ = 3;
    TColor shadowColor_ = clBtnShadow;
    TColor printBkColor_ = clWhite;
};

}  // namespace quillon
