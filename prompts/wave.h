// wave.h — reads the header of a RIFF WAVE file held in memory.
//
// Accepts A-law (format tag 6, 8 bits) and linear PCM (tag 1, 8-bit
// unsigned or 16-bit signed little-endian), 1 or 2 channels, 1000 to
// 192000 samples per second. Chunks other than "fmt " and "data" are
// skipped (a chunk of odd size is followed by one pad byte). A data chunk
// that is not a whole number of frames is cut to whole frames.
//
// wave_parse returns 0 and fills *info, or one of the WaveError codes; on
// error *info is left unchanged. The data pointer points into the file.
#pragma once

#include <cstddef>
#include <cstdint>

enum WaveFormatTag : int {
    kWavePcm = 1,
    kWaveAlaw = 6
};

enum WaveError : int {
    kWaveOk = 0,
    kWaveTruncated = -1,     // shorter than its header or its RIFF size says
    kWaveNotWave = -2,       // no "RIFF" / "WAVE" magic
    kWaveBadChunk = -3,      // a chunk runs past the end of the RIFF data
    kWaveNoFormat = -4,      // no "fmt " chunk before "data", or it is too short
    kWaveUnsupported = -5,   // format tag, channels, rate, bits or block size not playable
    kWaveNoData = -6         // no "data" chunk
};

struct WaveInfo {
    int format_tag;              // kWavePcm or kWaveAlaw
    int channels;                // 1 or 2
    int rate;                    // samples per second
    int bits;                    // 8 or 16
    int block_align;             // bytes per frame
    const uint8_t *data;         // first sample byte
    std::size_t bytes;           // whole frames only
};

int wave_parse(const uint8_t *file, std::size_t size, WaveInfo *info);
