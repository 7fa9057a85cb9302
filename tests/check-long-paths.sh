#!/usr/bin/env bash
# Product code reaches the disk through Win32 calls on \\?\ paths only: the standard library's
# file system functions go through MAX_PATH-limited forms on Windows, which refuse longer paths
# unless long paths are enabled machine-wide (Wine never refuses, so no other test would see it).
# Every call of one in model/, matching/, routing/, shell/, render/, ui/ and app/ must be on the
# allow-list beside this script, with its reason. The manifest must declare long-path awareness.
# Usage: check-long-paths.sh <source root>
set -euo pipefail
root=$1
allow="$(dirname "$0")/long-paths.allow"
calls='absolute|canonical|copy|copy_file|copy_symlink|create_directories|create_directory|create_directory_symlink'
calls+='|create_hard_link|create_symlink|current_path|directory_iterator|equivalent|exists|file_size|hard_link_count'
calls+='|is_block_file|is_character_file|is_directory|is_empty|is_fifo|is_other|is_regular_file|is_socket|is_symlink'
calls+='|last_write_time|permissions|proximate|read_symlink|recursive_directory_iterator|relative|remove|remove_all'
calls+='|rename|resize_file|space|status|symlink_status|temp_directory_path|weakly_canonical'
# file:function for every call outside a // comment
found=$(cd "$root" && grep -rnE "(std::filesystem|fs)::($calls)\b" model matching routing shell render ui app \
          --include='*.cpp' --include='*.h' |
        while IFS=: read -r file _ code; do
          grep -oE "(std::filesystem|fs)::($calls)\b" <<<"${code%%//*}" | sed -E "s#^(std::filesystem|fs)::#$file:#" || true
        done | sort -u)
failed=0
while IFS= read -r use; do
  [ -n "$use" ] || continue
  if ! grep -qE "^${use}[[:space:]]" "$allow"; then
    echo "not through the \\\\?\\ form: $use (use model/PathKind, model/ExtendedPath or a Win32 call)"
    failed=1
  fi
done <<<"$found"
grep -q '<longPathAware[^>]*>true</longPathAware>' "$root/resources/app.manifest" \
  || { echo "resources/app.manifest does not declare longPathAware"; failed=1; }
[ "$failed" = 0 ] && echo "no MAX_PATH-limited file system calls outside the allow-list"
exit $failed
