#!/bin/sh
# Builds every fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each one for a fixed number of inputs
# from a fixed seed. Exits non-zero when a target crashes, leaks, times out
# or fails to build. The inputs that broke a target are kept in
# BUILD_DIR/fuzz-artifacts and each target's output in BUILD_DIR/fuzz-logs;
# the end of the output names each failed target with its report and the
# inputs that broke it, gzipped and in base64, so that a failure seen only
# in a log's last lines can be replayed anywhere.
#
# Usage: fuzz/run-fuzzers.sh [BUILD_DIR]      (default: build-fuzz)
# Environment: RUNS (default 20000), SEED (default 1), FUZZERS (names to
# run, e.g. "block run"; default all). The info, preview and run targets
# run a quarter of RUNS.
set -eu

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build-fuzz}
runs=${RUNS:-20000}
seed=${SEED:-1}

generator=
if command -v ninja >/dev/null 2>&1; then generator="-G Ninja"; fi
# shellcheck disable=SC2086
cmake -S "$source_dir" -B "$build_dir" $generator \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCAMWRIGHT_FUZZ=ON -DCAMWRIGHT_TESTS=OFF -DCAMWRIGHT_GUI=OFF -DCAMWRIGHT_BENCH=OFF >/dev/null
cmake --build "$build_dir"

seeds="$build_dir/fuzz-seeds"
rm -rf "$seeds" "$build_dir/fuzz-artifacts"
mkdir -p "$build_dir/fuzz-artifacts"
"$build_dir/fuzz/make-fuzz-seeds" "$seeds"

failed=
for fuzzer in "$build_dir"/fuzz/*_fuzz; do
  name=$(basename "$fuzzer" _fuzz)
  if [ -n "${FUZZERS:-}" ] && ! echo " $FUZZERS " | grep -q " $name "; then continue; fi
  # A fresh corpus each time, so that the same seed gives the same inputs.
  work="$build_dir/fuzz-corpus/$name"
  rm -rf "$work"
  mkdir -p "$work"
  set -- "$work"
  if [ -d "$seeds/$name" ]; then set -- "$@" "$seeds/$name"; fi
  if [ -d "$source_dir/fuzz/corpus/$name" ]; then set -- "$@" "$source_dir/fuzz/corpus/$name"; fi
  # The look tools' targets make a whole pass and a whole report of each
  # input, and the run target two whole refilms: a quarter as many inputs
  # keeps their share of the time fair.
  target_runs=$runs
  case $name in info | preview | run) target_runs=$((runs / 4)) ;; esac
  echo "== $name: $target_runs runs, seed $seed"
  # Each target's output is also kept, so that the summary at the end can
  # show why a target failed: a CI log is often read from its tail only.
  log="$build_dir/fuzz-logs/$name.log"
  mkdir -p "$build_dir/fuzz-logs"
  {
    code=0
    "$fuzzer" -runs="$target_runs" -seed="$seed" -timeout=60 -print_final_stats=1 \
      -artifact_prefix="$build_dir/fuzz-artifacts/$name-" "$@" || code=$?
    echo "$code" >"$log.status"
  } 2>&1 | tee "$log"
  if [ "$(cat "$log.status")" != 0 ]; then
    echo "== $name FAILED" >&2
    failed="$failed $name"
  fi
done

if [ -n "$failed" ]; then
  for name in $failed; do
    log="$build_dir/fuzz-logs/$name.log"
    echo "== $name FAILED (seed $seed; whole log: $log; inputs kept in $build_dir/fuzz-artifacts):" >&2
    grep -E '==[0-9]+==|ERROR|SUMMARY|runtime error|#[0-9]+ 0x|Test unit written|Base64|timeout|out-of-memory|deadly signal' "$log" |
      grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse|INITED|DONE|RELOAD)' | head -60 >&2
  done
  # The inputs themselves, small enough to copy out of a log: each decodes
  # with base64 -d | gunzip.
  for input in "$build_dir"/fuzz-artifacts/*; do
    [ -f "$input" ] || continue
    if [ "$(wc -c <"$input")" -le 65536 ]; then
      echo "== $(basename "$input") (gzip, base64):" >&2
      gzip -9 -n -c "$input" | base64 -w 0 >&2
      echo >&2
    fi
  done
  exit 1
fi
