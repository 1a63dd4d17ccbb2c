#!/usr/bin/env bash
# The library's log lines go to standard output by default, to standard error
# with TOLVANE_LOG=stderr, and nowhere with TOLVANE_LOG=off; the
# application's own output stays where it was in every case.
#   check_log_destination.sh PROBE
set -euo pipefail
probe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

run() {  # run NAME [VALUE]: the probe's stdout in NAME.out, stderr in NAME.err
  if [ $# -gt 1 ]; then
    TOLVANE_LOG=$2 "$probe" >"$work/$1.out" 2>"$work/$1.err"
  else
    env -u TOLVANE_LOG "$probe" >"$work/$1.out" 2>"$work/$1.err"
  fi
}
lines() { grep -c "$2" "$work/$1" || true; }
expect() {  # expect FILE PATTERN COUNT-TEST
  local n
  n=$(lines "$1" "$2")
  if ! [ "$n" "$3" "$4" ]; then
    echo "$1: $n lines matching '$2', expected $3 $4"
    status=1
  fi
}

run default
run unknown verbose
run stderr stderr
run off off

own='^probe: the application'
log='DE AD BE EF'
for name in default unknown stderr off; do
  expect "$name.out" "$own" -eq 1
done
expect default.out "$log" -eq 1
expect default.err "$log" -eq 0
cmp -s "$work/default.out" "$work/unknown.out" || { echo "an unknown value changed the output"; status=1; }
expect stderr.out "$log" -eq 0
expect stderr.err "$log" -eq 1
[ "$(wc -l <"$work/stderr.out")" -eq 1 ] || { echo "stderr: log lines left on standard output"; status=1; }
[ "$(wc -l <"$work/off.out")" -eq 1 ] || { echo "off: log lines left on standard output"; status=1; }
[ ! -s "$work/off.err" ] || { echo "off: log lines on standard error"; status=1; }
# What goes to standard error is exactly what standard output had.
diff <(grep -v "$own" "$work/default.out") "$work/stderr.err" >/dev/null ||
  { echo "stderr: the lines differ from standard output's"; status=1; }

[ $status -eq 0 ] && echo "log lines: stdout by default, stderr and off as asked"
exit $status
