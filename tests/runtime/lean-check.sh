#!/usr/bin/env bash
# What a shipped Windows program must not carry: a DLL beyond Windows' own and, with
# --silent, the parts of the C++ run time that such a program replaces (the verbose
# terminate handler and its demangler, the standard exception classes and the second
# string implementation that their throw helpers bring along).
#   lean-check.sh OBJDUMP [--silent] PROGRAM.exe
set -u
objdump=$1
shift
silent=0
if [ "$1" = --silent ]; then
  silent=1
  shift
fi
program=$1
fail() { echo "FAIL $(basename "$program"): $*"; exit 1; }

imports=$("$objdump" -p "$program" | sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u)
[ -n "$imports" ] || fail "no imports read"
for dll in $imports; do
  case "$dll" in
    kernel32.dll|user32.dll|advapi32.dll|shell32.dll|msvcrt.dll|crypt32.dll) ;;
    *) fail "imports $dll, which is not part of Windows" ;;
  esac
done
if [ "$silent" = 1 ]; then
  # The verbose handler's words, and the type name of std::logic_error, which the run
  # time's own throw helpers link in.
  for text in "terminate called" "St11logic_error"; do
    ! grep -qaF "$text" "$program" || fail "holds \"$text\": the run time's own is linked in"
  done
fi
echo "ok $(basename "$program"): imports only $(tr '\n' ' ' <<<"$imports")"
