#!/bin/sh
# Draws the example demo's camera with "camwright-cli preview", as the
# README shows it: the example script, the example map's zones.
#   scripts/preview-example.sh [BUILD_DIR] [OUTPUT.svg]
# Defaults: build, docs/preview-example.svg.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-build}" && pwd)
output=$(realpath -m "${2:-$source_dir/docs/preview-example.svg}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build_dir/examples/make-example-demo" "$work/example.dem" >/dev/null
cp "$source_dir/examples/cwbox.log" "$work/"
# Run in the folder of the demo and the zone file, which preview looks for there.
(cd "$work" && "$build_dir/src/camwright-cli" preview example.dem "$source_dir/examples/example.cam" example.svg)
cp "$work/example.svg" "$output"
