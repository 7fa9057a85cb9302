#!/usr/bin/env bash
# Sets up dependencies, then configures and builds into build/ (or $KW_BUILD_DIR).
# Extra arguments go to the build step (for example: --target KestraneFileweir).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S "$root" -B "$build" -DKW_WERROR=$werror -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" "$@"
