// rec.cpp — recogniser instances 1..3 and the listening call.
#include "rec.h"

#include "ep.h"
#include "nn.h"
#include "rec_probe.h"
#include "snd.h"

#include <cmath>
#include <new>

namespace {

enum { kOpenMode = 2 };
constexpr int64_t kBytesPerSecond = FE_SAMPLE_RATE * 2;  // 16-bit mono
constexpr double kLevelFloor = 1e-300;
constexpr double kLevelMeanSquare = 0.00390625;  // 1/256: energy of a frame -> mean square
constexpr float kLevelFullScaleDb = 87.298f;      // mean square of a full-scale sine
constexpr int kLevelFrames = 10;
constexpr int kLevelMax = 100;

RecInstance slots[REC_MAX_INSTANCES + 1];  // index 0 unused
int live_instances = 0;  // the process-wide tables live while this is above 0

template <typename T> void release(T *&p) {
    delete[] p;
    p = nullptr;
}

void release_buffers(RecInstance *r) {
    release(r->word_pattern);
    release(r->speech_window);
    release(r->energy_ring);
    release(r->peak_ring);
    release(r->peak_history);
    release(r->frame_ring);
    release(r->block);
}

void release_tables() {
    nn_free();
    fe_free();
}

// Front end and networks; built by the first live instance, shared by the
// others, released with the last one.
int build_tables() {
    if (live_instances > 0) return 0;
    if (fe_init(FE_FRAME_LEN, FE_SAMPLE_RATE) != 0) return release_tables(), -7;
    int rc = nn_init_activation();
    if (rc >= 0) rc = nn_load(0);
    if (rc >= 0) rc = nn_load(1);
    if (rc < 0) release_tables();
    return rc < 0 ? rc : 0;
}

RecInstance *used(int instance) {
    RecInstance *r = rec_instance(instance);
    return r && r->device != 0 ? r : nullptr;
}

// Fails the rec_init step: everything this call took is given back.
int init_failed(RecInstance *r, int code, bool tables_built) {
    release_buffers(r);
    if (tables_built && live_instances == 0) release_tables();
    return code;
}

}  // namespace

RecInstance *rec_instance(int instance) {
    if (instance < 1 || instance > REC_MAX_INSTANCES) return nullptr;
    return &slots[instance];
}

int rec_init(int driver, const char *device_arg) {
    int n = 1;
    while (n <= REC_MAX_INSTANCES && slots[n].device != 0) ++n;
    if (n > REC_MAX_INSTANCES) return -26;
    RecInstance *r = &slots[n];
    r->run_state.store(REC_RUN_STOPPED, std::memory_order_relaxed);
    r->listening.store(0, std::memory_order_relaxed);
    rec_params = kRecDefaultParams;
    r->snr_db.store(REC_SNR_DEFAULT, std::memory_order_relaxed);
    r->block_len = FE_BLOCK_SAMPLES;
    r->budget = 0;
    ep_reset_word(&r->ep);
    r->word_first_frame = r->word_last_frame = 0;

    if (!(r->block = new (std::nothrow) int16_t[FE_BLOCK_SAMPLES]())) return init_failed(r, -5, false);
    if (!(r->frame_ring = new (std::nothrow) float[REC_RING_VALUES])) return init_failed(r, -6, false);
    if (!(r->peak_history = new (std::nothrow) float[rec_params.peakHistoryFrames]))
        return init_failed(r, -8, false);
    if (!(r->peak_ring = new (std::nothrow) float[REC_RING_FRAMES])) return init_failed(r, -9, false);
    if (!(r->energy_ring = new (std::nothrow) std::atomic<float>[REC_RING_FRAMES]))
        return init_failed(r, -9, false);
    const int tables = build_tables();
    if (tables < 0) return init_failed(r, tables, false);
    if (!(r->speech_window = new (std::nothrow) float[REC_WINDOW_VALUES]())) return init_failed(r, -24, true);
    rec_params.patternValues = rec_params.patternFrames * FE_FEATURES;
    if (!(r->word_pattern = new (std::nothrow) float[rec_params.patternValues]()))
        return init_failed(r, -25, true);
    rec_reset_rings(r);

    const int h = snd_open(driver, kOpenMode, FE_SAMPLE_RATE, 2 * r->block_len, device_arg);
    if (h < 0) return init_failed(r, h, true);
    r->device = h;
    live_instances++;
    return n;
}

int rec_free(int instance) {
    RecInstance *r = used(instance);
    if (!r) return -1;
    if (r->run_state.load(std::memory_order_relaxed) == REC_RUN_CAPTURING) return -2;
    const int rc = snd_close(r->device);
    release_buffers(r);
    if (--live_instances == 0) release_tables();
    r->device = 0;
    return rc;
}

int rec_start(int instance, int budget_seconds) {
    RecInstance *r = used(instance);
    if (!r) return -2;
    if (r->run_state.load(std::memory_order_relaxed) == REC_RUN_CAPTURING) return -3;
    int rc;
    while ((rc = snd_start(r->device)) == -4) {
    }
    if (rc != 0) return rc;
    rec_reset_rings(r);
    r->budget = static_cast<int64_t>(budget_seconds) * kBytesPerSecond;
    // Release: the listening thread that sees "capturing" also sees the
    // freshly reset rings and budget.
    r->run_state.store(REC_RUN_CAPTURING, std::memory_order_release);
    return 0;
}

int rec_stop(int instance) {
    RecInstance *r = used(instance);
    if (!r) return -1;
    if (r->run_state.load(std::memory_order_relaxed) == REC_RUN_STOPPED) return -2;
    r->run_state.store(REC_RUN_STOPPED, std::memory_order_relaxed);
    return snd_stop(r->device);
}

namespace {

int listen_loop(int instance, RecInstance *r) {
    const int block_bytes = r->block_len * 2;
    int rc;
    do {
        const int got = snd_read(r->device, r->block, block_bytes);
        if (r->run_state.load(std::memory_order_acquire) == REC_RUN_STOPPED) return -7;
        if (got == -1) return -6;
        if (got < block_bytes) return -4;
        if (r->budget != 0) {
            r->budget -= got;
            if (r->budget <= 0) return -4;
        }
        rc = rec_process_block(instance, r->block);
    } while (rc == -1);
    if (rc < 0) return rc;
    return nn_eval(1, r->word_pattern);
}

}  // namespace

int rec_listen(int instance) {
    RecInstance *r = used(instance);
    if (!r) return -5;
    if (r->run_state.load(std::memory_order_acquire) == REC_RUN_STOPPED) return -7;
    ep_reset_word(&r->ep);
    r->listening.store(1, std::memory_order_relaxed);
    const int result = listen_loop(instance, r);
    r->listening.store(0, std::memory_order_relaxed);
    return result;
}

int rec_level(int instance) {
    RecInstance *r = used(instance);
    if (!r) return -1;
    if (r->listening.load(std::memory_order_relaxed) == 0) return 0;
    const int k = r->ring_index.load(std::memory_order_relaxed);
    float m = 0.0f;
    for (int i = 1; i <= kLevelFrames; ++i) {
        int pos = k - i;
        if (pos < 0) pos += REC_RING_FRAMES;
        const float e = r->energy_ring[pos].load(std::memory_order_relaxed);
        if (e > m) m = e;
    }
    const float lg = static_cast<float>(std::log10((m + kLevelFloor) * kLevelMeanSquare));
    const float db = 10.0f * lg;
    const float level = kLevelMax + kLevelMax * (db - kLevelFullScaleDb) /
                                        r->snr_db.load(std::memory_order_relaxed);
    if (!(level > 0.0f)) return 0;
    if (level >= kLevelMax) return kLevelMax;
    return static_cast<int>(level);
}

float rec_get_snr(int instance) {
    RecInstance *r = used(instance);
    return r ? r->snr_db.load(std::memory_order_relaxed) : -1.0f;
}

int rec_set_snr(int instance, float value) {
    RecInstance *r = used(instance);
    if (!r) return -2;
    if (!(value > 0.0f && value <= REC_SNR_MAX)) return -1;
    r->snr_db.store(value, std::memory_order_relaxed);
    return 0;
}

int rec_word_frames(int instance, int64_t *first, int64_t *last) {
    RecInstance *r = used(instance);
    if (!r || r->ep.word_end == -1) return -1;
    if (first) *first = r->word_first_frame;
    if (last) *last = r->word_last_frame;
    return 0;
}
