#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# deb.sh BUILD_DIR: builds the Debian package with CPack, checks it with lintian (no errors,
# no maintainer scripts), unpacks it into a throw-away root and runs the program from there: the
# version, an analysis, a report printed to PDF, an example form shown; the help file and the
# forms are found relative to the binary. Status 77 (skipped) without dpkg-deb.
set -u
build=$1
command -v dpkg-deb > /dev/null || { echo "skipped: no dpkg-deb"; exit 77; }
fails=0 passes=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then passes=$((passes + 1)); else
    fails=$((fails + 1)); printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"; fi
}
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

cmake --build "$build" --target quillon quillon_packaging quillon_examples > "$tmp/build.log" 2>&1 ||
  { cat "$tmp/build.log"; exit 1; }
(cd "$build" && cpack -G DEB -B "$tmp/out" > "$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; exit 1; }
deb=$(ls "$tmp"/out/*.deb)
check deb-name "quillon_$("$build/app/quillon" --version | cut -d' ' -f2)_$(dpkg --print-architecture).deb" "$(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
check depends-on-qt yes "$(grep -q 'libqt6gui6' <<<"$depends" && echo yes)"
check depends-on-fonts yes "$(grep -q 'fonts-liberation2' <<<"$depends" && echo yes)"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' > "$tmp/files"
for f in /usr/bin/quillon "/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/quillon/quillon-qt.so" \
         /usr/share/quillon/help/tessel.html /usr/share/man/man1/quillon.1.gz \
         /usr/share/applications/org.example.quillon.desktop /usr/share/metainfo/org.example.quillon.metainfo.xml \
         /usr/share/mime/packages/quillon-form.xml /usr/share/thumbnailers/quillon.thumbnailer \
         /usr/share/icons/hicolor/scalable/apps/quillon.svg /usr/share/icons/hicolor/16x16/apps/quillon.png \
         /usr/share/icons/hicolor/256x256/apps/quillon.png /usr/share/bash-completion/completions/quillon \
         /usr/share/quillon/examples/members.form /usr/share/quillon/examples/members.db \
         /usr/share/doc/quillon/copyright /usr/share/doc/quillon/changelog.gz; do
  check "has $f" yes "$(grep -qx "$f" "$tmp/files" && echo yes)"
done
check no-licence-copy no "$(grep -qx /usr/share/doc/quillon/LICENSE "$tmp/files" && echo yes || echo no)"

if command -v lintian > /dev/null; then
  lintian --fail-on error "$deb" > "$tmp/lintian" 2>&1
  check lintian-status 0 $?
  check lintian-errors "" "$(grep '^E:' "$tmp/lintian")"
  # The private module is not a system library: no ldconfig in the package's scripts.
  check lintian-no-ldconfig "" "$(grep 'ldconfig' "$tmp/lintian")"
  check no-maintainer-scripts "" "$(dpkg-deb -I "$deb" | grep -E ' (postinst|postrm)$')"
  grep '^[WI]:' "$tmp/lintian" | sed 's/^/lintian says: /'
else
  echo "lintian not installed: the package is not linted"
fi

root=$tmp/root
dpkg -x "$deb" "$root"
q=$root/usr/bin/quillon
check version "quillon $("$build/app/quillon" --version | cut -d' ' -f2)" "$("$q" --version)"
check analyse "GOLDEN RIVER 7,Pythagorean" "$("$q" analyse --format csv "GOLDEN RIVER 7" | tail -n 1 | cut -d, -f1-2)"
(cd "$tmp" && QT_QPA_PLATFORM=offscreen "$q" report "GOLDEN RIVER 7" --pdf report.pdf 2> "$tmp/err")
check report-status 0 $?
check report-message "quillon: 1 page written to report.pdf" "$(cat "$tmp/err")"
check report-pdf "%PDF" "$(head -c 4 "$tmp/report.pdf")"
QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/shots QUILLON_SCREENSHOT_QUIT=1 \
  timeout 60 "$q" show-form "$root/usr/share/quillon/examples/rich-letter.form" 2> /dev/null
check example-form yes "$(ls "$tmp/shots"/*.png > /dev/null 2>&1 && echo yes)"
check man-page yes "$(zcat "$root/usr/share/man/man1/quillon.1.gz" | grep -q '^\.SS report$' && echo yes)"
check completion yes "$(bash -c ". '$root/usr/share/bash-completion/completions/quillon'; COMP_WORDS=(quillon rep); COMP_CWORD=1; _quillon; echo \${COMPREPLY[*]}" | grep -qx report && echo yes)"
rm -rf "$root"
check removed no "$([ -e "$root" ] && echo yes || echo no)"

echo "$passes passed, $fails failed"
[ "$fails" -eq 0 ]
