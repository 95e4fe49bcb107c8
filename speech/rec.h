// rec.h — the recogniser core: a small table of recogniser instances.
//
// Plain procedural C++ with integer results, no GUI library. Instances are
// numbered 1..3; each owns one device handle of the device table (snd.h), a
// block buffer, the endpointing rings and its SNR threshold. The front-end
// tables, the network registry and RecParams are process-wide and live from
// the first rec_init to the last rec_free.
//
// Threads: the listening thread calls rec_listen; the GUI thread calls the
// rest. rec_init/rec_free never overlap a rec_listen. Run state, listening
// flag, ring index, energy ring and snrDb are std::atomic (relaxed).
//
// Results (negative = error code of the failing step):
//   rec_init    instance 1..3; -1 activation table, -5 block buffer, -6 frame
//               ring, -7 front end, -8 peak history, -9 peak/energy ring,
//               -10..-14 network load (nn.h), -18 no free device handle,
//               -20 driver failed to open, -24 speech window, -25 word
//               pattern, -26 all three slots in use.
//   rec_free    0 (device close result); -1 slot free; -2 still capturing
//   rec_start   0; -2 slot free; -3 already capturing; or the device start result
//   rec_stop    device stop result (0); -1 slot free; -2 already stopped
//   rec_listen  class >= 0 (0 = heard but rejected, 1..20 vocabulary);
//               -2 word longer than the ring, -4 short read or budget spent,
//               -5 no such instance, -6 read failed, -7 capture stopped
//   rec_level   0..100; -1 slot free
//   rec_get_snr snrDb; -1.0 slot free
//   rec_set_snr 0; -1 value outside 0 < v <= 70; -2 slot free
#pragma once

int rec_init(int driver, const char *device_arg);
int rec_free(int instance);
int rec_start(int instance, int budget_seconds);
int rec_stop(int instance);
int rec_listen(int instance);
int rec_level(int instance);
float rec_get_snr(int instance);
int rec_set_snr(int instance, float value);
