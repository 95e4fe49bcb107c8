// The live capture driver against a private PulseAudio server.
#include "capture.h"
#include "capture_stream.h"
#include "pulse_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 20000;

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double rms(const std::vector<int16_t> &s) {
    double sum = 0;
    for (int16_t v : s) sum += double(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / s.size());
}

int ready_count(void *h) {
    auto *s = static_cast<CaptureStream *>(h);
    std::lock_guard<std::mutex> g(s->lock);
    return s->ready_count;
}

unsigned long completed(void *h) {
    auto *s = static_cast<CaptureStream *>(h);
    std::lock_guard<std::mutex> g(s->lock);
    return s->completed_total;
}

TEST(CaptureNoServer, StartFailsQuicklyAndCloseIsClean) {
    PulseServer::UseNoServer();
    void *h = nullptr;
    ASSERT_EQ(cap_open(&h, 2, kRate, ""), 0);
    auto t0 = Clock::now();
    EXPECT_EQ(cap_start(h), -1);
    EXPECT_LT(ms_since(t0), 500.0);
    EXPECT_EQ(static_cast<CaptureStream *>(h)->last_error.load(), wxSOUND_INVDEV);
    int16_t buf[2560];
    t0 = Clock::now();
    EXPECT_EQ(cap_read(h, buf, sizeof buf), 0) << "a stream that does not run must not block a reader";
    EXPECT_LT(ms_since(t0), 100.0);
    EXPECT_EQ(cap_close(h), 0);
}

TEST(CaptureNoServer, NullHandlesAndNoOps) {
    char buf[16];
    EXPECT_EQ(cap_start(nullptr), -1);
    EXPECT_EQ(cap_read(nullptr, buf, 16), -1);
    EXPECT_EQ(cap_close(nullptr), -1);
    EXPECT_EQ(cap_open(nullptr, 2, kRate, ""), -20);
    void *h = nullptr;
    ASSERT_EQ(cap_open(&h, 2, kRate, nullptr), 0);
    EXPECT_EQ(cap_stop(h), 0);
    EXPECT_EQ(cap_write(h, buf, 16), 0);
    EXPECT_EQ(cap_control(h, 1), 0);
    EXPECT_EQ(cap_close(h), 0);  // never started
}

class CaptureLive : public ::testing::Test {
protected:
    void SetUp() override {
        std::string err = server_.Start();
        ASSERT_TRUE(err.empty()) << err;
        ASSERT_EQ(cap_open(&h_, 2, kRate, ""), 0);
        ASSERT_EQ(cap_start(h_), 0);
        // Wait until audio flows, so timings below are the driver's own.
        std::vector<int16_t> buf(2560);
        ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
    }
    void TearDown() override {
        if (h_) {
            auto t0 = Clock::now();
            EXPECT_EQ(cap_close(h_), 0);
            EXPECT_LT(ms_since(t0), 1300.0);
        }
    }
    PulseServer server_;
    void *h_ = nullptr;
};

TEST_F(CaptureLive, ReadsWholeFragmentsInRealTime) {
    std::vector<int16_t> buf(2560);
    auto t0 = Clock::now();
    for (int i = 0; i < 8; ++i) ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
    // Eight fragments are 1024 ms of audio; the reader cannot outrun capture.
    EXPECT_GT(ms_since(t0), 700.0);
    EXPECT_LT(ms_since(t0), 2000.0);
    EXPECT_EQ(static_cast<CaptureStream *>(h_)->last_error.load(), wxSOUND_NOERR);
}

TEST_F(CaptureLive, CompletedFragmentsAreReadWithoutWaiting) {
    std::vector<int16_t> buf(2560);
    ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_GE(ready_count(h_), 3);
    auto t0 = Clock::now();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
    EXPECT_LT(ms_since(t0), 30.0);
}

TEST_F(CaptureLive, StarvesAfterTenUnreadFragmentsAndResumesOnRead) {
    EXPECT_EQ(cap_stop(h_), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    EXPECT_EQ(ready_count(h_), kCaptureFragments);
    const unsigned long starved_at = completed(h_);
    EXPECT_EQ(starved_at, 1ul + kCaptureFragments);  // SetUp read one
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(completed(h_), starved_at) << "nothing completes while every fragment waits for the reader";

    std::vector<int16_t> buf(2560);
    ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);  // hands one fragment back
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(completed(h_), starved_at + 1);
    EXPECT_EQ(ready_count(h_), kCaptureFragments);
}

TEST_F(CaptureLive, PlayedToneArrivesAtTheReader) {
    const std::string wav = server_.Dir() + "/tone.wav";
    ASSERT_TRUE(WriteToneWav(wav, 44100, 440.0, 16000, 1.0));
    std::vector<int16_t> buf(2560);
    ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
    EXPECT_LT(rms(buf), 50.0) << "the null sink's monitor is silent before anything plays";

    auto player = std::async(std::launch::async, [&] { return Paplay(wav); });
    double loudest = 0;
    for (int i = 0; i < 20; ++i) {  // 2.56 s of capture
        ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
        loudest = std::max(loudest, rms(buf));
    }
    EXPECT_EQ(player.get(), 0);
    // A 16000-amplitude sine has an RMS of about 11300.
    EXPECT_GT(loudest, 8000.0);
    EXPECT_LT(loudest, 14000.0);
}

TEST_F(CaptureLive, StopReleasesBlockedReaderWithShortRead) {
    std::vector<int16_t> buf(2560);
    // Drain what is ready so the next read has to wait.
    while (ready_count(h_) > 0) ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
    auto reader = std::async(std::launch::async, [&] {
        int n = 0;
        do n = cap_read(h_, buf.data(), 5120); while (n == 5120);
        return n;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cap_stop(h_);
    ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(500)), std::future_status::ready);
    EXPECT_GE(reader.get(), 0);
}

TEST_F(CaptureLive, ServerDeathReleasesReaderAndCloseDoesNotHang) {
    std::vector<int16_t> buf(2560);
    auto reader = std::async(std::launch::async, [&] {
        int n = 0;
        do n = cap_read(h_, buf.data(), 5120); while (n == 5120);
        return n;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server_.Crash();
    ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(2000)), std::future_status::ready)
        << "a reader must not outlive the server";
    EXPECT_LT(reader.get(), 5120);
    EXPECT_EQ(static_cast<CaptureStream *>(h_)->last_error.load(), wxSOUND_IOERR);
    // TearDown checks that cap_close returns within 1.3 s.
}

TEST_F(CaptureLive, RestartReconnectsWithFreshFragments) {
    std::vector<int16_t> buf(2560);
    ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(cap_start(h_), 0);
    EXPECT_LE(ready_count(h_), 1);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(cap_read(h_, buf.data(), 5120), 5120);
}

}  // namespace
