#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Hostile names: 30,000 characters where the name field takes 30, given to analyse and report
# as an argument and on standard input, and typed into the calculator with --name. Each ends
# by itself under a ceiling of address space, says in one line why it refuses, and writes
# nothing it was not asked for.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

ceiling=$(memory_ceiling 307200)  # KB of address space for each run: 300 MB
long=$(head -c 30000 /dev/zero | tr '\0' Y)

run() {  # run NAME COMMAND ARGS...: status of quillon; stdout in $tmp/NAME.out, stderr in $tmp/NAME.err
  local name=$1; shift
  (ulimit -v "$ceiling"; exec timeout 60 "$q" "$@") >"$tmp/$name.out" 2>"$tmp/$name.err"
  echo $?
}

check "analyse" 1 "$(run analyse analyse "$long")"
check "analyse reason" "quillon: argument 1: name longer than 30 characters" "$(cat "$tmp/analyse.err")"
check "analyse prints nothing" "" "$(cat "$tmp/analyse.out")"
# Read from standard input, the long line is refused and the next one analysed.
check "analyse stdin" 1 "$(printf '%s\nANN\n' "$long" | run stdin analyse --format csv)"
check "analyse stdin reason" "quillon: line 1: name longer than 30 characters" "$(cat "$tmp/stdin.err")"
check "analyse stdin next line" 1 "$(grep -c '^"\?ANN' "$tmp/stdin.out")"

check "report" 1 "$(run report report --pdf "$tmp/report.pdf" "$long")"
check "report reason" "quillon: argument 1: name longer than 30 characters" "$(cat "$tmp/report.err")"
check "report writes nothing" "" "$(cd "$tmp" && ls -A report.pdf 2>/dev/null)"
# No name at all is a failure of its own, said once.
check "report of no name" 1 "$(run none report --pdf "$tmp/none.pdf" - </dev/null)"
check "report of no name reason" "quillon: report: no name to print" "$(cat "$tmp/none.err")"

# Typed into the calculator: only the field's 30 characters are typed, and the first Y asks
# whether it is a vowel.
if "$q" show-form /dev/null 2>&1 | grep -q 'needs the build with Qt'; then
  echo "SKIP the calculator (build without Qt)"
else
  check "calculator" 0 "$(QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/shots \
    QUILLON_SCREENSHOT_QUIT=1 run calc --name "$long")"
  check "calculator quiet" "" "$(cat "$tmp/calc.err")"
  check "calculator windows" "CalcFrm.png YFrm.png " "$(listing "$tmp/shots")"
fi

finish
