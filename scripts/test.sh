#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through ctest.
# Every test case is a ctest test of its own, in a process of its own. Most
# of them wait (on timers, the simulated unit, the line rate) far more than
# they compute, so three run at a time per core (Q3_TEST_JOBS overrides);
# `ctest -L e2e` picks the cases that start the tool or the simulated unit as
# processes, `ctest -LE e2e` the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
ctest --test-dir "${Q3_BUILD_DIR:-build}" --output-on-failure -j"${Q3_TEST_JOBS:-$(($(nproc) * 3))}"
