#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Every job records its settings in the user's store, also one printed without a window
# (--pdf): the page size and orientation of that job, which the preview reads.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

skip_without_qt print-text --pdf "$tmp/skip.pdf" "$tmp/none.txt"

printf 'one line\n' >"$tmp/in.txt"
ini=$tmp/home/.config/Quillon/Tallet.ini
mkdir -p "$tmp/home"
job() {  # job [OPTIONS]: prints in.txt to out.pdf with a HOME of the test's own
  HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config QT_QPA_PLATFORM=offscreen \
    timeout 60 "$q" print-text --pdf "$tmp/out.pdf" "$@" "$tmp/in.txt" 2>"$tmp/err"
  echo $?
}
value() { sed -n "s/^$1=//p" "$ini"; }

check "portrait status" 0 "$(job)"
check "portrait stderr" "" "$(cat "$tmp/err")"
check "portrait orientation" Portrait "$(value Orientation)"
check "printer" "Print to PDF" "$(value PrinterName)"
width=$(value PageWidth) height=$(value PageHeight)
check "portrait page" "taller" "$([ "${height:-0}" -gt "${width:-0}" ] && echo taller || echo "$width x $height")"

check "landscape status" 0 "$(job --landscape)"
check "landscape orientation" Landscape "$(value Orientation)"
check "landscape page" "$height x $width" "$(value PageWidth) x $(value PageHeight)"

# A settings file of 50,000 keys of other programs: the job reads and writes only its own
# values, and every other line stays as it was, in its place.
awk 'BEGIN { print "[Other]"; for (i = 0; i < 50000; i++) print "Key" i "=" i }' >"$tmp/other"
{ cat "$tmp/other"; printf '[Printer]\nOrientation=Portrait\n'; } >"$ini"
check "many keys status" 0 "$(job --landscape)"
check "many keys stderr" "" "$(cat "$tmp/err")"
check "many keys orientation" Landscape "$(value Orientation)"
check "many keys kept" "" "$(head -n 50001 "$ini" | cmp - "$tmp/other" 2>&1)"
finish
