#!/usr/bin/env bash
# Checks a Windows DLL as it is shipped: the expected image kind (PE32 for
# 32-bit, PE32+ for 64-bit), exactly the expected exports, undecorated;
# imports from Windows system DLLs only (no GCC or C++ runtime DLL); no debug
# information left in it, with its symbols in NAME.dll.debug (beside it unless
# the fourth argument is "symbols-elsewhere", as in tolvane.jar).
#   check-dll-tables.sh DLL EXPECTED_EXPORTS [32|64] [symbols-elsewhere]
set -euo pipefail
dll=$1
expected=$2
bits=${3:-32}
symbols=${4:-beside}
name=$(basename "$dll")
case "$bits" in
  32|64) ;;
  *) echo "usage: $0 DLL EXPECTED_EXPORTS [32|64]" >&2; exit 2 ;;
esac
# shellcheck source=pe-image.sh
. "$(dirname "$0")/pe-image.sh"
status=0
pe_image "$dll" "$bits" || status=1

exports=$(printf '%s\n' "$dump" |
  awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF;next} t&&/^$/{t=0}' | sort)
wanted=$(grep -v '^#' "$expected" | sed '/^$/d' | sort)
if [ "$exports" != "$wanted" ]; then
  echo "$name: exports differ from $expected:"
  diff <(printf '%s\n' "$wanted") <(printf '%s\n' "$exports") || true
  status=1
fi
# stdcall decoration (_name@N) would hide a name from GetProcAddress callers.
if grep -Eq '@[0-9]+$|^_' <<<"$exports"; then
  echo "$name: decorated export names"
  status=1
fi

sections=$("$objdump" -h "$dll" | awk '$2 ~ /^\./ {print $2}')
if grep -q '^\.debug_' <<<"$sections"; then
  echo "$name: debug sections left in the shipped DLL"
  status=1
fi
if ! grep -q '^\.gnu_debuglink$' <<<"$sections"; then
  echo "$name: no link to its separate symbols"
  status=1
fi
if [ "$symbols" = beside ] && [ ! -s "$dll.debug" ]; then
  echo "$name: symbols file $name.debug missing"
  status=1
fi

if [ $status -eq 0 ]; then
  echo "$name: $kind, $(printf '%s\n' "$exports" | wc -l) exports as expected; imports: $(echo $imports); stripped, symbols in $name.debug ($symbols)"
fi
exit $status
