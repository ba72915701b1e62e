#!/usr/bin/env bash
# The test command's set-up against a package mirror out of step, from recorded answers:
# which library pairs it settles and at which version, and how it names the lists that
# could not be fetched while it goes on with the others. Needs no network.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/apt-resolve.sh
. "$here/../../scripts/apt-resolve.sh"
answers=$here/apt-answers
failures=0

expect() {
  local what=$1 expected=$2 actual=$3
  if [ "$expected" != "$actual" ]; then
    printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$what" "$expected" "$actual"
    failures=$((failures + 1))
  fi
}

# Installed amd64 libraries whose candidates differ from i386's: kept where i386 has the
# installed version too (zlib1g), else the newest both have, a downgrade (gstreamer's, as on
# the machine where this was found) or an upgrade (liblzma5, libssl3); "-" where they share
# none. Libraries whose candidates agree (libc6) and those not installed for amd64 (libaom3)
# are left to apt.
expect "pairs" "libgstreamer-plugins-base1.0-0 1.22.0-3+deb12u7 1.22.0-3+deb12u6
liblzma5 5.4.1-1 5.4.1-1+deb12u1
zlib1g 1:1.2.13.dfsg-1 1:1.2.13.dfsg-1
libssl3 3.0.19-1~deb12u2 3.0.20-1~deb12u2
libonly 2.0-1 -" "$(pick_pair_versions <"$answers/policy-i386-security-missing.txt")"

expect "failed lists" "bookworm-security/main/binary-i386, bookworm-updates/main/binary-amd64" \
  "$(failed_lists <"$answers/update-i386-security-missing.txt")"

# apt-get update, here a stand-in that fails as the mirror did: retried, then the lists are
# named in one line and the set-up goes on; a failure of another kind still stops it.
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
cat >"$fake/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo x >>"$APT_CALLS"
cat "$APT_ANSWER"
exit "$APT_STATUS"
FAKE
chmod +x "$fake/apt-get"
export APT_CALLS=$fake/calls
update() {
  : >"$APT_CALLS"
  APT_ANSWER=$1 APT_STATUS=$2 PATH="$fake:$PATH" apt_update_retrying 3 0 2>/dev/null
}
expect "update out of step" \
  "NOTE: apt-get update could not fetch bookworm-security/main/binary-i386, bookworm-updates/main/binary-amd64 after 3 tries; going on with the lists it has" \
  "$(update "$answers/update-i386-security-missing.txt" 100)"
expect "tries" 3 "$(wc -l <"$APT_CALLS")"
echo "E: Could not get lock /var/lib/apt/lists/lock" >"$fake/lock.txt"
if update "$fake/lock.txt" 100 >/dev/null; then
  expect "another failure stops the set-up" "status 1" "status 0"
fi
expect "a healthy mirror is asked once" "" "$(update /dev/null 0)"
expect "once" 1 "$(wc -l <"$APT_CALLS")"

[ "$failures" -eq 0 ] && echo "apt-resolve: all passed"
exit "$failures"
