// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/commands.h"

#include "app/form_help.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/analyse_command.h"
#include "app/desktop_commands.h"
#include "app/form_commands.h"
#include "app/print_commands.h"

namespace quillon {

namespace {

const char kRenderPageUsage[] =
    "Usage: quillon render-page FILE [--png OUT] [--pdf OUT] [--scale S]\n"
    "\n"
    "Draws one page file on white into a PNG image (scale 0.25 by default) and/or\n"
    "onto a PDF page (scale 1, the page's true size, by default).\n";

const char kShowFormUsage[] =
    "Usage: quillon show-form FILE\n"
    "\n"
    "Shows the form a form file describes in a window (needs a display); a FILE '-' is\n"
    "read from standard input.\n";

const char kHelpUsage[] =
    "Usage: quillon help [COMMAND]\n"
    "       quillon help forms | quillon help classes [CLASS]\n"
    "\n"
    "Tells what COMMAND does and which arguments and options it takes (as\n"
    "'quillon COMMAND --help' does); without COMMAND, lists the commands.\n"
    "'forms' describes the form files print-form and show-form read; 'classes' lists\n"
    "every class a form file may name (or CLASS alone) with its properties, their types\n"
    "and their defaults.\n";

cli::RunOutcome NeedsQt(cli::Streams& s, const char* name) {
    cli::WriteText(s.err, std::string("quillon: ") + name + " needs the build with Qt\n");
    return {1, {}};
}

}  // namespace

Result<RenderPageArgs> TakeRenderPageArgs(const cli::ParsedArgs& args) {
    RenderPageArgs out;
    if (args.operands.size() > 1) return Error{"more than one page file given"};
    if (args.operands.empty()) return Error{"no page file given"};
    out.file = std::string(args.operands[0]);
    for (const cli::ParsedOption& o : args.options) {
        if (o.name == "--scale") {
            double s = 0;
            const auto r = std::from_chars(o.value.data(), o.value.data() + o.value.size(), s);
            if (r.ec != std::errc() || r.ptr != o.value.data() + o.value.size() ||
                !std::isfinite(s) || s <= 0)
                return Error{"the scale must be a positive number, not '" + std::string(o.value) +
                             "'"};
            out.scale = s;
        } else if (o.value.empty()) {
            return Error{"option '" + std::string(o.name) + "' needs a file name"};
        } else {
            (o.name == "--png" ? out.png : out.pdf) = std::string(o.value);
        }
    }
    if (out.png.empty() && out.pdf.empty())
        return Error{"nothing to write: give --png OUT and/or --pdf OUT"};
    return out;
}

namespace {

cli::Command RenderPageCommand(const QtCommands& qt) {
    cli::Command c{"render-page",
                   "draws a page file (EMF) into a PNG image or a PDF page",
                   kRenderPageUsage,
                   {{"--png", true}, {"--pdf", true}, {"--scale", true}},
                   [qt](const cli::ParsedArgs& args, cli::Streams& s) -> cli::RunOutcome {
                       Result<RenderPageArgs> r = TakeRenderPageArgs(args);
                       if (!r) return {2, r.reason()};
                       if (!qt.renderPage) return NeedsQt(s, "render-page");
                       std::string err;
                       const int status = qt.renderPage(*r, err);
                       cli::WriteText(s.err, err);
                       return {status, {}};
                   }};
    c.fileOperands = true;
    return c;
}

cli::Command ShowFormCommand(const QtCommands& qt) {
    cli::Command c{"show-form",
                   "shows the window of a form file",
                   kShowFormUsage,
                   {},
                   [qt](const cli::ParsedArgs& args, cli::Streams& s) -> cli::RunOutcome {
                       if (args.operands.empty()) return {2, "no form file given"};
                       if (args.operands.size() > 1)
                           return {2, "show-form takes one form file, not " +
                                          std::to_string(args.operands.size())};
                       if (!qt.showForm) return NeedsQt(s, "show-form");
                       std::string err;
                       const int status = qt.showForm(std::string(args.operands[0]), err);
                       cli::WriteText(s.err, err);
                       return {status, {}};
                   }};
    c.fileOperands = true;
    return c;
}

cli::Command HelpCommand(const QtCommands& qt) {
    return {"help",
            "tells what a command does",
            kHelpUsage,
            {},
            [qt](const cli::ParsedArgs& args, cli::Streams& s) -> cli::RunOutcome {
                const std::vector<cli::Command> table = Commands(qt);
                if (args.operands.empty()) {
                    cli::WriteText(s.out, UsageText(table));
                    return {0, {}};
                }
                if (args.operands.size() == 1 && args.operands[0] == "forms") {
                    cli::WriteText(s.out, FormsHelpText());
                    return {0, {}};
                }
                if (args.operands.size() <= 2 && args.operands[0] == "classes") {
                    const Result<std::string> text = ClassesHelpText(
                        args.operands.size() == 2 ? args.operands[1] : std::string_view());
                    if (!text) {
                        cli::WriteText(s.err, "quillon: help classes: " + text.reason() + "\n");
                        return {2, {}};
                    }
                    cli::WriteText(s.out, *text);
                    return {0, {}};
                }
                const cli::Command* c =
                    args.operands.size() == 1 ? cli::Find(table, args.operands[0]) : nullptr;
                if (!c) return {2, "help takes one command name"};
                cli::WriteText(s.out, c->usage);
                return {0, {}};
            }};
}

// The program's commands, one row each, in the order the usage lists them.
using CommandRow = cli::Command (*)(const QtCommands&);
constexpr CommandRow kCommands[] = {
    AnalyseCommand,   ReportCommand,   PrintTextCommand, PrintFormCommand,
    ViewCommand,      ShowFormCommand, OpenCommand,      RenderPageCommand,
    ThumbnailCommand, PrintersCommand, HelpCommand,
};

}  // namespace

std::vector<cli::Command> Commands(const QtCommands& qt) {
    std::vector<cli::Command> table;
    for (const CommandRow row : kCommands) table.push_back(row(qt));
    return table;
}

std::string UsageText(std::span<const cli::Command> table) {
    std::string u =
        "Usage: quillon [--name TEXT]\n"
        "       quillon COMMAND [ARGUMENTS]\n"
        "       quillon help COMMAND | quillon COMMAND --help\n"
        "       quillon --help | --version\n"
        "\n"
        "Without a command, opens the calculator (with TEXT typed into its name field).\n"
        "'quillon help COMMAND' tells what COMMAND does and takes. A file or name\n"
        "argument '-' means standard input.\n"
        "\n"
        "Commands:\n";
    std::size_t width = 0;
    for (const cli::Command& c : table) width = std::max(width, c.name.size());
    for (const cli::Command& c : table) {
        u += "  ";
        u += c.name;
        u.append(width - c.name.size() + 2, ' ');
        u += c.summary;
        u += '\n';
    }
    return u;
}

}  // namespace quillon
