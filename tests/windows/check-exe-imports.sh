#!/usr/bin/env bash
# Checks a Windows program as it is shipped to run on its own: the expected
# image kind (PE32 for 32-bit, PE32+ for 64-bit) and imports from Windows
# system DLLs only, so no GCC or C++ runtime DLL has to travel with it.
#   check-exe-imports.sh EXE [32|64]
set -euo pipefail
exe=$1
bits=${2:-32}
name=$(basename "$exe")
case "$bits" in
  32) objdump=${OBJDUMP:-i686-w64-mingw32-objdump}; magic=010b; kind="32-bit (PE32)" ;;
  64) objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}; magic=020b; kind="64-bit (PE32+)" ;;
  *) echo "usage: $0 EXE [32|64]" >&2; exit 2 ;;
esac
dump=$("$objdump" -p "$exe")
status=0
if ! grep -Eq "^Magic[[:space:]]+$magic" <<<"$dump"; then
  echo "$name: not a $kind image"
  status=1
fi
imports=$(printf '%s\n' "$dump" | awk '/DLL Name:/{print tolower($3)}' | sort -u)
allowed='^(kernel32|user32|ole32|oleaut32|advapi32|msvcrt|ntdll|shell32|ws2_32|api-ms-win-[a-z0-9-]+)\.dll$'
for imported in $imports; do
  if ! grep -Eq "$allowed" <<<"$imported"; then
    echo "$name: imports a non-system DLL: $imported"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "$name: $kind, imports: $(echo $imports)"
exit "$status"
