#!/usr/bin/env bash
# Prepares (or removes) what file-system tests need outside the Windows world, run by ctest as
# fixtures before the tests that use them:
#   full-disk      a folder whose config.json.tmp and history.jsonl are links to /dev/full (every
#                  write: disk full)
#   second-volume  drive T: of the test prefix on tmpfs, a different file system from C:, and
#                  drive U:, a second letter for C:'s own folder (as subst makes one), and
#                  C:\kw-mounted, a folder of C: on tmpfs (as a volume mounted in a folder), and
#                  drive V:, a "stick" a test can pull out (rename its folder) and plug back
#   trash          an empty XDG data folder for Wine's Recycle Bin, and one where Wine cannot
#                  make its trash (Trash is a plain file): a drive without a Recycle Bin
#   photos         small pictures made here (ImageMagick, exiftool): JPEG and TIFF with a date
#                  taken, a JPEG with only the picture's own date, one with no EXIF data at all
#   dpi-144        a second Wine prefix (<prefix>-dpi144, made once) whose desktop is at 144
#                  DPI (150 %), as Windows is with that scale setting
set -euo pipefail
action=$1 fixtures=$2 prefix=$3
tmpfs_dir="/dev/shm/kwtest-$(printf '%s' "$fixtures" | md5sum | cut -c1-12)"
case "$action" in
  full-disk)
    rm -rf "$fixtures/full-disk" && mkdir -p "$fixtures/full-disk"
    ln -s /dev/full "$fixtures/full-disk/config.json.tmp"
    ln -s /dev/full "$fixtures/full-disk/history.jsonl" ;;
  second-volume)
    rm -rf "$tmpfs_dir" && mkdir -p "$tmpfs_dir"
    mkdir -p "$prefix/dosdevices"
    ln -sfn "$tmpfs_dir" "$prefix/dosdevices/t:"
    ln -sfn ../drive_c "$prefix/dosdevices/u:"
    mkdir -p "$tmpfs_dir/mounted" "$prefix/drive_c"
    ln -sfn "$tmpfs_dir/mounted" "$prefix/drive_c/kw-mounted"
    rm -rf "$fixtures/stick" "$fixtures/stick-out" && mkdir -p "$fixtures/stick"
    ln -sfn "$fixtures/stick" "$prefix/dosdevices/v:" ;;
  second-volume-cleanup)
    rm -f "$prefix/dosdevices/t:" "$prefix/dosdevices/u:" "$prefix/drive_c/kw-mounted" "$prefix/dosdevices/v:"; rm -rf "$tmpfs_dir" ;;
  trash)
    rm -rf "$fixtures/xdg-data" "$fixtures/xdg-no-trash" && mkdir -p "$fixtures/xdg-data" "$fixtures/xdg-no-trash"
    echo "not a folder" > "$fixtures/xdg-no-trash/Trash" ;;
  photos)
    dir="$fixtures/photos"
    rm -rf "$dir" && mkdir -p "$dir"
    convert -size 16x16 xc:red "$dir/taken.jpg"
    exiftool -q -overwrite_original "-DateTimeOriginal=2024:05:17 09:30:00" "$dir/taken.jpg"
    convert -size 16x16 xc:blue "$dir/taken.tif"
    exiftool -q -overwrite_original "-DateTimeOriginal=2023:12:01 23:59:00" "$dir/taken.tif"
    convert -size 16x16 xc:green "$dir/modified-only.jpg"
    exiftool -q -overwrite_original "-ModifyDate=2022:01:02 03:04:05" "$dir/modified-only.jpg"
    convert -size 16x16 xc:gray "$dir/plain.jpg" ;;
  dpi-144)
    dpi_prefix="$prefix-dpi144"
    export WINEPREFIX="$dpi_prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
    if [ ! -f "$dpi_prefix/system.reg" ]; then
      timeout 300 wine wineboot -i </dev/null >/dev/null 2>&1 || true
    fi
    timeout 120 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f </dev/null >/dev/null 2>&1
    timeout 60 wineserver -w ;;
  *) echo "unknown fixture $action" >&2; exit 2 ;;
esac
