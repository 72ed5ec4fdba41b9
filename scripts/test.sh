#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
ctest --test-dir "${Q3_BUILD_DIR:-build}" --output-on-failure -j"$(nproc)"
