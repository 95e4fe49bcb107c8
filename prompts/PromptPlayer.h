// PromptPlayer.h — speaks the game's recorded prompts one after another.
//
// One worker thread plays a queue of prompt names ("m_szia.wav", "c_3.wav")
// synchronously with prompt_play_sync (playback.h), oldest first, so prompts
// never overlap and the GUI thread never waits for audio. The name being
// played stays at the front of the queue until it has finished. Between
// prompts the thread pauses 300 ms when exactly one more is waiting and
// 150 ms when exactly two are, and goes on at once otherwise.
//
// Play and PlayOnce are called from the GUI thread and return at once.
// PlayOnce queues a name only when the queue is empty or its last name
// differs (exact comparison), so a burst of "m_tessek.wav" is said once.
//
// Shutdown (also run by the destructor) asks the thread to end and joins
// it. The thread only looks at the request while its queue is empty, so
// every prompt queued before shutdown is still played. A name without a
// prompt plays nothing and is dropped like any other.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class PromptPlayer {
public:
    using PlayFn = std::function<int(const char *name)>;
    using SleepFn = std::function<void(int ms)>;

    static constexpr int kPauseOneLeftMs = 300;
    static constexpr int kPauseTwoLeftMs = 150;
    static constexpr int kIdleWaitMs = 1000;

    // play defaults to prompt_play_sync, sleep to a plain thread sleep;
    // tests inject both. The thread starts at once.
    explicit PromptPlayer(PlayFn play = nullptr, SleepFn sleep = nullptr);
    ~PromptPlayer();

    PromptPlayer(const PromptPlayer &) = delete;
    PromptPlayer &operator=(const PromptPlayer &) = delete;

    void Play(const std::string &name);
    void PlayOnce(const std::string &name);
    void Shutdown();  // drains the queue, then joins; safe to call twice

    int Pending() const;  // names queued, the one playing included

private:
    void Run();
    void Wake();

    std::deque<std::string> queue_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool signalled_ = false;  // an auto-reset signal, remembered once without a waiter
    bool cancel_ = false;
    PlayFn play_;
    SleepFn sleep_;
    std::thread thread_;
};
