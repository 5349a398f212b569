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

#include "app/byte_streams.h"
#include "app/cli_options.h"
#include "app/commands.h"
#include "app/startup.h"
#ifdef QUILLON_HAVE_QT
#include <dlfcn.h>

#include "platform/qt/qt_module.h"
#endif

namespace {

void WriteAll(int fd, const std::string& text) {
    quillon::FdSink sink(fd);
    bool closed = false;
    sink.Write(text, closed);
}

#ifdef QUILLON_HAVE_QT
// The Qt backend, loaded by the first command that needs it: the others start without Qt's
// libraries. It lies at QUILLON_QT_MODULE, relative to the executable (the same way in the
// build tree and installed); null after one line on standard error when it cannot be loaded.
const quillon::QtModule* Qt() {
    static const quillon::QtModule* module = [] {
        std::string path = "/proc/self/exe";
        char exe[4096];
        const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n > 0) {
            path.assign(exe, static_cast<std::size_t>(n));
            path.erase(path.find_last_of('/') + 1);
        }
        path += QUILLON_QT_MODULE;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        auto* entry =
            handle ? reinterpret_cast<decltype(&quillon_qt_module)>(::dlsym(handle, kQtModuleEntry))
                   : nullptr;
        const quillon::QtModule* m = entry ? entry() : nullptr;
        if (!m || m->version != quillon::QtModule::kVersion) {
            const char* why = ::dlerror();
            WriteAll(STDERR_FILENO, "quillon: cannot load the Qt backend " + path + ": " +
                                        (why ? why : "not a module of this version") + "\n");
            return static_cast<const quillon::QtModule*>(nullptr);
        }
        return m;
    }();
    return module;
}

// No window system to open a window on: nothing in the environment names one.
bool NoDisplay() {
    auto unset = [](const char* name) {
        const char* v = ::getenv(name);
        return !v || !*v;
    };
    return unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("QT_QPA_PLATFORM");
}

int RenderPage(const quillon::RenderPageArgs& args, std::string& err) {
    if (!Qt()) return 1;
    return Qt()->renderPage({args.file, args.png, args.pdf, args.scale, args.fitSide}, err);
}

int ShowForm(const std::string& file, std::string& err) {
    // Qt would abort without a display; say what is missing instead.
    if (NoDisplay()) {
        err = "quillon: show-form: no display (DISPLAY is not set)\n";
        return 1;
    }
    if (!Qt()) return 1;
    // The program's own form files name its non-visual components too.
    return Qt()->showForm(file, quillon::RegisterAppClasses, err);
}

int WithQt(bool windows, const std::function<int()>& work) {
    if (!Qt()) return 1;
    return windows ? Qt()->withWindows(work) : Qt()->withGraphics(work);
}
#endif

#ifdef QUILLON_HAVE_QT
// The calculator window, with `typed` typed into its name field.
int OpenCalculator(std::string_view typed) {
    // Qt would abort without a display; say what is missing instead.
    if (NoDisplay()) {
        WriteAll(STDERR_FILENO,
                 "quillon: no display to open the calculator on (DISPLAY is not set); "
                 "'quillon analyse' works without one\n");
        return 1;
    }
    return WithQt(true, [typed] { return quillon::RunQuillon(typed); });
}
#endif

std::vector<quillon::cli::Command> Table() {
    quillon::QtCommands qt;
#ifdef QUILLON_HAVE_QT
    qt.renderPage = RenderPage;
    qt.showForm = ShowForm;
    qt.withQt = WithQt;
    qt.calculator = OpenCalculator;
#endif
    return quillon::Commands(qt);
}

// The calculator: `quillon` alone, or `quillon --name TEXT` to start with TEXT typed in.
int Calculator(int argc, char** argv, const std::string& usage) {
    std::string_view typed;
    if (argc == 3 && std::string_view(argv[1]) == "--name") {
        typed = argv[2];
    } else if (argc == 2 && std::string_view(argv[1]) == "--name") {
        WriteAll(STDERR_FILENO, "quillon: option '--name' needs a value\n" + usage);
        return 2;
    } else if (argc != 1) {
        WriteAll(STDERR_FILENO,
                 "quillon: unknown command '" + std::string(argv[1]) + "'\n" + usage);
        return 2;
    }
#ifdef QUILLON_HAVE_QT
    return OpenCalculator(typed);
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
    const bool colour = quillon::cli::ColourWanted(::isatty(STDOUT_FILENO) == 1,
                                                   ::getenv("NO_COLOR"), ::getenv("TERM"));
    const quillon::cli::Streams streams{in, out, err, colour};
    if (const quillon::cli::Command* c = quillon::cli::Find(table, command)) {
        const std::vector<std::string_view> args(argv + 2, argv + argc);
        return quillon::cli::RunCommand(*c, args, streams);
    }
    if (command == "--help" || command == "-h") {
        WriteAll(STDOUT_FILENO, quillon::UsageText(table));
        return 0;
    }
    if (command == "--version") {
        WriteAll(STDOUT_FILENO, "quillon " QUILLON_VERSION "\n");
        return 0;
    }
    return Calculator(argc, argv, quillon::UsageText(table));
}
