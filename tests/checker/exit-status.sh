#!/usr/bin/env bash
# autorun-check's exit status: 0 without findings, 1 with findings, 2 when the check
# itself cannot run, with a one-line message (on standard error) and nothing else.
# --version prints the project's version.
#   exit-status.sh CHECKER VERSION [EMULATOR...]
set -u
checker=$1 version=$2
shift 2
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-check-exit.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0

expect() {
  local want=$1 what=$2
  shift 2
  (cd "$work" && "$@" "$checker_copy" "${args[@]}" >"$work/out" 2>"$work/err" </dev/null)
  local got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL $what: exit $got, expected $want"; cat "$work/out" "$work/err"; failed=1
  elif [ "$want" -eq 2 ] && [ "$(cat "$work/out" "$work/err" | grep -c '')" -ne 1 ]; then
    # (An emulator may hand both outputs over as one.)
    echo "FAIL $what: expected one line of message"; cat "$work/out" "$work/err"; failed=1
  else
    echo "ok $what"
  fi
}

checker_copy="$work/$(basename "$checker")"
cp "$checker" "$checker_copy"
mkdir -p "$work/disc" "$work/empty" "$work/unreadable/autorun.inf"
printf '[autorun]\nopen=autorun.exe\naction=Install\nAppKey=Software\\KovaTest\\NeverInstalled\nAutoStartValueName=Run\nAutoStartValue=1\nAppPathValueName=Path\nSetupName=setup.exe\n' >"$work/disc/autorun.inf"
: >"$work/disc/setup.exe"
: >"$work/disc/autorun.exe"

args=(disc);              expect 0 "a clean disc" "$@"
args=(empty);             expect 1 "a folder without autorun.inf is a finding" "$@"
args=(no-such-folder);    expect 2 "no such folder" "$@"
args=(--frobnicate disc); expect 2 "an unknown option" "$@"
args=(disc empty);        expect 2 "two folders" "$@"
args=(disc/autorun.inf);  expect 2 "a file that is no disc image (on Windows: any file)" "$@"
args=(unreadable);        expect 1 "an autorun.inf that cannot be read is a finding" "$@"
args=(--registry);        expect 2 "--registry without a file" "$@"
args=(--json --sarif disc); expect 2 "--json with --sarif" "$@"
args=(--version);         expect 0 "--version" "$@"
if ! tr -d '\r' <"$work/out" | grep -qx "autorun-check $version"; then
  echo "FAIL --version: expected \"autorun-check $version\""; cat "$work/out"; failed=1
fi
exit $failed
