// tarkabab-recognise — runs the game's recogniser over sound files.
//
// Each file is read with libsndfile, downmixed to mono, resampled to
// 20000 Hz (libsamplerate, best quality) and played through the memory
// driver into a recogniser instance, exactly as the game listens to the
// microphone.
#include "ep.h"
#include "memdrv.h"
#include "nn.h"
#include "rec.h"
#include "rec_probe.h"
#include "words.h"

#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char *kProg = "tarkabab-recognise";
constexpr double kFrameSeconds = static_cast<double>(FE_FRAME_LEN) / FE_SAMPLE_RATE;  // 12.8 ms
constexpr sf_count_t kReadChunk = 65536;  // frames per sf_readf_float
constexpr int kExitFailed = 2;

const char kUsage[] =
    "usage: tarkabab-recognise [--json] [--snr DB] [--scores | --features] [--nets DIR] FILE...\n"
    "\n"
    "Runs Tarkabab's speech recogniser over sound files, the way the game\n"
    "listens to the microphone. Any format libsndfile reads (WAV, FLAC, OGG, ...),\n"
    "any sample rate and channel count: the sound is downmixed to mono and\n"
    "resampled to 20000 Hz first. One second of silence is added after the end\n"
    "of each file so that a word running to the end is still closed.\n"
    "\n"
    "Output, one line per recognised utterance (tab-separated):\n"
    "  FILE  START  END  CLASS  WORD\n"
    "    START, END  seconds from the start of the file, three decimals: the\n"
    "                beginning of the word's first 12.8 ms frame and the end of\n"
    "                its last frame\n"
    "    CLASS       the recogniser's class 0..20, or -2 for an utterance longer\n"
    "                than the recogniser's 5-second frame ring\n"
    "    WORD        the class's word (piros, fehér, ... segítség), \"-\" for\n"
    "                class 0 (heard but not recognised) and for -2\n"
    "\n"
    "Options:\n"
    "  --json       one JSON object per line instead, with the fields\n"
    "               file, start, end, class, word (with --features: file, frame,\n"
    "               time, energy, peak, record, offset, speech)\n"
    "  --snr DB     SNR threshold in dB, the game's sensitivity, 0 < DB <= 70\n"
    "               (default 30): the loudest band of the last half second must\n"
    "               be at most DB decibels below full scale to count as speech\n"
    "  --scores     add the word network's 21 outputs (class 0..20) to every\n"
    "               utterance line (JSON: \"scores\"); a class is accepted only\n"
    "               when its output is the only positive one, so these show how\n"
    "               close a rejected word came\n"
    "  --features   instead of words, one line per 12.8 ms frame: file, frame\n"
    "               index, time (s), frame energy (sum of squares), frame peak,\n"
    "               the 21 record values (2..16 are the scaled features: 0.5 =\n"
    "               0 dB reference, 1.0 per 70 dB), the level offset and the\n"
    "               speech decision (0/1)\n"
    "  --nets DIR   use DIR/net0.f32 and DIR/net1.f32 (network images as\n"
    "               make train writes them) instead of the built-in networks\n"
    "  --help       this text\n"
    "\n"
    "Speech that the sensitivity kept out gets a note on stderr saying how\n"
    "quiet it was; a higher --snr hears it.\n"
    "\n"
    "A file that cannot be used (missing, unreadable, empty, truncated, not\n"
    "sound) gets one line on stderr; the other files are still processed.\n"
    "Exit status: 0 when every file was processed, 2 when any failed or the\n"
    "command line was wrong.\n";

struct Options {
    bool json = false;
    bool features = false;
    bool scores = false;
    bool snr_set = false;
    const char *nets = nullptr;
    float snr = REC_SNR_DEFAULT;
};

void fail(const char *file, const std::string &reason) {
    std::fprintf(stderr, "%s: %s: %s\n", kProg, file, reason.c_str());
}

// JSON string literal for s (bytes above 0x7f pass through: names are UTF-8).
std::string json_string(const char *s) {
    std::string out = "\"";
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(s); *p; ++p) {
        if (*p == '"' || *p == '\\') {
            out += '\\';
            out += static_cast<char>(*p);
        } else if (*p < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", *p);
            out += buf;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out + "\"";
}

// libsndfile quietly shortens a WAV/AIFF whose data chunk runs past the end
// of the file; its log then says "data : N (should be M)" or similar.
bool data_chunk_short(const char *log) {
    for (const char *line = log; line && *line; line = std::strchr(line, '\n') ? std::strchr(line, '\n') + 1 : nullptr) {
        const char *eol = std::strchr(line, '\n');
        const std::string l(line, eol ? static_cast<size_t>(eol - line) : std::strlen(line));
        if ((l.compare(0, 4, "data") == 0 || l.compare(0, 4, "SSND") == 0) && l.find("should be") != std::string::npos)
            return true;
        if (l.find("past end") != std::string::npos || l.find("truncated") != std::string::npos) return true;
    }
    return false;
}

// Reads, downmixes and resamples one file into samples at 20000 Hz.
bool load(const char *path, std::vector<int16_t> &samples, std::string &why) {
    struct stat st;
    if (stat(path, &st) != 0) return why = std::strerror(errno), false;
    if (S_ISDIR(st.st_mode)) return why = "is a directory", false;
    if (st.st_size == 0) return why = "empty file", false;

    SF_INFO info{};
    SNDFILE *sf = sf_open(path, SFM_READ, &info);
    if (!sf) {
        const int err = sf_error(nullptr);
        if (err == SF_ERR_SYSTEM) why = sf_strerror(nullptr);
        else why = std::string("not a sound file libsndfile can read (") + sf_strerror(nullptr) + ")";
        return false;
    }
    char log[4096] = {};
    sf_command(sf, SFC_GET_LOG_INFO, log, sizeof log);
    if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0) {
        sf_close(sf);
        return why = "no samples (empty sound file)", false;
    }

    std::vector<float> mono;
    std::vector<float> chunk(static_cast<size_t>(kReadChunk) * info.channels);
    sf_count_t got;
    while ((got = sf_readf_float(sf, chunk.data(), kReadChunk)) > 0) {
        for (sf_count_t f = 0; f < got; ++f) {
            double sum = 0;
            for (int c = 0; c < info.channels; ++c) sum += chunk[f * info.channels + c];
            mono.push_back(static_cast<float>(sum / info.channels));
        }
    }
    const int read_err = sf_error(sf);
    sf_close(sf);
    if (read_err != SF_ERR_NO_ERROR) return why = std::string("read error: ") + sf_error_number(read_err), false;
    if (static_cast<sf_count_t>(mono.size()) < info.frames || data_chunk_short(log)) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "truncated (the header announces more sound than the file holds; %zu samples readable)",
                      mono.size());
        return why = buf, false;
    }
    if (mono.empty()) return why = "no samples (empty sound file)", false;

    std::vector<float> out;
    if (info.samplerate == FE_SAMPLE_RATE) {
        out.swap(mono);
    } else {
        const double ratio = static_cast<double>(FE_SAMPLE_RATE) / info.samplerate;
        out.resize(static_cast<size_t>(std::ceil(mono.size() * ratio)) + 16);
        SRC_DATA d{};
        d.data_in = mono.data();
        d.input_frames = static_cast<long>(mono.size());
        d.data_out = out.data();
        d.output_frames = static_cast<long>(out.size());
        d.src_ratio = ratio;
        const int rc = src_simple(&d, SRC_SINC_BEST_QUALITY, 1);
        if (rc != 0) return why = std::string("cannot resample: ") + src_strerror(rc), false;
        out.resize(static_cast<size_t>(d.output_frames_gen));
        if (out.empty()) return why = "too short to resample", false;
    }
    samples.resize(out.size());
    src_float_to_short_array(out.data(), samples.data(), static_cast<int>(out.size()));
    return true;
}

struct FeatureCtx {
    const char *file;
    const Options *opt;
    size_t frames_in_file;
    float gate;              // the level gate's largest offset, snr / 70
    int gated_frames = 0;    // frames network 0 took for speech that the gate refused
    float gated_loudest = REC_LEVEL_FLOOR;  // their loudest band (scaled)
};

// Watches every frame: counts speech the level gate kept out and, with
// --features, prints the frame.
void watch_frame(void *ctx, const RecFrameInfo *f) {
    FeatureCtx &c = *static_cast<FeatureCtx *>(ctx);
    if (f->frame < 0 || static_cast<size_t>(f->frame) >= c.frames_in_file) return;
    if (f->net_class == 1 && f->offset > c.gate) {
        ++c.gated_frames;
        c.gated_loudest = std::max(c.gated_loudest, REC_WINDOW_CEIL - f->offset);
    }
    if (!c.opt->features) return;
    const double t = f->frame * kFrameSeconds;
    if (c.opt->json) {
        std::printf("{\"file\":%s,\"frame\":%lld,\"time\":%.4f,\"energy\":%.9g,\"peak\":%.9g,\"record\":[",
                    json_string(c.file).c_str(), static_cast<long long>(f->frame), t, f->energy, f->peak);
        for (int i = 0; i < FE_RECORD_VALUES; ++i) std::printf(i ? ",%.9g" : "%.9g", f->record[i]);
        std::printf("],\"offset\":%.9g,\"speech\":%d}\n", f->offset, f->speech);
    } else {
        std::printf("%s\t%lld\t%.4f\t%.9g\t%.9g", c.file, static_cast<long long>(f->frame), t, f->energy, f->peak);
        for (int i = 0; i < FE_RECORD_VALUES; ++i) std::printf("\t%.9g", f->record[i]);
        std::printf("\t%.9g\t%d\n", f->offset, f->speech);
    }
}

void print_word(const char *file, const Options &opt, int64_t first, int64_t last, int cls) {
    const double start = (first < 0 ? 0 : first) * kFrameSeconds;
    const double end = (last + 1) * kFrameSeconds;
    const char *word = cls >= 1 && cls < kClassCount ? kClassWords[cls] : "-";
    // An utterance too long for the ring (-2) never reached the word network.
    int count = 0;
    const float *scores = opt.scores && cls >= 0 ? nn_last_outputs(1, &count) : nullptr;
    if (!scores) count = 0;
    if (opt.json) {
        std::printf("{\"file\":%s,\"start\":%.3f,\"end\":%.3f,\"class\":%d,\"word\":%s",
                    json_string(file).c_str(), start, end, cls, json_string(word).c_str());
        if (opt.scores) {
            std::printf(",\"scores\":[");
            for (int i = 0; i < count; ++i) std::printf(i ? ",%.6f" : "%.6f", scores[i]);
            std::printf("]");
        }
        std::printf("}\n");
    } else {
        std::printf("%s\t%.3f\t%.3f\t%d\t%s", file, start, end, cls, word);
        for (int i = 0; i < count; ++i) std::printf("\t%.6f", scores[i]);
        std::printf("\n");
    }
}

// Speech kept out by the level gate is the commonest reason for "no words":
// a recording quieter than the sensitivity expects. Says so on stderr.
void warn_too_quiet(const FeatureCtx &c, float snr) {
    const float loudest_db = (c.gated_loudest - REC_WINDOW_CEIL) * REC_SNR_MAX;
    std::fprintf(stderr,
                 "%s: %s: note: %.2f s of speech was too quiet for the sensitivity and ignored "
                 "(its loudest band reaches %.1f dB; --snr %g needs %.0f dB or louder); "
                 "a higher --snr, like the game's Up arrow, hears it\n",
                 kProg, c.file, c.gated_frames * kFrameSeconds, loudest_db, snr, -snr);
}

// Runs one file's samples through a recogniser instance.
bool recognise(const char *file, const std::vector<int16_t> &samples, const Options &opt, std::string &why) {
    memdrv_set_source(samples.data(), samples.size());
    const int inst = rec_init(MEMDRV_DRIVER, "");
    if (inst < 0) {
        memdrv_set_source(nullptr, 0);
        return why = "recogniser failed to start (code " + std::to_string(inst) + ")", false;
    }
    if (opt.snr_set) rec_set_snr(inst, opt.snr);
    FeatureCtx ctx{file, &opt, (samples.size() + FE_FRAME_LEN - 1) / FE_FRAME_LEN, rec_get_snr(inst) / REC_SNR_MAX};
    rec_set_frame_hook(watch_frame, &ctx);
    bool ok = rec_start(inst, 0) == 0;
    int rc = 0;
    while (ok) {
        rc = rec_listen(inst);
        if (rc < 0 && rc != -2) break;
        int64_t first = 0, last = 0;
        if (!opt.features && rec_word_frames(inst, &first, &last) == 0) print_word(file, opt, first, last, rc);
    }
    rec_set_frame_hook(nullptr, nullptr);
    if (ctx.gated_frames >= rec_params.startFrames) warn_too_quiet(ctx, rec_get_snr(inst));
    rec_stop(inst);
    rec_free(inst);
    if (!ok) return why = "recogniser failed to start capture", false;
    if (rc != -4) return why = "recogniser stopped with code " + std::to_string(rc), false;
    return true;
}

// Installs DIR/net0.f32 and DIR/net1.f32 in place of the built-in images.
bool install_networks(const char *dir, std::string &why) {
    for (int k = 0; k < 2; ++k) {
        const std::string path = std::string(dir) + "/net" + std::to_string(k) + ".f32";
        FILE *f = std::fopen(path.c_str(), "rb");
        if (!f) return why = path + ": " + std::strerror(errno), false;
        std::vector<float> image;
        float v;
        while (std::fread(&v, sizeof v, 1, f) == 1) image.push_back(v);
        std::fclose(f);
        if (image.empty()) return why = path + ": empty", false;
        const int rc = nn_install_image(k, image.data(), image.size());
        if (rc != 0) return why = path + ": not a network image for network " + std::to_string(k) + " (code " +
                                  std::to_string(rc) + ")", false;
    }
    return true;
}

bool parse_snr(const char *text, Options &opt) {
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno || end == text || *end != '\0' || !(v > 0.0 && v <= REC_SNR_MAX)) {
        std::fprintf(stderr, "%s: --snr wants a number of decibels above 0 and at most 70, not '%s'\n", kProg,
                     text);
        return false;
    }
    opt.snr = static_cast<float>(v);
    opt.snr_set = true;
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    Options opt;
    std::vector<const char *> files;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (options_done || a[0] != '-' || a[1] == '\0') {
            files.push_back(a);
        } else if (!std::strcmp(a, "--")) {
            options_done = true;
        } else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!std::strcmp(a, "--json")) {
            opt.json = true;
        } else if (!std::strcmp(a, "--features")) {
            opt.features = true;
        } else if (!std::strcmp(a, "--scores")) {
            opt.scores = true;
        } else if (!std::strcmp(a, "--nets") || !std::strncmp(a, "--nets=", 7)) {
            if (a[6] == '=') {
                opt.nets = a + 7;
            } else if (i + 1 < argc) {
                opt.nets = argv[++i];
            } else {
                std::fprintf(stderr, "%s: --nets needs a directory\n", kProg);
                return kExitFailed;
            }
        } else if (!std::strcmp(a, "--snr")) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s: --snr needs a value in dB (0 < DB <= 70)\n", kProg);
                return kExitFailed;
            }
            if (!parse_snr(argv[++i], opt)) return kExitFailed;
        } else if (!std::strncmp(a, "--snr=", 6)) {
            if (!parse_snr(a + 6, opt)) return kExitFailed;
        } else {
            std::fprintf(stderr, "%s: unknown option '%s' (see --help)\n", kProg, a);
            return kExitFailed;
        }
    }
    if (opt.scores && opt.features) {
        std::fprintf(stderr, "%s: --scores and --features do not go together (--features prints frames, not words)\n",
                     kProg);
        return kExitFailed;
    }
    if (files.empty()) {
        std::fprintf(stderr, "%s: no files given\n%s", kProg, kUsage);
        return kExitFailed;
    }

    std::string why;
    if (opt.nets && !install_networks(opt.nets, why)) {
        std::fprintf(stderr, "%s: --nets: %s\n", kProg, why.c_str());
        return kExitFailed;
    }
    bool all_ok = true;
    std::vector<int16_t> samples;
    for (const char *file : files) {
        why.clear();
        if (!load(file, samples, why) || !recognise(file, samples, opt, why)) {
            std::fflush(stdout);
            fail(file, why);
            all_ok = false;
        }
    }
    std::fflush(stdout);
    if (opt.nets)
        for (int k = 0; k < 2; ++k) nn_install_image(k, nullptr, 0);
    return all_ok ? 0 : kExitFailed;
}
