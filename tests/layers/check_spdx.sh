#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# check_spdx.sh ROOT: every tracked source, script and CMake file of ROOT names its licence in
# its first lines (after a shebang); prints each file that does not and fails. Outside a git
# checkout the files on disk are checked.
set -u
root=$1
line='SPDX-License-Identifier: GPL-2.0-or-later'
cd "$root" || exit 1
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  list() { git ls-files; }
else
  list() { find . -path ./build -prune -o -type f -print | sed 's|^\./||'; }
fi
missing=0 checked=0
while IFS= read -r f; do
  [ -f "$f" ] || continue
  case "$f" in
    tests/data/*) continue ;;
    *.cpp | *.h | *.c | *.sh | *.bash | *.py | *.cmake | */CMakeLists.txt | CMakeLists.txt) ;;
    *) head -c 2 "$f" | grep -q '^#!' || continue ;;  # other files only when they are scripts
  esac
  checked=$((checked + 1))
  # The first line, or the second after a shebang.
  if ! head -n 2 "$f" | grep -qF "$line"; then
    echo "$f: no '$line' line at the top"
    missing=$((missing + 1))
  fi
done < <(list)
echo "$checked files checked, $missing without the licence line"
[ "$checked" -gt 0 ] && [ "$missing" -eq 0 ]
