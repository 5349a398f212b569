#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The files the program writes for the user (PDF, PNG, EMF pages) when something is in the way:
# a link in the output's place is replaced, never written through; a failure (a full disk)
# leaves the previous good file and no temporary file. And files it reads that are FIFOs.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data" && pwd)
export QT_QPA_PLATFORM=offscreen
printf 'Alpha\n\fBravo\n\fCharlie\n' > "$tmp/job.txt"
skip_without_qt print-text --pdf "$tmp/skip.pdf" "$tmp/job.txt"
rm -f "$tmp/skip.pdf"

kind() { if [ -L "$1" ]; then echo link; elif [ -f "$1" ]; then echo file; else echo other; fi; }
# Runs a command with a guard: a hang shows as status 124 instead of holding the suite up.
guarded() { timeout 20 "$@"; }

# --- Outputs: a link in the output's place ----------------------------------------------------
mkdir "$tmp/out"
printf 'precious\n' > "$tmp/victim"
ln -s "$tmp/victim" "$tmp/out/job.pdf"
"$q" print-text --pdf "$tmp/out/job.pdf" "$tmp/job.txt" 2> "$tmp/err"
check pdf-link-status 0 $?
check pdf-link-target-kept precious "$(cat "$tmp/victim")"
check pdf-link-replaced file "$(kind "$tmp/out/job.pdf")"
check pdf-link-pages 3 "$(pages "$tmp/out/job.pdf")"
check pdf-link-no-stray "job.pdf " "$(listing "$tmp/out")"

page=$(ls "$data"/render_page/*.emf 2>/dev/null | head -n 1)
if [ -n "$page" ]; then
  ln -s "$tmp/victim" "$tmp/out/page.png"
  "$q" render-page "$page" --png "$tmp/out/page.png" 2> "$tmp/err"
  check png-link-status 0 $?
  check png-link-target-kept precious "$(cat "$tmp/victim")"
  check png-link-replaced file "$(kind "$tmp/out/page.png")"
  check png-link-signature PNG "$(head -c 4 "$tmp/out/page.png" | tail -c 3)"
fi

# --- Outputs on a full disk: the previous file stays, nothing half-written ---------------------
if ramdisk "$tmp/full" 256k; then
  printf 'good old pdf\n' > "$tmp/full/job.pdf"
  head -c 240k /dev/zero > "$tmp/full/filler" 2>/dev/null
  seq 1 3000 > "$tmp/long.txt"
  "$q" print-text --pdf "$tmp/full/job.pdf" "$tmp/long.txt" 2> "$tmp/err"
  check full-pdf-status 1 $?
  check full-pdf-err yes "$(grep -qx "quillon: print-text: cannot write '$tmp/full/job.pdf': .*" "$tmp/err" && echo yes || cat "$tmp/err")"
  check full-pdf-kept "good old pdf" "$(cat "$tmp/full/job.pdf")"
  check full-pdf-no-stray "filler job.pdf " "$(listing "$tmp/full")"
  # --emf is all or nothing: the pages that fitted are removed again.
  mkdir "$tmp/full/emf"
  "$q" print-text --emf "$tmp/full/emf" "$tmp/long.txt" 2> "$tmp/err"
  check full-emf-status 1 $?
  check full-emf-err yes "$(grep -qx "quillon: print-text: $tmp/full/emf/long-[0-9]*.emf: No space left on device" "$tmp/err" && echo yes || cat "$tmp/err")"
  check full-emf-none "" "$(listing "$tmp/full/emf")"
else
  echo "skipped: full disks (no RAM disk can be mounted here)"
fi

# --- Files read that are FIFOs or broken -------------------------------------------------------------------
mkfifo "$tmp/fifo.form"
guarded "$q" print-form --pdf "$tmp/out/form.pdf" "$tmp/fifo.form" 2> "$tmp/err"
check form-fifo-status 1 $?
check form-fifo-err "quillon: print-form: $tmp/fifo.form:1: cannot read the file: $tmp/fifo.form: not a regular file" "$(cat "$tmp/err")"
check form-fifo-no-output no "$([ -e "$tmp/out/form.pdf" ] && echo yes || echo no)"

mkfifo "$tmp/fifo.png"
cat > "$tmp/picture.form" <<EOF
object Pic: TForm
  ClientWidth = 400
  ClientHeight = 200
  object RichEdit1: TRichEditE
    Left = 10
    Top = 10
    Width = 380
    Height = 100
    TextFormat = rfHtml
    Lines.Strings = (
      '<p>before <img src="$tmp/fifo.png"> after</p>')
  end
end
EOF
guarded "$q" print-form --pdf "$tmp/out/pic.pdf" "$tmp/picture.form" 2> "$tmp/err"
check image-fifo-status 0 $?
check image-fifo-err "quillon: rich text image $tmp/fifo.png: not a regular file; it is left out" "$(head -n 1 "$tmp/err")"
check image-fifo-text "before after" "$(pdftotext -raw "$tmp/out/pic.pdf" - | grep -oE 'before|after' | tr '\n' ' ' | sed 's/ $//')"

# A broken PNG in a form: one line in our words, not the image library's first.
python3 - "$tmp/broken.form" <<'EOF'
import struct, sys, zlib
def chunk(kind, data, crc=None):
    crc = struct.pack('>I', zlib.crc32(kind + data)) if crc is None else crc
    return struct.pack('>I', len(data)) + kind + data + crc
rows = b''.join(b'\x00' + b'\xff' * 12 for _ in range(4))
png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 4, 4, 8, 2, 0, 0, 0)) +
       chunk(b'IDAT', zlib.compress(rows)[:-3], b'\0\0\0\0') + chunk(b'IEND', b''))
open(sys.argv[1], 'w').write("""object Pic: TForm
  ClientWidth = 200
  ClientHeight = 100
  object Image1: TImage
    Left = 10
    Top = 10
    Width = 50
    Height = 50
    Picture.Data = {%s}
  end
end
""" % png.hex().upper())
EOF
"$q" print-form --pdf "$tmp/out/broken.pdf" "$tmp/broken.form" 2> "$tmp/err"
check broken-png-status 1 $?
check broken-png-err "quillon: print-form: $tmp/broken.form:9: cannot set 'Picture.Data': not an image: Unable to read image data" "$(cat "$tmp/err")"
check broken-png-no-output no "$([ -e "$tmp/out/broken.pdf" ] && echo yes || echo no)"

finish
