# shellcheck shell=bash
# Sourced by the Wine scripts: the environment of one private prefix of one architecture.
#   kova_wine_env ARCH PREFIX     ARCH is win32 or win64
# exports WINEPREFIX, WINEARCH and WINEDEBUG (quiet unless already set) and sets kova_wine
# to the Wine loader that runs programs in that prefix.
#
# A win32 prefix runs everything through Debian's `wine` as it always has. A win64 prefix
# is run by the 64-bit loader itself: Debian's `wine` starts the 32-bit loader first,
# which is not what a 64-bit program wants (and fails outright on a host that cannot run
# 32-bit code). The 64-bit loader hands a 32-bit program on to the 32-bit loader itself,
# which then runs it under WoW64.
kova_wine64_loader=/usr/lib/wine/wine64

# kova_wine is for the scripts that source this.
# shellcheck disable=SC2034
kova_wine_env() {
  case "$1" in
    win32) kova_wine=wine ;;
    win64)
      kova_wine=$kova_wine64_loader
      # The loader Wine starts further processes of the prefix with (its services).
      export WINELOADER=$kova_wine64_loader
      ;;
    *) echo "unknown Wine architecture '$1' (win32 or win64)" >&2; return 1 ;;
  esac
  export WINEPREFIX=$2 WINEARCH=$1 WINEDEBUG=${WINEDEBUG:--all}
}
