#!/usr/bin/env bash
# Makes the release archive as the README says ("package" target), unpacks it and checks
# its members: exactly the shipped programs (the built files, unsigned) and the documents
# (Windows line ends, every placeholder filled in). Then packs it once more with a signing
# certificate in the environment, as an author would, and checks that the programs in that
# archive carry a signature that verifies while the build folder keeps the unsigned files.
#   archive-test.sh BUILD_DIR VERSION win32|win64 CERTIFICATE_DIR PROGRAM.exe...
set -u
build=$1 version=$2 arch=$3 certificate=$4
shift 4
fail() { echo "FAIL: $*"; exit 1; }
name=autorun-$version-$arch
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-archive.XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --build "$build" --target package >"$work/package.log" 2>&1 ||
  { cat "$work/package.log"; fail "the package target failed"; }
[ -f "$build/$name.zip" ] || fail "no $name.zip in $build"
mkdir "$work/plain"
(cd "$work/plain" && cmake -E tar xf "$build/$name.zip") || fail "$name.zip does not unpack"

expected=(autorun.inf DISC-AUTHORS-GUIDE.txt LICENSE.txt)
for program in "$@"; do
  expected+=("$(basename "$program")")
done
members=$(cd "$work/plain" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf "$name/%s\n" "${expected[@]}" | sort)
[ "$members" = "$wanted" ] || fail "the archive holds
$members
and should hold
$wanted"

for program in "$@"; do
  cmp -s "$program" "$work/plain/$name/$(basename "$program")" ||
    fail "$(basename "$program") in the archive is not the built file"
done
for document in autorun.inf DISC-AUTHORS-GUIDE.txt LICENSE.txt; do
  file=$work/plain/$name/$document
  [ -s "$file" ] || fail "$document is empty"
  ! grep -q $'[^\r]$' "$file" || fail "$document has lines without a Windows line end"
  ! grep -q '@[A-Z_]*@' "$file" || fail "$document has a placeholder left: $(grep -o '@[A-Z_]*@' "$file")"
done
grep -q "autorun $version" "$work/plain/$name/DISC-AUTHORS-GUIDE.txt" || fail "the guide does not name version $version"
grep -q '^MIT License' "$work/plain/$name/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"

# The author's way to a signed archive: the certificate in the environment.
KOVA_SIGN_PKCS12=$certificate/cert.p12 KOVA_SIGN_PASSWORD_FILE=$certificate/password \
  KOVA_SIGN_TIMESTAMP=none cpack --config "$build/CPackConfig.cmake" -B "$work/signed-package" \
  >"$work/signed.log" 2>&1 || { cat "$work/signed.log"; fail "packing with a certificate failed"; }
mkdir "$work/signed"
(cd "$work/signed" && cmake -E tar xf "$work/signed-package/$name.zip") || fail "the signed archive does not unpack"
for program in "$@"; do
  osslsigncode verify -CAfile "$certificate/cert.pem" -in "$work/signed/$name/$(basename "$program")" \
    >/dev/null 2>&1 || fail "$(basename "$program") in the signed archive does not verify"
  if osslsigncode extract-signature -in "$program" -out "$work/build.sig" >/dev/null 2>&1; then
    fail "packing signed $program in the build folder"
  fi
done
echo "ok: $name.zip holds ${expected[*]}; the signed archive's programs verify"
