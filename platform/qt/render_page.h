#pragma once
// `quillon render-page FILE [--png OUT] [--pdf OUT] [--scale S]`: draws one page file on
// white, at the page size it was recorded for times S, into a PNG image (S defaults to
// 0.25) and/or onto a PDF page (S defaults to 1: the page's true size). A file made by
// another program, without our page comment, shows the area from (0, 0) to the
// bottom-right corner of its header bounds.
//
// Runs with the Qt graphics backend installed (QtGraphicsSession).

#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/limits.h"

namespace quillon {

// Exit status: 0 when every requested output was written, 1 when the file is not a valid
// page or an output cannot be written (one line on `err` says why), 2 for a usage error
// (the usage line follows the reason).
int RunRenderPage(const std::vector<std::string_view>& args, std::string& err);

// Largest image side render-page writes, in pixels (its image area is bounded by
// limits::kMaxRenderPixels as well).
inline constexpr int kMaxRenderSide = limits::kMaxRenderSide;

}  // namespace quillon
