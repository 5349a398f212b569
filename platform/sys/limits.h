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

// Page lists: an element is read up to this many characters (the rest of it is ignored), and
// the upper bound of a range up to kMaxListUpperBound characters after its "-".
inline constexpr std::size_t kMaxListElement = 255;
inline constexpr std::size_t kMaxListUpperBound = 20;

}  // namespace quillon::limits
