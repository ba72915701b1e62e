#!/usr/bin/env bash
# The icon check that configuration runs on KOVA_ICON: a good icon file passes, and every
# kind of wrong file fails with a message that says what is wrong with it.
#   icon-check-test.sh KovaIcon.cmake make-test-icon.py
set -u
check=$(realpath "$1") make_icon=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-icon-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

python3 "$make_icon" good.ico || exit 1
: >empty.ico
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' >png.ico
printf 'BM\x36\0\0\0\0\0\0\0' >bmp.ico
printf '\0\0\2\0\1\0' >cursor.ico
echo "not an icon at all" >text.ico
printf '\0\0\1\0\0\0' >no-images.ico
head -c 22 good.ico >cut-list.ico
head -c 3000 good.ico >cut-image.ico
mkdir folder.ico

status=0
# file | what the message must say ("" for a good file)
while IFS='|' read -r file expected; do
  output=$(cmake -DKOVA_ICON="$work/$file" -P "$check" 2>&1)
  result=$?
  # CMake wraps long messages; compare them as one line.
  output=$(tr -s ' \n' '  ' <<<"$output")
  if [ -z "$expected" ]; then
    [ "$result" -eq 0 ] || { echo "FAIL $file: refused: $output"; status=1; }
  elif [ "$result" -eq 0 ]; then
    echo "FAIL $file: accepted"; status=1
  elif [[ $output != *"$expected"* ]]; then
    echo "FAIL $file: the message does not say \"$expected\": $output"; status=1
  fi
done <<'TABLE'
good.ico|
empty.ico|fewer than an icon file's 6-byte header
png.ico|is a PNG image, not an icon file
bmp.ico|is a BMP image, not an icon file
cursor.ico|is a cursor file (.cur)
text.ico|an icon file starts with the bytes 00 00 01 00
no-images.ico|holds no images
cut-list.ico|is cut short: the list of its 2 images needs 38 bytes and the file has 22
cut-image.ico|image 2 of 2
folder.ico|is not a file
missing.ico|is not a file
TABLE
[ "$status" -eq 0 ] && echo "ok: the icon check"
exit "$status"
