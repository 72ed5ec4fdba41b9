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
cleanup() { if [ -n "$SIM_PID" ]; then kill "$SIM_PID" 2>/dev/null || true; wait "$SIM_PID" 2>/dev/null || true; fi; }
trap cleanup EXIT
trap 'exit 130' INT TERM
# A real unit sits on a USB serial adapter; without one, the simulated unit
# stands in. Its pseudo-terminal is reached through a fixed link so that it
# keeps one COM number from run to run.
if [ -z "${QUELIN3_NO_SIM:-}" ] && [ -x "$BUILD/tools/unit-sim/quelin3-unit-sim" ] &&
   ! ls /dev/ttyUSB* /dev/ttyACM* >/dev/null 2>&1; then
  SIM_LINK="${XDG_RUNTIME_DIR:-/tmp}/quelin3-unit-sim-$(id -u)"
  rm -f "$SIM_LINK"
  "$BUILD/tools/unit-sim/quelin3-unit-sim" --link "$SIM_LINK" >/dev/null 2>&1 &
  SIM_PID=$!
  for _ in $(seq 50); do [ -e "$SIM_LINK" ] && break; sleep 0.1; done
  if [ -e "$SIM_LINK" ]; then
    echo "No unit attached: the simulated unit answers on $SIM_LINK" >&2
    export QUELIN3_EXTRA_PORTS="$SIM_LINK${QUELIN3_EXTRA_PORTS:+:$QUELIN3_EXTRA_PORTS}"
  else
    echo "The simulated unit did not start; running without it." >&2
  fi
fi
"$BUILD/src/shell/ui/quelin3" "$@"
