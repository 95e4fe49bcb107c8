// Listener.cpp — the listening thread and its owner-side controls.
#include "Listener.h"

#include "events.h"
#include "rec.h"
#include "words.h"

#include <wx/event.h>
#include <wx/utils.h>

namespace {

constexpr int kListenPriority = 100;   // highest band: reading must keep pace with capture
constexpr int kNoBudget = 0;           // rec_start: listen without a time limit

// rec_listen results the thread reacts to (rec.h).
constexpr int kListenStopped = -7;
constexpr int kListenNoInstance = -5;
constexpr int kListenReadFailed = -6;
constexpr int kListenShortRead = -4;

}  // namespace

void DeliverWord(wxEvtHandler *target, int cls) {
    if (!target) return;
    wxCommandEvent event(kWordEvent, kGameWindowId);
    if (IsHelpClass(cls))
        event.SetEventType(kHelpToggleEvent);
    else
        event.SetInt(ClassToWord(cls));
    wxQueueEvent(target, event.Clone());
}

void RetryTimer::Notify() { owner_->Start(); }

Listener::Listener(int driver) : wxThread(wxTHREAD_JOINABLE) {
    const int instance = rec_init(driver, "");
    if (instance < 0) return;  // state 0: no thread, no timer
    instance_ = instance;
    announce_end_ = true;
    state_ = kReady;
    if (Create() != wxTHREAD_NO_ERROR) {
        state_ = kEnded;  // no thread to listen with; destruction still frees the instance
    } else {
        thread_created_ = true;
        thread_id_ = static_cast<int>(GetId());
        SetPriority(kListenPriority);
        if (Run() != wxTHREAD_NO_ERROR) state_ = kEnded;
    }
    retry_ = new RetryTimer(this);
}

Listener::~Listener() {
    if (instance_ < 0) return;
    delete retry_;
    if (thread_created_) {
        // The owner has cancelled and joined the thread already. A thread
        // that ended on its own is not joined by Delete, so join it here.
        Delete();
        Wait();
    }
    // The thread may have ended on its own while capture ran: stop first,
    // or rec_free would refuse and leave the device open.
    rec_stop(instance_);
    rec_free(instance_);
    if (AnnounceEnd()) Post(kListenEndedEvent);
}

void Listener::SetWordSink(wxEvtHandler *target, WordSink callback) {
    target_ = target;
    callback_ = callback;
}

void Listener::Post(wxEventType type) const {
    wxEvtHandler *target = target_.load();
    if (!target) return;
    wxCommandEvent event(type, thread_id_);
    target->AddPendingEvent(event);
}

void Listener::Start() {
    int state = GetState();
    if (state != kReady && state != kStartPending) return;
    const bool started = rec_start(instance_, kNoBudget) == 0;
    // The thread may have ended meanwhile; state 4 then stays.
    if (!state_.compare_exchange_strong(state, started ? kListening : kStartPending)) {
        if (started) rec_stop(instance_);
        return;
    }
    if (started)
        Post(kListenStartedEvent);
    else
        retry_->StartOnce(kRetryMs);
}

void Listener::Stop() {
    int state = GetState();
    if (state != kStartPending && state != kListening) return;
    retry_->Stop();
    rec_stop(instance_);
    state_.compare_exchange_strong(state, kReady);
}

int Listener::Level() const { return instance_ < 0 ? -1 : rec_level(instance_); }

float Listener::Sensitivity() const { return instance_ < 0 ? -1.0f : rec_get_snr(instance_); }

int Listener::SetSensitivity(float db) { return instance_ < 0 ? -2 : rec_set_snr(instance_, db); }

wxThread::ExitCode Listener::Entry() {
    while (GetState() != kNoRecogniser) {
        const int r = rec_listen(instance_);
        if (TestDestroy()) break;  // a word heard while cancelling is dropped
        if (r >= 0) {
            if (WordSink sink = callback_.load()) sink(target_.load(), r);
            continue;
        }
        wxThread::Yield();
        if (r == kListenStopped || r == kListenNoInstance) {
            wxMilliSleep(kStoppedPollMs);
        } else if (r == kListenReadFailed || r == kListenShortRead) {
            break;
        }
    }
    state_ = kEnded;
    return nullptr;
}
