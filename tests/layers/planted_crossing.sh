#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The layer check must notice a crossing: a tree with one planted upward include fails it,
# the same tree without it passes.
set -u
check=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/check_layers.sh
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/platform/sys" "$tmp/platform/vcl" "$tmp/printsuite/draw" "$tmp/printsuite/job"
printf '#include "platform/sys/utf8.h"\n' > "$tmp/platform/vcl/forms.h"
printf '#include "printsuite/draw/Vex_Gdi.h"\n' > "$tmp/printsuite/job/PrnWin.h"
bash "$check" "$tmp" >/dev/null || { echo "a clean tree failed the check"; exit 1; }
printf '#include "platform/vcl/forms.h"\n' > "$tmp/platform/sys/utf8.h"
printf '#include "printsuite/job/PrnWin.h"\n' > "$tmp/printsuite/draw/Vex_Gdi.h"
out=$(bash "$check" "$tmp") && { echo "planted crossings passed the check"; exit 1; }
grep -q 'platform/sys/utf8.h: includes "platform/vcl/forms.h"' <<<"$out" || { echo "missed sys -> vcl: $out"; exit 1; }
grep -q 'printsuite/draw/Vex_Gdi.h: includes "printsuite/job/PrnWin.h"' <<<"$out" || { echo "missed draw -> job: $out"; exit 1; }
grep -q '2 crossing' <<<"$out" || { echo "wrong count: $out"; exit 1; }
echo "the check found both planted crossings"
