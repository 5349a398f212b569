#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end checks of rich text printed from a form: the example letter's text begins in its
# rich edit and flows on into two continuation panels, every word printed once and in order as
# real text in its fonts; text left over after the last panel is told on standard error; bad
# links between panels and rich edits are refused with the form file's line.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
examples=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../examples" && pwd)
letter=$examples/rich-letter.form

skip_without_qt print-form "$letter" --pdf "$tmp/x.pdf"

# The words of the letter as written in the form file (tags and quotes gone), one per line.
form_words() {
  sed -n '/Lines.Strings = (/,/)$/p' "$1" | sed -e 's/<[^>]*>/ /g' | grep -oE '[A-Za-z]+' |
    grep -vx -e Lines -e Strings
}

"$q" print-form "$letter" --pdf "$tmp/letter.pdf" 2>"$tmp/err"
check "letter status" 0 $?
check "letter says" "quillon: 1 page written to $tmp/letter.pdf" "$(cat "$tmp/err")"
check "letter pages" 1 "$(pages "$tmp/letter.pdf")"
form_words "$letter" >"$tmp/want"
pdftotext -raw "$tmp/letter.pdf" - | grep -oE '[A-Za-z]+' >"$tmp/got"
check "letter word count" "$(wc -l <"$tmp/want")" "$(wc -l <"$tmp/got")"
check "every word once, in order" "" "$(diff "$tmp/want" "$tmp/got" | head -5)"
check "letter has words" 1 "$([ "$(wc -l <"$tmp/want")" -gt 400 ] && echo 1)"

# The first words in the rich edit's rectangle at the top, the last ones in the right-hand
# panel: below the edit and right of the page's middle.
pdftotext -bbox "$tmp/letter.pdf" "$tmp/boxes.html"
word_box() { grep -m1 ">$1<" "$tmp/boxes.html" | sed -E 's/.*xMin="([0-9.]+)" yMin="([0-9.]+)".*/\1 \2/'; }
read -r x1 y1 <<<"$(word_box Dear)"
read -r x2 y2 <<<"$(word_box makers)"
check "first words at the top" 1 "$(awk -v y="$y1" 'BEGIN { print (y < 200) ? 1 : 0 }')"
check "last words in the right column" 1 \
  "$(awk -v x="$x2" -v y="$y2" 'BEGIN { print (x > 300 && y > 280) ? 1 : 0 }')"

# Headings bold, the aside italic, the signature bold italic, the body plain: the fonts the
# text is in, embedded (the page's header and footer bring their own sans serif).
fonts=$(pdffonts "$tmp/letter.pdf" | awk 'NR > 2 && $1 ~ /Serif/ && / yes / { print $1 }' | sort -u | tr '\n' ' ')
check "letter fonts" "LiberationSerif LiberationSerif-Bold LiberationSerif-BoldItalic LiberationSerif-Italic " "$fonts"

# Panels too small for the rest: the page is printed, and what did not fit is told.
sed -e 's/    Height = 620/    Height = 60/' "$letter" >"$tmp/short.form"
"$q" print-form "$tmp/short.form" --pdf "$tmp/short.pdf" 2>"$tmp/err"
check "short status" 0 $?
check "short notice" 1 "$(grep -cE '^quillon: RichEdit1: [0-9]+ characters did not fit into its rectangle or its continuation panels and were not printed$' "$tmp/err")"
check "short pages" 1 "$(pages "$tmp/short.pdf")"
printed=$(pdftotext -raw "$tmp/short.pdf" - | grep -oE '[A-Za-z]+' | wc -l)
check "short prints the start" 1 "$([ "$printed" -gt 20 ] && [ "$printed" -lt 300 ] && echo 1)"

# A panel naming a rich edit of another form, or a control that is no printing rich edit.
sed -e 's/ParentRichEditE = RichEdit1/ParentRichEditE = Other.RichEdit1/' "$letter" >"$tmp/foreign.form"
"$q" print-form "$tmp/foreign.form" --pdf "$tmp/foreign.pdf" 2>"$tmp/err"
check "foreign status" 1 $?
line=$(grep -n 'Other.RichEdit1' "$tmp/foreign.form" | head -1 | cut -d: -f1)
check "foreign message" "quillon: print-form: $tmp/foreign.form:$line: unknown component 'Other.RichEdit1' for 'ParentRichEditE'" "$(head -1 "$tmp/err")"
check "foreign writes nothing" 0 "$([ -e "$tmp/foreign.pdf" ] && echo 1 || echo 0)"

# A panel that names no rich edit and one whose rectangle lies off the page print no text of
# their own; a rich edit with invalid UTF-8 and HTML that does not parse still prints.
cat >"$tmp/odd.form" <<'EOF2'
object Odd: TForm
  ClientWidth = 400
  ClientHeight = 300
  object RichEdit1: TRichEditE
    Left = 10
    Top = 10
    Width = 380
    Height = 100
    TextFormat = rfHtml
    Lines.Strings = (
      '<p>broken <b>markup <i>never closed <table><tr><td>cell'
      '<img src="missing.png"> after the picture')
  end
  object Lonely: TVexRichContinue
    Left = 10
    Top = 120
    Width = 380
    Height = 50
    Caption = 'unused'
  end
  object Away: TVexRichContinue
    Left = 5000
    Top = 5000
    Width = 100
    Height = 100
    ParentRichEditE = RichEdit1
  end
end
EOF2
"$q" print-form "$tmp/odd.form" --pdf "$tmp/odd.pdf" 2>"$tmp/err"
check "odd status" 0 $?
check "odd text" "broken markup never closed cell after the picture" \
  "$(pdftotext -raw "$tmp/odd.pdf" - | grep -oE '[A-Za-z]+' | tr '\n' ' ' | sed 's/ $//')"

finish
