#!/usr/bin/env bash
# Fails when the exe is not a 64-bit GUI program, imports a DLL that Windows does not ship, or
# could fault when the drive it runs from goes away (see cmake/set-run-from-swap.sh).
set -euo pipefail
exe=$1
dump=$(x86_64-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-x86-64' <<<"$dump" || { echo "not PE32+ x86-64"; exit 1; }
grep -qE '^Subsystem\s+0+2\s' <<<"$dump" || { echo "not a GUI-subsystem exe"; exit 1; }
characteristics=$(sed -n 's/^Characteristics\s\+0x\([0-9a-fA-F]\+\).*/\1/p' <<<"$dump" | head -1)
[ -n "$characteristics" ] || { echo "no Characteristics in the PE header"; exit 1; }
(( (0x$characteristics & 0x0400) != 0 )) || { echo "IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP is not set (0x$characteristics)"; exit 1; }
(( (0x$characteristics & 0x0800) != 0 )) || { echo "IMAGE_FILE_NET_RUN_FROM_SWAP is not set (0x$characteristics)"; exit 1; }
system='^(bcrypt|kernel32|user32|gdi32|shell32|ole32|oleaut32|comdlg32|advapi32|dwmapi|dwrite|imm32|d3d11|dxgi|d3dcompiler_47|uxtheme|shlwapi|comctl32|msvcrt|ws2_32|api-ms-win-.*)\.dll$'
bad=0
while read -r dll; do
  if ! grep -qiE "$system" <<<"$dll"; then echo "unexpected import: $dll"; bad=1; fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
# Calls newer than the oldest Windows 10 build the program starts on are looked up at run time;
# imported by name, they would stop it from loading there.
for late in SetProcessDpiAwarenessContext GetDpiForWindow AdjustWindowRectExForDpi GetDpiForSystem; do
  if grep -qE "^\s+[0-9a-f]+\s+[0-9]+\s+$late\s*$" <<<"$dump"; then echo "imports $late by name"; bad=1; fi
done
[ $bad -eq 0 ] && echo "imports: $(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr '\n' ' ')"
exit $bad
