#!/usr/bin/env bash
# A folder, or a file that asks too much, in place of each kind of file the game reads:
# every case ends with its clear line and its documented exit or fallback, never an abort.
source "$(dirname "$0")/lib.sh"

# run_with_folder PATH: a fresh copy of the files with a folder at PATH, and the game started.
run_with_folder() {
  rm -rf "$WORK/res" "$WORK/settings.ini"
  prepare_workdir
  rm -rf "${WORK:?}/$1"
  mkdir -p "$WORK/$1/inside"
  : >"$LOG"
  start_game
}

# run_with_fifo PATH [LEVEL1]: the same with a FIFO at PATH that nothing ever writes to,
# and LEVEL1 (printf text), when given, as the level 1 file.
run_with_fifo() {
  rm -rf "$WORK/res" "$WORK/settings.ini"
  prepare_workdir
  rm -rf "${WORK:?}/$1"
  mkfifo "$WORK/$1"
  if [ -n "${2:-}" ]; then printf "$2" >"$WORK/res/Levels/Level1.txt"; fi
  : >"$LOG"
  start_game
}

# expect_exit CODE TEXT...: the game ends by itself with CODE and every TEXT on its console.
expect_exit() {
  local code="$1" text
  shift
  wait_exit "$SETUP_LIMIT"
  [ "$GAME_RC" = "$code" ] || fail "ended with exit code $GAME_RC, not $code"
  for text in "$@"; do grep -qF -- "$text" "$LOG" || fail "no '$text' on the console"; done
}

# expect_play TEXT...: the level is built, Esc ends with 0, every TEXT was on the console
# (looked for at the end: "file could not be opened" has no line end to flush it).
expect_play() {
  local text
  wait_for_line "Loaded ShadowMap" "$SETUP_LIMIT"
  send_key Escape
  wait_exit "$SETUP_LIMIT"
  [ "$GAME_RC" = 0 ] || fail "Esc ended with exit code $GAME_RC"
  for text in "$@"; do grep -qF -- "$text" "$LOG" || fail "no '$text' on the console"; done
}

run_with_folder res/Shader/text.frag
expect_exit 1 "Failed to open shader file:  ./res/Shader/text.frag"

run_with_folder res/Models/Character.obj
expect_exit 1 "Failed to find Model-File" "FilePath: ./res/Models/Character.obj"

# A FIFO in the place of a model or of the material file it names would block its reader
# for good, on the reading thread or this one: it ends like a missing model instead, at
# start-up and for the wall when level 2 is built (a level 1 without targets is cleared
# as soon as it is played).
run_with_fifo res/Models/Fass.obj
expect_exit 1 "Failed to find Model-File" "FilePath: ./res/Models/Fass.obj"

run_with_fifo res/Models/Character.mtl
expect_exit 1 "Failed to find Model-File" "FilePath: ./res/Models/Character.mtl"

run_with_fifo res/Models/Wall.obj '5\n3\n1\nskip\n'
expect_exit 1 "Failed to find Model-File" "FilePath: ./res/Models/Wall.obj"
[ "$(setups)" = 2 ] || fail "the wall's FIFO was met in set-up $(setups), not in that of level 2"

run_with_folder res/Levels/Level1.txt
expect_exit 1 "Level file ./res/Levels/Level1.txt cannot be read"

# A level 1 that asks for 2147483647 fields is refused at once, not built for hours.
rm -rf "$WORK/res" "$WORK/settings.ini"
prepare_workdir
printf '3\n3\n2147483647\n\n101\n' >"$WORK/res/Levels/Level1.txt"
: >"$LOG"
start_game
expect_exit 1 "Level file ./res/Levels/Level1.txt not loaded" \
  "Level file ./res/Levels/Level1.txt is not a valid level file"

# Optional files: one line where the game has one, and play goes on.
run_with_folder res/skybox/ltblue/top.png
expect_play "Skybox texture failed to load at path: ./res/skybox/ltblue/top.png"

run_with_folder res/fonts/ARIAL.ttf
expect_play "ERROR::FREETYPE: Failed to load font"

run_with_folder res/Models/Character.png
expect_play

run_with_folder settings.ini
expect_play

run_with_folder res/Scores/scores.txt
expect_play "file could not be opened"
[ -d "$WORK/res/Scores/scores.txt/inside" ] || fail "the folder in the score file's place was touched"

# A window the display cannot take: SDL's own reason stands on the line after the game's.
rm -rf "$WORK/res" "$WORK/settings.ini"
prepare_workdir
sed -i 's/^width=.*/width=100000/' "$WORK/settings.ini"
: >"$LOG"
start_game
expect_exit 1 "SDL Window == Nullpointer"
reason=$(grep -A1 -F "SDL Window == Nullpointer" "$LOG" | sed -n 2p)
case "$reason" in "" | "Key to quit"*) fail "no reason after the window line: '$reason'" ;; esac

echo "PASS bad files"
