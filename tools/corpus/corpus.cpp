// corpus.cpp — corpus files, word lists and the random number generator.
#include "corpus.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

double Rng::gauss() {
    double u1 = uniform(), u2 = uniform();
    if (u1 < 1e-300) u1 = 1e-300;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

uint64_t seed_mix(uint64_t base, uint64_t a, uint64_t b, uint64_t c) {
    Rng r(base ^ 0x5851F42D4C957F2Dull);
    uint64_t s = r.next();
    for (uint64_t v : {a, b, c}) {
        Rng q(s ^ (v * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull));
        s = q.next();
    }
    return s;
}

static const char *const kKindNames[] = {"word", "oov", "fragment", "noise"};

const char *kind_name(int kind) { return kind >= 0 && kind < 4 ? kKindNames[kind] : "?"; }

int kind_from_name(const std::string &name) {
    for (int k = 0; k < 4; k++)
        if (name == kKindNames[k]) return k;
    return -1;
}

static const char *const kClassWords[kVocabularyClasses + 1] = {
    "-", "piros", "fehér", "zöld", "fekete", "sárga", "rózsaszín", "narancs",
    "kék", "lila", "barna", "szürke", "mégsem", "kilépés", "szabad a gazda",
    "új játék", "rendben", "igen", "nem", "súgó", "segítség"};

const char *class_word(int cls) {
    return cls >= 0 && cls <= kVocabularyClasses ? kClassWords[cls] : "?";
}

// Minimal pairs and near misses of the vocabulary, and the single words of
// the two-word commands, which alone mean nothing.
const char *const kNearWords[] = {
    "kép", "nép", "lép", "szép", "kés", "kéz", "kéj", "kend", "tét", "kert",
    "igaz", "ige", "iga", "irigy", "inget", "izom", "ideg",
    "rend", "remek", "rendel", "render", "tenger", "remeg", "kendő",
    "pirul", "pipa", "piszok", "pilis", "bíró", "firka",
    "fehérje", "fenék", "fekszik", "felhő", "veder", "tehén",
    "zöldség", "zörög", "zord", "zsold", "föld",
    "feleség", "keret", "kefe", "fecske",
    "sárkány", "sajt", "barka", "bárka", "szárny", "szarka",
    "rózsa", "rózsás", "ország", "mózes",
    "naranccsal", "parancs", "arany", "tarack",
    "liba", "líra", "lila akác", "villa", "pille",
    "barack", "bánat", "barom", "harang", "darab",
    "szűrő", "szőke", "türke", "szülés", "szörnyű",
    "mégis", "méreg", "rétes", "vésem", "nézem",
    "kilenc", "kilátás", "kalapács", "kilép", "lépés",
    "szabad", "gazda", "szabály", "szakad a gyolcs", "gazdag",
    "új", "játék", "ujjak", "tájék", "játszik",
    "rendőr", "tengerben", "remekben",
    "igény", "ingyen", "itten", "egyenes",
    "nemes", "neki", "mén", "hely", "nyelv", "kemény",
    "súly", "sugár", "szóló", "cipő", "súrol",
    "segít", "segéd", "szegény", "sebesség", "szépség"};
const int kNearWordCount = (int)(sizeof kNearWords / sizeof kNearWords[0]);

bool usable_negative(const std::string &w) {
    // Count UTF-8 code points; accept only lower-case Latin letters and the
    // Hungarian accented ones (all two-byte sequences starting with 0xC3/0xC5).
    int letters = 0;
    for (size_t i = 0; i < w.size();) {
        unsigned char c = (unsigned char)w[i];
        if (c >= 'a' && c <= 'z') { i++; letters++; continue; }
        if ((c == 0xC3 || c == 0xC5) && i + 1 < w.size()) { i += 2; letters++; continue; }
        return false;
    }
    if (letters < 3 || letters > 10) return false;
    for (int cls = 1; cls <= kVocabularyClasses; cls++) {
        std::string v = kClassWords[cls];
        if (w == v) return false;
        // Inflected forms ("pirosat", "igenis") would be a vocabulary word to
        // most players; short words ("kék", "nem") begin too many others.
        if (v.size() >= 5 && w.compare(0, v.size(), v) == 0) return false;
    }
    return true;
}

// ---- files ---------------------------------------------------------------

std::string corpus_save(const std::string &dir, const Corpus &c) {
    std::ofstream sp(dir + "/speakers.tsv");
    if (!sp) return dir + "/speakers.tsv: cannot write";
    for (const Speaker &s : c.speakers) {
        char line[256];
        snprintf(line, sizeof line, "%d\t%s\t%s\t%d\t%d\t%d\t%.4f\t%.4f\t%.1f\t%.4f\n", s.id,
                 s.split == kSplitTest ? "test" : "train", s.variant.c_str(), s.rate, s.pitch,
                 s.range, s.vtl, s.formant, s.pitchMedian, s.duration);
        sp << line;
    }
    std::ofstream ut(dir + "/utts.tsv");
    if (!ut) return dir + "/utts.tsv: cannot write";
    for (const Utterance &u : c.utts)
        ut << u.speaker << '\t' << u.cls << '\t' << kind_name(u.kind) << '\t' << u.offset << '\t'
           << u.count << '\t' << u.text << '\n';
    FILE *f = fopen((dir + "/audio.s16").c_str(), "wb");
    if (!f) return dir + "/audio.s16: cannot write";
    size_t n = fwrite(c.audio.data(), sizeof(int16_t), c.audio.size(), f);
    if (fclose(f) != 0 || n != c.audio.size()) return dir + "/audio.s16: write failed";
    if (!sp || !ut) return dir + ": write failed";
    return "";
}

std::string corpus_load(const std::string &dir, Corpus *out) {
    Corpus c;
    std::ifstream sp(dir + "/speakers.tsv");
    if (!sp) return dir + "/speakers.tsv: cannot open (run the corpus generator first)";
    std::string line;
    int lineNo = 0;
    while (std::getline(sp, line)) {
        lineNo++;
        // Tab-separated: variant names may contain spaces ("Mr serious").
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string v; std::getline(fields, v, '\t');) f.push_back(v);
        Speaker s;
        std::string split = f.size() == 10 ? f[1] : "";
        char *end = nullptr;
        bool ok = f.size() == 10;
        auto num = [&](const std::string &v) {
            double d = std::strtod(v.c_str(), &end);
            ok = ok && end != v.c_str() && *end == 0;
            return d;
        };
        if (ok) {
            s.id = (int)num(f[0]); s.variant = f[2]; s.rate = (int)num(f[3]); s.pitch = (int)num(f[4]);
            s.range = (int)num(f[5]); s.vtl = num(f[6]); s.formant = num(f[7]); s.pitchMedian = num(f[8]);
            s.duration = num(f[9]);
        }
        if (!ok || s.id != (int)c.speakers.size() || (split != "train" && split != "test"))
            return dir + "/speakers.tsv: bad line " + std::to_string(lineNo);
        s.split = split == "test" ? kSplitTest : kSplitTrain;
        c.speakers.push_back(s);
    }
    FILE *f = fopen((dir + "/audio.s16").c_str(), "rb");
    if (!f) return dir + "/audio.s16: cannot open";
    fseek(f, 0, SEEK_END);
    long bytes = ftell(f);
    fseek(f, 0, SEEK_SET);
    c.audio.resize(bytes / 2);
    size_t got = fread(c.audio.data(), 2, c.audio.size(), f);
    fclose(f);
    if (got != c.audio.size()) return dir + "/audio.s16: short read";
    std::ifstream ut(dir + "/utts.tsv");
    if (!ut) return dir + "/utts.tsv: cannot open";
    lineNo = 0;
    while (std::getline(ut, line)) {
        lineNo++;
        Utterance u;
        std::string kind;
        std::istringstream is(line);
        if (!(is >> u.speaker >> u.cls >> kind >> u.offset >> u.count))
            return dir + "/utts.tsv: bad line " + std::to_string(lineNo);
        std::getline(is, u.text);
        if (!u.text.empty() && u.text[0] == '\t') u.text.erase(0, 1);
        u.kind = kind_from_name(kind);
        if (u.kind < 0 || u.speaker < 0 || u.speaker >= (int)c.speakers.size() || u.cls < 0 ||
            u.cls > kVocabularyClasses || u.offset < 0 || u.count <= 0 ||
            u.offset + u.count > (int64_t)c.audio.size())
            return dir + "/utts.tsv: bad line " + std::to_string(lineNo);
        c.utts.push_back(u);
    }
    *out = std::move(c);
    return "";
}

std::string option_value(const char *program, int argc, char **argv, int &i) {
    if (i + 1 >= argc) {
        fprintf(stderr, "%s: %s needs a value\n", program, argv[i]);
        exit(2);
    }
    return argv[++i];
}

bool speaker_is_festival(const Speaker &s) { return s.variant.rfind(kFestivalPrefix, 0) == 0; }
