#!/usr/bin/env bash
# Frame times before and after, side by side from one run: builds the baseline commit in a
# folder outside the repository with this tree's bench/frame_bench.cpp
# copied in, builds both trees in Release, runs the two benchmarks alternately level by
# level (the order swaps every time, so a busy machine hurts both alike) and prints, per
# level and figure, the median and the least value over the rounds.
#   bash bench/compare_frames.sh [rounds, 3] [frames per measurement, 240] [baseline, 85cb228]
# Uses $DISPLAY when set, else starts its own Xvfb. The baseline tree stays in
# /tmp/qv-baseline-f for the next run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${1:-3}"
frames="${2:-240}"
baseline="${3:-85cb228}"
basedir="${QV_BASELINE_DIR:-/tmp/qv-baseline-f}"
jobs="${QV_JOBS:-5}"

source "$root/bench/baseline.sh"
prepare_baseline "$root" "$baseline" "$basedir" "$root/bench/frame_bench.cpp"
echo "building baseline $baseline in $basedir ..."
build_release "$basedir" frame_bench "$jobs"
echo "building $(git -C "$root" rev-parse --short HEAD) in $root ..."
build_release "$root" frame_bench "$jobs"

use_display "$root"

results="$(mktemp -d)"
run() {  # side round level
  local dir="$basedir"
  [ "$1" = new ] && dir="$root"
  (cd "$dir/build-rel" && ./frame_bench "$frames" "$3" "$3") | sed "s/^result /$1 $2 /" >>"$results/all"
}
turn=0
for round in $(seq 1 "$rounds"); do
  echo "round $round of $rounds ..."
  for level in 1 2 3 4 5; do
    turn=$((turn + 1))
    if [ $((turn % 2)) -eq 1 ]; then run base "$round" "$level"; run new "$round" "$level"
    else run new "$round" "$level"; run base "$round" "$level"; fi
  done
done

# Median and least value over the rounds of every (level, figure) for each side.
printf "%-6s %-24s %11s %11s %11s %11s\n" level figure "before med" "after med" "before min" "after min"
awk '{ split($3, l, "="); key = l[2] " " $4; v[$1 " " key] = v[$1 " " key] " " $5; keys[key] = 1 }
  function sorted(list, a,   n, i, j, t) {
    n = split(list, a, " ")
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
    return n
  }
  function median(list,   a, n) { n = sorted(list, a); return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
  function least(list,   a, n) { n = sorted(list, a); return a[1] }
  END { for (k in keys) { split(k, p, " "); printf "%-6s %-24s %11.2f %11.2f %11.2f %11.2f\n", p[1], p[2],
        median(v["base " k]), median(v["new " k]), least(v["base " k]), least(v["new " k]) } }' \
  "$results/all" | sort -k1,1n -k2,2
echo "raw figures: $results/all"
