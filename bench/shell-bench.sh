#!/usr/bin/env bash
# Shell benchmarks under Wine + Xvfb, each in a fresh folder beside a copy of ShellBench.exe:
# start-up with an empty and a 100 MB activity.log, each against the floor (FloorWindow.exe:
# Direct3D 11 and Dear ImGui drawing one frame, nothing else) in the same round; idle with the
# window hidden and shown; glyphs for 3,000 CJK characters added to the window's font; a drag of
# a folder of 100,000 files with folder expansion on; a 20,000-file batch. Prints the figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}
files=${1:-20000}
only=${2:-all}   # all, startup, idle, glyphs, batch or drop (a folder of 100,000 files, or $KW_DROP_FILES)
bash "$root/scripts/build.sh" --target ShellBench FloorWindow >/dev/null
# A prefix of its own: test runs that end their Wine session cannot kill a measurement.
export KW_WINEPREFIX="$build/wineprefix-bench"
source "$root/scripts/wine-session.sh"
trap 'kw_session_end; rm -rf "$work"' EXIT
[ -n "${DISPLAY:-}" ] || kw_start_display
kw_start_wine
work=$(mktemp -d /tmp/kw-shellbench-XXXXXX)

fresh() { rm -rf "$work/$1"; mkdir -p "$work/$1"; cp "$build/bench/ShellBench.exe" "$work/$1/"; }
run() { (cd "$work/$1" && timeout 600 wine ShellBench.exe "${@:2}") 2>&1 | grep -E "RESULT|fault" || echo "  (run failed)"; }

line='2026-03-09 14:05:31 | [ok] C:\Inbox\bill.pdf -> D:\Docs\bill.pdf (Moved via Invoices)'
figure() { sed -n "s/.*$1 \([0-9.]*\).*/\1/p" | head -1; }
compare() {  # what, program's figure, floor's figure
  awk -v what="$1" -v p="$2" -v f="$3" 'BEGIN { if (f > 0) printf "RESULT %s: program %s, floor %s, ratio %.2f (target <= 1.30)\n", what, p, f, p / f }'
}
if [ "$only" = all ] || [ "$only" = startup ]; then
for round in 1 2 3; do
  fresh floor; cp "$build/bench/FloorWindow.exe" "$work/floor/"
  floor_out=$( (cd "$work/floor" && timeout 120 wine FloorWindow.exe) 2>&1 | grep RESULT || true)
  fresh empty; : > "$work/empty/activity.log"
  program_out=$(run empty startup)
  echo "start-up, empty log (round $round):"; echo "$program_out"
  compare "start-up to first frame, ms" "$(echo "$program_out" | figure 'first frame:')" \
    "$(echo "$floor_out" | figure 'first frame:')"
  compare "private memory after start-up, MB" "$(echo "$program_out" | figure 'private')" \
    "$(echo "$floor_out" | figure 'private')"
done
fresh large; { yes "$line" || true; } | head -c $((100 * 1024 * 1024)) > "$work/large/activity.log"
echo "start-up, 100 MB log:"; run large startup
fi
if [ "$only" = all ] || [ "$only" = idle ]; then
  fresh idle; echo "idle, main window hidden:"; run idle idle-hidden
  fresh idle; echo "idle, main window shown:"; run idle idle-shown
fi
if [ "$only" = all ] || [ "$only" = glyphs ]; then
  fresh glyphs; : > "$work/glyphs/activity.log"
  echo "glyphs for 500 log lines holding 3,000 distinct CJK characters, main window shown:"; run glyphs glyphs
fi
if [ "$only" = all ] || [ "$only" = drop ]; then
  drop_files=${KW_DROP_FILES:-100000}
  fresh drop; mkdir -p "$work/drop/in"
  (cd "$work/drop/in" && for i in $(seq 0 $((drop_files - 1))); do : > "f$i.dat"; done)
  printf '{"expandFoldersOnDrop": true, "noMatchPolicy": "leave_in_place", "rules": []}' > "$work/drop/config.json"
  echo "drop of a folder holding $drop_files files, main window shown:"; run drop drop-folder "$drop_files"
fi
[ "$only" = all ] || [ "$only" = batch ] || exit 0
fresh batch; mkdir -p "$work/batch/in"
(cd "$work/batch/in" && for i in $(seq 0 $((files - 1))); do echo x > "f$i.dat"; done)
printf '{"rules": [{"name": "Data", "destination": "%s", "clauses": [{"type": "extension", "extensions": "dat"}]}]}' \
  "$(printf 'Z:%s/out' "$work/batch" | sed 's#/#\\\\#g')" > "$work/batch/config.json"
mkdir -p "$work/batch/out"
echo "batch of $files files, main window shown:"; run batch batch "$files"
