// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/print_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <span>
#include <utility>

#include "app/print_output.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"
#include "platform/emf/page_store.h"
#include "platform/gdi/printer.h"
#include "platform/sys/interrupt.h"
#include "platform/sys/limits.h"
#include "platform/sys/rounding.h"
#include "platform/sys/utf8.h"
#include "printsuite/base/PrnWin_store.h"
#include "printsuite/base/Vex_MFunc.h"
#include "printsuite/draw/Vex_Gdi.h"
#include "printsuite/job/PrnWin.h"

namespace quillon {

namespace {

std::string PrintTextUsage() {
    std::string u = "Usage: quillon print-text [OPTIONS] FILE...\n       ";
    u += cli::kOutputUsage;
    u += "\n       ";
    u += cli::kJobUsage;
    u += R"(

Prints text files: lines word-wrapped to the page, a new page when one is full or at a form
feed, each file from a new page. The header shows the file's name at the left; the footer
"Printed on @Date at @Time" at the left and "Page @Page" at the right (@Page, @Date and
@Time are replaced in every header and footer text).

)";
    u += cli::kOutputHelp;
    u += R"(Page:
  --header-left TEXT, --header-center TEXT, --header-right TEXT   the header's texts
  --footer TEXT      the footer band's centred text
  --footer-left TEXT, --footer-right TEXT                         the footer's side texts
  --font-size PT     size of the text in points (10 by default)
  --units in|cm      unit of the margins (0.5 each) and of the ruler (inches by default)
  --ruler            a ruler frame along the page edges
  --landscape        landscape pages
)";
    return u;
}

std::string ViewUsage() {
    std::string u = "Usage: quillon view [OPTIONS] FILE.emf...\n       ";
    u += cli::kOutputUsage;
    u += R"(

Opens the preview on enhanced-metafile pages, one page per file in the order given, to look
at them and print them; with --pdf or --printer they are printed without a window. A file
that is not a page file the player can show is refused with its reason, and nothing is
shown or printed. A page this program recorded keeps its page and orientation; a picture
made by another program is printed at its true size, centred, on the sheet whose
orientation shows it largest (shrunk to fit when it is larger), each file on its own sheet.

)";
    u += cli::kOutputHelp;
    return u;
}

const char kPrintersUsage[] =
    "Usage: quillon printers\n"
    "\n"
    "Lists the printers the program sees, one a line: the current one marked with '*', its\n"
    "name, its resolution and its printable page in pixels and inches. \"Print to PDF\" is the\n"
    "built-in PDF printer.\n";

std::string Quoted(const std::string& path) {
    std::string q = "'";
    q += path;
    q += '\'';
    return q;
}

std::vector<cli::OptionSpec> Specs(bool jobOptions) {
    std::vector<cli::OptionSpec> specs(cli::OutputOptionSpecs().begin(),
                                       cli::OutputOptionSpecs().end());
    if (jobOptions)
        specs.insert(specs.end(), cli::JobOptionSpecs().begin(), cli::JobOptionSpecs().end());
    return specs;
}

// The output and job options of `args`; a usage error as its reason.
Result<void> TakeOptions(const cli::ParsedArgs& args, cli::OutputOptions& out, cli::JobOptions* job,
                         std::vector<std::string_view>* given) {
    for (const cli::ParsedOption& o : args.options) {
        Result<bool> r = cli::ApplyOutputOption(o, out);
        if (!r) return r.error();
        if (*r) continue;
        if (job) {
            r = cli::ApplyJobOption(o, *job);
            if (!r) return r.error();
            if (*r && given) given->push_back(o.name);
        }
    }
    return {};
}

bool Given(const std::vector<std::string_view>& given, std::string_view name) {
    return std::find(given.begin(), given.end(), name) != given.end();
}

// ------------------------------------------------------------------------------- print-text

// Replaces each tab by spaces to the next multiple of eight columns.
void ExpandTextTabs(std::string& line) {
    if (line.find('\t') == std::string::npos) return;
    std::string out;
    out.reserve(line.size() + 16);
    std::size_t column = 0;
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == '\t') {
            const std::size_t n = 8 - column % 8;
            out.append(n, ' ');
            column += n;
            ++i;
            continue;
        }
        const std::size_t len = std::max<std::size_t>(1, utf8::DecodeOne(line.substr(i)).length);
        out.append(line, i, len);
        i += len;
        ++column;
    }
    line = std::move(out);
}

// The body text's place on the page, in printer pixels.
struct TextArea {
    int left = 0, right = 0, top = 0, bottom = 0;
    int fontHeight = 0;  // negative: the character height
    int lineHeight = 0;
};

class TextPrinter {
  public:
    TextPrinter(TPrintWin& job, double points) : job_(job), gdi_(*job.Gdi()) {
        const double ratio = job.VerticalScale;
        area_.fontHeight = -std::max(1, RoundToInt(points * job.PrinterDpiY / 72.0));
        SelectFont();
        // Lines 1.2 times the font's size apart.
        area_.lineHeight = std::max(1, RoundToInt(-area_.fontHeight * 1.2));
        const int inset = RoundToInt(5 * ratio);
        const int header = std::abs(RoundToInt(job.HeaderFont().Height() * ratio));
        area_.left = UnitsToPixels(false, job.BorderLeft()) + inset;
        area_.right = Printer().PageWidth() - UnitsToPixels(false, job.BorderRight()) - inset;
        area_.top = UnitsToPixels(true, job.HeaderTop()) + 2 * header + area_.lineHeight / 2;
        area_.bottom = UnitsToPixels(true, job.FooterTop()) - area_.lineHeight / 2;
        y_ = area_.top;
    }

    bool Fits() const { return area_.top + area_.lineHeight <= area_.bottom; }
    const TextArea& Area() const { return area_; }

    void NewPage() {
        job_.NewPage();
        SelectFont();
        y_ = area_.top;
        pageHasText_ = false;
    }
    // A line of the file (without its end), wrapped.
    void Line(const std::string& line) {
        TCanvas& canvas = Printer().Canvas();
        // A piece is at most what the layer draws in one call.
        const TextWidthFn width = [&canvas](std::string_view s) {
            return utf8::Length(s) > kMaxTextOut ? INT_MAX / 2 : canvas.TextWidth(s);
        };
        const int lineWidth = area_.right - area_.left;
        // The wrap looks at a window of the line from where it stands: a piece is at most
        // kMaxTextOut characters, and a line of megabytes without a space is not searched to
        // its end for every piece.
        constexpr std::size_t kWindow = 4096;
        std::size_t pos = 0;
        do {
            const std::string_view window = std::string_view(line).substr(pos, kWindow);
            std::size_t taken = 0;
            const std::string_view piece = TakeNextLine(window, taken, lineWidth, width);
            pos += taken;
            if (y_ + area_.lineHeight > area_.bottom) NewPage();
            if (!piece.empty()) gdi_.PutText(area_.left, y_, std::string(piece));
            y_ += area_.lineHeight;
            pageHasText_ = true;
        } while (pos < line.size());
    }
    // A form feed: the next line starts a new page.
    void FormFeed() { NewPage(); }
    bool PageHasText() const { return pageHasText_; }

  private:
    void SelectFont() {
        gdi_.SetPrinterFont(kTextFace, area_.fontHeight, false, false, false);
        // The layer gives the printer canvas the height's size as a cell height; the text is
        // measured at the character height it is drawn with.
        Printer().Canvas().Font().SetHeight(area_.fontHeight);
        gdi_.SetFontColor(clBlack);
    }

    TPrintWin& job_;
    TGdi& gdi_;
    TextArea area_;
    int y_ = 0;
    bool pageHasText_ = false;
};

// The base name of a path, as the header shows it.
std::string FileTitle(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ------------------------------------------------------------------------------------ view

// The files checked before anything is shown or printed; each one is read again when it is
// stored, so that only one page is held in memory at a time (the same large file named many
// times would otherwise be held as many times).
struct EmfPages {
    std::vector<std::string> files;
    std::vector<EmfHeaderInfo> headers;
    std::vector<std::string> notes;  // what each file's drawing leaves out, in file order
};

Result<EmfParseStats> ReadEmfPage(const std::string& file, std::vector<std::uint8_t>& data) {
    Result<std::vector<std::uint8_t>> read = ReadPageFile(file, true);
    if (!read) return Error{Quoted(file) + ": " + read.reason()};
    data = std::move(*read);
    const Result<EmfParseStats> parsed = ParseEmf(data);
    if (!parsed) return Error{Quoted(file) + ": " + parsed.reason()};
    return *parsed;
}

Result<EmfPages> ReadEmfPages(const std::vector<std::string>& files) {
    EmfPages out;
    for (const std::string& file : files) {
        std::vector<std::uint8_t> data;
        Result<EmfParseStats> parsed = ReadEmfPage(file, data);
        if (!parsed) return parsed.error();
        out.files.push_back(file);
        out.headers.push_back(parsed->header);
        if (std::string note = PicturesLeftOutNote(*parsed); !note.empty())
            out.notes.push_back(file + ": " + note);
    }
    return out;
}

// The picture's true size in printer pixels.
TSize PictureOnPrinter(const EmfHeaderInfo& header, const DeviceCaps& caps) {
    return TSize{header.PictureSizeOnScreen(caps.logPixelsX).cx,
                 header.PictureSizeOnScreen(caps.logPixelsY).cy};
}

// A picture made elsewhere as a page of the suite for the printer's page `caps`, played
// into `rect`: the preview and the printer then show it as they show any page.
Result<std::vector<std::uint8_t>> PictureAsPage(std::span<const std::uint8_t> picture,
                                                const DeviceCaps& caps, const TRect& rect) {
    EmfRecorder rec(EmfRecorderOptions{
        std::nullopt,
        EmfPageInfo{caps.widthPixels, caps.heightPixels, caps.logPixelsX, caps.logPixelsY}});
    if (Result<void> played = PlayEmfAsPage(picture, rec, rect); !played) return played.error();
    return rec.Finish();
}

Result<void> StorePages(const EmfPages& pages) {
    if (pages.files.empty()) return {};
    // The printable area in either orientation (without a printer, the measuring caps).
    const std::shared_ptr<PrinterDevice> device = Printer().Device();
    const DeviceCaps portrait = device ? device->Caps(poPortrait) : Printer().Caps();
    DeviceCaps landscape = portrait;
    if (device) {
        landscape = device->Caps(poLandscape);
    } else {
        std::swap(landscape.widthPixels, landscape.heightPixels);
        std::swap(landscape.logPixelsX, landscape.logPixelsY);
    }
    // Each picture goes on the page whose orientation shows it largest; a page of the suite
    // keeps the page it was made for. The first page gives the job's page (what a job records
    // at its start); the print path turns each page to its own.
    const auto placement = [&](const EmfHeaderInfo& header) {
        return PlacePicture(PictureOnPrinter(header, portrait),
                            TSize{portrait.widthPixels, portrait.heightPixels},
                            TSize{landscape.widthPixels, landscape.heightPixels});
    };
    const EmfHeaderInfo& first = pages.headers.front();
    TSize pageSize;
    bool isLandscape = false;
    if (first.page) {
        pageSize =
            TSize{std::max(1, first.page->widthPixels), std::max(1, first.page->heightPixels)};
        isLandscape = pageSize.cx > pageSize.cy;
    } else {
        isLandscape = placement(first).landscape;
        const DeviceCaps& caps = isLandscape ? landscape : portrait;
        pageSize = TSize{std::max(1, caps.widthPixels), std::max(1, caps.heightPixels)};
    }
    for (std::size_t i = 0; i < pages.files.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        std::vector<std::uint8_t> data;
        Result<EmfParseStats> parsed = ReadEmfPage(pages.files[i], data);
        if (!parsed) return parsed.error();
        const EmfHeaderInfo& header = parsed->header;
        Result<void> w = Ok();
        if (header.page) {
            w = WritePageFile(PageFileName(n, poViewer), data);
        } else {
            const DeviceCaps& caps = placement(header).landscape ? landscape : portrait;
            // Measured at the chosen page's own resolution (its axes swap with the page).
            const TRect rect = PlacePictureIn(PictureOnPrinter(header, caps),
                                              TSize{caps.widthPixels, caps.heightPixels});
            Result<std::vector<std::uint8_t>> page = PictureAsPage(data, caps, rect);
            w = page ? WritePageFile(PageFileName(n, poViewer), *page) : Result<void>(page.error());
        }
        if (!w) return Error{"page " + std::to_string(n) + " cannot be stored: " + w.reason()};
    }
    // What a job records at its start, so that the preview shows the pages at their size.
    JobSettings settings;
    settings.pageWidth = pageSize.cx;
    settings.pageHeight = pageSize.cy;
    settings.landscape = isLandscape;
    settings.viewBackground = ColorToRGB(11234567);
    settings.heading = "Quillon View";
    settings.printerName = Printer().PrinterName();
    settings.printerIndex = Printer().PrinterIndex();
    settings.zoomFactor = 100;
    settings.directory = ".";
    WriteJobSettings(settings);
    return {};
}

// -------------------------------------------------------------------------------- printers

std::string Inches(int pixels, int dpi) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", dpi > 0 ? static_cast<double>(pixels) / dpi : 0.0);
    return buf;
}

int ListPrinters(cli::Streams& s) {
    TPrinter& printer = Printer();
    printer.SetPrinterIndex(-1);
    const int current = printer.PrinterIndex();
    const std::vector<std::string> names = printer.Printers();
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        printer.SetPrinterIndex(static_cast<int>(i));
        const DeviceCaps caps = printer.Caps();
        const int w = printer.PageWidth(), h = printer.PageHeight();
        out += static_cast<int>(i) == current ? "* " : "  ";
        out += names[i];
        out += "  ";
        out += std::to_string(caps.logPixelsX);
        out += 'x';
        out += std::to_string(caps.logPixelsY);
        out += " dpi  ";
        out += std::to_string(w);
        out += " x ";
        out += std::to_string(h);
        out += " pixels  ";
        out += Inches(w, caps.logPixelsX);
        out += " x ";
        out += Inches(h, caps.logPixelsY);
        out += " in\n";
    }
    printer.SetPrinterIndex(current);
    cli::WriteText(s.out, out);
    return 0;
}

}  // namespace

TRect PlacePictureIn(TSize picture, TSize area) {
    const double w = std::max(1, picture.cx), h = std::max(1, picture.cy);
    const double scale = std::min({1.0, area.cx / w, area.cy / h});
    const int width = std::max(1, static_cast<int>(std::floor(w * scale)));
    const int height = std::max(1, static_cast<int>(std::floor(h * scale)));
    const int left = std::max(0, (area.cx - width) / 2), top = std::max(0, (area.cy - height) / 2);
    return TRect{left, top, left + width, top + height};
}

PicturePlacement PlacePicture(TSize picture, TSize portrait, TSize landscape) {
    const TRect p = PlacePictureIn(picture, portrait);
    const TRect l = PlacePictureIn(picture, landscape);
    const std::int64_t pArea = std::int64_t{p.Width()} * p.Height();
    const std::int64_t lArea = std::int64_t{l.Width()} * l.Height();
    // Shown equally large (it fits both at its true size): the orientation of its own shape.
    const bool useLandscape = lArea != pArea ? lArea > pArea : picture.cx > picture.cy;
    return PicturePlacement{useLandscape, useLandscape ? l : p};
}

Result<void> CheckTextFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Error{"cannot read " + Quoted(path) + ": " + std::strerror(errno)};
    if (!S_ISREG(st.st_mode)) return Error{Quoted(path) + " is not a file"};
    if (st.st_size == 0) return Error{Quoted(path) + " is empty: nothing to print"};
    if (st.st_size > limits::kMaxPrintTextBytes)
        return Error{Quoted(path) + " is larger than " +
                     std::to_string(limits::kMaxPrintTextBytes >> 20) + " MB"};
    std::ifstream in(path, std::ios::binary);
    if (!in) return Error{"cannot read " + Quoted(path) + ": " + std::strerror(errno)};
    std::vector<char> buf(std::size_t{1} << 16);
    while (in) {
        in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (std::memchr(buf.data(), '\0', got))
            return Error{Quoted(path) + " is not a text file (it holds NUL bytes)"};
    }
    if (in.bad()) return Error{"cannot read " + Quoted(path)};
    return {};
}

Result<void> DrawTextFiles(TPrintWin& job, const std::vector<std::string>& files,
                           double fontSizePoints, bool keepHeaderLeft) {
    if (!job.Gdi()) return Error{"no print job is open"};
    TextPrinter printer(job, fontSizePoints);
    if (!printer.Fits())
        return Error{
            "a line of text at this font size does not fit between the header and "
            "the footer"};
    bool first = true;
    for (const std::string& file : files) {
        if (!first) {
            if (!keepHeaderLeft) job.SetHeaderStringLeft(FileTitle(file));
            printer.NewPage();
        }
        first = false;
        std::ifstream in(file, std::ios::binary);
        if (!in) return Error{"cannot read " + Quoted(file) + ": " + std::strerror(errno)};
        std::string raw;
        while (std::getline(in, raw)) {
            // Ctrl+C: the job stops at this line; the runner says so and cleans up.
            if (InterruptRequested()) return {};
            if (job.AbortRequested()) return {};  // a page was lost: the job said why
            if (!raw.empty() && raw.back() == '\r') raw.pop_back();
            // A form feed ends the page; the text after it starts the next one.
            std::size_t start = 0;
            for (;;) {
                const std::size_t ff = raw.find('\f', start);
                std::string part = utf8::Sanitize(
                    std::string_view(raw).substr(start, ff == std::string::npos ? ff : ff - start));
                if (!part.empty() || ff == std::string::npos) {
                    ExpandTextTabs(part);
                    printer.Line(part);
                }
                if (ff == std::string::npos) break;
                if (job.AbortRequested()) return {};
                printer.FormFeed();
                start = ff + 1;
            }
        }
        if (in.bad()) return Error{"cannot read " + Quoted(file)};
    }
    return {};
}

cli::Command PrintTextCommand(const QtCommands& qt) {
    cli::Command c{
        "print-text", "prints text files, word-wrapped, with header and footer", PrintTextUsage(),
        Specs(true), [qt](const cli::ParsedArgs& args, cli::Streams& s) -> cli::RunOutcome {
            cli::OutputOptions out;
            cli::JobOptions opts;
            std::vector<std::string_view> given;
            if (Result<void> r = TakeOptions(args, out, &opts, &given); !r) return {2, r.reason()};
            if (args.operands.empty()) return {2, "no text file given"};
            std::vector<std::string> files(args.operands.begin(), args.operands.end());
            PrintJob job;
            job.title = FileTitle(files[0]);
            job.load = [&files]() -> Result<void> {
                for (const std::string& f : files)
                    if (Result<void> r = CheckTextFile(f); !r) return r;
                return {};
            };
            job.prepare = [&](TPrintWin& p) -> Result<void> {
                const auto text = [&](std::string_view option, const std::string& value,
                                      const std::string& fallback) {
                    return Given(given, option) ? value : fallback;
                };
                p.SetHeaderStringLeft(text("--header-left", opts.headerLeft, FileTitle(files[0])));
                p.SetHeaderStringCenter(text("--header-center", opts.headerCenter, ""));
                p.SetHeaderStringRight(text("--header-right", opts.headerRight, ""));
                p.SetFooterString(text("--footer", opts.footer, ""));
                p.SetFooterStringLeft(
                    text("--footer-left", opts.footerLeft, "Printed on @Date at @Time"));
                p.SetFooterStringRight(text("--footer-right", opts.footerRight, "Page @Page"));
                const TUnits units =
                    opts.units == cli::Units::Centimetres ? poCentimetres : poInches;
                p.SetUnits(units);
                p.SetGridBackDropUnits(units);
                p.SetGridBackDrop(opts.ruler);
                p.SetOrientation(opts.landscape ? poLandscape : poPortrait);
                return {};
            };
            job.draw = [&](TPrintWin& p) {
                return DrawTextFiles(p, files,
                                     opts.fontSize > 0 ? opts.fontSize : kDefaultTextPoints,
                                     Given(given, "--header-left"));
            };
            return RunPrintJob("print-text", out, job, qt, s);
        }};
    c.fileOperands = true;
    return c;
}

cli::Command ViewCommand(const QtCommands& qt) {
    cli::Command c{"view", "shows page files (EMF) in the preview, or prints them", ViewUsage(),
                   Specs(false),
                   [qt](const cli::ParsedArgs& args, cli::Streams& s) -> cli::RunOutcome {
                       cli::OutputOptions out;
                       if (Result<void> r = TakeOptions(args, out, nullptr, nullptr); !r)
                           return {2, r.reason()};
                       if (args.operands.empty()) return {2, "no page file given"};
                       std::vector<std::string> files(args.operands.begin(), args.operands.end());
                       auto pages = std::make_shared<EmfPages>();
                       PrintJob job;
                       job.title = FileTitle(files[0]);
                       job.load = [&files, &s, pages]() -> Result<void> {
                           Result<EmfPages> r = ReadEmfPages(files);
                           if (!r) return r.error();
                           *pages = std::move(*r);
                           for (const std::string& note : pages->notes)
                               cli::WriteText(s.err, "quillon: view: " + note + "\n");
                           return {};
                       };
                       job.storePages = [pages]() { return StorePages(*pages); };
                       return RunPrintJob("view", out, job, qt, s);
                   }};
    c.fileOperands = true;
    return c;
}

cli::Command PrintersCommand(const QtCommands& qt) {
    return {"printers",
            "lists the printers",
            kPrintersUsage,
            {},
            [qt](const cli::ParsedArgs& args, cli::Streams& s) -> cli::RunOutcome {
                if (!args.operands.empty()) return {2, "printers takes no operands"};
                if (!qt.withQt) {
                    cli::WriteText(s.err, "quillon: printers needs the build with Qt\n");
                    return {1, {}};
                }
                return {qt.withQt(false, [&s] { return ListPrinters(s); }), {}};
            }};
}

}  // namespace quillon
