// Front end: tables, block preparation and the levels of known signals.
#include "fe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class FrontEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(fe_init(FE_FRAME_LEN, FE_SAMPLE_RATE), 0); }
    void TearDown() override { fe_free(); }

    // Record of one frame of samples, scaled as the block processor does.
    std::vector<float> analyse(std::vector<int16_t> frame, float *peak = nullptr) {
        std::vector<float> rec(FE_RECORD_VALUES);
        const int16_t *src = frame.data();
        float *dst = rec.data();
        EXPECT_EQ(fe_frame(&src, &dst), 0);
        EXPECT_EQ(src, frame.data() + FE_FRAME_LEN);
        EXPECT_EQ(dst, rec.data() + FE_RECORD_VALUES);
        const float p = fe_scale_record(rec.data());
        if (peak) *peak = p;
        return rec;
    }

    static std::vector<int16_t> sine(double amplitude, double hz) {
        std::vector<int16_t> s(FE_FRAME_LEN);
        for (int i = 0; i < FE_FRAME_LEN; ++i)
            s[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / FE_SAMPLE_RATE)));
        return s;
    }
};

TEST_F(FrontEnd, BandMapFollowsTheBarkTableAndReferenceIsExact) {
    // Last bin of each band 0..22 at 256 points and 20000 Hz.
    const int last_bin[] = {1, 2, 3, 5, 6, 8, 9, 11, 13, 16, 18, 21, 25, 29, 34, 41, 48, 58, 69, 82, 97, 117, 127};
    int bin = 0;
    for (int band = 0; band < 23; ++band)
        for (; bin <= last_bin[band]; ++bin) EXPECT_EQ(fe_band_of_bin(bin), band) << "bin " << bin;
    EXPECT_EQ(fe_band_of_bin(128), -1);
    EXPECT_EQ(fe_power_reference(), 17590038560768.0f);
}

TEST_F(FrontEnd, InitRejectsLengthsThatAreNotPowersOfTwo) {
    EXPECT_EQ(fe_init(200, FE_SAMPLE_RATE), -7);
    std::vector<int16_t> frame(FE_FRAME_LEN);
    std::vector<float> rec(FE_RECORD_VALUES);
    const int16_t *src = frame.data();
    float *dst = rec.data();
    EXPECT_EQ(fe_frame(&src, &dst), -1) << "a failed init leaves no tables";
    EXPECT_EQ(fe_init(FE_FRAME_LEN, FE_SAMPLE_RATE), 0);
}

TEST_F(FrontEnd, SilentFrameGivesFloorLevels) {
    std::vector<int16_t> frame(FE_FRAME_LEN, 0);
    EXPECT_EQ(fe_remove_mean(frame.data(), 0), 0.0f);
    float peak = 0;
    const std::vector<float> rec = analyse(frame, &peak);
    EXPECT_EQ(rec[0], -100.0f);
    EXPECT_EQ(rec[1], -100.0f);
    for (int i = FE_FEATURE_FIRST; i < FE_FEATURE_FIRST + FE_FEATURES; ++i) EXPECT_NEAR(rec[i], -44.25f, 0.01f);
    for (int i = 17; i < FE_RECORD_VALUES; ++i) EXPECT_NEAR(rec[i], -3132.45f, 0.1f);
    EXPECT_EQ(peak, -0.5f);
}

TEST(BlockPreparation, MeanTruncatesTowardZeroAndSubtractionWraps) {
    std::vector<int16_t> block(FE_BLOCK_SAMPLES, 0);
    block[0] = -2559;
    EXPECT_EQ(fe_block_mean(block.data()), 0);
    block[0] = -2560;
    EXPECT_EQ(fe_block_mean(block.data()), -1);
    for (auto &s : block) s = -100;
    EXPECT_EQ(fe_block_mean(block.data()), -100);
    // Full-scale samples in both directions do not overflow the 32-bit sum.
    for (size_t i = 0; i < block.size(); ++i) block[i] = i % 2 ? 32767 : -32768;
    EXPECT_EQ(fe_block_mean(block.data()), 0);

    std::vector<int16_t> frame(FE_FRAME_LEN, 0);
    frame[0] = 32767;
    frame[1] = -32768;
    const float energy = fe_remove_mean(frame.data(), -100);
    EXPECT_EQ(frame[0], -32669);
    EXPECT_EQ(frame[1], -32668);
    EXPECT_EQ(frame[2], 100);
    const double expect = 32669.0 * 32669 + 32668.0 * 32668 + 254.0 * 100 * 100;
    EXPECT_EQ(energy, static_cast<float>(expect));
}

TEST_F(FrontEnd, FullScaleSineLandsInBandNineAndHalvingCostsSixDecibels) {
    const double hz = 1171.875;  // bin 15
    const std::vector<float> full = analyse(sine(32767, hz));
    EXPECT_NEAR(full[9], 0.43f, 0.01f);
    for (int b = FE_FEATURE_FIRST; b < FE_FEATURE_FIRST + FE_FEATURES; ++b)
        if (b != 9) {
            EXPECT_LT(full[b], full[9]) << "band " << b;
        }
    const std::vector<float> half = analyse(sine(32767 / 2.0, hz));
    EXPECT_NEAR(full[9] - half[9], 6.02f / 70.0f, 0.002f);
}

TEST_F(FrontEnd, TonesLandInTheirBands) {
    // Centre of a few bands; the tone's band must be the loudest feature.
    const struct { double hz; int band; } tones[] = {{312.5, 3}, {703.125, 6}, {2500.0, 14}, {3515.625, 16}};
    for (const auto &t : tones) {
        float peak = 0;
        const std::vector<float> rec = analyse(sine(20000, t.hz), &peak);
        EXPECT_EQ(rec[t.band], peak) << t.hz << " Hz";
    }
}

}  // namespace
