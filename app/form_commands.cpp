// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/form_commands.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/Ptr.h"
#include "app/analyse_command.h"
#include "app/name_analysis.h"
#include "app/print_output.h"
#include "app/startup.h"
#include "platform/data/db.h"
#include "platform/gdi/graphics.h"
#include "platform/sys/interrupt.h"
#include "platform/sys/utf8.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "printsuite/forms/DBPrnWin.h"

namespace quillon {
namespace {

constexpr std::size_t kMaxReportName = 30;                 // characters, as the name field

const char kReportUsageHead[] =
    "Usage: quillon report [--system pythagorean|chaldean] [NAME ...]\n       ";
const char kReportUsageTail[] =
    "\n\nPrints the one-page report of each NAME (at most 30 characters), one page per\n"
    "name in one job; without NAME arguments, reads one name per line from standard\n"
    "input, and a NAME '-' reads them there. Letters are upper-cased as the name\n"
    "field upper-cases typed ones; a lower-case y stays a Y taken as a vowel.\n";

const char kPrintFormUsageHead[] =
    "Usage: quillon print-form FORM [--at X,Y] [--units in|cm]\n       ";
const char kPrintFormUsageTail[] =
    "\n\nPrints the window of a form file with all its controls, scaled from the screen\n"
    "to the printer, its top-left corner at X,Y in the job's units (0.5,0.5 inch by\n"
    "default), on as many pages as its tables need.\n";

std::string Usage(const char* head, bool job, const char* tail) {
    std::string u = head;
    u += cli::kOutputUsage;
    if (job) {
        u += "\n       ";
        u += cli::kJobUsage;
    }
    u += tail;
    u += '\n';
    u += cli::kOutputHelp;
    return u;
}

std::vector<cli::OptionSpec> Specs(std::initializer_list<cli::OptionSpec> own, bool job) {
    std::vector<cli::OptionSpec> specs(own);
    for (const cli::OptionSpec& o : cli::OutputOptionSpecs()) specs.push_back(o);
    if (job)
        for (const cli::OptionSpec& o : cli::JobOptionSpecs()) specs.push_back(o);
    return specs;
}

void Say(cli::Streams& s, const std::string& line) {
    cli::WriteText(s.err, "quillon: " + line + "\n");
}

// ---------------------------------------------------------------------------------------------
// report

struct ReportRun {
    NumberSystem system = NumberSystem::Pythagorean;
    cli::OutputOptions output;
    std::vector<std::string_view> names;
};

class ReportPrinter {
  public:
    ReportPrinter(const ReportRun& run, cli::Streams& s) : run_(run), s_(s) {}

    // The report form whose job prints the pages: made inside the printing session and
    // owned by the job runner (the component it hands back keeps the form alive).
    std::shared_ptr<TPrintWin> MakeJob() {
        auto form = std::make_shared<TPrintFrm>(nullptr, false);
        form_ = form.get();
        return std::shared_ptr<TPrintWin>(form, form->DBPrintWin1);
    }

    // Prints the page of one name into the running job; a name that is too long is refused
    // with where it came from, and the others still print. Goes on unless the job ended (a
    // page that could not be stored).
    bool Name(std::string_view name, const char* origin, std::size_t number) {
        if (InterruptRequested()) return false;
        if (utf8::Length(name) > kMaxReportName) {
            Say(s_, std::string(origin) + ' ' + std::to_string(number) +
                        ": name longer than 30 characters");
            refused_ = true;
            return true;
        }
        TDBPrintWin& job = *form_->DBPrintWin1;
        if (pages_ == 0) {
            job.SetFooterStringLeft(kReportFooterLeft);
            job.SetFooterStringRight(std::string(kReportWebAddress));
        } else {
            job.NewPage();
        }
        // As the name field takes typed letters: upper-cased, a lower-case y staying the
        // vowel marker.
        typed_.assign(name);
        for (char& c : typed_)
            if (c >= 'a' && c <= 'z' && c != 'y') c = static_cast<char>(c - 'a' + 'A');
        AnalyseName(typed_, run_.system, analysis_);
        form_->FillFrom(analysis_);
        job.PrintWindow(form_->Panel1, 0.5, 0.5);
        ++pages_;
        return !job.AbortRequested();
    }

    int Pages() const { return pages_; }
    bool Refused() const { return refused_; }

  private:
    const ReportRun& run_;
    cli::Streams& s_;
    TPrintFrm* form_ = nullptr;
    NameAnalysis analysis_;
    std::string typed_;
    int pages_ = 0;
    bool refused_ = false;
};

// Names one per line, read in blocks: memory stays flat however many names come.
Result<void> ReadNames(ReportPrinter& printer, cli::Streams& s) {
    std::vector<char> block(1 << 16);
    std::string pending;
    bool overlong = false;
    std::size_t line = 0;
    const auto emit = [&](std::string text) {
        ++line;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (overlong) {
            overlong = false;
            text.assign(kMaxReportName + 1, 'X');  // refused as too long
        }
        return printer.Name(text, "line", line);
    };
    bool any = false;
    for (;;) {
        const long n = s.in.Read(block.data(), block.size());
        if (n < 0) {
            if (InterruptRequested()) return Ok();
            return Error{"cannot read standard input"};
        }
        if (n == 0) break;
        any = true;
        std::string_view chunk(block.data(), static_cast<std::size_t>(n));
        for (;;) {
            const std::size_t nl = chunk.find('\n');
            const std::string_view part = chunk.substr(0, nl);
            if (!overlong) {
                if (part.size() > kMaxLineBytes - std::min(pending.size(), kMaxLineBytes)) {
                    overlong = true;
                    pending.clear();
                } else {
                    pending.append(part);
                }
            }
            if (nl == std::string_view::npos) break;
            if (!emit(std::move(pending))) return Ok();
            pending.clear();
            chunk.remove_prefix(nl + 1);
        }
    }
    if (any && (!pending.empty() || overlong)) emit(std::move(pending));
    return Ok();
}

cli::RunOutcome RunReport(const cli::ParsedArgs& args, cli::Streams& s, const QtCommands& qt) {
    ReportRun run;
    for (const cli::ParsedOption& o : args.options) {
        if (o.name == "--system") {
            std::string v(o.value);
            for (char& c : v)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (v == "pythagorean")
                run.system = NumberSystem::Pythagorean;
            else if (v == "chaldean")
                run.system = NumberSystem::Chaldean;
            else
                return {2, "unknown system '" + std::string(o.value) + "'"};
            continue;
        }
        Result<bool> taken = cli::ApplyOutputOption(o, run.output);
        if (!taken) return {2, taken.reason()};
    }
    run.names = args.operands;
    ReportPrinter printer(run, s);
    PrintJob job;
    const bool oneName = run.names.size() == 1 && run.names[0] != cli::kStdinOperand;
    job.title = oneName ? std::string(run.names[0]) : std::string("Quillon report");
    if (!oneName) job.fileName = "report";
    job.make = [&printer] { return printer.MakeJob(); };
    job.draw = [&](TPrintWin&) -> Result<void> {
        if (run.names.empty()) {
            if (Result<void> r = ReadNames(printer, s); !r) return r;
        } else {
            for (std::size_t i = 0; i < run.names.size() && !InterruptRequested(); ++i) {
                if (run.names[i] != cli::kStdinOperand) {
                    if (!printer.Name(run.names[i], "argument", i + 1)) break;
                } else if (Result<void> r = ReadNames(printer, s); !r) {
                    return r;
                }
            }
        }
        // Every name refused: each refusal has been said, and nothing else is to say.
        if (printer.Pages() == 0) return Error{printer.Refused() ? "" : "no name to print"};
        return Ok();
    };
    cli::RunOutcome outcome = RunPrintJob("report", run.output, job, qt, s);
    if (outcome.status == 0 && !run.output.pdf.empty()) {
        const int sent = PagesChosen(run.output, printer.Pages());
        Say(s, std::to_string(sent) + (sent == 1 ? " page" : " pages") + " written to " +
                   run.output.pdf);
    }
    if (outcome.status == 0 && printer.Refused()) outcome.status = 1;
    return outcome;
}

// ---------------------------------------------------------------------------------------------
// print-form

bool ParseNumber(std::string_view text, double& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(out);
}

cli::RunOutcome RunPrintForm(const cli::ParsedArgs& args, cli::Streams& s,
                             const QtCommands& qt) {
    cli::OutputOptions output;
    cli::JobOptions job;
    double x = 0.5, y = 0.5;
    bool atGiven = false;
    for (const cli::ParsedOption& o : args.options) {
        if (o.name == "--at") {
            const std::size_t comma = o.value.find(',');
            if (comma == std::string_view::npos || !ParseNumber(o.value.substr(0, comma), x) ||
                !ParseNumber(o.value.substr(comma + 1), y) || x < 0 || y < 0)
                return {2, "option '--at' takes X,Y, two numbers not below 0, not '" +
                               std::string(o.value) + "'"};
            atGiven = true;
            continue;
        }
        Result<bool> taken = cli::ApplyOutputOption(o, output);
        if (!taken) return {2, taken.reason()};
        if (*taken) continue;
        Result<bool> jobTaken = cli::ApplyJobOption(o, job);
        if (!jobTaken) return {2, jobTaken.reason()};
    }
    if (args.operands.empty()) return {2, "no form file given"};
    if (args.operands.size() > 1)
        return {2, "print-form takes one form file, not " + std::to_string(args.operands.size())};
    if (!atGiven && job.units == cli::Units::Centimetres) x = y = 1.27;
    const std::string path(args.operands[0]);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > limits::kMaxFormFileBytes) {
        Say(s, path + ":1: the file is too large for a form file");
        return {1, {}};
    }
    std::string text;
    PrintJob print;
    print.title = std::filesystem::path(path).filename().string();
    print.load = [&]() -> Result<void> {
        const Result<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
        if (!bytes) return Error{path + ":1: cannot read the file: " + bytes.reason()};
        text.assign(bytes->begin(), bytes->end());
        return Ok();
    };
    // The job component and the form it prints live and go together, inside the printing
    // session (the runner drops the component before the session ends).
    struct FormJob {
        std::unique_ptr<TComponent> root;
        TDBPrintWin printer{nullptr};
    };
    FormJob* held = nullptr;
    TWinControl* window = nullptr;
    print.make = [&held] {
        auto made = std::make_shared<FormJob>();
        held = made.get();
        return std::shared_ptr<TPrintWin>(made, &made->printer);
    };
    print.prepare = [&](TPrintWin& printer) -> Result<void> {
        // The form is made inside the printing session, where its fonts are measured.
        RegisterAppClasses();
        RegisterDataClasses();
        RegisterFormPrinterClasses();
        TFormReadOptions options;
        options.fileName = path;
        options.ignoreMissingHandlers = true;
        options.unknownRootClass = &TForm::StaticClassInfo();
        Result<std::unique_ptr<TComponent>> created = CreateComponent(text, nullptr, options);
        std::string().swap(text);  // the form holds what it needs of it
        if (!created) return Error{created.reason()};
        held->root = std::move(*created);
        window = dynamic_cast<TWinControl*>(held->root.get());
        if (!window)
            return Error{path + ":1: " + held->root->ClassName() + " is not a window control"};
        window->SetVisible(true);
        // What the job cannot place (rich text past its last continuation panel) is said.
        printer.OnJobNotice = [&s](const std::string& line) { Say(s, line); };
        printer.SetUnits(job.units == cli::Units::Centimetres ? poCentimetres : poInches);
        printer.SetOrientation(job.landscape ? poLandscape : poPortrait);
        printer.SetGridBackDrop(job.ruler);
        if (!job.headerLeft.empty()) printer.SetHeaderStringLeft(job.headerLeft);
        if (!job.headerCenter.empty()) printer.SetHeaderStringCenter(job.headerCenter);
        if (!job.headerRight.empty()) printer.SetHeaderStringRight(job.headerRight);
        if (!job.footer.empty()) printer.SetFooterString(job.footer);
        if (!job.footerLeft.empty()) printer.SetFooterStringLeft(job.footerLeft);
        if (!job.footerRight.empty()) printer.SetFooterStringRight(job.footerRight);
        return Ok();
    };
    int pages = 0;
    print.draw = [&](TPrintWin& printer) -> Result<void> {
        static_cast<TDBPrintWin&>(printer).PrintWindowPages(window, x, y);
        pages = printer.PageCount;
        return Ok();
    };
    cli::RunOutcome outcome = RunPrintJob("print-form", output, print, qt, s);
    if (outcome.status == 0 && !output.pdf.empty()) {
        const int sent = PagesChosen(output, pages);
        Say(s, std::to_string(sent) + (sent == 1 ? " page" : " pages") + " written to " +
                   output.pdf);
    }
    return outcome;
}

}  // namespace

cli::Command ReportCommand(const QtCommands& qt) {
    return {"report", "prints the one-page report of names",
            Usage(kReportUsageHead, false, kReportUsageTail), Specs({{"--system", true}}, false),
            [qt](const cli::ParsedArgs& args, cli::Streams& s) { return RunReport(args, s, qt); }};
}

cli::Command PrintFormCommand(const QtCommands& qt) {
    cli::Command c{
        "print-form", "prints the window of a form file",
        Usage(kPrintFormUsageHead, true, kPrintFormUsageTail), Specs({{"--at", true}}, true),
        [qt](const cli::ParsedArgs& args, cli::Streams& s) { return RunPrintForm(args, s, qt); }};
    c.fileOperands = true;
    return c;
}

}  // namespace quillon
