// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one place where a double becomes an integer coordinate or size.

#include <climits>
#include <cmath>

namespace quillon {

// Round to nearest, ties to even (2.5 -> 2, 3.5 -> 4). std::lrint rounds that way under the
// default floating-point rounding mode, which nothing in this program changes. Values outside
// the int range saturate and NaN gives 0, so a hostile size never turns into undefined behaviour.
inline int RoundToInt(double value) noexcept {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(std::lrint(value));
}

}  // namespace quillon
