// pattern_augment.cpp — microphone, noise floor and time warp on a pattern.
#include "pattern_augment.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDbPerUnit = 70.0;   // pattern scale: 1.0 per 70 dB

// Bands 2..16 of the front end: centre frequency and FFT bins per band.
const double kBandHz[kPatternBands] = {234.4, 351.6, 468.8, 585.9, 703.1, 820.3, 976.6, 1171.9,
                                       1367.2, 1562.5, 1835.9, 2148.4, 2500.0, 2968.8, 3515.6};
const int kBandBins[kPatternBands] = {1, 2, 1, 2, 1, 2, 2, 3, 2, 3, 4, 4, 5, 7, 7};

constexpr double kChannelChance = 0.7;
constexpr double kTiltDbPerOctave = 4.0;   // up to this much either way
constexpr double kRippleDb = 3.0;          // amplitude of each of three cosines
constexpr double kRolloffChance = 0.25;    // for each of high-pass and low-pass
constexpr double kNoiseChance = 0.4;
constexpr double kNoiseBelowPeakMin = 12.0, kNoiseBelowPeakMax = 50.0;
constexpr double kNoiseSlopeMin = -6.0, kNoiseSlopeMax = 0.0;   // brown .. white, dB per octave
constexpr double kBinSpreadDb = 5.6;       // spread of one bin's noise power in dB
constexpr double kGateChance = 0.25;
constexpr double kGateBelowPeakMin = 40.0, kGateBelowPeakMax = 80.0;
constexpr double kQuantisedChance = 0.7;   // a gated frame keeps a few steps of noise
constexpr double kQuantisedMin = -3.3, kQuantisedMax = -1.1;  // its level, recogniser's scale
constexpr double kQuantisedSpread = 0.1;
// The word's loudest record value m sets the pattern offset 0.5 - m; a word
// the level gate lets through at usual sensitivities has m in this range.
constexpr double kWordPeakMin = 0.0, kWordPeakMax = 0.35;
constexpr double kWarpChance = 0.5;
constexpr double kWarpFrames = 3.0;        // largest shift of the middle of the word
// A longer or shorter vocal tract moves every formant by the same factor:
// up to 12 % either way, as between two adult speakers of the same sex.
constexpr double kTractChance = 0.5;
constexpr double kTractFactor = 1.12;

double octaves(int b) { return std::log2(kBandHz[b] / 1000.0); }

void colour(float *p, Rng &r) {
    double off[kPatternBands];
    double tilt = r.uniform(-kTiltDbPerOctave, kTiltDbPerOctave);
    double a[3], ph[3];
    for (int k = 0; k < 3; k++) { a[k] = r.uniform(-kRippleDb, kRippleDb); ph[k] = r.uniform(0, 2 * kPi); }
    double hp = r.chance(kRolloffChance) ? r.uniform(100, 400) : 0;
    double lp = r.chance(kRolloffChance) ? r.uniform(2500, 6000) : 0;
    for (int b = 0; b < kPatternBands; b++) {
        double f = kBandHz[b], db = tilt * octaves(b);
        for (int k = 0; k < 3; k++) db += a[k] * std::cos(kPi * (k + 1) * b / (kPatternBands - 1) + ph[k]);
        if (hp > 0) db -= 10 * std::log10(1 + std::pow(hp / f, 4));
        if (lp > 0) db -= 10 * std::log10(1 + std::pow(f / lp, 4));
        off[b] = db / kDbPerUnit;
    }
    for (int i = 0; i < kPatternFrames; i++)
        for (int b = 0; b < kPatternBands; b++) p[i * kPatternBands + b] += (float)off[b];
}

void noise_floor(float *p, Rng &r) {
    double slope = r.uniform(kNoiseSlopeMin, kNoiseSlopeMax), shape[kPatternBands], top = -1e9;
    for (int b = 0; b < kPatternBands; b++) {
        shape[b] = 10 * std::log10((double)kBandBins[b]) + slope * octaves(b);
        top = std::max(top, shape[b]);
    }
    double below = r.uniform(kNoiseBelowPeakMin, kNoiseBelowPeakMax);
    for (int i = 0; i < kPatternFrames; i++)
        for (int b = 0; b < kPatternBands; b++) {
            float &v = p[i * kPatternBands + b];
            double noiseDb = shape[b] - top - below + r.gauss() * kBinSpreadDb / std::sqrt((double)kBandBins[b]);
            double speechDb = (v - 0.5) * kDbPerUnit;
            double sum = std::pow(10.0, speechDb / 10) + std::pow(10.0, noiseDb / 10);
            v = (float)(0.5 + 10 * std::log10(sum) / kDbPerUnit);
        }
}

void warp(float *p, Rng &r) {
    float src[kPatternFrames * kPatternBands];
    std::copy(p, p + kPatternFrames * kPatternBands, src);
    double a = r.uniform(-kWarpFrames, kWarpFrames);
    for (int i = 0; i < kPatternFrames; i++) {
        double t = i + a * std::sin(kPi * i / (kPatternFrames - 1));
        t = std::max(0.0, std::min((double)kPatternFrames - 1, t));
        int lo = (int)t, hi = std::min(lo + 1, kPatternFrames - 1);
        double w = t - lo;
        for (int b = 0; b < kPatternBands; b++)
            p[i * kPatternBands + b] =
                (float)((1 - w) * src[lo * kPatternBands + b] + w * src[hi * kPatternBands + b]);
    }
}

float loudest(const float *p) { return *std::max_element(p, p + kPatternFrames * kPatternBands); }

}  // namespace

void tract_pattern(float *p, double factor) {
    int lo[kPatternBands];
    double w[kPatternBands];
    for (int b = 0; b < kPatternBands; b++) {
        double f = kBandHz[b] / factor;
        int k = 0;
        while (k < kPatternBands - 2 && kBandHz[k + 1] < f) k++;
        double t = std::log(f / kBandHz[k]) / std::log(kBandHz[k + 1] / kBandHz[k]);
        lo[b] = k;
        w[b] = std::max(0.0, std::min(1.0, t));
    }
    for (int i = 0; i < kPatternFrames; i++) {
        float src[kPatternBands];
        float *row = p + i * kPatternBands;
        std::copy(row, row + kPatternBands, src);
        for (int b = 0; b < kPatternBands; b++)
            row[b] = (float)((1 - w[b]) * src[lo[b]] + w[b] * src[lo[b] + 1]);
    }
}

int gate_pattern(float *p, double belowPeakDb, Rng &r) {
    const float top = loudest(p);
    const float threshold = top - (float)(belowPeakDb / kDbPerUnit);
    const float offset = (float)(top - r.uniform(kWordPeakMin, kWordPeakMax));  // 0.5 - m, as the endpointer adds
    int gated = 0;
    for (int i = 0; i < kPatternFrames; i++) {
        float *row = p + i * kPatternBands;
        if (*std::max_element(row, row + kPatternBands) >= threshold) continue;
        gated++;
        if (r.chance(kQuantisedChance)) {
            double level = r.uniform(kQuantisedMin, kQuantisedMax);
            for (int b = 0; b < kPatternBands; b++)
                row[b] = (float)(level + r.gauss() * kQuantisedSpread + offset);
        } else {
            for (int b = 0; b < kPatternBands; b++) row[b] = kSilentBand + offset;
        }
    }
    return gated;
}

void augment_pattern(float *p, int nIn, Rng &r) {
    if (nIn != kPatternFrames * kPatternBands) return;
    float before = loudest(p);
    if (r.chance(kWarpChance)) warp(p, r);
    if (r.chance(kTractChance)) tract_pattern(p, std::exp(r.uniform(-std::log(kTractFactor), std::log(kTractFactor))));
    if (r.chance(kChannelChance)) colour(p, r);
    if (r.chance(kNoiseChance)) noise_floor(p, r);
    if (r.chance(kGateChance)) gate_pattern(p, r.uniform(kGateBelowPeakMin, kGateBelowPeakMax), r);
    float shift = before - loudest(p);
    for (int i = 0; i < nIn; i++) p[i] += shift;
}
