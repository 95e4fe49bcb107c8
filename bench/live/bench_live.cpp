// bench_live — the listening service's two live figures.
//
// WordLatency: a paced driver serves a recording of words (voiced bursts
// between quiet gaps) in 128 ms blocks at the wall-clock pace of a real
// microphone; each event the Listener posts is timed on the main thread,
// against the moment the last sample of the word before it was "spoken".
// Median and worst over the words. Bound by design: 19 silent frames
// (243 ms) to close a word plus up to one block (128 ms).
//
// ListenCpu: a Listener on the live capture driver listening to the
// silence of a private PulseAudio server's null sink for 10 s; CPU time of
// this process (capture thread, listening thread, a 50 ms meter poll) as a
// percentage of one core.
#include "Listener.h"

#include "events.h"
#include "pulse_server.h"
#include "snd.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <wx/app.h>
#include <wx/init.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 20000;
constexpr int kBlockSamples = 2560;
constexpr int kWords = 20;
constexpr double kWordSeconds = 0.55;
constexpr double kGapSeconds = 1.25;
constexpr double kLeadSeconds = 1.0;
constexpr int kCpuSeconds = 10;
constexpr int kMeterPollMs = 50;

// The recording: quiet room noise with voiced bursts (a 140 Hz buzz with
// harmonics and a syllable-like envelope).
struct Recording {
    std::vector<int16_t> samples;
    std::vector<size_t> word_end;  // index one past each word's last sample
};

Recording MakeRecording() {
    Recording r;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> room(-40, 40);
    const size_t lead = static_cast<size_t>(kLeadSeconds * kRate);
    const size_t word = static_cast<size_t>(kWordSeconds * kRate);
    const size_t gap = static_cast<size_t>(kGapSeconds * kRate);
    r.samples.assign(lead + kWords * (word + gap), 0);
    for (int16_t &s : r.samples) s = static_cast<int16_t>(room(rng));
    for (int w = 0; w < kWords; ++w) {
        const size_t start = lead + w * (word + gap);
        for (size_t i = 0; i < word; ++i) {
            const double t = double(i) / kRate;
            const double env = std::sin(M_PI * i / word);
            double v = 0;
            for (int h = 1; h <= 12; ++h) v += std::sin(2 * M_PI * 140.0 * h * t) / h;
            r.samples[start + i] = static_cast<int16_t>(9000.0 * env * v / 2.0 + room(rng));
        }
        r.word_end.push_back(start + word);
    }
    return r;
}

// Driver 3: the recording at microphone pace, then silence.
struct PacedMic {
    const Recording *rec = nullptr;
    size_t pos = 0;
    Clock::time_point t0;
} paced;

int paced_open(void **h, unsigned, int, const char *) {
    *h = &paced;
    return 0;
}
int paced_close(void *) { return 0; }
int paced_start(void *) {
    paced.pos = 0;
    paced.t0 = Clock::now();
    return 0;
}
int paced_stop(void *) { return 0; }
int paced_read(void *, void *buf, int bytes) {
    const int n = std::min(bytes / 2, kBlockSamples);
    // A block is available once its last sample has been "spoken".
    const auto due = paced.t0 + std::chrono::microseconds((paced.pos + n) * 1000000 / kRate);
    std::this_thread::sleep_until(due);
    auto *out = static_cast<int16_t *>(buf);
    for (int i = 0; i < n; ++i, ++paced.pos)
        out[i] = paced.pos < paced.rec->samples.size() ? paced.rec->samples[paced.pos] : 0;
    return n * 2;
}
constexpr int kPacedDriver = 3;
const SndDriver kPacedOps = {paced_open, paced_close, paced_start, paced_stop, paced_read};

// Receives the Listener's events on the main thread.
class Arrivals : public wxEvtHandler {
public:
    Arrivals() {
        for (wxEventType t : {kWordEvent, kHelpToggleEvent})
            Bind(wxEventTypeTag<wxCommandEvent>(t), &Arrivals::OnWord, this);
    }
    std::vector<Clock::time_point> times;

private:
    void OnWord(wxCommandEvent &) { times.push_back(Clock::now()); }
};

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1) + 0.5)];
}

void BM_WordLatency(benchmark::State &state) {
    static const Recording rec = MakeRecording();
    snd_register(kPacedDriver, &kPacedOps);
    paced.rec = &rec;
    for (auto _ : state) {
        Arrivals arrivals;
        auto *listener = new Listener(kPacedDriver);
        if (listener->GetState() != Listener::kReady) {
            state.SkipWithError("the recogniser did not initialise");
            delete listener;
            return;
        }
        listener->SetWordSink(&arrivals, DeliverWord);
        listener->Start();
        const auto end = paced.t0 + std::chrono::milliseconds(
                                        static_cast<int>(1000.0 * rec.samples.size() / kRate) + 800);
        while (Clock::now() < end) {
            wxTheApp->ProcessPendingEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        listener->Stop();
        listener->Delete();
        delete listener;

        // Each event belongs to the latest word that ended before it.
        std::vector<double> latency;
        size_t w = 0;
        for (const auto &t : arrivals.times) {
            while (w + 1 < rec.word_end.size() &&
                   paced.t0 + std::chrono::microseconds(rec.word_end[w + 1] * 1000000 / kRate) < t)
                ++w;
            const auto spoken = paced.t0 + std::chrono::microseconds(rec.word_end[w] * 1000000 / kRate);
            if (spoken < t) latency.push_back(std::chrono::duration<double, std::milli>(t - spoken).count());
        }
        state.SetIterationTime(1.0);
        if (latency.empty()) {
            state.SkipWithError("no word event arrived");
            return;
        }
        state.counters["words"] = kWords;
        state.counters["events"] = static_cast<double>(latency.size());
        state.counters["median_ms"] = Percentile(latency, 0.5);
        state.counters["worst_ms"] = *std::max_element(latency.begin(), latency.end());
        std::printf("word latency: %zu events for %d words, median %.0f ms, worst %.0f ms\n",
                    latency.size(), kWords, Percentile(latency, 0.5),
                    *std::max_element(latency.begin(), latency.end()));
    }
}
BENCHMARK(BM_WordLatency)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

void BM_ListenCpu(benchmark::State &state) {
    for (auto _ : state) {
        PulseServer server;
        const std::string err = server.Start();
        if (!err.empty()) {
            state.SkipWithError(err.c_str());
            return;
        }
        auto *listener = new Listener();
        listener->Start();
        if (listener->GetState() != Listener::kListening) {
            state.SkipWithError("capture did not start on the private server");
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));  // settle
            const double cpu0 = CpuSeconds();
            const auto t0 = Clock::now();
            while (Clock::now() - t0 < std::chrono::seconds(kCpuSeconds)) {
                benchmark::DoNotOptimize(listener->Level());
                wxTheApp->ProcessPendingEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(kMeterPollMs));
            }
            const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
            const double percent = 100.0 * (CpuSeconds() - cpu0) / wall;
            state.SetIterationTime(wall);
            state.counters["cpu_percent"] = percent;
            std::printf("listening to silence: %.2f %% of one core over %.0f s\n", percent, wall);
        }
        listener->Stop();
        listener->Delete();
        delete listener;
    }
}
BENCHMARK(BM_ListenCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char **argv) {
    wxInitializer wx;  // console: event queues without a display
    if (!wx.IsOk()) {
        std::fprintf(stderr, "cannot initialise the GUI library\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
