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

status=0
run_ctest "$@" || status=$?
[ "$status" -eq 0 ] && exit 0

# Under Wine with Mesa's software rasteriser, tearing down a Direct3D device crashes the process
# now and then (an execute fault in a rasteriser thread). Only a test that creates a device (ctest
# label "device") and failed with exactly that crash is run again, up to twice; any other failure
# fails the run at once, so that a race elsewhere is never retried away.
failed_list="$build/Testing/Temporary/LastTestsFailed.log"
[ "$status" -ne 124 ] && [ -s "$failed_list" ] || exit "$status"
device_tests=$(ctest --test-dir "$build" -N -L '^device$' | sed -n 's/^ *Test *#[0-9]*: //p')
# The output ctest kept of one test.
output_of() {
  awk -v t="$1" '/^[0-9]+\/[0-9]+ Test: / { on = (substr($0, index($0, "Test: ") + 6) == t) } on' \
    "$build/Testing/Temporary/LastTest.log"
}
retry=()
while IFS= read -r name; do
  name=${name#*:}
  if ! grep -qxF -- "$name" <<<"$device_tests"; then
    echo "test.sh: $name failed (it creates no Direct3D device: not run again)"
    exit "$status"
  fi
  if ! output_of "$name" | grep -q "Unhandled page fault on execute access"; then
    echo "test.sh: $name failed, and not with the Direct3D teardown crash: not run again"
    exit "$status"
  fi
  retry+=("$name")
done <"$failed_list"
echo "test.sh: run again after the Direct3D teardown crash: ${retry[*]}"
pattern=$(printf '%s\n' "${retry[@]}" | sed 's/[][\.*^$+?(){}|/]/\\&/g' | paste -sd '|')
run_ctest -R "^($pattern)\$" --repeat until-pass:2
