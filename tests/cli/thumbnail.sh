#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The thumbnailer as a file manager runs it: the command line of the installed .thumbnailer
# file with %i, %o and %s replaced, without a display. A page gives a PNG fitted to the size;
# a hostile file gives no file and status 1; usage errors are status 2.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
data=$root/tests/data
skip_without_qt thumbnail "$data/render_page/page.emf" "$tmp/x.png" 128

# The Exec line with the placeholders replaced, and quillon run as the file names it.
thumbnail() {  # thumbnail INPUT OUTPUT SIZE: status; stderr in $tmp/err
  local exec
  exec=$(sed -n 's/^Exec=//p' "$root/packaging/quillon.thumbnailer")
  exec=${exec//%i/\'$1\'}; exec=${exec//%o/\'$2\'}; exec=${exec//%s/$3}
  exec=${exec/#quillon /\'$q\' }
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 bash -c "$exec" 2> "$tmp/err"
  echo $?
}

check exec-line "quillon thumbnail %i %o %s" "$(sed -n 's/^Exec=//p' "$root/packaging/quillon.thumbnailer")"
check mime-types "image/emf;image/x-emf;" "$(sed -n 's/^MimeType=//p' "$root/packaging/quillon.thumbnailer")"

# A page: the longer side is the size asked for; the other keeps the page's proportions.
check page-status 0 "$(thumbnail "$data/render_page/page.emf" "$tmp/page.png" 128)"
check page-stderr "" "$(cat "$tmp/err")"
check page-type "PNG" "$(head -c 4 "$tmp/page.png" | tail -c 3)"
size=$(png_size "$tmp/page.png")
w=${size%x*} h=${size#*x}
check page-longer-side 128 "$((w > h ? w : h))"
"$q" render-page "$data/render_page/page.emf" --png "$tmp/full.png" --scale 1 2>/dev/null
full=$(png_size "$tmp/full.png"); fw=${full%x*} fh=${full#*x}
# Same proportions as the page itself, to a pixel.
check page-proportions 1 "$(( (w * fh - h * fw) * (w * fh - h * fw) <= (fw > fh ? fw : fh) ** 2 ? 1 : 0 ))"
check page-mode "600" "$(stat -c %a "$tmp/page.png")"
check page-no-temporaries "page.png" "$(cd "$tmp" && ls -A | grep -v -e '^err$' -e '^full.png$' -e '^x.png$' | tr '\n' ' ' | sed 's/ $//')"
check page-large 256 "$(thumbnail "$data/render_page/page.emf" "$tmp/large.png" 256 >/dev/null; s=$(png_size "$tmp/large.png"); w=${s%x*}; h=${s#*x}; echo $((w > h ? w : h)))"

# A file made by another program.
check foreign-status 0 "$(thumbnail "$data/render_page/foreign.emf" "$tmp/foreign.png" 64)"

# Hostile files: no thumbnail, status 1, one line; a thumbnail already there is kept.
for f in "$data"/emf/malformed/*.emf; do
  n=$(basename "$f" .emf)
  check "$n-status" 1 "$(thumbnail "$f" "$tmp/bad.png" 128)"
  check "$n-no-file" no "$([ -e "$tmp/bad.png" ] && echo yes || echo no)"
  check "$n-one-line" 1 "$(wc -l < "$tmp/err")"
done
printf 'kept' > "$tmp/old.png"
check old-status 1 "$(thumbnail "$data/emf/malformed/record_size_zero.emf" "$tmp/old.png" 128)"
check old-kept kept "$(cat "$tmp/old.png")"
check not-a-file 1 "$(thumbnail "$tmp" "$tmp/dir.png" 128)"
head -c $((33 << 20)) /dev/zero > "$tmp/huge.emf"
check huge-status 1 "$(thumbnail "$tmp/huge.emf" "$tmp/huge.png" 128)"
check huge-message "quillon: $tmp/huge.emf: too large for a thumbnail" "$(cat "$tmp/err")"

# Usage errors.
for size in 0 2049 12x ""; do
  "$q" thumbnail "$data/render_page/page.emf" "$tmp/u.png" $size > /dev/null 2> "$tmp/err"
  check "size-'$size'-status" 2 $?
done
check size-message "quillon: SIZE must be a whole number from 1 to 2048, not '0'" \
  "$("$q" thumbnail "$data/render_page/page.emf" "$tmp/u.png" 0 2>&1 | head -n 1)"

finish
