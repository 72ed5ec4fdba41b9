#!/usr/bin/env bash
# Configures and builds into build/ (or $Q3_BUILD_DIR) with any extra CMake arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${Q3_BUILD_DIR:-build}"
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B "$BUILD" -G Ninja "$@" >/dev/null
ninja -C "$BUILD" -j"${Q3_JOBS:-$(nproc)}"
