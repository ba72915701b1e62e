#!/usr/bin/env bash
# What the checker's signature check (through signature-facts) makes of programs signed
# here with certificates made for this run, beside what osslsigncode and openssl make of
# them: RSA and ECC keys; an RFC 3161 time stamp, made by osslsigncode's own time stamp
# authority from a key made here, at a time fixed here; a counter-signature time stamp, the
# kind Authenticode first had, from a server on 127.0.0.1 (countersign-server.py); one file
# changed by a byte after signing, one whose signer's signature is spoilt, and one unsigned.
# Nothing leaves the machine.
#
# With an EMULATOR (the Windows build's, under Wine), the check is crypt32's. Wine's crypt32
# verifies no ECDSA signature and no counter-signature (Windows' own does, since Vista and
# XP): there, those two facts are not compared, and the script says so.
#   signatures.sh SIGNATURE_FACTS [EMULATOR...]
set -u
facts=$1
shift
here=$(dirname "$0")
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-signatures.XXXXXX")
server_pid=
trap '[ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
under_wine=no
[ $# -gt 0 ] && under_wine=yes

python3 "$here/test-pe.py" "$work/unsigned.exe" || fail "could not write the test program"
certificate() { # NAME SUBJECT USAGE KEY-OPTIONS...
  local name=$1 subject=$2 usage=$3
  shift 3
  openssl req -x509 "$@" -nodes -days 30 -subj "/CN=$subject" -addext "extendedKeyUsage=$usage" \
    -keyout "$work/$name.key" -out "$work/$name.pem" >/dev/null 2>&1 ||
    fail "openssl could not make the $name certificate"
}
certificate rsa "Kova RSA signer" codeSigning -newkey rsa:3072
certificate ecc "Kova ECC signer" codeSigning -newkey ec -pkeyopt ec_paramgen_curve:P-256
certificate tsa "Kova time stamps" critical,timeStamping -newkey rsa:2048

stamp_time=1796860800 # 2026-12-10 00:00:00 UTC
sign() { # OUT KEY [OPTION...]
  local out=$1 key=$2
  shift 2
  osslsigncode sign -certs "$work/$key.pem" -key "$work/$key.key" -h sha256 "$@" \
    -in "$work/unsigned.exe" -out "$work/$out.exe" >"$work/$out.log" 2>&1 ||
    { cat "$work/$out.log"; fail "osslsigncode could not sign $out"; }
}
sign rsa rsa
sign ecc ecc
sign rsa-stamped rsa -TSA-certs "$work/tsa.pem" -TSA-key "$work/tsa.key" -TSA-time "$stamp_time"
sign ecc-stamped ecc -TSA-certs "$work/tsa.pem" -TSA-key "$work/tsa.key" -TSA-time "$stamp_time"

# The counter-signature: the server says its port, then answers once. A proxy of the
# environment must not come between osslsigncode and it.
coproc server { python3 "$here/countersign-server.py" "$work/tsa.pem" "$work/tsa.key"; }
# (coproc sets server_PID.)
# shellcheck disable=SC2154
server_pid=$server_PID
read -r port <&"${server[0]}" || fail "the time stamp server did not start"
before=$(date +%s)
env -u http_proxy -u HTTP_PROXY -u https_proxy -u HTTPS_PROXY -u all_proxy -u ALL_PROXY \
  NO_PROXY=127.0.0.1 no_proxy=127.0.0.1 \
  osslsigncode sign -certs "$work/rsa.pem" -key "$work/rsa.key" -h sha256 -t "http://127.0.0.1:$port/" \
  -in "$work/unsigned.exe" -out "$work/rsa-countersigned.exe" >"$work/countersigned.log" 2>&1 ||
  { cat "$work/countersigned.log"; fail "osslsigncode could not have the signature counter-signed"; }
after=$(date +%s)
wait "$server_pid" 2>/dev/null
server_pid=

python3 - "$work" <<'PY' || fail "could not change the signed files"
import struct, sys
work = sys.argv[1]
image = bytearray(open(f"{work}/rsa.exe", "rb").read())
changed = bytearray(image)
changed[0x200] ^= 0x01  # the first byte of the code
open(f"{work}/changed.exe", "wb").write(changed)
# The signer's signature is the last field of the signature's one signer, so the last bytes
# of the DER (the certificate table holds it after an 8-byte header, then padding).
options = struct.unpack_from("<I", image, 0x3C)[0] + 24
table = struct.unpack_from("<I", image, options + 128)[0]
length = struct.unpack_from(">H", image, table + 8 + 2)[0] + 4
image[table + 8 + length - 20] ^= 0x01
open(f"{work}/spoilt.exe", "wb").write(image)
PY

# check NAME CERTIFICATE SIGNED VALID KEY BITS STAMP [PROBLEM]: the facts the check gives
# of NAME.exe, with what osslsigncode and openssl say of it, for the comparison below. STAMP
# is "none", a time, or "FROM-TO"; VALID or STAMP "-" leaves it out.
emulator=("$@")
check() {
  local name=$1 certificate=$2 file=$work/$1.exe verified=no not_after=-
  "${emulator[@]}" "$facts" "$file" >"$work/$name.json" 2>&1 </dev/null
  osslsigncode verify -CAfile "$work/$certificate.pem" -TSA-CAfile "$work/tsa.pem" -in "$file" \
    >"$work/$name.verify" 2>&1 && verified=yes
  [ "$certificate" = none ] ||
    not_after=$(openssl x509 -in "$work/$certificate.pem" -noout -enddate | sed 's/^notAfter=//')
  printf '%s\t' "$@" "$verified" "$not_after" >>"$work/table"
  printf '\n' >>"$work/table"
}

ecc_valid=yes countersigned="$before-$after"
if [ "$under_wine" = yes ]; then
  ecc_valid=- countersigned=-
  echo "note: under Wine, whose crypt32 verifies neither, an ECDSA signer's signature and a" \
       "counter-signature are not compared"
fi
check unsigned none no no - 0 none ""
check rsa rsa yes yes RSA 3072 none ""
check rsa-stamped rsa yes yes RSA 3072 "$stamp_time" ""
check rsa-countersigned rsa yes yes RSA 3072 "$countersigned" ""
check ecc ecc yes "$ecc_valid" ECC 256 none ""
check ecc-stamped ecc yes "$ecc_valid" ECC 256 "$stamp_time" ""
check changed rsa yes no RSA 3072 none "the file has changed since it was signed"
check spoilt rsa yes no RSA 3072 none "the signer's signature does not hold"

python3 - "$work" <<'PY'
import calendar, json, sys, time
work = sys.argv[1]
failed = False
for row in open(f"{work}/table", encoding="utf-8").read().splitlines():
    name, _, signed, valid, key, bits, stamp, problem, verified, not_after = row.split("\t")[:10]
    text = open(f"{work}/{name}.json", encoding="utf-8", errors="replace").read()
    # An emulator may hand over more than the answer; the answer is the one JSON line.
    lines = [line for line in text.splitlines() if line.startswith("{")]
    if not lines:
        print(f"FAIL {name}: no answer: {text}")
        failed = True
        continue
    facts = json.loads(lines[-1])
    problems = []
    def want(field, value):
        if facts[field] != value:
            problems.append(f"{field} is {facts[field]!r}, expected {value!r}")
    want("isSigned", signed == "yes")
    if valid == "-":
        want("digestMatches", signed == "yes")
    else:
        want("valid", valid == "yes")
        # osslsigncode, given the certificates made here, says the same (it also asks for
        # a chain to them, which the check does not).
        if (verified == "yes") != (valid == "yes"):
            problems.append(f"osslsigncode verify says {verified}, the check {facts['valid']}")
    if signed == "yes":
        want("keyType", key)
        want("keyBits", int(bits))
        want("digestAlgorithm", "SHA-256")
        expiry = calendar.timegm(time.strptime(" ".join(not_after.split()), "%b %d %H:%M:%S %Y GMT"))
        want("certificateNotAfter", expiry)
    if stamp == "none":
        want("timestamped", False)
    elif stamp != "-":
        low, _, high = stamp.partition("-")
        if not facts["timestamped"] or not int(low) <= facts["timestampTime"] <= int(high or low):
            problems.append(f"time stamp {facts['timestampTime']} ({facts['timestampProblem']}), "
                            f"expected {stamp}")
    if problem not in facts["problem"]:
        problems.append(f"problem {facts['problem']!r} does not say {problem!r}")
    if facts["valid"] != (facts["isSigned"] and not facts["problem"]):
        problems.append(f"valid is {facts['valid']} with problem {facts['problem']!r}")
    if problems:
        print(f"FAIL {name}: " + "; ".join(problems))
        failed = True
    else:
        print(f"ok {name}: {facts['problem'] or ('valid' if facts['valid'] else 'unsigned')}")
sys.exit(1 if failed else 0)
PY
