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

// Drawing state saved and not yet restored (SaveDC). Each level holds a copy of the whole
// state, so a page file of nothing but saves would otherwise grow without bound.
inline constexpr std::size_t kMaxSavedStates = 10'000;

}  // namespace quillon::limits
