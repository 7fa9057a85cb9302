#!/usr/bin/env bash
# Sets IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP and IMAGE_FILE_NET_RUN_FROM_SWAP (0x0400 | 0x0800) in
# a PE file's COFF header. Windows then copies the whole image to the swap file before running
# it from a removable drive or a network share: a portable copy keeps running when the stick is
# pulled or the share drops for a moment, instead of faulting at the next page it has not loaded.
# GNU ld 2.40 has no option for these bits, so they are set after the link.
set -euo pipefail
exe=$1
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
pe=$(u32 "$exe" 60)                       # e_lfanew
[ "$(od -An -c -j "$pe" -N4 "$exe" | tr -d ' ')" = 'PE\0\0' ] || { echo "$exe: no PE signature" >&2; exit 1; }
put() {  # file offset bytes value: little-endian
  local bytes="" i
  for ((i = 0; i < $3; i++)); do bytes+=$(printf '\\%03o' $((($4 >> (8 * i)) & 0xFF))); done
  printf "$bytes" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
at=$((pe + 4 + 18))                       # COFF header: Characteristics
old=$(u16 "$exe" "$at")
value=$((old | 0x0C00))
[ "$value" -ne "$old" ] || exit 0
put "$exe" "$at" 2 "$value"
# The optional header's CheckSum (a 16-bit one's-complement sum of the file's words plus its
# length) is kept true: only one word changed, so the sum moves by the same amount.
sum_at=$((pe + 24 + 64))
checksum=$(u32 "$exe" "$sum_at")
if [ "$checksum" -ne 0 ]; then
  s=$((checksum - $(stat -c %s "$exe") + value - old))
  s=$(((s & 0xFFFF) + (s >> 16)))
  put "$exe" "$sum_at" 4 $((s + $(stat -c %s "$exe")))
fi
