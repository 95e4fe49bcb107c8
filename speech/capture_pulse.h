// capture_pulse.h — one PulseAudio connection with its own loop thread.
//
// Shared by the capture driver (capture.cpp) and prompt playback
// (prompts/playback.cpp). A PulseConn owns a threaded main loop and a
// context connected to the default server; callbacks of its streams run on
// the loop's thread. Nothing here can hang: connecting and every wait take a
// deadline, autospawning a server is off, and closing never waits for the
// server.
//
//   pulse_connect     0 connected; -1 no server (or none within timeout_ms)
//   pulse_wait        waits, loop locked, until done(arg) or the deadline;
//                     returns done(arg)
//   pulse_close       disconnects and stops the loop thread; safe on a
//                     half-open or already closed connection
//
// Lock discipline: everything between pulse_connect and pulse_close that
// touches the context or a stream runs with pa_threaded_mainloop_lock held
// (callbacks already hold it).
#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>

// The name the player sees for our streams in the desktop's mixer.
inline constexpr const char *kPulseAppName = "Tarkabab";

struct PulseConn {
    pa_threaded_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    bool timed_out = false;  // set by the deadline timer of pulse_wait
};

namespace pulse_detail {

inline void on_context_state(pa_context *, void *userdata) {
    pa_threaded_mainloop_signal(static_cast<PulseConn *>(userdata)->loop, 0);
}

inline void on_deadline(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *userdata) {
    auto *conn = static_cast<PulseConn *>(userdata);
    conn->timed_out = true;
    pa_threaded_mainloop_signal(conn->loop, 0);
}

inline bool context_settled(void *arg) {
    pa_context_state_t s = pa_context_get_state(static_cast<PulseConn *>(arg)->context);
    return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
}

}  // namespace pulse_detail

// Call with the loop locked. Returns done(arg) at the end of the wait.
inline bool pulse_wait(PulseConn *conn, bool (*done)(void *), void *arg, int timeout_ms) {
    if (done(arg)) return true;
    conn->timed_out = false;
    pa_time_event *deadline = pa_context_rttime_new(
        conn->context, pa_rtclock_now() + static_cast<pa_usec_t>(timeout_ms) * PA_USEC_PER_MSEC,
        pulse_detail::on_deadline, conn);
    while (!done(arg) && !conn->timed_out) pa_threaded_mainloop_wait(conn->loop);
    if (deadline) pa_threaded_mainloop_get_api(conn->loop)->time_free(deadline);
    return done(arg);
}

inline void pulse_close(PulseConn *conn) {
    if (!conn->loop) return;
    if (conn->context) {
        pa_threaded_mainloop_lock(conn->loop);
        pa_context_set_state_callback(conn->context, nullptr, nullptr);
        pa_context_disconnect(conn->context);
        pa_context_unref(conn->context);
        conn->context = nullptr;
        pa_threaded_mainloop_unlock(conn->loop);
    }
    pa_threaded_mainloop_stop(conn->loop);
    pa_threaded_mainloop_free(conn->loop);
    conn->loop = nullptr;
}

// On success the loop runs and is unlocked; on failure conn is closed.
inline int pulse_connect(PulseConn *conn, int timeout_ms) {
    conn->loop = pa_threaded_mainloop_new();
    if (!conn->loop) return -1;
    if (pa_threaded_mainloop_start(conn->loop) < 0) {
        pa_threaded_mainloop_free(conn->loop);
        conn->loop = nullptr;
        return -1;
    }
    pa_threaded_mainloop_lock(conn->loop);
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, kPulseAppName);
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "tarkabab");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "audio-input-microphone");
    conn->context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(conn->loop),
                                                 kPulseAppName, props);
    pa_proplist_free(props);
    bool ready = false;
    if (conn->context) {
        pa_context_set_state_callback(conn->context, pulse_detail::on_context_state, conn);
        if (pa_context_connect(conn->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
            pulse_wait(conn, pulse_detail::context_settled, conn, timeout_ms);
            ready = pa_context_get_state(conn->context) == PA_CONTEXT_READY;
        }
    }
    pa_threaded_mainloop_unlock(conn->loop);
    if (!ready) {
        pulse_close(conn);
        return -1;
    }
    return 0;
}
