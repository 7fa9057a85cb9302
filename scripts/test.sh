#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine (with a private Xvfb for window tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh"

source "$root/scripts/wine-session.sh"
trap kw_session_end EXIT
kw_start_display
kw_start_wine

run_ctest() { timeout 3600 ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2 "$@"; }
source "$root/scripts/teardown-retry.sh"
status=0
run_ctest "$@" || status=$?
[ "$status" -eq 0 ] && exit 0
retry_teardown_crashes "$status"
