// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// `quillon render-page FILE [--png OUT] [--pdf OUT] [--scale S]`: draws one page file on
// white, at the page size it was recorded for times S, into a PNG image (S defaults to
// 0.25) and/or onto a PDF page (S defaults to 1: the page's true size). A file made by
// another program, without our page comment, shows the area from (0, 0) to the
// bottom-right corner of its header bounds.
//
// Runs with the Qt graphics backend installed (QtGraphicsSession).

#include <optional>
#include <string>

#include "platform/sys/limits.h"

namespace quillon {

// What to render, as the command line gave it (checked by the command-line layer: a file and
// at least one output, a positive finite scale).
struct RenderPageOptions {
    std::string file;
    std::string png;  // empty: no image
    std::string pdf;  // empty: no PDF
    std::optional<double> scale;
    int fitSide = 0;  // > 0: the PNG fitted into fitSide x fitSide pixels, whatever the scale
};

// Exit status: 0 when every requested output was written, 1 when the file is not a valid
// page or an output cannot be written (one line on `err` says why).
int RunRenderPage(const RenderPageOptions& opt, std::string& err);

// Largest image side render-page writes, in pixels (its image area is bounded by
// limits::kMaxRenderPixels as well).
inline constexpr int kMaxRenderSide = limits::kMaxRenderSide;

}  // namespace quillon
