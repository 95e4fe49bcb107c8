// capture.h — the live capture driver (driver 1 of the device table).
//
// Delivers the default PulseAudio source as signed 16-bit mono at the rate
// asked for (20000 Hz), in ten fragments of 5120 bytes (128 ms each) that
// complete in order. A capture thread of the driver completes fragments; a
// completed fragment goes back to capture only through cap_read, so a stream
// that is no longer read starves after ten fragments (1.28 s).
//
//   cap_open     0, or -20 on failure (mode and user argument ignored)
//   cap_close    0; -1 for a null handle
//   cap_start    0 when capture runs; -1 on failure (no server, no source)
//                or a null handle
//   cap_stop     0; does nothing (capture keeps running)
//   cap_read     bytes copied (0..length); -1 for a null handle; blocks until
//                a fragment is ready
//   cap_write    0; does nothing
//   cap_control  0; does nothing
#pragma once

int cap_open(void **handle, unsigned mode, int rate, const char *user_arg);
int cap_close(void *handle);
int cap_start(void *handle);
int cap_stop(void *handle);
int cap_read(void *handle, void *buffer, int length);
int cap_write(void *handle, const void *buffer, int length);
int cap_control(void *handle, int value);
