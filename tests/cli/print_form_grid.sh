#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# End-to-end check of a form with a data grid on an SQLite table printed by `quillon
# print-form` to PDF: the table goes on page by page, every row is printed exactly once, and
# the totals boxes show the page total and the running total of the money column.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

skip_without_qt print-form "$tmp/absent.form"

python3 - "$tmp/members.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("CREATE TABLE members (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), FEE MONEY)")
db.executemany("INSERT INTO members VALUES (?, ?, ?)",
               [(i, "KEY%dZ" % i, i * 1.5) for i in range(1, 301)])
db.commit()
PY

cat >"$tmp/members.form" <<'EOF2'
object MembersFrm: TForm
  ClientHeight = 900
  ClientWidth = 650
  Color = clWhite
  object Members: TTable
    DatabaseName = 'members.db'
    TableName = 'members'
    Active = True
  end
  object Src: TDataSource
    DataSet = Members
  end
  object Grid: TDBGrid
    Left = 10
    Top = 40
    Width = 600
    Height = 700
    DataSource = Src
  end
  object PageSum: TShowTotal
    Left = 400
    Top = 760
    Width = 200
    SourceGrid = Grid
    SourceField = 'fee'
    Text = 'PAGE'
  end
  object AllSum: TShowTotal
    Left = 400
    Top = 800
    Width = 200
    SourceGrid = Grid
    SourceField = 'FEE'
    TotalType = tAccTotal
  end
end
EOF2

QT_QPA_PLATFORM=offscreen timeout 120 "$q" print-form "$tmp/members.form" --pdf "$tmp/out.pdf" \
  >"$tmp/out" 2>"$tmp/err"
check "status" 0 "$?"
check "said" "quillon: 8 pages written to $tmp/out.pdf" "$(cat "$tmp/err")"
n=$(pages "$tmp/out.pdf")
check "pages" 8 "$n"
pdftotext "$tmp/out.pdf" "$tmp/out.txt"
check "every key once" 300 "$(grep -o 'KEY[0-9]*Z' "$tmp/out.txt" | sort -u | wc -l)"
check "no key twice" "" "$(grep -o 'KEY[0-9]*Z' "$tmp/out.txt" | sort | uniq -d)"
# Each page: its own rows' sum, then the sum of all rows so far (the last one: all 300).
last=$(pdftotext -f "$n" -l "$n" "$tmp/out.pdf" - | tr -d '\f' | grep -v '^$' | tail -n 1)
check "running total on the last page" "67,725.00" "$last"
first=$(pdftotext -f 1 -l 1 "$tmp/out.pdf" - | grep -o 'KEY[0-9]*Z' | sed 's/KEY\([0-9]*\)Z/\1/' | sort -n | tail -n 1)
want=$(python3 -c "print('{:,.2f}'.format(sum(i * 1.5 for i in range(1, $first + 1))))")
check "page total on page 1" "$want" "$(pdftotext -f 1 -l 1 "$tmp/out.pdf" - | tr -d '\f' | grep -v '^$' | tail -n 2 | head -n 1)"
# The message counts the pages the PDF received, not the pages of the job.
QT_QPA_PLATFORM=offscreen timeout 120 "$q" print-form "$tmp/members.form" --pdf "$tmp/some.pdf" \
  --pages 2-4 >"$tmp/out" 2>"$tmp/err"
check "chosen pages said" "quillon: 3 pages written to $tmp/some.pdf" "$(cat "$tmp/err")"
check "chosen pages written" 3 "$(pages "$tmp/some.pdf")"
QT_QPA_PLATFORM=offscreen timeout 120 "$q" print-form "$tmp/members.form" --pdf "$tmp/odd.pdf" \
  --odd >"$tmp/out" 2>"$tmp/err"
check "odd pages said" "quillon: 4 pages written to $tmp/odd.pdf" "$(cat "$tmp/err")"
check "odd pages written" 4 "$(pages "$tmp/odd.pdf")"
finish
