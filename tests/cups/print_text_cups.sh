#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Prints a three-page print-text job with --printer through Qt's CUPS support to a printer
# server of the test's own: a cupsd with its own configuration, spool, cache, state and logs
# in a temporary folder, listening on a free loopback port only (no local socket, so the
# system's server and queues are never reached), with a cups-pdf queue. The PDF that the
# queue writes is checked (pages, texts) and removed; the server is stopped at the end.
#
# cups-pdf takes its settings from the system's /etc/cups/cups-pdf.conf, which puts each PDF
# into the job owner's ~/PDF; the test looks there for the file of its own job (its title is
# the text file's name, unique to this run). Exit status 77: skipped (CTest SKIP_RETURN_CODE).
set -u
q=$1
. "$(dirname "${BASH_SOURCE[0]}")/../cli/common.bash" "$q"

cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
backend=/usr/lib/cups/backend/cups-pdf
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
for need in "$cupsd" "$backend" "$ppd"; do
  if [ ! -e "$need" ]; then echo "skipped: $need is not installed"; exit 77; fi
done
if [ "$(id -u)" != 0 ] && [ ! -x "$backend" ]; then
  # cups-pdf is installed for root only (mode 0700): a server of our own run by another user
  # cannot run it.
  echo "skipped: the cups-pdf backend runs only under a server started by root"
  exit 77
fi
if "$q" printers 2>&1 | grep -q 'needs the build with Qt'; then echo "skipped: no Qt"; exit 77; fi

srv="$tmp/cups"
mkdir -p "$srv"/{conf,spool/tmp,cache,state,log,ppd}
chmod 755 "$tmp" "$srv" "$srv/spool"
chmod 1777 "$srv/spool/tmp"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$srv/conf/cupsd.conf" <<EOF
Listen 127.0.0.1:$port
LogLevel info
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Location /admin>
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat > "$srv/conf/cups-files.conf" <<EOF
ServerRoot $srv/conf
RequestRoot $srv/spool
TempDir $srv/spool/tmp
CacheDir $srv/cache
StateDir $srv/state
AccessLog $srv/log/access_log
ErrorLog $srv/log/error_log
PageLog $srv/log/page_log
Printcap $srv/state/printcap
SystemGroup root
EOF
chmod 644 "$srv"/conf/*.conf

"$cupsd" -f -c "$srv/conf/cupsd.conf" -s "$srv/conf/cups-files.conf" &
cupsd_pid=$!
stop_server() {
  kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap stop_server EXIT

export CUPS_SERVER="127.0.0.1:$port"
up=no
for _ in $(seq 50); do
  if lpstat -r 2>/dev/null | grep -q 'is running'; then up=yes; break; fi
  if ! kill -0 "$cupsd_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
check server-up yes "$up"
if [ "$up" != yes ]; then cat "$srv/log/error_log" 2>/dev/null; finish; exit 1; fi

queue=quillon-pdf
# The queue's PDF is turned into PostScript for cups-pdf by Cairo: the default renderer
# (Ghostscript) leaves text that cannot be read back out of the PDF cups-pdf makes.
lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" -o pdftops-renderer-default=pdftocairo 2> "$tmp/err"
check queue-added 0 $?
check queue-private yes "$(lpstat -h "$CUPS_SERVER" -p "$queue" 2>/dev/null | grep -q "^printer $queue " && echo yes)"

# The program sees the queue through Qt's CUPS support, next to its own PDF printer.
QT_QPA_PLATFORM=offscreen "$q" printers > "$tmp/printers" 2> "$tmp/err"
check printers-status 0 $?
check printers-queue yes "$(grep -qE "^[* ] $queue  [0-9]+x[0-9]+ dpi" "$tmp/printers" && echo yes || cat "$tmp/printers" "$tmp/err")"

# Three pages: two form feeds.
title="quillon-cups-$$-$RANDOM"
printf 'First page of the queue test\fSecond page here\fThird and last page\n' > "$tmp/$title.txt"
outdir=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF
before=$(date +%s)
QT_QPA_PLATFORM=offscreen "$q" print-text --printer "$queue" "$tmp/$title.txt" 2> "$tmp/err"
check print-status 0 $?
check print-err "" "$(cat "$tmp/err")"

# The job completes when cups-pdf has written its file.
pdf=""
for _ in $(seq 300); do
  pdf=$(find "$outdir" -maxdepth 1 -name "*$title*.pdf" -newermt "@$((before - 1))" 2>/dev/null | head -n 1)
  if [ -n "$pdf" ] && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ]; then break; fi
  sleep 0.1
done
check pdf-arrived yes "$([ -n "$pdf" ] && echo yes || { echo no; lpstat -W all -o 2>/dev/null; tail -n 20 "$srv/log/error_log"; })"
if [ -n "$pdf" ]; then
  cp "$pdf" "$tmp/arrived.pdf"
  rm -f "$pdf"
  check pdf-pages 3 "$(pdfinfo "$tmp/arrived.pdf" | sed -n 's/^Pages: *//p')"
  check page1 "First page of the queue test" "$(pdftotext -f 1 -l 1 "$tmp/arrived.pdf" - | grep -o 'First page of the queue test')"
  check page2 "Second page here" "$(pdftotext -f 2 -l 2 "$tmp/arrived.pdf" - | grep -o 'Second page here')"
  check page3 "Third and last page" "$(pdftotext -f 3 -l 3 "$tmp/arrived.pdf" - | grep -o 'Third and last page')"
  check page3-footer "Page 3" "$(pdftotext -f 3 -l 3 "$tmp/arrived.pdf" - | grep -o 'Page 3')"
  check header "$title.txt" "$(pdftotext -f 2 -l 2 "$tmp/arrived.pdf" - | grep -o "$title.txt")"
fi
check one-job 1 "$(lpstat -W completed -o "$queue" 2>/dev/null | wc -l)"

# view of a portrait, a landscape and a portrait picture: the document the queue is given
# turns its second page (the server keeps a job's document in its spool as d<job>-001; the
# view job is the newest).
pictures=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data/emf/pictures" && pwd)
view_title="quillon-view-$$-$RANDOM"
cp "$pictures/portrait_100_by_150_mm.emf" "$tmp/$view_title.emf"
before=$(date +%s)
QT_QPA_PLATFORM=offscreen "$q" view --printer "$queue" "$tmp/$view_title.emf" \
  "$pictures/landscape_250_by_150_mm.emf" "$pictures/portrait_100_by_150_mm.emf" 2> "$tmp/err"
check view-status "0 " "$? $(cat "$tmp/err")"
pdf=""
for _ in $(seq 300); do
  pdf=$(find "$outdir" -maxdepth 1 -name "*$view_title*.pdf" -newermt "@$((before - 1))" 2>/dev/null | head -n 1)
  if [ -n "$pdf" ] && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ]; then break; fi
  sleep 0.1
done
check view-arrived yes "$([ -n "$pdf" ] && echo yes)"
[ -n "$pdf" ] && rm -f "$pdf"
job=$(lpstat -W completed -o "$queue" 2>/dev/null | sed -E "s/^$queue-([0-9]+) .*/\1/" | sort -n | tail -n 1)
spooled=$(printf '%s/spool/d%05d-001' "$srv" "${job:-0}")
sizes=$(pdfinfo -f 1 -l 3 "$spooled" 2>/dev/null | sed -n 's/^Page *[0-9]* size: *\([0-9.]*\) x \([0-9.]*\).*/\1 \2/p' |
  awk '{ printf "%s ", $1 < $2 ? "portrait" : "landscape" }')
check view-pages-turned "portrait landscape portrait " "$sizes"

# A queue that refuses jobs is found out before anything is drawn, and the job fails.
cupsreject "$queue"
QT_QPA_PLATFORM=offscreen "$q" print-text --printer "$queue" "$tmp/$title.txt" 2> "$tmp/err"
check rejecting-queue "1 quillon: print-text: the printer '$queue' does not accept jobs" "$? $(cat "$tmp/err")"
check rejecting-nothing-queued "" "$(lpstat -o "$queue" 2>/dev/null)"
cupsaccept "$queue"

# A name the server does not know is refused before anything is sent.
QT_QPA_PLATFORM=offscreen "$q" print-text --printer no-such-queue "$tmp/$title.txt" 2> "$tmp/err"
check unknown-queue "1 quillon: print-text: there is no printer called 'no-such-queue' ('quillon printers' lists them)" "$? $(cat "$tmp/err")"

finish
