// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the job of a printing command goes, decided in one place for every such command
// (`print-text`, `view`, `report`, `print-form`) from the shared output options:
//
//   --preview        the preview window (the default; needs a display)
//   --pdf OUT        the built-in "Print to PDF" printer, writing OUT
//   --printer NAME   a printer of the system, by the name `quillon printers` shows
//   --copies N       N documents of the chosen pages, one after the other (collated)
//   --pages LIST     the pages of a page list ("1,3,7-9"), as the preview's dialog reads it
//   --odd, --even    only the odd or the even pages (of the list, if one is given)
//   --emf DIR        the chosen pages also kept as DIR/NAME-001.emf, DIR/NAME-002.emf, ...
//                    (each file whole or not at all); alone, without a target, the pages go
//                    only there, and no display or printer is needed
//   --emf-name NAME  NAME of those files (default: the input's name up to its last dot)
//   --force          replace such files; without it nothing is replaced
//
// A command describes its job in a PrintJob and hands it to RunPrintJob, which checks the
// options (usage errors), the display, the input (the job's `load`), starts Qt, picks the
// printer, runs the job and turns every message the print path gives into one line of the
// command's error output:
//
//     PrintJob job;
//     job.title = "notes.txt";
//     job.load = [&]() -> Result<void> { ...read the input... };
//     job.prepare = [&](TPrintWin& p) -> Result<void> { p.SetHeaderStringLeft(...); ... };
//     job.draw = [&](TPrintWin& p) -> Result<void> { ...draw through p.Gdi(), p.NewPage()... };
//     return RunPrintJob("print-text", output, job, qt, streams);
//
// The page choice and the copies apply to the printers only: the preview has its own print
// buttons and dialog, so with --preview they are a usage error rather than silently unused.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/cli_options.h"
#include "app/commands.h"
#include "platform/sys/result.h"

namespace quillon {

class TPrintWin;

struct PrintJob {
    // The document's name on the printer's queue and in the PDF's properties.
    std::string title;
    // Reads and checks the input before anything starts (optional).
    std::function<Result<void>()> load;
    // Makes the job component (optional: a TPrintWin; the form printer gives its own class).
    // Shared so that a component that lives inside something else (the report form's job)
    // can keep its owner alive; the runner drops it before the printing session ends.
    std::function<std::shared_ptr<TPrintWin>()> make;
    // Sets the job's properties; runs before StartJob (optional).
    std::function<Result<void>(TPrintWin&)> prepare;
    // Draws the pages between StartJob and EndJob; an error ends the job with nothing sent.
    std::function<Result<void>(TPrintWin&)> draw;
    // Instead of `draw`, for pages that exist already (view): stores them in the preview's
    // page store (pages 1, 2, ...) and says how large they are; nothing is decorated.
    std::function<Result<void>()> storePages;
    // The files' common name for --emf when --emf-name is not given (default: the title up to
    // its last dot, or the command's name when that is no file name).
    std::string fileName;
};

// The usage errors of the output options: a page list that is not valid (the conversion
// error's text), a page choice or copies with the preview, --emf-name or --force without
// --emf, copies without a printer, a --emf-name that is no file name.
Result<void> CheckOutputOptions(const cli::OutputOptions& out);

// Whether windows can be opened: a display (DISPLAY or WAYLAND_DISPLAY) and no Qt platform
// without one (QT_QPA_PLATFORM offscreen or minimal), or another Qt platform chosen.
bool HaveDisplay();

// Whether the chosen pages of the output options take page n (for a list already checked).
bool PageChosen(const cli::OutputOptions& out, int n);

// How many of a job's `total` pages the page choice takes (what a PDF file receives: its
// copies are a setting of the document, not more pages).
int PagesChosen(const cli::OutputOptions& out, int total);

// The name the --emf files of `job` start with for command `name`.
std::string KeptPagesName(std::string_view name, const cli::OutputOptions& out,
                          const PrintJob& job);

// Runs `job` to the output `out`; the outcome of command `name` (0 done, 1 with one line
// "quillon: NAME: reason" per failure on `s.err`, or a usage error).
cli::RunOutcome RunPrintJob(std::string_view name, const cli::OutputOptions& out,
                            const PrintJob& job, const QtCommands& qt, cli::Streams& s);

}  // namespace quillon
