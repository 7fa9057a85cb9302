#!/usr/bin/env bash
# Builds and runs the routing benchmarks under Wine; each prints its figures on RESULT lines.
# With no arguments every routing benchmark runs; otherwise the arguments are one mode of
# RoutingBench.exe (see its source), e.g. `bash bench/run.sh moves 1000`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}
# A build folder already configured is built as it is (its own flags); otherwise the project's script.
if [ -f "$build/CMakeCache.txt" ]; then cmake --build "$build" -j2 --target RoutingBench --target TemplateBench >/dev/null
else bash "$root/scripts/build.sh" --target RoutingBench --target TemplateBench >/dev/null; fi
# A prefix of its own: test runs that end their Wine session cannot kill a measurement.
export KW_WINEPREFIX="$build/wineprefix-bench"
source "$root/scripts/wine-session.sh"
# Drive T: on tmpfs, another file system than C:, for moves across volumes (as in the tests).
tmpfs_dir="/dev/shm/kwbench-$(printf '%s' "$build" | md5sum | cut -c1-12)"
trap 'kw_session_end; rm -rf "$tmpfs_dir"; rm -f "$WINEPREFIX/dosdevices/t:"' EXIT
kw_start_wine
mkdir -p "$tmpfs_dir" "$WINEPREFIX/dosdevices"
ln -sfn "$tmpfs_dir" "$WINEPREFIX/dosdevices/t:"
bench() { wine "$build/bench/RoutingBench.exe" "$@"; }
if [ "${1:-}" = templates ]; then
  shift
  wine "$build/bench/TemplateBench.exe" "$@"
elif [ $# -gt 0 ]; then
  bench "$@"
else
  bench moves
  bench cross T:
  bench select
  bench catastrophic
  bench tail
  wine "$build/bench/TemplateBench.exe"
fi
