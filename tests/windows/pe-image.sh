# The checks every shipped Windows image takes, sourced by the DLL and the
# program checks: the image kind (PE32 for 32-bit, PE32+ for 64-bit) and
# imports from Windows system DLLs only, so that no GCC or C++ runtime DLL has
# to travel with it.
#
# pe_image FILE BITS   sets objdump, kind, dump and imports, and returns 1
#                      (saying why) when the kind or an import is wrong.
pe_image() {
  local file=$1 bits=$2 magic status=0
  local name
  name=$(basename "$file")
  case "$bits" in
    32) objdump=${OBJDUMP:-i686-w64-mingw32-objdump}; magic=010b; kind="32-bit (PE32)" ;;
    64) objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}; magic=020b; kind="64-bit (PE32+)" ;;
    *) echo "$name: bits must be 32 or 64, not $bits" >&2; return 2 ;;
  esac
  dump=$("$objdump" -p "$file")
  if ! grep -Eq "^Magic[[:space:]]+$magic" <<<"$dump"; then
    echo "$name: not a $kind image"
    status=1
  fi
  imports=$(printf '%s\n' "$dump" | awk '/DLL Name:/{print tolower($3)}' | sort -u)
  local allowed='^(kernel32|user32|ole32|oleaut32|advapi32|msvcrt|ntdll|shell32|ws2_32|api-ms-win-[a-z0-9-]+)\.dll$'
  local imported
  for imported in $imports; do
    if ! grep -Eq "$allowed" <<<"$imported"; then
      echo "$name: imports a non-system DLL: $imported"
      status=1
    fi
  done
  return $status
}
