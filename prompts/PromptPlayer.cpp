#include "PromptPlayer.h"

#include <chrono>

#include "playback.h"

PromptPlayer::PromptPlayer(PlayFn play, SleepFn sleep)
    : play_(play ? std::move(play) : PlayFn(prompt_play_sync)),
      sleep_(sleep ? std::move(sleep)
                   : SleepFn([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); })) {
    thread_ = std::thread(&PromptPlayer::Run, this);
}

PromptPlayer::~PromptPlayer() { Shutdown(); }

void PromptPlayer::Wake() {
    signalled_ = true;
    wake_.notify_one();
}

void PromptPlayer::Play(const std::string &name) {
    std::lock_guard<std::mutex> hold(lock_);
    queue_.push_back(name);
    if (queue_.size() <= 1) Wake();
}

void PromptPlayer::PlayOnce(const std::string &name) {
    std::lock_guard<std::mutex> hold(lock_);
    if (queue_.empty() || queue_.back() != name) queue_.push_back(name);
    if (queue_.size() <= 1) Wake();
}

int PromptPlayer::Pending() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<int>(queue_.size());
}

void PromptPlayer::Shutdown() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        cancel_ = true;
        Wake();
    }
    if (thread_.joinable()) thread_.join();
}

void PromptPlayer::Run() {
    for (;;) {
        std::string name;
        {
            std::unique_lock<std::mutex> hold(lock_);
            while (queue_.empty()) {
                if (cancel_) return;
                wake_.wait_for(hold, std::chrono::milliseconds(kIdleWaitMs),
                               [this] { return signalled_; });
                signalled_ = false;
            }
            name = queue_.front();
        }
        play_(name.c_str());
        size_t left;
        {
            std::lock_guard<std::mutex> hold(lock_);
            queue_.pop_front();
            left = queue_.size();
        }
        if (left == 1)
            sleep_(kPauseOneLeftMs);
        else if (left == 2)
            sleep_(kPauseTwoLeftMs);
    }
}
