// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's own web address, in one place: the report prints it in its footer and the
// links window opens it.

#include <string_view>

namespace quillon {

// As the links window opens it (its scheme is the launcher's default, http).
inline constexpr std::string_view kQuillonSiteAddress = "http://quillon.sourceforge.io";
// Without the scheme, as the links window keeps its addresses.
inline constexpr std::string_view kQuillonSite = kQuillonSiteAddress.substr(7);

}  // namespace quillon
