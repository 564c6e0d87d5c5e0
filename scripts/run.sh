#!/usr/bin/env bash
# Installs what is needed, builds Kwel and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" build -DKWEL_TESTS=OFF
exec "$top/build/src/app/kwel" "$@"
