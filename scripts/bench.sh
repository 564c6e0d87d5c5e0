#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs every one, even after one has
# failed. Each pins itself and its baseline to the same core(s), runs them
# round by round and prints its figures with their spread over the rounds
# (min / median / max) and whether they kept their marks. At the end a
# summary shows each one's ratios; the exit status is non-zero when a
# benchmark missed a mark or failed, and the summary names them.
#   KWEL_JOBS=4 scripts/bench.sh [arguments for every benchmark]
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" || exit 1
BUILD_TYPE=Release "$top/scripts/build.sh" build-bench -DKWEL_BENCH=ON -DKWEL_TESTS=OFF || exit 1
# The receive benchmark writes what it receives: on a tmpfs with room for it
# the disk's own hiccups stay out of its ratios.
if [ -z "${KWEL_BENCH_DIR:-}" ] && [ -w /dev/shm ] \
  && [ "$(df -k --output=avail /dev/shm 2>/dev/null | tail -n 1)" -gt $((4 * 1024 * 1024)) ]; then
  export KWEL_BENCH_DIR=/dev/shm
fi
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
failed=()
for b in "$top"/build-bench/bench/*_bench; do
  name=$(basename "$b")
  echo "== $name"
  QT_QPA_PLATFORM=offscreen "$b" "$@" 2>&1 | tee "$logs/$name"
  status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || failed+=("$name (exit $status)")
done
echo
echo "== summary"
for log in "$logs"/*; do
  echo "$(basename "$log"):"
  lines=$(grep -i -E 'ratio|mark|MISSED' "$log")
  # A benchmark without ratios: its last figures.
  [ -n "$lines" ] || lines=$(grep -v -E '^(QStandardPaths|This plugin)' "$log" | tail -n 3)
  printf '%s\n' "$lines" | sed 's/^ */  /'
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "missed their mark or failed: ${failed[*]}"
  exit 1
fi
echo "every benchmark kept its marks"
