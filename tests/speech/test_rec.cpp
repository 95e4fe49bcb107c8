// Recogniser instances, the device table and the memory driver, end to end.
#include "rec.h"

#include "ep.h"
#include "memdrv.h"
#include "nn.h"
#include "rec_probe.h"
#include "snd.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using testutil::burst;

// A driver that serves silence and counts reads; reads can be made to fail.
struct FakeDevice {
    int reads = 0;
    int result = FE_BLOCK_BYTES;  // what read returns
} fake;

int fake_open(void **h, unsigned, int, const char *) { *h = &fake; return 0; }
int fake_close(void *) { return 0; }
int fake_start(void *) { return 0; }
int fake_stop(void *) { return 0; }
int fake_read(void *, void *buf, int bytes) {
    fake.reads++;
    std::fill_n(static_cast<char *>(buf), bytes, 0);
    return fake.result;
}
constexpr int kFakeDriver = 3;
const SndDriver kFakeOps = {fake_open, fake_close, fake_start, fake_stop, fake_read};

class Recogniser : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(snd_register(kFakeDriver, &kFakeOps), 0);
        fake = FakeDevice{};
    }
    void TearDown() override {
        for (int n = 1; n <= REC_MAX_INSTANCES; ++n) {
            rec_stop(n);
            rec_free(n);
        }
        nn_install_image(0, nullptr, 0);
        nn_install_image(1, nullptr, 0);
        memdrv_set_source(nullptr, 0);
    }
    // Test networks: speech when the middle of the window is loud; every
    // word is class 7.
    void install_test_networks() {
        const std::vector<float> n0 = testutil::middle_loud_net0(), n1 = testutil::constant_net1(7);
        ASSERT_EQ(nn_install_image(0, n0.data(), n0.size()), 0);
        ASSERT_EQ(nn_install_image(1, n1.data(), n1.size()), 0);
    }
    int open_on(const std::vector<int16_t> &samples) {
        memdrv_set_source(samples.data(), samples.size());
        const int n = rec_init(MEMDRV_DRIVER, "");
        EXPECT_GT(n, 0);
        EXPECT_EQ(rec_start(n, 0), 0);
        return n;
    }
};

TEST_F(Recogniser, LifecycleCodes) {
    EXPECT_EQ(rec_init(kFakeDriver + 1, ""), -20) << "unregistered driver";
    const int a = rec_init(kFakeDriver, ""), b = rec_init(kFakeDriver, ""), c = rec_init(kFakeDriver, "");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(c, 3);
    EXPECT_EQ(rec_init(kFakeDriver, ""), -26);

    EXPECT_EQ(rec_listen(a), -7) << "not capturing yet";
    EXPECT_EQ(rec_stop(a), -2);
    EXPECT_EQ(rec_start(a, 0), 0);
    EXPECT_EQ(rec_start(a, 0), -3);
    EXPECT_EQ(rec_free(a), -2);
    EXPECT_EQ(rec_stop(a), 0);
    EXPECT_EQ(rec_stop(a), -2);

    // Freeing one instance keeps the shared tables for the others.
    EXPECT_EQ(rec_free(b), 0);
    EXPECT_EQ(rec_free(b), -1);
    EXPECT_EQ(rec_start(c, 0), 0);
    fake.result = 100;
    EXPECT_EQ(rec_listen(c), -4) << "short read";
    fake.result = -1;
    EXPECT_EQ(rec_listen(c), -6);
    EXPECT_EQ(rec_stop(c), 0);

    EXPECT_EQ(rec_start(b, 0), -2);
    EXPECT_EQ(rec_listen(b), -5);
    EXPECT_EQ(rec_listen(0), -5);
    EXPECT_EQ(rec_level(b), -1);
    EXPECT_EQ(rec_get_snr(b), -1.0f);
    EXPECT_EQ(rec_set_snr(b, 20.0f), -2);
}

TEST_F(Recogniser, SnrThresholdRange) {
    const int n = rec_init(kFakeDriver, "");
    EXPECT_EQ(rec_get_snr(n), 30.0f);
    for (float bad : {0.0f, -5.0f, 70.5f, NAN}) {
        EXPECT_EQ(rec_set_snr(n, bad), -1) << bad;
        EXPECT_EQ(rec_get_snr(n), 30.0f);
    }
    EXPECT_EQ(rec_set_snr(n, 70.0f), 0);
    EXPECT_EQ(rec_get_snr(n), 70.0f);
}

TEST_F(Recogniser, ThreeSecondBudgetEndsAtTheTwentyFourthBlock) {
    const int n = rec_init(kFakeDriver, "");
    ASSERT_EQ(rec_start(n, 3), 0);
    EXPECT_EQ(rec_listen(n), -4);
    EXPECT_EQ(fake.reads, 24);
    EXPECT_EQ(rec_listen(n), -4) << "the budget stays spent";
    EXPECT_EQ(fake.reads, 25);
}

TEST_F(Recogniser, LevelFollowsTheLoudestRecentFrame) {
    const int n = rec_init(kFakeDriver, "");
    RecInstance *r = rec_instance(n);
    auto level_with = [&](float energy) {
        for (int i = 0; i < REC_RING_FRAMES; ++i) r->energy_ring[i].store(0.0f);
        r->energy_ring[395].store(energy);  // ring index 0: looks at 390..399
        r->energy_ring[5].store(256e12f);   // not among the last ten
        return rec_level(n);
    };
    EXPECT_EQ(level_with(256e9f), 0) << "not listening";
    r->listening.store(1);
    EXPECT_EQ(level_with(256e9f), 100);
    EXPECT_EQ(level_with(256 * std::pow(10.0f, 7.5f)), 59);
    EXPECT_EQ(level_with(256e5f), 0);
    EXPECT_EQ(level_with(0.0f), 0);
    ASSERT_EQ(rec_set_snr(n, 60.0f), 0);
    EXPECT_EQ(level_with(256 * std::pow(10.0f, 7.5f)), 79);
    r->listening.store(0);
}

TEST_F(Recogniser, DeviceTableCodes) {
    EXPECT_EQ(snd_open(kFakeDriver, 3, 20000, 5120, ""), -24);
    EXPECT_EQ(snd_open(0, 2, 20000, 5120, ""), -20);
    EXPECT_EQ(snd_open(SND_MAX_DRIVERS, 2, 20000, 5120, ""), -20);
    std::vector<int> handles;
    for (int i = 0; i < SND_MAX_HANDLES; ++i) handles.push_back(snd_open(kFakeDriver, 2, 20000, 5120, ""));
    for (int i = 0; i < SND_MAX_HANDLES; ++i) EXPECT_EQ(handles[i], i + 1);
    EXPECT_EQ(snd_open(kFakeDriver, 2, 20000, 5120, ""), -18);
    for (int h : handles) EXPECT_EQ(snd_close(h), 0);
    EXPECT_EQ(snd_close(1), -1);
    EXPECT_EQ(snd_start(1), -2);
    EXPECT_EQ(snd_stop(1), -1);
    char buf[4];
    EXPECT_EQ(snd_read(1, buf, 4), -1);
    EXPECT_EQ(snd_read(0, buf, 4), -1);
    EXPECT_EQ(snd_register(0, &kFakeOps), -1);
    EXPECT_EQ(snd_register(SND_MAX_DRIVERS, &kFakeOps), -1);
}

TEST_F(Recogniser, MemoryDriverServesDataThenOneSecondOfSilenceThenShortReads) {
    EXPECT_EQ(snd_open(MEMDRV_DRIVER, 2, 20000, 5120, ""), -20) << "no source handed over";
    std::vector<int16_t> data(3000, 7);
    memdrv_set_source(data.data(), data.size());
    const int h = snd_open(MEMDRV_DRIVER, 2, 20000, 5120, "");
    ASSERT_GT(h, 0);
    std::vector<int16_t> buf(FE_BLOCK_SAMPLES);
    size_t served = 0, sevens = 0;
    int rc;
    while ((rc = snd_read(h, buf.data(), FE_BLOCK_BYTES)) == FE_BLOCK_BYTES) {
        for (int16_t s : buf) sevens += s == 7;
        served += FE_BLOCK_SAMPLES;
    }
    for (int i = 0; i < rc / 2; ++i) EXPECT_EQ(buf[i], 0);
    served += rc / 2;
    EXPECT_EQ(served, data.size() + MEMDRV_TAIL_SAMPLES);
    EXPECT_EQ(sevens, data.size());
    EXPECT_EQ(snd_read(h, buf.data(), FE_BLOCK_BYTES), 0);
    EXPECT_EQ(snd_close(h), 0);
}

TEST_F(Recogniser, FindsANoiseBurstAndClassifiesIt) {
    install_test_networks();
    const int first = 100, last = 160;
    const std::vector<int16_t> sound = burst(400, first, last, 30000);
    const int n = open_on(sound);
    EXPECT_EQ(rec_listen(n), 7);
    int64_t a = 0, b = 0;
    ASSERT_EQ(rec_word_frames(n, &a, &b), 0);
    EXPECT_EQ(a, first);
    EXPECT_EQ(b, last);
    EXPECT_EQ(rec_listen(n), -4) << "then the stream ends";
    EXPECT_EQ(rec_word_frames(n, &a, &b), -1);
}

TEST_F(Recogniser, LevelGateIgnoresQuietSoundBelowTheThreshold) {
    install_test_networks();
    // Noise of amplitude 8 is roughly 60 dB below full scale.
    const std::vector<int16_t> sound = burst(300, 50, 150, 8);
    int n = open_on(sound);
    EXPECT_EQ(rec_listen(n), -4) << "30 dB threshold: nothing heard";
    rec_stop(n);
    rec_free(n);
    n = open_on(sound);
    ASSERT_EQ(rec_set_snr(n, 70.0f), 0);
    EXPECT_EQ(rec_listen(n), 7) << "70 dB threshold: the gate never blocks";
}

TEST_F(Recogniser, WordLongerThanTheRingReportsOverflow) {
    install_test_networks();
    const std::vector<int16_t> sound = burst(700, 20, 520, 30000);
    const int n = open_on(sound);
    EXPECT_EQ(rec_listen(n), -2);
    int64_t a = 0, b = 0;
    ASSERT_EQ(rec_word_frames(n, &a, &b), 0);
    EXPECT_EQ(a, 20);
    EXPECT_EQ(b, 520);
    EXPECT_EQ(rec_listen(n), -4);
}

TEST_F(Recogniser, FrameHookSeesEveryFrame) {
    install_test_networks();
    const std::vector<int16_t> sound = burst(100, 30, 60, 30000);
    struct Seen { int frames = 0, speech = 0; int64_t last = -1; bool in_order = true; } seen;
    rec_set_frame_hook(
        [](void *ctx, const RecFrameInfo *f) {
            auto &s = *static_cast<Seen *>(ctx);
            s.in_order = s.in_order && f->frame == s.last + 1 && f->ring_pos == f->frame % REC_RING_FRAMES;
            s.last = f->frame;
            s.frames++;
            s.speech += f->speech;
        },
        &seen);
    const int n = open_on(sound);
    while (rec_listen(n) >= 0) {
    }
    rec_set_frame_hook(nullptr, nullptr);
    EXPECT_TRUE(seen.in_order);
    EXPECT_EQ(seen.frames, (100 * FE_FRAME_LEN + MEMDRV_TAIL_SAMPLES) / FE_BLOCK_SAMPLES * FE_FRAMES_PER_BLOCK);
    EXPECT_EQ(seen.speech, 31);
}

}  // namespace
