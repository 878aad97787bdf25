#!/usr/bin/env bash
# Level set-up before and after, side by side in one run. Exports a baseline commit into a
# folder outside the repository, copies this tree's level_setup_bench.cpp into it, builds
# both trees in Release and runs the two benchmarks alternately on one X display, so that
# both see the same machine load.
#   bash bench/compare_setup.sh [baseline-commit]    (default 85cb228)
# Settings: ROUNDS (repeated set-ups per level, 6), RUNS (alternations, 3), JOBS (6),
# BASE_DIR (/tmp/qv-baseline-s). Uses $DISPLAY when set, otherwise starts its own Xvfb.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
baseline=${1:-85cb228}
base_dir=${BASE_DIR:-/tmp/qv-baseline-s}
rounds=${ROUNDS:-6}
runs=${RUNS:-3}
jobs=${JOBS:-6}

source "$repo/bench/baseline.sh"
prepare_baseline "$repo" "$baseline" "$base_dir" "$repo/bench/level_setup_bench.cpp"
echo "building baseline $baseline in $base_dir/build-rel and this tree in $repo/build-rel (Release)"
build_release "$base_dir" level_setup_bench "$jobs"
build_release "$repo" level_setup_bench "$jobs"

use_display "$repo"

for run in $(seq 1 "$runs"); do
  for side in baseline current; do
    if [ "$side" = baseline ]; then dir="$base_dir/build-rel"; else dir="$repo/build-rel"; fi
    echo
    echo "=== run $run: $side ($( [ "$side" = baseline ] && echo "$baseline" || git -C "$repo" rev-parse --short HEAD))"
    (cd "$dir" && ./level_setup_bench "$rounds")
  done
done
