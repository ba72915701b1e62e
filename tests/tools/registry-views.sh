#!/usr/bin/env bash
# Checks, in a 64-bit Wine prefix, which registry view a program of one width reaches with
# each access mask: the rows of registry-views.table for BITS, run with PROBE (regprobe
# built for that width). The WoW64 scenarios and the launcher's view setting stand on
# exactly these rules.
#   registry-views.sh BITS PROBE
# Needs WINEPREFIX (a win64 prefix). Exits 77 (skipped) when PROBE does not exist.
set -u
bits=$1 probe=$2
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$probe" ] || { echo "SKIP: no $bits-bit regprobe.exe at '$probe': build the win32 preset first"; exit 77; }
. "$here/../../scripts/wine-env.sh"
kova_wine_env win64 "$WINEPREFIX" || exit 1

reg() { "$kova_wine" reg "$@" </dev/null >/dev/null 2>&1; }
forget() {
  reg delete 'HKLM\Software\KovaTest' /f /reg:64
  reg delete 'HKLM\Software\KovaTest' /f /reg:32
  reg delete 'HKCU\Software\KovaTest' /f
}
trap forget EXIT
forget
reg import "Z:${here//\//\\}\\registry-views.reg" /reg:64 || { echo "FAIL: import /reg:64"; exit 1; }
reg import "Z:${here//\//\\}\\registry-views-32.reg" /reg:32 || { echo "FAIL: import /reg:32"; exit 1; }

failures=0 rows=0
while read -r row_bits root key access seen; do
  [ "$row_bits" = "$bits" ] || continue
  rows=$((rows + 1))
  # NOTE: the program's output goes to a file, not a pipe: Wine's services, started on
  # demand, inherit it and would hold a pipe open.
  output=$(mktemp "${TMPDIR:-/tmp}/kova-regprobe.XXXXXX")
  "$kova_wine" "$probe" "$root" "$key" "$access" Seen </dev/null >"$output" 2>/dev/null
  result=$(tr -d '\r' <"$output")
  rm -f "$output"
  if [ "$seen" = - ]; then
    expected=$(printf 'bits %s\nopen 2' "$bits")
  else
    expected=$(printf 'bits %s\nopen 0\nvalue 0 %s' "$bits" "$seen")
  fi
  if [ "$result" = "$expected" ]; then
    echo "ok   $bits-bit $root\\$key $access: $seen"
  else
    echo "FAIL $bits-bit $root\\$key $access: expected '$seen', the program printed:"
    echo "$result" | sed 's/^/       /'
    failures=$((failures + 1))
  fi
done < <(grep -v '^#' "$here/registry-views.table" | grep -v '^$')
[ "$rows" -gt 0 ] || { echo "FAIL: no rows for $bits-bit programs"; exit 1; }
echo "$rows rows, $failures wrong"
[ "$failures" -eq 0 ]
