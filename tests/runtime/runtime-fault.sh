#!/usr/bin/env bash
# Runs tests/runtime's probe with one fault and checks how it ended: the exit status
# expected, and nothing written, on either output (an emulator may join them).
#   runtime-fault.sh PROBE FAULT STATUS [EMULATOR...]
set -u
probe=$1 fault=$2 want=$3
shift 3
output=$(cd "$(dirname "$probe")" && "$@" "$probe" "$fault" </dev/null 2>&1)
got=$?
if [ "$got" -ne "$want" ]; then
  echo "FAIL $fault: exit $got, expected $want"
  [ "$got" -ne 2 ] || echo "(the probe's fault did not happen)"
  printf '%s\n' "$output"
  exit 1
fi
if [ -n "$output" ]; then
  echo "FAIL $fault: the probe wrote:"
  printf '%s\n' "$output"
  exit 1
fi
echo "ok $fault: exit $got, nothing written"
