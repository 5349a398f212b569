#pragma once
// The printing commands of the report and of form files: `quillon report` prints the report
// of each name, one page per name in one job; `quillon print-form` prints a form file's window
// with its controls.

#include <functional>
#include <string>

#include "app/cli_options.h"

namespace quillon {

class TPrintWin;

// What the printing commands need of the Qt backend (main.cpp supplies it in the build with
// Qt): a session with the printers for the work, and the built-in PDF printer aimed at a file.
struct PrintingHost {
    std::function<int(const std::function<int()>& work)> withPrinters;
    std::function<bool(const std::string& file, std::string& err)> printToPdf;
};

// Points the job at the output the options ask for. For now a PDF file (--pdf OUT) only;
// the preview and the system's printers come with the shared job output.
Result<void> SelectJobOutput(const cli::OutputOptions& output, TPrintWin& job,
                             const PrintingHost& host);

cli::Command ReportCommand(const PrintingHost& host);
cli::Command PrintFormCommand(const PrintingHost& host);

}  // namespace quillon
