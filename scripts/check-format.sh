#!/usr/bin/env bash
# The C++ sources are in the house style of .clang-format: lists what is not, and fails.
#   check-format.sh          check (what scripts/test.sh runs)
#   check-format.sh --fix    reformat them in place
# The generated tables (scripts/make-unicode-tables.py writes them) keep their own layout.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '^platform/posix/src/UnicodeTables\.cpp$')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run --Werror "${files[@]}"
fi
