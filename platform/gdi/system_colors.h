// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The system colours (clBtnFace, clWindow, ...) of windows on the screen. Printing and every
// drawing outside a ScreenColors scope resolve them from the fixed classic palette, so pages do
// not change with the desktop; windows on the screen take the desktop's colours where the host
// has set them. Explicit colours are never touched.

#include <array>
#include <optional>

#include "platform/gdi/graphics.h"

namespace quillon {

inline constexpr int kSystemColorCount = 25;
using SystemColorTable = std::array<TColor, kSystemColorCount>;

// The desktop's colours for the screen (RGB by system colour index); nullopt: the classic ones.
void SetScreenSystemColors(const std::optional<SystemColorTable>& colors);

// While alive on this thread, ColorToRGB resolves system colours as the screen shows them.
class ScreenColors {
  public:
    ScreenColors();
    ~ScreenColors();
    ScreenColors(const ScreenColors&) = delete;
    ScreenColors& operator=(const ScreenColors&) = delete;

  private:
    const SystemColorTable* previous_;
};

}  // namespace quillon
