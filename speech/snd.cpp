// snd.cpp — the device table: driver registry and handles 1..9.
#include "snd.h"

#include "capture.h"
#include "memdrv.h"

namespace {

enum { kCaptureDriver = 1, kMaxMode = 2 };

struct Handle {
    int driver;    // 0 = free
    void *device;  // the driver's own handle
};

SndDriver drivers[SND_MAX_DRIVERS];
bool registered[SND_MAX_DRIVERS];
Handle handles[SND_MAX_HANDLES + 1];  // index 0 unused
bool ready = false;

void register_builtin() {
    if (ready) return;
    ready = true;
    for (Handle &h : handles) h = Handle{0, nullptr};
    drivers[kCaptureDriver] = SndDriver{cap_open, cap_close, cap_start, cap_stop, cap_read};
    registered[kCaptureDriver] = true;
    drivers[MEMDRV_DRIVER] = SndDriver{memdrv_open, memdrv_close, memdrv_start, memdrv_stop, memdrv_read};
    registered[MEMDRV_DRIVER] = true;
}

Handle *used(int handle) {
    if (handle < 1 || handle > SND_MAX_HANDLES || handles[handle].driver == 0) return nullptr;
    return &handles[handle];
}

}  // namespace

int snd_register(int driver, const SndDriver *ops) {
    if (driver < 1 || driver >= SND_MAX_DRIVERS || !ops) return -1;
    register_builtin();
    drivers[driver] = *ops;
    registered[driver] = true;
    return 0;
}

int snd_open(int driver, unsigned mode, int rate, int, const char *device_arg) {
    register_builtin();
    if (mode > kMaxMode) return -24;
    if (driver < 1 || driver >= SND_MAX_DRIVERS || !registered[driver]) return -20;
    int h = 1;
    while (h <= SND_MAX_HANDLES && handles[h].driver != 0) ++h;
    if (h > SND_MAX_HANDLES) return -18;
    void *device = nullptr;
    const int rc = drivers[driver].open(&device, mode, rate, device_arg);
    if (rc != 0) return rc < 0 ? rc : -20;
    handles[h] = Handle{driver, device};
    return h;
}

int snd_start(int handle) {
    Handle *h = used(handle);
    return h ? drivers[h->driver].start(h->device) : -2;
}

int snd_stop(int handle) {
    Handle *h = used(handle);
    return h ? drivers[h->driver].stop(h->device) : -1;
}

int snd_read(int handle, void *buffer, int bytes) {
    Handle *h = used(handle);
    return h ? drivers[h->driver].read(h->device, buffer, bytes) : -1;
}

int snd_close(int handle) {
    Handle *h = used(handle);
    if (!h) return -1;
    const int rc = drivers[h->driver].close(h->device);
    if (rc == 0) *h = Handle{0, nullptr};
    return rc;
}
