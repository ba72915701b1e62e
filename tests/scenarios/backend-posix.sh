# shellcheck shell=bash
# The run's variables (scenario, disc, top, ...) are run-scenario.sh's.
# shellcheck disable=SC2154
# The scenarios' back-end for the Linux build, against the Win32 stand-in: sourced by
# run-scenario.sh, which describes the functions.

backend_setup() {
  memcheck=()
  if [ -n "${KOVA_VALGRIND:-}" ]; then
    memcheck=("$KOVA_VALGRIND" --quiet --error-exitcode=97 --leak-check=full
              --errors-for-leak-kinds=definite --show-leak-kinds=definite)
  fi
}

backend_prepare_registry() {
  if [ -f "$scenario/registry.reg" ]; then
    export KOVA_REGISTRY="$scenario/registry.reg"
  else
    export KOVA_REGISTRY="$top/no-registry.reg"
  fi
  # The stand-in plays the launcher's width on 64-bit Windows, and imports the registry
  # into the view the scenario names.
  if [ -n "$launcher_bits$registry_view" ]; then
    export KOVA_WINDOWS64=${launcher_bits:-64}
    [ -z "$registry_view" ] || export KOVA_REGISTRY_VIEW="$registry_view"
  fi
  # The machine Windows runs on, and the calls its kernel32 lacks.
  case "$native_machine" in
    arm64-without-x64) export KOVA_NATIVE_MACHINE=arm64 KOVA_X64_EMULATION=0 ;;
    ?*) export KOVA_NATIVE_MACHINE="$native_machine" ;;
  esac
  [ -z "$kernel32_without" ] || export KOVA_KERNEL32_WITHOUT="$kernel32_without"
  if [ -f "$scenario/elevated" ]; then
    KOVA_NEEDS_ELEVATION=$(tr -d '\r' <"$scenario/elevated" | paste -sd ';') ||
      fail "could not read elevated"
    export KOVA_NEEDS_ELEVATION
  fi
}

backend_run_launcher() {
  # Every program the launcher starts inherits the launcher's output, here a pipe to cat:
  # cat ends only once the launcher and everything it started have closed it, so when
  # the pipeline is over every start, expected or not, has been recorded.
  (cd "$start_folder" && KOVA_RELAY="$top/calls.txt" "${memcheck[@]}" "$launcher_path" </dev/null) | cat >&2
  local status=${PIPESTATUS[0]}
  [ "$status" -ne 97 ] || [ ${#memcheck[@]} -eq 0 ] || fail "memcheck reported errors (above)"
  return "$status"
}

# Nothing to wait for: see backend_run_launcher.
backend_wait_until_done() { :; }

backend_launcher_calls() {
  # The launcher records first; the programs it started record under their own IDs. The
  # run's folder shows as RUN, and the length of the launcher's own path, which depends on
  # it, as LENGTH.
  local launcher_id run
  launcher_id=$(head -n 1 "$top/calls.txt" | cut -d: -f1)
  [ -n "$launcher_id" ] || fail "the launcher left no record of calls"
  run=$(realpath -e "$top") || fail "no run folder"
  sed -n -e "s/^$launcher_id:\(Reg[A-Za-z]*(.*\|CreateProcessW(.*\|ShellExecuteW(.*\|Set[A-Za-z]*Dll[A-Za-z]*(.*\|Set[A-Za-z]*ErrorMode(.*\|IsWow64Process[0-9]*(.*\|GetMachineTypeAttributes(.*\|GetModuleFileNameW(.*\|SetCurrentDirectoryW(.*\)$/\1/" \
    -e T -e "s|$run/|RUN/|g" -e 's/^\(GetModuleFileNameW(.*\) = 0x[0-9a-f]*$/\1 = LENGTH/' -e p \
    "$top/calls.txt" >"$1" ||
    fail "could not read the record of calls"
}

backend_calls() { echo "$top/calls.txt"; }

backend_run_checker() {
  (cd "$check_folder" && "$checker" --json . </dev/null >"$report")
}

backend_cleanup() { :; }
