#!/usr/bin/env bash
# Builds the fuzz targets natively (clang, libFuzzer, ASan + UBSan; see fuzz/README.md) into
# build/fuzz (or $KW_BUILD_DIR/fuzz) and runs each in turn.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   SECONDS per target, 600 when not given
#   scripts/fuzz.sh --short                 the CI run: 20 s per target, every target
# Each run starts from the committed seeds and findings (fuzz/corpus/<target>/), which are read,
# never written; what it learns goes to build/fuzz/corpus/<target>/. Any finding (a crash, a
# leak, a sanitizer report, a broken promise, an input slower than 10 s) fails the script, and
# its input is kept in build/fuzz/findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}/fuzz
targets_all=(exif_date path_template settings_json batch_history move_journal intake_message command_line)

seconds=600
if [ "${1:-}" = "--short" ]; then
  seconds=20
  shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${targets_all[@]}")

bash "$root/scripts/setup.sh"
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root/fuzz" -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKW_WERROR=$werror \
  "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}")

# A report names the function and line (the symbolizer), and any of them ends the run.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:check_initialization_order=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/findings"
failed=()
for t in "${targets[@]}"; do
  max_len=4096
  case "$t" in
    exif_date) max_len=16384 ;;  # a photo's EXIF segment with room for a thumbnail
    move_journal) max_len=8192 ;;
  esac
  dict=()
  [ -f "$root/fuzz/dict/$t.dict" ] && dict=(-dict="$root/fuzz/dict/$t.dict")
  mkdir -p "$build/corpus/$t"
  echo "fuzz: $t for ${seconds} s"
  start=$(date +%s)
  if "$build/fuzz_$t" "$build/corpus/$t" "$root/fuzz/corpus/$t" "${dict[@]}" -max_total_time="$seconds" \
      -max_len=$max_len -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$t-" >"$build/$t.log" 2>&1; then
    echo "fuzz: $t clean after $(( $(date +%s) - start )) s, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$t.log" | grep -o '[0-9]*$') runs"
  else
    failed+=("$t")
    echo "fuzz: $t FOUND A FAULT (input in $build/findings/; log $build/$t.log):"
    grep -m1 -A30 -E '^==[0-9]+==ERROR|runtime error|broken promise|ALARM|deadly signal' "$build/$t.log" || tail -40 "$build/$t.log"
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}; reproduce with $build/fuzz_<target> <input>" >&2
  exit 1
fi
