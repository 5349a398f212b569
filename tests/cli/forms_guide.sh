#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Every example form of docs/forms.md prints to PDF as the guide shows it: one page, the texts
# its "expect" line names, none of those its "absent" line names.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"
guide="$(dirname "${BASH_SOURCE[0]}")/../../docs/forms.md"

skip_without_qt print-form "$tmp/absent.form"

# The database of the grid example, as the guide gives it.
python3 - "$tmp/shop.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("CREATE TABLE items (ID INTEGER PRIMARY KEY, NAME TEXT, PRICE MONEY, NOTE TEXT)")
db.execute("INSERT INTO items VALUES (1, 'Quill', 2.5, 'grey'), (2, 'Ink', 4.25, 'black'), "
           "(3, 'Paper', 7, 'cream')")
db.commit()
PY

# Splits the guide into example-N.form, example-N.expect and example-N.absent.
python3 - "$guide" "$tmp" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
blocks = re.findall(r"<!-- expect: (.*?) -->\n(?:<!-- absent: (.*?) -->\n)?```form\n(.*?)```", text, re.S)
for i, (expect, absent, form) in enumerate(blocks, 1):
    open(f"{sys.argv[2]}/example-{i}.form", "w").write(form)
    open(f"{sys.argv[2]}/example-{i}.expect", "w").write("\n".join(w.strip() for w in expect.split("|")))
    open(f"{sys.argv[2]}/example-{i}.absent", "w").write("\n".join(w.strip() for w in absent.split("|") if w.strip()))
print(len(blocks))
PY
count=$(ls "$tmp"/example-*.form | wc -l)
check "examples found" 5 "$count"

for f in "$tmp"/example-*.form; do
  n=$(basename "$f" .form)
  QT_QPA_PLATFORM=offscreen timeout 120 "$q" print-form "$f" --pdf "$tmp/$n.pdf" >"$tmp/out" 2>"$tmp/err"
  check "$n status" 0 "$?"
  check "$n said" "quillon: 1 page written to $tmp/$n.pdf" "$(cat "$tmp/err")"
  text=$(pdftotext "$tmp/$n.pdf" - | tr '\n' ' ' | tr -s ' ')
  while IFS= read -r word; do
    [ -n "$word" ] || continue
    check "$n shows '$word'" "yes" "$(grep -qF -- "$word" <<<"$text" && echo yes)"
  done <"$tmp/$n.expect"
  while IFS= read -r word; do
    [ -n "$word" ] || continue
    check "$n leaves out '$word'" "no" "$(grep -qF -- "$word" <<<"$text" && echo yes || echo no)"
  done <"$tmp/$n.absent"
done
finish
