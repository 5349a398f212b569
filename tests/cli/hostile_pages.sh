#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Hostile page files under a ceiling of address space: a page of 60 MB of comments named
# twenty times is printed page by page, never held twenty times; pages too large to render
# are refused before anything is allocated; a wide line of many points is drawn; pictures past
# the pixels decoded are drawn without them, and render-page and view say how many per file; a
# page nested as deep as saved states go is drawn by both, one a save deeper refused by both.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

skip_without_qt view "$tmp/absent.emf" --pdf "$tmp/x.pdf"

ceiling=$(memory_ceiling 307200)  # KB of address space for each run: 300 MB

# 60 comments of 1 MB, then a rectangle.
python3 - "$tmp/comments.emf" <<'PY'
import struct, sys
records = []
def record(kind, payload):
    records.append(struct.pack('<II', kind, 8 + len(payload)) + payload)
chunk = b'c' * (1 << 20)
for _ in range(60):
    record(70, struct.pack('<I', len(chunk)) + chunk)  # EMR_COMMENT
record(43, struct.pack('<4i', 10, 10, 110, 60))        # EMR_RECTANGLE
record(14, struct.pack('<III', 0, 16, 20))             # EMR_EOF
body = b''.join(records)
header = struct.pack('<II4i4iIIIIHHIIIiiiiIIIii', 1, 108, 10, 10, 199, 99, 0, 0, 6219, 3094,
                     0x464D4520, 0x10000, 108 + len(body), len(records) + 1, 1, 0, 0, 0, 0,
                     1024, 768, 320, 240, 0, 0, 0, 320000, 240000)
open(sys.argv[1], 'wb').write(header + body)
PY
files=()
for ((i = 0; i < 20; i++)); do files+=("$tmp/comments.emf"); done
mkdir "$tmp/temp"
(ulimit -v $ceiling; TMPDIR=$tmp/temp exec "$q" view "${files[@]}" --pdf "$tmp/comments.pdf") 2>"$tmp/comments.err"
check "comments viewed 20 times" 0 $?
check "comments pages" 20 "$(pages "$tmp/comments.pdf")"
check "comments said nothing" "" "$(cat "$tmp/comments.err")"
check "comments temporary files" "" "$(ls -A "$tmp/temp")"

# Pages too large to render at scale 1 (refused before a pixel is allocated), and a polyline of
# 2,000,000 points drawn with a pen 40 wide (stroked in pieces).
python3 - "$tmp" <<'PY'
import struct, sys
def emf(name, w, h, records=b'', count=0, handles=1):
    body = records + struct.pack('<II', 14, 20) + struct.pack('<III', 0, 16, 20)
    header = struct.pack('<II4i4iIIIIHHIIIiiiiIIIii', 1, 108, 0, 0, w - 1, h - 1, 0, 0, w * 26,
                         h * 26, 0x464D4520, 0x10000, 108 + len(body), count + 2, handles, 0, 0,
                         0, 0, 1024, 768, 270, 203, 0, 0, 0, 270000, 203000)
    open(sys.argv[1] + '/' + name, 'wb').write(header + body)
emf('wide.emf', 65536, 100)
emf('square.emf', 16384, 16384)
n = 2_000_000
points = b''.join(struct.pack('<ii', (i * 7) % 1000, (i * 13) % 1000) for i in range(n))
pen = struct.pack('<II', 38, 28) + struct.pack('<IIiiI', 1, 0, 40, 0, 0)  # EMR_CREATEPEN
select = struct.pack('<II', 37, 12) + struct.pack('<I', 1)               # EMR_SELECTOBJECT
line = struct.pack('<II', 4, 28 + len(points)) + struct.pack('<4iI', 0, 0, 1000, 1000, n) + points
emf('polyline.emf', 1000, 1000, pen + select + line, 3, 2)
PY
rendered() {  # rendered NAME: status of render-page at scale 1; stderr in $tmp/NAME.err
  (ulimit -v $ceiling; TMPDIR=$tmp/temp exec "$q" render-page --scale 1 "$tmp/$1.emf" --png "$tmp/$1.png") 2>"$tmp/$1.err"
  echo $?
}
check "wide page" 1 "$(rendered wide)"
check "wide page reason" "quillon: $tmp/wide.emf: the image would be larger than 32768 pixels a side" "$(cat "$tmp/wide.err")"
check "wide page nothing written" "" "$(ls "$tmp/wide.png" 2>/dev/null)"
check "square page" 1 "$(rendered square)"
check "square page reason" "quillon: $tmp/square.emf: the image would be 16157 x 16117 pixels, more than 48 M pixels" "$(cat "$tmp/square.err")"
check "polyline" 0 "$(rendered polyline)"
check "polyline image" 987x985 "$(png_size "$tmp/polyline.png")"
check "polyline said nothing" "" "$(cat "$tmp/polyline.err")"
check "polyline temporary files" "" "$(ls -A "$tmp/temp")"

# Pictures of one bit a pixel, 8,192 x 8,192 (67 M pixels, past what is decoded): once, and
# three times bottom-up; each page is drawn, rendered and printed, under the ceiling. A page of
# two 64 x 64 pictures (decoded) beside them.
python3 - "$tmp" <<'PY'
import struct, sys
def emf(name, mirrored, times, side=8192):
    bits = b'\x55' * (side // 8 * side)
    bmi = struct.pack('<IiiHHIIiiII', 40, side, -side if mirrored else side, 1, 1, 0, len(bits),
                      0, 0, 2, 0) + b'\0\0\0\0\xff\xff\xff\0'
    record = struct.pack('<II4i6i4III2i', 81, 80 + len(bmi) + len(bits), 0, 0, 999, 999, 0, 0,
                         0, 0, side, side, 80, len(bmi), 80 + len(bmi), len(bits), 0,
                         0x00CC0020, 1000, 1000) + bmi + bits  # EMR_STRETCHDIBITS
    body = record * times + struct.pack('<II', 14, 20) + struct.pack('<III', 0, 16, 20)
    header = struct.pack('<II4i4iIIIIHHIIIiiiiIIIii', 1, 108, 0, 0, 999, 999, 0, 0, 26000,
                         26000, 0x464D4520, 0x10000, 108 + len(body), times + 2, 1, 0, 0, 0, 0,
                         1024, 768, 270, 203, 0, 0, 0, 270000, 203000)
    open(sys.argv[1] + '/' + name, 'wb').write(header + body)
emf('dib.emf', False, 1)
emf('dib3.emf', True, 3)
emf('small.emf', False, 2, 64)
PY
declare -A said=([dib]="1 picture left out (too large or in a form not read)"
                 [dib3]="3 pictures left out (too large or in a form not read)")
for name in dib dib3 small; do
  line() {  # line COMMAND: what COMMAND says of this page, nothing for the small pictures
    [[ $name == small ]] || echo "quillon: $1: $tmp/$name.emf: ${said[$name]}"
  }
  check "$name rendered" 0 "$(rendered "$name")"
  check "$name image" 987x985 "$(png_size "$tmp/$name.png")"
  check "$name render-page says" "$(line render-page)" "$(cat "$tmp/$name.err")"
  (ulimit -v $ceiling; TMPDIR=$tmp/temp exec "$q" view "$tmp/$name.emf" --pdf "$tmp/$name.pdf") 2>"$tmp/$name.err"
  check "$name printed" 0 $?
  check "$name pages" 1 "$(pages "$tmp/$name.pdf")"
  check "$name view says" "$(line view)" "$(cat "$tmp/$name.err")"
done
# One line per file named, in their order; the thumbnail (made for file managers) is quiet.
"$q" view "$tmp/dib3.emf" "$tmp/small.emf" "$tmp/dib.emf" --pdf "$tmp/all.pdf" 2>"$tmp/all.err"
check "three files printed" 0 $?
check "three files say" "quillon: view: $tmp/dib3.emf: ${said[dib3]}
quillon: view: $tmp/dib.emf: ${said[dib]}" "$(cat "$tmp/all.err")"
(ulimit -v $ceiling; exec "$q" thumbnail "$tmp/dib3.emf" "$tmp/dib3-thumb.png" 128) 2>"$tmp/thumb.err"
check "thumbnail made" 0 $?
check "thumbnail says nothing" "" "$(cat "$tmp/thumb.err")"
check "pictures temporary files" "" "$(ls -A "$tmp/temp")"

# Saved states nested 9,999 and 10,000 deep (as deep as they go), then a rectangle; and 10,001
# deep. render-page and view (which records a picture made elsewhere as a page, then prints
# it) draw the first two and refuse the third for the same reason.
python3 - "$tmp" <<'PY'
import struct, sys
def emf(saves):
    body = (struct.pack('<II', 33, 8) * saves                            # EMR_SAVEDC
            + struct.pack('<II4i', 43, 24, 10, 10, 110, 60)              # EMR_RECTANGLE
            + struct.pack('<II', 14, 20) + struct.pack('<III', 0, 16, 20))  # EMR_EOF
    header = struct.pack('<II4i4iIIIIHHIIIiiiiIIIii', 1, 108, 0, 0, 199, 99, 0, 0, 5200, 2600,
                         0x464D4520, 0x10000, 108 + len(body), saves + 3, 1, 0, 0, 0, 0,
                         1024, 768, 270, 203, 0, 0, 0, 270000, 203000)
    open('%s/saves%d.emf' % (sys.argv[1], saves), 'wb').write(header + body)
for saves in (9999, 10000, 10001):
    emf(saves)
PY
for n in 9999 10000; do
  check "$n saves rendered" 0 "$(rendered saves$n)"
  check "$n saves render-page says" "" "$(cat "$tmp/saves$n.err")"
  (ulimit -v $ceiling; TMPDIR=$tmp/temp exec "$q" view "$tmp/saves$n.emf" --pdf "$tmp/saves$n.pdf") 2>"$tmp/saves$n.err"
  check "$n saves printed" 0 $?
  check "$n saves pages" 1 "$(pages "$tmp/saves$n.pdf")"
  check "$n saves view says" "" "$(cat "$tmp/saves$n.err")"
done
deeper="malformed record 10002 (type 33): saved states nest deeper than 10000"
check "10001 saves rendered" 1 "$(rendered saves10001)"
check "10001 saves render-page reason" "quillon: $tmp/saves10001.emf: not a valid page: $deeper" "$(cat "$tmp/saves10001.err")"
(ulimit -v $ceiling; TMPDIR=$tmp/temp exec "$q" view "$tmp/saves10001.emf" --pdf "$tmp/saves10001.pdf") 2>"$tmp/saves10001.err"
check "10001 saves printed" 1 $?
check "10001 saves view reason" "quillon: view: '$tmp/saves10001.emf': $deeper" "$(cat "$tmp/saves10001.err")"
check "10001 saves nothing written" "" "$(ls "$tmp/saves10001.png" "$tmp/saves10001.pdf" 2>/dev/null)"
check "saves temporary files" "" "$(ls -A "$tmp/temp")"

finish
