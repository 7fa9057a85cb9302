#!/usr/bin/env bash
# scripts/teardown-retry.sh against a stand-in for ctest: a device test that failed with the
# teardown crash is run again; a failure of any other kind, or of a test without a device, ends
# the run with its status, unretried.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/build/Testing/Temporary"
cat >"$work/bin/ctest" <<'STUB'
#!/bin/bash
if [[ " $* " == *" -N "* ]]; then printf '  Test #5: e2e_route-drop\n  Test #9: LiveApp.Size/Big  # GetParam() = 1\n'; exit 0; fi
echo "$*" >>"$CALLS"
exit 0
STUB
chmod +x "$work/bin/ctest"
export PATH="$work/bin:$PATH" CALLS="$work/calls"
log="$work/build/Testing/Temporary/LastTest.log" failed="$work/build/Testing/Temporary/LastTestsFailed.log"
crash="wine: Unhandled page fault on execute access to 00007FA1 at address 00007FA1 (thread 0104), starting debugger..."
verdict() {  # runs the retry on what $failed and $log say; prints its exit status and how often ctest ran again
  rm -f "$CALLS"
  (build="$work/build"; run_ctest() { ctest "$@"; }; source "$here/../scripts/teardown-retry.sh"; retry_teardown_crashes 8) >/dev/null
  echo "$? $(cat "$CALLS" 2>/dev/null | wc -l)"
}
bad=0
expect() { [ "$2" = "$3" ] || { echo "FAIL: $1: got '$2', expected '$3'"; bad=1; }; }

printf '5:e2e_route-drop\n9:LiveApp.Size/Big  # GetParam() = 1\n' >"$failed"
printf '5/10 Test: e2e_route-drop\nOutput:\n%s\n9/10 Test: LiveApp.Size/Big  # GetParam() = 1\nOutput:\n%s\n' "$crash" "$crash" >"$log"
expect "device tests that hit the teardown crash" "$(verdict)" "0 1"

printf '5/10 Test: e2e_route-drop\nOutput:\n%s\n9/10 Test: LiveApp.Size/Big  # GetParam() = 1\nOutput:\nExpected equality\n' "$crash" >"$log"
expect "a device test that failed otherwise" "$(verdict)" "8 0"

printf '5:e2e_route-drop\n7:Undo.PutsFilesBack\n' >"$failed"
printf '5/10 Test: e2e_route-drop\nOutput:\n%s\n7/10 Test: Undo.PutsFilesBack\nOutput:\n%s\n' "$crash" "$crash" >"$log"
expect "a test without a device" "$(verdict)" "8 0"
exit $bad
