#!/usr/bin/env bash
# End-to-end benchmarks of the real program under Wine + Xvfb, timed as a user waits: from the
# moment a real OLE drag (tests/e2e KwDriver) drops on the drop zone to the batch's last line in
# activity.log (the file's modification time once every item's line is there). The floor is a
# bare process (FloorMove.exe) that lists the same kind of folder and moves each file with
# MoveFileExW, timed as a whole Wine process; floor and program alternate round by round, and each
# ratio is taken within its round. After each batch the program's own phase times are printed
# (KW_BATCH_PHASES: listing, selection, the move, history record, progress, log write, frames).
#
#   bash bench/drop-bench.sh drop [files] [rounds]   a folder dropped with "Expand folders" on,
#                                                    window hidden (default 3000 files, 3 rounds)
#   bash bench/drop-bench.sh small [rounds]          1 and 10 files dropped as files (default 5)
#   bash bench/drop-bench.sh undo [files]            routed, then put back (Undo last batch), with
#                                                    the settings window hidden and with its
#                                                    Activity tab shown (default 1500)
#   bash bench/drop-bench.sh probe [files]           a batch with the settings window shown while
#                                                    WM_NULL is sent to it every 100 ms (default
#                                                    20000): the worst and 99th-percentile answer
#   bash bench/drop-bench.sh handover [paths]        a script's list of paths (default 100000) handed
#                                                    over in one message, as `route` does, with the
#                                                    settings window shown and WM_NULL sent to it
#                                                    every 50 ms until the batch's last line: the
#                                                    hand-over's time and the worst answer
#   bash bench/drop-bench.sh all                     drop 3000, drop 30000 (1 round), small, undo,
#                                                    probe, handover
# Every figure is printed on a line starting with RESULT.
# One run at a time: runs share the benchmark's Wine prefix, and the end of one stops its server
# (a run started beside another leaves that one's program waiting on a server that is gone).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}
mode=${1:-drop}
# A build folder already configured is built as it is (its own flags); otherwise the project's script.
if [ -f "$build/CMakeCache.txt" ]; then cmake --build "$build" -j2 --target KestraneFileweir KwDriver FloorMove >/dev/null
else bash "$root/scripts/build.sh" --target KestraneFileweir KwDriver FloorMove >/dev/null; fi
export KW_WINEPREFIX="$build/wineprefix-bench"
source "$root/scripts/wine-session.sh"
work=$(mktemp -d /tmp/kw-dropbench-XXXXXX)
app_pid=""
stop_app() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    wine "$build/tests/e2e/KwDriver.exe" post KestraneFileweirMain 0x111 204 0 >/dev/null 2>&1 || true
    timeout 120 tail --pid="$app_pid" -f /dev/null || kill "$app_pid" 2>/dev/null || true
  fi
  app_pid=""
}
trap 'stop_app; kw_session_end; [ -n "${KW_BENCH_KEEP:-}" ] || rm -rf "$work"' EXIT
[ -n "${DISPLAY:-}" ] || kw_start_display
kw_start_wine
echo "machine: $(nproc) cores, $(uptime | sed 's/.*load average/load average/')"

driver="$build/tests/e2e/KwDriver.exe"
drive() { timeout 600 wine "$driver" "$@"; }
win() { printf 'Z:%s' "$1" | tr '/' '\\'; }
json_path() { win "$1" | sed 's/\\/\\\\/g'; }
now() { date +%s.%N; }
log="$work/app/activity.log"
phases="$work/phases.txt"

# Starts the program with one rule (*.dat into out/); $1: true to start with the window hidden.
start_app() {
  stop_app
  rm -rf "$work/app" "$work/out"
  mkdir -p "$work/app" "$work/out"
  cp "$build/bin/KestraneFileweir.exe" "$work/app/"
  printf '{"expandFoldersOnDrop": true, "noMatchPolicy": "leave_in_place", "startMinimized": %s, "minimizeToTray": true, "overlayX": 1000, "overlayY": 700, "rules": [{"name": "Data", "destination": "%s", "clauses": [{"type": "extension", "extensions": "dat"}]}]}' \
    "$1" "$(json_path "$work/out")" > "$work/app/config.json"
  : > "$phases"
  (cd "$work/app" && KW_BATCH_PHASES="$(win "$phases")" exec wine KestraneFileweir.exe) >/dev/null 2>&1 &
  app_pid=$!
  drive wait-window KestraneFileweirOverlay 60 >/dev/null
  sleep 2  # start-up settles (the history and the log tail are read on threads of their own)
}

# A folder of $2 small files at $1.
make_files() { mkdir -p "$1"; (cd "$1" && for i in $(seq 1 "$2"); do echo x > "f$i.dat"; done); }

# Waits until the log holds $2 lines containing $1 (bounded), then prints the log's time.
wait_lines() {
  for _ in $(seq 1 36000); do
    local n; n=$(grep -cF -- "$1" "$log" 2>/dev/null || true)
    [ "${n:-0}" -ge "$2" ] && break
    sleep 0.05
  done
  sleep 0.5  # the batch's lines are written in one go; anything after them would show here
  date -r "$log" +%s.%N
}

# Floor: a bare process lists $files files and moves each; prints its wall time.
floor_round() {
  rm -rf "$work/floor"; make_files "$work/floor/in" "$1"; mkdir -p "$work/floor/out"
  local start end; start=$(now)
  (cd "$work/floor" && wine "$build/bench/FloorMove.exe" "$(win "$work/floor/in")" "$(win "$work/floor/out")") >/dev/null
  end=$(now)
  echo "$end - $start" | bc -l
}

# Program: a real drag of what $2... names (round tag $1), to the last log line of its $3 items.
program_round() {
  local tag=$1 count=$2; shift 2
  local dropped end
  dropped=$(drive drag KestraneFileweirOverlay "$@" | tr -d '\r' | sed -n 's/^dropped at //p')
  end=$(wait_lines "$tag" "$count")
  rm -rf "$work/out"; mkdir -p "$work/out"
  echo "$end - $dropped" | bc -l
}

ratio() { echo "scale=2; $1 / $2" | bc -l; }
fmt() { printf '%.3f' "$1"; }

drop_bench() {  # files rounds
  local files=$1 rounds=$2
  start_app true
  for round in $(seq 1 "$rounds"); do
    local f p
    f=$(floor_round "$files")
    make_files "$work/in/d$files-$round" "$files"
    p=$(program_round "\\d$files-$round\\f" "$files" "$(win "$work/in/d$files-$round")")
    echo "RESULT drop of a folder of $files files, round $round: program $(fmt "$p") s, floor $(fmt "$f") s, ratio $(ratio "$p" "$f") (target <= $3)"
    echo "  $(tail -1 "$phases")"
  done
}

small_bench() {  # rounds
  start_app true
  for files in 1 10; do
    for round in $(seq 1 "$1"); do
      local f p names=()
      f=$(floor_round "$files")
      make_files "$work/in/s$files-$round" "$files"
      for i in $(seq 1 "$files"); do names+=("$(win "$work/in/s$files-$round/f$i.dat")"); done
      p=$(program_round "\\s$files-$round\\f" "$files" "${names[@]}")
      echo "RESULT drop of $files file(s), round $round: program $(fmt "$p") s, floor $(fmt "$f") s, ratio $(ratio "$p" "$f") (target <= 1.3)"
      echo "  $(tail -1 "$phases")"
    done
  done
}

# The settings window (the largest window of that title).
main_window() {
  for id in $(xdotool search --name '^Kestrane Fileweir$'); do
    eval "$(xdotool getwindowgeometry --shell "$id")"; echo "$((WIDTH * HEIGHT)) $id"
  done | sort -n | tail -1 | cut -d' ' -f2
}

undo_bench() {  # files
  local files=$1
  for shown in false true; do
    start_app "$([ $shown = true ] && echo false || echo true)"
    local what="settings window hidden"
    if [ $shown = true ]; then
      # The Activity tab, clicked as in the end-to-end tests (medium font, 96 DPI).
      what="Activity tab shown"
      local main; main=$(main_window)
      xdotool windowmove --sync "$main" 0 300 2>/dev/null || xdotool windowmove "$main" 0 300
      sleep 1; xdotool mousemove --window "$main" 258 66; sleep 0.3; xdotool click 1; sleep 1
    fi
    make_files "$work/in/u$files" "$files"
    local routed put start end
    routed=$(drive drag KestraneFileweirOverlay "$(win "$work/in/u$files")" | tr -d '\r' | sed -n 's/^dropped at //p')
    end=$(wait_lines "\\u$files\\f" "$files")
    routed=$(echo "$end - $routed" | bc -l)
    echo "  $(tail -1 "$phases")"
    # From the moment the command is posted, as the drop is timed from its moment (not from the
    # driver's own start, a Wine process start of 40-300 ms).
    start=$(drive post KestraneFileweirMain 0x111 207 0 | tr -d '\r' | sed -n 's/^posted at //p')
    end=$(wait_lines "[undo] [ok]" "$files")
    put=$(echo "$end - $start" | bc -l)
    echo "  $(tail -1 "$phases")"
    echo "RESULT undo of $files files, $what: routed in $(fmt "$routed") s, put back in $(fmt "$put") s, ratio $(ratio "$put" "$routed") (target <= 1.2)"
    rm -rf "$work/in/u$files"
  done
}

probe_bench() {  # files
  local files=$1
  start_app false
  make_files "$work/in/p$files" "$files"
  rm -f "$work/probe-stop"
  timeout 7200 wine "$driver" probe KestraneFileweirMain 100 "$(win "$work/probe-stop")" > "$work/probe.txt" &
  local probe_pid=$! dropped end
  sleep 1
  dropped=$(drive drag KestraneFileweirOverlay "$(win "$work/in/p$files")" | tr -d '\r' | sed -n 's/^dropped at //p')
  end=$(wait_lines "\\p$files\\f" "$files")
  touch "$work/probe-stop"; wait "$probe_pid" || true
  echo "RESULT window answer during a batch of $files files, settings window shown: $(tr -d '\r' < "$work/probe.txt") (target: every probe <= 50 ms); batch $(fmt "$(echo "$end - $dropped" | bc -l)") s"
  echo "  $(tail -1 "$phases")"
}

handover_bench() {  # paths
  local paths=$1
  start_app false
  # A message holds at most 4 MB: the files lie under a drive letter of their own (short paths),
  # 1,000 to a folder (Wine looks up each name by scanning its folder). The rule of start_app
  # takes .dat files: these are .txt, left in place, so the figure is the hand-over and the
  # window, not the moves.
  mkdir -p "$work/h"
  local folders=$(( (paths + 999) / 1000 ))
  for d in $(seq 1 "$folders"); do mkdir -p "$work/h/$d"; (cd "$work/h/$d" && seq 1 1000 | sed 's/$/.txt/' | xargs touch); done
  ln -sfn "$work/h" "$KW_WINEPREFIX/dosdevices/h:"
  for d in $(seq 1 "$folders"); do seq 1 1000 | awk -v d="$d" '{printf "H:\\%s\\%s.txt\n", d, $1}'; done > "$work/all.txt"
  head -n "$paths" "$work/all.txt" > "$work/list.txt"
  rm -f "$work/probe-stop"
  timeout 7200 wine "$driver" probe KestraneFileweirMain 50 "$(win "$work/probe-stop")" > "$work/probe.txt" &
  local probe_pid=$! start end handed
  sleep 1
  start=$(now)
  handed=$(drive hand-over KestraneFileweirMain "$(win "$work/list.txt")" | tr -d '\r')
  end=$(wait_lines "Left in place (No matching rule)" "$paths")
  touch "$work/probe-stop"; wait "$probe_pid" || true
  rm -f "$KW_WINEPREFIX/dosdevices/h:"
  echo "RESULT $handed; window answer while $paths handed-over paths were taken and left in place, settings window shown: $(head -1 "$work/probe.txt" | tr -d '\r') (target: every probe <= 50 ms); until the batch's last line $(fmt "$(echo "$end - $start" | bc -l)") s"
  # When the slow answers came, in seconds after the hand-over began.
  local late; late=$(sed -n 's/^over 50 ms at //p' "$work/probe.txt" | tr -d '\r' | tr ',' '\n' \
    | awk -v s="$start" 'NF { printf "%s%.2f s %s", sep, $1 - s, $2 " " $3; sep = ", " }')
  [ -z "$late" ] || echo "  over 50 ms at: $late"
  echo "  $(tail -1 "$phases")"
}

case "$mode" in
  drop) drop_bench "${2:-3000}" "${3:-3}" "$([ "${2:-3000}" -ge 30000 ] && echo 1.2 || echo 1.3)" ;;
  small) small_bench "${2:-5}" ;;
  undo) undo_bench "${2:-1500}" ;;
  probe) probe_bench "${2:-20000}" ;;
  handover) handover_bench "${2:-100000}" ;;
  all)
    drop_bench 3000 3 1.3; drop_bench 30000 1 1.2; small_bench 5; undo_bench 1500; probe_bench 20000
    handover_bench 100000 ;;
  *) echo "usage: drop-bench.sh drop|small|undo|probe|handover|all [files] [rounds]" >&2; exit 2 ;;
esac
