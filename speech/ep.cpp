// ep.cpp — the block processor (endpointing and time normalisation).
#include "ep.h"

#include "nn.h"
#include "rec_probe.h"

RecParams rec_params = kRecDefaultParams;

namespace {

constexpr int kSpeechClass = 1;
constexpr int kSpeechNet = 0;

RecFrameHook frame_hook = nullptr;
void *frame_hook_ctx = nullptr;

int wrap(int pos) { return pos < 0 ? pos + REC_RING_FRAMES : pos; }

float clamp_window(float v) {
    if (v < REC_LEVEL_FLOOR) return REC_LEVEL_FLOOR;
    if (v > REC_WINDOW_CEIL) return REC_WINDOW_CEIL;
    return v;
}

}  // namespace

void rec_set_frame_hook(RecFrameHook hook, void *ctx) {
    frame_hook = hook;
    frame_hook_ctx = ctx;
}

void ep_reset_word(EpState *ep) { *ep = EpState{-1, -1, 0, 0, 0, 0}; }

int ep_update(EpState *ep, const RecParams *p, int k, int speech) {
    if (ep->word_start == -1) {
        ep->speech_count = speech ? ep->speech_count + 1 : 0;
        if (ep->speech_count == p->startFrames) {
            ep->word_start = wrap(k - ep->speech_count - REC_START_LAG);
            return EP_STARTED;
        }
        return EP_NOTHING;
    }
    if (ep->word_start == (k + 1) % REC_RING_FRAMES) ep->overflow = 1;
    if (!speech) {
        ep->silence_count++;
        ep->resume_count = 0;
    } else if (ep->silence_count != 0) {
        ep->silence_count++;
        ep->resume_count++;
        if (ep->resume_count >= p->resumeFrames) ep->silence_count = ep->resume_count = 0;
    }
    if (ep->word_end == -1 && ep->silence_count >= p->endFrames && ep->resume_count == 0) {
        ep->word_end = wrap(k - p->endFrames - REC_END_LAG);
        return EP_ENDED;
    }
    return EP_NOTHING;
}

int ep_word_frames(int start, int end) {
    return end >= start ? end - start + 1 : end - start + REC_RING_FRAMES + 1;
}

void ep_make_pattern(const float *ring, const float *peak_ring, int start, int end,
                     const RecParams *p, float *pattern) {
    const int n = ep_word_frames(start, end);
    float m = REC_LEVEL_FLOOR;
    for (int i = 0; i < n; ++i) {
        const float v = peak_ring[(start + i) % REC_RING_FRAMES];
        if (v > m) m = v;
    }
    const float offset = 0.5f - m;
    for (int i = 0; i < p->patternFrames; ++i) {
        int s = start + (i * n) / p->patternFrames;
        if (s >= REC_RING_FRAMES) s -= REC_RING_FRAMES;
        const float *rec = ring + s * FE_RECORD_VALUES + FE_FEATURE_FIRST;
        for (int f = 0; f < FE_FEATURES; ++f) *pattern++ = rec[f] + offset;
    }
}

void rec_reset_rings(RecInstance *r) {
    for (int i = 0; i < rec_params.peakHistoryFrames; ++i) r->peak_history[i] = REC_LEVEL_FLOOR;
    for (int i = 0; i < REC_RING_FRAMES; ++i) {
        r->peak_ring[i] = REC_LEVEL_FLOOR;
        r->energy_ring[i].store(0.0f, std::memory_order_relaxed);
    }
    for (int i = 0; i < REC_RING_VALUES; ++i) r->frame_ring[i] = REC_LEVEL_FLOOR;
    r->history_index = 0;
    r->ring_index.store(0, std::memory_order_relaxed);
    r->frames = 0;
}

int rec_process_block(int instance, int16_t *block) {
    RecInstance *r = rec_instance(instance);
    if (!r || r->device == 0) return -5;
    const RecParams &p = rec_params;

    const int mean = fe_block_mean(block);
    int k = r->ring_index.load(std::memory_order_relaxed);
    for (int f = 0; f < FE_FRAMES_PER_BLOCK; ++f) {
        int16_t *frame = block + f * FE_FRAME_LEN;
        const float energy = fe_remove_mean(frame, mean);
        r->energy_ring[k].store(energy, std::memory_order_relaxed);

        float *record = r->frame_ring + k * FE_RECORD_VALUES;
        const int16_t *src = frame;
        float *dst = record;
        fe_frame(&src, &dst);
        const float peak = fe_scale_record(record);
        r->peak_ring[k] = peak;
        r->peak_history[r->history_index] = peak;

        float m = REC_LEVEL_FLOOR;
        for (int i = 0; i < p.peakHistoryFrames; ++i)
            if (r->peak_history[i] > m) m = r->peak_history[i];
        const float offset = 0.5f - m;

        float *w = r->speech_window;
        for (int j = k - (REC_WINDOW_FRAMES - 1); j <= k; ++j) {
            const float *rec = r->frame_ring + wrap(j) * FE_RECORD_VALUES + FE_FEATURE_FIRST;
            for (int v = 0; v < FE_FEATURES; ++v) *w++ = clamp_window(rec[v] + offset);
        }

        const int net = nn_eval(kSpeechNet, r->speech_window);
        const float gate = r->snr_db.load(std::memory_order_relaxed) / FE_FEATURE_DB_SPAN;
        const int speech = net == kSpeechClass && offset <= gate;

        const int step = ep_update(&r->ep, &p, k, speech);
        if (step == EP_STARTED) r->word_first_frame = r->frames - (r->ep.speech_count + REC_START_LAG);
        if (step == EP_ENDED) r->word_last_frame = r->frames - (p.endFrames + REC_END_LAG);

        if (frame_hook) {
            const RecFrameInfo info{instance, r->frames, k, energy, peak, record,
                                    offset, net, speech, r->speech_window};
            frame_hook(frame_hook_ctx, &info);
        }

        r->frames++;
        if (++k == REC_RING_FRAMES) k = 0;
        r->ring_index.store(k, std::memory_order_relaxed);
        if (++r->history_index == p.peakHistoryFrames) r->history_index = 0;
    }

    if (r->ep.word_end == -1) return -1;
    if (r->ep.overflow) return -2;
    ep_make_pattern(r->frame_ring, r->peak_ring, r->ep.word_start, r->ep.word_end, &p, r->word_pattern);
    return 0;
}
