// mlp.h — one-hidden-layer networks as the recogniser runs them, trained.
//
// Both layers use f(a) = 0.5 * tanh(a / 2) = sigmoid(a) - 0.5, the smooth
// form of the recogniser's table lookup. Training minimises the logistic
// cross-entropy of each output against 0/1 targets (target 1 = the output
// should be positive), so outputs move well away from zero and the
// decision rule "the only positive output wins" holds with a margin.
//
// Minibatches are split between two threads, each with its own gradient
// buffer, summed in a fixed order: the same seed gives the same weights.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "corpus.h"

struct Mlp {
    int nIn = 0, nHid = 0, nOut = 0;
    std::vector<float> w1, b1;   // nHid x nIn, nHid
    std::vector<float> w2, b2;   // nOut x nHid, nOut
};

void mlp_init(Mlp *m, int nIn, int nHid, int nOut, uint64_t seed);

// Outputs f(a) of the output layer (nOut values) for one input.
void mlp_forward(const Mlp &m, const float *x, float *out);

// A training set: n rows of nIn inputs, each with a class label and a
// sample weight. Target of output j: 1 when j == label, else 0; rows whose
// label is `noneClass` have all targets 0.
struct TrainSet {
    int nIn = 0;
    std::vector<float> x;        // n * nIn
    std::vector<int> label;
    std::vector<float> weight;
    size_t size() const { return label.size(); }
    void add(const float *row, int cls, float w) {
        x.insert(x.end(), row, row + nIn);
        label.push_back(cls);
        weight.push_back(w);
    }
};

// A training set's file: the row count (uint64), then every input, every
// label, every weight, in native byte order. The append reads a file's rows
// onto the end of `set` (whose nIn must be the file's); on a missing or short
// file it returns false and leaves `set` as it was.
bool train_set_write(const std::string &path, const TrainSet &set);
bool train_set_append(const std::string &path, TrainSet *set);

// Changes a private copy of one raw input row before it is standardised
// and learned from (fresh for every row in every epoch).
using Augment = void (*)(float *row, int nIn, Rng &rng);

struct TrainOptions {
    int epochs = 8;
    int batch = 128;
    float rate = 1e-3f;          // Adam step size, decayed to a tenth over the epochs
    float decay = 0;             // decoupled weight decay per step (times the step size)
    float inputNoise = 0;        // uniform noise of this spread added to every input
    int averageEpochs = 0;       // >0: the result is the mean of the weights after every
                                 // step of the last this many epochs, not the last step's
    int noneClass = -1;          // label with all targets 0 (-1: none)
    Augment augment = nullptr;   // applied to every row before standardising
    const float *mean = nullptr; // if set, every input i is learned as (x - mean[i]) / spread[i]
    const float *spread = nullptr;
    uint64_t seed = 1;
    const char *name = "net";    // for progress lines
};

// Trains m on the set; calls `report(epoch)` after every epoch if given.
void mlp_train(Mlp *m, const TrainSet &set, const TrainOptions &o,
               void (*report)(void *ctx, int epoch), void *ctx);

// Training on inputs of zero mean and unit spread converges faster: the
// trainer standardises every row as it learns from it (TrainOptions::mean
// and ::spread) and the shift and scale are folded into the first layer
// afterwards, so the stored network takes the recogniser's own values.
void input_spread(const TrainSet &s, std::vector<float> *mean, std::vector<float> *spread);
void mlp_fold_standardisation(Mlp *m, const std::vector<float> &mean, const std::vector<float> &spread);

// The stored NetworkImage: header (mark 4, 256, layer count 3, the three
// size pairs (n, 1), ten unread values), bias block, weight block.
std::vector<float> mlp_image(const Mlp &m);
// Writes an image as little-endian float32. "" or a message.
std::string write_image(const std::string &path, const std::vector<float> &image);
// Reads one back; false (and *image empty) when the file cannot be opened.
bool read_image(const std::string &path, std::vector<float> *image);
