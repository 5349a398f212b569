#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end checks of --emf, --emf-name and --force, the output options that keep a job's
# pages as EMF files: names, the page choice, nothing replaced without --force, the pages
# read back by `view` printing as the job printed them, and the usage errors.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)
export QT_QPA_PLATFORM=offscreen

printf 'x\n' > "$tmp/x.txt"
skip_without_qt print-text --pdf "$tmp/skip.pdf" "$tmp/x.txt"

# The words of a PDF with their boxes, the date and time of the footer left out.
words() { pdftotext -bbox "$1" - | grep '<word' | grep -v -E '>[0-9/]+:?[0-9:]*</word>'; }

# The footer without the time of day, so that two runs make the same pages.
pt() { "$q" print-text --footer-left "Printed" "$@"; }
printf 'Alpha first\n\fBravo second\n\fCharlie third\n' > "$tmp/job.txt"
mkdir "$tmp/out"

# --- Alone: files only, no display, no printer ---------------------------------------------
env -u DISPLAY -u WAYLAND_DISPLAY "$q" print-text --footer-left "Printed" --emf "$tmp/out" "$tmp/job.txt" 2> "$tmp/err"
check alone-status 0 $?
check alone-err "" "$(cat "$tmp/err")"
check alone-files "job-001.emf job-002.emf job-003.emf " "$(listing "$tmp/out")"
# Each file is a whole metafile: the header record (type 1) with the " EMF" signature.
check alone-header "1 EMF" "$(od -An -tu4 -N4 "$tmp/out/job-002.emf" | tr -d ' ') $(dd if="$tmp/out/job-002.emf" bs=1 skip=41 count=3 2>/dev/null)"
check alone-mode "600" "$(stat -c %a "$tmp/out/job-001.emf")"

# Read back by view, the pages print as the job printed them (texts and places).
pt --pdf "$tmp/job.pdf" "$tmp/job.txt"
"$q" view --pdf "$tmp/back.pdf" "$tmp/out/job-001.emf" "$tmp/out/job-002.emf" "$tmp/out/job-003.emf" 2> "$tmp/err"
check view-status 0 $?
check view-pages 3 "$(pages "$tmp/back.pdf")"
check view-same-words "$(words "$tmp/job.pdf")" "$(words "$tmp/back.pdf")"
check view-has-bravo yes "$(words "$tmp/back.pdf" | grep -q '>Bravo<' && echo yes)"

# --- Nothing replaced without --force; nothing written when one of the names is taken ------
before=$(md5sum "$tmp/out/job-002.emf")
printf 'mine\n' > "$tmp/out/job-003.emf"
pt --emf "$tmp/out" "$tmp/job.txt" 2> "$tmp/err"
check taken-status 1 $?
check taken-err "quillon: print-text: $tmp/out/job-001.emf: the file exists" "$(cat "$tmp/err")"
check taken-kept "mine" "$(cat "$tmp/out/job-003.emf")"
rm "$tmp/out/job-001.emf" "$tmp/out/job-002.emf"
pt --emf "$tmp/out" "$tmp/job.txt" 2> "$tmp/err"
check one-taken-status 1 $?
check one-taken-none "job-003.emf " "$(listing "$tmp/out")"
check one-taken-kept "mine" "$(cat "$tmp/out/job-003.emf")"

# Without --force a link in a page's place counts as a file that exists; with it, the link is
# replaced by the page and the file it points to stays as it was.
printf 'target\n' > "$tmp/target"
ln -s "$tmp/target" "$tmp/out/job-001.emf"
pt --emf "$tmp/out" "$tmp/job.txt" 2> "$tmp/err"
check link-status 1 $?
check link-err "quillon: print-text: $tmp/out/job-001.emf: the file exists" "$(cat "$tmp/err")"
pt --emf "$tmp/out" --force "$tmp/job.txt" 2> "$tmp/err"
check force-status 0 $?
check link-target-kept "target" "$(cat "$tmp/target")"
check link-replaced "no" "$([ -L "$tmp/out/job-001.emf" ] && echo yes || echo no)"
check force-files "job-001.emf job-002.emf job-003.emf " "$(listing "$tmp/out")"
check force-replaced "1" "$(od -An -tu4 -N4 "$tmp/out/job-003.emf" | tr -d ' ')"
check force-same-page "$before" "$(md5sum "$tmp/out/job-002.emf")"

# --- Names and the page choice ------------------------------------------------------------
mkdir "$tmp/chosen"
pt --emf "$tmp/chosen" --emf-name notes --pages 2-3,9 "$tmp/job.txt"
check pages-status 0 $?
check pages-files "notes-002.emf notes-003.emf " "$(listing "$tmp/chosen")"
check pages-same "$before" "$(md5sum "$tmp/chosen/notes-002.emf" | sed "s|$tmp/chosen/notes|$tmp/out/job|")"
mkdir "$tmp/odd"
pt --pdf "$tmp/odd.pdf" --odd --emf "$tmp/odd" "$tmp/job.txt" 2> "$tmp/err"
check odd-status 0 $?
check odd-pdf-pages 2 "$(pages "$tmp/odd.pdf")"
check odd-files "job-001.emf job-003.emf " "$(listing "$tmp/odd")"
mkdir "$tmp/none"
pt --emf "$tmp/none" --pages 7 "$tmp/job.txt" 2> "$tmp/err"
check none-status 1 $?
check none-err "quillon: print-text: none of the job's 3 pages is chosen by --pages, --odd or --even: nothing printed" "$(cat "$tmp/err")"
check none-files "" "$(listing "$tmp/none")"

# The other printing commands: the report of several names, a form file by its base name,
# pages read by view kept again.
mkdir "$tmp/rep" "$tmp/form" "$tmp/again"
"$q" report --emf "$tmp/rep" ANNA BOB 2> "$tmp/err"
check report-status 0 $?
check report-files "report-001.emf report-002.emf " "$(listing "$tmp/rep")"
"$q" report --emf "$tmp/rep" ANNA 2> "$tmp/err"
check report-one "ANNA-001.emf report-001.emf report-002.emf " "$(listing "$tmp/rep")"
form="$data/forms/show/sample.form"
"$q" print-form --emf "$tmp/form" "$form" 2> "$tmp/err"
check form-status 0 $?
check form-name "$(basename "$form" .form)-001.emf" "$(ls "$tmp/form" | head -n 1)"
"$q" view --emf "$tmp/again" "$tmp/out/job-002.emf" "$tmp/out/job-003.emf"
check view-kept "job-002-001.emf job-002-002.emf " "$(listing "$tmp/again")"
check view-kept-same "$before" "$(md5sum "$tmp/again/job-002-001.emf" | sed "s|$tmp/again/job-002-001|$tmp/out/job-002|")"

# --- Usage errors and failures --------------------------------------------------------------
usage() { pt "$@" "$tmp/job.txt" 2>&1 >/dev/null | head -n 1; }
check name-alone "quillon: --emf-name and --force go with --emf DIR" "$(usage --emf-name x)"
check force-alone "quillon: --emf-name and --force go with --emf DIR" "$(usage --force)"
check name-slash "quillon: option '--emf-name' takes a file name without '/', not 'a/b'" "$(usage --emf "$tmp/out" --emf-name a/b)"
check name-dots "quillon: option '--emf-name' takes a file name without '/', not '..'" "$(usage --emf "$tmp/out" --emf-name ..)"
check copies-alone "quillon: --copies goes with --pdf or --printer; --emf keeps each page once" "$(usage --emf "$tmp/out" --copies 2)"
check emf-empty "quillon: option '--emf' needs a directory" "$(usage --emf=)"
pt --emf "$tmp/out" --emf-name x 2>/dev/null; check no-input-status 2 $?
pt --emf "$tmp/missing" "$tmp/job.txt" 2> "$tmp/err"
check missing-dir-status 1 $?
check missing-dir-err "quillon: print-text: $tmp/missing: not a directory" "$(cat "$tmp/err")"
pt --emf "$tmp/job.txt" "$tmp/job.txt" 2> "$tmp/err"
check file-dir "quillon: print-text: $tmp/job.txt: not a directory" "$(cat "$tmp/err")"
# A directory that cannot be written (root writes anywhere, so only checked as another user).
if [ "$(id -u)" -ne 0 ]; then
  mkdir "$tmp/ro" && chmod 500 "$tmp/ro"
  pt --emf "$tmp/ro" "$tmp/job.txt" 2> "$tmp/err"
  check ro-status 1 $?
  check ro-none "" "$(listing "$tmp/ro")"
fi
# A failure to keep the pages does not lose the printed document.
pt --pdf "$tmp/still.pdf" --emf "$tmp/out" "$tmp/job.txt" 2> "$tmp/err"
check pdf-still-status 1 $?
check pdf-still-pages 3 "$(pages "$tmp/still.pdf")"

finish
