#!/usr/bin/env bash
# Builds the win32 preset's shipped programs twice, from two copies of this source tree in
# two unrelated folders (different names, different depths), and fails unless every program
# comes out byte for byte the same. Both builds carry an icon and a company name outside
# ASCII, so that those paths are covered too; the programs' resources are then checked with
# tests/release/pecheck.py, and neither the source nor the build folder may appear in them.
#
#   check-reproducible.sh [--keep]     --keep leaves the two builds in place to look at
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

work=$(mktemp -d "${TMPDIR:-/tmp}/kova-reproducible.XXXXXX")
if [ "${1:-}" = --keep ]; then
  echo "builds kept in $work"
else
  trap 'rm -rf "$work"' EXIT
fi

version=$(sed -n 's/^project(autorun VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
company='Ünïcode & "Quoted" \ Co.'
first=$work/a
second=$work/somewhere/else/a-longer-folder-name
programs=

build() {
  local root=$1
  mkdir -p "$root/source"
  # The files a fresh clone would have, with the changes not committed yet.
  git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
    xargs -0 cp --parents -t "$root/source"
  python3 tests/release/make-test-icon.py "$root/product.ico"
  cmake -S "$root/source" --preset win32 -B "$root/build" -DBUILD_TESTING=OFF \
    -DKOVA_ICON="$root/product.ico" -DKOVA_COMPANY_NAME="$company" >/dev/null
  programs=$(cat "$root/build/shipped-programs.txt")
  # The programs come from the shipped build inside the build folder (cmake/KovaShipped.cmake).
  cmake --build "$root/build" -j "$jobs" --target shipped >/dev/null
}

echo "== first build, in $first"
build "$first"
echo "== second build, in $second"
build "$second"

status=0
for program in ${programs//;/ }; do
  file=bin/$program.exe
  sha256sum "$first/build/$file" "$second/build/$file"
  if ! cmp "$first/build/$file" "$second/build/$file"; then
    echo "FAIL: $program.exe differs between the two builds"
    status=1
  fi
  for folder in "$first" "$second"; do
    if grep -qaF "$folder" "$first/build/$file" "$second/build/$file"; then
      echo "FAIL: $program.exe holds the build's folder $folder"
      status=1
    fi
  done
  icon=()
  [ "$program" = autorun ] && icon=(--icon "$first/product.ico")
  python3 tests/release/pecheck.py "$second/build/$file" --version "$version" \
    --string "CompanyName=$company" --string "OriginalFilename=$program.exe" "${icon[@]}" || status=1
done
[ "$status" -eq 0 ] && echo "ok: the shipped programs are reproducible"
exit "$status"
