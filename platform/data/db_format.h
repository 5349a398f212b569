// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Number formatting of fields and totals: picture formats ("#,##0.00") and the
// currency format, with the separators and currency of the user's locale.

#include <string>
#include <string_view>

namespace quillon {

struct TFormatSettings {
    std::string ThousandSeparator = ",";
    std::string DecimalSeparator = ".";
    std::string CurrencyString = "$";
    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int CurrencyFormat = 0;
    // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-", 8 "-1 $"
    int NegCurrFormat = 0;
    int CurrencyDecimals = 2;

    // The settings of the process's locale (LC_NUMERIC, LC_MONETARY from the
    // environment); the plain C locale keeps the defaults above.
    static TFormatSettings FromLocale();
};

// The process-wide settings used when none are given (FromLocale at first use).
TFormatSettings& FormatSettings();

// A picture format: up to three sections "positive;negative;zero" of '0'
// (digit), '#' (digit if significant), '.', ',' (thousands), 'E+'/'E-',
// quoted literals; other characters are copied. An empty format is %g.
std::string FormatFloat(std::string_view format, double value);
std::string FormatFloat(std::string_view format, double value, const TFormatSettings& fs);

// One number through a printf-like format: %m (currency), %n (thousands, 2
// decimals), %f, %g, %d, each with an optional .precision; %% is a percent
// sign. Other characters are copied.
std::string Format(std::string_view format, double value);
std::string Format(std::string_view format, double value, const TFormatSettings& fs);

}  // namespace quillon
