#!/usr/bin/env bash
# The findings on the programs a disc starts, from Windows programs made and signed here
# (test-pe.py, osslsigncode, certificates made for the run, a time stamp at a fixed time):
# unsigned, signed without a time stamp, with an ECC key, changed after signing; setup
# programs built for another machine; a setup Windows elevates while the product's key is
# the user's. Each disc's findings about programs are compared, codes and lines.
#   program-findings.sh CHECKER
set -u
checker=$1
here=$(dirname "$0")
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-program-findings.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

python3 "$here/test-pe.py" "$work/plain.exe" || fail "could not write the test program"
for name in rsa ecc tsa; do
  case $name in
    rsa) options=(-newkey rsa:2048) usage=codeSigning ;;
    ecc) options=(-newkey ec -pkeyopt ec_paramgen_curve:P-256) usage=codeSigning ;;
    tsa) options=(-newkey rsa:2048) usage=critical,timeStamping ;;
  esac
  openssl req -x509 "${options[@]}" -nodes -days 30 -subj "/CN=Kova $name" \
    -addext "extendedKeyUsage=$usage" -keyout "$work/$name.key" -out "$work/$name.pem" \
    >/dev/null 2>&1 || fail "openssl could not make the $name certificate"
done
python3 - "$work" <<'PY' || fail "could not make the 64-bit programs"
import struct, sys
work = sys.argv[1]
for name, machine in (("plain-x64", 0x8664), ("plain-arm64", 0xAA64)):
    image = bytearray(open(f"{work}/plain.exe", "rb").read())
    struct.pack_into("<H", image, struct.unpack_from("<I", image, 0x3C)[0] + 4, machine)
    open(f"{work}/{name}.exe", "wb").write(image)
PY
sign() { # OUT KEY IN [OPTION...]
  local out=$1 key=$2 in=$3
  shift 3
  osslsigncode sign -certs "$work/$key.pem" -key "$work/$key.key" -h sha256 "$@" \
    -in "$work/$in.exe" -out "$work/$out.exe" >/dev/null 2>&1 || fail "could not sign $out"
}
stamped=(-TSA-certs "$work/tsa.pem" -TSA-key "$work/tsa.key" -TSA-time 1796860800)
sign good rsa plain "${stamped[@]}"
sign x64 rsa plain-x64 "${stamped[@]}"
sign arm64 rsa plain-arm64 "${stamped[@]}"
sign bare rsa plain
sign ecc ecc plain "${stamped[@]}"
python3 - "$work" <<'PY' || fail "could not change a signed program"
import sys
changed = bytearray(open(f"{sys.argv[1]}/good.exe", "rb").read())
changed[0x200] ^= 0x01
open(f"{sys.argv[1]}/changed.exe", "wb").write(changed)
PY

# disc NAME FILES... -- LINES...: a disc of the programs named (DISC-NAME=PROGRAM, from the
# ones made above) and an autorun.inf of the lines given.
disc() {
  local name=$1
  shift
  mkdir -p "$work/$name"
  while [ "$1" != -- ]; do cp "$work/${1#*=}.exe" "$work/$name/${1%%=*}" || fail "no ${1#*=}"; shift; done
  shift
  printf '%s\r\n' "$@" >"$work/$name/autorun.inf"
}
head=("[autorun]" "open=autorun.exe" "action=Install" "AppRegistry=HKEY_LOCAL_MACHINE"
      "AppKey=Software\\KovaTest\\NeverInstalled")
disc all-signed autorun.exe=good setup.exe=good -- "${head[@]}" "SetupName=setup.exe"
disc unsigned-launcher autorun.exe=plain setup.exe=good -- "${head[@]}" "SetupName=setup.exe"
disc no-time-stamp autorun.exe=good setup.exe=bare -- "${head[@]}" "SetupName=setup.exe"
disc ecc-setup autorun.exe=good setup.exe=ecc -- "${head[@]}" "SetupName=setup.exe"
disc changed-setup autorun.exe=good setup.exe=changed -- "${head[@]}" "SetupName=setup.exe"
disc machines autorun.exe=good install.exe=x64 x86.exe=good arm.exe=x64 -- "${head[@]}" \
  "SetupName=install.exe" "SetupNameX64=x86.exe" "SetupNameArm64=arm.exe"
disc arm64-right autorun.exe=good install.exe=good arm.exe=arm64 -- "${head[@]}" \
  "SetupName=install.exe" "SetupNameArm64=arm.exe"
# A 32-bit setup without a manifest, named like one: Windows' installer detection elevates it.
disc user-key-elevated autorun.exe=good setup.exe=good -- "[autorun]" "open=autorun.exe" \
  "action=Install" "AppKey=Software\\KovaTest\\NeverInstalled" "SetupName=setup.exe"
disc machine-key-elevated autorun.exe=good setup.exe=good -- "${head[@]}" "SetupName=setup.exe"

expect() { # NAME FINDINGS...
  local name=$1
  shift
  env -u KOVA_REGISTRY PATH=/nonexistent "$checker" --json "$work/$name" >"$work/$name.json" 2>&1
  python3 - "$work/$name.json" "$name" "$@" <<'PY'
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
mine = {"program-unsigned", "signature-invalid", "signature-not-rsa", "signature-no-timestamp",
        "setup-wrong-machine", "hkcu-elevated-setup"}
got = [f"{f['code']}:{f['line']}" for f in report["findings"] if f["code"] in mine]
if got != sys.argv[3:]:
    sys.exit(f"FAIL {sys.argv[2]}: {got}, expected {sys.argv[3:]}")
print(f"ok {sys.argv[2]}: {' '.join(got) or 'no findings on its programs'}")
PY
}
failed=0
expect all-signed || failed=1
expect unsigned-launcher program-unsigned:2 || failed=1
expect no-time-stamp signature-no-timestamp:6 || failed=1
expect ecc-setup signature-not-rsa:6 || failed=1
expect changed-setup signature-invalid:6 || failed=1
expect machines setup-wrong-machine:6 setup-wrong-machine:7 setup-wrong-machine:8 || failed=1
expect arm64-right || failed=1
expect user-key-elevated hkcu-elevated-setup:4 || failed=1
expect machine-key-elevated || failed=1
# The date a signature without a time stamp stops counting, and the signer, in the report.
grep -q "stops counting when the signer's certificate expires, on 20" "$work/no-time-stamp.json" ||
  { echo "FAIL no-time-stamp: the message names no expiry date"; failed=1; }
grep -q '"signer": "Kova rsa"' "$work/all-signed.json" ||
  { echo "FAIL all-signed: the programs' signer is not reported"; failed=1; }
exit $failed
