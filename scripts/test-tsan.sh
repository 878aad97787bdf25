#!/usr/bin/env bash
# Builds the game and its tests with ThreadSanitizer into ./build-tsan and runs the whole
# suite on a private Xvfb display. Run by hand, not by CI: it is slow, and the end-to-end
# tests then see slow frames on purpose.
# Races inside Mesa's software driver are suppressed by tests/tsan.supp; ours are not.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer -O1" >/dev/null
cmake --build build-tsan -j"${JOBS:-4}"

source scripts/xvfb.sh
start_xvfb 141 190
# Every report is printed, and a process that made one exits with 66: its test fails.
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:second_deadlock_stack=1:print_suppressions=0"
cd build-tsan
status=0
ctest --output-on-failure -j"${JOBS:-4}" -E '^e2e_' "$@" || status=1
E2E_SETUP_LIMIT=900 E2E_STATE_LIMIT=300 ctest --output-on-failure -R '^e2e_' "$@" || status=1
exit $status
