#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Benchmark, run by hand: `bench/interrupt.sh QUILLON [PAGES] [FOLDER]`.
#  - A print-text job of PAGES pages (default 100,000: a file of form feeds) with its temporary
#    folder under FOLDER (default /var/tmp: a disk, not a RAM disk) is stopped by SIGINT once
#    every page is stored and written back to the disk (sync), as Ctrl+C would stop it. Prints
#    how long the command took to return after the signal, its status, and how long until its
#    page directory was gone from the temporary folder (removed by then in the background),
#    polled every 10 ms.
#  - A form whose rich text (a million characters) is laid out anew for each of 30
#    continuation panels: the whole job's time, and the time from SIGTERM (sent once the text
#    is read) to the command's end.
set -u
q=${1:?usage: interrupt.sh QUILLON [PAGES] [FOLDER]}
pages=${2:-100000}
work=$(mktemp -d "${3:-/var/tmp}/quillon-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/t" "$work/out"
head -c $((pages - 1)) /dev/zero | tr '\0' '\f' >"$work/ff.txt"
now() { date +%s%N; }
ms() { echo $((($2 - $1) / 1000000)); }

start=$(now)
TMPDIR=$work/t QT_QPA_PLATFORM=offscreen "$q" print-text "$work/ff.txt" --pdf "$work/out/ff.pdf" \
  2>"$work/err" &
pid=$!
last=$(printf 'PRN%.3d.EMF' "$pages")
until compgen -G "$work/t/*/$last" >/dev/null; do
  kill -0 $pid 2>/dev/null || { echo "the job ended before its last page"; exit 1; }
  sleep 0.05
done
stored=$(now)
kill -STOP $pid
sync
kill -INT $pid
sent=$(now)
kill -CONT $pid
wait $pid
status=$?
returned=$(now)
until [ -z "$(ls -A "$work/t")" ]; do sleep 0.01; done
gone=$(now)
echo "pages stored:                  $pages in $(ms "$start" "$stored") ms"
echo "status:                        $status ($(cat "$work/err"))"
echo "returned after the signal:     $(ms "$sent" "$returned") ms"
echo "page directory gone after:     $(ms "$sent" "$gone") ms"
echo "outputs left:                  $(ls -A "$work/out" | wc -l)"

# The rich text: paragraphs of random words, a fifth of them bold.
"$(dirname "$0")/../tests/data/forms/make_panels_form.sh" >"$work/panels.form"
export QT_QPA_PLATFORM=offscreen
start=$(now)
"$q" print-form "$work/panels.form" --pdf "$work/out/panels.pdf" 2>/dev/null
status=$?
echo "rich text, whole job:          $(ms "$start" "$(now)") ms (status $status)"
rm -f "$work/out/panels.pdf"
"$q" print-form "$work/panels.form" --pdf "$work/out/panels.pdf" 2>"$work/err" &
pid=$!
until grep -q "cut after 1000000 characters" "$work/err"; do sleep 0.01; done
kill -TERM $pid
sent=$(now)
wait $pid
status=$?
echo "rich text, after SIGTERM:      $(ms "$sent" "$(now)") ms (status $status)"
echo "rich text, outputs left:       $(ls -A "$work/out" | wc -l)"
