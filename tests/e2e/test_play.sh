#!/usr/bin/env bash
# One level from the intro to play: the field from above with its targets, "LET'S GO",
# the follow view, walking with "w", and Esc.
source "$(dirname "$0")/lib.sh"
prepare_workdir
start_game
wait_for_line "Loaded ShadowMap" 60
t0=$(date +%s.%N)
sleep 3

# Intro: target tiles show their colour from above; the rest of the field is plain.
intro=$(shot intro)
targets=$(count_colour "$intro" 170 155 65 10)
[ "$targets" -gt 500 ] || fail "intro shows no target tiles ($targets target-coloured pixels)"

# "LET'S GO" between 10 and 12 s of level time: the text on black.
seen=0
for i in $(seq 1 80); do
  s=$(shot letsgo)
  text=$(count_colour "$s" 127 204 51 12 "854x60+426+700")
  bright=$(mean_brightness "$s")
  if [ "$text" -gt 200 ] && awk "BEGIN{exit !($bright < 0.05)}"; then seen=1; break; fi
  sleep 0.2
done
[ "$seen" = 1 ] || fail "no LET'S GO screen"
at=$(awk "BEGIN{print $(date +%s.%N) - $t0}")
awk "BEGIN{exit !($at > 8 && $at < 16)}" || fail "LET'S GO at ${at}s of level time"

# After 12 s the follow view: the world is drawn again.
sleep 3
before=$(shot follow)
awk "BEGIN{exit !($(mean_brightness "$before") > 0.15)}" || fail "follow view is dark"
# A short walk keeps the character on the start tile: the camera follows it, so the
# field and the sky move in the picture.
hold_key w 0.3
sleep 0.3
after=$(shot walked)
moved=$(differing_pixels "$before" "$after")
[ "$moved" -gt 5000 ] || fail "holding w changed only $moved pixels"

send_key Escape
wait_exit 20
[ "$GAME_RC" = 0 ] || fail "Esc in play ended with exit code $GAME_RC"
echo "PASS play"
