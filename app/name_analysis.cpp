// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/name_analysis.h"

#include "platform/sys/utf8.h"

namespace quillon {

namespace {

// Letter values A..Z per system; the lower-case vowel marker y takes Y's value.
constexpr std::array<signed char, 26> kPythagorean = {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 4,
                                                      5, 6, 7, 8, 9, 1, 2, 3, 4, 5, 6, 7, 8};
constexpr std::array<signed char, 26> kChaldean = {1, 2, 3, 4, 5, 8, 3, 5, 1, 1, 2, 3, 4,
                                                   5, 7, 8, 1, 2, 3, 4, 6, 6, 6, 5, 1, 7};

constexpr bool IsVowelLetter(char32_t ch) {
    return ch == 'A' || ch == 'E' || ch == 'I' || ch == 'O' || ch == 'U';
}

// Class and value for every byte value below 0x80, per system, built once.
struct AsciiTable {
    std::array<LetterValue, 128> entry[2];
    constexpr AsciiTable() : entry{} {
        for (int s = 0; s < 2; ++s) {
            const auto& values = s == 0 ? kPythagorean : kChaldean;
            for (char32_t ch = 0; ch < 128; ++ch) {
                LetterValue lv{CharClass::Other, 0};
                if (ch >= 'A' && ch <= 'Z') {
                    lv = {IsVowelLetter(ch) ? CharClass::Vowel : CharClass::Consonant,
                          values[ch - 'A']};
                } else if (ch == 'y') {
                    lv = {CharClass::Vowel, values['Y' - 'A']};
                } else if (ch >= '1' && ch <= '9') {
                    lv = {CharClass::Digit, static_cast<int>(ch - '0')};
                }
                entry[s][ch] = lv;
            }
        }
    }
};
constexpr AsciiTable kTable;

// The same table in the form the analysis loop wants: what each byte writes
// into the two lines and adds to the three sums, so the loop needs no branch.
struct Step {
    char vowelChar, consonantChar;          // a digit or a space
    unsigned char vowel, consonant, digit;  // values added; 0 for none
};
struct StepTable {
    std::array<Step, 128> entry[2];
    constexpr StepTable() : entry{} {
        for (int s = 0; s < 2; ++s) {
            for (int ch = 0; ch < 128; ++ch) {
                const LetterValue lv = kTable.entry[s][ch];
                const auto value = static_cast<unsigned char>(lv.value);
                const char digit = static_cast<char>('0' + lv.value);
                Step st{' ', ' ', 0, 0, 0};
                if (lv.kind == CharClass::Vowel) st.vowelChar = digit, st.vowel = value;
                if (lv.kind == CharClass::Consonant) st.consonantChar = digit, st.consonant = value;
                if (lv.kind == CharClass::Digit) st.digit = value;
                entry[s][ch] = st;
            }
        }
    }
};
constexpr StepTable kSteps;

}  // namespace

const char* NumberSystemText(NumberSystem system) {
    return system == NumberSystem::Chaldean ? "Chaldean" : "Pythagorean";
}

LetterValue ValueOf(char32_t ch, NumberSystem system) {
    if (ch >= 128) return {CharClass::Other, 0};
    return kTable.entry[system == NumberSystem::Chaldean ? 1 : 0][ch];
}

Reduction ReduceSum(int sum) {
    Reduction r;
    if (sum < 10) return r;  // a single digit (or a negative, which no name gives)
    const int first = sum / 10 + sum % 10;
    r.first = first;
    if (first >= 10) r.second = first / 10 + first % 10;
    return r;
}

DigitCounts CountDigits(std::string_view vowels, std::string_view constants) {
    DigitCounts g;
    for (char ch : vowels) {
        if (ch >= '1' && ch <= '9') ++g.v[ch - '1'], ++g.vvt;
    }
    for (char ch : constants) {
        if (ch >= '1' && ch <= '9') ++g.c[ch - '1'], ++g.cct;
    }
    return g;
}

NameAnalysis AnalyseName(std::string_view name, NumberSystem system) {
    NameAnalysis a;
    AnalyseName(name, system, a);
    return a;
}

void AnalyseName(std::string_view name, NumberSystem system, NameAnalysis& a) {
    a.Data.assign(name);
    a.System = system;
    // A line never has more characters than the name has bytes: build both in
    // place and trim them to the character count at the end.
    a.Vowels.resize(name.size());
    a.Constants.resize(name.size());
    char* const vowels = a.Vowels.data();
    char* const consonants = a.Constants.data();
    const auto& steps = kSteps.entry[system == NumberSystem::Chaldean ? 1 : 0];
    // Counts by value; index 0 collects the characters that are not letters.
    int vowelCount[10] = {}, consonantCount[10] = {};
    int vowelSum = 0, consonantSum = 0, digitSum = 0;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < name.size(); ++chars) {
        const auto byte = static_cast<unsigned char>(name[i]);
        Step st{' ', ' ', 0, 0, 0};
        if (byte < 0x80) [[likely]] {
            st = steps[byte];
            ++i;
        } else {
            i += utf8::DecodeOne(name.substr(i)).length;  // never a letter of ours
        }
        vowels[chars] = st.vowelChar;
        consonants[chars] = st.consonantChar;
        vowelSum += st.vowel;
        consonantSum += st.consonant;
        digitSum += st.digit;
        ++vowelCount[st.vowel];
        ++consonantCount[st.consonant];
    }
    DigitCounts g;
    for (int n = 0; n < 9; ++n) g.v[n] = vowelCount[n + 1], g.c[n] = consonantCount[n + 1];
    a.Vowels.resize(chars);
    a.Constants.resize(chars);
    a.VTotal = vowelSum;
    a.CTotal = consonantSum;
    a.Total = vowelSum + consonantSum + digitSum;
    const Reduction rv = ReduceSum(a.VTotal), rc = ReduceSum(a.CTotal), rt = ReduceSum(a.Total);
    a.VTot1 = rv.first, a.VTot2 = rv.second;
    a.CTot1 = rc.first, a.CTot2 = rc.second;
    a.Tot1 = rt.first, a.Tot2 = rt.second;

    // The grid, counted on the way: the same as CountDigits over the two lines.
    int vvt = 0, cct = 0;
    int* const vs[9] = {&a.V1, &a.V2, &a.V3, &a.V4, &a.V5, &a.V6, &a.V7, &a.V8, &a.V9};
    int* const cs[9] = {&a.C1, &a.C2, &a.C3, &a.C4, &a.C5, &a.C6, &a.C7, &a.C8, &a.C9};
    int* const ts[9] = {&a.T1, &a.T2, &a.T3, &a.T4, &a.T5, &a.T6, &a.T7, &a.T8, &a.T9};
    for (int n = 0; n < 9; ++n) {
        *vs[n] = g.v[n];
        *cs[n] = g.c[n];
        *ts[n] = g.v[n] + g.c[n];
        vvt += g.v[n];
        cct += g.c[n];
    }
    a.vvt = vvt;
    a.cct = cct;
    a.ttt = vvt + cct;
}

int NameAnalysis::V(int n) const {
    static constexpr int NameAnalysis::*k[9] = {
        &NameAnalysis::V1, &NameAnalysis::V2, &NameAnalysis::V3,
        &NameAnalysis::V4, &NameAnalysis::V5, &NameAnalysis::V6,
        &NameAnalysis::V7, &NameAnalysis::V8, &NameAnalysis::V9};
    return n >= 1 && n <= 9 ? this->*k[n - 1] : 0;
}

int NameAnalysis::C(int n) const {
    static constexpr int NameAnalysis::*k[9] = {
        &NameAnalysis::C1, &NameAnalysis::C2, &NameAnalysis::C3,
        &NameAnalysis::C4, &NameAnalysis::C5, &NameAnalysis::C6,
        &NameAnalysis::C7, &NameAnalysis::C8, &NameAnalysis::C9};
    return n >= 1 && n <= 9 ? this->*k[n - 1] : 0;
}

int NameAnalysis::T(int n) const {
    static constexpr int NameAnalysis::*k[9] = {
        &NameAnalysis::T1, &NameAnalysis::T2, &NameAnalysis::T3,
        &NameAnalysis::T4, &NameAnalysis::T5, &NameAnalysis::T6,
        &NameAnalysis::T7, &NameAnalysis::T8, &NameAnalysis::T9};
    return n >= 1 && n <= 9 ? this->*k[n - 1] : 0;
}

std::string NumberText(std::optional<int> value) {
    return value ? std::to_string(*value) : std::string();
}

bool HasEqualDigits(std::string_view text) {
    return text.size() == 2 && text[0] == text[1];
}

}  // namespace quillon
