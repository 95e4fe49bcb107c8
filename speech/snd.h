// snd.h — the device table: drivers by number, open devices by handle.
//
// Driver 1 is the live capture driver (capture.h), driver 2 the memory
// driver (memdrv.h). Both are registered, and the handle table cleared, on
// the first snd_open of the process. Handles are 1..9.
//
//   snd_open   handle 1..9; -24 mode above 2; -18 no free handle; -20 no such
//              driver; or the driver's open result
//   snd_start  driver start result; -2 handle free
//   snd_stop   driver stop result; -1 handle free
//   snd_read   driver read result (bytes read, or -1); -1 handle free
//   snd_close  driver close result (handle freed when 0); -1 handle free
#pragma once

#include <cstddef>

// One driver's operations. A driver handle is an opaque pointer.
struct SndDriver {
    int (*open)(void **handle, unsigned mode, int rate, const char *device_arg);
    int (*close)(void *handle);
    int (*start)(void *handle);
    int (*stop)(void *handle);
    int (*read)(void *handle, void *buffer, int bytes);
};

enum { SND_MAX_DRIVERS = 4, SND_MAX_HANDLES = 9 };

int snd_open(int driver, unsigned mode, int rate, int buffer_bytes, const char *device_arg);
int snd_start(int handle);
int snd_stop(int handle);
int snd_read(int handle, void *buffer, int bytes);
int snd_close(int handle);

// Replaces driver number 1..SND_MAX_DRIVERS-1 (tests install fakes this way).
// Returns 0, or -1 for a bad number. Not thread-safe: call while idle.
int snd_register(int driver, const SndDriver *ops);
