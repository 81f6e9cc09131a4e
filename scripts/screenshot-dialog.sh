#!/bin/sh
# Draws the main dialog under a virtual X server and saves it as a PNG.
#   scripts/screenshot-dialog.sh [BUILD_DIR] [OUTPUT.png]
# Defaults: build, docs/dialog.png. Needs xvfb-run (package xvfb).
set -eu
build_dir=${1:-build}
output=${2:-docs/dialog.png}
program="$build_dir/src/gui/camwright_screenshot"
if [ ! -x "$program" ]; then
  echo "screenshot-dialog.sh: $program is not built (ninja -C $build_dir camwright_screenshot)" >&2
  exit 1
fi
# The window system's look, not a theme of the desktop that runs the script.
exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" env -u QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME= "$program" "$output"
