#!/usr/bin/env bash
# Makes sure the private Wine prefix PREFIX of architecture ARCH (win32, the default, or
# win64) exists; creates it on first use. Runs that may start together wait for each other
# on a lock.
#   wine-prefix.sh PREFIX [ARCH]
set -u
prefix=$(realpath -m "$1")
. "$(dirname "$0")/wine-env.sh"
kova_wine_env "${2:-win32}" "$prefix" || exit 1
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    "$kova_wine" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed for $prefix" >&2; exit 1; }
    # Windows that no X window manager handles are created and destroyed at once;
    # managed ones cost seconds each on a display without a window manager.
    "$kova_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
  fi
) 9>"$prefix.lock"
