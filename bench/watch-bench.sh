#!/usr/bin/env bash
# Folder watching figures: 100,000 empty files made on the Linux side (Wine would scan the folder
# for every new name), then WatchBench lists them and measures latency and idle cost.
# Usage: watch-bench.sh <build folder> [items] [idle seconds]
set -euo pipefail
build=$1 items=${2:-100000} idle=${3:-60}
work=$(mktemp -d /tmp/kw-watch-bench-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/large" "$work/scratch"
(cd "$work/large" && seq -f "item%06g.txt" 1 "$items" | xargs touch)
win() { printf 'Z:%s' "$1" | tr '/' '\\'; }
"$build/wine-exec" "$build/bench/WatchBench.exe" "$(win "$work/large")" "$(win "$work/scratch")" "$idle"
