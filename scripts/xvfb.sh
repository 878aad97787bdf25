# Sourced by the test and benchmark scripts: start_xvfb FIRST LAST starts a private Xvfb on
# the first free display number in that range, exports DISPLAY with the software-GL settings
# the game runs under, and stops the server when the calling script exits.
start_xvfb() {
  local display="" n
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
  done
  [ -n "$display" ] || { echo "no free X display number"; return 1; }
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"/tmp/xvfb$display.log" 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true; wait $xvfb_pid 2>/dev/null || true' EXIT
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
  done
  export DISPLAY="$display" LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy
}
