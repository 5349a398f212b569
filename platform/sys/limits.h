#pragma once
// Every limit the program puts on outside input (page files, form files, images, texts,
// databases, command lines) in one place, with the reason it is there. Input past a limit is
// refused with a reason, never by running out of memory or time. Each reader names the limit
// it enforces, so a search for the constant finds every place that relies on it.

#include <cstddef>
#include <cstdint>

namespace quillon::limits {

// Form files: objects nested deeper than this are refused (a recursive reader's stack).
inline constexpr int kMaxFormNesting = 200;

// Rendered images (render-page, previews of a page): a side longer than this is refused, and
// so is an image of more pixels than kMaxRenderPixels (256 M pixels, 1 GB at four bytes a
// pixel), which the side alone does not bound: 32,768 x 32,768 would be 4 GB.
inline constexpr int kMaxRenderSide = 32768;
inline constexpr std::int64_t kMaxRenderPixels = std::int64_t{256} << 20;

}  // namespace quillon::limits
