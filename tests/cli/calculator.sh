#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end checks of starting the calculator: the command line, the window
# shown and saved by the screenshot hook, and `analyse` never starting Qt.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

# A platform that does not exist makes any start of Qt fail at once.
QT_QPA_PLATFORM=no-such-platform DISPLAY= "$q" analyse --format csv ABC > "$tmp/out" 2> "$tmp/err"
check analyse-without-qt-status 0 $?
out=$(tail -n 1 "$tmp/out" | tr -d '\r')
check analyse-without-qt-row "ABC,Pythagorean,1  , 23,1,5,6,,,,,,,1,0,0,0,0,0,0,0,0,0,1,1,0,0,0,0,0,0,1,1,1,0,0,0,0,0,0,1,2,3" "$out"
check analyse-without-qt-err "" "$(cat "$tmp/err")"

# Wrong arguments: status 2 and the usage.
"$q" bogus > /dev/null 2> "$tmp/err"
check unknown-status 2 $?
check unknown-message "quillon: unknown command 'bogus'" "$(head -n 1 "$tmp/err")"
"$q" --name > /dev/null 2> "$tmp/err"
check name-without-text-status 2 $?
check name-without-text-message "quillon: option '--name' needs a value" "$(head -n 1 "$tmp/err")"
"$q" --help | grep -q '^Usage: quillon \[--name TEXT\]$'
check usage-names-the-calculator 0 $?

if ! "$q" show-form /dev/null 2>&1 | grep -q 'needs the build with Qt'; then
  # Without any display the calculator says so instead of aborting.
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$q" > /dev/null 2> "$tmp/err"
  check no-display-status 1 $?
  check no-display-message "quillon: no display to open the calculator on (DISPLAY is not set); 'quillon analyse' works without one" "$(cat "$tmp/err")"
fi

if "$q" show-form /dev/null 2>&1 | grep -q 'needs the build with Qt'; then
  echo "SKIP window checks (build without Qt)"
else
  # The calculator starts, shows its window with the name typed, and ends.
  QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR="$tmp/shots" QUILLON_SCREENSHOT_QUIT=1 \
    timeout 60 "$q" --name "golden river 7" > /dev/null 2> "$tmp/err"
  check window-status 0 $?
  check window-saved "CalcFrm.png" "$(ls "$tmp/shots")"
  # The PNG of the client area: 584 x 328 pixels (the width and height of its header).
  check window-png-size " 00 00 02 48 00 00 01 48" "$(od -An -tx1 -j16 -N8 "$tmp/shots/CalcFrm.png")"
fi

finish
