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
# expires; "none" signs without one, for tests that cannot reach any server, and warns
# that the signatures stop counting when the certificate expires, and when that is.
#
# The certificate's key must be RSA: Smart App Control, on by default on new Windows 11
# installations, accepts only RSA signatures and blocks a program signed with an ECC key,
# with no way for the person to run it anyway. Any other key is refused before anything is
# signed.
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
command -v openssl >/dev/null ||
  fail "openssl, which reads the certificate's key type, is not installed (apt-get install openssl)"
[ -n "$pkcs12" ] || fail "no certificate: give --pkcs12 FILE.p12 (or set KOVA_SIGN_PKCS12)"
[ -f "$pkcs12" ] || fail "the certificate file $pkcs12 does not exist"
# No time stamp server given: signed all the same, with the warning below.
[ -n "$timestamp" ] || timestamp=none
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

# The signing certificate (the one with the key), as PEM. Certificate authorities' PKCS#12
# files often keep the old ciphers that OpenSSL 3 reads only with -legacy.
certificate=$work/certificate.pem
read_certificate() {
  openssl pkcs12 "$@" -in "$pkcs12" -passin "file:$password_file" -nokeys -clcerts \
    -out "$certificate" 2>"$work/openssl.log"
}
read_certificate || read_certificate -legacy ||
  { cat "$work/openssl.log" >&2; fail "cannot read the certificate in $pkcs12 (is the password right?)"; }
key=$(openssl x509 -in "$certificate" -noout -text 2>/dev/null |
  sed -n 's/^ *Public Key Algorithm: *//p' | head -n 1)
case $key in
  rsaEncryption | rsassaPss) ;;
  id-ecPublicKey)
    fail "the certificate in $pkcs12 has an ECC key: Smart App Control, on by default on new" \
      "Windows 11 installations, accepts only RSA signatures and blocks a program signed with" \
      "an ECC key outright. Sign with an RSA certificate." ;;
  *)
    fail "the certificate in $pkcs12 has a key of type ${key:-unknown}: Smart App Control, on by" \
      "default on new Windows 11 installations, accepts only RSA signatures. Sign with an RSA" \
      "certificate." ;;
esac
if [ "$timestamp" = none ]; then
  expires=$(openssl x509 -in "$certificate" -noout -enddate | sed 's/^notAfter=//')
  echo "sign.sh: warning: signing without a time stamp (no time stamp server given):" \
    "Windows stops accepting these" \
    "signatures when the certificate expires, on $expires. Give --timestamp URL (your" \
    "certificate authority names a time stamp server) for what you ship." >&2
fi

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
