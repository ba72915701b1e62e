#!/usr/bin/env bash
# A DLL planted beside a program is never loaded into it, under Wine: tests/release/
# PlantedDll.cpp put beside the program under the names of the DLLs that Windows loads on
# the way to starting a program (shell32 and the compatibility code load them by name
# alone), with Wine told to prefer a DLL of those names found there to its own.
#
#   planted-dll-test.sh road SCENARIO_DIR PLANTED_DLL LAUNCHER RECORDER
#       the launcher on one scenario's road (the setup program, the installed program):
#       it must start what the scenario expects and load none of the planted DLLs
#   planted-dll-test.sh entry PLANTED_DLL PROBE CONTROL RECORDER
#       tests/release/PlantedProbe.cpp, which loads each of those DLLs by name and then
#       takes the launcher's road through the shell: CONTROL, the same program without
#       the entry's first step, must load every planted DLL (so the plant works, and this
#       test fails where the restriction is missing); PROBE must load none, and start its
#       program all the same
#
# What Wine 8.0 shows, and what it cannot (WINEDEBUG=+loaddll):
# - On the roads through WinExec, Wine loads no DLL by name once the program runs, with the
#   restriction or without it: the road tests hold that nothing there does, no more.
# - While a process starts, Wine loads the imports of its own DLLs (version.dll, imm32.dll
#   among them) from the program's folder first, and reads no dependent-load flags: those
#   names are not planted here. On Windows they are the system's known DLLs or come with
#   the program's imports, which its load configuration keeps to the system folder
#   (release.hardened.* checks that it says so).
# - Wine's shell32 loads ole32.dll through a delayed import, which Wine resolves without
#   regard to the restriction; on Windows shell32 is a known DLL whose imports come from
#   the system folder. ole32 is not planted either.
set -u
mode=$1
here=$(cd "$(dirname "$0")" && pwd)
# The usual names, but version.dll, which comes with Wine's own imports at the start of
# every process (above).
names="uxtheme cryptbase dwmapi propsys profapi userenv"

marks_of() { grep "\.in\.$(basename "$2")\$" "$1"; }

case "$mode" in
  road)
    scenario=$2 planted=$3 launcher=$4 recorder=$5
    marks=$(mktemp "${TMPDIR:-/tmp}/kova-planted.XXXXXX")
    trap 'rm -f "$marks"' EXIT
    KOVA_PLANTED_DLL=$planted KOVA_PLANTED_MARKS=$marks KOVA_PLANTED_NAMES=$names \
      bash "$here/../scenarios/run-scenario.sh" wine "$scenario" "$launcher" "$recorder" || exit 1
    if marks_of "$marks" "$launcher"; then
      echo "FAIL $(basename "$scenario"): the launcher loaded the DLLs planted beside it (above)"
      exit 1
    fi
    echo "ok $(basename "$scenario"): no planted DLL in the launcher"
    ;;
  entry)
    planted=$2 probe=$3 control=$4 recorder=$5
    . "$here/../../scripts/wine-env.sh"
    kova_wine_env "${WINEARCH:-win32}" "$WINEPREFIX" || exit 1
    work=$(mktemp -d "${TMPDIR:-/tmp}/kova-planted.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    read -ra name_list <<<"$names"
    for dll in "${name_list[@]}"; do
      cp "$planted" "$work/$dll.dll"
    done
    cp "$recorder" "$work/setup.exe"
    failed=0
    for program in "$control" "$probe"; do
      name=$(basename "$program")
      cp "$program" "$work/$name"
      rm -f "$work"/*.in.* "$work/started.txt"
      (cd "$work" && WINEDLLOVERRIDES="$(tr ' ' ',' <<<"$names")=n,b" \
         "$kova_wine" "./$name" "${name_list[@]}" </dev/null >/dev/null 2>&1) || { echo "FAIL: $name exited with $?"; exit 1; }
      # The shell starts the program on its own time: wait for its record, which it writes
      # after the loader has loaded every DLL it needs (the probe itself has ended).
      for _ in $(seq 600); do
        [ -s "$work/started.txt" ] && break
        sleep 0.1
      done
      [ "$(cat "$work/started.txt" 2>/dev/null)" = "setup.exe [/shell]" ] ||
        { echo "FAIL: $name did not start setup.exe /shell through the shell"; failed=1; }
      loaded=$(cd "$work" && find . -maxdepth 1 -name "*.in.$name" | sed "s|^\./||; s/\.in\.$name\$//" | sort | tr '\n' ' ')
      echo "$name loaded: ${loaded:-nothing}"
      if [ "$program" = "$control" ]; then
        [ "$loaded" = "$(printf '%s.dll\n' "${name_list[@]}" | sort | tr '\n' ' ')" ] ||
          { echo "FAIL: the control must load every planted DLL, or the test proves nothing"; failed=1; }
      elif [ -n "$loaded" ]; then
        echo "FAIL: $name loaded DLLs planted beside it"
        failed=1
      fi
    done
    [ "$failed" -eq 0 ] && echo "ok entry: no planted DLL in the program on the entry"
    exit "$failed"
    ;;
  *)
    echo "usage: planted-dll-test.sh road|entry ..." >&2
    exit 2
    ;;
esac
