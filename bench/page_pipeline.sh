#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Benchmark, run by hand (after bench/setup.sh): `bench/page_pipeline.sh build/app/quillon
# [RUNS] [MAX_PAGES]` (MAX_PAGES 100000 adds the 100,000-page runs, a few minutes each).
#  - plain text to PDF (`print-text --pdf`, 60 lines a page) of 100, 1,000 and 10,000 pages,
#    beside the text-to-PDF filter of cups-filters on the same 1,000-page text;
#  - `report --pdf` of 100, 1,000 and 10,000 names (one page each);
# each with pages per second, the CPU seconds (user and system: what a shared machine does not
# disturb), bytes per PDF page and the peak memory of the run (the same at 100 and at 10,000
# pages when the pipeline keeps one page at a time), medians of RUNS runs;
#  - start-up of the commands that need no Qt (hyperfine).
set -eu
q=${1:?usage: page_pipeline.sh QUILLON [RUNS] [MAX_PAGES]}
runs=${2:-3}
max=${3:-10000}
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen
filter=/usr/lib/cups/filter/texttopdf
python3 - "$tmp" "$max" <<'PY'
import random, sys
words = "the quick brown fox jumps over a lazy dog while seven numbers count the letters of names".split()
random.seed(1)
for pages in (100, 1000, 10000, 100000):
    if pages > int(sys.argv[2]): break
    with open(f"{sys.argv[1]}/text{pages}.txt", "w") as f:
        for _ in range(60 * pages):
            f.write(" ".join(random.choice(words) for _ in range(random.randint(3, 12))) + "\n")
    with open(f"{sys.argv[1]}/names{pages}.txt", "w") as f:
        for i in range(pages):
            f.write(f"NAME NUMBER {i}\n")
PY

# measure LABEL PDF COMMAND...: the median of $runs runs of COMMAND, which writes PDF.
measure() {
  local label=$1 pdf=$2; shift 2
  local i
  : >"$tmp/results"
  for i in $(seq "$runs"); do
    /usr/bin/time -f '%e %M %U %S' -o "$tmp/time" "$@" >"$tmp/stdout" 2>/dev/null
    [ -s "$pdf" ] || cp "$tmp/stdout" "$pdf"
    cat "$tmp/time" >>"$tmp/results"
  done
  local got bytes
  got=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
  bytes=$(stat -c %s "$pdf")
  sort -n "$tmp/results" | sed -n "$(((runs + 1) / 2))p" | {
    read -r secs kb user sys
    awk -v l="$label" -v p="$got" -v s="$secs" -v b="$bytes" -v m="$kb" -v c="$user $sys" 'BEGIN {
      split(c, t, " ")
      printf "%-24s %6d pages %7.2f s %6.0f pages/s  cpu %6.2f s %6.0f pages/s %6.0f bytes/page  peak %6.1f MB\n",
             l, p, s, (s > 0 ? p / s : 0), t[1] + t[2], (t[1] + t[2] > 0 ? p / (t[1] + t[2]) : 0), b / p, m / 1024 }'
  }
  rm -f "$pdf"
}

sizes="100 1000 10000"
[ "$max" -ge 100000 ] && sizes="$sizes 100000"
for pages in $sizes; do
  measure "print-text --pdf" "$tmp/out.pdf" "$q" print-text --pdf "$tmp/out.pdf" "$tmp/text$pages.txt"
done
if [ -x "$filter" ]; then
  measure "cups-filters texttopdf" "$tmp/filter.pdf" "$filter" 1 bench bench 1 "" "$tmp/text1000.txt"
else
  echo "texttopdf: not installed (bench/setup.sh installs cups-filters)"
fi
for pages in $sizes; do
  measure "report --pdf" "$tmp/report.pdf" sh -c "'$q' report --pdf '$tmp/report.pdf' <'$tmp/names$pages.txt'"
done

if command -v hyperfine >/dev/null; then
  hyperfine -N -w 5 -r 30 --style basic "$q analyse 'GOLDEN RIVER 7'" "$q --version" \
    "$q help" "$q analyse --no-such-option" -i 2>&1 | grep -E 'Benchmark|Time'
else
  echo "start-up: hyperfine not installed (bench/setup.sh installs it)"
fi
