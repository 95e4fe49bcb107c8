// espeak_voice.h — espeak-ng's Hungarian voice as the corpus generator
// uses it: one utterance at a time, in memory, at espeak-ng's own rate.
//
//   int rate = espeak_voice_start();            // 0 when espeak-ng fails
//   std::vector<std::string> v = espeak_voice_variants();
//   std::vector<float> audio;
//   espeak_voice_say(speaker, "piros", noiseSeed, &audio);
//
// The library keeps global state: call these from one thread only.
//
// Samples come back in 16-bit units (−32768 .. 32767) as floats. The
// breath noise of the breathy variants (Alicia, f2, whisper...) comes from
// the C library's rand(), one stream for the whole process, where a single
// stray draw anywhere would change every breathy utterance after it.
// espeak_voice_say seeds that stream with `noiseSeed` just before it
// synthesises, so an utterance's noise depends on nothing else.
#pragma once

#include <string>
#include <vector>

#include "corpus.h"

// Starts espeak-ng for synchronous synthesis; returns its sample rate, or 0.
int espeak_voice_start();

// The names of espeak-ng's voice variants (its voices/!v folder), sorted.
std::vector<std::string> espeak_voice_variants();

// Says `text` with "hu+variant" at the speaker's rate, pitch and range.
// False (and `out` empty) when nothing came out. espeak-ng takes an
// unknown variant for the plain voice.
bool espeak_voice_say(const Speaker &s, const std::string &text, unsigned noiseSeed, std::vector<float> *out);

// Stops espeak-ng.
void espeak_voice_stop();
