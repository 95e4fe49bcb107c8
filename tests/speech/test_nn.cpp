// Networks: activation, decision rule, image loader and the two evaluation
// paths.
#include "nn.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

using testutil::make_image;
using testutil::random_image;

class Networks : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(nn_init_activation(), 0); }
    void TearDown() override {
        nn_free();
        nn_install_image(0, nullptr, 0);
        nn_install_image(1, nullptr, 0);
        nn_set_path(NN_PATH_AUTO);
    }
};

TEST_F(Networks, ActivationIndexEdges) {
    EXPECT_EQ(nn_act_index(0.0f), 1024);
    EXPECT_EQ(nn_act_index(0.01f), 1024);
    EXPECT_EQ(nn_act_index(-0.01f), 1024);
    EXPECT_EQ(nn_act_index(11.9942f), 2047);
    EXPECT_EQ(nn_act_index(11.99f), 2046);
    EXPECT_EQ(nn_act_index(-12.0059f), 0);
    EXPECT_EQ(nn_act_index(-12.0f), 1);
    EXPECT_EQ(nn_act_index(1e30f), 2047);
    EXPECT_EQ(nn_act_index(-INFINITY), 0);
    EXPECT_EQ(nn_act_index(NAN), 1024);
    const float mid = 0.5f * static_cast<float>(std::tanh(0.5 * 0.0009765625 * static_cast<double>(6.00293f)));
    EXPECT_EQ(nn_activation(1024), mid);
    EXPECT_GT(mid, 0.0f);
    EXPECT_EQ(nn_activation(1023), -mid) << "the table is odd around its centre";
    EXPECT_NEAR(nn_activation(0), -0.5f, 0.0025f);
    EXPECT_NEAR(nn_activation(2047), 0.5f, 0.0025f);
}

TEST(Decision, OnlyTheSolePositiveOutputWins) {
    const float speech[] = {-0.4f, 0.3f}, both[] = {0.2f, 0.3f}, zero[] = {-0.1f, 0.0f};
    EXPECT_EQ(nn_decide(speech, 2), 1);
    EXPECT_EQ(nn_decide(both, 2), 0);
    EXPECT_EQ(nn_decide(zero, 2), 0);
    float words[21];
    for (float &w : words) w = -0.3f;
    words[12] = 0.2f;
    EXPECT_EQ(nn_decide(words, 21), 12);
    words[20] = 0.01f;
    EXPECT_EQ(nn_decide(words, 21), 0);
    for (float &w : words) w = -0.3f;
    words[0] = 0.4f;
    EXPECT_EQ(nn_decide(words, 21), 0);
}

TEST_F(Networks, LoaderRejectsMalformedImages) {
    std::vector<float> good = random_image({315, 90, 2}, 1, 0.1f);
    EXPECT_EQ(nn_check_image(0, good.data(), good.size(), nullptr, nullptr), 0);
    EXPECT_EQ(nn_check_image(2, good.data(), good.size(), nullptr, nullptr), NN_ERR_NETWORK);
    EXPECT_EQ(nn_load(-1), NN_ERR_NETWORK);

    auto with = [&](size_t index, float value) {
        std::vector<float> img = good;
        img[index] = value;
        return nn_check_image(0, img.data(), img.size(), nullptr, nullptr);
    };
    EXPECT_EQ(with(0, 3.9f), NN_ERR_MARK);
    EXPECT_EQ(with(0, 4.7f), 0) << "the mark is truncated";
    EXPECT_EQ(with(0, NAN), NN_ERR_MARK);
    EXPECT_EQ(with(2, 1.0f), NN_ERR_MALFORMED);
    EXPECT_EQ(with(2, 6.0f), NN_ERR_MALFORMED);
    EXPECT_EQ(with(3, 316.0f), NN_ERR_MALFORMED) << "wrong input size for network 0";
    EXPECT_EQ(with(7, 3.0f), NN_ERR_MALFORMED) << "wrong output count";
    EXPECT_EQ(with(5, 0.0f), NN_ERR_MALFORMED) << "empty hidden layer";
    EXPECT_EQ(with(5, 1000.0f), NN_ERR_MALFORMED) << "blocks past the end";
    EXPECT_EQ(nn_check_image(0, good.data(), good.size() - 1, nullptr, nullptr), NN_ERR_MALFORMED);
    EXPECT_EQ(nn_check_image(0, good.data(), 12, nullptr, nullptr), NN_ERR_MALFORMED);
    EXPECT_EQ(nn_check_image(0, good.data(), 0, nullptr, nullptr), NN_ERR_MALFORMED);
    EXPECT_EQ(nn_check_image(1, good.data(), good.size(), nullptr, nullptr), NN_ERR_MALFORMED);

    std::vector<float> bad = good;
    bad[0] = 3.9f;
    EXPECT_EQ(nn_install_image(0, bad.data(), bad.size()), NN_ERR_MARK);
    const float inputs[315] = {};
    ASSERT_EQ(nn_install_image(0, good.data(), good.size()), 0);
    ASSERT_EQ(nn_load(0), 0);
    nn_eval(0, inputs);
    int count = 0;
    EXPECT_NE(nn_last_outputs(0, &count), nullptr);
    EXPECT_EQ(count, 2);
}

TEST_F(Networks, EmbeddedImagesLoad) {
    EXPECT_EQ(nn_load(0), 0);
    EXPECT_EQ(nn_load(1), 0);
}

// Straightforward reference: the stored layout, one unit at a time.
std::vector<float> reference_outputs(const std::vector<float> &img, const std::vector<int> &sizes,
                                     const float *input) {
    size_t bias = 3 + 2 * sizes.size() + NN_IMAGE_UNREAD, weight = bias;
    for (size_t l = 1; l < sizes.size(); ++l) weight += sizes[l];
    std::vector<float> x(input, input + sizes[0]);
    for (size_t l = 1; l < sizes.size(); ++l) {
        std::vector<float> y(sizes[l]);
        for (int u = 0; u < sizes[l]; ++u) {
            float acc = img[bias++];
            for (int i = 0; i < sizes[l - 1]; ++i) acc = std::fmaf(img[weight++], x[i], acc);
            y[u] = nn_activation(nn_act_index(acc));
        }
        x = y;
    }
    return x;
}

TEST_F(Networks, ForwardPassMatchesTheStoredLayoutOnBothPaths) {
    const std::vector<int> sizes = {585, 75, 21};
    const std::vector<float> img = random_image(sizes, 7, 0.3f);
    ASSERT_EQ(nn_install_image(1, img.data(), img.size()), 0);
    ASSERT_EQ(nn_load(1), 0);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> x(585);
    for (float &v : x) v = d(rng);
    const std::vector<float> want = reference_outputs(img, sizes, x.data());
    for (int path : {NN_PATH_SCALAR, NN_PATH_AVX2}) {
        if (nn_set_path(path) < 0) continue;
        const int cls = nn_eval(1, x.data());
        int count = 0;
        const float *out = nn_last_outputs(1, &count);
        ASSERT_EQ(count, 21);
        EXPECT_EQ(0, std::memcmp(out, want.data(), 21 * sizeof(float))) << "path " << path;
        EXPECT_EQ(cls, nn_decide(want.data(), 21));
    }
}

TEST(Simd, VectorPathEqualsScalarPathBitForBit) {
    if (!nn_simd_available()) GTEST_SKIP() << "this CPU has no AVX2/FMA: only the scalar path exists";
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> d(-3.5f, 3.5f);
    for (int inputs : {1, 7, 315, 585}) {
        for (int groups : {1, 3, 4, 5, 12}) {
            std::vector<float> w(static_cast<size_t>(groups) * (inputs + 1) * NN_LANES), x(inputs);
            for (float &v : w) v = d(rng);
            for (float &v : x) v = d(rng);
            std::vector<float> a(groups * NN_LANES), b(groups * NN_LANES);
            nn_layer_sums_scalar(w.data(), inputs, groups, x.data(), a.data());
            nn_layer_sums_avx2(w.data(), inputs, groups, x.data(), b.data());
            ASSERT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)))
                << inputs << " inputs, " << groups << " groups";
        }
    }
    // And whole networks: the same class and outputs on random images.
    ASSERT_EQ(nn_init_activation(), 0);
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        const std::vector<float> img = random_image({315, 90, 2}, seed, 3.0f);
        ASSERT_EQ(nn_install_image(0, img.data(), img.size()), 0);
        ASSERT_EQ(nn_load(0), 0);
        std::vector<float> x(315);
        for (float &v : x) v = d(rng) / 7.0f;
        float out[2][2];
        for (int p = 0; p < 2; ++p) {
            ASSERT_GT(nn_set_path(p == 0 ? NN_PATH_SCALAR : NN_PATH_AVX2), 0);
            nn_eval(0, x.data());
            std::memcpy(out[p], nn_last_outputs(0, nullptr), sizeof out[p]);
        }
        EXPECT_EQ(0, std::memcmp(out[0], out[1], sizeof out[0]));
    }
    nn_free();
    nn_install_image(0, nullptr, 0);
    nn_set_path(NN_PATH_AUTO);
}

}  // namespace
