// memdrv.h — the memory driver (driver 2 of the device table).
//
// Plays a buffer of samples to the recogniser as if it came from the
// microphone, so tools, tests and the trainer run exactly the game's code
// path. Hand the samples (signed 16-bit mono at 20000 Hz) to
// memdrv_set_source; the next open of driver 2 takes them (and clears the
// pending source). The opened device then serves:
//
//   the samples, in reads of up to 5120 bytes (2560 samples),
//   then 1.0 s of digital silence, so that a word running to the end of the
//   buffer still closes,
//   then short reads (fewer bytes than asked, finally 0), on which
//   rec_listen ends with -4.
//
// samples == nullptr withdraws a pending source; a count of 0 serves only
// the silence. The samples are not copied: keep them alive until the device is closed.
// Opening driver 2 with no pending source fails with -20.
#pragma once

#include <cstddef>
#include <cstdint>

enum { MEMDRV_DRIVER = 2 };
constexpr int MEMDRV_TAIL_SAMPLES = 20000;  // 1.0 s of silence after the data

void memdrv_set_source(const int16_t *samples, std::size_t count);

// The driver's operations, as registered with the device table.
int memdrv_open(void **handle, unsigned mode, int rate, const char *device_arg);
int memdrv_close(void *handle);
int memdrv_start(void *handle);
int memdrv_stop(void *handle);
int memdrv_read(void *handle, void *buffer, int bytes);
