// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/name_analysis.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

// Lines written with '.' for a space, as in the worked examples.
std::string Dots(std::string line) {
    for (char& c : line)
        if (c == ' ') c = '.';
    return line;
}

std::array<int, 9> Row(const NameAnalysis& a, int (NameAnalysis::*cell)(int) const) {
    std::array<int, 9> r{};
    for (int n = 1; n <= 9; ++n) r[n - 1] = (a.*cell)(n);
    return r;
}

TEST(NameAnalysis, AbcIsTheSameUnderBothSystems) {
    for (auto system : {NumberSystem::Pythagorean, NumberSystem::Chaldean}) {
        const NameAnalysis a = AnalyseName("ABC", system);
        EXPECT_EQ(a.Data, "ABC");
        EXPECT_EQ(a.System, system);
        EXPECT_EQ(Dots(a.Vowels), "1..");
        EXPECT_EQ(Dots(a.Constants), ".23");
        EXPECT_EQ(a.VTotal, 1);
        EXPECT_EQ(a.CTotal, 5);
        EXPECT_EQ(a.Total, 6);
        EXPECT_FALSE(a.VTot1 || a.VTot2 || a.CTot1 || a.CTot2 || a.Tot1 || a.Tot2);
        EXPECT_EQ(Row(a, &NameAnalysis::V), (std::array<int, 9>{1, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(Row(a, &NameAnalysis::C), (std::array<int, 9>{0, 1, 1, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(Row(a, &NameAnalysis::T), (std::array<int, 9>{1, 1, 1, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(a.vvt, 1);
        EXPECT_EQ(a.cct, 2);
        EXPECT_EQ(a.ttt, 3);
    }
}

TEST(NameAnalysis, GoldenRiver7Pythagorean) {
    const NameAnalysis a = AnalyseName("GOLDEN RIVER 7", NumberSystem::Pythagorean);
    EXPECT_EQ(Dots(a.Vowels), ".6..5...9.5...");
    EXPECT_EQ(Dots(a.Constants), "7.34.5.9.4.9..");
    EXPECT_EQ(a.VTotal, 25);
    EXPECT_EQ(a.VTot1, 7);
    EXPECT_FALSE(a.VTot2);
    EXPECT_EQ(a.CTotal, 41);
    EXPECT_EQ(a.CTot1, 5);
    EXPECT_FALSE(a.CTot2);
    EXPECT_EQ(a.Total, 73);  // 25 + 41 + the digit 7
    EXPECT_EQ(a.Tot1, 10);
    EXPECT_EQ(a.Tot2, 1);
    EXPECT_EQ(Row(a, &NameAnalysis::V), (std::array<int, 9>{0, 0, 0, 0, 2, 1, 0, 0, 1}));
    EXPECT_EQ(Row(a, &NameAnalysis::C), (std::array<int, 9>{0, 0, 1, 2, 1, 0, 1, 0, 2}));
    EXPECT_EQ(Row(a, &NameAnalysis::T), (std::array<int, 9>{0, 0, 1, 2, 3, 1, 1, 0, 3}));
    EXPECT_EQ(a.V5, 2);
    EXPECT_EQ(a.C9, 2);
    EXPECT_EQ(a.T5, 3);
    EXPECT_EQ(a.vvt, 4);
    EXPECT_EQ(a.cct, 7);
    EXPECT_EQ(a.ttt, 11);
}

TEST(NameAnalysis, GoldenRiver7Chaldean) {
    const NameAnalysis a = AnalyseName("GOLDEN RIVER 7", NumberSystem::Chaldean);
    EXPECT_EQ(Dots(a.Vowels), ".7..5...1.5...");
    EXPECT_EQ(Dots(a.Constants), "3.34.5.2.6.2..");
    EXPECT_EQ(a.VTotal, 18);
    EXPECT_EQ(a.VTot1, 9);
    EXPECT_FALSE(a.VTot2);
    EXPECT_EQ(a.CTotal, 25);
    EXPECT_EQ(a.CTot1, 7);
    EXPECT_EQ(a.Total, 50);
    EXPECT_EQ(a.Tot1, 5);
    EXPECT_FALSE(a.Tot2);
    EXPECT_EQ(a.vvt, 4);
    EXPECT_EQ(a.cct, 7);
    EXPECT_EQ(a.ttt, 11);
}

TEST(NameAnalysis, LowerCaseYIsAVowelOfYsValue) {
    const NameAnalysis p = AnalyseName("yARD", NumberSystem::Pythagorean);
    EXPECT_EQ(Dots(p.Vowels), "71..");
    EXPECT_EQ(Dots(p.Constants), "..94");
    EXPECT_EQ(p.VTotal, 8);
    EXPECT_EQ(p.CTotal, 13);
    EXPECT_EQ(p.CTot1, 4);
    EXPECT_EQ(p.Total, 21);
    EXPECT_EQ(p.Tot1, 3);
    const NameAnalysis c = AnalyseName("yARD", NumberSystem::Chaldean);
    EXPECT_EQ(Dots(c.Vowels), "11..");
    EXPECT_EQ(Dots(c.Constants), "..24");
    EXPECT_EQ(c.VTotal, 2);
    EXPECT_EQ(c.CTotal, 6);
    EXPECT_EQ(c.Total, 8);
    // Upper-case Y is a consonant of the same value.
    EXPECT_EQ(Dots(AnalyseName("Y", NumberSystem::Pythagorean).Constants), "7");
    EXPECT_EQ(Dots(AnalyseName("Y", NumberSystem::Chaldean).Constants), "1");
}

TEST(NameAnalysis, EveryLetterValueOfBothTables) {
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string pythagorean = "12345678912345678912345678";
    const std::string chaldean = "12345835112345781234666517";
    const std::string vowels = "AEIOU";
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const std::string name(1, letters[i]);
        const bool vowel = vowels.find(letters[i]) != std::string::npos;
        for (auto [system, table] : {std::pair{NumberSystem::Pythagorean, &pythagorean},
                                     std::pair{NumberSystem::Chaldean, &chaldean}}) {
            const NameAnalysis a = AnalyseName(name, system);
            const std::string digit(1, (*table)[i]);
            EXPECT_EQ(a.Vowels, vowel ? digit : " ") << name;
            EXPECT_EQ(a.Constants, vowel ? " " : digit) << name;
            EXPECT_EQ(a.Total, (*table)[i] - '0') << name;
        }
    }
    // No letter is worth 9 under Chaldean, so its 9 column stays empty.
    const NameAnalysis all = AnalyseName(letters + "y", NumberSystem::Chaldean);
    EXPECT_EQ(all.V9 + all.C9 + all.T9, 0);
    EXPECT_EQ(all.vvt, 6);
    EXPECT_EQ(all.cct, 21);
}

TEST(NameAnalysis, NamesWithoutLettersLeaveSpacesAndZeros) {
    for (const char* name : {"", "   ", "000", ".,;-!'", "abc xz", "\t"}) {
        const NameAnalysis a = AnalyseName(name, NumberSystem::Pythagorean);
        const std::string spaces(std::string(name).size(), ' ');
        EXPECT_EQ(a.Vowels, spaces) << name;
        EXPECT_EQ(a.Constants, spaces) << name;
        EXPECT_EQ(a.VTotal + a.CTotal + a.Total, 0) << name;
        EXPECT_FALSE(a.VTot1 || a.VTot2 || a.CTot1 || a.CTot2 || a.Tot1 || a.Tot2) << name;
        EXPECT_EQ(a.ttt, 0) << name;
    }
}

TEST(NameAnalysis, DigitsRaiseOnlyTheTotal) {
    const NameAnalysis without = AnalyseName("ANNA", NumberSystem::Pythagorean);
    const NameAnalysis with = AnalyseName("AN7NA", NumberSystem::Pythagorean);
    EXPECT_EQ(with.Total, without.Total + 7);
    EXPECT_EQ(with.VTotal, without.VTotal);
    EXPECT_EQ(with.CTotal, without.CTotal);
    EXPECT_EQ(with.ttt, without.ttt);
    EXPECT_EQ(Dots(with.Vowels), "1...1");
    EXPECT_EQ(Row(with, &NameAnalysis::T), Row(without, &NameAnalysis::T));
}

TEST(NameAnalysis, ThirtyIsGiveTheLargestSum) {
    const NameAnalysis a = AnalyseName(std::string(30, 'I'), NumberSystem::Pythagorean);
    EXPECT_EQ(a.VTotal, 270);
    EXPECT_EQ(a.VTot1, 27);
    EXPECT_EQ(a.VTot2, 9);
    EXPECT_EQ(a.V9, 30);
    EXPECT_EQ(a.T9, 30);
    EXPECT_EQ(a.Total, 270);
}

TEST(NameAnalysis, SwitchingSystemKeepsTheClasses) {
    const std::string name = "MARY yVONNE-SMITH 1984";
    const NameAnalysis p = AnalyseName(name, NumberSystem::Pythagorean);
    const NameAnalysis c = AnalyseName(name, NumberSystem::Chaldean);
    EXPECT_EQ(p.vvt, c.vvt);
    EXPECT_EQ(p.cct, c.cct);
    EXPECT_EQ(p.ttt, c.ttt);
    for (std::size_t i = 0; i < p.Vowels.size(); ++i) {
        EXPECT_EQ(p.Vowels[i] == ' ', c.Vowels[i] == ' ') << i;
        EXPECT_EQ(p.Constants[i] == ' ', c.Constants[i] == ' ') << i;
    }
}

TEST(NameAnalysis, EachCodePointIsOneCharacterOfClassOther) {
    // "É" (2 bytes), "Ж" (2 bytes), "字" (3 bytes), "😀" (4 bytes).
    const NameAnalysis a = AnalyseName("AÉЖ字😀B", NumberSystem::Pythagorean);
    EXPECT_EQ(Dots(a.Vowels), "1.....");
    EXPECT_EQ(Dots(a.Constants), ".....2");
    EXPECT_EQ(a.Total, 3);
}

TEST(NameAnalysis, EachInvalidByteIsOneCharacter) {
    // A lone continuation byte, a truncated sequence, an overlong '/', a surrogate,
    // and a NUL inside the name: each byte of the bad ones counts once.
    const std::string name = std::string("A\x80") + "\xE2\x82" + "\xC0\xAF" + "\xED\xA0\x80" +
                             std::string(1, '\0') + "E";
    const NameAnalysis a = AnalyseName(name, NumberSystem::Pythagorean);
    EXPECT_EQ(a.Data, name);
    EXPECT_EQ(a.Vowels.size(), 1u + 1 + 2 + 2 + 3 + 1 + 1);
    EXPECT_EQ(a.Vowels.front(), '1');
    EXPECT_EQ(a.Vowels.back(), '5');
    EXPECT_EQ(a.VTotal, 6);
}

TEST(ReduceSum, TheReductionTable) {
    const struct {
        int sum;
        std::optional<int> first, second;
    } table[] = {{0, {}, {}},   {9, {}, {}},   {10, 1, {}},   {11, 2, {}},  {19, 10, 1},
                 {29, 11, 2},   {55, 10, 1},   {99, 18, 9},   {100, 10, 1}, {109, 19, 10},
                 {145, 19, 10}, {199, 28, 10}, {209, 29, 11}, {269, 35, 8}, {270, 27, 9}};
    for (const auto& row : table) {
        const Reduction r = ReduceSum(row.sum);
        EXPECT_EQ(r.first, row.first) << row.sum;
        EXPECT_EQ(r.second, row.second) << row.sum;
    }
}

TEST(ReduceSum, ThreeDigitsKeepTheFirstTwoTogether) {
    for (int s = 100; s <= 270; ++s) {
        const Reduction r = ReduceSum(s);
        ASSERT_TRUE(r.first && r.second) << s;
        EXPECT_EQ(*r.first, s / 10 + s % 10) << s;
        EXPECT_GE(*r.first, 10) << s;
        EXPECT_LE(*r.first, 35) << s;  // 269 gives 26 + 9
        EXPECT_EQ(*r.second, *r.first / 10 + *r.first % 10) << s;
    }
}

TEST(CountDigits, CountsOnlyDigitsOneToNine) {
    const DigitCounts g = CountDigits("1 19 0x", "  22 9");
    EXPECT_EQ(g.v[0], 2);
    EXPECT_EQ(g.v[8], 1);
    EXPECT_EQ(g.c[1], 2);
    EXPECT_EQ(g.c[8], 1);
    EXPECT_EQ(g.vvt, 3);
    EXPECT_EQ(g.cct, 3);
}

TEST(Texts, NumbersAndEqualDigitMarks) {
    EXPECT_EQ(NumberText(std::nullopt), "");
    EXPECT_EQ(NumberText(0), "0");
    EXPECT_EQ(NumberText(145), "145");
    for (const char* red : {"11", "22", "33", "99"}) EXPECT_TRUE(HasEqualDigits(red)) << red;
    for (const char* black : {"", "0", "1", "10", "29", "111", "222", "1 1"})
        EXPECT_FALSE(HasEqualDigits(black)) << black;
    EXPECT_STREQ(NumberSystemText(NumberSystem::Pythagorean), "Pythagorean");
    EXPECT_STREQ(NumberSystemText(NumberSystem::Chaldean), "Chaldean");
}

}  // namespace
}  // namespace quillon
