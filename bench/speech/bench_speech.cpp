// Recogniser cost: one frame of front end, each network, one whole block.
#include "ep.h"
#include "fe.h"
#include "memdrv.h"
#include "nn.h"
#include "rec.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<int16_t> noise(size_t n, int amplitude, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-amplitude, amplitude);
    std::vector<int16_t> s(n);
    for (auto &v : s) v = static_cast<int16_t>(d(rng));
    return s;
}

void BM_FeFrame(benchmark::State &state) {
    fe_init(FE_FRAME_LEN, FE_SAMPLE_RATE);
    const std::vector<int16_t> frame = noise(FE_FRAME_LEN, 8000, 1);
    float record[FE_RECORD_VALUES];
    for (auto _ : state) {
        const int16_t *src = frame.data();
        float *dst = record;
        fe_frame(&src, &dst);
        benchmark::DoNotOptimize(record[9]);
    }
    fe_free();
}
BENCHMARK(BM_FeFrame);

void BM_NnEval(benchmark::State &state) {
    const int k = static_cast<int>(state.range(0));
    const int path = static_cast<int>(state.range(1));
    nn_init_activation();
    nn_load(k);
    if (nn_set_path(path) < 0) {
        state.SkipWithError("path not available on this CPU");
        nn_free();
        return;
    }
    std::mt19937 rng(2);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> x(NN_INPUTS[k]);
    for (float &v : x) v = d(rng);
    for (auto _ : state) benchmark::DoNotOptimize(nn_eval(k, x.data()));
    state.SetLabel(path == NN_PATH_AVX2 ? "avx2" : "scalar");
    nn_set_path(NN_PATH_AUTO);
    nn_free();
}
BENCHMARK(BM_NnEval)->Args({0, NN_PATH_AVX2})->Args({0, NN_PATH_SCALAR})->Args({1, NN_PATH_AVX2})->Args({1, NN_PATH_SCALAR});

// One block of 10 frames: mean removal, front end, network 0 and the word
// finder for every frame, as the listening call runs it.
void BM_Block(benchmark::State &state) {
    static const int16_t none[1] = {};
    memdrv_set_source(none, 0);
    const int n = rec_init(MEMDRV_DRIVER, "");
    rec_start(n, 0);
    const std::vector<int16_t> source = noise(FE_BLOCK_SAMPLES, 8000, 3);
    std::vector<int16_t> block(FE_BLOCK_SAMPLES);
    for (auto _ : state) {
        state.PauseTiming();
        block = source;
        ep_reset_word(&rec_instance(n)->ep);
        state.ResumeTiming();
        benchmark::DoNotOptimize(rec_process_block(n, block.data()));
    }
    state.counters["rtf"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * FE_BLOCK_SAMPLES / FE_SAMPLE_RATE,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    rec_stop(n);
    rec_free(n);
}
BENCHMARK(BM_Block);

}  // namespace

BENCHMARK_MAIN();
