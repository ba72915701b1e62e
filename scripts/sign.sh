#!/usr/bin/env bash
# Signs Windows programs in place with the author's code-signing certificate (Authenticode,
# SHA-256), using osslsigncode:
#
#   sign.sh [--pkcs12 FILE.p12] [--password-file FILE] [--timestamp URL|none] PROGRAM.exe...
#
# Each option may come from the environment instead: KOVA_SIGN_PKCS12, KOVA_SIGN_PASSWORD_FILE
# (or KOVA_SIGN_PASSWORD, the password itself), KOVA_SIGN_TIMESTAMP. The password never goes
# on a command line, where every user of the machine could read it. The time stamp server
# (the certificate authority names one) keeps the signature valid after the certificate
# expires; "none" signs without one, for tests that cannot reach any server.
#
# With KOVA_SIGN_PKCS12 set, "cmake --build --preset win32 --target package" signs the
# programs in the archive through this script.
set -euo pipefail

usage() {
  echo "usage: sign.sh [--pkcs12 FILE.p12] [--password-file FILE] [--timestamp URL|none] PROGRAM.exe..." >&2
  exit 2
}
fail() {
  echo "sign.sh: $*" >&2
  exit 1
}

pkcs12=${KOVA_SIGN_PKCS12:-}
password_file=${KOVA_SIGN_PASSWORD_FILE:-}
timestamp=${KOVA_SIGN_TIMESTAMP:-}
programs=()
while [ $# -gt 0 ]; do
  case $1 in
    --pkcs12) [ $# -ge 2 ] || usage; pkcs12=$2; shift 2 ;;
    --password-file) [ $# -ge 2 ] || usage; password_file=$2; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp=$2; shift 2 ;;
    -h|--help) usage ;;
    -*) echo "sign.sh: unknown option $1" >&2; usage ;;
    *) programs+=("$1"); shift ;;
  esac
done

[ ${#programs[@]} -gt 0 ] || usage
command -v osslsigncode >/dev/null || fail "osslsigncode is not installed (apt-get install osslsigncode)"
[ -n "$pkcs12" ] || fail "no certificate: give --pkcs12 FILE.p12 (or set KOVA_SIGN_PKCS12)"
[ -f "$pkcs12" ] || fail "the certificate file $pkcs12 does not exist"
[ -n "$timestamp" ] ||
  fail "no time stamp server: give --timestamp URL (your certificate authority names one), or --timestamp none"
for program in "${programs[@]}"; do
  [ -f "$program" ] || fail "$program does not exist"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kova-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ -z "$password_file" ]; then
  [ -n "${KOVA_SIGN_PASSWORD+set}" ] ||
    fail "no password: give --password-file FILE (or set KOVA_SIGN_PASSWORD_FILE or KOVA_SIGN_PASSWORD)"
  password_file=$work/password
  (umask 077 && printf '%s' "$KOVA_SIGN_PASSWORD" >"$password_file")
fi
[ -r "$password_file" ] || fail "cannot read the password file $password_file"

stamp=()
if [ "$timestamp" != none ]; then
  stamp=(-ts "$timestamp")
fi

for program in "${programs[@]}"; do
  # A signed program would be signed twice over; sign the unsigned build instead.
  if osslsigncode extract-signature -in "$program" -out "$work/existing.sig" >/dev/null 2>&1; then
    fail "$program is signed already; sign the file as it was built"
  fi
  signed=$work/$(basename "$program")
  osslsigncode sign -pkcs12 "$pkcs12" -readpass "$password_file" -h sha256 "${stamp[@]}" \
    -in "$program" -out "$signed" >"$work/log" 2>&1 ||
    { cat "$work/log" >&2; fail "could not sign $program (osslsigncode says why, above)"; }
  # Replace the file's bytes, not the file: it keeps its permissions and its links.
  cat "$signed" >"$program"
  echo "signed $program"
done
