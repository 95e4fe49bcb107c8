// augment.cpp — sessions: utterances in a room, through a microphone.
#include "augment.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kRate = kCorpusRate;

const char *const kNoiseNames[kNoiseKinds] = {"white", "pink", "brown", "hum", "babble", "fan"};

// RBJ biquad, direct form I.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    static Biquad pass(bool high, double fc, double q = 0.7071) {
        Biquad f;
        double w = 2 * kPi * fc / kRate, c = std::cos(w), al = std::sin(w) / (2 * q);
        double a0 = 1 + al;
        if (high) {
            f.b0 = (1 + c) / 2 / a0; f.b1 = -(1 + c) / a0; f.b2 = (1 + c) / 2 / a0;
        } else {
            f.b0 = (1 - c) / 2 / a0; f.b1 = (1 - c) / a0; f.b2 = (1 - c) / 2 / a0;
        }
        f.a1 = -2 * c / a0; f.a2 = (1 - al) / a0;
        return f;
    }
    double run(double x) {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1; x1 = x; y2 = y1; y1 = y;
        return y;
    }
};

// The microphone: a chain of biquads and a first-order tilt.
struct Mic {
    std::vector<Biquad> stages;
    double tiltA = 0;     // > 0: pre-emphasis x - a x[-1]; < 0: one-pole low-pass
    double prevX = 0, prevY = 0;
    void apply(std::vector<float> &x) {
        for (float &v : x) {
            double s = v;
            for (Biquad &b : stages) s = b.run(s);
            if (tiltA > 0) { double y = s - tiltA * prevX; prevX = s; s = y; }
            else if (tiltA < 0) { prevY = s + (-tiltA) * prevY; s = prevY * (1 + tiltA); }
            v = (float)s;
        }
    }
};

Mic mic_of(const Room &r, Rng &rng) {
    Mic m;
    switch (r.mic) {
    case kMicFlat: m.stages = {Biquad::pass(true, 50)}; break;
    case kMicCheap:
        m.stages = {Biquad::pass(true, rng.uniform(120, 350)), Biquad::pass(false, rng.uniform(3500, 7000))};
        break;
    case kMicHeadset:
        m.stages = {Biquad::pass(true, rng.uniform(80, 200)), Biquad::pass(false, rng.uniform(5000, 8500))};
        break;
    case kMicTelephone:
        m.stages = {Biquad::pass(true, 300), Biquad::pass(true, 300), Biquad::pass(false, 3400),
                    Biquad::pass(false, 3400)};
        break;
    }
    m.tiltA = std::max(-0.9, std::min(0.9, r.tiltDb / 6.0));
    return m;
}

// Schroeder reverberator: four combs in parallel, two all-passes in series.
void reverberate(std::vector<float> &x, float t60, float wet, Rng &rng) {
    if (t60 <= 0 || wet <= 0) return;
    static const double kCombMs[4] = {29.7, 37.1, 41.1, 43.7};
    double scale = rng.uniform(0.7, 1.3);
    std::vector<float> out(x.size(), 0.0f);
    for (double ms : kCombMs) {
        int d = (int)(ms * scale * kRate / 1000);
        double g = std::pow(10.0, -3.0 * d / (t60 * kRate));
        std::vector<float> buf(d, 0.0f);
        int p = 0;
        for (size_t i = 0; i < x.size(); i++) {
            float y = buf[p];
            buf[p] = (float)(x[i] + g * y);
            p = (p + 1) % d;
            out[i] += 0.25f * y;
        }
    }
    for (double ms : {5.0, 1.7}) {
        int d = (int)(ms * kRate / 1000);
        const double g = 0.7;
        std::vector<float> buf(d, 0.0f);
        int p = 0;
        for (float &v : out) {
            float b = buf[p];
            float y = (float)(-g * v + b);
            buf[p] = (float)(v + g * y);
            p = (p + 1) % d;
            v = y;
        }
    }
    for (size_t i = 0; i < x.size(); i++) x[i] += wet * out[i];
}

// Appends other speakers' words to a babble track until it is n samples long.
void babble_track(const Corpus &c, const std::vector<int> &pool, std::vector<float> &track,
                  size_t n, Rng &rng) {
    track.assign(n, 0.0f);
    if (pool.empty()) return;
    size_t pos = (size_t)rng.below(4000);
    while (pos < n) {
        const Utterance &u = c.utts[pool[rng.below((int)pool.size())]];
        const int16_t *s = c.samples(u);
        float g = (float)std::pow(10.0, rng.uniform(-6, 3) / 20);
        for (int i = 0; i < u.count && pos + i < n; i++) track[pos + i] += g * s[i];
        pos += u.count + (size_t)rng.below(2000);
    }
}

std::vector<float> make_noise(const Corpus &c, const Room &r, const std::vector<int> &babble,
                              size_t n, Rng &rng) {
    std::vector<float> x(n, 0.0f);
    switch (r.noise) {
    case kNoiseWhite:
        for (float &v : x) v = (float)rng.gauss();
        break;
    case kNoisePink: {  // Paul Kellet's refined pink filter
        double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
        for (float &v : x) {
            double w = rng.gauss();
            b0 = 0.99886 * b0 + w * 0.0555179; b1 = 0.99332 * b1 + w * 0.0750759;
            b2 = 0.96900 * b2 + w * 0.1538520; b3 = 0.86650 * b3 + w * 0.3104856;
            b4 = 0.55000 * b4 + w * 0.5329522; b5 = -0.7616 * b5 - w * 0.0168980;
            v = (float)(b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362);
            b6 = w * 0.115926;
        }
        break;
    }
    case kNoiseBrown: {
        double y = 0;
        for (float &v : x) { y = 0.997 * y + rng.gauss(); v = (float)y; }
        break;
    }
    case kNoiseHum: {
        double f0 = rng.chance(0.5) ? 50 : 60, amp[12], ph[12];
        for (int h = 0; h < 12; h++) { amp[h] = rng.uniform(0, 1) / (1 + h * rng.uniform(0, 1)); ph[h] = rng.uniform(0, 2 * kPi); }
        for (size_t i = 0; i < n; i++) {
            double s = 0.02 * rng.gauss();
            for (int h = 0; h < 12; h++) s += amp[h] * std::sin(2 * kPi * f0 * (h + 1) * i / kRate + ph[h]);
            x[i] = (float)s;
        }
        break;
    }
    case kNoiseFan: {
        double p = rng.uniform(0.85, 0.98), blade = rng.uniform(80, 250), am = rng.uniform(2, 12);
        double y = 0;
        for (size_t i = 0; i < n; i++) {
            y = p * y + (1 - p) * rng.gauss() * 8;
            double t = i / kRate;
            double tone = 0.3 * std::sin(2 * kPi * blade * t) + 0.15 * std::sin(4 * kPi * blade * t);
            x[i] = (float)((y + tone) * (1 + 0.2 * std::sin(2 * kPi * am * t)));
        }
        break;
    }
    case kNoiseBabble: {
        int voices = 3 + rng.below(4);
        std::vector<float> track;
        for (int k = 0; k < voices; k++) {
            babble_track(c, babble, track, n, rng);
            for (size_t i = 0; i < n; i++) x[i] += track[i];
        }
        break;
    }
    }
    if (r.modulated) {
        double f = rng.uniform(0.1, 0.5), ph = rng.uniform(0, 2 * kPi);
        for (size_t i = 0; i < n; i++) x[i] *= (float)std::pow(10.0, 6 * std::sin(2 * kPi * f * i / kRate + ph) / 20);
    }
    return x;
}

double mean_power(const std::vector<float> &x, const std::vector<uint8_t> &frames) {
    double sum = 0;
    int64_t count = 0;
    for (size_t f = 0; f < frames.size(); f++) {
        if (!frames[f]) continue;
        for (int i = 0; i < kFrameSamples; i++) { double v = x[f * kFrameSamples + i]; sum += v * v; }
        count += kFrameSamples;
    }
    return count ? sum / count : 0;
}

constexpr double kConverterNoiseLsb = 0.7;  // spread of a microphone converter's noise, in LSB

// Mixes speech and noise as the room says and turns the sum into samples.
Session finish(const Corpus &c, std::vector<float> speech, Session s, const Room &room,
               const std::vector<int> &babble, Rng &rng) {
    size_t n = speech.size();
    reverberate(speech, room.reverbT60, room.reverbWet, rng);
    Mic mic = mic_of(room, rng);
    Mic micNoise = mic;
    mic.apply(speech);
    std::vector<uint8_t> active = s.speech;
    for (const Placed &p : s.placed)  // noises set the level too
        for (int f = p.firstFrame; f >= 0 && f <= p.lastFrame; f++) active[f] = 1;
    double ps = mean_power(speech, active);
    bool anySpeech = ps > 0;
    if (!anySpeech) ps = 1;
    std::vector<float> mix = speech;
    if (room.snrDb < kCleanSnr) {
        std::vector<float> noise = make_noise(c, room, babble, n, rng);
        micNoise.apply(noise);
        double pn = 0;
        for (float v : noise) pn += (double)v * v;
        pn /= std::max<size_t>(n, 1);
        double g = pn > 0 ? std::sqrt(ps / pn * std::pow(10.0, -room.snrDb / 10)) : 0;
        for (size_t i = 0; i < n; i++) mix[i] += (float)(g * noise[i]);
    }
    // Level: speech RMS over its active frames (or the noise RMS when there
    // is no speech) becomes levelDb re full scale.
    double ref = anySpeech ? ps : 0;
    if (!anySpeech) { for (float v : mix) ref += (double)v * v; ref /= std::max<size_t>(n, 1); }
    double gain = ref > 0 ? 32767.0 * std::pow(10.0, room.levelDb / 20) / std::sqrt(ref) : 0;
    if (room.clipDrive > 1) gain *= room.clipDrive;
    s.samples.resize(n);
    for (size_t i = 0; i < n; i++) {
        // About one LSB of converter noise, as a microphone gives it; a
        // digital room delivers exact zeros, whose bands sit at -3000 dB.
        const double dither = room.digital ? 0.0 : kConverterNoiseLsb * rng.gauss();
        double v = std::lround(mix[i] * gain + room.dc + dither);
        s.samples[i] = (int16_t)std::max(-32768.0, std::min(32767.0, v));
    }
    return s;
}

}  // namespace

const char *noise_name(int kind) { return kind >= 0 && kind < kNoiseKinds ? kNoiseNames[kind] : "?"; }

Room room_random(Rng &rng, RoomSet set, float snrDb) {
    Room r;
    // Fan noise and the telephone band are heard only in the evaluation.
    int noiseKinds = set == RoomSet::Train ? kNoiseFan : kNoiseKinds;
    int micKinds = set == RoomSet::Train ? kMicTelephone : kMicKinds;
    static const int kNoiseWeights[kNoiseKinds] = {3, 4, 2, 1, 3, 2};  // white and pink above all
    int total = 0;
    for (int k = 0; k < noiseKinds; k++) total += kNoiseWeights[k];
    int pick = rng.below(total);
    r.noise = 0;
    while (pick >= kNoiseWeights[r.noise]) pick -= kNoiseWeights[r.noise++];
    if (snrDb < 0) r.snrDb = rng.chance(0.125) ? kCleanSnr : (float)rng.uniform(0, 30);
    else r.snrDb = snrDb;
    r.modulated = rng.chance(0.25);
    r.levelDb = (float)rng.uniform(-32, -4);
    bool reverb = rng.chance(0.4);
    r.reverbT60 = reverb ? (float)rng.uniform(0.15, 0.7) : 0;
    r.reverbWet = reverb ? (float)rng.uniform(0.1, 0.5) : 0;
    r.mic = rng.below(micKinds);
    r.tiltDb = rng.chance(0.5) ? (float)rng.uniform(-4, 4) : 0;
    r.dc = rng.chance(0.2) ? (float)rng.uniform(-1500, 1500) : 0;
    r.clipDrive = rng.chance(0.08) ? (float)rng.uniform(1.5, 6) : 1;
    return r;
}

void room_make_dry(Room *r) {
    r->reverbT60 = r->reverbWet = 0;
    r->mic = kMicFlat;
    r->tiltDb = 0;
    r->dc = 0;
    r->clipDrive = 1;
}

bool speech_span(const float *x, int64_t n, int *first, int *last, double spanDb) {
    int frames = (int)(n / kFrameSamples);
    std::vector<double> e(frames);
    double top = 0;
    for (int f = 0; f < frames; f++) {
        double s = 0;
        for (int i = 0; i < kFrameSamples; i++) s += (double)x[f * kFrameSamples + i] * x[f * kFrameSamples + i];
        e[f] = s;
        top = std::max(top, s);
    }
    if (top <= 0) return false;
    double floor = top * std::pow(10.0, -spanDb / 10);
    *first = -1;
    for (int f = 0; f < frames; f++)
        if (e[f] >= floor) { if (*first < 0) *first = f; *last = f; }
    return *first >= 0;
}

Session session_build(const Corpus &c, const std::vector<int> &utts, const Room &room,
                      const std::vector<int> &babble, Rng &rng, double minPause, double maxPause) {
    Session s;
    std::vector<int64_t> starts;
    int64_t pos = (int64_t)(rng.uniform(0.3, 1.5) * kRate);
    for (size_t k = 0; k < utts.size(); k++) {
        if (k) pos += (int64_t)(rng.uniform(minPause, maxPause) * kRate);
        starts.push_back(pos);
        pos += c.utts[utts[k]].count;
    }
    pos += (int64_t)(rng.uniform(0.6, 1.5) * kRate);
    int64_t n = (pos + kFrameSamples - 1) / kFrameSamples * kFrameSamples;
    std::vector<float> dry(n, 0.0f);
    s.speech.assign(n / kFrameSamples, 0);
    for (size_t k = 0; k < utts.size(); k++) {
        const Utterance &u = c.utts[utts[k]];
        const int16_t *src = c.samples(u);
        float g = (float)std::pow(10.0, rng.uniform(-3, 3) / 20);  // the player is not a machine
        for (int i = 0; i < u.count; i++) dry[starts[k] + i] = g * src[i];
        Placed p{utts[k], starts[k], starts[k] + u.count - 1, -1, -1, -1, -1};
        int64_t f0 = starts[k] / kFrameSamples, f1 = (starts[k] + u.count - 1) / kFrameSamples;
        const float *w = dry.data() + f0 * kFrameSamples;
        int64_t len = (f1 - f0 + 1) * kFrameSamples;
        int a, b, ca, cb;
        if (speech_span(w, len, &a, &b) && speech_span(w, len, &ca, &cb, kCoreSpanDb)) {
            p.firstFrame = (int)f0 + a;
            p.lastFrame = (int)f0 + b;
            p.coreFirst = (int)f0 + ca;
            p.coreLast = (int)f0 + cb;
            if (u.kind != kKindNoise)
                for (int f = p.firstFrame; f <= p.lastFrame; f++) s.speech[f] = 1;
        }
        s.placed.push_back(p);
    }
    return finish(c, std::move(dry), std::move(s), room, babble, rng);
}

Session noise_session(const Corpus &c, const Room &room, const std::vector<int> &babble,
                      double seconds, Rng &rng) {
    Session s;
    int64_t n = (int64_t)(seconds * kRate) / kFrameSamples * kFrameSamples;
    s.speech.assign(n / kFrameSamples, 0);
    return finish(c, std::vector<float>(n, 0.0f), std::move(s), room, babble, rng);
}
