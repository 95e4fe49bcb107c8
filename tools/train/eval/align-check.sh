#!/bin/sh
# align-check.sh — words in digital silence at every sub-frame alignment.
#
# Synthesisers, noise suppressors and sound servers without dither deliver
# exact zeros around a word, and whether a word's first or last 12.8 ms frame
# is one of those depends on where the frames fall. This writes ten words of
# four espeak-ng voices, each after half a second of zeros plus 0, 16, ... 240
# samples (sixteen alignments of a 256-sample frame), resampled to 20 000 Hz
# without dither, runs tarkabab-recognise on them and counts per voice the
# words right, wrong (another vocabulary word) and rejected or missed.
#
#   tools/train/eval/align-check.sh BUILD_DIR [NETS_DIR]
#
# NETS_DIR (default: the networks built into the recogniser) is handed to
# tarkabab-recognise --nets. Needs espeak-ng and sox.
set -eu

build=${1:?usage: align-check.sh BUILD_DIR [NETS_DIR]}
nets=${2:-}
recognise=$build/tools/recognise/tarkabab-recognise
[ -x "$recognise" ] || { echo "align-check: $recognise not built" >&2; exit 2; }
for tool in espeak-ng sox; do
    command -v $tool >/dev/null || { echo "align-check: $tool is missing" >&2; exit 2; }
done

FRAME=256          # samples per frame at 20 000 Hz
STEPS=16           # alignments per word
LEAD=10000         # half a second of zeros before every word
TAIL=10000         # and after it

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# word and its class
WORDS="piros:1 fehér:2 zöld:3 kék:8 sárga:5 igen:17 nem:18 rendben:16 súgó:19 szürke:11"
VOICES="hu hu+m3 hu+f2 hu+klatt"

for voice in $VOICES; do
    for wc in $WORDS; do
        word=${wc%:*}
        espeak-ng -v "$voice" -w "$work/raw.wav" "$word"
        sox -D "$work/raw.wav" -r 20000 -b 16 -c 1 "$work/word.wav"
        k=0
        while [ $k -lt $STEPS ]; do
            lead=$((LEAD + k * FRAME / STEPS))
            sox -D "$work/word.wav" "$work/$voice.$wc.$k.wav" pad ${lead}s ${TAIL}s
            k=$((k + 1))
        done
    done
done

if [ -n "$nets" ]; then
    "$recognise" --nets "$nets" "$work"/*.*.*.wav > "$work/out.tsv"
else
    "$recognise" "$work"/*.*.*.wav > "$work/out.tsv"
fi

# A file is right when a detection carries its class, wrong when one carries
# another vocabulary class and none its own.
for voice in $VOICES; do
    ls "$work"/$voice.*.wav | sed 's|.*/||' > "$work/files"
    awk -F '\t' -v voice="$voice" -v files="$work/files" '
        BEGIN { while ((getline f < files) > 0) { n++; want[f] = 1 } }
        {
            f = $1; sub(/.*\//, "", f)
            if (!(f in want)) next
            split(f, p, "."); cls = p[length(p) - 2]; sub(/.*:/, "", cls)
            if ($4 == cls) right[f] = 1
            else if ($4 >= 1 && $4 <= 20) wrong[f] = 1
        }
        END {
            r = 0; w = 0
            for (f in want) { if (f in right) r++; else if (f in wrong) w++ }
            printf "%-10s %3d right %3d wrong %3d rejected or missed of %d\n", voice, r, w, n - r - w, n
        }' "$work/out.tsv"
done | tee "$work/summary"
awk '{ r += $2; w += $4; n += $NF } END { printf "all        %3d right %3d wrong of %d\n", r, w, n }' "$work/summary"
