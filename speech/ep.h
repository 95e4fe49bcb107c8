// ep.h — the block processor: endpoint detection and time normalisation.
//
// rec_process_block takes one block of 2560 samples for one recogniser
// instance, runs the front end on its 10 frames, keeps the last 400 frame
// records in a ring, decides for each frame whether it is speech (network 0
// on a 21-frame window, gated by the level condition of the instance's SNR
// threshold), finds the first and last frame of a word and, once the word is
// complete, resamples it to 39 frames x 15 features for network 1.
//
// Per frame k (ring position) of the block:
//   energy ring[k] = frame energy; record k = front end output, scaled;
//   peak ring[k] = peak history[h] = frame peak;
//   offset = 0.5 - max(peak history);
//   window = clamp(features of frames k-20..k + offset, -0.5, 0.5);
//   speech = nn_eval(0, window) == 1 && offset <= snrDb / 70;
//   ep_update(...).
//
// The pieces are exposed so that a trainer builds its windows and patterns
// exactly as the runtime does: open an instance on the memory driver
// (memdrv.h), feed blocks with rec_process_block, and read speech_window
// and word_pattern from rec_instance(n), or watch every frame through the
// frame hook of rec_probe.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "fe.h"

// Process-wide recogniser parameters, set by every rec_init.
struct RecParams {
    int patternFrames;      // 39 frames in a word pattern
    int peakHistoryFrames;  // 39 frames of level history
    int startFrames;        // 9 consecutive speech frames open a word
    int endFrames;          // 19 silence frames close it
    int resumeFrames;       // 1 speech frame cancels a silence run
    int patternValues;      // patternFrames * 15
};

inline constexpr RecParams kRecDefaultParams = {39, 39, 9, 19, 1, 39 * FE_FEATURES};
extern RecParams rec_params;

enum {
    REC_MAX_INSTANCES = 3,             // instance numbers 1..3
    REC_RING_FRAMES = 400,             // about 5.1 s of frames
    REC_RING_VALUES = REC_RING_FRAMES * FE_RECORD_VALUES,  // 8400
    REC_WINDOW_FRAMES = 21,            // speech window: frames k-20..k
    REC_WINDOW_VALUES = REC_WINDOW_FRAMES * FE_FEATURES,   // 315
    REC_START_LAG = 9,                 // word start = k - speech count - 9
    REC_END_LAG = 10,                  // word end = k - endFrames - 10
    REC_RUN_CAPTURING = 1,
    REC_RUN_STOPPED = 2,
};

constexpr float REC_SNR_DEFAULT = 30.0f;
constexpr float REC_SNR_MAX = 70.0f;
constexpr float REC_LEVEL_FLOOR = -0.5f;  // empty rings and windows
constexpr float REC_WINDOW_CEIL = 0.5f;

// Word-finding state, reset by every listening call.
struct EpState {
    int word_start;     // -1 or ring position of the first frame
    int word_end;       // -1 or ring position of the last frame
    int speech_count;   // consecutive speech frames while idle
    int silence_count;  // current silence run inside a word
    int resume_count;   // consecutive speech frames inside a silence run
    int overflow;       // 1 when the ring filled up before the word ended
};

// What ep_update did at this frame.
enum { EP_NOTHING = 0, EP_STARTED = 1, EP_ENDED = 2 };

void ep_reset_word(EpState *ep);
// Step of the word finder for the frame at ring position k.
int ep_update(EpState *ep, const RecParams *p, int k, int speech);
// Frames in the word from ring position start to end inclusive (1..400).
int ep_word_frames(int start, int end);
// Time normalisation: the word's frames resampled to p->patternFrames rows
// of 15 features, each plus 0.5 - (the word's loudest frame peak), into
// pattern. ring holds REC_RING_FRAMES records; peak_ring their peaks.
void ep_make_pattern(const float *ring, const float *peak_ring, int start, int end,
                     const RecParams *p, float *pattern);

// One recogniser instance. The atomics are read by the GUI thread while the
// listening thread runs (relaxed order is enough: each is one word).
struct RecInstance {
    int device;                       // snd handle; 0 = slot free
    std::atomic<int> run_state;       // REC_RUN_CAPTURING or REC_RUN_STOPPED
    int16_t *block;                   // FE_BLOCK_SAMPLES samples
    int block_len;                    // FE_BLOCK_SAMPLES
    int64_t budget;                   // bytes still allowed; 0 = unlimited
    std::atomic<int> listening;       // 1 inside rec_listen
    EpState ep;
    int history_index;                // next peak history slot
    std::atomic<int> ring_index;      // ring position k of the next frame
    float *speech_window;             // REC_WINDOW_VALUES
    float *word_pattern;              // rec_params.patternValues
    float *frame_ring;                // REC_RING_VALUES
    float *peak_ring;                 // REC_RING_FRAMES
    std::atomic<float> *energy_ring;  // REC_RING_FRAMES
    float *peak_history;              // rec_params.peakHistoryFrames
    std::atomic<float> snr_db;        // SNR threshold in dB, 0 < v <= 70
    int64_t frames;                   // frames processed since rec_start
    int64_t word_first_frame;         // absolute frame numbers of the word
    int64_t word_last_frame;          // (since rec_start); may be negative
};

// The instance record for numbers 1..3 (free or not); nullptr otherwise.
RecInstance *rec_instance(int instance);

// Feeds one block (modified in place: mean removal). 0 a word pattern is
// ready; -1 no complete word yet; -2 the word outlasted the ring (no
// pattern); -5 the slot is not in use.
int rec_process_block(int instance, int16_t *block);

// Fills the rings and the level history as rec_start does (empty, -0.5).
void rec_reset_rings(RecInstance *r);
