#!/bin/sh
# Takes a picture of the running game for the docs: starts a private X
# server, runs the game with a throw-away settings folder, types a guess
# and a few keys, and writes docs/board.png (the game window with its
# "Tipp" window and the help window placeholder cropped off).
#
# Usage: tools/screenshot.sh [build-dir] [output.png]
# Needs xvfb-run, xdotool and ImageMagick's import/convert.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=${2:-$here/docs/board.png}
game=$build/app/tarkabab
[ -x "$game" ] || { echo "screenshot: no game at $game (build first)" >&2; exit 1; }
for tool in xvfb-run xdotool import convert; do
  command -v $tool >/dev/null || { echo "screenshot: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/Vextorn" "$(dirname "$out")"
# A later run: the help window stays closed, the game sits at (280, 40).
printf 'PosX=280\nPosY=40\nSugo=1\n' > "$work/Vextorn/tarkabab.conf"

XDG_CONFIG_HOME=$work xvfb-run -a -s "-screen 0 800x500x24" sh -c '
  "$1" & pid=$!
  for i in $(seq 50); do
    win=$(xdotool search --name "^Tarkabab 1.5$" 2>/dev/null | head -n1) && [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { kill $pid; echo "screenshot: the game window did not appear" >&2; exit 1; }
  sleep 1
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  # Row 1: red, white, blue, pink, rendben; row 2: yellow, green; then
  # "szabad a gazda" so the "Tipp" window asks its question.
  for key in p f k r Return s z g; do xdotool key --window "$win" "$key"; sleep 0.3; done
  sleep 0.5
  import -window root "$2"
  kill $pid; wait $pid 2>/dev/null || true
' sh "$game" "$work/root.png"
convert "$work/root.png" -crop 500x450+20+25 +repage "$out"
echo "screenshot: wrote $out"
