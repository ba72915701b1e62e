#!/usr/bin/env bash
# Signs copies of the shipped programs with scripts/sign.sh and a certificate made for this
# run (nothing is committed, nothing leaves the machine: no time stamp), then checks them:
#   - osslsigncode verifies each signature against that certificate;
#   - a signed file with one byte changed no longer verifies;
#   - removing the signature gives back the built file byte for byte (how a disc's signed
#     file is compared with a rebuild);
#   - a wrong password fails and leaves the file as it was;
#   - signing without a time stamp warns, and says when the certificate expires, whether
#     "--timestamp none" says so or no time stamp server is given at all;
#   - an ECC certificate is refused, by sign.sh and by the package target's signing step,
#     with the reason (Smart App Control), and the file is left as it was.
# The signed copies stay in OUT_DIR, the certificate in OUT_DIR/certificate, for the tests
# that run them. CMAKE_COMMAND in the environment names the cmake that runs the package's
# signing step (else the one on PATH).
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
  --timestamp none "${copies[@]}" 2>"$out/sign.log" || { cat "$out/sign.log"; fail "sign.sh failed"; }
expires=$(openssl x509 -in "$certificate/cert.pem" -noout -enddate | sed 's/^notAfter=//')
if ! { grep -q "warning: signing without a time stamp" "$out/sign.log" &&
        grep -qF "$expires" "$out/sign.log"; }; then
  cat "$out/sign.log"
  fail "signing without a time stamp did not warn, with the certificate's expiry ($expires)"
fi

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

# No time stamp server given at all: signed, with the same warning.
cp "$1" "$out/no-stamp.exe"
KOVA_SIGN_TIMESTAMP='' bash "$sign" --pkcs12 "$certificate/cert.p12" \
  --password-file "$certificate/password" "$out/no-stamp.exe" 2>"$out/unstamped.log" ||
  { cat "$out/unstamped.log"; fail "sign.sh did not sign without a time stamp server"; }
grep -q "warning: signing without a time stamp (no time stamp server given)" "$out/unstamped.log" ||
  { cat "$out/unstamped.log"; fail "signing without a time stamp server did not warn"; }
osslsigncode verify -CAfile "$certificate/cert.pem" -in "$out/no-stamp.exe" >/dev/null 2>&1 ||
  fail "the file signed without a time stamp server does not verify"

# An ECC certificate, refused by sign.sh and by the step that signs the package's files.
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
  -subj "/CN=Kova ECC signer" -addext "extendedKeyUsage=codeSigning" \
  -keyout "$certificate/ecc-key.pem" -out "$certificate/ecc-cert.pem" >/dev/null 2>&1 ||
  fail "openssl could not make an ECC certificate"
openssl pkcs12 -export -inkey "$certificate/ecc-key.pem" -in "$certificate/ecc-cert.pem" \
  -passout "file:$certificate/password" -out "$certificate/ecc.p12" ||
  fail "openssl could not make the ECC PKCS#12 file"
expect_ecc_refused() { # WHAT LOG
  if ! { grep -q "ECC key" "$2" && grep -q "Smart App Control" "$2" && grep -q "RSA" "$2"; }; then
    cat "$2"
    fail "$1 did not refuse the ECC certificate, saying why"
  fi
  cmp -s "$out/ecc.exe" "$first_built" || fail "$1 changed the file it refused to sign"
}
first_built=$1
cp "$1" "$out/ecc.exe"
if KOVA_SIGN_PASSWORD='throw-away password' bash "$sign" --pkcs12 "$certificate/ecc.p12" \
     --timestamp none "$out/ecc.exe" >"$out/ecc.log" 2>&1; then
  fail "sign.sh signed with an ECC certificate"
fi
expect_ecc_refused sign.sh "$out/ecc.log"
source_dir=$(cd "$(dirname "$sign")/.." && pwd)
if KOVA_SIGN_PKCS12=$certificate/ecc.p12 KOVA_SIGN_PASSWORD='throw-away password' KOVA_SIGN_TIMESTAMP=none \
     "${CMAKE_COMMAND:-cmake}" -DKOVA_SOURCE_DIR="$source_dir" -DKOVA_SIGN_PROGRAMS="$out/ecc.exe" \
     -P "$source_dir/cmake/KovaSignInstalled.cmake" >"$out/ecc-package.log" 2>&1; then
  fail "the package's signing step signed with an ECC certificate"
fi
expect_ecc_refused "the package's signing step" "$out/ecc-package.log"

rm -f "$out/changed.exe" "$out/wrong-password.exe" "$out/wrong" "$out/unsigned.exe" "$out/verify.log" \
  "$out/no-stamp.exe" "$out/ecc.exe" "$out"/*.log
echo "ok: signed and verified ${copies[*]}"
