#!/usr/bin/env bash
# The benchmark runner with stand-in programs: it goes on after a miss, a
# failure, a missing program and one that never ends, names each of them,
# exits non-zero for them and zero when all kept their marks, and leaves no
# files of the run behind, also of a program it had to stop.
set -u
runner=${1:?usage: bench_run_test.sh RUNNER}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
check() { # check DESCRIPTION COMMAND...
  if ! "${@:2}"; then
    echo "FAIL: $1"
    fails=$((fails + 1))
  fi
}
stand_in() { # stand_in NAME BODY
  printf '#!/usr/bin/env bash\necho "$TMPDIR" >>"%s/tmpdirs"\ntouch "$TMPDIR/$RANDOM"\n%s\n' "$work" "$2" >"$work/$1"
  chmod +x "$work/$1"
}
stand_in kept_bench 'echo "  ratio a/b: min 1 median 1 max 1   mark: median <= 2: kept"'
stand_in missed_bench 'echo "  ratio a/b: min 3 median 3 max 3   mark: median <= 2: kept"; echo "MISSED 1 mark"; exit 1'
stand_in endless_bench 'echo started; sleep 60'
stand_in crashing_bench 'kill -SEGV $$'
stand_in last_bench 'echo "  ratio last: min 1 median 1 max 1   mark: median <= 2: kept"'
printf '%s\n' "$work/kept_bench" "$work/missed_bench" "$work/endless_bench" "$work/none_bench" \
  "$work/crashing_bench" "$work/last_bench" >"$work/all.txt"

KWEL_BENCH_TIMEOUT=2 KWEL_BENCH_DIR="$work" "$runner" "$work/all.txt" >"$work/out" 2>&1
status=$?
summary=$(sed -n '/^== summary/,$p' "$work/out")
named=$(grep '^missed their mark or failed' "$work/out")
check "non-zero exit after misses" [ "$status" -ne 0 ]
check "the program after the failures ran" grep -q "ratio last" <<<"$summary"
check "the miss named" grep -q "missed_bench (exit 1)" <<<"$named"
check "the endless one stopped and named" grep -q "endless_bench (stopped after 2 s)" <<<"$named"
check "what it printed before kept" grep -q "started" <<<"$summary"
check "the missing one named" grep -q "none_bench (not built)" <<<"$named"
check "the crash named" grep -q "crashing_bench (exit" <<<"$named"
check "the kept ones not named" bash -c "! grep -q -E 'kept_bench|last_bench' <<<'$named'"
while read -r dir; do
  check "files of the run removed ($dir)" [ ! -e "$dir" ]
done <"$work/tmpdirs"
check "every program given a folder of the run" [ "$(wc -l <"$work/tmpdirs")" -eq 5 ]

printf '%s\n' "$work/kept_bench" "$work/last_bench" >"$work/good.txt"
KWEL_BENCH_DIR="$work" "$runner" "$work/good.txt" >"$work/out" 2>&1
check "zero exit when all kept their marks" [ $? -eq 0 ]
check "said so" grep -q "every benchmark kept its marks" "$work/out"

: >"$work/empty.txt"
"$runner" "$work/empty.txt" >/dev/null 2>&1
check "an empty list fails" [ $? -ne 0 ]

[ "$fails" -eq 0 ] && echo "all checks passed"
exit $((fails > 0))
