#!/usr/bin/env bash
# Builds the game and its tests with ThreadSanitizer into ./build-tsan and runs the whole
# suite on a private Xvfb display. Run by hand, not by CI: it is slow, and the end-to-end
# tests then see slow frames on purpose.
# Races inside Mesa's software driver are suppressed by tests/tsan.supp; ours are not.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/sanitized-suite.sh

# Every report is printed, and a process that made one exits with 66: its test fails.
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:second_deadlock_stack=1:print_suppressions=0"
run_sanitized_suite build-tsan "-fsanitize=thread -fno-omit-frame-pointer -O1" "$@"
