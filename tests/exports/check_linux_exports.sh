#!/usr/bin/env bash
# The shared library exports exactly the expected names: no C++ symbols.
set -euo pipefail
lib=$1
expected=$2
actual=$(nm -D --defined-only "$lib" | awk '{print $NF}' | sort)
wanted=$(grep -v '^#' "$expected" | sort)
if [ "$actual" != "$wanted" ]; then
  echo "exports of $lib differ from $expected:"
  diff <(printf '%s\n' "$wanted") <(printf '%s\n' "$actual") || true
  exit 1
fi
echo "$(printf '%s\n' "$actual" | wc -l) exports as expected"
