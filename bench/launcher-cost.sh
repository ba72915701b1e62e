#!/usr/bin/env bash
# What the launcher weighs and costs against its floor (bench/LauncherFloor.cpp: the file
# read and one exception carrying a standard string, caught at the top), both built as the
# shipped programs are. A benchmark to read, not a test: it prints
#   the sizes of the win32 build's autorun.exe (with its resources), of its floor and of
#   autorun-check.exe;
#   the instructions (valgrind's callgrind) of one run of the Linux build's launcher and of
#   its floor, in a folder with the release's sample "autorun.inf" and an empty registry
#   (the product is not installed): once with the setup program it names beside it, which
#   the launcher starts, and once without, when the start looks for it in every folder on
#   PATH, reading each folder whole since names match whatever their case.
#
#   launcher-cost.sh [WIN32_BUILD [LINUX_BUILD]]    (default build/win32 and build/linux;
#                                                    build both presets first)
set -euo pipefail
cd "$(dirname "$0")/.."
win32=${1:-build/win32}
linux=${2:-build/linux}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

floor_size=$(stat -c %s "$win32/bin/launcher_floor.exe")
launcher_size=$(stat -c %s "$win32/bin/autorun.exe")
checker_size=$(stat -c %s "$win32/bin/autorun-check.exe")
echo "sizes ($win32):"
printf '  %-22s %9d bytes  %s x the floor\n' autorun.exe "$launcher_size" "$(ratio "$launcher_size" "$floor_size")"
printf '  %-22s %9d bytes\n' launcher_floor.exe "$floor_size"
printf '  %-22s %9d bytes\n' autorun-check.exe "$checker_size"

work=$(mktemp -d "${TMPDIR:-/tmp}/kova-cost.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp release/autorun.inf "$work/autorun.inf"
instructions() {
  cp "$1" "$work/"
  (cd "$work" && KOVA_REGISTRY="$work/none.reg" valgrind --tool=callgrind \
     --callgrind-out-file=/dev/null "./$(basename "$1")" </dev/null 2>&1 >/dev/null) |
    sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p'
}
floor_cost=$(instructions "$linux/bin/launcher_floor")
echo "instructions of one run ($linux, callgrind):"
# The setup program started is a program that ends at once; callgrind follows no child.
cp /bin/true "$work/setup.exe"
launcher_cost=$(instructions "$linux/bin/autorun")
printf '  %-34s %9d  %s x the floor\n' "autorun, setup program there" "$launcher_cost" \
  "$(ratio "$launcher_cost" "$floor_cost")"
rm "$work/setup.exe"
launcher_cost=$(instructions "$linux/bin/autorun")
printf '  %-34s %9d  %s x the floor\n' "autorun, setup program not found" "$launcher_cost" \
  "$(ratio "$launcher_cost" "$floor_cost")"
printf '  %-34s %9d\n' launcher_floor "$floor_cost"
