// The listening service: states, retries, events, and words through the
// real thread, with fake and memory drivers and the live capture driver.
#include "Listener.h"

#include "events.h"
#include "memdrv.h"
#include "nn.h"
#include "pulse_server.h"
#include "snd.h"
#include "test_util.h"
#include "words.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/log.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Posted {
    wxEventType type;
    int id;
    int value;
};

// Records the service's events as the GameWindow would receive them.
class EventLog : public wxEvtHandler {
public:
    EventLog() {
        for (wxEventType t : {kWordEvent, kListenStartedEvent, kListenEndedEvent, kHelpToggleEvent})
            Bind(wxEventTypeTag<wxCommandEvent>(t), &EventLog::OnEvent, this);
    }
    std::vector<Posted> events;
    int Count(wxEventType t) const {
        int n = 0;
        for (const Posted &p : events) n += p.type == t;
        return n;
    }

private:
    void OnEvent(wxCommandEvent &e) { events.push_back({e.GetEventType(), e.GetId(), e.GetInt()}); }
};

// Runs the GUI thread's event loop: timers, then queued events.
void Pump(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        wxEventLoopBase::GetActive()->DispatchTimeout(5);
        wxTheApp->ProcessPendingEvents();
    }
    wxTheApp->ProcessPendingEvents();
}

bool PumpUntil(const std::function<bool()> &done, int timeout_ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done() && Clock::now() < end) Pump(5);
    return done();
}

// The owner's ending sequence: Stop, join, destroy.
void EndListening(Listener *listener) {
    listener->Stop();
    listener->Delete();
    delete listener;
}

// A microphone driver under the test's control: silence in real-time-ish
// blocks, a start result to fail or succeed with, call counts.
struct FakeMic {
    std::atomic<int> open_result{0};
    std::atomic<int> start_result{0};
    std::atomic<int> starts{0};
    std::atomic<int> reads{0};
    std::atomic<int> block_ms{20};
} mic;

int mic_open(void **h, unsigned, int, const char *) {
    *h = &mic;
    return mic.open_result;
}
int mic_close(void *) { return 0; }
int mic_start(void *) {
    mic.starts++;
    return mic.start_result;
}
int mic_stop(void *) { return 0; }
int mic_read(void *, void *buf, int bytes) {
    mic.reads++;
    std::this_thread::sleep_for(std::chrono::milliseconds(mic.block_ms.load()));
    std::memset(buf, 0, bytes);
    return bytes;
}
constexpr int kFakeMicDriver = 3;
const SndDriver kFakeMicOps = {mic_open, mic_close, mic_start, mic_stop, mic_read};

class ListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        mic.open_result = 0;
        mic.start_result = 0;
        mic.starts = 0;
        mic.reads = 0;
        mic.block_ms = 20;
        ASSERT_EQ(snd_register(kFakeMicDriver, &kFakeMicOps), 0);
    }
    void TearDown() override {
        nn_install_image(0, nullptr, 0);
        nn_install_image(1, nullptr, 0);
        memdrv_set_source(nullptr, 0);
        Pump(0);
    }
    EventLog log_;
};

TEST_F(ListenerTest, DeliverWordMapsEveryClass) {
    struct Case {
        int cls;
        wxEventType type;
        int value;
    } cases[] = {
        {1, kWordEvent, 1},   {8, kWordEvent, 8},   {11, kWordEvent, 11},  {12, kWordEvent, 0},
        {13, kWordEvent, -3}, {14, kWordEvent, -2}, {15, kWordEvent, -1},  {16, kWordEvent, -4},
        {17, kWordEvent, -6}, {18, kWordEvent, -5}, {19, kHelpToggleEvent, 0},
        {20, kHelpToggleEvent, 0}, {0, kWordEvent, -7}, {21, kWordEvent, -7}, {-1, kWordEvent, -7},
    };
    for (const Case &c : cases) DeliverWord(&log_, c.cls);
    DeliverWord(nullptr, 5);  // no target: nothing, no crash
    Pump(0);
    ASSERT_EQ(log_.events.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("class " + std::to_string(cases[i].cls));
        EXPECT_EQ(log_.events[i].type, cases[i].type);
        EXPECT_EQ(log_.events[i].id, kGameWindowId);
        EXPECT_EQ(log_.events[i].value, cases[i].value);
    }
}

TEST_F(ListenerTest, FailedStartRetriesEverySecondUntilItSucceeds) {
    mic.start_result = -1;
    auto *l = new Listener(kFakeMicDriver);
    ASSERT_EQ(l->GetState(), Listener::kReady);
    l->SetWordSink(&log_, DeliverWord);
    l->Start();
    EXPECT_EQ(l->GetState(), Listener::kStartPending);
    Pump(2500);
    EXPECT_EQ(mic.starts.load(), 3) << "the first start and a retry after 1 s and 2 s";
    EXPECT_EQ(l->GetState(), Listener::kStartPending);
    EXPECT_EQ(log_.Count(kListenStartedEvent), 0);

    mic.start_result = 0;  // the microphone appears
    ASSERT_TRUE(PumpUntil([&] { return log_.Count(kListenStartedEvent) == 1; }, 1500));
    EXPECT_EQ(l->GetState(), Listener::kListening);
    EXPECT_EQ(mic.starts.load(), 4);
    EXPECT_NE(log_.events.back().id, 0) << "ListenStarted carries the thread id";
    Pump(1200);
    EXPECT_EQ(mic.starts.load(), 4) << "no retry once listening";

    EndListening(l);
    Pump(0);
    EXPECT_EQ(log_.Count(kListenEndedEvent), 1);
    EXPECT_EQ(log_.Count(kListenStartedEvent), 1);
}

TEST_F(ListenerTest, StopEndsRetriesAndStartStopOnlyActInTheirStates) {
    mic.start_result = -1;
    auto *l = new Listener(kFakeMicDriver);
    l->SetWordSink(&log_, DeliverWord);
    l->Stop();  // state 1: nothing
    EXPECT_EQ(l->GetState(), Listener::kReady);
    l->Start();
    l->Stop();
    EXPECT_EQ(l->GetState(), Listener::kReady);
    Pump(1300);
    EXPECT_EQ(mic.starts.load(), 1) << "Stop disarms the retry timer";

    mic.start_result = 0;
    l->Start();
    EXPECT_EQ(l->GetState(), Listener::kListening);
    l->Start();  // state 3: nothing
    EXPECT_EQ(mic.starts.load(), 2);
    EndListening(l);
}

TEST_F(ListenerTest, DestroyAfterStopAnnouncesEndOnceUnlessCleared) {
    auto *l = new Listener(kFakeMicDriver);
    l->SetWordSink(&log_, DeliverWord);
    l->Start();
    EndListening(l);
    Pump(0);
    EXPECT_EQ(log_.Count(kListenEndedEvent), 1);

    EventLog quiet;
    l = new Listener(kFakeMicDriver);
    l->SetWordSink(&quiet, DeliverWord);
    l->Start();
    l->SetAnnounceEnd(false);  // application shutdown
    EndListening(l);
    Pump(0);
    EXPECT_EQ(quiet.Count(kListenEndedEvent), 0);
    EXPECT_EQ(quiet.Count(kListenStartedEvent), 1);
}

TEST_F(ListenerTest, JoinAfterStopIsPrompt) {
    mic.block_ms = 128;  // blocks arrive at capture pace
    auto *l = new Listener(kFakeMicDriver);
    l->SetWordSink(&log_, DeliverWord);
    l->Start();
    Pump(300);
    EXPECT_GT(mic.reads.load(), 0);
    const auto t0 = Clock::now();
    EndListening(l);
    EXPECT_LT(MsSince(t0), 400.0);
}

TEST_F(ListenerTest, WithoutRecogniserEverythingIsHarmless) {
    mic.open_result = -20;
    auto *l = new Listener(kFakeMicDriver);
    EXPECT_EQ(l->GetState(), Listener::kNoRecogniser);
    l->SetWordSink(&log_, DeliverWord);
    l->Start();
    l->Stop();
    EXPECT_EQ(l->GetState(), Listener::kNoRecogniser);
    EXPECT_EQ(l->Level(), -1);
    EXPECT_EQ(l->Sensitivity(), -1.0f);
    EXPECT_EQ(l->SetSensitivity(20.0f), -2);
    EXPECT_EQ(mic.starts.load(), 0);
    EndListening(l);
    Pump(1200);
    EXPECT_TRUE(log_.events.empty());
}

TEST_F(ListenerTest, SensitivityAndLevelPassThrough) {
    auto *l = new Listener(kFakeMicDriver);
    EXPECT_EQ(l->Sensitivity(), 30.0f);
    EXPECT_EQ(l->SetSensitivity(45.0f), 0);
    EXPECT_EQ(l->Sensitivity(), 45.0f);
    EXPECT_EQ(l->SetSensitivity(0.0f), -1);
    EXPECT_EQ(l->SetSensitivity(70.5f), -1);
    EXPECT_EQ(l->Sensitivity(), 45.0f);
    l->Start();
    Pump(200);
    EXPECT_EQ(l->Level(), 0) << "silence";
    EndListening(l);
}

// A noise burst through the memory driver with test networks that call
// every word `cls`; the thread delivers it, then ends on the driver's short
// reads (state 4).
void HearOneWord(EventLog &log, int cls) {
    const std::vector<float> n0 = testutil::middle_loud_net0(), n1 = testutil::constant_net1(cls);
    ASSERT_EQ(nn_install_image(0, n0.data(), n0.size()), 0);
    ASSERT_EQ(nn_install_image(1, n1.data(), n1.size()), 0);
    const std::vector<int16_t> sound = testutil::burst(300, 100, 160, 30000);
    memdrv_set_source(sound.data(), sound.size());
    auto *l = new Listener(MEMDRV_DRIVER);
    ASSERT_EQ(l->GetState(), Listener::kReady);
    l->SetWordSink(&log, DeliverWord);
    l->Start();
    ASSERT_TRUE(PumpUntil([&] { return l->GetState() == Listener::kEnded; }, 5000));
    l->Start();  // state 4: nothing
    l->Stop();
    EXPECT_EQ(l->GetState(), Listener::kEnded);
    EndListening(l);
    Pump(0);
}

TEST_F(ListenerTest, SpokenWordArrivesAsWordEvent) {
    HearOneWord(log_, 16);  // "rendben"
    ASSERT_EQ(log_.Count(kWordEvent), 1);
    for (const Posted &p : log_.events) {
        if (p.type == kWordEvent) {
            EXPECT_EQ(p.value, kWordEvaluate);
        }
    }
    EXPECT_EQ(log_.Count(kListenStartedEvent), 1);
    EXPECT_EQ(log_.Count(kListenEndedEvent), 1);
}

TEST_F(ListenerTest, HelpWordArrivesAsHelpToggle) {
    HearOneWord(log_, 20);  // "segítség"
    EXPECT_EQ(log_.Count(kHelpToggleEvent), 1);
    EXPECT_EQ(log_.Count(kWordEvent), 0);
}

TEST(ListenerNoServer, StartStaysPendingWithoutPostingStarted) {
    PulseServer::UseNoServer();
    EventLog log;
    auto *l = new Listener();  // the live capture driver
    ASSERT_EQ(l->GetState(), Listener::kReady);
    l->SetWordSink(&log, DeliverWord);
    l->Start();
    EXPECT_EQ(l->GetState(), Listener::kStartPending);
    Pump(2200);
    EXPECT_EQ(l->GetState(), Listener::kStartPending);
    EXPECT_EQ(log.Count(kListenStartedEvent), 0);
    const auto t0 = Clock::now();
    EndListening(l);
    EXPECT_LT(MsSince(t0), 300.0);
}

TEST(ListenerLive, ListensOnPrivateServerAndJoinsPromptly) {
    PulseServer server;
    const std::string err = server.Start();
    ASSERT_TRUE(err.empty()) << err;
    EventLog log;
    auto *l = new Listener();
    ASSERT_EQ(l->GetState(), Listener::kReady);
    l->SetWordSink(&log, DeliverWord);
    l->Start();
    EXPECT_EQ(l->GetState(), Listener::kListening);
    Pump(700);
    EXPECT_EQ(log.Count(kListenStartedEvent), 1);
    const int level = l->Level();
    EXPECT_GE(level, 0);
    EXPECT_LE(level, 100);
    const auto t0 = Clock::now();
    EndListening(l);
    EXPECT_LT(MsSince(t0), 400.0);
    Pump(0);
    EXPECT_EQ(log.Count(kListenEndedEvent), 1);
}

}  // namespace

class ListenerTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

wxIMPLEMENT_APP_NO_MAIN(ListenerTestApp);

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();  // test discovery, no display
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the GUI library (no display?)\n");
        return 1;
    }
    wxLog::EnableLogging(false);  // as the game does
    int rc = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator active(&loop);
        rc = RUN_ALL_TESTS();
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    return rc;
}
