#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# `quillon open FILE`, what a double-click runs: a page file goes to the preview, a form file
# to its window, by content first; anything else is refused in one line.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
data=$root/tests/data
skip_without_qt open "$tmp/absent.form"

check desktop-exec "quillon open %f" "$(sed -n 's/^Exec=//p' "$root/packaging/org.example.quillon.desktop")"
check desktop-types "image/emf;image/x-emf;application/x-quillon-form;" \
  "$(sed -n 's/^MimeType=//p' "$root/packaging/org.example.quillon.desktop")"

# A form file, also under another name: its window opens (saved by the screenshot hook).
cp "$root/examples/rich-letter.form" "$tmp/letter.txt"
QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/shots QUILLON_SCREENSHOT_QUIT=1 \
  timeout 60 "$q" open "$tmp/letter.txt" 2> "$tmp/err"
check form-status 0 $?
check form-window yes "$(ls "$tmp/shots"/RichLetter*.png > /dev/null 2>&1 && echo yes)"

# A page file, also named .form: the preview is asked for (and says there is no display).
cp "$data/render_page/page.emf" "$tmp/page.form"
env -u DISPLAY -u WAYLAND_DISPLAY "$q" open "$tmp/page.form" 2> "$tmp/err"
check page-status 1 $?
check page-preview "quillon: no display: use --pdf or --printer" "$(cat "$tmp/err")"

# Neither.
printf 'hello\n' > "$tmp/notes.txt"
"$q" open "$tmp/notes.txt" 2> "$tmp/err"
check other-status 1 $?
check other-message "quillon: $tmp/notes.txt: neither a page file (EMF) nor a form file" "$(cat "$tmp/err")"
"$q" open a b 2> "$tmp/err"
check two-status 2 $?
check two-message "quillon: open takes one file, not 2" "$(head -n 1 "$tmp/err")"

# A form file on standard input.
QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/stdin QUILLON_SCREENSHOT_QUIT=1 \
  timeout 60 "$q" show-form - < "$root/examples/rich-letter.form" 2> "$tmp/err"
check stdin-status 0 $?
check stdin-window yes "$(ls "$tmp/stdin"/RichLetter*.png > /dev/null 2>&1 && echo yes)"

finish
