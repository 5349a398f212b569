#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end checks of `quillon analyse` as a shell user runs it.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

out=$("$q" analyse --format csv "GOLDEN RIVER 7" | tail -n 1 | tr -d '\r')
check csv-row "GOLDEN RIVER 7,Pythagorean, 6  5   9 5   ,7 34 5 9 4 9  ,25,41,73,7,,5,,10,1,0,0,0,0,2,1,0,0,1,0,0,1,2,1,0,1,0,2,0,0,1,2,3,1,1,0,3,4,7,11" "$out"

# Names from a file: CRLF, NUL inside a line, invalid UTF-8, no final newline.
printf 'ABC\r\nA\0B\n\xff\xfeZ\n\nyARD' > "$tmp/names"
"$q" analyse --format json --system chaldean < "$tmp/names" > "$tmp/out" 2> "$tmp/err"
check names-status 0 $?
check names-count 5 "$(wc -l < "$tmp/out")"
check names-nul '{"Data":"A\u0000B",' "$(sed -n 2p "$tmp/out" | cut -c1-19)"
check names-invalid '{"Data":"��Z",' "$(sed -n 3p "$tmp/out" | cut -d, -f1),"
check names-y-vowel '"Vowels":"11  "' "$(sed -n 5p "$tmp/out" | grep -o '"Vowels":"[^"]*"')"
check names-err "" "$(cat "$tmp/err")"

# A refused name: message, the others still analysed, status 1.
"$q" analyse --format json ABC "$(printf 'X%.0s' $(seq 31))" DEF > "$tmp/out" 2> "$tmp/err"
check long-status 1 $?
check long-err "quillon: argument 2: name longer than 30 characters" "$(cat "$tmp/err")"
check long-count 2 "$(wc -l < "$tmp/out")"

# --typed: each name as the window stores it when typed; every Y answered by --y.
typed=$("$q" analyse --typed --format csv "golden river 7" | tail -n 1 | tr -d '\r')
check typed-upper-cases "GOLDEN RIVER 7,Pythagorean, 6  5   9 5   ,7 34 5 9 4 9  ,25,41,73,7,,5,,10,1,0,0,0,0,2,1,0,0,1,0,0,1,2,1,0,1,0,2,0,0,1,2,3,1,1,0,3,4,7,11" "$typed"
check typed-y-consonant "$("$q" analyse --format csv "YARD" | tail -n 1)" "$("$q" analyse --typed --format csv "yard" | tail -n 1)"
check typed-y-vowel "$("$q" analyse --format csv "yARyD" | tail -n 1)" "$("$q" analyse --typed --y vowel --format csv "yarYd" | tail -n 1)"
check untyped-lower-is-other "$("$q" analyse --format csv "A" | tail -n 1 | cut -d, -f5-)" "$("$q" analyse --format csv "Ab" | tail -n 1 | cut -d, -f5-)"
"$q" analyse --y vowel ABC > /dev/null 2> "$tmp/err"
check y-without-typed-status 2 $?
"$q" analyse --typed --y maybe ABC > /dev/null 2> "$tmp/err"
check y-bad-status 2 $?
check y-bad-message "quillon: option '--y' takes 'vowel' or 'consonant', not 'maybe'" "$(head -n 1 "$tmp/err")"

# Usage errors.
"$q" analyse --format > /dev/null 2> "$tmp/err"
check missing-value-status 2 $?
check missing-value-err "quillon: option '--format' needs a value" "$(head -n 1 "$tmp/err")"
"$q" analyse --bogus > /dev/null 2> "$tmp/err"
check unknown-option-status 2 $?
check unknown-option-usage "Usage: quillon analyse [--system pythagorean|chaldean] [--format text|json|csv] [NAME ...]" "$(sed -n 2p "$tmp/err")"
"$q" frobnicate > /dev/null 2>&1
check unknown-command-status 2 $?

# A closed pipe ends the program quietly.
yes "GOLDEN RIVER 7" | head -n 300000 > "$tmp/many"
"$q" analyse --format json < "$tmp/many" 2> "$tmp/err" | head -n 2 > "$tmp/head"
check pipe-status "0 0" "${PIPESTATUS[0]} ${PIPESTATUS[1]}"
check pipe-quiet "" "$(cat "$tmp/err")"
check pipe-lines 2 "$(wc -l < "$tmp/head")"

check version "quillon 2.1.0" "$("$q" --version)"
# The program's usage lists every command, the printing ones too.
"$q" --help > "$tmp/usage"
check help-status 0 $?
for c in analyse report print-text print-form view show-form render-page printers help; do
  check "help-lists-$c" yes "$(grep -q "^  $c  " "$tmp/usage" && echo yes)"
done

# The colour marks only on a terminal that is not dumb and without NO_COLOR; `script` gives
# the program a terminal.
if command -v script > /dev/null; then
  on_tty() { env "$@" script -qec "'$q' analyse 'JOHN SMITH'" /dev/null < /dev/null | tr -d '\r'; }
  check colour-on-terminal yes "$(on_tty TERM=xterm | grep -q $'\e\[31m' && echo yes)"
  check no-color "" "$(on_tty TERM=xterm NO_COLOR=1 | grep $'\e')"
  check term-dumb "" "$(on_tty TERM=dumb | grep $'\e')"
fi
check pipe-no-colour "" "$("$q" analyse 'JOHN SMITH' | grep $'\e')"

# A dash reads the names from standard input at its place.
check dash-stdin "AB
CD
EF" "$(printf 'CD\n' | "$q" analyse --format csv AB - EF | tail -n +2 | cut -d, -f1)"

finish
