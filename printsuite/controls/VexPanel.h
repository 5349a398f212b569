// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A panel that can tile a picture (taken from an image control of the same form) over its
// face, with gaps between the tiles.

#include "platform/vcl/ext_controls.h"
#include "platform/vcl/std_controls.h"
#include "printsuite/base/Vex_Types.h"

namespace quillon {

class TVexPanel : public TCustomPanel, public TVexPanelPrinting {
    QUILLON_CLASS_INFO()
  public:
    explicit TVexPanel(TComponent* owner);
    ~TVexPanel() override;

    // The image control whose picture is tiled; cleared when that control is removed.
    TImage* Image() const { return image_; }
    void SetImage(TImage* image);
    // Paint the panel's own face (background and bevels) before the tiles.
    bool ClearScreen() const { return clearScreen_; }
    void SetClearScreen(bool v);
    int PixelsBetweenX() const { return gapX_; }
    void SetPixelsBetweenX(int v);
    int PixelsBetweenY() const { return gapY_; }
    void SetPixelsBetweenY(int v);

  protected:
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;

  private:
    void Repainted();

    TImage* image_ = nullptr;
    bool clearScreen_ = true;
    int gapX_ = 0;
    int gapY_ = 0;
};

}  // namespace quillon
