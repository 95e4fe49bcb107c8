// capture.cpp — the live capture driver on the PulseAudio client library.
//
// cap_start connects to the default server and records the default source
// as s16le mono at the asked rate (the server resamples). The loop thread's
// read callback fills the fragments of the CaptureStream (capture_stream.h);
// cap_read on the listening thread takes them. Neither side ever waits for
// the GUI thread.
#include "capture.h"

#include "capture_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int kConnectTimeoutMs = 1000;   // a live local server answers in a few ms
constexpr int kStreamTimeoutMs = 1000;
// The server hands audio over in 32 ms chunks, so a fragment completes at
// most 32 ms after its last sample was spoken.
constexpr uint32_t kServerChunkBytes = kCaptureFragmentBytes / 4;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 192000;

// Called with s->lock held, once per completed fragment; the caller signals
// the ready condition after unlocking.
void cap_fragment_ready(CaptureStream *s) {
    s->ready_count++;
    s->completed_total++;
}

// Copies n bytes (nullptr: a hole in the stream, filled with silence) into
// the fragments. Returns the number of fragments completed.
int fill_fragments(CaptureStream *s, const unsigned char *src, size_t n) {
    int completed = 0;
    while (n > 0 && s->queued[s->completion_index]) {
        unsigned char *frag = s->data[s->completion_index];
        size_t take = std::min(n, static_cast<size_t>(kCaptureFragmentBytes - s->fill_bytes));
        if (src) {
            std::memcpy(frag + s->fill_bytes, src, take);
            src += take;
        } else {
            std::memset(frag + s->fill_bytes, 0, take);
        }
        s->fill_bytes += static_cast<int>(take);
        n -= take;
        if (s->fill_bytes == kCaptureFragmentBytes) {
            s->queued[s->completion_index] = false;
            s->completion_index = (s->completion_index + 1) % kCaptureFragments;
            s->fill_bytes = 0;
            cap_fragment_ready(s);
            completed++;
        }
    }
    return completed;  // audio left over while starved is dropped
}

// Marks the stream as no longer producing and releases every reader.
void fail_stream(CaptureStream *s, int error) {
    {
        std::lock_guard<std::mutex> g(s->lock);
        if (!s->producing) return;
        s->producing = false;
    }
    s->last_error = error;
    s->ready.notify_all();
}

void on_read(pa_stream *st, size_t, void *userdata) {
    auto *s = static_cast<CaptureStream *>(userdata);
    int completed = 0;
    const void *chunk = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(st) > 0) {
        if (pa_stream_peek(st, &chunk, &bytes) < 0) {
            fail_stream(s, wxSOUND_IOERR);
            return;
        }
        if (bytes == 0) break;
        {
            std::lock_guard<std::mutex> g(s->lock);
            completed += fill_fragments(s, static_cast<const unsigned char *>(chunk), bytes);
        }
        pa_stream_drop(st);
    }
    if (completed > 0) s->ready.notify_all();
}

void on_stream_state(pa_stream *st, void *userdata) {
    auto *s = static_cast<CaptureStream *>(userdata);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(st))) fail_stream(s, wxSOUND_IOERR);
    pa_threaded_mainloop_signal(s->conn.loop, 0);
}

void on_context_state(pa_context *c, void *userdata) {
    auto *s = static_cast<CaptureStream *>(userdata);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) fail_stream(s, wxSOUND_IOERR);
    pa_threaded_mainloop_signal(s->conn.loop, 0);
}

bool stream_settled(void *arg) {
    pa_stream_state_t st = pa_stream_get_state(static_cast<pa_stream *>(arg));
    return st == PA_STREAM_READY || !PA_STREAM_IS_GOOD(st);
}

// Disconnects from the server and releases readers; never waits for it.
void close_devices(CaptureStream *s) {
    {
        std::lock_guard<std::mutex> g(s->lock);
        s->producing = false;
    }
    s->ready.notify_all();
    if (s->conn.loop) {
        pa_threaded_mainloop_lock(s->conn.loop);
        if (s->stream) {
            pa_stream_set_read_callback(s->stream, nullptr, nullptr);
            pa_stream_set_state_callback(s->stream, nullptr, nullptr);
            pa_stream_disconnect(s->stream);
            pa_stream_unref(s->stream);
            s->stream = nullptr;
        }
        if (s->conn.context) pa_context_set_state_callback(s->conn.context, nullptr, nullptr);
        pa_threaded_mainloop_unlock(s->conn.loop);
    }
    pulse_close(&s->conn);
}

// Puts all ten fragments back into the capture cycle, nothing completed.
void reset_fragments(CaptureStream *s) {
    std::lock_guard<std::mutex> g(s->lock);
    std::fill(std::begin(s->queued), std::end(s->queued), true);
    s->completion_index = s->fill_bytes = 0;
    s->read_index = s->read_pos = 0;
    s->ready_count = 0;
    s->completed_total = 0;
    s->released = false;
}

bool open_devices(CaptureStream *s) {
    if (s->rate < kMinRate || s->rate > kMaxRate) {
        s->last_error = wxSOUND_INVFRMT;
        return false;
    }
    if (pulse_connect(&s->conn, kConnectTimeoutMs) < 0) {
        s->last_error = wxSOUND_INVDEV;
        return false;
    }
    pa_threaded_mainloop_lock(s->conn.loop);
    pa_context_set_state_callback(s->conn.context, on_context_state, s);
    const pa_sample_spec spec = {PA_SAMPLE_S16LE, static_cast<uint32_t>(s->rate), 1};
    s->stream = pa_stream_new(s->conn.context, kPulseAppName, &spec, nullptr);
    bool ok = false;
    if (s->stream) {
        pa_stream_set_state_callback(s->stream, on_stream_state, s);
        pa_stream_set_read_callback(s->stream, on_read, s);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
        attr.fragsize = kServerChunkBytes;
        {
            // Completions may start as soon as the stream connects.
            std::lock_guard<std::mutex> g(s->lock);
            s->producing = true;
        }
        if (pa_stream_connect_record(s->stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY) >= 0) {
            pulse_wait(&s->conn, stream_settled, s->stream, kStreamTimeoutMs);
            ok = pa_stream_get_state(s->stream) == PA_STREAM_READY;
        }
    }
    pa_threaded_mainloop_unlock(s->conn.loop);
    if (!ok) {
        close_devices(s);
        s->last_error = wxSOUND_INVDEV;
        return false;
    }
    s->last_error = wxSOUND_NOERR;
    return true;
}

bool is_producing(CaptureStream *s) {
    std::lock_guard<std::mutex> g(s->lock);
    return s->producing;
}

}  // namespace

int cap_open(void **handle, unsigned, int rate, const char *) {
    if (!handle) return -20;
    auto *s = new (std::nothrow) CaptureStream;
    if (!s) return -20;
    s->rate = rate;
    *handle = s;
    return 0;
}

int cap_start(void *handle) {
    auto *s = static_cast<CaptureStream *>(handle);
    if (!s) return -1;
    // Starting a running stream reconnects it with fresh fragments.
    close_devices(s);
    reset_fragments(s);
    return open_devices(s) ? 0 : -1;
}

int cap_stop(void *handle) {
    auto *s = static_cast<CaptureStream *>(handle);
    if (!s) return 0;
    // Capture keeps running (and starves 1.28 s later unless read again);
    // only a reader waiting right now is let go.
    {
        std::lock_guard<std::mutex> g(s->lock);
        s->released = true;
    }
    s->ready.notify_all();
    return 0;
}

int cap_read(void *handle, void *buffer, int length) {
    auto *s = static_cast<CaptureStream *>(handle);
    if (!s) return -1;
    if (!buffer || length <= 0) return 0;
    auto *out = static_cast<unsigned char *>(buffer);
    int copied = 0;
    std::unique_lock<std::mutex> g(s->lock);
    s->readers++;
    while (copied < length) {
        s->ready.wait(g, [s] {
            return s->ready_count > 0 || !s->producing || s->released || s->closing;
        });
        if (s->ready_count <= 0) break;  // stopped, failed or closing: short read
        int n = std::min(length - copied, kCaptureFragmentBytes - s->read_pos);
        std::memcpy(out + copied, s->data[s->read_index] + s->read_pos, n);
        copied += n;
        s->read_pos += n;
        if (s->read_pos == kCaptureFragmentBytes) {
            // Hand the fragment straight back to capture.
            s->queued[s->read_index] = true;
            s->read_index = (s->read_index + 1) % kCaptureFragments;
            s->read_pos = 0;
            s->ready_count--;
        }
    }
    s->readers--;
    g.unlock();
    s->ready.notify_all();  // cap_close may be waiting for readers to leave
    return copied;
}

int cap_close(void *handle) {
    auto *s = static_cast<CaptureStream *>(handle);
    if (!s) return -1;
    s->last_error = is_producing(s) ? wxSOUND_NOERR : wxSOUND_NOTRUNNING;
    close_devices(s);
    {
        std::unique_lock<std::mutex> g(s->lock);
        s->closing = true;
        s->ready.notify_all();
        s->ready.wait(g, [s] { return s->readers == 0; });
    }
    delete s;
    return 0;
}

int cap_write(void *, const void *, int) { return 0; }

int cap_control(void *, int) { return 0; }
