#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated KD4620 on a
# pseudo-terminal and the viewer with that port chosen in its connection
# settings. Closing the viewer stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/configure.sh
# The build folder is kept, so a later run rebuilds only what changed; on the
# first, a compiler cache would only add work to every compile.
export CCACHE_DISABLE=1
configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what is started below: the viewer (its build lays the help page and the
# connection settings beside it), the front-panel picture and the simulator.
# Tests and benchmarks are for scripts/test.sh; building them here would keep
# a new user waiting several minutes longer.
cmake --build build -j "$(nproc)" --target quenvale7400 frontpanel_bmp kd4620-sim

BIN=build/bin
VIEWER=$BIN/quenvale7400
SIM=$BIN/kd4620-sim

sim_pid=
cleanup() { [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT

if [[ -x $SIM ]]; then
  coproc SIMPROC { exec "$SIM" --walk; }
  sim_pid=$SIMPROC_PID
  read -r -t 10 port <&"${SIMPROC[0]}"
  echo "Simulated KD4620 on $port"
  # Offer the simulator's port as the stored one, so the connection dialog
  # opens with it selected.
  sed -i "s|^SerialPort=.*|SerialPort=$port|" "$VIEWER.ini"
fi

"$VIEWER"
