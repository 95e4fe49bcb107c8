// corpus.h — the synthetic Hungarian training corpus: its speakers, its
// utterances and their storage.
//
// A corpus directory holds three files written by `tarkabab-corpus`:
//   speakers.tsv  one line per speaker: id, split, voice variant, rate,
//                 pitch, range, vocal-tract factor, Praat formant ratio,
//                 Praat pitch median (0 = unchanged), Praat duration factor
//   utts.tsv      one line per utterance: speaker id, class, kind, sample
//                 offset, sample count, text
//   audio.s16     every utterance's clean audio, signed 16-bit mono at
//                 20 000 Hz, native byte order, one after another
//
// Utterances are dry and clean with a little silence around them; rooms,
// microphones and noise are added later by augment.h, in memory, so that
// every training pass can hear the same words in a new room.
//
// The split is by speaker: every voice variant belongs to exactly one side
// (train or test), so a held-out speaker never shares espeak-ng's timbre
// with a training speaker.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kCorpusRate = 20000;  // the recogniser's sample rate

// Deterministic random numbers: splitmix64, the same on every platform.
struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed) {}
    uint64_t next() {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return (next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return (int)(uniform() * n); }                             // 0 .. n-1
    bool chance(double p) { return uniform() < p; }
    double gauss();
};

// Seed of a sub-stream: a stable mix of a base seed and up to three numbers.
uint64_t seed_mix(uint64_t base, uint64_t a, uint64_t b = 0, uint64_t c = 0);

enum UttKind { kKindWord = 0, kKindOov = 1, kKindFragment = 2, kKindNoise = 3 };
const char *kind_name(int kind);
int kind_from_name(const std::string &name);  // -1 when unknown

enum Split { kSplitTrain = 0, kSplitTest = 1 };

// The variant of a Festival speaker is this prefix and Festival's voice name
// ("festival:czech_dita"); every other speaker is espeak-ng's.
inline constexpr const char kFestivalPrefix[] = "festival:";

struct Speaker {
    int id;
    int split;             // kSplitTrain or kSplitTest
    std::string variant;   // espeak-ng voice variant ("m3", "klatt2", ...) or a Festival voice
    int rate;              // espeak-ng words per minute; Festival: duration stretch in percent
    int pitch;             // espeak-ng base pitch 0..100 (Festival: 0)
    int range;             // espeak-ng pitch range 0..100 (Festival: 0)
    double vtl;            // vocal-tract factor: every frequency is multiplied by it
    double formant;        // Praat "Change gender" formant shift ratio, 1 = none
    double pitchMedian;    // Praat new pitch median in Hz, 0 = unchanged
    double duration;       // Praat duration factor, 1 = none
};

bool speaker_is_festival(const Speaker &s);  // its variant starts with kFestivalPrefix

struct Utterance {
    int speaker;
    int cls;               // recogniser class 1..20, 0 for every negative
    int kind;              // UttKind
    int64_t offset;        // first sample in audio.s16
    int32_t count;         // number of samples
    std::string text;      // what was said ("" or a sound's name for kNoise)
};

struct Corpus {
    std::vector<Speaker> speakers;
    std::vector<Utterance> utts;
    std::vector<int16_t> audio;
    const int16_t *samples(const Utterance &u) const { return audio.data() + u.offset; }
};

// Loads a corpus directory. Returns "" on success, else a message naming
// the file and the fault.
std::string corpus_load(const std::string &dir, Corpus *out);
std::string corpus_save(const std::string &dir, const Corpus &c);

// The vocabulary: the word each class 1..20 stands for (UTF-8).
const char *class_word(int cls);
constexpr int kVocabularyClasses = 20;

// Negatives that sound like vocabulary words ("kép" for "kék", "igaz" for
// "igen"...), spoken by every speaker; the rest come from hunspell-hu.
extern const char *const kNearWords[];
extern const int kNearWordCount;

// True when a dictionary word may serve as a negative: 3..10 letters, only
// lower-case letters, and not an inflected form of a vocabulary word.
bool usable_negative(const std::string &word);

// Command lines of the data tools: the value after option argv[i], advancing
// i. A missing value ends the program with status 2 and a message naming
// program and option.
std::string option_value(const char *program, int argc, char **argv, int &i);
