// harvest.h — running sessions through the game's recogniser.
//
// A session goes through the memory driver into a recogniser instance
// (rec_init on driver 2, rec_start, rec_listen until the data runs out),
// so every speech window and word pattern the trainer sees is the one the
// game computes. The recogniser's tables are process-wide and unguarded,
// so parallel harvesting runs in forked worker processes, each writing
// its share to a file that the parent reads back in worker order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "augment.h"
#include "mlp.h"

// One word the recogniser found.
struct Detection {
    int64_t first, last;   // absolute frames since the session's start
    int cls;               // network 1's class, -2 for a word longer than the ring
};

// Per frame: absolute frame index and the 315-value speech window.
using WindowSink = std::function<void(int64_t frame, const float *window)>;
// Per word: the detection, the pattern and up to `jitter` extra patterns
// with start and end moved by up to +-2 frames (jitter 0: none).
using PatternSink = std::function<void(const Detection &, const float *pattern, bool jittered)>;

// Installs both images, runs the session, calls the sinks (either may be
// empty). Returns the detections, or an empty list and *error on failure.
std::vector<Detection> recognise_session(const Session &s, const std::vector<float> &net0,
                                         const std::vector<float> &net1, const WindowSink &windows,
                                         const PatternSink &patterns, int jitter, Rng *rng,
                                         std::string *error);

// The placed utterance a detection belongs to: the one whose speech frames
// overlap [first, last] most; -1 when none overlaps.
int match_detection(const Session &s, const Detection &d, int *overlap);

// Whether a detection is the utterance's word, judged on the word's core
// (its frames within 20 dB of the loudest: weak onsets drown in noise, and
// a word heard without them is still the word):
//   kIsWord     it covers at least 60 % of the core and at least half of
//               the detection is the word's speech (overlap);
//   kNotWord    it covers less than 35 % of the core (a fragment), or
//               mostly something else (the word merged with noise);
//   kAmbiguous  in between: left out of training.
enum Coverage { kNotWord = 0, kIsWord = 1, kAmbiguous = 2 };
Coverage word_coverage(const Placed &p, const Detection &d, int overlap);

// Runs work(i, set) for i = worker, worker + workers, ... < count in
// `workers` forked processes and concatenates their sets in worker order
// (deterministic). Files go to workDir. Returns "" or a message.
std::string run_workers(int count, int workers, const std::string &workDir, int nIn,
                        const std::function<void(int index, TrainSet *set)> &work, TrainSet *out);
