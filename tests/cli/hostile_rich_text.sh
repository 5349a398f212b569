#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Hostile rich text in a form's rich edit, printed and shown under a ceiling of address space:
# deep nesting, huge tables, huge text, absurd sizes, Markdown mark runs and pictures that are
# devices. Each one ends by itself with status 0, prints its page and says in one line what
# was flattened or cut; none is a signal.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

skip_without_qt print-form "$tmp/absent.form" --pdf "$tmp/x.pdf"

ceiling=$(memory_ceiling 307200)  # KB of address space for each run: 300 MB

# rich_form FILE FORMAT: a form whose rich edit holds standard input (one string per line).
rich_form() {
  {
    printf 'object F: TForm\n  ClientWidth = 400\n  ClientHeight = 300\n'
    printf '  object Rich: TRichEditE\n    Left = 8\n    Top = 8\n    Width = 380\n'
    printf '    Height = 280\n    TextFormat = %s\n    Lines.Strings = (\n' "$2"
    sed "s/'/''/g; s/^/      '/; s/\$/'/"
    printf '      )\n  end\nend\n'
  } >"$1"
}

# printed NAME: prints $tmp/NAME.form under the ceiling; "status pages", stderr in $tmp/NAME.err.
printed() {
  (ulimit -v $ceiling; exec "$q" print-form "$tmp/$1.form" --pdf "$tmp/$1.pdf") 2>"$tmp/$1.err"
  echo "$? $(pages "$tmp/$1.pdf")"
}
# said NAME: the notice about the rich text, without the program's name.
said() { grep -m1 '^quillon: Rich: rich text' "$tmp/$1.err" | sed 's/^quillon: //'; }
limits="Rich: rich text past the program's limits:"

rep() { local i; for ((i = 0; i < $2; i++)); do printf '%s' "$1"; done; }

# Tables inside tables: 20 deep (slow to lay out) and 3,000 deep (the layout's stack).
{ rep '<table border=1><tr><td>t' 20; echo; } | rich_form "$tmp/tables20.form" rfHtml
check "tables 20 deep" "0 1" "$(printed tables20)"
check "tables 20 deep notice" "$limits 16 tables inside more than 4 tables made plain lines" "$(said tables20)"
{ rep '<table><tr><td>' 3000; echo x; } | rich_form "$tmp/tables3000.form" rfHtml
check "tables 3000 deep" "0 1" "$(printed tables3000)"
check "tables 3000 deep notice" "$limits 2996 tables inside more than 4 tables made plain lines" "$(said tables3000)"

# 50,000 divs, 20,000 lists and 100,000 bold and italic, each nested.
{ rep '<div>' 50000; echo 'deep'; } | rich_form "$tmp/divs.form" rfHtml
check "divs" "0 1" "$(printed divs)"
check "divs notice" "$limits 49968 tags nested deeper than 32 levels left out" "$(said divs)"
{ rep '<ul><li>' 20000; echo 'deep'; } | rich_form "$tmp/lists.form" rfHtml
check "lists" "0 1" "$(printed lists)"
check "lists notice" "$limits 19984 tags nested deeper than 32 levels left out" "$(said lists)"
{ rep '<b><i>' 50000; echo 'deep'; } | rich_form "$tmp/bold.form" rfHtml
check "bold and italic" "0 1" "$(printed bold)"
check "bold and italic notice" "$limits 99968 tags nested deeper than 32 levels left out" "$(said bold)"

# Sizes no page holds.
cat <<'EOF' | rich_form "$tmp/sizes.form" rfHtml
<style>p { font-size: 99999999pt; line-height: 1e9 }</style><p style="margin-left:-90000000px; text-indent:1e12px">big</p>
<table cellpadding=900000000 width=1e10><tr><td colspan=99999999 rowspan=99999999>cell</td></tr></table><img src="x.png" width=99999999 height=99999999>
EOF
check "sizes" "0 1" "$(printed sizes)"
check "sizes notice" "$limits 8 sizes held to 2000; 2 cell spans held to 100" "$(said sizes)"

# A table of 2,000 rows of 200 cells, a row a line: cut after its first 20,000 cells.
row="<tr>$(rep '<td>c' 200)"
{ echo '<table>'; for ((i = 0; i < 2000; i++)); do echo "$row"; done; echo '</table>'; } | rich_form "$tmp/cells.form" rfHtml
check "cells" "0 1" "$(printed cells)"
check "cells notice" "$limits cut after 20000 table cells" "$(said cells)"

# 15 MB of text in 7,500 lines (the form file stays under its own limit).
line=$(rep 'lorem ipsum dolor sit amet ' 74)
for ((i = 0; i < 7500; i++)); do echo "$line"; done | rich_form "$tmp/text.form" rfPlainText
check "15 MB of text" "0 1" "$(printed text)"
check "15 MB of text notice" "$limits cut after 1000000 characters" "$(said text)"
check "15 MB of text left over" 1 "$(grep -c '^quillon: Rich: [0-9]* characters did not fit' "$tmp/text.err")"

# Markdown: quotes nested by their marks.
{ rep '>' 20000; echo ' quoted'; } | rich_form "$tmp/marks.form" rfMarkdown
check "markdown quotes" "0 1" "$(printed marks)"
check "markdown quotes notice" "$limits 1 lines of more than 64 quote and list marks flattened" "$(said marks)"

# Markdown: a paragraph of 24,000 emphasis marks (read mark by mark, each piece laid out
# anew), shown and printed.
{ rep '*a_' 12000; echo; } | rich_form "$tmp/emphasis.form" rfMarkdown
check "markdown emphasis" "0 1" "$(printed emphasis)"
check "markdown emphasis notice" "$limits 22000 emphasis, code and link marks past 2000 in a paragraph taken as text" "$(said emphasis)"
(ulimit -v $ceiling; QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/shots QUILLON_SCREENSHOT_QUIT=1 \
  exec "$q" show-form "$tmp/emphasis.form") 2>"$tmp/emphasis-shown.err"
check "markdown emphasis shown" 0 $?
check "markdown emphasis shown notice" 1 "$(grep -c '^quillon: Rich: rich text past the program.s limits: 22000 emphasis' "$tmp/emphasis-shown.err")"

# 300 paragraphs of 1,200 marks each, within the limit: emphasis kept, no notice.
{ for ((i = 0; i < 300; i++)); do rep '**a** _b_ ' 300; printf '\n\n'; done; } | rich_form "$tmp/paragraphs.form" rfMarkdown
check "markdown paragraphs" "0 1" "$(printed paragraphs)"
check "markdown paragraphs no notice" "" "$(said paragraphs)"

# Pictures that are a device and a file past the pixel budget: left out, said, and the text
# around them printed.
printf 'P4\n20000 20000\n' >"$tmp/huge.pbm"
echo "<p>before <img src=\"/dev/zero\"> <img src=\"/dev/urandom\"> <img src=\"$tmp/huge.pbm\"> after</p>" |
  rich_form "$tmp/pictures.form" rfHtml
check "pictures" "0 1" "$(printed pictures)"
check "picture /dev/zero" 1 "$(grep -cx "quillon: rich text image /dev/zero: not a regular file; it is left out" "$tmp/pictures.err")"
check "picture /dev/urandom" 1 "$(grep -cx "quillon: rich text image /dev/urandom: not a regular file; it is left out" "$tmp/pictures.err")"
check "picture too many pixels" 1 "$(grep -cx "quillon: rich text image $tmp/huge.pbm: 20000 x 20000 pixels, more than 16 M; it is left out" "$tmp/pictures.err")"
check "pictures text" "before after" "$(pdftotext -raw "$tmp/pictures.pdf" - | grep -oE '[a-z]+' | tr '\n' ' ' | sed 's/ $//')"

# On screen: the deepest tables shown in a window (saved and closed by the screenshot hook).
(ulimit -v $ceiling; QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/shots QUILLON_SCREENSHOT_QUIT=1 \
  exec "$q" show-form "$tmp/tables3000.form") 2>"$tmp/shown.err"
check "shown status" 0 $?
check "shown notice" "$limits 2996 tables inside more than 4 tables made plain lines" "$(said shown)"
check "shown window" 400x300 "$(png_size "$tmp/shots/F.png")"

finish
