// fe.cpp — Blackman window, 256-point radix-2 FFT, Bark band levels.
#include "fe.h"

#include <cmath>
#include <new>

namespace {

constexpr double kTwoPi = 6.28318530717958;      // as the tables were built
constexpr float kWindowA0 = 0.42f;
constexpr float kWindowA2 = 0.08f;
constexpr double kRefAmplitude = 8191.5;
constexpr double kRefFullScale = 32766.0;
constexpr double kLogFloor = 1e-300;            // keeps log10 finite for silence
constexpr float kDbPerBel = 10.0f;
constexpr int kMinLen = 4, kMaxLen = 4096;
constexpr int kBandsUsedLow = 2;                // bands 0, 1 and 21.. are blanked
constexpr int kBandsUsedHigh = FE_RECORD_VALUES;

struct FrontEnd {
    int n = 0;              // frame length; 0 until fe_init succeeds
    int log2n = 0;
    float ref = 0.0f;       // power reference R
    int *rev = nullptr;     // bit-reversal table
    int *swapped = nullptr; // swap marks
    float *window = nullptr;
    float *re = nullptr, *im = nullptr;    // n + 1 each
    float *cosv = nullptr, *sinv = nullptr;  // entries 0..n/2 used
    int *band = nullptr;    // n/2 entries
};

FrontEnd fe;

template <typename T> void release(T *&p) {
    delete[] p;
    p = nullptr;
}

}  // namespace

void fe_free() {
    fe.n = 0;
    release(fe.rev);
    release(fe.swapped);
    release(fe.window);
    release(fe.re);
    release(fe.im);
    release(fe.cosv);
    release(fe.sinv);
    release(fe.band);
}

int fe_init(int n, int fs) {
    fe_free();
    if (n < kMinLen || n > kMaxLen) return -7;
    const int log2n = static_cast<int>(std::log(static_cast<double>(n)) / std::log(2.0) + 0.5);
    if (static_cast<int>(std::pow(2.0, log2n) + 0.5) != n) return -7;

    const float r1 = static_cast<float>(static_cast<double>(n) * n * kRefAmplitude);
    const float ref = static_cast<float>(static_cast<double>(r1) * kRefFullScale);

    if (!(fe.rev = new (std::nothrow) int[n])) return -1;
    if (!(fe.swapped = new (std::nothrow) int[n])) return fe_free(), -2;
    if (!(fe.window = new (std::nothrow) float[n])) return fe_free(), -3;
    if (!(fe.re = new (std::nothrow) float[n + 1]())) return fe_free(), -4;
    if (!(fe.cosv = new (std::nothrow) float[n]())) return fe_free(), -5;
    if (!(fe.im = new (std::nothrow) float[n + 1]())) return fe_free(), -4;
    if (!(fe.sinv = new (std::nothrow) float[n]())) return fe_free(), -5;
    if (!(fe.band = new (std::nothrow) int[n / 2])) return fe_free(), -6;

    const float step = static_cast<float>(kTwoPi / n);
    for (int j = 0; j <= n / 2; ++j) {
        fe.cosv[j] = static_cast<float>(std::cos(j * static_cast<double>(step)));
        fe.sinv[j] = static_cast<float>(std::sin(j * static_cast<double>(step)));
    }
    for (int k = 0; k < n; ++k) {
        const float c1 = static_cast<float>(std::cos(k * static_cast<double>(step)));
        const float c2 = static_cast<float>(std::cos(2.0 * k * static_cast<double>(step)));
        fe.window[k] = static_cast<float>(static_cast<double>(kWindowA0) - 0.5 * c1 +
                                          static_cast<double>(kWindowA2) * c2);
    }

    fe.rev[0] = 0;
    fe.rev[1] = n / 2;
    for (int h = n / 2, size = 2, pass = 0; pass < log2n - 1; ++pass, size *= 2) {
        h /= 2;
        for (int i = 0; i < size; ++i) fe.rev[size + i] = fe.rev[i] + h;
    }

    // Zwicker: bark = 13 atan(0.76 f) + 3.5 atan((f / 7.5)^2), f in kHz.
    for (int l = 0; l < n / 2; ++l) {
        const float f = static_cast<float>(l * (fs / 1000.0) / n);
        const double q = f / 7.5;
        const double bark = 13.0 * std::atan(0.76 * f) + 3.5 * std::atan(q * q);
        int b = static_cast<int>(bark);
        if (b < 0) b = 0;
        if (b >= FE_BANDS) b = FE_BANDS - 1;  // never reached at 256 / 20000
        fe.band[l] = b;
    }

    fe.log2n = log2n;
    fe.ref = ref;
    fe.n = n;
    return 0;
}

int fe_frame(const int16_t **samples, float **record) {
    const int n = fe.n;
    if (n == 0) return -1;
    float *re = fe.re, *im = fe.im;
    const int16_t *x = *samples;

    for (int i = 0; i < n; ++i) {
        re[i] = static_cast<float>(x[i]) * fe.window[i];
        im[i] = 0.0f;
        fe.swapped[i] = 0;
    }
    for (int i = 0; i < n; ++i) {
        if (fe.swapped[i]) continue;
        const int j = fe.rev[i];
        const float t = re[i];
        re[i] = re[j];
        re[j] = t;
        fe.swapped[j] = 1;
    }
    for (int s = 1; s < n; s *= 2) {
        const int stride = n / (2 * s);
        for (int g = 0; g < n; g += 2 * s) {
            for (int l = 0; l < s; ++l) {
                const int u = g + l, w = g + l + s;
                const float wc = fe.cosv[l * stride], ws = fe.sinv[l * stride];
                const float tr = re[w] * wc + im[w] * ws;
                const float ti = im[w] * wc - re[w] * ws;
                const float ur = re[u], ui = im[u];
                re[u] = ur + tr;
                im[u] = ui + ti;
                re[w] = ur - tr;
                im[w] = ui - ti;
            }
        }
    }

    float acc[FE_BANDS] = {};
    for (int l = 0; l < n / 2; ++l) acc[fe.band[l]] += re[l] * re[l] + im[l] * im[l];

    float *out = *record;
    for (int b = 0; b < FE_RECORD_VALUES; ++b) {
        if (b < kBandsUsedLow || b >= kBandsUsedHigh) {
            out[b] = FE_SILENT_BAND;
            continue;
        }
        const float lg = static_cast<float>(std::log10((acc[b] + kLogFloor) / fe.ref));
        out[b] = kDbPerBel * lg;
    }
    *samples = x + n;
    *record = out + FE_RECORD_VALUES;
    return 0;
}

int fe_block_mean(const int16_t *block) {
    int32_t sum = 0;
    for (int i = 0; i < FE_BLOCK_SAMPLES; ++i) sum += block[i];
    return sum / FE_BLOCK_SAMPLES;  // C++ division truncates toward zero
}

float fe_remove_mean(int16_t *frame, int mean) {
    int64_t energy = 0;  // exact: at most 256 * 2^30
    for (int i = 0; i < FE_FRAME_LEN; ++i) {
        const int16_t v = static_cast<int16_t>(static_cast<uint16_t>(frame[i] - mean));
        frame[i] = v;
        energy += static_cast<int32_t>(v) * v;
    }
    return static_cast<float>(energy);
}

float fe_scale_record(float *record) {
    float peak = FE_PEAK_FLOOR;
    for (int i = FE_FEATURE_FIRST; i < FE_FEATURE_FIRST + FE_FEATURES; ++i) {
        const float v = record[i] / FE_FEATURE_DB_SPAN + 0.5f;
        record[i] = v;
        if (v > peak) peak = v;
    }
    return peak;
}

int fe_band_of_bin(int bin) {
    if (fe.n == 0 || bin < 0 || bin >= fe.n / 2) return -1;
    return fe.band[bin];
}

float fe_power_reference() { return fe.ref; }
