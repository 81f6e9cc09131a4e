#!/bin/sh
# Builds every fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each one for a fixed number of inputs
# from a fixed seed. Exits non-zero when a target crashes, leaks, times out
# or fails to build. The inputs that broke a target are kept in
# BUILD_DIR/fuzz-artifacts.
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

status=0
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
  if ! "$fuzzer" -runs="$target_runs" -seed="$seed" -timeout=60 -print_final_stats=1 \
      -artifact_prefix="$build_dir/fuzz-artifacts/$name-" "$@"; then
    echo "== $name FAILED" >&2
    status=1
  fi
done
exit $status
