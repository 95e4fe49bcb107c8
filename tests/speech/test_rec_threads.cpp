// The GUI thread polls the level and stops capture while the listening
// thread is inside rec_listen.
#include "ep.h"
#include "rec.h"
#include "snd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace {

// A paced source: a block of noise every 2 ms, forever.
std::atomic<int> blocks_read{0};
int paced_open(void **h, unsigned, int, const char *) { static int dev; *h = &dev; return 0; }
int paced_close(void *) { return 0; }
int paced_start(void *) { return 0; }
int paced_stop(void *) { return 0; }
int paced_read(void *, void *buf, int bytes) {
    static std::mt19937 rng(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    auto *s = static_cast<int16_t *>(buf);
    for (int i = 0; i < bytes / 2; ++i) s[i] = static_cast<int16_t>(static_cast<int>(rng() % 2001) - 1000);
    blocks_read.fetch_add(1);
    return bytes;
}

TEST(Threads, StopFromAnotherThreadEndsListeningWithinABlock) {
    const SndDriver ops = {paced_open, paced_close, paced_start, paced_stop, paced_read};
    ASSERT_EQ(snd_register(3, &ops), 0);
    const int n = rec_init(3, "");
    ASSERT_GT(n, 0);
    ASSERT_EQ(rec_start(n, 0), 0);

    std::atomic<int> result{1};
    std::thread listener([&] { result.store(rec_listen(n)); });
    while (blocks_read.load() < 20) {
        const int level = rec_level(n);
        EXPECT_GE(level, 0);
        EXPECT_LE(level, 100);
        rec_get_snr(n);
        rec_set_snr(n, 40.0f);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(rec_level(n), 0) << "noise at about -30 dBFS shows on the meter";
    EXPECT_EQ(rec_stop(n), 0);
    listener.join();
    EXPECT_EQ(result.load(), -7);
    EXPECT_EQ(rec_level(n), 0) << "no listening call in progress";
    EXPECT_EQ(rec_free(n), 0);
}

}  // namespace
