#!/usr/bin/env bash
# Runs the launcher once against one scenario folder, the way it runs from a disc: the
# launcher, "autorun.inf" and the programs it may start sit together in a fresh folder.
#
#   run-scenario.sh posix|wine SCENARIO_DIR LAUNCHER RECORDER
#
# A scenario folder holds:
#   autorun.inf   the settings file (absent: the launcher finds none)
#   registry.reg  the registry, in the registry editor's export format (optional)
#   expected      what must be started: the lines the recording program writes, one per
#                 start, "name [arg] [arg]"; an empty file means nothing may start
#   programs      optional: where copies of the recording program go, one relative path
#                 a line (default: setup.exe and app.exe)
#   prepare.sh    optional: run in the fresh folder first, for inputs made at test time
# The launcher must exit with 0, start exactly what is expected, and nothing else.
set -u
mode=$1 scenario=$2 launcher=$3 recorder=$4
name=$(basename "$scenario")

fail() { echo "FAIL $name: $*"; exit 1; }

if [ "$mode" = wine ]; then
  wait_for_start=60 grace=2
else
  wait_for_start=10 grace=0.5
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kova-scenario.XXXXXX")
cleanup() {
  [ "$mode" = wine ] && [ -f "$scenario/registry.reg" ] && forget_registry "$scenario/registry.reg"
  rm -rf "$work"
}
trap cleanup EXIT

# Keys named by a ".reg" file's sections, so that a run can remove what an import left:
# scenario keys live below a component named KovaTest, which goes as a whole.
reg_sections() {
  tr -d '\r\0' <"$1" | sed -n 's/^\[\(HKEY_[^]]*\)\]$/\1/p' | sed 's/\(\\KovaTest\)\\.*$/\1/' | sort -u
}
forget_registry() {
  local key
  reg_sections "$1" | while read -r key; do
    wine reg delete "$key" /f >/dev/null 2>&1
  done
}

launcher_name=$(basename "$launcher")
cp "$launcher" "$work/$launcher_name"
[ -e "$scenario/autorun.inf" ] && cp -r "$scenario/autorun.inf" "$work/"
if [ -f "$scenario/programs" ]; then
  programs=$(tr -d '\r' <"$scenario/programs")
else
  programs=$'setup.exe\napp.exe'
fi
while IFS= read -r program; do
  [ -n "$program" ] || continue
  mkdir -p "$work/$(dirname "$program")"
  cp "$recorder" "$work/$program"
done <<<"$programs"
if [ -f "$scenario/prepare.sh" ]; then
  (cd "$work" && bash "$scenario/prepare.sh") || fail "prepare.sh failed"
fi

if [ "$mode" = wine ]; then
  if [ -f "$scenario/registry.reg" ]; then
    forget_registry "$scenario/registry.reg"
    wine reg import "$(winepath -w "$scenario/registry.reg")" >/dev/null 2>&1 ||
      fail "could not import registry.reg"
  fi
  (cd "$work" && wine "./$launcher_name" </dev/null >/dev/null 2>&1)
  status=$?
else
  if [ -f "$scenario/registry.reg" ]; then
    export KOVA_REGISTRY="$scenario/registry.reg"
  else
    export KOVA_REGISTRY="$work/no-registry.reg"
  fi
  (cd "$work" && "./$launcher_name" </dev/null)
  status=$?
fi
[ "$status" -eq 0 ] || fail "the launcher exited with $status"

# Started programs run on their own; wait until every expected start has been recorded,
# then a little longer, so that an unexpected extra start is seen too.
expected_lines=$(grep -c '' "$scenario/expected")
deadline=$((SECONDS + wait_for_start))
while [ "$expected_lines" -gt 0 ] && [ "$SECONDS" -lt "$deadline" ]; do
  if [ -f "$work/started.txt" ] && [ "$(grep -c '' "$work/started.txt")" -ge "$expected_lines" ]; then
    break
  fi
  sleep 0.1
done
sleep "$grace"

actual="$work/started.txt"
[ -f "$actual" ] || : >"$actual"
if ! cmp -s "$scenario/expected" "$actual"; then
  echo "FAIL $name: started programs differ"
  echo "--- expected"; cat "$scenario/expected"
  echo "--- started"; cat "$actual"
  exit 1
fi
echo "ok $name"
