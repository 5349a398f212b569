#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Shared set-up for tools/run and tools/check: installs the Debian packages missing (only
# those) and configures and builds into build/. Safe to run again: nothing is installed or
# reconfigured when nothing changed. The package lists below are the only ones.
set -euo pipefail

QUILLON_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUILLON_BUILD=${QUILLON_BUILD:-$QUILLON_ROOT/build}

# Building and running the program (tools/run).
QUILLON_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev libuemf-dev libsqlite3-dev
  fonts-liberation2
)

# Tests, benchmarks, fuzzing and packaging (tools/check adds these). Note: on a desktop where
# CUPS runs, printer-driver-cups-pdf adds a system "PDF" printer when it is installed.
QUILLON_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  emf2svg poppler-utils qpdf xvfb xauth
  clang libclang-rt-14-dev
  cups printer-driver-cups-pdf
  dpkg-dev lintian appstream desktop-file-utils librsvg2-bin libxml2-utils
  openbox xdotool x11-utils x11-apps python3
)

# Reference readers, by hand only (large): LibreOffice for tools/emf-corpus --libreoffice,
# and Inkscape to open our own pages in.
QUILLON_REFERENCE_PACKAGES=(
  libreoffice-draw-nogui inkscape
)

# quillon_install_packages [--tests] [--references]: the program's packages, with --tests the
# test list too, with --references the reference readers.
quillon_install_packages() {
  local wanted=("${QUILLON_PACKAGES[@]}") a
  for a in "$@"; do
    case $a in
      --tests) wanted+=("${QUILLON_TEST_PACKAGES[@]}") ;;
      --references) wanted+=("${QUILLON_REFERENCE_PACKAGES[@]}") ;;
    esac
  done
  local missing=() p
  for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "quillon: installing ${missing[*]}" >&2
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq >&2
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# quillon_build DIR [cmake -D arguments...] [-- TARGET...]: configures DIR when it is new or
# when one of the project's options (-DQUILLON_...) differs from its cache, then builds the targets given (all
# without any). QUILLON_BUILD_TYPE picks the configuration of a new build directory
# (RelWithDebInfo by default).
quillon_build() {
  # Paths relative to the tree, so that clones and worktrees share the compiler cache.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$QUILLON_ROOT}
  local dir=$1; shift
  local args=() targets=()
  while [ $# -gt 0 ]; do
    if [ "$1" = -- ]; then shift; targets=("$@"); break; fi
    args+=("$1"); shift
  done
  local configure=no a
  if [ ! -f "$dir/build.ninja" ]; then
    configure=yes
  else
    for a in "${args[@]}"; do
      case "$a" in
        -DQUILLON_*=*)
          local var=${a#-D} value
          value=${var#*=}; var=${var%%=*}; var=${var%%:*}
          grep -q "^$var:[A-Z]*=$value\$" "$dir/CMakeCache.txt" || configure=yes ;;
      esac
    done
  fi
  if [ $configure = yes ]; then
    # Our own builds treat warnings as errors; ccache keeps rebuilds of other trees cheap.
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
      launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$QUILLON_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${QUILLON_BUILD_TYPE:-RelWithDebInfo}" -DQUILLON_WERROR=ON \
      "${launcher[@]}" "${args[@]}" >&2
  fi
  local t=()
  for a in "${targets[@]}"; do t+=(--target "$a"); done
  cmake --build "$dir" -j "$(nproc)" "${t[@]}" >&2
}
