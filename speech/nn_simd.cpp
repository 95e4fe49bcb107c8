// nn_simd.cpp — the inner loop of a layer, scalar and AVX2/FMA.
//
// Layout (built by nn_load): units in groups of NN_LANES = 8. A group is
// 8 biases followed, for each input i in order, by the 8 weights that its
// units give input i. Each lane keeps its own running sum and adds the
// inputs in order with one fused multiply-add per step, so the vector path
// performs exactly the scalar path's operations and the results are
// bit-identical. Padding units (when a layer is not a multiple of 8) carry
// zero weights.
#include "nn.h"

#include <cmath>
#include <immintrin.h>

void nn_layer_sums_scalar(const float *w, int inputs, int groups, const float *x, float *acc) {
    const int group_floats = (inputs + 1) * NN_LANES;
    for (int g = 0; g < groups; ++g, w += group_floats, acc += NN_LANES) {
        float a[NN_LANES];
        for (int j = 0; j < NN_LANES; ++j) a[j] = w[j];
        const float *wi = w + NN_LANES;
        for (int i = 0; i < inputs; ++i, wi += NN_LANES)
            for (int j = 0; j < NN_LANES; ++j) a[j] = std::fmaf(wi[j], x[i], a[j]);
        for (int j = 0; j < NN_LANES; ++j) acc[j] = a[j];
    }
}

// Four groups at a time keep four independent FMA chains in flight.
__attribute__((target("avx2,fma")))
void nn_layer_sums_avx2(const float *w, int inputs, int groups, const float *x, float *acc) {
    constexpr int kChains = 4;
    const int group_floats = (inputs + 1) * NN_LANES;
    int g = 0;
    for (; g + kChains <= groups; g += kChains) {
        const float *p0 = w + g * group_floats;
        const float *p1 = p0 + group_floats;
        const float *p2 = p1 + group_floats;
        const float *p3 = p2 + group_floats;
        __m256 a0 = _mm256_loadu_ps(p0), a1 = _mm256_loadu_ps(p1);
        __m256 a2 = _mm256_loadu_ps(p2), a3 = _mm256_loadu_ps(p3);
        for (int i = 1; i <= inputs; ++i) {
            const __m256 v = _mm256_broadcast_ss(x + i - 1);
            a0 = _mm256_fmadd_ps(_mm256_loadu_ps(p0 + i * NN_LANES), v, a0);
            a1 = _mm256_fmadd_ps(_mm256_loadu_ps(p1 + i * NN_LANES), v, a1);
            a2 = _mm256_fmadd_ps(_mm256_loadu_ps(p2 + i * NN_LANES), v, a2);
            a3 = _mm256_fmadd_ps(_mm256_loadu_ps(p3 + i * NN_LANES), v, a3);
        }
        _mm256_storeu_ps(acc + (g + 0) * NN_LANES, a0);
        _mm256_storeu_ps(acc + (g + 1) * NN_LANES, a1);
        _mm256_storeu_ps(acc + (g + 2) * NN_LANES, a2);
        _mm256_storeu_ps(acc + (g + 3) * NN_LANES, a3);
    }
    for (; g < groups; ++g) {
        const float *p = w + g * group_floats;
        __m256 a = _mm256_loadu_ps(p);
        for (int i = 1; i <= inputs; ++i)
            a = _mm256_fmadd_ps(_mm256_loadu_ps(p + i * NN_LANES), _mm256_broadcast_ss(x + i - 1), a);
        _mm256_storeu_ps(acc + g * NN_LANES, a);
    }
}

int nn_simd_available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
