#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Every command answers `quillon help COMMAND` and `quillon COMMAND --help` with its usage on
# standard output and status 0; unknown options and bad values are usage errors (status 2).
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

for c in analyse render-page show-form; do
  "$q" "$c" --help > "$tmp/out" 2> "$tmp/err"
  check "$c-help-status" 0 $?
  check "$c-help-first-line" "yes" "$(head -n 1 "$tmp/out" | grep -q "^Usage: quillon $c " && echo yes)"
  check "$c-help-err" "" "$(cat "$tmp/err")"
  "$q" help "$c" > "$tmp/out2" 2> "$tmp/err"
  check "help-$c-status" 0 $?
  check "help-$c-same" "$(cat "$tmp/out")" "$(cat "$tmp/out2")"
  "$q" "$c" --no-such-option x > "$tmp/out" 2> "$tmp/err"
  check "$c-unknown-status" 2 $?
  check "$c-unknown-message" "quillon: unknown option '--no-such-option'" "$(head -n 1 "$tmp/err")"
  check "$c-unknown-usage" "yes" "$(sed -n 2p "$tmp/err" | grep -q "^Usage: quillon $c " && echo yes)"
  check "$c-unknown-out" "" "$(cat "$tmp/out")"
done

# Bad values.
"$q" analyse --system roman ABC > /dev/null 2> "$tmp/err"
check bad-system-status 2 $?
check bad-system-message "quillon: unknown system 'roman'" "$(head -n 1 "$tmp/err")"
"$q" render-page a.emf --png x.png --scale -2 > /dev/null 2> "$tmp/err"
check bad-scale-status 2 $?
check bad-scale-message "quillon: the scale must be a positive number, not '-2'" "$(head -n 1 "$tmp/err")"

# help without a known command.
"$q" help frobnicate > "$tmp/out" 2> "$tmp/err"
check help-unknown-status 2 $?
check help-unknown-message "quillon: help takes one command name" "$(head -n 1 "$tmp/err")"
"$q" help > "$tmp/out"
check help-alone-status 0 $?
check help-alone-lists-help "yes" "$(grep -q 'quillon help COMMAND' "$tmp/out" && echo yes)"

finish
