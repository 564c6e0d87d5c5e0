#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs every one; each prints its figures
# and the ratio against its own baseline.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
BUILD_TYPE=Release "$top/scripts/build.sh" build-bench -DKWEL_BENCH=ON -DKWEL_TESTS=OFF
for b in "$top"/build-bench/bench/*_bench; do
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen "$b" "$@"
done
