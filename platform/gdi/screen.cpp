// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/gdi/screen.h"

#include "platform/gdi/graphics_backend.h"

namespace quillon {

int TScreen::PixelsPerInch() const {
    const int ppi = GetGraphicsBackend().Screen().pixelsPerInch;
    return ppi > 0 ? ppi : 96;
}

int TScreen::Width() const {
    return GetGraphicsBackend().Screen().width;
}

int TScreen::Height() const {
    return GetGraphicsBackend().Screen().height;
}

DeviceCaps TScreen::Caps() const {
    const ScreenInfo info = GetGraphicsBackend().Screen();
    DeviceCaps caps;
    caps.technology = DT_RASDISPLAY;
    caps.widthPixels = info.width;
    caps.heightPixels = info.height;
    caps.logPixelsX = caps.logPixelsY = info.pixelsPerInch > 0 ? info.pixelsPerInch : 96;
    return caps;
}

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == cursor_) return;
    cursor_ = cursor;
    Desktop().SetScreenCursor(cursor);
}

TScreen& Screen() {
    static TScreen screen;
    return screen;
}

}  // namespace quillon
