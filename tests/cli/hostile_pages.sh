#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Hostile page files under a ceiling of address space: a page of 60 MB of comments named
# twenty times is printed page by page, never held twenty times.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

skip_without_qt view "$tmp/absent.emf" --pdf "$tmp/x.pdf"

ceiling=307200  # KB of address space for each run: 300 MB

# 60 comments of 1 MB, then a rectangle.
python3 - "$tmp/comments.emf" <<'PY'
import struct, sys
records = []
def record(kind, payload):
    records.append(struct.pack('<II', kind, 8 + len(payload)) + payload)
chunk = b'c' * (1 << 20)
for _ in range(60):
    record(70, struct.pack('<I', len(chunk)) + chunk)  # EMR_COMMENT
record(43, struct.pack('<4i', 10, 10, 110, 60))        # EMR_RECTANGLE
record(14, struct.pack('<III', 0, 16, 20))             # EMR_EOF
body = b''.join(records)
header = struct.pack('<II4i4iIIIIHHIIIiiiiIIIii', 1, 108, 10, 10, 199, 99, 0, 0, 6219, 3094,
                     0x464D4520, 0x10000, 108 + len(body), len(records) + 1, 1, 0, 0, 0, 0,
                     1024, 768, 320, 240, 0, 0, 0, 320000, 240000)
open(sys.argv[1], 'wb').write(header + body)
PY
files=()
for ((i = 0; i < 20; i++)); do files+=("$tmp/comments.emf"); done
mkdir "$tmp/temp"
(ulimit -v $ceiling; TMPDIR=$tmp/temp exec "$q" view "${files[@]}" --pdf "$tmp/comments.pdf") 2>"$tmp/comments.err"
check "comments viewed 20 times" 0 $?
check "comments pages" 20 "$(pages "$tmp/comments.pdf")"
check "comments said nothing" "" "$(cat "$tmp/comments.err")"
check "comments temporary files" "" "$(ls -A "$tmp/temp")"

finish
