#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Writes to standard output a form whose rich text takes long to lay out: 560 paragraphs of
# random words (a fifth of them bold, always the same words), flowing into 30 continuation
# panels of different widths, so that the text is laid out anew for each of them.
printf 'object F: TForm\n  ClientWidth = 700\n  ClientHeight = 900\n'
printf '  object Rich: TRichEditE\n    Left = 8\n    Top = 8\n    Width = 300\n'
printf '    Height = 20\n    TextFormat = rfHtml\n    Lines.Strings = (\n'
awk 'BEGIN { srand(7); for (l = 0; l < 560; l++) { s = "<p>"; for (w = 0; w < 300; w++) {
       n = 2 + int(rand() * 8); t = ""; for (k = 0; k < n; k++) t = t sprintf("%c", 97 + int(rand() * 26))
       s = s (w % 5 == 0 ? "<b>" t "</b>" : t) " " } print "      '"'"'" s "'"'"'" } }'
printf '      )\n  end\n'
for i in $(seq 30); do
  printf '  object Panel%d: TVexRichContinue\n    Left = 8\n    Top = %d\n    Width = %d\n' \
    "$i" $((8 + i * 25)) $((300 + i * 10))
  printf '    Height = 20\n    ParentRichEditE = Rich\n  end\n'
done
printf 'end\n'
