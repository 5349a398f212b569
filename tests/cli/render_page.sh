#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end checks of `quillon render-page`: sizes of the PNG and PDF outputs, what the
# PDF shows (through the poppler tools), files made by another program, and bad input.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data/render_page" && pwd)

skip_without_qt render-page "$tmp/absent.emf" --png "$tmp/absent.png"

pdf_size() { pdfinfo "$1" 2>/dev/null | sed -n 's/^Page size: *//p'; }
# Darkest grey level (0 black .. 255 white) within two pixels of (X, Y) on the PDF's first
# page rendered at DPI (a one-pixel line may land a pixel either side after rounding).
pdf_pixel() {  # pdf_pixel FILE DPI X Y
  pdftoppm -r "$2" -gray -x $(($3 - 2)) -y $(($4 - 2)) -W 5 -H 5 -singlefile "$1" "$tmp/pixel" &&
    od -An -tu1 -v -j $(($(stat -c %s "$tmp/pixel.pgm") - 25)) "$tmp/pixel.pgm" | tr -s ' ' '\n' | grep . | sort -n | head -n 1
}

# The sample page: 1200 x 800 pixels at 300 per inch, with a black block at 100..499 x 400..599,
# a framed ellipse and the text "Quillon sample page".
"$q" render-page "$data/page.emf" --png "$tmp/page.png" --pdf "$tmp/page.pdf" 2> "$tmp/err"
check page-status 0 $?
check page-err "" "$(cat "$tmp/err")"
check page-png-size 300x200 "$(png_size "$tmp/page.png")"
check page-pdf-size "288 x 192 pts" "$(pdf_size "$tmp/page.pdf")"
check page-pdf-pages 1 "$(pdfinfo "$tmp/page.pdf" | sed -n 's/^Pages: *//p')"
check page-pdf-text "Quillon sample page" "$(pdftotext "$tmp/page.pdf" - | head -n 1)"
check page-pdf-block 0 "$(pdf_pixel "$tmp/page.pdf" 300 300 500)"
check page-pdf-white 255 "$(pdf_pixel "$tmp/page.pdf" 300 300 300)"
check page-pdf-ellipse-inside 255 "$(pdf_pixel "$tmp/page.pdf" 300 850 550)"

"$q" render-page --scale 1 "$data/page.emf" --png "$tmp/full.png"
check scale-status 0 $?
check scale-png-size 1200x800 "$(png_size "$tmp/full.png")"
"$q" render-page "$data/page.emf" --pdf="$tmp/half.pdf" --png="$tmp/half.png" --scale=0.5
check scale-both-status 0 $?
check scale-pdf-size "144 x 96 pts" "$(pdf_size "$tmp/half.pdf")"
check scale-both-png-size 600x400 "$(png_size "$tmp/half.png")"

# A file made elsewhere (no page comment): bounds (10,10)-(199,99) on an 81-ppi reference
# device, so the page is 200 x 100 units from (0, 0); a white-filled rectangle at
# (10,10)-(110,60) and a black ellipse at (120,40)-(200,100).
"$q" render-page "$data/foreign.emf" --png "$tmp/foreign.png" --pdf "$tmp/foreign.pdf" 2> "$tmp/err"
check foreign-status 0 $?
check foreign-err "" "$(cat "$tmp/err")"
# A foreign picture is drawn at its true size on a 96-ppi screen: 178 x 89 points.
check foreign-png-size 237x119 "$(png_size "$tmp/foreign.png")"
check foreign-pdf-size "178 x 89 pts" "$(pdf_size "$tmp/foreign.pdf")"
check foreign-ellipse 0 "$(pdf_pixel "$tmp/foreign.pdf" 81 160 70)"
check foreign-rect-edge 0 "$(pdf_pixel "$tmp/foreign.pdf" 81 10 35)"
check foreign-rect-inside 255 "$(pdf_pixel "$tmp/foreign.pdf" 81 60 35)"
check foreign-outside 255 "$(pdf_pixel "$tmp/foreign.pdf" 81 5 5)"

# Files that are not pages: one line on standard error, status 1, nothing written.
head -c 300 "$data/page.emf" > "$tmp/truncated.emf"
: > "$tmp/empty.emf"
printf 'not a metafile at all, just some text that is long enough for a header....\n' > "$tmp/text.emf"
for bad in truncated empty text; do
  "$q" render-page "$tmp/$bad.emf" --png "$tmp/$bad.png" --pdf "$tmp/$bad.pdf" 2> "$tmp/err"
  check "$bad-status" 1 $?
  check "$bad-lines" 1 "$(wc -l < "$tmp/err")"
  line=$(cat "$tmp/err")
  check "$bad-reason" yes "$([[ "$line" == "quillon: $tmp/$bad.emf: not a valid page: "?* ]] && echo yes || echo "$line")"
  check "$bad-no-output" "" "$(ls "$tmp/$bad.png" "$tmp/$bad.pdf" 2>/dev/null)"
done
"$q" render-page "$tmp/missing.emf" --png "$tmp/missing.png" 2> "$tmp/err"
check missing-status 1 $?
check missing-err "quillon: $tmp/missing.emf: cannot open the file" "$(cat "$tmp/err")"
"$q" render-page "$data/page.emf" --png "$tmp/no/such/dir/out.png" 2> "$tmp/err"
check unwritable-status 1 $?
check unwritable-lines 1 "$(wc -l < "$tmp/err")"

# Usage errors: status 2 and the usage line.
"$q" render-page 2> "$tmp/err"
check no-file-status 2 $?
check no-file-err "quillon: no page file given" "$(head -n 1 "$tmp/err")"
check no-file-usage "Usage: quillon render-page FILE [--png OUT] [--pdf OUT] [--scale S]" "$(sed -n 2p "$tmp/err")"
"$q" render-page "$data/page.emf" 2> "$tmp/err"
check no-output-status 2 $?
for s in 0 -1 abc 1e999 nan; do
  "$q" render-page "$data/page.emf" --png "$tmp/s.png" --scale "$s" 2> "$tmp/err"
  check "scale-$s-status" 2 $?
done
check bad-scale-no-output "" "$(ls "$tmp/s.png" 2>/dev/null)"

# Commands that do not draw never start Qt: a platform plugin that does not exist is no
# obstacle to them.
QT_QPA_PLATFORM=no-such-platform "$q" analyse ABC > /dev/null 2>&1
check analyse-without-qt 0 $?

finish
