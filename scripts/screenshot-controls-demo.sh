#!/usr/bin/env bash
# Runs the controls demo under Wine on a virtual display and takes a screenshot of it:
#   screenshot-controls-demo.sh PREFIX DEMO_EXE OUTPUT.png [KEYS...]
# The KEYS go to the demo's command line, which posts them to its window before the
# picture is taken: "tab", "alt-LETTER" (an accelerator), "line-down", "page-down" (the
# scroll bar). Installs what it needs (xvfb-run, xwd, ImageMagick's convert) when missing.
set -euo pipefail
bash "$(dirname "$0")/install-deps.sh" screenshot
prefix=$(realpath -m "$1")
demo=$(realpath "$2")
output=$(realpath -m "$3")
shift 3
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
bash "$(dirname "$0")/wine-prefix.sh" "$prefix" win32

# The inner script's own arguments expand there, not here.
# shellcheck disable=SC2016
xvfb-run -a -s "-screen 0 560x460x24" bash -c '
  wine "$1" "${@:3}" &
  demo=$!
  sleep 6
  xwd -root -silent | convert xwd:- "$2"
  wineserver -k 2>/dev/null || true
  wait "$demo" 2>/dev/null || true
' screenshot "$demo" "$output" "$@"
echo "$output"
