#!/usr/bin/env bash
# Sets up, builds and starts Kestrane Fileweir under Wine. On Windows, run the exe directly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KW_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" --target KestraneFileweir

source "$root/scripts/wine-session.sh"
trap kw_session_end EXIT
if [ -z "${DISPLAY:-}" ]; then
  echo "No display found: starting a private Xvfb (nothing will be visible)."
  kw_start_display
fi
kw_start_wine
echo "Starting $build/bin/KestraneFileweir.exe (settings, log and Unsorted folder live beside it)"
wine "$build/bin/KestraneFileweir.exe"
