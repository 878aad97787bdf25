#!/usr/bin/env bash
# The name entry after a run that ends with a key still held: walking off the start tile
# with "w" held, the key's repeats must not fill the name line; once it is let go, a typed
# name and Return store exactly that name.
source "$(dirname "$0")/lib.sh"
prepare_workdir
mkdir -p "$WORK/res/Scores"
printf 'Bob 12\n' >"$WORK/res/Scores/scores.txt"
SCORES="$WORK/res/Scores/scores.txt"

# The name line "Enter name:..." in (0, 1, 0) at (width/4, height/4), to the window's edge.
NAME_LINE="960x70+320+510"
name_pixels() { count_colour "$1" 0 255 0 10 "$NAME_LINE"; }
# The x where the line's green ends: how long the line is.
name_end() {
  convert "$1" -crop "$NAME_LINE" +repage -alpha off -fuzz 10% -fill white -opaque "rgb(0,255,0)" \
    -fill black +opaque white -trim -format "%[fx:page.x + w]" info:
}

start_game
wait_for_line "Loaded ShadowMap" 60
sleep 13   # past the intro and "LET'S GO"

# Walk forward off the start tile into the gap before field 1 and keep "w" held through
# the fall, the end of the run and well into the name entry.
xdotool keydown w
over=0
for i in $(seq 1 80); do
  s=$(shot gameover)
  if [ "$(name_pixels "$s")" -gt 100 ]; then over=1; break; fi
  sleep 0.25
done
[ "$over" = 1 ] || { xdotool keyup w; fail "walking forward with w held did not end the run"; }
sleep 2    # the key repeats many times a second while it is held
held=$(shot still_held)
xdotool keyup w
sleep 0.3

# Backspace pressed now clears whatever the line holds: "Enter name:_" to compare with.
xdotool key --delay 8 $(printf "BackSpace %.0s" $(seq 1 150))
sleep 0.5
empty=$(shot cleared)
held_end=$(name_end "$held")
empty_end=$(name_end "$empty")
[ "$(name_pixels "$empty")" -gt 100 ] || fail "no name line after Backspace"
[ "$held_end" -le $((empty_end + 2)) ] || fail "the held key typed into the name line (it ends at x $held_end, 'Enter name:_' at $empty_end)"

# Typing after the release works as before, and Return stores exactly what was typed.
xdotool type --delay 80 "Zed"
sleep 0.3
typed_end=$(name_end "$(shot typed)")
echo "name line ends at x: held $held_end, cleared $empty_end, typed $typed_end"
[ "$typed_end" -gt $((empty_end + 20)) ] || fail "typing after the release shows nothing ($empty_end -> $typed_end)"
setups=$(count_lines "PhysX initialized")
send_key Return
for i in $(seq 1 100); do
  grep -q "^Zed " "$SCORES" 2>/dev/null && break
  sleep 0.1
done
grep -Eqx "Zed [0-9]+" "$SCORES" || { cat "$SCORES"; fail "the score file lacks exactly the name 'Zed'"; }
[ "$(grep -c . "$SCORES")" = 2 ] || { cat "$SCORES"; fail "the score file holds other entries than Bob and Zed"; }

# Return starts a new run; Esc during its intro quits.
for i in $(seq 1 300); do
  [ "$(count_lines "PhysX initialized")" -gt "$setups" ] && break
  sleep 0.1
done
[ "$(count_lines "PhysX initialized")" -gt "$setups" ] || fail "no new run after the name"
send_key Escape
wait_exit 20
[ "$GAME_RC" = 0 ] || fail "Esc ended with exit code $GAME_RC"
echo "PASS name entry"
