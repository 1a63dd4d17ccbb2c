#!/usr/bin/env bash
# Runs a cross-built test program under Wine, 32-bit (win32) or 64-bit (win64).
#   wine-run.sh --arch ARCH --prefix DIR --start    make the prefix if missing, start a lasting wine server
#   wine-run.sh --arch ARCH --prefix DIR --stop     stop that wine server
#   wine-run.sh --arch ARCH --prefix DIR PROGRAM [ARGS...]
set -euo pipefail

usage() { echo "usage: $0 --arch win32|win64 --prefix DIR (--start | --stop | PROGRAM ARGS...)" >&2; exit 2; }
[ "${1:-}" = "--arch" ] || usage
arch=$2
[ "${3:-}" = "--prefix" ] || usage
export WINEPREFIX=$4
shift 4
export WINEARCH=$arch
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko install prompts, and no display needed.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY

# Debian keeps the 64-bit loader out of PATH; `wine` alone picks the 32-bit
# one where wine32 is installed.
case "$arch" in
  win32) loader=$(command -v wine) ;;
  win64) loader=$(command -v wine64 || echo /usr/lib/wine/wine64) ;;
  *) usage ;;
esac
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

case "${1:-}" in
  --start)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      rm -rf "$WINEPREFIX"
      "$loader" wineboot --init </dev/null >/dev/null 2>&1
      # Until every process of the prefix's first boot has ended, the prefix
      # is still being written; a test started sooner may wait on it.
      "$wineserver" -w
    fi
    # Lingers until --stop, so that each program starts in a moment. It keeps
    # none of this script's streams: CTest waits for whoever holds the test's
    # output, and would wait for the server until the timeout.
    "$wineserver" -p </dev/null >/dev/null 2>&1
    echo "wine prefix $WINEPREFIX ready ($arch)"
    ;;
  --stop)
    "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    ;;
  *)
    # The program's output goes through a file: Wine's own processes that the
    # program starts on demand (services, the RPC server) inherit its streams
    # and outlive it while the server lingers, and a pipe they hold open
    # would keep CTest waiting until the timeout.
    output=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
    trap 'rm -f "$output"' EXIT
    status=0
    "$loader" "$@" </dev/null >"$output" 2>&1 || status=$?
    cat "$output"
    exit $status
    ;;
esac
