// pattern_augment.h — new rooms for a word pattern without new audio.
//
// A word pattern (39 frames x 15 bands, in the recogniser's scale of 1.0
// per 70 dB, loudest cell 0.5 or just under) is changed as a different
// microphone and room would change it:
//   - a microphone colouring: spectral tilt, a gentle ripple and sometimes a
//     high-pass or low-pass roll-off, the same dB offset on every frame;
//   - a steady noise floor added in the power domain (white to brown, at
//     12..50 dB below the word's loudest band), with the frame-to-frame
//     spread that few FFT bins give;
//   - a smooth warp of the time axis (a sound held a little longer or
//     shorter than the rest of the word).
// Afterwards the pattern is shifted so that its loudest cell keeps the level
// it had, just as the endpointer normalises every word to its peak.
#pragma once

#include "corpus.h"

constexpr int kPatternFrames = 39;
constexpr int kPatternBands = 15;

// Fits the trainer's Augment signature; nIn must be 39 x 15.
void augment_pattern(float *pattern, int nIn, Rng &rng);
