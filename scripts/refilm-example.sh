#!/usr/bin/env bash
# The main job: builds Camwright, writes the example demo of an imaginary map
# and refilms it twice from the command line, with the example camera script
# and with a script generated from the map's zone file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target camwright-cli make-example-demo

out=out/example
mkdir -p "$out"
cp examples/example.cam examples/cwbox.log "$out"/
build/examples/make-example-demo "$out/example.dem"
cd "$out"
../../build/src/camwright-cli example.dem example.cam example-scripted.dem
../../build/src/camwright-cli example.dem example-generated.dem
echo "Refilmed with the example script:   $PWD/example-scripted.dem"
echo "Refilmed with a generated script:   $PWD/example-generated.dem (script: $PWD/temp.cam)"
