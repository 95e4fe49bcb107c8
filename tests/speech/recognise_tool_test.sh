#!/bin/bash
# tarkabab-recognise on generated files: front-end figures, bad input,
# option checks. Needs sox and espeak-ng (a spoken word: noise and tones
# are not speech, and the speech detector may rightly ignore them).
set -u
tool=$1
resources=$2  # resources/networks: the images built into the tool
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

sox -V1 -n -r 20000 -b 16 -c 1 "$dir/sine.wav" synth 1 sine 1171.875 gain -n
sox -V1 -n -r 44100 -b 16 -c 2 "$dir/stereo.wav" synth 0.5 whitenoise gain -40 : synth 1 whitenoise gain -3 : synth 1 whitenoise gain -40
sox -V1 -n -r 22050 -b 16 -c 1 "$dir/tone.flac" synth 1 sine 440
: > "$dir/empty.wav"
echo "not sound at all" > "$dir/text.wav"
head -c 20000 "$dir/sine.wav" > "$dir/short.wav"
espeak-ng -v hu -w "$dir/piros.wav" piros || { echo "FAIL espeak-ng could not say a word"; exit 1; }

check "--help explains the options" bash -c "'$tool' --help | grep -q -- '--snr' && '$tool' --help | grep -q -- '--features' && '$tool' --help | grep -q -- '--scores'"

# Full-scale 1171.875 Hz sine: band 9 (record value 9, column 15) near 0.43.
band9=$("$tool" --features "$dir/sine.wav" | awk -F'\t' 'NR == 30 { print $15 }')
check "full-scale sine puts band 9 at about 0.43 (got $band9)" \
    awk -v v="$band9" 'BEGIN { exit !(v > 0.42 && v < 0.44) }'
check "--features prints 28 columns per frame" \
    bash -c "'$tool' --features '$dir/sine.wav' | awk -F'\t' 'NF != 28 { bad = 1 } END { exit bad || NR != 79 }'"
check "--features --json prints one object per frame" \
    bash -c "'$tool' --features --json '$dir/sine.wav' | grep -c '^{\"file\":.*\"record\":\\[.*\\],\"offset\":.*,\"speech\":[01]}\$' | grep -qx 79"

out=$("$tool" "$dir/stereo.wav" "$dir/tone.flac"); rc=$?
check "stereo 44.1 kHz WAV and FLAC are accepted" test "$rc" -eq 0
out=$("$tool" "$dir/stereo.wav" "$dir/tone.flac" "$dir/piros.wav")
lines=$(printf '%s\n' "$out" | grep -c .)
good=$(printf '%s\n' "$out" | grep -cP '^[^\t]+\t\d+\.\d{3}\t\d+\.\d{3}\t(-2|\d+)\t[^\t]+$')
check "word lines have five fields with three-decimal times ($good of $lines)" test "$lines" -gt 0 -a "$good" -eq "$lines"
json=$("$tool" --json "$dir/stereo.wav" "$dir/tone.flac" "$dir/piros.wav" | grep -c '^{"file":"[^"]*","start":[0-9.]*,"end":[0-9.]*,"class":-\?[0-9]*,"word":"[^"]*"}$')
check "--json word lines are objects with the same fields ($json of $lines)" test "$json" -eq "$lines"

# --scores: the word network's 21 outputs after every utterance, and the class
# printed must be the decision rule's reading of them (the only positive
# output wins; none or several positive is class 0).
scored_files=("$dir/tone.flac" "$dir/piros.wav")
scored=$("$tool" --scores "${scored_files[@]}")
check "--scores prints the 21 outputs behind every class" awk -F'\t' '
    NF != 26 { bad = 1; next }
    { pos = 0; win = 0
      for (i = 6; i <= 26; i++) { if ($i <= -0.5 || $i >= 0.5) bad = 1; if ($i > 0) { pos++; win = i - 6 } }
      if (($4 > 0) != (pos == 1 && win == $4)) bad = 1 }
    END { exit bad || NR == 0 }' <<< "$scored"
check "--scores does not change what is recognised" \
    test "$(cut -f1-5 <<< "$scored")" = "$("$tool" "${scored_files[@]}")"
check "--scores --json gives a scores array of 21" \
    bash -c "'$tool' --scores --json '$dir/piros.wav' | grep -q '\"scores\":\[\(-\?[0-9.]*,\)\{20\}-\?[0-9.]*\]}\$'"
check "--scores and --features are refused together" bash -c "! '$tool' --scores --features '$dir/sine.wav' 2>/dev/null"

# --nets: the built-in images written out and read back give the same words;
# a directory without images, or with something else in them, is refused.
mkdir -p "$dir/nets" "$dir/bad"
for k in 0 1; do cp "$resources/net$k.f32" "$dir/nets/"; done
check "--nets with the shipped images recognises the same" \
    test "$("$tool" --scores --nets "$dir/nets" "${scored_files[@]}")" = "$scored"
check "--nets without images is refused" bash -c "! '$tool' --nets '$dir/missing' '$dir/sine.wav' 2>/dev/null"
head -c 4000 "$dir/sine.wav" > "$dir/bad/net0.f32"; cp "$dir/nets/net1.f32" "$dir/bad/"
"$tool" --nets "$dir/bad" "$dir/sine.wav" > /dev/null 2> "$dir/err"; rc=$?
check "--nets with a broken image is refused, naming it" bash -c "[ $rc -eq 2 ] && grep -q 'bad/net0.f32: not a network image' '$dir/err'"

err=$("$tool" "$dir/missing.wav" "$dir/empty.wav" "$dir/text.wav" "$dir/short.wav" "$dir/sine.wav" 2>&1 >/dev/null); rc=$?
check "bad files give exit status 2" test "$rc" -eq 2
check "one stderr line per bad file, each naming it" \
    bash -c "[ \$(printf '%s\n' \"\$1\" | wc -l) -eq 4 ] && for f in missing empty text short; do printf '%s\n' \"\$1\" | grep -q \"\$f.wav: \" || exit 1; done" _ "$err"
check "the truncated file is called truncated" bash -c "printf '%s\n' \"\$1\" | grep -q 'short.wav: truncated'" _ "$err"
check "good files are still processed after bad ones" \
    bash -c "'$tool' --features '$dir/missing.wav' '$dir/sine.wav' 2>/dev/null | grep -c sine.wav | grep -qx 79"

# A sound the speech detector takes for speech but too quiet for the level
# gate: a note on stderr with its level, not an error; none once --snr
# lets it through, none for a loud file.
sox -V1 -n -r 22050 -b 16 -c 1 "$dir/quiet.wav" synth 1 sine 440 pad 0.5 0.5 gain -40
"$tool" "$dir/quiet.wav" > /dev/null 2> "$dir/err"; rc=$?
check "speech kept out by the level gate gets a note, not a failure" \
    bash -c "[ $rc -eq 0 ] && grep -q 'quiet.wav: note: .* loudest band reaches -4[0-9].[0-9] dB; --snr 30 needs -30 dB' '$dir/err'"
check "no note once --snr hears it" bash -c "[ -z \"\$('$tool' --snr 70 '$dir/quiet.wav' 2>&1 >/dev/null)\" ]"
check "no note for a loud file" bash -c "[ -z \"\$('$tool' '$dir/tone.flac' 2>&1 >/dev/null)\" ]"

for bad in 0 -3 70.5 abc ''; do
    "$tool" --snr "$bad" "$dir/sine.wav" > /dev/null 2> "$dir/err"; rc=$?
    check "--snr '$bad' is refused" bash -c "[ $rc -eq 2 ] && grep -q 'above 0 and at most 70' '$dir/err'"
done
check "--snr 70 is accepted" "$tool" --snr 70 "$dir/sine.wav"
check "unknown options are refused" bash -c "! '$tool' --frobnicate '$dir/sine.wav' 2>/dev/null"

[ "$failures" -eq 0 ]
