#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs every one, even after one has
# failed (scripts/bench-run.sh). Each pins itself and its baseline to the
# same core(s), runs them round by round and prints its figures with their
# spread over the rounds (min / median / max) and whether they kept their
# marks. At the end a summary shows each one's time, ratios and marks; the
# exit status is non-zero when a benchmark missed a mark, failed, was not
# built or ran past KWEL_BENCH_TIMEOUT seconds (default 1800), and the
# summary names them.
#   KWEL_JOBS=4 scripts/bench.sh [arguments for every benchmark]
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" || exit 1
BUILD_TYPE=Release "$top/scripts/build.sh" build-bench -DKWEL_BENCH=ON -DKWEL_TESTS=OFF || exit 1
# Every program the bench folder's build makes, as the build lists them.
exec "$top/scripts/bench-run.sh" "$top/build-bench/bench/benchmarks.txt" "$@"
