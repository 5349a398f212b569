// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The screen as the component library reports it. Forms are laid out at 96 pixels per inch
// and never scaled.

#include "platform/sys/desktop.h"
#include "platform/gdi/device_context.h"

namespace quillon {

class TScreen {
  public:
    int PixelsPerInch() const;
    int Width() const;
    int Height() const;
    // Caps of the screen as a reference device (page recording measures against it).
    DeviceCaps Caps() const;

    // The pointer shape over the whole application (crDefault: each control's
    // own); told to the desktop backend.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

  private:
    TCursor cursor_ = crDefault;
};

TScreen& Screen();

}  // namespace quillon
