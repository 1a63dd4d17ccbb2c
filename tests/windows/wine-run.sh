#!/usr/bin/env bash
# Runs a cross-built test program under Wine (32-bit).
#   wine-run.sh --prefix DIR --start    make the prefix if missing, start a lasting wine server
#   wine-run.sh --prefix DIR --stop     stop that wine server
#   wine-run.sh --prefix DIR PROGRAM [ARGS...]
set -euo pipefail

[ "${1:-}" = "--prefix" ] || { echo "usage: $0 --prefix DIR (--start | --stop | PROGRAM ARGS...)" >&2; exit 2; }
export WINEPREFIX=$2
shift 2
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko install prompts, and no display needed.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY

wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver32)

case "${1:-}" in
  --start)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      rm -rf "$WINEPREFIX"
      wine wineboot --init >/dev/null 2>&1
      "$wineserver" -w
    fi
    # Lingers until --stop; the test programs then start without it.
    "$wineserver" -p
    echo "wine prefix $WINEPREFIX ready"
    ;;
  --stop)
    "$wineserver" -k 2>/dev/null || true
    ;;
  *)
    program=$1
    shift
    exec wine "$program" "$@"
    ;;
esac
