// Listener.h — the listening service: microphone words as window events.
//
// A Listener owns one recogniser instance (rec.h) on the live capture
// driver and a joinable thread that asks it for one word after another.
// Every recognised class goes to the word callback, normally DeliverWord,
// which posts a WordEvent (or a HelpToggleEvent) to the target window; the
// window handles it later on the GUI thread. The Listener also posts
// ListenStartedEvent when capture runs and ListenEndedEvent when it is
// destroyed, and retries a failed start once a second.
//
// States (GetState()):
//   0  no recogniser (rec_init failed); inert, every call does nothing
//   1  ready: instance open, thread running, not listening
//   2  start pending: the last Start failed, RetryTimer armed (1000 ms)
//   3  listening; ListenStartedEvent posted
//   4  the thread ended by itself (device error or short read); words stop
//
// Events posted to the target (wxCommandEvent, queued, see game/events.h):
//   kWordEvent          id kGameWindowId, int = WordCode
//   kHelpToggleEvent    id kGameWindowId, int 0
//   kListenStartedEvent id = listening thread id, int 0
//   kListenEndedEvent   id = listening thread id, int 0
//
// How the owner (GameWindow) drives it, on the GUI thread, in this order:
//
//   StartListening:
//     listener = new Listener();            // state 1, or 0 without a recogniser
//     if (listener->GetState() == Listener::kNoRecogniser) -> run without voice
//       (the object is still valid and must be destroyed as below)
//     listener->SetWordSink(this, DeliverWord);
//     listener->Start();                    // ListenStartedEvent, or retries
//     stored >= 0 ? listener->SetSensitivity(stored)
//                 : stored = listener->Sensitivity();
//   Meter timer (50 ms), while listening:  listener->Level()
//   Up/Down keys:                          listener->SetSensitivity(db)
//   StopListening:
//     stored = listener->Sensitivity();
//     listener->Stop();
//     listener->Delete();                   // asks the thread to end and joins it
//     delete listener;                      // rec_free, then ListenEndedEvent
//     listener = nullptr;
//   Destructor: first listener->SetAnnounceEnd(false), then StopListening,
//   so nothing is posted to a window that is being destroyed.
//
// The join in Delete() returns within about 130 ms: capture fragments are
// completed by the capture driver's own thread and Stop releases a pending
// read, so the GUI thread need not dispatch anything while it waits.
// Destruction takes a few milliseconds more (disconnecting from the sound
// server). The destructor also cancels and joins a thread the owner has not
// joined, and joins one that ended by itself (state 4), which Delete leaves
// unjoined.
#pragma once

#include <wx/thread.h>
#include <wx/timer.h>

#include <atomic>

class wxEvtHandler;
class Listener;

// Word callback: called on the listening thread with each recogniser class
// (0..20); must not touch game state.
using WordSink = void (*)(wxEvtHandler *target, int cls);

// The program's word callback: classes 1..18 become WordEvents with
// ClassToWord(cls), 19 and 20 a HelpToggleEvent, anything else a WordEvent
// with kWordUnrecognised (-7). Posts nothing when target is null.
void DeliverWord(wxEvtHandler *target, int cls);

// One-shot timer whose notification calls the owner's Start.
class RetryTimer : public wxTimer {
public:
    explicit RetryTimer(Listener *owner) : owner_(owner) {}
    void Notify() override;

private:
    Listener *owner_;
};

class Listener : public wxThread {
public:
    enum State { kNoRecogniser = 0, kReady = 1, kStartPending = 2, kListening = 3, kEnded = 4 };
    static constexpr int kCaptureDriver = 1;   // the live capture driver
    static constexpr int kRetryMs = 1000;      // a failed start is retried this often
    static constexpr int kStoppedPollMs = 100; // thread's poll while the instance is stopped

    // Opens a recogniser instance on the driver (tests pass a fake driver)
    // and starts the thread.
    explicit Listener(int driver = kCaptureDriver);
    ~Listener() override;

    void SetWordSink(wxEvtHandler *target, WordSink callback);
    void Start();   // states 1, 2: rec_start; 3 and ListenStarted, or 2 and retry
    void Stop();    // states 2, 3: stop retrying, rec_stop, state 1; posts nothing

    int Level() const;                 // 0..100, -1 without a recogniser
    float Sensitivity() const;         // dB, -1.0 without a recogniser
    int SetSensitivity(float db);      // 0; -1 outside 0 < db <= 70; -2 without a recogniser

    int GetState() const { return state_.load(std::memory_order_relaxed); }
    void SetAnnounceEnd(bool announce) { announce_end_.store(announce, std::memory_order_relaxed); }
    bool AnnounceEnd() const { return announce_end_.load(std::memory_order_relaxed); }

protected:
    ExitCode Entry() override;
    void OnExit() override {}

private:
    void Post(wxEventType type) const;

    std::atomic<int> state_{kNoRecogniser};
    RetryTimer *retry_ = nullptr;
    std::atomic<bool> announce_end_{false};
    std::atomic<WordSink> callback_{nullptr};
    std::atomic<wxEvtHandler *> target_{nullptr};
    int instance_ = -1;
    int thread_id_ = 0;
    bool thread_created_ = false;
};
