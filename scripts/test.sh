#!/usr/bin/env bash
# Installs what is needed, builds Kwel and runs the whole test suite twice:
# once in the normal build (warnings are errors) and once under
# AddressSanitizer and UndefinedBehaviorSanitizer. The normal build makes the
# benchmarks too (without running them), so that none stops compiling unseen.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" || exit 1
jobs=$(nproc)
status=0

run_suite() {
  local dir=$1; shift
  echo "== build $dir"
  "$top/scripts/build.sh" "$dir" -DKWEL_WERROR=ON "$@" || return 1
  echo "== tests $dir"
  (cd "$top/$dir" && ctest --output-on-failure -j "$jobs" --timeout 600)
}

run_suite build -DKWEL_BENCH=ON || status=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$top/tests/common/lsan.supp
run_suite build-asan -DKWEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug || status=1
exit $status
