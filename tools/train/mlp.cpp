// mlp.cpp — forward pass, back-propagation and Adam for the two networks.
#include "mlp.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "corpus.h"

namespace {

constexpr int kThreads = 2;
constexpr float kAdamB1 = 0.9f, kAdamB2 = 0.999f, kAdamEps = 1e-8f;
constexpr float kWeightLimit = 8.0f;   // keeps every stored value modest

// The two hot loops get an AVX2/FMA clone chosen at load time. Not under
// ThreadSanitizer: the clone resolver runs before its runtime is up.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define MLP_HOT __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define MLP_HOT
#endif

inline float sigm(float a) { return 1.0f / (1.0f + std::exp(-a)); }

struct Grad {
    std::vector<float> w1, b1, w2, b2;
    std::vector<float> a1, h, dh, o, xn;  // per-sample scratch
    double loss = 0;
    void reset(const Mlp &m) {
        w1.assign(m.w1.size(), 0); b1.assign(m.b1.size(), 0);
        w2.assign(m.w2.size(), 0); b2.assign(m.b2.size(), 0);
        a1.resize(m.nHid); h.resize(m.nHid); dh.resize(m.nHid); o.resize(m.nOut);
        loss = 0;
    }
};

MLP_HOT void hidden(const Mlp &m, const float *x, float *a1, float *h) {
    for (int u = 0; u < m.nHid; u++) {
        const float *w = &m.w1[(size_t)u * m.nIn];
        float acc = m.b1[u];
        for (int i = 0; i < m.nIn; i++) acc += w[i] * x[i];
        a1[u] = acc;
        h[u] = sigm(acc) - 0.5f;
    }
}

// Accumulates the gradient of rows [from, to) of the shuffled order.
MLP_HOT void accumulate(const Mlp &m, const TrainSet &s, const std::vector<uint32_t> &order, size_t from,
                size_t to, const TrainOptions &o, uint64_t noiseSeed, Grad *g) {
    const int noneClass = o.noneClass;
    const float noise = o.inputNoise;
    for (size_t r = from; r < to; r++) {
        size_t row = order[r];
        const float *x = &s.x[row * (size_t)m.nIn];
        if (noise > 0 || o.augment || o.mean) {
            Rng rr(seed_mix(noiseSeed, row));
            g->xn.assign(x, x + m.nIn);
            float *xn = g->xn.data();
            if (o.augment) o.augment(xn, m.nIn, rr);
            if (o.mean)
                for (int i = 0; i < m.nIn; i++) xn[i] = (xn[i] - o.mean[i]) / o.spread[i];
            if (noise > 0)
                for (int i = 0; i < m.nIn; i++) xn[i] += noise * (float)rr.uniform(-1.7320508, 1.7320508);
            x = xn;
        }
        int label = s.label[row];
        float sw = s.weight[row];
        hidden(m, x, g->a1.data(), g->h.data());
        std::fill(g->dh.begin(), g->dh.end(), 0.0f);
        for (int j = 0; j < m.nOut; j++) {
            const float *w = &m.w2[(size_t)j * m.nHid];
            float acc = m.b2[j];
            for (int u = 0; u < m.nHid; u++) acc += w[u] * g->h[u];
            float p = sigm(acc);
            float t = (j == label && label != noneClass) ? 1.0f : 0.0f;
            g->loss -= sw * (t ? std::log(std::max(p, 1e-7f)) : std::log(std::max(1 - p, 1e-7f)));
            float d = sw * (p - t);
            g->b2[j] += d;
            float *gw = &g->w2[(size_t)j * m.nHid];
            for (int u = 0; u < m.nHid; u++) { gw[u] += d * g->h[u]; g->dh[u] += d * w[u]; }
        }
        for (int u = 0; u < m.nHid; u++) {
            float hu = g->h[u];
            float d = g->dh[u] * (hu + 0.5f) * (0.5f - hu);
            g->b1[u] += d;
            float *gw = &g->w1[(size_t)u * m.nIn];
            for (int i = 0; i < m.nIn; i++) gw[i] += d * x[i];
        }
    }
}

struct Adam {
    std::vector<float> m, v;
    void step(std::vector<float> &p, const std::vector<float> &g0, const std::vector<float> &g1,
              float rate, float scale, int t, float decay = 0) {
        if (m.empty()) { m.assign(p.size(), 0); v.assign(p.size(), 0); }
        float c1 = 1 - std::pow(kAdamB1, (float)t), c2 = 1 - std::pow(kAdamB2, (float)t);
        for (size_t i = 0; i < p.size(); i++) {
            float g = (g0[i] + g1[i]) * scale;
            m[i] = kAdamB1 * m[i] + (1 - kAdamB1) * g;
            v[i] = kAdamB2 * v[i] + (1 - kAdamB2) * g * g;
            float q = p[i] * (1 - rate * decay) - rate * (m[i] / c1) / (std::sqrt(v[i] / c2) + kAdamEps);
            p[i] = std::max(-kWeightLimit, std::min(kWeightLimit, q));
        }
    }
};

}  // namespace

void mlp_init(Mlp *m, int nIn, int nHid, int nOut, uint64_t seed) {
    Rng r(seed);
    m->nIn = nIn; m->nHid = nHid; m->nOut = nOut;
    // Glorot-style scale; f has slope 1/4 at zero, so inputs are scaled up.
    float s1 = 4.0f * std::sqrt(6.0f / (nIn + nHid)) * 0.5f, s2 = 4.0f * std::sqrt(6.0f / (nHid + nOut)) * 0.5f;
    m->w1.resize((size_t)nHid * nIn); m->b1.assign(nHid, 0);
    m->w2.resize((size_t)nOut * nHid); m->b2.assign(nOut, 0);
    for (float &w : m->w1) w = (float)r.uniform(-s1, s1);
    for (float &w : m->w2) w = (float)r.uniform(-s2, s2);
}

void mlp_forward(const Mlp &m, const float *x, float *out) {
    std::vector<float> a1(m.nHid), h(m.nHid);
    hidden(m, x, a1.data(), h.data());
    for (int j = 0; j < m.nOut; j++) {
        const float *w = &m.w2[(size_t)j * m.nHid];
        float acc = m.b2[j];
        for (int u = 0; u < m.nHid; u++) acc += w[u] * h[u];
        out[j] = sigm(acc) - 0.5f;
    }
}

void mlp_train(Mlp *m, const TrainSet &set, const TrainOptions &o,
               void (*report)(void *ctx, int epoch), void *ctx) {
    size_t n = set.size();
    if (n == 0) return;
    std::vector<uint32_t> order(n);
    for (size_t i = 0; i < n; i++) order[i] = (uint32_t)i;
    Grad g[kThreads];
    Adam a1w, a1b, a2w, a2b;
    Rng rng(o.seed);
    int t = 0;
    // The running sums of every weight over the averaged steps, in the order
    // w1, b1, w2, b2.
    std::vector<std::vector<float> *> params{&m->w1, &m->b1, &m->w2, &m->b2};
    std::vector<std::vector<double>> sums;
    int firstAveraged = o.averageEpochs > 0 ? std::max(0, o.epochs - o.averageEpochs) : o.epochs;
    if (firstAveraged < o.epochs)
        for (const std::vector<float> *p : params) sums.emplace_back(p->size(), 0.0);
    long averaged = 0;
    for (int epoch = 0; epoch < o.epochs; epoch++) {
        for (size_t i = n - 1; i > 0; i--) std::swap(order[i], order[(size_t)rng.below((int)(i + 1))]);
        float rate = o.rate * std::pow(0.1f, (float)epoch / std::max(1, o.epochs - 1));
        double loss = 0;
        for (size_t b = 0; b < n; b += o.batch) {
            size_t e = std::min(n, b + o.batch), mid = (b + e) / 2;
            for (Grad &q : g) q.reset(*m);
            uint64_t noiseSeed = seed_mix(o.seed, 1000 + epoch);
            std::thread helper(accumulate, std::cref(*m), std::cref(set), std::cref(order), mid, e, std::cref(o),
                               noiseSeed, &g[1]);
            accumulate(*m, set, order, b, mid, o, noiseSeed, &g[0]);
            helper.join();
            loss += g[0].loss + g[1].loss;
            float scale = 1.0f / (float)(e - b);
            t++;
            a1w.step(m->w1, g[0].w1, g[1].w1, rate, scale, t, o.decay);
            a1b.step(m->b1, g[0].b1, g[1].b1, rate, scale, t);
            a2w.step(m->w2, g[0].w2, g[1].w2, rate, scale, t, o.decay);
            a2b.step(m->b2, g[0].b2, g[1].b2, rate, scale, t);
            if (epoch >= firstAveraged) {
                for (size_t k = 0; k < params.size(); k++)
                    for (size_t i = 0; i < sums[k].size(); i++) sums[k][i] += (*params[k])[i];
                averaged++;
            }
        }
        fprintf(stderr, "%s: epoch %d/%d, loss %.4f\n", o.name, epoch + 1, o.epochs, loss / n);
        if (report) report(ctx, epoch);
    }
    if (averaged > 0)
        for (size_t k = 0; k < params.size(); k++)
            for (size_t i = 0; i < sums[k].size(); i++) (*params[k])[i] = (float)(sums[k][i] / (double)averaged);
}

bool train_set_write(const std::string &path, const TrainSet &set) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    uint64_t n = set.size();
    bool ok = fwrite(&n, sizeof n, 1, f) == 1 && fwrite(set.x.data(), sizeof(float), set.x.size(), f) == set.x.size() &&
              fwrite(set.label.data(), sizeof(int), n, f) == n && fwrite(set.weight.data(), sizeof(float), n, f) == n;
    return fclose(f) == 0 && ok;
}

bool train_set_append(const std::string &path, TrainSet *set) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    uint64_t n = 0;
    size_t x0 = set->x.size(), l0 = set->label.size(), nIn = (size_t)set->nIn;
    bool ok = fread(&n, sizeof n, 1, f) == 1;
    if (ok) {
        set->x.resize(x0 + n * nIn);
        set->label.resize(l0 + n);
        set->weight.resize(l0 + n);
        ok = fread(set->x.data() + x0, sizeof(float), n * nIn, f) == n * nIn &&
             fread(set->label.data() + l0, sizeof(int), n, f) == n &&
             fread(set->weight.data() + l0, sizeof(float), n, f) == n;
    }
    fclose(f);
    if (!ok) { set->x.resize(x0); set->label.resize(l0); set->weight.resize(l0); }
    return ok;
}

void input_spread(const TrainSet &s, std::vector<float> *mu, std::vector<float> *sd) {
    int n = s.nIn;
    std::vector<double> sum(n, 0), sq(n, 0);
    size_t rows = s.size();
    for (size_t r = 0; r < rows; r++)
        for (int i = 0; i < n; i++) { double v = s.x[r * n + i]; sum[i] += v; sq[i] += v * v; }
    mu->resize(n); sd->resize(n);
    for (int i = 0; i < n; i++) {
        double m = sum[i] / rows, v = sq[i] / rows - m * m;
        (*mu)[i] = (float)m; (*sd)[i] = (float)std::sqrt(std::max(v, 1e-6));
    }
}

void mlp_fold_standardisation(Mlp *m, const std::vector<float> &mu, const std::vector<float> &sd) {
    int n = m->nIn;
    for (int u = 0; u < m->nHid; u++) {
        double shift = 0;
        for (int i = 0; i < n; i++) {
            float &w = m->w1[(size_t)u * n + i];
            w /= sd[i];
            shift += (double)w * mu[i];
        }
        m->b1[u] -= (float)shift;
    }
}

std::vector<float> mlp_image(const Mlp &m) {
    std::vector<float> img = {4, 256, 3, (float)m.nIn, 1, (float)m.nHid, 1, (float)m.nOut, 1};
    // Ten values the recogniser does not read; kept in the customary form.
    const float unread[10] = {(float)(m.nIn == 315 ? 235 : 270), -0.3f, 0.3f, 0, 0, 0, 0.1f, 0.1f, 0.6f, 0.6f};
    img.insert(img.end(), unread, unread + 10);
    img.insert(img.end(), m.b1.begin(), m.b1.end());
    img.insert(img.end(), m.b2.begin(), m.b2.end());
    img.insert(img.end(), m.w1.begin(), m.w1.end());
    img.insert(img.end(), m.w2.begin(), m.w2.end());
    return img;
}

bool read_image(const std::string &path, std::vector<float> *image) {
    image->clear();
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    float v;
    while (fread(&v, sizeof v, 1, f) == 1) image->push_back(v);
    fclose(f);
    return true;
}

std::string write_image(const std::string &path, const std::vector<float> &image) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return path + ": cannot write: " + strerror(errno);
    // x86-64 and every other target we build on store floats little-endian.
    size_t n = fwrite(image.data(), sizeof(float), image.size(), f);
    if (fclose(f) != 0 || n != image.size()) return path + ": write failed";
    return "";
}
