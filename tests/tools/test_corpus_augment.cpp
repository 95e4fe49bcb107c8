// Corpus files, negatives and room augmentation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "augment.h"
#include "corpus.h"

namespace {

// A corpus of two synthetic "words" (tone bursts with a voiced-like
// harmonic structure) and one cough-like noise, one speaker.
Corpus tiny_corpus() {
    Corpus c;
    c.speakers.push_back({0, kSplitTrain, "Mr serious", 150, 50, 50, 1.0, 1.0, 0, 1.0});
    auto add = [&](int cls, int kind, double f0, double seconds, const char *text) {
        Utterance u{0, cls, kind, (int64_t)c.audio.size(), (int32_t)(seconds * kCorpusRate), text};
        for (int i = 0; i < u.count; i++) {
            double t = (double)i / kCorpusRate, env = std::sin(3.14159265 * i / u.count);
            double v = 0;
            for (int h = 1; h <= 8; h++) v += std::sin(2 * 3.14159265 * f0 * h * t) / h;
            c.audio.push_back((int16_t)std::lround(6000 * env * v));
        }
        c.utts.push_back(u);
    };
    add(1, kKindWord, 120, 0.5, "piros");
    add(0, kKindOov, 180, 0.4, "kép");
    add(0, kKindNoise, 400, 0.2, "köhögés");
    return c;
}

double power(const std::vector<int16_t> &x, int64_t a, int64_t b) {
    double s = 0;
    for (int64_t i = a; i < b; i++) s += (double)x[i] * x[i];
    return s / (double)(b - a);
}

}  // namespace

TEST(Rng, SameSeedSameStreamAndMixSeparatesStreams) {
    Rng a(42), b(42), c(43);
    for (int i = 0; i < 100; i++) EXPECT_EQ(a.next(), b.next());
    EXPECT_NE(Rng(42).next(), c.next());
    EXPECT_EQ(seed_mix(1, 2, 3), seed_mix(1, 2, 3));
    EXPECT_NE(seed_mix(1, 2, 3), seed_mix(1, 3, 2));
    Rng u(7);
    for (int i = 0; i < 1000; i++) {
        int k = u.below(5);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 5);
    }
}

TEST(Negatives, InflectedVocabularyWordsAreNotNegatives) {
    EXPECT_TRUE(usable_negative("kép"));
    EXPECT_TRUE(usable_negative("nemzet"));       // begins with the short word "nem": a different word
    EXPECT_TRUE(usable_negative("pirul"));
    EXPECT_FALSE(usable_negative("piros"));       // the word itself
    EXPECT_FALSE(usable_negative("pirosat"));     // its accusative is still "red"
    EXPECT_FALSE(usable_negative("rendbenvan"));
    EXPECT_FALSE(usable_negative("Kép"));         // proper nouns and capitals are left out
    EXPECT_FALSE(usable_negative("ab"));          // too short
    EXPECT_FALSE(usable_negative("kép-kép"));
}

TEST(CorpusFiles, RoundTripKeepsSpeakersWithSpacesAndRejectsBadOffsets) {
    Corpus c = tiny_corpus();
    std::string dir = testing::TempDir() + "/tarkabab_corpus_rt";
    std::remove((dir + "/utts.tsv").c_str());
    ASSERT_EQ(0, system(("mkdir -p '" + dir + "'").c_str()));
    ASSERT_EQ("", corpus_save(dir, c));
    Corpus back;
    ASSERT_EQ("", corpus_load(dir, &back));
    ASSERT_EQ(1u, back.speakers.size());
    EXPECT_EQ("Mr serious", back.speakers[0].variant);
    ASSERT_EQ(c.utts.size(), back.utts.size());
    EXPECT_EQ("kép", back.utts[1].text);
    EXPECT_EQ(kKindNoise, back.utts[2].kind);
    EXPECT_EQ(c.audio, back.audio);

    std::ofstream(dir + "/utts.tsv", std::ios::app) << "0\t1\tword\t999999999\t100\tpiros\n";
    Corpus bad;
    std::string err = corpus_load(dir, &bad);
    EXPECT_NE(std::string::npos, err.find("utts.tsv: bad line 4")) << err;
}

TEST(CorpusFiles, FestivalSpeakersAreKnownByTheirVariantAfterTheRoundTrip) {
    Corpus c = tiny_corpus();
    Speaker fest = c.speakers[0];
    fest.id = 1;
    fest.variant = std::string(kFestivalPrefix) + "czech_dita";
    c.speakers.push_back(fest);
    std::string dir = testing::TempDir() + "/tarkabab_corpus_festival";
    ASSERT_EQ(0, system(("mkdir -p '" + dir + "'").c_str()));
    ASSERT_EQ("", corpus_save(dir, c));
    Corpus back;
    ASSERT_EQ("", corpus_load(dir, &back));
    ASSERT_EQ(2u, back.speakers.size());
    EXPECT_FALSE(speaker_is_festival(back.speakers[0]));
    EXPECT_TRUE(speaker_is_festival(back.speakers[1]));
    Speaker lookalike = fest;
    lookalike.variant = "my festival:voice";  // the prefix only counts at the start
    EXPECT_FALSE(speaker_is_festival(lookalike));
}

TEST(Session, SameSeedGivesTheSameSamples) {
    Corpus c = tiny_corpus();
    Rng r1(5), r2(5);
    Room room1 = room_random(r1, RoomSet::Train, -1), room2 = room_random(r2, RoomSet::Train, -1);
    Session a = session_build(c, {0, 1, 2}, room1, {1}, r1);
    Session b = session_build(c, {0, 1, 2}, room2, {1}, r2);
    EXPECT_EQ(a.samples, b.samples);
    EXPECT_EQ(a.speech, b.speech);
}

TEST(Session, LabelsCoverSpokenWordsOnlyAndTheRequestedSnrHolds) {
    Corpus c = tiny_corpus();
    Rng r(11);
    Room room = room_random(r, RoomSet::Train, 10);
    room.noise = kNoiseWhite;
    room.modulated = false;
    room.reverbT60 = 0;
    room.mic = kMicFlat;
    room.tiltDb = 0;
    room.dc = 0;
    room.clipDrive = 1;
    room.levelDb = -20;
    Session s = session_build(c, {0, 2}, room, {}, r);
    ASSERT_EQ(2u, s.placed.size());
    const Placed &word = s.placed[0], &cough = s.placed[1];
    ASSERT_GE(word.firstFrame, 0);
    EXPECT_EQ(word.start / kFrameSamples, word.firstFrame);  // the burst starts loud enough at once
    for (int f = word.firstFrame; f <= word.lastFrame; f++) EXPECT_EQ(1, s.speech[f]) << f;
    for (int f = cough.firstFrame; f <= cough.lastFrame; f++) EXPECT_EQ(0, s.speech[f]) << f;
    EXPECT_EQ(0, s.speech[0]);

    // Noise alone before the first word, speech plus noise inside it.
    double noise = power(s.samples, 0, word.start - 100);
    double mixed = power(s.samples, (int64_t)word.firstFrame * kFrameSamples, (int64_t)(word.lastFrame + 1) * kFrameSamples);
    double snr = 10 * std::log10((mixed - noise) / noise);
    EXPECT_NEAR(10.0, snr, 1.5);
    // Speech RMS near the requested level (the mean over the active frames).
    EXPECT_NEAR(-20.0, 10 * std::log10(mixed / (32767.0 * 32767.0)), 3.5);
}

TEST(Session, HeldOutSettingsNeverAppearInTrainingRooms) {
    Rng r(3);
    bool testSawFan = false;
    for (int i = 0; i < 3000; i++) {
        Room t = room_random(r, RoomSet::Train, -1);
        ASSERT_NE(kNoiseFan, t.noise);
        ASSERT_NE(kMicTelephone, t.mic);
        ASSERT_TRUE(t.snrDb == kCleanSnr || (t.snrDb >= 0 && t.snrDb <= 30));
        testSawFan |= room_random(r, RoomSet::Test, 5).noise == kNoiseFan;
    }
    EXPECT_TRUE(testSawFan);
}

TEST(Session, ClippingSaturatesInsteadOfWrapping) {
    Corpus c = tiny_corpus();
    Rng r(9);
    Room room = room_random(r, RoomSet::Train, kCleanSnr);
    room.levelDb = -3;
    room.clipDrive = 6;
    room.dc = 0;
    room.reverbT60 = 0;
    Session s = session_build(c, {0}, room, {}, r);
    int atRail = 0;
    for (size_t i = 1; i < s.samples.size(); i++) {
        atRail += std::abs(s.samples[i]) >= 32767;
        // A wrap would jump from one rail to the other in one sample.
        ASSERT_LT(std::abs((int)s.samples[i] - (int)s.samples[i - 1]), 60000) << i;
    }
    EXPECT_GT(atRail, 100);
}

TEST(Session, NoiseOnlySessionHasNoSpeechFrames) {
    Corpus c = tiny_corpus();
    Rng r(4);
    Room room = room_random(r, RoomSet::Test, 0);
    room.levelDb = -30;
    Session s = noise_session(c, room, {0, 1}, 2.0, r);
    EXPECT_EQ((size_t)(2.0 * kCorpusRate) / kFrameSamples * kFrameSamples, s.samples.size());
    for (uint8_t v : s.speech) ASSERT_EQ(0, v);
    EXPECT_GT(power(s.samples, 0, (int64_t)s.samples.size()), 100.0);
}

TEST(SpeechSpan, SpanReachesWeakEdgesAndTheCoreOnlyLoudFrames) {
    // Frames: silence, -30 dB, 0 dB x4, -15 dB, -45 dB, silence.
    const double levels[] = {-999, -30, 0, 0, 0, 0, -15, -45, -999};
    std::vector<float> x;
    for (double db : levels)
        for (int i = 0; i < kFrameSamples; i++)
            x.push_back(db < -900 ? 0.0f : (float)(10000 * std::pow(10.0, db / 20) * std::sin(0.3 * i)));
    int first = -1, last = -1;
    ASSERT_TRUE(speech_span(x.data(), (int64_t)x.size(), &first, &last));
    EXPECT_EQ(1, first);   // -30 dB is within 35 dB of the loudest frame
    EXPECT_EQ(6, last);    // -45 dB is not
    ASSERT_TRUE(speech_span(x.data(), (int64_t)x.size(), &first, &last, kCoreSpanDb));
    EXPECT_EQ(2, first);
    EXPECT_EQ(6, last);
    std::vector<float> silent(4 * kFrameSamples, 0.0f);
    EXPECT_FALSE(speech_span(silent.data(), (int64_t)silent.size(), &first, &last));
}
