#!/usr/bin/env bash
# autorun-check on disc images made here, with genisoimage and xorriso, from small disc
# folders: each image must give the findings (and the file system) that Windows' view of
# it calls for. Images that are not images, cut short or made hostile must end the check
# with exit status 2 and a one-line message, never with a crash.
#   images.sh CHECKER                      every case
#   images.sh --hostile CHECKER RUNNER...  only the broken images, each checked through
#                                          RUNNER (valgrind's memcheck, say)
set -u
hostile_only=0
if [ "${1:-}" = --hostile ]; then hostile_only=1; shift; fi
checker=$1
shift
runner=("$@")
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-check-images.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL $*"; failed=1; }

# disc NAME SETUP-NAME [FILE...]: a folder whose autorun.inf starts the launcher and names
# SETUP-NAME, holding autorun.exe and each FILE.
disc() {
  local folder=$work/$1 setup=$2
  shift 2
  mkdir -p "$folder"
  printf '[autorun]\r\nopen=autorun.exe\r\naction=Install the product\r\nAppKey=Software\\KovaTest\\NeverInstalled\r\nAutoStartValueName=Run\r\nAutoStartValue=1\r\nAppPathValueName=Path\r\nSetupName=%s\r\n' \
    "$setup" >"$folder/autorun.inf"
  for file in autorun.exe "$@"; do
    mkdir -p "$(dirname "$folder/$file")"
    echo "$file" >"$folder/$file"
  done
}

# expect WHAT IMAGE STATUS "CODES" [PYTHON-CONDITION]: the checker's exit status, its
# findings' codes (sorted, blank-separated) and a condition on its JSON report (`r`).
expect() {
  local what=$1 image=$2 status=$3 codes=$4 condition=${5:-True}
  "$checker" --json "$image" >"$work/out.json" 2>"$work/err"
  local got=$?
  if [ "$got" -ne "$status" ]; then
    fail "$what: exit $got, expected $status"; cat "$work/err"; return
  fi
  if ! python3 - "$work/out.json" "$codes" "$condition" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))
codes = " ".join(sorted(f["code"] for f in r["findings"]))
if codes != sys.argv[2]:
    sys.exit(f"findings [{codes}], expected [{sys.argv[2]}]")
if not eval(sys.argv[3]):
    sys.exit(f"not so: {sys.argv[3]}")
PY
  then
    fail "$what"; return
  fi
  echo "ok $what"
}

# broken WHAT IMAGE: exit status 2 and one line of message (through the runner, if any).
broken() {
  local what=$1 image=$2
  "${runner[@]}" "$checker" "$image" >"$work/out" 2>"$work/err"
  local got=$?
  if [ "$got" -ne 2 ]; then
    fail "$what: exit $got, expected 2"; tail -n 20 "$work/out" "$work/err"
  elif [ "$(grep -c '' "$work/err")" -ne 1 ] || [ -s "$work/out" ]; then
    fail "$what: expected one line of message"; cat "$work/out" "$work/err"
  else
    echo "ok $what: $(cat "$work/err")"
  fi
}

genisoimage() { command genisoimage -quiet "$@" 2>/dev/null; }
xorriso_j() { xorriso -as mkisofs -quiet "$@" 2>/dev/null; }

long=MyProductSetup-x64.exe
name70=$(printf 'S%.0s' $(seq 66)).exe
disc long "$long /s" "$long"
disc name70 "$name70" "$name70"
disc deep 'a\b\c\d\e\f\g\h\setup.exe' a/b/c/d/e/f/g/h/setup.exe
disc nolauncher setup.exe setup.exe
rm "$work/nolauncher/autorun.exe"
disc both setup.exe setup.exe extra.txt

genisoimage -o "$work/long-plain.iso" "$work/long"
genisoimage -J -o "$work/long-joliet.iso" "$work/long"
xorriso_j -J -o "$work/long-xorriso-joliet.iso" "$work/long"
genisoimage -J -udf -o "$work/long-udf.iso" "$work/long"
genisoimage -J -o "$work/name70-joliet.iso" "$work/name70"
xorriso_j -J -o "$work/name70-xorriso.iso" "$work/name70"
genisoimage -J -o "$work/deep.iso" "$work/deep"
genisoimage -J -o "$work/nolauncher.iso" "$work/nolauncher"
genisoimage -J -udf -o "$work/both.iso" "$work/both"
mkdir -p "$work/noinf" && echo launcher >"$work/noinf/autorun.exe"
genisoimage -o "$work/noinf.iso" "$work/noinf"
# The same image, with one name changed in its Joliet tree only (Joliet names are UCS-2,
# big-endian; UDF's here are 8-bit).
python3 - "$work/both.iso" "$work/differ.iso" <<'PY'
import sys
image = bytearray(open(sys.argv[1], "rb").read())
at = image.find("extra.txt".encode("utf-16-be"))
image[at + 1] = ord("i")
open(sys.argv[2], "wb").write(image)
PY

if [ "$hostile_only" -eq 0 ]; then
  expect "without Joliet a long setup name is an 8.3 name" "$work/long-plain.iso" 1 "image-name-iso9660 setup-not-found" \
    "r['image']['fileSystem'] == 'iso9660' and 'MYPRODUC.EXE' in [f['message'] for f in r['findings'] if f['code'] == 'image-name-iso9660'][0]"
  expect "with Joliet it is clean" "$work/long-joliet.iso" 0 "" \
    "r['image']['fileSystem'] == 'joliet' and r['autorun']['start']['isLauncher']"
  expect "xorriso's Joliet image is clean" "$work/long-xorriso-joliet.iso" 0 "" "r['image']['hasJoliet']"
  expect "a UDF image reads, and Windows reads its UDF" "$work/long-udf.iso" 0 "" \
    "r['image']['fileSystem'] == 'udf' and r['image']['hasIso9660'] and r['decision']['programFound'].endswith('$long')"
  expect "Joliet cuts a 70-character name at 64" "$work/name70-joliet.iso" 1 "image-name-cut-64 setup-not-found"
  expect "xorriso cuts it too, keeping .exe" "$work/name70-xorriso.iso" 1 "image-name-cut-64 setup-not-found"
  expect "a setup program 9 levels deep" "$work/deep.iso" 1 "image-path-too-deep setup-not-found"
  expect "the launcher missing from the image" "$work/nolauncher.iso" 1 "autorun-open-not-found" \
    "not r['autorun']['start']['programFound']"
  expect "no autorun.inf on the image" "$work/noinf.iso" 1 "no-autorun-inf" \
    "r['folder'].endswith('noinf.iso') and r['image']['files'] == 1"
  expect "UDF and Joliet alike" "$work/both.iso" 0 "" "r['image']['udfOnly'] == [] and r['image']['isoOnly'] == []"
  expect "UDF and Joliet that differ" "$work/differ.iso" 1 "image-udf-iso-differ" \
    "r['image']['udfOnly'] == ['EXTRA.TXT'] and r['image']['isoOnly'] == ['IXTRA.TXT']"
  "$checker" "$work/long-plain.iso" >"$work/out.txt"
  if ! grep -q "^  .*long-plain.iso: ISO 9660 without Joliet names" "$work/out.txt" ||
     ! grep -q "USB stick" "$work/out.txt"; then
    fail "the text report names the image, its names and the USB rule"
  fi
fi

# Broken images, made from the good ones.
echo "not an image" >"$work/text.iso"
head -c 40000 "$work/long-joliet.iso" >"$work/cut-after-descriptors.iso"
head -c 1000 "$work/long-joliet.iso" >"$work/cut-before-descriptors.iso"
python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
def spoil(source, target, edits):
    image = bytearray(open(f"{work}/{source}", "rb").read())
    for at, value in edits:
        image[at:at + 4] = struct.pack("<I", value)
    open(f"{work}/{target}", "wb").write(image)
sector = 2048
# The root folder's record in the primary (16) and the Joliet (17) volume descriptor:
# its extent at +2, its size at +10.
spoil("long-joliet.iso", "root-past-end.iso", [(16 * sector + 156 + 2, 0xFFFFFF00)])
spoil("long-joliet.iso", "root-of-4-gb.iso", [(17 * sector + 156 + 10, 0xFFFFFFFF)])
spoil("long-joliet.iso", "joliet-root-far.iso", [(17 * sector + 156 + 2, 0x7FFFFFF0)])
# UDF: the anchor at sector 256 pointing at descriptors past the end.
spoil("long-udf.iso", "udf-anchor-past-end.iso", [(256 * sector + 20, 0xFFFFFF00), (256 * sector + 28, 0xFFFFFF00)])
# UDF: the root folder's file entry continued in an allocation extent that continues in
# itself. The anchor (256) gives the descriptor sequence, whose partition (tag 5) and
# logical volume (6) descriptors give the file set descriptor, which gives the root's entry.
image = bytearray(open(f"{work}/long-udf.iso", "rb").read())
u32 = lambda at: struct.unpack_from("<I", image, at)[0]
sequence = u32(256 * sector + 20)
tags = {image[(sequence + i) * sector]: (sequence + i) * sector for i in range(16)}
partition = u32(tags[5] + 188)
root = (partition + u32((partition + u32(tags[6] + 252)) * sector + 404)) * sector
ad = root + 176 + u32(root + 168)
extent = u32(ad + 4)
image[ad:ad + 8] = struct.pack("<II", 3 << 30 | sector, extent)
aed = bytearray(sector)
aed[0:2] = struct.pack("<H", 258)
aed[20:32] = struct.pack("<III", 8, 3 << 30 | sector, extent)
aed[4] = (sum(aed[0:4]) + sum(aed[5:16])) & 0xFF
image[(partition + extent) * sector:(partition + extent + 1) * sector] = aed
open(f"{work}/udf-extent-loop.iso", "wb").write(image)
PY
head -c 400000 "$work/long-udf.iso" >"$work/udf-cut.iso"
broken "a text file is not an image" "$work/text.iso"
broken "an image cut after its descriptors" "$work/cut-after-descriptors.iso"
broken "an image cut before them" "$work/cut-before-descriptors.iso"
broken "a root folder past the end" "$work/root-past-end.iso"
broken "a Joliet root of 4 GB" "$work/root-of-4-gb.iso"
broken "a Joliet root far away" "$work/joliet-root-far.iso"
broken "a UDF anchor past the end" "$work/udf-anchor-past-end.iso"
broken "a UDF image cut short" "$work/udf-cut.iso"
broken "a UDF allocation extent that continues in itself" "$work/udf-extent-loop.iso"
exit $failed
