#!/usr/bin/env bash
# Sets everything up and runs the whole test suite headless on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

source scripts/xvfb.sh
start_xvfb 91 140
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
