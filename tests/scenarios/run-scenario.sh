#!/usr/bin/env bash
# Runs the launcher once against one scenario folder, the way it runs from a disc: the
# launcher, "autorun.inf" and the programs it may start sit together in a fresh folder.
#
#   run-scenario.sh posix|wine SCENARIO_DIR LAUNCHER RECORDER [CHECKER]
#
# A scenario folder holds:
#   autorun.inf   the settings file (absent: the launcher finds none)
#   registry.reg  the registry, in the registry editor's export format (optional)
#   expected      what must be started: the lines the recording program writes, one per
#                 start, "name [arg] [arg]"; an empty file means nothing may start
#   expected-tails  optional: what those programs' WinMain received, one line per start,
#                 "name show=N tail=[command tail]"
#   expected-calls  optional, checked on Linux: the launcher's registry calls,
#                 CreateProcessW and ShellExecuteW as the stand-in's record of calls shows
#                 them, in order
#   elevated      optional: the programs (file names, one a line) that need administrator
#                 rights, which the stand-in refuses to CreateProcessW as Windows does
#   expected-findings  optional: the codes of autorun-check's findings, one a line
#   programs      optional: where copies of the recording program go, one relative path
#                 a line, in UTF-8 (default: setup.exe and app.exe)
#   prepare.sh    optional: run in the fresh folder first, for inputs made at test time
#   launcher-bits optional, "32" or "64": the width of the launcher the scenario runs on
#                 64-bit Windows. "32" in a 64-bit prefix runs the win32 build's autorun.exe
#                 (KOVA_LAUNCHER32, and its checker KOVA_CHECKER32) under WoW64; on Linux
#                 the stand-in plays a program of that width on 64-bit Windows.
#   registry-view optional, "32" or "64": the registry view that registry.reg goes into
#                 (reg import /reg:32 or /reg:64; on Linux, KOVA_REGISTRY_VIEW).
# The launcher must exit with 0, start exactly what is expected, and nothing else.
# Under Wine, scenarios with launcher-bits or registry-view run only in a 64-bit prefix;
# elsewhere they are skipped (exit code 77), as is a 32-bit one with no 32-bit launcher at
# hand or on a machine that cannot run 32-bit programs (KOVA_RUNS_32BIT=0).
#
# What Wine 8.0 (Debian 12, 64-bit prefix) does with the views, as tests/tools/regprobe
# showed it; the same as 64-bit Windows does:
# - reg import FILE /reg:64 writes HKLM\Software\X to the 64-bit view; /reg:32 writes it
#   to HKLM\Software\WOW6432Node\X; a plain import (64-bit reg.exe) is /reg:64. A section
#   that names Software\WOW6432Node\X, imported with /reg:64, is X of the 32-bit view, as
#   in a .reg file exported on 64-bit Windows.
# - A 32-bit program opening HKLM\Software\X with KEY_QUERY_VALUE alone (or with
#   KEY_WOW64_32KEY, 0x200) reads WOW6432Node\X; with KEY_WOW64_64KEY (0x100) it reads
#   the 64-bit view. A 64-bit program reads the 64-bit view, unless it asks for 0x200.
# - HKCU\Software is one key for both: no program is redirected there, whatever it asks.
#
# With CHECKER, autorun-check then reads the same folder and registry, and its decision
# must be what the launcher did: the command line it handed to CreateProcessW, and a program
# started exactly when the checker found one (tests/scenarios/check-decision.py).
#
# With KOVA_VALGRIND set to valgrind's path (posix mode only), the launcher runs under
# memcheck, and any memory error or definitely lost block fails the scenario.
set -u
mode=$1 launcher=$3 recorder=$4 checker=${5:-}
# The launcher runs in a folder of its own: KOVA_REGISTRY must not be relative.
scenario=$(cd "$2" && pwd) || exit 1
name=$(basename "$scenario")

fail() { echo "FAIL $name: $*"; exit 1; }
skip() { echo "SKIP $name: $*"; exit 77; }

# A setting file of the scenario's: its first line, without a carriage return.
setting() { [ -f "$scenario/$1" ] && head -n 1 "$scenario/$1" | tr -d '\r'; }
launcher_bits=$(setting launcher-bits)
registry_view=$(setting registry-view)
case "$launcher_bits" in ''|32|64) ;; *) fail "launcher-bits must be 32 or 64" ;; esac
case "$registry_view" in ''|32|64) ;; *) fail "registry-view must be 32 or 64" ;; esac
if [ -n "$launcher_bits$registry_view" ] && [ "$mode" = wine ]; then
  [ "${WINEARCH:-win32}" = win64 ] || skip "needs a 64-bit Wine prefix (registry views)"
fi
if [ "$mode" = wine ]; then
  . "$(dirname "$0")/../../scripts/wine-env.sh"
  kova_wine_env "${WINEARCH:-win32}" "$WINEPREFIX" || exit 1
  # The launcher of the other width, when the scenario asks for it.
  if [ "$launcher_bits" = 32 ] && [ "$WINEARCH" = win64 ]; then
    [ "${KOVA_RUNS_32BIT:-1}" = 1 ] || skip "this machine cannot run 32-bit programs"
    [ -f "${KOVA_LAUNCHER32:-}" ] ||
      skip "no 32-bit autorun.exe at '${KOVA_LAUNCHER32:-}': build the win32 preset first"
    launcher=$KOVA_LAUNCHER32
    [ -z "$checker" ] || checker=${KOVA_CHECKER32:-}
  fi
  # reg's own option for the view the scenario's keys go to (and are removed from).
  view_option=()
  [ -z "$registry_view" ] || view_option=("/reg:$registry_view")
fi

if [ "$mode" = wine ]; then
  # A disc's "autorun.inf" is text in Windows-1252, which is Wine's ANSI code page in the
  # C.UTF-8 locale whatever the host's; in that locale Wine also reads the host's file
  # names as UTF-8, as the stand-in does.
  export LC_ALL=C.UTF-8
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kova-scenario.XXXXXX")
cleanup() {
  [ "$mode" = wine ] && [ -f "$scenario/registry.reg" ] && forget_registry "$scenario/registry.reg"
  rm -rf "$work" "$work.json"
}
trap cleanup EXIT

# Keys named by a ".reg" file's sections, so that a run can remove what an import left:
# scenario keys live below a component named KovaTest, which goes as a whole.
reg_sections() {
  tr -d '\r\0' <"$1" | sed -n 's/^\[\(HKEY_[^]]*\)\]$/\1/p' | sed 's/\(\\KovaTest\)\\.*$/\1/' | sort -u
}
forget_registry() {
  local key
  reg_sections "$1" | while read -r key; do
    "$kova_wine" reg delete "$key" /f "${view_option[@]}" </dev/null >/dev/null 2>&1
  done
}

launcher_name=$(basename "$launcher")
cp "$launcher" "$work/$launcher_name"
[ -e "$scenario/autorun.inf" ] && cp -r "$scenario/autorun.inf" "$work/"
if [ -f "$scenario/programs" ]; then
  programs=$(tr -d '\r' <"$scenario/programs")
else
  programs=$'setup.exe\napp.exe'
fi
while IFS= read -r program; do
  [ -n "$program" ] || continue
  mkdir -p "$work/$(dirname "$program")"
  cp "$recorder" "$work/$program"
done <<<"$programs"
if [ -f "$scenario/prepare.sh" ]; then
  (cd "$work" && bash "$scenario/prepare.sh") || fail "prepare.sh failed"
fi

if [ "$mode" = wine ]; then
  if [ -f "$scenario/registry.reg" ]; then
    forget_registry "$scenario/registry.reg"
    # Wine's drive Z: is the root of the host's file system. (Asking winepath would start
    # a wine process whose services could keep this script's output open.)
    "$kova_wine" reg import "Z:${scenario//\//\\}\\registry.reg" "${view_option[@]}" \
      </dev/null >/dev/null 2>&1 ||
      fail "could not import registry.reg"
  fi
  # Wine's relay trace shows the command line the launcher hands to Windows (the prefix
  # lets it show only the calls that start programs).
  (cd "$work" && WINEDEBUG=+relay "$kova_wine" "./$launcher_name" </dev/null >/dev/null 2>"$work/relay.txt")
  status=$?
else
  if [ -f "$scenario/registry.reg" ]; then
    export KOVA_REGISTRY="$scenario/registry.reg"
  else
    export KOVA_REGISTRY="$work/no-registry.reg"
  fi
  # The stand-in plays the launcher's width on 64-bit Windows, and imports the registry
  # into the view the scenario names.
  if [ -n "$launcher_bits$registry_view" ]; then
    export KOVA_WINDOWS64=${launcher_bits:-64}
    [ -z "$registry_view" ] || export KOVA_REGISTRY_VIEW=$registry_view
  fi
  if [ -f "$scenario/elevated" ]; then
    export KOVA_NEEDS_ELEVATION=$(tr -d '\r' <"$scenario/elevated" | paste -sd ';')
  fi
  memcheck=()
  if [ -n "${KOVA_VALGRIND:-}" ]; then
    memcheck=("$KOVA_VALGRIND" --quiet --error-exitcode=97 --leak-check=full
              --errors-for-leak-kinds=definite --show-leak-kinds=definite)
  fi
  # Every program the launcher starts inherits the launcher's output, here a pipe; the
  # pipe's end is read only once the launcher and everything it started have ended, so
  # every start, expected or not, has been recorded by then.
  export KOVA_RELAY="$work/calls.txt"
  status=$( { { (cd "$work" && "${memcheck[@]}" "./$launcher_name" </dev/null 3>&-)
                echo "$?" >&3; } | cat >&2; } 3>&1 )
  [ "$status" -ne 97 ] || [ ${#memcheck[@]} -eq 0 ] || fail "memcheck reported errors (above)"
fi
[ "$status" -eq 0 ] || fail "the launcher exited with $status"

if [ "$mode" = wine ]; then
  # Under Wine the started programs cannot be waited for from here (a Wine process may
  # start Wine's own services, which outlive it and would hold such a pipe open): wait
  # until every expected start has been recorded, then a little longer, so that an
  # unexpected extra start is seen too.
  expected_lines=$(grep -c '' "$scenario/expected")
  deadline=$((SECONDS + 60))
  while [ "$expected_lines" -gt 0 ] && [ "$SECONDS" -lt "$deadline" ]; do
    if [ -f "$work/started.txt" ] && [ "$(grep -c '' "$work/started.txt")" -ge "$expected_lines" ]; then
      break
    fi
    sleep 0.1
  done
  sleep 2
fi

compare() {
  local expected=$1 actual=$2 what=$3
  [ -f "$actual" ] || : >"$actual"
  if ! cmp -s "$expected" "$actual"; then
    echo "FAIL $name: $what differ"
    echo "--- expected"; cat "$expected"
    echo "--- got"; cat "$actual"
    exit 1
  fi
}
compare "$scenario/expected" "$work/started.txt" "started programs"
if [ -f "$scenario/expected-tails" ]; then
  compare "$scenario/expected-tails" "$work/tails.txt" "command tails and show states"
fi
if [ "$mode" = posix ] && [ -f "$scenario/expected-calls" ]; then
  # The launcher records first; the programs it started record under their own IDs.
  launcher_id=$(head -n 1 "$work/calls.txt" | cut -d: -f1)
  sed -n "s/^$launcher_id:\(Reg[A-Za-z]*(.*\|CreateProcessW(.*\|ShellExecuteW(.*\)$/\1/p" "$work/calls.txt" \
    >"$work/launcher-calls.txt"
  compare "$scenario/expected-calls" "$work/launcher-calls.txt" "the launcher's registry calls and starts"
fi
if [ -n "$checker" ]; then
  if [ "$mode" = wine ]; then
    (cd "$work" && "$kova_wine" "$checker" --json . </dev/null >"$work/../$(basename "$work").json" 2>/dev/null)
    checker_status=$?
    calls="$work/relay.txt"
  else
    (cd "$work" && env -u KOVA_RELAY "$checker" --json . </dev/null >"$work/../$(basename "$work").json")
    checker_status=$?
    calls="$work/calls.txt"
  fi
  findings=()
  [ -f "$scenario/expected-findings" ] && findings=("$scenario/expected-findings")
  python3 "$(dirname "$0")/check-decision.py" "$mode" "$work/../$(basename "$work").json" \
    "$checker_status" "$calls" "$work/started.txt" "${findings[@]}" || fail "see above"
fi
echo "ok $name"
