// The trainer's networks: image layout, learning, agreement with the
// recogniser's table-lookup runtime, and detection matching.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "corpus.h"
#include "fe.h"
#include "harvest.h"
#include "mlp.h"
#include "nn.h"
#include "pattern_augment.h"

namespace {

// Two-class toy problem in the shape of network 0: class 1 when the centre
// frame's first five bands are louder than its last five.
TrainSet toy_windows(int n, uint64_t seed) {
    TrainSet s;
    s.nIn = 315;
    Rng r(seed);
    std::vector<float> x(315);
    for (int i = 0; i < n; i++) {
        for (float &v : x) v = (float)r.uniform(-0.5, 0.5);
        float a = 0, b = 0;
        for (int j = 0; j < 5; j++) { a += x[150 + j]; b += x[160 + j]; }
        if (std::fabs(a - b) < 0.3f) { i--; continue; }  // keep a margin between the classes
        s.add(x.data(), a > b ? 1 : 0, 1.0f);
    }
    return s;
}

// Network 0's shape trained on a toy set at a brisk step.
Mlp train_toy(const TrainSet &set, uint64_t seed, int epochs, Augment augment = nullptr, int averageEpochs = 0) {
    Mlp m;
    mlp_init(&m, 315, 90, 2, seed);
    TrainOptions o;
    o.epochs = epochs;
    o.rate = 3e-3f;
    o.augment = augment;
    o.averageEpochs = averageEpochs;
    mlp_train(&m, set, o, nullptr, nullptr);
    return m;
}

// How many rows of a toy set the smooth network decides right.
int toy_right(const Mlp &m, const TrainSet &test) {
    int right = 0;
    float out[2];
    for (size_t i = 0; i < test.size(); i++) {
        mlp_forward(m, &test.x[i * 315], out);
        right += nn_decide(out, 2) == test.label[i];
    }
    return right;
}

}  // namespace

TEST(NetworkImage, LayoutIsTheRecognisersAndItLoads) {
    Mlp m0, m1;
    mlp_init(&m0, 315, 90, 2, 1);
    mlp_init(&m1, 585, 75, 21, 2);
    std::vector<float> i0 = mlp_image(m0), i1 = mlp_image(m1);
    EXPECT_EQ(28641u, i0.size());
    EXPECT_EQ(45565u, i1.size());
    const float head[9] = {4, 256, 3, 315, 1, 90, 1, 2, 1};
    for (int i = 0; i < 9; i++) EXPECT_EQ(head[i], i0[i]) << i;
    EXPECT_EQ(585.0f, i1[3]);
    EXPECT_EQ(21.0f, i1[7]);
    // Bias block right after the 19-value header, hidden biases then outputs;
    // then the weights, unit by unit.
    EXPECT_EQ(m0.b1[0], i0[19]);
    EXPECT_EQ(m0.b2[1], i0[19 + 91]);
    EXPECT_EQ(m0.w1[0], i0[111]);
    EXPECT_EQ(m0.w2[0], i0[111 + 90 * 315]);
    int layers = 0, sizes[5] = {};
    EXPECT_EQ(0, nn_check_image(0, i0.data(), i0.size(), &layers, sizes));
    EXPECT_EQ(3, layers);
    EXPECT_EQ(90, sizes[1]);
    EXPECT_EQ(0, nn_check_image(1, i1.data(), i1.size(), nullptr, nullptr));
}

TEST(Training, LearnsAToyProblemAndTheTableLookupRuntimeAgrees) {
    TrainSet train = toy_windows(6000, 1), test = toy_windows(1000, 2);
    Mlp m = train_toy(train, 3, 6);

    std::vector<float> img = mlp_image(m);
    ASSERT_EQ(0, nn_init_activation());
    ASSERT_EQ(0, nn_install_image(0, img.data(), img.size()));
    ASSERT_EQ(0, nn_load(0));
    int right = 0, agree = 0;
    float out[2];
    for (size_t i = 0; i < test.size(); i++) {
        const float *x = &test.x[i * 315];
        mlp_forward(m, x, out);
        int smooth = nn_decide(out, 2), table = nn_eval(0, x);
        agree += smooth == table;
        right += table == test.label[i];
    }
    nn_free();
    nn_install_image(0, nullptr, 0);
    EXPECT_GT(right, 950) << "held-out toy accuracy";
    EXPECT_GT(agree, 990) << "smooth training function and runtime table disagree";
}

TEST(Training, StandardisedTrainingFoldsIntoANetworkOfRawInputs) {
    // Inputs far from zero mean and unit spread, as word patterns are.
    TrainSet train = toy_windows(800, 11);
    for (size_t i = 0; i < train.x.size(); i++) train.x[i] = 0.2f * train.x[i] - 0.3f + 0.001f * (float)(i % 315);
    std::vector<float> mean, spread;
    input_spread(train, &mean, &spread);
    EXPECT_NEAR(-0.3f + 0.001f * 7, mean[7], 0.01f);
    EXPECT_NEAR(0.2f / std::sqrt(12.0f), spread[7], 0.01f);
    Mlp m;
    mlp_init(&m, 315, 90, 2, 12);
    TrainOptions o;
    o.epochs = 2;
    o.mean = mean.data();
    o.spread = spread.data();
    mlp_train(&m, train, o, nullptr, nullptr);
    std::vector<float> z(315);
    float before[2], after[2];
    const float *x = &train.x[5 * 315];
    for (int i = 0; i < 315; i++) z[i] = (x[i] - mean[i]) / spread[i];
    mlp_forward(m, z.data(), before);
    mlp_fold_standardisation(&m, mean, spread);
    mlp_forward(m, x, after);
    EXPECT_NEAR(before[0], after[0], 1e-4f);
    EXPECT_NEAR(before[1], after[1], 1e-4f);
}

// Swaps the two groups of bands the toy label depends on.
void swap_toy_bands(float *row, int, Rng &) {
    for (int j = 0; j < 5; j++) std::swap(row[150 + j], row[160 + j]);
}

TEST(Training, AugmentationChangesWhatTheNetworkLearns) {
    // Every row is augmented before it is learned from: with the informative
    // bands swapped the network learns the opposite rule.
    TrainSet train = toy_windows(3000, 13), test = toy_windows(300, 14);
    Mlp m = train_toy(train, 15, 4, swap_toy_bands);
    EXPECT_LT(toy_right(m, test), 60) << "the rule learned was not the augmented one";  // unaugmented: above 250
}

TEST(PatternAugment, NewRoomsKeepTheWordsPeakAndStayPlausible) {
    // A word pattern: loudest cell 0.5, the rest up to 60 dB below it; the
    // first and last five frames, before and after the word, 45 dB or more.
    std::vector<float> word(585);
    Rng src(21);
    for (size_t i = 0; i < word.size(); i++) {
        const size_t f = i / 15;
        word[i] = f < 5 || f >= 34 ? (float)src.uniform(0.5 - 65.0 / 70, 0.5 - 45.0 / 70)
                                   : (float)src.uniform(0.5 - 60.0 / 70, 0.45);
    }
    word[17 * 15 + 6] = 0.5f;
    Rng r(22), again(22);
    int changed = 0, gated = 0;
    for (int k = 0; k < 200; k++) {
        std::vector<float> p = word, q = word;
        augment_pattern(p.data(), 585, r);
        augment_pattern(q.data(), 585, again);
        ASSERT_EQ(p, q) << "the same random numbers give the same room";
        EXPECT_FLOAT_EQ(0.5f, *std::max_element(p.begin(), p.end()));
        // Every frame is heard (no band more than 120 dB down) or gated to
        // near-digital silence as a whole.
        for (int f = 0; f < 39; f++) {
            const auto row = p.begin() + f * 15;
            const float lo = *std::min_element(row, row + 15), hi = *std::max_element(row, row + 15);
            if (hi < -0.5f) {
                gated++;
                EXPECT_LT(hi - lo, 1.0f) << "a gated frame is silent in every band";
            } else {
                EXPECT_GT(lo, 0.5f - 120.0f / 70) << "a microphone does not take a band 120 dB down";
            }
        }
        changed += p != word;
        for (float v : p) ASSERT_TRUE(std::isfinite(v));
    }
    EXPECT_GT(changed, 150) << "most draws give a different room";
    EXPECT_GT(gated, 0) << "some rooms deliver digital silence";
    std::vector<float> other(315, 0.1f), copy = other;
    augment_pattern(other.data(), 315, r);
    EXPECT_EQ(copy, other) << "only word patterns are augmented";
}

// A formant at 1172 Hz (band 7 of the pattern) moves to the band of
// 1172 x factor: up for a shorter vocal tract, down for a longer one, in
// every frame alike; factor 1 changes nothing.
TEST(PatternAugment, VocalTractMovesFormantsByTheFactor) {
    std::vector<float> word(585);
    for (int f = 0; f < 39; f++)
        for (int b = 0; b < 15; b++) word[f * 15 + b] = 0.5f - std::abs(b - 7) * 6.0f / 70 - f * 0.2f / 70;
    auto formant_band = [](const std::vector<float> &p, int frame) {
        const auto row = p.begin() + frame * 15;
        return (int)(std::max_element(row, row + 15) - row);
    };
    std::vector<float> same = word;
    tract_pattern(same.data(), 1.0);
    EXPECT_EQ(same, word);
    const struct { double factor; int band; } cases[] = {
        {1367.2 / 1171.9, 8}, {1562.5 / 1171.9, 9}, {976.6 / 1171.9, 6}, {820.3 / 1171.9, 5}};
    for (const auto &c : cases) {
        std::vector<float> p = word;
        tract_pattern(p.data(), c.factor);
        for (int f = 0; f < 39; f++) ASSERT_EQ(formant_band(p, f), c.band) << "factor " << c.factor << ", frame " << f;
        EXPECT_NEAR(p[0 * 15 + c.band], word[0 * 15 + 7], 1e-5) << "the formant keeps its level";
    }
    // Beyond the pattern's edges the edge bands stand in for what they
    // cannot see: below band 0 for a short tract, above band 14 for a long one.
    std::vector<float> shorter = word, longer = word;
    tract_pattern(shorter.data(), 2.0);
    tract_pattern(longer.data(), 0.5);
    for (int f = 0; f < 39; f++) {
        EXPECT_FLOAT_EQ(shorter[f * 15], word[f * 15]);
        EXPECT_FLOAT_EQ(longer[f * 15 + 14], word[f * 15 + 14]);
        EXPECT_NEAR(longer[f * 15], word[f * 15 + 2], 1e-5) << "band 0 hears twice its frequency: band 2";
    }
}

// A frame of zero samples, through the real front end, is what the gate
// writes (before the word's level offset); frames above the gate are left
// alone, frames under it become silent or quantisation noise as a whole.
TEST(PatternAugment, GateGivesQuietFramesTheFrontEndsSilence) {
    ASSERT_EQ(fe_init(FE_FRAME_LEN, FE_SAMPLE_RATE), 0);
    std::vector<int16_t> zeros(FE_FRAME_LEN, 0);
    std::vector<float> rec(FE_RECORD_VALUES);
    const int16_t *src = zeros.data();
    float *dst = rec.data();
    ASSERT_EQ(fe_frame(&src, &dst), 0);
    fe_scale_record(rec.data());
    fe_free();
    for (int b = FE_FEATURE_FIRST; b < FE_FEATURE_FIRST + FE_FEATURES; b++) EXPECT_NEAR(rec[b], kSilentBand, 1e-3);

    // Frames 8..30 of the word are spoken (0 to 20 dB below its peak), the
    // rest lie 40 dB below the peak.
    std::vector<float> word(585);
    for (int f = 0; f < 39; f++)
        for (int b = 0; b < 15; b++) word[f * 15 + b] = f >= 8 && f <= 30 ? 0.5f - (b % 5) * 5.0f / 70 : 0.5f - 40.0f / 70;
    Rng r(5);
    int silent = 0, quantised = 0;
    for (int k = 0; k < 50; k++) {
        std::vector<float> p = word;
        ASSERT_EQ(gate_pattern(p.data(), 30.0, r), 39 - 23);
        for (int f = 0; f < 39; f++) {
            const auto row = p.begin() + f * 15;
            if (f >= 8 && f <= 30) {
                ASSERT_TRUE(std::equal(row, row + 15, word.begin() + f * 15)) << "spoken frame " << f << " changed";
                continue;
            }
            const float hi = *std::max_element(row, row + 15);
            if (std::all_of(row, row + 15, [&](float v) { return v == row[0]; })) {
                silent++;
                EXPECT_GE(hi, kSilentBand + 0.15f) << "plus the offset 0.5 - m of a word the level gate passes";
                EXPECT_LE(hi, kSilentBand + 0.5f);
            } else {
                quantised++;
                EXPECT_LT(hi, 0.5f - 50.0f / 70) << "a few quantisation steps lie far under any speech";
                EXPECT_GT(hi, -3.5f);
            }
        }
    }
    EXPECT_GT(silent, 0) << "some frames are exact zeros";
    EXPECT_GT(quantised, silent) << "more keep a few quantisation steps, as partly silent frames do";
    std::vector<float> loud(585, 0.4f);
    EXPECT_EQ(gate_pattern(loud.data(), 20.0, r), 0) << "nothing under the gate, nothing gated";
}

TEST(Training, SameSeedSameWeights) {
    TrainSet train = toy_windows(600, 5);
    Mlp a, b;
    mlp_init(&a, 315, 90, 2, 9);
    mlp_init(&b, 315, 90, 2, 9);
    TrainOptions o;
    o.epochs = 2;
    mlp_train(&a, train, o, nullptr, nullptr);
    mlp_train(&b, train, o, nullptr, nullptr);
    EXPECT_EQ(a.w1, b.w1);
    EXPECT_EQ(a.w2, b.w2);
}

TEST(Training, AveragedWeightsAreTheMeanOverTheLastEpochsAndStillLearn) {
    // One step per epoch (the whole set is one minibatch), so the weights
    // seen after each epoch are the weights after each step: the result of
    // averaging the last three of five epochs must be their mean.
    TrainSet train = toy_windows(2000, 21), test = toy_windows(500, 22);
    struct Seen { Mlp *m; std::vector<std::vector<float>> w1; } seen;
    Mlp m;
    mlp_init(&m, 315, 90, 2, 23);
    seen.m = &m;
    TrainOptions o;
    o.epochs = 5;
    o.batch = (int)train.size();
    o.rate = 3e-3f;
    o.averageEpochs = 3;
    mlp_train(&m, train, o, [](void *ctx, int) {
        auto *s = static_cast<Seen *>(ctx);
        s->w1.push_back(s->m->w1);
    }, &seen);
    ASSERT_EQ(5u, seen.w1.size());
    for (size_t i = 0; i < m.w1.size(); i += 997) {
        float mean = (seen.w1[2][i] + seen.w1[3][i] + seen.w1[4][i]) / 3;
        EXPECT_NEAR(mean, m.w1[i], 1e-6f) << i;
    }
    EXPECT_NE(seen.w1[4], m.w1) << "the last step's weights, not their mean";

    // Averaged over many steps, the network still solves the problem.
    Mlp a = train_toy(toy_windows(6000, 1), 3, 6, nullptr, 3);
    EXPECT_GT(toy_right(a, test), 475) << "held-out toy accuracy of the averaged network";
}

TEST(Training, NoneClassRowsPushEveryOutputNegative) {
    // Rows of label 0 with noneClass 0: all 21 outputs must go negative, so
    // the decision rule rejects them.
    TrainSet s;
    s.nIn = 585;
    Rng r(1);
    std::vector<float> x(585);
    for (int i = 0; i < 400; i++) {
        for (float &v : x) v = (float)r.uniform(-0.5, 0.5);
        s.add(x.data(), 0, 1.0f);
    }
    Mlp m;
    mlp_init(&m, 585, 75, 21, 4);
    TrainOptions o;
    o.epochs = 10;
    o.batch = 16;
    o.rate = 1e-2f;
    o.noneClass = 0;
    mlp_train(&m, s, o, nullptr, nullptr);
    float out[21];
    mlp_forward(m, &s.x[0], out);
    for (int j = 0; j < 21; j++) EXPECT_LT(out[j], 0.0f) << j;
}

TEST(Matching, DetectionMatchesTheMostOverlappedUtteranceAndCoverageDecidesTheLabel) {
    Session s;
    s.placed.push_back({0, 0, 0, 100, 150, 104, 146});  // frames 100..150, core 104..146
    s.placed.push_back({1, 0, 0, 200, 230, 200, 230});
    s.placed.push_back({2, 0, 0, -1, -1, -1, -1});      // silent: never matched
    int ov = 0;
    Detection d{95, 148, 1};
    EXPECT_EQ(0, match_detection(s, d, &ov));
    EXPECT_EQ(49, ov);
    EXPECT_EQ(kIsWord, word_coverage(s.placed[0], d, ov));
    Detection core{110, 140, 1};                // onset and tail lost in noise: still the word
    EXPECT_EQ(0, match_detection(s, core, &ov));
    EXPECT_EQ(kIsWord, word_coverage(s.placed[0], core, ov));
    Detection part{100, 112, 1};                // the first fifth of "szabad a gazda" is no word
    EXPECT_EQ(0, match_detection(s, part, &ov));
    EXPECT_EQ(kNotWord, word_coverage(s.placed[0], part, ov));
    Detection half{100, 125, 1};                // half of it: neither, so not taught either way
    EXPECT_EQ(0, match_detection(s, half, &ov));
    EXPECT_EQ(kAmbiguous, word_coverage(s.placed[0], half, ov));
    Detection sprawl{90, 260, 1};               // one detection over two words
    int idx = match_detection(s, sprawl, &ov);
    EXPECT_EQ(0, idx);
    EXPECT_EQ(kNotWord, word_coverage(s.placed[idx], sprawl, ov));
    Detection gap{160, 190, 1};
    EXPECT_EQ(-1, match_detection(s, gap, &ov));
}

TEST(Workers, EveryItemArrivesOnceInWorkerOrder) {
    TrainSet all;
    std::string dir = testing::TempDir();
    std::string err = run_workers(7, 2, dir, 3, [](int i, TrainSet *set) {
        const float row[3] = {(float)i, 2.0f * i, -1.0f};
        set->add(row, i, 0.5f);
    }, &all);
    ASSERT_EQ("", err);
    const std::vector<int> expected = {0, 2, 4, 6, 1, 3, 5};  // worker 0's share, then worker 1's
    EXPECT_EQ(expected, all.label);
    ASSERT_EQ(21u, all.x.size());
    EXPECT_EQ(6.0f, all.x[5 * 3 + 1]);  // item 3 is the sixth row: 2 * 3
    EXPECT_EQ(0.5f, all.weight[6]);
}

TEST(TrainSetFile, AppendsRowsAndLeavesTheSetAloneOnAShortFile) {
    TrainSet a;
    a.nIn = 2;
    const float r0[2] = {1, 2}, r1[2] = {3, 4};
    a.add(r0, 5, 1.5f);
    a.add(r1, 0, 1.0f);
    std::string path = testing::TempDir() + "/tarkabab_set.bin";
    ASSERT_TRUE(train_set_write(path, a));
    TrainSet b = a;
    ASSERT_TRUE(train_set_append(path, &b));   // a cached harvest read after rows already there
    EXPECT_EQ((std::vector<int>{5, 0, 5, 0}), b.label);
    EXPECT_EQ(3.0f, b.x[6]);
    EXPECT_EQ(1.5f, b.weight[2]);
    // Cut the file inside its labels: nothing of it may stay in the set.
    FILE *f = fopen(path.c_str(), "rb+");
    ASSERT_NE(nullptr, f);
    ASSERT_EQ(0, ftruncate(fileno(f), 8 + 4 * sizeof(float) + sizeof(int)));
    fclose(f);
    TrainSet c = a;
    EXPECT_FALSE(train_set_append(path, &c));
    EXPECT_EQ(a.x, c.x);
    EXPECT_EQ(a.label, c.label);
    EXPECT_EQ(a.weight, c.weight);
    EXPECT_FALSE(train_set_append(testing::TempDir() + "/no-such-set.bin", &c));
    remove(path.c_str());
}

TEST(NetworkImage, WrittenFileHoldsExactlyTheImage) {
    Mlp m;
    mlp_init(&m, 585, 75, 21, 8);
    std::vector<float> img = mlp_image(m);
    std::string path = testing::TempDir() + "/tarkabab_net1.f32";
    ASSERT_EQ("", write_image(path, img));
    FILE *f = fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, f);
    std::vector<float> back(img.size() + 1);
    size_t n = fread(back.data(), sizeof(float), back.size(), f);
    fclose(f);
    ASSERT_EQ(img.size(), n);
    back.resize(n);
    EXPECT_EQ(img, back);
    EXPECT_NE("", write_image("/nonexistent-dir/x.f32", img));
}
