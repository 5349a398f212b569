#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# `quillon view` of pictures made elsewhere, several in one run: each is printed at its true
# size on the sheet whose orientation fits it, centred; a page of our own keeps its page.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)
pictures=$data/emf/pictures

skip_without_qt view --pdf "$tmp/absent.pdf" "$tmp/absent.emf"

# The size of page N of a PDF as "W x H" in whole points.
page_size() {  # page_size FILE N
  pdfinfo -f "$2" -l "$2" "$1" 2>/dev/null |
    awk -v n="$2" '$1 == "Page" && $2 == n && $3 == "size:" { printf "%d x %d", $4 + 0.5, $6 + 0.5 }'
}
# The box of the ink (grey below 128) on page N rendered at 72 per inch, so one pixel is one
# point: "left top right bottom", right and bottom exclusive; "none" on a blank page.
ink_box() {  # ink_box FILE N
  pdftoppm -r 72 -gray -f "$2" -l "$2" -singlefile "$1" "$tmp/ink" &&
    python3 - "$tmp/ink.pgm" "$(dirname "${BASH_SOURCE[0]}")" <<'EOF'
import sys
sys.path.insert(0, sys.argv[2])
from pgm import read_pgm
w, h, rows = read_pgm(sys.argv[1])
xs, ys = [], []
for y in range(h):
    dark = [x for x, v in enumerate(rows[y]) if v < 128]
    if dark:
        xs += [dark[0], dark[-1]]; ys.append(y)
print(f"{min(xs)} {min(ys)} {max(xs) + 1} {max(ys) + 1}" if xs else "none")
EOF
}
# Whether a box is the picture of W x H points centred on a page of PW x PH points, each
# edge within 2 points (the renderer's rounding of each edge, and half a printer pixel).
centred() {  # centred "BOX" W H PW PH
  python3 - "$@" <<'EOF'
import sys
box, (w, h, pw, ph) = sys.argv[1], map(float, sys.argv[2:6])
if box == "none": print("blank page"); sys.exit()
l, t, r, b = map(float, box.split())
want = ((pw - w) / 2, (ph - h) / 2, (pw + w) / 2, (ph + h) / 2)
print("yes" if all(abs(a - e) <= 2 for a, e in zip((l, t, r, b), want))
      else "box %s, expected %.1f %.1f %.1f %.1f" % ((box,) + want))
EOF
}
mm() { python3 -c "print($1 * 72 / 25.4)"; }

# Portrait, landscape, portrait: three sheets, each turned to its picture.
"$q" view --pdf "$tmp/three.pdf" "$pictures/portrait_100_by_150_mm.emf" \
  "$pictures/landscape_250_by_150_mm.emf" "$pictures/portrait_100_by_150_mm.emf" 2> "$tmp/err"
check three-status 0 $?
check three-err "" "$(cat "$tmp/err")"
check three-pages 3 "$(pages "$tmp/three.pdf")"
read -r pw x ph <<< "$(page_size "$tmp/three.pdf" 1)"
check sheet-is-portrait yes "$([ "${pw:-0}" -lt "${ph:-0}" ] && echo yes)"
check page-2-landscape "$ph x $pw" "$(page_size "$tmp/three.pdf" 2)"
check page-3-portrait "$pw x $ph" "$(page_size "$tmp/three.pdf" 3)"
# 100 x 150 mm and 250 x 150 mm at their true size, in the middle of their sheets.
check page-1-centred yes "$(centred "$(ink_box "$tmp/three.pdf" 1)" "$(mm 100)" "$(mm 150)" "$pw" "$ph")"
check page-2-centred yes "$(centred "$(ink_box "$tmp/three.pdf" 2)" "$(mm 250)" "$(mm 150)" "$ph" "$pw")"
check page-3-centred yes "$(centred "$(ink_box "$tmp/three.pdf" 3)" "$(mm 100)" "$(mm 150)" "$pw" "$ph")"

# The same pages kept with --emf read back by view print the same sheets: each kept page
# says the page it was laid out on.
mkdir "$tmp/kept"
"$q" view --emf "$tmp/kept" --emf-name p "$pictures/landscape_250_by_150_mm.emf" \
  "$pictures/portrait_100_by_150_mm.emf" 2> "$tmp/err"
check kept-status "0 " "$? $(cat "$tmp/err")"
"$q" view --pdf "$tmp/again.pdf" "$tmp/kept/p-001.emf" "$tmp/kept/p-002.emf" 2> "$tmp/err"
check again-status "0 " "$? $(cat "$tmp/err")"
check again-sizes "$ph x $pw|$pw x $ph" "$(page_size "$tmp/again.pdf" 1)|$(page_size "$tmp/again.pdf" 2)"
check again-centred yes "$(centred "$(ink_box "$tmp/again.pdf" 1)" "$(mm 250)" "$(mm 150)" "$ph" "$pw")"

# A page of our own (landscape, 1200 x 800 pixels) keeps its page between two pictures;
# a portrait picture after it goes back to portrait.
"$q" view --pdf "$tmp/mixed.pdf" "$pictures/portrait_100_by_150_mm.emf" \
  "$data/render_page/page.emf" "$pictures/portrait_100_by_150_mm.emf" 2> "$tmp/err"
check mixed-status "0 " "$? $(cat "$tmp/err")"
check mixed-sizes "$pw x $ph|$ph x $pw|$pw x $ph" \
  "$(page_size "$tmp/mixed.pdf" 1)|$(page_size "$tmp/mixed.pdf" 2)|$(page_size "$tmp/mixed.pdf" 3)"
check mixed-own-page-text "Quillon sample page" "$(pdftotext -f 2 -l 2 "$tmp/mixed.pdf" - | head -n 1)"

finish
