// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/commands.h"

#include <charconv>
#include <cmath>

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
    "Shows the form a form file describes in a window.\n";

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

std::vector<cli::Command> Commands(const QtCommands& qt) {
    std::vector<cli::Command> table;
    table.push_back({"analyse", AnalyseUsage(), AnalyseOptions(),
                     [](const cli::ParsedArgs& args, cli::Streams& s) {
                         return cli::RunOutcome{
                             RunAnalyseParsed(args, {s.in, s.out, s.err, s.outIsTerminal}), {}};
                     }});
    table.push_back({"render-page",
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
                     }});
    table.push_back({"show-form",
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
                     }});
    AddPrintCommands(table, qt);
    table.push_back(ReportCommand(qt));
    table.push_back(PrintFormCommand(qt));
    return table;
}

}  // namespace quillon
