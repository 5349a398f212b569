// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printsuite/draw/Vex_Gdi.h"

namespace quillon {
namespace {

// Every character is 10 pixels wide (a text's width is 10 per character).
int TenPerChar(std::string_view s) {
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return 10 * n;
}

std::vector<std::string> AllLines(std::string text, int width) {
    std::vector<std::string> lines;
    while (!text.empty()) lines.push_back(TakeNextLine(text, width, TenPerChar));
    return lines;
}

TEST(TakeNextLine, FillsLinesWithWholeWords) {
    // 100 pixels: ten characters per line.
    EXPECT_EQ(AllLines("the quick brown fox jumps", 100),
              (std::vector<std::string>{"the quick", "brown fox", "jumps"}));
    // A line of exactly the box width still fits.
    EXPECT_EQ(AllLines("abcd efghi jk", 100), (std::vector<std::string>{"abcd efghi", "jk"}));
}

TEST(TakeNextLine, CutsAWordWiderThanTheBoxLessTen) {
    // Words may be 90 pixels (9 characters) at most, lines 100.
    EXPECT_EQ(AllLines("abcdefghijklmnopqrstuvw", 100),
              (std::vector<std::string>{"abcdefghi", "jklmnopqr", "stuvw"}));
    // A ten-character word fits a line but not the word limit: it is cut as well.
    EXPECT_EQ(AllLines("abcdefghij", 100), (std::vector<std::string>{"abcdefghi", "j"}));
    // A long word after other words starts a new line and is cut there.
    EXPECT_EQ(AllLines("ab abcdefghijkl", 100),
              (std::vector<std::string>{"ab", "abcdefghi", "jkl"}));
}

TEST(TakeNextLine, NotEvenOneCharacterFitsGivesEverythingLeft) {
    // 15 pixels: the word limit is 5, below one character.
    std::string rest = "abc def";
    EXPECT_EQ(TakeNextLine(rest, 15, TenPerChar), "abc def");
    EXPECT_EQ(rest, "");
}

TEST(TakeNextLine, SecondSpaceStaysWithTheNextWord) {
    std::string rest = "ab  cd ef";
    // Both spaces are kept when the words share the line.
    EXPECT_EQ(TakeNextLine(rest, 100, TenPerChar), "ab  cd ef");
    // At a break the second space goes to the front of the next line (trimmed when drawn).
    rest = "abcdefg  hij";
    EXPECT_EQ(TakeNextLine(rest, 100, TenPerChar), "abcdefg");
    EXPECT_EQ(rest, " hij");
    EXPECT_EQ(TakeNextLine(rest, 100, TenPerChar), " hij");
    EXPECT_EQ(rest, "");
}

TEST(TakeNextLine, ALineThatFitsWholeIsMeasuredOnceAndTakenAsTheWordsWouldBe) {
    int calls = 0;
    const TextWidthFn counted = [&calls](std::string_view s) {
        ++calls;
        return TenPerChar(s);
    };
    // Twelve words in 300 pixels: one measurement, not one per word and per prefix; the
    // spaces as word by word (a second space kept, the last one left off).
    std::string rest = "a b c d e f g h i j k  l ";
    EXPECT_EQ(TakeNextLine(rest, 300, counted), "a b c d e f g h i j k  l");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(rest, "");
    // A text wider than the width less ten is measured word by word: here the last word does
    // not fit.
    calls = 0;
    rest = "abcd efghi jk";
    EXPECT_EQ(TakeNextLine(rest, 125, counted), "abcd efghi");
    EXPECT_GT(calls, 1);
    EXPECT_EQ(rest, "jk");
}

TEST(TakeNextLine, LongWordsAreCutWhateverTheirLength) {
    // 3,000 pixels: words of up to 299 characters. A 400-character word whose first 256
    // characters fit is measured whole and cut at 299; a 1,000-character word is cut every 299.
    const std::string a400(400, 'a');
    EXPECT_EQ(AllLines(a400 + " b", 3000),
              (std::vector<std::string>{std::string(299, 'a'), std::string(101, 'a') + " b"}));
    // 100 pixels: a word far longer than the box goes nine characters to a line.
    const std::vector<std::string> lines = AllLines(std::string(1000, 'x'), 100);
    ASSERT_EQ(lines.size(), 112u);
    EXPECT_EQ(lines.front(), std::string(9, 'x'));
    EXPECT_EQ(lines.back(), std::string(1, 'x'));
}

TEST(TakeNextLine, FromAPositionTheTextIsLeftAsItIs) {
    const std::string text = "the quick brown fox jumps";
    std::size_t pos = 0;
    std::vector<std::string_view> lines;
    while (pos < text.size()) lines.push_back(TakeNextLine(text, pos, 100, TenPerChar));
    EXPECT_EQ(lines, (std::vector<std::string_view>{"the quick", "brown fox", "jumps"}));
    EXPECT_EQ(pos, text.size());
    // Nothing left: an empty line, the position at the end.
    pos = text.size() + 5;
    EXPECT_EQ(TakeNextLine(text, pos, 100, TenPerChar), "");
    EXPECT_EQ(pos, text.size());
}

TEST(TakeNextLine, CountsCharactersNotBytes) {
    // Five two-byte characters are 50 pixels; with the next word the line would be 80.
    std::string rest = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9";
    EXPECT_EQ(TakeNextLine(rest, 70, TenPerChar), "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    // A cut never splits a character: 3 of them fit 30 pixels (limit 40 - 10).
    rest = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    EXPECT_EQ(TakeNextLine(rest, 40, TenPerChar), "\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(rest, "\xC3\xA9\xC3\xA9");
}

TEST(ExpandTabs, TabStopsOfTheLayer) {
    EXPECT_EQ(ExpandTabs("\tx"), std::string(8, ' ') + "x");
    EXPECT_EQ(ExpandTabs("a\tx"), "a" + std::string(7, ' ') + "x");  // p = 2: 7
    EXPECT_EQ(ExpandTabs("abcdefgh\tx"), "abcdefghx");               // p = 9: already at the stop
    // p = 10 (after the first stop): 17 - 10 = 7 spaces; p = 17 and 18 give none.
    EXPECT_EQ(ExpandTabs(std::string(9, 'a') + "\tx"),
              std::string(9, 'a') + std::string(7, ' ') + "x");
    EXPECT_EQ(ExpandTabs(std::string(16, 'a') + "\tx"), std::string(16, 'a') + "x");
    EXPECT_EQ(ExpandTabs(std::string(17, 'a') + "\tx"), std::string(17, 'a') + "x");
    // p = 19: 25 - 19 = 6; p = 81: none; p = 82: none.
    EXPECT_EQ(ExpandTabs(std::string(18, 'a') + "\tx"),
              std::string(18, 'a') + std::string(6, ' ') + "x");
    EXPECT_EQ(ExpandTabs(std::string(80, 'a') + "\tx"), std::string(80, 'a') + "x");
    EXPECT_EQ(ExpandTabs(std::string(81, 'a') + "\tx"), std::string(81, 'a') + "x");
}

TEST(ExpandTabs, PositionsCountTheTextAfterEarlierTabs) {
    // The first tab becomes 8 spaces, so a second one right after it stands at column 9 (no
    // spaces) and one after another character at column 10 (7 spaces).
    EXPECT_EQ(ExpandTabs("\t\tx"), std::string(8, ' ') + "x");
    EXPECT_EQ(ExpandTabs("\tb\tx"), std::string(8, ' ') + "b" + std::string(7, ' ') + "x");
    // Characters, not bytes: one two-byte character then a tab at column 2.
    EXPECT_EQ(ExpandTabs("\xC3\xA9\tx"), "\xC3\xA9" + std::string(7, ' ') + "x");
}

TEST(FirstChars, CutsAtCharacters) {
    const std::string s(300, 'x');
    EXPECT_EQ(FirstChars(s, kMaxTextOut).size(), 255u);
    EXPECT_EQ(FirstChars("ab", kMaxTextOut), "ab");
    EXPECT_EQ(FirstChars("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9");
}

TEST(FrameBoxLines, ThinFrameRowsAndColumns) {
    const auto lines = FrameBoxLines(100, 100, 200, 150, 2, 2, 2, 2);
    const std::vector<FrameLine> expected = {
        {100, 100, 200, 100}, {100, 101, 200, 101},  // top: rows 100-101
        {100, 149, 200, 149}, {100, 150, 200, 150},  // bottom: rows 149-150
        {100, 100, 100, 150}, {101, 100, 101, 150},  // left: columns 100-101
        {199, 100, 199, 150}, {200, 100, 200, 150},  // right: columns 199-200
    };
    EXPECT_EQ(lines, expected);
}

TEST(FrameBoxLines, DoubleBandsAndSkippedSides) {
    // Kind 3 on top only: rows 0-5 and 9-14.
    auto lines = FrameBoxLines(0, 0, 50, 50, 3, 0, -1, 7);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[5], (FrameLine{0, 5, 50, 5}));
    EXPECT_EQ(lines[6], (FrameLine{0, 9, 50, 9}));
    EXPECT_EQ(lines[11], (FrameLine{0, 14, 50, 14}));
    // Kind 6 on the right: columns (right - 10) + 0..1 and + 5..10.
    lines = FrameBoxLines(0, 0, 100, 40, 0, 0, 0, 6);
    std::vector<int> xs;
    for (const auto& l : lines) xs.push_back(l.x1);
    EXPECT_EQ(xs, (std::vector<int>{90, 91, 95, 96, 97, 98, 99, 100}));
    // Kind 4 at the bottom: rows (bottom - 6) + 0..1 and + 5..6; kind 5 left: 0..5, 9..10.
    lines = FrameBoxLines(0, 0, 30, 60, 0, 4, 5, 0);
    std::vector<int> ys;
    for (int i = 0; i < 4; ++i) ys.push_back(lines[static_cast<std::size_t>(i)].y1);
    EXPECT_EQ(ys, (std::vector<int>{54, 55, 59, 60}));
    ASSERT_EQ(lines.size(), 4u + 8u);
    EXPECT_EQ(lines[4 + 6], (FrameLine{9, 0, 9, 60}));
    // Kind 1 is six pixels thick on the far side too.
    lines = FrameBoxLines(10, 10, 60, 60, 0, 1, 0, 0);
    EXPECT_EQ(lines.front(), (FrameLine{10, 55, 60, 55}));
    EXPECT_EQ(lines.back(), (FrameLine{10, 60, 60, 60}));
}

}  // namespace
}  // namespace quillon
