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

# The form file reference: the format, and the classes from the class registry.
"$q" help forms > "$tmp/out" 2> "$tmp/err"
check help-forms-status 0 $?
check help-forms-object "yes" "$(grep -q '^  object Report: TForm$' "$tmp/out" && echo yes)"
"$q" help classes TLabel > "$tmp/out" 2> "$tmp/err"
check help-label-status 0 $?
check help-label-head "TLabel < TCustomLabel < TGraphicControl < TControl < TComponent < TPersistent < TObject" "$(head -n 1 "$tmp/out")"
check help-label-autosize "  AutoSize                Boolean = True" "$(grep '^  AutoSize ' "$tmp/out")"
check help-label-alignment "  Alignment               TAlignment = taLeftJustify  (taLeftJustify taRightJustify taCenter)" "$(grep '^  Alignment ' "$tmp/out")"
check help-label-font "yes" "$(grep -q '^  Font.Height  *Integer' "$tmp/out" && echo yes)"
"$q" help classes tlabel > "$tmp/out2"
check help-class-any-case "$(cat "$tmp/out")" "$(cat "$tmp/out2")"
"$q" help classes > "$tmp/out" 2> "$tmp/err"
check help-classes-status 0 $?
for c in TForm TLabel TDBGrid TStringGrid TTable TQuery TRichEditE TVex_SortGrid TShowTotal TDBPrintWin; do
  check "help-classes-lists-$c" "yes" "$(grep -q "^$c < " "$tmp/out" && echo yes)"
done
"$q" help classes NoSuchClass > "$tmp/out" 2> "$tmp/err"
check help-no-class-status 2 $?
check help-no-class-message "quillon: help classes: 'NoSuchClass' is no class of form files; 'quillon help classes' lists them" "$(cat "$tmp/err")"
check help-no-class-out "" "$(cat "$tmp/out")"

finish
