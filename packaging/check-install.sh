#!/usr/bin/env bash
# Installs a build into a fresh folder and checks what lands there: the exact
# tree, the desktop entry and MIME type as the desktop's tools read them, the
# manual pages as man shows them, and one version everywhere.
#   check-install.sh BUILD_DIR PREFIX VERSION GUI(ON|OFF) MAN(ON|OFF)
set -euo pipefail
build=$1 prefix=$2 version=$3 gui=$4 man=$5

if [ "$man" != ON ]; then
  echo "help2man was not found when the build was configured, so there are no manual pages:" \
    "install it (scripts/install-deps.sh) and configure again" >&2
  exit 1
fi
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

doc=share/doc/camwright
expected=(bin/camwright-cli share/man/man1/camwright-cli.1.gz
  $doc/README.md $doc/docs/dialog.png $doc/docs/preview-example.svg $doc/example.cam $doc/cinematic.cam $doc/cwbox.log $doc/copyright $doc/changelog.gz)
programs=(camwright-cli)
if [ "$gui" = ON ]; then
  expected+=(bin/camwright share/man/man1/camwright.1.gz share/applications/camwright.desktop
    share/mime/packages/camwright.xml share/icons/hicolor/{48x48,128x128,256x256}/apps/camwright.png)
  programs+=(camwright)
fi
if ! diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f -printf '%P\n' | sort); then
  fail "the installed files (>) are not the expected ones (<)"
fi
for program in "${programs[@]}"; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
unexpected=$(find "$prefix" -type f -perm /111 ! -path "$prefix/bin/*")
[ -z "$unexpected" ] || fail "executable files outside bin/: $unexpected"

# One version: the project's, in --version, the changelog and the manual pages.
for program in "${programs[@]}"; do
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/$program" --version)
  [[ " $said " == *" $version "* ]] || fail "$program --version says '$said', not version $version"
  title=$(zcat "$prefix/share/man/man1/$program.1.gz" | grep '^\.TH')
  [[ "$title" == *" $version "* ]] || fail "$program(1) has the title line '$title', without version $version"
done
latest=$(zcat "$prefix/$doc/changelog.gz" | head -n 1)
[[ "$latest" == "camwright ($version) "* ]] || fail "the changelog's latest entry is '$latest', not version $version"

# The manual pages render without a warning, and hold every option and section.
for program in "${programs[@]}"; do
  page="$prefix/share/man/man1/$program.1.gz"
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns about $program(1): $warnings"
  text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
  for section in SYNOPSIS DESCRIPTION "EXIT STATUS" "CAMERA SCRIPTS" EXAMPLES "SEE ALSO"; do
    grep -q "^$section\$" <<<"$text" || fail "$program(1) has no section $section"
  done
  # The page's source without fonts and escaped dashes: options are never hyphenated there.
  source=$(zcat "$page" | sed -e 's/\\f[BIRP]//g' -e 's/\\[,/&]//g' -e 's/\\-/-/g')
  options=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/$program" --help |
    grep -oE '(^|[[:space:][(|,])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[^-]*//' | sort -u)
  for option in $options; do
    grep -qF -e "$option" <<<"$source" || fail "$program(1) does not mention $option of its --help"
  done
done

if [ "$gui" = ON ]; then
  entry="$prefix/share/applications/camwright.desktop"
  report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate refuses the desktop entry"
  if grep -qE 'error:|warning:' <<<"$report"; then fail "desktop-file-validate: $report"; fi
  # The desktop entry's MIME type is the one our shared-mime-info file declares for *.dem.
  type=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$entry")
  if ! report=$(XDG_DATA_DIRS="$prefix/share" update-mime-database "$prefix/share/mime" 2>&1); then
    fail "update-mime-database refuses share/mime/packages/camwright.xml: $report"
  fi
  grep -qx "$type:\*\.dem" "$prefix/share/mime/globs" || fail "no MIME type '$type' for *.dem in share/mime"
  for size in 48 128 256; do
    file "$prefix/share/icons/hicolor/${size}x${size}/apps/camwright.png" | grep -q "PNG image data, $size x $size," ||
      fail "the ${size}x$size icon is not a PNG of that size"
  done
fi

[ "$failures" -eq 0 ] || exit 1
echo "The install tree in $prefix is complete."
