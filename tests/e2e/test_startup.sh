#!/usr/bin/env bash
# A normal start: the console lines in order, the loading screen, and Esc in the intro.
source "$(dirname "$0")/lib.sh"
prepare_workdir
start_game

# Freeze the game right after the loading screen was presented (the set-up prints
# "PhysX initialized" after it), so the screenshot cannot race the first frame.
wait_for_line "PhysX initialized" "$SETUP_LIMIT" 0.01
kill -STOP "$GAME_PID"
loading=$(shot loading)
kill -CONT "$GAME_PID"

# "LOADING LEVEL 1" in (0.5, 0.8, 0.2) near the bottom, starting at x = 1280 / 3.
green=$(count_colour "$loading" 127 204 51 12 "854x60+426+700")
left=$(count_colour "$loading" 127 204 51 12 "420x768+0+0")
[ "$green" -gt 300 ] || fail "loading text not found near the bottom ($green pixels)"
[ "$left" -eq 0 ] || fail "loading text starts left of width/3 ($left pixels)"

wait_for_line "Loaded ShadowMap" "$SETUP_LIMIT"
expected=$(cat <<'LINES'
Starting quorvane...

SDL initialized

OpenGL initialized

Loaded Shader from file: ./res/Shader/complex.vert
Loaded Shader from file: ./res/Shader/complex.frag
Loaded Shader from file: ./res/Shader/text.vert
Loaded Shader from file: ./res/Shader/text.frag
Loaded Shader from file: ./res/Shader/shadowMapsQuad.vert
Loaded Shader from file: ./res/Shader/shadowMapsQuad.frag
Loaded Shader from file: ./res/Shader/shadowMapShader.vert
Loaded Shader from file: ./res/Shader/shadowMapShader.frag
Loaded Shader from file: ./res/Shader/skybox.vert
Loaded Shader from file: ./res/Shader/skybox.frag
Loaded Shader from file: ./res/Shader/particle.vert
Loaded Shader from file: ./res/Shader/particle.frag
All shaders in ShaderManager loaded!!!

LINES
)
actual=$(head -n 20 "$LOG")
[ "$actual" = "$expected" ] || { diff <(echo "$expected") <(echo "$actual") || true; fail "start-up console differs"; }
[ -z "$(sed -n 20p "$LOG")" ] || fail "no empty line after the shader lines"
[ "$(sed -n 21p "$LOG")" = "PhysX initialized" ] || fail "the level set-up does not follow the shaders"

wait_until "$STATE_LIMIT" intro_targets_shown || fail "no intro after the set-up"
send_key Escape
wait_exit "$STATE_LIMIT"
[ "$GAME_RC" = 0 ] || fail "Esc in the intro ended with exit code $GAME_RC"
echo "PASS startup"
