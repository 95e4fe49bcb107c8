// capture_stream.h — the capture driver's stream object (internal).
//
// The driver handle of capture.h is a CaptureStream. The server's audio
// arrives on the PulseAudio loop thread in small chunks and is copied into
// ten fragments of 5120 bytes, filled strictly in order. A full fragment is
// "completed": it leaves the capture cycle, the ready count goes up and the
// ready condition is signalled. cap_read copies the oldest completed
// fragment and hands it straight back (queued again). When all ten are
// completed and unread, capture starves and further audio is dropped until
// cap_read hands a fragment back.
//
// A reader blocked in cap_read is released with a short read (0 bytes, or
// what it already has) when the stream fails (server gone, source removed),
// when cap_stop is called, or when the stream is closed, so a listening
// thread can always be joined.
//
// Threads: cap_open, cap_start, cap_stop and cap_close on the owner's
// thread; cap_read on the listening thread; fragment completion on the
// PulseAudio loop thread. `lock` guards everything below it.
#pragma once

#include "capture_pulse.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

enum {
    kCaptureFragments = 10,       // ten fragments give 1.28 s of slack
    kCaptureFragmentBytes = 5120  // 2560 samples, 128 ms at 20000 Hz
};

// Stream errors, the stream's last error (never shown to the user).
enum SoundError {
    wxSOUND_NOERR = 0,
    wxSOUND_IOERR = 1,      // the stream failed while producing
    wxSOUND_INVFRMT = 2,    // no usable format (bad rate)
    wxSOUND_INVDEV = 3,     // no server, no source, or the source refused the format
    wxSOUND_NOEXACT = 4,
    wxSOUND_INVSTRM = 5,
    wxSOUND_NOCODEC = 6,
    wxSOUND_MEMERR = 7,
    wxSOUND_NOTRUNNING = 8  // closed while not producing
};

struct CaptureStream {
    int rate = 0;                     // samples per second asked for by cap_open
    std::atomic<int> last_error{wxSOUND_NOERR};

    std::mutex lock;
    std::condition_variable ready;    // a fragment completed, or readers must leave
    int ready_count = 0;              // completed fragments not yet taken by cap_read
    bool queued[kCaptureFragments] = {};  // true: in the capture cycle (being filled or waiting)
    int completion_index = 0;         // fragment being filled
    int fill_bytes = 0;               // bytes already in it
    int read_index = 0;               // oldest completed fragment
    int read_pos = 0;                 // bytes of it already copied out
    bool producing = false;           // capture connected and running
    bool released = false;            // cap_stop since the last cap_start: reads do not wait
    bool closing = false;             // cap_close in progress: reads do not wait
    int readers = 0;                  // threads inside cap_read
    unsigned long completed_total = 0;  // fragments completed since cap_start
    unsigned char data[kCaptureFragments][kCaptureFragmentBytes];

    // Owned by the owner's thread (and the loop thread under the loop lock).
    PulseConn conn;
    pa_stream *stream = nullptr;
};
