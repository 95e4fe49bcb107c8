// respell.cpp — the grapheme table behind respell.h.
#include "respell.h"

#include <cstring>
#include <sstream>
#include <vector>

namespace {

constexpr int kReaders = 7;  // in the order of enum Reader

// A Hungarian grapheme, then how each reader says it: Czech and Finnish
// letters, English (Festival's radio phones), Italian and Catalan phones,
// space-separated, Russian letters and Hindi phones; "" is a sound the
// reader drops (Italian and Catalan h). Russian loses the vowel length,
// writes "э" (its e after a hard consonant) for e and é, and "ё" and "ю"
// (a softened consonant, then o or u) for ö and ü. Hindi has no z, so z is
// j, as many of its speakers say it, and its oo (the o of English loans)
// is the rounded Hungarian a.
struct Grapheme {
    const char *hu;
    const char *say[kReaders];
};

// Longest graphemes first, so that a prefix never wins over its digraph.
const Grapheme kGraphemes[] = {
    {"dzs", {"dž", "ts", "jh", "dZ", "d Z", "дж", "j"}},
    {"cs", {"č", "ts", "ch", "tS", "t S", "ч", "ch"}},
    {"dz", {"dz", "ts", "d z", "dz", "d z", "дз", "dh j"}},
    {"gy", {"ď", "dj", "d y", "d j", "d j", "дь", "dh y"}},
    {"ly", {"j", "j", "y", "j", "j", "й", "y"}},
    {"ny", {"ň", "nj", "n y", "J", "J", "нь", "n y"}},
    {"sz", {"s", "s", "s", "s", "s", "с", "s"}},
    {"ty", {"ť", "tj", "t y", "t j", "t j", "ть", "th y"}},
    {"zs", {"ž", "s", "zh", "Z", "Z", "ж", "zh"}},
    {"a", {"a", "a", "ao", "O", "O", "а", "oo"}},
    {"á", {"á", "aa", "aa", "a", "a", "а", "aa"}},
    {"b", {"b", "b", "b", "b", "b", "б", "b"}},
    {"c", {"c", "ts", "t s", "ts", "t s", "ц", "th s"}},
    {"d", {"d", "d", "d", "d", "d", "д", "dh"}},
    {"e", {"e", "e", "eh", "E", "E", "э", "eh"}},
    {"é", {"é", "ee", "ey", "e", "e", "э", "ee"}},
    {"f", {"f", "f", "f", "f", "f", "ф", "f"}},
    {"g", {"g", "g", "g", "g", "g", "г", "g"}},
    {"h", {"h", "h", "hh", "", "", "х", "h"}},
    {"i", {"i", "i", "iy", "i", "i", "и", "ih"}},
    {"í", {"í", "ii", "iy", "i", "i", "и", "iy"}},
    {"j", {"j", "j", "y", "j", "j", "й", "y"}},
    {"k", {"k", "k", "k", "k", "k", "к", "k"}},
    {"l", {"l", "l", "l", "l", "l", "л", "l"}},
    {"m", {"m", "m", "m", "m", "m", "м", "m"}},
    {"n", {"n", "n", "n", "n", "n", "н", "n"}},
    {"o", {"o", "o", "ow", "o", "o", "о", "oh"}},
    {"ó", {"ó", "oo", "ow", "o", "o", "о", "oh"}},
    {"ö", {"e", "ö", "er", "e", "e", "ё", "eh"}},
    {"ő", {"é", "öö", "er", "e", "e", "ё", "ee"}},
    {"p", {"p", "p", "p", "p", "p", "п", "p"}},
    {"q", {"kv", "kv", "k v", "k v", "k b", "кв", "k v"}},
    {"r", {"r", "r", "r", "r", "r", "р", "r"}},
    {"s", {"š", "s", "sh", "S", "S", "ш", "sh"}},
    {"t", {"t", "t", "t", "t", "t", "т", "th"}},
    {"u", {"u", "u", "uw", "u", "u", "у", "uh"}},
    {"ú", {"ú", "uu", "uw", "u", "u", "у", "uw"}},
    {"ü", {"i", "y", "uw", "i", "i", "ю", "ih"}},
    {"ű", {"í", "yy", "uw", "i", "i", "ю", "iy"}},
    {"v", {"v", "v", "v", "v", "b", "в", "v"}},
    {"w", {"v", "v", "v", "v", "b", "в", "v"}},
    {"x", {"ks", "ks", "k s", "k s", "k s", "кс", "k s"}},
    {"y", {"i", "i", "iy", "i", "i", "и", "ih"}},
    {"z", {"z", "s", "z", "z", "z", "з", "j"}},
};

// The graphemes that make a syllable.
const char *const kVowels[] = {"a", "á", "e", "é", "i", "í", "o", "ó", "ö", "ő", "u", "ú", "ü", "ű", "y"};

// Upper-case letters of the Hungarian alphabet and their lower case.
const char *const kUpper[][2] = {{"Á", "á"}, {"É", "é"}, {"Í", "í"}, {"Ó", "ó"}, {"Ö", "ö"},
                                 {"Ő", "ő"}, {"Ú", "ú"}, {"Ü", "ü"}, {"Ű", "ű"}};

std::string lower(const std::string &s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool done = false;
        for (const auto &u : kUpper)
            if (s.compare(i, strlen(u[0]), u[0]) == 0) {
                out += u[1];
                i += strlen(u[0]);
                done = true;
                break;
            }
        if (done) continue;
        char ch = s[i++];
        out += (ch >= 'A' && ch <= 'Z') ? (char)(ch - 'A' + 'a') : ch;
    }
    return out;
}

const Grapheme *grapheme_at(const std::string &s, size_t i) {
    for (const Grapheme &g : kGraphemes)
        if (s.compare(i, strlen(g.hu), g.hu) == 0) return &g;
    return nullptr;
}

// One sound of the word: a grapheme (null for a sign outside the table),
// whether it is long ("ssz"), and the bytes it takes.
struct Unit {
    const Grapheme *g;
    bool doubled;
    size_t length;
};

// The unit that starts at s[i] of a lower-case word.
Unit unit_at(const std::string &s, size_t i) {
    // "ssz" is a long "sz": its first letter doubles the digraph after it.
    const Grapheme *next = i + 1 < s.size() ? grapheme_at(s, i + 1) : nullptr;
    if (next && strlen(next->hu) > 1 && s[i] == next->hu[0]) return {next, true, 1 + strlen(next->hu)};
    const Grapheme *g = grapheme_at(s, i);
    return {g, false, g ? strlen(g->hu) : 1};
}

bool is_vowel(const Grapheme *g) {
    for (const char *v : kVowels)
        if (strcmp(g->hu, v) == 0) return true;
    return false;
}

// Bytes of the UTF-8 character that starts with `lead`.
size_t utf8_length(char lead) {
    unsigned char c = (unsigned char)lead;
    return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
}

std::vector<std::string> split_phones(const char *say) {
    std::vector<std::string> out;
    std::istringstream in(say);
    for (std::string p; in >> p;) out.push_back(p);
    return out;
}

// One sound of a word in a reader's phones.
struct Sound {
    std::vector<std::string> phones;
    bool vowel;
};

// The word's sounds, and the index of each syllable's first sound (at least
// one syllable when there is a sound). A long consonant says its first phone
// twice, the first closing one syllable and the rest opening the next.
// Syllables: each vowel is one; of the consonants between two vowels the
// last opens the next syllable, the others close the one before.
void syllabify(const std::string &hungarian_word, Reader reader, std::vector<Sound> *sounds,
               std::vector<size_t> *starts) {
    std::string s = lower(hungarian_word);
    for (size_t i = 0; i < s.size();) {
        Unit u = unit_at(s, i);
        i += u.length;
        if (!u.g) continue;
        Sound snd{split_phones(u.g->say[(int)reader]), is_vowel(u.g)};
        if (snd.phones.empty()) continue;
        if (u.doubled) sounds->push_back({{snd.phones[0]}, false});
        sounds->push_back(snd);
    }
    size_t previousVowel = 0;
    bool seenVowel = false;
    for (size_t k = 0; k < sounds->size(); k++) {
        if (!(*sounds)[k].vowel) continue;
        if (!seenVowel) starts->push_back(0);
        else starts->push_back(k - previousVowel > 1 ? k - 1 : k);
        previousVowel = k;
        seenVowel = true;
    }
    if (starts->empty() && !sounds->empty()) starts->push_back(0);
}

}  // namespace

bool reader_spells(Reader reader) {
    return reader == Reader::Czech || reader == Reader::Finnish || reader == Reader::Russian;
}

std::string respell(const std::string &hungarian, Reader reader) {
    std::string s = lower(hungarian), out;
    for (size_t i = 0; i < s.size();) {
        Unit u = unit_at(s, i);
        if (!u.g) {
            out += s[i];
        } else {
            const char *say = u.g->say[(int)reader];
            if (u.doubled) out.append(say, utf8_length(say[0]));  // "tj" -> "ttj", "č" -> "čč"
            out += say;
        }
        i += u.length;
    }
    return out;
}

std::string festival_pronunciation(const std::string &hungarian_word, Reader reader) {
    std::vector<Sound> sounds;
    std::vector<size_t> starts;
    syllabify(hungarian_word, reader, &sounds, &starts);
    if (sounds.empty()) return "()";
    bool marksStress = reader == Reader::Italian || reader == Reader::Catalan;

    std::string out = "(";
    for (size_t n = 0; n < starts.size(); n++) {
        size_t end = n + 1 < starts.size() ? starts[n + 1] : sounds.size();
        out += "((";
        for (size_t k = starts[n]; k < end; k++)
            for (const std::string &p : sounds[k].phones) {
                if (out.back() != '(') out += ' ';
                out += p;
                if (n == 0 && marksStress && sounds[k].vowel) out += '1';
            }
        out += n == 0 ? ") 1)" : ") 0)";
        if (n + 1 < starts.size()) out += ' ';
    }
    return out + ")";
}

std::string flite_pronunciation(const std::string &hungarian_word) {
    std::vector<Sound> sounds;
    std::vector<size_t> starts;
    syllabify(hungarian_word, Reader::English, &sounds, &starts);
    std::string out;
    for (size_t n = 0; n < starts.size(); n++) {
        size_t end = n + 1 < starts.size() ? starts[n + 1] : sounds.size();
        for (size_t k = starts[n]; k < end; k++)
            for (const std::string &p : sounds[k].phones)
                out += (out.empty() ? "" : " ") + p + (sounds[k].vowel ? (n == 0 ? "1" : "0") : "");
    }
    return out;
}
