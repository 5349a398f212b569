#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The temporary folder that holds a job's pages, when it fails the job: missing, a file,
# read-only, or a small file system that fills up. Each case: status 1, one line saying why,
# no output written, no page or temporary file left behind. The small file systems are
# RAM disks mounted by the test (root only; skipped otherwise) and unmounted at its end.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
export QT_QPA_PLATFORM=offscreen
printf 'x\n' > "$tmp/x.txt"
skip_without_qt print-text --pdf "$tmp/skip.pdf" "$tmp/x.txt"


printf 'ANNA\n' > "$tmp/names"
cat > "$tmp/tiny.form" <<'EOF'
object Tiny: TForm
  ClientWidth = 200
  ClientHeight = 100
  object Label1: TLabel
    Left = 10
    Top = 10
    Caption = 'Tiny form'
  end
end
EOF

# --- A folder that is not there, or is a file: every printing command says so --------------
mkdir "$tmp/out"
for cmd in print-text report print-form; do
  case $cmd in
    print-text) args=("$tmp/x.txt") ;;
    report) args=(ANNA) ;;
    print-form) args=("$tmp/tiny.form") ;;
  esac
  TMPDIR="$tmp/missing" "$q" $cmd --pdf "$tmp/out/$cmd.pdf" "${args[@]}" 2> "$tmp/err"
  check "$cmd-missing-status" 1 $?
  check "$cmd-missing-err" "quillon: $cmd: Page 1 could not be stored: cannot create a directory in $tmp/missing: No such file or directory" "$(cat "$tmp/err")"
done
check missing-no-output "" "$(listing "$tmp/out")"

printf 'file\n' > "$tmp/afile"
TMPDIR="$tmp/afile" "$q" print-text --pdf "$tmp/out/a.pdf" "$tmp/x.txt" 2> "$tmp/err"
check file-status 1 $?
check file-err "quillon: print-text: Page 1 could not be stored: cannot create a directory in $tmp/afile: Not a directory" "$(cat "$tmp/err")"
check file-no-output "" "$(listing "$tmp/out")"

# --- Read-only, and full --------------------------------------------------------------------
if ramdisk "$tmp/ro" 1m ro; then
  TMPDIR="$tmp/ro" "$q" print-text --pdf "$tmp/out/ro.pdf" "$tmp/x.txt" 2> "$tmp/err"
  check ro-status 1 $?
  check ro-err "quillon: print-text: Page 1 could not be stored: cannot create a directory in $tmp/ro: Read-only file system" "$(cat "$tmp/err")"
  check ro-no-output "" "$(listing "$tmp/out")"
else
  echo "skipped: read-only and full folders (no RAM disk can be mounted here)"
fi

# 2,001 pages of a few kilobytes each do not fit on 4 MB: the job stops while a twentieth of
# the disk is still free, says so once, removes its pages and writes no PDF.
if ramdisk "$tmp/small" 4m; then
  head -c 2000 /dev/zero | tr '\0' '\f' > "$tmp/feeds.txt"
  TMPDIR="$tmp/small" "$q" print-text --pdf "$tmp/out/big.pdf" "$tmp/feeds.txt" 2> "$tmp/err"
  check full-status 1 $?
  check full-one-line 1 "$(wc -l < "$tmp/err")"
  check full-err yes "$(grep -qE "^quillon: print-text: Page [0-9]+ could not be stored: only [0-9]+ MB free in $tmp/small/quillon-[A-Za-z0-9]{6}: the job stops before the disk is full$" "$tmp/err" && echo yes || cat "$tmp/err")"
  check full-no-output "" "$(listing "$tmp/out")"
  check full-pages-removed "" "$(listing "$tmp/small")"
  # The same job with room enough prints every page.
  head -c 20 /dev/zero | tr '\0' '\f' > "$tmp/few.txt"
  TMPDIR="$tmp/small" "$q" print-text --pdf "$tmp/out/few.pdf" "$tmp/few.txt" 2> "$tmp/err"
  check few-status 0 $?
  check few-pages 21 "$(pages "$tmp/out/few.pdf")"
  check few-left "" "$(listing "$tmp/small")"
  rm -f "$tmp/out/few.pdf"
fi

# --- Without a runtime folder nothing is left in the temporary folder -----------------------
mkdir "$tmp/t"
env -u XDG_RUNTIME_DIR TMPDIR="$tmp/t" "$q" print-text --pdf "$tmp/out/rt.pdf" "$tmp/x.txt" 2> "$tmp/err"
check runtime-status 0 $?
check runtime-err "" "$(cat "$tmp/err")"
check runtime-left "" "$(listing "$tmp/t")"
env -u XDG_RUNTIME_DIR TMPDIR="$tmp/t" "$q" printers > /dev/null 2>&1
check runtime-printers-left "" "$(listing "$tmp/t")"

finish
