#!/usr/bin/env bash
# Sets everything up and starts the game from the build folder (where res/ is staged).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cd build
exec ./quorvane
