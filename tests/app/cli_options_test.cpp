// SPDX-License-Identifier: GPL-2.0-or-later
// The one option parser, the shared option groups and the command table.
#include "app/cli_options.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/commands.h"

namespace quillon {
namespace {

class NoInput final : public ByteSource {
  public:
    long Read(char*, std::size_t) override { return 0; }
};

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunIt(const cli::Command& c, std::vector<std::string_view> args) {
    NoInput in;
    StringSink out, err;
    const int status = cli::RunCommand(c, args, {in, out, err, false});
    return {status, out.text, err.text};
}

TEST(OptionParser, SplitsOptionsValuesAndOperands) {
    const cli::OptionSpec specs[] = {{"--pdf", true}, {"--force", false}};
    const std::string_view args[] = {"a", "--pdf", "x.pdf", "--force", "--pdf=y.pdf", "--", "--b"};
    const Result<cli::ParsedArgs> r = cli::ParseArgs(args, specs);
    ASSERT_TRUE(r) << r.reason();
    ASSERT_EQ(r->options.size(), 3u);
    EXPECT_EQ(r->options[0].value, "x.pdf");
    EXPECT_EQ(r->options[1].name, "--force");
    EXPECT_EQ(r->options[2].value, "y.pdf");
    EXPECT_EQ(r->operands, (std::vector<std::string_view>{"a", "--b"}));
    EXPECT_FALSE(r->help);
}

TEST(OptionParser, RefusesUnknownOptionsMissingValuesAndValuesOnFlags) {
    const cli::OptionSpec specs[] = {{"--pdf", true}, {"--force", false}};
    const std::string_view unknown[] = {"--pfd", "x"};
    EXPECT_EQ(cli::ParseArgs(unknown, specs).reason(), "unknown option '--pfd'");
    const std::string_view missing[] = {"--pdf"};
    EXPECT_EQ(cli::ParseArgs(missing, specs).reason(), "option '--pdf' needs a value");
    const std::string_view flag[] = {"--force=yes"};
    EXPECT_EQ(cli::ParseArgs(flag, specs).reason(), "option '--force' takes no value");
}

TEST(OutputOptions, CopiesAreAWholeNumberFrom1To9999) {
    cli::OutputOptions out;
    EXPECT_TRUE(*cli::ApplyOutputOption({"--copies", "9999"}, out));
    EXPECT_EQ(out.copies, 9999);
    for (const char* bad : {"0", "-1", "1e9", "10000", "two", "", "+3", "99999999999"}) {
        const Result<bool> r = cli::ApplyOutputOption({"--copies", bad}, out);
        EXPECT_FALSE(r) << bad;
        EXPECT_EQ(r.reason(), std::string("option '--copies' takes a whole number from 1 to "
                                          "9999, not '") + bad + "'");
    }
    EXPECT_EQ(out.copies, 9999);
}

TEST(OutputOptions, TargetsPagesAndParity) {
    cli::OutputOptions out;
    EXPECT_EQ(out.target, cli::OutputTarget::Preview);
    EXPECT_TRUE(*cli::ApplyOutputOption({"--pdf", "a.pdf"}, out));
    EXPECT_EQ(out.target, cli::OutputTarget::Pdf);
    EXPECT_EQ(out.pdf, "a.pdf");
    EXPECT_TRUE(*cli::ApplyOutputOption({"--pages", "1-3,x"}, out));
    EXPECT_EQ(out.pages, "1-3,x");  // checked later by the page-list parser
    EXPECT_TRUE(*cli::ApplyOutputOption({"--odd", ""}, out));
    EXPECT_FALSE(cli::ApplyOutputOption({"--even", ""}, out));
    EXPECT_FALSE(cli::ApplyOutputOption({"--printer", ""}, out));
    EXPECT_FALSE(*cli::ApplyOutputOption({"--ruler", ""}, out));  // not an output option
}

TEST(JobOptions, UnitsFontSizeAndTexts) {
    cli::JobOptions job;
    EXPECT_TRUE(*cli::ApplyJobOption({"--units", "cm"}, job));
    EXPECT_EQ(job.units, cli::Units::Centimetres);
    EXPECT_EQ(cli::ApplyJobOption({"--units", "mm"}, job).reason(),
              "option '--units' takes 'in' or 'cm', not 'mm'");
    EXPECT_TRUE(*cli::ApplyJobOption({"--font-size", "10.5"}, job));
    EXPECT_EQ(job.fontSize, 10.5);
    EXPECT_FALSE(cli::ApplyJobOption({"--font-size", "0"}, job));
    EXPECT_FALSE(cli::ApplyJobOption({"--font-size", "nan"}, job));
    EXPECT_TRUE(*cli::ApplyJobOption({"--header-center", "Page &p"}, job));
    EXPECT_EQ(job.headerCenter, "Page &p");
    EXPECT_TRUE(*cli::ApplyJobOption({"--landscape", ""}, job));
    EXPECT_TRUE(job.landscape);
}

TEST(CommandTable, EveryCommandAnswersHelpOnStandardOutput) {
    const std::vector<cli::Command> table = Commands({});
    for (const char* name : {"analyse", "report", "print-text", "print-form", "view", "show-form",
                             "render-page", "printers", "help"})
        EXPECT_NE(cli::Find(table, name), nullptr) << name;
    for (const cli::Command& command : table) {
        const std::string name(command.name);
        const cli::Command* c = &command;
        const Outcome r = RunIt(*c, {"--help"});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.err, "") << name;
        const std::string head = "Usage: quillon " + name;
        EXPECT_EQ(r.out.rfind(head, 0), 0u) << r.out;
        EXPECT_TRUE(r.out[head.size()] == ' ' || r.out[head.size()] == '\n') << r.out;
        EXPECT_EQ(r.out, c->usage);
    }
}

TEST(CommandTable, TheProgramsUsageListsEveryCommandOnceWithItsSummary) {
    const std::vector<cli::Command> table = Commands({});
    const std::string usage = UsageText(table);
    EXPECT_EQ(usage.rfind("Usage: quillon [--name TEXT]\n", 0), 0u) << usage;
    const std::string list = usage.substr(usage.find("Commands:\n"));
    for (const cli::Command& c : table) {
        EXPECT_FALSE(c.summary.empty()) << c.name;
        EXPECT_EQ(c.summary.find('\n'), std::string_view::npos) << c.name;
        // "  NAME" padded to the longest name (render-page, 11) plus two spaces.
        std::string row = "\n  " + std::string(c.name);
        row.append(13 - c.name.size(), ' ');
        row += std::string(c.summary) + "\n";
        EXPECT_NE(list.find(row), std::string::npos) << row << "\nin\n" << list;
        EXPECT_EQ(&c, cli::Find(table, c.name)) << "two commands called " << c.name;
    }
    EXPECT_LT(list.find("\n  analyse "), list.find("\n  help "));
    EXPECT_TRUE(list.ends_with("\n  help         tells what a command does\n")) << list;
}

TEST(CommandTable, HelpTellsOfACommandOfItselfAndOfThemAll) {
    const std::vector<cli::Command> table = Commands({});
    const cli::Command& help = *cli::Find(table, "help");
    Outcome r = RunIt(help, {"report"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, cli::Find(table, "report")->usage);
    r = RunIt(help, {"help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, help.usage);
    EXPECT_NE(r.out.find("Tells what COMMAND does"), std::string::npos) << r.out;
    r = RunIt(help, {});
    EXPECT_EQ(r.out, UsageText(table));
    r = RunIt(help, {"frobnicate"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "quillon: help takes one command name\n" + help.usage);
    EXPECT_EQ(RunIt(help, {"analyse", "report"}).status, 2);
}

TEST(Colour, OnlyOnATerminalThatIsNotDumbAndWithoutNoColor) {
    EXPECT_TRUE(cli::ColourWanted(true, nullptr, "xterm-256color"));
    EXPECT_TRUE(cli::ColourWanted(true, nullptr, nullptr));
    EXPECT_TRUE(cli::ColourWanted(true, "", "xterm"));  // set but empty: no request
    EXPECT_FALSE(cli::ColourWanted(false, nullptr, "xterm"));
    EXPECT_FALSE(cli::ColourWanted(true, "1", "xterm"));
    EXPECT_FALSE(cli::ColourWanted(true, "0", "xterm"));  // any value at all
    EXPECT_FALSE(cli::ColourWanted(true, nullptr, "dumb"));
}

TEST(CommandTable, UnknownOptionsAndBadValuesAreUsageErrors) {
    const std::vector<cli::Command> table = Commands({});
    const struct {
        const char* command;
        std::vector<std::string_view> args;
        const char* message;
    } cases[] = {
        {"render-page", {"a.emf", "--png"}, "quillon: option '--png' needs a value\n"},
        {"render-page", {"a.emf", "b.emf", "--png", "x.png"}, "quillon: more than one page file given\n"},
        {"render-page", {"a.emf", "--png", "x.png", "--scale", "2x"},
         "quillon: the scale must be a positive number, not '2x'\n"},
        {"render-page", {"a.emf", "--jpeg", "x.jpg"}, "quillon: unknown option '--jpeg'\n"},
        {"render-page", {"a.emf"}, "quillon: nothing to write: give --png OUT and/or --pdf OUT\n"},
        {"show-form", {}, "quillon: no form file given\n"},
        {"show-form", {"a.form", "b.form"}, "quillon: show-form takes one form file, not 2\n"},
        {"show-form", {"--big", "a.form"}, "quillon: unknown option '--big'\n"},
        {"analyse", {"--format", "xml"}, "quillon: unknown format 'xml'\n"},
    };
    for (const auto& c : cases) {
        const cli::Command* command = cli::Find(table, c.command);
        const Outcome r = RunIt(*command, c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.message + command->usage);
    }
}

TEST(CommandTable, WithoutQtTheDrawingCommandsFailWithOneLine) {
    const std::vector<cli::Command> table = Commands({});
    const Outcome r = RunIt(*cli::Find(table, "render-page"), {"a.emf", "--png", "x.png"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quillon: render-page needs the build with Qt\n");
}

TEST(CommandTable, TheWorkOfACommandGetsItsCheckedArguments) {
    RenderPageArgs seen;
    QtCommands qt;
    qt.renderPage = [&](const RenderPageArgs& a, std::string& err) {
        seen = a;
        err = "quillon: a.emf: not a valid page: x\n";
        return 1;
    };
    const std::vector<cli::Command> table = Commands(qt);
    const Outcome r = RunIt(*cli::Find(table, "render-page"), {"--scale=2", "a.emf", "--pdf", "o.pdf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quillon: a.emf: not a valid page: x\n");
    EXPECT_EQ(seen.file, "a.emf");
    EXPECT_EQ(seen.pdf, "o.pdf");
    EXPECT_EQ(seen.png, "");
    EXPECT_EQ(seen.scale, 2.0);
}

TEST(CommandTable, AnExceptionFromTheWorkIsOneLineAndStatus1) {
    cli::Command c{"explode",
                   {},
                   "Usage: quillon explode\n",
                   {},
                   [](const cli::ParsedArgs&, cli::Streams&) -> cli::RunOutcome {
                       throw std::runtime_error("the disk caught fire");
                   }};
    const Outcome r = RunIt(c, {});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quillon: explode: the disk caught fire\n");
    cli::Command odd{"odd",
                     {},
                     "Usage: quillon odd\n",
                     {},
                     [](const cli::ParsedArgs&, cli::Streams&) -> cli::RunOutcome { throw 42; }};
    EXPECT_EQ(RunIt(odd, {}).err, "quillon: odd: failed for an unknown reason\n");
}

}  // namespace
}  // namespace quillon
