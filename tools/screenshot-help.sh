#!/bin/bash
# Screenshot of the help window alone, for the user guide: docs/help.png.
#
#   tools/screenshot-help.sh [build-dir] [anchor]
#
# Builds help_preview if needed, shows it on a private Xvfb display and
# captures the window's 400 x 440 pixels at the top-left of the screen. With
# an anchor ("m4") the page is scrolled to that section first; the picture
# then goes to docs/help-<anchor>.png.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
anchor=${2:-}
out=$root/docs/help${anchor:+-$anchor}.png
preview=$build/tests/help/help_preview

for tool in xvfb-run import; do
  command -v "$tool" >/dev/null || { echo "screenshot-help: $tool is not installed" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target help_preview >/dev/null
mkdir -p "$root/docs"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" $2 &
  pid=$!
  sleep 2
  import -window root -crop 400x440+0+0 +repage "$3"
  kill "$pid"
' _ "$preview" "$anchor" "$out"
echo "wrote $out"
