#!/usr/bin/env bash
# The README's sample report is what autorun-check prints: the text block that follows the
# README's marker line must be the checker's report on examples/checker-disc, laid out as
# a folder named "disc" (its setup program left out, as the README says).
#   readme-example.sh CHECKER README EXAMPLE_DISC
set -u
checker=$1 readme=$2 example=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/kova-readme.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/disc" && cp "$example/autorun.inf" "$work/disc/" || exit 1
# The lines between the "```text" after the marker and the closing "```".
awk '/^<!-- autorun-check disc: examples\/checker-disc -->$/ { marked = 1; next }
     marked && /^```text$/ { inside = 1; next }
     inside && /^```$/ { exit }
     inside { print }' "$readme" >"$work/expected"
if [ ! -s "$work/expected" ]; then
  echo "FAIL: no sample report after the marker in $readme"; exit 1
fi
(cd "$work" && env -u KOVA_REGISTRY PATH=/nonexistent "$checker" disc >"$work/got")
status=$?
if [ "$status" -ne 1 ]; then
  echo "FAIL: the checker exited with $status, expected 1 (findings)"; cat "$work/got"; exit 1
fi
if ! diff -u "$work/expected" "$work/got"; then
  echo "FAIL: the README's sample report is not what the checker prints (above: - README, + checker)"
  exit 1
fi
echo "ok the README's sample report"
