// Prompt playback against a private PulseAudio server.
#include "playback.h"
#include "pulse_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// An A-law prompt of the program's format (20000 Hz, 8 bits, mono).
std::vector<unsigned char> alaw_prompt(int samples) {
    std::vector<unsigned char> f;
    auto id = [&](const char *s) { f.insert(f.end(), s, s + 4); };
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.push_back(static_cast<unsigned char>(v >> (8 * i))); };
    auto u16 = [&](uint16_t v) { f.push_back(static_cast<unsigned char>(v)); f.push_back(static_cast<unsigned char>(v >> 8)); };
    id("RIFF"); u32(36 + samples); id("WAVE");
    id("fmt "); u32(16); u16(6); u16(1); u32(20000); u32(20000); u16(1); u16(8);
    id("data"); u32(samples);
    for (int i = 0; i < samples; ++i) f.push_back(static_cast<unsigned char>((i / 20) % 2 ? 0xAA : 0x2A));
    return f;
}

TEST(PlaybackNoServer, ReturnsAtOnce) {
    PulseServer::UseNoServer();
    auto prompt = alaw_prompt(20000);
    auto t0 = Clock::now();
    EXPECT_EQ(prompt_play_wave(prompt.data(), prompt.size()), -3);
    EXPECT_EQ(prompt_play_wave(prompt.data(), prompt.size()), -3);
    EXPECT_LT(ms_since(t0), 300.0);
}

TEST(PlaybackNoServer, MissingNameAndBadDataReturnAtOnce) {
    PulseServer::UseNoServer();
    EXPECT_EQ(prompt_play_sync("no_such_prompt.wav"), -1);
    EXPECT_EQ(prompt_play_sync(nullptr), -1);
    auto prompt = alaw_prompt(2000);
    prompt.resize(prompt.size() - 100);  // truncated
    EXPECT_EQ(prompt_play_wave(prompt.data(), prompt.size()), -2);
}

class PlaybackLive : public ::testing::Test {
protected:
    void SetUp() override {
        std::string err = server_.Start();
        ASSERT_TRUE(err.empty()) << err;
    }
    PulseServer server_;
};

TEST_F(PlaybackLive, PlaysForAboutTheDuration) {
    auto prompt = alaw_prompt(16000);  // 0.8 s
    auto t0 = Clock::now();
    EXPECT_EQ(prompt_play_wave(prompt.data(), prompt.size()), 0);
    const double ms = ms_since(t0);
    EXPECT_GT(ms, 700.0);
    EXPECT_LT(ms, 1300.0);
}

TEST_F(PlaybackLive, PromptsPlayOneAfterAnother) {
    auto prompt = alaw_prompt(6000);  // 0.3 s
    auto t0 = Clock::now();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(prompt_play_wave(prompt.data(), prompt.size()), 0);
    EXPECT_GT(ms_since(t0), 850.0);
}

TEST_F(PlaybackLive, MissingNameReturnsAtOnce) {
    auto t0 = Clock::now();
    EXPECT_EQ(prompt_play_sync("m_nosuch.wav"), -1);
    EXPECT_LT(ms_since(t0), 50.0);
}

TEST_F(PlaybackLive, ServerGoneMidwayIsNoOutputNotAHang) {
    auto prompt = alaw_prompt(60000);  // 3 s
    server_.Crash();
    auto t0 = Clock::now();
    EXPECT_EQ(prompt_play_wave(prompt.data(), prompt.size()), -3);
    EXPECT_LT(ms_since(t0), 300.0);
}

TEST_F(PlaybackLive, FrozenServerCostsOneTimeoutThenDropsAtOnce) {
    auto prompt = alaw_prompt(6000);
    server_.Freeze(true);
    auto t0 = Clock::now();
    EXPECT_EQ(prompt_play_wave(prompt.data(), prompt.size()), -3);
    EXPECT_LT(ms_since(t0), 1500.0);
    t0 = Clock::now();
    EXPECT_EQ(prompt_play_wave(prompt.data(), prompt.size()), -3);
    EXPECT_LT(ms_since(t0), 50.0) << "the next prompt is dropped without asking again";
    server_.Freeze(false);
}

}  // namespace
