#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# A long printing job stopped by SIGINT or SIGTERM: it dies of that signal (a shell sees 130
# or 143) after removing its private page directory and everything it had begun to write; and
# its progress line shows on a terminal only.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
mkdir -m 700 "$tmp/run"  # Qt's runtime folder, kept out of the temporary folder watched here

skip_without_qt report --pdf "$tmp/probe.pdf" probe
rm -f "$tmp/probe.pdf"

# wait_for TEST: polls (up to 60 s) until TEST succeeds; false when it never does.
wait_for() {
  local i
  for i in $(seq 3000); do
    eval "$1" && return 0
    sleep 0.02
  done
  return 1
}
pages_stored() { compgen -G "$tmp/t/*/PRN*.EMF" >/dev/null; }
# The page directory is removed by a process of its own once the job has ended (the prompt
# comes back at once): what the temporary folder holds after up to 60 s.
temp_left() {
  local i
  for i in $(seq 3000); do [ -z "$(ls -A "$tmp/t")" ] && break; sleep 0.02; done
  ls -A "$tmp/t"
}

# ended_interrupted LABEL STATUS EXPECTED MESSAGE: an interrupted job's status, all it said
# (in $tmp/err), and that neither an output nor its page directory is left.
ended_interrupted() {
  check "$1: status" "$3" "$2"
  check "$1: message" "$4" "$(cat "$tmp/err")"
  check "$1: no output" "" "$(ls -A "$tmp/out")"
  check "$1: no page directory" "" "$(temp_left)"
}

# stop SIGNAL WHEN INPUT-LINES: runs a report of many names with its own TMPDIR, waits for
# WHEN, sends SIGNAL, and leaves the exit status in $status.
stop() {
  rm -rf "$tmp/t" "$tmp/out"; mkdir "$tmp/t" "$tmp/out"
  seq "$3" | sed 's/^/NAME /' >"$tmp/names"
  TMPDIR=$tmp/t XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=offscreen \
    "$q" report --pdf "$tmp/out/big.pdf" <"$tmp/names" 2>"$tmp/err" &
  pid=$!
  if ! wait_for "$2"; then
    echo "FAIL the job never reached the point to stop it"; kill -KILL $pid; fails=$((fails + 1))
  fi
  kill -s "$1" $pid
  wait $pid
  status=$?
}

# While the pages are recorded.
stop INT pages_stored 100000
check "SIGINT status" 130 "$status"
check "SIGINT message" "quillon: report: interrupted" "$(cat "$tmp/err")"
check "SIGINT leaves no page directory" "" "$(temp_left)"
check "SIGINT leaves no output" "" "$(ls -A "$tmp/out")"

stop TERM pages_stored 100000
check "SIGTERM status" 143 "$status"
check "SIGTERM leaves no page directory" "" "$(temp_left)"
check "SIGTERM leaves no output" "" "$(ls -A "$tmp/out")"

# While the pages go into the PDF (the job holds a file in the output's folder, which may
# have no name yet): the document begun is dropped, not left half written.
pdf_begun() { ls -l /proc/$pid/fd 2>/dev/null | grep -q -- "-> $tmp/out/"; }
stop INT pdf_begun 2000
check "stopped while printing: status" 130 "$status"
check "stopped while printing: no page directory" "" "$(temp_left)"
check "stopped while printing: no output" "" "$(ls -A "$tmp/out")"

# With --emf the page files are written whole before the printing begins; stopped while
# printing, the job takes them away again with the rest of its outputs.
rm -rf "$tmp/t" "$tmp/out" "$tmp/emf"; mkdir "$tmp/t" "$tmp/out" "$tmp/emf"
seq 2000 | sed 's/^/NAME /' >"$tmp/names"
TMPDIR=$tmp/t XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=offscreen \
  "$q" report --pdf "$tmp/out/big.pdf" --emf "$tmp/emf" <"$tmp/names" 2>"$tmp/err" &
pid=$!
emf_written() { [ -e "$tmp/emf/report-2000.emf" ] && pdf_begun; }
wait_for emf_written || echo "FAIL the job never began its PDF after its page files"
kill -INT $pid
wait $pid
ended_interrupted "stopped after --emf" $? 130 "quillon: report: interrupted"
check "stopped after --emf: no page file left" "" "$(ls -A "$tmp/emf")"

# Many pages stored (a form feed makes a page), interrupted while they are recorded: the
# command returns without unlinking them one by one, and a process of its own removes the
# directory after it; no PDF is left.
rm -rf "$tmp/t" "$tmp/out"; mkdir "$tmp/t" "$tmp/out"
head -c 10000 /dev/zero | tr '\0' '\f' >"$tmp/ff.txt"
TMPDIR=$tmp/t XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=offscreen \
  "$q" print-text "$tmp/ff.txt" --pdf "$tmp/out/ff.pdf" 2>"$tmp/err" &
pid=$!
many_pages() { compgen -G "$tmp/t/*/PRN2000.EMF" >/dev/null; }
wait_for many_pages || echo "FAIL print-text never stored 2000 pages"
kill -INT $pid
wait $pid
ended_interrupted "print-text stopped" $? 130 "quillon: print-text: interrupted"
# Nor the process that removed it (it has the job's command line).
for i in $(seq 500); do pgrep -f "$tmp/ff.txt" >/dev/null || break; sleep 0.02; done
check "print-text stopped: no process left" "" "$(pgrep -f "$tmp/ff.txt")"

# Stopped while its --emf files are being written (each beside its name until all are whole):
# none is left, and the job says once that it was interrupted.
rm -rf "$tmp/t" "$tmp/out" "$tmp/emf"; mkdir "$tmp/t" "$tmp/out" "$tmp/emf"
TMPDIR=$tmp/t XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=offscreen \
  "$q" print-text "$tmp/ff.txt" --pdf "$tmp/out/ff.pdf" --emf "$tmp/emf" 2>"$tmp/err" &
pid=$!
emf_begun() { [ -n "$(ls -A "$tmp/emf")" ]; }
wait_for emf_begun || echo "FAIL print-text never began its --emf files"
kill -INT $pid
wait $pid
ended_interrupted "stopped writing --emf" $? 130 "quillon: print-text: interrupted"
check "stopped writing --emf: no file left" "" "$(ls -A "$tmp/emf")"

# A rich text whose layout takes long (a million characters, laid out anew for each of 30
# continuation panels of different widths), stopped by SIGTERM once its layout has begun (the
# notice that it was cut comes just before): the layout stops there, the job ends as any
# interrupted job, and no PDF and no page directory are left.
"$(dirname "${BASH_SOURCE[0]}")/../data/forms/make_panels_form.sh" >"$tmp/panels.form"
rm -rf "$tmp/t" "$tmp/out"; mkdir "$tmp/t" "$tmp/out"
TMPDIR=$tmp/t XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=offscreen \
  "$q" print-form "$tmp/panels.form" --pdf "$tmp/out/panels.pdf" 2>"$tmp/err" &
pid=$!
layout_begun() { grep -q "^quillon: Rich: rich text past the program's limits: cut after 1000000 characters" "$tmp/err"; }
wait_for layout_begun || echo "FAIL the rich text was never read"
kill -TERM $pid
wait $pid
check "rich text stopped: status" 143 "$?"
check "rich text stopped: message" "quillon: print-form: interrupted" "$(tail -1 "$tmp/err")"
check "rich text stopped: nothing said of text left over" 0 "$(grep -c 'did not fit' "$tmp/err")"
check "rich text stopped: no output" "" "$(ls -A "$tmp/out")"
check "rich text stopped: no page directory" "" "$(temp_left)"

# Waiting for names on standard input: stops at once too.
rm -rf "$tmp/t"; mkdir "$tmp/t"
mkfifo "$tmp/fifo"
TMPDIR=$tmp/t XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=offscreen "$q" report --pdf "$tmp/out/wait.pdf" <"$tmp/fifo" 2>/dev/null &
pid=$!
exec 7>"$tmp/fifo"
printf 'ANNA\nBOB\n' >&7  # the first page is stored once the second begins
wait_for pages_stored || echo "FAIL no page for the first name"
kill -INT $pid
wait $pid
check "SIGINT while reading: status" 130 "$?"
exec 7>&-
check "SIGINT while reading: no page directory" "" "$(temp_left)"

# Progress: on a terminal one line rewritten in place (pages done, pages per second); with
# standard error in a file nothing but the job's own lines.
# The rate shows once a phase has run for a moment: the job is long enough for that on a fast
# machine (a line at most every quarter of a second).
seq 2000 | sed 's/^/NAME /' >"$tmp/names"
script -qec "QT_QPA_PLATFORM=offscreen '$q' report --pdf '$tmp/tty.pdf' <'$tmp/names'" /dev/null \
  >"$tmp/tty" </dev/null
check "progress shown on a terminal" 1 "$(grep -c $'\r\e\\[Kreport: [0-9]* pages' "$tmp/tty" | awk '{print ($1 >= 1)}')"
check "progress gives the rate" 1 "$(grep -ac 'report: [a-z ]*[0-9]*\( of 2000\)\? pages, [0-9]* pages/s' "$tmp/tty" | awk '{print ($1 >= 1)}')"
check "progress of the printing counts to the known total" 1 \
  "$(grep -ac 'report: printing [0-9]* of 2000 pages' "$tmp/tty" | awk '{print ($1 >= 1)}')"
check "progress line cleared at the end" "quillon: 2000 pages written to $tmp/tty.pdf" \
  "$(sed 's/.*\r\x1b\[K//' "$tmp/tty" | tr -d '\r' | grep -av '^$' | tail -1)"
QT_QPA_PLATFORM=offscreen "$q" report --pdf "$tmp/file.pdf" <"$tmp/names" 2>"$tmp/err"
check "no progress into a file" "quillon: 2000 pages written to $tmp/file.pdf" "$(cat "$tmp/err")"

finish
