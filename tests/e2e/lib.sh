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

# E2E_GAME_PRELOAD: libraries preloaded into the game alone, not into the tools around it
# (the sanitizer run keeps Mesa's driver loaded so that its leaks can be told apart).
start_game() {
  pushd "$WORK" >/dev/null
  LD_PRELOAD="${E2E_GAME_PRELOAD:-${LD_PRELOAD:-}}" "$GAME_BIN" </dev/null >"$LOG" 2>&1 &
  GAME_PID=$!
  popd >/dev/null
}

# Limits only bound a hang: every wait ends as soon as its state shows, so the tests hold
# however slowly frames come (a sanitizer build, a loaded machine).
SETUP_LIMIT="${E2E_SETUP_LIMIT:-300}"   # start-up or one level set-up
STATE_LIMIT="${E2E_STATE_LIMIT:-120}"   # one change of state seen on the screen

# wait_for_line TEXT SECONDS [POLL]: waits until the console holds TEXT, looking every
# POLL seconds (0.1 unless told).
wait_for_line() {
  local text="$1" end=$((SECONDS + $2))
  while [ "$SECONDS" -le "$end" ]; do
    grep -qF -- "$text" "$LOG" 2>/dev/null && return 0
    running "$GAME_PID" || fail "game ended while waiting for '$text'"
    sleep "${3:-0.1}"
  done
  fail "no '$text' on the console within $2s"
}

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds; false after SECONDS.
wait_until() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    running "$GAME_PID" || fail "game ended while waiting for: $*"
    [ "$SECONDS" -le "$end" ] || return 1
    sleep 0.1
  done
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

# States of the game as the screen shows them (window 1280 x 768). Each takes a fresh
# screenshot, left in $SHOTS/NAME.png (NAME defaults to "state").
LAST_SHOT=""
take() { LAST_SHOT=$(shot "${1:-state}"); }

# The intro from above: target tiles in their colour.
intro_targets_shown() { take "${1:-intro}"; [ "$(count_colour "$LAST_SHOT" 170 155 65 10)" -gt 500 ]; }
# "LET'S GO" in (0.5, 0.8, 0.2) on black.
letsgo_shown() {
  take "${1:-letsgo}"
  [ "$(count_colour "$LAST_SHOT" 127 204 51 12 "854x60+426+700")" -gt 200 ] &&
    awk "BEGIN{exit !($(mean_brightness "$LAST_SHOT") < 0.05)}"
}
# The world drawn again after "LET'S GO".
follow_view_shown() { take "${1:-follow}"; awk "BEGIN{exit !($(mean_brightness "$LAST_SHOT") > 0.15)}"; }
# The name line "Enter name:_" in (0, 1, 0) at (width/4, height/4): the run has ended.
name_line_in() { [ "$(count_colour "$1" 0 255 0 10 "600x70+320+510")" -gt 100 ]; }
name_entry_shown() { take "${1:-gameover}"; name_line_in "$LAST_SHOT"; }
# Green score text in the score column (x = 960) at the top.
overlay_pixels() { count_colour "$1" 0 255 0 10 "300x240+950+20"; }
# differs_from IMAGE: a new screenshot differs from IMAGE in more than 5000 pixels.
differs_from() { take "${2:-now}"; [ "$(differing_pixels "$1" "$LAST_SHOT")" -gt 5000 ]; }

# wait_for_play: through the intro to play: the "LET'S GO" screen, then the follow view.
wait_for_play() {
  wait_until "$STATE_LIMIT" letsgo_shown || fail "no LET'S GO screen"
  wait_until "$STATE_LIMIT" follow_view_shown || fail "no follow view after LET'S GO"
}

# play_settled: waits until the picture in play is at rest (the character stands) or the
# run has ended, and sets PLAY_STATE to "standing" or "ended". That frames were drawn
# between the two pictures compared is proven by the score overlay, which Tab shows and
# hides again; so the score table must not be empty.
overlay_up() { take tab; name_line_in "$LAST_SHOT" || [ "$(overlay_pixels "$LAST_SHOT")" -gt $((OVERLAY_BASE + 50)) ]; }
overlay_down() { take tab; name_line_in "$LAST_SHOT" || [ "$(overlay_pixels "$LAST_SHOT")" -le $((OVERLAY_BASE + 50)) ]; }
play_settled() {
  local end=$((SECONDS + STATE_LIMIT)) before="$SHOTS/settle_before.png"
  while [ "$SECONDS" -le "$end" ]; do
    if name_entry_shown; then PLAY_STATE=ended; return 0; fi
    cp "$LAST_SHOT" "$before"
    OVERLAY_BASE=$(overlay_pixels "$before")
    xdotool keydown Tab
    wait_until "$STATE_LIMIT" overlay_up || { xdotool keyup Tab; fail "Tab shows no score overlay"; }
    xdotool keyup Tab
    wait_until "$STATE_LIMIT" overlay_down || fail "the score overlay stays after Tab"
    if name_line_in "$LAST_SHOT"; then PLAY_STATE=ended; return 0; fi
    if [ "$(differing_pixels "$before" "$LAST_SHOT")" -lt 2000 ]; then PLAY_STATE=standing; return 0; fi
  done
  fail "the picture in play never came to rest"
}

# hold_key_until KEY COMMAND...: holds KEY down until COMMAND succeeds (the game has seen
# the key for as many frames as it needed), then lets it go. False after STATE_LIMIT.
hold_key_until() {
  local key="$1" ok=0
  shift
  xdotool keydown "$key"
  wait_until "$STATE_LIMIT" "$@" && ok=1
  xdotool keyup "$key"
  [ "$ok" = 1 ]
}

# clear_name: empties the name entry of whatever a held key's repeats typed into it.
clear_name() { xdotool key --delay 5 --repeat 200 BackSpace; }

# setups: how many level set-ups the console shows so far.
setups() { count_lines "PhysX initialized"; }

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
