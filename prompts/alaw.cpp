// alaw.cpp — G.711 A-law decoding through a 256-entry table built once at
// compile time.
#include "alaw.h"

namespace {

constexpr uint8_t kEvenBitInversion = 0x55;
constexpr uint8_t kSignBit = 0x80;

constexpr int16_t decode_code(uint8_t code) {
    const int a = code ^ kEvenBitInversion;
    const int step = a & 0x0f;
    const int segment = (a >> 4) & 0x07;
    int magnitude = (step << 4) + 8;             // segment 0: 8 .. 248
    if (segment > 0) magnitude = ((step << 4) + 0x108) << (segment - 1);
    return static_cast<int16_t>((a & kSignBit) ? magnitude : -magnitude);
}

struct AlawTable {
    int16_t value[256];
    constexpr AlawTable() : value() {
        for (int c = 0; c < 256; ++c) value[c] = decode_code(static_cast<uint8_t>(c));
    }
};

constexpr AlawTable kTable;

}  // namespace

int16_t alaw_decode(uint8_t code) { return kTable.value[code]; }

void alaw_decode_block(const uint8_t *src, int16_t *dst, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) dst[i] = kTable.value[src[i]];
}
