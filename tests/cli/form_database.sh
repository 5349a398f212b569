#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# A form's database and query, each way they can go wrong, through `quillon print-form` and
# `quillon show-form`: the command refuses with the form's file and line and one reason, exits
# 1, writes no PDF, and leaves every database as it was (same bytes, same time, no -wal, -shm
# or -journal file beside it). Bad databases and queries of every kind are made here, with
# SQLite itself.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

skip_without_qt print-form "$tmp/absent.form"

python3 - "$tmp" <<'PY'
import os, sqlite3, sys
d = sys.argv[1]
def make(name, wal=False, rows=40):
    db = sqlite3.connect(os.path.join(d, name))
    if wal:
        db.execute("PRAGMA journal_mode=WAL")
    db.execute("CREATE TABLE members (ID INTEGER PRIMARY KEY, NAME TEXT, NOTE TEXT)")
    db.executemany("INSERT INTO members VALUES (?, ?, ?)",
                   [(i, "KEY%dZ" % i, "n" * 300) for i in range(1, rows + 1)])
    db.execute('CREATE TABLE "odd ""quoted"" name" (ID INTEGER, NAME TEXT)')
    db.execute('INSERT INTO "odd ""quoted"" name" VALUES (1, \'QUOTEDROW\')')
    db.commit()
    db.close()
make("members.db")
make("wal.db", wal=True)
make("big.db", rows=2000)
data = open(os.path.join(d, "big.db"), "rb").read()
# Cut short in the middle of its pages, and with its second page overwritten.
open(os.path.join(d, "truncated.db"), "wb").write(data[:4096 * 3 + 100])
bad = bytearray(data)
bad[4096:8192] = b"\xa5" * 4096
open(os.path.join(d, "corrupt.db"), "wb").write(bytes(bad))
open(os.path.join(d, "text.db"), "w").write("ID,NAME\n1,Abel\n" * 100)
PY
: >"$tmp/out"
: >"$tmp/err"
mkdir "$tmp/dir.db"
mkfifo "$tmp/pipe.db"

# form KIND DATABASE TEXT [EXTRA]: a form whose dataset (at line 5) is a table named TEXT or a
# query of TEXT, shown in a grid; EXTRA goes inside the form after the grid (line 20 on).
form() {
  local kind=$1 db=$2 text=$3 extra=${4:-}
  {
    printf 'object F: TForm\n  ClientWidth = 600\n  ClientHeight = 400\n  Color = clWhite\n'
    if [ "$kind" = table ]; then
      printf '  object Table1: TTable\n    DatabaseName = %s\n    TableName = %s\n' "$db" "$text"
    else
      printf '  object Query1: TQuery\n    DatabaseName = %s\n    SQL.Strings = (\n      %s)\n' "$db" "$text"
    fi
    printf '    Active = True\n  end\n  object Src: TDataSource\n    DataSet = %s\n  end\n' \
      "$([ "$kind" = table ] && echo Table1 || echo Query1)"
    printf '  object Grid: TDBGrid\n    Left = 10\n    Top = 10\n    Width = 580\n    Height = 300\n    DataSource = Src\n  end\n'
    [ -z "$extra" ] || printf '%s\n' "$extra"
    printf 'end\n'
  } >"$tmp/f.form"
}

# The state of every database and file beside them: bytes and modification times.
state() { (cd "$tmp" && for f in *.db *.db-*; do [ -f "$f" ] && echo "$f $(stat -c %Y.%y "$f") $(md5sum <"$f")"; done; ls -a | grep -v '^out.pdf$'); }

# refused NAME EXPECTED-LINE: print-form of f.form fails with that one line and changes nothing.
refused() {
  local before after status
  before=$(state)
  rm -f "$tmp/out.pdf"
  QT_QPA_PLATFORM=offscreen timeout 20 "$q" print-form "$tmp/f.form" --pdf "$tmp/out.pdf" >"$tmp/out" 2>"$tmp/err"
  status=$?
  after=$(state)
  check "$1: status" 1 "$status"
  check "$1: reason" "quillon: print-form: $tmp/f.form:$2" "$(cat "$tmp/err")"
  check "$1: no PDF" "no" "$([ -e "$tmp/out.pdf" ] && echo yes || echo no)"
  check "$1: nothing written" "$before" "$after"
}

# Files that are no database.
form table "'absent.db'" "'members'"
refused "missing file" "5: Table1: 'absent.db': no such file"
form table "'dir.db'" "'members'"
refused "directory" "5: Table1: 'dir.db': not a regular file"
form table "'/dev/zero'" "'members'"
refused "device" "5: Table1: '/dev/zero': not a regular file"
form table "'pipe.db'" "'members'"
refused "fifo" "5: Table1: 'pipe.db': not a regular file"
form table "'text.db'" "'members'"
refused "text file" "5: Table1: 'text.db': file is not a database"
form table "'truncated.db'" "'members'"
refused "truncated" "5: Table1: 'truncated.db': database disk image is malformed"
form table "'corrupt.db'" "'members'"
refused "corrupt" "5: Table1: 'corrupt.db': database disk image is malformed"
# A URI asking for writing is only a file name.
form table "'file:members.db?mode=rwc'" "'members'"
refused "uri" "5: Table1: 'file:members.db?mode=rwc': no such file"

# Tables and fields that are not there.
form table "'members.db'" "'membrs'"
refused "missing table" "5: Table1: no such table: membrs"
form table "'members.db'" "'members\"; DROP TABLE members; --'"
refused "quotes in a table name" "5: Table1: no such table: members\"; DROP TABLE members; --"
form table "'members.db'" "'members'" "$(printf '  object Edit1: TDBEdit\n    Top = 320\n    DataSource = Src\n    DataField = %s\n  end\n' "'NAMEX'")"
refused "missing field" "20: Edit1: field 'NAMEX' not found in Table1"

# Queries: errors, writes of every kind, work without end, values too large.
form query "'members.db'" "'SELEC NAME FROM members'"
refused "syntax error" "5: Query1: near \"SELEC\": syntax error"
form query "'members.db'" "'DELETE FROM members'"
refused "delete" "5: Query1: the statement would change the database"
form query "'members.db'" "'PRAGMA user_version = 7'"
refused "pragma" "5: Query1: PRAGMA user_version cannot be run"
form query "'members.db'" "'VACUUM INTO ''copy.db'''"
refused "vacuum into" "5: Query1: the statement would change the database"
form query "'members.db'" "'ATTACH ''other.db'' AS o'"
refused "attach" "5: Query1: another database cannot be attached"
form query "'members.db'" "'SELECT * FROM members -- all of them' '; DELETE FROM members'"
refused "second statement" "5: Query1: only one statement can be opened"
form query "'members.db'" "'WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c)' 'SELECT x FROM c'"
refused "endless query" "5: Query1: the query was stopped after 100,000,000 steps of work (it may never end)"
form query "'members.db'" "'SELECT randomblob(900000000) AS b'"
refused "huge value" "5: Query1: a value larger than 64 MB, more than the program reads"

# A writer holding the database locked: refused after a short wait, not waited for for ever.
python3 - "$tmp/members.db" "$tmp/locked" <<'PY' &
import sqlite3, sys, time, os
db = sqlite3.connect(sys.argv[1], isolation_level=None)
db.execute("BEGIN EXCLUSIVE")
open(sys.argv[2], "w").close()
while os.path.exists(sys.argv[2]):
    time.sleep(0.05)
db.execute("ROLLBACK")
PY
writer=$!
for _ in $(seq 100); do [ -e "$tmp/locked" ] && break; sleep 0.1; done
form table "'members.db'" "'members'"
QT_QPA_PLATFORM=offscreen timeout 20 "$q" print-form "$tmp/f.form" --pdf "$tmp/out.pdf" >"$tmp/out" 2>"$tmp/err"
check "locked: status" 1 "$?"
check "locked: reason" "quillon: print-form: $tmp/f.form:5: Table1: 'members.db': database is locked" "$(cat "$tmp/err")"
check "locked: no PDF" "no" "$([ -e "$tmp/out.pdf" ] && echo yes || echo no)"
rm -f "$tmp/locked"
wait "$writer"
rm -f "$tmp/members.db-journal"

# show-form says the same, and shows no window.
form table "'members.db'" "'membrs'"
QT_QPA_PLATFORM=offscreen QUILLON_SCREENSHOT_DIR=$tmp/shots QUILLON_SCREENSHOT_QUIT=1 \
  timeout 20 "$q" show-form "$tmp/f.form" >"$tmp/out" 2>"$tmp/err"
check "show-form: status" 1 "$?"
check "show-form: reason" "$tmp/f.form:5: Table1: no such table: membrs" "$(cat "$tmp/err")"
check "show-form: no window" "no" "$([ -d "$tmp/shots" ] && echo yes || echo no)"

# What does print: a database in write-ahead-log mode (read without making its -wal and -shm
# files) and a table whose name holds quotes.
before=$(state)
form table "'wal.db'" "'members'"
QT_QPA_PLATFORM=offscreen timeout 60 "$q" print-form "$tmp/f.form" --pdf "$tmp/out.pdf" >"$tmp/out" 2>"$tmp/err"
check "wal: status" 0 "$?"
check "wal: rows" 40 "$(pdftotext "$tmp/out.pdf" - | grep -o 'KEY[0-9]*Z' | sort -u | wc -l)"
check "wal: nothing beside it" "$before" "$(state)"
form table "'members.db'" "'odd \"quoted\" name'"
QT_QPA_PLATFORM=offscreen timeout 60 "$q" print-form "$tmp/f.form" --pdf "$tmp/out.pdf" >"$tmp/out" 2>"$tmp/err"
check "quoted name: status" 0 "$?"
check "quoted name: row" "QUOTEDROW" "$(pdftotext "$tmp/out.pdf" - | grep -o QUOTEDROW)"
finish
