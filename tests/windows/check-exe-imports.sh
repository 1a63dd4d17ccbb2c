#!/usr/bin/env bash
# Checks a Windows program as it is shipped to run on its own: the expected
# image kind and imports from Windows system DLLs only (pe-image.sh).
#   check-exe-imports.sh EXE [32|64]
set -euo pipefail
exe=$1
bits=${2:-32}
case "$bits" in
  32|64) ;;
  *) echo "usage: $0 EXE [32|64]" >&2; exit 2 ;;
esac
# shellcheck source=pe-image.sh
. "$(dirname "$0")/pe-image.sh"
status=0
pe_image "$exe" "$bits" || status=1
[ "$status" -eq 0 ] && echo "$(basename "$exe"): $kind, imports: $(echo $imports)"
exit "$status"
