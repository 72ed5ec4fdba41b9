#!/usr/bin/env bash
# Installs what is missing, builds and starts quelin3. When no real unit is
# attached it starts the simulated unit on a pseudo-terminal and hands it to
# the program; stopping the program stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
BUILD="${Q3_BUILD_DIR:-build}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "quelin3: no display found (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  echo "Start it from a desktop session, or run it under a virtual display: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
SIM_PID=""
cleanup() { [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null || true; }
trap cleanup EXIT INT TERM
if [ -x "$BUILD/tools/unit-sim/quelin3-unit-sim" ] && ! ls /dev/ttyUSB* /dev/ttyACM* >/dev/null 2>&1; then
  exec 3< <("$BUILD/tools/unit-sim/quelin3-unit-sim" "$@" 2>/dev/null & echo "PID $!"; wait)
  read -r _ SIM_PID <&3
  read -r SIM_DEV <&3
  echo "No unit attached: the simulated unit runs on $SIM_DEV" >&2
  export QUELIN3_EXTRA_PORTS="$SIM_DEV${QUELIN3_EXTRA_PORTS:+:$QUELIN3_EXTRA_PORTS}"
fi
"$BUILD/src/shell/ui/quelin3"
