// synth.cpp — `tarkabab-corpus`: writes the synthetic Hungarian corpus.
//
// Speakers are espeak-ng's Hungarian voice with each of its voice variants,
// several speakers per variant with their own rate, pitch and pitch range,
// a vocal-tract factor (every frequency times 0.85 .. 1.15, applied while
// resampling to 20 000 Hz) and, for about a third of them, a Praat PSOLA
// "Change gender" pass that moves the formants independently of pitch and
// duration. Every speaker says the twenty vocabulary words and a handful of
// negatives: words that sound like vocabulary words, dictionary words,
// fragments of vocabulary words and non-speech sounds (coughs, clicks,
// breaths, knocks, noise bursts). The same seed writes the same corpus.
//
// A second synthesiser adds voices made from recordings of real people:
// Festival's Czech, Finnish, English, Italian, Catalan, Russian and Hindi
// voices, and two more English speakers through flite (Festival's small
// runtime), say the same words, respelled or written in their own phones
// (respell.h), each as several speakers with their own tempo, vocal-tract
// factor and Praat pass. Their accent is foreign, their timbre human. One Czech, one
// Finnish and one English voice of Festival's, its Russian one and flite's
// two are held out.
#include <iconv.h>
#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "corpus.h"
#include "espeak_voice.h"
#include "respell.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kHeldOutEvery = 5;      // every fifth voice variant is never trained on
constexpr int kHeldOutPhase = 0;   // variants 0, 5, ... 100: 21 of 101
constexpr int kMarginMs = 60;         // silence kept around a trimmed utterance
constexpr int kWorkers = 2;           // threads (and praat processes) for the two cores
// Festival has twelve base voices against espeak-ng's hundred variants: more of
// its speakers get a Praat pass (formants and pitch; the tempo is Festival's).
constexpr double kFestivalPraatShare = 0.6;

struct Options {
    std::string out = "corpus";
    std::string dict = "/usr/share/hunspell/hu_HU.dic";
    std::string praatScript;
    uint64_t seed = 1;
    int trainPerVariant = 8;
    int testPerVariant = 3;
    int dictWords = 6;        // dictionary negatives per speaker
    int nearWords = 6;        // near-word negatives per speaker
    int fragments = 2;
    int noises = 3;
    double praatShare = 0.35;
    // Speakers per training Festival voice. Its voices are the only ones made
    // from recordings of real people: 24 instead of 12 gained one to seven
    // points on the held-out Festival voices for about one and a half on
    // espeak-ng's held-out speakers.
    int festivalTrain = 24;
    int festivalTest = 6;     // speakers per held-out Festival voice
};

struct Pending {               // one utterance on its way into the corpus
    int speaker, cls, kind;
    std::string text;
    std::vector<float> audio;  // at the synthesiser's rate until resampled
    float praatGain = 1;       // scale handed to Praat, undone on return
};

// ---- signal helpers ----------------------------------------------------------

std::vector<float> resample(const std::vector<float> &in, double ratio) {
    std::vector<float> out((size_t)(in.size() * ratio) + 64);
    SRC_DATA d{};
    d.data_in = in.data();
    d.input_frames = (long)in.size();
    d.data_out = out.data();
    d.output_frames = (long)out.size();
    d.src_ratio = ratio;
    if (src_simple(&d, SRC_SINC_MEDIUM_QUALITY, 1) != 0) return {};
    out.resize(d.output_frames_gen);
    return out;
}

// Cuts leading and trailing near-silence, keeping kMarginMs of it.
void trim(std::vector<float> &x) {
    float top = 0;
    for (float v : x) top = std::max(top, std::fabs(v));
    if (top <= 0) return;
    float floor = top * 0.003f;  // about -50 dB
    size_t a = 0, b = x.size();
    while (a < b && std::fabs(x[a]) < floor) a++;
    while (b > a && std::fabs(x[b - 1]) < floor) b--;
    size_t m = kMarginMs * kCorpusRate / 1000;
    a = a > m ? a - m : 0;
    b = std::min(x.size(), b + m);
    x = std::vector<float>(x.begin() + a, x.begin() + b);
}

struct Resonator {  // two-pole band-pass at fc with bandwidth bw
    double a1, a2, g, y1 = 0, y2 = 0;
    Resonator(double fc, double bw) {
        double r = std::exp(-kPi * bw / kCorpusRate);
        a1 = 2 * r * std::cos(2 * kPi * fc / kCorpusRate);
        a2 = -r * r;
        g = 1 - r;
    }
    double run(double x) { double y = g * x + a1 * y1 + a2 * y2; y2 = y1; y1 = y; return y; }
};

// Non-speech sounds a microphone picks up, made at 20 000 Hz.
std::vector<float> make_sound(int which, Rng &rng, std::string *name) {
    static const char *const kNames[] = {"köhögés", "kattanás", "légzés", "kopogás", "zajlöket"};
    *name = kNames[which];
    std::vector<float> x((size_t)(0.1 * kCorpusRate), 0.0f);
    auto ms = [](double v) { return (size_t)(v * kCorpusRate / 1000); };
    switch (which) {
    case 0: {  // cough: one or two noisy bursts through two resonances
        int bursts = 1 + rng.below(2);
        for (int b = 0; b < bursts; b++) {
            Resonator r1(rng.uniform(300, 1200), rng.uniform(150, 400)), r2(rng.uniform(1500, 3000), rng.uniform(300, 800));
            size_t len = ms(rng.uniform(120, 300));
            double tau = rng.uniform(40, 120) * kCorpusRate / 1000;
            for (size_t i = 0; i < len; i++) {
                double env = std::min(1.0, i / (0.01 * kCorpusRate)) * std::exp(-(double)i / tau);
                double w = rng.gauss();
                x.push_back((float)(env * (r1.run(w) * 3 + r2.run(w) * 2 + 0.2 * w)));
            }
            x.resize(x.size() + ms(rng.uniform(60, 200)), 0.0f);
        }
        break;
    }
    case 1: {  // clicks
        int clicks = 1 + rng.below(4);
        for (int k = 0; k < clicks; k++) {
            size_t len = ms(rng.uniform(2, 10));
            for (size_t i = 0; i < len; i++) x.push_back((float)(rng.gauss() * std::exp(-(double)i / (len / 4.0 + 1))));
            x.resize(x.size() + ms(rng.uniform(50, 300)), 0.0f);
        }
        break;
    }
    case 2: {  // breath: soft high-passed noise, slow envelope
        size_t len = ms(rng.uniform(300, 800));
        double prev = 0;
        for (size_t i = 0; i < len; i++) {
            double w = rng.gauss(), hp = w - 0.9 * prev;
            prev = w;
            x.push_back((float)(0.3 * hp * std::sin(kPi * i / len)));
        }
        break;
    }
    case 3: {  // knocks: damped low resonances with a hard edge
        int knocks = 1 + rng.below(3);
        for (int k = 0; k < knocks; k++) {
            double f1 = rng.uniform(80, 400), f2 = rng.uniform(800, 2000), tau = rng.uniform(15, 60) * kCorpusRate / 1000;
            size_t len = ms(200);
            for (size_t i = 0; i < len; i++) {
                double t = (double)i / kCorpusRate, e = std::exp(-(double)i / tau);
                x.push_back((float)(e * (std::sin(2 * kPi * f1 * t) + 0.3 * std::sin(2 * kPi * f2 * t) * e)));
            }
            x.resize(x.size() + ms(rng.uniform(20, 150)), 0.0f);
        }
        break;
    }
    default: {  // noise burst in a random band
        Resonator r(rng.uniform(200, 4000), rng.uniform(200, 2000));
        size_t len = ms(rng.uniform(100, 800));
        for (size_t i = 0; i < len; i++) x.push_back((float)(r.run(rng.gauss()) * std::sin(kPi * i / len)));
        break;
    }
    }
    x.resize(x.size() + ms(100), 0.0f);
    return x;
}

// ---- Praat -----------------------------------------------------------------

bool write_wav(const std::string &path, const std::vector<float> &x, int rate) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    sf_count_t n = sf_write_float(f, x.data(), (sf_count_t)x.size());
    sf_close(f);
    return n == (sf_count_t)x.size();
}

bool read_wav(const std::string &path, std::vector<float> *x, int *rate) {
    SF_INFO info{};
    SNDFILE *f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f || info.channels != 1) { if (f) sf_close(f); return false; }
    x->resize(info.frames);
    sf_count_t n = sf_read_float(f, x->data(), info.frames);
    sf_close(f);
    *rate = info.samplerate;
    return n == info.frames && n > 0;
}

// Runs the PSOLA pass over every utterance of a Praat speaker, in `jobs`
// praat processes; utterances whose pass fails keep their plain voice.
void praat_pass(const Options &o, const std::vector<Speaker> &spk, std::vector<Pending> &pend,
                int rate, int jobs) {
    // Praat resolves relative paths against the script's folder: use absolute ones.
    char *abs = realpath(o.out.c_str(), nullptr);
    std::string tmp = std::string(abs ? abs : o.out.c_str()) + "/praat.tmp";
    free(abs);
    mkdir(tmp.c_str(), 0755);
    std::vector<std::vector<size_t>> share(jobs);
    int next = 0;
    for (size_t i = 0; i < pend.size(); i++) {
        const Speaker &s = spk[pend[i].speaker];
        if (s.formant == 1.0 && s.pitchMedian == 0 && s.duration == 1.0) continue;
        if (pend[i].kind == kKindNoise) continue;
        // Praat keeps the WAV's -1..1 scale and saves 16-bit: hand it the
        // utterance at half full scale and undo that on the way back.
        float top = 1;
        for (float v : pend[i].audio) top = std::max(top, std::fabs(v));
        std::vector<float> scaled = pend[i].audio;
        for (float &v : scaled) v *= 0.5f / top;
        pend[i].praatGain = 2 * top;
        if (!write_wav(tmp + "/in" + std::to_string(i) + ".wav", scaled, rate)) continue;
        share[next++ % jobs].push_back(i);
    }
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs; j++) {
        std::string list = tmp + "/list" + std::to_string(j) + ".txt";
        std::ofstream l(list);
        for (size_t i : share[j]) {
            const Speaker &s = spk[pend[i].speaker];
            char line[512];
            snprintf(line, sizeof line, "%s/in%zu.wav %s/out%zu.wav %.4f %.1f %.3f %.4f", tmp.c_str(), i,
                     tmp.c_str(), i, s.formant, s.pitchMedian, 1.0, s.duration);
            l << line << '\n';
        }
        l.close();
        std::string cmd = "praat --run '" + o.praatScript + "' '" + list + "' >/dev/null 2>&1";
        workers.emplace_back([cmd] {
            if (std::system(cmd.c_str()) != 0) fprintf(stderr, "tarkabab-corpus: a praat batch failed\n");
        });
    }
    for (auto &w : workers) w.join();
    int done = 0;
    for (auto &sh : share)
        for (size_t i : sh) {
            std::vector<float> y;
            int r = 0;
            std::string in = tmp + "/in" + std::to_string(i) + ".wav", out = tmp + "/out" + std::to_string(i) + ".wav";
            if (read_wav(out, &y, &r) && r == rate) {
                for (float &v : y) v *= pend[i].praatGain;
                pend[i].audio = std::move(y);
                done++;
            }
            remove(in.c_str());
            remove(out.c_str());
        }
    for (int j = 0; j < jobs; j++) remove((tmp + "/list" + std::to_string(j) + ".txt").c_str());
    rmdir(tmp.c_str());
    fprintf(stderr, "tarkabab-corpus: Praat changed %d utterances\n", done);
}

// ---- Festival ---------------------------------------------------------------

enum class Engine { Festival, Flite };

struct FestivalVoice {
    Engine engine;
    const char *name;     // Festival's (voice_NAME), or flite's -voice NAME
    Reader reader;
    const char *charset;  // what the voice's text front end reads (spelling readers)
    bool heldOut;
    const char *package;  // the Debian packages that install it
};

const FestivalVoice kFestivalVoices[] = {
    {Engine::Festival, "czech_dita", Reader::Czech, "ISO-8859-2", false, "festvox-czech-dita"},
    {Engine::Festival, "czech_krb", Reader::Czech, "ISO-8859-2", false, "festvox-czech-krb"},
    {Engine::Festival, "czech_machac", Reader::Czech, "ISO-8859-2", false, "festvox-czech-machac"},
    {Engine::Festival, "hy_fi_mv_diphone", Reader::Finnish, "ISO-8859-1", false, "festvox-suopuhe-mv"},
    {Engine::Festival, "czech_ph", Reader::Czech, "ISO-8859-2", true, "festvox-czech-ph"},
    {Engine::Festival, "suo_fi_lj_diphone", Reader::Finnish, "ISO-8859-1", true, "festvox-suopuhe-lj"},
    {Engine::Festival, "kal_diphone", Reader::English, nullptr, false, "festvox-kallpc16k"},
    {Engine::Festival, "cmu_us_slt_arctic_hts", Reader::English, nullptr, false, "festvox-us-slt-hts"},
    {Engine::Festival, "pc_diphone", Reader::Italian, nullptr, false, "festvox-itapc16k"},
    {Engine::Festival, "lp_diphone", Reader::Italian, nullptr, false, "festvox-italp16k"},
    {Engine::Festival, "upc_ca_ona_hts", Reader::Catalan, nullptr, false, "festvox-ca-ona-hts"},
    {Engine::Festival, "ked_diphone", Reader::English, nullptr, true, "festvox-kdlpc16k"},
    // Held out to measure how unheard voices of new kinds fare. As training
    // voices they moved the held-out figures by less than the spread between
    // runs and cost the plain espeak-ng voice's "kék" half of its alignments.
    {Engine::Festival, "msu_ru_nsh_clunits", Reader::Russian, "UTF-8", true, "festvox-ru"},
    {Engine::Flite, "awb", Reader::English, nullptr, true, "flite"},
    {Engine::Flite, "rms", Reader::English, nullptr, true, "flite"},
    {Engine::Festival, "hindi_NSK_diphone", Reader::Hindi, nullptr, false, "festvox-hi-nsk festival-hi"},
};

// The speakers' variant name: "festival:czech_ph", "festival:flite-awb".
std::string voice_variant(const FestivalVoice &v) {
    return kFestivalPrefix + std::string(v.engine == Engine::Flite ? "flite-" : "") + v.name;
}

const FestivalVoice *festival_voice(const Speaker &s) {
    for (const FestivalVoice &v : kFestivalVoices)
        if (s.variant == voice_variant(v)) return &v;
    return nullptr;
}

// UTF-8 to the voice's charset; characters it lacks become their nearest.
std::string to_charset(const std::string &utf8, const char *charset) {
    std::string target = std::string(charset) + "//TRANSLIT";
    iconv_t cd = iconv_open(target.c_str(), "UTF-8");
    if (cd == (iconv_t)-1) return utf8;
    std::string out(utf8.size() * 4 + 4, '\0');
    char *in = const_cast<char *>(utf8.data()), *o = &out[0];
    size_t inLeft = utf8.size(), outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (rc == (size_t)-1) return utf8;
    out.resize(out.size() - outLeft);
    return out;
}

// A letters-only name for the n-th word of a batch ("hwa", "hwb", ...), so
// that no text front end reads it as a number. flite spells out a token
// without a vowel ("hwb" is "H W B") before it looks in its addenda, so its
// names start with "ho" ("hoa", "hob", ...).
std::string entry_name(size_t n, const char *start = "hw") {
    std::string name = start;
    do { name += (char)('a' + n % 26); n /= 26; } while (n > 0);
    return name;
}

// The Scheme utterance that says `text`: respelled text for a spelling
// reader; otherwise the names of lexicon entries in the reader's phones,
// each entry written to `script` first and counted in `entries`.
std::string festival_utterance(const std::string &text, const FestivalVoice &v, std::ofstream &script,
                               size_t *entries) {
    if (reader_spells(v.reader)) {
        std::string safe;
        for (char ch : respell(text, v.reader)) if (ch != '"' && ch != '\\') safe += ch;
        return "(Utterance Text \"" + to_charset(safe, v.charset) + "\")";
    }
    std::string words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        std::string name = entry_name((*entries)++);
        script << "(lex.add.entry '(\"" << name << "\" nil " << festival_pronunciation(word, v.reader) << "))\n";
        words += (words.empty() ? "" : " ") + name;
    }
    // English's text front end looks such names up in the lexicon (and
    // crashes on a Words utterance of two words); Italian's and Catalan's
    // spell out a token they cannot read, so they get Words.
    if (v.reader == Reader::English) return "(Utterance Text \"" + words + "\")";
    return "(Utterance Words (" + words + "))";
}

// Reads a synthesiser's file back at `rate` in 16-bit sample units, then
// removes it; empty when there is none.
std::vector<float> take_wav(const std::string &wav, int rate) {
    std::vector<float> x, out;
    int r = 0;
    if (read_wav(wav, &x, &r) && r > 0) {
        out = resample(x, (double)rate / r);
        for (float &val : out) val *= 32768.0f;
    }
    remove(wav.c_str());
    return out;
}

// Every text of one Festival speaker in one festival process (a Scheme
// batch); out[k] is empty where an utterance failed. Audio comes back at
// `rate` in 16-bit sample units, like espeak-ng's. Festival's Italian
// diphone voices now and then crash on a short word at a fast tempo; the
// batch then resumes in a new process after the utterance that crashed it.
void festival_speak(const std::string &tmp, const Speaker &s, const FestivalVoice &v,
                    const std::vector<std::string> &texts, int rate, std::vector<std::vector<float>> *out) {
    mkdir(tmp.c_str(), 0755);
    std::string script = tmp + "/batch.scm";
    auto wav_of = [&](size_t k) { return tmp + "/u" + std::to_string(k) + ".wav"; };
    for (size_t from = 0; from < texts.size();) {
        {
            std::ofstream f(script);
            f << "(voice_" << v.name << ")\n(Parameter.set 'Duration_Stretch " << s.rate / 100.0 << ")\n";
            size_t entries = 0;
            for (size_t k = from; k < texts.size(); k++) {
                std::string utterance = festival_utterance(texts[k], v, f, &entries);  // entries first
                f << "(utt.save.wave (utt.synth " << utterance << ") \"" << wav_of(k) << "\" 'riff)\n";
            }
        }
        // Festival's Italian diphone voices read memory they never wrote where a
        // diphone is missing (a burst of garbage samples now and then, a
        // crash at a fast tempo). Filling fresh memory with a fixed byte makes
        // each run the same as the last, so the corpus stays reproducible.
        std::string cmd = "MALLOC_PERTURB_=85 festival -b '" + script + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) break;
        while (from < texts.size() && access(wav_of(from).c_str(), F_OK) == 0) from++;
        from++;  // the utterance it failed on
    }
    out->assign(texts.size(), {});
    for (size_t k = 0; k < texts.size(); k++) (*out)[k] = take_wav(wav_of(k), rate);
    remove(script.c_str());
    rmdir(tmp.c_str());
}

// Every text of one speaker of a flite voice, one flite process each (about
// 40 ms): the words are lexicon addenda in the English reader's phones,
// the tempo flite's duration stretch. out[k] is empty where one failed.
void flite_speak(const std::string &tmp, const Speaker &s, const FestivalVoice &v,
                 const std::vector<std::string> &texts, int rate, std::vector<std::vector<float>> *out) {
    mkdir(tmp.c_str(), 0755);
    std::string lex = tmp + "/words.lex", wav = tmp + "/u.wav";
    out->assign(texts.size(), {});
    char stretch[32];
    snprintf(stretch, sizeof stretch, "%.2f", s.rate / 100.0);
    for (size_t k = 0; k < texts.size(); k++) {
        std::string words;
        {
            std::ofstream f(lex);
            size_t entries = 0;
            std::istringstream in(texts[k]);
            for (std::string word; in >> word;) {
                std::string name = entry_name(entries++, "ho"), phones = flite_pronunciation(word);
                if (phones.empty()) continue;
                f << name << " : " << phones << "\n";
                words += (words.empty() ? "" : " ") + name;
            }
        }
        if (words.empty()) continue;
        std::string cmd = "flite -voice " + std::string(v.name) + " -add_lex '" + lex + "' --setf duration_stretch=" +
                          stretch + " -t '" + words + "' -o '" + wav + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) (*out)[k] = take_wav(wav, rate);
        else remove(wav.c_str());
    }
    remove(lex.c_str());
    rmdir(tmp.c_str());
}

// A speaker's vocal-tract factor and, for `praatShare` of speakers, a Praat
// pass: formant shift, new pitch median (seven times in ten) and, when
// `duration`, a duration factor (Festival speakers get their tempo from
// Festival itself).
void draw_timbre(Rng &rng, double praatShare, bool duration, Speaker *s) {
    s->vtl = rng.uniform(0.85, 1.15);
    s->formant = 1.0; s->pitchMedian = 0; s->duration = 1.0;
    if (rng.chance(praatShare)) {
        s->formant = rng.uniform(0.82, 1.22);
        s->pitchMedian = rng.chance(0.7) ? rng.uniform(85, 290) : 0;
        if (duration) s->duration = rng.uniform(0.85, 1.2);
    }
}

std::vector<std::string> dictionary_words(const std::string &path) {
    std::ifstream f(path);
    std::set<std::string> words;
    std::string line;
    while (std::getline(f, line)) {
        size_t cut = line.find_first_of("/\t ");
        std::string w = line.substr(0, cut);
        if (usable_negative(w)) words.insert(w);
    }
    return std::vector<std::string>(words.begin(), words.end());
}

void usage() {
    fputs("usage: tarkabab-corpus --out DIR --praat-script FILE [options]\n"
          "Writes the synthetic Hungarian corpus (speakers.tsv, utts.tsv, audio.s16) into DIR.\n"
          "  --seed N              random seed (default 1); the same seed gives the same corpus\n"
          "  --train-speakers N    speakers per training voice variant (default 8)\n"
          "  --test-speakers N     speakers per held-out voice variant (default 3)\n"
          "  --dict FILE           hunspell dictionary for negatives (default hu_HU.dic)\n"
          "  --praat-share X       share of speakers given a Praat PSOLA pass (default 0.35)\n"
          "  --festival-train N    speakers per training Festival voice (default 24; 0: no Festival)\n"
          "  --festival-test N     speakers per held-out Festival voice (default 6)\n",
          stderr);
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto val = [&] { return option_value("tarkabab-corpus", argc, argv, i); };
        if (a == "--out") o.out = val();
        else if (a == "--seed") o.seed = std::strtoull(val().c_str(), nullptr, 10);
        else if (a == "--train-speakers") o.trainPerVariant = std::atoi(val().c_str());
        else if (a == "--test-speakers") o.testPerVariant = std::atoi(val().c_str());
        else if (a == "--dict") o.dict = val();
        else if (a == "--praat-script") o.praatScript = val();
        else if (a == "--praat-share") o.praatShare = std::atof(val().c_str());
        else if (a == "--festival-train") o.festivalTrain = std::atoi(val().c_str());
        else if (a == "--festival-test") o.festivalTest = std::atoi(val().c_str());
        else if (a == "--help" || a == "-h") { usage(); return 0; }
        else { fprintf(stderr, "tarkabab-corpus: unknown option %s\n", a.c_str()); usage(); return 2; }
    }
    if (o.festivalTrain < 0 || o.festivalTest < 0) { fputs("tarkabab-corpus: Festival speaker counts must not be negative\n", stderr); return 2; }
    if (o.trainPerVariant < 1 || o.testPerVariant < 1) { fputs("tarkabab-corpus: speaker counts must be positive\n", stderr); return 2; }
    if (o.praatScript.empty()) o.praatShare = 0;
    mkdir(o.out.c_str(), 0755);

    int rate = espeak_voice_start();
    if (rate <= 0) { fputs("tarkabab-corpus: espeak-ng failed to start\n", stderr); return 1; }
    std::vector<std::string> variants = espeak_voice_variants();
    if (variants.empty()) { fputs("tarkabab-corpus: no espeak-ng voice variants found\n", stderr); return 1; }
    std::vector<std::string> dict = dictionary_words(o.dict);
    if (dict.empty()) { fprintf(stderr, "tarkabab-corpus: no usable words in %s\n", o.dict.c_str()); return 1; }

    Corpus c;
    Rng rng(seed_mix(o.seed, 1));
    for (size_t v = 0; v < variants.size(); v++) {
        bool test = (int)(v % kHeldOutEvery) == kHeldOutPhase;
        int count = test ? o.testPerVariant : o.trainPerVariant;
        for (int k = 0; k < count; k++) {
            Speaker s;
            s.id = (int)c.speakers.size();
            s.split = test ? kSplitTest : kSplitTrain;
            s.variant = variants[v];
            s.rate = (int)rng.uniform(105, 230);
            s.pitch = (int)rng.uniform(10, 90);
            s.range = (int)rng.uniform(15, 90);
            draw_timbre(rng, o.praatShare, true, &s);
            c.speakers.push_back(s);
        }
    }
    // The programs that speak the recorded voices, each with a command that
    // fails when it is missing.
    const struct { const char *name, *probe; } kVoicePrograms[] = {{"festival", "festival --version"},
                                                                   {"flite", "flite -lv"}};
    for (const auto &p : kVoicePrograms)
        if (o.festivalTrain > 0 && std::system((std::string(p.probe) + " >/dev/null 2>&1").c_str()) != 0) {
            fprintf(stderr, "tarkabab-corpus: %s is missing (apt-get install %s), or use --festival-train 0\n", p.name,
                    p.name);
            return 1;
        }
    for (const FestivalVoice &v : kFestivalVoices) {
        int count = o.festivalTrain == 0 ? 0 : v.heldOut ? o.festivalTest : o.festivalTrain;
        for (int k = 0; k < count; k++) {
            Speaker s;
            s.id = (int)c.speakers.size();
            s.split = v.heldOut ? kSplitTest : kSplitTrain;
            s.variant = voice_variant(v);
            s.rate = (int)rng.uniform(80, 125);  // Festival's duration stretch, in percent
            s.pitch = 0; s.range = 0;
            draw_timbre(rng, kFestivalPraatShare, false, &s);
            c.speakers.push_back(s);
        }
    }

    // What every speaker says: the vocabulary, then its own draw of negatives.
    std::vector<std::vector<std::pair<int, std::string>>> says(c.speakers.size());  // class, text
    for (const Speaker &s : c.speakers) {
        Rng r(seed_mix(o.seed, 2, s.id));
        auto &say = says[s.id];
        for (int cls = 1; cls <= kVocabularyClasses; cls++) say.push_back({cls, class_word(cls)});
        for (int k = 0; k < o.nearWords; k++) say.push_back({-kKindOov, kNearWords[r.below(kNearWordCount)]});
        for (int k = 0; k < o.dictWords; k++) say.push_back({-kKindOov, dict[r.below((int)dict.size())]});
    }
    // Festival and flite run as programs of their own: two threads drive them
    // (alternate speakers, a work folder each) while this one speaks with
    // espeak-ng, whose library keeps global state. Each speaker's audio has
    // its own slot, so the corpus is the same however they interleave.
    std::vector<std::vector<std::vector<float>>> audio(c.speakers.size());
    std::vector<int> recordedSpeakers;
    for (const Speaker &s : c.speakers) if (festival_voice(s)) recordedSpeakers.push_back(s.id);
    const FestivalVoice *silentVoice[kWorkers] = {};
    auto drive = [&](int worker) {
        std::string tmp = o.out + "/voices" + std::to_string(worker) + ".tmp";
        for (size_t i = worker; i < recordedSpeakers.size(); i += kWorkers) {
            const Speaker &s = c.speakers[recordedSpeakers[i]];
            const FestivalVoice *fv = festival_voice(s);
            std::vector<std::string> texts;
            for (auto &w : says[s.id]) texts.push_back(w.second);
            if (fv->engine == Engine::Flite) flite_speak(tmp, s, *fv, texts, rate, &audio[s.id]);
            else festival_speak(tmp, s, *fv, texts, rate, &audio[s.id]);
            auto &a = audio[s.id];
            if (std::all_of(a.begin(), a.end(), [](const std::vector<float> &x) { return x.empty(); })) {
                silentVoice[worker] = fv;
                return;
            }
        }
    };
    std::thread recorded[kWorkers];
    for (int j = 0; j < kWorkers; j++) recorded[j] = std::thread(drive, j);
    for (const Speaker &s : c.speakers) {
        if (festival_voice(s)) continue;
        for (size_t k = 0; k < says[s.id].size(); k++) {
            audio[s.id].emplace_back();
            unsigned noiseSeed = (unsigned)seed_mix(o.seed, 4, s.id, k);
            espeak_voice_say(s, says[s.id][k].second, noiseSeed, &audio[s.id].back());
        }
    }
    for (std::thread &t : recorded) t.join();
    for (const FestivalVoice *fv : silentVoice)
        if (fv) {
            fprintf(stderr, "tarkabab-corpus: %s's voice %s said nothing (apt-get install %s)\n",
                    fv->engine == Engine::Flite ? "flite" : "Festival", fv->name, fv->package);
            return 1;
        }
    std::vector<Pending> pend;
    int failed = 0;
    for (const Speaker &s : c.speakers)
        for (size_t k = 0; k < says[s.id].size(); k++) {
            const auto &w = says[s.id][k];
            Pending p{s.id, std::max(0, w.first), w.first > 0 ? kKindWord : kKindOov, w.second, {}, 1};
            p.audio = std::move(audio[s.id][k]);
            if (!p.audio.empty()) pend.push_back(std::move(p));
            else failed++;
        }
    audio.clear();
    fprintf(stderr, "tarkabab-corpus: %zu utterances synthesised (%d failed) from %zu speakers\n",
            pend.size(), failed, c.speakers.size());
    if (o.praatShare > 0) praat_pass(o, c.speakers, pend, rate, kWorkers);

    // Vocal-tract factor while resampling to 20 000 Hz, then trimming; every
    // utterance on its own, shared between the workers.
    auto warp = [&](size_t first) {
        for (size_t i = first; i < pend.size(); i += kWorkers) {
            Pending &p = pend[i];
            const Speaker &s = c.speakers[p.speaker];
            for (float &v : p.audio) v *= 1.0f / 32768.0f;
            p.audio = resample(p.audio, (double)kCorpusRate / (rate * s.vtl));
            for (float &v : p.audio) v *= 32768.0f;
            trim(p.audio);
        }
    };
    std::thread warpers[kWorkers - 1];
    for (int j = 1; j < kWorkers; j++) warpers[j - 1] = std::thread(warp, (size_t)j);
    warp(0);
    for (std::thread &t : warpers) t.join();
    // Fragments of the speaker's own vocabulary words, and non-speech sounds.
    size_t spoken = pend.size();
    if (spoken == 0) { fputs("tarkabab-corpus: nothing was synthesised\n", stderr); return 1; }
    for (size_t i = 0, first = 0; i <= spoken; i++) {
        if (i < spoken && pend[i].speaker == pend[first].speaker) continue;
        int id = pend[first].speaker;
        Rng r(seed_mix(o.seed, 3, id));
        std::vector<size_t> words;
        for (size_t j = first; j < i; j++) if (pend[j].kind == kKindWord) words.push_back(j);
        for (int k = 0; k < o.fragments && !words.empty(); k++) {
            const Pending &w = pend[words[r.below((int)words.size())]];
            size_t n = w.audio.size(), len = (size_t)(n * r.uniform(0.35, 0.6));
            bool head = r.chance(0.5);
            Pending f{id, 0, kKindFragment, w.text + (head ? " (eleje)" : " (vége)"), {}, 1};
            f.audio.assign(w.audio.begin() + (head ? 0 : n - len), w.audio.begin() + (head ? len : n));
            size_t fade = std::min<size_t>(200, len / 4);
            for (size_t j = 0; j < fade; j++) {  // no click at the cut
                float g = (float)j / fade;
                if (head) f.audio[len - 1 - j] *= g; else f.audio[j] *= g;
            }
            pend.push_back(std::move(f));
        }
        for (int k = 0; k < o.noises; k++) {
            Pending f{id, 0, kKindNoise, "", {}, 1};
            f.audio = make_sound(r.below(5), r, &f.text);
            float top = 0;
            for (float v : f.audio) top = std::max(top, std::fabs(v));
            float g = top > 0 ? (float)(r.uniform(3000, 20000) / top) : 0;
            for (float &v : f.audio) v *= g;
            pend.push_back(std::move(f));
        }
        first = i;
    }
    std::stable_sort(pend.begin(), pend.end(), [](const Pending &a, const Pending &b) { return a.speaker < b.speaker; });

    for (Pending &p : pend) {
        if (p.audio.empty()) continue;
        Utterance u{p.speaker, p.cls, p.kind, (int64_t)c.audio.size(), (int32_t)p.audio.size(), p.text};
        for (float v : p.audio) c.audio.push_back((int16_t)std::max(-32768.0f, std::min(32767.0f, std::round(v))));
        c.utts.push_back(u);
    }
    std::string err = corpus_save(o.out, c);
    if (!err.empty()) { fprintf(stderr, "tarkabab-corpus: %s\n", err.c_str()); return 1; }
    int test = 0;
    for (const Speaker &s : c.speakers) test += s.split == kSplitTest;
    fprintf(stderr, "tarkabab-corpus: %zu utterances, %zu speakers (%d held out), %.1f minutes of audio in %s\n",
            c.utts.size(), c.speakers.size(), test, c.audio.size() / (60.0 * kCorpusRate), o.out.c_str());
    espeak_voice_stop();
    return 0;
}
