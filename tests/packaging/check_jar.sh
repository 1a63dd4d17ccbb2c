#!/usr/bin/env bash
# Checks tolvane.jar's native libraries as a user's JVM gets them: extracted
# into a folder of their own, far from this build tree. Each Linux library
# must find the others it needs in that folder (and nothing it needs may be
# missing); with --windows the jar must also hold the 32-bit Tolvane.dll,
# checked as shipped.
#   check_jar.sh JAR JAR_TOOL EXPECTED_EXPORTS [--windows]
set -euo pipefail
jar=$(realpath "$1")
jar_tool=$2
expected_exports=$3
windows=${4:-}
here=$(dirname "$0")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$jar_tool" xf "$jar" native)
status=0

linux="$work/native/linux-x86_64"
if [ ! -f "$linux/load-order" ]; then
  echo "the jar has no native/linux-x86_64/load-order"
  exit 1
fi
while read -r library; do
  [ -n "$library" ] || continue
  if [ ! -f "$linux/$library" ]; then
    echo "the jar lists $library but lacks it"
    status=1
    continue
  fi
  resolved=$(ldd "$linux/$library")
  if grep -q "not found" <<<"$resolved"; then
    echo "$library: a library it needs is not found:"
    grep "not found" <<<"$resolved"
    status=1
  fi
  # Our own libraries must come from the folder they were copied into.
  while read -r own path; do
    if [ "$(dirname "$path")" != "$linux" ]; then
      echo "$library: $own is taken from $path, not from beside it"
      status=1
    fi
  done < <(awk '$1 ~ /^libTolvane/ && $2 == "=>" {print $1, $3}' <<<"$resolved")
done <"$linux/load-order"

if [ "$windows" = "--windows" ]; then
  dll="$work/native/windows-x86/Tolvane.dll"
  if [ ! -f "$dll" ] || [ "$(tr -d '\r\n' <"$work/native/windows-x86/load-order")" != "Tolvane.dll" ]; then
    echo "the jar has no native/windows-x86/Tolvane.dll with its load-order"
    status=1
  else
    "$here/../windows/check-dll-tables.sh" "$dll" "$expected_exports" 32 symbols-elsewhere || status=1
  fi
fi

[ "$status" -eq 0 ] && echo "JAR LIBRARIES STAND ALONE"
exit "$status"
