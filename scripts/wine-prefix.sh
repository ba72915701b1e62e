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
  # Windows run on a virtual desktop, one X window that Wine draws them all in. Otherwise
  # every top-level window is an X window of its own and Wine follows the X server's input
  # focus: focus changes arrive from the server on their own time and are applied whenever
  # Wine next reads its X events, and a FocusOut that comes late hands the foreground to
  # the desktop, so that a thread's active window may be NULL where Windows would have
  # activated the next window. On a virtual desktop Wine alone decides, as Windows does.
  # And a relay trace (WINEDEBUG=+relay), which the scenarios read to see the command line
  # the launcher hands to Windows, shows only the calls that start programs.
  settings=4
  if [ "$(cat "$prefix/.kova-settings" 2>/dev/null)" != "$settings" ]; then
    if ! { "$kova_wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
           "$kova_wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1 &&
           "$kova_wine" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude \
             /d 'KERNEL32.CreateProcessW;KERNELBASE.CreateProcessW;SHELL32.ShellExecuteW' /f >/dev/null 2>&1 &&
           wineserver -w && echo "$settings" >"$prefix/.kova-settings"; }; then
      echo "could not set up $prefix" >&2
      exit 1
    fi
  fi
) 9>"$prefix.lock"
