#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The desktop files as the desktop's own tools read them: the AppStream metainfo and the
# desktop entry validate, the MIME type file is well formed, and the icons are the SVG drawn
# at each size (status 77: skipped where a tool is missing).
set -u
root=$1
pkg=$root/packaging
fails=0
need() { command -v "$1" > /dev/null || { echo "skipped: no $1"; exit 77; }; }
need appstreamcli; need desktop-file-validate; need rsvg-convert; need xmllint
fail() { echo "FAIL $*"; fails=$((fails + 1)); }
appstreamcli validate --no-net "$pkg/org.example.quillon.metainfo.xml" || fail metainfo
desktop-file-validate "$pkg/org.example.quillon.desktop" || fail desktop entry
xmllint --noout "$pkg/quillon-form.xml" || fail mime xml
grep -q '<glob pattern="\*.form"/>' "$pkg/quillon-form.xml" || fail "no *.form glob"
# Shapes only: text would need a font and be unreadable at 16 pixels.
grep -q '<text' "$pkg/icons/quillon.svg" && fail "the icon draws text"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
for s in 16 32 48 64 128 256; do
  rsvg-convert -w "$s" -h "$s" "$pkg/icons/quillon.svg" -o "$tmp/$s.png"
  cmp -s "$tmp/$s.png" "$pkg/icons/quillon-$s.png" || fail "quillon-$s.png is not the SVG at $s px (run tools/icons)"
done
[ $fails -eq 0 ] && echo "metadata valid, icons current"
[ $fails -eq 0 ]
