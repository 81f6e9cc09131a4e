#!/usr/bin/env bash
# Checks the formatting, then builds and runs every test: the normal build with the dialog tests, the
# install tree and the real-engine plays, the Debian package's round trip, the
# sanitizer build, and a fixed run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh

scripts/build.sh build -DCAMWRIGHT_WERROR=ON -DCAMWRIGHT_TESTS=ON
ctest --test-dir build --output-on-failure -j "$(nproc)" -LE engine
ctest --test-dir build --output-on-failure -L engine
scripts/test-package.sh build

scripts/build.sh build-sanitize -DCAMWRIGHT_WERROR=ON -DCAMWRIGHT_SANITIZE=ON -DCAMWRIGHT_GUI=OFF -DCAMWRIGHT_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" -LE engine

fuzz/run-fuzzers.sh build-fuzz
