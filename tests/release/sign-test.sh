#!/usr/bin/env bash
# Signs copies of the shipped programs with scripts/sign.sh and a certificate made for this
# run (nothing is committed, nothing leaves the machine: no time stamp), then checks them:
#   - osslsigncode verifies each signature against that certificate;
#   - a signed file with one byte changed no longer verifies;
#   - removing the signature gives back the built file byte for byte (how a disc's signed
#     file is compared with a rebuild);
#   - a wrong password fails and leaves the file as it was.
# The signed copies stay in OUT_DIR, the certificate in OUT_DIR/certificate, for the tests
# that run them.
#   sign-test.sh SIGN_SH OUT_DIR PROGRAM.exe...
set -u
sign=$1 out=$2
shift 2
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$out"
mkdir -p "$out/certificate"
certificate=$out/certificate
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kova test signer" \
  -addext "extendedKeyUsage=codeSigning" \
  -keyout "$certificate/key.pem" -out "$certificate/cert.pem" >/dev/null 2>&1 ||
  fail "openssl could not make a certificate"
printf 'throw-away password' >"$certificate/password"
openssl pkcs12 -export -inkey "$certificate/key.pem" -in "$certificate/cert.pem" \
  -passout "file:$certificate/password" -out "$certificate/cert.p12" ||
  fail "openssl could not make the PKCS#12 file"

copies=()
for program in "$@"; do
  cp "$program" "$out/"
  copies+=("$out/$(basename "$program")")
done
KOVA_SIGN_PASSWORD='throw-away password' bash "$sign" --pkcs12 "$certificate/cert.p12" \
  --timestamp none "${copies[@]}" || fail "sign.sh failed"

for program in "$@"; do
  signed=$out/$(basename "$program")
  osslsigncode verify -CAfile "$certificate/cert.pem" -in "$signed" >"$out/verify.log" 2>&1 ||
    { cat "$out/verify.log"; fail "the signature of $signed does not verify"; }
  # (osslsigncode does not write over a file that is there.)
  rm -f "$out/unsigned.exe"
  osslsigncode remove-signature -in "$signed" -out "$out/unsigned.exe" >/dev/null 2>&1 ||
    fail "could not remove the signature of $signed"
  cmp -s "$out/unsigned.exe" "$program" || fail "$signed without its signature is not the built file"
done

first=${copies[0]}
cp "$first" "$out/changed.exe"
# A byte of the code, well inside the signed part of the file.
printf '\xcc' | dd of="$out/changed.exe" bs=1 seek=4096 conv=notrunc status=none
if osslsigncode verify -CAfile "$certificate/cert.pem" -in "$out/changed.exe" >/dev/null 2>&1; then
  fail "a changed file still verifies"
fi

cp "$1" "$out/wrong-password.exe"
if printf 'not the password' >"$out/wrong" &&
   bash "$sign" --pkcs12 "$certificate/cert.p12" --password-file "$out/wrong" --timestamp none \
     "$out/wrong-password.exe" >/dev/null 2>&1; then
  fail "sign.sh signed with a wrong password"
fi
cmp -s "$out/wrong-password.exe" "$1" || fail "a failed signing changed the file"
rm -f "$out/changed.exe" "$out/wrong-password.exe" "$out/wrong" "$out/unsigned.exe" "$out/verify.log"
echo "ok: signed and verified ${copies[*]}"
