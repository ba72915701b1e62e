#!/usr/bin/env bash
# Installs, on a Debian machine and as root, whatever the build and the tests need and the
# machine does not have yet. Safe to run again: it installs nothing that is there.
#   install-deps.sh          the Linux build and its tests
#   install-deps.sh win32    also what the Windows builds need: the MinGW-w64 cross
#                            compilers for 32- and 64-bit Windows, 32- and 64-bit Wine
#                            and Xvfb
#   install-deps.sh screenshot   what scripts/screenshot-controls-demo.sh needs besides
set -euo pipefail

packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev googletest nlohmann-json3-dev)
# The fuzz targets (clang's libFuzzer), the memcheck runs and the coverage gate.
packages+=(clang libclang-rt-14-dev valgrind gcovr)
if [ "${1:-}" = win32 ]; then
  packages+=(mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth)
elif [ "${1:-}" = screenshot ]; then
  packages+=(wine wine32:i386 xvfb xauth x11-apps imagemagick)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Some hosts' kernels refuse 32-bit x86 programs ("Exec format error"), the 32-bit Wine
# loader among them. There the kernel is told to hand them to QEMU's user-mode emulator
# (binfmt_misc): far slower, but the same Wine.
if [ "${1:-}" = win32 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "This host does not run 32-bit programs itself: running them through QEMU"
  if ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q "install ok installed"; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      qemu-user-static >/dev/null
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt"
  # The ELF header of an i386 executable (magic and mask as QEMU's own binfmt files have
  # them); F: the emulator is opened now, so it serves every mount namespace.
  [ -e "$binfmt/qemu-i386" ] || printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$binfmt/register"
  /usr/lib/wine/wine --version >/dev/null 2>&1 ||
    { echo "32-bit programs do not run on this host, not even through QEMU" >&2; exit 1; }
fi
