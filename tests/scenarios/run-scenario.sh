#!/usr/bin/env bash
# Runs the launcher once against one scenario folder, the way it runs from a disc, and
# holds what it did against the folder's expectations (tests/scenarios/README.md).
#
#   run-scenario.sh posix|wine SCENARIO_DIR LAUNCHER RECORDER [CHECKER]
#
# This script lays out the disc folder, compares the outcomes and runs the checker's
# comparison; what differs between the stand-in and Wine is in backend-posix.sh and
# backend-wine.sh, sourced here, which both define:
#   backend_setup             the run's environment; may swap $launcher and $checker for
#                             others, or skip the scenario
#   backend_prepare_registry  makes registry.reg, or no registry, the one the programs read
#   backend_run_launcher      runs the launcher ($launcher_path) in $start_folder, the disc
#                             unless the scenario starts it elsewhere; returns its exit status
#   backend_wait_until_done   returns once every program the launcher started has
#                             recorded its start
#   backend_launcher_calls F  writes the launcher's registry calls and starts to F, as
#                             expected-calls lists them; returns 1 where none are recorded
#   backend_calls             prints the record of calls check-decision.py reads
#   backend_run_checker       runs autorun-check --json in $check_folder (the folder whose
#                             autorun.inf the launcher reads) into $report; returns its
#                             exit status
#   backend_cleanup           undoes what the run changed outside its own folder
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd) || exit 1
if [ $# -lt 4 ] || [ $# -gt 5 ]; then
  echo "usage: run-scenario.sh posix|wine SCENARIO_DIR LAUNCHER RECORDER [CHECKER]" >&2
  exit 2
fi
mode=$1
name=$(basename "$2")

fail() { echo "FAIL $name: $*"; exit 1; }
skip() { echo "SKIP $name: $*"; exit 77; }

# resolve VARIABLE PATH: sets VARIABLE to the absolute PATH, which must exist. Every path
# is absolute: the programs run in a folder of their own.
resolve() {
  local path
  path=$(realpath -e -- "$2" 2>/dev/null) || fail "no such file or folder: '$2'"
  printf -v "$1" %s "$path"
}
scenario='' launcher='' recorder='' checker=''
resolve scenario "$2"
resolve launcher "$3"
resolve recorder "$4"
[ $# -lt 5 ] || resolve checker "$5"
[ -f "$scenario/expected" ] || fail "the scenario has no 'expected' file"

# A setting file of the scenario's: its first line, without a carriage return.
setting() { [ -f "$scenario/$1" ] && head -n 1 "$scenario/$1" | tr -d '\r'; }
launcher_bits=$(setting launcher-bits)
registry_view=$(setting registry-view)
native_machine=$(setting native-machine)
kernel32_without=$(setting kernel32-without)
start_in=$(setting start-in)
case "$launcher_bits" in ''|32|64) ;; *) fail "launcher-bits must be 32 or 64" ;; esac
case "$registry_view" in ''|32|64) ;; *) fail "registry-view must be 32 or 64" ;; esac
case "$native_machine" in
  ''|x86|x64|arm64|arm64-without-x64) ;;
  *) fail "native-machine must be x86, x64, arm64 or arm64-without-x64" ;;
esac
case "$start_in" in
  /*|*..*|.|./*) fail "start-in must name a new folder below the run's folder" ;;
esac

case "$mode" in
  posix)
    # shellcheck source=backend-posix.sh
    . "$here/backend-posix.sh" || fail "could not read backend-posix.sh"
    ;;
  wine)
    # shellcheck source=backend-wine.sh
    . "$here/backend-wine.sh" || fail "could not read backend-wine.sh"
    ;;
  *) fail "unknown mode '$mode' (posix or wine)" ;;
esac
backend_setup

# The run's folder: the disc, and beside it what the run keeps out of the disc's sight
# (the checker's report, the record of calls).
top=$(mktemp -d "${TMPDIR:-/tmp}/kova-scenario.XXXXXX") || fail "could not make a temporary folder"
disc=$top/disc
report=$top/report.json
cleanup() {
  backend_cleanup
  rm -rf "$top"
}
trap cleanup EXIT

mkdir "$disc" || fail "could not make the disc folder"
launcher_name=$(basename "$launcher")
cp "$launcher" "$disc/$launcher_name" || fail "could not copy the launcher"
# Where the launcher starts: from the disc, as AutoPlay starts it, or from a folder of the
# run outside the disc (start-in), as a person may start it from a prompt or a shortcut,
# with start-in-files/ copied into it. The checker reads the folder whose autorun.inf the
# launcher reads; the programs started record their starts in their current directory.
start_folder=$disc
launcher_path=./$launcher_name
if [ -n "$start_in" ]; then
  start_folder=$top/$start_in
  launcher_path=$disc/$launcher_name
  mkdir -p "$start_folder" || fail "could not make the start-in folder"
  if [ -d "$scenario/start-in-files" ]; then
    cp -r "$scenario/start-in-files/." "$start_folder/" || fail "could not copy start-in-files"
  fi
fi
check_folder=$disc
[ ! -e "$start_folder/autorun.inf" ] || check_folder=$start_folder
record_folders=("$disc")
[ "$start_folder" = "$disc" ] || record_folders+=("$start_folder")
if [ -e "$scenario/autorun.inf" ]; then
  cp -r "$scenario/autorun.inf" "$disc/" || fail "could not copy autorun.inf"
fi
if [ -f "$scenario/programs" ]; then
  programs=$(tr -d '\r' <"$scenario/programs") || fail "could not read programs"
else
  programs=$'setup.exe\napp.exe'
fi
while IFS= read -r program; do
  [ -n "$program" ] || continue
  mkdir -p "$disc/$(dirname "$program")" || fail "could not make the folder of '$program'"
  cp "$recorder" "$disc/$program" || fail "could not copy the recording program to '$program'"
done <<<"$programs"
if [ -f "$scenario/prepare.sh" ]; then
  (cd "$disc" && bash "$scenario/prepare.sh") || fail "prepare.sh failed"
fi

backend_prepare_registry
backend_run_launcher
status=$?
[ "$status" -eq 0 ] || fail "the launcher exited with $status"
backend_wait_until_done

# Holds a file the run wrote (none: nothing was written) against the expected one.
compare() {
  local expected=$1 actual=$2 what=$3
  [ -f "$actual" ] || : >"$actual" || fail "could not write '$actual'"
  if ! cmp -s "$expected" "$actual"; then
    echo "FAIL $name: $what differ"
    echo "--- expected"; cat "$expected"
    echo "--- got"; cat "$actual"
    exit 1
  fi
}
compare "$scenario/expected" "$disc/started.txt" "started programs"
if [ "$start_folder" != "$disc" ]; then
  expected_start_in=$scenario/expected-start-in
  [ -f "$expected_start_in" ] || expected_start_in=/dev/null
  compare "$expected_start_in" "$start_folder/started.txt" \
    "programs started with the start-in folder as their current directory"
fi
# Every start, in whichever folder it was recorded, for the checker's comparison.
for folder in "${record_folders[@]}"; do
  cat "$folder/started.txt" 2>/dev/null || :
done >"$top/all-started.txt" || fail "could not gather the starts"
# What the launcher starts inherits the error mode it had itself: its own keeps Windows'
# boxes away from its thread only.
for folder in "${record_folders[@]}"; do
  if grep -v ' errormode=0$' "$folder/errormodes.txt" 2>/dev/null; then
    fail "a program started with an error mode the launcher set (above)"
  fi
done
# The marks a planted DLL left where a process loaded it (tests/release/PlantedDll.cpp).
if [ -n "${KOVA_PLANTED_MARKS:-}" ]; then
  (cd "$disc" && find . -maxdepth 1 -name '*.dll.in.*' | sed 's|^\./||' | sort) >"$KOVA_PLANTED_MARKS" ||
    fail "could not list the planted DLLs' marks"
fi
if [ -f "$scenario/expected-tails" ]; then
  compare "$scenario/expected-tails" "$disc/tails.txt" "command tails and show states"
fi
if [ -f "$scenario/expected-calls" ] && backend_launcher_calls "$top/launcher-calls.txt"; then
  compare "$scenario/expected-calls" "$top/launcher-calls.txt" "the launcher's registry calls and starts"
fi

if [ -n "$checker" ]; then
  backend_run_checker
  checker_status=$?
  findings=()
  [ -f "$scenario/expected-findings" ] && findings=("$scenario/expected-findings")
  # The machine the run plays, for the checker's setup of each machine.
  machine=$native_machine
  # ARM64 Windows without GetMachineTypeAttributes is Windows 10, which runs no x64 programs.
  [ "$machine" = arm64 ] && [[ $kernel32_without == *GetMachineTypeAttributes* ]] &&
    machine=arm64-without-x64
  if [ -z "$machine" ]; then
    machine=x86
    if [ "$mode" = wine ]; then
      [ "${WINEARCH:-win32}" = win64 ] && machine=x64
    elif [ -n "$launcher_bits$registry_view" ]; then
      machine=x64
    fi
  fi
  KOVA_SCENARIO_MACHINE=$machine \
    python3 "$here/check-decision.py" "$mode" "$report" "$checker_status" "$(backend_calls)" \
    "$top/all-started.txt" "${findings[@]}" || fail "the checker's decision (above)"
fi
echo "ok $name"
