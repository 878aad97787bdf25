#!/usr/bin/env bash
# A whole run: fall off the field, type a name, Return stores it in the score file,
# the overlay shows it, level 1 starts again, Tab shows the overlay in play, Esc quits.
# Every step waits for what the screen or the files show, so slow frames only make it slower.
source "$(dirname "$0")/lib.sh"
prepare_workdir
mkdir -p "$WORK/res/Scores"
printf 'Bob 12\nCyd 5\n' >"$WORK/res/Scores/scores.txt"
start_game
wait_for_line "Loaded ShadowMap" "$SETUP_LIMIT"
wait_for_play

# Walk backwards off the start tile until the fall onto the death zone ends the run. The
# key's repeats that reach the name entry before it goes up are typed there: clear them.
hold_key_until s name_entry_shown || fail "the run did not end with the name entry"
s="$LAST_SHOT"
clear_name

# The overlay shows the stored entries while the name is typed: score column at x = 960.
scores=$(count_colour "$s" 0 255 0 10 "300x160+950+20")
[ "$scores" -gt 50 ] || fail "no score overlay in the game-over screen"

shown=$(count_lines "Loaded ShadowMap")
xdotool type --delay 80 "Ada"
send_key Return
file_has_ada() { grep -q "^Ada " "$WORK/res/Scores/scores.txt" 2>/dev/null; }
wait_until "$STATE_LIMIT" file_has_ada || { cat "$WORK/res/Scores/scores.txt"; fail "no 'Ada' in the score file"; }
grep -qx "Ada 0" "$WORK/res/Scores/scores.txt" || { cat "$WORK/res/Scores/scores.txt"; fail "the score file lacks 'Ada 0'"; }
grep -qx "Bob 12" "$WORK/res/Scores/scores.txt" || fail "an earlier entry was lost"
[ "$(head -n 1 "$WORK/res/Scores/scores.txt")" = "Bob 12" ] || fail "the score file is not sorted"

# Level 1 is built again.
level_built_again() { [ "$(count_lines "Loaded ShadowMap")" -gt "$shown" ]; }
wait_until "$SETUP_LIMIT" level_built_again || fail "no new level after the name"
wait_for_play

# Tab held in play shows the overlay.
take no_overlay
without=$(overlay_pixels "$LAST_SHOT")
overlay_shown() { take overlay; [ "$(overlay_pixels "$LAST_SHOT")" -gt $((without + 50)) ]; }
hold_key_until Tab overlay_shown || fail "Tab shows no overlay ($without pixels without it)"

send_key Escape
wait_exit "$STATE_LIMIT"
[ "$GAME_RC" = 0 ] || fail "Esc ended with exit code $GAME_RC"
echo "PASS scores"
