// diagnose.cpp — `tarkabab-diagnose`: where the words get lost.
//
// Runs sessions of one room kind through the recogniser and classifies
// every spoken word twice: once as the game does (network 0 finds the word,
// network 1 names it) and once from the word's true ends (its dry speech
// frames, cut and normalised exactly as the endpointer would). The first
// figure is what a player gets; the gap to the second is what endpointing
// costs; the gap between training and held-out speakers is what the voices
// cost. Held-out Festival speakers are reported apart from espeak-ng's;
// training speakers are sampled (every tenth) for speed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "augment.h"
#include "corpus.h"
#include "ep.h"
#include "memdrv.h"
#include "mlp.h"
#include "nn.h"
#include "rec.h"
#include "rec_probe.h"

namespace {

constexpr int kTrainSample = 10;        // every tenth training speaker
constexpr float kDryLevelDb = -18.0f;

enum RoomKind { kDry, kCleanRoom, kNoisyRoom };
constexpr float kNoisySnr = 10.0f;

// Every frame's record and peak, by frame number since the session began.
struct Seen {
    std::vector<float> records, peaks;
};

struct Tally {
    int words = 0, exactRight = 0, exactWrong = 0, detected = 0, right = 0, wrong = 0;
    int negatives = 0, negAccepted = 0;
    int perClass[21] = {}, perClassRight[21] = {};
};

Room room_of(RoomKind kind, Rng &r) {
    if (kind != kDry) return room_random(r, RoomSet::Test, kind == kCleanRoom ? kCleanSnr : kNoisySnr);
    Room room = room_random(r, RoomSet::Test, kCleanSnr);
    room_make_dry(&room);
    room.levelDb = kDryLevelDb;
    return room;
}

void frame_seen(void *ctx, const RecFrameInfo *info) {
    auto *seen = static_cast<Seen *>(ctx);
    size_t f = (size_t)info->frame;
    if (f >= seen->peaks.size()) {
        seen->peaks.resize(f + 1, REC_LEVEL_FLOOR);
        seen->records.resize((f + 1) * FE_RECORD_VALUES, REC_LEVEL_FLOOR);
    }
    std::copy(info->record, info->record + FE_RECORD_VALUES, &seen->records[f * FE_RECORD_VALUES]);
    seen->peaks[f] = info->peak;
}

void run_speaker(const Corpus &c, const Speaker &sp, RoomKind kind, const std::vector<int> &babble,
                 bool verbose, Tally *t) {
    std::vector<int> utts;
    for (size_t i = 0; i < c.utts.size(); i++)
        if (c.utts[i].speaker == sp.id && c.utts[i].kind != kKindNoise) utts.push_back((int)i);
    Rng r(seed_mix(7, sp.id));
    Room room = room_of(kind, r);
    Session s = session_build(c, utts, room, babble, r);
    Seen seen;
    std::vector<std::pair<int64_t, int64_t>> ends;
    std::vector<int> classes;
    memdrv_set_source(s.samples.data(), s.samples.size());
    int inst = rec_init(MEMDRV_DRIVER, "");
    if (inst < 0) { fprintf(stderr, "tarkabab-diagnose: rec_init failed (%d)\n", inst); exit(1); }
    rec_set_frame_hook(frame_seen, &seen);
    rec_start(inst, 0);
    for (;;) {
        int cls = rec_listen(inst);
        if (cls < 0 && cls != -2) break;
        int64_t first, last;
        if (rec_word_frames(inst, &first, &last) != 0) continue;
        ends.emplace_back(first, last);
        classes.push_back(cls);
    }
    rec_set_frame_hook(nullptr, nullptr);
    rec_stop(inst);
    rec_free(inst);
    // rec_free released the networks; load network 1 again for the true ends.
    nn_init_activation();
    nn_load(1);
    int missed = 0, rejected = 0;
    float pattern[585];
    for (const Placed &p : s.placed) {
        if (p.firstFrame < 0) continue;
        const Utterance &u = c.utts[p.utt];
        bool any = false, right = false, wrong = false;
        for (size_t d = 0; d < ends.size(); d++) {
            if (ends[d].second < p.firstFrame || ends[d].first > p.lastFrame) continue;
            any = true;
            if (classes[d] == u.cls) right = true;
            else if (classes[d] > 0) wrong = true;
        }
        if (u.kind != kKindWord) {
            t->negatives++;
            t->negAccepted += wrong;
            continue;
        }
        t->words++;
        t->perClass[u.cls]++;
        // The endpointer's own time normalisation, on the word's frames as if
        // they lay at the start of its ring (a word is far shorter than it).
        ep_make_pattern(&seen.records[(size_t)p.firstFrame * FE_RECORD_VALUES], &seen.peaks[p.firstFrame], 0,
                        p.lastFrame - p.firstFrame, &rec_params, pattern);
        int got = nn_eval(1, pattern);
        if (got == u.cls) { t->exactRight++; t->perClassRight[u.cls]++; }
        else if (got > 0) t->exactWrong++;
        t->detected += any;
        t->right += right;
        t->wrong += !right && wrong;
        missed += !any;
        rejected += any && !right && !wrong;
    }
    nn_free();
    if (verbose)
        printf("  speaker %d (%s, rate %d, vtl %.2f, formant %.2f) | level %.1f dBFS, microphone %d, reverb %.2f s, "
               "noise %s: %d missed, %d rejected\n", sp.id, sp.variant.c_str(), sp.rate, sp.vtl, sp.formant,
               room.levelDb, room.mic, room.reverbT60, noise_name(room.noise), missed, rejected);
}

double pct(int a, int b) { return b ? 100.0 * a / b : 0.0; }

}  // namespace

int main(int argc, char **argv) {
    std::string corpus = "corpus", nets = "resources/networks";
    RoomKind kind = kCleanRoom;
    bool verbose = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--corpus") corpus = option_value("tarkabab-diagnose", argc, argv, i);
        else if (a == "--nets") nets = option_value("tarkabab-diagnose", argc, argv, i);
        else if (a == "--room") {
            std::string v = option_value("tarkabab-diagnose", argc, argv, i);
            if (v == "dry") kind = kDry;
            else if (v == "clean") kind = kCleanRoom;
            else if (v == "noisy") kind = kNoisyRoom;
            else { fprintf(stderr, "tarkabab-diagnose: --room is dry, clean or noisy\n"); return 2; }
        } else if (a == "--sessions") verbose = true;
        else {
            fputs("usage: tarkabab-diagnose [--corpus DIR] [--nets DIR] [--room dry|clean|noisy] [--sessions]\n"
                  "Words of held-out and (every tenth) training speakers, in one session per speaker:\n"
                  "dry (no room, flat microphone), clean (an evaluation room without noise) or noisy\n"
                  "(an evaluation room at 10 dB SNR). Each word is classified as the game hears it and\n"
                  "from its true ends; --sessions prints every session's room and losses.\n", stderr);
            return a == "--help" || a == "-h" ? 0 : 2;
        }
    }
    Corpus c;
    std::string err = corpus_load(corpus, &c);
    if (!err.empty()) { fprintf(stderr, "tarkabab-diagnose: %s\n", err.c_str()); return 1; }
    std::vector<float> img[2];
    for (int k = 0; k < 2; k++)
        if (!read_image(nets + "/net" + std::to_string(k) + ".f32", &img[k]) ||
            nn_install_image(k, img[k].data(), img[k].size()) != 0) {
            fprintf(stderr, "tarkabab-diagnose: %s/net%d.f32: not a network image\n", nets.c_str(), k);
            return 1;
        }
    std::vector<int> babble;
    for (size_t i = 0; i < c.utts.size(); i++)
        if (c.speakers[c.utts[i].speaker].split == kSplitTrain &&
            (c.utts[i].kind == kKindWord || c.utts[i].kind == kKindOov))
            babble.push_back((int)i);
    // Held-out espeak-ng and Festival speakers apart, then every tenth training speaker.
    struct Group { const char *name; int split; bool festival; };
    const Group groups[] = {{"held-out espeak-ng", kSplitTest, false}, {"held-out Festival", kSplitTest, true},
                            {"training", kSplitTrain, false}};
    for (const Group &g : groups) {
        Tally t;
        int n = 0;
        for (const Speaker &sp : c.speakers) {
            if (sp.split != g.split) continue;
            if (g.split == kSplitTest ? speaker_is_festival(sp) != g.festival : n++ % kTrainSample != 0) continue;
            run_speaker(c, sp, kind, babble, verbose, &t);
        }
        if (t.words == 0) continue;
        printf("%s speakers: %d words | true ends: %.1f %% correct, %.1f %% wrong | as heard: %.1f %% detected, "
               "%.1f %% correct, %.1f %% wrong | negatives accepted %.1f %% of %d\n",
               g.name, t.words, pct(t.exactRight, t.words),
               pct(t.exactWrong, t.words), pct(t.detected, t.words), pct(t.right, t.words), pct(t.wrong, t.words),
               pct(t.negAccepted, t.negatives), t.negatives);
        printf("  true ends, per class:");
        for (int k = 1; k <= kVocabularyClasses; k++) printf(" %d:%.0f", k, pct(t.perClassRight[k], t.perClass[k]));
        printf("\n");
    }
    return 0;
}
