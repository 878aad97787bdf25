# Sourced by the sanitizer scripts: run_sanitized_suite DIR FLAGS [CTEST ARGS...] builds the
# game and its tests with FLAGS into DIR and runs the whole suite on a private Xvfb display,
# the end-to-end tests last and with the longer limits that slow frames need.
# SUITE_PRELOAD, when set, is preloaded into the unit tests and the game, not the shell tools.
run_sanitized_suite() {
  local dir="$1" flags="$2" status=0
  shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" >/dev/null
  cmake --build "$dir" -j"${JOBS:-4}"
  source scripts/xvfb.sh
  start_xvfb 141 190
  cd "$dir"
  LD_PRELOAD="${SUITE_PRELOAD:-}" ctest --output-on-failure -j"${JOBS:-4}" -E '^e2e_' "$@" || status=1
  E2E_GAME_PRELOAD="${SUITE_PRELOAD:-}" E2E_SETUP_LIMIT=900 E2E_STATE_LIMIT=300 \
    ctest --output-on-failure -R '^e2e_' "$@" || status=1
  return $status
}
