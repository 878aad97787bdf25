#!/usr/bin/env bash
# One level from the intro to play: the field from above with its targets, "LET'S GO",
# the follow view, walking with "w", and Esc. Every step waits for what the screen shows,
# so slow frames only make it slower.
source "$(dirname "$0")/lib.sh"
prepare_workdir
mkdir -p "$WORK/res/Scores"
printf 'Bob 12\n' >"$WORK/res/Scores/scores.txt"   # Tab shows a row: see play_settled
start_game
wait_for_line "Loaded ShadowMap" "$SETUP_LIMIT"
t0=$(date +%s.%N)

# Intro: target tiles show their colour from above; the rest of the field is plain.
wait_until "$STATE_LIMIT" intro_targets_shown || fail "intro shows no target tiles"

# "LET'S GO" between 10 and 12 s of level time: the text on black. The level clock runs
# with the wall clock, so it cannot come sooner; slow frames and screenshots may show it
# later, by a few frames at most (a frame of 2 s or more would skip it altogether).
wait_until "$STATE_LIMIT" letsgo_shown || fail "no LET'S GO screen"
at=$(awk "BEGIN{print $(date +%s.%N) - $t0}")
awk "BEGIN{exit !($at > 8 && $at < 30)}" || fail "LET'S GO at ${at}s of level time"

# After 12 s the follow view: the world is drawn again.
wait_until "$STATE_LIMIT" follow_view_shown || fail "follow view is dark"
play_settled
[ "$PLAY_STATE" = standing ] || fail "the run ended before anything was pressed"
before="$SHOTS/follow.png"
cp "$LAST_SHOT" "$before"

# Holding w walks: the camera follows the character, so the field and the sky move in
# the picture. A short hold keeps the character on the start tile; when frames are so slow
# that the game saw the key go down and up between two frames, it did not walk at all,
# and the hold is doubled.
hold=0.3
while true; do
  hold_key w "$hold"
  play_settled
  [ "$PLAY_STATE" = ended ] && break
  [ "$(differing_pixels "$before" "$LAST_SHOT")" -gt 5000 ] && break
  hold=$(awk "BEGIN{print $hold * 2}")
  awk "BEGIN{exit !($hold < 40)}" || fail "holding w did not change the picture"
done

# With fast frames Esc now ends the game from play. With slow frames even one frame's
# step can carry the character off the tile: the run then ends (which shows the walk as
# well), Esc means nothing on the name screen, and a stored name starts level 1 again,
# whose intro Esc ends.
if [ "$PLAY_STATE" = ended ]; then
  echo "note: the walk left the start tile (slow frames); ending through the name entry"
  clear_name
  n=$(count_lines "Loaded ShadowMap")
  xdotool type --delay 80 "Ada"
  send_key Return
  wait_until "$SETUP_LIMIT" eval '[ "$(count_lines "Loaded ShadowMap")" -gt "$n" ]' || fail "no new level after the name"
fi

send_key Escape
wait_exit "$STATE_LIMIT"
[ "$GAME_RC" = 0 ] || fail "Esc ended with exit code $GAME_RC"
echo "PASS play ($PLAY_STATE after the walk)"
