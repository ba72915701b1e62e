#!/usr/bin/env bash
# Installs, on a Debian machine and as root, whatever the build and the tests need and the
# machine does not have yet. Safe to run again: it installs nothing that is there.
#   install-deps.sh          the Linux build and its tests
#   install-deps.sh win32    also what the Windows builds need: the MinGW-w64 cross
#                            compilers for 32- and 64-bit Windows, 32- and 64-bit Wine
#                            and Xvfb, and osslsigncode and openssl, which the release's
#                            signing needs
#   install-deps.sh screenshot   what scripts/screenshot-controls-demo.sh needs besides
set -euo pipefail

packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev googletest nlohmann-json3-dev)
# The house style of the C++ sources, which the test command checks.
packages+=(clang-format)
# The checker reads disc images through libarchive (ISO 9660, Joliet) and libudfread (UDF);
# its tests make images with genisoimage and xorriso.
packages+=(pkg-config libarchive-dev libudfread-dev genisoimage xorriso)
# It names a program's signer through OpenSSL; its test signs a program with osslsigncode.
packages+=(libssl-dev openssl osslsigncode)
# The fuzz targets (clang's libFuzzer), the memcheck runs and the coverage gate.
packages+=(clang libclang-rt-14-dev valgrind gcovr)
# The release's checks: test icons, and reading the Windows programs' resources; the
# checker's SARIF logs, validated against the SARIF schema.
packages+=(python3 python3-jsonschema)
# The test command checks every shell script.
packages+=(shellcheck)
if [ "${1:-}" = win32 ]; then
  packages+=(mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth)
  packages+=(osslsigncode openssl)
elif [ "${1:-}" = screenshot ]; then
  packages+=(wine wine32:i386 xvfb xauth x11-apps imagemagick)
fi

. "$(dirname "$0")/apt-resolve.sh"

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
native=()
foreign=()
for package in "${missing[@]}"; do
  if [[ $package == *:i386 ]]; then foreign+=("$package"); else native+=("$package"); fi
done
if [ ${#foreign[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
# A mirror caught in the middle of a sync serves a list that does not match its index;
# after a few tries the lists that did come are enough.
apt_update_retrying 3 20
apt_install() { apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
[ ${#native[@]} -eq 0 ] || apt_install "${native[@]}"
[ ${#foreign[@]} -gt 0 ] || exit 0
# 32-bit Wine's libraries must have the version of their installed 64-bit twins. When the
# two architectures' lists disagree (one suite's i386 list missing, say), the newest
# version both have is installed for both.
if ! apt_install "${foreign[@]}" 2>/dev/null; then
  mapfile -t settled < <(settle_install "${foreign[@]}")
  if ! apt_install --allow-downgrades "${settled[@]}" "${foreign[@]}"; then
    # The test command then runs the Windows tests as on a host without 32-bit programs,
    # and says so in its last lines.
    echo "NOTE: ${foreign[*]} cannot be installed from this mirror: the 32-bit Windows" \
         "tests will not run"
  fi
fi
