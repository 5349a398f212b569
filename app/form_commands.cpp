#include "app/form_commands.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/Ptr.h"
#include "app/name_analysis.h"
#include "app/startup.h"
#include "platform/data/db.h"
#include "platform/gdi/graphics.h"
#include "platform/sys/utf8.h"
#include "platform/vcl/form_file.h"
#include "platform/vcl/forms.h"
#include "printsuite/forms/DBPrnWin.h"

namespace quillon {
namespace {

constexpr std::size_t kMaxReportName = 30;                 // characters, as the name field
constexpr std::uintmax_t kMaxFormFileBytes = 16u << 20;  // as show-form

const char kReportUsageHead[] =
    "Usage: quillon report [--system pythagorean|chaldean] [NAME ...]\n       ";
const char kReportUsageTail[] =
    "\n\nPrints the one-page report of each NAME (at most 30 characters), one page per\n"
    "name in one job; without NAME arguments, reads one name per line from standard\n"
    "input. Letters are upper-cased as the name field upper-cases typed ones; a\n"
    "lower-case y stays a Y taken as a vowel. Only --pdf OUT prints yet.\n";

const char kPrintFormUsageHead[] =
    "Usage: quillon print-form FORM [--at X,Y] [--units in|cm]\n       ";
const char kPrintFormUsageTail[] =
    "\n\nPrints the window of a form file with all its controls, scaled from the screen\n"
    "to the printer, its top-left corner at X,Y in the job's units (0.5,0.5 inch by\n"
    "default), on as many pages as its tables need. Only --pdf OUT prints yet.\n";

std::string Usage(const char* head, bool job, const char* tail) {
    std::string u = head;
    u += cli::kOutputUsage;
    if (job) {
        u += "\n       ";
        u += cli::kJobUsage;
    }
    u += tail;
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

// What the PDF output does not do yet: a usage error naming it.
std::string NotYet(const cli::OutputOptions& o) {
    if (o.target != cli::OutputTarget::Pdf)
        return "only --pdf OUT prints yet (the preview and printers are not here yet)";
    if (!o.pages.empty() || o.odd || o.even)
        return "--pages, --odd and --even do not work with --pdf yet";
    if (!o.emfDir.empty() || !o.emfName.empty() || o.force)
        return "--emf, --emf-name and --force do not work with --pdf yet";
    return {};
}

// A job for a command: no status window, one copy unless asked.
void PrepareJob(TPrintWin& job, const cli::OutputOptions& output) {
    job.SetShowCancelDialog(false);
    job.SetCopies(output.copies);
    job.SetOutputTo(poPrinter);
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
    ReportPrinter(const ReportRun& run, cli::Streams& s, const PrintingHost& host)
        : run_(run), s_(s), host_(host) {}

    // False when printing cannot go on.
    bool Name(std::string_view name, const char* origin, std::size_t number) {
        if (utf8::Length(name) > kMaxReportName) {
            Say(s_, std::string(origin) + ' ' + std::to_string(number) +
                        ": name longer than 30 characters");
            refused_ = true;
            return true;
        }
        if (!form_) {
            form_ = std::make_unique<TPrintFrm>(nullptr, false);
            TDBPrintWin& job = *form_->DBPrintWin1;
            PrepareJob(job, run_.output);
            if (Result<void> r = SelectJobOutput(run_.output, job, host_); !r) {
                Say(s_, r.reason());
                failed_ = true;
                return false;
            }
            job.StartJob();
            if (!job.InJob()) {
                Say(s_, "the print job did not start");
                failed_ = true;
                return false;
            }
            job.SetFooterStringLeft(kReportFooterLeft);
            job.SetFooterStringRight(kReportWebAddress);
        } else {
            form_->DBPrintWin1->NewPage();
        }
        // As the name field takes typed letters: upper-cased, a lower-case y staying the
        // vowel marker.
        typed_.assign(name);
        for (char& c : typed_)
            if (c >= 'a' && c <= 'z' && c != 'y') c = static_cast<char>(c - 'a' + 'A');
        AnalyseName(typed_, run_.system, analysis_);
        form_->FillFrom(analysis_);
        form_->DBPrintWin1->PrintWindow(form_->Panel1, 0.5, 0.5);
        ++pages_;
        return true;
    }

    int Finish() {
        if (form_ && form_->DBPrintWin1->InJob()) form_->DBPrintWin1->EndJob();
        if (failed_) return 1;
        if (pages_ > 0 && !run_.output.pdf.empty())
            Say(s_, std::to_string(pages_) + (pages_ == 1 ? " page" : " pages") + " written to " +
                        run_.output.pdf);
        return refused_ ? 1 : 0;
    }

  private:
    const ReportRun& run_;
    cli::Streams& s_;
    const PrintingHost& host_;
    std::unique_ptr<TPrintFrm> form_;
    NameAnalysis analysis_;
    std::string typed_;
    int pages_ = 0;
    bool refused_ = false;
    bool failed_ = false;
};

// Names one per line, read in blocks: memory stays flat however many names come.
void ReadNames(ReportPrinter& printer, cli::Streams& s) {
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
            Say(s, "cannot read standard input");
            return;
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
            if (!emit(std::move(pending))) return;
            pending.clear();
            chunk.remove_prefix(nl + 1);
        }
    }
    if (any && (!pending.empty() || overlong)) emit(std::move(pending));
}

cli::RunOutcome RunReport(const cli::ParsedArgs& args, cli::Streams& s, const PrintingHost& host) {
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
    if (const std::string why = NotYet(run.output); !why.empty()) return {2, why};
    run.names = args.operands;
    if (!host.withPrinters) {
        Say(s, "report needs the build with Qt");
        return {1, {}};
    }
    const int status = host.withPrinters([&] {
        ReportPrinter printer(run, s, host);
        if (run.names.empty()) {
            ReadNames(printer, s);
        } else {
            for (std::size_t i = 0; i < run.names.size(); ++i)
                if (!printer.Name(run.names[i], "argument", i + 1)) break;
        }
        return printer.Finish();
    });
    return {status, {}};
}

// ---------------------------------------------------------------------------------------------
// print-form

bool ParseNumber(std::string_view text, double& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(out);
}

cli::RunOutcome RunPrintForm(const cli::ParsedArgs& args, cli::Streams& s,
                             const PrintingHost& host) {
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
    if (const std::string why = NotYet(output); !why.empty()) return {2, why};
    if (!atGiven && job.units == cli::Units::Centimetres) x = y = 1.27;
    const std::string path(args.operands[0]);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxFormFileBytes) {
        Say(s, path + ":1: the file is too large for a form file");
        return {1, {}};
    }
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!ReadFileBytes(path, bytes, &reason)) {
        cli::WriteText(s.err, path + ":1: cannot read the file: " + reason + "\n");
        return {1, {}};
    }
    if (!host.withPrinters) {
        Say(s, "print-form needs the build with Qt");
        return {1, {}};
    }
    const std::string text(bytes.begin(), bytes.end());
    const int status = host.withPrinters([&]() -> int {
        RegisterAppClasses();
        RegisterDataClasses();
        RegisterFormPrinterClasses();
        TFormReadOptions options;
        options.fileName = path;
        options.ignoreMissingHandlers = true;
        options.unknownRootClass = &TForm::StaticClassInfo();
        Result<std::unique_ptr<TComponent>> created = CreateComponent(text, nullptr, options);
        if (!created) {
            cli::WriteText(s.err, created.reason() + "\n");
            return 1;
        }
        std::unique_ptr<TComponent> root = std::move(*created);
        auto* window = dynamic_cast<TWinControl*>(root.get());
        if (!window) {
            cli::WriteText(s.err, path + ":1: " + root->ClassName() + " is not a window control\n");
            return 1;
        }
        window->SetVisible(true);
        TDBPrintWin printer(nullptr);
        PrepareJob(printer, output);
        printer.SetUnits(job.units == cli::Units::Centimetres ? poCentimetres : poInches);
        printer.SetOrientation(job.landscape ? poLandscape : poPortrait);
        printer.SetGridBackDrop(job.ruler);
        if (!job.headerLeft.empty()) printer.SetHeaderStringLeft(job.headerLeft);
        if (!job.headerCenter.empty()) printer.SetHeaderStringCenter(job.headerCenter);
        if (!job.headerRight.empty()) printer.SetHeaderStringRight(job.headerRight);
        if (!job.footer.empty()) printer.SetFooterString(job.footer);
        if (!job.footerLeft.empty()) printer.SetFooterStringLeft(job.footerLeft);
        if (!job.footerRight.empty()) printer.SetFooterStringRight(job.footerRight);
        if (Result<void> r = SelectJobOutput(output, printer, host); !r) {
            Say(s, r.reason());
            return 1;
        }
        printer.StartJob();
        if (!printer.InJob()) {
            Say(s, "the print job did not start");
            return 1;
        }
        printer.PrintWindowPages(window, x, y);
        const int pages = printer.PageCount;
        printer.EndJob();
        Say(s, std::to_string(pages) + (pages == 1 ? " page" : " pages") + " written to " +
                   output.pdf);
        return 0;
    });
    return {status, {}};
}

}  // namespace

Result<void> SelectJobOutput(const cli::OutputOptions& output, TPrintWin&,
                             const PrintingHost& host) {
    if (output.target != cli::OutputTarget::Pdf || output.pdf.empty())
        return Error{"only --pdf OUT prints yet"};
    std::string err;
    if (!host.printToPdf || !host.printToPdf(output.pdf, err))
        return Error{err.empty() ? "the PDF printer is not available" : err};
    return Ok();
}

cli::Command ReportCommand(const PrintingHost& host) {
    return {"report", Usage(kReportUsageHead, false, kReportUsageTail),
            Specs({{"--system", true}}, false),
            [host](const cli::ParsedArgs& args, cli::Streams& s) { return RunReport(args, s, host); }};
}

cli::Command PrintFormCommand(const PrintingHost& host) {
    return {"print-form", Usage(kPrintFormUsageHead, true, kPrintFormUsageTail),
            Specs({{"--at", true}}, true), [host](const cli::ParsedArgs& args, cli::Streams& s) {
                return RunPrintForm(args, s, host);
            }};
}

}  // namespace quillon
