// The Czech, Finnish and Russian respellings and the English, Italian,
// Catalan and Hindi pronunciations that let Festival's and flite's voices
// say Hungarian words.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "corpus.h"
#include "respell.h"

namespace {

struct Said {
    const char *hungarian;
    Reader reader;
    const char *respelled;
};

void expect_respelled(std::initializer_list<Said> cases) {
    for (const Said &c : cases) EXPECT_EQ(respell(c.hungarian, c.reader), c.respelled) << c.hungarian;
}

constexpr Reader kCs = Reader::Czech, kFi = Reader::Finnish, kRu = Reader::Russian;
constexpr Reader kEn = Reader::English, kIt = Reader::Italian, kCa = Reader::Catalan, kHi = Reader::Hindi;

void expect_pronounced(std::initializer_list<Said> cases) {
    for (const Said &c : cases)
        EXPECT_EQ(festival_pronunciation(c.hungarian, c.reader), c.respelled) << c.hungarian;
}

// The phones of a pronunciation, without parentheses and stress numbers.
std::vector<std::string> phones_of(const std::string &pronunciation) {
    std::string flat;
    for (char ch : pronunciation) flat += (ch == '(' || ch == ')') ? ' ' : ch;
    std::vector<std::string> out;
    std::istringstream in(flat);
    for (std::string p; in >> p;)
        if (p != "0" && p != "1") out.push_back(p);
    return out;
}

}  // namespace

TEST(Respell, CzechSaysTheColoursWithItsOwnLetters) {
    expect_respelled({{"piros", kCs, "piroš"},         {"sárga", kCs, "šárga"},   {"rózsaszín", kCs, "róžasín"},
                      {"narancs", kCs, "naranč"},      {"szürke", kCs, "sirke"},  {"zöld", kCs, "zeld"},
                      {"szabad a gazda", kCs, "sabad a gazda"}});
}

TEST(Respell, FinnishDoublesLongVowelsAndRoundsFrontVowels) {
    expect_respelled({{"fehér", kFi, "feheer"}, {"új játék", kFi, "uuj jaateek"}, {"szürke", kFi, "syrke"},
                      {"zöld", kFi, "söld"},    {"segítség", kFi, "segiitseeg"},  {"kő", kFi, "köö"}});
}

TEST(Respell, DigraphsWinOverTheirFirstLetterAndDoubleWhenLong) {
    expect_respelled({{"dzsungel", kCs, "džungel"}, {"hagyma", kCs, "haďma"},     {"asszony", kCs, "assoň"},
                      {"meggy", kCs, "meďď"},       {"bocsánat", kCs, "bočánat"}, {"loccsan", kCs, "loččan"},
                      {"asszony", kFi, "assonj"},   {"hattyú", kFi, "hattjuu"}});
}

TEST(Respell, RussianWritesCyrillicWithSoftSignsAndSoftenedVowels) {
    expect_respelled({{"piros", kRu, "пирош"},    {"fehér", kRu, "фэхэр"},         {"zöld", kRu, "зёлд"},
                      {"szürke", kRu, "сюркэ"},   {"új játék", kRu, "уй йатэк"},   {"narancs", kRu, "наранч"},
                      {"asszony", kRu, "ассонь"}, {"hagyma", kRu, "хадьма"},       {"rózsaszín", kRu, "рожасин"}});
}

TEST(Respell, UpperCaseReadsAsLowerAndUnknownSignsPassThrough) {
    expect_respelled({{"Új Játék", kCs, "új játék"}, {"ŐSZ-9", kFi, "öös-9"}, {"", kCs, ""}});
}

TEST(Respell, EveryVocabularyWordComesOutInTheReadersAlphabet) {
    // Czech has no ö, ő, ü, ű; Finnish no á, é, í, ó, ú, ő, ű: a word that
    // kept one would be read letter by letter or skipped.
    for (int cls = 1; cls <= kVocabularyClasses; cls++) {
        std::string cs = respell(class_word(cls), Reader::Czech);
        std::string fi = respell(class_word(cls), Reader::Finnish);
        for (const char *bad : {"ö", "ő", "ü", "ű"}) EXPECT_EQ(cs.find(bad), std::string::npos) << cs;
        for (const char *bad : {"á", "é", "í", "ó", "ú", "ő", "ű"}) EXPECT_EQ(fi.find(bad), std::string::npos) << fi;
        // Russian's text front end reads Cyrillic only: no Latin letter may be left.
        std::string ru = respell(class_word(cls), Reader::Russian);
        for (char ch : ru) EXPECT_TRUE((unsigned char)ch >= 0x80 || ch == ' ') << ru;
    }
}

TEST(Pronounce, TheFirstSyllableIsStressedAndTheLastConsonantOpensTheNext) {
    expect_pronounced({{"piros", kEn, "(((p iy) 1) ((r ow sh) 0))"},
                       {"kilépés", kEn, "(((k iy) 1) ((l ey) 0) ((p ey sh) 0))"},
                       {"rendben", kEn, "(((r eh n d) 1) ((b eh n) 0))"},
                       {"igen", kEn, "(((iy) 1) ((g eh n) 0))"},
                       {"nem", kEn, "(((n eh m) 1))"}});
}

TEST(Pronounce, ItalianAndCatalanMarkTheStressedVowelAndDropH) {
    expect_pronounced({{"piros", kIt, "(((p i1) 1) ((r o S) 0))"},
                       {"fehér", kIt, "(((f E1) 1) ((e r) 0))"},
                       {"szürke", kIt, "(((s i1 r) 1) ((k E) 0))"},
                       {"Narancs", kIt, "(((n O1) 1) ((r O n tS) 0))"},
                       {"zöld", kCa, "(((z e1 l d) 1))"},
                       {"lila", kCa, "(((l i1) 1) ((l O) 0))"},
                       {"sárga", kCa, "(((S a1 r) 1) ((g O) 0))"},
                       {"vár", kCa, "(((b a1 r) 1))"}});
}

TEST(Pronounce, HindiKeepsVowelLengthAndSaysZAsJ) {
    expect_pronounced({{"fehér", kHi, "(((f eh) 1) ((h ee r) 0))"},
                       {"segítség", kHi, "(((sh eh) 1) ((g iy th) 0) ((sh ee g) 0))"},
                       {"zöld", kHi, "(((j eh l dh) 1))"},
                       {"sárga", kHi, "(((sh aa r) 1) ((g oo) 0))"},
                       {"rózsaszín", kHi, "(((r oh) 1) ((zh oo) 0) ((s iy n) 0))"},
                       {"súgó", kHi, "(((sh uw) 1) ((g oh) 0))"}});
}

TEST(Pronounce, LongConsonantsCloseOneSyllableAndOpenTheNext) {
    expect_pronounced({{"hattyú", kIt, "(((O1 t) 1) ((t j u) 0))"},
                       {"asszony", kEn, "(((ao s) 1) ((s ow n y) 0))"},
                       {"meggy", kCa, "(((m E1 d d j) 1))"},  // at the end, both in the last syllable
                       {"loccsan", kIt, "(((l o1 tS) 1) ((tS O n) 0))"}});
}

TEST(Pronounce, WordsWithoutVowelsOrLettersStillMakeAnEntry) {
    expect_pronounced({{"kft", kEn, "(((k f t) 1))"}, {"h", kIt, "()"}, {"", kEn, "()"}, {"9-es", kEn, "(((eh sh) 1))"}});
}

TEST(Pronounce, FliteMarksEveryVowelWithItsSyllablesStress) {
    const struct {
        const char *hungarian, *phones;
    } cases[] = {{"piros", "p iy1 r ow0 sh"},         {"kilépés", "k iy1 l ey0 p ey0 sh"},
                 {"rendben", "r eh1 n d b eh0 n"},    {"zöld", "z er1 l d"},
                 {"asszony", "ao1 s s ow0 n y"},      {"kft", "k f t"},
                 {"", ""}};
    for (const auto &c : cases) EXPECT_EQ(flite_pronunciation(c.hungarian), c.phones) << c.hungarian;
}

TEST(Pronounce, EveryVocabularyWordUsesOnlyTheVoicesPhones) {
    // The phone sets of Festival's English (radio), Italian, Catalan and
    // Hindi voices; a phone outside them stops the voice or is skipped.
    const std::set<std::string> english = {"aa", "ae", "ah", "ao", "aw", "ay", "eh", "er", "ey", "ih", "iy", "ow",
                                           "oy", "uh", "uw", "ax", "p",  "b",  "t",  "d",  "k",  "g",  "f",  "v",
                                           "th", "dh", "s",  "z",  "sh", "zh", "hh", "ch", "jh", "m",  "n",  "ng",
                                           "l",  "r",  "w",  "y"};
    const std::set<std::string> italian = {"i",  "e",  "E",  "a",  "o",  "O",  "u", "i1", "e1", "E1", "a1", "o1", "O1",
                                           "u1", "j",  "w",  "p",  "t",  "k",  "b", "d",  "g",  "f",  "s",  "S",  "v",
                                           "z",  "Z",  "ts", "tS", "dz", "dZ", "m", "n",  "J",  "ng", "nf", "l",  "L", "r"};
    const std::set<std::string> catalan = {"ax", "a", "a1", "b",  "d", "e", "e1", "E", "E1", "f", "g", "i", "i1",
                                           "j",  "J", "k",  "l",  "L", "m", "n",  "o", "o1", "O", "O1", "p", "r",
                                           "rr", "s", "S",  "t",  "u", "u1", "w", "z",  "Z"};
    const std::set<std::string> hindi = {"a",  "aa", "ih", "iy", "uh", "uw", "eh", "ee", "ay",  "oh",  "oo", "aw",
                                         "f",  "k",  "g",  "ch", "T",  "D",  "N",  "th", "dh",  "n",   "p",  "b",
                                         "m",  "y",  "r",  "l",  "v",  "L",  "R",  "s",  "sh",  "j",   "h",  "ksh",
                                         "sri", "x", "kh", "gh", "td", "tth", "ddh", "bh", "zh", "@",  "w"};
    const struct {
        Reader reader;
        const std::set<std::string> *phones;
    } voices[] = {{kEn, &english}, {kIt, &italian}, {kCa, &catalan}, {kHi, &hindi}};
    for (const auto &v : voices) {
        EXPECT_FALSE(reader_spells(v.reader));
        for (int cls = 1; cls <= kVocabularyClasses; cls++) {
            std::istringstream words(class_word(cls));
            for (std::string word; words >> word;)
                for (const std::string &p : phones_of(festival_pronunciation(word, v.reader)))
                    EXPECT_TRUE(v.phones->count(p)) << word << ": " << p;
        }
    }
    EXPECT_TRUE(reader_spells(kCs));
    EXPECT_TRUE(reader_spells(kFi));
    EXPECT_TRUE(reader_spells(kRu));
}
