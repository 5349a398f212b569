// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one command-line layer: every command is a row of a table (name, usage text, the options
// it takes, the function that does the work), parsed by one option parser. The dispatcher
// answers `quillon help COMMAND` and `COMMAND --help` with the usage on standard output (0), a
// usage error with the reason and the usage on standard error (2), and turns anything thrown
// by the work into one line "quillon: ..." (1).
//
// Options are `--name VALUE` or `--name=VALUE`; `--` ends the options; a lone `-` and
// anything not starting with `-` is an operand.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/byte_streams.h"
#include "platform/sys/result.h"

namespace quillon::cli {

struct OptionSpec {
    std::string_view name;  // with its dashes: "--format"
    bool takesValue = false;
};

struct ParsedOption {
    std::string_view name;
    std::string_view value;  // empty for a flag
};

struct ParsedArgs {
    std::vector<ParsedOption> options;  // in the order given
    std::vector<std::string_view> operands;
    bool help = false;  // --help or -h was given
};

// Splits `args` by `specs`; an option not in `specs` or a value missing is an error with the
// reason shown to the user.
Result<ParsedArgs> ParseArgs(std::span<const std::string_view> args,
                             std::span<const OptionSpec> specs);

// A whole number in [low, high], written in decimal digits only.
Result<int> ParseCount(std::string_view option, std::string_view value, int low, int high);

// The output options every printing command shares.
enum class OutputTarget { Preview, Pdf, Printer };
struct OutputOptions {
    OutputTarget target = OutputTarget::Preview;
    bool targetGiven = false;  // --preview, --pdf or --printer was given
    std::string pdf;      // --pdf OUT
    std::string printer;  // --printer NAME
    int copies = 1;       // --copies N, 1..9999
    std::string pages;    // --pages LIST, checked by the page-list parser
    bool odd = false, even = false;
    std::string emfDir;   // --emf DIR: the pages also kept as DIR/NAME-001.emf, ...
    std::string emfName;  // --emf-name NAME
    bool force = false;
};
std::span<const OptionSpec> OutputOptionSpecs();
// What each output option does, for the usage texts of the printing commands.
inline constexpr std::string_view kOutputHelp =
    "Output (the preview by default):\n"
    "  --preview          show the pages in the preview window (needs a display)\n"
    "  --pdf OUT          write them with the built-in PDF printer to OUT (copies 2, 3 ... to\n"
    "                     OUT-2.pdf, OUT-3.pdf ...)\n"
    "  --printer NAME     print on the printer NAME ('quillon printers' lists them)\n"
    "  --copies N         N copies, each a whole document (1 to 9999; printers only)\n"
    "  --pages LIST       only the pages of LIST, e.g. 1,2,5,7-14 (printers and --emf)\n"
    "  --odd, --even      only the odd or the even pages (printers and --emf)\n"
    "  --emf DIR          also keep the pages as DIR/NAME-001.emf, DIR/NAME-002.emf ...;\n"
    "                     alone, the pages go only there (no display or printer needed)\n"
    "  --emf-name NAME    NAME of those files (the input's name up to its last dot)\n"
    "  --force            replace such files (without it nothing is replaced)\n";
inline constexpr std::string_view kOutputUsage =
    "[--preview | --pdf OUT | --printer NAME] [--copies N] [--pages LIST] [--odd | --even]\n"
    "       [--emf DIR] [--emf-name NAME] [--force]";
// Takes `option` into `out`: false when it is not an output option, an error for a bad value.
Result<bool> ApplyOutputOption(const ParsedOption& option, OutputOptions& out);

// The page-setup options of a print job.
enum class Units { Inches, Centimetres };
struct JobOptions {
    std::string headerLeft, headerCenter, headerRight;
    std::string footer, footerLeft, footerRight;
    double fontSize = 0;  // --font-size PT; 0 keeps the job's own
    Units units = Units::Inches;
    bool ruler = false;
    bool landscape = false;
};
std::span<const OptionSpec> JobOptionSpecs();
inline constexpr std::string_view kJobUsage =
    "[--header-left TEXT] [--header-center TEXT] [--header-right TEXT] [--footer TEXT]\n"
    "       [--footer-left TEXT] [--footer-right TEXT] [--font-size PT] [--units in|cm]\n"
    "       [--ruler] [--landscape]";
Result<bool> ApplyJobOption(const ParsedOption& option, JobOptions& out);

// Standard streams of a command.
struct Streams {
    ByteSource& in;
    ByteSink& out;
    ByteSink& err;
    bool outIsTerminal = false;
};

// What a command's run function answers: a status, or a usage error (reason) found while
// reading the option values.
struct RunOutcome {
    int status = 0;
    std::string usageError;  // not empty: a usage error, status 2
};

struct Command {
    std::string_view name;
    std::string_view summary;  // what it does in a few words, for `quillon --help`
    std::string usage;  // "Usage: quillon NAME ..." and what it does, ending in a newline
    std::vector<OptionSpec> options;
    std::function<RunOutcome(const ParsedArgs&, Streams&)> run;
    // The operands are files: a `-` among them is standard input, copied into a private file
    // (at most limits::kMaxStdinBytes) whose path the command gets instead.
    bool fileOperands = false;
};

// Runs `command` on its arguments (those after its name); returns the exit status.
int RunCommand(const Command& command, std::span<const std::string_view> args, Streams streams);

// The command called `name`, or null.
const Command* Find(std::span<const Command> table, std::string_view name);

void WriteText(ByteSink& sink, std::string_view text);

// Whether text output may be coloured: only on a terminal, and neither NO_COLOR (set and not
// empty) nor TERM=dumb says otherwise. `noColor` and `term` are the variables' values or null.
bool ColourWanted(bool isTerminal, const char* noColor, const char* term);

// `-` as a file or name operand means standard input.
inline constexpr std::string_view kStdinOperand = "-";

}  // namespace quillon::cli
