// nn.h — the two feed-forward networks and their stored images.
//
//   network 0  speech detector   315 inputs (21 frames x 15 features), 2 outputs;
//                                class 1 = speech
//   network 1  word classifier   585 inputs (39 frames x 15 features), 21 outputs;
//                                class 0 = no word, 1..20 the vocabulary
//
// Every unit computes acc = bias, then acc = fmaf(w, v, acc) for each input
// in order (product exact, sum rounded to float at every step), and outputs
// a table-driven 0.5*tanh(acc/2) in -0.5..0.5 (nn_act_index, nn_activation).
// A class is accepted only when its output is the only positive one
// (nn_decide).
//
// NetworkImage: the stored form, a flat array of little-endian float32.
// Integer fields are stored as floats, truncated toward zero, narrowed to 16
// bits.
//   [0]               format mark, 4
//   [1]               not read (256)
//   [2]               layer count L including the input layer, 2..5
//   [3 .. 3+2L-1]     L pairs (a, b); layer size = a * b
//   next 10 values    not read
//   bias block        one bias per non-input unit, layer by layer
//   weight block      per non-input layer, per unit, one weight per unit of
//                     the previous layer
// The bias block starts at 13 + 2L and the weight block directly follows it.
// Network k must have NN_INPUTS[k] inputs and NN_OUTPUTS[k] outputs.
//
// Where images come from: nn_load(k) uses the image installed with
// nn_install_image(k, ...) if there is one, else the embedded resource
// "net<k>.f32". A trainer evaluating its own weights installs them and
// then calls rec_init (or nn_load(k) again while nothing is listening).
//
// The registry (weights, activation table, scratch) is process-wide and
// unguarded: load and free while nothing evaluates. nn_eval allocates nothing.
#pragma once

#include <cstddef>

enum {
    NN_NETWORKS = 2,
    NN_MAX_LAYERS = 5,
    NN_MIN_LAYERS = 2,
    NN_ACT_SIZE = 2048,          // activation table entries
    NN_IMAGE_MARK = 4,
    NN_IMAGE_UNREAD = 10,        // header values after the size pairs
    NN_LANES = 8,                // units evaluated side by side
};

inline constexpr int NN_INPUTS[NN_NETWORKS] = {315, 585};
inline constexpr int NN_OUTPUTS[NN_NETWORKS] = {2, 21};

// Error codes.
enum {
    NN_ERR_ACT_ALLOC = -1,   // nn_init_activation: table allocation failed
    NN_ERR_NETWORK = -10,    // network number other than 0 or 1
    NN_ERR_MARK = -11,       // format mark is not 4
    NN_ERR_WEIGHT_ALLOC = -12,
    NN_ERR_SCRATCH_ALLOC = -13,
    NN_ERR_MALFORMED = -14,  // layer count outside 2..5, a size below 1, the
                             // wrong input/output size for the network, or
                             // blocks that run past the end of the image
};

int nn_init_activation();
// Loads network k (0 or 1) from its installed image or its resource.
// 0 or a code above. A failed load leaves network k unloaded.
int nn_load(int k);
// Forward pass of a loaded network on NN_INPUTS[k] floats and the decision.
// Returns the accepted class, or 0 (also for a network that is not loaded).
int nn_eval(int k, const float *input);
void nn_free();

// Outputs of the last layer of the last nn_eval of network k (count in
// *count); nullptr before the first evaluation. For trainers and checks.
const float *nn_last_outputs(int k, int *count);

// Installs a NetworkImage of count floats for network k, copied, validated
// as nn_load does; later nn_load(k) calls use it instead of the resource.
// image == nullptr removes the installed image. 0 or a code above.
int nn_install_image(int k, const float *image, std::size_t count);

// Validates an image for network k without loading it: 0 or a code above.
// On success *layers and sizes[0..layers-1] describe it (may be null).
int nn_check_image(int k, const float *image, std::size_t count, int *layers, int *sizes);

// --- the arithmetic, exposed for tests and the trainer -------------------

// Activation table index of an accumulated sum:
// trunc(acc * 2047 / 24) + 1024, clamped to 0..2047 (NaN gives 1024).
int nn_act_index(float acc);
// Activation table entry i (table must be built); 0 for a bad index.
float nn_activation(int index);
// The decision rule on count outputs: the index of the only positive output,
// 0 when none or several are positive.
int nn_decide(const float *outputs, int count);

// Evaluation paths. AUTO picks AVX2/FMA when the CPU has both, else SCALAR.
// Both give bit-identical results. Returns the path now in use, or -1 when
// the requested path is not available on this CPU.
enum { NN_PATH_AUTO = 0, NN_PATH_SCALAR = 1, NN_PATH_AVX2 = 2 };
int nn_set_path(int path);
int nn_simd_available();  // 1 when the CPU has AVX2 and FMA

// One layer on the interleaved layout (see nn_simd.cpp): units are grouped
// in NN_LANES; group g holds NN_LANES biases, then for each input i the
// NN_LANES weights of its units. acc[u] receives each unit's final sum,
// for groups * NN_LANES units.
void nn_layer_sums_scalar(const float *w, int inputs, int groups, const float *x, float *acc);
void nn_layer_sums_avx2(const float *w, int inputs, int groups, const float *x, float *acc);
