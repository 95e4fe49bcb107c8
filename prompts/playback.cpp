// playback.cpp — plays a prompt on the default PulseAudio sink and waits
// until the server has played it out.
//
// Each prompt opens its own connection: a prompt is seconds long, a local
// connection takes milliseconds, and nothing stays open between prompts.
// A refused connection costs nothing and is simply tried again with the next
// prompt; a server that does not answer within kSlowFailureMs is not asked
// again for kRetryAfterFailureMs, so a queue of prompts drains at once.
#include "playback.h"

#include "alaw.h"
#include "capture_pulse.h"
#include "resources.h"
#include "wave.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr int kStreamTimeoutMs = 2000;      // server silent this long: give up
constexpr int kDrainSlackMs = 2000;         // beyond the prompt's own duration
constexpr int kRetryAfterFailureMs = 1000;
constexpr int kSlowFailureMs = 100;
constexpr std::size_t kChunkSamples = 4096; // decode buffer, 8 KiB on the stack
// Asking for 150 ms of buffering keeps the sink's latency low, so a prompt
// ends about when its sound does and the next one follows without a gap.
constexpr int kTargetLatencyMs = 150;

std::atomic<int64_t> g_last_failure_ms{INT64_MIN / 2};

int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool server_recently_missing() {
    return now_ms() - g_last_failure_ms.load(std::memory_order_relaxed) < kRetryAfterFailureMs;
}

void remember_failure() { g_last_failure_ms.store(now_ms(), std::memory_order_relaxed); }

struct Playback {
    PulseConn *conn;
    pa_stream *stream;
    bool drained;
};

void on_stream_event(pa_stream *, void *userdata) {
    pa_threaded_mainloop_signal(static_cast<Playback *>(userdata)->conn->loop, 0);
}

void on_write(pa_stream *, size_t, void *userdata) {
    pa_threaded_mainloop_signal(static_cast<Playback *>(userdata)->conn->loop, 0);
}

void on_drained(pa_stream *, int, void *userdata) {
    auto *p = static_cast<Playback *>(userdata);
    p->drained = true;
    pa_threaded_mainloop_signal(p->conn->loop, 0);
}

bool stream_bad(const Playback *p) { return !PA_STREAM_IS_GOOD(pa_stream_get_state(p->stream)); }

bool stream_settled(void *arg) {
    auto *p = static_cast<Playback *>(arg);
    return stream_bad(p) || pa_stream_get_state(p->stream) == PA_STREAM_READY;
}

bool can_write(void *arg) {
    auto *p = static_cast<Playback *>(arg);
    return stream_bad(p) || pa_stream_writable_size(p->stream) > 0;
}

bool drained(void *arg) {
    auto *p = static_cast<Playback *>(arg);
    return p->drained || stream_bad(p);
}

pa_sample_format_t output_format(const WaveInfo &w) {
    if (w.format_tag == kWavePcm && w.bits == 8) return PA_SAMPLE_U8;
    return PA_SAMPLE_S16LE;  // A-law is decoded to 16 bits
}

// Writes the whole prompt, waiting for room as the server plays. Loop locked.
bool write_all(Playback *p, const WaveInfo &w) {
    const bool decode = w.format_tag == kWaveAlaw;
    const std::size_t out_per_in = decode ? 2 : 1;  // bytes written per data byte
    int16_t chunk[kChunkSamples];
    std::size_t done = 0;
    while (done < w.bytes) {
        if (!pulse_wait(p->conn, can_write, p, kStreamTimeoutMs) || stream_bad(p)) return false;
        std::size_t room = pa_stream_writable_size(p->stream) / out_per_in;
        std::size_t n = std::min(w.bytes - done, room);
        if (decode) {
            n = std::min(n, kChunkSamples);
            alaw_decode_block(w.data + done, chunk, n);
            if (pa_stream_write(p->stream, chunk, n * 2, nullptr, 0, PA_SEEK_RELATIVE) < 0) return false;
        } else {
            n -= n % static_cast<std::size_t>(w.block_align);
            if (n == 0) n = std::min(w.bytes - done, static_cast<std::size_t>(w.block_align));
            if (pa_stream_write(p->stream, w.data + done, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) return false;
        }
        done += n;
    }
    return true;
}

int play(const WaveInfo &w) {
    if (server_recently_missing()) return -3;
    PulseConn conn;
    const int64_t t0 = now_ms();
    if (pulse_connect(&conn, kConnectTimeoutMs) < 0) {
        if (now_ms() - t0 >= kSlowFailureMs) remember_failure();
        return -3;
    }
    pa_threaded_mainloop_lock(conn.loop);
    const pa_sample_spec spec = {output_format(w), static_cast<uint32_t>(w.rate),
                                 static_cast<uint8_t>(w.channels)};
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
    Playback p{&conn, pa_stream_new_with_proplist(conn.context, kPulseAppName, &spec, nullptr, props),
               false};
    pa_proplist_free(props);
    bool ok = false;
    if (p.stream) {
        pa_stream_set_state_callback(p.stream, on_stream_event, &p);
        pa_stream_set_write_callback(p.stream, on_write, &p);
        pa_buffer_attr attr;
        attr.maxlength = attr.prebuf = attr.minreq = attr.fragsize = static_cast<uint32_t>(-1);
        attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(
            static_cast<pa_usec_t>(kTargetLatencyMs) * PA_USEC_PER_MSEC, &spec));
        if (pa_stream_connect_playback(p.stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) >= 0 &&
            pulse_wait(&conn, stream_settled, &p, kStreamTimeoutMs) && !stream_bad(&p) &&
            write_all(&p, w)) {
            const int duration_ms =
                static_cast<int>(w.bytes / static_cast<std::size_t>(w.block_align) * 1000 / w.rate);
            pa_operation *op = pa_stream_drain(p.stream, on_drained, &p);
            if (op) {
                pulse_wait(&conn, drained, &p, duration_ms + kDrainSlackMs);
                if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
                pa_operation_unref(op);
                ok = p.drained;
            }
        }
        pa_stream_set_state_callback(p.stream, nullptr, nullptr);
        pa_stream_set_write_callback(p.stream, nullptr, nullptr);
        pa_stream_disconnect(p.stream);
        pa_stream_unref(p.stream);
    }
    pa_threaded_mainloop_unlock(conn.loop);
    pulse_close(&conn);
    return ok ? 0 : -3;
}

}  // namespace

int prompt_play_wave(const unsigned char *data, std::size_t size) {
    WaveInfo w;
    if (wave_parse(data, size, &w) != kWaveOk) return -2;
    if (w.bytes == 0) return 0;
    return play(w);
}

int prompt_play_sync(const char *name) {
    const ResEntry *res = name ? res_find(name) : nullptr;
    if (!res) return -1;
    return prompt_play_wave(res->data, res->size);
}
