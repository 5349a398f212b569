#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Hostile form files, printed and shown under a ceiling of address space: millions of values,
# a caption of megabytes, grids of billions of cells, a grid of 100,000 rows written cell by
# cell, and a control at the coordinate limit.
# Each ends by itself with status 0 or 1 (never a signal) and says in one line what it
# refused or cut.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

skip_without_qt print-form "$tmp/absent.form" --pdf "$tmp/x.pdf"

ceiling=$(memory_ceiling 307200)  # KB of address space for each run: 300 MB

printed() {  # printed NAME: "status pages" of print-form on $tmp/NAME.form; stderr in $tmp/NAME.err
  (ulimit -v $ceiling; exec "$q" print-form "$tmp/$1.form" --pdf "$tmp/$1.pdf") 2>"$tmp/$1.err"
  echo "$? $(pages "$tmp/$1.pdf")"
}
shown() {  # shown NAME: status of show-form on $tmp/NAME.form; stderr in $tmp/NAME.shown
  (ulimit -v $ceiling; QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/shots/$1 \
    QUILLON_SCREENSHOT_QUIT=1 exec "$q" show-form "$tmp/$1.form") 2>"$tmp/$1.shown"
  echo $?
}

# Values by the million: properties of an unknown root, lines of a memo, items of a combo box.
awk 'BEGIN { print "object U: TUnknownRoot"; for (i = 0; i < 500000; i++) print "  P" i " = 1"; print "end" }' >"$tmp/props.form"
check "properties" "1 " "$(printed props)"
check "properties reason" "quillon: print-form: $tmp/props.form:400002: more than 400000 values in one form file" "$(head -1 "$tmp/props.err")"
check "properties nothing written" 0 "$([ -e "$tmp/props.pdf" ] && echo 1 || echo 0)"
awk 'BEGIN { print "object F: TForm\n  object M: TMemo\n    Lines.Strings = ("; for (i = 0; i < 1000000; i++) print "      \x27l\x27"; print "      )\n  end\nend" }' >"$tmp/memo.form"
check "memo lines" "1 " "$(printed memo)"
check "memo reason" "quillon: print-form: $tmp/memo.form:400003: more than 400000 values in one form file" "$(head -1 "$tmp/memo.err")"
check "memo shown" 1 "$(shown memo)"
check "memo shown reason" "$tmp/memo.form:400003: more than 400000 values in one form file" "$(tail -1 "$tmp/memo.shown" | sed 's/^quillon: show-form: //')"
awk 'BEGIN { print "object F: TForm\n  object C: TComboBox\n    Items.Strings = ("; for (i = 0; i < 2000000; i++) print "\x27i\x27"; print ")\n  end\nend" }' >"$tmp/combo.form"
check "combo items" "1 " "$(printed combo)"
check "combo reason" "quillon: print-form: $tmp/combo.form:400003: more than 400000 values in one form file" "$(head -1 "$tmp/combo.err")"

# A caption of 15 MB.
{ printf "object F: TForm\n  object L: TLabel\n    Caption = '"; head -c 15000000 /dev/zero | tr '\0' 'x'; printf "'\n  end\nend\n"; } >"$tmp/caption.form"
check "caption" "1 " "$(printed caption)"
check "caption reason" "quillon: print-form: $tmp/caption.form:3: a string longer than 1 MB" "$(head -1 "$tmp/caption.err")"
check "caption shown" 1 "$(shown caption)"

# Grids of a million rows by a hundred thousand columns, and of 2,000 fixed rows and columns.
grid_form() {  # grid_form FILE ROWS COLS FIXED
  printf 'object F: TForm\n  ClientWidth = 300\n  ClientHeight = 200\n  object G: TStringGrid\n    Width = 280\n    Height = 180\n    FixedRows = %s\n    FixedCols = %s\n    RowCount = %s\n    ColCount = %s\n  end\nend\n' "$4" "$4" "$2" "$3" >"$1"
}
grid_form "$tmp/grid.form" 1000000 100000 1
check "huge grid" "0 2" "$(printed grid)"
check "huge grid notice" "quillon: G: a grid of 1000000 x 100000 cells cut to its first 10 rows (at most 1048576 cells)" "$(grep -m1 'a grid of' "$tmp/grid.err")"
check "huge grid shown" 0 "$(shown grid)"
check "huge grid shown notice" 1 "$(grep -c 'G: a grid of 1000000 x 100000 cells cut' "$tmp/grid.shown")"
grid_form "$tmp/fixed.form" 2000 2000 2000
check "fixed grid shown" 0 "$(shown fixed)"
check "fixed grid notice" 1 "$(grep -c 'G: a grid of 2000 x 2000 cells cut to its first 524 rows' "$tmp/fixed.shown")"

# A grid of 100,000 rows of five columns, its cells written in the file as the program writes
# them: read whole, shown and printed under the ceiling (40 rows a page). The same grid of ten
# times the rows is refused at the line of the first cell past what a grid holds, and a file
# past the size of a form file before it is read.
rows_form() {  # rows_form FILE ROWS TEXT: ROWS rows of five cells, each TEXT and its place
  awk -v R="$2" -v T="$3" 'BEGIN {
    printf "object F: TForm\n  ClientWidth = 400\n  ClientHeight = 1000\n  object G: TStringGrid\n    Width = 380\n    Height = 980\n    FixedRows = 0\n    FixedCols = 0\n    RowCount = %d\n    Cells = (\n", R
    for (r = 0; r < R; r++) {
      line = "      ("
      for (c = 0; c < 5; c++) line = line (c ? " " : "") "\x27" (T == "" ? "" : T " " r "/" c) "\x27"
      print line (r == R - 1 ? "))" : ")")
    }
    print "  end\nend" }' >"$1"
}
rows_form "$tmp/rows.form" 100000 "Customer"
check "100,000 rows" "0 2500" "$(printed rows)"
check "100,000 rows said" "quillon: 2500 pages written to $tmp/rows.pdf" "$(cat "$tmp/rows.err")"
check "100,000 rows shown" 0 "$(shown rows)"
check "100,000 rows shown quietly" "" "$(cat "$tmp/rows.shown")"
rows_form "$tmp/rows10.form" 1000000 ""
# The cell past 1,048,576 is the second of row 209,715, on line 11 + 209,715.
check "1,000,000 rows" "1 " "$(printed rows10)"
check "1,000,000 rows reason" "quillon: print-form: $tmp/rows10.form:209726: more than 1048576 cells in one form file" "$(cat "$tmp/rows10.err")"
check "1,000,000 rows shown" 1 "$(shown rows10)"
check "1,000,000 rows shown reason" "$tmp/rows10.form:209726: more than 1048576 cells in one form file" "$(cat "$tmp/rows10.shown")"
head -c 2000 "$tmp/rows.form" >"$tmp/huge.form"
truncate -s $((32 * 1024 * 1024 + 1)) "$tmp/huge.form"
check "32 MB form" "1 " "$(printed huge)"
check "32 MB form reason" "quillon: $tmp/huge.form:1: the file is too large for a form file" "$(cat "$tmp/huge.err")"
check "32 MB form shown" 1 "$(shown huge)"
check "refused forms write nothing" "" "$(cd "$tmp" && ls -A rows10.pdf huge.pdf 2>/dev/null)"

# Databases of huge cells: a text of 10 MB is cut to the cell's 64 KB and said once; a text of
# 100 MB, more than the program lets SQLite read, refuses the form.
python3 - "$tmp" <<'PY'
import os, sqlite3, sys
for name, size in (("cell10.db", 10_000_000), ("cell100.db", 100_000_000)):
    db = sqlite3.connect(os.path.join(sys.argv[1], name))
    db.execute("CREATE TABLE t (ID INTEGER PRIMARY KEY, NOTE TEXT)")
    db.execute("INSERT INTO t VALUES (1, 'short')")
    db.execute("INSERT INTO t VALUES (2, substr(replace(hex(zeroblob(?)), '00', 'ab '), 1, ?))",
               (size // 2, size))
    db.commit()
    db.close()
PY
cell_form() {  # cell_form NAME: a form showing the table t of $tmp/NAME.db in a grid
  printf "object F: TForm\n  ClientWidth = 600\n  ClientHeight = 400\n  object T: TTable\n    DatabaseName = '%s'\n    TableName = 't'\n    Active = True\n  end\n  object S: TDataSource\n    DataSet = T\n  end\n  object G: TDBGrid\n    Width = 580\n    Height = 300\n    DataSource = S\n  end\nend\n" "$tmp/$1.db" >"$tmp/$1.form"
}
cell_form cell10
check "10 MB cell" "0 1" "$(printed cell10)"
check "10 MB cell notice" "quillon: database column NOTE: texts longer than 64 KB cut to their first 64 KB" "$(grep -v 'written to' "$tmp/cell10.err")"
cell_form cell100
check "100 MB cell" "1 " "$(printed cell100)"
check "100 MB cell reason" "quillon: print-form: $tmp/cell100.form:4: T: a value larger than 64 MB, more than the program reads" "$(cat "$tmp/cell100.err")"

# Pictures of one bit a pixel: 7,000 x 7,000 (6 MB in the file, 196 MB decoded) is refused at
# its line before it is decoded, printed or shown; 6,000 x 6,000, within the limit, is printed
# at the printer's pixels and shown.
bmp_form() {  # bmp_form FILE SIDE
python3 - "$1" "$2" <<'PY'
import struct, sys
side = int(sys.argv[2])
stride = (side + 31) // 32 * 4
pixels = b'\x55' * stride * side
bmp = (b'BM' + struct.pack('<IHHI', 62 + len(pixels), 0, 0, 62) +
       struct.pack('<IiiHHIIiiII', 40, side, side, 1, 1, 0, len(pixels), 2835, 2835, 2, 0) +
       b'\0\0\0\0\xff\xff\xff\0' + pixels).hex().upper()
body = '\n'.join('      ' + bmp[i:i + 64] for i in range(0, len(bmp), 64))
open(sys.argv[1], 'w').write("object F: TForm\n  ClientWidth = 300\n  ClientHeight = 300\n"
                             "  object I: TImage\n    Width = 280\n    Height = 280\n"
                             "    Stretch = True\n    Picture.Data = {\n%s}\n  end\nend\n" % body)
PY
}
bmp_form "$tmp/bmp.form" 7000
check "1-bit picture" "1 " "$(printed bmp)"
check "1-bit picture reason" "quillon: print-form: $tmp/bmp.form:8: cannot set 'Picture.Data': bitmap is too large" "$(cat "$tmp/bmp.err")"
check "1-bit picture shown" 1 "$(shown bmp)"
check "1-bit picture shown reason" "$tmp/bmp.form:8: cannot set 'Picture.Data': bitmap is too large" "$(cat "$tmp/bmp.shown")"
check "1-bit picture nothing written" "" "$(cd "$tmp" && ls -A bmp.pdf shots/bmp 2>/dev/null)"
bmp_form "$tmp/bmp6.form" 6000
check "1-bit picture within the limit" "0 1" "$(printed bmp6)"
check "1-bit picture printed at 600 dpi" "1750 1750 600" "$(pdfimages -list "$tmp/bmp6.pdf" | awk 'NR == 3 { print $4, $5, $13 }')"
check "1-bit picture within the limit shown" 0 "$(shown bmp6)"

# A control at the coordinate limit, shown alone: its window is held to the largest side.
printf 'object P: TPanel\n  Left = 0\n  Top = 0\n  Width = 1000000\n  Height = 1000000\nend\n' >"$tmp/far.form"
check "far control shown" 0 "$(shown far)"
check "far control window" 4096x4096 "$(png_size "$tmp/shots/far/PFrm.png")"

finish
