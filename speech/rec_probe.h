// rec_probe.h — looking inside a running recogniser without changing it.
//
// For tools, the trainer and tests: a per-frame observer and the absolute
// frame numbers of the last word. Nothing here is needed by the game.
#pragma once

#include <cstdint>

// Everything the block processor knows about one frame, after its speech
// decision and word-finder step. Pointers are valid only during the call.
struct RecFrameInfo {
    int instance;
    int64_t frame;         // frames since rec_start, from 0
    int ring_pos;          // ring position k
    float energy;          // sum of squared mean-removed samples
    float peak;            // frame peak (scaled feature, >= -0.5)
    const float *record;   // the 21 record values (features already scaled)
    float offset;          // level offset 0.5 - max(peak history)
    int net_class;         // network 0's decision (1 = speech)
    int speech;            // final decision: net_class == 1 and level gate
    const float *window;   // the 315-value speech window fed to network 0
};

// Called on the listening thread for every frame; keep it short. One hook
// per process; nullptr removes it. Set while nothing is listening.
using RecFrameHook = void (*)(void *ctx, const RecFrameInfo *info);
void rec_set_frame_hook(RecFrameHook hook, void *ctx);

// Absolute frame numbers (since rec_start, 12.8 ms each) of the first and
// last frame of the word that the last rec_listen of the instance found
// (also for a -2 overflow). The first may be negative when the word's start
// reaches back before capture began. 0, or -1 when that call found none.
int rec_word_frames(int instance, int64_t *first, int64_t *last);
