#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Benchmark, run by hand: `bench/print_text_pdf.sh build/app/quillon`. Prints a job of plain
# text (60 lines a page) of 100 and of 1,000 pages with `print-text --pdf` and reports pages
# per second, bytes per PDF page and the peak memory of the whole run (which should not grow
# with the page count: pages go to the page store, one at a time).
set -eu
q=${1:?usage: print_text_pdf.sh QUILLON}
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen
python3 - "$tmp" <<'PY'
import random, sys
words = "the quick brown fox jumps over a lazy dog while seven numbers count the letters of names".split()
random.seed(1)
for pages in (100, 1000):
    with open(f"{sys.argv[1]}/text{pages}.txt", "w") as f:
        for _ in range(60 * pages):
            f.write(" ".join(random.choice(words) for _ in range(random.randint(3, 12))) + "\n")
PY
for pages in 100 1000; do
  for run in 1 2 3; do
    /usr/bin/time -f '%e %M' -o "$tmp/time" "$q" print-text --pdf "$tmp/out.pdf" "$tmp/text$pages.txt"
    read -r secs kb < "$tmp/time"
    got=$(pdfinfo "$tmp/out.pdf" | sed -n 's/^Pages: *//p')
    bytes=$(stat -c %s "$tmp/out.pdf")
    awk -v p="$got" -v s="$secs" -v b="$bytes" -v m="$kb" -v n="$pages" -v r="$run" 'BEGIN {
      printf "%5d pages (run %d): %6.2f s  %6.0f pages/s  %6.0f bytes/page  peak %6.1f MB\n",
             p, r, s, (s > 0 ? p / s : 0), b / p, m / 1024 }'
  done
done
