#!/usr/bin/env bash
# Runs the benchmark programs a list names (one path a line), every one even
# after one has failed, and sums up: each one's time, ratios and marks. The
# exit status is non-zero when one missed a mark, failed, is missing or ran
# past KWEL_BENCH_TIMEOUT seconds (default 1800); the summary names them.
# scripts/bench.sh builds the benchmarks and runs them through this.
#   scripts/bench-run.sh LIST [arguments for every benchmark]
set -uo pipefail
list=${1:?usage: bench-run.sh LIST [arguments]}
shift
mapfile -t benches < <(grep -v '^$' "$list" 2>/dev/null)
if [ ${#benches[@]} -eq 0 ]; then
  echo "no benchmarks listed in $list"
  exit 1
fi
limit=${KWEL_BENCH_TIMEOUT:-1800}
# The benchmarks' files go into folders of this run, removed at its end even
# when a benchmark was stopped before it could remove its own.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/logs" "$scratch/tmp"
logs="$scratch/logs"
export TMPDIR="$scratch/tmp"
# The receive benchmark writes what it receives: on a tmpfs with room for it
# the disk's own hiccups stay out of its ratios.
if [ -z "${KWEL_BENCH_DIR:-}" ] && [ -w /dev/shm ] \
  && [ "$(df -k --output=avail /dev/shm 2>/dev/null | tail -n 1)" -gt $((4 * 1024 * 1024)) ]; then
  KWEL_BENCH_DIR=$(mktemp -d /dev/shm/kwel-bench.XXXXXX) && export KWEL_BENCH_DIR
  trap 'rm -rf "$scratch" "$KWEL_BENCH_DIR"' EXIT
fi

failed=()
declare -A took
for b in "${benches[@]}"; do
  name=$(basename "$b")
  echo "== $name"
  if [ ! -x "$b" ]; then
    echo "not built: $b" | tee "$logs/$name"
    took[$name]="not built"
    failed+=("$name (not built)")
    continue
  fi
  start=$SECONDS
  # Line by line, so that what a stopped benchmark printed is kept.
  QT_QPA_PLATFORM=offscreen timeout -k 10 "$limit" stdbuf -oL "$b" "$@" 2>&1 | tee "$logs/$name"
  status=${PIPESTATUS[0]}
  took[$name]="$((SECONDS - start)) s"
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    took[$name]="stopped after ${limit} s"
    failed+=("$name (stopped after ${limit} s)")
  elif [ "$status" -ne 0 ]; then
    took[$name]+=", exit $status"
    failed+=("$name (exit $status)")
  fi
done
echo
echo "== summary"
for b in "${benches[@]}"; do
  name=$(basename "$b")
  log="$logs/$name"
  echo "$name (${took[$name]}):"
  lines=$(grep -i -E 'ratio|mark|MISSED|not built' "$log")
  # A benchmark without ratios or marks: its last figures.
  [ -n "$lines" ] || lines=$(grep -v -E '^(QStandardPaths|This plugin)' "$log" | tail -n 3)
  printf '%s\n' "$lines" | sed 's/^ */  /'
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "missed their mark or failed: ${failed[*]}"
  exit 1
fi
echo "every benchmark kept its marks"
