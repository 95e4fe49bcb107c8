// Listening allocates nothing: every operator new in the process is counted
// while rec_listen runs over a stream with several words.
#include "ep.h"
#include "memdrv.h"
#include "nn.h"
#include "rec.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

void *operator new(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t n) { return operator new(n); }
void *operator new(std::size_t n, const std::nothrow_t &) noexcept {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n ? n : 1);
}
void *operator new[](std::size_t n, const std::nothrow_t &t) noexcept { return operator new(n, t); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(Allocation, ListeningAllocatesNothingAfterInit) {
    const std::vector<float> n0 = testutil::middle_loud_net0(), n1 = testutil::constant_net1(3);
    ASSERT_EQ(nn_install_image(0, n0.data(), n0.size()), 0);
    ASSERT_EQ(nn_install_image(1, n1.data(), n1.size()), 0);
    // Three bursts, one longer than the ring.
    std::vector<int16_t> sound = testutil::burst(1400, 100, 150, 30000, 1);
    const std::vector<int16_t> more = testutil::burst(1400, 300, 360, 30000, 2);
    const std::vector<int16_t> longer = testutil::burst(1400, 500, 1000, 30000, 3);
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = static_cast<int16_t>(sound[i] + more[i] + longer[i]);

    memdrv_set_source(sound.data(), sound.size());
    const int n = rec_init(MEMDRV_DRIVER, "");
    ASSERT_GT(n, 0);
    ASSERT_EQ(rec_start(n, 0), 0);

    int results[8];
    int count = 0;
    const long before = allocations.load();
    while (count < 8) {
        results[count] = rec_listen(n);
        rec_level(n);
        if (results[count++] == -4) break;
    }
    const long during = allocations.load() - before;

    EXPECT_EQ(during, 0);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(results[0], 3);
    EXPECT_EQ(results[1], 3);
    EXPECT_EQ(results[2], -2);
    EXPECT_EQ(results[3], -4);
    rec_stop(n);
    rec_free(n);
    nn_install_image(0, nullptr, 0);
    nn_install_image(1, nullptr, 0);
}

}  // namespace
