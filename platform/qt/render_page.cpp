#include "platform/qt/render_page.h"

#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <charconv>
#include <cmath>
#include <fstream>
#include <optional>

#include "platform/emf/emf_format.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/page_store.h"
#include "platform/qt/qt_painter_dc.h"
#include "platform/sys/rounding.h"

namespace quillon {

namespace {

constexpr const char* kUsage =
    "Usage: quillon render-page FILE [--png OUT] [--pdf OUT] [--scale S]\n";

// Page files are a few megabytes at most; anything far larger is not one of ours.

struct Options {
    std::string file;
    std::string png;
    std::string pdf;
    std::optional<double> scale;
};

std::optional<std::string> ParseOptions(const std::vector<std::string_view>& args, Options& opt) {
    bool haveFile = false, onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            if (haveFile) return "more than one page file given";
            opt.file = std::string(arg);
            haveFile = true;
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        std::string_view key = arg, value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            key = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if (key != "--png" && key != "--pdf" && key != "--scale")
            return "unknown option '" + std::string(arg) + "'";
        if (!hasValue) {
            if (i + 1 >= args.size()) return "option '" + std::string(key) + "' needs a value";
            value = args[++i];
        }
        if (key == "--scale") {
            double s = 0;
            const auto r = std::from_chars(value.data(), value.data() + value.size(), s);
            if (r.ec != std::errc() || r.ptr != value.data() + value.size() || !std::isfinite(s) ||
                s <= 0)
                return "the scale must be a positive number, not '" + std::string(value) + "'";
            opt.scale = s;
        } else if (value.empty()) {
            return "option '" + std::string(key) + "' needs a file name";
        } else {
            (key == "--png" ? opt.png : opt.pdf) = std::string(value);
        }
    }
    if (!haveFile) return "no page file given";
    if (opt.png.empty() && opt.pdf.empty())
        return "nothing to write: give --png OUT and/or --pdf OUT";
    return std::nullopt;
}

}  // namespace

int RunRenderPage(const std::vector<std::string_view>& args, std::string& err) {
    Options opt;
    if (const auto problem = ParseOptions(args, opt)) {
        err += "quillon: " + *problem + "\n" + kUsage;
        return 2;
    }
    std::string reason;
    Result<std::vector<std::uint8_t>> file = ReadPageFile(opt.file, /*userFile=*/true);
    if (!file) {
        // The reason names the file already.
        err += "quillon: " + file.reason() + "\n";
        return 1;
    }
    std::vector<std::uint8_t> data = std::move(*file);
    std::optional<PageArea> area = PageAreaOf(data, reason);
    if (area) {
        // Every record is checked before anything is written, so a bad file leaves no
        // half-drawn output behind.
        const EmfParseResult parsed = ParseEmf(data);
        if (!parsed.ok) {
            reason = parsed.error;
            area.reset();
        }
    }
    if (!area) {
        err += "quillon: " + opt.file + ": not a valid page: " + reason + "\n";
        return 1;
    }
    if (!opt.png.empty() && !WritePng(data, *area, opt.scale.value_or(0.25), opt.png, reason)) {
        err += "quillon: " + opt.file + ": " + reason + "\n";
        return 1;
    }
    if (!opt.pdf.empty() && !WritePdf(data, *area, opt.scale.value_or(1.0), opt.pdf, reason)) {
        err += "quillon: " + opt.file + ": " + reason + "\n";
        return 1;
    }
    return 0;
}

}  // namespace quillon
