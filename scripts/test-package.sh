#!/usr/bin/env bash
# The Debian package's round trip: builds camwright_*.deb from a build folder,
# checks it with lintian, installs it with apt-get, refilms the example demo
# with the installed program (the results must equal the build's own), and
# removes the package and whatever its installation brought along again.
#   scripts/test-package.sh [BUILD_DIR]        (default: build, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@"; }
# Every package dpkg has on this machine in any state but "not installed".
installed_packages() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk 'substr($1, 2, 1) != "n" { print $2 }' | sort; }
# What is installed now and was not before.
new_packages() { comm -13 <(echo "$before") <(installed_packages); }

work=$(mktemp -d)
chmod 755 "$work"  # apt reads the package as its own user
before=""
# Whatever came with the package goes again, even when a step fails.
cleanup() {
  if [ -n "$before" ]; then
    mapfile -t leftover < <(new_packages)
    if [ ${#leftover[@]} -gt 0 ]; then
      echo "Removing: ${leftover[*]}"
      apt_get purge "${leftover[@]}" >/dev/null
    fi
  fi
  rm -rf "$work"
}
trap cleanup EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >/dev/null
debs=("$work"/camwright_*.deb)
deb=${debs[0]}
dpkg-deb -I "$deb"
[[ "$(dpkg-deb -f "$deb" Depends)" == *libc6* ]] || { echo "FAIL: no dependencies computed from the programs" >&2; exit 1; }
contents=$(dpkg-deb -c "$deb")
for file in usr/bin/camwright-cli usr/share/man/man1/camwright-cli.1.gz usr/share/doc/camwright/copyright; do
  grep -q " \./$file\$" <<<"$contents" || { echo "FAIL: $(basename "$deb") has no /$file" >&2; exit 1; }
done
# Errors fail; warnings and notes are shown.
lintian --fail-on error "$deb" 2>&1 | sed 's/^/lintian: /'

if dpkg-query -W -f='${Status}' camwright 2>/dev/null | grep -q "install ok installed"; then
  echo "SKIPPED: the package camwright is installed on this machine already; not replacing it to try ours"
  exit 0
fi
before=$(installed_packages)
apt_get install "$deb" >/dev/null
echo "Installed: $(new_packages | tr '\n' ' ')"

[ "$(command -v camwright-cli)" = /usr/bin/camwright-cli ] || { echo "FAIL: camwright-cli is not /usr/bin/camwright-cli" >&2; exit 1; }
version=$(/usr/bin/camwright-cli --version)
echo "Installed: $version"
[ "$version" = "$("$build/src/camwright-cli" --version)" ] || { echo "FAIL: the installed version differs from the build's" >&2; exit 1; }

# The example demo, refilmed by the installed program with the installed
# example script and zone file, and by the build's program.
run=$work/refilm
mkdir -p "$run/installed" "$run/build"
"$build/examples/make-example-demo" "$run/example.dem"
for side in installed build; do
  program=/usr/bin/camwright-cli
  [ "$side" = build ] && program=$build/src/camwright-cli
  cp /usr/share/doc/camwright/example.cam /usr/share/doc/camwright/cwbox.log "$run/$side"/
  (cd "$run/$side" && "$program" ../example.dem example.cam scripted.dem && "$program" ../example.dem generated.dem)
done
for result in scripted.dem generated.dem temp.cam; do
  cmp "$run/installed/$result" "$run/build/$result" || { echo "FAIL: the installed program's $result differs" >&2; exit 1; }
done
echo "The installed camwright-cli refilmed the example demo as the build does."

mapfile -t brought < <(new_packages)
apt_get purge "${brought[@]}" >/dev/null
[ "$(installed_packages)" = "$before" ] || { echo "FAIL: the installed packages differ from before" >&2; exit 1; }
before=""
[ ! -e /usr/bin/camwright-cli ] || { echo "FAIL: /usr/bin/camwright-cli is left behind" >&2; exit 1; }
echo "The package installed, ran and was removed again."
