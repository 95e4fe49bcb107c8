// respell.cpp — the grapheme table behind respell.h.
#include "respell.h"

#include <cstring>

namespace {

struct Grapheme {
    const char *hu, *cs, *fi;
};

// Longest graphemes first, so that a prefix never wins over its digraph.
const Grapheme kGraphemes[] = {
    {"dzs", "dž", "ts"},
    {"cs", "č", "ts"},   {"dz", "dz", "ts"},  {"gy", "ď", "dj"},  {"ly", "j", "j"},
    {"ny", "ň", "nj"},   {"sz", "s", "s"},    {"ty", "ť", "tj"},  {"zs", "ž", "s"},
    {"a", "a", "a"},     {"á", "á", "aa"},    {"b", "b", "b"},    {"c", "c", "ts"},
    {"d", "d", "d"},     {"e", "e", "e"},     {"é", "é", "ee"},   {"f", "f", "f"},
    {"g", "g", "g"},     {"h", "h", "h"},     {"i", "i", "i"},    {"í", "í", "ii"},
    {"j", "j", "j"},     {"k", "k", "k"},     {"l", "l", "l"},    {"m", "m", "m"},
    {"n", "n", "n"},     {"o", "o", "o"},     {"ó", "ó", "oo"},   {"ö", "e", "ö"},
    {"ő", "é", "öö"},    {"p", "p", "p"},     {"q", "kv", "kv"},  {"r", "r", "r"},
    {"s", "š", "s"},     {"t", "t", "t"},     {"u", "u", "u"},    {"ú", "ú", "uu"},
    {"ü", "i", "y"},     {"ű", "í", "yy"},    {"v", "v", "v"},    {"w", "v", "v"},
    {"x", "ks", "ks"},   {"y", "i", "i"},     {"z", "z", "s"},
};

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

// Bytes of the UTF-8 character that starts with `lead`.
size_t utf8_length(char lead) {
    unsigned char c = (unsigned char)lead;
    return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
}

}  // namespace

std::string respell(const std::string &hungarian, Reader reader) {
    std::string s = lower(hungarian), out;
    for (size_t i = 0; i < s.size();) {
        // "ssz" is a long "sz": its first letter doubles the digraph after it.
        const Grapheme *next = i + 1 < s.size() ? grapheme_at(s, i + 1) : nullptr;
        bool doubled = next && strlen(next->hu) > 1 && s[i] == next->hu[0];
        const Grapheme *g = doubled ? next : grapheme_at(s, i);
        if (!g) { out += s[i++]; continue; }
        const char *say = reader == Reader::Czech ? g->cs : g->fi;
        if (doubled) out.append(say, utf8_length(say[0]));  // "tj" -> "ttj", "č" -> "čč"
        out += say;
        i += (doubled ? 1 : 0) + strlen(g->hu);
    }
    return out;
}
