#!/usr/bin/env bash
# Runs the live tests LiveApp.AReadOnlyFolder* from a copy of the live test program in a folder
# nothing can be written to, as the program is run from Program Files by a standard user, from a write-protected stick or from a read-only share. Wine runs as root here,
# where `chmod a-w` stops nothing: the folder is made immutable with chattr instead (ext4 and
# most Linux file systems; tmpfs has no such flag), and the run is skipped (77) when that does
# not stop a new file. config.json is made before, so the test can still write its settings
# into the file that is there.
# Usage: read-only-folder.sh <kw_live_app_tests.exe> <wine-exec> <work folder>
set -euo pipefail
exe=$1 wine_exec=$2 folder=$3
command -v chattr >/dev/null || { echo "SKIP: chattr is not available to make a read-only folder"; exit 77; }
release() { chattr -i "$folder" 2>/dev/null || true; rm -rf "$folder"; }
release
trap release EXIT
mkdir -p "$folder"
cp "$exe" "$folder/"
echo '{}' > "$folder/config.json"
chattr +i "$folder" 2>/dev/null || { echo "SKIP: chattr +i is not supported on $folder"; exit 77; }
if touch "$folder/probe" 2>/dev/null; then
  echo "SKIP: chattr +i did not stop new files in $folder"
  exit 77
fi
# One program per process: each test runs on its own.
for test in AReadOnlyFolderKeepsItsDataInLocalAppData AReadOnlyFolderKeepsTheSessionMarkAndCrashReportsInLocalAppData; do
  KW_EXPECT_READ_ONLY_FOLDER=1 "$wine_exec" "$folder/$(basename "$exe")" --gtest_filter="LiveApp.$test"
done
