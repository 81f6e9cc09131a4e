#!/usr/bin/env bash
# Installs the Debian packages that building, testing, playing and packaging
# need, when they are missing. Runs apt-get through sudo for a user who is not
# root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config            # the build
  clang-format                                # the formatting check
  libgtest-dev libgmock-dev                   # the tests
  python3 librsvg2-bin                        # the tests of the preview: an XML parser, an SVG renderer
  qt6-base-dev libgl-dev                      # the dialog program
  clang libclang-rt-14-dev                    # the fuzz targets
  quakespasm xvfb xauth libgl1-mesa-dri       # playing results in a real engine
  ffmpeg                                      # videos of results, and the engine tests that check them
  help2man man-db gzip                        # the manual pages: written and checked
  desktop-file-utils shared-mime-info file    # the desktop entry, the MIME type, the icons checked
  dpkg-dev lintian                            # the Debian package: its dependencies, its checks
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
