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
//     shorter than the rest of the word);
//   - a longer or shorter vocal tract: every band takes the level found at
//     its own frequency divided by a factor of up to 1.12 either way, so the
//     formants move as between two adult speakers of the same sex;
//   - a gate: frames more than 40..80 dB below the loudest band become
//     (nearly) digital silence, as synthesised speech, a noise suppressor or
//     a sound server without dither delivers them. The word pattern is not
//     clamped: a frame of zero samples has every band at the front end's
//     floor (about -44.25 in the recogniser's scale), one with a few
//     quantisation steps lies near -3 .. -1, far below anything a
//     microphone gives; without such frames in training, one at a word's
//     edge or in a stop closure decides the word.
// Afterwards the pattern is shifted so that its loudest cell keeps the level
// it had, just as the endpointer normalises every word to its peak.
#pragma once

#include "corpus.h"

constexpr int kPatternFrames = 39;
constexpr int kPatternBands = 15;

// The front end's scaled level of a band with no power:
// (10 log10(1e-300 / 17 590 038 560 768) dB) / 70 + 0.5.
constexpr float kSilentBand = -44.249f;

// Fits the trainer's Augment signature; nIn must be 39 x 15.
void augment_pattern(float *pattern, int nIn, Rng &rng);

// The vocal tract alone: band b takes the level at its centre frequency
// divided by `factor`, interpolated in log frequency between the centres of
// its neighbours (the edge bands stand in for what lies beyond them).
void tract_pattern(float *pattern, double factor);

// The gate alone: frames whose loudest band lies more than belowPeakDb under
// the pattern's loudest cell become silent (all bands at kSilentBand plus the
// word's level offset, which is drawn) or, by chance, quantisation noise.
// Returns the number of frames gated.
int gate_pattern(float *pattern, double belowPeakDb, Rng &rng);
