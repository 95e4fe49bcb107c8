#!/usr/bin/env bash
# make-prompts.sh — synthesises the game's spoken prompts.
#
#   tools/prompts/make-prompts.sh [OUTDIR]      (default resources/prompts)
#
# Each prompt is spoken by espeak-ng in Hungarian with a bright female
# variant, slowed a little and pitched up so it sounds friendly, then cut of
# leading and trailing silence, given a short breath of padding, normalised
# and written by sox as RIFF WAVE, A-law (format tag 6), 8 bits, 20000 Hz,
# mono. Every file must last between MIN_S and MAX_S seconds; a prompt
# outside that range stops the script with an error so a bad recording is
# never committed. Without espeak-ng or sox the script says so and does
# nothing (exit 0), so `make resources` still regenerates the pictures.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../resources/prompts}

VOICE=hu+f3     # Hungarian, female variant 3
RATE=150        # words per minute (espeak-ng default 175)
PITCH=62        # 0..99 (default 50)
LEAD_PAD=0.06   # seconds of silence kept before the voice
TAIL_PAD=0.10   # and after it
MIN_S=0.3
MAX_S=3.0

for tool in espeak-ng sox soxi; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "make-prompts: $tool is not installed; prompts left as they are" >&2
        exit 0
    fi
done

# file name | words spoken
PROMPTS=(
    "m_szia|Szia!"
    "m_kezd|Kezdheted a játékot!"
    "m_tessek|Tessék?"
    "m_nem|Rendben, akkor nem."
    "q_uj|Biztos új játékot akarsz kezdeni?"
    "q_szabad|Biztos megmondjam a megfejtést?"
    "q_kilep|Biztos ki akarsz lépni?"
    "m_megfejtes|A megfejtés:"
    "m_megsem|Mégsem."
    "m_nincstobb|Nincs több hely a sorban."
    "m_nemtalalt|Hoppá, ez most mellé ment!"
    "l2|Lássuk csak!"
    "l3|Nahát!"
    "c_1|piros"
    "c_2|fehér"
    "c_3|zöld"
    "c_4|fekete"
    "c_5|sárga"
    "c_6|rózsaszín"
    "c_7|narancs"
    "c_8|kék"
    "c_9|lila"
)

mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for entry in "${PROMPTS[@]}"; do
    name=${entry%%|*}
    text=${entry#*|}
    espeak-ng -v "$VOICE" -s "$RATE" -p "$PITCH" -w "$tmp/raw.wav" "$text"
    # silence / reverse / silence / reverse trims both ends; then level and pad.
    # -D: no dither noise on the 8-bit output, and the files come out identical
    # on every run, so regenerating does not churn the repository.
    sox -D "$tmp/raw.wav" -r 20000 -c 1 -e a-law -b 8 "$tmp/$name.wav" \
        silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse \
        gain -n -1 pad "$LEAD_PAD" "$TAIL_PAD"
    seconds=$(soxi -D "$tmp/$name.wav")
    if ! awk -v s="$seconds" -v lo="$MIN_S" -v hi="$MAX_S" 'BEGIN { exit !(s >= lo && s <= hi) }'; then
        echo "make-prompts: $name.wav lasts $seconds s, outside $MIN_S..$MAX_S s" >&2
        exit 1
    fi
    mv "$tmp/$name.wav" "$out/$name.wav"
    printf '%-16s %5.2f s  %s\n' "$name.wav" "$seconds" "$text"
done
