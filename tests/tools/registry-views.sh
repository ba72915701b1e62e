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
[ "$bits" = 64 ] || [ "${KOVA_RUNS_32BIT:-1}" = 1 ] || { echo "SKIP: this machine cannot run 32-bit programs"; exit 77; }
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

# One run of the probe asks every question of the table for this width.
questions=() expected=("bits $bits") described=()
while read -r row_bits root key access seen; do
  [ "$row_bits" = "$bits" ] || continue
  questions+=("$root" "$key" "$access")
  described+=("$bits-bit $root\\$key $access: $seen")
  if [ "$seen" = - ]; then
    expected+=("open 2")
  else
    expected+=("open 0 value 0 $seen")
  fi
done < <(grep -v '^#' "$here/registry-views.table" | grep -v '^$')
[ ${#questions[@]} -gt 0 ] || { echo "FAIL: no rows for $bits-bit programs"; exit 1; }

# NOTE: the program's output goes to a file, not a pipe: Wine's services, started on
# demand, inherit it and would hold a pipe open.
output=$(mktemp "${TMPDIR:-/tmp}/kova-regprobe.XXXXXX")
"$kova_wine" "$probe" Seen "${questions[@]}" </dev/null >"$output" 2>/dev/null
mapfile -t printed < <(tr -d '\r' <"$output")
rm -f "$output"

[ "${printed[0]:-}" = "${expected[0]}" ] ||
  { echo "FAIL: the probe printed '${printed[0]:-}' where '${expected[0]}' was expected"; exit 1; }
failures=0
for ((i = 1; i < ${#expected[@]}; ++i)); do
  if [ "${printed[i]:-}" = "${expected[i]}" ]; then
    echo "ok   ${described[i - 1]}"
  else
    echo "FAIL ${described[i - 1]}; the probe printed '${printed[i]:-}'"
    failures=$((failures + 1))
  fi
done
if [ ${#printed[@]} -gt ${#expected[@]} ]; then
  echo "FAIL: the probe printed more than was asked:"; printf '  %s\n' "${printed[@]:${#expected[@]}}"
  failures=$((failures + 1))
fi
echo "$((${#expected[@]} - 1)) rows, $failures wrong"
[ "$failures" -eq 0 ]
