// train.cpp — `tarkabab-train`: both networks from the synthetic corpus.
//
//   1. Sessions: each training speaker's utterances, shuffled, a dozen to a
//      session, each session in its own random room (augment.h).
//   2. Network 0 (315-90-2): the speech windows the recogniser builds for
//      every frame of those sessions; the label of the window at frame k is
//      the dry signal's speech label of its centre frame k - 10.
//   3. Network 1 (585-75-21): the word patterns the recogniser's own
//      endpointer finds with the new network 0, over several passes of the
//      sessions in fresh rooms, plus copies with the ends moved by up to two
//      frames. A pattern gets its utterance's class when it covers that
//      spoken word, else class 0 (all outputs negative). Every epoch each
//      pattern is heard in a fresh room of its own (pattern_augment.h) with
//      fresh input noise; it trains on standardised inputs and the scaling is
//      then folded into the first layer.
//   4. Both images are checked through the recogniser's table-lookup
//      evaluation and written as NetworkImage files.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "augment.h"
#include "corpus.h"
#include "harvest.h"
#include "mlp.h"
#include "nn.h"
#include "pattern_augment.h"

namespace {

constexpr int kWorkers = 2;
constexpr int kUttsPerSession = 12;
constexpr int kWindowCentreLag = 10;     // the window of frame k is centred on k - 10
constexpr int kBoundaryFrames = 8;       // windows this close to a speech edge are all kept
constexpr double kKeepOther = 0.15;      // share of the other windows kept
constexpr int kJitterCopies = 2;
constexpr float kNegativeWeight = 1.5f;  // class 0 patterns count a little more
// Weight of the word patterns of Festival's speakers (about one in seven
// training speakers). Twice the weight gained a point or two on Festival's
// held-out voices and lost about one on espeak-ng's: within the noise of
// either measurement, so they count like any other.
constexpr float kFestivalWeight = 1.0f;
// Network 1 learns on standardised patterns with uniform noise of this
// spread (in units of each input's own spread) added afresh every epoch:
// it generalises to fresh rooms better than an exact fit of the training
// patterns (which accepts more negatives and makes more wrong words); with
// the pattern rooms on top, 0.3 did better than 0.5.
constexpr float kInputNoise1 = 0.3f;

struct Options {
    std::string corpus = "corpus", out = ".", work = ".";
    std::string net0;      // an existing network 0 image: skip its training
    std::string patterns;  // network 1's harvested patterns: read if present, else written
    std::string windows;   // network 0's speech windows: the same
    float rate0 = 2e-3f, rate1 = 2e-3f, negWeight = kNegativeWeight, festivalWeight = kFestivalWeight;
    int batch1 = 128;
    bool standardize = true, augment1 = true, net0Only = false;
    float decay1 = 0, noise1 = kInputNoise1;
    uint64_t seed = 1;
    int passes = 8, epochs0 = 4, epochs1 = 40, hidden1 = 75, average0 = 0, average1 = 0;
};

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

struct Plan {
    std::vector<std::vector<int>> sessions;  // utterance indices
    std::vector<int> babble;                 // training words for babble noise
};

Plan plan_sessions(const Corpus &c, uint64_t seed, int pass) {
    Plan p;
    std::vector<std::vector<int>> bySpeaker(c.speakers.size());
    for (size_t i = 0; i < c.utts.size(); i++) {
        const Utterance &u = c.utts[i];
        if (c.speakers[u.speaker].split != kSplitTrain) continue;
        bySpeaker[u.speaker].push_back((int)i);
        if (u.kind == kKindWord || u.kind == kKindOov) p.babble.push_back((int)i);
    }
    for (size_t s = 0; s < bySpeaker.size(); s++) {
        std::vector<int> &v = bySpeaker[s];
        Rng r(seed_mix(seed, 30 + pass, s));
        for (size_t i = v.size(); i > 1; i--) std::swap(v[i - 1], v[r.below((int)i)]);
        for (size_t i = 0; i < v.size(); i += kUttsPerSession)
            p.sessions.emplace_back(v.begin() + i, v.begin() + std::min(v.size(), i + kUttsPerSession));
    }
    return p;
}

// How many rows the table-lookup runtime decides as the smooth network does,
// and how many it decides correctly.
void verify(int k, const Mlp &m, const TrainSet &set, int noneClass) {
    std::vector<float> img = mlp_image(m), out(m.nOut);
    if (nn_init_activation() != 0 || nn_install_image(k, img.data(), img.size()) != 0 || nn_load(k) != 0) {
        fprintf(stderr, "verify: network %d does not load\n", k);
        return;
    }
    size_t n = std::min<size_t>(set.size(), 50000), agree = 0, right = 0, smoothRight = 0;
    for (size_t i = 0; i < n; i++) {
        size_t row = i * (set.size() / n);
        const float *x = &set.x[row * set.nIn];
        mlp_forward(m, x, out.data());
        int smooth = nn_decide(out.data(), m.nOut), table = nn_eval(k, x);
        int want = set.label[row] == noneClass ? 0 : set.label[row];
        agree += smooth == table;
        right += table == want;
        smoothRight += smooth == want;
    }
    nn_free();
    fprintf(stderr, "network %d on %zu training rows: table lookup agrees with the smooth function on %.2f %%, "
            "correct %.2f %% (smooth %.2f %%)\n", k, n, 100.0 * agree / n, 100.0 * right / n, 100.0 * smoothRight / n);
}

void usage() {
    fputs("usage: tarkabab-train --corpus DIR --out DIR [--work DIR] [--seed N] [--passes N]\n"
          "                      [--epochs0 N] [--epochs1 N] [--rate0 R] [--net0 FILE] [--net0-only]\n"
          "                      [--windows FILE] [--patterns FILE] [--rate1 R] [--batch1 N]\n"
          "                      [--neg-weight W] [--noise1 S] [--decay1 D] [--no-augment1] [--raw-inputs]\n"
          "                      [--festival-weight W] [--hidden1 N] [--average0 N] [--average1 N]\n"
          "Trains network 0 (speech detector) and network 1 (word classifier) on the\n"
          "training speakers of the corpus and writes net0.f32 and net1.f32 into --out\n"
          "(made if missing).\n"
          "Network 0: --epochs0 (4) at Adam step --rate0 (0.002); --net0 FILE keeps that image\n"
          "instead and trains only network 1; --net0-only writes network 0 and stops.\n"
          "--windows FILE and --patterns FILE read network 0's speech windows and network 1's\n"
          "word patterns from FILE, or harvest and write them there (only valid for the same\n"
          "corpus, seed, passes, network 0 and Festival weight).\n"
          "Network 1: --passes (8) rooms per utterance, --epochs1 (40), Adam step --rate1 (0.002),\n"
          "minibatch --batch1 (128), class 0 weight --neg-weight (1.5), weight of Festival's\n"
          "speakers --festival-weight (1), input noise --noise1\n"
          "(0.3 spreads), weight decay --decay1 (0); --no-augment1 learns every pattern only in\n"
          "the room it was harvested in; --raw-inputs trains on the patterns as they are\n"
          "instead of standardised ones; --hidden1 (75) hidden units, for experiments only: the\n"
          "game's word network has 75. --average0 N and --average1 N make network 0 or 1 the\n"
          "mean of its weights over every step of its last N epochs (0: the last step's).\n",
          stderr);
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto val = [&] { return option_value("tarkabab-train", argc, argv, i); };
        if (a == "--corpus") o.corpus = val();
        else if (a == "--out") o.out = val();
        else if (a == "--work") o.work = val();
        else if (a == "--seed") o.seed = std::strtoull(val().c_str(), nullptr, 10);
        else if (a == "--passes") o.passes = std::atoi(val().c_str());
        else if (a == "--epochs0") o.epochs0 = std::atoi(val().c_str());
        else if (a == "--epochs1") o.epochs1 = std::atoi(val().c_str());
        else if (a == "--net0") o.net0 = val();
        else if (a == "--patterns") o.patterns = val();
        else if (a == "--windows") o.windows = val();
        else if (a == "--rate0") o.rate0 = std::strtof(val().c_str(), nullptr);
        else if (a == "--rate1") o.rate1 = std::strtof(val().c_str(), nullptr);
        else if (a == "--batch1") o.batch1 = std::atoi(val().c_str());
        else if (a == "--hidden1") o.hidden1 = std::atoi(val().c_str());
        else if (a == "--average0") o.average0 = std::atoi(val().c_str());
        else if (a == "--average1") o.average1 = std::atoi(val().c_str());
        else if (a == "--raw-inputs") o.standardize = false;
        else if (a == "--no-augment1") o.augment1 = false;
        else if (a == "--net0-only") o.net0Only = true;
        else if (a == "--noise1") o.noise1 = std::strtof(val().c_str(), nullptr);
        else if (a == "--decay1") o.decay1 = std::strtof(val().c_str(), nullptr);
        else if (a == "--neg-weight") o.negWeight = std::strtof(val().c_str(), nullptr);
        else if (a == "--festival-weight") o.festivalWeight = std::strtof(val().c_str(), nullptr);
        else if (a == "--help" || a == "-h") { usage(); return 0; }
        else { fprintf(stderr, "tarkabab-train: unknown option %s\n", a.c_str()); usage(); return 2; }
    }
    if (o.passes < 1 || o.epochs0 < 1 || o.epochs1 < 1 || o.hidden1 < 1 ) { fputs("tarkabab-train: counts must be positive\n", stderr); return 2; }
    if (o.average0 < 0 || o.average1 < 0) { fputs("tarkabab-train: averaged epochs must be 0 or more\n", stderr); return 2; }
    // Twenty minutes of training must not end in "cannot write": make --out now and
    // refuse at once when it cannot hold the images.
    mkdir(o.out.c_str(), 0755);
    struct stat outStat;
    if (stat(o.out.c_str(), &outStat) != 0 || access(o.out.c_str(), W_OK) != 0) {
        fprintf(stderr, "tarkabab-train: %s: %s\n", o.out.c_str(), strerror(errno));
        return 1;
    }
    if (!S_ISDIR(outStat.st_mode)) {
        fprintf(stderr, "tarkabab-train: %s: not a directory\n", o.out.c_str());
        return 1;
    }
    auto t0 = std::chrono::steady_clock::now();
    Corpus c;
    std::string err = corpus_load(o.corpus, &c);
    if (!err.empty()) { fprintf(stderr, "tarkabab-train: %s\n", err.c_str()); return 1; }
    mkdir(o.work.c_str(), 0755);

    Mlp net0, net1;
    mlp_init(&net0, 315, 90, 2, seed_mix(o.seed, 100));
    mlp_init(&net1, 585, o.hidden1, 21, seed_mix(o.seed, 101));

    // ---- network 0 ----
    std::vector<float> img0 = mlp_image(net0), img1 = mlp_image(net1);
    if (!o.net0.empty()) {
        FILE *f = fopen(o.net0.c_str(), "rb");
        if (!f) { fprintf(stderr, "tarkabab-train: %s: cannot open\n", o.net0.c_str()); return 1; }
        size_t n = fread(img0.data(), sizeof(float), img0.size(), f);
        bool longer = fgetc(f) != EOF;
        fclose(f);
        if (n != img0.size() || longer || nn_check_image(0, img0.data(), img0.size(), nullptr, nullptr) != 0) {
            fprintf(stderr, "tarkabab-train: %s: not a network 0 image\n", o.net0.c_str());
            return 1;
        }
        // Back into the Mlp so the image written at the end is this one.
        const float *b = img0.data() + 19;
        std::copy(b, b + 90, net0.b1.begin());
        std::copy(b + 90, b + 92, net0.b2.begin());
        std::copy(b + 92, b + 92 + 90 * 315, net0.w1.begin());
        std::copy(b + 92 + 90 * 315, b + 92 + 90 * 315 + 180, net0.w2.begin());
    } else {
        Plan plan = plan_sessions(c, o.seed, 0);
        fprintf(stderr, "tarkabab-train: %zu sessions per pass\n", plan.sessions.size());
        TrainSet windows;
        windows.nIn = 315;
        if (!o.windows.empty() && train_set_append(o.windows, &windows)) {
            fprintf(stderr, "tarkabab-train: %zu speech windows read from %s\n", windows.size(), o.windows.c_str());
        } else {
        err = run_workers((int)plan.sessions.size(), kWorkers, o.work, 315, [&](int i, TrainSet *set) {
            Rng r(seed_mix(o.seed, 10, i));
            Room room = room_random(r, RoomSet::Train, -1);
            Session s = session_build(c, plan.sessions[i], room, plan.babble, r);
            std::vector<uint8_t> keepAll(s.speech.size(), 0);
            for (size_t f = 1; f < s.speech.size(); f++)
                if (s.speech[f] != s.speech[f - 1])
                    for (int d = -kBoundaryFrames; d <= kBoundaryFrames; d++)
                        if (f + d < keepAll.size()) keepAll[f + d] = 1;
            for (const Placed &p : s.placed)
                if (c.utts[p.utt].kind == kKindNoise)
                    for (int f = p.firstFrame; f >= 0 && f <= p.lastFrame; f++) keepAll[f] = 1;
            std::string e;
            recognise_session(s, img0, img1, [&](int64_t frame, const float *w) {
                int64_t centre = frame - kWindowCentreLag;
                if (centre < 0 || centre >= (int64_t)s.speech.size()) return;
                if (!keepAll[centre] && !r.chance(kKeepOther)) return;
                set->add(w, s.speech[centre], 1.0f);
            }, nullptr, 0, &r, &e);
            if (!e.empty()) { fprintf(stderr, "tarkabab-train: %s\n", e.c_str()); _Exit(1); }
        }, &windows);
        if (!err.empty()) { fprintf(stderr, "tarkabab-train: %s\n", err.c_str()); return 1; }
        if (!o.windows.empty() && !train_set_write(o.windows, windows))
            fprintf(stderr, "tarkabab-train: %s: cannot write\n", o.windows.c_str());
        }
        size_t speechRows = 0;
        for (int l : windows.label) speechRows += l == 1;
        fprintf(stderr, "tarkabab-train: %zu speech windows (%zu speech) after %.0f s\n", windows.size(), speechRows,
                seconds_since(t0));
        TrainOptions t0opt;
        t0opt.epochs = o.epochs0; t0opt.rate = o.rate0; t0opt.averageEpochs = o.average0; t0opt.seed = seed_mix(o.seed, 200); t0opt.name = "network 0";
        mlp_train(&net0, windows, t0opt, nullptr, nullptr);
        verify(0, net0, windows, -1);
        windows = TrainSet();
        img0 = mlp_image(net0);
        fprintf(stderr, "tarkabab-train: network 0 done after %.0f s\n", seconds_since(t0));
    }

    if (o.net0Only) {
        err = write_image(o.out + "/net0.f32", img0);
        if (!err.empty()) { fprintf(stderr, "tarkabab-train: %s\n", err.c_str()); return 1; }
        fprintf(stderr, "tarkabab-train: wrote %s/net0.f32 in %.0f s\n", o.out.c_str(), seconds_since(t0));
        return 0;
    }

    // ---- network 1 ----
    std::vector<Plan> plans;
    for (int p = 0; p < o.passes; p++) plans.push_back(plan_sessions(c, o.seed, p));
    int perPass = (int)plans[0].sessions.size();
    TrainSet patterns;
    patterns.nIn = 585;
    if (!o.patterns.empty() && train_set_append(o.patterns, &patterns)) {
        fprintf(stderr, "tarkabab-train: %zu word patterns read from %s\n", patterns.size(), o.patterns.c_str());
    } else {
    err = run_workers(perPass * o.passes, kWorkers, o.work, 585, [&](int i, TrainSet *set) {
        const Plan &pl = plans[i / perPass];
        Rng r(seed_mix(o.seed, 20, i));
        Room room = room_random(r, RoomSet::Train, -1);
        const std::vector<int> &utts = pl.sessions[i % perPass];
        Session s = session_build(c, utts, room, pl.babble, r);
        float voiceWeight = speaker_is_festival(c.speakers[c.utts[utts[0]].speaker]) ? o.festivalWeight : 1.0f;
        std::string e;
        recognise_session(s, img0, img1, nullptr, [&](const Detection &d, const float *pat, bool) {
            int ov = 0, idx = match_detection(s, d, &ov);
            int cls = 0;
            if (idx >= 0) {
                const Utterance &u = c.utts[s.placed[idx].utt];
                Coverage cov = u.kind == kKindWord ? word_coverage(s.placed[idx], d, ov) : kNotWord;
                if (cov == kAmbiguous) return;
                if (cov == kIsWord) cls = u.cls;
            }
            set->add(pat, cls, voiceWeight);
        }, kJitterCopies, &r, &e);
        if (!e.empty()) { fprintf(stderr, "tarkabab-train: %s\n", e.c_str()); _Exit(1); }
    }, &patterns);
    if (!err.empty()) { fprintf(stderr, "tarkabab-train: %s\n", err.c_str()); return 1; }
    if (!o.patterns.empty() && !train_set_write(o.patterns, patterns))
        fprintf(stderr, "tarkabab-train: %s: cannot write\n", o.patterns.c_str());
    }
    for (size_t i = 0; i < patterns.size(); i++) patterns.weight[i] *= patterns.label[i] ? 1.0f : o.negWeight;
    std::vector<int> perClass(21, 0);
    for (int l : patterns.label) perClass[l]++;
    fprintf(stderr, "tarkabab-train: %zu word patterns after %.0f s; per class:", patterns.size(), seconds_since(t0));
    for (int k = 0; k < 21; k++) fprintf(stderr, " %d", perClass[k]);
    fputc('\n', stderr);
    TrainOptions t1opt;
    t1opt.epochs = o.epochs1; t1opt.rate = o.rate1; t1opt.batch = o.batch1; t1opt.decay = o.decay1; t1opt.inputNoise = o.noise1; t1opt.noneClass = 0; t1opt.averageEpochs = o.average1; t1opt.seed = seed_mix(o.seed, 201);
    t1opt.name = "network 1";
    std::vector<float> mu, sd;
    if (o.standardize) {
        input_spread(patterns, &mu, &sd);
        fprintf(stderr, "tarkabab-train: word pattern inputs standardised\n");
        t1opt.mean = mu.data(); t1opt.spread = sd.data();
    }
    if (o.augment1) t1opt.augment = augment_pattern;
    struct Acc { const Mlp *m; const TrainSet *s; const std::vector<float> *mu, *sd; } acc{&net1, &patterns, &mu, &sd};
    mlp_train(&net1, patterns, t1opt, [](void *ctx, int) {
        auto *a = static_cast<Acc *>(ctx);
        size_t n = std::min<size_t>(a->s->size(), 20000), right = 0;
        std::vector<float> out(21), x(585);
        for (size_t i = 0; i < n; i++) {
            size_t row = i * (a->s->size() / n);
            for (int k = 0; k < 585; k++) {
                x[k] = a->s->x[row * 585 + k];
                if (!a->mu->empty()) x[k] = (x[k] - (*a->mu)[k]) / (*a->sd)[k];
            }
            mlp_forward(*a->m, x.data(), out.data());
            right += nn_decide(out.data(), 21) == a->s->label[row];
        }
        fprintf(stderr, "  training accuracy %.2f %%\n", 100.0 * right / n);
    }, &acc);
    if (o.standardize) mlp_fold_standardisation(&net1, mu, sd);
    verify(1, net1, patterns, 0);

    for (int k = 0; k < 2; k++) {
        std::string path = o.out + "/net" + std::to_string(k) + ".f32";
        err = write_image(path, mlp_image(k ? net1 : net0));
        if (!err.empty()) { fprintf(stderr, "tarkabab-train: %s\n", err.c_str()); return 1; }
    }
    fprintf(stderr, "tarkabab-train: wrote %s/net0.f32 and net1.f32 in %.0f s\n", o.out.c_str(), seconds_since(t0));
    return 0;
}
