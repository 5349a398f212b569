#pragma once
// The declarations every print component shares: the enumerations they publish as property
// types (ordinal values fixed, as form files store them by name and the code compares them by
// order), the non-visual component base, the titled container panel and the print request
// handed to controls that print themselves.

#include <cstdint>

namespace quillon {

// The look of the shadow label.
enum TStyle : std::uint8_t { stNormal, stShadow, stRaised, stSunken, stBlockShadow, stButton };

// What a totals control shows.
enum TTotals : std::uint8_t { tPageTotal, tAccTotal, tPageNumber, tDate, tTime, tText };

// On which pages a decoration appears (see ShowOnPage).
enum TShow : std::uint8_t {
    tFirstPage,
    tLastPage,
    tAllPages,
    tAllButFirst,
    tAllButLast,
    tFirstAndlast,
    tAllButFirstAndLast
};

// The page frame of a print job.
enum TVexFrameStyle : std::uint8_t { frThin, frThinThin, frThinThick, frThickThin, frThickThick };

// The measuring units of a print job.
enum TUnits : std::uint8_t { poInches, poCentimetres };

// Where a job's pages go. poHTML only names page files; no job can choose it.
enum TSendTo : std::uint8_t { poPrinter, poViewer, poHTML };

// The targets a job can choose: poPrinter .. poViewer.
using TOutput = TSendTo;
inline constexpr TOutput kOutputLow = poPrinter;
inline constexpr TOutput kOutputHigh = poViewer;

}  // namespace quillon
