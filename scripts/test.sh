#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
#   linux            against the Win32 stand-in
#   linux-sanitize   the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   linux-tsan       the thread and lock tests under ThreadSanitizer
#   win32            the real 32-bit Windows programs, under Wine in a private prefix, and
#                    the release (resources, signing, archive)
# then the reproducible-build check (the shipped programs built twice, in two folders),
# and, between them, short fixed fuzz runs of every fuzz target and the coverage gate.
# The Linux scenarios run once more under valgrind's memcheck (in the linux preset).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh win32

for preset in linux linux-sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "== linux-tsan (the thread and lock tests)"
cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan -j "$jobs" --target core_tests
ctest --preset linux-tsan -R '^core_tests$'

echo "== fuzz (fixed runs)"
bash scripts/fuzz.sh --runs 20000 --seed 1

echo "== coverage"
bash scripts/coverage.sh

echo "== win32"
# A release made in this folder may have turned the tests off; they are what runs here.
cmake --preset win32 -DBUILD_TESTING=ON >/dev/null
cmake --build --preset win32 -j "$jobs"
export WINEPREFIX="$PWD/build/win32/wine-prefix" WINEARCH=win32 WINEDEBUG=-all
bash scripts/wine-prefix.sh "$WINEPREFIX"
# One wine server for the whole run, stopped however the run ends.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
xvfb-run -a ctest --preset win32 -j "$jobs"

echo "== reproducible build (win32, the shipped programs twice)"
bash scripts/check-reproducible.sh
