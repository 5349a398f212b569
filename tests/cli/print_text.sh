#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end checks of `quillon print-text`, `quillon view` and `quillon printers`: the PDF
# that print-text writes (pages, texts and their positions through pdftotext -bbox), the
# output options, usage errors and bad input.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)
export QT_QPA_PLATFORM=offscreen

printf 'x\n' > "$tmp/x.txt"
skip_without_qt print-text --pdf "$tmp/skip.pdf" "$tmp/x.txt"

page_width() { pdfinfo "$1" | sed -n 's/^Page size: *\([0-9.]*\) x .*/\1/p'; }
page_height() { pdfinfo "$1" | sed -n 's/^Page size: *[0-9.]* x \([0-9.]*\) .*/\1/p'; }
# bbox FILE PAGE WORD: "xMin yMin xMax yMax" of the first WORD on PAGE, rounded to 0.1 pt.
bbox() {
  pdftotext -bbox -f "$2" -l "$2" "$1" - |
    sed -n "s/.*xMin=\"\([0-9.]*\)\" yMin=\"\([0-9.]*\)\" xMax=\"\([0-9.]*\)\" yMax=\"\([0-9.]*\)\">$3<\/word>.*/\1 \2 \3 \4/p" |
    head -n 1 | awk '{ printf "%.1f %.1f %.1f %.1f", $1, $2, $3, $4 }'
}
field() { echo "$1" | cut -d' ' -f"$2"; }
text_of() { pdftotext -f "$2" -l "$2" "$1" - 2>/dev/null; }

# --- A three-page job (two form feeds) to PDF -------------------------------------------------
{
  printf 'Alpha first line\n\tTabbed\n'
  printf '\fBravo second page\n'
  printf 'Charlie\fDelta third page\n'
} > "$tmp/job.txt"
"$q" print-text --pdf "$tmp/job.pdf" "$tmp/job.txt" 2> "$tmp/err"
check job-status 0 $?
check job-err "" "$(cat "$tmp/err")"
check job-pages 3 "$(pages "$tmp/job.pdf")"
# At 600 pixels per inch (7.2 points = 60 pixels): the header's left text at 0.5 in + 20 px
# across and 0.5 in + 100 / 2 px down; the body at 0.5 in + 31 px across, and 0.5 in + 2 x 100
# + 50 px down; lines 100 px (12 pt) apart.
check header-left "38.4 42.0" "$(bbox "$tmp/job.pdf" 1 job.txt | cut -d' ' -f1,2)"
check body-first "39.7 66.0" "$(bbox "$tmp/job.pdf" 1 Alpha | cut -d' ' -f1,2)"
check body-tab "$(awk 'BEGIN { printf "%.1f 78.0", (331 + 8 * 0.6 * 83) * 72 / 600 }')" "$(bbox "$tmp/job.pdf" 1 Tabbed | cut -d' ' -f1,2)"
check page2-first "39.7 66.0" "$(bbox "$tmp/job.pdf" 2 Bravo | cut -d' ' -f1,2)"
check page2-charlie "39.7 78.0" "$(bbox "$tmp/job.pdf" 2 Charlie | cut -d' ' -f1,2)"
check page3-first "39.7 66.0" "$(bbox "$tmp/job.pdf" 3 Delta | cut -d' ' -f1,2)"
check page2-no-delta "" "$(text_of "$tmp/job.pdf" 2 | grep Delta)"
# Footer: "Printed on DATE at TIME" at 0.5 in + 31 px across; "Page 3" ending 0.5 in + 31 px
# from the right edge (within 0.3 pt: the PDF's glyph advances against the printer's
# measure); both at 95 % of the page (in hundredths of an inch) + 75 / 2 px down (38: halves
# round to even).
w=$(page_width "$tmp/job.pdf"); h=$(page_height "$tmp/job.pdf")
footer_y=$(awk -v h="$h" 'BEGIN { px = h / 72 * 600; top = px - int(px / 20); u = sprintf("%.2f", top / 600); printf "%.1f", (int(u * 600 + 0.5) + 38) * 72 / 600 }')
check footer-left "39.7 $footer_y" "$(bbox "$tmp/job.pdf" 3 Printed | cut -d' ' -f1,2)"
page3=$(bbox "$tmp/job.pdf" 3 3)
check footer-right-end yes "$(awk -v w="$w" -v x="$(field "$page3" 3)" 'BEGIN { d = w - 39.72 - x; print (d < 0.3 && d > -0.3 ? "yes" : "off by " d) }')"
check footer-right-y "$footer_y" "$(field "$page3" 2)"
check footer-text yes "$(text_of "$tmp/job.pdf" 1 | grep -qE '^Printed on .+ at [0-9]{2}:[0-9]{2}:[0-9]{2}' && echo yes)"
check footer-page-1 "Page 1" "$(text_of "$tmp/job.pdf" 1 | grep -o 'Page 1')"

# Header, footer and unit options; landscape swaps the page.
"$q" print-text --pdf "$tmp/opts.pdf" --header-left L1 --header-center C1 --header-right R1 \
  --footer F1 --footer-left FL1 --footer-right 'P @page of the job' --landscape --font-size 20 "$tmp/job.txt"
check opts-status 0 $?
check opts-landscape yes "$(awk -v w="$(page_width "$tmp/opts.pdf")" -v h="$(page_height "$tmp/opts.pdf")" 'BEGIN { print (w > h ? "yes" : "no") }')"
for t in L1 C1 R1 F1 FL1; do
  check "opts-$t" "$t" "$(text_of "$tmp/opts.pdf" 1 | grep -ow "$t" | head -n 1)"
done
check opts-macro "P 2 of the job" "$(text_of "$tmp/opts.pdf" 2 | grep -o 'P 2 of the job')"
check opts-no-file-name "" "$(text_of "$tmp/opts.pdf" 1 | grep job.txt)"
# 20 points: 167 px characters, lines 200 px (24 pt) apart, the body starting 0.5 in + 200 + 100.
check opts-body "39.7 72.0" "$(bbox "$tmp/opts.pdf" 1 Alpha | cut -d' ' -f1,2)"
check opts-second-line "96.0" "$(bbox "$tmp/opts.pdf" 1 Tabbed | cut -d' ' -f2)"
"$q" print-text --pdf "$tmp/cm.pdf" --units cm --ruler "$tmp/x.txt"
check cm-status 0 $?
# In centimetres the margins are 0.5 cm: the header's left text at 0.5 cm + 20 px across.
check cm-header "$(awk 'BEGIN { printf "%.1f", (int(0.5 / 2.54 * 600 + 0.5) + 20) * 72 / 600 }')" "$(bbox "$tmp/cm.pdf" 1 x.txt | cut -d' ' -f1)"
check cm-ruler-numbers yes "$([ -n "$(bbox "$tmp/cm.pdf" 1 20)" ] && echo yes)"

# Word wrapping: a paragraph of 300 words is broken into lines inside the printable width.
for i in $(seq 300); do printf 'word%03d ' "$i"; done > "$tmp/long.txt"
"$q" print-text --pdf "$tmp/long.pdf" "$tmp/long.txt"
check long-status 0 $?
check long-every-word 300 "$(pdftotext "$tmp/long.pdf" - | grep -o 'word[0-9]*' | sort -u | wc -l)"
maxx=$(pdftotext -bbox "$tmp/long.pdf" - | sed -n 's/.*xMax="\([0-9.]*\)".*>word[0-9]*<.*/\1/p' | sort -n | tail -n 1)
check long-inside yes "$(awk -v m="$maxx" -v w="$(page_width "$tmp/long.pdf")" 'BEGIN { print (m <= w - 39.6 ? "yes" : "no: " m) }')"

# A line of 200,000 characters without a space is cut into lines of what fits, none lost.
head -c 200000 /dev/zero | tr '\0' 'x' > "$tmp/oneword"
"$q" print-text --pdf "$tmp/oneword.pdf" "$tmp/oneword"
check oneword-status 0 $?
check oneword-all 200000 "$(pdftotext "$tmp/oneword.pdf" - | tr -cd 'x' | wc -c)"

# A page full of lines goes on to the next page: 200 lines make several pages, none lost.
seq 1 200 | sed 's/^/line /' > "$tmp/lines.txt"
"$q" print-text --pdf "$tmp/lines.pdf" "$tmp/lines.txt"
check lines-all 200 "$(pdftotext "$tmp/lines.pdf" - | grep -c '^line [0-9]*$')"
check lines-pages yes "$(n=$(pages "$tmp/lines.pdf"); [ "$n" -ge 3 ] && echo yes || echo "$n")"

# Two files: each from a new page, its name in the header; the page numbers run on.
"$q" print-text --pdf "$tmp/two.pdf" "$tmp/x.txt" "$tmp/job.txt"
check two-pages 4 "$(pages "$tmp/two.pdf")"
check two-header-2 "job.txt" "$(text_of "$tmp/two.pdf" 2 | grep -o 'job.txt')"
check two-page-4 "Page 4" "$(text_of "$tmp/two.pdf" 4 | grep -o 'Page 4')"

# --- Copies and the page choice ---------------------------------------------------------------
"$q" print-text --pdf "$tmp/copies.pdf" --copies 2 "$tmp/job.txt"
check copies-status 0 $?
check copies-first 3 "$(pages "$tmp/copies.pdf")"
check copies-second 3 "$(pages "$tmp/copies-2.pdf")"
check copies-no-third "" "$(ls "$tmp/copies-3.pdf" 2>/dev/null)"
"$q" print-text --pdf "$tmp/p.pdf" --pages '3,1' "$tmp/job.txt"
check pages-count 2 "$(pages "$tmp/p.pdf")"
check pages-order "Page 1 Page 3" "$(echo $(pdftotext "$tmp/p.pdf" - | grep -o 'Page [0-9]'))"
"$q" print-text --pdf "$tmp/even.pdf" --even "$tmp/job.txt"
check even "Page 2" "$(echo $(pdftotext "$tmp/even.pdf" - | grep -o 'Page [0-9]'))"
"$q" print-text --pdf "$tmp/oddlist.pdf" --odd --pages ' 2-$3' "$tmp/job.txt"
check odd-list "Page 3" "$(echo $(pdftotext "$tmp/oddlist.pdf" - | grep -o 'Page [0-9]'))"
"$q" print-text --pdf "$tmp/none.pdf" --pages 9 "$tmp/job.txt" 2> "$tmp/err"
check none-status 1 $?
check none-err "quillon: print-text: none of the job's 3 pages is chosen by --pages, --odd or --even: nothing printed" "$(cat "$tmp/err")"
check none-file "" "$(ls "$tmp/none.pdf" 2>/dev/null)"

# --- Usage errors: status 2, the reason and the usage, nothing written --------------------------
usage_error() {  # usage_error NAME EXPECTED-FIRST-LINE ARGS...
  local name=$1 expected=$2; shift 2
  "$q" print-text "$@" > "$tmp/out" 2> "$tmp/err"
  check "$name-status" 2 $?
  check "$name-reason" "$expected" "$(head -n 1 "$tmp/err")"
  check "$name-usage" "Usage: quillon print-text [OPTIONS] FILE..." "$(sed -n 2p "$tmp/err")"
  check "$name-nothing" "" "$(ls "$tmp/u.pdf" 2>/dev/null)$(cat "$tmp/out")"
}
usage_error no-file "quillon: no text file given" --pdf "$tmp/u.pdf"
for c in 0 -1 1e9 two 10000; do
  usage_error "copies-$c" "quillon: option '--copies' takes a whole number from 1 to 9999, not '$c'" --pdf "$tmp/u.pdf" --copies "$c" "$tmp/job.txt"
done
usage_error list-x "quillon: 'x' is not a valid integer value" --pdf "$tmp/u.pdf" --pages 1,x "$tmp/job.txt"
usage_error list-space "quillon: '7 ' is not a valid integer value" --pdf "$tmp/u.pdf" --pages '7 -14' "$tmp/job.txt"
usage_error list-empty-element "quillon: '' is not a valid integer value" --pdf "$tmp/u.pdf" --pages '1,,2' "$tmp/job.txt"
usage_error list-hex "quillon: '\$FFFFFFFF' is not a valid integer value" --pdf "$tmp/u.pdf" --pages '$FFFFFFFF' "$tmp/job.txt"
long=$(printf '1%.0s' $(seq 300))
usage_error list-long "quillon: '${long:0:255}' is not a valid integer value" --pdf "$tmp/u.pdf" --pages "$long" "$tmp/job.txt"
many=$(seq -s, 1 10000),q
usage_error list-many "quillon: 'q' is not a valid integer value" --pdf "$tmp/u.pdf" --pages "$many" "$tmp/job.txt"
usage_error odd-even "quillon: options '--odd' and '--even' exclude each other" --pdf "$tmp/u.pdf" --odd --even "$tmp/job.txt"
usage_error units "quillon: option '--units' takes 'in' or 'cm', not 'mm'" --pdf "$tmp/u.pdf" --units mm "$tmp/job.txt"
usage_error font "quillon: option '--font-size' takes a size from 1 to 500 points, not 'big'" --pdf "$tmp/u.pdf" --font-size big "$tmp/job.txt"
usage_error unknown "quillon: unknown option '--colour'" --colour red "$tmp/job.txt"
usage_error preview-copies "quillon: --copies, --pages, --odd and --even go with --pdf, --printer or --emf; the preview chooses pages and copies in its own window" --copies 2 "$tmp/job.txt"

# --- Failures of the work: status 1, one line -----------------------------------------------
failure() {  # failure NAME EXPECTED-LINE ARGS...
  local name=$1 expected=$2; shift 2
  "$q" print-text "$@" 2> "$tmp/err"
  check "$name-status" 1 $?
  check "$name-err" "$expected" "$(cat "$tmp/err")"
  check "$name-nothing" "" "$(ls "$tmp/f.pdf" 2>/dev/null)"
}
env -u DISPLAY -u WAYLAND_DISPLAY "$q" print-text "$tmp/job.txt" 2> "$tmp/err"
check no-display-status 1 $?
check no-display-err "quillon: no display: use --pdf or --printer" "$(cat "$tmp/err")"
: > "$tmp/empty.txt"
printf 'text\0more' > "$tmp/binary.txt"
failure missing "quillon: print-text: cannot read '$tmp/missing.txt': No such file or directory" --pdf "$tmp/f.pdf" "$tmp/missing.txt"
failure empty "quillon: print-text: '$tmp/empty.txt' is empty: nothing to print" --pdf "$tmp/f.pdf" "$tmp/empty.txt"
failure binary "quillon: print-text: '$tmp/binary.txt' is not a text file (it holds NUL bytes)" --pdf "$tmp/f.pdf" "$tmp/job.txt" "$tmp/binary.txt"
failure directory "quillon: print-text: '$tmp' is not a file" --pdf "$tmp/f.pdf" "$tmp"
failure printer "quillon: print-text: there is no printer called 'No Such Printer' ('quillon printers' lists them)" --printer 'No Such Printer' "$tmp/job.txt"
"$q" print-text --pdf "$tmp/no/such/dir/out.pdf" "$tmp/job.txt" 2> "$tmp/err"
check unwritable-status 1 $?
check unwritable-lines 1 "$(wc -l < "$tmp/err")"
check unwritable-prefix yes "$(grep -q '^quillon: print-text: ' "$tmp/err" && echo yes || cat "$tmp/err")"
# Invalid UTF-8 prints (as replacement characters) rather than failing.
printf 'caf\xe9 latin-1\n' > "$tmp/latin1.txt"
"$q" print-text --pdf "$tmp/latin1.pdf" "$tmp/latin1.txt"
check latin1-status 0 $?
check latin1-text "latin-1" "$(pdftotext "$tmp/latin1.pdf" - | grep -o 'latin-1')"

# --- view ------------------------------------------------------------------------------------
"$q" view --pdf "$tmp/view.pdf" "$data/render_page/page.emf" "$data/render_page/page.emf" 2> "$tmp/err"
check view-status 0 $?
check view-err "" "$(cat "$tmp/err")"
check view-pages 2 "$(pages "$tmp/view.pdf")"
check view-text "Quillon sample page" "$(text_of "$tmp/view.pdf" 2 | head -n 1)"
"$q" view --pdf "$tmp/view2.pdf" --pages 2 --copies 2 "$data/render_page/page.emf" "$data/render_page/foreign.emf" 2> "$tmp/err"
check view-choice-status 0 $?
check view-choice "1 1" "$(pages "$tmp/view2.pdf") $(pages "$tmp/view2-2.pdf")"
# Hostile or broken page files: refused with the player's reason, nothing shown or printed.
bad_count=0
for bad in "$data"/emf/malformed/*.emf; do
  "$q" view --pdf "$tmp/bad.pdf" "$data/render_page/page.emf" "$bad" 2> "$tmp/err"
  status=$?
  line=$(cat "$tmp/err")
  if [ "$status" != 1 ] || [[ "$line" != "quillon: view: '$bad': "?* ]] || [ "$(wc -l < "$tmp/err")" != 1 ] || [ -e "$tmp/bad.pdf" ]; then
    check "view-bad-$(basename "$bad")" "refused" "$status $line"
  fi
  bad_count=$((bad_count + 1))
done
check view-bad-files-tried yes "$([ "$bad_count" -ge 20 ] && echo yes)"
"$q" view --pdf "$tmp/bad.pdf" "$tmp/missing.emf" 2> "$tmp/err"
check view-missing-status 1 $?
check view-missing-prefix yes "$([[ "$(cat "$tmp/err")" == "quillon: view: '$tmp/missing.emf': "?* ]] && echo yes || cat "$tmp/err")"
"$q" view 2> "$tmp/err"
check view-no-file-status 2 $?
check view-no-file "quillon: no page file given" "$(head -n 1 "$tmp/err")"
env -u DISPLAY -u WAYLAND_DISPLAY "$q" view "$data/render_page/page.emf" 2> "$tmp/err"
check view-no-display "1 quillon: no display: use --pdf or --printer" "$? $(cat "$tmp/err")"

# --- printers and --help -----------------------------------------------------------------------
"$q" printers > "$tmp/out" 2> "$tmp/err"
check printers-status 0 $?
check printers-pdf yes "$(grep -qE '^[* ] Print to PDF  600x600 dpi  [0-9]+ x [0-9]+ pixels  [0-9.]+ x [0-9.]+ in$' "$tmp/out" && echo yes || cat "$tmp/out")"
check printers-one-current 1 "$(grep -c '^\* ' "$tmp/out")"
"$q" printers extra 2> "$tmp/err"
check printers-operand 2 $?
for c in print-text view printers; do
  "$q" "$c" --help > "$tmp/out" 2> "$tmp/err"
  check "$c-help-status" 0 $?
  check "$c-help-usage" yes "$(head -n 1 "$tmp/out" | grep -q "^Usage: quillon $c" && echo yes)"
  check "$c-help-err" "" "$(cat "$tmp/err")"
done

finish
