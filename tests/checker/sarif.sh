#!/usr/bin/env bash
# autorun-check --sarif on a clean disc, on the README's example disc (findings on lines),
# on an image of it and on a folder without autorun.inf: sarif-check.py holds each log to
# the SARIF 2.1.0 schema (sarif/), to the JSON report and to the README.
#   sarif.sh CHECKER README EXAMPLE_DISC
set -u
checker=$1 readme=$2 example=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd) || exit 1
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-sarif.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
# The example under a name its URI must encode.
disc="my disc é"
mkdir -p "$work/clean" "$work/$disc" "$work/empty" "$work/sub" || exit 1
printf '[autorun]\r\nopen=autorun.exe\r\naction=Install\r\nAppKey=Software\\KovaTest\\NeverInstalled\r\nAutoStartValueName=Run\r\nAutoStartValue=1\r\nAppPathValueName=Path\r\nSetupName=setup.exe\r\n' \
  >"$work/clean/autorun.inf"
: >"$work/clean/autorun.exe" && : >"$work/clean/setup.exe" &&
  cp "$example/autorun.inf" "$work/$disc/" && : >"$work/$disc/autorun.exe" &&
  genisoimage -quiet -J -o "$work/product.iso" "$work/$disc" 2>/dev/null || exit 1
python3 "$here/sarif-check.py" "$checker" "$here/sarif/sarif-2.1.0-rtm.5.json" "$readme" "$work"
