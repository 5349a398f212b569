// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/analyse_command.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

// Hands out its text in reads of at most `step` bytes, so lines cross blocks.
class StringSource final : public ByteSource {
  public:
    explicit StringSource(std::string text, std::size_t step = 1 << 20)
        : text_(std::move(text)), step_(step) {}
    long Read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, step_, text_.size() - pos_});
        text_.copy(buffer, n, pos_);
        pos_ += n;
        return static_cast<long>(n);
    }

  private:
    std::string text_;
    std::size_t step_;
    std::size_t pos_ = 0;
};

class FailingSource final : public ByteSource {
  public:
    long Read(char*, std::size_t) override { return -1; }
};

// Accepts `limit` bytes, then behaves like a pipe whose reader has gone.
class ClosingSink final : public ByteSink {
  public:
    explicit ClosingSink(std::size_t limit) : limit_(limit) {}
    bool Write(std::string_view bytes, bool& closed) override {
        ++writes;
        if (text.size() + bytes.size() > limit_) {
            closed = true;
            return false;
        }
        closed = false;
        text.append(bytes);
        return true;
    }
    std::string text;
    int writes = 0;

  private:
    std::size_t limit_;
};

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Analyse(std::vector<std::string_view> args, std::string input = "", bool terminal = false,
                std::size_t step = 1 << 20) {
    StringSource in(std::move(input), step);
    StringSink out, err;
    const int status = RunAnalyse(args, {in, out, err, terminal});
    return Outcome{status, out.text, err.text};
}

const char* const kGoldenJson =
    R"({"Data":"GOLDEN RIVER 7","System":"Pythagorean","Vowels":" 6  5   9 5   ",)"
    R"("Constants":"7 34 5 9 4 9  ","VTotal":25,"CTotal":41,"Total":73,"VTot1":7,)"
    R"("VTot2":null,"CTot1":5,"CTot2":null,"Tot1":10,"Tot2":1,"V1":0,"V2":0,"V3":0,)"
    R"("V4":0,"V5":2,"V6":1,"V7":0,"V8":0,"V9":1,"C1":0,"C2":0,"C3":1,"C4":2,"C5":1,)"
    R"("C6":0,"C7":1,"C8":0,"C9":2,"T1":0,"T2":0,"T3":1,"T4":2,"T5":3,"T6":1,"T7":1,)"
    R"("T8":0,"T9":3,"vvt":4,"cct":7,"ttt":11})"
    "\n";

TEST(AnalyseCommand, JsonLineHasEveryKeyInOrder) {
    const Outcome r = Analyse({"--format", "json", "GOLDEN RIVER 7"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, kGoldenJson);
}

TEST(AnalyseCommand, JsonEscapesAndReplacesInvalidBytes) {
    const std::string name = std::string("A\"\\\t") + std::string(1, '\0') + "\xFF" + "é";
    const Outcome r = Analyse({"--format=json", "--system", "CHALDEAN"}, name + "\n");
    EXPECT_EQ(r.status, 0);
    const std::string expected = std::string(R"({"Data":"A\"\\\t\u0000)") + "\xEF\xBF\xBD" + "é" +
                                 R"(","System":"Chaldean","Vowels":"1      ",)";
    EXPECT_EQ(r.out.substr(0, expected.size()), expected);
}

TEST(AnalyseCommand, CsvHeaderQuotingAndEmptyReductions) {
    const Outcome r = Analyse({"--format", "csv", "--", "ABC", "O'NEIL, JR \"J\""});
    EXPECT_EQ(r.status, 0);
    const std::string header =
        "Data,System,Vowels,Constants,VTotal,CTotal,Total,VTot1,VTot2,CTot1,CTot2,Tot1,Tot2,"
        "V1,V2,V3,V4,V5,V6,V7,V8,V9,C1,C2,C3,C4,C5,C6,C7,C8,C9,T1,T2,T3,T4,T5,T6,T7,T8,T9,"
        "vvt,cct,ttt\r\n";
    ASSERT_EQ(r.out.substr(0, header.size()), header);
    const std::string rest = r.out.substr(header.size());
    EXPECT_EQ(rest.substr(0, rest.find("\r\n")),
              "ABC,Pythagorean,1  , 23,1,5,6,,,,,,,1,0,0,0,0,0,0,0,0,0,1,1,0,0,0,0,0,0,1,1,1,0,0,"
              "0,0,0,0,1,2,3");
    EXPECT_NE(rest.find("\r\n\"O'NEIL, JR \"\"J\"\"\",Pythagorean,"), std::string::npos);
}

TEST(AnalyseCommand, TextShowsTheLinesAlignedAndMarksEqualDigits) {
    // IIIAA: a vowel sum of 29, reduced to 11 (marked) and then 2.
    const Outcome plain = Analyse({"IIIAA"});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out,
              "System      Pythagorean\n"
              "\n"
              "Vowels      99911\n"
              "Data Entry  IIIAA\n"
              "Consonants       \n"
              "\n"
              "           Total    +    +\n"
              "Vowels        29   11*   2\n"
              "Total         29   11*   2\n"
              "Consonants     0\n"
              "\n"
              "           1  2  3  4  5  6  7  8  9  Total\n"
              "Vowels      2  0  0  0  0  0  0  0  3      5\n"
              "Consonants  0  0  0  0  0  0  0  0  0      0\n"
              "Total       2  0  0  0  0  0  0  0  3      5\n");
    const Outcome colour = Analyse({"IIIAA"}, "", true);
    EXPECT_NE(colour.out.find("Vowels        29   \x1b[31m11\x1b[0m    2\n"), std::string::npos);
    EXPECT_EQ(colour.out.find('*'), std::string::npos);
}

TEST(AnalyseCommand, TextShowsControlCharactersVisibly) {
    const Outcome r = Analyse({std::string("A\tB")});
    EXPECT_NE(r.out.find("Data Entry  A\xE2\x90\x89"
                         "B\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("Vowels      1  \n"), std::string::npos);
}

TEST(AnalyseCommand, StandardInputLines) {
    // CRLF, an empty line, spaces only, lower case, and a last line without newline;
    // read three bytes at a time so every line crosses a block.
    const Outcome r = Analyse({"--format", "json"}, "ABC\r\n\n  \nabc\nZ", false, 3);
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> lines;
    for (std::size_t p = 0, nl; (nl = r.out.find('\n', p)) != std::string::npos; p = nl + 1)
        lines.push_back(r.out.substr(p, nl - p));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 14), R"({"Data":"ABC",)");
    EXPECT_EQ(lines[1].substr(0, 11), R"({"Data":"",)");
    EXPECT_EQ(lines[2].substr(0, 13), R"({"Data":"  ",)");
    EXPECT_NE(lines[3].find(R"("Data":"abc","System":"Pythagorean","Vowels":"   ")"),
              std::string::npos);
    EXPECT_NE(lines[4].find(R"("Data":"Z")"), std::string::npos);
}

TEST(AnalyseCommand, ADashAmongTheNamesReadsStandardInputThere) {
    const Outcome r = Analyse({"--format", "csv", "AB", "-", "CD", "-"}, "EF\nGH");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    std::vector<std::string> names;
    for (std::size_t p = r.out.find("\r\n") + 2, nl; (nl = r.out.find("\r\n", p)) != r.out.npos;
         p = nl + 2)
        names.push_back(r.out.substr(p, r.out.find(',', p) - p));
    // The second dash finds the input at its end.
    EXPECT_EQ(names, (std::vector<std::string>{"AB", "EF", "GH", "CD"}));
}

TEST(AnalyseCommand, EmptyInputGivesNoNames) {
    const Outcome r = Analyse({"--format", "csv"}, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("\r\n"), r.out.size() - 2);  // the header only
}

TEST(AnalyseCommand, LongNamesAreRefusedAndTheRestAnalysed) {
    const std::string thirty(30, 'A'), thirtyOne(31, 'A');
    // 30 two-byte characters are still 30 characters.
    std::string accented;
    for (int i = 0; i < 30; ++i) accented += "é";
    const Outcome args = Analyse({"--format", "json", thirtyOne, thirty, accented});
    EXPECT_EQ(args.status, 1);
    EXPECT_EQ(args.err, "quillon: argument 1: name longer than 30 characters\n");
    EXPECT_EQ(std::count(args.out.begin(), args.out.end(), '\n'), 2);

    // A line far longer than anything kept in memory is refused as well.
    const Outcome lines =
        Analyse({"--format", "json"}, "AB\n" + thirtyOne + "\n" + std::string(100000, 'x') + "\nCD",
                false, 4096);
    EXPECT_EQ(lines.status, 1);
    EXPECT_EQ(lines.err,
              "quillon: line 2: name longer than 30 characters\n"
              "quillon: line 3: name longer than 30 characters\n");
    EXPECT_EQ(std::count(lines.out.begin(), lines.out.end(), '\n'), 2);
    EXPECT_NE(lines.out.find(R"("Data":"CD")"), std::string::npos);
}

TEST(AnalyseCommand, UsageErrors) {
    const struct {
        std::vector<std::string_view> args;
        const char* message;
    } cases[] = {
        {{"--colour"}, "quillon: unknown option '--colour'\n"},
        {{"--system"}, "quillon: option '--system' needs a value\n"},
        {{"ABC", "--format"}, "quillon: option '--format' needs a value\n"},
        {{"--system", "roman"}, "quillon: unknown system 'roman'\n"},
        {{"--format=xml"}, "quillon: unknown format 'xml'\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = Analyse(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.out, "") << c.message;
        EXPECT_EQ(r.err, c.message + AnalyseUsage()) << c.message;
    }
}

TEST(AnalyseCommand, TypedNamesAreReadAsTheWindowStoresThem) {
    // Upper-cased, with each Y (either case) answered by --y.
    EXPECT_EQ(Analyse({"--typed", "--format", "json", "golden river 7"}).out,
              Analyse({"--format", "json", "GOLDEN RIVER 7"}).out);
    EXPECT_EQ(Analyse({"--typed", "--format", "csv", "yarYd"}).out,
              Analyse({"--format", "csv", "YARYD"}).out);
    EXPECT_EQ(Analyse({"--typed", "--y=vowel", "--format", "csv", "yarYd"}).out,
              Analyse({"--format", "csv", "yARyD"}).out);
    EXPECT_EQ(Analyse({"--typed", "--y", "consonant", "--format", "csv", "y"}).out,
              Analyse({"--format", "csv", "Y"}).out);
    // Lines from standard input too; other characters are left alone.
    EXPECT_EQ(Analyse({"--typed", "--format", "json"}, "ab\xc3\xa9 y\n").out,
              Analyse({"--format", "json", "AB\xc3\xa9 Y"}).out);
    // Without --typed a lower-case letter is another character and 'y' the vowel marker.
    const Outcome lower = Analyse({"--format", "csv", "golden river 7"});
    EXPECT_NE(lower.out.find(",0,0,0,"), std::string::npos);
    EXPECT_NE(lower.out, Analyse({"--format", "csv", "GOLDEN RIVER 7"}).out);
}

TEST(AnalyseCommand, TheYAnswerNeedsTypedAndAKnownValue) {
    Outcome r = Analyse({"--y", "vowel", "A"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "quillon: option '--y' answers the question of --typed\n" + AnalyseUsage());
    r = Analyse({"--typed", "--y", "yes", "A"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
              "quillon: option '--y' takes 'vowel' or 'consonant', not 'yes'");
}

TEST(AnalyseCommand, ClosedOutputEndsQuietly) {
    std::string many;
    for (int i = 0; i < 20000; ++i) many += "GOLDEN RIVER 7\n";
    StringSource names(many);
    ClosingSink out(100000);
    StringSink err;
    EXPECT_EQ(RunAnalyse({"--format", "json"}, {names, out, err, false}), 0);
    EXPECT_EQ(err.text, "");
    EXPECT_EQ(out.writes, 2);  // one block written, the next one refused, then nothing more
}

TEST(AnalyseCommand, UnreadableInputIsReported) {
    FailingSource in;
    StringSink out, err;
    EXPECT_EQ(RunAnalyse({}, {in, out, err, false}), 1);
    EXPECT_EQ(err.text, "quillon: cannot read standard input\n");
}

}  // namespace
}  // namespace quillon
