#!/usr/bin/env bash
# A whole run: fall off the field, type a name, Return stores it in the score file,
# the overlay shows it, level 1 starts again, Tab shows the overlay in play, Esc quits.
source "$(dirname "$0")/lib.sh"
prepare_workdir
mkdir -p "$WORK/res/Scores"
printf 'Bob 12\nCyd 5\n' >"$WORK/res/Scores/scores.txt"
start_game
wait_for_line "Loaded ShadowMap" 60
sleep 13   # past the intro and "LET'S GO"

# Walk backwards off the start tile: the fall onto the death zone ends the run. The key
# is let go before the fall ends, or its repeats would be typed into the name entry.
hold_key s 0.8
over=0
for i in $(seq 1 60); do
  s=$(shot gameover)
  # The name line "Enter name:_" in (0, 1, 0) at (width/4, height/4).
  line=$(count_colour "$s" 0 255 0 10 "600x70+320+510")
  if [ "$line" -gt 100 ]; then over=1; break; fi
  sleep 0.25
done
[ "$over" = 1 ] || fail "the run did not end with the name entry"

# The overlay shows the stored entries while the name is typed: score column at x = 960.
scores=$(count_colour "$s" 0 255 0 10 "300x160+950+20")
[ "$scores" -gt 50 ] || fail "no score overlay in the game-over screen"

setups=$(count_lines "PhysX initialized")
xdotool type --delay 80 "Ada"
sleep 0.3
send_key Return
for i in $(seq 1 100); do
  grep -q "^Ada " "$WORK/res/Scores/scores.txt" 2>/dev/null && break
  sleep 0.1
done
grep -qx "Ada 0" "$WORK/res/Scores/scores.txt" || { cat "$WORK/res/Scores/scores.txt"; fail "the score file lacks 'Ada 0'"; }
grep -qx "Bob 12" "$WORK/res/Scores/scores.txt" || fail "an earlier entry was lost"
[ "$(head -n 1 "$WORK/res/Scores/scores.txt")" = "Bob 12" ] || fail "the score file is not sorted"

# Level 1 is built again.
for i in $(seq 1 300); do
  [ "$(count_lines "PhysX initialized")" -gt "$setups" ] && break
  sleep 0.1
done
[ "$(count_lines "PhysX initialized")" -gt "$setups" ] || fail "no new level after the name"
wait_for_line "Loaded ShadowMap" 60
sleep 13

# Tab held in play shows the overlay.
plain=$(shot no_overlay)
xdotool keydown Tab
sleep 0.5
tabbed=$(shot overlay)
xdotool keyup Tab
without=$(count_colour "$plain" 0 255 0 10 "300x240+950+20")
with=$(count_colour "$tabbed" 0 255 0 10 "300x240+950+20")
[ "$with" -gt $((without + 50)) ] || fail "Tab shows no overlay ($without -> $with)"

send_key Escape
wait_exit 20
[ "$GAME_RC" = 0 ] || fail "Esc ended with exit code $GAME_RC"
echo "PASS scores"
