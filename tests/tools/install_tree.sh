#!/bin/bash
# Installs the build into a temporary prefix and checks that a desktop would
# find the game: both programs, the launcher (valid, pointing at the
# installed program and icon), every icon size and valid AppStream data.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > /dev/null
for prog in tarkabab tarkabab-recognise; do
  [ -x "$prefix/bin/$prog" ] || fail "bin/$prog not installed"
done
desktop="$prefix/share/applications/tarkabab.desktop"
[ -f "$desktop" ] || fail "launcher not installed"
grep -qx 'Exec=tarkabab' "$desktop" || fail "launcher does not start tarkabab"
grep -qx 'Icon=tarkabab' "$desktop" || fail "launcher names another icon"
for n in 16 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${n}x${n}/apps/tarkabab.png"
  [ -f "$icon" ] || fail "icon ${n}x${n} missing"
  file "$icon" | grep -q "$n x $n" || fail "icon ${n}x${n} has the wrong size"
done
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$desktop" || fail "launcher does not validate"
fi
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml > /dev/null || fail "metainfo does not validate"
fi
"$prefix/bin/tarkabab-recognise" --help > /dev/null || fail "installed recogniser does not run"
echo "installed tree is complete"
