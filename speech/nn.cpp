// nn.cpp — network registry: image loader, forward pass, decision rule.
#include "nn.h"

#include "resources.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr double kActStep = 0.0009765625;     // 1/1024
constexpr float kActGain = 6.00293f;
constexpr double kActCentre = 1023.5;
constexpr float kActIndexScale = 2047.0f;
constexpr float kActIndexRange = 24.0f;
constexpr int kActMid = 1024;
constexpr int kImageFixedHeader = 3;          // mark, unread, layer count
constexpr const char *kResourceName[NN_NETWORKS] = {"net0.f32", "net1.f32"};

struct Network {
    int layers = 0;                 // 0 while not loaded
    int sizes[NN_MAX_LAYERS] = {};
    float *weights = nullptr;       // interleaved groups, layer after layer
    float *scratch = nullptr;       // acc and outputs, layer after layer (padded)
    int scratch_capacity = 0;
    int evaluated = 0;              // 1 after the first nn_eval
};

struct Installed {
    unsigned char *bytes = nullptr;  // little-endian float32
    std::size_t count = 0;           // floats
};

Network nets[NN_NETWORKS];
Installed installed[NN_NETWORKS];
float *act = nullptr;

using LayerFn = void (*)(const float *, int, int, const float *, float *);
LayerFn layer_fn = nullptr;

int groups_of(int units) { return (units + NN_LANES - 1) / NN_LANES; }

// Reads float i of a little-endian byte image.
float image_at(const unsigned char *bytes, std::size_t i) {
    const unsigned char *p = bytes + 4 * i;
    const uint32_t u = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

// Integer field: truncated toward zero, narrowed to 16 bits. Values that
// cannot be truncated into an int at all are reported as malformed.
bool image_int(const unsigned char *bytes, std::size_t i, int *out) {
    const float v = image_at(bytes, i);
    if (!(std::fabs(v) < 2147483520.0f)) return false;
    *out = static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(v) & 0xFFFF));
    return true;
}

int check_bytes(int k, const unsigned char *bytes, std::size_t count, int *layers_out, int *sizes_out) {
    if (k < 0 || k >= NN_NETWORKS) return NN_ERR_NETWORK;
    if (!bytes || count < 1) return NN_ERR_MALFORMED;
    int mark = 0;
    if (!image_int(bytes, 0, &mark) || mark != NN_IMAGE_MARK) return NN_ERR_MARK;
    int layers = 0;
    if (count < kImageFixedHeader || !image_int(bytes, 2, &layers)) return NN_ERR_MALFORMED;
    if (layers < NN_MIN_LAYERS || layers > NN_MAX_LAYERS) return NN_ERR_MALFORMED;
    const std::size_t header = kImageFixedHeader + 2 * layers + NN_IMAGE_UNREAD;
    if (count < header) return NN_ERR_MALFORMED;
    int sizes[NN_MAX_LAYERS];
    int64_t units = 0, weights = 0;
    for (int l = 0; l < layers; ++l) {
        int a = 0, b = 0;
        if (!image_int(bytes, kImageFixedHeader + 2 * l, &a) ||
            !image_int(bytes, kImageFixedHeader + 2 * l + 1, &b))
            return NN_ERR_MALFORMED;
        sizes[l] = a * b;
        if (sizes[l] < 1) return NN_ERR_MALFORMED;
        if (l > 0) {
            units += sizes[l];
            weights += static_cast<int64_t>(sizes[l - 1]) * sizes[l];
        }
    }
    if (sizes[0] != NN_INPUTS[k] || sizes[layers - 1] != NN_OUTPUTS[k]) return NN_ERR_MALFORMED;
    if (static_cast<int64_t>(header) + units + weights > static_cast<int64_t>(count))
        return NN_ERR_MALFORMED;
    if (layers_out) *layers_out = layers;
    if (sizes_out)
        for (int l = 0; l < layers; ++l) sizes_out[l] = sizes[l];
    return 0;
}

void unload(Network &n) {
    delete[] n.weights;
    delete[] n.scratch;
    n = Network{};
}

void choose_default_path() {
    if (!layer_fn) nn_set_path(NN_PATH_AUTO);
}

}  // namespace

int nn_init_activation() {
    if (!act) act = new (std::nothrow) float[NN_ACT_SIZE];
    if (!act) return NN_ERR_ACT_ALLOC;
    for (int i = 0; i < NN_ACT_SIZE; ++i) {
        const double a = (i - kActCentre) * kActStep * static_cast<double>(kActGain);
        act[i] = 0.5f * static_cast<float>(std::tanh(a));
    }
    choose_default_path();
    return 0;
}

int nn_check_image(int k, const float *image, std::size_t count, int *layers, int *sizes) {
    if (k < 0 || k >= NN_NETWORKS) return NN_ERR_NETWORK;
    if (!image) return NN_ERR_MALFORMED;
    // Host floats are little-endian on every platform this builds for.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "little-endian host expected");
    return check_bytes(k, reinterpret_cast<const unsigned char *>(image), count, layers, sizes);
}

int nn_install_image(int k, const float *image, std::size_t count) {
    if (k < 0 || k >= NN_NETWORKS) return NN_ERR_NETWORK;
    if (!image) {
        delete[] installed[k].bytes;
        installed[k] = Installed{};
        return 0;
    }
    const int rc = nn_check_image(k, image, count, nullptr, nullptr);
    if (rc) return rc;
    unsigned char *copy = new (std::nothrow) unsigned char[count * 4];
    if (!copy) return NN_ERR_WEIGHT_ALLOC;
    std::memcpy(copy, image, count * 4);
    delete[] installed[k].bytes;
    installed[k] = Installed{copy, count};
    return 0;
}

int nn_load(int k) {
    if (k < 0 || k >= NN_NETWORKS) return NN_ERR_NETWORK;
    choose_default_path();
    Network &n = nets[k];
    unload(n);

    const unsigned char *bytes = installed[k].bytes;
    std::size_t count = installed[k].count;
    if (!bytes) {
        const ResEntry *res = res_find(kResourceName[k]);
        if (!res || res->size % 4 != 0) return NN_ERR_MALFORMED;
        bytes = res->data;
        count = res->size / 4;
    }
    int layers = 0, sizes[NN_MAX_LAYERS];
    const int rc = check_bytes(k, bytes, count, &layers, sizes);
    if (rc) return rc;

    std::size_t total = 0, padded_units = 0;
    for (int l = 1; l < layers; ++l) {
        total += static_cast<std::size_t>(groups_of(sizes[l])) * NN_LANES * (sizes[l - 1] + 1);
        padded_units += static_cast<std::size_t>(groups_of(sizes[l])) * NN_LANES;
    }
    n.weights = new (std::nothrow) float[total]();
    if (!n.weights) return unload(n), NN_ERR_WEIGHT_ALLOC;

    std::size_t bias = kImageFixedHeader + 2 * layers + NN_IMAGE_UNREAD;
    std::size_t weight = bias;
    for (int l = 1; l < layers; ++l) weight += sizes[l];
    float *dst = n.weights;
    for (int l = 1; l < layers; ++l) {
        const int in = sizes[l - 1];
        const std::size_t group_floats = static_cast<std::size_t>(in + 1) * NN_LANES;
        for (int u = 0; u < sizes[l]; ++u) {
            float *g = dst + (u / NN_LANES) * group_floats;
            const int lane = u % NN_LANES;
            g[lane] = image_at(bytes, bias++);
            for (int i = 0; i < in; ++i) g[NN_LANES + i * NN_LANES + lane] = image_at(bytes, weight++);
        }
        dst += groups_of(sizes[l]) * group_floats;
    }

    n.scratch = new (std::nothrow) float[padded_units]();
    if (!n.scratch) return unload(n), NN_ERR_SCRATCH_ALLOC;
    n.scratch_capacity = static_cast<int>(padded_units);
    n.layers = layers;
    for (int l = 0; l < layers; ++l) n.sizes[l] = sizes[l];
    return 0;
}

int nn_eval(int k, const float *input) {
    if (k < 0 || k >= NN_NETWORKS || !act) return 0;
    Network &n = nets[k];
    if (n.layers == 0) return 0;
    const float *x = input;
    const float *w = n.weights;
    float *out = n.scratch;
    for (int l = 1; l < n.layers; ++l) {
        const int in = n.sizes[l - 1], units = n.sizes[l], groups = groups_of(units);
        layer_fn(w, in, groups, x, out);
        for (int u = 0; u < units; ++u) out[u] = act[nn_act_index(out[u])];
        w += static_cast<std::size_t>(groups) * NN_LANES * (in + 1);
        x = out;
        out += groups * NN_LANES;
    }
    n.evaluated = 1;
    return nn_decide(x, n.sizes[n.layers - 1]);
}

const float *nn_last_outputs(int k, int *count) {
    if (k < 0 || k >= NN_NETWORKS || nets[k].layers == 0 || !nets[k].evaluated) return nullptr;
    const Network &n = nets[k];
    std::size_t offset = 0;
    for (int l = 1; l < n.layers - 1; ++l) offset += groups_of(n.sizes[l]) * NN_LANES;
    if (count) *count = n.sizes[n.layers - 1];
    return n.scratch + offset;
}

void nn_free() {
    for (Network &n : nets) unload(n);
    delete[] act;
    act = nullptr;
}

int nn_act_index(float acc) {
    const float t = acc * kActIndexScale / kActIndexRange;
    if (std::isnan(t)) return kActMid;
    if (t >= static_cast<float>(NN_ACT_SIZE - kActMid)) return NN_ACT_SIZE - 1;
    if (t <= -static_cast<float>(kActMid)) return 0;
    int i = static_cast<int>(t) + kActMid;  // truncation toward zero
    if (i < 0) i = 0;
    if (i > NN_ACT_SIZE - 1) i = NN_ACT_SIZE - 1;
    return i;
}

float nn_activation(int index) {
    if (!act || index < 0 || index >= NN_ACT_SIZE) return 0.0f;
    return act[index];
}

int nn_decide(const float *outputs, int count) {
    float best = -0.5f;
    int winner = 0;
    for (int i = 0; i < count; ++i)
        if (outputs[i] > best) best = outputs[i], winner = i;
    if (!(best > 0.0f)) return 0;
    float second = -0.5f;
    for (int i = 0; i < count; ++i)
        if (i != winner && outputs[i] > second) second = outputs[i];
    return second > 0.0f ? 0 : winner;
}

int nn_set_path(int path) {
    const bool simd = nn_simd_available();
    if (path == NN_PATH_AUTO) path = simd ? NN_PATH_AVX2 : NN_PATH_SCALAR;
    if (path == NN_PATH_AVX2 && !simd) return -1;
    if (path != NN_PATH_AVX2 && path != NN_PATH_SCALAR) return -1;
    layer_fn = path == NN_PATH_AVX2 ? nn_layer_sums_avx2 : nn_layer_sums_scalar;
    return path;
}
