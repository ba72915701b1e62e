#!/usr/bin/env bash
# Makes sure the private 32-bit Wine prefix PREFIX exists; creates it on first use. Runs
# that may start together wait for each other on a lock.
set -u
prefix=$(realpath -m "$1")
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || { echo "wineboot failed for $prefix" >&2; exit 1; }
    # Windows that no X window manager handles are created and destroyed at once;
    # managed ones cost seconds each on a display without a window manager.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
  fi
) 9>"$prefix.lock"
