// Word finder and time normalisation.
#include "ep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const RecParams P = kRecDefaultParams;

// Feeds a speech/silence pattern from ring position k; returns the next k.
int feed(EpState &ep, int k, int frames, int speech) {
    for (int i = 0; i < frames; ++i, k = (k + 1) % REC_RING_FRAMES) ep_update(&ep, &P, k, speech);
    return k;
}

TEST(WordFinder, NinthSpeechFrameOpensTheWordAcrossTheRingWrap) {
    EpState ep;
    ep_reset_word(&ep);
    int k = feed(ep, 393, 4, 1);  // 393..396
    k = feed(ep, k, 1, 0);        // 397 breaks the run
    EXPECT_EQ(ep.word_start, -1);
    EXPECT_EQ(ep.speech_count, 0);
    k = feed(ep, k, 8, 1);        // 398..5: eighth speech frame at 5
    EXPECT_EQ(ep.word_start, -1);
    EXPECT_EQ(ep_update(&ep, &P, 6, 1), EP_STARTED);
    EXPECT_EQ(ep.word_start, 388);  // 6 - 18 + 400
    ep_reset_word(&ep);
    feed(ep, 397, 8, 1);            // 397..4
    ep_update(&ep, &P, 5, 1);
    EXPECT_EQ(ep.word_start, 387);
}

TEST(WordFinder, NineteenUninterruptedSilentFramesCloseTheWord) {
    EpState ep;
    ep_reset_word(&ep);
    int k = feed(ep, 0, 9, 1);  // start at 8 - 18 = 390
    ASSERT_EQ(ep.word_start, 390);
    k = feed(ep, k, 20, 1);
    k = feed(ep, k, 18, 0);
    k = feed(ep, k, 1, 1);      // one speech frame cancels the silence run
    EXPECT_EQ(ep.silence_count, 0);
    k = feed(ep, k, 18, 0);
    EXPECT_EQ(ep.word_end, -1);
    const int last = k;
    EXPECT_EQ(ep_update(&ep, &P, last, 0), EP_ENDED);
    EXPECT_EQ(ep.word_end, last - 29);
    EXPECT_EQ(ep.overflow, 0);
    EXPECT_EQ(ep_word_frames(390, 5), 16);
    EXPECT_EQ(ep_word_frames(10, 10), 1);
    EXPECT_EQ(ep_word_frames(11, 10), 400);
}

TEST(WordFinder, WordOutlastingTheRingOverflows) {
    EpState ep;
    ep_reset_word(&ep);
    int k = feed(ep, 100, 9, 1);
    ASSERT_EQ(ep.word_start, 90);
    k = feed(ep, k, 380, 1);  // k now at 89: the frame before the start
    EXPECT_EQ(ep.overflow, 0);
    k = feed(ep, k, 1, 1);
    EXPECT_EQ(ep.overflow, 1);
    feed(ep, k, 19, 0);
    EXPECT_NE(ep.word_end, -1) << "the word still ends";
    EXPECT_EQ(ep.overflow, 1);
}

// Ring whose record r carries r in every feature; peak ring value per frame.
struct Ring {
    std::vector<float> rec = std::vector<float>(REC_RING_VALUES, 0.0f);
    std::vector<float> peak = std::vector<float>(REC_RING_FRAMES, -0.5f);
    Ring() {
        for (int r = 0; r < REC_RING_FRAMES; ++r)
            for (int f = 0; f < FE_FEATURES; ++f) rec[r * FE_RECORD_VALUES + FE_FEATURE_FIRST + f] = r * 0.001f;
    }
    std::vector<int> source_frames(int start, int end, float *offset = nullptr) {
        std::vector<float> pattern(P.patternValues);
        ep_make_pattern(rec.data(), peak.data(), start, end, &P, pattern.data());
        const float off = 0.5f - [&] { float m = -0.5f; for (int i = 0; i < ep_word_frames(start, end); ++i) m = std::max(m, peak[(start + i) % REC_RING_FRAMES]); return m; }();
        if (offset) *offset = off;
        std::vector<int> frames;
        for (int i = 0; i < P.patternFrames; ++i) {
            int r = static_cast<int>(std::lround((pattern[i * FE_FEATURES] - off) / 0.001f)) - start;
            frames.push_back(r < 0 ? r + REC_RING_FRAMES : r);
        }
        return frames;
    }
};

TEST(TimeNormalisation, StretchesShortWordsAndSkipsThroughLongOnes) {
    Ring ring;
    const std::vector<int> twenty = ring.source_frames(390, 9);  // 20 frames across the wrap
    std::vector<int> want;
    for (int i = 0; i < 39; ++i) want.push_back(i * 20 / 39);
    EXPECT_EQ(twenty, want);
    EXPECT_EQ((std::vector<int>{twenty[0], twenty[1], twenty[2], twenty[3], twenty[38]}),
              (std::vector<int>{0, 0, 1, 1, 19}));

    const std::vector<int> hundred = ring.source_frames(350, 49);
    EXPECT_EQ((std::vector<int>{hundred[0], hundred[1], hundred[2], hundred[3], hundred[4], hundred[37], hundred[38]}),
              (std::vector<int>{0, 2, 5, 7, 10, 94, 97}));
}

TEST(TimeNormalisation, LoudestFrameOfTheWordBecomesHalf) {
    Ring ring;
    ring.peak[395] = 0.2f;   // inside the word
    ring.peak[380] = 0.45f;  // before it: ignored
    std::vector<float> pattern(P.patternValues);
    ep_make_pattern(ring.rec.data(), ring.peak.data(), 390, 9, &P, pattern.data());
    EXPECT_FLOAT_EQ(pattern[0], 390 * 0.001f + 0.3f);  // offset 0.5 - 0.2, no clamping
}

}  // namespace
