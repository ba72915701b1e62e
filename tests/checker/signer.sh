#!/usr/bin/env bash
# How AutoPlay names the program open= starts: its signer, read from its Authenticode
# signature. A small PE file (test-pe.py) is made here and signed with osslsigncode and a
# certificate made for this run; the checker must name the signer, say "not signed" of the
# unsigned file, and neither crash nor name anyone for a signature whose bytes are spoilt.
#   signer.sh CHECKER
set -u
checker=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-signer.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0

python3 "$(dirname "$0")/test-pe.py" "$work/unsigned.exe" || { echo "FAIL: could not write the test program"; exit 1; }
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kova test signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1 ||
  { echo "FAIL: openssl could not make a certificate"; exit 1; }
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -in "$work/unsigned.exe" \
  -out "$work/signed.exe" >/dev/null || { echo "FAIL: osslsigncode could not sign"; exit 1; }
# The same file with bytes of its signature's DER turned around.
python3 - "$work/signed.exe" "$work/spoilt.exe" <<'PY'
import sys
image = bytearray(open(sys.argv[1], "rb").read())
for at in range(len(image) - 600, len(image) - 100, 7):
    image[at] ^= 0xFF
open(sys.argv[2], "wb").write(image)
PY

# expect KIND SIGNED SIGNER: the report on a disc whose autorun.exe is KIND.exe.
expect() {
  mkdir -p "$work/$1"
  cp "$work/$1.exe" "$work/$1/autorun.exe"
  printf '[autorun]\r\nopen=autorun.exe\r\naction=Install\r\n' >"$work/$1/autorun.inf"
  "$checker" --json "$work/$1" >"$work/$1.json" 2>"$work/$1.err"
  local status=$?
  if [ "$status" -gt 1 ]; then
    echo "FAIL $1: exit $status"; cat "$work/$1.err"; failed=1; return
  fi
  python3 - "$work/$1.json" "$@" <<'PY' || failed=1
import json, sys
start = json.load(open(sys.argv[1]))["autorun"]["start"]
kind, signed, signer = sys.argv[2], sys.argv[3] == "yes", sys.argv[4] or None
if start["signed"] is not signed or start["signer"] != signer:
    sys.exit(f"FAIL {kind}: signed {start['signed']}, signer {start['signer']!r}")
print(f"ok {kind}: {start['autoPlayName']}")
PY
}
expect signed yes "Kova test signer"
expect unsigned no ""
expect spoilt yes ""
exit $failed
