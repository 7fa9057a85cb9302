#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine (with a private Xvfb for window tests), then
# fuzzes the readers of files and messages briefly (scripts/fuzz.sh --short; KW_FUZZ=0 skips it).
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
# Only what Wine's Direct3D teardown crash made fail is run again (see the script).
if [ "$status" -ne 0 ]; then
  (retry_teardown_crashes "$status") && status=0 || status=$?
fi
# Natively, after the Wine tests (whose result stands either way): any finding fails the run.
if [ "${KW_FUZZ:-1}" != 0 ]; then
  bash "$root/scripts/fuzz.sh" --short || status=1
fi
exit $status
