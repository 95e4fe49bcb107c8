// tarkabab-netgen — writes the provisional network images net0.f32 and
// net1.f32 (little-endian float32 NetworkImage) into a folder.
//
// They only stand in until trained weights exist. Network 0 is given one
// hand-set hidden unit that answers "speech" when the middle of its window
// is loud; everything else is small deterministic pseudo-random noise, so
// the word classifier's classes mean nothing.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kMark = 4;
constexpr int kUnreadMagic = 256;
constexpr int kUnreadTail = 10;
constexpr uint64_t kSeed[2] = {0x7461726b61626162ull, 0x6e657477726b3031ull};

// Speech-detector hand-set unit: the mean of the five middle frames of the
// 21 x 15 window, scaled so that a mean above -0.1 tips it positive.
constexpr int kWindowFeatures = 15;
constexpr int kMiddleFirst = 8, kMiddleFrames = 5;
constexpr float kLoudGain = 8.0f, kLoudBias = 0.8f, kLoudToSpeech = 8.0f;

struct Rng {
    uint64_t s;
    float uniform(float half) {  // splitmix64 -> [-half, half)
        uint64_t z = (s += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        z ^= z >> 31;
        return static_cast<float>((z >> 40) * (1.0 / 16777216.0) * 2.0 - 1.0) * half;
    }
};

struct Net {
    std::vector<int> sizes;
    std::vector<std::vector<float>> bias;     // per non-input layer
    std::vector<std::vector<float>> weights;  // per layer: unit-major
};

Net random_net(std::vector<int> sizes, uint64_t seed, float bias_half, float weight_half) {
    Net n{sizes, {}, {}};
    Rng rng{seed};
    for (size_t l = 1; l < sizes.size(); ++l) {
        std::vector<float> b(sizes[l]), w(static_cast<size_t>(sizes[l]) * sizes[l - 1]);
        for (float &v : b) v = rng.uniform(bias_half);
        for (float &v : w) v = rng.uniform(weight_half);
        n.bias.push_back(b);
        n.weights.push_back(w);
    }
    return n;
}

void add_speech_unit(Net &n) {
    const int inputs = n.sizes[0], hidden = n.sizes[1];
    float *w = n.weights[0].data();  // unit 0 of layer 1
    for (int i = 0; i < inputs; ++i) w[i] = 0.0f;
    const float each = kLoudGain / (kMiddleFrames * kWindowFeatures);
    for (int i = kMiddleFirst * kWindowFeatures; i < (kMiddleFirst + kMiddleFrames) * kWindowFeatures; ++i)
        w[i] = each;
    n.bias[0][0] = kLoudBias;
    n.weights[1][0 * hidden + 0] = -kLoudToSpeech;  // output 0: not speech
    n.weights[1][1 * hidden + 0] = kLoudToSpeech;   // output 1: speech
    n.bias[1][0] = n.bias[1][1] = 0.0f;
}

std::vector<float> image_of(const Net &n) {
    std::vector<float> img = {static_cast<float>(kMark), static_cast<float>(kUnreadMagic),
                              static_cast<float>(n.sizes.size())};
    for (int s : n.sizes) {
        img.push_back(static_cast<float>(s));
        img.push_back(1.0f);
    }
    img.insert(img.end(), kUnreadTail, 0.0f);
    for (const auto &b : n.bias) img.insert(img.end(), b.begin(), b.end());
    for (const auto &w : n.weights) img.insert(img.end(), w.begin(), w.end());
    return img;
}

bool write_le(const std::string &path, const std::vector<float> &img) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (float v : img) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                    static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
        ok = ok && std::fwrite(b, 1, 4, f) == 4;
    }
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr, "usage: tarkabab-netgen DIR\n"
                             "Writes the provisional network images DIR/net0.f32 and DIR/net1.f32.\n");
        return argc == 2 ? 0 : 2;
    }
    Net speech = random_net({315, 90, 2}, kSeed[0], 0.05f, 0.02f);
    add_speech_unit(speech);
    Net words = random_net({585, 75, 21}, kSeed[1], 0.15f, 0.1f);
    const std::string dir = argv[1];
    const char *names[2] = {"/net0.f32", "/net1.f32"};
    const Net *nets[2] = {&speech, &words};
    for (int k = 0; k < 2; ++k) {
        if (!write_le(dir + names[k], image_of(*nets[k]))) {
            std::fprintf(stderr, "tarkabab-netgen: cannot write %s%s\n", dir.c_str(), names[k]);
            return 1;
        }
    }
    return 0;
}
