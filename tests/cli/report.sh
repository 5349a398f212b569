#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end checks of `quillon report` and `quillon print-form` on the built-in PDF printer:
# one page per name in one job, the refusals, the texts where the page puts them (pdftotext
# -bbox, 600 pixels per inch are 72 points), a form file's window, and bad input.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data/forms" && pwd)

skip_without_qt report --pdf "$tmp/probe.pdf" probe

"$q" report --pdf "$tmp/three.pdf" "golden river 7" IIIAA "" 2>"$tmp/err"
check "three names status" 0 $?
check "three names pages" 3 "$(pages "$tmp/three.pdf")"
check "three names message" "quillon: 3 pages written to $tmp/three.pdf" "$(cat "$tmp/err")"

# The message counts the pages the file received.
"$q" report --pdf "$tmp/second.pdf" --pages 2 "golden river 7" IIIAA "" 2>"$tmp/err"
check "chosen page message" "quillon: 1 page written to $tmp/second.pdf" "$(cat "$tmp/err")"
check "chosen page written" 1 "$(pages "$tmp/second.pdf")"
"$q" report --pdf "$tmp/odd.pdf" --odd "golden river 7" IIIAA "" 2>"$tmp/err"
check "odd pages message" "quillon: 2 pages written to $tmp/odd.pdf" "$(cat "$tmp/err")"

# The title of page 1 starts 470, 395 printer pixels in (56.4, 47.4 points).
pdftotext -bbox -f 1 -l 1 "$tmp/three.pdf" "$tmp/p1.html"
check "title at" 'xMin="56.400000" yMin="47.399548">GOLDEN' \
  "$(grep -o 'xMin="[0-9.]*" yMin="[0-9.]*" xMax="[0-9.]*" yMax="[0-9.]*">GOLDEN' "$tmp/p1.html" | head -1 | sed 's/ xMax="[0-9.]*" yMax="[0-9.]*"//')"
check "upper-cased like the name field" 1 "$(grep -c '>RIVER</word>' "$tmp/p1.html" | awk '{print ($1 >= 2)}')"
# Page 2 holds IIIAA's sums: 29 -> 11 -> 2.
pdftotext -f 2 -l 2 "$tmp/three.pdf" "$tmp/p2.txt"
check "second page sums" "29 11 2" "$(grep -oE '^(29|11|2)$' "$tmp/p2.txt" | head -3 | tr '\n' ' ' | sed 's/ $//')"

# Names from standard input; a name too long is refused with its line, the others print.
printf 'ANNA\n%s\nBOB\n' "$(printf 'W%.0s' $(seq 31))" | "$q" report --pdf "$tmp/in.pdf" 2>"$tmp/err"
check "refusal status" 1 $?
check "refusal pages" 2 "$(pages "$tmp/in.pdf")"
check "refusal message" "quillon: line 2: name longer than 30 characters" "$(head -1 "$tmp/err")"
# Thirty of the widest letter stay on one line.
"$q" report --pdf "$tmp/wide.pdf" "$(printf 'W%.0s' $(seq 30))" 2>/dev/null
# (the title and the data line: two words of all thirty, nothing broken off)
check "wide name one line" 2 "$(pdftotext -bbox "$tmp/wide.pdf" - | grep -c ">$(printf 'W%.0s' $(seq 30))</word>")"
check "wide name no pieces" 2 "$(pdftotext -bbox "$tmp/wide.pdf" - | grep -c '>W*</word>')"
# Invalid UTF-8 prints (the bad bytes are other characters).
"$q" report --pdf "$tmp/utf.pdf" "$(printf 'AB\xff\xfeC')" 2>/dev/null
check "invalid utf-8 status" 0 $?

env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$q" report X 2>"$tmp/err"
check "the preview needs a display" 1 $?
check "the preview's message" "quillon: no display: use --pdf or --printer" "$(cat "$tmp/err")"
"$q" report --system klingon --pdf "$tmp/x.pdf" X 2>/dev/null
check "unknown system" 2 $?
"$q" report --pdf "$tmp/odd.pdf" --odd A B C 2>/dev/null
check "odd pages status" 0 $?
check "odd pages of three names" 2 "$(pages "$tmp/odd.pdf")"
"$q" report --pdf "$tmp/x.pdf" --even X 2>/dev/null
check "no even page of one name" 1 $?
"$q" report --pdf "$tmp/x.pdf" --pages 1-x X 2>/dev/null
check "bad page list is a usage error" 2 $?

# print-form: a form file's window on one page; a bad file names its line and prints nothing.
"$q" print-form "$data/show/sample.form" --pdf "$tmp/form.pdf" 2>/dev/null
check "print-form status" 0 $?
check "print-form pages" 1 "$(pages "$tmp/form.pdf")"
check "print-form text" 1 "$(pdftotext "$tmp/form.pdf" - | grep -c '^QUILLON$')"
"$q" print-form "$data/bad/unknown_class.form" --pdf "$tmp/bad.pdf" 2>"$tmp/err"
check "bad form status" 1 $?
check "bad form names its line" 1 "$(grep -c "^quillon: print-form: $data/bad/unknown_class.form:[0-9]*: " "$tmp/err")"
check "bad form prints nothing" no "$([ -e "$tmp/bad.pdf" ] && echo yes || echo no)"
"$q" print-form "$tmp/absent.form" --pdf "$tmp/bad.pdf" 2>/dev/null
check "absent form" 1 $?
"$q" print-form "$data/show/sample.form" --at 1 --pdf "$tmp/x.pdf" 2>/dev/null
check "bad --at" 2 $?
# Controls far away, of no size, nested deep: printed without failing.
{
  echo "object HostileFrm: TForm"; echo "  Width = 400"; echo "  Height = 300"
  echo "  object L1: TLabel"; echo "    Left = -100000"; echo "    Top = 100000"; echo "    Caption = 'far'"; echo "  end"
  echo "  object S1: TShape"; echo "    Left = 10"; echo "    Width = 0"; echo "    Height = 0"; echo "  end"
  for i in $(seq 150); do echo "object P$i: TPanel"; echo "Left = 1"; echo "Top = 1"; echo "Width = 300"; echo "Height = 200"; done
  echo "object Deep: TLabel"; echo "Caption = 'deep'"; echo "end"
  for i in $(seq 150); do echo "end"; done
  echo "end"
} >"$tmp/hostile.form"
"$q" print-form "$tmp/hostile.form" --pdf "$tmp/hostile.pdf" 2>"$tmp/err"
check "hostile status" 0 $?
check "hostile deep label" 1 "$(pdftotext "$tmp/hostile.pdf" - | grep -c '^deep$')"
finish
