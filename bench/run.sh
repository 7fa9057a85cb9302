#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine; each prints its own figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" --target RoutingBench >/dev/null
# A prefix of its own: test runs that end their Wine session cannot kill a measurement.
export KW_WINEPREFIX="$build/wineprefix-bench"
source "$root/scripts/wine-session.sh"
trap kw_session_end EXIT
kw_start_wine
wine "$build/bench/RoutingBench.exe" "$@"
