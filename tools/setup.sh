#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Shared set-up for tools/run and tools/check: installs the Debian packages the
# build needs (only those missing), then configures and builds into build/.
# Safe to run again: nothing is installed or reconfigured when nothing changed.
set -euo pipefail

QUILLON_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUILLON_BUILD=${QUILLON_BUILD:-$QUILLON_ROOT/build}

QUILLON_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libuemf-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 emf2svg librsvg2-bin poppler-utils xvfb xauth
  clang libclang-rt-14-dev
  cups printer-driver-cups-pdf qpdf ccache
)

quillon_install_packages() {
  local missing=() p
  for p in "${QUILLON_PACKAGES[@]}"; do
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

# quillon_build DIR [extra cmake args...]; QUILLON_BUILD_TYPE picks the configuration of a new
# build directory (RelWithDebInfo by default).
quillon_build() {
  # Paths relative to the tree, so that clones and worktrees share the compiler cache.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$QUILLON_ROOT}
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    # Our own builds treat warnings as errors; ccache keeps rebuilds of other trees cheap.
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
      launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$QUILLON_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${QUILLON_BUILD_TYPE:-RelWithDebInfo}" -DQUILLON_WERROR=ON \
      "${launcher[@]}" "$@" >&2
  fi
  cmake --build "$dir" -j "$(nproc)" >&2
}
