# Sourced by scripts/test.sh (and its test): after a ctest run that failed, runs again only what
# failed with Wine's Direct3D teardown crash.
#
# Under Wine with Mesa's software rasteriser, tearing down a Direct3D device crashes the process
# now and then (an execute fault in a rasteriser thread). Only a test that creates a device (ctest
# label "device") and failed with exactly that crash is run again, up to twice; any other failure
# fails the run at once, so that a race elsewhere is never retried away. Needs $build and a
# run_ctest function (ctest with the run's options); exits with the outcome.
retry_teardown_crashes() {
  local status=$1
  local failed_list="$build/Testing/Temporary/LastTestsFailed.log"
  [ "$status" -ne 124 ] && [ -s "$failed_list" ] || exit "$status"
  local device_tests
  device_tests=$(ctest --test-dir "$build" -N -L '^device$' | sed -n 's/^ *Test *#[0-9]*: //p')
  local retry=() name
  while IFS= read -r name; do
    name=${name#*:}
    if ! grep -qxF -- "$name" <<<"$device_tests"; then
      echo "test.sh: $name failed (it creates no Direct3D device: not run again)"
      exit "$status"
    fi
    # The output ctest kept of that test.
    if ! awk -v t="$name" '/^[0-9]+\/[0-9]+ Test: / { on = (substr($0, index($0, "Test: ") + 6) == t) } on' \
        "$build/Testing/Temporary/LastTest.log" | grep -q "Unhandled page fault on execute access"; then
      echo "test.sh: $name failed, and not with the Direct3D teardown crash: not run again"
      exit "$status"
    fi
    retry+=("$name")
  done <"$failed_list"
  echo "test.sh: run again after the Direct3D teardown crash: ${retry[*]}"
  local pattern
  pattern=$(printf '%s\n' "${retry[@]}" | sed 's/[][\.*^$+?(){}|/]/\\&/g' | paste -sd '|')
  run_ctest -R "^($pattern)\$" --repeat until-pass:2
  exit $?
}
