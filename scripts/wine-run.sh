#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own 32-bit prefix:
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# CTest uses it as the cross-compiling emulator, so every Windows test runs through it.
set -u
prefix=$(realpath -m "$1")
shift
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
bash "$(dirname "$0")/wine-prefix.sh" "$prefix" || exit 1
exec wine "$@"
