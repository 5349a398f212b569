// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The page the print benchmarks record: a thin frame and 60 lines of text on a Letter page at
// 600 pixels per inch.

#include <string>

#include "printsuite/draw/Vex_Gdi.h"

namespace quillon::bench {

inline void DrawSamplePage(TGdi& gdi, int page) {
    gdi.SetPen(1, clBlack);
    gdi.FrameBox(300, 300, 4800, 6000, 2, 2, 2, 2);
    gdi.SetFont("Arial", -50);
    for (int line = 0; line < 60; ++line) {
        gdi.PutText(400, 400 + line * 90,
                    "Page " + std::to_string(page) + ", line " + std::to_string(line) +
                        ": the quick brown fox jumps over the lazy dog");
    }
}

}  // namespace quillon::bench
