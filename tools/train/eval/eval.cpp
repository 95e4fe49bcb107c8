// eval.cpp — `tarkabab-eval`: how well the shipped networks hear held-out
// speakers, measured through `tarkabab-recognise`, the game's own path.
//
// Sessions of the corpus's held-out speakers (voice variants never trained
// on) are written as 20 000 Hz WAV files, clean and at 20, 10 and 5 dB SNR,
// in rooms that include settings never used in training (fan noise, the
// telephone band). Noise-only files measure false words per minute.
// `tarkabab-recognise` classifies every file; its lines are matched to the
// known utterances by frame overlap. Writes the Markdown report and a
// confusion-matrix picture (drawn by ImageMagick's `convert`).
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "augment.h"
#include "corpus.h"
#include "harvest.h"

namespace {

constexpr double kFrameSeconds = 0.0128;
constexpr int kClasses = 21;
constexpr int kMissCol = 21;              // confusion column: no word detected
constexpr int kOovRow = 21;               // confusion row: negatives
// Four conditions of converter-noise rooms make the goals; a fifth repeats the
// clean sessions with digital silence (exact zeros between and inside words),
// as synthesised speech, a noise suppressor or an undithered sound server
// delivers them.
constexpr int kConditions = 4;
constexpr int kDigital = kConditions;
constexpr int kAllConditions = kConditions + 1;
const float kConditionSnr[kAllConditions] = {kCleanSnr, 20, 10, 5, kCleanSnr};
const char *const kConditionName[kAllConditions] = {"clean", "20 dB", "10 dB", "5 dB", "clean, as synthesised"};
constexpr double kNoiseMinutesPerKind = 2.0;
constexpr int kParallel = 2;

struct Options {
    std::string corpus = "corpus", recognise = "tarkabab-recognise", work = "eval.tmp";
    std::string md = "recognition.md", png = "recognition-confusion.png", pngLink;
    std::string nets;         // when set: these images, in-process, instead of the program
    std::string notes;        // Markdown appended to the report (the developer's notes)
    uint64_t seed = 7;
};

struct Line { int64_t first, last; int cls; };

struct FileTruth {
    std::string path;
    int condition;            // 0..3, or -1 for noise only
    int noise;                // NoiseKind
    int mic;                  // MicKind
    bool reverb;
    bool clipped;             // driven into the rails
    bool festival;            // a held-out Festival voice: reported on its own
    int speaker;              // -1 for noise only
    double seconds;
    Session session;          // samples dropped after writing
};

struct Tally {
    int words = 0, correct = 0, rejected = 0, missed = 0, substituted = 0;
    int perClassWords[kClasses] = {}, perClassCorrect[kClasses] = {};
    int oov = 0, oovAccepted = 0, oovAcceptedAs[kClasses] = {};
    int sounds = 0, soundsAccepted = 0;
    int inserted = 0;         // accepted words where nothing was said
};

bool write_wav(const std::string &path, const std::vector<int16_t> &x) {
    SF_INFO info{};
    info.samplerate = kCorpusRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    sf_count_t n = sf_write_short(f, x.data(), (sf_count_t)x.size());
    sf_close(f);
    return n == (sf_count_t)x.size();
}

// Runs the recogniser over a list of files; output lines into `out`.
bool recognise(const Options &o, const std::vector<std::string> &files, std::map<std::string, std::vector<Line>> *out) {
    std::vector<std::string> lists(kParallel);
    std::vector<std::string> outputs(kParallel);
    std::vector<std::thread> jobs;
    std::vector<int> status(kParallel, 0);
    for (int j = 0; j < kParallel; j++) {
        std::string cmd = "'" + o.recognise + "'";
        for (size_t i = j; i < files.size(); i += kParallel) cmd += " '" + files[i] + "'";
        outputs[j] = o.work + "/recognised" + std::to_string(j) + ".tsv";
        cmd += " > '" + outputs[j] + "' 2> '" + outputs[j] + ".err'";  // its notes on quiet speech, one per file
        jobs.emplace_back([cmd, &status, j] { status[j] = std::system(cmd.c_str()); });
    }
    for (auto &t : jobs) t.join();
    for (int j = 0; j < kParallel; j++) {
        std::ifstream err(outputs[j] + ".err");
        std::string said((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
        if (status[j] != 0) {
            fprintf(stderr, "%starkabab-eval: %s failed (status %d)\n", said.c_str(), o.recognise.c_str(), status[j]);
            return false;
        }
        if (!said.empty())
            fprintf(stderr, "tarkabab-eval: %s: %ld files with speech too quiet for the default sensitivity\n",
                    (outputs[j] + ".err").c_str(), (long)std::count(said.begin(), said.end(), '\n'));
        std::ifstream in(outputs[j]);
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> f;
            std::istringstream is(line);
            for (std::string v; std::getline(is, v, '\t');) f.push_back(v);
            if (f.size() < 4) continue;
            Line l{std::llround(std::atof(f[1].c_str()) / kFrameSeconds), std::llround(std::atof(f[2].c_str()) / kFrameSeconds),
                   std::atoi(f[3].c_str())};
            (*out)[f[0]].push_back(l);
        }
    }
    return true;
}

void score(const Corpus &c, const FileTruth &t, const std::vector<Line> &lines, Tally *tally, int confusion[][kClasses + 1]) {
    std::vector<int> used(lines.size(), 0);
    for (const Placed &p : t.session.placed) {
        const Utterance &u = c.utts[p.utt];
        if (p.firstFrame < 0) continue;
        int best = -1, bestOv = 0, any = 0;
        for (size_t i = 0; i < lines.size(); i++) {
            int64_t ov = std::min<int64_t>(lines[i].last, p.lastFrame) - std::max<int64_t>(lines[i].first, p.firstFrame) + 1;
            if (ov <= 0) continue;
            used[i] = 1;
            any = 1;
            if (lines[i].cls > 0 && ov > bestOv) { bestOv = (int)ov; best = (int)i; }
        }
        int result = best >= 0 ? lines[best].cls : any ? 0 : -1;
        if (u.kind == kKindWord) {
            tally->words++;
            tally->perClassWords[u.cls]++;
            confusion[u.cls][result < 0 ? kMissCol : result]++;
            if (result == u.cls) { tally->correct++; tally->perClassCorrect[u.cls]++; }
            else if (result > 0) tally->substituted++;
            else if (result == 0) tally->rejected++;
            else tally->missed++;
        } else if (u.kind == kKindNoise) {
            tally->sounds++;
            tally->soundsAccepted += result > 0;
        } else {
            tally->oov++;
            confusion[kOovRow][result < 0 ? kMissCol : result]++;
            if (result > 0) { tally->oovAccepted++; tally->oovAcceptedAs[result]++; }
        }
    }
    for (size_t i = 0; i < lines.size(); i++)
        if (!used[i] && lines[i].cls > 0) tally->inserted++;
}

std::string pct(int a, int b) {
    char s[32];
    if (b == 0) return "–";
    snprintf(s, sizeof s, "%.1f %%", 100.0 * a / b);
    return s;
}

// One row of the room table: setting, words, correct, substituted.
std::string room_row(const std::string &setting, const Tally &t) {
    return "| " + setting + " | " + std::to_string(t.words) + " | " + pct(t.correct, t.words) + " | " +
           pct(t.substituted, t.words) + " |\n";
}

// The start of a condition's row: condition, words, correct, substituted,
// rejected, missed (the caller adds its last cell and the line's end).
std::string outcome_cells(const char *condition, const Tally &t) {
    return std::string("| ") + condition + " | " + std::to_string(t.words) + " | " + pct(t.correct, t.words) + " | " +
           pct(t.substituted, t.words) + " | " + pct(t.rejected, t.words) + " | " + pct(t.missed, t.words) + " | ";
}

// The held-out Festival voices, apart from the goals: per condition, then per voice.
void festival_section(std::ostream &md, int speakers, const Tally (&byCondition)[kConditions],
                      const std::map<std::string, Tally> &byVoice) {
    md << "\n## Other synthesisers: Festival's and flite's held-out voices\n\n"
       << speakers << " speakers of Festival's Czech, Finnish, English and Russian voices and flite's two English ones "
          "that training never heard, made "
          "from recordings of real people, saying the words respelled or written in the phones of their own language "
          "(so with a foreign accent), in the same kinds of room as above.\n\n"
          "| Condition | Words | Correct | Substituted | Rejected | Missed | Negatives accepted |\n"
          "|---|---|---|---|---|---|---|\n";
    for (int k = 0; k < kConditions; k++)
        md << outcome_cells(kConditionName[k], byCondition[k]) << pct(byCondition[k].oovAccepted, byCondition[k].oov)
           << " |\n";
    md << "\n| Voice (all four conditions) | Words | Correct | Substituted |\n|---|---|---|---|\n";
    for (const auto &v : byVoice) md << room_row(v.first.substr(strlen(kFestivalPrefix)), v.second);
}

// The confusion matrix as a picture: rows are what was said, columns what
// the recogniser answered; cell shade by row share, counts printed.
bool draw_confusion(const Options &o, int confusion[][kClasses + 1]) {
    const int cell = 34, left = 150, top = 120, rows = kClasses, cols = kClasses + 1;
    std::string mvg = o.work + "/confusion.mvg";
    int w = left + cols * cell + 10, h = top + rows * cell + 10;
    std::ofstream m(mvg);
    m << "viewbox 0 0 " << w << " " << h << "\nfill white rectangle 0,0 " << w << "," << h << "\nfont-size 12\n";
    auto label = [](int k) -> std::string { return k == kOovRow ? "szótáron kívüli" : class_word(k); };
    for (int r = 1; r < rows + 1; r++) {
        int total = 0;
        for (int k = 0; k < cols; k++) total += confusion[r][k];
        int y = top + (r - 1) * cell;
        m << "fill black text 6," << y + cell / 2 + 4 << " '" << label(r) << "'\n";
        for (int k = 0; k < cols; k++) {
            int x = left + k * cell, v = confusion[r][k];
            double share = total ? (double)v / total : 0;
            bool good = (r == k) || (r == kOovRow && (k == 0 || k == kMissCol));
            int shade = 255 - (int)(share * 200);
            char col[32];
            if (v == 0) snprintf(col, sizeof col, "#ffffff");
            else if (good) snprintf(col, sizeof col, "#%02x%02xff", shade, shade);
            else snprintf(col, sizeof col, "#ff%02x%02x", std::min(235, shade), std::min(235, shade));
            m << "fill '" << col << "' stroke '#cccccc' rectangle " << x << "," << y << " " << x + cell << "," << y + cell << "\n";
            if (v) m << "stroke none fill black text " << x + 3 << "," << y + cell / 2 + 4 << " '" << v << "'\n";
            m << "stroke none\n";
        }
    }
    for (int k = 0; k < cols; k++) {
        std::string name = k == kMissCol ? "nincs" : k == 0 ? "elutasít" : class_word(k);
        int x = left + k * cell + cell / 2 + 4;
        m << "fill black push graphic-context translate " << x << "," << top - 6 << " rotate -60 text 0,0 '" << name << "' pop graphic-context\n";
    }
    m << "fill black text 6,20 'Tévesztési mátrix: sorban a kimondott szó, oszlopban a felismerő válasza'\n";
    m << "fill black text 6,38 '(a tanításból kihagyott beszélők; tiszta, 20, 10 és 5 dB zaj együtt; kék = helyes, piros = hiba)'\n";
    m.close();
    // Read as an MVG picture: Debian's ImageMagick policy refuses -draw @file.
    // Without date chunks (which carry the MVG file's time) the same matrix
    // gives the same file.
    std::string cmd = "convert -font DejaVu-Sans 'mvg:" + mvg + "' -define png:exclude-chunks=date,time '" + o.png + "'";
    return std::system(cmd.c_str()) == 0;
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto val = [&] { return option_value("tarkabab-eval", argc, argv, i); };
        if (a == "--corpus") o.corpus = val();
        else if (a == "--recognise") o.recognise = val();
        else if (a == "--work") o.work = val();
        else if (a == "--md") o.md = val();
        else if (a == "--png") o.png = val();
        else if (a == "--png-link") o.pngLink = val();
        else if (a == "--nets") o.nets = val();
        else if (a == "--notes") o.notes = val();
        else if (a == "--seed") o.seed = std::strtoull(val().c_str(), nullptr, 10);
        else if (a == "--help" || a == "-h") {
            fputs("usage: tarkabab-eval --corpus DIR --recognise PROGRAM --md FILE --png FILE [--work DIR] [--seed N]\n"
                  "Measures the shipped networks on the corpus's held-out speakers through tarkabab-recognise.\n", stderr);
            return 0;
        } else { fprintf(stderr, "tarkabab-eval: unknown option %s\n", a.c_str()); return 2; }
    }
    if (o.pngLink.empty()) o.pngLink = o.png.substr(o.png.find_last_of('/') + 1);
    Corpus c;
    std::string err = corpus_load(o.corpus, &c);
    if (!err.empty()) { fprintf(stderr, "tarkabab-eval: %s\n", err.c_str()); return 1; }
    mkdir(o.work.c_str(), 0755);

    std::vector<std::vector<int>> bySpeaker(c.speakers.size());
    // Babble under the words is other held-out speakers' words and negatives.
    // The noise-only files' babble has the negatives alone: a vocabulary word
    // heard in a babble of vocabulary words was said, not made up.
    std::vector<int> babble, babbleNegatives;
    for (size_t i = 0; i < c.utts.size(); i++) {
        const Utterance &u = c.utts[i];
        if (c.speakers[u.speaker].split != kSplitTest) continue;
        bySpeaker[u.speaker].push_back((int)i);
        if ((u.kind == kKindWord || u.kind == kKindOov) && !speaker_is_festival(c.speakers[u.speaker])) {
            babble.push_back((int)i);
            if (u.kind == kKindOov) babbleNegatives.push_back((int)i);
        }
    }
    std::vector<FileTruth> files;
    std::vector<std::string> paths;
    double noiseSeconds = 0;
    for (int cond = 0; cond < kAllConditions; cond++)
        for (size_t s = 0; s < bySpeaker.size(); s++) {
            if (bySpeaker[s].empty()) continue;
            Rng r(seed_mix(o.seed, cond == kDigital ? 0 : cond, s));  // the digital ones: the clean sessions again
            std::vector<int> order = bySpeaker[s];
            for (size_t i = order.size(); i > 1; i--) std::swap(order[i - 1], order[r.below((int)i)]);
            bool festival = speaker_is_festival(c.speakers[s]);
            if (festival && cond == kDigital) continue;
            Room room = room_random(r, RoomSet::Test, kConditionSnr[cond]);
            room.levelDb = (float)r.uniform(-28, -6);  // a microphone set up as the help page advises
            if (cond == kDigital) {  // as a synthesiser writes it: dry, flat, no offset, exact zeros
                room_make_dry(&room);
                room.digital = true;
            }
            FileTruth t{o.work + "/" + std::to_string(cond) + "_" + std::to_string(s) + ".wav", cond, room.noise, room.mic,
                        room.reverbT60 > 0, room.clipDrive > 1, festival, (int)s, 0,
                        session_build(c, order, room, babble, r)};
            t.seconds = t.session.samples.size() / (double)kCorpusRate;
            if (!write_wav(t.path, t.session.samples)) { fprintf(stderr, "tarkabab-eval: %s: cannot write\n", t.path.c_str()); return 1; }
            if (o.nets.empty()) t.session.samples.clear();
            paths.push_back(t.path);
            files.push_back(std::move(t));
        }
    for (int kind = 0; kind < kNoiseKinds; kind++)
        for (int k = 0; k < 2; k++) {
            Rng r(seed_mix(o.seed, 50 + kind, k));
            Room room = room_random(r, RoomSet::Test, 0);
            room.noise = kind;
            room.levelDb = (float)r.uniform(-50, -25);
            FileTruth t{o.work + "/noise_" + noise_name(kind) + std::to_string(k) + ".wav", -1, kind, room.mic, false,
                        false, false, -1, kNoiseMinutesPerKind * 30, noise_session(c, room, babbleNegatives, kNoiseMinutesPerKind * 30, r)};
            noiseSeconds += t.seconds;
            if (!write_wav(t.path, t.session.samples)) { fprintf(stderr, "tarkabab-eval: %s: cannot write\n", t.path.c_str()); return 1; }
            if (o.nets.empty()) t.session.samples.clear();
            paths.push_back(t.path);
            files.push_back(std::move(t));
        }
    fprintf(stderr, "tarkabab-eval: %zu files written; running %s\n", files.size(), o.recognise.c_str());
    std::map<std::string, std::vector<Line>> lines;
    if (o.nets.empty()) {
        if (!recognise(o, paths, &lines)) return 1;
    } else {  // a trainer's candidate images through the same core path, in-process
        std::vector<float> img[2];
        for (int k = 0; k < 2; k++) {
            std::string path = o.nets + "/net" + std::to_string(k) + ".f32";
            if (!read_image(path, &img[k])) { fprintf(stderr, "tarkabab-eval: %s: cannot open\n", path.c_str()); return 1; }
        }
        for (const FileTruth &t : files) {
            std::string e;
            Rng r(1);
            for (const Detection &d : recognise_session(t.session, img[0], img[1], nullptr, nullptr, 0, &r, &e))
                lines[t.path].push_back(Line{d.first, d.last, d.cls});
            if (!e.empty()) { fprintf(stderr, "tarkabab-eval: %s\n", e.c_str()); return 1; }
        }
    }

    Tally tally[kAllConditions], byMic[kMicKinds], byNoise[kNoiseKinds], byReverb[2], byClip[2];
    int confusion[kClasses + 1][kClasses + 1] = {};
    int noiseWords = 0, noiseRejected = 0, noiseWordsByKind[kNoiseKinds] = {};
    double secondsByKind[kNoiseKinds] = {};
    Tally festival[kConditions];
    std::map<std::string, Tally> festivalVoice;
    for (const FileTruth &t : files) {
        const std::vector<Line> &l = lines[t.path];
        if (t.festival) {
            int scratch[kClasses + 1][kClasses + 1];
            score(c, t, l, &festival[t.condition], scratch);
            score(c, t, l, &festivalVoice[c.speakers[t.speaker].variant], scratch);
            continue;
        }
        if (t.condition == kDigital) {
            int scratch[kClasses + 1][kClasses + 1];
            score(c, t, l, &tally[kDigital], scratch);
            continue;
        }
        if (t.condition >= 0) {
            score(c, t, l, &tally[t.condition], confusion);
            int scratch[kClasses + 1][kClasses + 1];
            score(c, t, l, &byMic[t.mic], scratch);
            score(c, t, l, &byReverb[t.reverb], scratch);
            score(c, t, l, &byClip[t.clipped], scratch);
            if (t.condition > 0) score(c, t, l, &byNoise[t.noise], scratch);
            continue;
        }
        secondsByKind[t.noise] += t.seconds;
        for (const Line &x : l) {
            if (x.cls > 0) { noiseWords++; noiseWordsByKind[t.noise]++; }
            else noiseRejected++;
        }
    }

    // ---- the report ----
    int trainSpk = 0, testSpk = 0, testVariants = 0, festivalTrain = 0, festivalTest = 0;
    std::map<std::string, int> variants;
    for (const Speaker &s : c.speakers) {
        if (speaker_is_festival(s)) { (s.split == kSplitTest ? festivalTest : festivalTrain)++; continue; }
        (s.split == kSplitTest ? testSpk : trainSpk)++;
        if (s.split == kSplitTest && variants[s.variant]++ == 0) testVariants++;
    }
    std::ofstream md(o.md);
    md << "# Recognition: measured on held-out speakers\n\n"
          "Written by `make eval` (`tarkabab-eval`), which writes sessions of the corpus's held-out speakers as "
          "20 000 Hz WAV files and runs `tarkabab-recognise` on them: the game's own path, with network 0 doing "
          "the endpointing at the default sensitivity (SNR threshold 30 dB). "
       << testSpk << " held-out speakers from " << testVariants
       << " espeak-ng voice variants that training never heard; their rooms also use fan noise and a telephone-band "
          "microphone, which training never used. Speech level −28 … −6 dBFS; noise at the stated SNR "
          "(white, pink, brown, hum, babble, fan), reverberation, microphone band-limiting and tilt, DC offset and "
          "clipping as in training, and about one LSB of converter noise. The last condition repeats the clean "
          "sessions as a synthesiser writes them: dry, flat, no offset and no converter noise, so silence is digital "
          "zero between words and in stop closures (as behind a noise suppressor, too); it is not part of the "
          "totals and goals below. "
          "Training used " << trainSpk << " other espeak-ng speakers and " << festivalTrain
       << " speakers of Festival's and flite's voices; "
          "the Festival voices that training never heard are measured on their own, below the goals.\n\n";
    md << "A word is *correct* when a detection overlapping it carries its class, *substituted* when it carries "
          "another vocabulary class (a wrong word reaches the game), *rejected* when only class 0 was detected (the "
          "game says \"Tessék?\") and *missed* when nothing was detected.\n\n";
    md << "## Overall\n\n| Condition | Words | Correct | Substituted | Rejected | Missed | Goal |\n|---|---|---|---|---|---|---|\n";
    const char *goal[kAllConditions] = {"≥ 97 %", "≥ 93 %", "≥ 93 %", "≥ 85 %", "≥ 97 %"};
    Tally all;
    for (int k = 0; k < kAllConditions; k++) {
        const Tally &t = tally[k];
        md << outcome_cells(kConditionName[k], t) << goal[k] << " correct, ≤ 1 % substituted |\n";
        if (k == kDigital) continue;  // the totals below are the four goal conditions'
        all.words += t.words; all.substituted += t.substituted; all.oov += t.oov; all.oovAccepted += t.oovAccepted;
        all.sounds += t.sounds; all.soundsAccepted += t.soundsAccepted; all.inserted += t.inserted;
        for (int j = 0; j < kClasses; j++) all.oovAcceptedAs[j] += t.oovAcceptedAs[j];
    }
    static const char *const kMicNames[kMicKinds] = {"flat", "cheap (band-limited)", "headset", "telephone band (never trained)"};
    md << "\n## By room (all four conditions)\n\n| Setting | Words | Correct | Substituted |\n|---|---|---|---|\n";
    for (int k = 0; k < kMicKinds; k++)
        md << room_row(std::string("microphone: ") + kMicNames[k], byMic[k]);
    for (int k = 0; k < 2; k++)
        md << room_row(k ? "reverberant" : "dry", byReverb[k]);
    for (int k = 0; k < 2; k++)
        md << room_row(k ? "clipped (driven 1.5–6 times into the rails)" : "not clipped", byClip[k]);
    for (int k = 0; k < kNoiseKinds; k++)
        md << room_row(std::string("noise (20/10/5 dB): ") + noise_name(k) + (k == kNoiseFan ? " (never trained)" : ""), byNoise[k]);
    md << "\n## Per class (correct)\n\n| Class | Word |";
    for (int k = 0; k < kConditions; k++) md << " " << kConditionName[k] << " |";
    md << "\n|---|---|";
    for (int k = 0; k < kConditions; k++) md << "---|";
    md << "\n";
    for (int cls = 1; cls < kClasses; cls++) {
        md << "| " << cls << " | " << class_word(cls) << " |";
        for (int k = 0; k < kConditions; k++) md << " " << pct(tally[k].perClassCorrect[cls], tally[k].perClassWords[cls]) << " |";
        md << "\n";
    }
    md << "\n## Out-of-vocabulary words and other sounds\n\n"
          "Negatives are near words (\"kép\", \"nép\", \"igaz\", \"rend\", \"pirul\", the single words of the two-word "
          "commands …), dictionary words and fragments of vocabulary words, in every condition above.\n\n"
          "| Measure | Result | Goal |\n|---|---|---|\n";
    md << "| Negatives accepted as a vocabulary word | " << pct(all.oovAccepted, all.oov) << " (" << all.oovAccepted << " of " << all.oov << ") | ≤ 5 % |\n";
    md << "| … accepted as \"igen\" | " << pct(all.oovAcceptedAs[17], all.oov) << " | ≤ 1 % |\n";
    md << "| Coughs, clicks, breaths, knocks, bursts accepted as a word | " << pct(all.soundsAccepted, all.sounds) << " (" << all.soundsAccepted << " of " << all.sounds << ") | – |\n";
    md << "| Words accepted in the pauses between utterances | " << all.inserted << " | – |\n";
    md << "| Substitutions over all conditions | " << pct(all.substituted, all.words) << " | ≤ 1 % |\n";
    md << "\nNegatives accepted, by the class they were taken for:\n\n| Class | Word | Accepted |\n|---|---|---|\n";
    for (int cls = 1; cls < kClasses; cls++)
        if (all.oovAcceptedAs[cls]) md << "| " << cls << " | " << class_word(cls) << " | " << all.oovAcceptedAs[cls] << " |\n";
    md << "\n## Noise only\n\n" << (int)std::lround(noiseSeconds / 60) << " minutes of noise (two levels per kind, "
          "−50 … −25 dBFS): steady noises and babble, whose voices say only negatives (dictionary and near words, none "
          "of the vocabulary). Goal: at most one false word per 10 minutes (0.1 per minute).\n\n"
          "| Noise | Minutes | False words | Per minute |\n|---|---|---|---|\n";
    for (int kind = 0; kind < kNoiseKinds; kind++) {
        char per[32];
        snprintf(per, sizeof per, "%.2f", noiseWordsByKind[kind] / (secondsByKind[kind] / 60));
        md << "| " << noise_name(kind) << " | " << secondsByKind[kind] / 60 << " | " << noiseWordsByKind[kind] << " | " << per << " |\n";
    }
    char per[32];
    snprintf(per, sizeof per, "%.3f", noiseWords / (noiseSeconds / 60));
    md << "| all | " << noiseSeconds / 60 << " | " << noiseWords << " | " << per << " |\n\n"
       << "Rejected detections in noise (the game would say \"Tessék?\"): " << noiseRejected << ".\n\n";
    // Goals, each with the measured figure.
    auto rate = [](int a, int b) { return b ? 100.0 * a / b : 0.0; };
    struct Goal { const char *what; double value; double limit; bool atMost; };
    const Goal goals[] = {
        {"word accuracy, clean", rate(tally[0].correct, tally[0].words), 97, false},
        {"word accuracy, 20 dB", rate(tally[1].correct, tally[1].words), 93, false},
        {"word accuracy, 10 dB", rate(tally[2].correct, tally[2].words), 93, false},
        {"word accuracy, 5 dB", rate(tally[3].correct, tally[3].words), 85, false},
        {"substitutions, all conditions", rate(all.substituted, all.words), 1, true},
        {"negatives accepted", rate(all.oovAccepted, all.oov), 5, true},
        {"negatives accepted as \"igen\"", rate(all.oovAcceptedAs[17], all.oov), 1, true},
        {"false words per minute of noise", noiseWords / (noiseSeconds / 60), 0.1, true},
    };
    md << "## Goals\n\n| Goal | Measured | Target | Reached |\n|---|---|---|---|\n";
    for (const Goal &g : goals) {
        char line[256];
        bool ok = g.atMost ? g.value <= g.limit : g.value >= g.limit;
        snprintf(line, sizeof line, "| %s | %.2f | %s %.1f | %s |\n", g.what, g.value, g.atMost ? "≤" : "≥", g.limit, ok ? "yes" : "**no**");
        md << line;
    }
    if (festivalTest > 0) festival_section(md, festivalTest, festival, festivalVoice);
    md << "\n";
    md << "## Confusion matrix\n\nAll four conditions together; rows are what was said, columns what the recogniser "
          "answered (\"elutasít\" = class 0, \"nincs\" = no word detected).\n\n![confusion matrix](" << o.pngLink << ")\n";
    if (!o.notes.empty()) {
        std::ifstream n(o.notes);
        if (!n) { fprintf(stderr, "tarkabab-eval: %s: cannot open\n", o.notes.c_str()); return 1; }
        md << "\n" << n.rdbuf();
    }
    md.close();
    bool drawn = draw_confusion(o, confusion);
    if (!drawn) fprintf(stderr, "tarkabab-eval: could not draw %s (is imagemagick installed?)\n", o.png.c_str());
    for (int k = 0; k < kConditions; k++)
        fprintf(stderr, "festival %-6s words %d correct %s substituted %s rejected %s, negatives accepted %s\n",
                kConditionName[k], festival[k].words, pct(festival[k].correct, festival[k].words).c_str(),
                pct(festival[k].substituted, festival[k].words).c_str(),
                pct(festival[k].rejected, festival[k].words).c_str(), pct(festival[k].oovAccepted, festival[k].oov).c_str());
    for (int k = 0; k < kAllConditions; k++)
        fprintf(stderr, "%-6s words %d correct %s substituted %s rejected %s missed %s\n", kConditionName[k], tally[k].words,
                pct(tally[k].correct, tally[k].words).c_str(), pct(tally[k].substituted, tally[k].words).c_str(),
                pct(tally[k].rejected, tally[k].words).c_str(), pct(tally[k].missed, tally[k].words).c_str());
    fprintf(stderr, "negatives accepted %s (igen %s), sounds accepted %s, noise false words/min %s\n",
            pct(all.oovAccepted, all.oov).c_str(), pct(all.oovAcceptedAs[17], all.oov).c_str(),
            pct(all.soundsAccepted, all.sounds).c_str(), per);
    return drawn ? 0 : 1;
}
