#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The pages our recorder writes (a report, a page of the member list, the rich letter) open in
# another program's reader, emf2svg-conv, which places their texts and their ink where our own
# PDF of the same job does.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
examples=$(cd "$(dirname "$q")/../examples" && pwd)

skip_without_qt report --pdf "$tmp/x.pdf" NAME
for tool in emf2svg-conv rsvg-convert pdftotext pdftoppm; do
  if ! command -v "$tool" > /dev/null; then
    echo "skipped: $tool is not installed (tools/setup.sh installs it)"
    exit 0
  fi
done

# compare SVG BBOX PDF_PGM SVG_PNG: the texts of the SVG against the PDF's word boxes, then the
# ink of the two renderings; one line per fault, "placed TEXT" for each text found in its
# place, and "texts N" with the number compared.
#
# Positions are fractions of the page. A text's anchor (its start, or its end when right
# aligned) and baseline must lie within 1 % of the page of the PDF word's edge and bottom: less
# than a line of the smallest text (about 1.2 %), so a text a line or a column off is caught,
# while the two renderers' fonts (the bottom of a word box lies below the baseline by the
# font's descent, under 0.3 % of the page for these sizes) stay inside. A text whose anchored
# end is white space or punctuation glued to a neighbouring run is compared by its baseline
# only (where its first word starts depends on the reader's width of a space).
#
# The ink box: top and bottom within 1 % of the height; left and right within 2.5 % of the
# width, as the SVG lays its texts out with the renderer's own advances instead of the widths
# the page records for every character (a right-hand footer of 30 small characters comes out
# 11 points, 1.9 % of an A4 width, wider).
compare() {
  python3 - "$@" "$(dirname "${BASH_SOURCE[0]}")" <<'EOF'
import html, re, struct, sys, zlib
svg_file, bbox_file, pgm_file, png_file, here = sys.argv[1:6]
sys.path.insert(0, here)
from pgm import read_pgm

svg = open(svg_file, encoding='utf-8').read()
m = re.search(r'<svg[^>]*\swidth="([\d.]+)"[^>]*\sheight="([\d.]+)"', svg)
sw, sh = float(m.group(1)), float(m.group(2))
texts = []
for t in re.finditer(r'<text\b([^>]*)>(?:<!\[CDATA\[(.*?)\]\]>|([^<]*))</text>', svg, re.S):
    attrs = dict(re.findall(r'([\w-]+)\s*=\s*"([^"]*)"', t.group(1)))
    content = t.group(2) if t.group(2) is not None else html.unescape(t.group(3))
    if content.split():
        texts.append((attrs.get('text-anchor', 'start'), float(attrs['x']) / sw,
                      float(attrs['y']) / sh, content))
box = open(bbox_file, encoding='utf-8').read()
m = re.search(r'<page width="([\d.]+)" height="([\d.]+)"', box)
pw, ph = float(m.group(1)), float(m.group(2))
words = [(html.unescape(w.group(5)), float(w.group(1)) / pw, float(w.group(2)) / ph,
          float(w.group(3)) / pw, float(w.group(4)) / ph)
         for w in re.finditer(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" '
                              r'yMax="([\d.]+)">([^<]*)</word>', box)]
compared = 0
for anchor, x, y, content in texts:
    parts = content.split()
    word = parts[-1] if anchor == 'end' else parts[0]
    edge_char = content[-1] if anchor == 'end' else content[0]
    by_x = anchor != 'middle' and not edge_char.isspace() and (anchor == 'end' or word[0].isalnum())
    if not by_x:  # the first word that starts with a letter or digit, by its baseline
        word = next((p for p in parts if p[0].isalnum()), None)
        if word is None: continue
    best = None
    for text, x0, y0, x1, y1 in words:
        # The PDF's word may carry punctuation of the next run.
        if text != word and not text.startswith(word) and not text.endswith(word): continue
        dy = abs(y1 - y)
        dx = abs((x1 if anchor == 'end' else x0) - x) if by_x else 0.0
        if best is None or max(dx, dy) < best[0]: best = (max(dx, dy), x0, y1)
    compared += 1
    if best is None:
        print(f"text {content.strip()!r} is not in the PDF")
    elif best[0] > 0.01:
        print(f"text {content.strip()!r} at {x:.4f},{y:.4f} in the SVG, {best[1]:.4f},{best[2]:.4f} in the PDF")
    else:
        print("placed", content.strip())
print("texts", compared)

def png(path):  # 8-bit RGB or RGBA; a pixel less than half covered counts as white
    data = open(path, 'rb').read()
    at, idat = 8, b''
    while at < len(data):
        n, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + n]
        if kind == b'IHDR': w, h, depth, ctype = struct.unpack('>IIBB', body[:10])
        if kind == b'IDAT': idat += body
        at += 12 + n
    assert depth == 8 and ctype in (2, 6), (depth, ctype)
    bpp, raw, rows = 4 if ctype == 6 else 3, zlib.decompress(idat), []
    stride = w * bpp + 1
    prev = bytearray(w * bpp)
    for y in range(h):
        f, line = raw[y * stride], bytearray(raw[y * stride + 1:(y + 1) * stride])
        for i in range(len(line)):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], (prev[i - bpp] if i >= bpp else 0)
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([sum(line[x * bpp:x * bpp + 3]) // 3 if bpp == 3 or line[x * bpp + 3] >= 128
                     else 255 for x in range(w)])
        prev = line
    return w, h, rows

def ink(image):  # the box of what is darker than light grey, in fractions of the page
    w, h, rows = image
    xs, ys = [], []
    for y, row in enumerate(rows):
        dark = [x for x, v in enumerate(row) if v < 192]
        if dark: xs += [dark[0], dark[-1] + 1]; ys.append(y)
    return (min(xs) / w, min(ys) / h, max(xs) / w, (max(ys) + 1) / h) if xs else None

ours, theirs = ink(read_pgm(pgm_file)), ink(png(png_file))
if not ours or not theirs:
    print("blank rendering:", ours, theirs)
else:
    for name, a, b, limit in zip(("left", "top", "right", "bottom"), ours, theirs,
                                 (0.025, 0.01, 0.025, 0.01)):
        if abs(a - b) > limit: print(f"ink {name} at {b:.4f} in the SVG, {a:.4f} in the PDF")
EOF
}

# check_reader NAME EMF PDF MIN_TEXTS TEXT...: the EMF converts, its SVG agrees with the PDF
# in at least MIN_TEXTS texts and the ink, and each TEXT is among those found in their place.
check_reader() {
  local name=$1 emf=$2 pdf=$3 min=$4
  shift 4
  emf2svg-conv -i "$emf" -o "$tmp/$name.svg" > "$tmp/conv.out" 2>&1
  local status=$? said
  said=$(grep -i error "$tmp/conv.out" | head -n 1)
  check "$name-converts" "0" "$status${said:+ $said}"
  check "$name-svg-written" yes "$([ -s "$tmp/$name.svg" ] && echo yes)"
  read -r pw ph <<< "$(pdfinfo "$pdf" | sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\).*/\1 \2/p')"
  # The SVG asks for its texts' spaces to be kept in a style the renderer does not read;
  # the attribute it reads says the same.
  sed 's/<svg /<svg xml:space="preserve" /' "$tmp/$name.svg" > "$tmp/$name-kept.svg"
  rsvg-convert -w "$(printf '%.0f' "$pw")" -h "$(printf '%.0f' "$ph")" -b white \
    "$tmp/$name-kept.svg" -o "$tmp/$name.png"
  pdftoppm -r 72 -gray -f 1 -l 1 -singlefile "$pdf" "$tmp/$name"
  pdftotext -bbox -f 1 -l 1 "$pdf" "$tmp/$name.html"
  compare "$tmp/$name.svg" "$tmp/$name.html" "$tmp/$name.pgm" "$tmp/$name.png" > "$tmp/$name.faults"
  check "$name-places" "" "$(grep -v '^texts \|^placed ' "$tmp/$name.faults")"
  local text
  for text in "$@"; do
    check "$name-placed-$text" yes "$(grep -qxF "placed $text" "$tmp/$name.faults" && echo yes)"
  done
  local n
  n=$(sed -n 's/^texts //p' "$tmp/$name.faults")
  check "$name-texts-compared" yes "$([ "${n:-0}" -ge "$min" ] && echo yes || echo "${n:-none}")"
}

# Each job writes its pages and its PDF in one run, so both hold the same page.
mkdir "$tmp/report" "$tmp/members" "$tmp/letter"
"$q" report --emf "$tmp/report" --emf-name report --pdf "$tmp/report.pdf" "golden river 7" 2> "$tmp/err"
check report-status "0" "$?"
# The report's heading, the name as the data row spells it, a total on the right.
check_reader report "$tmp/report/report-001.emf" "$tmp/report.pdf" 50 "GOLDEN RIVER 7" \
  "Pythagorean" "Total"
"$q" print-form "$examples/members.form" --pages 1 --emf "$tmp/members" --emf-name members \
  --pdf "$tmp/members.pdf" 2> "$tmp/err"
check members-status "0" "$?"
# The form's title, a member's name and city, the dues column's heading.
check_reader members "$tmp/members/members-001.emf" "$tmp/members.pdf" 100 \
  "Members of the circle" "IVAN GLEN" "Florence" "Dues"
"$q" print-form "$examples/rich-letter.form" --emf "$tmp/letter" --emf-name letter \
  --pdf "$tmp/letter.pdf" 2> "$tmp/err"
check letter-status "0" "$?"
# The heading and the letter's first line.
check_reader letter "$tmp/letter/letter-001.emf" "$tmp/letter.pdf" 60 "The numbers of a name" \
  "Dear reader, every letter of a name carries a number. Under the"

finish
