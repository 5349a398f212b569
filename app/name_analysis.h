// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The numerology of a name: letter values under the two systems, the vowel and
// consonant lines, the three sums with their reductions and the 9 x 3 grid.
// Pure logic; the calculator window and the report only show what it returns.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

enum class NumberSystem { Pythagorean, Chaldean };

// "Pythagorean" or "Chaldean".
const char* NumberSystemText(NumberSystem system);

// The first and second reduction of a sum; either may be absent.
struct Reduction {
    std::optional<int> first;
    std::optional<int> second;
    bool operator==(const Reduction&) const = default;
};

// The grid: how often each digit 1..9 stands in the vowel and consonant lines.
struct DigitCounts {
    std::array<int, 9> v{};  // v[n - 1] = occurrences of digit n in the vowel line
    std::array<int, 9> c{};  // c[n - 1] = occurrences in the consonant line
    int vvt = 0, cct = 0;
};

// The class a character falls in.
enum class CharClass { Vowel, Consonant, Digit, Other };

// Class and value (1..9; 0 for Other) of one code point under `system`.
struct LetterValue {
    CharClass kind;
    int value;
};
LetterValue ValueOf(char32_t ch, NumberSystem system);

struct NameAnalysis {
    std::string Data;  // the analysed name, unchanged (UTF-8)
    NumberSystem System = NumberSystem::Pythagorean;
    std::string Vowels;     // one character per character of Data: a digit or a space
    std::string Constants;  // the consonant line, same shape
    int VTotal = 0, CTotal = 0, Total = 0;
    std::optional<int> VTot1, VTot2, CTot1, CTot2, Tot1, Tot2;
    int V1 = 0, V2 = 0, V3 = 0, V4 = 0, V5 = 0, V6 = 0, V7 = 0, V8 = 0, V9 = 0;
    int C1 = 0, C2 = 0, C3 = 0, C4 = 0, C5 = 0, C6 = 0, C7 = 0, C8 = 0, C9 = 0;
    int T1 = 0, T2 = 0, T3 = 0, T4 = 0, T5 = 0, T6 = 0, T7 = 0, T8 = 0, T9 = 0;
    int vvt = 0, cct = 0, ttt = 0;

    // Grid cells by digit n = 1..9 (any other n gives 0).
    int V(int n) const;
    int C(int n) const;
    int T(int n) const;
};

// Runs the analysis over the whole name. Never fails: characters outside the
// known classes leave a space in both lines; each invalid UTF-8 byte counts as
// one such character.
NameAnalysis AnalyseName(std::string_view name, NumberSystem system);

// The same into an existing record, reusing its text buffers (the window and
// the command line rerun the analysis many times over one record).
void AnalyseName(std::string_view name, NumberSystem system, NameAnalysis& into);

// Reductions of one sum: R1 = S / 10 + S % 10 for any S of two or more digits
// (for three digits that is the first two digits as a number plus the third);
// R2 = the digit sum of R1 when R1 has two or more digits.
Reduction ReduceSum(int sum);

// The grid over a vowel line and a consonant line.
DigitCounts CountDigits(std::string_view vowels, std::string_view constants);

// Decimal text of a number, empty for an absent reduction.
std::string NumberText(std::optional<int> value);

// True for the texts shown in red (window) or bold (report): exactly two
// characters, both the same ("11" .. "99").
bool HasEqualDigits(std::string_view text);

}  // namespace quillon
