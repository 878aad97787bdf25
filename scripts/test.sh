#!/usr/bin/env bash
# Sets everything up and runs the whole test suite headless on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

display=""
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display number"; exit 1; }

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/tmp/xvfb$display.log 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; wait $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done

export DISPLAY="$display" LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
