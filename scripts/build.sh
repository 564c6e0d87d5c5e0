#!/usr/bin/env bash
# Configures and builds one build tree.
#   scripts/build.sh DIR [cmake options...]
# KWEL_JOBS sets the number of parallel jobs (default: one per processor).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}; shift || true
jobs=${KWEL_JOBS:-$(nproc)}
cmake -S "$top" -B "$top/$dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$top/$dir" -j "$jobs"
