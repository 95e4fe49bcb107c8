// alaw.h — G.711 A-law to linear 16-bit PCM.
//
// A code byte holds a sign bit, a 3-bit segment and a 4-bit step, stored
// with the even bits inverted (XOR 0x55). The decoded value is the middle
// of the step's interval, in 16-bit scale: segment 0 gives 8, 24 .. 248,
// segment s >= 1 gives (2 * step + 33) << (s + 2), up to 32256. Bit 7 set
// means positive. Every code decodes; none is invalid.
#pragma once

#include <cstddef>
#include <cstdint>

int16_t alaw_decode(uint8_t code);

// Decodes count codes from src into dst (which may not overlap src).
void alaw_decode_block(const uint8_t *src, int16_t *dst, std::size_t count);
