#!/usr/bin/env bash
# The name entry after a run that ends with a key still held: walking off the start tile
# with "w" held, the key's repeats must not fill the name line; once it is let go, a typed
# name and Return store exactly that name.
source "$(dirname "$0")/lib.sh"
prepare_workdir
mkdir -p "$WORK/res/Scores"
printf 'Bob 12\n' >"$WORK/res/Scores/scores.txt"
SCORES="$WORK/res/Scores/scores.txt"

# The x where the name line "Enter name:..." in (0, 1, 0) at (width/4, height/4) ends.
name_end() {
  convert "$1" -crop "960x70+320+510" +repage -alpha off -fuzz 10% -fill white -opaque "rgb(0,255,0)" \
    -fill black +opaque white -trim -format "%[fx:page.x + w]" info:
}
name_longer_than() { take typed; [ "$(name_end "$LAST_SHOT")" -gt "$1" ]; }

start_game
wait_for_line "Loaded ShadowMap" "$SETUP_LIMIT"
wait_for_play

# Walk forward off the start tile into the gap before field 1 and keep "w" held through
# the fall, the end of the run and well into the name entry.
xdotool keydown w
wait_until "$STATE_LIMIT" name_entry_shown || { xdotool keyup w; fail "walking forward with w held did not end the run"; }
first_end=$(name_end "$LAST_SHOT")
sleep 2    # the key repeats many times a second while it is held
held_end=$(name_end "$(shot still_held)")
xdotool keyup w
[ "$held_end" -le $((first_end + 2)) ] || fail "the held key typed into the name line (it grew from x $first_end to $held_end)"

# Typed after the release, the name shows; Return stores exactly it: a repeat of the held
# key that went into the line would stand in front of it. The score file shows the game
# has taken every key sent before Return.
xdotool type --delay 80 "Zed"
wait_until "$STATE_LIMIT" name_longer_than $((held_end + 20)) || fail "typing after the release shows nothing"
echo "name line ends at x: held $held_end, typed $(name_end "$LAST_SHOT")"
setups=$(setups)
send_key Return
wait_until "$STATE_LIMIT" grep -q "^Zed " "$SCORES" || { cat "$SCORES"; fail "no score stored for 'Zed'"; }
grep -Eqx "Zed [0-9]+" "$SCORES" || { cat "$SCORES"; fail "the score file lacks exactly the name 'Zed'"; }
[ "$(grep -c . "$SCORES")" = 2 ] || { cat "$SCORES"; fail "the score file holds other entries than Bob and Zed"; }

# Return starts a new run; Esc during its intro quits.
new_run() { [ "$(setups)" -gt "$setups" ]; }
wait_until "$SETUP_LIMIT" new_run || fail "no new run after the name"
send_key Escape
wait_exit "$STATE_LIMIT"
[ "$GAME_RC" = 0 ] || fail "Esc ended with exit code $GAME_RC"
echo "PASS name entry"
