// G.711 A-law decoding and WAVE header validation.
#include "alaw.h"
#include "wave.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

namespace {

// The decoder output of G.711 Table 1 for one code, computed from the
// segment/step layout rather than the bit tricks the decoder uses.
int g711_reference(uint8_t code) {
    const int a = code ^ 0x55;
    const int segment = (a >> 4) & 7;
    const int step = a & 15;
    const int magnitude = segment == 0 ? (2 * step + 1) * 8 : (2 * step + 33) * (8 << (segment - 1));
    return (a & 0x80) ? magnitude : -magnitude;
}

TEST(Alaw, KnownCodes) {
    EXPECT_EQ(alaw_decode(0xD5), 8);        // smallest positive step
    EXPECT_EQ(alaw_decode(0x55), -8);
    EXPECT_EQ(alaw_decode(0xAA), 32256);    // largest positive
    EXPECT_EQ(alaw_decode(0x2A), -32256);
    EXPECT_EQ(alaw_decode(0x80), 5504);
    EXPECT_EQ(alaw_decode(0x00), -5504);
    EXPECT_EQ(alaw_decode(0xD4), 24);
    EXPECT_EQ(alaw_decode(0xC5), 264);      // first step of segment 1
}

TEST(Alaw, WholeTableMatchesReferenceAndIsSymmetric) {
    std::set<int> positives;
    for (int c = 0; c < 256; ++c) {
        const uint8_t code = static_cast<uint8_t>(c);
        ASSERT_EQ(alaw_decode(code), g711_reference(code)) << "code " << c;
        ASSERT_EQ(alaw_decode(code ^ 0x80), -alaw_decode(code)) << "code " << c;
        ASSERT_NE(alaw_decode(code), 0) << "A-law has no zero level";
        if (alaw_decode(code) > 0) positives.insert(alaw_decode(code));
    }
    EXPECT_EQ(positives.size(), 128u);  // every positive code is a distinct level
}

TEST(Alaw, LevelsRiseWithSegmentAndStep) {
    // With the inversion undone, codes 0x80..0xFF run from the smallest to
    // the largest positive level.
    for (int k = 0x81; k <= 0xFF; ++k)
        EXPECT_GT(alaw_decode(static_cast<uint8_t>(k ^ 0x55)),
                  alaw_decode(static_cast<uint8_t>((k - 1) ^ 0x55)));
}

TEST(Alaw, BlockDecodeMatchesSingleCodes) {
    uint8_t codes[256];
    int16_t out[256];
    for (int i = 0; i < 256; ++i) codes[i] = static_cast<uint8_t>(255 - i);
    alaw_decode_block(codes, out, 256);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(out[i], alaw_decode(codes[i]));
}

// Builds WAVE files chunk by chunk.
struct WaveBuilder {
    std::vector<uint8_t> bytes;
    void id(const char *s) { bytes.insert(bytes.end(), s, s + 4); }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void u16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void fmt(int tag, int channels, int rate, int bits, int align = -1) {
        if (align < 0) align = channels * bits / 8;
        id("fmt ");
        u32(16);
        u16(static_cast<uint16_t>(tag));
        u16(static_cast<uint16_t>(channels));
        u32(static_cast<uint32_t>(rate));
        u32(static_cast<uint32_t>(rate * align));
        u16(static_cast<uint16_t>(align));
        u16(static_cast<uint16_t>(bits));
    }
    void chunk(const char *name, uint32_t size, uint32_t body_bytes) {
        id(name);
        u32(size);
        bytes.insert(bytes.end(), body_bytes, 0x55);
    }
    // RIFF header around everything added so far.
    std::vector<uint8_t> file() const {
        WaveBuilder w;
        w.id("RIFF");
        w.u32(static_cast<uint32_t>(bytes.size() + 4));
        w.id("WAVE");
        w.bytes.insert(w.bytes.end(), bytes.begin(), bytes.end());
        return w.bytes;
    }
};

std::vector<uint8_t> prompt_file(uint32_t samples = 2000) {
    WaveBuilder b;
    b.fmt(kWaveAlaw, 1, 20000, 8);
    b.chunk("data", samples, samples);
    return b.file();
}

int parse(const std::vector<uint8_t> &f, WaveInfo *info = nullptr) {
    WaveInfo scratch;
    return wave_parse(f.data(), f.size(), info ? info : &scratch);
}

TEST(Wave, ReadsAlawPrompt) {
    auto f = prompt_file(2000);
    WaveInfo w{};
    ASSERT_EQ(parse(f, &w), kWaveOk);
    EXPECT_EQ(w.format_tag, kWaveAlaw);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 20000);
    EXPECT_EQ(w.bits, 8);
    EXPECT_EQ(w.bytes, 2000u);
    EXPECT_EQ(w.data, f.data() + 44);
}

TEST(Wave, SkipsUnknownChunksIncludingOddPadding) {
    WaveBuilder b;
    b.chunk("LIST", 5, 6);  // odd size, one pad byte
    b.fmt(kWavePcm, 2, 44100, 16);
    b.chunk("fact", 4, 4);
    b.chunk("data", 400, 400);
    auto f = b.file();
    WaveInfo w{};
    ASSERT_EQ(parse(f, &w), kWaveOk);
    EXPECT_EQ(w.format_tag, kWavePcm);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.block_align, 4);
    EXPECT_EQ(w.bytes, 400u);
    EXPECT_EQ(w.data[0], 0x55);
}

TEST(Wave, CutsDataToWholeFrames) {
    WaveBuilder b;
    b.fmt(kWavePcm, 1, 20000, 16);
    b.chunk("data", 7, 8);
    WaveInfo w{};
    ASSERT_EQ(parse(b.file(), &w), kWaveOk);
    EXPECT_EQ(w.bytes, 6u);
}

TEST(Wave, RejectsTruncatedFiles) {
    auto f = prompt_file();
    for (std::size_t keep : {std::size_t{0}, std::size_t{11}, std::size_t{30}, f.size() - 1}) {
        std::vector<uint8_t> cut(f.begin(), f.begin() + keep);
        EXPECT_LT(parse(cut), 0) << "kept " << keep << " bytes";
    }
    EXPECT_EQ(wave_parse(nullptr, 100, nullptr), kWaveTruncated);
}

TEST(Wave, RejectsWrongMagic) {
    auto f = prompt_file();
    auto riff = f;
    std::memcpy(riff.data(), "RIFX", 4);
    EXPECT_EQ(parse(riff), kWaveNotWave);
    auto wave = f;
    std::memcpy(wave.data() + 8, "AVI ", 4);
    EXPECT_EQ(parse(wave), kWaveNotWave);
}

TEST(Wave, RejectsChunkSizeBeyondEnd) {
    WaveBuilder b;
    b.fmt(kWaveAlaw, 1, 20000, 8);
    b.chunk("data", 5000, 100);  // claims more than the file holds
    EXPECT_EQ(parse(b.file()), kWaveBadChunk);

    WaveBuilder huge;
    huge.chunk("junk", 0xFFFFFFF0u, 0);  // must not wrap around
    huge.fmt(kWaveAlaw, 1, 20000, 8);
    huge.chunk("data", 10, 10);
    EXPECT_EQ(parse(huge.file()), kWaveBadChunk);
}

TEST(Wave, RejectsUnplayableFormats) {
    struct Case {
        int tag, channels, rate, bits, align;
    } cases[] = {
        {kWaveAlaw, 0, 20000, 8, -1},   // zero channels
        {kWaveAlaw, 3, 20000, 8, -1},   // more channels than we play
        {kWaveAlaw, 1, 0, 8, -1},       // zero rate
        {kWaveAlaw, 1, 500000, 8, -1},  // absurd rate
        {kWaveAlaw, 1, 20000, 16, -1},  // A-law is 8 bits
        {kWavePcm, 1, 20000, 12, -1},   // odd PCM width
        {7, 1, 8000, 8, -1},            // mu-law: not ours
        {0xFFFE, 1, 20000, 16, -1},     // extensible
        {kWavePcm, 1, 20000, 16, 3},    // block align disagrees
    };
    for (const Case &c : cases) {
        WaveBuilder b;
        b.fmt(c.tag, c.channels, c.rate, c.bits, c.align);
        b.chunk("data", 100, 100);
        EXPECT_EQ(parse(b.file()), kWaveUnsupported)
            << "tag " << c.tag << " ch " << c.channels << " rate " << c.rate << " bits " << c.bits;
    }
}

TEST(Wave, RejectsMissingOrMisplacedChunks) {
    WaveBuilder data_first;
    data_first.chunk("data", 100, 100);
    data_first.fmt(kWaveAlaw, 1, 20000, 8);
    EXPECT_EQ(parse(data_first.file()), kWaveNoFormat);

    WaveBuilder no_data;
    no_data.fmt(kWaveAlaw, 1, 20000, 8);
    EXPECT_EQ(parse(no_data.file()), kWaveNoData);

    WaveBuilder short_fmt;
    short_fmt.chunk("fmt ", 8, 8);
    short_fmt.chunk("data", 100, 100);
    EXPECT_EQ(parse(short_fmt.file()), kWaveNoFormat);
}

TEST(Wave, RiffSizeLargerThanFileIsTruncation) {
    auto f = prompt_file();
    f[4] = static_cast<uint8_t>(f[4] + 10);
    EXPECT_EQ(parse(f), kWaveTruncated);
}

}  // namespace
