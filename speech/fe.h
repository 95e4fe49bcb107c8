// fe.h — the front end: one frame of 256 samples in, 21 band levels out.
//
// Audio arrives in blocks of 2560 signed 16-bit mono samples at 20000 Hz
// (128 ms), cut into 10 frames of 256 samples (12.8 ms) without overlap.
// Each frame goes through a Blackman window, a 256-point radix-2 FFT and a
// Bark band map, and becomes a record of 21 floats:
//
//   [0], [1]    always -100.0
//   [2 .. 16]   band levels in dB of bands 2..16; the block processor scales
//               them to dB/70 + 0.5 (fe_scale_record), so 0.5 is the 0 dB
//               reference and -0.5 is 70 dB below it. These are the features.
//   [17 .. 20]  band levels in dB of bands 17..20, unscaled, read by nothing.
//
// The numbers are a contract with the trained networks: every rounding to
// float below is deliberate; do not "improve" the arithmetic.
//
// Use (what the block processor in ep.cpp does for every block):
//
//   int mean = fe_block_mean(block);            // once per block
//   for each of the 10 frames f:
//       float energy = fe_remove_mean(frame, mean);   // in place
//       fe_frame(&frame, &record);              // writes 21 floats, advances
//       float peak = fe_scale_record(record - FE_RECORD_VALUES);
//
// The tables are process-wide and unguarded: fe_init/fe_free while nothing
// analyses, fe_frame from one thread at a time. fe_frame allocates nothing.
#pragma once

#include <cstdint>

enum {
    FE_SAMPLE_RATE = 20000,      // Hz
    FE_FRAME_LEN = 256,          // samples per frame, FFT size
    FE_FRAMES_PER_BLOCK = 10,
    FE_BLOCK_SAMPLES = FE_FRAME_LEN * FE_FRAMES_PER_BLOCK,  // 2560
    FE_BLOCK_BYTES = FE_BLOCK_SAMPLES * 2,                  // 5120
    FE_RECORD_VALUES = 21,       // floats per frame record
    FE_FEATURE_FIRST = 2,        // first feature index in a record
    FE_FEATURES = 15,            // features per record (indices 2..16)
    FE_BANDS = 24,               // band accumulators
};

constexpr float FE_SILENT_BAND = -100.0f;  // records' bands 0, 1 and 21..23
constexpr float FE_FEATURE_DB_SPAN = 70.0f;  // dB per 1.0 of feature value
constexpr float FE_PEAK_FLOOR = -0.5f;     // frame peak never below this

// Builds the process-wide tables for frame length n (a power of two) and
// sample rate fs; any earlier tables are released first. Returns 0, or
//   -1..-6 an allocation failed (rev table, swap marks, window, work array,
//          trig table, band map), -7 n is not a power of two (or out of
//          range 4..4096).
int fe_init(int n, int fs);

// Analyses the frame at *samples, writes 21 floats at *record and advances
// both pointers (by n samples and 21 floats). 0, or -1 before fe_init.
int fe_frame(const int16_t **samples, float **record);

// Releases the tables (safe to call twice).
void fe_free();

// Block preparation: the mean of the block's samples, summed as 32-bit
// integers and divided with truncation toward zero (sum -2559 gives 0).
int fe_block_mean(const int16_t *block);

// Replaces each of the frame's FE_FRAME_LEN samples by (sample - mean) as a
// 16-bit value with two's complement wrap-around (32767 - (-100) gives
// -32669) and returns the frame energy, the sum of squares, as a float.
float fe_remove_mean(int16_t *frame, int mean);

// Scales record values 2..16 to value/70 + 0.5 in place and returns the
// frame peak: the largest scaled value, or -0.5 when none is above it.
float fe_scale_record(float *record);

// Table access for checks and tools (valid after fe_init).
int fe_band_of_bin(int bin);       // Bark band of FFT bin 0..n/2-1, or -1
float fe_power_reference();        // R = n*n*8191.5*32766, rounded to float
