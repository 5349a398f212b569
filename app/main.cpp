// SPDX-License-Identifier: GPL-2.0-or-later
// quillon: the numerology calculator and its command-line tools.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli.h"
#include "app/cli_options.h"
#include "app/commands.h"
#include "app/form_help.h"
#include "app/startup.h"
#ifdef QUILLON_HAVE_QT
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/render_page.h"
#include "platform/qt/show_form.h"
#endif

namespace {

void WriteAll(int fd, const std::string& text) {
    quillon::FdSink sink(fd);
    bool closed = false;
    sink.Write(text, closed);
}

#ifdef QUILLON_HAVE_QT
int RenderPage(const quillon::RenderPageArgs& args, std::string& err) {
    // Rendering needs the fonts, not a display.
    if (!::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    quillon::QuietQtMessages();
    quillon::QtGraphicsSession qt;
    return quillon::RunRenderPage({args.file, args.png, args.pdf, args.scale}, err);
}

int ShowForm(const std::string& file, std::string& err) {
    quillon::QuietQtMessages();
    // The program's own form files name its non-visual components too.
    quillon::RegisterAppClasses();
    return quillon::RunShowForm(file, err);
}


int WithQt(bool windows, const std::function<int()>& work) {
    quillon::QuietQtMessages();
    if (windows) {
        quillon::QtHost host;
        return work();
    }
    // Printing needs the fonts and the printers, not a display.
    if (!::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    quillon::QtGraphicsSession qt;
    return work();
}
#endif

std::vector<quillon::cli::Command> Table() {
    quillon::QtCommands qt;
#ifdef QUILLON_HAVE_QT
    qt.renderPage = RenderPage;
    qt.showForm = ShowForm;
    qt.withQt = WithQt;
#endif
    return quillon::Commands(qt);
}

// The calculator: `quillon` alone, or `quillon --name TEXT` to start with TEXT typed in.
int Calculator(int argc, char** argv) {
    std::string_view typed;
    if (argc == 3 && std::string_view(argv[1]) == "--name") {
        typed = argv[2];
    } else if (argc == 2 && std::string_view(argv[1]) == "--name") {
        WriteAll(STDERR_FILENO, "quillon: option '--name' needs a value\n" + quillon::UsageText());
        return 2;
    } else if (argc != 1) {
        WriteAll(STDERR_FILENO, "quillon: unknown command '" + std::string(argv[1]) + "'\n" +
                                    quillon::UsageText());
        return 2;
    }
#ifdef QUILLON_HAVE_QT
    // Qt would abort without a display; say what is missing instead.
    auto unset = [](const char* name) {
        const char* v = ::getenv(name);
        return !v || !*v;
    };
    if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM")) {
        WriteAll(STDERR_FILENO,
                 "quillon: no display to open the calculator on (DISPLAY is not set); "
                 "'quillon analyse' works without one\n");
        return 1;
    }
    quillon::QuietQtMessages();
    quillon::QtHost host;
    return quillon::RunQuillon(typed);
#else
    (void)typed;
    WriteAll(STDERR_FILENO,
             "quillon: the calculator needs the build with Qt; see 'quillon --help'\n");
    return 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // A closed pipe shows up as a failed write, which ends a command quietly.
    ::signal(SIGPIPE, SIG_IGN);
    const std::string_view command = argc > 1 ? argv[1] : "";
    const std::vector<quillon::cli::Command> table = Table();
    quillon::FdSource in(STDIN_FILENO);
    quillon::FdSink out(STDOUT_FILENO);
    quillon::FdSink err(STDERR_FILENO);
    const quillon::cli::Streams streams{in, out, err, ::isatty(STDOUT_FILENO) == 1};
    if (const quillon::cli::Command* c = quillon::cli::Find(table, command)) {
        const std::vector<std::string_view> args(argv + 2, argv + argc);
        return quillon::cli::RunCommand(*c, args, streams);
    }
    if (command == "help") {
        if (argc == 2) {
            WriteAll(STDOUT_FILENO, quillon::UsageText());
            return 0;
        }
        const std::string_view topic = argv[2];
        if (topic == "forms" && argc == 3) {
            WriteAll(STDOUT_FILENO, quillon::FormsHelpText());
            return 0;
        }
        if (topic == "classes" && argc <= 4) {
            const quillon::Result<std::string> text =
                quillon::ClassesHelpText(argc == 4 ? argv[3] : "");
            if (!text) {
                WriteAll(STDERR_FILENO, "quillon: help classes: " + text.reason() + "\n");
                return 2;
            }
            WriteAll(STDOUT_FILENO, *text);
            return 0;
        }
        const quillon::cli::Command* c = argc == 3 ? quillon::cli::Find(table, argv[2]) : nullptr;
        if (!c) {
            WriteAll(STDERR_FILENO, "quillon: help takes one command name, 'forms' or 'classes'\n" +
                                        quillon::UsageText());
            return 2;
        }
        WriteAll(STDOUT_FILENO, c->usage);
        return 0;
    }
    if (command == "--help" || command == "-h") {
        WriteAll(STDOUT_FILENO, quillon::UsageText());
        return 0;
    }
    if (command == "--version") {
        WriteAll(STDOUT_FILENO, "quillon " QUILLON_VERSION "\n");
        return 0;
    }
    return Calculator(argc, argv);
}
