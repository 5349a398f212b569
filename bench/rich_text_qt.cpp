// SPDX-License-Identifier: GPL-2.0-or-later
// Rich text through the form printer to the built-in PDF printer: 50 pages of formatted text
// (headings, bold and italic runs, colours, lists, a table every few pages) flowing through a
// page-sized rich edit, one window print per page; pages per second and PDF bytes per page.
// Also the first band of a 10 MB document. Run by hand: QT_QPA_PLATFORM=offscreen ./rich_text_qt
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/byte_streams.h"
#include "app/commands.h"
#include "app/print_output.h"
#include "platform/gdi/device_context.h"
#include "platform/gdi/printer.h"
#include "platform/qt/qt_backend.h"
#include "platform/vcl/forms.h"
#include "printsuite/forms/DBPrnWin.h"
#include "printsuite/forms/VexRich.h"

namespace {

using namespace quillon;

// About `pages` pages of formatted text at 11 points on A4.
std::string Letter(int pages) {
    std::string html;
    for (int p = 0; p < pages; ++p) {
        html += "<h2 style=\"color:#1f3a93\">Chapter " + std::to_string(p + 1) + "</h2>";
        for (int k = 0; k < 5; ++k)
            html += "<p>Every letter of a name carries a number, and the <b>Pythagorean</b> "
                    "values run from one to nine while the <i>Chaldean</i> ones stop at eight. "
                    "<span style=\"color:#b00000\">Master numbers</span> stay as they are: "
                    "eleven, twenty-two and thirty-three are not reduced, and the grid counts "
                    "how often each number occurs among the vowels and the consonants.</p>";
        html += "<ul><li>Eleven: intuition.</li><li>Twenty-two: the builder.</li>"
                "<li>Thirty-three: the teacher.</li></ul>";
        if (p % 3 == 0)
            html += "<table border=\"1\" cellpadding=\"3\"><tr><th>Number</th><th>Vowels</th>"
                    "<th>Consonants</th></tr><tr><td>One</td><td>2</td><td>0</td></tr>"
                    "<tr><td>Five</td><td>1</td><td>3</td></tr></table>";
    }
    return html;
}

class NoInput final : public ByteSource {
  public:
    long Read(char*, std::size_t) override { return 0; }
};

QtCommands Host() {
    QtCommands qt;
    qt.withQt = [](bool, const std::function<int()>& work) { return work(); };
    return qt;
}

void BM_RichTextPdf(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    const std::string file = (std::filesystem::temp_directory_path() / "bench-rich.pdf").string();
    const std::string text = Letter(pages * 22 / 10);  // a chapter is under half a page
    int printed = 0;
    for (auto _ : state) {
        struct Window {
            TForm form{nullptr};
            TPanel* sheet = nullptr;
            TRichEditE* edit = nullptr;
        };
        auto window = std::make_shared<Window>();
        PrintJob job;
        job.title = "rich";
        job.make = [] { return std::make_shared<TDBPrintWin>(nullptr); };
        job.prepare = [&](TPrintWin&) -> Result<void> {
            RegisterFormPrinterClasses();
            window->sheet = new TPanel(&window->form);
            window->sheet->SetParent(&window->form);
            window->sheet->SetBounds(0, 0, 720, 1000);
            window->sheet->SetBevelOuter(bvNone);
            window->edit = new TRichEditE(&window->form);
            window->edit->SetName("Letter");
            window->edit->SetParent(window->sheet);
            window->edit->SetBounds(0, 0, 720, 1000);
            window->edit->SetBorderStyle(bsNone);
            window->edit->Font().SetName("Liberation Serif");
            window->edit->Font().SetHeight(-15);
            window->edit->SetTextFormat(rfHtml);
            window->edit->SetText(text);
            return Ok();
        };
        job.draw = [&](TPrintWin& p) -> Result<void> {
            printed = 0;
            for (int page = 0; page < 10 * pages; ++page) {
                if (page > 0) p.NewPage();
                p.PrintWindow(window->sheet, 0.5, 0.5);
                ++printed;
                if (window->edit->NextChar() >= window->edit->TextLength()) break;
            }
            return Ok();
        };
        cli::OutputOptions out;
        out.target = cli::OutputTarget::Pdf;
        out.targetGiven = true;
        out.pdf = file;
        StringSink o, e;
        NoInput in;
        cli::Streams s{in, o, e, false};
        if (RunPrintJob("bench", out, job, Host(), s).status != 0) {
            state.SkipWithError(e.text.c_str());
            return;
        }
    }
    const auto bytes = std::filesystem::file_size(file);
    state.counters["pages"] = printed;
    state.counters["pages/s"] =
        benchmark::Counter(printed, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["KB/page"] = static_cast<double>(bytes) / 1024.0 / printed;
    std::filesystem::remove(file);
}
BENCHMARK(BM_RichTextPdf)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The first page of a 10 MB document: the whole text is laid out before the first band.
void BM_TenMegabyteFirstBand(benchmark::State& state) {
    std::string text;
    while (text.size() < (10u << 20))
        text += "Every letter of a name carries a number under the old values.\n";
    TForm form(nullptr);
    TRichEditE edit(&form);
    edit.SetText(text);
    DeviceCaps caps;
    caps.technology = DT_RASPRINTER;
    caps.logPixelsX = caps.logPixelsY = 600;
    caps.widthPixels = 4960;
    caps.heightPixels = 7016;
    int next = 0;
    for (auto _ : state) {
        // A new text each round: the layout of the last one is kept between bands.
        edit.SetText(text + std::to_string(state.iterations()));
        NullDeviceContext dc(caps);
        next = edit.FormatRange(dc, TRect{300, 300, 4660, 6716}, 0, true);
    }
    state.counters["first_band_chars"] = next;
    state.counters["MB"] = static_cast<double>(text.size()) / (1 << 20);
}
BENCHMARK(BM_TenMegabyteFirstBand)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (!::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    quillon::QuietQtMessages();
    quillon::QtGraphicsSession qt;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
