#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end check of the member-list example the build makes: its form printed to PDF holds
# every member's number exactly once across its pages, each page's dues total is the sum of
# the dues printed on it, and the last page's running total is the sum of them all.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
form=$(cd "$(dirname "$q")/../examples" && pwd)/members.form

skip_without_qt print-form "$form" --pdf "$tmp/x.pdf"

"$q" print-form "$form" --pdf "$tmp/members.pdf" 2>"$tmp/err"
check "status" 0 $?
n=$(pages "$tmp/members.pdf")
check "says" "quillon: $n pages written to $tmp/members.pdf" "$(cat "$tmp/err")"
check "more than one page" 1 "$([ "${n:-0}" -gt 1 ] && echo 1)"

pdftotext -layout "$tmp/members.pdf" "$tmp/all.txt"
# Member numbers run from 10001 to 13000.
grep -oE '^ *1[0-3][0-9]{3} ' "$tmp/all.txt" | tr -d ' ' | sort >"$tmp/keys"
seq 10001 13000 >"$tmp/want"
check "every member once" "" "$(diff "$tmp/want" "$tmp/keys" | head -3)"

# Per page: the dues column (the rows' last field) against the page total, and the running
# total on the last page against all the dues.
bad=0 all=0
for p in $(seq 1 "$n"); do
  pdftotext -layout -f "$p" -l "$p" "$tmp/members.pdf" "$tmp/page.txt"
  sum=$(awk '/^ *1[0-3][0-9][0-9][0-9] / { gsub(",", "", $NF); s += $NF } END { printf "%.2f", s }' "$tmp/page.txt")
  totals=$(grep -E '^ +[0-9]+ +[0-9,]+\.[0-9]{2} +[0-9,]+\.[0-9]{2} *$' "$tmp/page.txt" | tail -1 | tr -d ',')
  read -r page pagetotal running <<<"$totals"
  [ "$page" == "$p" ] && [ "$pagetotal" == "$sum" ] || bad=$((bad + 1))
  all=$(awk -v a="$all" -v s="$sum" 'BEGIN { printf "%.2f", a + s }')
done
check "page totals" 0 "$bad"
check "running total" "$all" "$running"

finish
