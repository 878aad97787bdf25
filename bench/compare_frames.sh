#!/usr/bin/env bash
# Frame times before and after, side by side from one run: builds the baseline commit in a
# temporary git worktree outside the repository with this tree's bench/frame_bench.cpp
# copied in, builds both trees in Release, runs the two benchmarks alternately (the order
# swaps every round, so a busy machine hurts both alike) and prints, per level and figure,
# the median over the rounds.
#   bash bench/compare_frames.sh [rounds, 3] [frames per measurement, 240] [baseline, 85cb228]
# Uses $DISPLAY when set, else starts its own Xvfb. Remove the baseline tree afterwards
# with: git worktree remove --force /tmp/qv-baseline-f
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${1:-3}"
frames="${2:-240}"
baseline="${3:-85cb228}"
basedir="${QV_BASELINE_DIR:-/tmp/qv-baseline-f}"
jobs="${QV_JOBS:-5}"

if [ ! -d "$basedir" ]; then
  git -C "$root" worktree add --detach "$basedir" "$baseline" >/dev/null
fi
git -C "$basedir" checkout -q --detach "$baseline"
cp "$root/bench/frame_bench.cpp" "$basedir/bench/frame_bench.cpp"

build() {
  cmake -S "$1" -B "$1/build-release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$1/build-release" -j"$jobs" --target frame_bench stage_res >/dev/null
}
echo "building baseline $baseline in $basedir ..."
build "$basedir"
echo "building $(git -C "$root" rev-parse --short HEAD) in $root ..."
build "$root"

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 150 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then DISPLAY=":$n"; break; fi
  done
  Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
fi
export DISPLAY LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy

results="$(mktemp -d)"
run() {  # side round
  local dir="$basedir"
  [ "$1" = new ] && dir="$root"
  (cd "$dir/build-release" && ./frame_bench "$frames") | sed "s/^result /$1 $2 /" >>"$results/all"
}
for round in $(seq 1 "$rounds"); do
  echo "round $round of $rounds ..."
  if [ $((round % 2)) -eq 1 ]; then run base "$round"; run new "$round"; else run new "$round"; run base "$round"; fi
done

# Median over the rounds of every (level, figure) for each side.
printf "%-7s %-24s %10s %10s\n" level figure "before ms" "after ms"
awk '{ split($3, l, "="); key = l[2] " " $4; v[$1 " " key] = v[$1 " " key] " " $5; keys[key] = 1 }
  function median(list,   n, a, i, j, t) {
    n = split(list, a, " ")
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  END { for (k in keys) { split(k, p, " "); printf "%-7s %-24s %10.2f %10.2f\n", p[1], p[2], median(v["base " k]), median(v["new " k]) } }' \
  "$results/all" | sort -k1,1n -k2,2
echo "raw figures: $results/all"
