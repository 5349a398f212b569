#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The corpus tool: where LibreOffice puts a picture on its page (the rectangle cut back out of
# the page it exports), and a run without LibreOffice that measures against the other reader
# alone (status 77 where that reader is not installed).
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tool=$root/tools/emf-corpus

# Placements measured on LibreOffice's own pages (A4, 10 mm margins), in millimetres.
placements=$(python3 - "$tool" <<'EOF'
import importlib.machinery, sys
m = importlib.machinery.SourceFileLoader("corpus", sys.argv[1]).load_module()
for frame in ((164.94, 123.63), (297.0, 210.0), (200.0, 123.63), (8.41, 2.32)):
    print(" ".join(f"{v:.2f}" for v in m.lo_placement(frame)), m.lo_zoom(frame))
EOF
)
check placements "22.53 86.69 164.94 123.63 1
10.00 81.33 190.00 134.34 1
10.00 89.78 190.00 117.45 1
100.80 147.34 8.41 2.32 4" "$placements"

if ! command -v emf2svg-conv >/dev/null || ! command -v rsvg-convert >/dev/null; then
  echo "skipped: emf2svg-conv or rsvg-convert is not installed"
  exit 77
fi
records=$root/tests/data/emf/records
QT_QPA_PLATFORM=offscreen "$tool" --quillon "$q" --out "$tmp/out" \
  "$records/polyline16_and_polygon16.emf" "$records/pattern_brushes_keep_their_tiles.emf" \
  > "$tmp/log" 2>&1
check status 0 "$?"
check columns "file verdict like_e2s like_lo match mad" "$(head -1 "$tmp/out/results.tsv" | cut -f1-6 | tr '\t' ' ')"
# Measured against one reader: its column is filled, LibreOffice's is empty.
check rows "polyline16_and_polygon16 yes|no -
pattern_brushes_keep_their_tiles yes|no -" \
  "$(tail -n +2 "$tmp/out/results.tsv" | awk -F'\t' '{print $1, ($3 == "yes" || $3 == "no") ? "yes|no" : $3, $4 == "" ? "-" : $4}')"
check summary 1 "$(grep -c '^drawn like the reference: ' "$tmp/log")"
check sheets "pattern_brushes_keep_their_tiles.png polyline16_and_polygon16.png " "$(listing "$tmp/out/sheets")"
finish
