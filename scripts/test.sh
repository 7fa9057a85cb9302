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

# Under Wine with Mesa's software rasteriser, tearing down a Direct3D device crashes the process
# now and then (an execute fault in a rasteriser thread, at the same address each time); a test
# that fails is therefore run again, up to twice. Every failure stays visible in the output.
status=0
timeout 3600 ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2 --repeat until-pass:3 "$@" || status=$?
# Natively, after the Wine tests (whose result stands either way): any finding fails the run.
if [ "${KW_FUZZ:-1}" != 0 ]; then
  bash "$root/scripts/fuzz.sh" --short || status=1
fi
exit $status
