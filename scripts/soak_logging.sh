#!/usr/bin/env bash
# Logs the simulated KD4620, streaming 100 weights a second, for a given
# time and prints resident memory and the longest event-loop stall every
# minute. With --compressed, feeds a weekend's samples (21.6 million, or the
# number given) as fast as the intake takes them and reports every million.
# Not part of the tests; build with -DQV_BENCH=ON first.
#   scripts/soak_logging.sh [seconds, default 3600] [report seconds, default 60] [build dir]
#   scripts/soak_logging.sh --compressed [samples, default 21600000] [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${1:-} == --compressed ]]; then
    samples=${2:-21600000}
    bin=${3:-build}/bin
    exec "$bin/soak_logging" --compressed "$samples"
fi

seconds=${1:-3600}
every=${2:-60}
bin=${3:-build}/bin

sim_pid=
cleanup() { [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT

coproc SIMPROC { exec "$bin/kd4620-sim" --walk --rate 100 2>/dev/null; }
sim_pid=$SIMPROC_PID
read -r -t 10 port <&"${SIMPROC[0]}"
echo "simulated KD4620 on $port, streaming 100 weights/s"
"$bin/soak_logging" "$port" "$seconds" "$every"
