#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Fails when an include crosses a layer the wrong way. Each folder may include its own headers
# and those of the folders listed for it; the project's layers are, bottom up,
#   platform: sys -> gdi -> emf -> vcl -> data, and qt over all of them;
#   printsuite: base -> draw -> job -> forms -> controls, over the platform without qt;
#   app over everything (only main.cpp installs the Qt backend).
set -u
root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
cd "$root" || exit 2

platform="platform/sys platform/gdi platform/emf platform/vcl platform/data"
suite="printsuite/base printsuite/draw printsuite/job printsuite/forms printsuite/controls"

# allowed FOLDER: the include prefixes the folder's files may use.
allowed() {
  local folder=$1 list="" f
  case $folder in
    platform/qt) echo "$platform platform/qt"; return ;;
    platform/*)
      for f in $platform; do list+="$f "; [ "$f" = "$folder" ] && break; done
      echo "$list"; return ;;
    printsuite/*)
      list="$platform "
      for f in $suite; do list+="$f "; [ "$f" = "$folder" ] && break; done
      echo "$list"; return ;;
    app) echo "$platform $suite app"; return ;;
  esac
  echo ""
}

bad=0
checked=0
while IFS= read -r file; do
  folder=$(dirname "$file")
  ok=$(allowed "$folder")
  [ -n "$ok" ] || continue
  while IFS= read -r line; do
    inc=${line#*\"}; inc=${inc%%\"*}
    case $inc in */*) ;; *) continue ;; esac  # a header of its own folder or a generated one
    target=$(dirname "$inc")
    checked=$((checked + 1))
    if [ "$target" = platform/qt ] && [ "$folder" = app ] && [ "${file##*/}" = main.cpp ]; then
      continue
    fi
    pass=0
    for a in $ok; do
      [ "$target" = "$a" ] && { [ "$a" != platform/qt ] || [ "$folder" = platform/qt ]; } && pass=1 && break
    done
    if [ $pass -eq 0 ]; then
      echo "$file: includes \"$inc\", which its layer ($folder) may not use"
      bad=$((bad + 1))
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
done < <(git ls-files 'platform/*.h' 'platform/*.cpp' 'printsuite/*.h' 'printsuite/*.cpp' 'app/*.h' 'app/*.cpp' 2>/dev/null ||
         find platform printsuite app \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null)

echo "layers: $checked includes checked, $bad crossing"
[ $bad -eq 0 ]
