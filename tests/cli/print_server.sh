#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# A print server that accepts connections and never answers (a listener of the test's own on a
# free loopback port): `printers` and a --pdf job end by themselves, say that the server does
# not answer, and the PDF printer, which needs no server, still prints.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
export QT_QPA_PLATFORM=offscreen
printf 'Alpha\n' > "$tmp/job.txt"
env CUPS_SERVER=127.0.0.1:9 "$q" print-text --pdf "$tmp/skip.pdf" "$tmp/job.txt" 2>&1 | grep -q 'needs the build with Qt' &&
  { echo "skipped: this quillon is built without Qt"; exit 0; }

python3 - "$tmp/port" <<'EOF' &
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(16)
with open(sys.argv[1] + ".part", "w") as f:
    f.write(str(s.getsockname()[1]))
import os
os.rename(sys.argv[1] + ".part", sys.argv[1])
held = []
deadline = time.time() + 120
s.settimeout(1)
while time.time() < deadline:
    try:
        c, _ = s.accept()
        held.append(c)  # kept open, never read from, never answered
    except socket.timeout:
        pass
EOF
listener=$!
trap 'kill $listener 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do [ -s "$tmp/port" ] && break; sleep 0.05; done
export CUPS_SERVER="127.0.0.1:$(cat "$tmp/port")"
said="quillon: the print server at $CUPS_SERVER does not answer; its printers are left out"

# A guard of 20 s: a hang shows as status 124 rather than holding the suite up.
timeout 20 "$q" printers > "$tmp/out" 2> "$tmp/err"
check printers-status 0 $?
check printers-err "$said" "$(cat "$tmp/err")"
check printers-pdf-only yes "$(grep -qE '^\* Print to PDF  600x600 dpi' "$tmp/out" && [ "$(wc -l < "$tmp/out")" = 1 ] && echo yes || cat "$tmp/out")"

timeout 20 "$q" print-text --pdf "$tmp/job.pdf" "$tmp/job.txt" 2> "$tmp/err"
check pdf-status 0 $?
check pdf-err "$said" "$(cat "$tmp/err")"
check pdf-pages 1 "$(pages "$tmp/job.pdf")"

timeout 20 "$q" print-text --printer somewhere "$tmp/job.txt" 2> "$tmp/err"
check printer-status 1 $?
check printer-err "$said
quillon: print-text: there is no printer called 'somewhere' ('quillon printers' lists them)" "$(cat "$tmp/err")"

finish
