#!/usr/bin/env bash
# The coverage gate: builds the "coverage" preset (gcov), runs every Linux test in it, and
# fails when line coverage of launcher/ and framework/core/ is below 95% or their branch
# coverage below 90%. The report: build/coverage/coverage/index.html.
#
# Branches count without the compiler's exception edges (--exclude-throw-branches) and
# without those it proves unreachable (--exclude-unreachable-branches): a call that could
# throw is not a decision of this code, and counting its edge would understate every
# figure.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
build=$PWD/build/coverage

cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "$jobs"
# Counts from earlier runs would add to this one's.
find "$build" -name '*.gcda' -delete
ctest --preset coverage -j "$jobs"

# A "#line N NAME" directive makes gcov look for the lines after it in a file NAME, which
# it resolves from the folder it runs in (the build folder, here). Give it one there: the
# source shifted so that the numbering matches, so that those lines count like any others.
views=()
directives=$(grep -Hn '^#line [0-9][0-9]* "[^"/]*"' launcher/*.cpp framework/core/*.cpp || true)
while IFS=: read -r source at directive; do
  [ -n "$source" ] || continue
  read -r _ number name <<<"$directive"
  name=${name//\"/}
  view=$build/$name
  awk -v shift=$((number - at - 1)) '
    { line[NR] = $0 }
    END { for (i = 1; i <= NR + shift; ++i) print (i - shift >= 1 ? line[i - shift] : "") }
  ' "$source" >"$view"
  touch -r "$source" "$view"
  views+=(--filter "$view")
done <<<"$directives"

mkdir -p "$build/coverage"
gcovr --root "$PWD" --object-directory "$build" \
  --filter "$PWD/launcher/" --filter "$PWD/framework/core/" "${views[@]}" \
  --exclude-throw-branches --exclude-unreachable-branches \
  --html-details "$build/coverage/index.html" \
  --print-summary --txt "$build/coverage/summary.txt" \
  --fail-under-line 95 --fail-under-branch 90
