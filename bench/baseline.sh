# Sourced by the before/after benchmark scripts.
# prepare_baseline REPO COMMIT DIR BENCH_SOURCE: DIR holds COMMIT as it was committed (a plain
# export, so the repository's worktrees and branches stay as they are), with this tree's
# benchmark source copied in so both sides measure alike.
prepare_baseline() {
  local repo="$1" commit="$2" dir="$3" source="$4"
  if [ ! -f "$dir/.baseline-$commit" ]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    git -C "$repo" archive "$commit" | tar -x -C "$dir"
    touch "$dir/.baseline-$commit"
  fi
  cp "$source" "$dir/bench/"
}

# build_release TREE TARGET JOBS: a Release build of TARGET and the staged res/ in TREE/build-rel.
build_release() {
  cmake -S "$1" -B "$1/build-rel" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$1/build-rel" -j"$3" --target "$2" stage_res >/dev/null
}

# use_display REPO: $DISPLAY when set, else a private Xvfb; software GL either way.
use_display() {
  if [ -z "${DISPLAY:-}" ]; then
    source "$1/scripts/xvfb.sh"
    start_xvfb 150 199
  else
    export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy
  fi
}
