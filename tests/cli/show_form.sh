#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end checks of `quillon show-form`: a form file opens in a window of its client size
# (saved through the screenshot hook, which also ends the program), a control file is shown
# inside a form, and bad files fail with "file:line: reason" and exit status 1.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
data=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data/forms" && pwd)

skip_without_qt show-form "$tmp/absent.form"

show() {  # show FILE: runs show-form until its window is saved; status, then stderr in $tmp/err
  QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/shots QUILLON_SCREENSHOT_QUIT=1 \
    timeout 60 "$q" show-form "$1" 2>"$tmp/err"
  echo $?
}

# Every kind of control in one form.
check "sample status" 0 "$(show "$data/show/sample.form")"
check "sample stderr" "" "$(cat "$tmp/err")"
check "sample window" 560x360 "$(png_size "$tmp/shots/SampleFrm.png")"

# The desktop's scale factor: the form keeps its layout and is drawn at device pixels; a
# factor out of range is refused with a word and the form drawn at 1.
QT_SCALE_FACTOR=2 QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/scaled \
  QUILLON_SCREENSHOT_QUIT=1 timeout 60 "$q" show-form "$data/show/sample.form" 2>/dev/null
check "scaled window" 1120x720 "$(png_size "$tmp/scaled/SampleFrm.png")"
QT_SCALE_FACTOR=0 QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/zero \
  QUILLON_SCREENSHOT_QUIT=1 timeout 60 "$q" show-form "$data/show/sample.form" 2>"$tmp/err"
check "zero scale window" 560x360 "$(png_size "$tmp/zero/SampleFrm.png")"
check "zero scale message" "quillon: QT_SCALE_FACTOR '0' is not a scale from 1 to 8; using 1" \
  "$(cat "$tmp/err")"

# A file whose root is a single control: shown in a form that fits it.
cat >"$tmp/panel.form" <<'EOF'
object Panel9: TPanel
  Left = 10
  Top = 20
  Width = 100
  Height = 50
  Caption = 'alone'
end
EOF
check "panel status" 0 "$(show "$tmp/panel.form")"
check "panel window" 118x78 "$(png_size "$tmp/shots/Panel9Frm.png")"

# Bad files.
cat >"$tmp/unknown.form" <<'EOF'
object F: TForm
  Caption = 'x'
  object B: TNoSuchControl
  end
end
EOF
check "unknown class status" 1 "$(show "$tmp/unknown.form")"
check "unknown class message" "$tmp/unknown.form:3: unknown class 'TNoSuchControl'" "$(cat "$tmp/err")"

printf "object F: TForm\n  Caption = 'never closed\nend\n" >"$tmp/string.form"
check "unterminated status" 1 "$(show "$tmp/string.form")"
check "unterminated message" "$tmp/string.form:2: unterminated string" "$(cat "$tmp/err")"

printf "object F: TForm\n  object E: TEdit\n    Left = 1\nend\n" >"$tmp/missing.form"
check "missing end status" 1 "$(show "$tmp/missing.form")"
check "missing end message" "$tmp/missing.form:5: 'end' expected for object 'F' begun on line 1" "$(cat "$tmp/err")"

check "no file status" 1 "$(show "$tmp/absent.form")"
check "no file message" "yes" "$(grep -q "^$tmp/absent.form:1: cannot read the file" "$tmp/err" && echo yes)"

QT_QPA_PLATFORM=offscreen "$q" show-form 2>"$tmp/err"
check "no argument status" 2 "$?"
check "no argument message" "quillon: no form file given" "$(head -n 1 "$tmp/err")"
check "no argument usage" "Usage: quillon show-form FILE" "$(sed -n 2p "$tmp/err")"
QT_QPA_PLATFORM=offscreen "$q" show-form a.form b.form 2>"$tmp/err"
check "two files status" 2 "$?"
check "two files message" "quillon: show-form takes one form file, not 2" "$(head -n 1 "$tmp/err")"

finish
