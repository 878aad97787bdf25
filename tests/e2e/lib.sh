# Shared helpers for the end-to-end tests: start the real game in a scratch working
# folder on the test display, wait for console lines, take screenshots, count pixels.
# Sourced by test_*.sh with the game binary as $1 and the source folder as $2.
set -euo pipefail

GAME_BIN="$1"
BUILD_DIR="$(cd "$(dirname "$GAME_BIN")" && pwd)"
WORK="$(mktemp -d /tmp/quorvane-e2e.XXXXXX)"
LOG="$WORK/console.log"
GAME_PID=""
SHOTS="$WORK/shots"
mkdir -p "$SHOTS"

: "${DISPLAY:?the end-to-end tests need an X display (the test command starts Xvfb)}"
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy

# A process that is gone or a zombie counts as ended.
running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null || true)
  [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

cleanup() {
  if [ -n "$GAME_PID" ] && running "$GAME_PID"; then
    kill "$GAME_PID" 2>/dev/null || true
    for _ in $(seq 1 30); do running "$GAME_PID" || break; sleep 0.1; done
    kill -9 "$GAME_PID" 2>/dev/null || true
  fi
  if [ "${KEEP_E2E:-0}" = 1 ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "--- console ---"; cat "$LOG" 2>/dev/null | tail -n 40
  exit 1
}

# Copies the staged res/ and settings.ini so the run cannot touch the build's score file.
prepare_workdir() {
  cp -r "$BUILD_DIR/res" "$WORK/res"
  cp "$BUILD_DIR/settings.ini" "$WORK/settings.ini"
  rm -f "$WORK/res/Scores/scores.txt"
}

start_game() {
  pushd "$WORK" >/dev/null
  "$GAME_BIN" </dev/null >"$LOG" 2>&1 &
  GAME_PID=$!
  popd >/dev/null
}

# wait_for_line TEXT SECONDS: waits until the console holds TEXT.
wait_for_line() {
  local text="$1" limit="$2" i
  for i in $(seq 1 $((limit * 10))); do
    grep -qF -- "$text" "$LOG" 2>/dev/null && return 0
    running "$GAME_PID" || fail "game ended while waiting for '$text'"
    sleep 0.1
  done
  fail "no '$text' on the console within ${limit}s"
}

count_lines() { grep -cF -- "$1" "$LOG" 2>/dev/null || true; }

game_window() {
  local id i
  for i in $(seq 1 100); do
    id=$(xdotool search --name "Quorvane Game" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no game window"
}

# shot NAME: screenshot of the game window into $SHOTS/NAME.png, printed path.
shot() {
  local out="$SHOTS/$1.png"
  import -window "$(game_window)" "$out" 2>/dev/null || fail "screenshot failed"
  echo "$out"
}

# count_colour IMAGE R G B FUZZ% [GEOMETRY]: pixels near the colour, optionally in a crop.
count_colour() {
  local img="$1" r="$2" g="$3" b="$4" fuzz="$5" crop="${6:-}"
  local args=("$img")
  [ -n "$crop" ] && args+=(-crop "$crop" +repage)
  convert "${args[@]}" -alpha off -fuzz "$fuzz%" -fill white -opaque "rgb($r,$g,$b)" \
    -fill black +opaque white -format "%[fx:round(mean*w*h)]" info:
}

# differing_pixels A B: how many pixels differ between two screenshots.
differing_pixels() {
  compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true
}

# mean_brightness IMAGE: 0..1
mean_brightness() { convert "$1" -colorspace Gray -format "%[fx:mean]" info:; }

send_key() { xdotool key --delay 30 "$@"; }
hold_key() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

# wait_exit SECONDS: waits for the game to end and leaves its exit code in GAME_RC.
# NOTE: call it in this shell, not in $(...): only the parent shell can wait for the game.
wait_exit() {
  local limit="$1" i
  for i in $(seq 1 $((limit * 10))); do
    if ! running "$GAME_PID"; then
      GAME_RC=0
      wait "$GAME_PID" || GAME_RC=$?
      GAME_PID=""
      return 0
    fi
    sleep 0.1
  done
  fail "game still running after ${limit}s"
}
