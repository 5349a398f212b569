// SPDX-License-Identifier: GPL-2.0-or-later
// Syntax of form files: a lexer over the bytes and a recursive reader of
// objects, bounded in nesting, that never reads past the text.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "platform/vcl/form_file.h"
#include "platform/sys/utf8.h"

namespace quillon {

std::string TFormError::Text() const {
    return file + ":" + std::to_string(line) + ": " + reason;
}

namespace {

enum class Tok { End, Ident, Integer, Float, String, Binary, Symbol };

struct Token {
    Tok kind = Tok::End;
    int line = 1;
    char symbol = 0;           // Symbol
    std::string text;          // Ident, String
    std::int64_t integer = 0;  // Integer
    double real = 0;           // Float
    std::vector<std::uint8_t> bytes;
};

struct ParseFault {
    int line;
    std::string reason;
};

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Printable(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x21 && u < 0x7F) return std::string("'") + c + "'";
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%u", u);
    return buf;
}

class Lexer {
  public:
    explicit Lexer(std::string_view text) : s_(text) {
        // A byte-order mark some editors put at the start of UTF-8 files.
        if (s_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }

    Token Next() {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (pos_ >= s_.size()) return t;
        const char c = s_[pos_];
        if (IsAlpha(c)) {
            const std::size_t start = pos_;
            while (pos_ < s_.size() && (IsAlpha(s_[pos_]) || IsDigit(s_[pos_]))) ++pos_;
            t.kind = Tok::Ident;
            t.text = std::string(s_.substr(start, pos_ - start));
            return t;
        }
        if (IsDigit(c) || c == '$' ||
            ((c == '-' || c == '+') && pos_ + 1 < s_.size() &&
             (IsDigit(s_[pos_ + 1]) || s_[pos_ + 1] == '$'))) {
            return Number(t);
        }
        if (c == '\'' || c == '#') return String(t);
        if (c == '{') return BinaryData(t);
        switch (c) {
            case '=':
            case ':':
            case '.':
            case ',':
            case '[':
            case ']':
            case '(':
            case ')':
            case '<':
            case '>':
            case '+':
                ++pos_;
                t.kind = Tok::Symbol;
                t.symbol = c;
                return t;
            default:
                throw ParseFault{line_, "unexpected character " + Printable(c)};
        }
    }

    int Line() const { return line_; }

  private:
    void SkipBlanks() {
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == '\n') {
                ++line_;
            } else if (c != ' ' && c != '\t' && c != '\r' && c != '\f') {
                break;
            }
            ++pos_;
        }
    }

    Token Number(Token& t) {
        const std::size_t start = pos_;
        bool negative = false;
        if (s_[pos_] == '-' || s_[pos_] == '+') {
            negative = s_[pos_] == '-';
            ++pos_;
        }
        if (pos_ < s_.size() && s_[pos_] == '$') {
            ++pos_;
            std::uint64_t v = 0;
            std::size_t digits = 0;
            while (pos_ < s_.size() && HexValue(s_[pos_]) >= 0) {
                if (++digits > 16) throw ParseFault{line_, "number out of range"};
                v = (v << 4) | static_cast<std::uint64_t>(HexValue(s_[pos_]));
                ++pos_;
            }
            if (digits == 0) throw ParseFault{line_, "hexadecimal digits expected after '$'"};
            t.kind = Tok::Integer;
            // Eight digits or fewer name a 32-bit pattern ($FFFFFFFF is -1);
            // longer ones a 64-bit one.
            std::int64_t value = digits <= 8 ? static_cast<std::int64_t>(static_cast<std::int32_t>(
                                                   static_cast<std::uint32_t>(v)))
                                             : static_cast<std::int64_t>(v);
            if (negative && value == std::numeric_limits<std::int64_t>::min())
                throw ParseFault{line_, "number out of range"};
            t.integer = negative ? -value : value;
            EndOfNumber();
            return t;
        }
        while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
        bool isFloat = false;
        if (pos_ + 1 < s_.size() && s_[pos_] == '.' && IsDigit(s_[pos_ + 1])) {
            isFloat = true;
            ++pos_;
            while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t p = pos_ + 1;
            if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
            if (p < s_.size() && IsDigit(s_[p])) {
                isFloat = true;
                pos_ = p;
                while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
            }
        }
        std::string_view body = s_.substr(start, pos_ - start);
        if (!body.empty() && body[0] == '+') body.remove_prefix(1);
        if (isFloat) {
            double d = 0;
            auto r = std::from_chars(body.data(), body.data() + body.size(), d);
            if (r.ec != std::errc() || r.ptr != body.data() + body.size())
                throw ParseFault{line_, "number out of range"};
            t.kind = Tok::Float;
            t.real = d;
        } else {
            std::int64_t v = 0;
            auto r = std::from_chars(body.data(), body.data() + body.size(), v);
            if (r.ec != std::errc() || r.ptr != body.data() + body.size())
                throw ParseFault{line_, "number out of range"};
            t.kind = Tok::Integer;
            t.integer = v;
        }
        EndOfNumber();
        return t;
    }

    void EndOfNumber() {
        if (pos_ < s_.size() && (IsAlpha(s_[pos_]) || IsDigit(s_[pos_])))
            throw ParseFault{line_, "malformed number"};
    }

    // One string: quoted parts and #codes with nothing between them.
    Token String(Token& t) {
        t.kind = Tok::String;
        while (pos_ < s_.size()) {
            if (s_[pos_] == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= s_.size() || s_[pos_] == '\n' || s_[pos_] == '\r')
                        throw ParseFault{line_, "unterminated string"};
                    const char c = s_[pos_++];
                    if (c == '\'') {
                        if (pos_ < s_.size() && s_[pos_] == '\'') {
                            t.text += '\'';
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    t.text += c;
                }
            } else if (s_[pos_] == '#') {
                ++pos_;
                std::uint32_t code = 0;
                std::size_t digits = 0;
                const bool hex = pos_ < s_.size() && s_[pos_] == '$';
                if (hex) ++pos_;
                while (pos_ < s_.size() && (hex ? HexValue(s_[pos_]) >= 0 : IsDigit(s_[pos_]))) {
                    code = code * (hex ? 16 : 10) +
                           static_cast<std::uint32_t>(hex ? HexValue(s_[pos_]) : s_[pos_] - '0');
                    if (code > 0x10FFFF) throw ParseFault{line_, "character code out of range"};
                    ++digits;
                    ++pos_;
                }
                if (digits == 0) throw ParseFault{line_, "character code expected after '#'"};
                if (code >= 0xD800 && code <= 0xDFFF)
                    throw ParseFault{line_, "character code out of range"};
                utf8::Append(t.text, code);
            } else {
                break;
            }
        }
        t.text = utf8::Sanitize(t.text);
        return t;
    }

    Token BinaryData(Token& t) {
        const int startLine = line_;
        ++pos_;
        t.kind = Tok::Binary;
        int half = -1;
        for (;;) {
            if (pos_ >= s_.size()) throw ParseFault{startLine, "unterminated binary data"};
            const char c = s_[pos_++];
            if (c == '}') break;
            if (c == '\n') {
                ++line_;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r') continue;
            const int v = HexValue(c);
            if (v < 0) throw ParseFault{line_, "bad character in binary data"};
            if (half < 0) {
                half = v;
            } else {
                t.bytes.push_back(static_cast<std::uint8_t>(half * 16 + v));
                half = -1;
            }
        }
        if (half >= 0) throw ParseFault{line_, "odd number of digits in binary data"};
        return t;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

class Parser {
  public:
    explicit Parser(std::string_view text) : lex_(text) { Advance(); }

    TFormObject File() {
        TFormObject root = Object(1);
        if (tok_.kind != Tok::End) throw ParseFault{tok_.line, "text after the final 'end'"};
        return root;
    }

  private:
    void Advance() { tok_ = lex_.Next(); }

    bool IsKeyword(std::string_view word) const {
        return tok_.kind == Tok::Ident && tok_.text.size() == word.size() &&
               std::equal(word.begin(), word.end(), tok_.text.begin(),
                          [](char a, char b) { return (a | 0x20) == (b | 0x20); });
    }

    bool IsSymbol(char c) const { return tok_.kind == Tok::Symbol && tok_.symbol == c; }

    std::string Describe() const {
        switch (tok_.kind) {
            case Tok::End:
                return "end of file";
            case Tok::Ident:
                return "'" + tok_.text + "'";
            case Tok::Integer:
            case Tok::Float:
                return "a number";
            case Tok::String:
                return "a string";
            case Tok::Binary:
                return "binary data";
            case Tok::Symbol:
                return std::string("'") + tok_.symbol + "'";
        }
        return "?";
    }

    std::string ExpectIdent(const char* what) {
        if (tok_.kind != Tok::Ident)
            throw ParseFault{tok_.line,
                             std::string(what) + " expected but " + Describe() + " found"};
        std::string s = std::move(tok_.text);
        Advance();
        return s;
    }

    TFormObject Object(int depth) {
        if (depth > kMaxFormNesting) throw ParseFault{tok_.line, "objects nested too deeply"};
        if (!IsKeyword("object"))
            throw ParseFault{tok_.line, "'object' expected but " + Describe() + " found"};
        // Every object becomes a component: their number bounds the memory and
        // the time of creating (and showing) the form.
        if (++objects_ > kMaxFormObjects)
            throw ParseFault{tok_.line, "more than " + std::to_string(kMaxFormObjects) +
                                            " objects in one form file"};
        TFormObject obj;
        obj.line = tok_.line;
        Advance();
        std::string first = ExpectIdent("object name");
        if (IsSymbol(':')) {
            Advance();
            obj.name = std::move(first);
            obj.className = ExpectIdent("class name");
        } else {
            obj.className = std::move(first);
        }
        for (;;) {
            if (tok_.kind == Tok::End)
                throw ParseFault{tok_.line, "'end' expected for object '" +
                                                (obj.name.empty() ? obj.className : obj.name) +
                                                "' begun on line " + std::to_string(obj.line)};
            if (IsKeyword("end")) {
                Advance();
                return obj;
            }
            if (IsKeyword("object")) {
                obj.children.push_back(Object(depth + 1));
                continue;
            }
            obj.properties.push_back(Property());
        }
    }

    // Every value read is held until the file is read through: their number bounds the memory.
    void CountValue() {
        if (++values_ > limits::kMaxFormValues)
            throw ParseFault{tok_.line, "more than " + std::to_string(limits::kMaxFormValues) +
                                            " values in one form file"};
    }
    // The strings of rows (a grid's cells) are held as compactly as a grid holds them, and are
    // bounded by what a grid holds rather than by the values.
    void CountCell() {
        if (++cells_ > limits::kMaxGridCells)
            throw ParseFault{tok_.line, "more than " + std::to_string(limits::kMaxGridCells) +
                                            " cells in one form file"};
    }

    TFormProperty Property(bool allowCollection = true) {
        CountValue();
        TFormProperty p;
        p.line = tok_.line;
        if (tok_.kind != Tok::Ident)
            throw ParseFault{tok_.line, "property name expected but " + Describe() + " found"};
        p.path = ExpectIdent("property name");
        while (IsSymbol('.')) {
            Advance();
            p.path += '.';
            p.path += ExpectIdent("property name");
        }
        if (!IsSymbol('='))
            throw ParseFault{tok_.line,
                             "'=' expected after '" + p.path + "' but " + Describe() + " found"};
        Advance();
        if (!allowCollection && IsSymbol('<'))
            throw ParseFault{tok_.line, "a collection cannot be a value of an item"};
        p.value = Value(true);
        return p;
    }

    TFormValue Value(bool allowCompound) {
        TFormValue v;
        v.line = tok_.line;
        switch (tok_.kind) {
            case Tok::Integer:
                v.kind = TFormValue::Integer;
                v.integer = tok_.integer;
                Advance();
                return v;
            case Tok::Float:
                v.kind = TFormValue::Float;
                v.real = tok_.real;
                Advance();
                return v;
            case Tok::String:
                v.kind = TFormValue::String;
                v.text = std::move(tok_.text);
                Advance();
                // 'part one' + 'part two', possibly over several lines.
                while (IsSymbol('+')) {
                    Advance();
                    if (tok_.kind != Tok::String)
                        throw ParseFault{tok_.line,
                                         "string expected after '+' but " + Describe() + " found"};
                    v.text += tok_.text;
                    Advance();
                }
                if (v.text.size() > limits::kMaxFormString)
                    throw ParseFault{v.line, "a string longer than " +
                                                 std::to_string(limits::kMaxFormString >> 20) +
                                                 " MB"};
                return v;
            case Tok::Binary:
                v.kind = TFormValue::Binary;
                v.bytes = std::move(tok_.bytes);
                Advance();
                return v;
            case Tok::Ident:
                if (IsKeyword("end") || IsKeyword("object"))
                    throw ParseFault{tok_.line, "value expected but " + Describe() + " found"};
                v.kind = TFormValue::Ident;
                v.text = std::move(tok_.text);
                Advance();
                while (IsSymbol('.')) {
                    Advance();
                    v.text += '.';
                    v.text += ExpectIdent("identifier");
                }
                return v;
            case Tok::Symbol:
                if (allowCompound && IsSymbol('[')) return SetValue();
                if (allowCompound && IsSymbol('(')) return ListValue(true);
                if (allowCompound && IsSymbol('<')) return CollectionValue();
                break;
            case Tok::End:
                break;
        }
        throw ParseFault{tok_.line, "value expected but " + Describe() + " found"};
    }

    TFormValue SetValue() {
        TFormValue v;
        v.kind = TFormValue::Set;
        v.line = tok_.line;
        Advance();
        if (IsSymbol(']')) {
            Advance();
            return v;
        }
        for (;;) {
            CountValue();
            v.strings.push_back(ExpectIdent("set element"));
            if (IsSymbol(']')) {
                Advance();
                return v;
            }
            if (!IsSymbol(','))
                throw ParseFault{tok_.line, "',' or ']' expected but " + Describe() + " found"};
            Advance();
        }
    }

    // A list of simple values; at the top, also of lists of them (the rows of a table).
    TFormValue ListValue(bool top) {
        TFormValue v;
        v.kind = TFormValue::List;
        v.line = tok_.line;
        Advance();
        for (;;) {
            if (IsSymbol(')')) {
                Advance();
                v.strings.shrink_to_fit();
                return v;
            }
            if (tok_.kind == Tok::End)
                throw ParseFault{
                    tok_.line, "')' expected for the list begun on line " + std::to_string(v.line)};
            if (!top && tok_.kind == Tok::String)
                CountCell();
            else
                CountValue();
            if (top && IsSymbol('(')) {
                v.items.push_back(ListValue(false));
                continue;
            }
            if (tok_.kind == Tok::String && v.items.empty()) {
                if (v.strings.empty()) v.itemLine = tok_.line;
                v.strings.push_back(std::move(Value(false).text));
                continue;
            }
            if (v.items.empty() && v.strings.empty()) v.itemLine = tok_.line;
            v.items.push_back(Value(false));
        }
    }

    // < item Name = value ... end item ... end >: each item counts as an object, which
    // bounds their number; an item's values are not collections themselves.
    TFormValue CollectionValue() {
        TFormValue v;
        v.kind = TFormValue::Collection;
        v.line = tok_.line;
        Advance();
        for (;;) {
            if (IsSymbol('>')) {
                Advance();
                return v;
            }
            if (!IsKeyword("item"))
                throw ParseFault{tok_.line, "'item' or '>' expected for the collection begun on line " +
                                                std::to_string(v.line) + " but " + Describe() +
                                                " found"};
            if (++objects_ > kMaxFormObjects)
                throw ParseFault{tok_.line, "more than " + std::to_string(kMaxFormObjects) +
                                                " objects in one form file"};
            const int itemLine = tok_.line;
            Advance();
            std::vector<TFormProperty> props;
            for (;;) {
                if (tok_.kind == Tok::End)
                    throw ParseFault{tok_.line, "'end' expected for the item begun on line " +
                                                    std::to_string(itemLine)};
                if (IsKeyword("end")) {
                    Advance();
                    break;
                }
                props.push_back(Property(false));
            }
            v.collection.push_back(std::move(props));
        }
    }

    Lexer lex_;
    Token tok_;
    int objects_ = 0;
    int values_ = 0;
    std::int64_t cells_ = 0;
};

}  // namespace

Result<TFormObject> ParseFormText(std::string_view text, std::string_view fileName) {
    try {
        Parser p(text);
        return p.File();
    } catch (const ParseFault& f) {
        return TFormError{std::string(fileName), f.line, f.reason}.ToError();
    }
}

std::string QuoteFormString(std::string_view text) {
    if (text.empty()) return "''";
    std::string out;
    bool inQuotes = false;
    const std::string clean = utf8::Sanitize(text);
    for (char c : clean) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            if (inQuotes) out += '\'';
            inQuotes = false;
            out += '#';
            out += std::to_string(u);
            continue;
        }
        if (!inQuotes) out += '\'';
        inQuotes = true;
        if (c == '\'') out += '\'';
        out += c;
    }
    if (inQuotes) out += '\'';
    return out;
}

}  // namespace quillon
