// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/sys/interrupt.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/sys/temp_dir.h"

namespace quillon {

namespace {

volatile sig_atomic_t caught = 0;

extern "C" void NoteSignal(int signal) {
    caught = signal;
}

double Now() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Progress {
    bool on = false;
    std::string name;
    std::string verb;
    int total = 0;
    double start = 0;
    double shown = 0;
    bool lineShown = false;
};

Progress& State() {
    static Progress p;
    return p;
}

void WriteErr(const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    ::sigemptyset(&action.sa_mask);
    // Not SA_RESTART: a read of standard input that waits comes back and the loop sees why.
    action.sa_flags = 0;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int InterruptSignal() {
    return caught;
}

void EndIfInterrupted() {
    const int signal = caught;
    if (signal == 0) return;
    EndProgress();
    // Unlinking the pages of a big job one by one takes the file system up to a minute; the
    // person who pressed Ctrl+C gets the prompt back now and a detached process removes them.
    RemoveProcessTempDirDetached();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    ::_exit(128 + signal);  // not reached while the signal's default action ends processes
}

void SetInterruptForTesting(int signal) {
    caught = signal;
}

void BeginProgress(const char* name) {
    Progress& p = State();
    p = Progress{};
    p.on = ::isatty(STDERR_FILENO) == 1;
    p.name = name;
    p.start = Now();
}

void ProgressPhase(const char* verb, int total) {
    Progress& p = State();
    if (!p.on) return;
    p.verb = verb;
    p.total = total;
    p.start = Now();
    p.shown = 0;  // a new phase shows at once
}

void ProgressPages(int done) {
    Progress& p = State();
    if (!p.on) return;
    const double now = Now();
    if (now - p.shown < 0.25) return;
    p.shown = now;
    std::string line = "\r\033[K";
    line += p.name;
    line += ": ";
    if (!p.verb.empty()) {
        line += p.verb;
        line += ' ';
    }
    line += std::to_string(done);
    if (p.total > 0) {
        line += " of ";
        line += std::to_string(p.total);
    }
    line += done == 1 && p.total <= 1 ? " page" : " pages";
    // The rate once there is enough time to tell it by.
    if (now - p.start >= 0.2) {
        line += ", ";
        line += std::to_string(static_cast<long long>(done / (now - p.start) + 0.5));
        line += " pages/s";
    }
    WriteErr(line);
    p.lineShown = true;
}

void EndProgress() {
    Progress& p = State();
    if (p.on && p.lineShown) WriteErr("\r\033[K");
    p = Progress{};
}

}  // namespace quillon
