#!/usr/bin/env bash
# Configures and builds one build tree.
#   scripts/build.sh DIR [cmake options...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}; shift || true
jobs=$(nproc)
cmake -S "$top" -B "$top/$dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$top/$dir" -j "$jobs"
