#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS]
# Builds every fuzz target (clang, AddressSanitizer + UndefinedBehaviorSanitizer,
# in build-fuzz/) and runs each for SECONDS (60 unless given) over its seeds,
# with its dictionary, growing its kept corpus fuzz/corpus-<target>/ (not in
# git). Prints runs, coverage, corpus and findings per target; an input that
# breaks an invariant or trips a sanitizer is kept as fuzz/findings/<target>-*
# and makes the exit status 1.
#
#   QV_FUZZ_JOBS=n     targets run at once (1; each takes one core)
#   QV_FUZZ_BUILD=dir  build folder (build-fuzz)
#   QV_FUZZ_TARGETS="logfile logcsv"  only these targets
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
jobs=${QV_FUZZ_JOBS:-1}
build=${QV_FUZZ_BUILD:-build-fuzz}
[[ $seconds =~ ^[0-9]+$ && $jobs =~ ^[1-9][0-9]*$ ]] || {
  echo "usage: scripts/fuzz.sh [SECONDS]  (QV_FUZZ_JOBS: a positive number)" >&2
  exit 2
}

# target  dictionary  longest input
targets=(
  "parse        settings.dict  512"
  "apply        settings.dict  2048"
  "receive      settings.dict  1024"
  "weightline   line.dict      1024"
  "ini          ini.dict       2048"
  "calfile      ini.dict       4096"
  "settingsfile settings.dict  4096"
  "logfile      log.dict       4096"
  "logcsv       log.dict       4096"
)
if [[ -n ${QV_FUZZ_TARGETS:-} ]]; then
  chosen=()
  for entry in "${targets[@]}"; do
    read -r name _ <<<"$entry"
    [[ " $QV_FUZZ_TARGETS " == *" $name "* ]] && chosen+=("$entry")
  done
  targets=("${chosen[@]}")
fi

command -v clang++ >/dev/null || { echo "The fuzz targets need clang (apt install clang libclang-rt-dev)" >&2; exit 2; }
if [[ -f $build/CMakeCache.txt ]] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang' "$build/CMakeCache.txt"; then
  echo "$build was configured with another compiler: remove it or set QV_FUZZ_BUILD" >&2
  exit 2
fi
source scripts/configure.sh
echo "== Build ($build)"
CXX=clang++ configure_build "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON -DQV_SANITIZE=ON -DQV_BENCH=OFF
cmake --build "$build" -j 2 --target fuzzers

logs=$build/fuzz-logs
mkdir -p "$logs" fuzz/findings
rm -f "$logs"/*.log "$logs"/*.status

# run NAME DICTIONARY MAXLEN: one target, its output in $logs/NAME.log.
run() {
  local name=$1 dict=$2 maxlen=$3 status=0
  mkdir -p "fuzz/corpus-$name"
  # An input that runs longer than 10 s or takes more than 2 GB is a finding too.
  "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$maxlen" \
    -dict="fuzz/$dict" -artifact_prefix="fuzz/findings/$name-" -print_final_stats=1 \
    "fuzz/corpus-$name" "fuzz/seeds/$name" >"$logs/$name.log" 2>&1 || status=$?
  echo "$status" >"$logs/$name.status"
}

echo "== Run ${#targets[@]} targets, ${seconds} s each, $jobs at a time"
before=$(mktemp)
trap 'rm -f "$before"' EXIT
ls fuzz/findings >"$before"
running=0
for entry in "${targets[@]}"; do
  read -r name dict maxlen <<<"$entry"
  run "$name" "$dict" "$maxlen" &
  running=$((running + 1))
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

found=0
printf '%-13s %12s %8s %8s %14s %9s\n' target runs cov features corpus findings
for entry in "${targets[@]}"; do
  read -r name _ <<<"$entry"
  log=$logs/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  files=$(find "fuzz/corpus-$name" -type f | wc -l)
  bytes=$(du -sk "fuzz/corpus-$name" | cut -f1)
  new=$(ls fuzz/findings | grep "^$name-" | grep -vxFf "$before" | wc -l || true)
  status=$(cat "$logs/$name.status")
  if ((status != 0 && new == 0)); then
    new=1   # ended without an input to show: see the log
  fi
  found=$((found + new))
  printf '%-13s %12s %8s %8s %6s files %3s kB %5s\n' "$name" "${runs:-?}" "${cov:-?}" "${features:-?}" \
    "$files" "$bytes" "$new"
  if ((new > 0)); then
    grep -m3 -E 'invariant broken|ERROR: |SUMMARY: ' "$log" | sed 's/^/    /' || true
    ls fuzz/findings | grep "^$name-" | grep -vxFf "$before" | sed 's|^|    fuzz/findings/|' || true
  fi
done
echo "Logs: $logs/"
if ((found > 0)); then
  echo "$found finding(s): each input is kept in fuzz/findings/; add it to fuzz/seeds/<target>/ once mended."
  exit 1
fi
echo "No findings."
