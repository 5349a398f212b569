#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The licence check must notice a file without its line: a tree with one planted source, one
# script and one CMake file lacking it fails, the same tree with the lines passes.
set -u
check=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/check_spdx.sh
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/app" "$tmp/tools" "$tmp/tests/data"
spdx='SPDX-License-Identifier: GPL-2.0-or-later'
printf '// %s\nint x;\n' "$spdx" > "$tmp/app/a.cpp"
printf '#!/bin/sh\n# %s\necho\n' "$spdx" > "$tmp/tools/run"
printf '# %s\nproject(x)\n' "$spdx" > "$tmp/CMakeLists.txt"
printf 'not a script\n' > "$tmp/app/notes.txt"
printf 'data\n' > "$tmp/tests/data/sample.h"  # test data is not checked
bash "$check" "$tmp" >/dev/null || { echo "a clean tree failed the check"; exit 1; }
printf '#pragma once\n// %s\n// %s\n' "late" "$spdx" > "$tmp/app/b.h"
printf '#!/bin/sh\necho\n' > "$tmp/tools/fuzz"
printf 'cmake_minimum_required(VERSION 3.25)\n' > "$tmp/app/CMakeLists.txt"
out=$(bash "$check" "$tmp") && { echo "planted files passed the check"; exit 1; }
for f in app/b.h tools/fuzz app/CMakeLists.txt; do
  grep -q "^$f: no " <<<"$out" || { echo "missed $f: $out"; exit 1; }
done
grep -q '3 without the licence line' <<<"$out" || { echo "wrong count: $out"; exit 1; }
echo "the check found the three planted files"
