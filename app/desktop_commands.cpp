// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/desktop_commands.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "app/commands.h"
#include "platform/sys/limits.h"
#include "platform/sys/temp_dir.h"

// The sanitizers reserve terabytes of address space up front: no address-space bound there.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLON_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLON_ASAN 1
#endif
#endif

namespace quillon {

namespace {

const char kOpenUsage[] =
    "Usage: quillon open [FILE]\n"
    "\n"
    "Opens FILE as the desktop does on a double-click: a page file (EMF) in the preview\n"
    "('quillon view'), a form file in its window ('quillon show-form'); which it is, is\n"
    "told by the file's first bytes, else by its extension (.emf, .form). Without FILE,\n"
    "opens the calculator.\n";

const char kThumbnailUsage[] =
    "Usage: quillon thumbnail INPUT OUTPUT SIZE\n"
    "\n"
    "Writes a PNG image of the page file (EMF) INPUT to OUTPUT, fitted into SIZE x SIZE\n"
    "pixels (SIZE from 1 to 2048), for file managers' previews. A file that is not a\n"
    "valid page, larger than 32 MB or too slow to draw (10 seconds) gets no image and\n"
    "status 1; OUTPUT appears only when the whole image is written.\n";

bool EndsWith(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = text[text.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

cli::RunOutcome Open(const cli::ParsedArgs& args, cli::Streams& s, const QtCommands& qt) {
    if (args.operands.size() > 1)
        return {2, "open takes one file, not " + std::to_string(args.operands.size())};
    if (args.operands.empty()) {
        if (!qt.calculator) {
            cli::WriteText(s.err, "quillon: open needs the build with Qt\n");
            return {1, {}};
        }
        return {qt.calculator(""), {}};
    }
    const std::string file(args.operands[0]);
    char head[64] = {};
    std::ifstream in(file, std::ios::binary);
    in.read(head, sizeof head);
    const FileKind kind =
        KindOfFile(std::string_view(head, static_cast<std::size_t>(in.gcount())), file);
    if (kind == FileKind::Unknown) {
        cli::WriteText(s.err, "quillon: " + file + ": neither a page file (EMF) nor a form file\n");
        return {1, {}};
    }
    const std::vector<cli::Command> table = Commands(qt);
    const cli::Command* command = cli::Find(table, kind == FileKind::Page ? "view" : "show-form");
    const std::string_view operand[] = {file};
    return {cli::RunCommand(*command, operand, s), {}};
}

// A hostile file must not hold a file manager's thumbnailing up, nor take the machine's
// memory: the process ends itself after a while and is refused address space past a bound.
void BoundThumbnailWork() {
    ::alarm(limits::kThumbnailSeconds);
#ifndef QUILLON_ASAN
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) == 0) {
        const auto bound = static_cast<rlim_t>(limits::kThumbnailAddressSpace);
        if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > bound) {
            limit.rlim_cur = bound;
            ::setrlimit(RLIMIT_AS, &limit);
        }
    }
#endif
}

cli::RunOutcome Thumbnail(const cli::ParsedArgs& args, cli::Streams& s, const QtCommands& qt) {
    if (args.operands.size() != 3) return {2, "thumbnail takes INPUT, OUTPUT and SIZE"};
    const Result<int> side =
        cli::ParseCount("SIZE", args.operands[2], 1, limits::kMaxThumbnailSide);
    if (!side)
        return {2, "SIZE must be a whole number from 1 to " +
                       std::to_string(limits::kMaxThumbnailSide) + ", not '" +
                       std::string(args.operands[2]) + "'"};
    const std::string input(args.operands[0]), output(args.operands[1]);
    const auto fail = [&](const std::string& reason) -> cli::RunOutcome {
        cli::WriteText(s.err, "quillon: " + input + ": " + reason + "\n");
        return {1, {}};
    };
    struct stat st {};
    if (::stat(input.c_str(), &st) != 0) return fail("cannot read the file");
    if (!S_ISREG(st.st_mode)) return fail("not a regular file");
    if (st.st_size > limits::kMaxThumbnailInputBytes) return fail("too large for a thumbnail");
    if (!qt.renderPage) {
        cli::WriteText(s.err, "quillon: thumbnail needs the build with Qt\n");
        return {1, {}};
    }
    BoundThumbnailWork();
    // Drawing needs the fonts only, never the desktop's display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Drawn into the private directory first; OUTPUT is written whole or not at all.
    const Result<std::string> dir = ProcessTempDir();
    if (!dir) return fail(dir.reason());
    RenderPageArgs render;
    render.file = input;
    render.png = *dir + "/thumbnail.png";
    render.fitSide = *side;
    std::string err;
    if (const int status = qt.renderPage(render, err); status != 0) {
        cli::WriteText(s.err, err);
        return {status, {}};
    }
    const Result<std::vector<std::uint8_t>> png =
        ReadPrivateFile(render.png, static_cast<std::size_t>(64) << 20, "thumbnail");
    if (!png) return fail(png.reason());
    if (const Result<void> written = WritePrivateFile(output, *png); !written)
        return fail(written.reason());
    return {0, {}};
}

}  // namespace

FileKind KindOfFile(std::string_view head, std::string_view name) {
    // An enhanced metafile starts with its header record (type 1) and has " EMF" at 40.
    if (head.size() >= 44 && head.substr(0, 4) == std::string_view("\x01\0\0\0", 4) &&
        head.substr(40, 4) == " EMF")
        return FileKind::Page;
    std::string_view text = head;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty() &&
           (text[0] == ' ' || text[0] == '\t' || text[0] == '\r' || text[0] == '\n'))
        text.remove_prefix(1);
    for (std::string_view word : {"object ", "inherited ", "inline "})
        if (text.substr(0, word.size()) == word) return FileKind::Form;
    if (EndsWith(name, ".emf")) return FileKind::Page;
    if (EndsWith(name, ".form")) return FileKind::Form;
    return FileKind::Unknown;
}

cli::Command OpenCommand(const QtCommands& qt) {
    cli::Command c{
        "open",
        "opens a page or form file as a double-click does",
        kOpenUsage,
        {},
        [qt](const cli::ParsedArgs& args, cli::Streams& s) { return Open(args, s, qt); }};
    c.fileOperands = true;
    return c;
}

cli::Command ThumbnailCommand(const QtCommands& qt) {
    return {"thumbnail",
            "writes a page file's preview image for file managers",
            kThumbnailUsage,
            {},
            [qt](const cli::ParsedArgs& args, cli::Streams& s) { return Thumbnail(args, s, qt); }};
}

}  // namespace quillon
