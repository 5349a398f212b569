// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/analyse_command.h"

#include <charconv>
#include <cstring>
#include <optional>

#include "app/cli_options.h"
#include "app/name_analysis.h"
#include "platform/sys/sysutils.h"
#include "platform/sys/utf8.h"

namespace quillon {

namespace {

enum class Format { Text, Json, Csv };

constexpr std::size_t kFlushAt = 1 << 16;

// Collects output and hands it to the sink in large blocks. The batch formats write straight
// into its buffer through a pointer (Room, then Commit), which keeps them near memcpy speed.
class Writer {
  public:
    explicit Writer(ByteSink& sink) : sink_(sink), buffer_(kFlushAt + 8192) {}
    // Room for at least `n` more bytes at the end of what is written.
    char* Room(std::size_t n) {
        if (buffer_.size() - size_ < n) buffer_.resize(size_ + n);
        return buffer_.data() + size_;
    }
    // What was written into Room ends at `end`.
    void Commit(const char* end) { size_ = static_cast<std::size_t>(end - buffer_.data()); }
    void Append(std::string_view text) {
        char* p = Room(text.size());
        if (!text.empty()) std::memcpy(p, text.data(), text.size());
        Commit(p + text.size());
    }
    // False once output can no longer be written.
    bool MaybeFlush() { return size_ < kFlushAt || Flush(); }
    bool Flush() {
        if (failed_) return false;
        if (size_ == 0) return true;
        bool closed = false;
        if (!sink_.Write(std::string_view(buffer_.data(), size_), closed)) {
            failed_ = true;
            closed_ = closed;
        }
        size_ = 0;
        return !failed_;
    }
    bool failed() const { return failed_; }
    bool closed() const { return closed_; }

  private:
    ByteSink& sink_;
    std::vector<char> buffer_;
    std::size_t size_ = 0;
    bool failed_ = false;
    bool closed_ = false;
};

char* Put(char* p, std::string_view text) {
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

char* PutInt(char* p, int value) {
    if (value >= 0 && value < 10) {
        *p = static_cast<char>('0' + value);
        return p + 1;
    }
    return std::to_chars(p, p + 16, value).ptr;
}

const char* const kKeys[] = {
    "Data",  "System", "Vowels", "Constants", "VTotal", "CTotal", "Total", "VTot1", "VTot2",
    "CTot1", "CTot2",  "Tot1",   "Tot2",      "V1",     "V2",     "V3",    "V4",    "V5",
    "V6",    "V7",     "V8",     "V9",        "C1",     "C2",     "C3",    "C4",    "C5",
    "C6",    "C7",     "C8",     "C9",        "T1",     "T2",     "T3",    "T4",    "T5",
    "T6",    "T7",     "T8",     "T9",        "vvt",    "cct",    "ttt"};

// The numeric fields after Data, System, Vowels and Constants, in key order.
// Absent reductions are nullopt.
void NumericFields(const NameAnalysis& a, std::optional<int> (&out)[39]) {
    int i = 0;
    out[i++] = a.VTotal, out[i++] = a.CTotal, out[i++] = a.Total;
    out[i++] = a.VTot1, out[i++] = a.VTot2, out[i++] = a.CTot1, out[i++] = a.CTot2;
    out[i++] = a.Tot1, out[i++] = a.Tot2;
    for (int n = 1; n <= 9; ++n) out[i++] = a.V(n);
    for (int n = 1; n <= 9; ++n) out[i++] = a.C(n);
    for (int n = 1; n <= 9; ++n) out[i++] = a.T(n);
    out[i++] = a.vvt, out[i++] = a.cct, out[i++] = a.ttt;
}

// Bytes a JSON string of `text` takes at most: each byte escaped as \u00XX, and quotes.
std::size_t JsonStringRoom(std::string_view text) { return 6 * text.size() + 2; }

char* PutJsonString(char* p, std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    *p++ = '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            *p++ = static_cast<char>(c);
            ++i;
            continue;
        }
        if (c >= 0x80) {
            const utf8::Decoded d = utf8::DecodeOne(text.substr(i));
            if (d.valid)
                p = Put(p, text.substr(i, d.length));
            else
                p = Put(p, "\xEF\xBF\xBD");  // U+FFFD
            i += d.length;
            continue;
        }
        ++i;
        *p++ = '\\';
        switch (c) {
            case '"':
            case '\\':
                *p++ = static_cast<char>(c);
                break;
            case '\n':
                *p++ = 'n';
                break;
            case '\r':
                *p++ = 'r';
                break;
            case '\t':
                *p++ = 't';
                break;
            default:
                p = Put(p, "u00");
                *p++ = kHex[c >> 4];
                *p++ = kHex[c & 15];
        }
    }
    *p++ = '"';
    return p;
}

// ,"KEY": for each numeric field, built once.
struct JsonKeys {
    std::string text[39];
    JsonKeys() {
        for (int i = 0; i < 39; ++i) text[i] = std::string(",\"") + kKeys[4 + i] + "\":";
    }
};

void WriteJson(Writer& out, const NameAnalysis& a) {
    static const JsonKeys keys;
    const std::string_view system = NumberSystemText(a.System);
    char* p = out.Room(JsonStringRoom(a.Data) + a.Vowels.size() + a.Constants.size() + 1024);
    p = Put(p, "{\"Data\":");
    p = PutJsonString(p, a.Data);
    p = Put(p, ",\"System\":\"");
    p = Put(p, system);
    p = Put(p, "\",\"Vowels\":\"");
    p = Put(p, a.Vowels);  // digits and spaces only
    p = Put(p, "\",\"Constants\":\"");
    p = Put(p, a.Constants);
    *p++ = '"';
    std::optional<int> fields[39];
    NumericFields(a, fields);
    for (int i = 0; i < 39; ++i) {
        p = Put(p, keys.text[i]);
        if (fields[i])
            p = PutInt(p, *fields[i]);
        else
            p = Put(p, "null");
    }
    p = Put(p, "}\n");
    out.Commit(p);
}

void AppendCsvField(std::string& out, std::string_view text) {
    const std::string clean = utf8::Sanitize(text);
    if (clean.find_first_of(",\"\r\n") == std::string::npos) {
        out += clean;
        return;
    }
    out.push_back('"');
    for (char c : clean) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void WriteCsvHeader(std::string& out) {
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        if (i) out.push_back(',');
        out += kKeys[i];
    }
    out += "\r\n";
}

void WriteCsv(Writer& out, const NameAnalysis& a) {
    // Plain ASCII without separators or quotes is written as it is; anything else is
    // sanitised and quoted as needed first.
    bool plain = true;
    for (const char c : a.Data) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || c == ',' || c == '"' || c == '\r' || c == '\n') {
            plain = false;
            break;
        }
    }
    if (!plain) {
        std::string field;
        AppendCsvField(field, a.Data);
        out.Append(field);
    }
    const std::string_view system = NumberSystemText(a.System);
    char* p = out.Room((plain ? a.Data.size() : 0) + a.Vowels.size() + a.Constants.size() + 512);
    if (plain) p = Put(p, a.Data);
    *p++ = ',';
    p = Put(p, system);
    *p++ = ',';
    p = Put(p, a.Vowels);
    *p++ = ',';
    p = Put(p, a.Constants);
    std::optional<int> fields[39];
    NumericFields(a, fields);
    for (const auto& f : fields) {
        *p++ = ',';
        if (f) p = PutInt(p, *f);
    }
    p = Put(p, "\r\n");
    out.Commit(p);
}

// The name as one display column per character: invalid bytes show as U+FFFD
// and control characters as their visible pictures, so the lines stay aligned.
std::string DisplayName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const utf8::Decoded d = utf8::DecodeOne(name.substr(i));
        i += d.length;
        char32_t cp = d.codePoint;
        if (cp < 0x20)
            cp += 0x2400;
        else if (cp == 0x7F)
            cp = 0x2421;
        utf8::Append(out, cp);
    }
    return out;
}

void AppendPadded(std::string& out, std::string_view text, std::size_t width, bool right) {
    const std::size_t pad = text.size() < width ? width - text.size() : 0;
    if (right) out.append(pad, ' ');
    out += text;
    if (!right) out.append(pad, ' ');
}

// One sum or reduction cell: right-aligned in 4 columns, then the mark slot.
void AppendNumberCell(std::string& out, const std::string& text, bool terminal) {
    const bool marked = HasEqualDigits(text);
    if (marked && terminal) {
        out.append(4 - text.size(), ' ');
        out += "\x1b[31m";
        out += text;
        out += "\x1b[0m ";
        return;
    }
    AppendPadded(out, text, 4, true);
    out.push_back(marked ? '*' : ' ');
}

void TrimTrailingSpaces(std::string& out) {
    while (!out.empty() && out.back() == ' ') out.pop_back();
}

void WriteText(std::string& out, const NameAnalysis& a, bool terminal, bool first) {
    if (!first) out.push_back('\n');
    out += "System      ";
    out += NumberSystemText(a.System);
    out += "\n\nVowels      ";
    out += a.Vowels;
    out += "\nData Entry  ";
    out += DisplayName(a.Data);
    out += "\nConsonants  ";
    out += a.Constants;
    out += "\n\n           Total    +    +\n";
    const struct {
        const char* label;
        int sum;
        std::optional<int> r1, r2;
    } rows[] = {{"Vowels    ", a.VTotal, a.VTot1, a.VTot2},
                {"Total     ", a.Total, a.Tot1, a.Tot2},
                {"Consonants", a.CTotal, a.CTot1, a.CTot2}};
    for (const auto& row : rows) {
        out += row.label;
        out += "  ";
        AppendNumberCell(out, std::to_string(row.sum), terminal);
        AppendNumberCell(out, NumberText(row.r1), terminal);
        AppendNumberCell(out, NumberText(row.r2), terminal);
        TrimTrailingSpaces(out);
        out.push_back('\n');
    }
    out += "\n           1  2  3  4  5  6  7  8  9  Total\n";
    const struct {
        const char* label;
        int (NameAnalysis::*cell)(int) const;
        int total;
    } grid[] = {{"Vowels    ", &NameAnalysis::V, a.vvt},
                {"Consonants", &NameAnalysis::C, a.cct},
                {"Total     ", &NameAnalysis::T, a.ttt}};
    for (const auto& row : grid) {
        out += row.label;
        for (int n = 1; n <= 9; ++n) AppendPadded(out, std::to_string((a.*row.cell)(n)), 3, true);
        AppendPadded(out, std::to_string(row.total), 7, true);
        out.push_back('\n');
    }
}

struct Options {
    NumberSystem system = NumberSystem::Pythagorean;
    Format format = Format::Text;
    bool typed = false;   // --typed: each name as if typed into the name field
    bool yVowel = false;  // --y vowel: the answer to the question a typed Y asks
    bool yGiven = false;
    std::vector<std::string_view> names;
};

// `name` as the name field stores it when it is typed: a..z upper-cased, and each Y (typed
// either way) kept as the marker 'y' when it is answered as a vowel.
void TypedName(std::string_view name, bool yVowel, std::string& out) {
    out.assign(name);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c == 'Y' && yVowel) c = 'y';
    }
}

// Takes the parsed options into `opt`; on a bad value returns a one-line reason.
std::optional<std::string> TakeOptions(const cli::ParsedArgs& args, Options& opt) {
    for (const cli::ParsedOption& o : args.options) {
        const std::string_view value = o.value;
        if (o.name == "--system") {
            if (SameText(value, "pythagorean"))
                opt.system = NumberSystem::Pythagorean;
            else if (SameText(value, "chaldean"))
                opt.system = NumberSystem::Chaldean;
            else
                return "unknown system '" + std::string(value) + "'";
        } else if (o.name == "--format") {
            if (SameText(value, "text"))
                opt.format = Format::Text;
            else if (SameText(value, "json"))
                opt.format = Format::Json;
            else if (SameText(value, "csv"))
                opt.format = Format::Csv;
            else
                return "unknown format '" + std::string(value) + "'";
        } else if (o.name == "--typed") {
            opt.typed = true;
        } else if (o.name == "--y") {
            if (value == "vowel")
                opt.yVowel = true;
            else if (value == "consonant")
                opt.yVowel = false;
            else
                return "option '--y' takes 'vowel' or 'consonant', not '" + std::string(value) +
                       "'";
            opt.yGiven = true;
        }
    }
    if (opt.yGiven && !opt.typed) return "option '--y' answers the question of --typed";
    opt.names = args.operands;
    return std::nullopt;
}

class Analyser {
  public:
    Analyser(const Options& opt, AnalyseStreams& s) : opt_(opt), s_(s), out_(s.out) {
        if (opt_.format == Format::Csv) {
            std::string header;
            WriteCsvHeader(header);
            out_.Append(header);
        }
    }

    // False when output has failed and the run should stop.
    bool Name(std::string_view name, const char* origin, std::size_t number) {
        if (utf8::Length(name) > kMaxNameLength) {
            Refuse(origin, number);
            return true;
        }
        if (opt_.typed) {
            TypedName(name, opt_.yVowel, typed_);
            name = typed_;
        }
        AnalyseName(name, opt_.system, a_);
        const NameAnalysis& a = a_;
        switch (opt_.format) {
            case Format::Json:
                WriteJson(out_, a);
                break;
            case Format::Csv:
                WriteCsv(out_, a);
                break;
            case Format::Text:
                text_.clear();
                WriteText(text_, a, s_.outIsTerminal, first_);
                out_.Append(text_);
                break;
        }
        first_ = false;
        return out_.MaybeFlush();
    }

    void Refuse(const char* origin, std::size_t number) {
        Message("quillon: " + std::string(origin) + ' ' + std::to_string(number) +
                ": name longer than 30 characters\n");
        refused_ = true;
    }

    int Finish() {
        out_.Flush();
        if (out_.failed()) {
            if (out_.closed()) return refused_ ? 1 : 0;  // the reader left: stop quietly
            Message("quillon: cannot write the output\n");
            return 1;
        }
        return refused_ ? 1 : 0;
    }

    void InputFailed() {
        Message("quillon: cannot read standard input\n");
        refused_ = true;
    }

    void Message(const std::string& text) {
        bool closed = false;
        s_.err.Write(text, closed);
    }

  private:
    const Options& opt_;
    AnalyseStreams& s_;
    Writer out_;
    NameAnalysis a_;  // reused for every name
    std::string typed_;
    std::string text_;  // one record of the text format
    bool first_ = true;
    bool refused_ = false;
};

// Reads names line by line in large blocks; a line may span blocks. False when output failed.
bool AnalyseInput(Analyser& analyser, ByteSource& in) {
    constexpr std::size_t kBlock = 1 << 16;
    std::string pending;    // the start of a line whose end has not been read yet
    bool overlong = false;  // the pending line passed kMaxLineBytes and was dropped
    std::vector<char> block(kBlock);
    std::size_t line = 0;
    bool any = false;
    auto emit = [&](std::string_view text) {
        ++line;
        if (overlong) {
            overlong = false;
            analyser.Refuse("line", line);
            return true;
        }
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        return analyser.Name(text, "line", line);
    };
    auto keep = [&](std::string_view part) {
        if (overlong) return;
        if (part.size() > kMaxLineBytes - pending.size()) {
            overlong = true;
            pending.clear();
            return;
        }
        pending.append(part);
    };
    for (;;) {
        const long n = in.Read(block.data(), block.size());
        if (n < 0) {
            analyser.InputFailed();
            break;
        }
        if (n == 0) break;
        any = true;
        std::string_view chunk(block.data(), static_cast<std::size_t>(n));
        std::size_t start = 0;
        for (;;) {
            const std::size_t nl = chunk.find('\n', start);
            if (nl == std::string_view::npos) break;
            bool ok;
            if (!pending.empty() || overlong) {
                keep(chunk.substr(start, nl - start));
                ok = emit(pending);
                pending.clear();
            } else {
                ok = emit(chunk.substr(start, nl - start));
            }
            if (!ok) return false;
            start = nl + 1;
        }
        keep(chunk.substr(start));
    }
    // A last line without a newline is still a name.
    if (any && (!pending.empty() || overlong)) return emit(pending);
    return true;
}

}  // namespace

const std::vector<cli::OptionSpec>& AnalyseOptions() {
    static const std::vector<cli::OptionSpec> specs = {
        {"--system", true}, {"--format", true}, {"--typed", false}, {"--y", true}};
    return specs;
}

std::string AnalyseUsage() {
    return "Usage: quillon analyse [--system pythagorean|chaldean] [--format text|json|csv] "
           "[NAME ...]\n"
           "                      [--typed [--y vowel|consonant]]\n"
           "\n"
           "Analyses each NAME (at most 30 characters) under the chosen letter-value\n"
           "system; without NAME arguments, reads one name per line from standard input,\n"
           "and a NAME '-' reads them there.\n"
           "A NAME is read as the window stores it: A..Z are letters, a lower-case y is a\n"
           "Y taken as a vowel, and other lower-case letters count as other characters.\n"
           "--typed takes each NAME as if typed into the name field: a..z upper-cased and\n"
           "every Y answered by --y (default consonant, the question's No).\n"
           "\n"
           "The text format marks a number whose two digits are equal in red on a terminal\n"
           "and with '*' elsewhere (NO_COLOR or TERM=dumb turn the colour off).\n"
           "--format json writes one object a line, --format csv a header line and one row a\n"
           "name, with these fields (an absent reduction is null in JSON, empty in CSV):\n"
           "  Data         the name as analysed\n"
           "  System       Pythagorean or Chaldean\n"
           "  Vowels       the vowel line: the value's digit under each vowel, else a space\n"
           "  Constants    the consonant line: the value's digit under each consonant\n"
           "  VTotal       the sum of the vowels' values\n"
           "  CTotal       the sum of the consonants' values\n"
           "  Total        VTotal + CTotal + the digits 1..9 written in the name\n"
           "  VTot1, VTot2 the first and second reduction of VTotal: a two-digit sum gives\n"
           "               the sum of its digits, a three-digit one its first two digits\n"
           "               plus the third; one digit is not reduced\n"
           "  CTot1, CTot2 the reductions of CTotal\n"
           "  Tot1, Tot2   the reductions of Total\n"
           "  V1 .. V9     how often each digit 1..9 stands in the vowel line\n"
           "  C1 .. C9     how often each digit 1..9 stands in the consonant line\n"
           "  T1 .. T9     V1 + C1 .. V9 + C9\n"
           "  vvt          the number of vowels (V1 + ... + V9)\n"
           "  cct          the number of consonants (C1 + ... + C9)\n"
           "  ttt          vvt + cct\n";
}

int RunAnalyseParsed(const cli::ParsedArgs& args, AnalyseStreams streams) {
    Options opt;
    if (const auto problem = TakeOptions(args, opt)) {
        bool closed = false;
        streams.err.Write("quillon: " + *problem + "\n" + AnalyseUsage(), closed);
        return 2;
    }
    Analyser analyser(opt, streams);
    if (opt.names.empty()) {
        AnalyseInput(analyser, streams.in);
    } else {
        for (std::size_t i = 0; i < opt.names.size(); ++i) {
            if (opt.names[i] == cli::kStdinOperand) {
                if (!AnalyseInput(analyser, streams.in)) break;
            } else if (!analyser.Name(opt.names[i], "argument", i + 1)) {
                break;
            }
        }
    }
    return analyser.Finish();
}

cli::Command AnalyseCommand(const QtCommands&) {
    return {"analyse", "analyses names, as text, JSON or CSV", AnalyseUsage(), AnalyseOptions(),
            [](const cli::ParsedArgs& args, cli::Streams& s) {
                return cli::RunOutcome{
                    RunAnalyseParsed(args, {s.in, s.out, s.err, s.outIsTerminal}), {}};
            }};
}

int RunAnalyse(const std::vector<std::string_view>& args, AnalyseStreams streams) {
    cli::Command command{"analyse",
                         {},
                         AnalyseUsage(),
                         AnalyseOptions(),
                         [&](const cli::ParsedArgs& parsed, cli::Streams&) {
                             return cli::RunOutcome{RunAnalyseParsed(parsed, streams), {}};
                         }};
    return cli::RunCommand(command, args,
                           {streams.in, streams.out, streams.err, streams.outIsTerminal});
}

}  // namespace quillon
