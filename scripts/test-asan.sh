#!/usr/bin/env bash
# Builds the game and its tests with AddressSanitizer and UndefinedBehaviorSanitizer into
# ./build-asan and runs the whole suite on a private Xvfb display. Run by hand, not by CI:
# it is slow, and the end-to-end tests then see slow frames on purpose.
# Leaks inside Mesa, LLVM and X11 are suppressed by tests/lsan.supp; ours are not.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/sanitized-suite.sh

export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# NOTE: Mesa unloads its driver when the GL context goes; leaks it made there would show
# as "<unknown module>", out of reach of the suppressions. Preloading keeps it mapped.
# Only our instrumented binaries get it: the shell tools of the end-to-end tests do not.
SUITE_PRELOAD="$(${CXX:-g++} -print-file-name=libasan.so):$(ls /usr/lib/*/dri/swrast_dri.so | head -n 1)"
run_sanitized_suite build-asan \
  "-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" "$@"
