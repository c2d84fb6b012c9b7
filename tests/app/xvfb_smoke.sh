#!/usr/bin/env bash
# Starts the real program on a virtual X display, checks that it stays up
# with its main window titled "Quenvale 7400 Viewer", then ends it with
# SIGTERM and expects a clean exit. Skipped (77) without xvfb-run.
# Usage: xvfb_smoke.sh <program>
set -uo pipefail
program=$1

if [[ ${2:-} != --inside ]]; then
  if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run not installed: skipped"
    exit 77
  fi
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$program" --inside
fi

# A real X server, not the offscreen platform the other tests use.
unset QT_QPA_PLATFORM
"$program" &
pid=$!
sleep 2

if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"
  echo "the program ended by itself (exit $?)"
  exit 1
fi

if command -v xwininfo >/dev/null; then
  title_found=
  for _ in 1 2 3 4 5; do
    if xwininfo -root -tree | grep -q '"Quenvale 7400 Viewer": ("quenvale7400"'; then
      title_found=yes
      break
    fi
    sleep 1
  done
  if [[ -z $title_found ]]; then
    echo "no window titled \"Quenvale 7400 Viewer\":"
    xwininfo -root -tree
    kill -KILL "$pid"
    exit 1
  fi
fi

kill -TERM "$pid"
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end within 5 s of SIGTERM"
  kill -KILL "$pid"
  exit 1
fi
wait "$pid"
status=$?
if ((status != 0)); then
  echo "exit status $status after SIGTERM"
  exit 1
fi
echo "started, showed its window and ended cleanly"
