// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cli_options.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <new>

#include "platform/sys/limits.h"
#include "platform/sys/temp_dir.h"

namespace quillon::cli {

void WriteText(ByteSink& sink, std::string_view text) {
    bool closed = false;
    sink.Write(text, closed);
}

bool ColourWanted(bool isTerminal, const char* noColor, const char* term) {
    if (!isTerminal) return false;
    if (noColor && *noColor) return false;
    return !(term && std::string_view(term) == "dumb");
}

Result<ParsedArgs> ParseArgs(std::span<const std::string_view> args,
                             std::span<const OptionSpec> specs) {
    ParsedArgs parsed;
    bool onlyOperands = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (onlyOperands || arg.empty() || arg[0] != '-' || arg == "-") {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyOperands = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        std::string_view key = arg, value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            key = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        const OptionSpec* found = nullptr;
        for (const OptionSpec& s : specs)
            if (s.name == key) found = &s;
        if (!found) return Error{"unknown option '" + std::string(arg) + "'"};
        if (!found->takesValue) {
            if (hasValue) return Error{"option '" + std::string(key) + "' takes no value"};
        } else if (!hasValue) {
            if (i + 1 >= args.size())
                return Error{"option '" + std::string(key) + "' needs a value"};
            value = args[++i];
        }
        parsed.options.push_back({found->name, value});
    }
    return parsed;
}

Result<int> ParseCount(std::string_view option, std::string_view value, int low, int high) {
    int n = 0;
    const auto r = std::from_chars(value.data(), value.data() + value.size(), n);
    const bool digits = !value.empty() && value.find_first_not_of("0123456789") == value.npos;
    if (!digits || r.ec != std::errc() || r.ptr != value.data() + value.size() || n < low ||
        n > high)
        return Error{"option '" + std::string(option) + "' takes a whole number from " +
                     std::to_string(low) + " to " + std::to_string(high) + ", not '" +
                     std::string(value) + "'"};
    return n;
}

namespace {

constexpr OptionSpec kOutputSpecs[] = {
    {"--preview", false}, {"--pdf", true},  {"--printer", true},  {"--copies", true},
    {"--pages", true},    {"--odd", false}, {"--even", false},    {"--emf", true},
    {"--emf-name", true}, {"--force", false},
};

constexpr OptionSpec kJobSpecs[] = {
    {"--header-left", true}, {"--header-center", true}, {"--header-right", true},
    {"--footer", true},      {"--footer-left", true},   {"--footer-right", true},
    {"--font-size", true},   {"--units", true},         {"--ruler", false},
    {"--landscape", false},
};

Error NeedsText(std::string_view option, std::string_view what) {
    return Error{"option '" + std::string(option) + "' needs " + std::string(what)};
}

}  // namespace

std::span<const OptionSpec> OutputOptionSpecs() { return kOutputSpecs; }
std::span<const OptionSpec> JobOptionSpecs() { return kJobSpecs; }

Result<bool> ApplyOutputOption(const ParsedOption& o, OutputOptions& out) {
    const std::string_view n = o.name;
    if (n == "--preview" || n == "--pdf" || n == "--printer") out.targetGiven = true;
    if (n == "--preview") {
        out.target = OutputTarget::Preview;
    } else if (n == "--pdf") {
        if (o.value.empty()) return NeedsText(n, "a file name");
        out.target = OutputTarget::Pdf;
        out.pdf = std::string(o.value);
    } else if (n == "--printer") {
        if (o.value.empty()) return NeedsText(n, "a printer name");
        out.target = OutputTarget::Printer;
        out.printer = std::string(o.value);
    } else if (n == "--copies") {
        const Result<int> c = ParseCount(n, o.value, 1, 9999);
        if (!c) return c.error();
        out.copies = *c;
    } else if (n == "--pages") {
        if (o.value.empty()) return NeedsText(n, "a list of pages");
        out.pages = std::string(o.value);
    } else if (n == "--odd" || n == "--even") {
        (n == "--odd" ? out.odd : out.even) = true;
        if (out.odd && out.even) return Error{"options '--odd' and '--even' exclude each other"};
    } else if (n == "--emf") {
        if (o.value.empty()) return NeedsText(n, "a directory");
        out.emfDir = std::string(o.value);
    } else if (n == "--emf-name") {
        if (o.value.empty()) return NeedsText(n, "a name");
        out.emfName = std::string(o.value);
    } else if (n == "--force") {
        out.force = true;
    } else {
        return false;
    }
    return true;
}

Result<bool> ApplyJobOption(const ParsedOption& o, JobOptions& out) {
    const std::string_view n = o.name;
    std::string* text = n == "--header-left"     ? &out.headerLeft
                        : n == "--header-center" ? &out.headerCenter
                        : n == "--header-right"  ? &out.headerRight
                        : n == "--footer"        ? &out.footer
                        : n == "--footer-left"   ? &out.footerLeft
                        : n == "--footer-right"  ? &out.footerRight
                                                 : nullptr;
    if (text) {
        *text = std::string(o.value);
    } else if (n == "--font-size") {
        double pt = 0;
        const auto r = std::from_chars(o.value.data(), o.value.data() + o.value.size(), pt);
        if (r.ec != std::errc() || r.ptr != o.value.data() + o.value.size() ||
            !std::isfinite(pt) || pt < 1 || pt > 500)
            return Error{"option '--font-size' takes a size from 1 to 500 points, not '" +
                         std::string(o.value) + "'"};
        out.fontSize = pt;
    } else if (n == "--units") {
        if (o.value == "in")
            out.units = Units::Inches;
        else if (o.value == "cm")
            out.units = Units::Centimetres;
        else
            return Error{"option '--units' takes 'in' or 'cm', not '" + std::string(o.value) +
                         "'"};
    } else if (n == "--ruler") {
        out.ruler = true;
    } else if (n == "--landscape") {
        out.landscape = true;
    } else {
        return false;
    }
    return true;
}

namespace {

// Standard input as a file in the process's private directory, for a `-` file operand.
Result<std::string> StdinToFile(ByteSource& in) {
    std::vector<std::uint8_t> data;
    std::vector<char> block(1 << 16);
    for (;;) {
        const long n = in.Read(block.data(), block.size());
        if (n < 0) return Error{"cannot read standard input"};
        if (n == 0) break;
        if (static_cast<std::int64_t>(data.size()) + n > limits::kMaxStdinBytes)
            return Error{"standard input: more than " +
                         std::to_string(limits::kMaxStdinBytes >> 20) + " MB"};
        data.insert(data.end(), block.data(), block.data() + n);
    }
    Result<std::string> dir = ProcessTempDir();
    if (!dir) return dir.error();
    std::string path = *dir + "/stdin";
    if (Result<void> w = WritePrivateFile(path, data); !w) return w.error();
    return path;
}

}  // namespace

const Command* Find(std::span<const Command> table, std::string_view name) {
    for (const Command& c : table)
        if (c.name == name) return &c;
    return nullptr;
}

int RunCommand(const Command& command, std::span<const std::string_view> args, Streams streams) {
    const Result<ParsedArgs> parsed = ParseArgs(args, command.options);
    if (!parsed) {
        WriteText(streams.err, "quillon: " + parsed.reason() + "\n" + command.usage);
        return 2;
    }
    if (parsed->help) {
        WriteText(streams.out, command.usage);
        return 0;
    }
    // Nothing thrown by the work leaves the command: it becomes the one line of a failure.
    try {
        ParsedArgs args = *parsed;
        std::string stdinPath;  // standard input as a file, once
        for (std::string_view& operand : args.operands) {
            if (!command.fileOperands || operand != kStdinOperand) continue;
            if (stdinPath.empty()) {
                Result<std::string> path = StdinToFile(streams.in);
                if (!path) {
                    WriteText(streams.err, "quillon: " + std::string(command.name) + ": " +
                                               path.reason() + "\n");
                    return 1;
                }
                stdinPath = *path;
            }
            operand = stdinPath;
        }
        const RunOutcome outcome = command.run(args, streams);
        if (!outcome.usageError.empty()) {
            WriteText(streams.err, "quillon: " + outcome.usageError + "\n" + command.usage);
            return 2;
        }
        return outcome.status;
    } catch (const std::bad_alloc&) {
        WriteText(streams.err, "quillon: " + std::string(command.name) + ": out of memory\n");
    } catch (const std::exception& e) {
        WriteText(streams.err, "quillon: " + std::string(command.name) + ": " + e.what() + "\n");
    } catch (...) {
        WriteText(streams.err,
                  "quillon: " + std::string(command.name) + ": failed for an unknown reason\n");
    }
    return 1;
}

}  // namespace quillon::cli
