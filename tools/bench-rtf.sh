#!/bin/bash
# Real-time factor of the whole recogniser pipeline (front end, network 0
# on every frame, endpointing, network 1 per word): CPU seconds that
# tarkabab-recognise spends per second of audio, on about three minutes of
# synthetic Hungarian speech (espeak-ng) mixed with pink noise.
#
#   tools/bench-rtf.sh BUILD_DIR
#
# The test audio is generated once into /tmp/tarkabab-rtf. The headline
# figure uses a 20000 Hz mono file (what the recogniser hears); a second
# figure adds decoding a 44.1 kHz stereo file and resampling it.
set -euo pipefail
build=${1:-build}
tool=$build/tools/recognise/tarkabab-recognise
[ -x "$tool" ] || { echo "bench-rtf: $tool not built" >&2; exit 1; }
for cmd in espeak-ng sox; do
    command -v $cmd > /dev/null || { echo "bench-rtf: $cmd is needed to make the test audio" >&2; exit 1; }
done

dir=/tmp/tarkabab-rtf
mono=$dir/speech-20k.wav
stereo=$dir/speech-44k-stereo.wav
if [ ! -s "$mono" ] || [ ! -s "$stereo" ]; then
    mkdir -p "$dir"
    words="piros fehér zöld fekete sárga rózsaszín narancs kék lila barna szürke mégsem kilépés
           szabad a gazda, új játék, rendben, igen, nem, súgó, segítség"
    text=""
    for i in $(seq 1 8); do
        for w in $words; do text+="$w. "; done
        text+="Ez egy hosszabb mondat, hogy a felismerő folyó beszédet is halljon. "
    done
    espeak-ng -v hu -s 140 -g 12 -w "$dir/raw.wav" "$text"
    sox -V1 "$dir/raw.wav" -r 20000 -c 1 -b 16 "$dir/clean.wav"
    secs=$(soxi -D "$dir/clean.wav")
    sox -V1 -n -r 20000 -c 1 -b 16 "$dir/noise.wav" synth "$secs" pinknoise gain -45
    sox -V1 -m "$dir/clean.wav" "$dir/noise.wav" -b 16 "$mono"
    sox -V1 "$mono" -r 44100 -c 2 "$stereo"
    rm -f "$dir/raw.wav" "$dir/clean.wav" "$dir/noise.wav"
fi

# Best of N runs: CPU seconds (user + system) of the whole command.
cpu_seconds() {
    local runs=$1 best=""
    shift
    for _ in $(seq 1 "$runs"); do
        local t
        t=$( { /usr/bin/time -f '%U %S' "$tool" "$@" > /dev/null; } 2>&1 | tail -1 | awk '{ print $1 + $2 }')
        if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
    done
    echo "$best"
}

audio=$(soxi -D "$mono")
words=$("$tool" "$mono" | wc -l)
cpu=$(cpu_seconds 3 "$mono")
cpu_stereo=$(cpu_seconds 1 "$stereo")
awk -v a="$audio" -v c="$cpu" -v s="$cpu_stereo" -v w="$words" 'BEGIN {
    printf "tarkabab-recognise on %.1f s of speech and noise (%d utterances found):\n", a, w
    printf "  real-time factor, 20 kHz mono input:            %.5f  (%.3f CPU s)\n", c / a, c
    printf "  real-time factor, 44.1 kHz stereo + resampling: %.5f  (%.3f CPU s)\n", s / a, s
}'
