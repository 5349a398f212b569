# SPDX-License-Identifier: GPL-2.0-or-later
# Sourced by the end-to-end scripts (run as SCRIPT QUILLON): the program in $q, a scratch
# directory in $tmp removed at the end (with any RAM disk mounted by `ramdisk`),
# `check NAME EXPECTED ACTUAL`, and `finish` for the summary and the status.
set -u
q=$1
fails=0 passes=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then passes=$((passes + 1)); else
    fails=$((fails + 1)); printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"; fi
}
# RAM disks the script mounted are unmounted at the end, before the scratch directory goes.
mounts=()
cleanup() {
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  rm -rf "$tmp" "$home"
}
tmp=$(mktemp -d) home=$(mktemp -d); trap cleanup EXIT
# A home of the script's own, beside the scratch directory: the settings every job writes
# never reach the user's, and scripts run side by side do not read each other's.
export HOME=$home XDG_CONFIG_HOME=$home/.config

# ramdisk DIR SIZE [OPTIONS]: a RAM disk at DIR; false where none can be mounted (root only).
ramdisk() {
  mkdir -p "$1"
  [ "$(id -u)" = 0 ] && mount -t tmpfs -o "size=$2${3:+,$3}" tmpfs "$1" 2>/dev/null && mounts+=("$1")
}

# The names in a folder, hidden ones too, on one line.
listing() { (cd "$1" && ls -A | tr '\n' ' '); }

# skip_without_qt COMMAND ARGS...: ends the script (as passed) when this quillon has no Qt for
# COMMAND, given arguments it accepts (usage errors are found before Qt is looked for).
skip_without_qt() {
  if "$q" "$@" 2>&1 | grep -q 'needs the build with Qt'; then
    echo "skipped: this quillon is built without Qt"
    exit 0
  fi
}

# memory_ceiling KB: the address-space limit (for ulimit -v) a memory test runs the program
# under; none for a build with AddressSanitizer, whose shadow memory alone is terabytes of
# address space (its own checks stand in for the ceiling there).
memory_ceiling() {
  if ldd "$q" 2>/dev/null | grep -q 'libasan'; then echo unlimited; else echo "$1"; fi
}

# The number of pages of a PDF file (empty when it is none).
pages() { pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p'; }

# Width and height of a PNG file from its header, as WxH.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }

finish() {
  echo "$passes passed, $fails failed"
  [ "$fails" -eq 0 ]
}
