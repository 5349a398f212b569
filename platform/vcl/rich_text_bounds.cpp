// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/vcl/rich_text_bounds.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

#include "platform/sys/limits.h"

namespace quillon {

namespace {

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlnum(char c) {
    return IsAlpha(c) || IsDigit(c);
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string LowerName(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}
bool StartsWithNoCase(std::string_view s, std::size_t at, std::string_view prefix) {
    if (s.size() - at < prefix.size()) return false;
    for (std::size_t k = 0; k < prefix.size(); ++k)
        if (Lower(s[at + k]) != prefix[k]) return false;
    return true;
}

// Copies style-sheet text, numbers larger than `max` (a size, a length, a count) written as
// `max`. A digit that continues a word, a colour (#100000) or a name is no number.
void ClampNumbers(std::string_view in, int max, std::string& out, int& clamped) {
    std::size_t i = 0;
    while (i < in.size()) {
        const char c = in[i];
        const bool starts = IsDigit(c) || (c == '.' && i + 1 < in.size() && IsDigit(in[i + 1]));
        bool word = false;
        if (starts && i > 0) {
            const char p = in[i - 1];
            word = IsAlnum(p) || p == '#' || p == '_' || p == '.' ||
                   (p == '-' && i > 1 && (IsAlnum(in[i - 2]) || in[i - 2] == '_'));
        }
        if (!starts || word) {
            out += c;
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < in.size() && IsDigit(in[j])) ++j;
        if (j < in.size() && in[j] == '.')
            for (++j; j < in.size() && IsDigit(in[j]);) ++j;
        if (j < in.size() && (in[j] == 'e' || in[j] == 'E')) {
            std::size_t k = j + 1;
            if (k < in.size() && (in[k] == '+' || in[k] == '-')) ++k;
            if (k < in.size() && IsDigit(in[k])) {
                while (k < in.size() && IsDigit(in[k])) ++k;
                j = k;
            }
        }
        const std::string token(in.substr(i, j - i));
        if (std::strtod(token.c_str(), nullptr) > max) {
            out += std::to_string(max);
            ++clamped;
        } else {
            out += token;
        }
        i = j;
    }
}

// Elements that never hold others.
bool IsVoid(std::string_view name) {
    static constexpr std::array<std::string_view, 14> kVoid{
        "br",   "img",  "hr",    "meta",   "link", "input", "col",
        "area", "base", "param", "source", "wbr",  "embed", "basefont"};
    return std::find(kVoid.begin(), kVoid.end(), name) != kVoid.end();
}

bool IsTablePart(std::string_view name) {
    return name == "tr" || name == "td" || name == "th" || name == "thead" || name == "tbody" ||
           name == "tfoot" || name == "caption" || name == "col" || name == "colgroup";
}

bool ClosesParagraph(std::string_view name) {
    static constexpr std::array<std::string_view, 16> kBlocks{
        "p",  "div", "ul", "ol", "dl", "table", "pre", "blockquote",
        "hr", "h1",  "h2", "h3", "h4", "h5",    "h6",  "center"};
    return std::find(kBlocks.begin(), kBlocks.end(), name) != kBlocks.end();
}

class HtmlBounder {
  public:
    HtmlBounder(std::string_view in, std::string& out) : in_(in), out_(out) {}

    void Run() {
        std::size_t i = 0;
        while (i < in_.size() && !stopped_) {
            const char c = in_[i];
            if (c == '<' && i + 1 < in_.size()) {
                const std::size_t next = Tag(i);
                if (next != i) {
                    i = next;
                    continue;
                }
            }
            if (!Text(c)) break;
            out_ += c;
            ++i;
        }
    }

    void Report(std::vector<std::string>& cuts) const {
        if (deepTags_ > 0)
            cuts.push_back(std::to_string(deepTags_) + " tags nested deeper than " +
                           std::to_string(limits::kMaxRichTextNesting) + " levels left out");
        if (deepTables_ > 0)
            cuts.push_back(std::to_string(deepTables_) + " tables inside more than " +
                           std::to_string(limits::kMaxRichTextTableNesting) +
                           " tables made plain lines");
        if (lengths_ > 0)
            cuts.push_back(std::to_string(lengths_) + " sizes held to " +
                           std::to_string(limits::kMaxRichTextLength));
        if (spans_ > 0)
            cuts.push_back(std::to_string(spans_) + " cell spans held to " +
                           std::to_string(limits::kMaxRichTextSpan));
        if (cutAtCells_)
            cuts.push_back("cut after " + std::to_string(limits::kMaxRichTextTableCells) +
                           " table cells");
        if (cutAtElements_)
            cuts.push_back("cut after " + std::to_string(limits::kMaxRichTextElements) +
                           " elements");
        if (cutAtChars_)
            cuts.push_back("cut after " + std::to_string(limits::kMaxRichTextChars) +
                           " characters");
    }

  private:
    // Counts one byte of text; false when the document is cut before it.
    bool Text(char c) {
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) return true;  // inside a character
        const bool space = IsSpace(c);
        if (space && lastSpace_) return true;  // a run of blanks is one
        lastSpace_ = space;
        if (++chars_ > limits::kMaxRichTextChars) {
            cutAtChars_ = true;
            stopped_ = true;
            return false;
        }
        return true;
    }

    // A tag, comment or declaration at `at`: copied, changed or left out; answers where the
    // text goes on (`at` when this '<' is text).
    std::size_t Tag(std::size_t at) {
        const char c = in_[at + 1];
        if (c == '!' || c == '?') {
            const bool comment = in_.compare(at + 1, 3, "!--") == 0;
            std::size_t end = comment ? in_.find("-->", at + 4) : in_.find('>', at + 2);
            end = end == std::string_view::npos ? in_.size() : end + (comment ? 3 : 1);
            out_.append(in_.substr(at, end - at));
            return end;
        }
        if (c == '/') {
            if (at + 2 >= in_.size() || !IsAlpha(in_[at + 2])) return at;
            std::size_t j = at + 2;
            while (j < in_.size() && IsAlnum(in_[j])) ++j;
            const std::string name = LowerName(in_.substr(at + 2, j - at - 2));
            const std::size_t gt = in_.find('>', j);
            const std::size_t end = gt == std::string_view::npos ? in_.size() : gt + 1;
            EndTag(name, in_.substr(at, end - at));
            return end;
        }
        if (!IsAlpha(c)) return at;
        std::size_t j = at + 1;
        while (j < in_.size() && (IsAlnum(in_[j]) || in_[j] == '-' || in_[j] == ':')) ++j;
        const std::string name = LowerName(in_.substr(at + 1, j - at - 1));
        // The attributes, each copied with its sizes held to their limits.
        std::string tag = "<" + std::string(in_.substr(at + 1, j - at - 1));
        bool selfClosing = false;
        while (true) {
            while (j < in_.size() && IsSpace(in_[j])) tag += in_[j++];
            if (j >= in_.size()) {
                // No end to this tag: the rest is text to the parser as well.
                Unclosed(at);
                return in_.size();
            }
            if (in_[j] == '>') {
                tag += in_[j++];
                break;
            }
            if (in_[j] == '/') {
                selfClosing = j + 1 < in_.size() && in_[j + 1] == '>';
                tag += in_[j++];
                continue;
            }
            const std::size_t n0 = j;
            while (j < in_.size() && !IsSpace(in_[j]) && in_[j] != '=' && in_[j] != '>' &&
                   in_[j] != '/')
                ++j;
            if (j == n0) {  // a stray '=' or the like
                tag += in_[j++];
                continue;
            }
            const std::string attr = LowerName(in_.substr(n0, j - n0));
            tag.append(in_.substr(n0, j - n0));
            while (j < in_.size() && IsSpace(in_[j])) tag += in_[j++];
            if (j >= in_.size() || in_[j] != '=') continue;
            tag += in_[j++];
            while (j < in_.size() && IsSpace(in_[j])) tag += in_[j++];
            if (j >= in_.size()) continue;
            std::size_t v0 = j, v1 = j;
            char quote = 0;
            if (in_[j] == '"' || in_[j] == '\'') {
                quote = in_[j];
                const std::size_t close = in_.find(quote, j + 1);
                if (close == std::string_view::npos) {
                    Unclosed(at);
                    return in_.size();
                }
                v0 = j + 1;
                v1 = close;
                j = close + 1;
            } else {
                while (j < in_.size() && !IsSpace(in_[j]) && in_[j] != '>') ++j;
                v1 = j;
            }
            if (quote) tag += quote;
            Value(attr, in_.substr(v0, v1 - v0), tag);
            if (quote) tag += quote;
        }
        StartTag(name, tag, selfClosing);
        // A style sheet's sizes are held like those of a style attribute; it is no text.
        if (name == "style" && !selfClosing && !stopped_) {
            std::size_t end = j;
            while (end < in_.size() && !StartsWithNoCase(in_, end, "</style")) ++end;
            ClampNumbers(in_.substr(j, end - j), limits::kMaxRichTextLength, out_, lengths_);
            j = end;
        }
        return j;
    }

    void Unclosed(std::size_t at) {
        for (std::size_t k = at; k < in_.size(); ++k) {
            if (!Text(in_[k])) return;
            out_ += in_[k];
        }
    }

    void Value(const std::string& attr, std::string_view value, std::string& tag) {
        if (attr == "style") {
            ClampNumbers(value, limits::kMaxRichTextLength, tag, lengths_);
        } else if (attr == "colspan" || attr == "rowspan") {
            ClampNumbers(value, limits::kMaxRichTextSpan, tag, spans_);
        } else if (attr == "width" || attr == "height" || attr == "border" ||
                   attr == "cellpadding" || attr == "cellspacing" || attr == "size" ||
                   attr == "hspace" || attr == "vspace") {
            ClampNumbers(value, limits::kMaxRichTextLength, tag, lengths_);
        } else {
            tag.append(value);
        }
    }

    // Closes the open elements through the last `name`, unless one of `stops` comes first.
    void CloseImplied(std::initializer_list<std::string_view> names,
                      std::initializer_list<std::string_view> stops) {
        for (std::size_t k = open_.size(); k-- > 0;) {
            const std::string& o = open_[k];
            if (std::find(names.begin(), names.end(), o) != names.end()) {
                PopTo(k);
                return;
            }
            if (std::find(stops.begin(), stops.end(), o) != stops.end()) return;
        }
    }

    void PopTo(std::size_t k) {
        for (std::size_t m = k; m < open_.size(); ++m)
            if (open_[m] == "table") --tables_;
        open_.resize(k);
    }

    void StartTag(const std::string& name, const std::string& tag, bool selfClosing) {
        if (flatTables_ > 0) {
            // Inside a table made plain: rows become lines, cells words.
            if (name == "table") {
                ++flatTables_;
                ++deepTables_;
                return;
            }
            if (name == "tr") {
                out_ += "<br>";
                return;
            }
            if (name == "td" || name == "th") {
                out_ += ' ';
                return;
            }
            if (IsTablePart(name)) return;
        }
        if (name == "li") CloseImplied({"li"}, {"ul", "ol", "table"});
        if (name == "td" || name == "th") CloseImplied({"td", "th"}, {"tr", "table"});
        if (name == "tr") CloseImplied({"tr"}, {"table"});
        if (name == "dt" || name == "dd") CloseImplied({"dt", "dd"}, {"dl", "table"});
        if (name == "option") CloseImplied({"option"}, {"select", "table"});
        if (ClosesParagraph(name) && !open_.empty() && open_.back() == "p") PopTo(open_.size() - 1);

        if (name == "table" && tables_ >= limits::kMaxRichTextTableNesting) {
            ++flatTables_;
            ++deepTables_;
            out_ += "<br>";
            return;
        }
        if (name == "td" || name == "th") {
            if (++cells_ > limits::kMaxRichTextTableCells) {
                cutAtCells_ = true;
                stopped_ = true;
                return;
            }
        }
        if (++elements_ > limits::kMaxRichTextElements) {
            cutAtElements_ = true;
            stopped_ = true;
            return;
        }
        const bool holds = !selfClosing && !IsVoid(name);
        if (holds && static_cast<int>(open_.size()) >= limits::kMaxRichTextNesting) {
            ++dropped_[name];
            ++deepTags_;
            return;
        }
        out_ += tag;
        if (holds) {
            open_.push_back(name);
            if (name == "table") ++tables_;
        }
    }

    void EndTag(const std::string& name, std::string_view tag) {
        if (flatTables_ > 0) {
            if (name == "table") {
                if (--flatTables_ == 0) out_ += "<br>";
                return;
            }
            if (IsTablePart(name)) return;
        }
        auto d = dropped_.find(name);
        if (d != dropped_.end() && d->second > 0) {
            --d->second;
            return;
        }
        for (std::size_t k = open_.size(); k-- > 0;)
            if (open_[k] == name) {
                PopTo(k);
                break;
            }
        out_.append(tag);
    }

    std::string_view in_;
    std::string& out_;
    std::vector<std::string> open_;       // elements open, outermost first
    std::map<std::string, int> dropped_;  // start tags left out whose end tags are to follow
    int tables_ = 0;                      // tables among the open elements
    int flatTables_ = 0;                  // depth inside a table made plain
    std::int64_t chars_ = 0;
    int cells_ = 0;
    int elements_ = 0;
    bool lastSpace_ = false;
    bool stopped_ = false;
    int deepTags_ = 0, deepTables_ = 0, lengths_ = 0, spans_ = 0;
    bool cutAtCells_ = false, cutAtElements_ = false, cutAtChars_ = false;
};

// Markdown's own structure: quote and list marks at a line's start, and the marks that
// pair up in a paragraph (emphasis, code, links) or make table cells.
std::string BoundMarkdown(std::string_view in, std::vector<std::string>& cuts) {
    std::string out;
    out.reserve(in.size());
    int longPrefixes = 0, escaped = 0, escapedPipes = 0;
    int marks = 0, pipes = 0;
    std::size_t pos = 0;
    while (pos < in.size()) {
        std::size_t eol = in.find('\n', pos);
        eol = eol == std::string_view::npos ? in.size() : eol + 1;
        const std::string_view line = in.substr(pos, eol - pos);
        pos = eol;
        // The marks that open quotes and list items, and the indentation that nests them.
        std::size_t p = 0;
        while (p < line.size()) {
            const char c = line[p];
            if (c == ' ' || c == '\t' || c == '>') {
                ++p;
                continue;
            }
            std::size_t q = p;
            if (c == '-' || c == '+' || c == '*') {
                q = p + 1;
            } else {
                while (q < line.size() && q - p < 9 && IsDigit(line[q])) ++q;
                if (q == p || q >= line.size() || (line[q] != '.' && line[q] != ')')) break;
                ++q;
            }
            if (q >= line.size() || (line[q] != ' ' && line[q] != '\t')) break;
            p = q;
        }
        std::size_t rest = p;
        if (p > static_cast<std::size_t>(limits::kMaxMarkdownLinePrefix)) {
            out.append(line.substr(0, limits::kMaxMarkdownLinePrefix));
            ++longPrefixes;
        } else {
            out.append(line.substr(0, p));
        }
        bool blank = true;
        for (std::size_t k = rest; k < line.size(); ++k) {
            const char c = line[k];
            if (!IsSpace(c)) blank = false;
            if (c == '\\' && k + 1 < line.size()) {
                out += c;
                out += line[++k];
                continue;
            }
            if (c == '|') {
                if (++pipes > limits::kMaxRichTextTableCells) {
                    out += '\\';
                    ++escapedPipes;
                }
            } else if (c == '*' || c == '_' || c == '~' || c == '`' || c == '[' || c == ']') {
                if (++marks > limits::kMaxMarkdownMarks) {
                    out += '\\';
                    ++escaped;
                }
            }
            out += c;
        }
        if (blank) marks = 0;  // a new paragraph
    }
    if (longPrefixes > 0)
        cuts.push_back(std::to_string(longPrefixes) + " lines of more than " +
                       std::to_string(limits::kMaxMarkdownLinePrefix) +
                       " quote and list marks flattened");
    if (escaped > 0)
        cuts.push_back(std::to_string(escaped) + " emphasis, code and link marks past " +
                       std::to_string(limits::kMaxMarkdownMarks) + " in a paragraph taken as text");
    if (escapedPipes > 0)
        cuts.push_back(std::to_string(escapedPipes) + " table marks past " +
                       std::to_string(limits::kMaxRichTextTableCells) + " taken as text");
    return out;
}

}  // namespace

BoundedRichText BoundRichText(std::string_view text, TRichTextFormat format) {
    BoundedRichText r;
    if (format == rfPlainText) {
        std::int64_t chars = 0;
        std::size_t i = 0;
        for (; i < text.size(); ++i)
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 &&
                ++chars > limits::kMaxRichTextChars)
                break;
        r.text.assign(text.substr(0, i));
        if (i < text.size())
            r.cuts.push_back("cut after " + std::to_string(limits::kMaxRichTextChars) +
                             " characters");
        return r;
    }
    std::string markdown;
    if (format == rfMarkdown) {
        markdown = BoundMarkdown(text, r.cuts);
        text = markdown;
    }
    r.text.reserve(text.size());
    HtmlBounder html(text, r.text);
    html.Run();
    html.Report(r.cuts);
    return r;
}

std::string RichTextCutNotice(const std::string& name, const std::vector<std::string>& cuts) {
    if (cuts.empty()) return {};
    std::string line = name + ": rich text past the program's limits: ";
    for (std::size_t k = 0; k < cuts.size(); ++k) line += (k ? "; " : "") + cuts[k];
    return line;
}

}  // namespace quillon
