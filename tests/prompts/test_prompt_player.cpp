#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PromptPlayer.h"

namespace {

// A fake sound device: records what was played and the pauses between, and
// can hold the first prompt until the test lets it go.
class FakeDevice {
public:
    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> hold(m_);
        return events_;
    }
    void HoldFirst() { holding_ = true; }
    void Release() {
        std::lock_guard<std::mutex> hold(m_);
        holding_ = false;
        cv_.notify_all();
    }
    void WaitPlaying() {
        std::unique_lock<std::mutex> hold(m_);
        cv_.wait(hold, [this] { return !events_.empty(); });
    }
    PromptPlayer::PlayFn Play() {
        return [this](const char *name) {
            std::unique_lock<std::mutex> hold(m_);
            events_.push_back(name);
            cv_.notify_all();
            cv_.wait(hold, [this] { return !holding_; });
            return 0;
        };
    }
    PromptPlayer::SleepFn Sleep() {
        return [this](int ms) {
            std::lock_guard<std::mutex> hold(m_);
            events_.push_back("pause " + std::to_string(ms));
        };
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::string> events_;
    bool holding_ = false;
};

using Events = std::vector<std::string>;

TEST(PromptPlayer, PlaysInOrderWithShorterPausesWhenMoreWait) {
    FakeDevice dev;
    dev.HoldFirst();
    {
        PromptPlayer player(dev.Play(), dev.Sleep());
        player.Play("a.wav");
        dev.WaitPlaying();
        player.Play("b.wav");
        player.Play("c.wav");
        player.Play("d.wav");
        dev.Release();
    }
    EXPECT_EQ(dev.Events(),
              (Events{"a.wav", "b.wav", "pause 150", "c.wav", "pause 300", "d.wav"}));
}

TEST(PromptPlayer, PlayOnceSkipsARepeatOfTheLastQueuedName) {
    FakeDevice dev;
    dev.HoldFirst();
    {
        PromptPlayer player(dev.Play(), dev.Sleep());
        player.PlayOnce("m_tessek.wav");
        dev.WaitPlaying();
        player.PlayOnce("m_tessek.wav");  // still playing, still last: not again
        EXPECT_EQ(player.Pending(), 1);
        player.Play("x.wav");
        player.PlayOnce("m_tessek.wav");  // after a different name: queued
        player.PlayOnce("m_tessek.wav");
        player.PlayOnce("M_TESSEK.WAV");  // case counts
        EXPECT_EQ(player.Pending(), 4);
        dev.Release();
    }
    // Three left after the first: no pause; then two (150 ms), then one (300 ms).
    EXPECT_EQ(dev.Events(), (Events{"m_tessek.wav", "x.wav", "pause 150", "m_tessek.wav", "pause 300",
                                    "M_TESSEK.WAV"}));
}

TEST(PromptPlayer, ShutdownDrainsTheQueueFirst) {
    FakeDevice dev;
    dev.HoldFirst();
    PromptPlayer player(dev.Play(), [](int) {});
    for (const char *n : {"1.wav", "2.wav", "3.wav", "4.wav", "5.wav"}) player.Play(n);
    dev.WaitPlaying();
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        dev.Release();
    });
    player.Shutdown();
    releaser.join();
    EXPECT_EQ(dev.Events(), (Events{"1.wav", "2.wav", "3.wav", "4.wav", "5.wav"}));
    EXPECT_EQ(player.Pending(), 0);
    player.Shutdown();  // second call is harmless
}

TEST(PromptPlayer, IdlePlayerWakesForANewNameAndStopsPromptly) {
    FakeDevice dev;
    PromptPlayer player(dev.Play(), dev.Sleep());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    player.Play("late.wav");
    dev.WaitPlaying();
    auto start = std::chrono::steady_clock::now();
    player.Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900))
        << "an idle player must not sit out its 1 s wait";
    EXPECT_EQ(dev.Events(), (Events{"late.wav"}));
}

TEST(PromptPlayer, MissingPromptIsSkippedSilently) {
    // The real playback: no such resource, returns at once.
    PromptPlayer player(nullptr, [](int) {});
    player.Play("no_such_prompt.wav");
    player.Play("neither.wav");
    player.Shutdown();
    EXPECT_EQ(player.Pending(), 0);
}

}  // namespace
