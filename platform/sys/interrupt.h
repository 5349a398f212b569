// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Interrupting a long job, and telling a person at a terminal how far it got.
//
// A printing command catches SIGINT and SIGTERM: the handler only notes the signal, and the
// job looks at the note between pages (and between records it reads), stops there, removes
// its page directory and anything it had begun to write, and then dies of the same signal, so
// that a shell sees the job as interrupted (status 130 or 143) and stops a loop it runs.

namespace quillon {

// Catches SIGINT and SIGTERM from now on (only noting them). Idempotent.
void CatchInterrupts();
// The signal caught since CatchInterrupts (SIGINT or SIGTERM), 0 when none was.
int InterruptSignal();
inline bool InterruptRequested() {
    return InterruptSignal() != 0;
}
// When a signal was caught: has the process's private directory removed (by a detached
// process, see RemoveProcessTempDirDetached) and ends the process by that signal (its default
// action). Returns when none was caught. Outputs in the user's folders are the job's to remove
// before: they must be gone when the command has returned.
void EndIfInterrupted();
// Tests: notes `signal` as if it had been caught (0 forgets the note).
void SetInterruptForTesting(int signal);

// ---------------------------------------------------------------------------------------------
// Progress of a job on standard error, only when that is a terminal and it was asked for: one
// line rewritten in place, at most four times a second ("print-text: 1200 pages, 1530 pages/s",
// "print-text: printing 300 of 1200 pages, 1490 pages/s"), removed when the job ends.

// Starts showing progress for command `name` when standard error is a terminal.
void BeginProgress(const char* name);
// A phase of the job: its verb ("" while pages are recorded) and the number of pages it goes
// through (0 when not known yet). Starts counting pages per second afresh.
void ProgressPhase(const char* verb, int total);
// `done` pages of the phase are done.
void ProgressPages(int done);
// Clears the line; nothing more is shown until BeginProgress.
void EndProgress();

}  // namespace quillon
