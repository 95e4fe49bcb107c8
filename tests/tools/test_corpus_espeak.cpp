// The corpus generator's espeak-ng voice: a breathy utterance's noise is its
// own seed's, whatever else drew random numbers before it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>

#include "espeak_voice.h"

namespace {

Speaker breathy() {  // "Alicia" adds breath noise to every voiced sound
    Speaker s{};
    s.variant = "Alicia";
    s.rate = 180;
    s.pitch = 50;
    s.range = 50;
    return s;
}

uint64_t fingerprint(const std::vector<float> &x) {
    uint64_t h = 1469598103934665603ull;
    for (float v : x) h = (h ^ (uint64_t)(int64_t)v) * 1099511628211ull;
    return h ^ x.size();
}

// espeak-ng keeps state from one utterance to the next, so each sequence
// runs in a fresh process of its own: the fingerprint of what `say` returns
// in a child that starts espeak-ng, or 0 when the child fails.
uint64_t in_fresh_process(const std::function<uint64_t()> &say) {
    int fd[2];
    if (pipe(fd) != 0) return 0;
    pid_t pid = fork();
    if (pid == 0) {
        close(fd[0]);
        uint64_t h = espeak_voice_start() > 0 ? say() : 0;
        ssize_t n = write(fd[1], &h, sizeof h);
        _exit(n == (ssize_t)sizeof h ? 0 : 1);
    }
    close(fd[1]);
    uint64_t h = 0;
    if (pid < 0 || read(fd[0], &h, sizeof h) != (ssize_t)sizeof h) h = 0;
    close(fd[0]);
    if (pid > 0) waitpid(pid, nullptr, 0);
    return h;
}

// Says "piros" with seed 7, lets `between` run, then says "fehér" with
// `seed`; the fingerprint of "fehér".
uint64_t second_word(unsigned seed, const std::function<void()> &between) {
    return in_fresh_process([&] {
        std::vector<float> a;
        if (!espeak_voice_say(breathy(), "piros", 7, &a)) return (uint64_t)0;
        between();
        return espeak_voice_say(breathy(), "fehér", seed, &a) ? fingerprint(a) : 0;
    });
}

TEST(CorpusEspeak, StrayRandomDrawsBetweenUtterancesLeaveTheNextUnchanged) {
    uint64_t plain = second_word(8, [] {});
    ASSERT_NE(plain, 0u) << "espeak-ng's hu+Alicia said nothing";
    EXPECT_EQ(second_word(8, [] { (void)rand(); }), plain);
    EXPECT_EQ(second_word(8, [] { for (int i = 0; i < 1000; i++) (void)rand(); }), plain);
    EXPECT_EQ(second_word(8, [] { srand(12345); }), plain);
}

TEST(CorpusEspeak, TheSeedReachesTheBreathNoise) {
    uint64_t eight = second_word(8, [] {});
    ASSERT_NE(eight, 0u);
    EXPECT_NE(second_word(9, [] {}), eight);
}

TEST(CorpusEspeak, VariantsAreSortedAndIncludeTheBreathyOne) {
    ASSERT_GT(espeak_voice_start(), 0);
    std::vector<std::string> v = espeak_voice_variants();
    espeak_voice_stop();
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
    EXPECT_NE(std::find(v.begin(), v.end(), "Alicia"), v.end());
}

}  // namespace
