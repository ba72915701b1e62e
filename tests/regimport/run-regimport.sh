#!/usr/bin/env bash
# Imports one ".reg" file and reads it back through the "A" registry calls with the
# dumping program, on the stand-in or under Wine, and compares what was read with the
# file's expected dump, which the two platforms share:
#
#   run-regimport.sh posix|wine FILE.reg REGDUMP [--update]
#
# Beside FILE.reg: FILE.probes, the keys and values to read (see tests/tools/regdump.cpp);
# FILE.expected, what the reading must give; optionally FILE.codepage, the ANSI code page
# of the run (default 1252) as a number. With --update (wine mode only) the expected dump
# is written from what Wine's own import gives.
set -u
mode=$1 regfile=$(realpath "$2") dumper=$(realpath "$3") update=${4:-}
base=${regfile%.reg}
name=$(basename "$base")
fail() { echo "FAIL $name: $*"; exit 1; }

codepage=1252
[ -f "$base.codepage" ] && codepage=$(tr -d ' \r\n' <"$base.codepage")
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-regimport.XXXXXX")

if [ "$mode" = wine ]; then
  # Wine takes its ANSI code page from the locale named where a program starts, whether
  # or not the host has that locale: C.UTF-8 (which every host has) gives Windows-1252.
  # NOTE: in a locale the host lacks, Wine no longer reads the host's file names as UTF-8;
  # the files and paths here are ASCII.
  case $codepage in
    1250) locale=pl_PL.UTF-8 ;;
    1251) locale=ru_RU.UTF-8 ;;
    *) locale=C.UTF-8 ;;
  esac
  # The prefix's own loader: Debian's "wine" would start a 64-bit prefix's programs
  # through the 32-bit loader first.
  . "$(dirname "$0")/../../scripts/wine-env.sh"
  kova_wine_env "${WINEARCH:-win32}" "$WINEPREFIX" || exit 1
  wine() { env LC_ALL="$locale" "$kova_wine" "$@"; }
  # Every key the files write lives below a key named KovaTest, or is a value named
  # KovaTest... of a root: this file takes them all away, before the run and after it.
  printf '%s\r\n' 'REGEDIT4' '' \
    '[-HKEY_CURRENT_USER\Software\KovaTest]' '[-HKEY_LOCAL_MACHINE\Software\KovaTest]' \
    '[-HKEY_CLASSES_ROOT\KovaTest]' '[HKEY_CURRENT_USER]' '"KovaTestRoot"=-' >"$work/forget.reg"
  forget() { wine reg import "Z:${work//\//\\}\\forget.reg" </dev/null >/dev/null 2>&1; }
  cleanup() { forget; rm -rf "$work"; }
  trap cleanup EXIT
  # The import's own verdict does not matter: a refused file imports nothing, and the
  # dump shows that. What reg said is kept for a failure's message.
  import_and_dump() {
    forget
    wine reg import "Z:${regfile//\//\\}" </dev/null >"$work/reg.txt" 2>&1
    echo "(reg import exited with $?)" >>"$work/reg.txt"
    cp "$base.probes" "$work/probes"
    (cd "$work" && wine "$dumper" probes dump </dev/null >/dev/null 2>&1) || fail "the dumping program failed"
  }
  import_and_dump
  # Wine's import has, once in many runs, left a whole file out that it imports every
  # other time; one more try tells such a lapse from a real difference, which repeats.
  if [ "$update" != --update ] && ! cmp -s "$base.expected" "$work/dump"; then
    echo "note $name: Wine's import gave another reading at first; trying once more:"
    diff "$base.expected" "$work/dump"
    cat "$work/reg.txt"
    import_and_dump
  fi
else
  trap 'rm -rf "$work"' EXIT
  KOVA_REGISTRY=$regfile KOVA_CODEPAGE=$codepage "$dumper" "$base.probes" "$work/dump" ||
    fail "the dumping program failed"
fi

if [ "$update" = --update ]; then
  [ "$mode" = wine ] || fail "--update takes Wine's word only"
  cp "$work/dump" "$base.expected"
  echo "updated $name"
  exit 0
fi
if ! cmp -s "$base.expected" "$work/dump"; then
  echo "FAIL $name: the registry read back differs from the expected dump"
  diff "$base.expected" "$work/dump"
  [ "$mode" != wine ] || cat "$work/reg.txt"
  exit 1
fi
echo "ok $name"
