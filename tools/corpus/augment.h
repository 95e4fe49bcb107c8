// augment.h — rooms, microphones and noise for the clean corpus.
//
// A session is what one player says into one microphone in one room: a
// stream of utterances separated by pauses, with one noise, one room and
// one microphone. session_build lays the utterances out, labels every
// 256-sample frame from the dry signal, adds reverberation, noise at the
// requested signal-to-noise ratio, microphone band-limiting and tilt, DC
// offset and occasional clipping, and returns the 16-bit samples the
// recogniser hears. Everything is decided by the Rng passed in, so the same
// seed gives the same session bit for bit.
//
// Some settings are kept out of training (RoomSet::Train never picks them):
// fan noise and the telephone-band microphone. The evaluation uses them
// next to the others, so its numbers include a room nobody trained on.
#pragma once

#include <cstdint>
#include <vector>

#include "corpus.h"

constexpr int kFrameSamples = 256;        // one recogniser frame, 12.8 ms
constexpr float kCleanSnr = 1000.0f;      // "no noise" marker for Room::snrDb
constexpr double kSpeechSpanDb = 35.0;    // a frame is speech within 35 dB of the word's loudest
constexpr double kCoreSpanDb = 20.0;      // the word's core: within 20 dB, audible in any noise we use

enum NoiseKind { kNoiseWhite, kNoisePink, kNoiseBrown, kNoiseHum, kNoiseBabble, kNoiseFan, kNoiseKinds };
enum MicKind { kMicFlat, kMicCheap, kMicHeadset, kMicTelephone, kMicKinds };
enum class RoomSet { Train, Test };

const char *noise_name(int kind);

struct Room {
    int noise;             // NoiseKind
    float snrDb;           // speech-to-noise ratio, kCleanSnr for none
    bool modulated;        // noise level wanders slowly (±6 dB)
    float levelDb;         // speech RMS over its active frames, dBFS
    float reverbT60;       // seconds, 0 = dry
    float reverbWet;       // 0..1
    int mic;               // MicKind
    float tiltDb;          // spectral tilt, dB per octave around 1 kHz
    float dc;              // DC offset in sample units
    float clipDrive;       // > 1: the signal is driven into clipping by this factor
    bool digital = false;  // no converter noise: silence is digital zero, as
                           // synthesised speech or a noise suppressor gives it
};

// A random room. snrDb < 0 picks a random SNR (clean in about one case in
// eight, else 0..30 dB); otherwise that SNR is used (kCleanSnr = clean).
Room room_random(Rng &rng, RoomSet set, float snrDb);
// No room at all: dry, flat microphone, no tilt, no offset, no clipping
// (noise, level and converter noise stay as they are).
void room_make_dry(Room *room);

// One utterance placed in a session.
struct Placed {
    int utt;               // index into Corpus::utts
    int64_t start, end;    // first and last sample of the dry utterance
    int firstFrame;        // first and last speech frame (dry labels), -1 if none
    int lastFrame;
    int coreFirst;         // first and last frame within kCoreSpanDb of the loudest
    int coreLast;
};

struct Session {
    std::vector<int16_t> samples;   // what the microphone delivers
    std::vector<uint8_t> speech;    // per frame: 1 = inside a spoken word (dry label)
    std::vector<Placed> placed;
};

// Lays out `utts` (indices into c.utts) in order with pauses of minPause ..
// maxPause seconds, lead and tail silence of 0.3 .. 1.5 s, and applies `room`.
// Babble noise is made from `babble` (utterance indices of other speakers).
Session session_build(const Corpus &c, const std::vector<int> &utts, const Room &room,
                      const std::vector<int> &babble, Rng &rng, double minPause = 0.5,
                      double maxPause = 1.6);

// A noise-only session of `seconds` (no utterances, no speech frames).
Session noise_session(const Corpus &c, const Room &room, const std::vector<int> &babble,
                      double seconds, Rng &rng);

// Speech frames of a dry signal: frames from the first to the last whose
// energy is within spanDb of the loudest. Returns false when silent.
bool speech_span(const float *x, int64_t n, int *first, int *last, double spanDb = kSpeechSpanDb);
