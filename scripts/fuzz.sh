#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each with one worker, one after
# the other, starting from its seed corpus in fuzz/corpus/.
#   fuzz.sh --runs N [--seed S] [TARGET...]   a fixed number of runs from a fresh corpus
#                                             (the test command: --runs 20000 --seed 1)
#   fuzz.sh --seconds T [TARGET...]           T seconds each (default 60); what is found is
#                                             kept in build/fuzz/corpus/TARGET for the next run
# Targets: getvalue text launch version kformat regfile commandline pe signature image
# checker (default: all). A crash leaves its input in build/fuzz/artifacts/TARGET/ and makes the
# script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

runs='' seconds=60 seed=''
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    -*) echo "usage: $0 [--runs N [--seed S] | --seconds T] [TARGET...]" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(getvalue text launch version kformat regfile commandline pe signature image checker)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(( $(nproc) < 2 ? $(nproc) : 2 ))" >/dev/null

build=$PWD/build/fuzz
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kova-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

failed=0
for target in "${targets[@]}"; do
  program=$build/bin/${target}_fuzzer
  [ -x "$program" ] || { echo "fuzz $target: no such target" >&2; exit 2; }
  options=(-print_final_stats=1 -timeout=10 -rss_limit_mb=2048 "-artifact_prefix=$build/artifacts/$target/")
  [ -f "fuzz/$target.dict" ] && options+=("-dict=fuzz/$target.dict")
  # The launch and text targets must be able to reach keys past the 32000 bytes the
  # launcher reads.
  case $target in launch | text | checker) options+=(-max_len=33000) ;; esac
  # Disc images begin 32 KB in, and a UDF image's anchor lies 512 KB in.
  [ "$target" = image ] && options+=(-max_len=600000)
  if [ -n "$runs" ]; then
    # Repeatable: a fresh corpus every time, so a run depends only on the seeds and -seed.
    corpus=$scratch/$target
    options+=("-runs=$runs" "-seed=${seed:-1}")
  else
    corpus=$build/corpus/$target
    options+=("-max_total_time=$seconds")
    [ -n "$seed" ] && options+=("-seed=$seed")
  fi
  mkdir -p "$corpus" "$build/artifacts/$target"
  log=$scratch/$target.log
  if "$program" "${options[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    elapsed=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
    echo "fuzz $target: ${executed:-?} runs in ${elapsed:-?} s, no fault"
  else
    failed=1
    echo "FAIL fuzz $target:"
    grep -v '^#' "$log" | tail -40
  fi
done
exit $failed
