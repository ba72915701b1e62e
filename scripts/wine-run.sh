#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix of architecture ARCH (win32
# or win64):
#   wine-run.sh ARCH PREFIX PROGRAM [ARGUMENT...]
# CTest uses it as the cross-compiling emulator, so every Windows test runs through it.
set -u
arch=$1
prefix=$(realpath -m "$2")
shift 2
. "$(dirname "$0")/wine-env.sh"
kova_wine_env "$arch" "$prefix" || exit 1
bash "$(dirname "$0")/wine-prefix.sh" "$prefix" "$arch" || exit 1

# NOTE: Wine starts its own services (winedevice.exe and friends) on demand, and they
# outlive the program and inherit its output. Were that output CTest's pipe, CTest would
# wait for it to close for as long as the wine server lives. So the program writes to a
# file, which is shown once it has ended.
output=$(mktemp "${TMPDIR:-/tmp}/kova-wine-run.XXXXXX")
"$kova_wine" "$@" >"$output" 2>&1 </dev/null
status=$?
cat "$output"
rm -f "$output"
exit "$status"
