#!/usr/bin/env bash
# Installs what is missing, checks every shell script with shellcheck and the layout of the C++
# sources with clang-format (scripts/check-format.sh), builds every
# configuration and runs every test:
#   linux            against the Win32 stand-in
#   linux-sanitize   the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   linux-tsan       the thread and lock tests under ThreadSanitizer
#   win32            the real 32-bit Windows programs, under Wine in a private prefix, and
#                    the release (resources, signing, archive)
#   win64            the same as 64-bit Windows programs, in a private 64-bit prefix, and
#                    the 32-bit ones there under WoW64
# then the reproducible-build check (the shipped programs built twice, in two folders),
# and, between them, short fixed fuzz runs of every fuzz target and the coverage gate.
# The Linux scenarios run once more under valgrind's memcheck (in the linux preset).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh win32

echo "== shellcheck"
# Every shell script, and what each sources (found from the script's own folder); any
# finding fails the run.
mapfile -d '' shell_scripts < <(find scripts tests -name '*.sh' -type f -print0 | sort -z)
shellcheck -x -P SCRIPTDIR "${shell_scripts[@]}"

echo "== format (clang-format, .clang-format)"
bash scripts/check-format.sh

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

# Runs a Windows preset's whole ctest under Wine in the build's own prefix (win32 or
# win64), with one wine server for the whole run, stopped however the run ends.
wine_ctest() {
  (
    . scripts/wine-env.sh
    kova_wine_env "$1" "$PWD/build/$1/wine-prefix"
    bash scripts/wine-prefix.sh "$WINEPREFIX" "$1"
    wineserver -p
    trap 'wineserver -k 2>/dev/null || true' EXIT
    xvfb-run -a ctest --preset "$1" -j "$jobs"
  )
}

# Whether this machine runs 32-bit x86 programs itself. Some hosts' kernels refuse them
# ("Exec format error"), the 32-bit Wine loader among them; an emulator registered for
# them (binfmt_misc) is no answer either, far too slow for a test run. There the win32
# programs are built but not run, and the win64 preset, whose 64-bit Wine such hosts do
# run, runs every Windows test but the few that need a 32-bit program, which say so.
# KOVA_RUNS_32BIT=1 or 0 in the environment settles it either way.
# Why not, when not, is said again in the run's last lines.
no_32bit_reason=
runs_32bit() {
  case "${KOVA_RUNS_32BIT:-}" in
    1) return 0 ;;
    0) no_32bit_reason="KOVA_RUNS_32BIT=0 was set" && return 1 ;;
  esac
  if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    no_32bit_reason="32-bit Wine (wine32:i386) could not be installed from the package mirror"
  elif [ "$(head -n 1 /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null)" = enabled ] ||
    ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    no_32bit_reason="this machine cannot run 32-bit x86 programs"
  fi
  [ -z "$no_32bit_reason" ]
}

echo "== win32"
# A release made in this folder may have turned the tests off; they are what runs here.
cmake --preset win32 -DBUILD_TESTING=ON >/dev/null
cmake --build --preset win32 -j "$jobs"
if runs_32bit; then
  export KOVA_RUNS_32BIT=1
  wine_ctest win32
else
  export KOVA_RUNS_32BIT=0
  echo "NOTE: $no_32bit_reason: the win32 programs are built, and checked as files" \
       "(resources, signing, archive), not run; the win64 preset runs the Windows tests"
  ctest --preset win32 -L '^host$'
fi

# After win32: the WoW64 tests run its 32-bit programs in the 64-bit prefix.
echo "== win64"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
wine_ctest win64

echo "== reproducible build (win32, the shipped programs twice)"
bash scripts/check-reproducible.sh

echo "== done"
if [ -n "$no_32bit_reason" ]; then
  echo "NOTE: every test passed, but the 32-bit Windows tests did not run under Wine:" \
       "$no_32bit_reason. The win64 preset ran the Windows tests; those that need a" \
       "32-bit program (WoW64) were skipped."
fi
