# shellcheck shell=bash
# The run's variables (scenario, disc, top, ...) are run-scenario.sh's.
# shellcheck disable=SC2154
# The scenarios' back-end for the Windows builds, under Wine in the build's prefix
# (WINEPREFIX, WINEARCH): sourced by run-scenario.sh, which describes the functions.

# How long the started programs may take to record their starts (well within the test's
# time limit, tests/scenarios/CMakeLists.txt; a start is recorded within a second).
wine_start_timeout=30

backend_setup() {
  if [ -n "$launcher_bits$registry_view" ] && [ "${WINEARCH:-win32}" != win64 ]; then
    skip "needs a 64-bit Wine prefix (registry views)"
  fi
  # Wine plays the machine its prefix is: x86 in a 32-bit one, x64 in a 64-bit one (a
  # 32-bit launcher there runs under WoW64), never ARM64; and its kernel32 lacks nothing.
  case "$native_machine" in
    arm64*) skip "Wine plays no ARM64 Windows" ;;
    x86) [ "${WINEARCH:-win32}" = win32 ] || skip "a 64-bit Wine prefix is x64 Windows" ;;
    x64) [ "${WINEARCH:-win32}" = win64 ] || skip "needs a 64-bit Wine prefix (x64 Windows)" ;;
  esac
  [ -z "$kernel32_without" ] || skip "Wine's kernel32 cannot leave out a call"
  [ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX must name the build's Wine prefix"
  # shellcheck source=../../scripts/wine-env.sh
  . "$here/../../scripts/wine-env.sh" || fail "could not read scripts/wine-env.sh"
  kova_wine_env "${WINEARCH:-win32}" "$WINEPREFIX" || fail "no Wine environment"
  # The launcher of the other width, when the scenario asks for it.
  if [ "$launcher_bits" = 32 ] && [ "$WINEARCH" = win64 ]; then
    [ "${KOVA_RUNS_32BIT:-1}" = 1 ] || skip "this machine cannot run 32-bit programs"
    [ -f "${KOVA_LAUNCHER32:-}" ] ||
      skip "no 32-bit autorun.exe at '${KOVA_LAUNCHER32:-}': build the win32 preset first"
    resolve launcher "$KOVA_LAUNCHER32"
    [ -z "$checker" ] || resolve checker "${KOVA_CHECKER32:-}"
  fi
  # reg's own option for the view the scenario's keys go to (and are removed from).
  view_option=()
  [ -z "$registry_view" ] || view_option=("/reg:$registry_view")
  # A disc's "autorun.inf" is text in Windows-1252, which is Wine's ANSI code page in the
  # C.UTF-8 locale whatever the host's; in that locale Wine also reads the host's file
  # names as UTF-8, as the stand-in does.
  export LC_ALL=C.UTF-8
}

# Keys named by a ".reg" file's sections, so that a run can remove what an import left:
# scenario keys live below a component named KovaTest, which goes as a whole.
wine_reg_sections() {
  tr -d '\r\0' <"$1" | sed -n 's/^\[\(HKEY_[^]]*\)\]$/\1/p' | sed 's/\(\\KovaTest\)\\.*$/\1/' | sort -u
}

# Removes the scenario's keys; a key that is not there is no error.
wine_forget_registry() {
  local key
  wine_reg_sections "$scenario/registry.reg" | while read -r key; do
    "$kova_wine" reg delete "$key" /f "${view_option[@]}" </dev/null >/dev/null 2>&1
  done
}

wine_registry_imported=0
backend_prepare_registry() {
  [ -f "$scenario/registry.reg" ] || return 0
  wine_registry_imported=1
  wine_forget_registry
  # Wine's drive Z: is the root of the host's file system. (Asking winepath would start a
  # wine process whose services could keep this script's output open.)
  "$kova_wine" reg import "Z:${scenario//\//\\}\\registry.reg" "${view_option[@]}" \
    </dev/null >/dev/null 2>&1 || fail "could not import registry.reg"
}

backend_run_launcher() {
  # With KOVA_PLANTED_DLL, that DLL stands beside the launcher under each name of
  # KOVA_PLANTED_NAMES (blank-separated, without ".dll"), and only the launcher and what it
  # starts are told to prefer a DLL of those names found there to Wine's own.
  local planted=() dll
  if [ -n "${KOVA_PLANTED_DLL:-}" ]; then
    for dll in $KOVA_PLANTED_NAMES; do
      cp "$KOVA_PLANTED_DLL" "$disc/$dll.dll" || fail "could not plant $dll.dll"
    done
    planted=("WINEDLLOVERRIDES=$(tr ' ' ',' <<<"$KOVA_PLANTED_NAMES")=n,b")
  fi
  # Wine's relay trace shows the command line the launcher hands to Windows (the prefix
  # lets it show only the calls that start programs).
  (cd "$start_folder" && env "${planted[@]}" WINEDEBUG=+relay "$kova_wine" "$launcher_path" \
     </dev/null >/dev/null 2>"$top/relay.txt")
}

# How many programs the launcher started: its own calls in the relay trace that succeeded,
# CreateProcessW not 0 and ShellExecuteW above 32 ("0024:Ret  KERNEL32.CreateProcessW()
# retval=00000001 ret=..."). A call counts when a program makes it itself, not inside
# another call (the shell's own CreateProcessW), with no program name beside the command
# line, as the launcher makes it (the 64-bit loader starts a 32-bit launcher with its
# name), and not when Wine's services start their helpers from the Windows folder, as
# check-decision.py reads the trace too.
wine_starts() {
  local function value starts=0
  while read -r function value; do
    case "$function" in
      create) [ $((16#$value)) -eq 0 ] || starts=$((starts + 1)) ;;
      shell) [ $((16#$value)) -le 32 ] || starts=$((starts + 1)) ;;
    esac
  done < <(awk '
    /^[0-9a-f]+:Call / {
      thread = substr($0, 1, index($0, ":") - 1)
      if (++depth[thread] != 1) next
      kind[thread] = ""
      if ($0 ~ /^[0-9a-f]+:Call ([Kk][Ee][Rr][Nn][Ee][Ll](32|BASE|base))\.CreateProcessW\(0+,/ &&
          tolower($0) !~ /l"c:\\\\windows\\\\/)
        kind[thread] = "create"
      else if ($0 ~ /^[0-9a-f]+:Call SHELL32\.ShellExecuteW\(/)
        kind[thread] = "shell"
      next
    }
    /^[0-9a-f]+:Ret / {
      thread = substr($0, 1, index($0, ":") - 1)
      if (depth[thread]-- == 1 && kind[thread] != "" && match($0, /retval=[0-9a-f]+/))
        print kind[thread], substr($0, RSTART + 7, RLENGTH - 7)
    }' "$top/relay.txt")
  echo "$starts"
}

# The complete lines of the started programs' record files, in every folder where one may
# have started (none while they are not there).
wine_records() {
  local folder lines=0
  for folder in "${record_folders[@]}"; do
    [ ! -f "$folder/started.txt" ] || lines=$((lines + $(tr -cd '\n' <"$folder/started.txt" | wc -c)))
  done
  echo "$lines"
}

backend_wait_until_done() {
  # The started programs cannot be waited for as on Linux (a Wine process may start
  # Wine's own services, which outlive it and would hold a pipe open), nor by the wine
  # server's end (the test command keeps one running): each records its start once, so
  # the run is over when "started.txt" holds as many complete lines as the launcher made
  # starts. The recording program writes "tails.txt" first.
  local starts recorded deadline=$((SECONDS + wine_start_timeout))
  starts=$(wine_starts)
  recorded=$(wine_records)
  while [ "$recorded" -lt "$starts" ]; do
    [ "$SECONDS" -lt "$deadline" ] ||
      fail "the launcher started $starts program(s), of which $recorded recorded a start within ${wine_start_timeout} s"
    sleep 0.1
    recorded=$(wine_records)
  done
}

# Not recorded under Wine: expected-calls is checked on Linux.
backend_launcher_calls() { return 1; }

backend_calls() { echo "$top/relay.txt"; }

backend_run_checker() {
  (cd "$check_folder" && "$kova_wine" "$checker" --json . </dev/null >"$report" 2>/dev/null)
}

backend_cleanup() {
  [ "$wine_registry_imported" = 0 ] || wine_forget_registry
}
