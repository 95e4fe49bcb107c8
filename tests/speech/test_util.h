// test_util.h — builders shared by the recogniser suites.
#pragma once

#include "ep.h"
#include "nn.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace testutil {

// A NetworkImage with the given layer sizes; bias(l, u) and weight(l, u, i)
// give layer l's (1-based) unit u its bias and its weight for input i.
inline std::vector<float> make_image(const std::vector<int> &sizes,
                                     const std::function<float(int, int)> &bias,
                                     const std::function<float(int, int, int)> &weight) {
    std::vector<float> img = {4.0f, 256.0f, static_cast<float>(sizes.size())};
    for (int s : sizes) img.insert(img.end(), {static_cast<float>(s), 1.0f});
    img.insert(img.end(), NN_IMAGE_UNREAD, 0.0f);
    for (size_t l = 1; l < sizes.size(); ++l)
        for (int u = 0; u < sizes[l]; ++u) img.push_back(bias(static_cast<int>(l), u));
    for (size_t l = 1; l < sizes.size(); ++l)
        for (int u = 0; u < sizes[l]; ++u)
            for (int i = 0; i < sizes[l - 1]; ++i) img.push_back(weight(static_cast<int>(l), u, i));
    return img;
}

inline std::vector<float> random_image(const std::vector<int> &sizes, uint32_t seed, float half = 1.0f) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-half, half);
    return make_image(sizes, [&](int, int) { return d(rng); }, [&](int, int, int) { return d(rng); });
}

// Network 0 that calls a frame speech when the mean of the 15 window values
// of the window's middle frame (the frame 10 frames back) is above 0.
inline std::vector<float> middle_loud_net0() {
    constexpr int kMiddle = 10;
    return make_image(
        {315, 1, 2}, [](int l, int) { return l == 1 ? 0.0f : 0.0f; },
        [](int l, int u, int i) {
            if (l == 1) return i / FE_FEATURES == kMiddle ? 1.0f : 0.0f;
            return u == 1 ? 10.0f : -10.0f;
        });
}

// Network 1 that always answers cls.
inline std::vector<float> constant_net1(int cls) {
    return make_image({585, 1, 21}, [cls](int l, int u) { return l == 2 ? (u == cls ? 1.0f : -1.0f) : 0.0f; },
                      [](int, int, int) { return 0.0f; });
}

// Signal: silence, with white noise of the given amplitude between frames
// [first, last] (256-sample frames at 20000 Hz).
inline std::vector<int16_t> burst(int total_frames, int first, int last, int amplitude, uint32_t seed = 1) {
    std::vector<int16_t> s(static_cast<size_t>(total_frames) * FE_FRAME_LEN, 0);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-amplitude, amplitude);
    for (int f = first; f <= last; ++f)
        for (int i = 0; i < FE_FRAME_LEN; ++i) s[static_cast<size_t>(f) * FE_FRAME_LEN + i] = static_cast<int16_t>(d(rng));
    return s;
}

}  // namespace testutil
