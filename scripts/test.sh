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
# Both build folders are kept between runs, so a second run rebuilds only
# what changed; a compiler cache would add work to every compile of a
# first run (hashing each file and the precompiled header) and save none.
export CCACHE_DISABLE=1

# build_suite DIR FLAGS [CMAKE-ARGS...]
build_suite() {
  local dir=$1 flags=$2; shift 2
  configure_build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags -DNDEBUG" "$@"
  cmake --build "$dir" -j "$JOBS"
}

test_suite() {
  # The tests mostly wait on the line and timers (a fifth of their time is
  # processor time): five at a time per core.
  ctest --test-dir "$1" -j "$((JOBS * 5))" --output-on-failure
}

asan_pid=
stop_asan_build() { [[ -n $asan_pid ]] && kill -- -"$asan_pid" 2>/dev/null || true; }
trap stop_asan_build EXIT

echo "== Build and test (warnings are errors)"
# -O1 finds what -O2 finds of our warnings (those that need the optimiser's
# data flow come with -O1) and compiles a third faster; a failing test says
# where in its own messages, so no debug information.
build_suite build-ci "-O1 -g0" -DQV_WERROR=ON
# The tests use a fraction of the processor: the sanitizer build starts
# beside them, at the lowest priority so that it cannot slow them, with its
# output kept until they are done. -O1, as the sanitizers' makers advise: it
# finds the same faults, and compiles a third faster than -O2.
mkdir -p build-asan
set -m
(renice -n 19 -p "$BASHPID" >/dev/null
 # Line tables are all a sanitizer's report needs; full debug information
 # makes objects seven times larger and every link slower.
 build_suite build-asan "-O1 -g1" -DQV_WERROR=ON -DQV_SANITIZE=ON -DQV_BENCH=OFF) >build-asan/build.log 2>&1 &
asan_pid=$!
set +m
test_suite build-ci

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
status=0
wait "$asan_pid" || status=$?
asan_pid=
cat build-asan/build.log
((status == 0)) || exit "$status"
test_suite build-asan
