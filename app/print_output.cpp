// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/print_output.h"

#include <sys/stat.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "platform/emf/page_store.h"
#include "platform/gdi/printer.h"
#include "platform/sys/desktop.h"
#include "platform/sys/interrupt.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Addit.h"
#include "printsuite/draw/Vex_view.h"
#include "printsuite/job/PrnWin.h"

namespace quillon {

namespace {

constexpr const char* kPdfPrinterName = "Print to PDF";

bool Set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

bool ChoosesPages(const cli::OutputOptions& out) {
    return !out.pages.empty() || out.odd || out.even;
}

// --emf without a printing target: the pages go to files only.
bool FilesOnly(const cli::OutputOptions& out) {
    return !out.emfDir.empty() && out.target == cli::OutputTarget::Preview && !out.targetGiven;
}

bool ShowsPreview(const cli::OutputOptions& out) {
    return out.target == cli::OutputTarget::Preview && !FilesOnly(out);
}

bool ValidFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

PageFilter FilterOf(const cli::OutputOptions& out) {
    if (!ChoosesPages(out)) return {};
    return [out](int n) { return PageChosen(out, n); };
}

// Makes the printer of the options the current one; a reason when it cannot be had.
Result<void> ChoosePrinter(const cli::OutputOptions& out) {
    TPrinter& printer = Printer();
    if (out.target == cli::OutputTarget::Preview) {  // also the page size of --emf alone
        printer.SetPrinterIndex(-1);
        return {};
    }
    const std::string name = out.target == cli::OutputTarget::Pdf ? kPdfPrinterName : out.printer;
    const std::vector<std::string>& names = printer.Printers();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] != name) continue;
        if (!printer.SetPrinterIndex(static_cast<int>(i)))
            return Error{"the printer '" + name + "' cannot be chosen"};
        if (out.target == cli::OutputTarget::Pdf) {
            const std::shared_ptr<PrinterDevice> device = printer.Device();
            if (!device || !device->SetOutputFile(out.pdf))
                return Error{"the PDF printer cannot write files here"};
        }
        return {};
    }
    return Error{"there is no printer called '" + name + "' ('quillon printers' lists them)"};
}

// The message boxes the print path showed while the work ran; without windows they are
// answered by the headless desktop, and each becomes a line of the command's error output.
class BoxCollector {
  public:
    explicit BoxCollector(bool active) : active_(active), first_(Headless().boxes.size()) {}
    int Report(std::string_view name, cli::Streams& s) const {
        if (!active_) return 0;
        const auto& boxes = Headless().boxes;
        int status = 0;
        for (std::size_t i = first_; i < boxes.size(); ++i) {
            std::string line = "quillon: ";
            line += name;
            line += ": ";
            line += boxes[i].text;
            line += '\n';
            cli::WriteText(s.err, line);
            status = 1;
        }
        return status;
    }

  private:
    bool active_;
    std::size_t first_;
};

// A job makes and drops the same few large buffers for every page (the page's metafile, the
// PDF writer's page stream): the heap keeps what it grew to instead of giving it back to the
// system and growing again a page later, which cost more than the drawing itself.
void KeepHeapForTheJob() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

int Fail(std::string_view name, const std::string& reason, cli::Streams& s) {
    std::string line = "quillon: ";
    line += name;
    line += ": ";
    line += reason;
    line += '\n';
    cli::WriteText(s.err, line);
    return 1;
}

// Removes the --emf files of a job that was interrupted after they were written: an
// interrupted job leaves none of its outputs.
void DropKeptPagesIfInterrupted(std::vector<std::string>& kept) {
    if (!InterruptRequested()) return;
    for (const std::string& path : kept) std::remove(path.c_str());
    kept.clear();
}

// Writes the chosen ones of the `count` stored pages to the --emf directory; the files
// written go into `kept`.
Result<void> KeepPages(std::string_view name, const cli::OutputOptions& out, const PrintJob& job,
                       int count, std::vector<std::string>& kept) {
    PageExport what;
    what.dir = out.emfDir;
    what.name = KeptPagesName(name, out, job);
    what.force = out.force;
    for (int n = 1; n <= count; ++n)
        if (PageChosen(out, n)) what.pages.push_back(n);
    if (what.pages.empty()) return Error{"no page to write to " + out.emfDir};
    Result<std::vector<std::string>> written = ExportPages(what);
    if (!written) return written.error();
    kept = std::move(*written);
    DropKeptPagesIfInterrupted(kept);
    return Ok();
}

// Runs the job component over `job` to the printer chosen before.
int RunJob(std::string_view name, const cli::OutputOptions& out, const PrintJob& job,
           cli::Streams& s) {
    const bool preview = ShowsPreview(out);
    std::shared_ptr<TPrintWin> component =
        job.make ? job.make() : std::make_shared<TPrintWin>(nullptr);
    if (job.prepare) {
        Result<void> r = job.prepare(*component);
        if (!r) return Fail(name, r.reason(), s);
    }
    component->SetOutputTo(preview ? poViewer : poPrinter);
    component->SetCopies(out.copies);
    component->SetShowCancelDialog(preview);  // the status dialog needs windows
    component->PrintFilter = FilterOf(out);
    int kept = 0;
    std::vector<std::string> keptFiles;
    if (!out.emfDir.empty()) {
        // The files come first: a printer that fails afterwards cannot take them along.
        component->PagesRecorded = [&, c = component.get()] {
            // Stopped while they were written: the job says it was interrupted, once.
            if (Result<void> r = KeepPages(name, out, job, c->PageCount, keptFiles);
                !r && !InterruptRequested())
                kept = Fail(name, r.reason(), s);
            return !FilesOnly(out);
        };
    }
    component->StartJob();
    if (!component->InJob()) return 1;  // the job said why in a message box
    Result<void> drawn = job.draw ? job.draw(*component) : Result<void>{};
    int status = 0;
    if (InterruptRequested()) {
        component->Aborted = true;  // said once the job is closed
    } else if (!drawn) {
        // An empty reason: the drawing has already said why, line by line.
        status = drawn.reason().empty() ? 1 : Fail(name, drawn.reason(), s);
        component->Aborted = true;
    } else if (ChoosesPages(out)) {
        bool any = false;
        for (int n = 1; n <= component->PageCount && !any; ++n) any = PageChosen(out, n);
        if (!any) {
            status = Fail(name,
                          "none of the job's " + std::to_string(component->PageCount) +
                              " pages is chosen by --pages, --odd or --even: nothing printed",
                          s);
            component->Aborted = true;
        }
    }
    component->EndJob();
    component->PagesRecorded = nullptr;
    DropKeptPagesIfInterrupted(keptFiles);  // stopped while they were printed
    if (InterruptRequested()) return Fail(name, "interrupted", s);
    return status != 0 ? status : kept;
}

// Shows or prints the pages `job.storePages` put into the preview's page store.
int RunStoredPages(std::string_view name, const cli::OutputOptions& out, const PrintJob& job,
                   cli::Streams& s) {
    DeletePageFiles(poViewer);
    Result<void> stored = job.storePages();
    int status = 0;
    int count = 0;
    while (stored && PageFileExists(count + 1, poViewer)) ++count;
    std::vector<std::string> kept;
    if (stored && !out.emfDir.empty()) {
        if (Result<void> r = KeepPages(name, out, job, count, kept); !r && !InterruptRequested())
            status = Fail(name, r.reason(), s);
    }
    if (!stored) {
        status = Fail(name, stored.reason(), s);
    } else if (FilesOnly(out)) {
        // kept above; nothing to show or print
    } else if (out.target == cli::OutputTarget::Preview) {
        ShowPreview();  // its page control deletes the pages when the window goes
    } else {
        bool any = !ChoosesPages(out);
        for (int n = 1; n <= count && !any; ++n) any = PageChosen(out, n);
        if (!any) {
            status = Fail(name,
                          "none of the " + std::to_string(count) +
                              " pages is chosen by --pages, --odd or --even: nothing printed",
                          s);
        } else {
            for (int copy = 0; copy < out.copies; ++copy)
                PrintStoredPages(poViewer, false, FilterOf(out));
        }
    }
    DropKeptPagesIfInterrupted(kept);
    DeletePageFiles(poViewer);
    return status;
}

}  // namespace

Result<void> CheckOutputOptions(const cli::OutputOptions& out) {
    if (out.emfDir.empty() && (!out.emfName.empty() || out.force))
        return Error{"--emf-name and --force go with --emf DIR"};
    if (!out.emfName.empty() && !ValidFileName(out.emfName))
        return Error{"option '--emf-name' takes a file name without '/', not '" + out.emfName +
                     "'"};
    if (!out.pages.empty()) {
        Result<void> list = CheckPageList(out.pages);
        if (!list) return list.error();
    }
    if (FilesOnly(out) && out.copies != 1)
        return Error{"--copies goes with --pdf or --printer; --emf keeps each page once"};
    if (ShowsPreview(out) && (ChoosesPages(out) || out.copies != 1))
        return Error{
            "--copies, --pages, --odd and --even go with --pdf, --printer or --emf; the preview "
            "chooses pages and copies in its own window"};
    return {};
}

std::string KeptPagesName(std::string_view name, const cli::OutputOptions& out,
                          const PrintJob& job) {
    if (!out.emfName.empty()) return out.emfName;
    std::string base = job.fileName;
    if (base.empty()) {
        base = job.title;
        const std::size_t slash = base.find_last_of('/');
        if (slash != std::string::npos) base.erase(0, slash + 1);
        const std::size_t dot = base.find_last_of('.');
        if (dot != std::string::npos && dot > 0) base.erase(dot);
    }
    return ValidFileName(base) ? base : std::string(name);
}

bool HaveDisplay() {
    if (Set("QT_QPA_PLATFORM")) {
        const std::string platform = std::getenv("QT_QPA_PLATFORM");
        return platform.rfind("offscreen", 0) != 0 && platform.rfind("minimal", 0) != 0;
    }
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

bool PageChosen(const cli::OutputOptions& out, int n) {
    if (out.odd && n % 2 == 0) return false;
    if (out.even && n % 2 != 0) return false;
    if (out.pages.empty()) return true;
    const Result<bool> in = PageInList(n, out.pages);
    return in && *in;
}

int PagesChosen(const cli::OutputOptions& out, int total) {
    int chosen = 0;
    for (int n = 1; n <= total; ++n)
        if (PageChosen(out, n)) ++chosen;
    return chosen;
}

cli::RunOutcome RunPrintJob(std::string_view name, const cli::OutputOptions& out,
                            const PrintJob& job, const QtCommands& qt, cli::Streams& s) {
    if (Result<void> r = CheckOutputOptions(out); !r) return {2, r.reason()};
    const bool preview = ShowsPreview(out);
    if (preview && !HaveDisplay()) {
        cli::WriteText(s.err, "quillon: no display: use --pdf or --printer\n");
        return {1, {}};
    }
    if (job.load) {
        if (Result<void> r = job.load(); !r) return {Fail(name, r.reason(), s), {}};
    }
    if (!out.emfDir.empty()) {
        // Said before the job runs rather than after its pages are made.
        struct stat st {};
        if (stat(out.emfDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return {Fail(name, out.emfDir + ": not a directory", s), {}};
    }
    if (!qt.withQt) {
        std::string line = "quillon: ";
        line += name;
        line += " needs the build with Qt\n";
        cli::WriteText(s.err, line);
        return {1, {}};
    }
    KeepHeapForTheJob();
    if (!preview) {
        // The preview's window has its own ways to stop; a job without one stops on Ctrl+C
        // between pages and leaves nothing behind.
        CatchInterrupts();
        BeginProgress(std::string(name).c_str());
    }
    const int status = qt.withQt(preview, [&]() -> int {
        const BoxCollector boxes(!preview);
        if (Result<void> r = ChoosePrinter(out); !r) return Fail(name, r.reason(), s);
        Printer().SetTitle(job.title);
        int done = job.storePages ? RunStoredPages(name, out, job, s) : RunJob(name, out, job, s);
        if (boxes.Report(name, s) != 0) done = 1;
        return done;
    });
    EndProgress();
    EndIfInterrupted();
    return {status, {}};
}

}  // namespace quillon
