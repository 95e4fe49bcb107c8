// wave.cpp — RIFF WAVE header validation.
#include "wave.h"

#include <cstring>

namespace {

constexpr std::size_t kRiffHeaderBytes = 12;  // "RIFF", size, "WAVE"
constexpr std::size_t kChunkHeaderBytes = 8;  // id, size
constexpr uint32_t kFmtMinBytes = 16;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 192000;
constexpr int kMaxChannels = 2;

uint32_t le32(const uint8_t *p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool is_id(const uint8_t *p, const char *id) { return std::memcmp(p, id, 4) == 0; }

bool bits_fit_format(int tag, int bits) {
    if (tag == kWaveAlaw) return bits == 8;
    if (tag == kWavePcm) return bits == 8 || bits == 16;
    return false;
}

}  // namespace

int wave_parse(const uint8_t *file, std::size_t size, WaveInfo *info) {
    if (!file || size < kRiffHeaderBytes) return kWaveTruncated;
    if (!is_id(file, "RIFF") || !is_id(file + 8, "WAVE")) return kWaveNotWave;
    const uint64_t riff_end = 8 + static_cast<uint64_t>(le32(file + 4));
    if (riff_end > size) return kWaveTruncated;
    if (riff_end < kRiffHeaderBytes) return kWaveBadChunk;

    WaveInfo found{};
    bool have_format = false;
    uint64_t pos = kRiffHeaderBytes;
    while (pos + kChunkHeaderBytes <= riff_end) {
        const uint8_t *chunk = file + pos;
        const uint64_t body = pos + kChunkHeaderBytes;
        const uint32_t chunk_bytes = le32(chunk + 4);
        if (body + chunk_bytes > riff_end) return kWaveBadChunk;
        const uint8_t *p = file + body;
        if (is_id(chunk, "fmt ")) {
            if (chunk_bytes < kFmtMinBytes) return kWaveNoFormat;
            found.format_tag = le16(p);
            found.channels = le16(p + 2);
            const uint32_t rate = le32(p + 4);
            found.block_align = le16(p + 12);
            found.bits = le16(p + 14);
            if (found.channels < 1 || found.channels > kMaxChannels) return kWaveUnsupported;
            if (rate < static_cast<uint32_t>(kMinRate) || rate > static_cast<uint32_t>(kMaxRate))
                return kWaveUnsupported;
            found.rate = static_cast<int>(rate);
            if (!bits_fit_format(found.format_tag, found.bits)) return kWaveUnsupported;
            if (found.block_align != found.channels * found.bits / 8) return kWaveUnsupported;
            have_format = true;
        } else if (is_id(chunk, "data")) {
            if (!have_format) return kWaveNoFormat;
            found.data = p;
            found.bytes = chunk_bytes - chunk_bytes % static_cast<uint32_t>(found.block_align);
            *info = found;
            return kWaveOk;
        }
        pos = body + chunk_bytes + (chunk_bytes & 1u);
    }
    return have_format ? kWaveNoData : kWaveNoFormat;
}
